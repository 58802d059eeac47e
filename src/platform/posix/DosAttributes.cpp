#include "platform/posix/DosAttributes.h"

#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include "platform/FileSystem.h"
#include "platform/posix/HostFiles.h"

namespace quill::platform::posix::host {

namespace {

// The hidden and system bits of a stored attribute text of n bytes (n < 0: none stored).
uint32_t DosBitsOf(char* buffer, long n) {
  if (n <= 0) return 0;
  buffer[n] = '\0';
  unsigned long value = std::strtoul(buffer, nullptr, 0);
  return static_cast<uint32_t>(value) & (kAttrHidden | kAttrSystem);
}

// getxattrat() (Linux 6.13 and later) reads an attribute relative to an open folder, so a
// listing does not make the kernel walk the whole path again for every entry. The C library
// may not wrap it yet.
#if defined(SYS_getxattrat)
constexpr long kGetXattrAt = SYS_getxattrat;
#elif defined(__linux__) && (defined(__x86_64__) || defined(__aarch64__))
constexpr long kGetXattrAt = 464;
#else
constexpr long kGetXattrAt = -1;
#endif

}  // namespace

uint32_t StoredDosBits(const std::string& native) {
  char buffer[64] = {};
  return DosBitsOf(buffer, ::getxattr(native.c_str(), kDosAttribXattr, buffer, sizeof(buffer) - 1));
}

// The stored bits of name inside the open folder whose host path is folder.
uint32_t StoredDosBitsAt(int folderFd, const std::string& folder, const std::string& name) {
  static std::atomic<bool> unsupported{kGetXattrAt < 0};
  if (!unsupported.load(std::memory_order_relaxed)) {
    struct {
      uint64_t value;
      uint32_t size;
      uint32_t flags;
    } args{};
    char buffer[64] = {};
    args.value = reinterpret_cast<uintptr_t>(buffer);
    args.size = sizeof(buffer) - 1;
    long n =
        ::syscall(kGetXattrAt, folderFd, name.c_str(), 0u, kDosAttribXattr, &args, sizeof(args));
    // An older kernel, or a sandbox that does not know the call, makes us fall back for good.
    if (n >= 0 || (errno != ENOSYS && errno != EINVAL && errno != EPERM))
      return DosBitsOf(buffer, n);
    unsupported.store(true, std::memory_order_relaxed);
  }
  return StoredDosBits(Join(folder, name));
}

uint32_t AttributesOf(const std::string& name, const struct stat& st, uint32_t storedDosBits) {
  uint32_t attributes = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if (ReadOnly(st)) attributes |= kAttrReadOnly;
  if (!name.empty() && name[0] == '.') attributes |= kAttrHidden;
  return attributes | storedDosBits;
}

bool IsPseudoFileSystemRoot(const std::string& name) {
  return name == "proc" || name == "sys" || name == "dev" || name == "run";
}

}  // namespace quill::platform::posix::host
