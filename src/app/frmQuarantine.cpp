#include "app/frmQuarantine.h"

#include <initializer_list>
#include <utility>

#include "app/Application.h"
#include "base/Text.h"
#include "platform/Shell.h"
#include "removal/Quarantine.h"
#include "removal/QuarantineManifest.h"
#include "removal/QuarantineRestore.h"
#include "removal/RemovalInputs.h"

namespace quill {

namespace {

// The catalogue's text with this window's own counters filled in ("[Count]", "[Done]",
// "[Total]"), so a translation can put the numbers where its language needs them.
std::string Counted(Application& app, const char* key,
                    std::initializer_list<std::pair<const char*, size_t>> numbers) {
  std::string text = app.Msg(key);
  for (const auto& [token, number] : numbers)
    text = text::ReplaceAll(text, token, std::to_string(number));
  return text;
}

std::string KindText(Application& app, QuarantineKind kind) {
  switch (kind) {
    case QuarantineKind::Folder:
      return app.Msg("MSG_QUARANTINE_FOLDER");
    case QuarantineKind::Cookie:
      return app.Msg("MSG_QUARANTINE_COOKIE");
    case QuarantineKind::Registry:
      return app.Msg("MSG_QUARANTINE_REGISTRY");
    case QuarantineKind::File:
      break;
  }
  return app.Msg("MSG_QUARANTINE_FILE");
}

size_t DoneCount(const std::vector<RestoreOutcome>& outcomes) {
  size_t done = 0;
  for (const auto& o : outcomes) done += o.done ? 1 : 0;
  return done;
}

// Every failure in a message box, since a refused restore needs the user to act. The details
// name paths and reasons as the command-line program prints them.
void ReportFailures(Application& app, const std::vector<RestoreOutcome>& outcomes) {
  std::string failures;
  for (const auto& o : outcomes)
    if (!o.done) failures += o.message + "\r\n";
  if (!failures.empty())
    app.Host().MsgBox(app.Msg("MSG_QUARANTINE_FAILED") + "\r\n\r\n" + failures,
                      forms::MsgBoxButtons::OkOnly, forms::MsgBoxIcon::Exclamation,
                      app.brand.programName);
}

}  // namespace

frmQuarantine::frmQuarantine(Application& app)
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
  auto items = QuarantineRestore(QuarantineInputs()).Items();
  if (!items) {
    outcomeKey_ = nullptr;
    lblStatus.SetCaption(app_.Msg("MSG_QUARANTINE_UNREADABLE"));
    return;
  }
  for (const QuarantineItem& item : *items) {
    lvwQuarantine.Add(
        std::to_string(item.id), 0,
        {item.time, KindText(app_, item.kind), item.original, item.copy,
         item.restoredTo.empty() ? app_.Msg("MSG_QUARANTINE_SAVED")
                                 : app_.Msg("MSG_QUARANTINE_RESTORED_TO") + " " + item.restoredTo});
  }
}

std::vector<int> frmQuarantine::TickedIds() {
  std::vector<int> ids;
  for (const auto& row : lvwQuarantine.Items())
    if (row.checked) ids.push_back(static_cast<int>(text::Val(row.text)));
  if (ids.empty())
    GetHost().MsgBox(app_.Msg("MSG_QUARANTINE_TICK"), forms::MsgBoxButtons::OkOnly,
                     forms::MsgBoxIcon::Information, app_.brand.programName);
  return ids;
}

void frmQuarantine::ApplyLanguage() {
  if (!Loaded()) return;
  app_.ApplyCurrentLanguage(*this);
  Refresh();
  if (outcomeKey_) ShowOutcome(outcomeKey_, outcomeDone_, outcomeTotal_);
}

void frmQuarantine::ShowOutcome(const char* doneKey, size_t done, size_t total) {
  outcomeKey_ = doneKey;
  outcomeDone_ = done;
  outcomeTotal_ = total;
  lblStatus.SetCaption(Counted(app_, doneKey, {{"[Done]", done}, {"[Total]", total}}));
}

void frmQuarantine::cmdRestore_Click() {
  RestoreTicked();
}

void frmQuarantine::RestoreTicked() {
  const auto ids = TickedIds();
  if (ids.empty()) return;
  const auto outcomes = QuarantineRestore(QuarantineInputs()).Restore(ids);
  Refresh();
  ShowOutcome("MSG_QUARANTINE_RESTORED", DoneCount(outcomes), outcomes.size());
  ReportFailures(app_, outcomes);
}

void frmQuarantine::cmdDelete_Click() {
  DeleteTicked();
}

void frmQuarantine::DeleteTicked() {
  const auto ids = TickedIds();
  if (ids.empty()) return;
  const auto answer = GetHost().MsgBox(
      Counted(app_, "MSG_QUARANTINE_DELETE", {{"[Count]", ids.size()}}),
      forms::MsgBoxButtons::YesNo, forms::MsgBoxIcon::Question, app_.brand.programName);
  if (answer != forms::MsgBoxResult::Yes) return;
  QuarantineRestore restore(QuarantineInputs());
  std::vector<RestoreOutcome> outcomes;
  for (int id : ids) outcomes.push_back(restore.Delete(id));
  Refresh();
  ShowOutcome("MSG_QUARANTINE_DELETED", DoneCount(outcomes), outcomes.size());
  ReportFailures(app_, outcomes);
}

RemovalInputs frmQuarantine::QuarantineInputs() const {
  return RemovalInputsOf(app_);
}

void frmQuarantine::cmdOpenFolder_Click() {
  OpenQuarantineFolder();
}

void frmQuarantine::OpenQuarantineFolder() {
  QuarantineStore quarantine(QuarantineInputs());
  quarantine.CreateQuarantineFolder();
  app_.Shell().Execute("explorer " + quarantine.QuarantineFolder(),
                       platform::ShowStyle::NormalFocus);
}

void frmQuarantine::cmdClose_Click() {
  Hide();
}

}  // namespace quill
