#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

/// The DOS attributes of host files: what the Unix bits say, and the hidden and system bits
/// Wine stores beside them.
namespace quill::platform::posix::host {

/// Where Wine keeps the DOS attributes a Unix file system has no bits for.
inline constexpr const char* kDosAttribXattr = "user.DOSATTRIB";

/// The stored hidden and system bits of a host file (0 when none are stored).
uint32_t StoredDosBits(const std::string& native);
/// The stored bits of `name` inside the open folder `folderFd` whose host path is `folder`.
uint32_t StoredDosBitsAt(int folderFd, const std::string& folder, const std::string& name);
/// The attributes of a file named `name` with the given status and stored bits.
uint32_t AttributesOf(const std::string& name, const struct stat& st, uint32_t storedDosBits);
/// Whether a name at the host's root is one of its pseudo file systems (/proc, /sys, ...).
bool IsPseudoFileSystemRoot(const std::string& name);

}  // namespace quill::platform::posix::host
