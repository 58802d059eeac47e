#pragma once

#include "platform/Shell.h"

namespace quill::platform::win32 {

/// Special folders, drives and starting programs through the shell and volume calls.
class Win32Shell : public Shell {
 public:
  std::optional<std::string> SpecialFolder(int csidl) override;
  std::optional<std::string> SpecialFolderByLocation(int csidl) override;
  std::string SystemDirectory() override;
  std::string WindowsDirectory() override;
  std::vector<DriveInfo> Drives() override;
  std::optional<VolumeSize> Volume(const std::string& root) override;
  bool Execute(const std::string& commandLine, ShowStyle style) override;
  bool OpenDocument(const std::string& path, ShowStyle style) override;
};

}  // namespace quill::platform::win32
