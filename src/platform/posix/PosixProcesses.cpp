#include "platform/posix/PosixProcesses.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <thread>

#include "base/Text.h"

namespace quill::platform::posix {
namespace {

std::string ProcPath(uint32_t pid, const char* leaf) {
  return "/proc/" + std::to_string(pid) + "/" + leaf;
}

/// Reads a small /proc file whole; empty optional when it cannot be opened.
std::optional<std::string> ReadSmallFile(const std::string& path, size_t limit) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string data;
  char buffer[4096];
  while (data.size() < limit) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    data.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  if (data.size() > limit) data.resize(limit);
  return data;
}

std::string ReadLink(const std::string& path) {
  std::string target(PATH_MAX, '\0');
  ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
  if (n <= 0 || static_cast<size_t>(n) >= target.size()) return {};
  target.resize(static_cast<size_t>(n));
  return target;
}

/// A valid pid for kill(): 0 and values above INT_MAX would address process groups.
bool IsSignalablePid(uint32_t pid) {
  return pid != 0 && pid <= static_cast<uint32_t>(INT_MAX);
}

enum class ProcState { Running, Zombie, Gone };

ProcState StateOf(uint32_t pid) {
  auto stat = ReadSmallFile(ProcPath(pid, "stat"), 4096);
  if (!stat) return ProcState::Gone;
  // "pid (comm) S ...": the command may hold spaces and parentheses, so look after the last ')'.
  size_t close = stat->rfind(')');
  if (close == std::string::npos || close + 2 >= stat->size()) return ProcState::Gone;
  char state = (*stat)[close + 2];
  return (state == 'Z' || state == 'X' || state == 'x') ? ProcState::Zombie : ProcState::Running;
}

/// A descriptor that becomes readable when the process ends; -1 when the kernel has none.
int OpenPidFd(uint32_t pid) {
#ifdef SYS_pidfd_open
  long fd = ::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0);
  return fd < 0 ? -1 : static_cast<int>(fd);
#else
  (void)pid;
  return -1;
#endif
}

std::string Argv0(uint32_t pid) {
  auto cmdline = ReadSmallFile(ProcPath(pid, "cmdline"), 65536);
  return cmdline ? cmdline->substr(0, cmdline->find('\0')) : std::string();
}

/// The value of one variable in a process's starting environment; empty when unset or
/// unreadable (another user's process).
std::string EnvironmentValue(uint32_t pid, std::string_view name) {
  auto environ = ReadSmallFile(ProcPath(pid, "environ"), 1 << 20);
  if (!environ) return {};
  size_t pos = 0;
  while (pos < environ->size()) {
    size_t end = environ->find('\0', pos);
    if (end == std::string::npos) end = environ->size();
    std::string_view entry = std::string_view(*environ).substr(pos, end - pos);
    if (entry.size() > name.size() && entry.substr(0, name.size()) == name &&
        entry[name.size()] == '=')
      return std::string(entry.substr(name.size() + 1));
    pos = end + 1;
  }
  return {};
}

bool SameFolder(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  return !a.empty() && !b.empty() && ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 &&
         S_ISDIR(sa.st_mode) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

bool IsWindowsPath(const std::string& text) {
  if (text.size() < 3) return false;
  char drive = text[0];
  bool letter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
  return letter && text[1] == ':' && text[2] == '\\';
}

PosixProcesses::PosixProcesses(platform::FileSystem& files, std::string prefixRoot)
    : files_(files), prefixRoot_(std::move(prefixRoot)) {}

bool PosixProcesses::BelongsToPrefix(uint32_t pid) const {
  if (!IsWindowsPath(Argv0(pid))) return false;
  // Wine's own rule for the prefix: $WINEPREFIX, else ~/.wine. A relative value is taken
  // from the folder the process started in, as Wine took it.
  std::string prefix = EnvironmentValue(pid, "WINEPREFIX");
  if (prefix.empty()) {
    const std::string home = EnvironmentValue(pid, "HOME");
    if (home.empty()) return false;
    prefix = home + "/.wine";
  } else if (prefix[0] != '/') {
    return false;
  }
  return SameFolder(prefix, prefixRoot_);
}

ProcessInfo PosixProcesses::Describe(uint32_t pid) {
  ProcessInfo info;
  info.pid = pid;
  const std::string argv0 = Argv0(pid);
  if (IsWindowsPath(argv0)) {
    info.path = argv0;
    info.name = text::AfterLastBackslash(argv0);
    return info;
  }
  std::string exe = ReadLink(ProcPath(pid, "exe"));
  if (exe.empty()) return info;
  // The executable was replaced or removed while running; name it by what it was.
  static constexpr std::string_view kDeleted = " (deleted)";
  if (text::EndsWith(exe, kDeleted)) exe.resize(exe.size() - kDeleted.size());
  size_t slash = exe.rfind('/');
  info.name = slash == std::string::npos ? exe : exe.substr(slash + 1);
  info.path = files_.FromNativePath(exe);
  return info;
}

std::optional<std::vector<ProcessInfo>> PosixProcesses::Enumerate() {
  DIR* dir = ::opendir("/proc");
  if (dir == nullptr) return std::nullopt;
  std::vector<uint32_t> pids;
  while (dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (*name == '\0') continue;
    bool digits = true;
    unsigned long long value = 0;
    for (const char* p = name; *p != '\0' && digits; ++p) {
      digits = *p >= '0' && *p <= '9';
      value = value * 10 + static_cast<unsigned>(*p - '0');
      if (value > UINT32_MAX) digits = false;
    }
    if (digits) pids.push_back(static_cast<uint32_t>(value));
  }
  ::closedir(dir);
  if (pids.empty()) return std::nullopt;  // /proc not mounted: the list cannot be read
  std::sort(pids.begin(), pids.end());

  std::vector<ProcessInfo> list;
  list.reserve(pids.size());
  for (uint32_t pid : pids)
    if (BelongsToPrefix(pid)) list.push_back(Describe(pid));
  return list;
}

bool PosixProcesses::Terminate(uint32_t pid, uint32_t /*exitCode*/) {
  if (!IsSignalablePid(pid) || !BelongsToPrefix(pid)) return false;
  return ::kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

bool PosixProcesses::WaitForExit(uint32_t pid, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  if (StateOf(pid) != ProcState::Running) return true;
  const bool unlimited = timeoutMs < 0;
  const auto deadline = Clock::now() + std::chrono::milliseconds(unlimited ? 0 : timeoutMs);
  auto remainingMs = [&]() -> int {
    if (unlimited) return INT_MAX;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
  };

  int pidFd = IsSignalablePid(pid) ? OpenPidFd(pid) : -1;
  if (pidFd >= 0) {
    // The kernel wakes us when the process ends: no polling needed.
    for (;;) {
      pollfd waitFor{pidFd, POLLIN, 0};
      int slice = std::min(remainingMs(), 1000);
      int ready = ::poll(&waitFor, 1, slice);
      if (ready > 0 || StateOf(pid) != ProcState::Running) {
        ::close(pidFd);
        return true;
      }
      if (ready < 0 && errno != EINTR) break;  // fall back to polling below
      if (remainingMs() == 0) {
        ::close(pidFd);
        return false;
      }
    }
    ::close(pidFd);
  }

  // Without process descriptors: look again with growing pauses (1 ms up to 50 ms).
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    if (StateOf(pid) != ProcState::Running) return true;
    int left = remainingMs();
    if (left == 0) return false;
    std::this_thread::sleep_for(std::min(pause, std::chrono::milliseconds(left)));
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
}

}  // namespace quill::platform::posix
