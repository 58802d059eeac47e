#include "reports/frmReport.h"

#include "base/Text.h"
#include "core/ProgramContext.h"

namespace quill {

frmReport::frmReport(ProgramContext& app) : Form(app.Host(), "frmReport", "Log"), app_(app) {
  OnLoad([this] { Form_Load(); });
  cmdOK.OnClick([this] { Unload(); });
}

void frmReport::Form_Load() {
  // Opened in the language the user chose, like every other window.
  app_.ApplyCurrentLanguage(*this);
  // The report is double-spaced: a blank line becomes one line break, and content lines
  // with no blank line between them run together.
  std::string shown;
  txtReport.SetText("");
  auto content = app_.Files().ReadFile(app_.DataFile("Scan_Log.txt"));
  if (!content) return;
  for (const auto& line : text::SplitLines(*content)) {
    if (text::Trim(line).empty())
      shown += "\r\n";
    else
      shown += line;
    GetHost().DoEvents();
  }
  txtReport.SetText(shown);
}

}  // namespace quill
