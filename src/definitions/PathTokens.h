#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/Shell.h"

namespace quill {

/// Definition files name folders by tokens ("[appdata]", "[windir]") and registry roots by
/// small numbers; this resolves both on the running machine. Folder lookups are cached for
/// the life of the object (special folders do not move while the program runs).
class PathTokens {
 public:
  explicit PathTokens(platform::Shell& shell) : shell_(shell) {}

  /// Replaces every token of the table (letter case ignored, "[user]" and "[alluser]"
  /// matched exactly). Callers collapse "\\" afterwards.
  std::string ExpandPathTokens(const std::string& text);
  /// The folder path followed by "\", or "" on failure.
  std::string SpecialFolderPath(int csidl);
  /// The same, obtained through the folder's item identifier; "" on failure.
  std::string SpecialFolderByLocation(int csidl);
  /// "C:\": the first three characters of the user's Start menu Programs folder.
  std::string SystemDriveRoot();
  /// The system folder followed by "\".
  std::string SystemDirectory();

  struct Root {
    int64_t handle = -1;  // -1: not a valid root code
    std::string name;     // "HKEY_LOCAL_MACHINE"
    bool Valid() const { return handle != -1; }
  };
  /// Codes 0..5; text that is not a number counts as 0; anything else is invalid.
  /// Also records the root's full name as the current root name.
  Root ResolveRootCode(const std::string& code);
  const std::string& CurrentRootName() const { return currentRootName_; }

 private:
  platform::Shell& shell_;
  std::map<int, std::string> byPath_;
  std::map<int, std::string> byLocation_;
  std::string currentRootName_;
};

}  // namespace quill
