#pragma once

#include <string>
#include <vector>

#include "definitions/UpdateProgressView.h"
#include "forms/Control.h"
#include "forms/Form.h"

namespace quill::test {

/// A download window reduced to its status box, recording what a Live Update run showed.
class FakeUpdateView : public UpdateProgressView {
 public:
  explicit FakeUpdateView(forms::Host& host) : form_(host, "frmDownload") {}

  void OpenDownloadWindow() override { events.push_back("open"); }
  forms::TextBox* StatusBox() override { return closedByUser ? nullptr : &txtStatus; }
  void RemoveDownloadIcon() override { events.push_back("remove icon"); }
  void CloseDownloadWindow() override { events.push_back("close"); }
  void ShowNotification(const std::string& message) override {
    events.push_back("notify");
    notifications.push_back(message);
  }

  /// "open", "remove icon", "notify", "close", in order.
  std::vector<std::string> events;
  std::vector<std::string> notifications;
  /// As if the user pressed "Cancel": the status box is gone, the run goes on.
  bool closedByUser = false;

 private:
  forms::Form form_;

 public:
  forms::TextBox txtStatus{form_, "txtStatus"};
};

}  // namespace quill::test
