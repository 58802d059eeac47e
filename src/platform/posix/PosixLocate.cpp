#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <utility>
#include <vector>

#include "base/Text.h"
#include "platform/posix/HostFiles.h"
#include "platform/posix/PosixFileSystem.h"

// Where a Windows path leads: the machine's drives, a profile folder linked to the host, the
// host through a drive mapped outside the prefix, or the prefix's own files.
//
// The path is followed the way Wine follows it: the drive through dosdevices, each component
// matched without regard to case, every link on the way followed (".." inside a link's
// target applies to the folder the link resolved to, as the kernel applies it). What decides
// is the place the walk ends in, judged by folder identity, so no spelling, bind mount or
// link leads around it:
// - inside the prefix folder but outside its drive folders: MachineFiles, always;
// - inside a drive folder of the machine: Machine when the walk never left the machine's
//   drives, else MachineFiles (the machine's files seen from the host are not its drives);
// - elsewhere: LinkedFolder when the walk left the machine's drives through a folder link
//   and ended inside what that link leads to, else Host.
namespace quill::platform::posix {

using namespace host;

namespace {

using Id = std::pair<uint64_t, uint64_t>;

std::optional<Id> IdOf(const std::string& native) {
  struct stat st {};
  if (!StatOf(native, st)) return std::nullopt;
  return Id(static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino));
}

std::string ParentOf(const std::string& native) {
  const size_t slash = native.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return native.substr(0, slash);
}

std::string Lexical(const std::string& native) {
  std::string text = std::filesystem::path(native).lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

enum class Zone { Drive, PrefixFiles, Outside };

// Which of the prefix and its drive folders is nearest above an identity met going up.
Zone ZoneOfId(const PosixFileSystem::MachineFolders& map, const Id& id, bool& found) {
  found = true;
  for (const Id& drive : map.drives)
    if (drive == id) return Zone::Drive;
  if (map.prefix && *map.prefix == id) return Zone::PrefixFiles;
  found = false;
  return Zone::Outside;
}

// The nearest of the prefix and its drive folders that holds the host path.
Zone ZoneOf(const PosixFileSystem::MachineFolders& map, const std::string& native) {
  bool found = false;
  for (std::string at = native;; at = ParentOf(at)) {
    if (auto id = IdOf(at)) {
      const Zone zone = ZoneOfId(map, *id, found);
      if (found) return zone;
    }
    if (at == "/") return Zone::Outside;
  }
}

// A walk through host folders that keeps where it is and whether that exists.
struct HostWalk {
  std::string real;  // links resolved for the part that exists
  bool exists = true;
  int hops = 0;
  bool failed = false;

  void Enter(const std::string& child) {
    struct stat st {};
    if (!LstatOf(child, st)) {
      exists = false;
      real = child;
    } else if (S_ISLNK(st.st_mode)) {
      Follow(child);
    } else {
      real = child;
    }
  }

  // Goes where the link leads, from the folder it is in.
  void Follow(const std::string& link) {
    if (++hops > 40) {
      failed = true;
      return;
    }
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size());
    if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) {
      failed = true;
      return;
    }
    const std::string target(buffer.data(), static_cast<size_t>(n));
    if (target[0] == '/') {
      real = "/";
      exists = true;
    }
    for (const std::string& part : text::Split(target, "/")) {
      if (failed) return;
      HostStep(part);
    }
  }

  void HostStep(const std::string& part) {
    if (part.empty() || part == ".") return;
    if (part == "..") {
      real = ParentOf(real);
      struct stat st {};
      exists = LstatOf(real, st);
      return;
    }
    const std::string child = Join(real, part);
    if (!exists) {
      real = child;
      return;
    }
    Enter(child);
  }
};

}  // namespace

PosixFileSystem::MachineFolders PosixFileSystem::Machine() const {
  const std::string prefixReal = Canonical(root_);
  MachineFolders map;
  map.prefix = IdOf(prefixReal);
  if (prefixReal.empty() || !map.prefix) return MachineFolders{};
  const std::string devices = root_ + "/dosdevices/";
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const std::string drive = DriveRoot(letter);
    if (drive.empty()) continue;
    std::vector<char> buffer(4096);
    const std::string link = devices + letter + ":";
    const ssize_t n = ::readlink(link.c_str(), buffer.data(), buffer.size() - 1);
    if (n <= 0) continue;
    std::string target(buffer.data(), static_cast<size_t>(n));
    // A drive of the machine is one whose mapping names a folder inside the prefix (the
    // folder itself may be a link elsewhere): never the prefix, what holds it, or the
    // drive mappings.
    target = Lexical(target[0] == '/' ? target : devices + target);
    const bool named = (Inside(target, root_) && target != Lexical(root_)) ||
                       (Inside(target, prefixReal) && target != prefixReal);
    if (!named || Inside(prefixReal, drive) || Inside(drive, prefixReal + "/dosdevices")) continue;
    if (auto id = IdOf(drive)) {
      map.drives.push_back(*id);
      map.machineDrive[static_cast<size_t>(letter - 'a')] = true;
    }
  }
  return map;
}

bool PosixFileSystem::PrefixOwn(int folder, const std::string& name) const {
  const MachineFolders map = Machine();
  if (!map.prefix) return false;
  struct stat st {};
  // The entry itself: the prefix folder, or one of its drive folders, never goes.
  if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
    bool found = false;
    ZoneOfId(map, Id(st.st_dev, st.st_ino), found);
    if (found) return true;
  }
  // Up from the folder it is in, by the folder itself rather than by a path.
  Fd at(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  for (int depth = 0; at.Ok() && ::fstat(at.Get(), &st) == 0 && depth < 4096; ++depth) {
    bool found = false;
    const Zone zone = ZoneOfId(map, Id(st.st_dev, st.st_ino), found);
    if (found) return zone == Zone::PrefixFiles;
    Fd up(::openat(at.Get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat upStat {};
    if (!up.Ok() || ::fstat(up.Get(), &upStat) != 0 ||
        (upStat.st_dev == st.st_dev && upStat.st_ino == st.st_ino))
      return false;
    at = std::move(up);
  }
  return false;
}

TreeWalk PosixFileSystem::Walk() const {
  TreeWalk walk;
  const MachineFolders map = Machine();
  if (map.prefix) walk.barriers.push_back(*map.prefix);
  walk.barriers.insert(walk.barriers.end(), map.drives.begin(), map.drives.end());
  walk.hook = &treeEntryHook;
  return walk;
}

Place PosixFileSystem::Locate(const std::string& path) {
  try {
    auto parsed = Parse(path);
    if (!parsed) return {};
    const MachineFolders map = Machine();
    if (!map.prefix) return {};
    const std::string root = DriveRoot(parsed->drive);
    if (root.empty()) return {};
    HostWalk walk{root};
    std::string windows = std::string(1, parsed->drive) + ":";
    bool leftMachine = !map.machineDrive[static_cast<size_t>(parsed->drive - 'A')];
    std::string linkedFolder;
    std::string linkedTarget;
    for (const std::string& part : parsed->parts) {
      std::string child = walk.exists ? ChildNoCase(walk.real, part) : std::string();
      if (child.empty()) {
        walk.exists = false;
        walk.real = Join(walk.real, part);
        windows += "\\" + part;
        continue;
      }
      windows += "\\" + child.substr(child.find_last_of('/') + 1);
      struct stat st {};
      if (!LstatOf(child, st) || !S_ISLNK(st.st_mode)) {
        walk.Enter(child);
        continue;
      }
      const bool fromMachine = !leftMachine;
      walk.Follow(child);
      if (walk.failed) return {};
      const Zone reached = ZoneOf(map, walk.real);
      if (reached == Zone::Drive) continue;
      leftMachine = true;
      if (fromMachine && reached == Zone::Outside) {
        linkedFolder = windows;
        linkedTarget = walk.real;
      }
    }
    if (walk.failed) return {};

    switch (ZoneOf(map, walk.real)) {
      case Zone::PrefixFiles:
        return {PlaceKind::MachineFiles, {}};
      case Zone::Drive:
        return {leftMachine ? PlaceKind::MachineFiles : PlaceKind::Machine, {}};
      case Zone::Outside:
        break;
    }
    if (!linkedFolder.empty() && Inside(walk.real, linkedTarget))
      return {PlaceKind::LinkedFolder, linkedFolder};
    return {PlaceKind::Host, {}};
  } catch (...) {
    return {};
  }
}

}  // namespace quill::platform::posix
