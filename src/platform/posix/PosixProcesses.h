#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Processes.h"

namespace quill::platform::posix {

/// Running processes read from /proc. A process started by Wine carries its Windows path as
/// argv[0] and is named by it; a native process is named by its executable, seen through the
/// prefix's drives (normally z:).
class PosixProcesses : public platform::Processes {
 public:
  /// files maps native executable paths to Windows paths; it must outlive this object.
  explicit PosixProcesses(platform::FileSystem& files);

  /// Every process in pid order; a process that cannot be read has an empty name and path.
  std::optional<std::vector<ProcessInfo>> Enumerate() override;
  /// Kills the process (SIGKILL; the exit code cannot be chosen on this system); false when
  /// not permitted or not found.
  bool Terminate(uint32_t pid, uint32_t exitCode) override;
  /// True when the process is gone or only a zombie is left; a negative timeout waits
  /// without limit.
  bool WaitForExit(uint32_t pid, int timeoutMs) override;

  /// Name and path of one process from its command line and executable link (exposed for
  /// tests); empty strings when neither can be read.
  ProcessInfo Describe(uint32_t pid);

 private:
  platform::FileSystem& files_;
};

/// Whether argv[0] is a Windows path ("C:\..."), as every Wine process shows it.
bool IsWindowsPath(const std::string& text);

}  // namespace quill::platform::posix
