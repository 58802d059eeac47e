#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace quill {

/// What a finding is. The kinds differ in how they are removed and in how the lists show them.
enum class FindingKind {
  Unknown,             ///< a row of no known kind (never made by a scan)
  Cookie,              ///< a tracking cookie file
  RegistryValue,       ///< a value named by a registry definition
  RegistryKey,         ///< a whole key named by a registry definition
  File,                ///< a file named by a file definition, or met by a walk
  Folder,              ///< a folder named by a folder definition
  WalkedFolder,        ///< a folder met by a walk that a folder definition names
  RunningApplication,  ///< a running program matched by its identifier
  RunningProcess,      ///< a running program matched in a process snapshot
};

/// What became of a finding.
enum class FindingState {
  Found,      ///< listed for removal
  Excluded,   ///< left alone: the user excluded it
  Protected,  ///< left alone: no removal may touch the place it names
  Stopped,    ///< a running program the scan stopped
  Removed,    ///< a removal took it off the machine
  Failed,     ///< a removal could not take it off the machine
};

/// One thing a scan found, with everything the lists, the removal, the report and the command
/// line show of it.
struct Finding {
  FindingKind kind = FindingKind::Unknown;
  FindingState state = FindingState::Found;
  /// The name the results list gives it ("Cookie: name", "threat Directory", the key path of
  /// a key no threat is named for, the threat name otherwise).
  std::string name;
  /// The threat name of the definition that found it, as written (may be empty).
  std::string threat;
  /// Where it is: the full path, or the registry location ("HKEY_...\key\value"); for a
  /// running program its file name.
  std::string location;
  std::string threatType;
  std::string risk;
  std::string details;
  std::string size;
  std::string company;
  /// Registry kinds: the root's handle, the key path and the value name ("" for a key).
  uint32_t rootHandle = 0;
  std::string keyPath;
  std::string valueName;
  /// False when it is shown only (a cookie met after the scan was stopped): nothing is
  /// listed for removal.
  bool removable = true;
  /// Waiting for removal: set when it is found to be removed, cleared once a removal took it
  /// or the user excluded a row it follows.
  bool pending = false;
  /// Taken by the next removal: the user ticked a results row it follows.
  bool ticked = false;

  /// Whether it is a registry value or key.
  bool IsRegistry() const;
  /// Whether it has a row in the results list.
  bool Listed() const;
  /// The icon number of its results row.
  int ResultIcon() const;
  /// The scan-progress list's row: text, icon and detail, in English.
  std::string ProgressText() const;
  int ProgressIcon() const;
  std::string ProgressDetail() const;
  /// The message key of the row's text when it is one of the list's own words rather than a
  /// name ("" for a threat name): the windows show those words in the user's language.
  std::string ProgressTextKey() const;
  /// The message key of the row's detail when it is a sentence ("[Program] was stopped" for
  /// a running program, "" otherwise).
  std::string ProgressDetailKey() const;
};

/// The findings of one scan, in the order found. Whoever shows them watches the list.
class FindingList {
 public:
  using Watcher = std::function<void(int index)>;

  /// Appends a finding and tells the watcher; returns its index. A finding found to be
  /// removed (and removable) becomes pending.
  int Add(Finding finding);
  /// Ticks, or unticks, every pending finding the results row of the finding at `shown`
  /// stands for: for a file's row, the files and folders of its threat name; for a folder's,
  /// those at its place; for a registry row, the entries of its threat name or key path; for
  /// a cookie's, the cookie file at its place. A row that shows no finding ticks nothing.
  void TickWith(int shown, bool ticked);
  /// Every ticked pending finding stops being pending (its rows were excluded).
  void WithdrawTicked();
  /// Whether a pending finding is a registry entry.
  bool AnyRegistryPending() const;
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  const std::vector<Finding>& Items() const { return items_; }
  const Finding& At(int index) const { return items_.at(static_cast<size_t>(index)); }
  Finding& At(int index) { return items_.at(static_cast<size_t>(index)); }
  bool Contains(int index) const { return index >= 0 && index < Count(); }
  /// The one watcher told about every finding added (the window that shows them).
  void Watch(Watcher watcher) { watcher_ = std::move(watcher); }

 private:
  std::vector<Finding> items_;
  Watcher watcher_;
};

/// The progress list's own words with their message keys, for the message catalogue.
const std::vector<std::pair<std::string, std::string>>& FindingTexts();

/// A place a definition names that the scan leaves alone (excluded or protected).
Finding LeftAloneFinding(FindingKind kind, FindingState state, std::string location);

}  // namespace quill
