#include "app/frmReport.h"

#include "app/Application.h"
#include "forms/Host.h"
#include "reports/ScanReport.h"

namespace quill {

frmReport::frmReport(Application& app) : Form(app.Host(), "frmReport", "Log"), app_(app) {
  OnLoad([this] { Form_Load(); });
  cmdOK.OnClick([this] { Unload(); });
}

void frmReport::Form_Load() {
  ShowReport();
}

void frmReport::ShowReport() {
  // Opened in the language the user chose, like every other window.
  app_.ApplyCurrentLanguage(*this);
  txtReport.SetText("");
  if (auto shown = ReadReportAsShown(app_.Files(), app_.DataFile(kScanReportFile),
                                     [this] { GetHost().DoEvents(); }))
    txtReport.SetText(*shown);
}

}  // namespace quill
