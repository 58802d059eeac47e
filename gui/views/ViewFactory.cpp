#include "views/ViewFactory.h"

#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/ProtectionAlerts.h"
#include "app/frmAbout.h"
#include "app/frmDelete.h"
#include "app/frmDownload.h"
#include "app/frmLanguage.h"
#include "app/frmMenuPopUp.h"
#include "app/frmPrefix.h"
#include "app/frmQuarantine.h"
#include "app/frmReport.h"
#include "app/frmSignatureUpdated.h"
#include "app/frmSplash.h"
#include "views/AboutView.h"
#include "views/DeleteView.h"
#include "views/DownloadView.h"
#include "views/HomePageAlertView.h"
#include "views/LanguageView.h"
#include "views/MainView.h"
#include "views/MenuPopUpView.h"
#include "views/NotificationView.h"
#include "views/PrefixView.h"
#include "views/ProcessAlertView.h"
#include "views/QuarantineView.h"
#include "views/ReportView.h"
#include "views/SplashView.h"

namespace quill::gui {

QtHost::ViewFactory MakeViewFactory(Application& app) {
  return [&app](forms::Form& form) -> QWidget* {
    if (auto* main = dynamic_cast<FrmMain*>(&form)) return new MainView(app, *main);
    if (auto* splash = dynamic_cast<frmSplash*>(&form)) return new SplashView(app, *splash);
    if (auto* about = dynamic_cast<frmAbout*>(&form)) return new AboutView(app, *about);
    if (auto* language = dynamic_cast<frmLanguage*>(&form)) return new LanguageView(app, *language);
    if (auto* report = dynamic_cast<frmReport*>(&form)) return new ReportView(app, *report);
    if (auto* failed = dynamic_cast<frmDelete*>(&form)) return new DeleteView(app, *failed);
    if (auto* quarantine = dynamic_cast<frmQuarantine*>(&form))
      return new QuarantineView(app, *quarantine);
    if (auto* prefix = dynamic_cast<frmPrefix*>(&form)) return new PrefixView(*prefix);
    if (auto* download = dynamic_cast<frmDownload*>(&form)) return new DownloadView(app, *download);
    if (auto* notice = dynamic_cast<frmSignatureUpdated*>(&form))
      return new NotificationView(app, *notice);
    if (auto* home = dynamic_cast<frmHomePageChangedAlert*>(&form))
      return new HomePageAlertView(app, *home);
    if (auto* found = dynamic_cast<frmSpywareFoundAlert*>(&form))
      return new ProcessAlertView(app, *found);
    if (auto* menu = dynamic_cast<frmMenuPopUp*>(&form)) return new MenuPopUpView(app, *menu);
    return nullptr;
  };
}

}  // namespace quill::gui
