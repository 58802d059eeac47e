#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DefinitionLines.h"
#include "base/DateTime.h"

namespace quill::defserver {

/// One dated release: the stored lines of each definition file, in file order, each line
/// once. Lines the update protocol cannot carry are left out when a release is read.
struct Release {
  std::string name;  // "20260316-120000"
  datetime::LocalDateTime date;
  std::array<std::vector<std::string>, kTargetCount> lines;
};

/// The whole content of a file; empty optional when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

/// "20260316-120000" -> 3/16/2026 12:00:00; empty for any other text.
std::optional<datetime::LocalDateTime> ParseReleaseName(const std::string& name);
std::string ReleaseName(const datetime::LocalDateTime& date);

/// What the server states about a release besides its name: the sequence number (one more
/// than the release before it) and the moment its statements expire (seconds since 1970).
struct ReleaseMeta {
  uint64_t sequence = 0;
  int64_t expires = 0;
};

/// How long a release's statements stay good unless publish is told otherwise.
inline constexpr int kDefaultExpiryDays = 14;

/// The releases under <root>/releases/<YYYYMMDD-HHMMSS>/; the newest is current.
class ReleaseStore {
 public:
  explicit ReleaseStore(std::filesystem::path root) : root_(std::move(root)) {}

  /// Release names, oldest first. A folder is listed only once a publish has completed.
  std::vector<std::string> List() const;
  /// Reads a release; empty when it does not exist.
  std::shared_ptr<const Release> Load(const std::string& name) const;
  std::filesystem::path FilePath(const std::string& name, Target target) const;
  /// The release's meta file (release.meta). A release published before releases had one
  /// counts by its place in the list and expires kDefaultExpiryDays after its folder was
  /// last written. Empty when the release does not exist.
  std::optional<ReleaseMeta> Meta(const std::string& name) const;

  /// Makes a release named after date from the plain source files in `from` (FILE.txt,
  /// DLL.txt, EXE.txt, REG.txt, COOK.txt, DIR.txt, SAFETY.txt; any may be missing). Returns
  /// the problems found; the release is written, in one step, only when there are none. Its
  /// sequence number follows the newest release's; its statements expire at `expires`
  /// (default: kDefaultExpiryDays from now).
  std::vector<std::string> Publish(const std::filesystem::path& from,
                                   const datetime::LocalDateTime& date,
                                   std::optional<int64_t> expires = std::nullopt) const;

 private:
  std::filesystem::path Releases() const { return root_ / "releases"; }
  std::filesystem::path root_;
};

}  // namespace quill::defserver
