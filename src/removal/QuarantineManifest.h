#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quill::platform {
class FileSystem;
}

namespace quill {

/// What a quarantined item was.
enum class QuarantineKind { File, Folder, Cookie, Registry };

/// "file", "folder", "cookie", "registry".
std::string KindName(QuarantineKind kind);

/// One saved item of the quarantine.
struct QuarantineItem {
  int id = 0;
  /// When it was saved: "yyyy-MM-dd hh:mm:ss" in local time.
  std::string time;
  QuarantineKind kind = QuarantineKind::File;
  /// Where it came from: a Windows path, or a registry key ("HKEY_...\Path") with the value
  /// name after a last "\" for a single value.
  std::string original;
  /// Name of the copy (file, folder) or export (.reg) in the quarantine folder.
  std::string copy;
  /// Size in bytes and SHA-256 of the copy or export; a folder has neither.
  uint64_t size = 0;
  std::string sha256;
  /// Empty while the item waits in the quarantine; once put back, where it went.
  std::string restoredTo;
};

/// The machine-readable list of everything the quarantine holds, kept beside the log as
/// "QuarantineManifest.txt".
///
/// Format: UTF-8 text, lines ending in CR LF (LF accepted). Lines starting with "#" are
/// comments; the first is "# Quillonet quarantine manifest 1". Every other line is one
/// item with nine fields separated by tabs:
///   id  time  kind  state  original  copy  size  sha256  restored-to
/// state is "saved" or "restored". Inside a field a backslash, tab, CR and LF are written
/// "\\", "\t", "\r" and "\n"; nothing else is escaped (so Windows paths read "C:\\x"). Lines
/// that cannot be read are kept as they are when the file is written again.
///
/// Every change rewrites the whole file through a temporary file and a rename, so a crash
/// leaves the old or the new manifest, never a torn one.
class QuarantineManifest {
 public:
  /// `folder` is the quarantine folder (a Windows path).
  QuarantineManifest(platform::FileSystem& files, std::string folder);

  static constexpr const char* kFileName = "QuarantineManifest.txt";
  std::string Path() const;

  /// The items in order; empty list when there is no manifest yet, empty optional when it
  /// exists but cannot be read.
  std::optional<std::vector<QuarantineItem>> Load();
  /// Appends an item under the next free id (set in `item`) and writes the manifest.
  bool Add(QuarantineItem& item);
  /// Replaces the item of the same id and writes the manifest.
  bool Update(const QuarantineItem& item);
  /// Drops the item of that id and writes the manifest.
  bool Remove(int id);

  /// One line of the format above, without its line end; and back.
  static std::string FormatLine(const QuarantineItem& item);
  static std::optional<QuarantineItem> ParseLine(const std::string& line);

 private:
  bool Save(const std::vector<QuarantineItem>& items);

  platform::FileSystem& files_;
  std::string folder_;
  std::vector<std::string> unreadable_;
};

}  // namespace quill
