#include "removal/frmQuarantine.h"

#include "base/Text.h"
#include "core/ProgramContext.h"
#include "platform/Shell.h"
#include "removal/Quarantine.h"
#include "removal/QuarantineRestore.h"

namespace quill {

namespace {

// Shows what became of each item: the summary under the list, and every failure in a
// message box, since a refused restore needs the user to act.
void Report(ProgramContext& app, forms::Label& status, const std::vector<RestoreOutcome>& outcomes,
            const char* doneWord) {
  int done = 0;
  std::string failures;
  for (const auto& o : outcomes) {
    if (o.done) {
      ++done;
    } else {
      failures += o.message + "\r\n";
    }
  }
  status.SetCaption(std::to_string(done) + " of " + std::to_string(outcomes.size()) + " " +
                    doneWord + ".");
  if (!failures.empty())
    app.Host().MsgBox(failures, forms::MsgBoxButtons::OkOnly, forms::MsgBoxIcon::Exclamation,
                      app.brand.programName);
}

}  // namespace

frmQuarantine::frmQuarantine(ProgramContext& app)
    : Form(app.Host(), "frmQuarantine", "Quarantine"), app_(app) {
  // Shown in the language the user chose, like every other window.
  OnLoad([this] { app_.ApplyCurrentLanguage(*this); });
  cmdRestore.OnClick([this] { cmdRestore_Click(); });
  cmdDelete.OnClick([this] { cmdDelete_Click(); });
  cmdOpenFolder.OnClick([this] { cmdOpenFolder_Click(); });
  cmdClose.OnClick([this] { cmdClose_Click(); });
}

void frmQuarantine::Refresh() {
  lvwQuarantine.Clear();
  auto items = QuarantineRestore(app_).Items();
  if (!items) {
    lblStatus.SetCaption("The quarantine's list of items cannot be read.");
    return;
  }
  for (const QuarantineItem& item : *items) {
    lvwQuarantine.Add(std::to_string(item.id), 0,
                      {item.time, KindName(item.kind), item.original, item.copy,
                       item.restoredTo.empty() ? "Saved" : "Restored to " + item.restoredTo});
  }
}

std::vector<int> frmQuarantine::TickedIds() {
  std::vector<int> ids;
  for (const auto& row : lvwQuarantine.Items())
    if (row.checked) ids.push_back(static_cast<int>(text::Val(row.text)));
  if (ids.empty())
    GetHost().MsgBox("Tick the items first.", forms::MsgBoxButtons::OkOnly,
                     forms::MsgBoxIcon::Information, app_.brand.programName);
  return ids;
}

void frmQuarantine::cmdRestore_Click() {
  const auto ids = TickedIds();
  if (ids.empty()) return;
  const auto outcomes = QuarantineRestore(app_).Restore(ids);
  Refresh();
  Report(app_, lblStatus, outcomes, "restored");
}

void frmQuarantine::cmdDelete_Click() {
  const auto ids = TickedIds();
  if (ids.empty()) return;
  const auto answer = GetHost().MsgBox(
      "Delete the " + std::to_string(ids.size()) +
          " ticked items from the quarantine for good? They cannot be restored afterwards.",
      forms::MsgBoxButtons::YesNo, forms::MsgBoxIcon::Question, app_.brand.programName);
  if (answer != forms::MsgBoxResult::Yes) return;
  QuarantineRestore restore(app_);
  std::vector<RestoreOutcome> outcomes;
  for (int id : ids) outcomes.push_back(restore.Delete(id));
  Refresh();
  Report(app_, lblStatus, outcomes, "deleted");
}

void frmQuarantine::cmdOpenFolder_Click() {
  QuarantineStore quarantine(app_);
  quarantine.CreateQuarantineFolder();
  app_.Shell().Execute("explorer " + quarantine.QuarantineFolder(),
                       platform::ShowStyle::NormalFocus);
}

void frmQuarantine::cmdClose_Click() {
  Hide();
}

}  // namespace quill
