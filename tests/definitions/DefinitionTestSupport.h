#pragma once

#include <map>
#include <string>
#include <vector>

#include "definitions/DefinitionCodec.h"
#include "platform/Shell.h"
#include "support/TestPlatform.h"

namespace quill::test {

/// Special folders of a small machine, for resolving definition tokens.
inline std::map<int, std::string> DefinitionFolders() {
  return {
      {platform::csidl::kPrograms,
       "C:\\users\\me\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
      {platform::csidl::kAppData, "C:\\users\\me\\AppData\\Roaming"},
      {platform::csidl::kProgramFiles, "C:\\Program Files"},
      {platform::csidl::kWindows, "C:\\windows"},
      {platform::csidl::kSystem, "C:\\windows\\system32"},
      {platform::csidl::kStartMenu, "C:\\users\\me\\Start Menu"},
  };
}

/// Definition file contents: each line encoded, lines ended with CR LF.
inline std::string EncodedFile(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += EncodeLine(line) + "\r\n";
  return out;
}

}  // namespace quill::test
