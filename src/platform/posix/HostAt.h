#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

/// Host file operations relative to an open folder that never follow a link at the name they
/// are given or anywhere below it: every entry is opened with O_NOFOLLOW relative to the
/// descriptor of the folder it was found in, so an entry swapped for a link while an
/// operation runs is met as that link (removed as a link, or the operation fails).
namespace quill::platform::posix::host {

/// An open file descriptor, closed with the object.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd();
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept;
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return fd_; }
  bool Ok() const { return fd_ >= 0; }
  /// Closes it; false when closing reported an error (unwritten data).
  bool Close();

 private:
  int fd_ = -1;
};

/// Called with each entry's name before a tree walk below handles it (tests use it to change
/// the tree while the walk runs).
using EntryHook = std::function<void(const std::string& name)>;
using FileId = std::pair<uint64_t, uint64_t>;  // device and inode

/// How a tree walk below goes: the folders it never enters (by identity; meeting one fails
/// the walk) and the hook it calls before each entry.
struct TreeWalk {
  std::vector<FileId> barriers;
  const EntryHook* hook = nullptr;
};

/// The entry's status without following a link; false when absent.
bool StatAt(int folder, const std::string& name, struct stat& st);
/// Opens a subfolder; fails on a link or anything but a folder.
Fd OpenFolderAt(int folder, const std::string& name);
/// Opens an ordinary file for reading; fails on a link, a device, a pipe.
Fd OpenFileAt(int folder, const std::string& name, struct stat& st);
/// The names in an open folder, "." and ".." left out; ok tells whether it could be read.
std::vector<std::string> NamesIn(int folder, bool& ok);
/// The entry whose name equals name without regard to case, exact spelling first ("" if none).
std::string NameNoCaseIn(int folder, const std::string& name);

/// Creates a new file (O_CREAT | O_EXCL | O_NOFOLLOW) holding bytes, with the given
/// permission bits; fails when any entry has the name. A file left half written is removed.
bool CreateNewAt(int folder, const std::string& name, const std::string& bytes, mode_t mode);
/// Writes into the ordinary file `name` (created when absent): appended or truncated first.
/// Never through a link, never into a file with other hard links, never a read-only one.
bool WriteAt(int folder, const std::string& name, const std::string& bytes, bool append);
/// Replaces the entry `name` (an ordinary file or nothing) with a new file holding bytes, in
/// one rename: a reader finds the old or the new bytes. Keeps the old permission bits.
bool ReplaceAt(int folder, const std::string& name, const std::string& bytes);
/// Copies the ordinary file `from` to `to`: created new when failIfExists, else replacing an
/// ordinary, writable file of that name (never a link, never the source itself).
bool CopyFileAt(int fromFolder, const std::string& from, int toFolder, const std::string& to,
                bool failIfExists);
/// Copies the folder `from` to `to`, made new unless overwrite (then merged into a folder of
/// that name). Links inside are copied as links. True only when everything was copied.
bool CopyTreeAt(int fromFolder, const std::string& from, int toFolder, const std::string& to,
                bool overwrite, const TreeWalk& walk);
/// Removes the entry and, for a folder, everything in it; a link anywhere is removed as a
/// link. Without force a read-only entry stays and the call fails.
bool RemoveTreeAt(int folder, const std::string& name, bool force, const TreeWalk& walk);

}  // namespace quill::platform::posix::host
