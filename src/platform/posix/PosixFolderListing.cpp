#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "base/Text.h"
#include "platform/posix/DosAttributes.h"
#include "platform/posix/HostFiles.h"

// Listing folders, and the bookkeeping that lets a walk enter the folders a listing found.
namespace quill::platform::posix {

using namespace host;

namespace {

using KeyedEntries = std::vector<std::pair<std::string, DirEntry>>;

// A plain file met by a walk: its name tells all a walk needs.
void AddWalkFile(std::string name, KeyedEntries& keyed) {
  DirEntry entry;
  entry.attributes = kAttrArchive | (name[0] == '.' ? kAttrHidden : 0u);
  entry.dosBitsKnown = false;
  std::string key = text::ToUpper(name);
  entry.name = std::move(name);
  keyed.emplace_back(std::move(key), std::move(entry));
}

// The entries in the order NTFS lists a folder in: names compared as upper case.
std::vector<DirEntry> Sorted(KeyedEntries keyed) {
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
  });
  std::vector<DirEntry> entries;
  entries.reserve(keyed.size());
  for (auto& k : keyed) entries.push_back(std::move(k.second));
  return entries;
}

}  // namespace

std::optional<std::vector<DirEntry>> PosixFileSystem::List(const std::string& folder) {
  return ListEntries(folder, false);
}

std::optional<std::vector<DirEntry>> PosixFileSystem::ListForWalk(const std::string& folder) {
  return ListEntries(folder, true);
}

const PosixFileSystem::WalkBarriers& PosixFileSystem::Barriers() {
  struct stat devices {};
  const int64_t stamp =
      StatOf(root_ + "/dosdevices", devices)
          ? static_cast<int64_t>(devices.st_mtim.tv_sec) * 1000000000 + devices.st_mtim.tv_nsec
          : 0;
  if (stamp == barriers_.devicesStamp) return barriers_;
  barriers_ = WalkBarriers{};
  barriers_.devicesStamp = stamp;
  struct stat st {};
  if (StatOf(root_, st)) barriers_.folders.emplace_back(st.st_dev, st.st_ino);
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    const std::string drive = DriveRoot(letter);
    if (!drive.empty() && StatOf(drive, st)) barriers_.folders.emplace_back(st.st_dev, st.st_ino);
  }
  barriers_.prefixReal = Canonical(root_);
  return barriers_;
}

std::string PosixFileSystem::TakeWalkFolder(const std::string& folder) {
  std::lock_guard<std::mutex> lock(walkFoldersMutex_);
  auto found = walkFolders_.find(folder);
  if (found == walkFolders_.end()) return {};
  std::string native = std::move(found->second);
  walkFolders_.erase(found);
  return native;
}

void PosixFileSystem::RememberWalkFolder(const std::string& folder, const std::string& name,
                                         std::string native) {
  // Only a folder given with its closing backslash names its subfolders unambiguously.
  if (folder.empty() || folder.back() != '\\') return;
  std::lock_guard<std::mutex> lock(walkFoldersMutex_);
  // Subfolders a walk passes over (excluded, already seen) are never taken: keep it bounded.
  if (walkFolders_.size() >= 100000) walkFolders_.clear();
  walkFolders_[folder + name + "\\"] = std::move(native);
}

std::optional<std::vector<DirEntry>> PosixFileSystem::ListEntries(const std::string& folder,
                                                                  bool forWalk) {
  std::string native = forWalk ? TakeWalkFolder(folder) : std::string();
  DIR* dir = native.empty() ? nullptr : ::opendir(native.c_str());
  if (!dir) {
    auto r = Resolve(folder, Need::Whole);
    if (!r) return std::nullopt;
    native = std::move(r->native);
    dir = ::opendir(native.c_str());
  }
  if (!dir) return std::nullopt;
  const int dirFd = ::dirfd(dir);
  const bool hostRoot = native == "/";
  std::unique_lock<std::mutex> barriersLock(barriersMutex_, std::defer_lock);
  const WalkBarriers* barriers = nullptr;
  if (forWalk) {
    barriersLock.lock();
    barriers = &Barriers();
  }
  // Whether this drive lies inside the prefix (then links inside the prefix are its own).
  std::optional<bool> driveInPrefix;
  // Entries with their sort keys: the order NTFS lists a folder in, names compared as upper
  // case. Each entry is examined relative to the open folder, so the kernel does not walk
  // the whole path again for every name.
  KeyedEntries keyed;
  while (dirent* d = ::readdir(dir)) {
    std::string name = d->d_name;
    if (name == "." || name == "..") continue;
    // A walk needs nothing of a plain file but its name: no examination at all.
    if (forWalk && d->d_type == DT_REG) {
      AddWalkFile(std::move(name), keyed);
      continue;
    }
    DirEntry entry;
    struct stat entryStat {};
    if (::fstatat(dirFd, name.c_str(), &entryStat, AT_SYMLINK_NOFOLLOW) != 0) continue;
    const bool link = S_ISLNK(entryStat.st_mode);
    // A dangling link names nothing.
    if (link && ::fstatat(dirFd, name.c_str(), &entryStat, 0) != 0) continue;
    const bool folderEntry = S_ISDIR(entryStat.st_mode);
    if (forWalk && folderEntry) {
      const std::pair<uint64_t, uint64_t> id(entryStat.st_dev, entryStat.st_ino);
      if (LeftOutOfWalk(folder, native, name, link, id, *barriers, driveInPrefix)) continue;
      entry.volume = id.first;
      entry.fileIndex = id.second;
      RememberWalkFolder(folder, name, Join(native, name));
    }
    entry.attributes = AttributesOf(name, entryStat, StoredDosBitsAt(dirFd, native, name));
    // A linked folder is a reparse point, as a junction is on Windows: deleting it removes
    // the link, not what it leads to. A walk enters it (Wine lists it as a folder) by its
    // identity, so it never sees one folder twice.
    if (link && folderEntry) entry.attributes |= kAttrReparsePoint;
    // The host's pseudo file systems are seen through drive Z: but hold no files of the
    // machine: they are system folders, which a walk does not list.
    if (hostRoot && IsPseudoFileSystemRoot(name)) entry.attributes |= kAttrSystem;
    entry.size = folderEntry ? 0 : static_cast<uint64_t>(entryStat.st_size);
    std::string key = text::ToUpper(name);
    entry.name = std::move(name);
    keyed.emplace_back(std::move(key), std::move(entry));
  }
  ::closedir(dir);
  return Sorted(std::move(keyed));
}

bool PosixFileSystem::LeftOutOfWalk(const std::string& folder, const std::string& native,
                                    const std::string& name, bool link,
                                    const std::pair<uint64_t, uint64_t>& id,
                                    const WalkBarriers& barriers,
                                    std::optional<bool>& driveInPrefix) {
  if (std::find(barriers.folders.begin(), barriers.folders.end(), id) != barriers.folders.end())
    return true;
  if (!link || barriers.prefixReal.empty()) return false;
  if (!driveInPrefix) {
    auto parsed = Parse(folder);
    driveInPrefix = parsed && Inside(DriveRoot(parsed->drive), barriers.prefixReal);
  }
  return !*driveInPrefix && Inside(Canonical(Join(native, name)), barriers.prefixReal);
}

}  // namespace quill::platform::posix
