#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Processes.h"

namespace quill::platform::posix {

/// The programs running on the machine of one Wine prefix, read from /proc. Only this
/// prefix's Wine processes are listed or ended: native host programs and the programs of
/// other prefixes are none of the machine's business.
///
/// A Wine process carries its Windows path as argv[0] and is named by it. It belongs to the
/// prefix Wine itself chose for it when it started: $WINEPREFIX from its environment, else
/// $HOME/.wine, compared with this prefix by device and inode (so differently spelled or
/// linked paths agree). Every process Wine starts inherits that environment, and it is what
/// decides which wineserver the process talks to.
class PosixProcesses : public platform::Processes {
 public:
  /// files maps native executable paths to Windows paths; it must outlive this object.
  /// prefixRoot is the native folder of the prefix whose processes are listed.
  PosixProcesses(platform::FileSystem& files, std::string prefixRoot);

  /// This prefix's Wine processes in pid order.
  std::optional<std::vector<ProcessInfo>> Enumerate() override;
  /// Kills the process (SIGKILL; the exit code cannot be chosen on this system) when it is
  /// still one of this prefix's Wine processes; false when not permitted or not found.
  bool Terminate(uint32_t pid, uint32_t exitCode) override;
  /// True when the process is gone or only a zombie is left; a negative timeout waits
  /// without limit.
  bool WaitForExit(uint32_t pid, int timeoutMs) override;

  /// Name and path of one process from its command line and executable link (exposed for
  /// tests); empty strings when neither can be read.
  ProcessInfo Describe(uint32_t pid);
  /// Whether the process is a Wine process (Windows argv[0]) of this prefix.
  bool BelongsToPrefix(uint32_t pid) const;

 private:
  platform::FileSystem& files_;
  std::string prefixRoot_;
};

/// Whether argv[0] is a Windows path ("C:\..."), as every Wine process shows it.
bool IsWindowsPath(const std::string& text);

}  // namespace quill::platform::posix
