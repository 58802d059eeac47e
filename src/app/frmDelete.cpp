#include "app/frmDelete.h"

#include <algorithm>

#include "app/Application.h"

namespace quill {

namespace {

// Twips.
constexpr int kPlaceWidth = 4200;
constexpr int kReasonWidth = 6000;

}  // namespace

frmDelete::frmDelete(Application& app) : Form(app.Host(), "frmDelete", "Delete Failed") {
  cmdOk.OnClick([this] { cmdOk_Click(); });
  cmdCopy.OnClick([this] { cmdCopy_Click(); });
}

void frmDelete::cmdOk_Click() {
  Hide();
}

void frmDelete::cmdCopy_Click() {
  CopyList();
}

void frmDelete::CopyList() {
  std::string text;
  for (const auto& item : lstProblem.Items()) text += item.text + "\r\n";
  GetHost().ClipboardClear();
  GetHost().ClipboardSetText(text);
}

void frmDelete::ShowReasons(const std::string& heading) {
  const auto& rows = lstProblem.Items();
  const bool reasons = std::any_of(
      rows.begin(), rows.end(), [](const forms::ListItem& row) { return !row.SubItem(1).empty(); });
  lstProblem.SetColumnCount(reasons ? 2 : 1, heading);
  // Beside a reason the place keeps room for a path; alone it fills the list. A reason is a
  // sentence: wide enough to read most of it (the cell's tip shows the rest).
  lstProblem.SetColumnWidth(1, reasons ? kPlaceWidth : forms::ColumnHeader{}.width);
  if (reasons) lstProblem.SetColumnWidth(2, kReasonWidth);
}

}  // namespace quill
