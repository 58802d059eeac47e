#pragma once

namespace quill {

/// What the tray icon's menu needs from the main window.
class TrayMainWindow {
 public:
  virtual ~TrayMainWindow() = default;
  /// "Exit Program" is offered only while the main window's Results or Options entry is
  /// enabled (not in the middle of its start or of a removal).
  virtual bool ExitAllowed() const = 0;
  /// The main window is on screen ("Show Program" is offered only while it is not).
  virtual bool WindowShown() const = 0;
  /// Back from the tray to the normal state, shown.
  virtual void RestoreFromTray() = 0;
  /// Ends the program as "Exit Program" does: stopped state recorded, icon removed, the main
  /// window unloaded.
  virtual void ExitFromTray() = 0;
};

}  // namespace quill
