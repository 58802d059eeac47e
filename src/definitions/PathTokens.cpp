#include "definitions/PathTokens.h"

#include <utility>

#include "base/Text.h"

namespace quill {

namespace {

// The tokens in the order they are replaced, with the special folder each names.
const std::pair<const char*, int> kTokens[] = {
    {"[startsp]", platform::csidl::kAltStartup},
    {"[appdata]", platform::csidl::kAppData},
    {"[recycle]", platform::csidl::kBitBucket},
    {"[comstar]", platform::csidl::kCommonAltStartup},
    {"[comapp]", platform::csidl::kCommonAppData},
    {"[desktop]", platform::csidl::kCommonDesktopDirectory},
    {"[comdocs]", platform::csidl::kCommonDocuments},
    {"[comfav]", platform::csidl::kCommonFavorites},
    {"[comprog]", platform::csidl::kCommonPrograms},
    {"[comstam]", platform::csidl::kCommonStartMenu},
    {"[comtemp]", platform::csidl::kCommonTemplates},
    {"[cookies]", platform::csidl::kCookies},
    {"[comdesk]", platform::csidl::kDesktopDirectory},
    {"[favorit]", platform::csidl::kFavorites},
    {"[fonts]", platform::csidl::kFonts},
    {"[history]", platform::csidl::kHistory},
    {"[netcach]", platform::csidl::kInternetCache},
    {"[progs]", platform::csidl::kPrograms},
    {"[progfil]", platform::csidl::kProgramFiles},
    {"[comprogfil]", platform::csidl::kProgramFilesCommon},
    {"[personl]", platform::csidl::kPersonal},
    {"[recent]", platform::csidl::kRecent},
    {"[sendto]", platform::csidl::kSendTo},
    {"[startup]", platform::csidl::kStartup},
    {"[strtmnu]", platform::csidl::kStartMenu},
    {"[system]", platform::csidl::kSystem},
    {"[templat]", platform::csidl::kTemplates},
    {"[windir]", platform::csidl::kWindows},
};

constexpr int kProfileCsidl = 40;  // the user's profile folder

// Start menus kept inside the profile under Microsoft\Windows (every system since the
// profiles moved out of "Documents and Settings").
constexpr const char* kNewStartMenu = "\\Microsoft\\Windows\\Start Menu\\";

std::string WithBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

}  // namespace

std::string PathTokens::SpecialFolderPath(int csidl) {
  auto cached = byPath_.find(csidl);
  if (cached != byPath_.end()) return cached->second;
  std::string result;
  try {
    auto folder = shell_.SpecialFolder(csidl);
    if (folder && !folder->empty()) result = WithBackslash(*folder);
  } catch (...) {
    result.clear();
  }
  byPath_[csidl] = result;
  return result;
}

std::string PathTokens::SpecialFolderByLocation(int csidl) {
  auto cached = byLocation_.find(csidl);
  if (cached != byLocation_.end()) return cached->second;
  std::string result;
  try {
    auto folder = shell_.SpecialFolderByLocation(csidl);
    if (folder && !folder->empty()) result = WithBackslash(*folder);
  } catch (...) {
    result.clear();
  }
  byLocation_[csidl] = result;
  return result;
}

std::string PathTokens::SystemDriveRoot() {
  return SpecialFolderByLocation(2).substr(0, 3);
}

std::string PathTokens::SystemDirectory() {
  try {
    return WithBackslash(shell_.SystemDirectory());
  } catch (...) {
    return {};
  }
}

std::string PathTokens::ExpandPathTokens(const std::string& text) {
  std::string result = text;
  for (const auto& [token, csidl] : kTokens) {
    if (text::FindNoCase(result, token) == std::string::npos) continue;
    result = text::ReplaceAllNoCase(result, token, SpecialFolderPath(csidl));
  }
  if (text::Contains(result, "[user]")) {
    // The profile holds the Start menu directly only in the old layout; in the newer one
    // cutting "\Start Menu" would leave ...\AppData\Roaming\Microsoft\Windows, so the
    // profile folder is asked for directly.
    std::string startMenu = SpecialFolderPath(platform::csidl::kStartMenu);
    std::string user;
    if (text::ContainsNoCase(startMenu, kNewStartMenu)) user = SpecialFolderPath(kProfileCsidl);
    if (user.empty()) user = text::ReplaceAll(startMenu, "\\Start Menu", "");
    result = text::ReplaceAll(result, "[user]", user);
  }
  if (text::Contains(result, "[alluser]")) {
    // The all-users profile of the newer layout is the folder holding Microsoft\Windows.
    std::string startMenu = SpecialFolderPath(platform::csidl::kCommonStartMenu);
    std::string allUsers;
    if (text::EndsWithNoCase(startMenu, kNewStartMenu))
      allUsers = startMenu.substr(0, startMenu.size() - std::string(kNewStartMenu).size() + 1);
    else
      allUsers = text::ReplaceAll(startMenu, "\\Start Menu", "");
    result = text::ReplaceAll(result, "[alluser]", allUsers);
  }
  return result;
}

PathTokens::Root PathTokens::ResolveRootCode(const std::string& code) {
  static const std::pair<const char*, int64_t> kRoots[] = {
      {"HKEY_CLASSES_ROOT", 0x80000000LL},   {"HKEY_CURRENT_USER", 0x80000001LL},
      {"HKEY_LOCAL_MACHINE", 0x80000002LL},  {"HKEY_USERS", 0x80000003LL},
      {"HKEY_CURRENT_CONFIG", 0x80000005LL}, {"HKEY_DYN_DATA", 0x80000006LL},
  };
  Root root;
  long long number = text::Val(code);
  if (number >= 0 && number <= 5) {
    root.name = kRoots[number].first;
    root.handle = kRoots[number].second;
  }
  currentRootName_ = root.name;
  return root;
}

}  // namespace quill
