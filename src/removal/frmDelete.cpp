#include "removal/frmDelete.h"

#include "core/ProgramContext.h"

namespace quill {

frmDelete::frmDelete(ProgramContext& app) : Form(app.Host(), "frmDelete", "Delete Failed") {
  cmdOk.OnClick([this] { cmdOk_Click(); });
  cmdCopy.OnClick([this] { cmdCopy_Click(); });
}

void frmDelete::cmdOk_Click() {
  Hide();
}

void frmDelete::cmdCopy_Click() {
  std::string text;
  for (const auto& item : lstProblem.Items()) text += item.text + "\r\n";
  GetHost().ClipboardClear();
  GetHost().ClipboardSetText(text);
}

}  // namespace quill
