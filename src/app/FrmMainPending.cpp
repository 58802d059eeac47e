// Handlers of the main window whose subsystems are not built yet. Each section is removed by
// the subsystem that implements it; until then the handler does nothing.
#include "app/Application.h"
#include "app/FrmMain.h"

namespace quill {

// ==== protection: shields and scheduler ======================================================
void FrmMain::tmrCheckHomePage_Timer() {}
void FrmMain::tmrMemoryInspected_Timer() {}
void FrmMain::tmrScheduler_Timer() {}
void FrmMain::LoadSchedule() {}
void FrmMain::SaveSchedule() {}
void FrmMain::CmdProceed_Click() {}
void FrmMain::cmdDefaultSetting_Click() {}
void FrmMain::chkAutomaticScanYesOrNo_Click() {}
void FrmMain::cmbDays_Click() {}
void FrmMain::dtpScheduleDate_Change() {}
void FrmMain::dtpScheduleTime_Click() {}
void FrmMain::chkAutoDel_Click() {}
void FrmMain::RaiseProcessAlert(const std::string&, const std::string&) {}
// ==== end protection =========================================================================

}  // namespace quill
