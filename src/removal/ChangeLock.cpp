#include "removal/ChangeLock.h"

#include <map>
#include <mutex>

#include "base/Unicode.h"
#include "platform/FileSystem.h"

#ifdef _WIN32
#include "platform/win32/WinApi.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace quill {

namespace {

#ifdef _WIN32
using Handle = HANDLE;
const Handle kNone = INVALID_HANDLE_VALUE;

// True when taken; busy tells whether another program holds it.
bool Take(const std::string& native, Handle& handle, bool& busy) {
  const std::u16string wide = unicode::Utf8ToUtf16(native);
  handle = ::CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()),
                         GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  busy = handle == kNone && ::GetLastError() == ERROR_SHARING_VIOLATION;
  return handle != kNone;
}
void Release(Handle handle) {
  ::CloseHandle(handle);
}
#else
using Handle = int;
const Handle kNone = -1;

bool Take(const std::string& native, Handle& handle, bool& busy) {
  busy = false;
  handle = ::open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (handle < 0) return false;
  int rc;
  while ((rc = ::flock(handle, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (rc == 0) return true;
  busy = errno == EWOULDBLOCK;
  ::close(handle);
  handle = kNone;
  return false;
}
void Release(Handle handle) {
  ::close(handle);
}
#endif

struct Held {
  Handle handle = kNone;
  int count = 0;
};

std::mutex& HeldMutex() {
  static std::mutex mutex;
  return mutex;
}
std::map<std::string, Held>& HeldLocks() {
  static std::map<std::string, Held> held;
  return held;
}

}  // namespace

ChangeLock::ChangeLock(platform::FileSystem& files, const std::string& dataFolder) {
  const std::string path = dataFolder + "\\" + kFileName;
  key_ = files.NativePath(path);
  if (dataFolder.empty() || key_.empty()) {
    refusal_ = "the lock " + path + " has no place on this system";
    key_.clear();
    return;
  }
  std::lock_guard<std::mutex> guard(HeldMutex());
  Held& held = HeldLocks()[key_];
  if (held.count > 0) {
    ++held.count;
    return;
  }
  bool busy = false;
  if (Take(key_, held.handle, busy)) {
    held.count = 1;
    return;
  }
  HeldLocks().erase(key_);
  key_.clear();
  refusal_ = busy ? "another program is removing, restoring or deleting quarantined items on "
                    "this machine; try again when it has finished"
                  : "the lock " + path + " cannot be taken";
}

ChangeLock::~ChangeLock() {
  if (key_.empty()) return;
  std::lock_guard<std::mutex> guard(HeldMutex());
  auto it = HeldLocks().find(key_);
  if (it == HeldLocks().end() || --it->second.count > 0) return;
  Release(it->second.handle);
  HeldLocks().erase(it);
}

}  // namespace quill
