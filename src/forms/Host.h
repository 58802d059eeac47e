#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace quill::forms {

class Form;
class Timer;

/// Buttons of a message box (the platform's values).
enum class MsgBoxButtons {
  OkOnly = 0,
  OkCancel = 1,
  AbortRetryIgnore = 2,
  YesNoCancel = 3,
  YesNo = 4,
  RetryCancel = 5
};
enum class MsgBoxIcon {
  None = 0,
  Critical = 16,
  Question = 32,
  Exclamation = 48,
  Information = 64
};
/// Answers, with the platform's values.
enum class MsgBoxResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

enum class MousePointer { Default = 0, Hourglass = 11 };

struct ScreenMetrics {
  int twipsPerPixelX = 15;
  int twipsPerPixelY = 15;
  int desktopWidthPx = 1366;  // desktop client area
  int desktopHeightPx = 768;
  int taskbarHeightPx = 40;  // 0 when no taskbar can be found (or it stands at a side)
  bool taskbarAtTop = false;
  int screenHeightTwips = 11520;
  int screenWidthTwips = 20490;
};

/// Everything a window needs from the outside world of the user interface.
/// Implemented by the Qt host (the desktop program), the headless host (the command-line
/// program) and the test host (virtual clock, scripted dialogs).
class Host {
 public:
  virtual ~Host() = default;

  /// Yield to the event queue: repaint, run clicks and due timers.
  virtual void DoEvents() = 0;

  virtual MsgBoxResult MsgBox(const std::string& text, MsgBoxButtons buttons, MsgBoxIcon icon,
                              const std::string& title) = 0;
  /// Empty optional when the user cancelled.
  virtual std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                              const std::string& defaultText) = 0;
  /// File-open dialog; empty optional when cancelled.
  virtual std::optional<std::string> OpenFileDialog(const std::string& title) = 0;
  /// Folder chooser owned by a window; empty optional when cancelled.
  virtual std::optional<std::string> ChooseFolder(const Form* owner, const std::string& title) = 0;

  /// Shows a form modally: returns when the form is hidden or unloaded.
  virtual void RunModal(Form& form) = 0;
  /// Life-cycle notifications, so that a view layer can create, show and destroy windows.
  virtual void FormLoaded(Form&) {}
  virtual void FormUnloaded(Form&) {}
  virtual void FormVisibilityChanged(Form&) {}
  virtual void BringToFront(Form&) {}
  /// The form object is being destroyed (after its controls): drop every reference to it.
  virtual void FormDestroyed(Form&) {}

  /// Timers register while they exist; TimerChanged is called when enabled or interval change.
  virtual void RegisterTimer(Timer& timer) = 0;
  virtual void UnregisterTimer(Timer& timer) = 0;
  virtual void TimerChanged(Timer& timer) = 0;

  /// The clock (local time). The test host's is virtual.
  virtual std::chrono::system_clock::time_point Now() = 0;

  virtual ScreenMetrics Screen() = 0;
  /// Which of Shift, Ctrl and Alt (kShiftMask, kCtrlMask, kAltMask) the user holds in the
  /// input event being handled; a user's click hands it to its handler. A host without a
  /// keyboard reports none.
  virtual int ShiftState() { return 0; }

  virtual void ClipboardClear() = 0;
  virtual void ClipboardSetText(const std::string& text) = 0;

  /// The notification-area icon of a window; all return false when there is no tray.
  virtual bool TrayAdd(Form& owner, const std::string& tip) = 0;
  virtual bool TrayModify(Form& owner, const std::string& tip) = 0;
  virtual bool TrayDelete(Form& owner) = 0;

  virtual void SetMousePointer(MousePointer) {}

  /// A handler threw; the runtime swallowed it. Hosts may log it.
  virtual void HandlerFailed(const char* what, const std::string& message) {
    (void)what;
    (void)message;
  }

  /// Asks the host to end the program's event loop (the process ends after the main
  /// window's unload).
  virtual void Quit() = 0;
  virtual bool QuitRequested() const = 0;
};

}  // namespace quill::forms
