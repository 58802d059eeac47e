#include "definitions/LiveUpdate.h"

#include <chrono>

#include "base/DateTime.h"
#include "base/Text.h"
#include "base/Url.h"
#include "core/FetchText.h"
#include "core/ProgramContext.h"
#include "core/Settings.h"
#include "core/UpdateServer.h"
#include "definitions/DefinitionSet.h"
#include "definitions/UpdateMerge.h"
#include "definitions/UpdateProgressView.h"
#include "forms/HandlerBoundary.h"

namespace quill {

namespace {

std::optional<datetime::LocalDateTime> ReadDate(const std::string& text) {
  try {
    return datetime::ParseGeneralDate(text);
  } catch (...) {
    return std::nullopt;  // numbers too large for a date
  }
}

/// Clears a flag when the scope ends, however it ends.
struct FlagScope {
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;
  bool& flag_;
};

}  // namespace

LiveUpdate::LiveUpdate(ProgramContext& app) : app_(app) {}

std::optional<LiveUpdate::Checked> LiveUpdate::Fetch(const std::string& url,
                                                     UpdateProgressView* view, UpdateTrust& trust,
                                                     const UpdateTrust::Expect& expect,
                                                     bool* forged) {
  FetchProgress progress;
  if (view != nullptr) {
    progress = [this, view](size_t received) {
      view->ShowStatus(
          text::ReplaceAll(app_.Msg("MSG_DOWNLOADED_BYTES"), "[Bytes]", std::to_string(received)));
    };
  }
  auto fetched = FetchReply(app_.Internet(), app_.Host(), url, progress);
  if (!fetched) return std::nullopt;
  Checked checked{std::move(fetched->body), std::nullopt};
  if (!trust.Required()) return checked;
  UpdateTrust::Expect forUrl = expect;
  forUrl.url = url;
  checked.statement = trust.Check(fetched->reply, checked.body, forUrl);
  if (!checked.statement) {
    if (forged != nullptr) *forged = true;
    return std::nullopt;
  }
  return checked;
}

std::optional<LiveUpdate::Checked> LiveUpdate::FetchDate(const std::string& url,
                                                         UpdateProgressView* view,
                                                         UpdateTrust& trust,
                                                         const UpdateTrust::Expect& expect,
                                                         bool* forged) {
  auto reply = Fetch(url, view, trust, expect, forged);
  if (!reply) return std::nullopt;
  reply->body = CleanDateReply(reply->body);
  const auto date = ReadDate(reply->body);
  if (!date) return std::nullopt;
  // A signed date names the release its statement is for, and no other.
  if (reply->statement && update::ReleaseDate(reply->statement->release) != date) {
    if (forged != nullptr) *forged = true;
    return std::nullopt;
  }
  return reply;
}

LiveUpdateResult LiveUpdate::Run(UpdateProgressView& view, const LiveUpdateWindowHooks& window) {
  if (running_) return {};
  FlagScope running(running_);
  auto step = [&](const char* what, const std::function<void()>& body) {
    forms::RunHandler(&app_.Host(), what, body);
  };

  // 1-2. Background timers off, the command disabled, the download window up.
  step("live update start", [&] {
    if (window.applyTimerState) window.applyTimerState(false);
    if (window.enableLiveUpdateCommand) window.enableLiveUpdateCommand(false);
  });
  step("download window", [&] {
    view.OpenDownloadWindow();
    view.ShowStatus(app_.Msg("MSG_CONNECTING_DEFINITIONS"));
    app_.Host().DoEvents();
  });

  // 3-6. Failure of any kind ends here as a failed update, with nothing changed.
  LiveUpdateResult result;
  result.outcome = LiveUpdateResult::Outcome::Failed;
  step("live update", [&] { result = Work(view, window); });

  // 7-8. Tell the user.
  step("live update outcome", [&] {
    using Outcome = LiveUpdateResult::Outcome;
    if (result.outcome == Outcome::Updated) {
      settings::Write(app_.Settings(), settings::ShowUpdated, true);
      settings::Write(app_.Settings(), settings::Restart, true);
      view.RemoveDownloadIcon();
      view.ShowNotification(app_.Msg("MSG_UPDATED_DEFS"));
      if (window.definitionsChanged) window.definitionsChanged();
    } else {
      view.ShowNotification(
          app_.Msg(result.outcome == Outcome::Current ? "MSG_RECENT_DEFS" : "MSG_UPDATE_FAILED"));
    }
  });

  // 9. Back to idle.
  step("live update end", [&] {
    view.CloseDownloadWindow();
    if (window.enableLiveUpdateCommand) window.enableLiveUpdateCommand(true);
    if (window.applyTimerState) window.applyTimerState(true);
  });
  return result;
}

LiveUpdateResult LiveUpdate::Work(UpdateProgressView& view, const LiveUpdateWindowHooks& window) {
  using Outcome = LiveUpdateResult::Outcome;
  UpdateTrust trust(app_);
  const std::string base = UpdateServerBase();
  const std::string query = "?prog=" + text::PercentEncode(app_.brand.programName) +
                            "&comp=" + text::PercentEncode(app_.brand.companyName);

  // 3. The installed date; a date file that cannot be read counts as no date.
  std::string installedText = text::Trim(app_.Definitions().ReadDefinitionDate());
  auto installed = ReadDate(installedText);
  if (!installed) {
    installedText = kDefaultDefinitionDate;
    installed = ReadDate(installedText);
  }
  UpdateTrust::Expect expect;
  expect.base = base;
  expect.installed = *installed;
  expect.now =
      std::chrono::duration_cast<std::chrono::seconds>(app_.Host().Now().time_since_epoch())
          .count();

  // 4. The server's date.
  const auto server = FetchDate(base + "/asp/currentDateNEW.asp" + query, &view, trust, expect);
  if (!server) return {Outcome::Failed, 0};
  if (!(*ReadDate(server->body) > *installed)) return {Outcome::Current, 0};

  // 5. The update since our date, worked out in full before any file changes.
  const auto body =
      Fetch(base + "/asp/getDefsNEW.asp" + query + "&date=" + text::PercentEncode(installedText),
            &view, trust, expect);
  if (!body) return {Outcome::Failed, 0};
  FlagScope merging(merging_);
  MergeProgress progress;
  progress.checking = [this, &view](size_t entry) {
    view.ShowStatus(
        text::ReplaceAll(app_.Msg("MSG_CHECKING_ENTRY"), "[Entry]", std::to_string(entry)));
  };
  progress.applying = [this, &view] { view.ShowStatus(app_.Msg("MSG_APPLYING_UPDATES")); };
  progress.yield = [this] { app_.Host().DoEvents(); };
  PreparedMerge merge(app_.Files(), app_.dataFolder, body->body, progress);
  if (merge.Changes() < 1) return {Outcome::Current, 0};

  // 6. The date of the new definitions. Unreadable from a server taken unsigned, it is the
  // server date asked for above (a date that stays old would fetch the same update again and
  // again); from a signing server it must be the date of the release the body leads to.
  bool forged = false;
  const auto newDate = FetchDate(base + "/asp/date.asp", nullptr, trust, expect, &forged);
  if (forged || (trust.Required() && !newDate)) return {Outcome::Failed, 0};
  if (body->statement && newDate->statement->release != body->statement->release)
    return {Outcome::Failed, 0};
  const std::string dateText = newDate ? newDate->body : server->body;
  if (!merge.Commit()) return {Outcome::Failed, 0};
  // The date goes last, once every file is in place.
  app_.Definitions().WriteDefinitionDate(dateText);
  if (window.showDefinitionDate) window.showDefinitionDate(dateText);
  return {Outcome::Updated, merge.Changes()};
}

}  // namespace quill
