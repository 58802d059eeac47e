#include "removal/RemovalRun.h"

#include <algorithm>
#include <functional>

#include "base/DateTime.h"
#include "base/Text.h"
#include "core/ProgramContext.h"
#include "platform/Registry.h"
#include "removal/ChangeLock.h"
#include "removal/Removal.h"
#include "removal/RemovalInputs.h"
#include "removal/RemovalShare.h"
#include "removal/RemovalWindow.h"
#include "results/Finding.h"
#include "results/ItemKind.h"

namespace quill {

namespace {

// The pause that lets the results page repaint before the work starts.
constexpr int kGatheringYields = 20001;
// Restore-point type of an application's system change.
constexpr int kRestorePointType = 6;

// False when the targets make up a large share of a drive or a hive and the user (or, asking
// nothing, the automatic removal) does not agree to remove them.
bool LargeRemovalAgreed(const RemovalInputs& in, const RemovalRequest& request,
                        RemovalWindow& window, RemovalResult& result) {
  const auto share = LargeRemovalShare(in, request);
  if (!share) return true;
  if (request.automatic) {
    // Nobody is there to ask: only an express instruction lets it go ahead.
    if (request.allowLarge) return true;
    result.refusedShare = std::to_string(share->percent) + "% of " + share->place;
    return false;
  }
  return window.AgreesToLargeRemoval(text::ReplaceAll(
      text::ReplaceAll(in.msg("MSG_LARGEREMOVAL"), "[Share]", std::to_string(share->percent)),
      "[Place]", share->place));
}

// The pause, the restore point and both passes.
void RunPasses(const RemovalInputs& in, RemovalRequest& request, RemovalWindow& window,
               RemovalResult& result) {
  Removal run(in, request, window, result);
  RemovalStep(in, "removal: quarantine folder", [&] { run.Quarantine().CreateQuarantineFolder(); });
  RemovalStep(in, "removal: start", [&] { window.RemovalStarted(); });
  RemovalStep(in, "removal: gathering", [&] {
    window.ShowRemovalProgress();
    window.ShowRemovalPercentage(in.msg("MSG_INFORMATION"));
    for (int i = 0; i < kGatheringYields; ++i) in.host.DoEvents();
    window.ShowRemovalPercentage("");
  });
  RestorePoint point(in.system);
  bool restorePoint = false;
  RemovalStep(in, "removal: restore point", [&] {
    if (!RestorePointsSupported(in.system)) return;
    restorePoint = true;
    window.ShowRemovalPercentage(in.msg("MSG_RESTOREPOINT"));
    in.host.DoEvents();
    // A restore point that cannot be made does not stop the removal.
    point.BeginRestorePoint(in.programName + " Restore Point " +
                                datetime::GeneralDate(datetime::FromTimePoint(in.host.Now())),
                            kRestorePointType);
  });
  RemovalStep(in, "removal: recording pass", [&] { run.RemovalPass(true); });
  RemovalStep(in, "removal: retry pass", [&] { run.RemovalPass(false); });
  if (restorePoint) RemovalStep(in, "removal: restore point end", [&] { point.EndRestorePoint(); });
}

}  // namespace

void RemovalRequest::Add(RemovalTarget target) {
  auto& list = target.kind == RemovalTarget::Kind::File       ? files
               : target.kind == RemovalTarget::Kind::Registry ? registry
                                                              : cookies;
  list.push_back(std::move(target));
}

bool RemovalRequest::AnyTicked() const {
  auto ticked = [](const RemovalTarget& t) { return t.ticked; };
  return std::any_of(files.begin(), files.end(), ticked) ||
         std::any_of(registry.begin(), registry.end(), ticked) ||
         std::any_of(cookies.begin(), cookies.end(), ticked);
}

RemovalRequest RequestForTicked(FindingList& findings) {
  RemovalRequest request;
  request.findings = &findings;
  for (int i = 0; i < findings.Count(); ++i) {
    const Finding& f = findings.At(i);
    request.listed = request.listed || f.Listed();
    if (!f.pending) continue;
    RemovalTarget target;
    target.ticked = f.ticked;
    target.finding = i;
    target.text = f.location;
    target.threat = f.threat;
    if (f.kind == FindingKind::Cookie) {
      target.kind = RemovalTarget::Kind::Cookie;
      target.threat.clear();
    } else if (f.IsRegistry()) {
      target.kind = RemovalTarget::Kind::Registry;
      target.text = platform::RootHandleText(static_cast<platform::RootKey>(f.rootHandle));
      target.keyPath = f.keyPath;
      target.valueName = f.valueName;
    }
    request.Add(std::move(target));
  }
  return request;
}

RemovalRequest RequestForAll(FindingList& findings) {
  for (int i = 0; i < findings.Count(); ++i) findings.At(i).ticked = findings.At(i).pending;
  return RequestForTicked(findings);
}

bool StaysWith(const RemovalTarget& kept, int icon, const std::string& name,
               const std::string& location) {
  switch (kept.kind) {
    case RemovalTarget::Kind::File:
      return (icon == kItemFile && name == kept.threat) ||
             (icon == kItemFolder && location == kept.text);
    case RemovalTarget::Kind::Registry:
      return icon != kItemFile && icon != kItemFolder && icon != kItemCookie &&
             (name == kept.threat || name == kept.keyPath);
    case RemovalTarget::Kind::Cookie:
      return icon == kItemCookie && location == kept.text;
  }
  return false;
}

RemovalResult RemovalRun(ProgramContext& app, RemovalRequest request, RemovalWindow& window) {
  RemovalResult result;
  const RemovalInputs in = RemovalInputsOf(app);
  // One program at a time changes the machine; the lock is held until the run has ended.
  const ChangeLock lock(in.files, in.dataFolder);
  if (const auto& busy = lock.Refusal()) {
    result.refusals.push_back(*busy);
    if (!request.automatic) window.ShowRemovalRefused(*busy);
    return result;
  }
  bool agreed = false;
  RemovalStep(in, "removal: share", [&] {
    // The machine's folders as they are now, for every test of the run.
    app.RefreshFloor();
    agreed = LargeRemovalAgreed(in, request, window, result);
  });
  if (!agreed) return result;
  result.ran = true;
  RunPasses(in, request, window, result);
  // What is still ticked went; the targets that stayed were unticked, and the findings their
  // rows show failed. Only what the results list shows is counted.
  if (!request.findings) return result;
  for (const auto* targets : {&request.files, &request.registry, &request.cookies}) {
    for (const RemovalTarget& t : *targets) {
      if (!request.findings->Contains(t.finding)) continue;
      Finding& finding = request.findings->At(t.finding);
      finding.ticked = t.ticked;
      if (!t.ticked) continue;
      finding.pending = false;
      if (finding.Listed() && finding.state != FindingState::Failed)
        finding.state = FindingState::Removed;
    }
  }
  return result;
}

}  // namespace quill
