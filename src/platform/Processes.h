#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quill::platform {

struct ProcessInfo {
  uint32_t pid = 0;
  /// Base name of the program file ("explorer.exe"); empty when the process could not be
  /// opened for query.
  std::string name;
  /// Full path of the first module, as the system reports it; empty when unreadable.
  std::string path;
};

/// Running processes.
class Processes {
 public:
  virtual ~Processes() = default;
  /// Every process in the system's order; empty optional when the list cannot be read.
  virtual std::optional<std::vector<ProcessInfo>> Enumerate() = 0;
  /// Terminates with the exit code; false when not permitted or not found.
  virtual bool Terminate(uint32_t pid, uint32_t exitCode) = 0;
  /// Waits up to timeoutMs for the process to end; true when it has ended.
  virtual bool WaitForExit(uint32_t pid, int timeoutMs) = 0;
};

}  // namespace quill::platform
