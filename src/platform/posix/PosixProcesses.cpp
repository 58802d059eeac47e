#include "platform/posix/PosixProcesses.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
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

}  // namespace

bool IsWindowsPath(const std::string& text) {
  if (text.size() < 3) return false;
  char drive = text[0];
  bool letter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
  return letter && text[1] == ':' && text[2] == '\\';
}

PosixProcesses::PosixProcesses(platform::FileSystem& files) : files_(files) {}

ProcessInfo PosixProcesses::Describe(uint32_t pid) {
  ProcessInfo info;
  info.pid = pid;
  if (auto cmdline = ReadSmallFile(ProcPath(pid, "cmdline"), 65536)) {
    std::string argv0 = cmdline->substr(0, cmdline->find('\0'));
    if (IsWindowsPath(argv0)) {
      info.path = argv0;
      info.name = text::AfterLastBackslash(argv0);
      return info;
    }
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
  for (uint32_t pid : pids) list.push_back(Describe(pid));
  return list;
}

bool PosixProcesses::Terminate(uint32_t pid, uint32_t /*exitCode*/) {
  if (!IsSignalablePid(pid)) return false;
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
