#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/DateTime.h"
#include "forms/Host.h"

namespace quill::forms {
class Form;
class Timer;
}  // namespace quill::forms

namespace quill::test {

/// What kind of window the program put in front of the user.
enum class DialogKind { MsgBox, InputBox, OpenFile, ChooseFolder, Modal };

/// One dialog the program showed, and what the test host answered.
struct DialogRecord {
  DialogKind kind = DialogKind::MsgBox;
  /// Message text, input prompt, or (for a modal window) the window's caption.
  std::string text;
  std::string title;
  forms::MsgBoxButtons buttons = forms::MsgBoxButtons::OkOnly;
  forms::MsgBoxIcon icon = forms::MsgBoxIcon::None;
  /// Input box default text.
  std::string defaultText;
  /// Modal window's name, or the owner of a folder chooser.
  std::string formName;
  /// The answer given: a message-box result, or the text/path of the other dialogs
  /// (empty optional = cancelled).
  forms::MsgBoxResult result = forms::MsgBoxResult::Ok;
  std::optional<std::string> answer;
  /// A modal window that no script handled and that was closed by the test host itself.
  bool closedByHost = false;
};

/// A handler that threw and was stopped at the runtime's boundary.
struct HandlerFailure {
  std::string what;
  std::string message;
};

/// One notification-area icon.
struct TrayIconState {
  const forms::Form* owner = nullptr;
  std::string ownerName;
  std::string tip;
};

/// The host the tests drive windows with.
///
/// Time is virtual: it only moves when the test calls Advance() (or through
/// SetDoEventsAdvance()), and due timers fire in virtual-time order, ties in the order the
/// timers were created. A timer is due one interval after it was enabled, its interval was
/// assigned or its window was loaded, and then once per interval; only timers of loaded
/// windows fire. A held timer keeps its due moment; released after it, it fires once.
///
/// Dialogs are answered from FIFO scripts first, then from a callback, then by default:
/// a message box answers Ok for OkOnly, Cancel for OkCancel, YesNoCancel and RetryCancel,
/// No for YesNo, Abort for AbortRetryIgnore; input, file and folder dialogs are cancelled.
///
/// A modal window runs its OnModal script (if any) and then DoEvents() is called until the
/// window is hidden or unloaded. With no script, DoEvents() is called only while one-shot
/// AtDoEvents hooks are pending (one of them may close it); when none is left the host hides
/// the window itself (DialogRecord::closedByHost), so an unanswered window never hangs a
/// test. After ModalCap() DoEvents() the host hides the window and records a failure.
class TestHost : public forms::Host {
 public:
  TestHost();
  ~TestHost() override;

  // --- clock and timers ------------------------------------------------------------------
  /// Moves the virtual clock forward, firing due timers on the way.
  void Advance(int64_t ms);
  /// Sets the wall clock (local time). Timers keep their countdowns: like a user changing
  /// the system clock, it does not make them due.
  void SetNow(const datetime::LocalDateTime& local);
  void SetNow(std::chrono::system_clock::time_point tp);
  datetime::LocalDateTime NowLocal();
  /// Virtual milliseconds since the host was made (the timers' clock).
  int64_t ElapsedMs() const { return elapsedMs_; }
  /// Each DoEvents() moves the clock by this many ms (default 0) and fires due timers.
  void SetDoEventsAdvance(int64_t ms) { doEventsAdvanceMs_ = ms; }
  /// Virtual time at which the timer fires next, or empty when it is not counting.
  std::optional<int64_t> NextDue(const forms::Timer& timer) const;
  /// How many times the timer's tick handler ran, fired by this host.
  int Ticks(const forms::Timer& timer) const;
  /// Number of timers registered (exist).
  int TimerCount() const { return static_cast<int>(timers_.size()); }

  // --- DoEvents --------------------------------------------------------------------------
  int DoEventsCount() const { return doEventsCount_; }
  /// Runs the action once, at the n-th DoEvents() from now (n = 1: the next one).
  /// Returns a token for RemoveHook.
  int AtDoEvents(int n, std::function<void()> action);
  /// Runs the action at every DoEvents() (after the one-shot hooks of that call).
  int EveryDoEvents(std::function<void()> action);
  void RemoveHook(int token);
  /// One-shot hooks that have not run yet.
  int PendingHooks() const;

  // --- dialogs ---------------------------------------------------------------------------
  const std::vector<DialogRecord>& Dialogs() const { return dialogs_; }
  /// Records of one kind, in order.
  std::vector<DialogRecord> DialogsOf(DialogKind kind) const;
  void ClearDialogs() { dialogs_.clear(); }
  void QueueMsgBox(forms::MsgBoxResult result) { msgBoxQueue_.push_back(result); }
  void QueueInput(std::optional<std::string> answer) { inputQueue_.push_back(std::move(answer)); }
  void QueueOpenFile(std::optional<std::string> path) { fileQueue_.push_back(std::move(path)); }
  void QueueFolder(std::optional<std::string> path) { folderQueue_.push_back(std::move(path)); }
  /// Answers message boxes when the queue is empty.
  void OnMsgBox(std::function<forms::MsgBoxResult(const DialogRecord&)> callback) {
    msgBoxCallback_ = std::move(callback);
  }
  /// Answers input boxes when the queue is empty.
  void OnInput(std::function<std::optional<std::string>(const DialogRecord&)> callback) {
    inputCallback_ = std::move(callback);
  }
  /// Script run each time the named window is shown modally (the name compares without case).
  void OnModal(const std::string& formName, std::function<void(forms::Form&)> script);
  void SetModalCap(int doEvents) { modalCap_ = doEvents; }
  int ModalCap() const { return modalCap_; }

  /// Problems the host noticed: a modal window nothing closed, a scripted message-box answer
  /// that is not one of the box's buttons.
  const std::vector<std::string>& Failures() const { return failures_; }

  // --- the rest of the outside world -----------------------------------------------------
  const std::string& Clipboard() const { return clipboard_; }
  const std::vector<TrayIconState>& TrayIcons() const { return trayIcons_; }
  bool TrayPresent(const std::string& ownerName) const;
  /// Tip of the named window's icon, or "" when there is none.
  std::string TrayTip(const std::string& ownerName) const;
  /// Makes the tray unavailable (every tray call fails), as when no shell is running.
  void SetTrayAvailable(bool available) { trayAvailable_ = available; }
  void SetScreen(const forms::ScreenMetrics& metrics) { screen_ = metrics; }
  /// Keys the user holds from now on (forms::kShiftMask, ...); user clicks carry them.
  void SetShiftState(int shift) { shift_ = shift; }
  forms::MousePointer MousePointerState() const { return mousePointer_; }
  const std::vector<HandlerFailure>& HandlerFailures() const { return handlerFailures_; }
  /// "Load FrmMain", "Show FrmMain", "Hide FrmMain", "Unload FrmMain", "Front FrmMain".
  const std::vector<std::string>& FormEvents() const { return formEvents_; }

  // --- forms::Host -----------------------------------------------------------------------
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
  forms::ScreenMetrics Screen() override { return screen_; }
  int ShiftState() override { return shift_; }
  void ClipboardClear() override { clipboard_.clear(); }
  void ClipboardSetText(const std::string& text) override { clipboard_ = text; }
  bool TrayAdd(forms::Form& owner, const std::string& tip) override;
  bool TrayModify(forms::Form& owner, const std::string& tip) override;
  bool TrayDelete(forms::Form& owner) override;
  void SetMousePointer(forms::MousePointer pointer) override { mousePointer_ = pointer; }
  void HandlerFailed(const char* what, const std::string& message) override;
  void Quit() override { quit_ = true; }
  bool QuitRequested() const override { return quit_; }

 private:
  struct TimerEntry {
    forms::Timer* timer;
    uint64_t order;
    std::optional<int64_t> due;
    int ticks = 0;
  };
  struct Hook {
    int token;
    std::optional<int> atCount;  // one-shot at this DoEvents count; empty = every call
    std::function<void()> action;
  };
  void FireDue(int64_t until);
  TimerEntry* FindTimer(const forms::Timer& timer);
  void Arm(TimerEntry& entry);
  TrayIconState* FindTray(const forms::Form& owner);

  std::chrono::system_clock::time_point wallAtZero_;
  int64_t elapsedMs_ = 0;
  int64_t doEventsAdvanceMs_ = 0;
  std::vector<TimerEntry> timers_;
  uint64_t nextTimerOrder_ = 0;

  int doEventsCount_ = 0;
  std::vector<Hook> hooks_;
  int nextHook_ = 1;

  std::vector<DialogRecord> dialogs_;
  std::deque<forms::MsgBoxResult> msgBoxQueue_;
  std::deque<std::optional<std::string>> inputQueue_;
  std::deque<std::optional<std::string>> fileQueue_;
  std::deque<std::optional<std::string>> folderQueue_;
  std::function<forms::MsgBoxResult(const DialogRecord&)> msgBoxCallback_;
  std::function<std::optional<std::string>(const DialogRecord&)> inputCallback_;
  std::vector<std::pair<std::string, std::function<void(forms::Form&)>>> modalScripts_;
  int modalCap_ = 100000;
  std::vector<std::string> failures_;

  std::string clipboard_;
  std::vector<TrayIconState> trayIcons_;
  bool trayAvailable_ = true;
  forms::ScreenMetrics screen_;
  int shift_ = 0;
  forms::MousePointer mousePointer_ = forms::MousePointer::Default;
  std::vector<HandlerFailure> handlerFailures_;
  std::vector<std::string> formEvents_;
  bool quit_ = false;
};

}  // namespace quill::test
