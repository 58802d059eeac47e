#pragma once

#include "views/FormWindow.h"

namespace quill {
class frmAbout;
class frmReport;
class frmDownload;
class frmLanguage;
class frmHomePageChangedAlert;
class frmSpywareFoundAlert;
class frmDelete;
class frmQuarantine;
}  // namespace quill

namespace quill::win {

/// The program's small windows: each lays out its form's controls; the behaviour is the
/// form's. Made by the view factory; each belongs to its window.
FormWindow* MakeAboutWindow(frmAbout& form);
FormWindow* MakeReportWindow(frmReport& form);
FormWindow* MakeDownloadWindow(frmDownload& form);
FormWindow* MakeLanguageWindow(frmLanguage& form);
FormWindow* MakeHomePageAlertWindow(frmHomePageChangedAlert& form);
FormWindow* MakeProcessAlertWindow(frmSpywareFoundAlert& form);
FormWindow* MakeDeleteFailedWindow(frmDelete& form);
FormWindow* MakeQuarantineWindow(frmQuarantine& form);

}  // namespace quill::win
