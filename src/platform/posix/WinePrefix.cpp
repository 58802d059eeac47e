#include "platform/posix/WinePrefix.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/Text.h"

namespace quill::platform::posix {

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

std::string HomeFolder() {
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  struct passwd pw {};
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(geteuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir)
    return found->pw_dir;
  return {};
}

std::string Absolute(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(path), ec);
  if (ec) return path;
  std::string text = p.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool IsDirectory(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

// A folder Wine would initialise on first use: missing, or there but empty.
bool NeedsLayout(const std::string& root) {
  std::error_code ec;
  if (!fs::exists(root, ec)) return true;
  if (!fs::is_directory(root, ec)) return false;
  return fs::is_empty(root, ec) && !ec;
}

// Folders of Wine's layout, relative to drive_c; "<user>" stands for the profile folder.
const char* const kUserFolders[] = {
    "AppData/Local/Microsoft/Windows/History",
    "AppData/Local/Microsoft/Windows/INetCache",
    "AppData/Local/Microsoft/Windows/INetCookies",
    "AppData/LocalLow",
    "AppData/Roaming/Microsoft/Windows/Network Shortcuts",
    "AppData/Roaming/Microsoft/Windows/Printer Shortcuts",
    "AppData/Roaming/Microsoft/Windows/Recent",
    "AppData/Roaming/Microsoft/Windows/SendTo",
    "AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Administrative Tools",
    "AppData/Roaming/Microsoft/Windows/Start Menu/Programs/StartUp",
    "AppData/Roaming/Microsoft/Windows/Templates",
    "AppData/Roaming/Microsoft/Windows/Themes",
    "Contacts",
    "Desktop",
    "Documents",
    "Downloads",
    "Favorites",
    "Links",
    "Music",
    "Pictures",
    "Saved Games",
    "Searches",
    "Temp",
    "Videos",
};

const char* const kMachineFolders[] = {
    "users/Public/Desktop",
    "users/Public/Documents",
    "users/Public/Music",
    "users/Public/Pictures",
    "users/Public/Videos",
    "ProgramData/Microsoft/Windows/Start Menu/Programs/Administrative Tools",
    "ProgramData/Microsoft/Windows/Start Menu/Programs/StartUp",
    "ProgramData/Microsoft/Windows/Templates",
    "windows/system32/drivers/etc",
    "windows/Fonts",
    "windows/temp",
    "Program Files/Common Files",
    "Program Files (x86)/Common Files",
};

bool MakeFolders(const fs::path& path) {
  std::error_code ec;
  fs::create_directories(path, ec);
  return !ec && fs::is_directory(path, ec);
}

// Creates the link unless something of that name is already there.
bool MakeLink(const fs::path& link, const std::string& target) {
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(link, ec))) return true;
  if (fs::exists(fs::symlink_status(link, ec))) return false;
  fs::create_directory_symlink(target, link, ec);
  return !ec;
}

WinePrefix Prepare(const std::string& folder) {
  std::string root = Absolute(folder);
  if (NeedsLayout(root)) WinePrefix::CreateDefaultLayout(root, WinePrefix::UnixUserName());
  return WinePrefix(root);
}

}  // namespace

WinePrefix::WinePrefix(std::string root) : root_(std::move(root)) {}

WinePrefix WinePrefix::Resolve(const std::string& explicitPrefix) {
  try {
    // A folder the user named is used as found: a mistyped name must not become a new,
    // empty machine that every scan then finds clean. Only our own prefix is ever made.
    if (!explicitPrefix.empty()) return WinePrefix(Absolute(explicitPrefix));
    std::string fromEnv = Env("WINEPREFIX");
    if (!fromEnv.empty()) return WinePrefix(Absolute(fromEnv));
    std::string home = HomeFolder();
    if (!home.empty() && IsDirectory(home + "/.wine")) return WinePrefix(Absolute(home + "/.wine"));
    std::string data = Env("XDG_DATA_HOME");
    // A relative XDG_DATA_HOME is invalid by the base-directory rules and is ignored.
    if (data.empty() || data.front() != '/') data = home.empty() ? "" : home + "/.local/share";
    if (data.empty()) data = "/tmp";
    return Prepare(data + "/quillonet/prefix");
  } catch (...) {
    return WinePrefix(explicitPrefix);
  }
}

bool WinePrefix::CreateDefaultLayout(const std::string& root, const std::string& user) {
  try {
    if (root.empty() || user.empty() || user.find('/') != std::string::npos || user == "." ||
        user == "..")
      return false;
    fs::path drive = fs::path(root) / "drive_c";
    bool ok = true;
    fs::path profile = drive / "users" / user;
    for (const char* folder : kUserFolders) ok = MakeFolders(profile / folder) && ok;
    for (const char* folder : kMachineFolders) ok = MakeFolders(drive / folder) && ok;
    fs::path devices = fs::path(root) / "dosdevices";
    ok = MakeFolders(devices) && ok;
    ok = MakeLink(devices / "c:", "../drive_c") && ok;
    ok = MakeLink(devices / "z:", "/") && ok;
    return ok;
  } catch (...) {
    return false;
  }
}

std::string WinePrefix::UnixUserName() {
  struct passwd pw {};
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(geteuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_name && *found->pw_name)
    return found->pw_name;
  std::string user = Env("USER");
  return user.empty() ? "user" : user;
}

std::string WinePrefix::UserNameOf(const std::string& root) {
  std::string unixUser = UnixUserName();
  try {
    fs::path users = fs::path(root) / "drive_c" / "users";
    if (IsDirectory((users / unixUser).string())) return unixUser;
    std::vector<std::string> others;
    std::error_code ec;
    for (fs::directory_iterator it(users, ec), end; !ec && it != end; it.increment(ec)) {
      std::string name = it->path().filename().string();
      if (text::EqualsNoCase(name, "Public") || text::EqualsNoCase(name, "Default") ||
          !it->is_directory(ec))
        continue;
      // The Unix user name may differ only in case from the folder Wine made.
      if (text::EqualsNoCase(name, unixUser)) return name;
      others.push_back(name);
    }
    if (others.size() == 1) return others.front();
  } catch (...) {
  }
  return unixUser;
}

std::string WinePrefix::UserName() const {
  return UserNameOf(root_);
}

bool WinePrefix::Usable() const {
  std::error_code ec;
  return fs::is_directory(fs::path(root_) / "dosdevices" / "c:", ec);
}

}  // namespace quill::platform::posix
