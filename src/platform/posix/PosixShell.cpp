#include "platform/posix/PosixShell.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/Text.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/WinePrefix.h"

namespace quill::platform::posix {

namespace {

constexpr const char* kUserShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNtCurrentVersion = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kProfileList = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

enum class Source { User, Common, CurrentVersion, WindowsDir, SystemDir };

struct FolderSpec {
  int csidl;
  Source source;
  const char* valueName;  // under the Shell Folders keys, or under CurrentVersion
  const char* fallback;   // Wine's default, written with environment names; "" = none
};

// The folders and the defaults Wine gives them when the registry does not say.
const FolderSpec kFolders[] = {
    {2, Source::User, "Programs", "%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs"},
    {5, Source::User, "Personal", "%USERPROFILE%\\Documents"},
    {6, Source::User, "Favorites", "%USERPROFILE%\\Favorites"},
    {7, Source::User, "StartUp", "%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp"},
    {8, Source::User, "Recent", "%APPDATA%\\Microsoft\\Windows\\Recent"},
    {9, Source::User, "SendTo", "%APPDATA%\\Microsoft\\Windows\\SendTo"},
    {11, Source::User, "Start Menu", "%APPDATA%\\Microsoft\\Windows\\Start Menu"},
    {13, Source::User, "My Music", "%USERPROFILE%\\Music"},
    {14, Source::User, "My Videos", "%USERPROFILE%\\Videos"},
    {16, Source::User, "Desktop", "%USERPROFILE%\\Desktop"},
    {19, Source::User, "NetHood", "%APPDATA%\\Microsoft\\Windows\\Network Shortcuts"},
    {20, Source::User, "Fonts", "%SystemRoot%\\Fonts"},
    {21, Source::User, "Templates", "%APPDATA%\\Microsoft\\Windows\\Templates"},
    {22, Source::Common, "Common Start Menu", "%ProgramData%\\Microsoft\\Windows\\Start Menu"},
    {23, Source::Common, "Common Programs",
     "%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs"},
    {24, Source::Common, "Common StartUp",
     "%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp"},
    {25, Source::Common, "Common Desktop", "%PUBLIC%\\Desktop"},
    {26, Source::User, "AppData", "%APPDATA%"},
    {27, Source::User, "PrintHood", "%APPDATA%\\Microsoft\\Windows\\Printer Shortcuts"},
    {28, Source::User, "Local AppData", "%LOCALAPPDATA%"},
    // Wine has no alternate Startup folders; only a registry entry can name them.
    {29, Source::User, "AltStartup", ""},
    {30, Source::Common, "Common AltStartup", ""},
    {31, Source::Common, "Common Favorites", "%USERPROFILE%\\Favorites"},
    {32, Source::User, "Cache", "%LOCALAPPDATA%\\Microsoft\\Windows\\INetCache"},
    {33, Source::User, "Cookies", "%LOCALAPPDATA%\\Microsoft\\Windows\\INetCookies"},
    {34, Source::User, "History", "%LOCALAPPDATA%\\Microsoft\\Windows\\History"},
    {35, Source::Common, "Common AppData", "%ProgramData%"},
    {36, Source::WindowsDir, "", ""},
    {37, Source::SystemDir, "", ""},
    {38, Source::CurrentVersion, "ProgramFilesDir", "%SystemDrive%\\Program Files"},
    {39, Source::User, "My Pictures", "%USERPROFILE%\\Pictures"},
    {40, Source::User, "", "%USERPROFILE%"},
    {42, Source::CurrentVersion, "ProgramFilesDir (x86)", "%SystemDrive%\\Program Files (x86)"},
    {43, Source::CurrentVersion, "CommonFilesDir", "%SystemDrive%\\Program Files\\Common Files"},
    {44, Source::CurrentVersion, "CommonFilesDir (x86)",
     "%SystemDrive%\\Program Files (x86)\\Common Files"},
    {45, Source::Common, "Common Templates", "%ProgramData%\\Microsoft\\Windows\\Templates"},
    {46, Source::Common, "Common Documents", "%PUBLIC%\\Documents"},
    {53, Source::Common, "CommonMusic", "%PUBLIC%\\Music"},
    {54, Source::Common, "CommonPictures", "%PUBLIC%\\Pictures"},
    {55, Source::Common, "CommonVideo", "%PUBLIC%\\Videos"},
};

const FolderSpec* FindFolder(int csidl) {
  for (const FolderSpec& spec : kFolders)
    if (spec.csidl == csidl) return &spec;
  return nullptr;
}

// Only an absolute drive path is a usable folder; anything else (an unexpanded name, a
// relative or network path) counts as not recorded.
std::optional<std::string> CleanFolder(std::string path) {
  path = text::Trim(path);
  if (path.find('%') != std::string::npos) return std::nullopt;
  auto parsed = PosixFileSystem::Parse(path);
  if (!parsed) return std::nullopt;
  std::string clean = std::string(1, parsed->drive) + ":";
  for (const std::string& part : parsed->parts) clean += "\\" + part;
  if (parsed->parts.empty()) clean += "\\";
  return clean;
}

}  // namespace

PosixShell::PosixShell(std::string prefixRoot, Registry& registry, FileSystem& files)
    : root_(std::move(prefixRoot)), registry_(registry), files_(files) {}

std::optional<std::string> PosixShell::RegistryText(RootKey root, const std::string& key,
                                                    const std::string& name) {
  auto value = registry_.QueryValue(root, key, name);
  if (!value) return std::nullopt;
  auto type = static_cast<RegType>(value->type);
  if (type != RegType::Sz && type != RegType::ExpandSz) return std::nullopt;
  std::string data = value->data;
  size_t nul = data.find('\0');
  if (nul != std::string::npos) data.resize(nul);
  return data;
}

std::map<std::string, std::string> PosixShell::Environment() {
  std::map<std::string, std::string> env;  // keys upper case
  std::string user = WinePrefix::UserNameOf(root_);
  std::string windows = WindowsDirectory();
  std::string drive = windows.substr(0, 2);
  auto expandWith = [&](const std::string& s) {
    std::string out = s;
    for (const auto& [name, value] : env)
      out = text::ReplaceAllNoCase(out, "%" + name + "%", value);
    return out;
  };
  env["SYSTEMDRIVE"] = drive;
  env["SYSTEMROOT"] = windows;
  env["WINDIR"] = windows;
  env["USERNAME"] = user;

  std::string profiles = drive + "\\users";
  if (auto dir = RegistryText(RootKey::LocalMachine, kProfileList, "ProfilesDirectory"))
    if (auto clean = CleanFolder(expandWith(*dir))) profiles = *clean;
  std::string profile = profiles + "\\" + user;
  // Wine records the profile of its one account under ProfileList\<SID>.
  if (auto sids = registry_.EnumKeys(RootKey::LocalMachine, kProfileList)) {
    for (const std::string& sid : *sids) {
      if (!text::StartsWith(sid, "S-1-5-21-")) continue;
      auto image = RegistryText(RootKey::LocalMachine, std::string(kProfileList) + "\\" + sid,
                                "ProfileImagePath");
      auto clean = image ? CleanFolder(expandWith(*image)) : std::nullopt;
      if (clean && text::EqualsNoCase(text::AfterLastBackslash(*clean), user)) {
        profile = *clean;
        break;
      }
    }
  }
  env["USERPROFILE"] = profile;
  env["HOMEDRIVE"] = profile.substr(0, 2);
  env["HOMEPATH"] = profile.substr(2);
  env["APPDATA"] = profile + "\\AppData\\Roaming";
  env["LOCALAPPDATA"] = profile + "\\AppData\\Local";

  std::string programData = drive + "\\ProgramData";
  if (auto v = RegistryText(RootKey::LocalMachine, kProfileList, "ProgramData"))
    if (auto clean = CleanFolder(expandWith(*v))) programData = *clean;
  env["PROGRAMDATA"] = programData;
  env["ALLUSERSPROFILE"] = programData;
  std::string publicFolder = profiles + "\\Public";
  if (auto v = RegistryText(RootKey::LocalMachine, kProfileList, "Public"))
    if (auto clean = CleanFolder(expandWith(*v))) publicFolder = *clean;
  env["PUBLIC"] = publicFolder;

  auto programFolder = [&](const char* value, const std::string& fallback) {
    auto v = RegistryText(RootKey::LocalMachine, kCurrentVersion, value);
    auto clean = v ? CleanFolder(expandWith(*v)) : std::nullopt;
    return clean ? *clean : fallback;
  };
  env["PROGRAMFILES"] = programFolder("ProgramFilesDir", drive + "\\Program Files");
  env["COMMONPROGRAMFILES"] =
      programFolder("CommonFilesDir", env["PROGRAMFILES"] + "\\Common Files");
  env["PROGRAMFILES(X86)"] =
      programFolder("ProgramFilesDir (x86)", drive + "\\Program Files (x86)");

  // Other names the machine and the user define, for folders recorded with them.
  const std::pair<RootKey, const char*> extra[] = {
      {RootKey::LocalMachine, "System\\CurrentControlSet\\Control\\Session Manager\\Environment"},
      {RootKey::CurrentUser, "Environment"}};
  for (const auto& [root, key] : extra) {
    auto names = registry_.EnumValues(root, key);
    if (!names) continue;
    for (const std::string& name : *names) {
      std::string upper = text::ToUpper(name);
      if (name.empty() || env.count(upper) || upper == "PATH") continue;
      if (auto v = RegistryText(root, key, name)) env[upper] = expandWith(*v);
    }
  }
  return env;
}

std::string PosixShell::ExpandEnvironment(const std::string& text) {
  if (text.find('%') == std::string::npos) return text;
  std::map<std::string, std::string> env = Environment();
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    size_t open = text.find('%', i);
    if (open == std::string::npos) break;
    size_t close = text.find('%', open + 1);
    if (close == std::string::npos) break;
    auto found = env.find(text::ToUpper(text.substr(open + 1, close - open - 1)));
    if (found == env.end()) {
      // Not a name we know: keep the first "%" and look again from the second.
      out += text.substr(i, close - i);
      i = close;
      continue;
    }
    out += text.substr(i, open - i) + found->second;
    i = close + 1;
  }
  out += text.substr(i);
  return out;
}

std::optional<std::string> PosixShell::FolderValue(RootKey root, const std::string& name) {
  // "User Shell Folders" is what Windows itself consults; "Shell Folders" is the older copy.
  for (const char* key : {kUserShellFolders, kShellFolders}) {
    auto value = RegistryText(root, key, name);
    if (!value) continue;
    if (auto clean = CleanFolder(ExpandEnvironment(*value))) return clean;
  }
  return std::nullopt;
}

std::optional<std::string> PosixShell::SpecialFolder(int csidl) {
  try {
    // The creation and verification flags in the high byte do not change the folder.
    const FolderSpec* spec = FindFolder(csidl >= 0 ? (csidl & 0xFF) : csidl);
    if (!spec) return std::nullopt;  // includes the Recycle Bin, which has no folder
    switch (spec->source) {
      case Source::WindowsDir:
        return WindowsDirectory();
      case Source::SystemDir:
        return SystemDirectory();
      case Source::User:
        if (*spec->valueName)
          if (auto v = FolderValue(RootKey::CurrentUser, spec->valueName)) return v;
        break;
      case Source::Common:
        if (auto v = FolderValue(RootKey::LocalMachine, spec->valueName)) return v;
        break;
      case Source::CurrentVersion:
        if (auto v = RegistryText(RootKey::LocalMachine, kCurrentVersion, spec->valueName))
          if (auto clean = CleanFolder(ExpandEnvironment(*v))) return clean;
        break;
    }
    if (!*spec->fallback) return std::nullopt;
    return CleanFolder(ExpandEnvironment(spec->fallback));
  } catch (...) {
    return std::nullopt;
  }
}

std::optional<std::string> PosixShell::SpecialFolderByLocation(int csidl) {
  // A prefix has no item identifiers apart from the paths themselves.
  return SpecialFolder(csidl);
}

std::string PosixShell::WindowsDirectory() {
  try {
    if (auto v = RegistryText(RootKey::LocalMachine, kNtCurrentVersion, "SystemRoot"))
      if (auto clean = CleanFolder(*v)) return *clean;
  } catch (...) {
  }
  return "C:\\windows";
}

std::string PosixShell::SystemDirectory() {
  std::string windows = WindowsDirectory();
  if (!windows.empty() && windows.back() == '\\') windows.pop_back();
  return windows + "\\system32";
}

std::vector<DriveInfo> PosixShell::Drives() {
  std::vector<DriveInfo> drives;
  try {
    std::string devices = root_ + "/dosdevices";
    DIR* dir = ::opendir(devices.c_str());
    if (!dir) return drives;
    std::vector<char> letters;
    while (dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      // "d::" entries are raw devices, not drives.
      if (name.size() != 2 || name[1] != ':') continue;
      char letter = static_cast<char>(name[0] | 0x20);
      if (letter < 'a' || letter > 'z') continue;
      if (std::find(letters.begin(), letters.end(), letter) == letters.end())
        letters.push_back(letter);
    }
    ::closedir(dir);
    std::sort(letters.begin(), letters.end());
    for (char letter : letters) {
      DriveInfo info;
      info.letter = static_cast<char>(letter & ~0x20);
      struct stat st {};
      std::string link = devices + "/" + std::string(1, letter) + ":";
      info.ready = ::stat(link.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
      std::string kind;
      if (auto v = RegistryText(RootKey::LocalMachine, "Software\\Wine\\Drives",
                                std::string(1, letter) + ":"))
        kind = text::ToLower(text::Trim(*v));
      if (kind == "hd")
        info.type = DriveType::Fixed;
      else if (kind == "network")
        info.type = DriveType::Remote;
      else if (kind == "floppy")
        info.type = DriveType::Removable;
      else if (kind == "cdrom")
        info.type = DriveType::CdRom;
      else if (kind == "ramdisk")
        info.type = DriveType::RamDisk;
      else
        info.type = info.ready ? DriveType::Fixed : DriveType::NoRootDir;
      drives.push_back(info);
    }
  } catch (...) {
  }
  return drives;
}

std::optional<VolumeSize> PosixShell::Volume(const std::string& root) {
  std::string trimmed = text::Trim(root);
  if (trimmed.size() < 2 || trimmed[1] != ':') return std::nullopt;
  if (trimmed.size() > 3 || (trimmed.size() == 3 && trimmed[2] != '\\' && trimmed[2] != '/'))
    return std::nullopt;
  char letter = static_cast<char>(trimmed[0] | 0x20);
  if (letter < 'a' || letter > 'z') return std::nullopt;
  std::string link = root_ + "/dosdevices/" + std::string(1, letter) + ":";
  struct statvfs vfs {};
  if (::statvfs(link.c_str(), &vfs) != 0) return std::nullopt;
  VolumeSize size;
  uint64_t unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
  size.total = static_cast<uint64_t>(vfs.f_blocks) * unit;
  size.free = static_cast<uint64_t>(vfs.f_bavail) * unit;
  return size;
}

}  // namespace quill::platform::posix
