// The Start button of the scan page and everything around it: the scan modes and their
// stages, progress and counters, Pause and Stop, the drive list.
#include <functional>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "base/DateTime.h"
#include "base/Numbers.h"
#include "base/Text.h"
#include "core/SettingNames.h"
#include "definitions/DefinitionSet.h"
#include "removal/frmDelete.h"
#include "scan/CookieScan.h"
#include "scan/FileScan.h"
#include "scan/ProcessScan.h"
#include "scan/RegistryScan.h"
#include "scan/ScanDriver.h"
#include "scan/StatusFilter.h"

namespace quill {

ScanMode FrmMain::SelectedScanMode() const {
  for (int i = 0; i < optScan.Count(); ++i)
    if (optScan[i].Value()) return static_cast<ScanMode>(i);
  return ScanMode::Smart;
}

// ---- Starting a scan ------------------------------------------------------------------------

void FrmMain::cmdScanNow_Click() {
  // Every start control is disabled while a scan runs; a click that still arrives (a
  // shortcut button, the scheduler) must not start a second scan inside the first.
  // Nor may a scan start while a removal runs: it would clear the lists the removal works on;
  // nor read the definition files while Live Update rewrites them.
  if (ScanInProgress() || RemovalInProgress() || app_.Updater().Merging()) return;
  lastScan_ = ScanResult::Ran;
  BeginScan();
  RunSelectedScanMode();
  FinishScan();
}

// The controls a running scan disables, and the counters and lists it starts from.
void FrmMain::BeginScan() {
  auto& app = app_;

  RunStep("scan start", [&] {
    tmrScroll.Enable(false);
    app.DeleteFailed().Hide();
    app.DeleteFailed().lstProblem.Clear();
    shpStageMarker.SetVisible(false);
    cmdRemove.SetVisible(false);
    cmdResults.SetEnabled(false);
    cmdSettings.SetEnabled(false);

    ShowPage(1);
    PicSweepNow.SetVisible(true);
    ApplyTimerState(false);

    for (forms::Control* c : std::initializer_list<forms::Control*>{&cmdScanNow, &cmdScan, &cmdLog,
                                                                    &cmdUpdate, &cmdStatus})
      c->SetEnabled(false);
    cmdStop.SetEnabled(true);
    cmdPause.SetEnabled(true);
  });
  // Whatever happened above, the scan now counts as running: the end steps below undo it.
  cmdScan.SetEnabled(false);

  RunStep("scan reset", [&] {
    for (forms::Label* l :
         {&lblRegistryInspected, &lblFilesFolderInspected, &lblMemoryInspected, &lblSoftwareFound,
          &lblRemovePicSoftwareFound, &lbltracesFound, &lblPercentageCompleted})
      l->SetCaption("0");
    lblStatus[0].SetCaption("0");
    lblTotalNoOfRunningItems.SetCaption("0");
    app.counters.Reset();
    app.gaps.Reset();

    for (forms::ListView* list :
         {&lvwSpywareFound, &lvwPicRemoveListOfSpywareFoundAndToBeRemoved, &lvwFilesToBeDeleted,
          &lvwFileNotFounds, &lvwRegistryToBeDeleted, &lvwCookiesToDelete})
      list->Clear();
    findings_.Clear();
    app.StopRequested = false;
    app.ScanStartedAt = ScanTimeText(app);
    app.Definitions().LoadProtectedList();
    app.RefreshFloor();
  });
}

void FrmMain::RunSelectedScanMode() {
  auto& app = app_;
  RunStep("scan mode", [&] {
    switch (SelectedScanMode()) {
      case ScanMode::Full:
        LoadDefinitionTables(app);
        RunFullSystemScan();
        break;
      case ScanMode::File: {
        auto file = GetHost().OpenFileDialog("");
        if (!file || file->empty()) break;
        LoadDefinitionTables(app);
        RunFileScan(*file);
        break;
      }
      case ScanMode::Folder: {
        auto folder = GetHost().ChooseFolder(this, "");
        if (!folder || folder->empty()) break;
        std::string chosen = *folder;
        if (!text::EndsWith(chosen, "\\")) chosen += "\\";
        LoadDefinitionTables(app);
        RunFolderScan(chosen);
        break;
      }
      case ScanMode::Smart:
        RunSmartScan();
        break;
    }
  });
}

// The dates, the controls given back, the automatic removal, the figures and the report.
void FrmMain::FinishScan() {
  auto& app = app_;
  RunStep("scan dates", [&] {
    app.ScanFinishedAt = ScanTimeText(app);
    app.SaveSetting(settings::kGeneral, "lblLastScan", app.ScanFinishedAt);
    if (optScanAllSelectedHardDrive.Value())
      app.SaveSetting(settings::kGeneral, "lblLastFullScan", app.ScanFinishedAt);
  });

  RunStep("scan end", [&] {
    cmdRemove.SetVisible(true);
    cmdRemove.SetEnabled(true);
    cmdResults.SetEnabled(true);
    cmdSettings.SetEnabled(true);
    shpStageMarker.SetVisible(false);
  });

  bool removeNow = false;
  RunStep("scan status", [&] {
    if (app.StopRequested) {
      lblStatus[0].SetCaption(app.Msg("MSG_SCAN_CANCELLED"));
      lblPercentageCompleted.SetCaption("0% " + app.Msg("MSG_COMPLETED"));
      pbgMain.SetValue(0);
      return;
    }
    lblStatus[0].SetCaption(app.Msg("MSG_SCAN_COMPLETED"));
    pb1.SetValue(100);
    pb2.SetValue(100);
    removeNow = app.AutoRemoveMode;
  });
  if (removeNow) {
    // A completed scheduled scan removes what it found without asking.
    RunStep("automatic removal", [&] {
      cmdRemove_Click();
      cmdSelectAll_Click();
      Command4_Click();
    });
  }

  RunStep("scan controls", [&] {
    for (forms::Control* c : std::initializer_list<forms::Control*>{&cmdScan, &cmdScanNow, &cmdLog,
                                                                    &cmdUpdate, &cmdStatus})
      c->SetEnabled(true);
    cmdStop.SetEnabled(false);
    cmdPause.SetEnabled(false);
  });
  cmdScan.SetEnabled(true);
  RunStep("timers", [&] { ApplyTimerState(true); });
  RunStep("scan figures", [&] {
    RefreshHomePage();
    RefreshCounters();
    FillCategories();
  });
  RunStep("report", [&] {
    if (chkMakeLog.Value() == 1) MakeReport();
  });
}

void FrmMain::lblStart_Click() {
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

// ---- Scan modes -----------------------------------------------------------------------------

bool FrmMain::ScanDefinitionsPresent() {
  bool present = app_.Definitions().DefinitionsPresent(
      [this] { lblDefVersion.SetCaption(app_.Msg("MSG_MISSINGFILES")); });
  if (!present) lastScan_ = ScanResult::NoDefinitions;
  if (!present)
    GetHost().MsgBox(app_.Msg("MSG_MISSING"), forms::MsgBoxButtons::OkOnly,
                     forms::MsgBoxIcon::Information, app_.brand.programName);
  return present;
}

void FrmMain::ResetScanBars() {
  pbgMain.SetVisible(false);
  for (forms::ProgressBar* bar : {&pb1, &pb2}) {
    bar->SetMax(100);
    bar->SetValue(0);
  }
}

void FrmMain::MoveStageMarker(const forms::Control& caption) {
  shpStageMarker.Move(caption.Left() - shpStageMarker.Width() - 60, caption.Top());
  shpStageMarker.SetVisible(true);
}

void FrmMain::RunProcessStage() {
  if (text::ToBool(app_.GetSetting(settings::kOptions, "chkSweepMemory", "True"))) {
    lblPercentageCompleted.SetCaption(app_.Msg("MSG_MEMORY"));
    app_.StageLabel = app_.Msg("MSG_MEMORY") + ": ";
    ProcessCheck(*this);
  } else {
    lblMemoryInspected.SetCaption(app_.Msg("MSG_NOTSELECED"));
  }
}

void FrmMain::RunRegistryStage() {
  lblPercentageCompleted.SetCaption(app_.Msg("MSG_REGISTRY"));
  app_.StageLabel = app_.Msg("MSG_REGISTRY") + ": ";
  pb1.SetValue(0);
  const auto& counts = app_.Definitions().Counts();
  if (counts.total != 0)
    pb2.SetValue(
        numbers::Percent(static_cast<double>(counts.cookies), static_cast<double>(counts.total)));
  if (text::ToBool(app_.GetSetting(settings::kOptions, "chkScanRegistry", "True"))) {
    MoveStageMarker(Label10);
    RegistryScanStage(*this);
  } else {
    lblRegistryInspected.SetCaption(app_.Msg("MSG_NOTSELECED"));
  }
}

void FrmMain::RunSmartScan() {
  if (!ScanDefinitionsPresent()) return;
  ResetScanBars();
  CookieCount = 0;
  auto& app = app_;

  if (text::Val(app.GetSetting(settings::kOptions, "chkScanCookies", "1")) == 1) {
    lblPercentageCompleted.SetCaption(app.Msg("MSG_COOKIES"));
    app.StageLabel = app.Msg("MSG_COOKIES") + ": ";
    CookieScanStage(*this);
    pb1.SetValue(100);
    const auto& counts = app.Definitions().Counts();
    if (counts.total != 0)
      pb2.SetValue(
          numbers::Percent(static_cast<double>(counts.cookies), static_cast<double>(counts.total)));
    lblStatus[0].SetCaption(app.Msg("MSG_COOKIES_FINISHED"));
  }

  RunProcessStage();
  RunRegistryStage();

  lblPercentageCompleted.SetCaption(app.Msg("MSG_SPYWARE"));
  app.StageLabel = app.Msg("MSG_SPYWARE") + ": ";
  MoveStageMarker(Label11);
  ScanFileDefinitions(*this);
  ScanFolderDefinitions(*this);

  ReportProgress("Scan Complete", 100, 100);
}

void FrmMain::RunFullSystemScan() {
  if (!ScanDefinitionsPresent()) return;
  ResetScanBars();
  lblPercentageCompleted.SetCaption("Scanning your Hard Disk...");
  CookieCount = 0;

  // Every listed drive is walked; the ticks are kept for the user but not consulted here.
  for (int i = 0; i < lvwHardDrives.Count(); ++i) {
    if (app_.StopRequested) return;
    pbgMain.SetValue(0);
    ScanDrive(lvwHardDrives.Item(i).text + ":\\");
    GetHost().DoEvents();
  }
  // A stop during the last drive ends the scan as well: the later stages do not run.
  if (app_.StopRequested) return;

  RunProcessStage();
  RunRegistryStage();
  ReportProgress("Scan Complete", 100, 100);
}

void FrmMain::ScanDrive(const std::string& root) {
  auto volume = app_.Shell().Volume(root);
  if (!volume) return;  // not ready: skipped
  const uint64_t used = volume->total >= volume->free ? volume->total - volume->free : 0;
  pbgMain.SetMax(static_cast<int64_t>(used));
  pbgMain.SetValue(0);
  lblStatus[0].SetVisible(true);
  ScanFolderTree(*this, root);
  pbgMain.SetValue(pbgMain.Max());
}

void FrmMain::RunFolderScan(const std::string& folder) {
  if (!ScanDefinitionsPresent()) return;
  ResetScanBars();
  lblPercentageCompleted.SetCaption("Scanning " + folder + "...");
  CookieCount = 0;
  if (app_.StopRequested) return;
  ScanFolderRoot(folder);
  GetHost().DoEvents();
  ReportProgress("Scan Complete", 100, 100);
}

void FrmMain::ScanFolderRoot(const std::string& folder) {
  pbgMain.SetMax(100);
  pbgMain.SetValue(0);
  lblStatus[0].SetVisible(true);
  // The chosen folder itself is compared with the folder definitions too.
  CheckFoundFolder(*this, folder);
  ++app_.counters.FilesFoldersInspected;
  ReportProgress("Scanning: " + folder, 0, 0);
  ScanFolderTree(*this, folder);
  pbgMain.SetValue(pbgMain.Max());
}

void FrmMain::RunFileScan(const std::string& file) {
  if (!ScanDefinitionsPresent()) return;
  ResetScanBars();
  lblPercentageCompleted.SetCaption("Scanning " + file + "...");
  CookieCount = 0;
  ScanSingleFile(file);
  ReportProgress("Scan Complete", 100, 100);
}

void FrmMain::ScanSingleFile(const std::string& file) {
  pbgMain.SetMax(1);
  pbgMain.SetValue(0);
  lblStatus[0].SetVisible(true);
  CheckFoundFile(*this, file);
  ++app_.counters.FilesFoldersInspected;
  ReportProgressNow("Scanning: " + file, 0, 0);
  pbgMain.SetValue(pbgMain.Max());
}

// ---- Progress -------------------------------------------------------------------------------

void FrmMain::ReportProgress(const std::string& text, int stage, int overall) {
  // The screen is the expensive part: it is touched on every 25th call only.
  if (++app_.counters.ReportTick <= 24) return;
  ReportProgressNow(text, stage, overall);
  app_.counters.ReportTick = 0;
}

void FrmMain::ReportProgressNow(const std::string& text, int stage, int overall) {
  const auto& c = app_.counters;
  lblMemoryInspected.SetCaption(std::to_string(c.MemoryItemsInspected));
  lblRegistryInspected.SetCaption(std::to_string(c.RegistryInspected));
  lblFilesFolderInspected.SetCaption(std::to_string(c.FilesFoldersInspected));
  lblSoftwareFound.SetCaption(std::to_string(c.TracesFound));
  lblStatus[0].SetCaption(FilterStatusText(text));
  lblRemovePicSoftwareFound.SetCaption(std::to_string(c.TracesFound));
  // Percentages are 16-bit; a negative one leaves its bar alone.
  auto valid = [](int value) { return value >= 0 && value <= 32767; };
  if (valid(stage)) pb1.SetValue(stage);
  if (valid(overall)) pb2.SetValue(overall);
}

void FrmMain::RefreshCounters() {
  const auto& c = app_.counters;
  lblMemoryInspected.SetCaption(std::to_string(c.MemoryItemsInspected));
  lblRegistryInspected.SetCaption(std::to_string(c.RegistryInspected));
  lblFilesFolderInspected.SetCaption(std::to_string(c.FilesFoldersInspected));
  lblSoftwareFound.SetCaption(std::to_string(c.TracesFound));
  lblRemovePicSoftwareFound.SetCaption(std::to_string(c.TracesFound));
  app_.counters.ReportTick = 0;
}

// ---- Pause and Stop -------------------------------------------------------------------------

void FrmMain::cmdPause_Click() {
  // The box is modal: the stage that yielded to show it gets control back only when the
  // box is closed, which holds the scan.
  cmdPause.SetEnabled(false);
  cmdStop.SetEnabled(false);
  GetHost().MsgBox(app_.Msg("MSG_PAUSED"), forms::MsgBoxButtons::OkOnly,
                   forms::MsgBoxIcon::Information, app_.brand.programName);
  cmdPause.SetEnabled(true);
  cmdStop.SetEnabled(true);
}

void FrmMain::lblPause_Click() {
  lblPause.SetEnabled(false);
  lblStop.SetEnabled(false);
  GetHost().MsgBox(app_.Msg("MSG_PAUSED"), forms::MsgBoxButtons::OkOnly,
                   forms::MsgBoxIcon::Information, app_.brand.programName);
  lblPause.SetEnabled(true);
  lblStop.SetEnabled(true);
}

void FrmMain::cmdStop_Click() {
  if (GetHost().MsgBox(app_.Msg("MSG_STOP"), forms::MsgBoxButtons::YesNo,
                       forms::MsgBoxIcon::Question,
                       app_.brand.programName) != forms::MsgBoxResult::Yes)
    return;
  GetHost().SetMousePointer(forms::MousePointer::Default);
  app_.StopRequested = true;
}

void FrmMain::lblStop_Click() {
  if (GetHost().MsgBox(app_.Msg("MSG_SURE"), forms::MsgBoxButtons::YesNo,
                       forms::MsgBoxIcon::Question,
                       app_.brand.programName) != forms::MsgBoxResult::Yes)
    return;
  GetHost().SetMousePointer(forms::MousePointer::Default);
  app_.StopRequested = true;
}

// ---- Drives ---------------------------------------------------------------------------------

void FrmMain::FillDriveList() {
  lvwHardDrives.Clear();
  for (const auto& drive : app_.Shell().Drives()) {
    bool listed = false;
    switch (drive.type) {
      case platform::DriveType::Removable:
      case platform::DriveType::Remote:
      case platform::DriveType::CdRom:
        listed = true;
        break;
      case platform::DriveType::Fixed:
        listed = drive.ready;
        break;
      default:
        break;
    }
    if (listed) lvwHardDrives.Add(std::string(1, drive.letter));
  }
}

void FrmMain::lvwHardDrives_ItemCheck(int) {
  for (int i = 0; i < lvwHardDrives.Count(); ++i) {
    const auto& row = lvwHardDrives.Item(i);
    app_.SaveSetting(settings::kDrives, row.text, text::BoolText(row.checked));
  }
}

}  // namespace quill
