#include "platform/posix/WineServer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "base/Text.h"

namespace quill::platform::posix {

namespace {

// The server folder's name as Wine builds it from the prefix folder's device and inode.
std::string ServerFolderName(const struct stat& st) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "server-%llx-%llx",
                static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  return buffer;
}

enum class LockState { Absent, Free, Held };

LockState ExamineLock(const std::string& dir) {
  const std::string lockPath = dir + "/lock";
  int fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? LockState::Absent : LockState::Held;
  struct flock fl = {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = 0;
  const int rc = ::fcntl(fd, F_GETLK, &fl);
  ::close(fd);
  if (rc != 0) return LockState::Held;
  return fl.l_type == F_UNLCK ? LockState::Free : LockState::Held;
}

}  // namespace

std::vector<std::string> WineServerDirs(const std::string& prefixRoot) {
  std::vector<std::string> dirs;
  struct stat st = {};
  if (::stat(prefixRoot.c_str(), &st) != 0) return dirs;
  const std::string folder = ServerFolderName(st);
  dirs.push_back("/tmp/.wine-" + std::to_string(::getuid()) + "/" + folder);

  std::ifstream recorded(prefixRoot + "/wineserver");
  std::string name;
  if (recorded && std::getline(recorded, name)) {
    name = text::Trim(name);
    if (!name.empty() && name.find("..") == std::string::npos) {
      if (name[0] == '/') {
        dirs.push_back(name + "/" + folder);
      } else {
        const char* tmp = std::getenv("TMPDIR");
        if (tmp && *tmp && std::string(tmp) != "/tmp") {
          dirs.push_back(std::string(tmp) + "/" + name + "/" + folder);
        }
        dirs.push_back("/tmp/" + name + "/" + folder);
      }
    }
  }
  return dirs;
}

bool WineServerRunning(const std::string& prefixRoot) {
  for (const std::string& dir : WineServerDirs(prefixRoot)) {
    if (ExamineLock(dir) == LockState::Held) return true;
  }
  return false;
}

}  // namespace quill::platform::posix
