#pragma once

#include "views/FormWindow.h"

namespace quill {
class frmSplash;
class frmSignatureUpdated;
class frmMenuPopUp;
}  // namespace quill

namespace quill::win {

/// The windows without a frame: the splash, and the two that slide out of the task bar (the
/// definitions-updated notice and the tray's menu), placed where the model moves them.
FormWindow* MakeSplashWindow(frmSplash& form);
FormWindow* MakeNotificationWindow(frmSignatureUpdated& form, const std::string& programName);
FormWindow* MakeMenuPopUpWindow(frmMenuPopUp& form);

}  // namespace quill::win
