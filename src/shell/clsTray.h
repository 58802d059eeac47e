#pragma once

#include <functional>
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
  void ChangeToolTip(forms::Form& window, const std::string& text);
  bool bRunningInTray() const { return running_; }

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
  bool running_ = false;
  MenuHooks hooks_;
};

}  // namespace quill
