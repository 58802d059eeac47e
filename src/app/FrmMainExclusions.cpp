// The results page's "Exclude" button and the "View Exclusions" menu entry.
#include <string>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "base/Text.h"
#include "definitions/ExclusionList.h"
#include "platform/Shell.h"

namespace quill {

void FrmMain::cmdExclude_Click() {
  ExcludeTickedRows();
}

void FrmMain::ExcludeTickedRows() {
  if (!AgreesToExclude()) return;
  ProgramContext& app = App();
  if (!app.Exclusions().ExcludeItems(TickedItems())) {
    // Nothing is taken off the lists: the rows were not excluded.
    GetHost().MsgBox(
        text::ReplaceAll(app.Msg("MSG_EXC_FAILED"), "[Path]", app.Exclusions().FilePath()),
        forms::MsgBoxButtons::OkOnly, forms::MsgBoxIcon::Critical, app.brand.programName);
    return;
  }
  TakeOffExcludedRows();
}

bool FrmMain::AgreesToExclude() {
  ProgramContext& app = App();
  if (lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count() == 0 &&
      !findings_.AnyRegistryPending() && lvwSpywareFound.Count() == 0) {
    GetHost().MsgBox(app.Msg("MSG_SORRY"), forms::MsgBoxButtons::OkOnly,
                     forms::MsgBoxIcon::Information, app.brand.programName);
    return false;
  }
  const std::string question = app.Msg("MSG_EXC_SURE1") + "\r\n\r\n" + app.Msg("MSG_EXC_SURE2") +
                               "\r\n\r\n" + app.Msg("MSG_EXC_SURE3");
  return GetHost().MsgBox(question, forms::MsgBoxButtons::YesNo, forms::MsgBoxIcon::None,
                          app.Msg("MSG_EXC_SURE4")) == forms::MsgBoxResult::Yes;
}

std::vector<ExcludedItem> FrmMain::TickedItems() const {
  // Each addition reloads the list from the file, so the ticked rows are copied first:
  // nothing that runs meanwhile can shift the rows under the loop.
  std::vector<ExcludedItem> ticked;
  for (const auto& item : lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items())
    if (item.checked)
      ticked.push_back({item.SubItem(1), text::ReplaceAll(item.text, "Cookie: ", "")});
  return ticked;
}

void FrmMain::TakeOffExcludedRows() {
  auto isTicked = [](const forms::ListItem& item) { return item.checked; };
  findings_.WithdrawTicked();
  lvwSpywareFound.RemoveIf(isTicked);
  lblDeletingCaption.SetCaption("");
  SetShownState(isTicked, FindingState::Excluded);
  lvwPicRemoveListOfSpywareFoundAndToBeRemoved.RemoveIf(isTicked);
  ShowPendingFindings();
}

void FrmMain::ViewExclusions() {
  ProgramContext& app = App();
  const std::string path = app.Exclusions().FilePath();
  const auto attributes = app.Files().Attributes(path);
  if (attributes && (*attributes & platform::kAttrDirectory) == 0) {
    // A profile path may hold spaces: quote it so the editor gets one file name.
    const std::string argument = text::Contains(path, " ") ? "\"" + path + "\"" : path;
    app.Shell().Execute("notepad " + argument, platform::ShowStyle::NormalFocus);
    return;
  }
  GetHost().MsgBox(app.Msg("MSG_EXCLUDE1"), forms::MsgBoxButtons::OkOnly, forms::MsgBoxIcon::None,
                   app.Msg("MSG_EXCLUDE2"));
}

}  // namespace quill
