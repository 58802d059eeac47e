#pragma once

#include <string>
#include <vector>

#include "results/Finding.h"

namespace quill {

class ProgramContext;

/// What the report shows of the window a scan ran in: the three inspected counts as they
/// are shown, and the findings of the results list in its order.
struct ScanReportSource {
  std::string processesInspected;
  std::string registryInspected;
  std::string filesFoldersInspected;
  std::vector<Finding> findings;
};

/// "Cookie", "Registry", "File", "Folder" or "EXCLUDED" by a results row's icon number;
/// "Unknown" for any other number.
std::string ReportTypeText(int icon);

/// The whole text of "Scan_Log.txt" for the main window's current results, counters and
/// scan times, with the current exclusions and quarantine log: double-spaced, CR LF line ends.
std::string ScanReportText(ProgramContext& app, const ScanReportSource& source);

}  // namespace quill
