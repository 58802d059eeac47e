#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "platform/System.h"

namespace quill::platform::posix {

/// System services for a Wine prefix: the version Wine reports, the program's identity, and
/// a single-instance lock per prefix. System Restore and library registration do not exist
/// here.
class PosixSystem : public platform::System {
 public:
  /// prefixRoot: the prefix's native folder (names the lock). programFolderOverride: native
  /// folder of the language and help files; empty = $QUILLONET_PROGRAM_DIR, else the data
  /// folder of the tree the running program was installed in, else the configured install
  /// folder when present, else the source tree's resources. startupProgram: the native
  /// program the start entry starts; empty = this executable.
  PosixSystem(std::string prefixRoot, platform::FileSystem& files,
              std::string programFolderOverride, std::string startupProgram = {});
  ~PosixSystem() override;
  PosixSystem(const PosixSystem&) = delete;
  PosixSystem& operator=(const PosixSystem&) = delete;

  OsVersion Version() override;
  ProgramIdentity Identity() override;
  /// Holds an exclusive lock on a file named after the prefix while this object lives (the
  /// program keeps it for its whole run). False only when another holder has it; when no lock
  /// file can be made at all the program is not kept from starting.
  bool AcquireSingleInstance() override;
  bool HasSystemRestore() override { return false; }
  std::optional<int64_t> BeginRestorePoint(const std::string&, int) override {
    return std::nullopt;
  }
  bool EndRestorePoint(int64_t) override { return false; }
  bool CallLibraryRegistration(const std::string&, bool) override { return false; }
  /// Wine starts native programs named by a Windows path, so the entry names this program
  /// through the drive that maps it (normally Z:) and tells it which prefix to protect:
  /// "Z:\usr\bin\quillonet --prefix /home/u/.wine", each part quoted when it holds a blank.
  /// Empty when the program cannot be named that way (no drive maps it, it is not executable,
  /// or a path holds a double quote, which a Windows command line cannot carry).
  std::optional<std::string> StartupCommand() override;

  /// The lock file used for this prefix.
  std::string LockFilePath() const;
  /// The program folder as a native path.
  std::string NativeProgramFolder() const;

 private:
  std::string prefixRoot_;
  platform::FileSystem& files_;
  std::string programFolderOverride_;
  std::string startupProgram_;
  int lockFd_ = -1;
  std::string lockPath_;
};

}  // namespace quill::platform::posix
