#pragma once

#include <string>

namespace quill {

/// What a Live Update run shows the user, and nothing more: the download window with its
/// status box and notification-area icon, and the sliding "definitions updated" notice.
/// The desktop and command-line programs provide it; Live Update never sees the main window.
class UpdateProgressView {
 public:
  virtual ~UpdateProgressView() = default;
  /// Loads and shows the download window (not modal).
  virtual void OpenDownloadWindow() = 0;
  /// Shows this line in the download window's status box; nothing once the user has closed
  /// the window (the update goes on without it).
  virtual void ShowStatus(const std::string& text) = 0;
  /// Removes the download window's notification-area icon.
  virtual void RemoveDownloadIcon() = 0;
  /// Unloads the download window (which also removes its icon).
  virtual void CloseDownloadWindow() = 0;
  /// Shows the sliding notification window with this message.
  virtual void ShowNotification(const std::string& message) = 0;
};

}  // namespace quill
