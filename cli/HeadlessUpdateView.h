#pragma once

#include <string>

#include "definitions/UpdateProgressView.h"

namespace quill::cli {

/// Live Update without windows: there is no download window to show, and the notification
/// is kept for the one line the command prints.
class HeadlessUpdateView : public UpdateProgressView {
 public:
  void OpenDownloadWindow() override {}
  void ShowStatus(const std::string&) override {}
  void RemoveDownloadIcon() override {}
  void CloseDownloadWindow() override {}
  void ShowNotification(const std::string& message) override { notification_ = message; }

  /// The last notification shown ("" when none).
  const std::string& Notification() const { return notification_; }

 private:
  std::string notification_;
};

}  // namespace quill::cli
