#include "definitions/ProtectedFloor.h"

#include <algorithm>
#include <array>

#include "base/Text.h"
#include "definitions/LocationForm.h"

namespace quill {

namespace {

// Known folders of the user (and of every other profile, at the same place in it).
constexpr std::array kProfileFolders = {2,  5,  6,  7,  8,  9,  11, 13, 14, 16, 19,
                                        21, 26, 27, 28, 29, 32, 33, 34, 39, 40};
// Folders of the machine: fonts, the common known folders, Windows, system, program files.
constexpr std::array kMachineFolders = {20, 22, 23, 24, 25, 30, 31, 35, 36, 37,
                                        38, 42, 43, 44, 45, 46, 53, 54, 55};
// The known folders of a profile that the special folders do not name, as every current
// system lays them out below the profile (the same names below the public profile).
constexpr std::array kProfileKnownNames = {"Desktop",
                                           "Documents",
                                           "Downloads",
                                           "Music",
                                           "Pictures",
                                           "Videos",
                                           "Favorites",
                                           "Contacts",
                                           "Links",
                                           "Searches",
                                           "Saved Games",
                                           "3D Objects",
                                           "Templates",
                                           "AppData",
                                           "AppData\\Local",
                                           "AppData\\LocalLow",
                                           "AppData\\Roaming",
                                           "AppData\\Local\\Temp",
                                           "Libraries",
                                           "OneDrive",
                                           "My Documents",
                                           "Application Data",
                                           "Local Settings",
                                           "Local Settings\\Temp",
                                           "Start Menu",
                                           "Recent",
                                           "SendTo",
                                           "Cookies",
                                           "NetHood",
                                           "PrintHood",
                                           "Recorded TV"};
// Folders below the Windows folder that its special folders do not name.
constexpr std::array kWindowsSubfolders = {"system", "SysWOW64", "system32\\drivers", "Fonts",
                                           "WinSxS"};
// Guards against a file system that reports a folder as its own parent.
constexpr int kMaxDepth = 128;

// Vital keys, the same below the machine's and the user's root.
constexpr std::array<std::string_view, 12> kVitalKeys = {
    "software\\microsoft",
    "software\\classes",
    "software\\microsoft\\windows\\currentversion",
    "software\\microsoft\\windows\\currentversion\\run",
    "software\\microsoft\\windows\\currentversion\\runonce",
    "software\\microsoft\\windows\\currentversion\\runonceex",
    "software\\microsoft\\windows\\currentversion\\runservices",
    "software\\microsoft\\windows\\currentversion\\runservicesonce",
    "software\\microsoft\\windows nt\\currentversion",
    "software\\wow6432node",
    "system\\currentcontrolset",
    "system\\select",
};

std::string Lower(std::string_view s) {
  return text::ToLower(s);
}

std::string Join(const std::string& folder, std::string_view name) {
  if (folder.empty() || folder.back() == '\\') return folder + std::string(name);
  return folder + "\\" + std::string(name);
}

// The folder a native path lies in ("" at the top). Native paths end their names at "/"
// on this system's hosts, at "\" on Windows itself.
std::string NativeParent(const std::string& native) {
  const size_t cut = native.find_last_of("/\\");
  if (cut == std::string::npos) return {};
  std::string parent = native.substr(0, cut == 0 ? 1 : cut);
  return parent == native ? std::string() : parent;
}

std::vector<std::string> KeyNames(std::string_view keyPath) {
  return text::Split(Lower(location::CanonicalKeyPath(keyPath)), "\\");
}

// "controlset001" and its kind: the control set CurrentControlSet leads to.
bool IsControlSet(const std::string& name) {
  if (!text::StartsWith(name, "controlset") || name.size() == 10) return false;
  return std::all_of(name.begin() + 10, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

// ---- Folders -----------------------------------------------------------------------------

std::string ProtectedFloor::Identity(const std::string& canonical) const {
  const size_t cut = canonical.rfind('\\');
  if (cut == std::string::npos || cut + 1 >= canonical.size()) return Lower(canonical);
  const std::string parent = canonical.substr(0, cut == 2 ? 3 : cut);
  // The last name stays as written: deleting a link removes the link, not what it leads to.
  const std::string real = files_.FromNativePath(files_.NativePath(parent));
  const std::string base = real.empty() ? parent : location::CanonicalFilePath(real);
  return Lower(Join(base, std::string_view(canonical).substr(cut + 1)));
}

void ProtectedFloor::AddWithHolders(const std::string& folder) {
  const std::string canonical = location::CanonicalFilePath(folder);
  if (!location::IsDrivePath(canonical)) return;
  // Every folder above it too, as written and as the file system maps it: removing any of
  // them would remove this one.
  for (std::string f = canonical; f.size() > 3; f = f.substr(0, std::max<size_t>(f.rfind('\\'), 3)))
    folders_.insert(Lower(f));
  std::string native = files_.NativePath(canonical);
  for (int depth = 0; !native.empty() && depth < kMaxDepth; ++depth) {
    const std::string mapped = location::CanonicalFilePath(files_.FromNativePath(native));
    if (!mapped.empty()) folders_.insert(Lower(mapped));
    native = NativeParent(native);
  }
}

void ProtectedFloor::AddProfiles() {
  const auto profile = shell_.SpecialFolder(40);
  if (!profile || profile->empty()) return;
  const std::string me = location::CanonicalFilePath(*profile);
  const std::string users = text::UpToLastBackslash(me);
  // Each known folder, as a place inside a profile.
  std::vector<std::string> inside;
  for (int csidl : kProfileFolders) {
    const auto folder = shell_.SpecialFolder(csidl);
    if (!folder) continue;
    const std::string f = location::CanonicalFilePath(*folder);
    AddWithHolders(f);
    if (f.size() > me.size() && text::StartsWithNoCase(f, me + "\\"))
      inside.push_back(f.substr(me.size() + 1));
  }
  for (const char* name : kProfileKnownNames) inside.emplace_back(name);
  AddWithHolders(users);
  const auto listed = files_.List(users);
  if (!listed) return;
  for (const auto& entry : *listed) {
    if (!(entry.attributes & platform::kAttrDirectory)) continue;
    const std::string other = Join(users, entry.name);
    AddWithHolders(other);
    for (const std::string& rest : inside) AddWithHolders(Join(other, rest));
  }
}

void ProtectedFloor::AddOwnFolder(const std::string& folder) {
  const std::string canonical = location::CanonicalFilePath(folder);
  if (!location::IsDrivePath(canonical) || canonical.size() <= 3) return;
  AddWithHolders(canonical);
  ownIdentities_.push_back(Identity(canonical));
  ownAliases_.push_back(Lower(canonical));
  // The same folder as every other drive reaches it (a drive that maps the whole host).
  const std::string native = files_.NativePath(canonical);
  for (const auto& drive : shell_.Drives()) {
    const std::string root = std::string(1, drive.letter) + ":\\";
    std::string rootNative = files_.NativePath(root);
    if (rootNative.empty()) continue;
    if (rootNative.back() != '/' && rootNative.back() != '\\') rootNative += '/';
    if (!text::StartsWith(native, rootNative)) continue;
    ownAliases_.push_back(
        Lower(location::CanonicalFilePath(root + native.substr(rootNative.size()))));
  }
}

void ProtectedFloor::Refresh(const std::string& dataFolder, const std::string& programFolder) {
  folders_.clear();
  ownIdentities_.clear();
  ownAliases_.clear();
  wholeHostDrives_.clear();
  // A drive that shows the whole host file system: its top-level folders are the host's own.
  for (const auto& drive : shell_.Drives()) {
    const std::string native = files_.NativePath(std::string(1, drive.letter) + ":\\");
    if (!native.empty() && NativeParent(native).empty())
      wholeHostDrives_.push_back(static_cast<char>(drive.letter | 0x20));
  }
  for (int csidl : kMachineFolders)
    if (auto folder = shell_.SpecialFolder(csidl)) AddWithHolders(*folder);
  const std::string windows = shell_.WindowsDirectory();
  AddWithHolders(windows);
  AddWithHolders(shell_.SystemDirectory());
  for (const char* sub : kWindowsSubfolders) AddWithHolders(Join(windows, sub));
  AddProfiles();
  AddOwnFolder(dataFolder);
  AddOwnFolder(programFolder);
}

bool ProtectedFloor::ProtectsPath(std::string_view path) const {
  const std::string canonical = location::CanonicalFilePath(path);
  // Only a path on a drive names something this program removes; a drive root never is.
  if (!location::IsDrivePath(canonical) || canonical.size() <= 3) return true;
  const char letter = static_cast<char>(canonical[0] | 0x20);
  if (canonical.find('\\', 3) == std::string::npos &&
      std::find(wholeHostDrives_.begin(), wholeHostDrives_.end(), letter) != wholeHostDrives_.end())
    return true;
  for (const std::string& id : {Lower(canonical), Identity(canonical)}) {
    if (folders_.count(id)) return true;
    for (const std::string& own : ownIdentities_)
      if (id == own || text::StartsWith(id, own + "\\")) return true;
  }
  return IsOwnFolder(canonical);
}

bool ProtectedFloor::IsOwnFolder(std::string_view folder) const {
  const std::string f = Lower(location::CanonicalFilePath(folder));
  return std::any_of(ownAliases_.begin(), ownAliases_.end(), [&](const std::string& own) {
    return f == own || (f.size() > own.size() && text::StartsWith(f, own) && f[own.size()] == '\\');
  });
}

// ---- Keys --------------------------------------------------------------------------------

bool ProtectedFloor::ProtectsKey(platform::RootKey root, std::string_view keyPath) {
  using platform::RootKey;
  std::vector<std::string> names = KeyNames(keyPath);
  if (names.size() == 1 && names[0].empty()) names.clear();
  // A root and every key directly below it.
  if (names.size() <= 1) return true;
  // Where the key really lives: the classes root is Software\Classes of the machine, a
  // user's hive below the users root reads like the current user's, the current
  // configuration lies below the current control set.
  std::vector<std::string> at;
  switch (root) {
    case RootKey::ClassesRoot:
      // The classes root's Wow6432Node is the 32-bit view of the machine's classes.
      if (names[0] == "wow6432node") {
        names.erase(names.begin());
        at = {"software", "wow6432node", "classes"};
      } else {
        at = {"software", "classes"};
      }
      break;
    case RootKey::Users:
      names.erase(names.begin());
      break;
    case RootKey::CurrentConfig:
      at = {"system", "currentcontrolset", "hardware profiles", "current"};
      break;
    case RootKey::LocalMachine:
    case RootKey::CurrentUser:
      break;
    default:
      return true;  // no removal has anything to do in the other roots
  }
  at.insert(at.end(), names.begin(), names.end());
  if (at.size() <= 1) return true;
  if (at[0] == "system" && IsControlSet(at[1])) at[1] = "currentcontrolset";
  // Every first-level key of the classes, however it is reached.
  const bool wow = at.size() > 1 && at[1] == "wow6432node";
  if (at[0] == "software" && at.size() == (wow ? 4u : 3u) && at[wow ? 2 : 1] == "classes")
    return true;
  std::string joined;
  for (const std::string& name : at) joined += (joined.empty() ? "" : "\\") + name;
  for (std::string_view vital : kVitalKeys) {
    for (const std::string& form :
         {std::string(vital), text::ReplaceAll(vital, "software\\", "software\\wow6432node\\")}) {
      if (joined == form) return true;
      // A key that holds a vital key.
      if (form.size() > joined.size() && text::StartsWith(form, joined) &&
          form[joined.size()] == '\\')
        return true;
    }
  }
  return false;
}

bool ProtectedFloor::ProtectsValue(platform::RootKey root, std::string_view keyPath,
                                   std::string_view valueName) {
  return valueName.empty() && ProtectsKey(root, keyPath);
}

}  // namespace quill
