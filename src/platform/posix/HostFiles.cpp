#include "platform/posix/HostFiles.h"

#include <dirent.h>
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
