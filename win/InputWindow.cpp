#include "InputWindow.h"

#include "Fonts.h"
#include "Win32Host.h"

namespace quill::win {

namespace {

constexpr wchar_t kInputClass[] = L"QuillonetInput";
constexpr int kEditId = 100;

struct InputState {
  HWND edit = nullptr;
  std::optional<std::wstring> answer;
  bool done = false;
};

LRESULT CALLBACK InputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<InputState*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (state && msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    if (LOWORD(wParam) == IDOK) {
      std::wstring text(static_cast<size_t>(GetWindowTextLengthW(state->edit)) + 1, L'\0');
      text.resize(static_cast<size_t>(
          GetWindowTextW(state->edit, text.data(), static_cast<int>(text.size()))));
      state->answer = text;
    }
    state->done = true;
    return 0;
  }
  if (state && msg == WM_CLOSE) {
    state->done = true;
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND Child(HWND parent, const wchar_t* cls, const std::wstring& text, DWORD style, RECT r, int id,
           double scale) {
  HWND child = CreateWindowExW(
      cls == std::wstring(L"EDIT") ? WS_EX_CLIENTEDGE : 0, cls, text.c_str(),
      WS_CHILD | WS_VISIBLE | style, static_cast<int>(r.left * scale),
      static_cast<int>(r.top * scale), static_cast<int>((r.right - r.left) * scale),
      static_cast<int>((r.bottom - r.top) * scale), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(MessageFont()), TRUE);
  return child;
}

}  // namespace

std::optional<std::string> AskForText(HWND owner, const std::string& prompt,
                                      const std::string& title, const std::string& defaultText,
                                      const InputButtons& buttons,
                                      const std::function<void(std::function<bool()>)>& runLoop) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = InputProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kInputClass;
  RegisterClassExW(&wc);

  HDC screen = GetDC(nullptr);
  const double scale = (screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96) / 96.0;
  if (screen) ReleaseDC(nullptr, screen);
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  RECT frame{0, 0, static_cast<LONG>(380 * scale), static_cast<LONG>(130 * scale)};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  HWND window = CreateWindowExW(
      WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kInputClass, W(title).c_str(), style,
      (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
      width, height, owner, nullptr, wc.hInstance, nullptr);
  if (!window) return std::nullopt;

  InputState state;
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  Child(window, L"STATIC", W(prompt), 0, {12, 10, 368, 50}, 0, scale);
  state.edit = Child(window, L"EDIT", W(defaultText), WS_TABSTOP | ES_AUTOHSCROLL,
                     {12, 56, 368, 80}, kEditId, scale);
  Child(window, L"BUTTON", W(buttons.ok), WS_TABSTOP | BS_DEFPUSHBUTTON, {196, 94, 280, 120}, IDOK,
        scale);
  Child(window, L"BUTTON", W(buttons.cancel), WS_TABSTOP, {288, 94, 368, 120}, IDCANCEL, scale);
  SendMessageW(state.edit, EM_SETSEL, 0, -1);

  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  SetFocus(state.edit);
  runLoop([&state] { return state.done; });
  if (owner) EnableWindow(owner, TRUE);
  DestroyWindow(window);
  if (!state.answer) return std::nullopt;
  return U(*state.answer);
}

}  // namespace quill::win
