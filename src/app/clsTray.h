#pragma once

#include <set>
#include <string>

#include "app/TrayIcons.h"
#include "forms/Form.h"

namespace quill {

class Application;
class TrayWindows;

/// The notification-area icon (one shared instance). The icon itself goes through the host;
/// each window's icon is tracked on its own.
class clsTray : public TrayIcons {
 public:
  clsTray(Application& app, TrayWindows& windows) : app_(app), windows_(windows) {}

  void ShowIcon(forms::Form& window) override;
  void RemoveIcon(forms::Form& window) override;
  /// Changes the tip of the window's icon; nothing while that window has none.
  void ChangeToolTip(forms::Form& window, const std::string& text) override;
  /// True while any window has its icon in the notification area.
  bool bRunningInTray() const { return !shown_.empty(); }
  /// True while this window has its icon there. Each window counts alone: the download
  /// window's icon going away leaves the main window's in place.
  bool bRunningInTray(const forms::Form& window) const override {
    return shown_.count(&window) > 0;
  }

  /// The tray menu (a click on the icon): slides up, or stays where it is when it is already
  /// on screen.
  void ShowMenu();
  /// Hides the menu (a double-click on the icon restored the window); it stays loaded but
  /// still, and the next click slides it in afresh.
  void HideMenu();
  /// Enables the menu's "Show Program" entry (the main window went to the tray).
  void EnableRestoreEntry();
  /// The test menu's entry for this subsystem's window (index 1: the definitions notice,
  /// slid in afresh).
  void ShowDebugWindow(int index);

 private:
  Application& app_;
  TrayWindows& windows_;
  std::set<const forms::Form*> shown_;
};

}  // namespace quill
