#pragma once

#include <functional>
#include <optional>
#include <string>

#include "definitions/LiveUpdateTrust.h"

namespace quill {

class ProgramContext;
class UpdateProgressView;

/// What a run changes on the main window, besides the windows of UpdateProgressView.
struct LiveUpdateWindowHooks {
  /// The background timers off (false) or back on from their settings (true).
  std::function<void(bool on)> applyTimerState;
  /// Enables or disables the "Run Live Update Now" command.
  std::function<void(bool enabled)> enableLiveUpdateCommand;
  /// Shows the new definition date (with " PST") on the start page.
  std::function<void(const std::string& date)> showDefinitionDate;
  /// New definitions are in place: recount them, refresh the start page, enable "Scan".
  std::function<void()> definitionsChanged;
};

/// The outcome of one run.
struct LiveUpdateResult {
  enum class Outcome {
    /// The server has nothing newer (or nothing in its update was new).
    Current,
    /// New definitions were merged and their date stored.
    Updated,
    /// The update could not be completed: server unreachable, a reply that is not a whole 2xx
    /// answer, a missing or wrong signature, a date that cannot be read, files that could not
    /// be replaced. The definitions and their date are unchanged.
    Failed,
    /// Not started: a run, a scan or a removal is already in progress.
    Refused
  };
  Outcome outcome = Outcome::Refused;
  int changes = 0;
};

/// Live Update: asks the definition server for the date of its newest definitions and, when
/// they are newer than the installed ones, merges the incremental update into the definition
/// files and stores the new date.
///
/// Every reply from a server whose replies must be signed (always the default server; a
/// server named in $QUILLONET_UPDATE_SERVER when $QUILLONET_UPDATE_KEY names its keys) must
/// carry a statement that holds (UpdateTrust): signed, for this very request and body, not
/// expired, of a release no older than the newest seen nor than the installed definitions. A
/// date reply must state the release it names, and the new date stored after a merge must be
/// that of the release the update body leads to. Anything else fails the update, with nothing
/// changed. One run at a time: a run started while another is in progress (from a timer or a
/// click during its yields) is refused.
class LiveUpdate {
 public:
  explicit LiveUpdate(ProgramContext& app);

  LiveUpdateResult Run(UpdateProgressView& view, const LiveUpdateWindowHooks& window);

  bool Running() const { return running_; }
  /// True while the definition files are being rewritten; the program waits for it to end.
  bool Merging() const { return merging_; }

 private:
  struct Checked {
    std::string body;
    std::optional<update::Statement> statement;  // empty for a server taken unsigned
  };
  /// A complete 2xx reply of the server whose statement holds (when one is required), or
  /// empty. forged is set when the reply came but did not hold.
  std::optional<Checked> Fetch(const std::string& url, UpdateProgressView* view, UpdateTrust& trust,
                               const UpdateTrust::Expect& expect, bool* forged = nullptr);
  /// A date reply that can be read as a date (its cleaned text) and, with a statement, names
  /// the stated release; empty otherwise.
  std::optional<Checked> FetchDate(const std::string& url, UpdateProgressView* view,
                                   UpdateTrust& trust, const UpdateTrust::Expect& expect,
                                   bool* forged = nullptr);
  LiveUpdateResult Work(UpdateProgressView& view, const LiveUpdateWindowHooks& window);

  ProgramContext& app_;
  bool running_ = false;
  bool merging_ = false;
};

}  // namespace quill
