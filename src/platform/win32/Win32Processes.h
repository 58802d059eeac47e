#pragma once

#include "platform/Processes.h"

namespace quill::platform::win32 {

/// Running processes through EnumProcesses and the module calls, with the Toolhelp snapshot
/// when the process list cannot be read that way.
class Win32Processes : public Processes {
 public:
  std::optional<std::vector<ProcessInfo>> Enumerate() override;
  bool Terminate(uint32_t pid, uint32_t exitCode) override;
  bool WaitForExit(uint32_t pid, int timeoutMs) override;
};

}  // namespace quill::platform::win32
