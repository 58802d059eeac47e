#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quill::platform {

struct OsVersion {
  int platformId = 2;  // 1 = the older consumer family, 2 = the NT family
  int major = 6;
  int minor = 1;
};

/// What the build says about the program (its version information).
struct ProgramIdentity {
  std::string productName;
  std::string companyName;
  std::string comments;  // the web site
  int versionMajor = 1;
  int versionMinor = 0;
  int brandNumber = 0;
  /// Base name of the executable, without extension ("Quillonet").
  std::string exeName;
  /// The program folder as a Windows path, without a trailing backslash.
  std::string programFolder;
};

/// System services that are neither files, registry nor processes.
class System {
 public:
  virtual ~System() = default;
  virtual OsVersion Version() = 0;
  virtual ProgramIdentity Identity() = 0;
  /// Takes the single-instance lock for this program on this machine; false when another
  /// instance holds it. The lock lives until the process ends.
  virtual bool AcquireSingleInstance() = 0;
  /// Whether this machine offers System Restore at all (a Wine prefix does not).
  virtual bool HasSystemRestore() = 0;
  /// System Restore: begin returns the sequence number, empty when not available.
  virtual std::optional<int64_t> BeginRestorePoint(const std::string& description, int type) = 0;
  virtual bool EndRestorePoint(int64_t sequence) = 0;
  /// Calls the library's (un)registration entry point; false when not possible.
  virtual bool CallLibraryRegistration(const std::string& path, bool unregister) = 0;
  /// The command line the machine's start entry holds to start this program when the machine
  /// starts; empty when the machine has no way to start it. On Windows: the program folder and
  /// the executable name, without extension or quotes.
  virtual std::optional<std::string> StartupCommand() {
    const ProgramIdentity id = Identity();
    return id.programFolder + "\\" + id.exeName;
  }
};

/// Per-user settings: strings by (application, section, key).
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::string Get(const std::string& app, const std::string& section,
                          const std::string& key, const std::string& defaultValue) = 0;
  virtual bool Save(const std::string& app, const std::string& section, const std::string& key,
                    const std::string& value) = 0;
};

}  // namespace quill::platform
