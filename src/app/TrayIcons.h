#pragma once

#include <string>

#include "forms/Form.h"

namespace quill {

/// The notification-area icons of windows, each window's icon on its own. The tray keeps
/// them; windows of folders below the tray (the download window) reach them through this.
class TrayIcons {
 public:
  virtual ~TrayIcons() = default;
  virtual void ShowIcon(forms::Form& window) = 0;
  virtual void RemoveIcon(forms::Form& window) = 0;
  /// Changes the tip of the window's icon; nothing while that window has none.
  virtual void ChangeToolTip(forms::Form& window, const std::string& text) = 0;
  /// True while this window has its icon in the notification area.
  virtual bool bRunningInTray(const forms::Form& window) const = 0;
};

}  // namespace quill
