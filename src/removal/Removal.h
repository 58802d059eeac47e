#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/Registry.h"
#include "removal/Quarantine.h"
#include "removal/RemovalInputs.h"
#include "removal/RemovalRun.h"

namespace quill {

class ProgramContext;
class RemovalWindow;
namespace platform {
class System;
}

/// How the removal treats a file row, by the extension of its path.
enum class RemovalKind { Executable, Library, Other };

/// The text after the last "." of the path when no ":" or "\" follows it, trimmed and
/// compared without regard to case: "EXE", "DLL"/"OCX", anything else.
RemovalKind KindOfPath(const std::string& path);

/// Runs one step of a removal run: a step that fails is reported to the host and skipped, and
/// the next one runs.
void RemovalStep(const RemovalInputs& in, const char* what, const std::function<void()>& action);

/// "Removing : 45% Completed." with the catalogue's words; the percentage is row / rows,
/// rounded halves to even.
std::string RemovingCaption(const RemovalInputs& in, int row, int rows);

/// The passes of one removal run over the request's targets. It remembers, for the length of
/// the run, which items it has saved to the quarantine: a file, folder or cookie is deleted
/// only when this run holds a complete copy of it, and a registry entry only when its export
/// could be written, so that nothing removed is lost.
class Removal {
 public:
  /// The targets stay with the caller: those that stay are unticked in place, and what the
  /// run refused and kept goes into `result`.
  Removal(const RemovalInputs& in, RemovalRequest& request, RemovalWindow& window,
          RemovalResult& result);

  /// One pass over the files, registry entries and cookies: the recording pass, which writes
  /// the quarantine log, or the retry pass, which records nothing and lists what stayed.
  void RemovalPass(bool recording);

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

 private:
  /// The name of this run's copy of the file, saving one (and writing its record, unless
  /// the caller records it itself) when there is none yet.
  std::optional<std::string> EnsureFileCopy(const std::string& path, bool record = true,
                                            QuarantineKind kind = QuarantineKind::File);
  std::optional<std::string> EnsureFolderCopy(const std::string& path);
  /// A target still on the machine after the retry pass: listed in "Delete Failed", unticked
  /// so that its rows stay, and its findings (those of its results rows) failed.
  void KeepItem(RemovalTarget& target, const std::string& shown);
  /// Whether the contract lets the removal touch the path; a refusal is kept for the report.
  bool MayTouch(const std::string& path);
  void Refuse(const std::string& place, const std::string& why);
  void RetryCheck(RemovalTarget& target);
  void RegistryCheck(RemovalTarget& target);
  void FilePass();
  void RegistryPass();
  void CookiePass();
  /// Moves the bar to a place of the pass and names the item in the progress lines.
  void ShowStep(int64_t bar, int row, int rows, const std::string& item);

  RemovalInputs in_;
  RemovalRequest& request_;
  RemovalWindow& window_;
  RemovalResult& result_;
  QuarantineStore quarantine_;
  bool recording_ = false;
  /// Source path (lower case) -> name of the copy this run saved.
  std::map<std::string, std::string> copies_;
  /// Registry entries whose export failed: left in place for this run.
  std::set<std::string> keptRegistry_;
  /// Place (lower case) -> why the contract refused it, in this run.
  std::map<std::string, std::string> refusals_;
  int64_t barBase_ = 0;
  /// The bar's end, once the pass has shown it.
  std::optional<int64_t> barEnd_;
};

/// Whether this system offers restore points: System Restore present, and the 9x family at
/// version 4.90, NT 5.1, or NT above 5.
bool RestorePointsSupported(platform::System& system);

/// The question a removal asks first: what goes, the quarantine folder that keeps it, and the
/// restore point where this system makes one.
std::string RemovalQuestion(ProgramContext& app);

/// A restore-point failure: its number and text.
struct RestorePointError {
  int number = 0;
  std::string description;
};

/// The System Restore point a removal run holds open around its passes.
class RestorePoint {
 public:
  explicit RestorePoint(platform::System& system) : system_(system) {}
  /// Opens a restore point; empty on success. Fails with 100001 while one is open.
  std::optional<RestorePointError> BeginRestorePoint(const std::string& description, int type);
  /// Closes the open restore point and forgets it, whatever the outcome.
  void EndRestorePoint();
  /// The open restore point's sequence number; 0 when none is open.
  int64_t Sequence() const { return sequence_; }

 private:
  platform::System& system_;
  int64_t sequence_ = 0;
};

}  // namespace quill
