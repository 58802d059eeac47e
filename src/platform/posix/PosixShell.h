#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace quill::platform::posix {

/// Special folders, drives and program starts for a Wine prefix. Folders come from the
/// prefix's own "User Shell Folders" / "Shell Folders" keys, falling back to the layout Wine
/// makes; drives are the prefix's dosdevices links; documents open with the desktop's
/// handler (xdg-open, or the command in QUILLONET_OPEN_COMMAND) and Windows programs through
/// wine. Nothing started is ever waited for.
class PosixShell : public Shell {
 public:
  PosixShell(std::string prefixRoot, Registry& registry, FileSystem& files);

  std::optional<std::string> SpecialFolder(int csidl) override;
  std::optional<std::string> SpecialFolderByLocation(int csidl) override;
  std::string SystemDirectory() override;
  std::string WindowsDirectory() override;
  std::vector<DriveInfo> Drives() override;
  std::optional<VolumeSize> Volume(const std::string& root) override;
  bool Execute(const std::string& commandLine, ShowStyle style) override;
  bool OpenDocument(const std::string& path, ShowStyle style) override;

  /// Replaces %NAME% references with the prefix's environment (USERPROFILE, APPDATA,
  /// ProgramData, PUBLIC, SystemRoot, ...), names matched without regard to case. Unknown
  /// names stay as written.
  std::string ExpandEnvironment(const std::string& text);

  /// Splits a command line into arguments the way Windows programs read theirs.
  static std::vector<std::string> SplitCommandLine(const std::string& commandLine);

 private:
  std::map<std::string, std::string> Environment();
  std::optional<std::string> RegistryText(RootKey root, const std::string& key,
                                          const std::string& name);
  std::optional<std::string> FolderValue(RootKey root, const std::string& name);
  bool OpenWithDesktop(const std::string& target);
  bool RunWine(const std::vector<std::string>& arguments);
  bool OpenWindowsPath(const std::string& windowsPath);

  std::string root_;
  Registry& registry_;
  FileSystem& files_;
};

}  // namespace quill::platform::posix
