#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "platform/Platform.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

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

/// A new, empty folder under the system's temporary folder.
std::string MakeTempFolder(const std::string& tag);

/// The posix platform on a prefix, for tests: per-user settings and the program folder in
/// the given folders, short network timeouts, and the real shell wrapped in a FakeShell that
/// records the programs and documents it is asked to start instead of starting them.
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
