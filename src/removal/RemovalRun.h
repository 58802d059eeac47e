#pragma once

#include <string>
#include <vector>

namespace quill {

class FindingList;
class ProgramContext;
class RemovalWindow;

/// One thing a removal is asked to take away: a pending finding.
struct RemovalTarget {
  enum class Kind { File, Registry, Cookie };
  Kind kind = Kind::File;
  /// Only ticked targets are removed; the others still count in the progress display.
  bool ticked = false;
  /// A file, folder or cookie: its path as the scan wrote it. A registry entry: its root's
  /// handle as a signed decimal number.
  std::string text;
  /// The threat name the results rows carry (files, folders and registry entries).
  std::string threat;
  /// A registry entry: the key path below the root, and the value name ("" for a whole key).
  std::string keyPath;
  std::string valueName;
  /// The finding it stands for in the request's FindingList; -1 for none.
  int finding = -1;
};

/// What a removal run is asked to do.
struct RemovalRequest {
  std::vector<RemovalTarget> files;
  std::vector<RemovalTarget> registry;
  std::vector<RemovalTarget> cookies;
  /// The results show at least one row: only then does the progress display appear.
  bool listed = false;
  /// Asks nothing and shows nothing: the scheduler's and the command line's removal.
  bool automatic = false;
  /// An automatic removal still goes ahead over a large share (the command line's --force).
  bool allowLarge = false;
  /// The scan's findings: those of targets that stayed become failed, the others removed.
  FindingList* findings = nullptr;

  /// Appends a target to the list of its kind.
  void Add(RemovalTarget target);
  bool AnyTicked() const;
};

/// The request for every pending finding, ticked as it is, in the order the scan found them:
/// what "Repair Now" removes.
RemovalRequest RequestForTicked(FindingList& findings);
/// Ticks every pending finding first: what "Select All" and "Repair Now" remove.
RemovalRequest RequestForAll(FindingList& findings);

/// A target still on the machine after the retry pass, as "Delete Failed" lists it.
struct RemovalProblem {
  std::string place;
  /// Why the removal contract refused to touch it; empty when it simply could not go.
  std::string reason;
};

/// What a removal run did.
struct RemovalResult {
  /// False when nothing was removed: another program was changing the machine, or the
  /// large share was not agreed to.
  bool ran = false;
  /// The share that stopped an automatic removal ("25% of C:\"); empty otherwise.
  std::string refusedShare;
  /// What the run refused to touch, one line each naming the place (see RemovalContract).
  std::vector<std::string> refusals;
  /// What stayed, once each, in the order met.
  std::vector<RemovalProblem> problems;
  /// The ticked targets that stayed: they stay pending (and unticked).
  std::vector<RemovalTarget> kept;
};

/// Whether a results row (its icon, text and location) stays with a target that stayed: the
/// rows of its threat name for a file, of its path for a folder or a cookie, of its threat
/// name or key path for a registry entry.
bool StaysWith(const RemovalTarget& kept, int icon, const std::string& name,
               const std::string& location);

/// One removal run: the machine's change lock, the large-share question, the quarantine
/// folder, the pause that lets the window repaint, the restore point, the recording pass
/// and the retry pass. The findings of the request become removed or failed; the window is
/// told the progress. Every step that fails is skipped.
RemovalResult RemovalRun(ProgramContext& app, RemovalRequest request, RemovalWindow& window);

}  // namespace quill
