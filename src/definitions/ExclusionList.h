#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace quill {

/// A found item the user chose to exclude: its place and its name.
struct ExcludedItem {
  std::string location;
  std::string name;
};

/// The user's exclusions: "ENoSignature.dat" in the data folder, one entry per line, and its
/// in-memory form (every non-blank line followed by "|").
class ExclusionList {
 public:
  ExclusionList(platform::FileSystem& files, std::function<std::string()> dataFolder,
                std::function<void()> yield)
      : files_(files), dataFolder_(std::move(dataFolder)), yield_(std::move(yield)) {}

  /// Rebuilds the list from the file (empty when the file is absent); yields per line.
  void LoadExclusions();
  /// Appends the trimmed text + CR LF as a line (the write adds its own line end, so the
  /// entry is followed by an empty line), on a line of its own even after a hand edit that
  /// left the file without a final line end, then reloads. False when the write failed.
  bool AddExclusion(const std::string& text);
  /// Appends the trimmed text as one line without the extra empty line; reloads when asked.
  /// False when the write failed.
  bool AppendLine(const std::string& text, bool reload);
  /// Adds each item's place and name as exclusions (AddExclusion), every one of them even
  /// after a failed write; false when any write failed.
  bool ExcludeItems(const std::vector<ExcludedItem>& items);
  /// Some entry equals the candidate, or the candidate trimmed, ignoring case.
  bool IsExcluded(const std::string& candidate) const;
  /// IsExcluded, or the candidate occurs anywhere inside some entry (ignoring case).
  bool IsExcludedOrContained(const std::string& candidate) const;
  /// The in-memory string ("a|b|").
  const std::string& Text() const { return list_; }
  std::string FilePath() const;

 private:
  std::vector<std::string> Entries() const;
  bool Append(const std::string& lines);
  platform::FileSystem& files_;
  std::function<std::string()> dataFolder_;
  std::function<void()> yield_;
  std::string list_;
};

}  // namespace quill
