#include "views/SlideWindows.h"

#include "Fonts.h"
#include "Win32Host.h"
#include "app/frmMenuPopUp.h"
#include "app/frmSignatureUpdated.h"
#include "app/frmSplash.h"

namespace quill::win {

namespace {

constexpr DWORD kFrameless = WS_POPUP | WS_BORDER;
constexpr DWORD kNotice = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;

class SplashWindow : public FormWindow {
 public:
  explicit SplashWindow(frmSplash& form) : FormWindow(form, 460, 300, kFrameless) {
    picture_ = binder_.Label(form.picSplash, SS_ICON | SS_CENTERIMAGE);
    SendMessageW(picture_, STM_SETICON, reinterpret_cast<WPARAM>(ProgramIcon(Px(48))), 0);
    name_ = binder_.Label(form.lblProductName, SS_CENTER | SS_NOPREFIX);
    SendMessageW(name_, WM_SETFONT, reinterpret_cast<WPARAM>(HeadingFont()), FALSE);
    // In the middle of the screen's work area.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT own{};
    GetWindowRect(Handle(), &own);
    SetWindowPos(Handle(), nullptr, (work.left + work.right - (own.right - own.left)) / 2,
                 (work.top + work.bottom - (own.bottom - own.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Built();
  }

 private:
  void Layout(int, int) override {
    Place(picture_, 40, 40, 380, 140);
    Place(name_, 40, 200, 380, 40);
  }
  HWND picture_, name_;
};

class NotificationWindow : public FormWindow {
 public:
  NotificationWindow(frmSignatureUpdated& form, const std::string& programName)
      : FormWindow(form, 340, 140, kFrameless, kNotice) {
    picture_ = StockIconPicture(Handle(), IDI_INFORMATION);
    title_ =
        CreateWindowExW(0, L"STATIC", W(programName).c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX,
                        0, 0, 0, 0, Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(title_, WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), FALSE);
    info_ = binder_.Label(form.lblUpdateInfo);
    ok_ = binder_.Button(form.cmdUpdateSuccesfullOK, true);
    FollowModelGeometry();
    Built();
  }

 private:
  void Layout(int width, int height) override {
    const int w = width * 96 / Px(96), h = height * 96 / Px(96);
    Place(picture_, 14, 14, 32, 32);
    Place(title_, 60, 12, w - 72, 20);
    Place(info_, 60, 36, w - 72, h - 78);
    Place(ok_, w - 92, h - 36, 80, 26);
  }
  HWND picture_, title_, info_, ok_;
};

class MenuPopUpWindow : public FormWindow {
 public:
  explicit MenuPopUpWindow(frmMenuPopUp& form)
      : FormWindow(form, 200, 160, kFrameless, kNotice), form_(form) {
    name_ = binder_.Label(form.lblName);
    SendMessageW(name_, WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont()), FALSE);
    show_ = binder_.Button(form.mnuMaxmimaize);
    exit_ = binder_.Button(form.mnuClose);
    close_ = binder_.Button(form.lblMenuClose);
    FollowModelGeometry();
    Built();
  }

 private:
  void Layout(int width, int) override {
    const int w = width * 96 / Px(96);
    Place(name_, 12, 10, w - 24, 20);
    Place(show_, 12, 38, w - 24, 28);
    Place(exit_, 12, 72, w - 24, 28);
    Place(close_, 12, 110, w - 24, 24);
  }
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
    // The pointer over the menu keeps it up; over "Close This Menu" it tells the model so.
    if (msg == WM_SETCURSOR && HIWORD(lParam) == WM_MOUSEMOVE) {
      if (reinterpret_cast<HWND>(wParam) == close_)
        form_.lblMenuClose_MouseMove();
      else
        form_.Form_MouseMove();
    }
    return FormWindow::OnMessage(msg, wParam, lParam, result);
  }
  frmMenuPopUp& form_;
  HWND name_, show_, exit_, close_;
};

}  // namespace

FormWindow* MakeSplashWindow(frmSplash& form) {
  return new SplashWindow(form);
}
FormWindow* MakeNotificationWindow(frmSignatureUpdated& form, const std::string& programName) {
  return new NotificationWindow(form, programName);
}
FormWindow* MakeMenuPopUpWindow(frmMenuPopUp& form) {
  return new MenuPopUpWindow(form);
}

}  // namespace quill::win
