#include "views/ViewFactory.h"

#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/ProtectionAlerts.h"
#include "app/frmAbout.h"
#include "app/frmDelete.h"
#include "app/frmDownload.h"
#include "app/frmLanguage.h"
#include "app/frmMenuPopUp.h"
#include "app/frmQuarantine.h"
#include "app/frmReport.h"
#include "app/frmSignatureUpdated.h"
#include "app/frmSplash.h"
#include "views/Dialogs.h"
#include "views/MainWindow.h"
#include "views/SlideWindows.h"

namespace quill::win {

namespace {

FormWindow* Make(Application& app, forms::Form& form) {
  if (auto* main = dynamic_cast<FrmMain*>(&form))
    return new MainWindow(*main, app.brand.programName);
  if (auto* splash = dynamic_cast<frmSplash*>(&form)) return MakeSplashWindow(*splash);
  if (auto* about = dynamic_cast<frmAbout*>(&form)) return MakeAboutWindow(*about);
  if (auto* language = dynamic_cast<frmLanguage*>(&form)) return MakeLanguageWindow(*language);
  if (auto* report = dynamic_cast<frmReport*>(&form)) return MakeReportWindow(*report);
  if (auto* failed = dynamic_cast<frmDelete*>(&form)) return MakeDeleteFailedWindow(*failed);
  if (auto* quarantine = dynamic_cast<frmQuarantine*>(&form))
    return MakeQuarantineWindow(*quarantine);
  if (auto* download = dynamic_cast<frmDownload*>(&form)) return MakeDownloadWindow(*download);
  if (auto* notice = dynamic_cast<frmSignatureUpdated*>(&form))
    return MakeNotificationWindow(*notice, app.brand.programName);
  if (auto* home = dynamic_cast<frmHomePageChangedAlert*>(&form))
    return MakeHomePageAlertWindow(*home);
  if (auto* found = dynamic_cast<frmSpywareFoundAlert*>(&form))
    return MakeProcessAlertWindow(*found);
  if (auto* menu = dynamic_cast<frmMenuPopUp*>(&form)) return MakeMenuPopUpWindow(*menu);
  return nullptr;
}

}  // namespace

Win32Host::ViewFactory MakeViewFactory(Application& app) {
  return [&app](forms::Form& form) -> HWND {
    FormWindow* window = Make(app, form);
    return window ? window->Handle() : nullptr;
  };
}

}  // namespace quill::win
