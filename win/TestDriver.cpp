#include "TestDriver.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "Win32Host.h"
#include "forms/Control.h"
#include "forms/ListView.h"
#include "views/Binder.h"
#include "views/FormWindow.h"

namespace quill::win {

namespace {

constexpr UINT kTickMs = 50;
constexpr const char* kUsableWait = "visible and enabled";
TestDriver* g_driver = nullptr;

std::string WithoutCarriageReturns(std::string s) {
  std::string out;
  for (char c : s)
    if (c != '\r') out += c;
  return out;
}

std::string Text(HWND window) {
  return WithoutCarriageReturns(U(WindowText(window)));
}

// Words of a line; "quoted words" are one.
std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, any = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (any) words.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) words.push_back(word);
  return words;
}

std::vector<HWND> ThreadWindows() {
  std::vector<HWND> windows;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM into) {
        reinterpret_cast<std::vector<HWND>*>(into)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

bool IsMessageBox(HWND window) {
  wchar_t cls[16] = L"";
  GetClassNameW(window, cls, static_cast<int>(std::size(cls)));
  return std::wstring(cls) == L"#32770" && IsWindowVisible(window);
}

// What a message box says: the texts of its static children.
std::string BoxText(HWND box) {
  std::string text;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t cls[16] = L"";
    GetClassNameW(child, cls, static_cast<int>(std::size(cls)));
    if (lstrcmpiW(cls, L"Static") == 0) text += Text(child);
  }
  return text;
}

// The command of a menu bar entry with this caption, searched through the submenus.
std::optional<UINT> MenuCommand(HMENU menu, const std::wstring& caption, bool& enabled) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      if (auto id = MenuCommand(sub, caption, enabled)) return id;
      continue;
    }
    wchar_t text[256] = L"";
    GetMenuStringW(menu, static_cast<UINT>(i), text, static_cast<int>(std::size(text)),
                   MF_BYPOSITION);
    if (caption != text) continue;
    enabled = !(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED);
    return GetMenuItemID(menu, i);
  }
  return std::nullopt;
}

std::wstring Expanded(const std::string& path) {
  wchar_t out[MAX_PATH * 4] = L"";
  ExpandEnvironmentStringsW(W(path).c_str(), out, static_cast<DWORD>(std::size(out)));
  return out;
}

// The calling program's environment without the script: the other start runs as a user's.
std::wstring EnvironmentWithoutScript() {
  std::wstring block;
  wchar_t* all = GetEnvironmentStringsW();
  for (const wchar_t* entry = all; entry && *entry; entry += wcslen(entry) + 1)
    if (wcsncmp(entry, L"QUILLONET_TEST_SCRIPT=", 22) != 0) (block += entry) += L'\0';
  if (all) FreeEnvironmentStringsW(all);
  return block + L'\0';
}

bool ShowsTitledWindow(DWORD processId) {
  struct Search {
    DWORD pid;
    bool found;
  } search{processId, false};
  EnumWindows(
      [](HWND hwnd, LPARAM arg) {
        auto* s = reinterpret_cast<Search*>(arg);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == s->pid && IsWindowVisible(hwnd) &&
            (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION)
          s->found = true;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::unique_ptr<TestDriver> TestDriver::FromEnvironment(
    Win32Host& host, std::function<std::string(const std::string&)> message) {
  const wchar_t* script = _wgetenv(L"QUILLONET_TEST_SCRIPT");
  if (!script || !*script) return nullptr;
  return std::unique_ptr<TestDriver>(new TestDriver(host, std::move(message), script));
}

TestDriver::TestDriver(Win32Host& host, std::function<std::string(const std::string&)> message,
                       std::wstring scriptPath)
    : host_(host), message_(std::move(message)), scriptPath_(std::move(scriptPath)) {
  std::ifstream in{std::filesystem::path(scriptPath_)};
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    line = WithoutCarriageReturns(line);
    const auto words = Words(line.substr(0, line.find('#')));
    if (!words.empty()) steps_.push_back({number, line, words});
  }
}

TestDriver::~TestDriver() {
  if (timer_) KillTimer(nullptr, timer_);
  if (child_) CloseHandle(child_);
  if (g_driver == this) g_driver = nullptr;
}

void TestDriver::Start() {
  if (FILE* f = _wfopen((scriptPath_ + L".result").c_str(), L"wb")) std::fclose(f);
  if (steps_.empty()) {
    Fail({0, "", {}}, "the script has no steps or cannot be read");
    return;
  }
  g_driver = this;
  timer_ = SetTimer(nullptr, 0, kTickMs, &TestDriver::OnTimer);
}

void CALLBACK TestDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_driver) g_driver->RunDueSteps();
}

// One step an attempt: between two steps the program handles what the last one did.
void TestDriver::RunDueSteps() {
  if (running_ || next_ >= steps_.size()) return;
  running_ = true;
  const Step& step = steps_[next_];
  firstAttempt_ = !stepBegun_;
  if (firstAttempt_) {
    stepBegun_ = true;
    stepStarted_ = GetTickCount();
  }
  why_.clear();
  switch (Attempt(step)) {
    case Outcome::Done:
      Record("ok " + std::to_string(step.line) + ": " + step.text);
      stepBegun_ = false;
      if (++next_ == steps_.size()) {
        Record("PASS");
        KillTimer(nullptr, timer_);
        timer_ = 0;
      }
      break;
    case Outcome::NotYet:
      if (GetTickCount() - stepStarted_ > static_cast<DWORD>(timeoutMs_))
        Fail(step, "timed out" + (why_.empty() ? std::string() : ": " + why_));
      break;
    case Outcome::Failed:
      Fail(step, why_);
      break;
  }
  running_ = false;
}

TestDriver::Outcome TestDriver::Attempt(const Step& step) {
  const auto& a = step.args;
  const std::string& verb = a[0];
  auto needs = [&](size_t n) {
    if (a.size() == n + 1) return true;
    why_ = verb + " takes " + std::to_string(n) + " argument(s)";
    return false;
  };
  if (verb == "timeout" && needs(1)) {
    timeoutMs_ = std::atoi(a[1].c_str()) * 1000;
    return Outcome::Done;
  }
  if (verb == "pause" && needs(1))
    return GetTickCount() - stepStarted_ >= static_cast<DWORD>(std::atoi(a[1].c_str()))
               ? Outcome::Done
               : Outcome::NotYet;
  if (verb == "wait" && needs(2)) return Wait(step);
  if (verb == "click" && needs(1)) return Click(a[1]);
  if (verb == "tick" && needs(2)) return TickRows(a[1], a[2]);
  if (verb == "tab" && needs(2)) return ClickTab(a[1], a[2]);
  if (verb == "answer" && needs(2)) return Answer(Resolve(a[1]), a[2]);
  if (verb == "tray" && needs(2)) return Tray(a[1], a[2]);
  if ((verb == "exists" || verb == "absent") && needs(1)) {
    const bool there = GetFileAttributesW(Expanded(a[1]).c_str()) != INVALID_FILE_ATTRIBUTES;
    why_ = a[1] + (there ? " is there" : " is not there");
    return there == (verb == "exists") ? Outcome::Done : Outcome::NotYet;
  }
  if (verb == "second-instance" && needs(0)) return SecondInstance();
  if (verb == "ask" && (a.size() == 2 || needs(2))) return Ask(a);
  if (why_.empty()) why_ = "unknown step";
  return Outcome::Failed;
}

std::string TestDriver::Resolve(const std::string& arg) const {
  if (arg.rfind("MSG_", 0) != 0 ||
      arg.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_") != std::string::npos)
    return arg;
  return WithoutCarriageReturns(message_(arg));
}

HWND TestDriver::FormView(const std::string& name) const {
  for (HWND window : ThreadWindows())
    if (FormWindow* view = FormWindow::From(window); view && view->Model().Name() == name)
      return window;
  return nullptr;
}

TestDriver::Target TestDriver::Locate(const std::string& target) {
  Target found;
  const size_t dot = target.find('.');
  const std::string formName = target.substr(0, dot);
  found.window = FormView(formName);
  found.view = found.window ? FormWindow::From(found.window) : nullptr;
  if (!found.view) {
    why_ = "no window of " + formName;
    return found;
  }
  if (dot == std::string::npos) return found;
  std::string name = target.substr(dot + 1);
  std::optional<int> index;
  if (const size_t open = name.find('('); open != std::string::npos) {
    index = std::atoi(name.c_str() + open + 1);
    name.resize(open);
  }
  found.control = found.view->Model().FindControl(name, index);
  found.child = found.control ? found.view->ChildOf(*found.control) : nullptr;
  if (!found.child) why_ = target + " is not drawn";
  return found;
}

HWND TestDriver::UsableChild(const std::string& target) {
  const Target found = Locate(target);
  if (!found.child) return nullptr;
  if (!(IsWindowVisible(found.child) && IsWindowEnabled(found.child) &&
        IsWindowEnabled(found.window))) {
    why_ = target + " is not " + kUsableWait;
    return nullptr;
  }
  return found.child;
}

TestDriver::Outcome TestDriver::Wait(const Step& step) {
  const std::string& target = step.args[1];
  const std::string state = Resolve(step.args[2]);
  why_ = target + " is not " + state;
  const Target found = Locate(target);
  if (target.find('.') == std::string::npos) {
    const HWND window = found.window;
    bool met = false;
    if (state == "shown") met = window && IsWindowVisible(window);
    if (state == "hidden") met = !window || !IsWindowVisible(window);
    if (state == "tray") met = found.view && host_.HasTrayIcon(found.view->Model());
    if (state == "notray") met = !found.view || !host_.HasTrayIcon(found.view->Model());
    return met ? Outcome::Done : Outcome::NotYet;
  }
  const HWND child = found.child;
  if (!child) return Outcome::NotYet;
  const std::string caption = Text(child);
  const int rows = static_cast<int>(ListView_GetItemCount(child));
  bool met = false;
  if (state == "visible") met = IsWindowVisible(child);
  if (state == "hidden") met = !IsWindowVisible(child);
  if (state == "enabled") met = IsWindowEnabled(child);
  if (state == "disabled") met = !IsWindowEnabled(child);
  if (state.rfind("caption~", 0) == 0)
    met = caption.find(Resolve(state.substr(8))) != std::string::npos;
  if (state.rfind("rows=", 0) == 0) met = rows == std::atoi(state.c_str() + 5);
  if (state.rfind("rows>=", 0) == 0) met = rows >= std::atoi(state.c_str() + 6);
  if (!met) why_ += " (caption \"" + caption + "\", " + std::to_string(rows) + " rows)";
  return met ? Outcome::Done : Outcome::NotYet;
}

TestDriver::Outcome TestDriver::Click(const std::string& target) {
  const Target found = Locate(target);
  if (auto* menu = dynamic_cast<forms::Menu*>(found.control)) {
    // A menu entry is chosen from the window's menu bar, by its caption.
    const HWND window = found.window;
    bool enabled = false;
    const auto id = MenuCommand(GetMenu(window), W(menu->Caption()), enabled);
    if (!id || !enabled || !IsWindowVisible(window) || !IsWindowEnabled(window)) {
      why_ = target + " is not in the menu bar, or not usable";
      return Outcome::NotYet;
    }
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(*id, 0), 0);
    return Outcome::Done;
  }
  HWND child = UsableChild(target);
  if (!child) return Outcome::NotYet;
  PostMessageW(child, BM_CLICK, 0, 0);
  return Outcome::Done;
}

TestDriver::Outcome TestDriver::TickRows(const std::string& target, const std::string& row) {
  HWND list = UsableChild(target);
  if (!list) return Outcome::NotYet;
  auto* model = dynamic_cast<forms::ListView*>(Locate(target).control);
  if (!model) {
    why_ = target + " is not a list";
    return Outcome::Failed;
  }
  const int count = ListView_GetItemCount(list);
  const int first = row == "all" ? 0 : std::atoi(row.c_str());
  const int last = row == "all" ? count - 1 : first;
  if (count == 0 || last >= count) {
    why_ = target + " has " + std::to_string(count) + " rows";
    return Outcome::NotYet;
  }
  for (int r = first; r <= last; ++r) {
    if (model->Item(r).checked) continue;
    ListView_SetItemState(list, r, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
    if (!model->Item(r).checked) {
      why_ = "row " + std::to_string(r) + " of " + target + " did not take the tick";
      return Outcome::Failed;
    }
  }
  return Outcome::Done;
}

// A click in the middle of the tab, as the mouse gives it: the strip tells its window itself.
TestDriver::Outcome TestDriver::ClickTab(const std::string& target, const std::string& tab) {
  HWND strip = UsableChild(target);
  if (!strip) return Outcome::NotYet;
  RECT r{};
  if (!TabCtrl_GetItemRect(strip, std::atoi(tab.c_str()) - 1, &r)) {
    why_ = target + " has no tab " + tab;
    return Outcome::Failed;
  }
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageW(strip, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(strip, WM_LBUTTONUP, 0, at);
  return Outcome::Done;
}

TestDriver::Outcome TestDriver::Answer(const std::string& text, const std::string& button) {
  static const std::map<std::string, int> kButtons = {
      {"OK", IDOK},       {"Cancel", IDCANCEL}, {"Yes", IDYES},      {"No", IDNO},
      {"Abort", IDABORT}, {"Retry", IDRETRY},   {"Ignore", IDIGNORE}};
  const auto id = kButtons.find(button);
  if (id == kButtons.end()) {
    why_ = "no button " + button;
    return Outcome::Failed;
  }
  why_ = "no message box says \"" + text + "\"";
  for (HWND box : ThreadWindows()) {
    if (!IsMessageBox(box) || BoxText(box).find(text) == std::string::npos) continue;
    HWND press = GetDlgItem(box, id->second);
    if (!press) {
      why_ = "the message box has no " + button;
      return Outcome::Failed;
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id->second, BN_CLICKED),
                 reinterpret_cast<LPARAM>(press));
    return Outcome::Done;
  }
  return Outcome::NotYet;
}

TestDriver::Outcome TestDriver::Tray(const std::string& form, const std::string& how) {
  static const std::map<std::string, UINT> kClicks = {
      {"click", WM_LBUTTONDOWN}, {"doubleclick", WM_LBUTTONDBLCLK}, {"rightclick", WM_RBUTTONDOWN}};
  const auto click = kClicks.find(how);
  HWND window = FormView(form);
  FormWindow* view = window ? FormWindow::From(window) : nullptr;
  if (click == kClicks.end() || !view) {
    why_ = "no such click, or no window of " + form;
    return Outcome::Failed;
  }
  why_ = form + " has no tray icon";
  return host_.PostTrayClick(view->Model(), click->second) ? Outcome::Done : Outcome::NotYet;
}

TestDriver::Outcome TestDriver::SecondInstance() {
  if (firstAttempt_) {
    wchar_t self[MAX_PATH * 2] = L"";
    GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
    std::wstring command = L"\"" + std::wstring(self) + L"\"";
    std::wstring environment = EnvironmentWithoutScript();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        environment.data(), nullptr, &startup, &process)) {
      why_ = "the program could not be started again";
      return Outcome::Failed;
    }
    CloseHandle(process.hThread);
    child_ = process.hProcess;
    childId_ = process.dwProcessId;
  }
  if (ShowsTitledWindow(childId_)) {
    why_ = "the second start shows a window of its own";
    return Outcome::Failed;
  }
  why_ = "the second start is still running";
  if (WaitForSingleObject(child_, 0) != WAIT_OBJECT_0) return Outcome::NotYet;
  DWORD code = 0;
  GetExitCodeProcess(child_, &code);
  CloseHandle(child_);
  child_ = nullptr;
  if (code != 0) {
    why_ = "the second start ended with " + std::to_string(code);
    return Outcome::Failed;
  }
  return Outcome::Done;
}

TestDriver::Outcome TestDriver::Ask(const std::vector<std::string>& args) {
  const std::wstring request = scriptPath_ + L".ask";
  why_ = "the harness did not do " + args[1];
  if (firstAttempt_) {
    std::string text = args[1];
    if (args.size() > 2) {
      // What the window draws itself: the client area and the menu bar (the title bar and
      // the frame are the window manager's).
      RECT r{};
      const Target form = Locate(args[2]);
      if (!form.window || !GetClientRect(form.window, &r)) return Outcome::Failed;
      MapWindowPoints(form.window, nullptr, reinterpret_cast<POINT*>(&r), 2);
      MENUBARINFO bar{};
      bar.cbSize = sizeof bar;
      if (GetMenu(form.window) && GetMenuBarInfo(form.window, OBJID_MENU, 0, &bar))
        r.top = bar.rcBar.top;
      for (LONG v : {r.left, r.top, r.right, r.bottom}) text += " " + std::to_string(v);
    }
    // The windows have painted by now: the loop paints before it fires a timer.
    FILE* f = _wfopen(request.c_str(), L"wb");
    if (!f) return Outcome::Failed;
    std::fputs((text + "\n").c_str(), f);
    std::fclose(f);
    return Outcome::NotYet;
  }
  return GetFileAttributesW(request.c_str()) == INVALID_FILE_ATTRIBUTES ? Outcome::Done
                                                                        : Outcome::NotYet;
}

void TestDriver::Fail(const Step& step, const std::string& reason) {
  std::ostringstream out;
  out << "FAIL line " << step.line << ": " << step.text << ": " << reason;
  // What the user would have seen.
  for (HWND window : ThreadWindows()) {
    if (!IsWindowVisible(window)) continue;
    out << "\n  window \"" << Text(window) << "\"";
    if (IsMessageBox(window)) out << " says \"" << BoxText(window) << "\"";
  }
  Record(out.str());
  if (child_) TerminateProcess(child_, 1);
  ExitProcess(3);
}

void TestDriver::Record(const std::string& line) {
  if (FILE* f = _wfopen((scriptPath_ + L".result").c_str(), L"ab")) {
    std::fputs((line + "\n").c_str(), f);
    std::fclose(f);
  }
}

}  // namespace quill::win
