#pragma once

#include <optional>
#include <string>
#include <vector>

#include "removal/QuarantineManifest.h"
#include "removal/RegistryExport.h"
#include "removal/RemovalContract.h"
#include "removal/RemovalInputs.h"

namespace quill {

namespace platform {
class FileSystem;
}

/// A string value as it goes into a registry export: its name and its text.
struct RegistryValueText {
  std::string name;
  std::string data;
};

/// The quarantine: the folder "quarantine" in the data folder holding the saved copies of
/// removed files, folders and cookies, the log "QuarantineLog.txt" and the registry exports.
///
/// Nothing in it is ever overwritten: a copy whose name is taken goes under the first free
/// name "name (2).ext", "name (3).ext", ... in the same folder, so every removed item stays
/// recoverable. Every copy and export is entered in the manifest (QuarantineManifest) as soon
/// as it is complete, before the original goes; a copy that cannot be entered there is
/// removed again and counts as not made. Every step reports failure by its result and never
/// throws.
class QuarantineStore {
 public:
  explicit QuarantineStore(const RemovalInputs& in) : in_(in) {}

  /// DataFolder + "\quarantine".
  std::string QuarantineFolder() const;
  /// Creates the folder, ignoring every error (it may exist already).
  void CreateQuarantineFolder();

  /// Copies the file at path into the quarantine as name, or under the first free name when
  /// name is taken. Returns the name the copy was saved under; empty when no complete copy
  /// could be made (a partial copy is removed again).
  std::optional<std::string> SaveQuarantineCopy(const std::string& path, const std::string& name,
                                                QuarantineKind kind = QuarantineKind::File);
  /// Copies a whole folder tree under its own name, or the first free folder name. Returns
  /// that name only when every file and folder of the tree was copied; a partial copy is
  /// removed again and the result is empty.
  std::optional<std::string> SaveQuarantineFolder(const std::string& path);

  /// The first name of the form "name.ext", "name (2).ext", "name (3).ext", ... that nothing
  /// in the quarantine uses yet (a folder's name has no extension part).
  std::string FreeName(const std::string& name, bool isFolder) const;

  /// Recording: on only during a removal's recording pass; off, no record or log line is
  /// written.
  void SetLogging(bool on) { logging_ = on; }
  /// Appends a file record (timestamp - File: name / - Location: path) while recording is on.
  bool LogQuarantinedFile(const std::string& fullPath, const std::string& fileName);
  /// Appends a registry record (timestamp - Key: key / Value: value) while recording is on.
  bool LogRemovedRegistryEntry(const std::string& key, const std::string& value);
  /// Writes QuarantineFolder\<exportName>.reg ("/", ":", "\" and characters no file name may
  /// hold removed) with the key line and, when given, one string-value line. An existing
  /// export is never touched: a new one goes under a free name, and an export without a
  /// value line is not repeated when its file exists. Returns whether the entry is now kept
  /// in an export file.
  bool ExportRegistryEntry(const std::string& exportName, const std::string& key,
                           const std::optional<RegistryValueText>& value);
  /// Writes the keys with all their values (FormatRegExport) to a new export named after
  /// exportName as above, or reuses an existing export of that name holding exactly the same
  /// text, and enters it in the manifest as `original`. Returns the export's file name; empty
  /// when it could not be written completely (nothing is left behind then).
  std::optional<std::string> ExportRegistryKeys(const std::string& exportName,
                                                const std::string& original,
                                                const std::vector<RegExportKey>& keys);

  /// The manifest of this quarantine.
  QuarantineManifest Manifest() const;

  /// Full path of the log.
  std::string LogPath() const;

  /// Empty while the quarantine folder and the data folder above it are real folders (or
  /// not made yet); otherwise why the quarantine is not used.
  std::optional<std::string> NotOurs() const;
  /// Why the item at path may not be saved (and so not removed): NotOurs, or the removal
  /// contract's refusal. Empty when it may.
  std::optional<std::string> SourceRefusal(const std::string& path, ItemShape shape) const;

 private:
  bool Exists(const std::string& path) const;
  /// Enters a finished copy in the manifest.
  bool Record(QuarantineKind kind, const std::string& original, const std::string& copy);
  bool AppendRecord(const std::string& lines);
  std::string Timestamp() const;
  RemovalInputs in_;
  bool logging_ = false;
};

/// The first name of the form "name.ext", "name (2).ext", ... that nothing in `folder` uses.
std::string FreeNameIn(platform::FileSystem& files, const std::string& folder,
                       const std::string& name, bool isFolder);

/// The escaping of names and data in an export: "\" becomes "\\", then a double quote
/// becomes a backslash and a double quote.
std::string EscapeRegText(const std::string& text);

}  // namespace quill
