#include "platform/posix/HostFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "base/Text.h"

namespace quill::platform::posix::host {

namespace fs = std::filesystem;

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool StatOf(const std::string& native, struct stat& st) {
  return ::stat(native.c_str(), &st) == 0;
}
bool LstatOf(const std::string& native, struct stat& st) {
  return ::lstat(native.c_str(), &st) == 0;
}

static bool InGroup(gid_t gid) {
  static const gid_t egid = getegid();
  if (gid == egid) return true;
  int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<size_t>(count));
  count = getgroups(count, groups.data());
  return count > 0 &&
         std::find(groups.begin(), groups.begin() + count, gid) != groups.begin() + count;
}

// Read-only is judged from the permission bits that apply to us, not from access(): the
// superuser may write anything, yet a file without write bits is still read-only to Windows.
bool ReadOnly(const struct stat& st) {
  static const uid_t euid = geteuid();
  if (st.st_uid == euid) return (st.st_mode & S_IWUSR) == 0;
  if (InGroup(st.st_gid)) return (st.st_mode & S_IWGRP) == 0;
  return (st.st_mode & S_IWOTH) == 0;
}

// The entry of a host folder whose name equals name without regard to case ("" if none).
std::string FindNoCase(const std::string& folder, const std::string& name) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return {};
  std::string found;
  while (dirent* entry = ::readdir(dir)) {
    std::string candidate = entry->d_name;
    if (candidate == "." || candidate == "..") continue;
    if (text::EqualsNoCase(candidate, name)) {
      found = candidate;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

// The host path of name inside folder: the exact spelling when present, else the entry that
// matches without regard to case; "" when there is neither.
std::string ChildNoCase(const std::string& folder, const std::string& name) {
  struct stat st {};
  std::string exact = Join(folder, name);
  if (LstatOf(exact, st)) return exact;
  std::string found = FindNoCase(folder, name);
  return found.empty() ? std::string() : Join(folder, found);
}

std::vector<std::string> EntryNames(const std::string& folder, bool& ok) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  ok = dir != nullptr;
  if (!dir) return names;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  ::closedir(dir);
  return names;
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool CopyRegularFile(const std::string& from, const std::string& to, mode_t mode) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    ::close(in);
    return false;
  }
  bool ok = true;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) {
      ok = false;
      break;
    }
  }
  ::close(in);
  if (::close(out) != 0) ok = false;
  // The copy keeps the source's read-only state, as Windows copies attributes.
  if (ok) ::chmod(to.c_str(), mode & 07777);
  return ok;
}

bool CopyTree(const std::string& from, const std::string& to, bool overwrite) {
  struct stat st {};
  if (!StatOf(to, st)) {
    if (::mkdir(to.c_str(), 0777) != 0) return false;
  } else if (!S_ISDIR(st.st_mode)) {
    return false;
  }
  bool listed = false;
  std::vector<std::string> names = EntryNames(from, listed);
  bool ok = listed;
  for (const std::string& name : names) {
    std::string source = Join(from, name);
    // Merge into an entry of the destination spelled differently, as Windows would.
    std::string existing = FindNoCase(to, name);
    std::string target = Join(to, existing.empty() ? name : existing);
    struct stat sourceStat {};
    if (!LstatOf(source, sourceStat)) {
      ok = false;
      continue;
    }
    struct stat targetStat {};
    bool targetExists = LstatOf(target, targetStat);
    if (S_ISLNK(sourceStat.st_mode)) {
      if (targetExists && (!overwrite || S_ISDIR(targetStat.st_mode) || ::unlink(target.c_str()))) {
        ok = false;
        continue;
      }
      std::error_code ec;
      fs::copy_symlink(source, target, ec);
      if (ec) ok = false;
    } else if (S_ISDIR(sourceStat.st_mode)) {
      ok = CopyTree(source, target, overwrite) && ok;
    } else if (S_ISREG(sourceStat.st_mode)) {
      if (targetExists && (!overwrite || !S_ISREG(targetStat.st_mode) || ReadOnly(targetStat))) {
        ok = false;
        continue;
      }
      ok = CopyRegularFile(source, target, sourceStat.st_mode) && ok;
    } else {
      ok = false;  // devices, pipes and sockets have no Windows counterpart to copy
    }
  }
  return ok;
}

bool RemoveTree(const std::string& folder, bool force) {
  struct stat st {};
  if (!LstatOf(folder, st)) return false;
  if (!S_ISDIR(st.st_mode)) {
    if (!force && ReadOnly(st) && !S_ISLNK(st.st_mode)) return false;
    return ::unlink(folder.c_str()) == 0;
  }
  if (!force && ReadOnly(st)) return false;
  // A folder without write permission keeps its entries; forcing lifts that first.
  if (force) ::chmod(folder.c_str(), (st.st_mode & 07777) | S_IRWXU);
  bool listed = false;
  std::vector<std::string> names = EntryNames(folder, listed);
  bool ok = listed;
  for (const std::string& name : names) ok = RemoveTree(Join(folder, name), force) && ok;
  if (!ok) return false;
  return ::rmdir(folder.c_str()) == 0;
}

bool Inside(const std::string& child, const std::string& parent) {
  if (child == parent) return true;
  if (parent == "/") return true;
  return child.size() > parent.size() && child.compare(0, parent.size(), parent) == 0 &&
         child[parent.size()] == '/';
}

std::string Canonical(const std::string& native) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(fs::path(native), ec);
  if (ec) return {};
  std::string text = p.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace quill::platform::posix::host
