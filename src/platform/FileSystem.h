#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quill::platform {

/// Attribute bits, with the platform's values.
inline constexpr uint32_t kAttrReadOnly = 1;
inline constexpr uint32_t kAttrHidden = 2;
inline constexpr uint32_t kAttrSystem = 4;
inline constexpr uint32_t kAttrDirectory = 16;
inline constexpr uint32_t kAttrArchive = 32;
/// A folder that is a link to another place: listed, but a tree walk does not enter it.
inline constexpr uint32_t kAttrReparsePoint = 1024;

struct DirEntry {
  std::string name;  // as stored on disk
  uint32_t attributes = 0;
  uint64_t size = 0;
  /// The folder's identity (volume and file number) when the system tells it, else 0 and 0:
  /// two entries with the same non-zero identity are one folder.
  uint64_t volume = 0;
  uint64_t fileIndex = 0;
  /// False when the hidden and system bits of a file were not read (a walk's listing); ask
  /// Attributes() for them when they matter.
  bool dosBitsKnown = true;
};

/// The identity of a file or folder (see DirEntry).
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t fileIndex = 0;
};

/// Where a path leads, for deciding what a removal may do there.
enum class PlaceKind {
  /// Inside the machine's own drives (on Windows every local path).
  Machine,
  /// A folder of the machine that links to a folder outside it (a profile folder linked to
  /// the host's home), or something below one; Place::linkedFolder names the link.
  LinkedFolder,
  /// Through a drive that maps outside the machine (Z: showing the host's file system).
  Host,
  /// The machine's own files outside its drives (the prefix folder with its hives and drive
  /// mappings), by whatever path leads there.
  MachineFiles,
  /// A path that cannot be mapped.
  Unknown,
};

struct Place {
  PlaceKind kind = PlaceKind::Unknown;
  /// For LinkedFolder: the Windows path of the linked folder itself.
  std::string linkedFolder;
};

/// The file system, spoken in Windows paths ("C:\Users\me\file.txt"). Component names are
/// matched without regard to case. Every call reports failure by its result.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  /// Attributes of a file or folder; empty when absent.
  virtual std::optional<uint32_t> Attributes(const std::string& path) = 0;
  /// Entries of a folder, without "." and "..", in the file system's order; empty when the
  /// folder cannot be read.
  virtual std::optional<std::vector<DirEntry>> List(const std::string& folder) = 0;
  /// The entries a tree walk of the whole machine goes through: as List, except that
  /// folders are shown the way the system's own programs see them (a folder the system
  /// links elsewhere is an ordinary folder, carrying its identity), a folder the walk will
  /// meet elsewhere anyway (another drive's root, the machine's own files seen through
  /// another drive) is left out, and the hidden and system bits of files may be left
  /// unread (dosBitsKnown).
  virtual std::optional<std::vector<DirEntry>> ListForWalk(const std::string& folder) {
    return List(folder);
  }
  /// The identity of a folder; empty when unknown.
  virtual std::optional<FileIdentity> Identity(const std::string&) { return std::nullopt; }
  virtual std::optional<uint64_t> FileSize(const std::string& path) = 0;
  /// The path with each existing component spelled as on disk (case resolved);
  /// empty when the path does not exist.
  virtual std::optional<std::string> ResolveCase(const std::string& path) = 0;

  /// Whole file as bytes. Only ordinary files are read: a device, pipe or socket under a
  /// file's name is not.
  virtual std::optional<std::string> ReadFile(const std::string& path) = 0;
  /// At most maxBytes of a file from offset on (fewer at its end), with the same rules as
  /// ReadFile: for looking into files that may be huge.
  virtual std::optional<std::string> ReadFileRange(const std::string& path, uint64_t offset,
                                                   size_t maxBytes) {
    auto bytes = ReadFile(path);
    if (!bytes) return std::nullopt;
    if (offset >= bytes->size()) return std::string();
    return bytes->substr(static_cast<size_t>(offset), maxBytes);
  }
  // Writing, copying and deleting never follow a link at the path itself or anywhere below
  // it: the folders above the path are found the way the machine maps them (its drives,
  // linked profile folders), and from there every entry is opened relative to the folder it
  // was found in, without following links (openat/fstatat/unlinkat with O_NOFOLLOW; on
  // Windows FILE_FLAG_OPEN_REPARSE_POINT). A link is written over, copied or deleted as a
  // link, never what it points to, and an entry swapped for a link while a call runs is met
  // as that link: the call removes the link or fails, it never goes through it.

  /// Creates or truncates, then writes the bytes. A link at the path is not written through:
  /// the call fails.
  virtual bool WriteFile(const std::string& path, const std::string& bytes) = 0;
  /// Creates a new file holding the bytes; fails when anything (a file, folder or link, even
  /// a dangling one) already has that name. Nothing else is ever touched.
  virtual bool CreateNewFile(const std::string& path, const std::string& bytes) {
    if (Attributes(path)) return false;
    return WriteFile(path, bytes);
  }
  /// Creates or replaces the file so that a reader (even after a crash) finds either the old
  /// or the new bytes, never a mix. Backends that cannot do better write it in place.
  virtual bool ReplaceFile(const std::string& path, const std::string& bytes) {
    return WriteFile(path, bytes);
  }
  /// Appends to an ordinary file (creates it when absent); never through a link.
  virtual bool AppendFile(const std::string& path, const std::string& bytes) = 0;

  /// Copies one ordinary file; with failIfExists the destination is created new (fails when
  /// any entry has its name). A source that is a link is not copied.
  virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
  /// Copies a whole tree; with overwrite false every destination entry is created new and an
  /// existing one fails the copy. Links inside the source are not followed. Returns true only
  /// when every file and folder was copied.
  virtual bool CopyFolder(const std::string& from, const std::string& to, bool overwrite) = 0;
  /// Deletes a file, or a link as a link.
  virtual bool DeleteFile(const std::string& path) = 0;
  /// Deletes a folder with everything in it; force also removes read-only entries. A link at
  /// the path or inside the tree is removed as a link. True only when all of it is gone.
  virtual bool DeleteFolder(const std::string& path, bool force) = 0;
  virtual bool Rename(const std::string& from, const std::string& to) = 0;
  /// Creates one folder (its parent must exist).
  virtual bool CreateFolder(const std::string& path) = 0;
  virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;

  /// Where the path leads (it need not exist; the folders above it are looked at).
  virtual Place Locate(const std::string&) { return {PlaceKind::Machine, {}}; }

  /// Where a Windows path lives on the host ("" when it cannot be mapped). On Windows the
  /// path itself.
  virtual std::string NativePath(const std::string& path) = 0;
  /// The Windows path of a host path (through the drive mappings); "" when no drive maps it.
  virtual std::string FromNativePath(const std::string& nativePath) = 0;
  /// The Windows name of a host folder the program reads its own files from: as
  /// FromNativePath, but a folder no drive maps still gets a name that this file system
  /// reads (for that folder and below it only); "" when it cannot be named.
  virtual std::string NameHostFolder(const std::string& nativeFolder) {
    return FromNativePath(nativeFolder);
  }
};

}  // namespace quill::platform
