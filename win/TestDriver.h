#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quill::forms {
class Control;
}

namespace quill::win {

class Win32Host;
class FormWindow;

/// Drives the running program through its own windows from a script, for the tests that run
/// the installed program under Wine. It exists only when $QUILLONET_TEST_SCRIPT names a script
/// file; its steps run on the program's message loop, from a timer, so the program works
/// exactly as it does for a user: a click is a message to the button, a tick a key press in
/// the list, an answer a press of the message box's button. Progress and the outcome go to
/// the script's name + ".result": a line per step done, then "PASS", or "FAIL" with the step,
/// the reason and the windows open at that moment (and the program ends with code 3).
///
/// One step a line ('#' starts a comment; "quoted words" are one argument; an argument that
/// is a message key, MSG_..., stands for the catalogue's text of that message):
///   timeout SECONDS                    how long each later step may wait (default 60)
///   wait FORM shown|hidden|tray|notray the form's window shown or hidden; its tray icon
///   wait FORM.CONTROL STATE            visible, hidden, enabled, disabled, caption~TEXT
///                                      (contains), rows=N, rows>=N
///   click FORM.CONTROL                 a button, option, check box or menu entry, once it
///                                      can be clicked; CONTROL(n) is element n of an array
///   tick FORM.LIST ROW|all             ticks rows of a list with the space bar
///   tab FORM.STRIP N                   clicks tab N (from 1) of a tab strip
///   answer TEXT BUTTON                 a message box saying TEXT: Yes, No, OK, Cancel, ...
///   tray FORM click|doubleclick|rightclick   the shell's report of a click on its icon
///   exists PATH, absent PATH           a file or folder (environment variables expanded)
///   second-instance                    another start of this program ends by itself and
///                                      never shows a window with a title bar
///   pause MS                           lets the program run on for a while
///   ask NAME [FORM]                    asks the harness for NAME (a picture of the screen,
///                                      a change to the machine) and waits until it is done:
///                                      writes NAME, and where on the screen FORM draws its
///                                      window (client area and menu bar), to the script's
///                                      name + ".ask", which the harness deletes when done
class TestDriver {
 public:
  /// The driver of $QUILLONET_TEST_SCRIPT, or nullptr when it is not set. `message` gives the
  /// catalogue's text of a message key.
  static std::unique_ptr<TestDriver> FromEnvironment(
      Win32Host& host, std::function<std::string(const std::string&)> message);
  ~TestDriver();
  TestDriver(const TestDriver&) = delete;
  TestDriver& operator=(const TestDriver&) = delete;

  /// Begins running the steps from the message loop.
  void Start();

 private:
  struct Step {
    int line = 0;
    std::string text;
    std::vector<std::string> args;
  };
  /// What an attempt at a step came to: done, not yet (try again at the next tick), failed.
  enum class Outcome { Done, NotYet, Failed };

  TestDriver(Win32Host& host, std::function<std::string(const std::string&)> message,
             std::wstring scriptPath);
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void RunDueSteps();
  Outcome Attempt(const Step& step);
  Outcome Wait(const Step& step);
  Outcome Click(const std::string& target);
  Outcome TickRows(const std::string& target, const std::string& row);
  Outcome ClickTab(const std::string& target, const std::string& tab);
  Outcome Answer(const std::string& text, const std::string& button);
  Outcome Tray(const std::string& form, const std::string& how);
  Outcome SecondInstance();
  Outcome Ask(const std::vector<std::string>& args);
  /// What FORM or FORM.CONTROL(n) names: the form's window and view, the control and the
  /// child window drawing it; what is missing is null, with the reason in `why_`.
  struct Target {
    HWND window = nullptr;
    FormWindow* view = nullptr;
    forms::Control* control = nullptr;
    HWND child = nullptr;
  };
  Target Locate(const std::string& target);
  /// The child window of FORM.CONTROL when the user could click it; nullptr (and `why_`) not.
  HWND UsableChild(const std::string& target);
  /// The window of a form with this name, or nullptr.
  HWND FormView(const std::string& name) const;
  std::string Resolve(const std::string& arg) const;
  void Fail(const Step& step, const std::string& reason);
  void Record(const std::string& line);

  Win32Host& host_;
  std::function<std::string(const std::string&)> message_;
  std::wstring scriptPath_;
  std::vector<Step> steps_;
  size_t next_ = 0;
  int timeoutMs_ = 60000;
  DWORD stepStarted_ = 0;
  bool stepBegun_ = false;
  bool firstAttempt_ = false;
  bool running_ = false;
  UINT_PTR timer_ = 0;
  std::string why_;
  // The other start of the program the second-instance step watches.
  HANDLE child_ = nullptr;
  DWORD childId_ = 0;
};

}  // namespace quill::win
