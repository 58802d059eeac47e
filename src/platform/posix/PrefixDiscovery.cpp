#include "platform/PrefixDiscovery.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "base/Text.h"
#include "platform/posix/HostFiles.h"

// Where Wine prefixes live on a Linux desktop: Wine's own defaults, the folders of the
// launchers that make prefixes (Bottles, Lutris, Steam's compatibility tool, PlayOnLinux) and
// this program's own prefix. Everything here only reads.
namespace quill::platform {

namespace {

namespace fs = std::filesystem;
namespace host = posix::host;

// Library lists and game files are small; anything larger is not what we look for.
constexpr size_t kMaxListFile = 1 << 20;
// Entries looked at in one folder of prefixes: a bound against a folder made to stall us.
constexpr size_t kMaxEntries = 4096;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

// The bytes of a regular file, at most kMaxListFile of them; empty when it is no regular file
// or cannot be read. Opened without blocking so a pipe planted there cannot hang us.
std::string ReadSmallFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return {};
  std::string bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    char buffer[16384];
    ssize_t n;
    while (bytes.size() < kMaxListFile && (n = ::read(fd, buffer, sizeof buffer)) > 0)
      bytes.append(buffer, static_cast<size_t>(n));
    if (bytes.size() > kMaxListFile) bytes.clear();
  }
  ::close(fd);
  return bytes;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return host::StatOf(path, st) && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return host::StatOf(path, st) && S_ISREG(st.st_mode);
}

// The program's own prefix as it makes it: drive C: and its mapping, the hives appearing only
// once something writes the registry. A scan needs no more.
bool IsOwnPrefix(const std::string& folder) {
  return IsFolder(host::Join(folder, "drive_c")) && IsFolder(folder + "/dosdevices/c:");
}

// A prefix Wine has set up: drive C: with its mapping, and the machine and user hives.
bool IsPrefix(const std::string& folder) {
  return IsOwnPrefix(folder) && IsFile(host::Join(folder, "system.reg")) &&
         IsFile(host::Join(folder, "user.reg"));
}

// The sub-folders of a folder, by name, sorted so that the list reads the same every time.
std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end && names.size() < kMaxEntries;
       it.increment(ec)) {
    if (it->is_directory(ec)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A path as a configuration file writes it: "~/..." and "$HOME/..." are the home folder.
std::string ExpandHome(std::string path, const std::string& home) {
  for (const char* lead : {"~/", "$HOME/"}) {
    if (text::StartsWith(path, lead))
      return home.empty() ? "" : host::Join(home, path.substr(std::string(lead).size()));
  }
  return path;
}

class Collector {
 public:
  explicit Collector(std::vector<FoundPrefix>& found) : found_(found) {}

  // Lists folder when it is a prefix not listed yet.
  void Offer(const std::string& folder, const std::string& source, const std::string& name = {},
             bool (*isPrefix)(const std::string&) = IsPrefix) {
    if (folder.empty() || folder.front() != '/' || !isPrefix(folder)) return;
    std::string canonical = host::Canonical(folder);
    if (canonical.empty() || !seen_.insert(canonical).second) return;
    found_.push_back({canonical, source, name});
  }

  // Every sub-folder of parent that is a prefix, named after its folder.
  void OfferEach(const std::string& parent, const std::string& source) {
    for (const std::string& name : SubFolders(parent))
      Offer(host::Join(parent, name), source, name);
  }

 private:
  std::vector<FoundPrefix>& found_;
  std::set<std::string> seen_;
};

// The quoted strings and braces of a Steam key-value file, in order; a brace is a token of
// its own and never equals a quoted "{".
struct VdfToken {
  std::string text;
  bool quoted = false;
};

std::vector<VdfToken> VdfTokens(const std::string& bytes) {
  std::vector<VdfToken> tokens;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '{' || c == '}') {
      tokens.push_back({std::string(1, c), false});
    } else if (c == '"') {
      std::string value;
      for (++i; i < bytes.size() && bytes[i] != '"'; ++i) {
        if (bytes[i] == '\\' && i + 1 < bytes.size()) ++i;
        value += bytes[i];
      }
      tokens.push_back({value, true});
    }
  }
  return tokens;
}

// The library folders a libraryfolders.vdf names: "path" entries, or the older form where
// each library is a numbered entry holding the folder itself.
std::vector<std::string> SteamLibraries(const std::string& vdf) {
  std::vector<std::string> libraries;
  const auto tokens = VdfTokens(vdf);
  for (size_t i = 0; i + 1 < tokens.size(); ++i) {
    const VdfToken& key = tokens[i];
    const VdfToken& value = tokens[i + 1];
    if (!key.quoted) continue;
    if (!value.quoted) {
      ++i;  // a block opens: its key is no library
      continue;
    }
    const bool numbered =
        !key.text.empty() &&
        std::all_of(key.text.begin(), key.text.end(), [](char d) { return d >= '0' && d <= '9'; });
    if (text::EqualsNoCase(key.text, "path") || (numbered && text::StartsWith(value.text, "/")))
      libraries.push_back(value.text);
    ++i;
  }
  return libraries;
}

void FindSteamPrefixes(const PrefixSearchPlaces& places, const std::string& dataHome,
                       Collector& collector) {
  const std::string& home = places.home;
  std::vector<std::string> roots = {dataHome + "/Steam"};
  if (!home.empty()) {
    for (const char* root : {"/.steam/steam", "/.steam/root", "/.local/share/Steam",
                             "/.var/app/com.valvesoftware.Steam/.local/share/Steam"})
      roots.push_back(home + root);
  }
  std::vector<std::string> libraries;
  for (const std::string& root : roots) {
    if (!IsFolder(root)) continue;
    libraries.push_back(root);
    for (const char* list : {"/steamapps/libraryfolders.vdf", "/config/libraryfolders.vdf"})
      for (const std::string& library : SteamLibraries(ReadSmallFile(root + list)))
        libraries.push_back(ExpandHome(library, home));
  }
  std::set<std::string> seen;
  for (const std::string& library : libraries) {
    const std::string canonical = host::Canonical(library);
    if (canonical.empty() || !seen.insert(canonical).second) continue;
    const std::string compat = canonical + "/steamapps/compatdata";
    for (const std::string& app : SubFolders(compat))
      collector.Offer(compat + "/" + app + "/pfx", "steam", app);
  }
}

// A Lutris game file's prefix: the "prefix:" entry of its "game:" section.
std::string LutrisPrefix(const std::string& yaml) {
  bool inGame = false;
  for (const std::string& line : text::SplitLines(yaml)) {
    if (line.empty() || line.front() == '#') continue;
    if (line.front() != ' ' && line.front() != '\t') {
      inGame = text::Trim(line) == "game:";
      continue;
    }
    const std::string entry = text::Trim(line);
    if (!inGame || !text::StartsWith(entry, "prefix:")) continue;
    std::string value = text::Trim(entry.substr(7));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    return value;
  }
  return {};
}

void FindLutrisPrefixes(const PrefixSearchPlaces& places, const std::string& dataHome,
                        const std::string& configHome, Collector& collector) {
  for (const std::string& folder : {configHome + "/lutris/games", dataHome + "/lutris/games"}) {
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end && files.size() < kMaxEntries;
         it.increment(ec)) {
      if (it->path().extension() == ".yml") files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
      const std::string prefix = ExpandHome(LutrisPrefix(ReadSmallFile(file)), places.home);
      // The file is named after the game, with the time it was added.
      std::string name = fs::path(file).stem().string();
      const size_t dash = name.find_last_of('-');
      if (dash != std::string::npos && dash > 0 &&
          name.find_first_not_of("0123456789", dash + 1) == std::string::npos)
        name.erase(dash);
      collector.Offer(prefix, "lutris", name);
    }
  }
}

// An XDG base folder: the variable when it is absolute, else the default below home.
std::string BaseFolder(const std::string& value, const std::string& home, const char* fallback) {
  if (!value.empty() && value.front() == '/') return value;
  return home.empty() ? "" : home + fallback;
}

std::string Absolute(const std::string& path) {
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  return ec ? "" : absolute.lexically_normal().string();
}

}  // namespace

PrefixSearchPlaces PrefixSearchPlaces::OfCurrentUser() {
  PrefixSearchPlaces places;
  places.home = Env("HOME");
  places.winePrefix = Env("WINEPREFIX");
  places.dataHome = Env("XDG_DATA_HOME");
  places.configHome = Env("XDG_CONFIG_HOME");
  return places;
}

std::vector<FoundPrefix> DiscoverPrefixes(const PrefixSearchPlaces& places) {
  std::vector<FoundPrefix> found;
  try {
    Collector collector(found);
    const std::string& home = places.home;
    const std::string dataHome = BaseFolder(places.dataHome, home, "/.local/share");
    const std::string configHome = BaseFolder(places.configHome, home, "/.config");
    if (!places.winePrefix.empty()) collector.Offer(Absolute(places.winePrefix), "WINEPREFIX");
    if (!home.empty()) collector.Offer(home + "/.wine", "wine");
    if (!dataHome.empty()) {
      collector.OfferEach(dataHome + "/wineprefixes", "wineprefixes");
      collector.OfferEach(dataHome + "/bottles/bottles", "bottles");
    }
    if (!home.empty())
      collector.OfferEach(home + "/.var/app/com.usebottles.bottles/data/bottles/bottles",
                          "bottles");
    if (!dataHome.empty() && !configHome.empty())
      FindLutrisPrefixes(places, dataHome, configHome, collector);
    if (!dataHome.empty()) FindSteamPrefixes(places, dataHome, collector);
    if (!home.empty()) collector.OfferEach(home + "/.PlayOnLinux/wineprefix", "playonlinux");
    if (!dataHome.empty())
      collector.Offer(dataHome + "/quillonet/prefix", "default", {}, IsOwnPrefix);
  } catch (...) {
    // A failure part-way (out of memory) leaves what was found so far.
  }
  return found;
}

}  // namespace quill::platform
