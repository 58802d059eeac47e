#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "forms/ListView.h"
#include "platform/Registry.h"
#include "removal/Quarantine.h"

namespace quill {

class ProgramContext;
class RemovalWindow;

/// How the removal treats a file row, by the extension of its path.
enum class RemovalKind { Executable, Library, Other };

/// The text after the last "." of the path when no ":" or "\" follows it, trimmed and
/// compared without regard to case: "EXE", "DLL"/"OCX", anything else.
RemovalKind KindOfPath(const std::string& path);

/// "Removing : 45% Completed." with the catalogue's words; the percentage is row / rows,
/// rounded halves to even.
std::string RemovingCaption(ProgramContext& app, int row, int rows);

/// One removal run over the main window's three hidden work lists. It remembers, for the
/// length of the run, which items it has saved to the quarantine: a file, folder or cookie
/// is deleted only when this run holds a complete copy of it, and a registry entry only when
/// its export could be written, so that nothing removed is lost.
class Removal {
 public:
  Removal(ProgramContext& app, RemovalWindow& window);

  /// One pass over the files, registry entries and cookies of the work lists (the recording
  /// pass while QuarantineLogging is on, the retry pass while it is off).
  void RemovalPass();

  /// What became of a file the removal went for.
  enum class FileOutcome {
    NoSuchFile,    ///< there was no file at that path
    StillRunning,  ///< a running copy did not stop: nothing was deleted
    Attempted,     ///< the file was there and its deletion was attempted
    GoneAlready,   ///< it was gone before the first attempt
    Deleted,       ///< saved to the quarantine and deleted
    NotDeleted,    ///< it could not be saved or deleted
  };
  /// NoSuchFile, StillRunning, Attempted or GoneAlready.
  FileOutcome RemoveExecutableFile(const std::string& path);
  /// NoSuchFile, Deleted or NotDeleted.
  FileOutcome RemoveLibraryFile(const std::string& path);
  /// True when a file or folder existed at that path.
  bool RemoveFileOrFolder(const std::string& path);
  void RemoveCookieFile(const std::string& path);
  void UnregisterLibrary(const std::string& path);
  void RemoveRegistryValue(platform::RootKey root, const std::string& keyPath,
                           const std::string& valueName);
  /// True when the key was deleted.
  bool RemoveRegistryKey(platform::RootKey root, const std::string& keyPath);

  QuarantineStore& Quarantine() { return quarantine_; }
  /// Items listed in "Delete Failed" by this run.
  int FailedCount() const { return failedCount_; }

 private:
  /// The name of this run's copy of the file, saving one (and writing its record, unless
  /// the caller records it itself) when there is none yet.
  std::optional<std::string> EnsureFileCopy(const std::string& path, bool record = true,
                                            QuarantineKind kind = QuarantineKind::File);
  std::optional<std::string> EnsureFolderCopy(const std::string& path);
  /// An item still on the machine after the retry pass: listed in "Delete Failed", its
  /// work row and its results rows unticked so that they stay, and not counted as removed.
  void KeepItem(forms::ListView& list, int row, const std::string& shown,
                const std::function<bool(const forms::ListItem&)>& isResultRow);
  /// Whether the contract lets the removal touch the path; a refusal is kept for the report.
  bool MayTouch(const std::string& path);
  void Refuse(const std::string& place, const std::string& why);
  void RetryCheck(int row);
  void RegistryCheck(int row);
  void FilePass();
  void RegistryPass();
  void CookiePass();

  RemovalWindow& main_;
  ProgramContext& app_;
  QuarantineStore quarantine_;
  /// Source path (lower case) -> name of the copy this run saved.
  std::map<std::string, std::string> copies_;
  /// Registry entries whose export failed: left in place for this run.
  std::set<std::string> keptRegistry_;
  /// Place (lower case) -> why the contract refused it, in this run.
  std::map<std::string, std::string> refusals_;
  int failedCount_ = 0;
  int64_t barBase_ = 0;
};

/// Whether this system offers restore points: System Restore present, and the 9x family at
/// version 4.90, NT 5.1, or NT above 5.
bool RestorePointsSupported(ProgramContext& app);

/// A restore-point failure: its number and text.
struct RestorePointError {
  int number = 0;
  std::string description;
};
/// Opens a restore point; empty on success. Fails with 100001 while one is open.
std::optional<RestorePointError> BeginRestorePoint(ProgramContext& app,
                                                   const std::string& description, int type);
/// Closes the open restore point and forgets it, whatever the outcome.
void EndRestorePoint(ProgramContext& app);

}  // namespace quill
