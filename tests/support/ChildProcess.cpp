#include "support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace quill::test {

ChildProcess::ChildProcess(const std::string& argv0, const std::string& prefix, int seconds) {
  int sync[2];
  if (::pipe2(sync, O_CLOEXEC) != 0) return;
  char* real = ::realpath("/bin/sleep", nullptr);
  const std::string sleepPath = real != nullptr ? real : "/bin/sleep";
  std::free(real);
  std::string arg0 = argv0;
  std::string count = std::to_string(seconds);
  // The environment is made before fork: the child only calls exec.
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e)
    if (std::strncmp(*e, "WINEPREFIX=", 11) != 0) environment.emplace_back(*e);
  if (!prefix.empty()) environment.push_back("WINEPREFIX=" + prefix);
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    char* argv[] = {arg0.data(), count.data(), nullptr};
    ::execve(sleepPath.c_str(), argv, envp.data());
    ::_exit(127);
  }
  ::close(sync[1]);
  // The write end closes on exec: end of file means the child runs the new program.
  char byte;
  while (::read(sync[0], &byte, 1) > 0) {
  }
  ::close(sync[0]);
  if (pid > 0) pid_ = static_cast<uint32_t>(pid);
}

ChildProcess::~ChildProcess() {
  if (pid_ == 0 || reaped_) return;
  ::kill(static_cast<pid_t>(pid_), SIGKILL);
  Reap();
}

bool ChildProcess::Running() const {
  if (pid_ == 0 || reaped_) return false;
  std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos || close + 2 >= text.size()) return false;
  const char state = text[close + 2];
  return state != 'Z' && state != 'X' && state != 'x';
}

int ChildProcess::Reap() {
  if (pid_ == 0 || reaped_) return -1;
  int status = 0;
  if (::waitpid(static_cast<pid_t>(pid_), &status, 0) != static_cast<pid_t>(pid_)) return -1;
  reaped_ = true;
  return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

}  // namespace quill::test
