// The scan driver: a scan's begin and end, its modes and their stages, and its progress.
#include "scan/ScanRun.h"

#include "base/Numbers.h"
#include "base/Text.h"
#include "core/ProgramContext.h"
#include "core/Settings.h"
#include "definitions/DefinitionSet.h"
#include "forms/HandlerBoundary.h"
#include "scan/CookieScan.h"
#include "scan/FileScan.h"
#include "scan/ProcessScan.h"
#include "scan/RegistryScan.h"
#include "scan/ScanDriver.h"
#include "scan/ScanInputs.h"
#include "scan/ScanWindow.h"
#include "scan/StatusFilter.h"

namespace quill {

ScanOptions StoredScanOptions(ProgramContext& app) {
  const settings::Store& store = app.Settings();
  ScanOptions options;
  options.scanCookies = settings::Read(store, settings::ScanCookies);
  options.scanProcesses = settings::Read(store, settings::SweepMemory);
  options.scanRegistry = settings::Read(store, settings::ScanRegistry);
  options.makeReport = settings::Read(store, settings::MakeLog);
  return options;
}

std::vector<char> ScanDriveLetters(platform::Shell& shell) {
  std::vector<char> letters;
  for (const auto& drive : shell.Drives()) {
    switch (drive.type) {
      case platform::DriveType::Removable:
      case platform::DriveType::Remote:
      case platform::DriveType::CdRom:
        letters.push_back(drive.letter);
        break;
      case platform::DriveType::Fixed:
        if (drive.ready) letters.push_back(drive.letter);
        break;
      default:
        break;
    }
  }
  return letters;
}

ScanRun::ScanRun(ProgramContext& app, ScanWindow& window, ScanView& view)
    : app_(app), window_(window), view_(view) {}

ScanInputs ScanRun::Inputs() {
  return ScanInputsOf(app_);
}

void ScanRun::Step(const char* what, const std::function<void()>& body) {
  forms::RunHandler(&app_.Host(), what, body);
}

ScanResult ScanRun::Run(const ScanOptions& options) {
  // A click that arrives while a scan runs (a shortcut button, the scheduler) must not start
  // a second scan inside the first.
  if (state_.running) return ScanResult::Busy;
  result_ = ScanResult::Ran;
  Begin();
  Step("scan mode", [&] { RunMode(options); });
  Finish(options);
  return result_;
}

void ScanRun::Begin() {
  // Whatever fails below, the scan now counts as running: the end steps undo it.
  state_.running = true;
  Step("scan start", [&] { view_.ScanStarting(); });
  Step("scan reset", [&] {
    state_.counters.Reset();
    state_.gaps.Reset();
    window_.Findings().Clear();
    state_.StopRequested = false;
    state_.ScanStartedAt = ScanTimeText(app_.Host());
    app_.Definitions().LoadProtectedList();
    app_.RefreshFloor();
  });
}

void ScanRun::RunMode(const ScanOptions& options) {
  switch (options.mode) {
    case ScanMode::Full:
      LoadDefinitionTables(Inputs(), state_);
      RunFullSystemScan(options);
      break;
    case ScanMode::File:
    case ScanMode::Folder: {
      std::optional<std::string> target =
          options.target ? options.target : view_.ChooseTarget(options.mode);
      if (!target || target->empty()) break;  // cancelled: no stage runs
      LoadDefinitionTables(Inputs(), state_);
      if (options.mode == ScanMode::File) {
        RunFileScan(*target);
        break;
      }
      if (!text::EndsWith(*target, "\\")) *target += "\\";
      RunFolderScan(*target);
      break;
    }
    case ScanMode::Smart:
      RunSmartScan(options);
      break;
  }
}

// The dates, then the end steps of the window, the last of them after the scan stopped
// counting as running.
void ScanRun::Finish(const ScanOptions& options) {
  Step("scan dates", [&] {
    state_.ScanFinishedAt = ScanTimeText(app_.Host());
    settings::Write(app_.Settings(), settings::LastScan, state_.ScanFinishedAt);
    if (options.completeScan)
      settings::Write(app_.Settings(), settings::LastFullScan, state_.ScanFinishedAt);
  });
  Step("scan end", [&] { view_.ScanEnding(state_.StopRequested); });
  state_.running = false;
  Step("scan ended", [&] { view_.ScanEnded(); });
  if (options.makeReport) Step("report", [&] { view_.MakeReport(); });
}

// ---- Modes ----------------------------------------------------------------------------------

bool ScanRun::DefinitionsPresent() {
  bool present = app_.Definitions().DefinitionsPresent([] {});
  if (present) return true;
  result_ = ScanResult::NoDefinitions;
  view_.DefinitionsMissing();
  return false;
}

void ScanRun::EnterStage(const char* message) {
  const std::string name = app_.Msg(message);
  view_.ShowStage(name);
  state_.StageLabel = name + ": ";
}

// The overall bar after the cookie stage: the cookie definitions' share of all lines.
void ScanRun::ShowCookieShare() {
  const auto& counts = app_.Definitions().Counts();
  if (counts.total == 0) return;
  view_.ShowBars(-1, static_cast<int>(numbers::Percent(static_cast<double>(counts.cookies),
                                                       static_cast<double>(counts.total))));
}

void ScanRun::RunCookieStage() {
  EnterStage("MSG_COOKIES");
  CookieScanStage(Inputs(), window_);
  view_.ShowBars(100, -1);
  ShowCookieShare();
  view_.ShowStatus(app_.Msg("MSG_COOKIES_FINISHED"));
}

void ScanRun::RunProcessStage(const ScanOptions& options) {
  if (!options.scanProcesses) {
    view_.ShowFigureText(ScanFigure::Memory, app_.Msg("MSG_NOTSELECED"));
    return;
  }
  EnterStage("MSG_MEMORY");
  ProcessCheck(Inputs(), window_);
}

void ScanRun::RunRegistryStage(const ScanOptions& options) {
  EnterStage("MSG_REGISTRY");
  view_.ShowBars(0, -1);
  ShowCookieShare();
  if (!options.scanRegistry) {
    view_.ShowFigureText(ScanFigure::Registry, app_.Msg("MSG_NOTSELECED"));
    return;
  }
  view_.MarkStage(ScanFigure::Registry);
  RegistryScanStage(Inputs(), window_);
}

// The driver does not look at the stop request between the stages: each stage returns at
// once when it is set.
void ScanRun::RunSmartScan(const ScanOptions& options) {
  if (!DefinitionsPresent()) return;
  view_.ResetBars();
  state_.CookieCount = 0;
  if (options.scanCookies) RunCookieStage();
  RunProcessStage(options);
  RunRegistryStage(options);

  EnterStage("MSG_SPYWARE");
  view_.MarkStage(ScanFigure::Files);
  ScanFileDefinitions(Inputs(), window_);
  ScanFolderDefinitions(Inputs(), window_);
  ReportProgress("Scan Complete", 100, 100);
}

void ScanRun::RunFullSystemScan(const ScanOptions& options) {
  if (!DefinitionsPresent()) return;
  view_.ResetBars();
  view_.ShowStage("Scanning your Hard Disk...");
  state_.CookieCount = 0;

  for (const std::string& root : options.driveRoots) {
    if (state_.StopRequested) return;
    view_.ShowItemDone(false);
    ScanDrive(root);
    app_.Host().DoEvents();
  }
  // A stop during the last drive ends the scan as well: the later stages do not run.
  if (state_.StopRequested) return;

  RunProcessStage(options);
  RunRegistryStage(options);
  ReportProgress("Scan Complete", 100, 100);
}

void ScanRun::ScanDrive(const std::string& root) {
  auto volume = app_.Shell().Volume(root);
  if (!volume) return;  // not ready: skipped
  const uint64_t used = volume->total >= volume->free ? volume->total - volume->free : 0;
  view_.StartItem(static_cast<int64_t>(used));
  ScanFolderTree(Inputs(), window_, root);
  view_.ShowItemDone(true);
}

void ScanRun::RunFolderScan(const std::string& folder) {
  if (!DefinitionsPresent()) return;
  view_.ResetBars();
  view_.ShowStage("Scanning " + folder + "...");
  state_.CookieCount = 0;
  if (state_.StopRequested) return;

  view_.StartItem(100);
  // The chosen folder itself is compared with the folder definitions too.
  CheckFoundFolder(Inputs(), window_, folder);
  ++state_.counters.FilesFoldersInspected;
  ReportProgress("Scanning: " + folder, 0, 0);
  ScanFolderTree(Inputs(), window_, folder);
  view_.ShowItemDone(true);

  app_.Host().DoEvents();
  ReportProgress("Scan Complete", 100, 100);
}

void ScanRun::RunFileScan(const std::string& file) {
  if (!DefinitionsPresent()) return;
  view_.ResetBars();
  view_.ShowStage("Scanning " + file + "...");
  state_.CookieCount = 0;

  view_.StartItem(1);
  CheckFoundFile(Inputs(), window_, file);
  ++state_.counters.FilesFoldersInspected;
  ReportProgressNow("Scanning: " + file, 0, 0);
  view_.ShowItemDone(true);

  ReportProgress("Scan Complete", 100, 100);
}

// ---- Progress -------------------------------------------------------------------------------

void ScanRun::ReportProgress(const std::string& text, int stage, int overall) {
  if (++state_.counters.ReportTick <= 24) return;
  ReportProgressNow(text, stage, overall);
  state_.counters.ReportTick = 0;
}

void ScanRun::ReportProgressNow(const std::string& text, int stage, int overall) {
  view_.ShowCounters(state_.counters);
  view_.ShowStatus(FilterStatusText(text));
  view_.ShowBars(stage, overall);
}

void ScanRun::RefreshCounters() {
  view_.ShowCounters(state_.counters);
  state_.counters.ReportTick = 0;
}

}  // namespace quill
