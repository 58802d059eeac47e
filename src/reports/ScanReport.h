#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "results/Finding.h"

namespace quill {

namespace platform {
class FileSystem;
}

/// What the report shows of the scan and the window it ran in: the scan's times and what it
/// could not do, the three inspected counts as they are shown, and the findings of the
/// results list in its order.
struct ScanReportSource {
  std::string processesInspected;
  std::string registryInspected;
  std::string filesFoldersInspected;
  std::vector<Finding> findings;
  std::string startedAt;
  std::string finishedAt;
  /// One sentence each (ScanGapTexts).
  std::vector<std::string> notExamined;
};

/// "Cookie", "Registry", "File", "Folder" or "EXCLUDED" by a results row's icon number;
/// "Unknown" for any other number.
std::string ReportTypeText(int icon);

/// What the report reads besides the scan: the files it measures and quotes, where the
/// quarantine log and the exclusion list are, and the name and version in its title.
struct ReportInputs {
  platform::FileSystem& files;
  std::string quarantineLog;
  std::string exclusionList;
  std::string programName;
  int versionMajor = 1;
  int versionMinor = 0;
};

/// The whole text of "Scan_Log.txt" for the main window's current results, counters and
/// scan times, with the current exclusions and quarantine log: double-spaced, CR LF line ends.
std::string ScanReportText(const ReportInputs& in, const ScanReportSource& source);

/// The report's file name in the data folder.
inline constexpr char kScanReportFile[] = "Scan_Log.txt";

/// The saved report at path as the "Log" window shows it; nothing when it cannot be read.
/// The report is double-spaced: a blank line becomes one line break, and content lines with
/// no blank line between them run together. yield runs after each line (a long report must
/// not freeze the window).
std::optional<std::string> ReadReportAsShown(platform::FileSystem& files, const std::string& path,
                                             const std::function<void()>& yield);

}  // namespace quill
