// The scan page's handlers: Start and the shortcut buttons, Pause and Stop, the drive list.
// The scan itself is the scan run's (scan/ScanRun); the page paints it (app/MainScanView).
#include "app/Application.h"
#include "app/FrmMain.h"
#include "base/Text.h"
#include "core/Settings.h"

namespace quill {

ScanMode FrmMain::SelectedScanMode() const {
  for (int i = 0; i < optScan.Count(); ++i)
    if (optScan[i].Value()) return static_cast<ScanMode>(i);
  return ScanMode::Smart;
}

ScanOptions FrmMain::PageScanOptions() {
  ScanOptions options = StoredScanOptions(app_);
  options.mode = SelectedScanMode();
  for (int i = 0; i < lvwHardDrives.Count(); ++i)
    options.driveRoots.push_back(lvwHardDrives.Item(i).text + ":\\");
  options.completeScan = optScanAllSelectedHardDrive.Value();
  options.makeReport = chkMakeLog.Value() == 1;
  return options;
}

// ---- Starting a scan ------------------------------------------------------------------------

void FrmMain::cmdScanNow_Click() {
  StartScan();
}

void FrmMain::StartScan() {
  // A scan must not start while a removal runs: it would clear the lists the removal works
  // on; nor read the definition files while Live Update rewrites them.
  if (ScanInProgress() || RemovalInProgress() || app_.Updater().Merging()) return;
  scanRun_.Run(PageScanOptions());
}

void FrmMain::lblStart_Click() {
  StartScanOnScanPage();
}

void FrmMain::StartScanOnScanPage() {
  if (!cmdScanNow.Enabled()) return;
  ShowPage(1);
  cmdScanNow_Click();
}

void FrmMain::cmdScan_Click() {
  ShowPage(1);
}
void FrmMain::Command1_Click() {
  ShowPage(1);
}

void FrmMain::StartScanWithMode(ScanMode mode) {
  if (ScanInProgress() || RemovalInProgress()) return;
  SelectScanMode(mode);
  cmdScanNow_Click();
}

void FrmMain::Command3_Click() {
  StartScanWithMode(ScanMode::Smart);
}
void FrmMain::cmdMainScan1_Click() {
  StartScanWithMode(ScanMode::Full);
}
void FrmMain::Command6_Click() {
  StartScanWithMode(ScanMode::File);
}
void FrmMain::Command7_Click() {
  StartScanWithMode(ScanMode::Folder);
}

// ---- Progress -------------------------------------------------------------------------------

void FrmMain::ReportProgress(const std::string& text, int stage, int overall) {
  scanRun_.ReportProgress(text, stage, overall);
}

void FrmMain::RefreshCounters() {
  scanRun_.RefreshCounters();
}

// ---- Pause and Stop -------------------------------------------------------------------------

void FrmMain::cmdPause_Click() {
  PauseScan(cmdPause, cmdStop);
}

void FrmMain::lblPause_Click() {
  PauseScan(lblPause, lblStop);
}

void FrmMain::PauseScan(forms::Control& pause, forms::Control& stop) {
  // The box is modal: the stage that yielded to show it gets control back only when the
  // box is closed, which holds the scan.
  pause.SetEnabled(false);
  stop.SetEnabled(false);
  GetHost().MsgBox(app_.Msg("MSG_PAUSED"), forms::MsgBoxButtons::OkOnly,
                   forms::MsgBoxIcon::Information, app_.brand.programName);
  pause.SetEnabled(true);
  stop.SetEnabled(true);
}

void FrmMain::cmdStop_Click() {
  StopAfterQuestion("MSG_STOP");
}

void FrmMain::lblStop_Click() {
  StopAfterQuestion("MSG_SURE");
}

void FrmMain::StopAfterQuestion(const char* message) {
  if (GetHost().MsgBox(app_.Msg(message), forms::MsgBoxButtons::YesNo, forms::MsgBoxIcon::Question,
                       app_.brand.programName) != forms::MsgBoxResult::Yes)
    return;
  GetHost().SetMousePointer(forms::MousePointer::Default);
  scanRun_.Stop();
}

// ---- Drives ---------------------------------------------------------------------------------

void FrmMain::FillDriveList() {
  lvwHardDrives.Clear();
  for (char letter : ScanDriveLetters(app_.Shell())) lvwHardDrives.Add(std::string(1, letter));
}

void FrmMain::lvwHardDrives_ItemCheck(int) {
  SaveDriveChoices();
}

void FrmMain::SaveDriveChoices() {
  for (int i = 0; i < lvwHardDrives.Count(); ++i) {
    const auto& row = lvwHardDrives.Item(i);
    settings::Write(app_.Settings(), settings::Drive(row.text), row.checked);
  }
}

}  // namespace quill
