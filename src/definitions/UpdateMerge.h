#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace quill {

/// How a merge keeps the user informed while it works through large files.
struct MergeProgress {
  /// Tells how far the check of the existing definitions has come (every 100 entries).
  std::function<void(size_t entry)> checking;
  /// Tells that the new definitions are being written.
  std::function<void()> applying;
  /// Yields to the event queue.
  std::function<void()> yield;
};

/// An update body merged into the six target files, ready to be put in place.
///
/// Lines are raw bytes as the server sent them (the stored, encoded form); nothing is converted.
/// The update is worked out completely in memory first and then written file by file, each
/// file replaced in one step, so at any moment every definition file holds either its old
/// lines or its new ones. Within a file:
///  - an "ADD" never appends a line that is already there;
///  - a "DEL" removes every line of that name, including lines added earlier in the same body;
///    a later "ADD" of the same name then stands alone;
///  - a malformed update line is skipped and the rest goes on;
///  - empty lines are dropped when a file is rewritten.
class PreparedMerge {
 public:
  /// Works out the new content of each target file under dataFolder (a Windows path).
  PreparedMerge(platform::FileSystem& files, std::string dataFolder, std::string_view body,
                const MergeProgress& progress);

  /// Changes counted: one per line added, one per file that had deletions.
  int Changes() const { return changes_; }

  /// Replaces the files that change. False when one could not be replaced; the files already
  /// replaced then get their old content back, so the definitions stay as they were.
  bool Commit();

 private:
  struct Target {
    std::string path;
    std::optional<std::string> before;  // empty when the file did not exist
    std::string after;
  };
  platform::FileSystem& files_;
  std::string dataFolder_;
  std::vector<Target> targets_;
  int changes_ = 0;
};

/// Merges the body into the definition files; the number of changes, or empty when the files
/// could not be replaced (nothing changed then).
std::optional<int> MergeUpdate(platform::FileSystem& files, const std::string& dataFolder,
                               std::string_view body, const MergeProgress& progress = {});

/// A date reply cleaned for reading: surrounding spaces trimmed, tabs and line ends removed,
/// and anything after the first "PM" (else the first "AM") cut off, letter case ignored.
std::string CleanDateReply(std::string_view reply);

}  // namespace quill
