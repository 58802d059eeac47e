// The results page's removal commands: Repair Now, the removal run's display and the
// quarantine view. The run itself is RemovalRun (removal/); the window asks it to remove the
// ticked pending findings and shows what it did.
#include <algorithm>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "app/frmDelete.h"
#include "app/frmQuarantine.h"
#include "base/Text.h"
#include "definitions/LiveUpdate.h"
#include "removal/Removal.h"
#include "reports/ScanEnd.h"

namespace quill {

void FrmMain::Command4_Click() {
  RepairTickedItems();
}

void FrmMain::RepairTickedItems() {
  // A run in progress keeps the Remove label disabled; a second one must not start, and none
  // starts while Live Update rewrites the definition files.
  if (!lblRemove.Enabled() || app_.Updater().Merging()) return;
  const auto& results = lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items();
  const bool anyTicked = std::any_of(results.begin(), results.end(),
                                     [](const forms::ListItem& it) { return it.checked; });
  if (!anyTicked) {
    if (!autoRemove_)
      GetHost().MsgBox(app_.Msg("MSG_SELECTED"), forms::MsgBoxButtons::OkOnly,
                       forms::MsgBoxIcon::Information, app_.brand.programName);
    return;
  }
  if (!autoRemove_ &&
      GetHost().MsgBox(RemovalQuestion(app_), forms::MsgBoxButtons::YesNo, forms::MsgBoxIcon::None,
                       app_.Msg("MSG_REALLY")) != forms::MsgBoxResult::Yes)
    return;
  ShowRemovalProgress();
  app_.DeleteFailed().lstProblem.Clear();
  RemoveTickedItems();
}

void FrmMain::SetAutomaticRemoval(bool on, bool allowLarge) {
  autoRemove_ = on;
  allowLargeRemoval_ = on && allowLarge;
}

void FrmMain::RemoveAllFound() {
  // The results page, every row ticked, "Repair Now" asking nothing; the run itself is the
  // one every scan's end runs.
  ShowPage(2);
  const bool listed = lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count() > 0;
  if (listed) {
    cmdSelectAll_Click();
    if (!lblRemove.Enabled() || app_.Updater().Merging()) return;
    ShowRemovalProgress();
    app_.DeleteFailed().lstProblem.Clear();
  }
  lastRemoval_ =
      RemoveListedFindings(app_, findings_, *this, allowLargeRemoval_, chkSendData.Value() == 1);
  ShowPendingFindings();
  if (listed && ShowRemovalDone(lastRemoval_) >= 0) FinishRemovalDisplay();
}

RemovalRequest FrmMain::RemovalRequestFromFindings() {
  RemovalRequest request = RequestForTicked(findings_);
  request.listed = lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count() > 0;
  request.automatic = autoRemove_;
  request.allowLarge = allowLargeRemoval_;
  return request;
}

void FrmMain::lblRemove_Click() {
  RemoveTickedItems();
}

void FrmMain::RemoveTickedItems() {
  if (!lblRemove.Enabled()) return;
  lastRemoval_ = RemovalRun(app_, RemovalRequestFromFindings(), *this);
  ShowPendingFindings();
  const int removed = ShowRemovalDone(lastRemoval_);
  if (removed >= 0) EndRemoval(removed);
}

int FrmMain::ShowRemovalDone(const RemovalResult& result) {
  if (!result.ran) {
    // Nothing was done: the progress display "Repair Now" showed goes away again.
    HideRemovalProgress();
    return -1;
  }
  RunStep("removal: delete failed", [&] { ShowDeleteFailed(result); });
  int removed = 0;
  RunStep("removal: clean-up", [&] { removed = RemoveWhatWent(result); });
  RunStep("removal: complete", [&] {
    lblDeletingCaption.SetCaption("");
    pgbDeleteSpywaresFound.SetValue(pgbDeleteSpywaresFound.Max());
    lblDeletingPercentageCompleted.SetCaption("100% " + app_.Msg("MSG_COMPLETE"));
  });
  RunStep("removal: timers", [&] { ApplyTimerState(true); });
  lblRemove.SetEnabled(true);
  return removed;
}

// "Delete Failed" lists what stayed, each place once, with the reason where the removal
// refused it; the reason column is there only while a row has one.
void FrmMain::ShowDeleteFailed(const RemovalResult& result) {
  if (result.problems.empty()) return;
  auto& window = app_.DeleteFailed();
  auto& problems = window.lstProblem;
  for (const RemovalProblem& problem : result.problems) {
    const auto& listed = problems.Items();
    if (std::none_of(listed.begin(), listed.end(),
                     [&](const forms::ListItem& it) { return it.text == problem.place; }))
      problems.Add(problem.place, 0, {problem.reason});
  }
  window.ShowReasons(app_.Msg("MSG_REASON"));
  window.Show();
  window.ZOrder();
}

// The results rows that show what stayed are unticked; every row still ticked went.
int FrmMain::RemoveWhatWent(const RemovalResult& result) {
  auto& results = lvwPicRemoveListOfSpywareFoundAndToBeRemoved;
  for (const RemovalTarget& kept : result.kept) {
    for (int r = 0; r < results.Count(); ++r) {
      const auto& row = results.Item(r);
      if (StaysWith(kept, row.smallIcon, row.text, row.SubItem(1))) results.SetChecked(r, false);
    }
  }
  auto ticked = [](const forms::ListItem& it) { return it.checked; };
  const auto& rows = results.Items();
  const int removed = static_cast<int>(std::count_if(rows.begin(), rows.end(), ticked));
  SetShownState(ticked, FindingState::Removed);
  lvwSpywareFound.RemoveIf(ticked);
  results.RemoveIf(ticked);
  return removed;
}

// ---- What the removal run shows (RemovalWindow) ----------------------------------------------

void FrmMain::RemovalStarted() {
  ShowPage(2);
  lblRemove.SetEnabled(false);
  ApplyTimerState(false);
}

void FrmMain::ShowRemovalProgress() {
  pgbDeleteSpywaresFound.SetVisible(true);
  lblDeletingPercentageCompleted.SetVisible(true);
  lblDeletingCaption.SetVisible(true);
}

void FrmMain::ShowRemovalPercentage(const std::string& line) {
  lblDeletingPercentageCompleted.SetCaption(line);
}

void FrmMain::ShowRemovalItem(const std::string& item) {
  lblDeletingCaption.SetCaption(item);
}

void FrmMain::SetRemovalBarEnd(int64_t end) {
  pgbDeleteSpywaresFound.SetMax(end);
}

void FrmMain::SetRemovalBar(int64_t value) {
  pgbDeleteSpywaresFound.SetValue(value);
}

bool FrmMain::AgreesToLargeRemoval(const std::string& question) {
  return GetHost().MsgBox(question, forms::MsgBoxButtons::YesNo, forms::MsgBoxIcon::Exclamation,
                          app_.Msg("MSG_REALLY")) == forms::MsgBoxResult::Yes;
}

void FrmMain::ShowRemovalRefused(const std::string& why) {
  GetHost().MsgBox(why, forms::MsgBoxButtons::OkOnly, forms::MsgBoxIcon::Exclamation,
                   app_.brand.programName);
}

// The total of removed items, the anonymous data, the Home page; the progress goes away.
void FrmMain::EndRemoval(int removed) {
  RecordRemoval(app_, removed, chkSendData.Value() == 1);
  FinishRemovalDisplay();
}

void FrmMain::FinishRemovalDisplay() {
  RunStep("removal: home page", [&] { RefreshHomePage(); });
  HideRemovalProgress();
}

void FrmMain::HideRemovalProgress() {
  pgbDeleteSpywaresFound.SetVisible(false);
  lblDeletingPercentageCompleted.SetVisible(false);
  lblDeletingCaption.SetVisible(false);
}

void FrmMain::cmdResults_Click() {
  ShowResultsPage();
}

void FrmMain::ShowResultsPage() {
  ShowPage(2);
  if (lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count() == 0 && chkSendData.Value() == 1)
    SendAnonymousData();
}

void FrmMain::cmdRemove_Click() {
  cmdResults_Click();
}

void FrmMain::ViewQuarantine() {
  QuarantineStore(RemovalInputsOf(app_)).CreateQuarantineFolder();
  auto& window = app_.QuarantineWindow();
  window.Refresh();
  window.Show();
  window.ZOrder();
}

}  // namespace quill
