#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quill {

/// The scan modes, in the order of the scan page's mode options (optScan).
enum class ScanMode { Smart = 0, Full = 1, File = 2, Folder = 3 };

/// How the last scan the Start button began ended.
enum class ScanResult {
  Ran,            ///< it ran to its end (or was stopped by the user)
  NoDefinitions,  ///< it could not run: the definition files are missing
  Busy,           ///< it did not start: another scan was running
};

/// Scan-wide counters, all set to 0 at the start of every scan.
struct ScanCounters {
  int32_t MemoryItemsInspected = 0;
  int32_t RegistryInspected = 0;
  int32_t FilesFoldersInspected = 0;
  int32_t TracesFound = 0;
  /// Programs running at the last process check (counted one by one on the older family).
  int32_t RunningPrograms = 0;
  /// Calls of ReportProgress since the screen was last refreshed.
  int32_t ReportTick = 0;

  void Reset() { *this = ScanCounters{}; }
};

/// What a scan could not do, kept beside the counters and reset with them at the start of
/// every scan: the report and the command line tell the user.
struct ScanGaps {
  /// Stages that failed part way ("Registry: ..."): the scan did not complete.
  std::vector<std::string> FailedStages;
  /// Parts of the machine that could not be examined (a registry hive that could not be
  /// read in full); what could be read was examined.
  std::vector<std::string> Unexamined;
  /// Folders a walk has entered during this scan, by (device, inode): a folder reached again
  /// (through a link, or through another drive) is not walked twice.
  std::set<std::pair<uint64_t, uint64_t>> WalkedFolders;

  bool Complete() const { return FailedStages.empty(); }
  void Reset() { *this = ScanGaps{}; }
};

/// The scan-wide state every stage shares, owned by the scan run: the stages read and count
/// in it, the report and the command line read it after the scan.
struct ScanState {
  ScanCounters counters;
  ScanGaps gaps;
  /// True from the start of a scan until its last step that counts as scanning.
  bool running = false;
  /// Set by a confirmed Stop; every stage polls it after each yield.
  bool StopRequested = false;
  /// The localized stage name and ": ", shown before the item in every progress line.
  std::string StageLabel;
  /// The scan's start and finish, in the general date form.
  std::string ScanStartedAt;
  std::string ScanFinishedAt;
  /// Cookie files the cookie stage has reached in this scan.
  int32_t CookieCount = 0;
  /// Names and identifiers of the running processes at the last process check (a scan's or
  /// the shield's): the shield does not look again at an unchanged list.
  std::string ProcessListSignature;
};

}  // namespace quill
