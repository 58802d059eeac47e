#include "platform/posix/PosixShell.h"

#include <fcntl.h>
#include <linux/close_range.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "base/Text.h"
#include "platform/posix/PosixFileSystem.h"

extern char** environ;

// Starting programs and opening documents: Windows programs under Wine, the rest with the
// desktop's opener.
namespace quill::platform::posix {

namespace {

// Full path of an executable, searched on PATH when the name has no slash.
std::string FindProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  for (const std::string& dir : text::Split(dirs, ":")) {
    std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

// Starts a program in its own session, detached from us: we wait only for the short-lived
// middle process and for the exec itself, never for the program. True when the program
// started.
bool SpawnDetached(const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& winePrefix) {
  std::vector<std::string> envStrings;
  for (char** e = environ; e && *e; ++e) {
    if (std::strncmp(*e, "WINEPREFIX=", 11) == 0) continue;
    envStrings.emplace_back(*e);
  }
  envStrings.push_back("WINEPREFIX=" + winePrefix);
  std::vector<char*> envp;
  for (std::string& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStrings;
  argStrings.push_back(program);
  argStrings.insert(argStrings.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& s : argStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  int status[2];
  if (::pipe2(status, O_CLOEXEC) != 0) return false;
  pid_t middle = ::fork();
  if (middle < 0) {
    ::close(status[0]);
    ::close(status[1]);
    return false;
  }
  if (middle == 0) {
    // Only async-signal-safe calls from here on.
    ::close(status[0]);
    ::setsid();
    pid_t child = ::fork();
    if (child != 0) ::_exit(child < 0 ? 1 : 0);
    // The program gets none of our descriptors (a lock kept by one would outlive us) and
    // the default signal handling, whatever this process had set up.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0)
      for (int fd = 3; fd < 4096; ++fd) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTERM, SIGHUP})
      ::sigaction(sig, &defaults, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    int devNull = ::open("/dev/null", O_RDWR);
    if (devNull >= 0) {
      ::dup2(devNull, 0);
      ::dup2(devNull, 1);
      ::dup2(devNull, 2);
      if (devNull > 2) ::close(devNull);
    }
    ::execve(argv[0], argv.data(), envp.data());
    int error = errno;
    ssize_t ignored = ::write(status[1], &error, sizeof(error));
    (void)ignored;
    ::_exit(127);
  }
  ::close(status[1]);
  int middleStatus = 0;
  while (::waitpid(middle, &middleStatus, 0) < 0 && errno == EINTR) {
  }
  // The pipe closes on a successful exec; an error number arrives when it failed.
  int error = 0;
  ssize_t n;
  do {
    n = ::read(status[0], &error, sizeof(error));
  } while (n < 0 && errno == EINTR);
  ::close(status[0]);
  bool middleOk = WIFEXITED(middleStatus) && WEXITSTATUS(middleStatus) == 0;
  return middleOk && n == 0;
}

std::string StripQuotes(std::string s) {
  s = text::Trim(s);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return s;
}

bool IsUrl(const std::string& s) {
  size_t colon = s.find(':');
  if (colon == std::string::npos || colon < 2) return false;  // "C:" is a drive
  for (size_t i = 0; i < colon; ++i) {
    char c = s[i];
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
              (i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
    if (!ok) return false;
  }
  return true;
}

bool IsProgramFile(const std::string& path) {
  return text::EndsWithNoCase(path, ".exe") || text::EndsWithNoCase(path, ".com");
}

}  // namespace

std::vector<std::string> PosixShell::SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> args;
  std::string current;
  bool inQuotes = false, any = false;
  for (size_t i = 0; i < commandLine.size(); ++i) {
    char c = commandLine[i];
    if (c == '\\') {
      // Backslashes are literal unless they come before a quote.
      size_t count = 0;
      while (i < commandLine.size() && commandLine[i] == '\\') ++count, ++i;
      if (i < commandLine.size() && commandLine[i] == '"') {
        current.append(count / 2, '\\');
        if (count % 2) {
          current += '"';
        } else {
          inQuotes = !inQuotes;
        }
      } else {
        current.append(count, '\\');
        --i;
      }
      any = true;
      continue;
    }
    if (c == '"') {
      inQuotes = !inQuotes;
      any = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
      any = true;
    }
  }
  if (any) args.push_back(current);
  return args;
}

bool PosixShell::OpenWithDesktop(const std::string& target) {
  const char* configured = std::getenv("QUILLONET_OPEN_COMMAND");
  std::vector<std::string> command =
      text::Split(text::Trim(configured && *configured ? configured : "xdg-open"), " ");
  command.erase(std::remove(command.begin(), command.end(), std::string()), command.end());
  if (command.empty()) return false;
  std::string program = FindProgram(command.front());
  if (program.empty()) return false;
  std::vector<std::string> arguments(command.begin() + 1, command.end());
  arguments.push_back(target);
  return SpawnDetached(program, arguments, root_);
}

bool PosixShell::RunWine(const std::vector<std::string>& arguments) {
  std::string wine = FindProgram("wine");
  if (wine.empty()) return false;
  return SpawnDetached(wine, arguments, root_);
}

bool PosixShell::OpenWindowsPath(const std::string& windowsPath) {
  if (!files_.Attributes(windowsPath)) return false;
  std::string native = files_.NativePath(windowsPath);
  return !native.empty() && OpenWithDesktop(native);
}

bool PosixShell::Execute(const std::string& commandLine, ShowStyle /*style*/) {
  try {
    std::string line = text::Trim(commandLine);
    if (line.empty()) return false;
    // The program is the first word, or the quoted text at the start.
    std::string program, rest;
    if (line.front() == '"') {
      size_t close = line.find('"', 1);
      if (close == std::string::npos) return false;
      program = line.substr(1, close - 1);
      rest = line.substr(close + 1);
    } else {
      size_t space = line.find_first_of(" \t");
      program = line.substr(0, space);
      rest = space == std::string::npos ? "" : line.substr(space + 1);
    }
    rest = text::Trim(rest);
    std::string base =
        text::ToLower(text::AfterLastBackslash(text::ReplaceAll(program, "/", "\\")));
    if (text::EndsWith(base, ".exe")) base.resize(base.size() - 4);

    if (base == "explorer") {
      // Explorer takes the rest of its line as one folder, after any "/e," style switches.
      std::string target = StripQuotes(rest);
      bool select = false;
      while (!target.empty() && target.front() == '/') {
        size_t comma = target.find(',');
        std::string sw = text::ToLower(target.substr(0, comma));
        if (sw == "/select") select = true;
        target = comma == std::string::npos ? "" : StripQuotes(target.substr(comma + 1));
      }
      if (target.empty()) target = "C:\\";
      if (select) target = text::UpToLastBackslash(target);
      return OpenWindowsPath(target);
    }
    if (base == "notepad") {
      std::string target = StripQuotes(rest);
      return !target.empty() && OpenWindowsPath(target);
    }
    if (base == "regedit") {
      std::vector<std::string> arguments{"regedit"};
      for (std::string& a : SplitCommandLine(rest)) arguments.push_back(std::move(a));
      return RunWine(arguments);
    }
    // A Windows program named by its path runs through wine.
    if (IsProgramFile(program) && PosixFileSystem::Parse(program) && files_.Attributes(program)) {
      std::vector<std::string> arguments{program};
      for (std::string& a : SplitCommandLine(rest)) arguments.push_back(std::move(a));
      return RunWine(arguments);
    }
    return false;
  } catch (...) {
    return false;
  }
}

bool PosixShell::OpenDocument(const std::string& path, ShowStyle /*style*/) {
  try {
    std::string target = StripQuotes(path);
    if (target.empty()) return false;
    if (IsUrl(target)) return OpenWithDesktop(target);
    if (!PosixFileSystem::Parse(target)) return false;
    auto attributes = files_.Attributes(target);
    if (!attributes) return false;
    if (!(*attributes & kAttrDirectory) && IsProgramFile(target)) return RunWine({target});
    return OpenWindowsPath(target);
  } catch (...) {
    return false;
  }
}

}  // namespace quill::platform::posix
