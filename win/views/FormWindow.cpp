#include "views/FormWindow.h"

#include "Win32Host.h"

namespace quill::win {

namespace {

constexpr wchar_t kFormClass[] = L"QuillonetForm";

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

FormWindow::FormWindow(forms::Form& form, int width, int height, DWORD style, DWORD exStyle)
    : binder_(nullptr), form_(form), dpi_(ScreenDpi()) {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &FormWindow::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    wc.lpszClassName = kFormClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  RECT frame{0, 0, Px(width), Px(height)};
  exStyle |= WS_EX_CONTROLPARENT;
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  hwnd_ =
      CreateWindowExW(exStyle, kFormClass, DisplayText(form.Caption()).c_str(), style,
                      CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                      frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  binder_ = Binder(hwnd_);
  form_.Changed().Subscribe([this] {
    if (hwnd_) SetWindowTextW(hwnd_, DisplayText(form_.Caption()).c_str());
  });
}

FormWindow* FormWindow::From(HWND hwnd) {
  wchar_t cls[32] = L"";
  GetClassNameW(hwnd, cls, static_cast<int>(std::size(cls)));
  if (std::wstring(cls) != kFormClass) return nullptr;
  return reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

LRESULT CALLBACK FormWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    delete self;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  LRESULT result = 0;
  if (self->OnMessage(msg, wParam, lParam, result)) return result;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool FormWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND:
      return binder_.Command(wParam, lParam);
    case WM_NOTIFY:
      return binder_.Notify(*reinterpret_cast<const NMHDR*>(lParam), result);
    case WM_CLOSE:
      // The form decides: its query-unload may keep it open, and its unload hides it.
      CloseRequested();
      return true;
    case WM_SIZE:
      if (!built_) return false;
      Layout(LOWORD(lParam), HIWORD(lParam));
      StateChanged(wParam);
      return true;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return true;
    }
    default:
      (void)result;
      return false;
  }
}

void FormWindow::Built() {
  built_ = true;
  RECT client{};
  GetClientRect(hwnd_, &client);
  Layout(client.right, client.bottom);
}

void FormWindow::CloseRequested() {
  if (form_.Loaded())
    form_.Unload();
  else
    ShowWindow(hwnd_, SW_HIDE);
}

void FormWindow::StateChanged(WPARAM sizeType) {
  if (!form_.Loaded() || !form_.Visible()) return;
  forms::WindowState state = forms::WindowState::Normal;
  if (sizeType == SIZE_MINIMIZED)
    state = forms::WindowState::Minimized;
  else if (sizeType == SIZE_MAXIMIZED)
    state = forms::WindowState::Maximized;
  if (state != form_.State()) form_.SetState(state);
}

void FormWindow::Place(HWND child, int x, int y, int width, int height) const {
  MoveWindow(child, Px(x), Px(y), Px(width), Px(height), FALSE);
}

void FormWindow::FollowModelGeometry() {
  auto follow = [this] {
    if (!hwnd_) return;
    SetWindowPos(hwnd_, HWND_TOPMOST, MulDiv(form_.Left(), dpi_, 1440),
                 MulDiv(form_.Top(), dpi_, 1440), MulDiv(form_.Width(), dpi_, 1440),
                 MulDiv(form_.Height(), dpi_, 1440), SWP_NOACTIVATE);
  };
  follow();
  form_.Changed().Subscribe(follow);
}

}  // namespace quill::win
