// Which handler each control of the main window calls.
#include "app/FrmMain.h"

namespace quill {

void FrmMain::Wire() {
  WireNavigation();
  WireScanPage();
  WireResultsPage();
  WireOptionsPage();
  WireMenusAndTimers();
}

// The window's events, the navigation bar and the Home page.
void FrmMain::WireNavigation() {
  OnLoad([this] { Form_Load(); });
  OnQueryUnload([this] { return Form_QueryUnload(); });
  OnUnload([this] { Form_Unload(); });
  OnResize([this] { Form_Resize(); });
  OnMouseMove([this](int x, int y) { Form_MouseMove(x, y); });

  cmdStatus.OnClick([this] { cmdStatus_Click(); });
  cmdScan.OnClick([this] { cmdScan_Click(); });
  cmdResults.OnClick([this] { cmdResults_Click(); });
  cmdSettings.OnClick([this] { cmdSettings_Click(); });
  cmdUpdate.OnClickWithShift([this](int shift) { cmdUpdate_Click(shift); });
  cmdLog.OnClick([this] { cmdLog_Click(); });
  Command5.OnClick([this] { Command5_Click(); });
  cmdWebsite.OnClick([this] { cmdWebsite_Click(); });
  cmdHijack.OnClick([this] { cmdHijack_Click(); });
  Command1.OnClick([this] { Command1_Click(); });
}

// The scan page: modes, start, pause and stop, the progress list.
void FrmMain::WireScanPage() {
  Command3.OnClick([this] { Command3_Click(); });
  cmdMainScan1.OnClick([this] { cmdMainScan1_Click(); });
  Command6.OnClick([this] { Command6_Click(); });
  Command7.OnClick([this] { Command7_Click(); });
  cmdScanNow.OnClick([this] { cmdScanNow_Click(); });
  cmdPause.OnClick([this] { cmdPause_Click(); });
  cmdStop.OnClick([this] { cmdStop_Click(); });
  lblStart.OnClick([this] { lblStart_Click(); });
  lblPause.OnClick([this] { lblPause_Click(); });
  lblStop.OnClick([this] { lblStop_Click(); });
  cmdRemove.OnClick([this] { cmdRemove_Click(); });
  lvwSpywareFound.OnColumnClick(
      [this](int column) { EnhListView_SortColumns(lvwSpywareFound, column, false); });
}

// The results page: the list and its commands, the submission.
void FrmMain::WireResultsPage() {
  auto& results = lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  findings_.Watch([this](int index) { ShowFinding(index); });
  results.OnColumnClick(
      [this, &results](int column) { EnhListView_SortColumns(results, column, false); });
  results.OnItemCheck(
      [this](int row) { lvwPicRemoveListOfSpywareFoundAndToBeRemoved_ItemCheck(row); });
  results.OnDoubleClick(
      [this](int row) { lvwPicRemoveListOfSpywareFoundAndToBeRemoved_DblClick(row); });
  cmdSelectAll.OnClick([this] { cmdSelectAll_Click(); });
  cmdBrowse.OnClick([this] { cmdBrowse_Click(); });
  cmdExclude.OnClick([this] { cmdExclude_Click(); });
  cmdFalsePos.OnClick([this] { cmdFalsePos_Click(); });
  Command4.OnClick([this] { Command4_Click(); });
  lblRemove.OnClick([this] { lblRemove_Click(); });
  lblViewLogFile.OnClick([this] { lblViewLogFile_Click(); });
  cmdSubmit.OnClick([this] { cmdSubmit_Click(); });
  txtFilename.OnKeyPress([this](int key) { txtFilename_KeyPress(key); });
}

// The Options page's four tabs.
void FrmMain::WireOptionsPage() {
  TabStrip1.OnClick([this] { TabStrip1_Click(); });
  chkSweepMemory.OnClick([this] { chkSweepMemory_Click(); });
  chkScanRegistry.OnClick([this] { chkScanRegistry_Click(); });
  chkScanCookies.OnClick([this] { chkScanCookies_Click(); });
  chkMakeLog.OnClick([this] { chkMakeLog_Click(); });
  chkSendData.OnClick([this] { chkSendData_MouseUp(); });
  chkRunAtStartup.OnClick([this] { chkRunAtStartup_Click(); });
  optScanOnlyKnownSoftwares.OnClick([this] { optScanOnlyKnownSoftwares_Click(); });
  optScanAllSelectedHardDrive.OnClick([this] { optScanAllSelectedHardDrive_Click(); });
  lvwHardDrives.OnItemCheck([this](int row) { lvwHardDrives_ItemCheck(row); });
  chkHomePage.OnClick([this] { chkHomePage_Click(); });
  optIEHomePageSheildOn.OnClick([this] { optIEHomePageSheildOn_Click(); });
  optIEHomePageSheildOff.OnClick([this] { optIEHomePageSheildOff_Click(); });
  optAlwaysnotifybeforerestoring.OnClick([this] { optAlwaysnotifybeforerestoring_Click(); });
  optRestoredefaultwithoutnotification.OnClick(
      [this] { optRestoredefaultwithoutnotification_Click(); });
  chkAutoProtect.OnClick([this] { chkAutoProtect_Click(); });
  optMemorySheildOn.OnClick([this] { optMemorySheildOn_Click(); });
  optMemorySheildOff.OnClick([this] { optMemorySheildOff_Click(); });
  chkAutomaticScanYesOrNo.OnClick([this] { chkAutomaticScanYesOrNo_Click(); });
  cmbDays.OnClick([this] { cmbDays_Click(); });
  dtpScheduleDate.OnChange([this] { dtpScheduleDate_Change(); });
  dtpScheduleTime.OnChange([this] { dtpScheduleTime_Click(); });
  chkAutoDel.OnClick([this] { chkAutoDel_Click(); });
  CmdProceed.OnClick([this] { CmdProceed_Click(); });
  cmdDefaultSetting.OnClick([this] { cmdDefaultSetting_Click(); });
  chkAutomaticUpdate.OnClick([this] { chkAutomaticUpdate_Click(); });
  cmdLiveUpdate.OnClick([this] { cmdLiveUpdate_Click(); });
}

// The menu bar and the timers.
void FrmMain::WireMenusAndTimers() {
  auto wireMenu = [this](forms::ControlArray<forms::Menu>& items, const std::string& menu) {
    for (auto& item : items) {
      forms::Menu* m = item.get();
      m->OnClick([this, m, menu] { MenuClick(menu, m->Index().value_or(0)); });
    }
  };
  wireMenu(mnuFileItem, "File");
  wireMenu(mnuSettingsItem, "Settings");
  wireMenu(mnuQuarantineItem, "Quarantine");
  wireMenu(mnuLanguagesItem, "Languages");
  wireMenu(mnuHelpItem, "Help");
  wireMenu(mnuAboutItem, "About");
  wireMenu(mnuDebugItem, "Debug");

  tmrCheckHomePage.OnTick([this] { tmrCheckHomePage_Timer(); });
  tmrMemoryInspected.OnTick([this] { tmrMemoryInspected_Timer(); });
  tmrScheduler.OnTick([this] { tmrScheduler_Timer(); });
  timUpdate.OnTick([this] { timUpdate_Timer(); });
  tmrScroll.OnTick([this] { tmrScroll_Timer(); });
}

}  // namespace quill
