#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/posix/HostAt.h"

namespace quill::platform::posix {

/// The file system of a Wine prefix, spoken in Windows paths. Drive letters map through
/// <prefix>/dosdevices/<x>: and each path component is found without regard to case, as Wine
/// finds it (the entry spelled exactly as asked wins when there is one). Paths without a
/// drive letter, UNC paths, empty components and unknown drives are absent.
class PosixFileSystem : public FileSystem {
 public:
  explicit PosixFileSystem(std::string prefixRoot);

  std::optional<uint32_t> Attributes(const std::string& path) override;
  std::optional<std::vector<DirEntry>> List(const std::string& folder) override;
  /// Links to folders are ordinary folders here, as Wine lists them. Left out: the prefix
  /// folder and every drive's root (each is walked as its own drive), and, on a drive
  /// outside the prefix, links that lead into it.
  std::optional<std::vector<DirEntry>> ListForWalk(const std::string& folder) override;
  std::optional<FileIdentity> Identity(const std::string& path) override;
  std::optional<uint64_t> FileSize(const std::string& path) override;
  std::optional<std::string> ResolveCase(const std::string& path) override;
  std::optional<std::string> ReadFile(const std::string& path) override;
  std::optional<std::string> ReadFileRange(const std::string& path, uint64_t offset,
                                           size_t maxBytes) override;
  bool WriteFile(const std::string& path, const std::string& bytes) override;
  bool CreateNewFile(const std::string& path, const std::string& bytes) override;
  bool ReplaceFile(const std::string& path, const std::string& bytes) override;
  bool AppendFile(const std::string& path, const std::string& bytes) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool CopyFolder(const std::string& from, const std::string& to, bool overwrite) override;
  bool DeleteFile(const std::string& path) override;
  bool DeleteFolder(const std::string& path, bool force) override;
  bool Rename(const std::string& from, const std::string& to) override;
  bool CreateFolder(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  /// Decided by where the path really ends, through every link on the way (see
  /// PosixLocate.cpp): the prefix's own files by any path are MachineFiles.
  Place Locate(const std::string& path) override;
  std::string NativePath(const std::string& path) override;
  std::string FromNativePath(const std::string& nativePath) override;

  /// A folder no drive maps (a prefix without Z:) is named the way Wine's default Z: drive
  /// would name it; nothing else on that drive becomes reachable.
  std::string NameHostFolder(const std::string& nativeFolder) override;

  /// A Windows path taken apart: upper-case drive letter and the components left after "."
  /// and ".." were applied (".." stops at the drive's root). Empty when the path is not an
  /// absolute drive path or has an empty or invalid component.
  struct WindowsPath {
    char drive = 'C';
    std::vector<std::string> parts;
  };
  static std::optional<WindowsPath> Parse(const std::string& path);

  /// The prefix folder and the drive folders that belong to the machine, by identity.
  struct MachineFolders {
    std::optional<host::FileId> prefix;
    std::vector<host::FileId> drives;
    std::array<bool, 26> machineDrive{};
  };

  /// For tests: called with each entry's name before a tree deletion or copy handles it.
  host::EntryHook treeEntryHook;

  /// Host folder a drive letter maps to (symbolic links resolved); empty when unmapped.
  std::string DriveRoot(char letter) const;

 private:
  enum class Need { Whole, Parent, Lexical };
  struct Resolved {
    std::string native;   // host path
    std::string windows;  // the path with components spelled as on disk
    bool exists = false;
    bool isRoot = false;
  };
  std::optional<Resolved> Resolve(const std::string& path, Need need) const;
  /// The host folder a parsed path starts from when no drive maps its letter: the folder
  /// named by NameHostFolder when the path lies in it, else empty.
  std::string UnmappedRoot(const WindowsPath& parsed) const;
  // An entry to work on: the folder it is in, opened (following the machine's own mapping
  // on the way there), and its name in that folder.
  struct Entry {
    host::Fd folder;
    std::string name;
    std::string native;
    std::string parent;
  };
  // Opens the entry's folder; empty when the entry is one of the prefix's own files.
  std::optional<Entry> OpenEntry(const std::string& path, Need need) const;

  MachineFolders Machine() const;
  // Whether the entry `name` of the open folder is the prefix folder or lies in it outside
  // the drive folders: writing, copying and deleting never touch those, by any path.
  bool PrefixOwn(int folder, const std::string& name) const;
  // A tree walk that never enters the prefix folder or a drive folder.
  host::TreeWalk Walk() const;
  std::optional<std::vector<DirEntry>> ListEntries(const std::string& folder, bool forWalk);

  // The folders a walk leaves out, by identity: the prefix and the drives' roots. Made
  // again when the drive mappings change.
  struct WalkBarriers {
    int64_t devicesStamp = -1;
    std::vector<std::pair<uint64_t, uint64_t>> folders;
    std::string prefixReal;  // the prefix folder with links resolved
  };
  const WalkBarriers& Barriers();
  // Whether a walk leaves out the subfolder `name` (identity `id`) of `folder` (host path
  // `native`): a barrier, or a link from a drive outside the prefix into the prefix.
  // `driveInPrefix` keeps the answer about the folder's drive for the rest of the listing.
  bool LeftOutOfWalk(const std::string& folder, const std::string& native, const std::string& name,
                     bool link, const std::pair<uint64_t, uint64_t>& id,
                     const WalkBarriers& barriers, std::optional<bool>& driveInPrefix);
  WalkBarriers barriers_;
  std::mutex barriersMutex_;

  // The host folders of the subfolders that walk listings found, by the Windows path a walk
  // enters them under (exactly "C:\\A\\B\\"): entering one then needs no path resolution.
  // An entry is used once; one that no longer opens falls back to resolving the path.
  std::string TakeWalkFolder(const std::string& folder);
  void RememberWalkFolder(const std::string& folder, const std::string& name, std::string native);
  std::unordered_map<std::string, std::string> walkFolders_;
  std::mutex walkFoldersMutex_;

  std::string root_;
  // Each drive's resolved folder, with the identity of the folder it was resolved for.
  struct KnownDrive {
    uint64_t device = 0;
    uint64_t inode = 0;
    std::string root;
  };
  mutable std::mutex drivesMutex_;
  mutable std::array<KnownDrive, 26> drives_;
  /// The folder NameHostFolder named outside every drive ("" when none), and its Windows
  /// path's components below Z:.
  std::string unmappedFolder_;
  std::vector<std::string> unmappedParts_;
};

}  // namespace quill::platform::posix
