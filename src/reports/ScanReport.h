#pragma once

#include <string>

namespace quill {

class FrmMain;

/// "Cookie", "Registry", "File", "Folder" or "EXCLUDED" by a results row's icon number;
/// "Unknown" for any other number.
std::string ReportTypeText(int icon);

/// The whole text of "Scan_Log.txt" for the main window's current results, counters and
/// scan times, with the current exclusions and quarantine log: double-spaced, CR LF line ends.
std::string ScanReportText(FrmMain& main);

}  // namespace quill
