#pragma once

#include <optional>
#include <string>

namespace quill {

namespace platform {
class FileSystem;
}

/// One program at a time changes a machine: a removal, a restore and a deletion from the
/// quarantine each hold this lock while they work. It is an exclusive lock on the file
/// "ChangeLock.lock" in the data folder (flock on the host; a file opened without sharing on
/// Windows), so it goes with the process, however that ends. Taking it again inside the
/// process that holds it succeeds: the outermost holder lets it go.
class ChangeLock {
 public:
  /// Tries once, without waiting.
  ChangeLock(platform::FileSystem& files, const std::string& dataFolder);
  ~ChangeLock();
  ChangeLock(const ChangeLock&) = delete;
  ChangeLock& operator=(const ChangeLock&) = delete;

  /// Empty while the lock is held; otherwise why it could not be taken, for the user.
  const std::optional<std::string>& Refusal() const { return refusal_; }

  static constexpr const char* kFileName = "ChangeLock.lock";

 private:
  std::string key_;
  std::optional<std::string> refusal_;
};

}  // namespace quill
