#pragma once

#include <string>

#include "platform/System.h"
#include "platform/win32/Win32Registry.h"

namespace quill::platform::win32 {

/// Version, identity, the single-instance lock, System Restore and library registration
/// through the system's own calls.
class Win32System : public System {
 public:
  /// programFolderOverride: a Windows path; empty: $QUILLONET_PROGRAM_DIR, else the folder
  /// of the executable.
  explicit Win32System(std::string programFolderOverride);
  ~Win32System() override;
  Win32System(const Win32System&) = delete;
  Win32System& operator=(const Win32System&) = delete;

  OsVersion Version() override;
  ProgramIdentity Identity() override;
  /// The running program's own file, quoted: a folder with spaces in it ("Program Files")
  /// must not let another program start in its place.
  std::optional<std::string> StartupCommand() override;
  bool AcquireSingleInstance() override;
  bool HasSystemRestore() override;
  std::optional<int64_t> BeginRestorePoint(const std::string& description, int type) override;
  bool EndRestorePoint(int64_t sequence) override;
  bool CallLibraryRegistration(const std::string& path, bool unregister) override;

 private:
  std::string programFolderOverride_;
  void* instanceMutex_ = nullptr;
};

/// Per-user settings where the platform's profile-settings functions keep them:
/// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>, one
/// string value per key.
class RegistrySettingsStore : public SettingsStore {
 public:
  explicit RegistrySettingsStore(Registry& registry) : registry_(registry) {}
  std::string Get(const std::string& app, const std::string& section, const std::string& key,
                  const std::string& defaultValue) override;
  bool Save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override;

 private:
  Registry& registry_;
};

}  // namespace quill::platform::win32
