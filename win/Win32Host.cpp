#include "Win32Host.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cmath>

#include "InputWindow.h"
#include "forms/Form.h"
#include "forms/Timer.h"

namespace quill::win {

namespace {

constexpr wchar_t kMessageClass[] = L"QuillonetHost";
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr UINT_PTR kTickTimer = 1;

UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

// Keyboard navigation of the window the message is for (Tab, Enter, Escape), then the window.
void Dispatch(MSG& msg) {
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (root && IsDialogMessageW(root, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

}  // namespace

std::wstring W(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

std::string U(const std::wstring& s) {
  if (s.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

Win32Host::Win32Host() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &Win32Host::MessageProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kMessageClass;
  RegisterClassExW(&wc);
  // A hidden top-level window rather than a message-only one: it hears that the task bar was
  // made again (and puts the tray icons back) as well as the icons' clicks and the timer.
  messageWindow_ = CreateWindowExW(0, kMessageClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   wc.hInstance, nullptr);
  SetWindowLongPtrW(messageWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  lastPump_ = Clock::now() - std::chrono::hours(1);
}

Win32Host::~Win32Host() {
  for (auto& [id, icon] : trayIcons_) TrayCall(NIM_DELETE, id, {});
  // The windows go with their forms (FormDestroyed): a window's bindings must not outlive
  // the controls they draw, nor be cut while those still change.
  if (messageWindow_) DestroyWindow(messageWindow_);
  CoUninitialize();
}

HWND Win32Host::ViewOf(const forms::Form& form) const {
  auto it = views_.find(&form);
  return it == views_.end() ? nullptr : it->second;
}

LRESULT CALLBACK Win32Host::MessageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* host = reinterpret_cast<Win32Host*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (host && msg == WM_TIMER && wParam == kTickTimer) {
    host->FireDueTimers();
    return 0;
  }
  if (host && msg == kTrayMessage) {
    host->TrayMessage(static_cast<UINT>(wParam), LOWORD(lParam));
    return 0;
  }
  if (host && msg == TaskbarCreatedMessage()) {
    for (auto& [id, icon] : host->trayIcons_) host->TrayCall(NIM_ADD, id, icon.tip);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// ---- Message loop -----------------------------------------------------------------------------

int Win32Host::Run() {
  RunLoopUntil([] { return false; });
  return 0;
}

void Win32Host::Pump() {
  lastPump_ = Clock::now();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quitRequested_ = true;
      return;
    }
    Dispatch(msg);
  }
}

void Win32Host::DoEvents() {
  // Pumping the queue costs far more than a scan step: per-item yields shortly after the last
  // pump return at once.
  if (throttleMs_ > 0 && Clock::now() - lastPump_ < std::chrono::milliseconds(throttleMs_)) return;
  Pump();
}

void Win32Host::ProcessEventsNow() {
  Pump();
}

void Win32Host::Quit() {
  // Every loop checks the flag; the empty message wakes the one waiting.
  quitRequested_ = true;
  PostMessageW(messageWindow_, WM_NULL, 0, 0);
}

// ---- Dialogs ------------------------------------------------------------------------------------

HWND Win32Host::DialogOwner() const {
  HWND active = GetActiveWindow();
  if (active && IsWindowVisible(active)) return active;
  for (const auto& [form, view] : views_)
    if (IsWindowVisible(view) && form->Name() == "FrmMain") return view;
  return nullptr;
}

forms::MsgBoxResult Win32Host::MsgBox(const std::string& text, forms::MsgBoxButtons buttons,
                                      forms::MsgBoxIcon icon, const std::string& title) {
  // The model's button, icon and answer values are the Windows API's own.
  const UINT flags = static_cast<UINT>(buttons) | static_cast<UINT>(icon) | MB_SETFOREGROUND;
  const int answer = MessageBoxW(DialogOwner(), W(text).c_str(), W(title).c_str(), flags);
  if (answer == 0) return forms::MsgBoxResult::Cancel;
  return static_cast<forms::MsgBoxResult>(answer);
}

std::optional<std::string> Win32Host::InputBox(const std::string& prompt, const std::string& title,
                                               const std::string& defaultText) {
  InputButtons buttons;
  if (inputWords_) {
    const InputButtons words = inputWords_();
    if (!words.ok.empty()) buttons.ok = words.ok;
    if (!words.cancel.empty()) buttons.cancel = words.cancel;
  }
  return AskForText(DialogOwner(), prompt, title, defaultText, buttons,
                    [this](std::function<bool()> done) { RunLoopUntil(done); });
}

std::optional<std::string> Win32Host::OpenFileDialog(const std::string& title) {
  wchar_t path[MAX_PATH * 4] = L"";
  const std::wstring caption = W(title);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = DialogOwner();
  ofn.lpstrFilter = L"All files (*.*)\0*.*\0";
  ofn.lpstrFile = path;
  ofn.nMaxFile = static_cast<DWORD>(std::size(path));
  ofn.lpstrTitle = caption.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&ofn)) return std::nullopt;
  return U(path);
}

std::optional<std::string> Win32Host::ChooseFolder(const forms::Form* owner,
                                                   const std::string& title) {
  const std::wstring caption = W(title);
  BROWSEINFOW info{};
  info.hwndOwner = owner ? ViewOf(*owner) : DialogOwner();
  info.lpszTitle = caption.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return std::nullopt;
  wchar_t path[MAX_PATH] = L"";
  const bool ok = SHGetPathFromIDListW(chosen, path);
  CoTaskMemFree(chosen);
  if (!ok) return std::nullopt;
  return U(path);
}

// ---- Windows ------------------------------------------------------------------------------------

HWND Win32Host::EnsureView(forms::Form& form) {
  if (HWND view = ViewOf(form)) return view;
  if (!factory_) return nullptr;
  HWND view = factory_(form);
  if (view) views_[&form] = view;
  return view;
}

void Win32Host::FormLoaded(forms::Form& form) {
  EnsureView(form);
}

void Win32Host::FormUnloaded(forms::Form& form) {
  if (HWND view = ViewOf(form)) ShowWindow(view, SW_HIDE);
  PostMessageW(messageWindow_, WM_NULL, 0, 0);  // wakes a modal loop waiting on this form
}

void Win32Host::FormVisibilityChanged(forms::Form& form) {
  HWND view = form.Visible() ? EnsureView(form) : ViewOf(form);
  if (view) {
    int show = SW_HIDE;
    if (form.Visible()) {
      switch (form.State()) {
        case forms::WindowState::Minimized:
          show = SW_SHOWMINIMIZED;
          break;
        case forms::WindowState::Maximized:
          show = SW_SHOWMAXIMIZED;
          break;
        case forms::WindowState::Normal:
          // A notice never takes the keyboard from what the user is doing.
          show = (GetWindowLongPtrW(view, GWL_EXSTYLE) & WS_EX_NOACTIVATE) ? SW_SHOWNOACTIVATE
                                                                           : SW_SHOW;
          break;
      }
    }
    ShowWindow(view, show);
  }
  if (!form.Visible()) PostMessageW(messageWindow_, WM_NULL, 0, 0);
}

void Win32Host::BringToFront(forms::Form& form) {
  HWND view = ViewOf(form);
  if (!view || !IsWindowVisible(view)) return;
  SetForegroundWindow(view);
  BringWindowToTop(view);
}

void Win32Host::FormDestroyed(forms::Form& form) {
  TrayDelete(form);
  auto it = views_.find(&form);
  if (it == views_.end()) return;
  HWND view = it->second;
  views_.erase(it);
  DestroyWindow(view);
  PostMessageW(messageWindow_, WM_NULL, 0, 0);
}

void Win32Host::RunModal(forms::Form& form) {
  if (!form.Loaded() || !form.Visible()) return;
  HWND view = EnsureView(form);
  if (!view) return;
  // The other windows of the program wait while the modal one is up.
  std::vector<HWND> disabled;
  for (const auto& [other, window] : views_)
    if (window != view && IsWindowEnabled(window) && IsWindowVisible(window)) {
      EnableWindow(window, FALSE);
      disabled.push_back(window);
    }
  modalForms_.push_back(&form);
  RunLoopUntil([this, &form] { return !views_.count(&form) || !form.Loaded() || !form.Visible(); });
  modalForms_.pop_back();
  for (HWND window : disabled)
    if (IsWindow(window)) EnableWindow(window, TRUE);
}

void Win32Host::RunLoopUntil(const std::function<bool()>& done) {
  MSG msg;
  while (!done() && !quitRequested_) {
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
      // The session is ending: every loop, the outer ones too, stops.
      quitRequested_ = true;
      return;
    }
    Dispatch(msg);
  }
}

// ---- Timers -----------------------------------------------------------------------------------

void Win32Host::RegisterTimer(forms::Timer& timer) {
  if (timers_.count(&timer)) return;
  timers_[&timer] = {};
  TimerChanged(timer);
}

void Win32Host::UnregisterTimer(forms::Timer& timer) {
  timers_.erase(&timer);
  ScheduleNextTick();
}

void Win32Host::TimerChanged(forms::Timer& timer) {
  auto it = timers_.find(&timer);
  if (it == timers_.end()) return;
  TimerState& state = it->second;
  const auto now = Clock::now();
  if (timer.Held()) {
    // Counting stops, the due moment stays.
    if (state.due && !state.heldDue) state.heldDue = state.due;
    state.due.reset();
    ScheduleNextTick();
    return;
  }
  std::optional<Clock::time_point> resume;
  if (state.heldDue) {
    if (timer.Resuming()) resume = state.heldDue;
    state.heldDue.reset();
  }
  state.due.reset();
  if (timer.IsEnabled() && timer.Interval() > 0 && timer.Owner().Loaded()) {
    const auto interval = std::chrono::milliseconds(timer.Interval());
    // Released: the time it had left; due already, it fires at the next pass of the loop.
    state.due = resume ? std::clamp(*resume, now, now + interval) : now + interval;
  }
  ScheduleNextTick();
}

void Win32Host::FireDueTimers() {
  const auto now = Clock::now();
  std::vector<forms::Timer*> due;
  for (auto& [timer, state] : timers_)
    if (state.due && *state.due <= now) {
      // The next countdown starts now; a change the tick makes replaces it.
      state.due = now + std::chrono::milliseconds(timer->Interval());
      due.push_back(timer);
    }
  for (forms::Timer* timer : due)
    if (timers_.count(timer)) timer->Fire();  // a tick may end another timer's window
  ScheduleNextTick();
}

void Win32Host::ScheduleNextTick() {
  std::optional<Clock::time_point> next;
  for (const auto& [timer, state] : timers_)
    if (state.due && (!next || *state.due < *next)) next = state.due;
  if (!next) {
    KillTimer(messageWindow_, kTickTimer);
    return;
  }
  const auto wait =
      std::chrono::duration_cast<std::chrono::milliseconds>(*next - Clock::now()).count();
  SetTimer(messageWindow_, kTickTimer, static_cast<UINT>(std::clamp<long long>(wait, 1, 1 << 30)),
           nullptr);
}

std::chrono::system_clock::time_point Win32Host::Now() {
  return std::chrono::system_clock::now();
}

// ---- Screen, keyboard, clipboard, pointer -----------------------------------------------------

forms::ScreenMetrics Win32Host::Screen() {
  forms::ScreenMetrics metrics;
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  const int twips = dpi > 0 ? std::max(1, static_cast<int>(std::lround(1440.0 / dpi))) : 15;
  metrics.twipsPerPixelX = twips;
  metrics.twipsPerPixelY = twips;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  RECT work{0, 0, width, height};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  metrics.desktopWidthPx = width;
  metrics.desktopHeightPx = height;
  // A task bar at a side leaves the height whole: the sliding windows then rise from the
  // bottom of the screen.
  metrics.taskbarHeightPx = std::max(0, height - static_cast<int>(work.bottom - work.top));
  metrics.taskbarAtTop = work.top > 0;
  metrics.screenHeightTwips = height * twips;
  metrics.screenWidthTwips = width * twips;
  return metrics;
}

int Win32Host::ShiftState() {
  int shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= forms::kShiftMask;
  if (GetKeyState(VK_CONTROL) < 0) shift |= forms::kCtrlMask;
  if (GetKeyState(VK_MENU) < 0) shift |= forms::kAltMask;
  return shift;
}

void Win32Host::ClipboardClear() {
  if (!OpenClipboard(messageWindow_)) return;
  EmptyClipboard();
  CloseClipboard();
}

void Win32Host::ClipboardSetText(const std::string& text) {
  const std::wstring wide = W(text);
  if (!OpenClipboard(messageWindow_)) return;
  EmptyClipboard();
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t))) {
    auto* into = static_cast<wchar_t*>(GlobalLock(memory));
    std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, into);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
  }
  CloseClipboard();
}

void Win32Host::SetMousePointer(forms::MousePointer pointer) {
  busyCursor_ = pointer == forms::MousePointer::Hourglass;
  SetCursor(LoadCursorW(nullptr, busyCursor_ ? IDC_WAIT : IDC_ARROW));
}

// ---- Notification area ------------------------------------------------------------------------

bool Win32Host::TrayCall(DWORD action, UINT id, const std::string& tip) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = messageWindow_;
  nid.uID = id;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = kTrayMessage;
  nid.hIcon = trayIcon_ ? trayIcon_ : LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpynW(nid.szTip, W(tip).c_str(), static_cast<int>(std::size(nid.szTip)));
  return Shell_NotifyIconW(action, &nid);
}

bool Win32Host::TrayAdd(forms::Form& owner, const std::string& tip) {
  for (auto& [id, icon] : trayIcons_) {
    if (icon.owner != &owner) continue;
    icon.tip = tip;
    return TrayCall(NIM_MODIFY, id, tip) || TrayCall(NIM_ADD, id, tip);
  }
  const UINT id = nextTrayId_++;
  if (!TrayCall(NIM_ADD, id, tip)) return false;
  trayIcons_[id] = {&owner, tip};
  return true;
}

bool Win32Host::TrayModify(forms::Form& owner, const std::string& tip) {
  for (auto& [id, icon] : trayIcons_) {
    if (icon.owner != &owner) continue;
    icon.tip = tip;
    return TrayCall(NIM_MODIFY, id, tip);
  }
  return false;
}

bool Win32Host::TrayDelete(forms::Form& owner) {
  for (auto it = trayIcons_.begin(); it != trayIcons_.end(); ++it) {
    if (it->second.owner != &owner) continue;
    TrayCall(NIM_DELETE, it->first, {});
    trayIcons_.erase(it);
    return true;
  }
  return false;
}

bool Win32Host::HasTrayIcon(const forms::Form& owner) const {
  for (const auto& [id, icon] : trayIcons_)
    if (icon.owner == &owner) return true;
  return false;
}

bool Win32Host::PostTrayClick(const forms::Form& owner, UINT mouseMessage) {
  for (const auto& [id, icon] : trayIcons_)
    if (icon.owner == &owner) return PostMessageW(messageWindow_, kTrayMessage, id, mouseMessage);
  return false;
}

void Win32Host::TrayMessage(UINT id, UINT mouseMessage) {
  auto it = trayIcons_.find(id);
  if (it == trayIcons_.end() || mouseMessage == WM_MOUSEMOVE) return;
  // The model hears the icon's clicks as mouse moves over its window, the X coordinate
  // carrying the mouse message number in pixels.
  it->second.owner->MouseMove(static_cast<int>(mouseMessage) * Screen().twipsPerPixelX, 0);
}

}  // namespace quill::win
