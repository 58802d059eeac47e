#include "views/Dialogs.h"

#include <initializer_list>
#include <iterator>

#include "Fonts.h"
#include "app/ProtectionAlerts.h"
#include "app/frmAbout.h"
#include "app/frmDelete.h"
#include "app/frmDownload.h"
#include "app/frmLanguage.h"
#include "app/frmQuarantine.h"
#include "app/frmReport.h"

namespace quill::win {

namespace {

constexpr DWORD kDialogStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

class AboutWindow : public FormWindow {
 public:
  explicit AboutWindow(frmAbout& form) : FormWindow(form, 420, 200, kDialogStyle) {
    picture_ = IconPicture(Handle(), ProgramIcon(Px(48)));
    SetFont(title_ = binder_.Label(form.lblTitle), HeadingFont());
    version_ = binder_.Label(form.lblVersion);
    company_ = binder_.Label(form.lblCompany);
    website_ = binder_.Label(form.lblWebsite);
    ok_ = binder_.Button(form.cmdOK, true);
    Built();
  }

 private:
  void Layout(int, int) override {
    Place(picture_, 16, 20, 48, 48);
    Place(title_, 76, 20, 320, 30);
    Place(version_, 76, 56, 320, 20);
    Place(company_, 76, 80, 320, 20);
    Place(website_, 76, 104, 320, 20);
    Place(ok_, 312, 156, 88, 26);
  }
  HWND picture_, title_, version_, company_, website_, ok_;
};

class ReportWindow : public FormWindow {
 public:
  explicit ReportWindow(frmReport& form)
      : FormWindow(form, 760, 540, kDialogStyle | WS_THICKFRAME | WS_MAXIMIZEBOX) {
    text_ = binder_.Text(form.txtReport, true);
    SetFont(text_, MonoFont());
    ok_ = binder_.Button(form.cmdOK, true);
    Built();
  }

 private:
  void Layout(int width, int height) override {
    const int w = width * 96 / Px(96), h = height * 96 / Px(96);
    Place(text_, 12, 12, w - 24, h - 60);
    Place(ok_, w - 100, h - 38, 88, 26);
    InvalidateRect(Handle(), nullptr, TRUE);
  }
  HWND text_, ok_;
};

class DownloadWindow : public FormWindow {
 public:
  explicit DownloadWindow(frmDownload& form) : FormWindow(form, 420, 150, kDialogStyle) {
    // The model blinks the two pictures, one at a time: both share one place.
    up_ = binder_.Label(form.picUp, SS_ICON);
    SendMessageW(up_, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_INFORMATION)),
                 0);
    down_ = binder_.Label(form.picDown, SS_ICON);
    SendMessageW(down_, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_APPLICATION)),
                 0);
    product_ = binder_.Label(form.lblProduct);
    status_ = binder_.Text(form.txtStatus);
    SendMessageW(status_, EM_SETREADONLY, TRUE, 0);
    cancel_ = binder_.Button(form.cmdCancel, true);
    Built();
  }

 private:
  void Layout(int, int) override {
    Place(up_, 20, 20, 32, 32);
    Place(down_, 20, 20, 32, 32);
    Place(product_, 72, 18, 330, 36);
    Place(status_, 72, 60, 330, 24);
    Place(cancel_, 314, 110, 88, 26);
  }
  HWND up_, down_, product_, status_, cancel_;
};

class LanguageWindow : public FormWindow {
 public:
  explicit LanguageWindow(frmLanguage& form) : FormWindow(form, 500, 150, kDialogStyle) {
    label_ = binder_.Label(form.Label1);
    combo_ = binder_.Combo(form.Combo1);
    update_ = binder_.Button(form.cmdUpdate);
    translate_ = binder_.Button(form.cmdTranslate);
    ok_ = binder_.Button(form.cmdOK, true);
    Built();
  }

 private:
  void Layout(int, int) override {
    // The two long captions ("Check for Language Updates") take their full width.
    Place(label_, 16, 16, 468, 20);
    Place(combo_, 16, 42, 468, 200);
    Place(update_, 16, 108, 190, 26);
    Place(translate_, 214, 108, 170, 26);
    Place(ok_, 396, 108, 88, 26);
  }
  HWND label_, combo_, update_, translate_, ok_;
};

/// Both shield alerts: a warning picture, the text, and two answers; always on top, as a
/// shield's question must not hide behind the window it is about.
class AlertWindow : public FormWindow {
 protected:
  AlertWindow(forms::Form& form, int height) : FormWindow(form, 460, height, kDialogStyle) {
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    picture_ = StockIconPicture(Handle(), IDI_WARNING);
  }
  void PlaceAnswers(HWND yes, HWND no, int y) {
    Place(picture_, 20, 20, 32, 32);
    Place(yes, 250, y, 96, 28);
    Place(no, 352, y, 96, 28);
  }
  HWND picture_;
};

class HomePageAlertWindow : public AlertWindow {
 public:
  explicit HomePageAlertWindow(frmHomePageChangedAlert& form) : AlertWindow(form, 230) {
    SetFont(product_ = binder_.Label(form.lblFrmHomePageProductName), BoldFont());
    info_ = binder_.Label(form.lblHomePageInfo);
    yes_ = binder_.Button(form.cmdYes, true);
    no_ = binder_.Button(form.cmdNO);
    Built();
  }

 private:
  void Layout(int, int) override {
    Place(product_, 72, 18, 370, 22);
    Place(info_, 72, 46, 370, 130);
    PlaceAnswers(yes_, no_, 190);
  }
  HWND product_, info_, yes_, no_;
};

class ProcessAlertWindow : public AlertWindow {
 public:
  explicit ProcessAlertWindow(frmSpywareFoundAlert& form) : AlertWindow(form, 230) {
    SetFont(heading_ = binder_.Label(form.lblHeading), BoldFont());
    fileCaption_ = binder_.Label(form.lblFileNameCaption);
    file_ = binder_.Label(form.lblAlertFileName, SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS);
    companyCaption_ = binder_.Label(form.lblCompanyNameCaption);
    company_ = binder_.Label(form.lblAlertCompanyName);
    stop_ = binder_.Label(form.lblStopHint);
    allow_ = binder_.Label(form.lblAllowHint);
    yes_ = binder_.Button(form.cmdYes, true);
    no_ = binder_.Button(form.cmdNO);
    Built();
  }

 private:
  void Layout(int, int) override {
    Place(heading_, 72, 18, 370, 22);
    Place(fileCaption_, 72, 50, 110, 20);
    Place(file_, 186, 50, 256, 20);
    Place(companyCaption_, 72, 74, 110, 20);
    // "No Company name available for" and the file name take two lines.
    Place(company_, 186, 74, 256, 34);
    Place(stop_, 72, 118, 370, 20);
    Place(allow_, 72, 142, 370, 20);
    PlaceAnswers(yes_, no_, 190);
  }
  HWND heading_, fileCaption_, file_, companyCaption_, company_, stop_, allow_, yes_, no_;
};

/// A resizable window around a list: text above it, a row of buttons below it.
class ListWindow : public FormWindow {
 protected:
  ListWindow(forms::Form& form, int width, int height)
      : FormWindow(form, width, height, kDialogStyle | WS_THICKFRAME | WS_MAXIMIZEBOX) {}
  /// Lays out for a client area in pixels at 96 dots per inch.
  void Stack(int width, int height, HWND above, HWND list, HWND below,
             std::initializer_list<HWND> buttons) {
    const int w = width * 96 / Px(96), h = height * 96 / Px(96);
    Place(above, 12, 10, w - 24, 36);
    // The text below the list takes two lines ("... start your computer in Safe Mode ...").
    const int belowHeight = below ? 40 : 0;
    Place(list, 12, 50, w - 24, h - 100 - belowHeight);
    if (below) Place(below, 12, h - 44 - belowHeight, w - 24, 36);
    int x = w - 12;
    for (auto it = std::rbegin(buttons); it != std::rend(buttons); ++it) {
      x -= 100;
      Place(*it, x, h - 38, 96, 26);
    }
    InvalidateRect(Handle(), nullptr, TRUE);
  }
};

class DeleteFailedWindow : public ListWindow {
 public:
  explicit DeleteFailedWindow(frmDelete& form) : ListWindow(form, 620, 420) {
    above_ = binder_.Label(form.Label1);
    // The place keeps room for a path when the reasons' column comes in beside it.
    list_ = binder_.List(form.lstProblem, nullptr, {380});
    below_ = binder_.Label(form.Label2);
    copy_ = binder_.Button(form.cmdCopy);
    ok_ = binder_.Button(form.cmdOk, true);
    Built();
  }

 private:
  void Layout(int width, int height) override {
    Stack(width, height, above_, list_, below_, {copy_, ok_});
  }
  HWND above_, list_, below_, copy_, ok_;
};

class QuarantineWindow : public ListWindow {
 public:
  explicit QuarantineWindow(frmQuarantine& form) : ListWindow(form, 900, 460) {
    info_ = binder_.Label(form.lblInfo);
    list_ = binder_.List(form.lvwQuarantine, nullptr, {48, 140, 70, 330, 200, 160});
    status_ = binder_.Label(form.lblStatus);
    restore_ = binder_.Button(form.cmdRestore);
    delete_ = binder_.Button(form.cmdDelete);
    open_ = binder_.Button(form.cmdOpenFolder);
    close_ = binder_.Button(form.cmdClose, true);
    Built();
  }

 private:
  void Layout(int width, int height) override {
    Stack(width, height, info_, list_, status_, {restore_, delete_, open_, close_});
  }
  HWND info_, list_, status_, restore_, delete_, open_, close_;
};

}  // namespace

FormWindow* MakeAboutWindow(frmAbout& form) {
  return new AboutWindow(form);
}
FormWindow* MakeReportWindow(frmReport& form) {
  return new ReportWindow(form);
}
FormWindow* MakeDownloadWindow(frmDownload& form) {
  return new DownloadWindow(form);
}
FormWindow* MakeLanguageWindow(frmLanguage& form) {
  return new LanguageWindow(form);
}
FormWindow* MakeHomePageAlertWindow(frmHomePageChangedAlert& form) {
  return new HomePageAlertWindow(form);
}
FormWindow* MakeProcessAlertWindow(frmSpywareFoundAlert& form) {
  return new ProcessAlertWindow(form);
}

FormWindow* MakeDeleteFailedWindow(frmDelete& form) {
  return new DeleteFailedWindow(form);
}
FormWindow* MakeQuarantineWindow(frmQuarantine& form) {
  return new QuarantineWindow(form);
}

}  // namespace quill::win
