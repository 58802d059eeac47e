#pragma once

#include <string>

namespace quill {

class ProgramContext;

namespace forms {
class ListView;
}  // namespace forms

/// What the report shows of the window a scan ran in: the three inspected counts as they
/// are shown, and the results list.
struct ScanReportSource {
  std::string processesInspected;
  std::string registryInspected;
  std::string filesFoldersInspected;
  const forms::ListView& results;
};

/// "Cookie", "Registry", "File", "Folder" or "EXCLUDED" by a results row's icon number;
/// "Unknown" for any other number.
std::string ReportTypeText(int icon);

/// The whole text of "Scan_Log.txt" for the main window's current results, counters and
/// scan times, with the current exclusions and quarantine log: double-spaced, CR LF line ends.
std::string ScanReportText(ProgramContext& app, const ScanReportSource& source);

}  // namespace quill
