#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "definitions/DefinitionCodec.h"
#include "platform/Shell.h"

namespace quill::test {

/// A shell with a fixed set of special folders, for resolving definition tokens.
class FakeShell : public platform::Shell {
 public:
  std::map<int, std::string> folders = {
      {platform::csidl::kPrograms,
       "C:\\users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
      {platform::csidl::kAppData, "C:\\users\\me\\AppData\\Roaming"},
      {platform::csidl::kProgramFiles, "C:\\Program Files"},
      {platform::csidl::kWindows, "C:\\windows"},
      {platform::csidl::kSystem, "C:\\windows\\system32"},
      {platform::csidl::kStartMenu, "C:\\users\\me\\Start Menu"},
  };

  std::optional<std::string> SpecialFolder(int csidl) override {
    auto it = folders.find(csidl);
    if (it == folders.end()) return std::nullopt;
    return it->second;
  }
  std::optional<std::string> SpecialFolderByLocation(int csidl) override {
    return SpecialFolder(csidl);
  }
  std::string SystemDirectory() override { return folders[platform::csidl::kSystem]; }
  std::string WindowsDirectory() override { return folders[platform::csidl::kWindows]; }
  std::vector<platform::DriveInfo> Drives() override { return {}; }
  std::optional<platform::VolumeSize> Volume(const std::string&) override { return {}; }
  bool Execute(const std::string&, platform::ShowStyle) override { return false; }
  bool OpenDocument(const std::string&, platform::ShowStyle) override { return false; }
};

/// Definition file contents: each line encoded, lines ended with CR LF.
inline std::string EncodedFile(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += EncodeLine(line) + "\r\n";
  return out;
}

}  // namespace quill::test
