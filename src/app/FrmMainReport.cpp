// The report commands of the main window: the log written after a scan and the report window.
#include <exception>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "reports/ScanEnd.h"
#include "reports/frmReport.h"

namespace quill {

void FrmMain::MakeReport() {
  WriteScanReport(app_, scanRun_.State(), findings_, ShownFindings());
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
