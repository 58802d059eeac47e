// The results page's removal commands: Repair Now, the large-removal question, the removal
// run itself and the quarantine view.
#include <algorithm>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "base/DateTime.h"
#include "base/Text.h"
#include "core/SettingNames.h"
#include "definitions/LiveUpdate.h"
#include "removal/ChangeLock.h"
#include "removal/Removal.h"
#include "removal/RemovalShare.h"
#include "removal/frmDelete.h"
#include "removal/frmQuarantine.h"

namespace quill {

namespace {

// The pause that lets the results page repaint before the work starts.
constexpr int kGatheringYields = 20001;
// Restore-point type of an application's system change.
constexpr int kRestorePointType = 6;

}  // namespace

void FrmMain::Command4_Click() {
  auto& app = app_;
  // A run in progress keeps the Remove label disabled; a second one must not start, and none
  // starts while Live Update rewrites the definition files.
  if (!lblRemove.Enabled() || app.Updater().Merging()) return;
  const auto& results = lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items();
  const bool anyTicked = std::any_of(results.begin(), results.end(),
                                     [](const forms::ListItem& it) { return it.checked; });
  if (!anyTicked) {
    if (!app.AutoRemoveMode)
      GetHost().MsgBox(app.Msg("MSG_SELECTED"), forms::MsgBoxButtons::OkOnly,
                       forms::MsgBoxIcon::Information, app.brand.programName);
    return;
  }
  std::string question = app.Msg("MSG_CONFIRM1") + "\r\n\r\n" + app.Msg("MSG_CONFIRM2") +
                         "\r\n\r\n" + app.dataFolder + "\\quarantine";
  if (RestorePointsSupported(app))
    question += "\r\n\r\n" + app.Msg("MSG_CONFIRM3") + "\r\n\r\n" + app.Msg("MSG_CONFIRM4");
  if (!app.AutoRemoveMode) {
    auto answer = GetHost().MsgBox(question, forms::MsgBoxButtons::YesNo, forms::MsgBoxIcon::None,
                                   app.Msg("MSG_REALLY"));
    if (answer != forms::MsgBoxResult::Yes) return;
  }
  pgbDeleteSpywaresFound.SetVisible(true);
  lblDeletingPercentageCompleted.SetVisible(true);
  lblDeletingCaption.SetVisible(true);
  app.DeleteFailed().lstProblem.Clear();
  lblRemove_Click();
}

bool FrmMain::LargeRemovalAgreed() {
  auto& app = app_;
  app.RefusedRemoval.clear();
  const auto share = LargeRemovalShare(app, *this);
  if (!share) return true;
  const std::string question = text::ReplaceAll(
      text::ReplaceAll(app.Msg("MSG_LARGEREMOVAL"), "[Share]", std::to_string(share->percent)),
      "[Place]", share->place);
  if (app.AutoRemoveMode) {
    // Nobody is there to ask: only an express instruction lets it go ahead.
    if (app.AllowLargeRemoval) return true;
    app.RefusedRemoval = std::to_string(share->percent) + "% of " + share->place;
    return false;
  }
  return GetHost().MsgBox(question, forms::MsgBoxButtons::YesNo, forms::MsgBoxIcon::Exclamation,
                          app.Msg("MSG_REALLY")) == forms::MsgBoxResult::Yes;
}

void FrmMain::lblRemove_Click() {
  auto& app = app_;
  if (!lblRemove.Enabled()) return;
  // The machine's folders as they are now, for every test of the run.
  bool agreed = false;
  app.RemovalRefusals.clear();
  // One program at a time changes the machine; the lock is held until the run has ended.
  const ChangeLock lock(app.Files(), app.dataFolder);
  if (const auto& busy = lock.Refusal()) {
    app.RemovalRefusals.push_back(*busy);
    if (!app.AutoRemoveMode)
      GetHost().MsgBox(*busy, forms::MsgBoxButtons::OkOnly, forms::MsgBoxIcon::Exclamation,
                       app.brand.programName);
  } else {
    RunStep("removal: share", [&] {
      app.RefreshFloor();
      agreed = LargeRemovalAgreed();
    });
  }
  if (!agreed) {
    // Nothing was done: the progress display "Repair Now" showed goes away again.
    pgbDeleteSpywaresFound.SetVisible(false);
    lblDeletingPercentageCompleted.SetVisible(false);
    lblDeletingCaption.SetVisible(false);
    return;
  }
  Removal run(app, *this);
  RunStep("removal: quarantine folder", [&] { run.Quarantine().CreateQuarantineFolder(); });
  RunStep("removal: start", [&] {
    ShowPage(2);
    lblRemove.SetEnabled(false);
    ApplyTimerState(false);
  });
  RunStep("removal: gathering", [&] {
    pgbDeleteSpywaresFound.SetVisible(true);
    lblDeletingPercentageCompleted.SetVisible(true);
    lblDeletingCaption.SetVisible(true);
    lblDeletingPercentageCompleted.SetCaption(app.Msg("MSG_INFORMATION"));
    for (int i = 0; i < kGatheringYields; ++i) GetHost().DoEvents();
    lblDeletingPercentageCompleted.SetCaption("");
  });
  bool restorePoint = false;
  RunStep("removal: restore point", [&] {
    if (!RestorePointsSupported(app)) return;
    restorePoint = true;
    lblDeletingPercentageCompleted.SetCaption(app.Msg("MSG_RESTOREPOINT"));
    GetHost().DoEvents();
    // A restore point that cannot be made does not stop the removal.
    BeginRestorePoint(app,
                      app.brand.programName + " Restore Point " +
                          datetime::GeneralDate(datetime::FromTimePoint(GetHost().Now())),
                      kRestorePointType);
  });
  app.QuarantineLogging = true;
  RunStep("removal: recording pass", [&] { run.RemovalPass(); });
  app.QuarantineLogging = false;
  RunStep("removal: retry pass", [&] { run.RemovalPass(); });
  if (restorePoint) RunStep("removal: restore point end", [&] { EndRestorePoint(app); });
  int removed = 0;
  RunStep("removal: clean-up", [&] {
    auto ticked = [](const forms::ListItem& it) { return it.checked; };
    // What is still ticked was removed: rows of items that stayed were unticked.
    const auto& rows = lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Items();
    removed = static_cast<int>(std::count_if(rows.begin(), rows.end(), ticked));
    SetShownState(ticked, FindingState::Removed);
    lvwFilesToBeDeleted.RemoveIf(ticked);
    lvwRegistryToBeDeleted.RemoveIf(ticked);
    lvwCookiesToDelete.RemoveIf(ticked);
    lvwSpywareFound.RemoveIf(ticked);
    lvwPicRemoveListOfSpywareFoundAndToBeRemoved.RemoveIf(ticked);
  });
  RunStep("removal: complete", [&] {
    lblDeletingCaption.SetCaption("");
    pgbDeleteSpywaresFound.SetValue(pgbDeleteSpywaresFound.Max());
    lblDeletingPercentageCompleted.SetCaption("100% " + app.Msg("MSG_COMPLETE"));
  });
  RunStep("removal: timers", [&] { ApplyTimerState(true); });
  lblRemove.SetEnabled(true);
  EndRemoval(removed);
}

// The total of removed items, the anonymous data, the Home page; the progress goes away.
void FrmMain::EndRemoval(int removed) {
  auto& app = app_;
  RunStep("removal: total", [&] {
    // Items really removed, each once (the three found-counters count them three times
    // over, and count what stayed as well).
    const long long total =
        text::Val(app.GetSetting(settings::kGeneral, "lblDefRemoved", "0")) + removed;
    app.SaveSetting(settings::kGeneral, "lblDefRemoved", std::to_string(total));
  });
  RunStep("removal: anonymous data", [&] {
    if (chkSendData.Value() == 1) SendAnonymousData();
  });
  RunStep("removal: home page", [&] { RefreshHomePage(); });
  pgbDeleteSpywaresFound.SetVisible(false);
  lblDeletingPercentageCompleted.SetVisible(false);
  lblDeletingCaption.SetVisible(false);
}

void FrmMain::cmdResults_Click() {
  ShowPage(2);
  if (lvwPicRemoveListOfSpywareFoundAndToBeRemoved.Count() == 0 && chkSendData.Value() == 1)
    SendAnonymousData();
}

void FrmMain::cmdRemove_Click() {
  cmdResults_Click();
}

void FrmMain::ViewQuarantine() {
  QuarantineStore(app_).CreateQuarantineFolder();
  auto& window = app_.QuarantineWindow();
  window.Refresh();
  window.Show();
  window.ZOrder();
}

}  // namespace quill
