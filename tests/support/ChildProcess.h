#pragma once

#include <cstdint>
#include <string>

namespace quill::test {

/// A real child process that sleeps, started with a chosen argv[0] (a Windows path makes it
/// look like a program run by Wine) and, when a prefix folder is given, WINEPREFIX set to it
/// (so it counts as that prefix's Wine program). The constructor returns once the new program
/// runs, so the process list already shows it. The destructor kills and collects it if still
/// there.
class ChildProcess {
 public:
  explicit ChildProcess(const std::string& argv0, const std::string& prefix = "",
                        int seconds = 120);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  /// 0 when the child could not be started.
  uint32_t Pid() const { return pid_; }
  /// Whether the child still runs (not ended, not a zombie).
  bool Running() const;
  /// Waits for the child to end and collects it; the signal that ended it, 0 for a normal
  /// exit, -1 when it could not be collected.
  int Reap();

 private:
  uint32_t pid_ = 0;
  bool reaped_ = false;
};

}  // namespace quill::test
