#pragma once

#include <string>
#include <vector>

#include "definitions/UpdateProgressView.h"

namespace quill::test {

/// A download window reduced to its status line, recording what a Live Update run showed.
class FakeUpdateView : public UpdateProgressView {
 public:
  void OpenDownloadWindow() override { events.push_back("open"); }
  void ShowStatus(const std::string& text) override { status = text; }
  void RemoveDownloadIcon() override { events.push_back("remove icon"); }
  void CloseDownloadWindow() override { events.push_back("close"); }
  void ShowNotification(const std::string& message) override {
    events.push_back("notify");
    notifications.push_back(message);
  }

  /// "open", "remove icon", "notify", "close", in order.
  std::vector<std::string> events;
  std::vector<std::string> notifications;
  /// The status line last shown.
  std::string status;
};

}  // namespace quill::test
