#include "platform/posix/PosixFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "base/Text.h"
#include "platform/posix/DosAttributes.h"
#include "platform/posix/HostAt.h"
#include "platform/posix/HostFiles.h"

namespace quill::platform::posix {

namespace fs = std::filesystem;
using namespace host;

namespace {

bool ValidComponent(const std::string& part) {
  for (unsigned char c : part) {
    if (c < 32) return false;
    switch (c) {
      case '<':
      case '>':
      case ':':
      case '"':
      case '|':
      case '?':
      case '*':
        return false;
      default:
        break;
    }
  }
  return true;
}

}  // namespace

PosixFileSystem::PosixFileSystem(std::string prefixRoot) : root_(std::move(prefixRoot)) {
  while (root_.size() > 1 && root_.back() == '/') root_.pop_back();
}

std::optional<PosixFileSystem::WindowsPath> PosixFileSystem::Parse(const std::string& path) {
  if (path.find('\0') != std::string::npos) return std::nullopt;
  std::string s = text::ReplaceAll(path, "/", "\\");
  // The long-path and device forms name the same drive paths.
  if ((text::StartsWith(s, "\\\\?\\") || text::StartsWith(s, "\\\\.\\")) && s.size() >= 6 &&
      s[5] == ':')
    s = s.substr(4);
  if (s.size() < 2 || s[1] != ':') return std::nullopt;
  unsigned char letter = static_cast<unsigned char>(s[0]);
  if (!((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z'))) return std::nullopt;
  // "C:name" is relative to the drive's current folder, which this program never has.
  if (s.size() > 2 && s[2] != '\\') return std::nullopt;
  WindowsPath result;
  result.drive = static_cast<char>(letter & ~0x20);
  if (s.size() <= 3) return result;
  std::vector<std::string> parts = text::Split(std::string_view(s).substr(3), "\\");
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty()) {
      if (i + 1 == parts.size()) break;  // one trailing separator names the same folder
      return std::nullopt;
    }
    if (part == ".") continue;
    if (part == "..") {
      if (!result.parts.empty()) result.parts.pop_back();
      continue;
    }
    if (!ValidComponent(part)) return std::nullopt;
    result.parts.push_back(part);
  }
  return result;
}

std::string PosixFileSystem::DriveRoot(char letter) const {
  char lower = static_cast<char>(letter | 0x20);
  if (lower < 'a' || lower > 'z') return {};
  std::string link = root_ + "/dosdevices/" + std::string(1, lower) + ":";
  struct stat st {};
  if (!StatOf(link, st) || !S_ISDIR(st.st_mode)) return {};
  // Resolving the link examines every component of its target, and a scan asks for the same
  // drive for every folder it lists: the answer is kept while the link still leads to the
  // same folder and that folder is still found at the kept path.
  std::lock_guard<std::mutex> lock(drivesMutex_);
  KnownDrive& known = drives_[static_cast<size_t>(lower - 'a')];
  struct stat kept {};
  if (!known.root.empty() && known.device == st.st_dev && known.inode == st.st_ino &&
      StatOf(known.root, kept) && kept.st_dev == st.st_dev && kept.st_ino == st.st_ino)
    return known.root;
  std::error_code ec;
  fs::path target = fs::canonical(link, ec);
  if (ec) return {};
  known = KnownDrive{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                     target.string()};
  return known.root;
}

std::optional<PosixFileSystem::Resolved> PosixFileSystem::Resolve(const std::string& path,
                                                                  Need need) const {
  try {
    auto parsed = Parse(path);
    if (!parsed) return std::nullopt;
    std::string drive = DriveRoot(parsed->drive);
    if (drive.empty()) drive = UnmappedRoot(*parsed);
    if (drive.empty()) return std::nullopt;
    Resolved r;
    r.native = drive;
    r.windows = std::string(1, parsed->drive) + ":";
    r.isRoot = parsed->parts.empty();
    r.exists = true;
    const auto& parts = parsed->parts;
    for (size_t i = 0; i < parts.size(); ++i) {
      bool last = i + 1 == parts.size();
      std::string child = r.exists ? ChildNoCase(r.native, parts[i]) : std::string();
      if (!child.empty()) {
        r.native = child;
        r.windows += "\\" + child.substr(child.find_last_of('/') + 1);
        continue;
      }
      if (need == Need::Whole || (need == Need::Parent && !last)) return std::nullopt;
      r.exists = false;
      r.native = Join(r.native, parts[i]);
      r.windows += "\\" + parts[i];
    }
    if (r.isRoot) r.windows += "\\";
    return r;
  } catch (...) {
    return std::nullopt;
  }
}

std::optional<uint32_t> PosixFileSystem::Attributes(const std::string& path) {
  auto r = Resolve(path, Need::Whole);
  struct stat st {};
  if (!r || !StatOf(r->native, st)) return std::nullopt;
  std::string name = r->isRoot ? std::string() : text::AfterLastBackslash(r->windows);
  return AttributesOf(name, st, StoredDosBits(r->native));
}

std::optional<FileIdentity> PosixFileSystem::Identity(const std::string& path) {
  auto r = Resolve(path, Need::Whole);
  struct stat st {};
  if (!r || !StatOf(r->native, st)) return std::nullopt;
  return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}

std::optional<uint64_t> PosixFileSystem::FileSize(const std::string& path) {
  auto r = Resolve(path, Need::Whole);
  struct stat st {};
  if (!r || !StatOf(r->native, st) || S_ISDIR(st.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

std::optional<std::string> PosixFileSystem::ResolveCase(const std::string& path) {
  auto r = Resolve(path, Need::Whole);
  if (!r) return std::nullopt;
  return r->windows;
}

std::optional<std::string> PosixFileSystem::ReadFile(const std::string& path) {
  return ReadFileRange(path, 0, std::string().max_size());
}

std::optional<std::string> PosixFileSystem::ReadFileRange(const std::string& path, uint64_t offset,
                                                          size_t maxBytes) {
  auto r = Resolve(path, Need::Whole);
  if (!r) return std::nullopt;
  // Opening a pipe for reading would wait for a writer, and a device may never end: the
  // file is opened without waiting and read only when it is an ordinary file.
  int fd = ::open(r->native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string bytes;
  const uint64_t size = static_cast<uint64_t>(st.st_size);
  if (offset < size)
    bytes.reserve(static_cast<size_t>(std::min<uint64_t>(size - offset, maxBytes)));
  char buffer[1 << 16];
  while (bytes.size() < maxBytes) {
    const size_t want = std::min(sizeof(buffer), maxBytes - bytes.size());
    ssize_t n = ::pread(fd, buffer, want, static_cast<off_t>(offset + bytes.size()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return bytes;
}

std::optional<PosixFileSystem::Entry> PosixFileSystem::OpenEntry(const std::string& path,
                                                                 Need need) const {
  auto r = Resolve(path, need);
  if (!r || r->isRoot) return std::nullopt;
  const size_t slash = r->native.find_last_of('/');
  if (slash == std::string::npos || slash + 1 >= r->native.size()) return std::nullopt;
  // The folders above the entry are followed as the machine maps them; from here on nothing is.
  const std::string parent = slash == 0 ? "/" : r->native.substr(0, slash);
  Entry entry{Fd(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
              r->native.substr(slash + 1), r->native, parent};
  if (!entry.folder.Ok() || PrefixOwn(entry.folder.Get(), entry.name)) return std::nullopt;
  return entry;
}

bool PosixFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  auto at = OpenEntry(path, Need::Parent);
  return at && WriteAt(at->folder.Get(), at->name, bytes, false);
}

bool PosixFileSystem::CreateNewFile(const std::string& path, const std::string& bytes) {
  auto at = OpenEntry(path, Need::Parent);
  return at && CreateNewAt(at->folder.Get(), at->name, bytes, 0666);
}

bool PosixFileSystem::ReplaceFile(const std::string& path, const std::string& bytes) {
  auto at = OpenEntry(path, Need::Parent);
  return at && ReplaceAt(at->folder.Get(), at->name, bytes);
}

bool PosixFileSystem::AppendFile(const std::string& path, const std::string& bytes) {
  auto at = OpenEntry(path, Need::Parent);
  return at && WriteAt(at->folder.Get(), at->name, bytes, true);
}

bool PosixFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  auto source = OpenEntry(from, Need::Whole);
  auto target = OpenEntry(to, Need::Parent);
  return source && target &&
         CopyFileAt(source->folder.Get(), source->name, target->folder.Get(), target->name,
                    failIfExists);
}

bool PosixFileSystem::CopyFolder(const std::string& from, const std::string& to, bool overwrite) {
  try {
    auto source = OpenEntry(from, Need::Whole);
    auto target = OpenEntry(to, Need::Parent);
    if (!source || !target) return false;
    std::string sourceReal = Canonical(source->native);
    std::string targetReal = Canonical(target->native);
    // A tree copied into itself would never end.
    if (sourceReal.empty() || targetReal.empty() || Inside(targetReal, sourceReal)) return false;
    return CopyTreeAt(source->folder.Get(), source->name, target->folder.Get(), target->name,
                      overwrite, Walk());
  } catch (...) {
    return false;
  }
}

bool PosixFileSystem::DeleteFile(const std::string& path) {
  auto at = OpenEntry(path, Need::Whole);
  struct stat st {};
  if (!at || !StatAt(at->folder.Get(), at->name, st)) return false;
  // A link goes as a link, even a dangling one; a folder or a read-only file stays.
  if (!S_ISLNK(st.st_mode) && (S_ISDIR(st.st_mode) || ReadOnly(st))) return false;
  return ::unlinkat(at->folder.Get(), at->name.c_str(), 0) == 0;
}

bool PosixFileSystem::DeleteFolder(const std::string& path, bool force) {
  // Never a whole drive: that is never what a removal means.
  auto at = OpenEntry(path, Need::Whole);
  struct stat st {};
  if (!at || !StatAt(at->folder.Get(), at->name, st)) return false;
  if (S_ISLNK(st.st_mode)) {
    // A linked folder goes as a link; what it points at stays.
    struct stat target {};
    if (::fstatat(at->folder.Get(), at->name.c_str(), &target, 0) != 0 || !S_ISDIR(target.st_mode))
      return false;
    return ::unlinkat(at->folder.Get(), at->name.c_str(), 0) == 0;
  }
  if (!S_ISDIR(st.st_mode)) return false;
  return RemoveTreeAt(at->folder.Get(), at->name, force, Walk());
}

bool PosixFileSystem::Rename(const std::string& from, const std::string& to) {
  auto source = Resolve(from, Need::Whole);
  auto target = Resolve(to, Need::Parent);
  if (!source || !target || source->isRoot || target->isRoot) return false;
  std::string destination = target->native;
  if (target->exists) {
    // Only a change of letter case may land on an existing name: the entry itself.
    if (target->native != source->native) return false;
    auto parsed = Parse(to);
    if (!parsed || parsed->parts.empty()) return false;
    destination =
        target->native.substr(0, target->native.find_last_of('/') + 1) + parsed->parts.back();
    if (destination == source->native) return true;
    return ::rename(source->native.c_str(), destination.c_str()) == 0;
  }
  if (::renameat2(AT_FDCWD, source->native.c_str(), AT_FDCWD, destination.c_str(),
                  RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without the no-replace flag: check, then rename.
  struct stat st {};
  if (LstatOf(destination, st)) return false;
  return ::rename(source->native.c_str(), destination.c_str()) == 0;
}

bool PosixFileSystem::CreateFolder(const std::string& path) {
  auto r = Resolve(path, Need::Parent);
  if (!r || r->exists) return false;
  return ::mkdir(r->native.c_str(), 0777) == 0;
}

bool PosixFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  auto at = OpenEntry(path, Need::Whole);
  struct stat st {};
  // A link's attributes are what it leads to: they are not changed through it.
  if (!at || !StatAt(at->folder.Get(), at->name, st) || S_ISLNK(st.st_mode)) return false;
  bool ok = true;
  bool wantReadOnly = (attributes & kAttrReadOnly) != 0;
  if (wantReadOnly != ReadOnly(st)) {
    mode_t mode = st.st_mode & 07777;
    mode = wantReadOnly ? (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH))
                        : (mode | S_IWUSR);
    ok = ::fchmodat(at->folder.Get(), at->name.c_str(), mode, AT_SYMLINK_NOFOLLOW) == 0;
  }
  uint32_t dosBits = attributes & (kAttrHidden | kAttrSystem);
  if (dosBits != StoredDosBitsAt(at->folder.Get(), at->parent, at->name)) {
    if (dosBits == 0) {
      ::lremovexattr(at->native.c_str(), kDosAttribXattr);
    } else {
      char value[16];
      int n = std::snprintf(value, sizeof(value), "0x%x", dosBits);
      if (::lsetxattr(at->native.c_str(), kDosAttribXattr, value, static_cast<size_t>(n), 0) != 0) {
        // A dot name is hidden by its name; only the system bit then needs the store.
        bool hiddenByName = at->name[0] == '.';
        if ((dosBits & kAttrSystem) || !hiddenByName) ok = false;
      }
    }
  }
  return ok;
}

std::string PosixFileSystem::NameHostFolder(const std::string& nativeFolder) {
  std::string name = FromNativePath(nativeFolder);
  if (!name.empty() || nativeFolder.empty() || nativeFolder[0] != '/') return name;
  std::string real = Canonical(nativeFolder);
  if (real.empty()) real = nativeFolder;
  name = "Z:" + text::ReplaceAll(real, "/", "\\");
  auto parsed = Parse(name);
  if (!parsed) return {};
  unmappedFolder_ = real;
  unmappedParts_ = parsed->parts;
  return name;
}

std::string PosixFileSystem::UnmappedRoot(const WindowsPath& parsed) const {
  if (unmappedFolder_.empty() || parsed.drive != 'Z' || parsed.parts.size() < unmappedParts_.size())
    return {};
  for (size_t i = 0; i < unmappedParts_.size(); ++i)
    if (parsed.parts[i] != unmappedParts_[i]) return {};
  return "/";
}

std::string PosixFileSystem::NativePath(const std::string& path) {
  auto r = Resolve(path, Need::Lexical);
  return r ? r->native : std::string();
}

std::string PosixFileSystem::FromNativePath(const std::string& nativePath) {
  try {
    if (nativePath.empty() || nativePath[0] != '/' || nativePath.find('\0') != std::string::npos)
      return {};
    std::string real = Canonical(nativePath);
    if (real.empty()) return {};
    struct Mapping {
      char letter;
      std::string target;
    };
    std::vector<Mapping> drives;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      std::string target = DriveRoot(letter);
      if (!target.empty()) drives.push_back({letter, target});
    }
    // The deepest mapping names a path best; Z: (the whole host) only when nothing else does.
    std::stable_sort(drives.begin(), drives.end(), [](const Mapping& a, const Mapping& b) {
      if (a.target.size() != b.target.size()) return a.target.size() > b.target.size();
      return (a.letter == 'Z') < (b.letter == 'Z');
    });
    for (const Mapping& drive : drives) {
      if (!Inside(real, drive.target)) continue;
      std::string rest = real.substr(drive.target == "/" ? 1 : drive.target.size());
      if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
      // A host name with a backslash cannot be spelled as a Windows path.
      if (rest.find('\\') != std::string::npos) return {};
      return std::string(1, drive.letter) + ":\\" + text::ReplaceAll(rest, "/", "\\");
    }
    return {};
  } catch (...) {
    return {};
  }
}

}  // namespace quill::platform::posix
