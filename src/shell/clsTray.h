#pragma once

#include <functional>
#include <set>
#include <string>

#include "forms/Form.h"

namespace quill {

class Application;

/// The notification-area icon (one shared instance). The icon itself goes through the host.
/// The pop-up menu window and the notification window register themselves here when their
/// subsystem is present; without them a click on the icon simply restores the main window.
class clsTray {
 public:
  explicit clsTray(Application& app) : app_(app) {}
  /// The process's one tray object.
  static clsTray& Instance(Application& app);

  void ShowIcon(forms::Form& window);
  void RemoveIcon(forms::Form& window);
  /// Changes the tip of the window's icon; nothing while that window has none.
  void ChangeToolTip(forms::Form& window, const std::string& text);
  /// True while any window has its icon in the notification area.
  bool bRunningInTray() const { return !shown_.empty(); }
  /// True while this window has its icon there. Each window counts alone: the download
  /// window's icon going away leaves the main window's in place.
  bool bRunningInTray(const forms::Form& window) const { return shown_.count(&window) > 0; }

  /// The tray menu (left or right click on the icon).
  void ShowMenu();
  void HideMenu();
  /// Enables the menu's "Show Program" entry (the main window went to the tray).
  void EnableRestoreEntry();
  /// The test menu's windows by index.
  void ShowDebugWindow(int index);

  struct MenuHooks {
    std::function<void()> show;
    std::function<void()> hide;
    std::function<void()> enableRestore;
    std::function<void(int)> debugWindow;
  };
  void SetMenuHooks(MenuHooks hooks) { hooks_ = std::move(hooks); }

 private:
  Application& app_;
  std::set<const forms::Form*> shown_;
  MenuHooks hooks_;
};

}  // namespace quill
