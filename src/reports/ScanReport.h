#pragma once

#include <string>
#include <vector>

#include "results/Finding.h"

namespace quill {

class ProgramContext;

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

/// The whole text of "Scan_Log.txt" for the main window's current results, counters and
/// scan times, with the current exclusions and quarantine log: double-spaced, CR LF line ends.
std::string ScanReportText(ProgramContext& app, const ScanReportSource& source);

}  // namespace quill
