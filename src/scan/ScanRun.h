#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "scan/ScanState.h"

namespace quill {

namespace platform {
class Shell;
}
class ProgramContext;
struct ScanInputs;
class ScanWindow;

/// What a scan is asked to do. The main window builds it from its scan page and options, the
/// command line from its arguments; StoredScanOptions gives what the stored settings say.
struct ScanOptions {
  ScanMode mode = ScanMode::Smart;
  /// The file (File Scan) or folder (Folder Scan) to scan. None: the user is asked when the
  /// scan gets there; an empty choice (a cancelled dialog) runs no stage.
  std::optional<std::string> target;
  /// The drive roots ("C:\") a Full System Scan walks, in order (every listed drive, ticked
  /// or not).
  std::vector<std::string> driveRoots;
  bool scanCookies = true;
  bool scanProcesses = true;
  bool scanRegistry = true;
  /// "Complete System Scan" is chosen: the finish is also stored as the last complete scan.
  bool completeScan = false;
  /// "Save scan results to log": the report is written when the scan has ended.
  bool makeReport = true;
};

/// The stage options as the Options page stored them (each key and its default here only);
/// the mode is Smart, the scan is a quick one and there is no target.
ScanOptions StoredScanOptions(ProgramContext& app);

/// The drives a Full System Scan lists, by the platform's drive types: removable, network and
/// CD-ROM drives, and fixed drives that are ready.
std::vector<char> ScanDriveLetters(platform::Shell& shell);

/// The figures of the scan page a stage owns.
enum class ScanFigure { Memory, Registry, Files };

/// What a running scan shows, in values: the main window paints it on its scan page.
class ScanView {
 public:
  virtual ~ScanView() = default;
  /// A scan begins: the window gives up its start controls, stops its timers, shows zeros
  /// and clears its lists.
  virtual void ScanStarting() = 0;
  /// The file (File Scan) or folder (Folder Scan) the user picks; none when cancelled.
  virtual std::optional<std::string> ChooseTarget(ScanMode mode) = 0;
  /// The definition files are missing: the user is told; no stage runs.
  virtual void DefinitionsMissing() = 0;
  /// The caption above the bars: the running stage or what is scanned.
  virtual void ShowStage(const std::string& caption) = 0;
  /// Points at the figure of the running stage.
  virtual void MarkStage(ScanFigure figure) = 0;
  /// A figure shows a text in place of its count (a stage the options leave out).
  virtual void ShowFigureText(ScanFigure figure, const std::string& text) = 0;
  /// Both bars to 0 of 100; the item bar is hidden.
  virtual void ResetBars() = 0;
  /// The stage and overall bars; a value outside 0..32767 leaves its bar as it is.
  virtual void ShowBars(int stage, int overall) = 0;
  /// The item bar (a drive, a folder or a file): its end, and the value 0; the status line
  /// is shown.
  virtual void StartItem(int64_t size) = 0;
  /// The item bar at 0 (start) or full (the item is done).
  virtual void ShowItemDone(bool done) = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  virtual void ShowCounters(const ScanCounters& counters) = 0;
  /// The stages are over; the scan still counts as running (a completed scheduled scan
  /// removes what it found here).
  virtual void ScanEnding(bool stopped) = 0;
  /// The scan no longer runs: the controls, the timers and the figures come back.
  virtual void ScanEnded() = 0;
  /// Writes the scan report.
  virtual void MakeReport() = 0;
};

/// The scan driver: one scan at a time in the order of its mode's stages, with its progress
/// shown through a ScanView, the state the stages share, and Stop.
class ScanRun {
 public:
  /// The run works in the window's findings and shows its progress in the view; the
  /// scanners get the program context from here.
  ScanRun(ProgramContext& app, ScanWindow& window, ScanView& view);

  /// Runs one whole scan; returns when it has ended (stopped or not).
  ScanResult Run(const ScanOptions& options);
  bool Running() const { return state_.running; }
  /// Asks the running stage to return; the scan then ends as cancelled.
  void Stop() { state_.StopRequested = true; }
  ScanState& State() { return state_; }
  const ScanState& State() const { return state_; }

  /// Shows the progress on every 25th call only: the screen is the expensive part.
  void ReportProgress(const std::string& text, int stage, int overall);
  /// Shows the progress now.
  void ReportProgressNow(const std::string& text, int stage, int overall);
  /// Shows the counters now.
  void RefreshCounters();

 private:
  void Begin();
  void RunMode(const ScanOptions& options);
  void Finish(const ScanOptions& options);
  bool DefinitionsPresent();
  void EnterStage(const char* message);
  void RunCookieStage();
  void RunProcessStage(const ScanOptions& options);
  void RunRegistryStage(const ScanOptions& options);
  void ShowCookieShare();
  void RunSmartScan(const ScanOptions& options);
  void RunFullSystemScan(const ScanOptions& options);
  void RunFolderScan(const std::string& folder);
  void RunFileScan(const std::string& file);
  void ScanDrive(const std::string& root);
  void Step(const char* what, const std::function<void()>& body);
  /// What the stages read, taken from the program as each stage begins.
  ScanInputs Inputs();

  ProgramContext& app_;
  ScanWindow& window_;
  ScanView& view_;
  ScanState state_;
  ScanResult result_ = ScanResult::Ran;
};

}  // namespace quill
