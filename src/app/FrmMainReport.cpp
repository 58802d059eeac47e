// The report commands of the main window: the log written after a scan and the report window.
#include <exception>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "reports/ScanReport.h"
#include "reports/frmReport.h"
#include "scan/ScanDriver.h"

namespace quill {

void FrmMain::MakeReport() {
  auto& files = app_.Files();
  const std::string path = app_.DataFile("Scan_Log.txt");
  std::string report;
  try {
    const ScanState& scan = scanRun_.State();
    report =
        ScanReportText(app_, {lblMemoryInspected.Caption(), lblRegistryInspected.Caption(),
                              lblFilesFolderInspected.Caption(), ShownFindings(),
                              scan.ScanStartedAt, scan.ScanFinishedAt, ScanGapTexts(scan.gaps)});
  } catch (const std::exception& e) {
    GetHost().HandlerFailed("MakeReport", e.what());
    return;
  }
  // The report is written from scratch: one report, the latest scan's.
  if (files.Attributes(path)) files.DeleteFile(path);
  files.WriteFile(path, report);
}

void FrmMain::lblViewLogFile_Click() {
  lblViewLogFile.SetEnabled(false);
  try {
    app_.Report().Show(true);
  } catch (const std::exception& e) {
    GetHost().HandlerFailed("lblViewLogFile_Click", e.what());
  }
  lblViewLogFile.SetEnabled(true);
}

void FrmMain::cmdLog_Click() {
  lblViewLogFile.SetEnabled(false);
  try {
    auto& report = app_.Report();
    report.Load();
    report.Show(true);
  } catch (const std::exception& e) {
    GetHost().HandlerFailed("cmdLog_Click", e.what());
  }
  lblViewLogFile.SetEnabled(true);
}

}  // namespace quill
