#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "InputWindow.h"
#include "forms/Host.h"

namespace quill::win {

/// UTF-8 model text to the Windows API's UTF-16 and back.
std::wstring W(const std::string& s);
std::string U(const std::wstring& s);

/// The Windows desktop program's host: the Windows API's own message boxes and common
/// dialogs, the model's timers on the message loop, the clipboard, the notification-area icon
/// and the work area. Windows are drawn by views that a factory makes when their form loads.
class Win32Host : public forms::Host {
 public:
  Win32Host();
  ~Win32Host() override;
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;

  /// Makes the window of a form when it loads (nullptr for windows nobody sees); the host
  /// shows, hides and destroys it as the form says.
  using ViewFactory = std::function<HWND(forms::Form&)>;
  void SetViewFactory(ViewFactory factory) { factory_ = std::move(factory); }
  HWND ViewOf(const forms::Form& form) const;
  /// False when the system would not give the host its window (no display): nothing runs.
  bool Ready() const { return messageWindow_ != nullptr; }
  /// The tray icon's picture (the program's icon resource).
  void SetTrayIcon(HICON icon) { trayIcon_ = icon; }
  /// The words of the input box's buttons in the program's language (asked for at each input
  /// box); an empty word stays English.
  void SetInputButtonWords(std::function<InputButtons()> words) { inputWords_ = std::move(words); }
  /// Per-item yields within this many milliseconds of the last pump return at once.
  void SetEventThrottle(int ms) { throttleMs_ = ms; }
  /// True while the form has an icon in the notification area.
  bool HasTrayIcon(const forms::Form& owner) const;
  /// Tells the host, as the shell does, that the user pressed a mouse button (WM_LBUTTONDOWN,
  /// WM_LBUTTONDBLCLK, ...) on the form's icon; false when it has none.
  bool PostTrayClick(const forms::Form& owner, UINT mouseMessage);
  /// Runs the message loop until Quit(); returns the exit code.
  int Run();
  /// Pumps every waiting message once (no throttle).
  void ProcessEventsNow();

  // forms::Host
  void DoEvents() override;
  forms::MsgBoxResult MsgBox(const std::string& text, forms::MsgBoxButtons buttons,
                             forms::MsgBoxIcon icon, const std::string& title) override;
  std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                      const std::string& defaultText) override;
  std::optional<std::string> OpenFileDialog(const std::string& title) override;
  std::optional<std::string> ChooseFolder(const forms::Form* owner,
                                          const std::string& title) override;
  void RunModal(forms::Form& form) override;
  void FormLoaded(forms::Form& form) override;
  void FormUnloaded(forms::Form& form) override;
  void FormVisibilityChanged(forms::Form& form) override;
  void BringToFront(forms::Form& form) override;
  void FormDestroyed(forms::Form& form) override;
  void RegisterTimer(forms::Timer& timer) override;
  void UnregisterTimer(forms::Timer& timer) override;
  void TimerChanged(forms::Timer& timer) override;
  std::chrono::system_clock::time_point Now() override;
  forms::ScreenMetrics Screen() override;
  int ShiftState() override;
  void ClipboardClear() override;
  void ClipboardSetText(const std::string& text) override;
  bool TrayAdd(forms::Form& owner, const std::string& tip) override;
  bool TrayModify(forms::Form& owner, const std::string& tip) override;
  bool TrayDelete(forms::Form& owner) override;
  void SetMousePointer(forms::MousePointer pointer) override;
  void Quit() override;
  bool QuitRequested() const override { return quitRequested_; }

 private:
  using Clock = std::chrono::steady_clock;
  static LRESULT CALLBACK MessageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void Pump();
  HWND EnsureView(forms::Form& form);
  HWND DialogOwner() const;
  void FireDueTimers();
  void ScheduleNextTick();
  void TrayMessage(UINT id, UINT mouseMessage);
  bool TrayCall(DWORD action, UINT id, const std::string& tip);
  /// Runs the message loop until `done` says so or the program ends.
  void RunLoopUntil(const std::function<bool()>& done);

  struct TimerState {
    std::optional<Clock::time_point> due;  // unset while off
    std::optional<Clock::time_point> heldDue;
  };

  HWND messageWindow_ = nullptr;
  ViewFactory factory_;
  std::function<InputButtons()> inputWords_;
  std::map<const forms::Form*, HWND> views_;
  std::map<forms::Timer*, TimerState> timers_;
  struct TrayIcon {
    forms::Form* owner;
    std::string tip;
  };
  std::map<UINT, TrayIcon> trayIcons_;
  UINT nextTrayId_ = 1;
  HICON trayIcon_ = nullptr;
  std::vector<const forms::Form*> modalForms_;
  Clock::time_point lastPump_{};
  int throttleMs_ = 10;
  bool quitRequested_ = false;
  bool busyCursor_ = false;
};

}  // namespace quill::win
