#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/Application.h"
#include "platform/FileSystem.h"
#include "platform/Internet.h"
#include "platform/Platform.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/System.h"

namespace quill::test {

/// The shell of every test. Special folders come from `folders`, else from the wrapped shell;
/// the system and Windows folders and the drives likewise. Programs and documents are never
/// started: each request is recorded in `started` ("<command line>" or "open <path>") with its
/// window style in `styles`. `asked` counts the special-folder questions.
class FakeShell : public platform::Shell {
 public:
  explicit FakeShell(std::map<int, std::string> folders = {});
  /// Wraps a real shell for folders, drives and volumes.
  FakeShell(std::unique_ptr<platform::Shell> inner,
            std::shared_ptr<std::vector<std::string>> started);

  std::optional<std::string> SpecialFolder(int csidl) override;
  std::optional<std::string> SpecialFolderByLocation(int csidl) override;
  std::string SystemDirectory() override;
  std::string WindowsDirectory() override;
  std::vector<platform::DriveInfo> Drives() override;
  std::optional<platform::VolumeSize> Volume(const std::string& root) override;
  bool Execute(const std::string& commandLine, platform::ShowStyle style) override;
  bool OpenDocument(const std::string& path, platform::ShowStyle style) override;

  std::map<int, std::string> folders;
  std::string systemDirectory = "C:\\windows\\system32";
  std::string windowsDirectory = "C:\\windows";
  /// Every volume reports this size when set.
  std::optional<platform::VolumeSize> volume;
  int asked = 0;
  std::shared_ptr<std::vector<std::string>> started;
  std::vector<platform::ShowStyle> styles;

 private:
  std::unique_ptr<platform::Shell> inner_;
};

/// The registry of every test that needs no hive: values set by the test, read back in any
/// letter case; nothing can be written through the interface.
class FakeRegistry : public platform::Registry {
 public:
  void Set(platform::RootKey root, const std::string& key, const std::string& name,
           platform::RegValue value);
  void SetSz(platform::RootKey root, const std::string& key, const std::string& name,
             const std::string& data, platform::RegType type = platform::RegType::Sz);

  platform::RegStatus OpenKey(platform::RootKey root, const std::string& path,
                              uint32_t access) override;
  platform::RegStatus CreateKey(platform::RootKey root, const std::string& path) override;
  std::optional<platform::RegValue> QueryValue(platform::RootKey root, const std::string& path,
                                               const std::string& name) override;
  platform::RegStatus SetValue(platform::RootKey root, const std::string& path,
                               const std::string& name, const platform::RegValue& value) override;
  platform::RegStatus DeleteValue(platform::RootKey root, const std::string& path,
                                  const std::string& name) override;
  platform::RegStatus DeleteKeyTree(platform::RootKey root, const std::string& path) override;
  std::optional<std::vector<std::string>> EnumValues(platform::RootKey root,
                                                     const std::string& path) override;
  std::optional<std::vector<std::string>> EnumKeys(platform::RootKey root,
                                                   const std::string& path) override;

 private:
  std::map<std::pair<platform::RootKey, std::string>,
           std::vector<std::pair<std::string, platform::RegValue>>>
      keys_;
};

/// A flat in-memory file system: files by Windows path (any letter case), folders implied by
/// the files put in them or made with AddFolder. Writes can be made to fail. Paths pass
/// through NativePath and FromNativePath unchanged unless `hostRootAsDriveZ` is set: then the
/// host's root is Wine's default z: drive ("/a/b" <-> "Z:\\a\\b").
class FakeFileSystem : public platform::FileSystem {
 public:
  /// An empty one that maps the host's root as the z: drive.
  static FakeFileSystem WithDriveZ();
  void Put(const std::string& path, const std::string& bytes);
  std::optional<std::string> Get(const std::string& path) const;
  void AddFolder(const std::string& path);

  std::optional<uint32_t> Attributes(const std::string& path) override;
  std::optional<std::vector<platform::DirEntry>> List(const std::string& folder) override;
  std::optional<uint64_t> FileSize(const std::string& path) override;
  std::optional<std::string> ResolveCase(const std::string& path) override;
  std::optional<std::string> ReadFile(const std::string& path) override;
  bool WriteFile(const std::string& path, const std::string& bytes) override;
  bool AppendFile(const std::string& path, const std::string& bytes) override;
  bool ReplaceFile(const std::string& path, const std::string& bytes) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool CopyFolder(const std::string& from, const std::string& to, bool overwrite) override;
  bool DeleteFile(const std::string& path) override;
  bool DeleteFolder(const std::string& path, bool force) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool CreateFolder(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  std::string NativePath(const std::string& path) override;
  std::string FromNativePath(const std::string& nativePath) override;

  bool hostRootAsDriveZ = false;
  bool failWrites = false;
  int writes = 0;
  /// The ReplaceFile call of this number (1 = the first) fails; 0: none does.
  int failReplaceNumber = 0;
  int replaces = 0;

 private:
  std::map<std::string, std::string> files_;
  std::set<std::string> folders_;
};

/// System services for tests. Every answer comes from the wrapped service (or a plain default
/// without one) unless the test sets it: `version` replaces the version; `hasRestore` set
/// means System Restore is played by the fake (present or not as set; each begin recorded in
/// `begun` as "<description>|<type>" and answered with `nextSequence` unless `beginSucceeds`
/// is off; each end recorded in `ended`). Libraries are never really registered: each request
/// is recorded in `registrations` ("register <path>" / "unregister <path>") and fails.
class FakeSystem : public platform::System {
 public:
  explicit FakeSystem(std::unique_ptr<platform::System> inner = nullptr);
  /// Replaces the platform's system services with a fake wrapping them; returns it.
  static FakeSystem& Install(platform::Platform& platform);

  platform::OsVersion Version() override;
  platform::ProgramIdentity Identity() override;
  bool AcquireSingleInstance() override;
  bool HasSystemRestore() override;
  std::optional<int64_t> BeginRestorePoint(const std::string& description, int type) override;
  bool EndRestorePoint(int64_t sequence) override;
  bool CallLibraryRegistration(const std::string& path, bool unregister) override;

  std::optional<platform::OsVersion> version;
  std::optional<bool> hasRestore;
  bool beginSucceeds = true;
  int64_t nextSequence = 42;
  std::vector<std::string> begun;
  std::vector<int64_t> ended;
  std::vector<std::string> registrations;

 private:
  std::unique_ptr<platform::System> inner_;
};

/// Per-user settings in memory, names matched as written; counts the saves.
class FakeSettingsStore : public platform::SettingsStore {
 public:
  std::string Get(const std::string& app, const std::string& section, const std::string& key,
                  const std::string& defaultValue) override {
    auto it = values.find(app + "\n" + section + "\n" + key);
    return it == values.end() ? defaultValue : it->second;
  }
  bool Save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override {
    ++saves;
    values[app + "\n" + section + "\n" + key] = value;
    return true;
  }

  /// "application\nsection\nkey" -> stored text.
  std::map<std::string, std::string> values;
  int saves = 0;
};

/// The machine's real process list narrowed to the processes a test allowed (the children it
/// started), so that other programs starting and ending on the machine cannot change what a
/// test sees, and a test can never stop a process it does not own.
class FakeProcesses : public platform::Processes {
 public:
  explicit FakeProcesses(std::unique_ptr<platform::Processes> real);
  /// Replaces the platform's process service with a narrowed one; returns it.
  static FakeProcesses& Install(platform::Platform& platform);

  void Allow(uint32_t pid) { allowed_.insert(pid); }
  /// Makes the list unreadable, as when the system refuses it.
  void SetFailing(bool failing) { failing_ = failing; }

  std::optional<std::vector<platform::ProcessInfo>> Enumerate() override;
  bool Terminate(uint32_t pid, uint32_t exitCode) override;
  bool WaitForExit(uint32_t pid, int timeoutMs) override;

 private:
  std::unique_ptr<platform::Processes> real_;
  std::set<uint32_t> allowed_;
  bool failing_ = false;
};

/// Answers every request with the given chunks and then the given outcome; a callback that
/// refuses a chunk leaves the reply incomplete.
class FakeInternet : public platform::Internet {
 public:
  FakeInternet(std::vector<std::string> chunks, bool complete, int status = 200);
  platform::HttpReply Get(const std::string& url, const ChunkCallback& onChunk) override;

 private:
  std::vector<std::string> chunks_;
  bool complete_;
  int status_;
};

/// A new, empty folder under the system's temporary folder.
std::string MakeTempFolder(const std::string& tag);

/// The posix platform on a prefix, for tests: per-user settings and the program folder in
/// the given folders, short network timeouts, and the real shell wrapped in a FakeShell that
/// records the programs and documents it is asked to start instead of starting them.
/// The network limits of test platforms: a silent or trickling server is given up after about
/// a second (1 s without 16 bytes), any request after 20 s.
inline const platform::NetworkLimits kTestNetworkLimits{
    std::chrono::milliseconds(2000), std::chrono::milliseconds(1000), 16,
    std::chrono::milliseconds(20000), 64 * 1024};

platform::Platform MakeTestPlatform(const std::string& prefixRoot,
                                    const std::string& settingsFolder,
                                    const std::string& programFolder,
                                    std::shared_ptr<std::vector<std::string>> started);

/// Makes every drive of a test platform report this size (empty: the real one again).
void SetTestVolume(platform::Platform& platform, std::optional<platform::VolumeSize> size);

/// Marks the machine and the user as not new: no language chooser, no Live Update question,
/// no help file at start.
void MarkNotFirstRun(Application& app);

}  // namespace quill::test
