// The report commands of the main window: the log written after a scan and the report window.
#include <exception>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/frmReport.h"
#include "reports/ScanEnd.h"

namespace quill {

void FrmMain::MakeReport() {
  WriteScanReport(app_, scanRun_.State(), findings_, ShownFindings());
}

void FrmMain::lblViewLogFile_Click() {
  ShowReportWindow("lblViewLogFile_Click", false);
}

void FrmMain::cmdLog_Click() {
  ShowReportWindow("cmdLog_Click", true);
}

void FrmMain::ShowReportWindow(const char* handler, bool loadFirst) {
  lblViewLogFile.SetEnabled(false);
  try {
    auto& report = app_.Report();
    if (loadFirst) report.Load();
    report.Show(true);
  } catch (const std::exception& e) {
    GetHost().HandlerFailed(handler, e.what());
  }
  lblViewLogFile.SetEnabled(true);
}

}  // namespace quill
