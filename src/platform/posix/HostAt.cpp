#include "platform/posix/HostAt.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>

#include "base/Text.h"
#include "platform/posix/HostFiles.h"

namespace quill::platform::posix::host {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kNewFileFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool Barrier(const TreeWalk& walk, const struct stat& st) {
  const FileId id(st.st_dev, st.st_ino);
  return std::find(walk.barriers.begin(), walk.barriers.end(), id) != walk.barriers.end();
}

// Copies what is left of `in` into `out`.
bool CopyBytes(int in, int out) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) return false;
  }
}

// A name for a file made beside `name` and renamed over it.
std::string TemporaryName(const std::string& name) {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  char suffix[24];
  std::snprintf(suffix, sizeof(suffix), ".%016llx", static_cast<unsigned long long>(random()));
  return "." + name.substr(0, 200) + suffix;
}

// Makes a new file beside `name` through `fill`, then renames it over `name`.
template <typename Fill>
bool ReplaceWith(int folder, const std::string& name, mode_t mode, Fill fill) {
  const std::string temporary = TemporaryName(name);
  Fd out(::openat(folder, temporary.c_str(), kNewFileFlags, 0600));
  if (!out.Ok()) return false;
  bool ok = fill(out.Get()) && ::fchmod(out.Get(), mode & 07777) == 0 && ::fsync(out.Get()) == 0;
  ok = out.Close() && ok;
  // rename() replaces the entry itself: a link swapped in meanwhile is replaced, not followed.
  if (ok && ::renameat(folder, temporary.c_str(), folder, name.c_str()) == 0) {
    ::fsync(folder);
    return true;
  }
  ::unlinkat(folder, temporary.c_str(), 0);
  return false;
}

bool CopyEntryAt(int from, const std::string& name, int to, bool overwrite, const TreeWalk& walk);

bool CopyEntriesAt(int from, int to, bool overwrite, const TreeWalk& walk) {
  bool ok = false;
  for (const std::string& name : NamesIn(from, ok)) {
    if (walk.hook && *walk.hook) (*walk.hook)(name);
    ok = CopyEntryAt(from, name, to, overwrite, walk) && ok;
  }
  return ok;
}

bool CopyEntryAt(int from, const std::string& name, int to, bool overwrite, const TreeWalk& walk) {
  struct stat st {};
  if (!StatAt(from, name, st)) return false;
  // Merged into an entry of the destination spelled differently, as Windows would.
  std::string target = NameNoCaseIn(to, name);
  struct stat existing {};
  const bool exists = !target.empty() && StatAt(to, target, existing);
  if (target.empty()) target = name;
  if (exists && !overwrite) return false;
  if (S_ISDIR(st.st_mode)) return CopyTreeAt(from, name, to, target, overwrite, walk);
  if (S_ISREG(st.st_mode)) return CopyFileAt(from, name, to, target, !exists);
  if (!S_ISLNK(st.st_mode)) return false;  // devices, pipes and sockets have no Windows kind
  std::vector<char> buffer(4096);
  const ssize_t n = ::readlinkat(from, name.c_str(), buffer.data(), buffer.size());
  if (n <= 0 || static_cast<size_t>(n) >= buffer.size()) return false;
  if (exists && (S_ISDIR(existing.st_mode) || ::unlinkat(to, target.c_str(), 0) != 0)) return false;
  buffer[static_cast<size_t>(n)] = '\0';
  return ::symlinkat(buffer.data(), to, target.c_str()) == 0;
}

}  // namespace

Fd::~Fd() {
  if (fd_ >= 0) ::close(fd_);
}

Fd& Fd::operator=(Fd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool Fd::Close() {
  if (fd_ < 0) return true;
  return ::close(std::exchange(fd_, -1)) == 0;
}

bool StatAt(int folder, const std::string& name, struct stat& st) {
  return ::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

Fd OpenFolderAt(int folder, const std::string& name) {
  return Fd(::openat(folder, name.c_str(), kFolderFlags));
}

Fd OpenFileAt(int folder, const std::string& name, struct stat& st) {
  // Without waiting: opening a pipe for reading would wait for a writer.
  Fd fd(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.Ok() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return Fd();
  return fd;
}

std::vector<std::string> NamesIn(int folder, bool& ok) {
  std::vector<std::string> names;
  const int copy = ::openat(folder, ".", kFolderFlags);
  DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
  ok = dir != nullptr;
  if (!dir) {
    if (copy >= 0) ::close(copy);
    return names;
  }
  errno = 0;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  if (errno != 0) ok = false;
  ::closedir(dir);
  return names;
}

std::string NameNoCaseIn(int folder, const std::string& name) {
  struct stat st {};
  if (StatAt(folder, name, st)) return name;
  bool ok = false;
  for (const std::string& candidate : NamesIn(folder, ok))
    if (text::EqualsNoCase(candidate, name)) return candidate;
  return {};
}

bool CreateNewAt(int folder, const std::string& name, const std::string& bytes, mode_t mode) {
  Fd out(::openat(folder, name.c_str(), kNewFileFlags, mode & 07777));
  if (!out.Ok()) return false;
  bool ok = WriteAll(out.Get(), bytes.data(), bytes.size());
  ok = out.Close() && ok;
  if (!ok) ::unlinkat(folder, name.c_str(), 0);
  return ok;
}

bool WriteAt(int folder, const std::string& name, const std::string& bytes, bool append) {
  struct stat st {};
  if (!StatAt(folder, name, st)) return CreateNewAt(folder, name, bytes, 0666);
  if (!S_ISREG(st.st_mode) || ReadOnly(st)) return false;
  // Another hard link would see the bytes: a rewrite gets a file of its own instead.
  if (st.st_nlink > 1) {
    if (append) return false;
    return ReplaceAt(folder, name, bytes);
  }
  Fd out(::openat(folder, name.c_str(),
                  O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (append ? O_APPEND : 0)));
  struct stat opened {};
  if (!out.Ok() || ::fstat(out.Get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
      opened.st_nlink > 1)
    return false;
  if (!append && ::ftruncate(out.Get(), 0) != 0) return false;
  bool ok = WriteAll(out.Get(), bytes.data(), bytes.size());
  return out.Close() && ok;
}

bool ReplaceAt(int folder, const std::string& name, const std::string& bytes) {
  struct stat st {};
  const bool exists = StatAt(folder, name, st);
  if (exists && (!S_ISREG(st.st_mode) || ReadOnly(st))) return false;
  return ReplaceWith(folder, name, exists ? st.st_mode : 0644,
                     [&](int out) { return WriteAll(out, bytes.data(), bytes.size()); });
}

bool CopyFileAt(int fromFolder, const std::string& from, int toFolder, const std::string& to,
                bool failIfExists) {
  struct stat source {};
  Fd in = OpenFileAt(fromFolder, from, source);
  if (!in.Ok()) return false;
  auto fill = [&](int out) { return CopyBytes(in.Get(), out); };
  struct stat target {};
  if (failIfExists || !StatAt(toFolder, to, target)) {
    Fd out(::openat(toFolder, to.c_str(), kNewFileFlags, 0600));
    if (!out.Ok()) return false;
    // The copy keeps the source's read-only state, as Windows copies attributes.
    bool ok = fill(out.Get()) && ::fchmod(out.Get(), source.st_mode & 07777) == 0;
    ok = out.Close() && ok;
    if (!ok) ::unlinkat(toFolder, to.c_str(), 0);
    return ok;
  }
  // Copying a file onto itself would lose it.
  if (!S_ISREG(target.st_mode) || ReadOnly(target) || SameFile(target, source)) return false;
  return ReplaceWith(toFolder, to, source.st_mode, fill);
}

bool CopyTreeAt(int fromFolder, const std::string& from, int toFolder, const std::string& to,
                bool overwrite, const TreeWalk& walk) {
  Fd source = OpenFolderAt(fromFolder, from);
  struct stat sourceStat {};
  if (!source.Ok() || ::fstat(source.Get(), &sourceStat) != 0 || Barrier(walk, sourceStat))
    return false;
  if (::mkdirat(toFolder, to.c_str(), 0777) != 0 && (errno != EEXIST || !overwrite)) return false;
  Fd target = OpenFolderAt(toFolder, to);
  struct stat targetStat {};
  // A tree copied into itself would never end.
  if (!target.Ok() || ::fstat(target.Get(), &targetStat) != 0 || SameFile(sourceStat, targetStat))
    return false;
  return CopyEntriesAt(source.Get(), target.Get(), overwrite, walk);
}

bool RemoveTreeAt(int folder, const std::string& name, bool force, const TreeWalk& walk) {
  struct stat st {};
  if (!StatAt(folder, name, st)) return false;
  if (!S_ISDIR(st.st_mode)) {
    if (!force && ReadOnly(st) && !S_ISLNK(st.st_mode)) return false;
    return ::unlinkat(folder, name.c_str(), 0) == 0;
  }
  if (!force && ReadOnly(st)) return false;
  Fd tree = OpenFolderAt(folder, name);
  struct stat opened {};
  if (!tree.Ok() || ::fstat(tree.Get(), &opened) != 0 || !SameFile(opened, st)) {
    // Swapped for a link since it was looked at: the link goes, nothing behind it.
    struct stat now {};
    if (StatAt(folder, name, now) && S_ISLNK(now.st_mode))
      return ::unlinkat(folder, name.c_str(), 0) == 0;
    return false;
  }
  if (Barrier(walk, opened)) return false;
  // A folder without write permission keeps its entries; forcing lifts that first.
  if (force) ::fchmod(tree.Get(), (opened.st_mode & 07777) | S_IRWXU);
  bool ok = false;
  for (const std::string& entry : NamesIn(tree.Get(), ok)) {
    if (walk.hook && *walk.hook) (*walk.hook)(entry);
    ok = RemoveTreeAt(tree.Get(), entry, force, walk) && ok;
  }
  if (!ok) return false;
  tree.Close();
  return ::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0;
}

}  // namespace quill::platform::posix::host
