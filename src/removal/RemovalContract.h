#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Registry.h"

namespace quill {

class ProtectedFloor;
namespace platform {
class FileSystem;
}

/// What a removal or a restore handles at a place: a single file (a cookie is one too) or a
/// folder with everything in it.
enum class ItemShape { File, Folder };

/// The places a removal may touch, in one place. A removal deletes only what a scan found,
/// after saving it to the quarantine; the quarantine copy, the deletion and a later restore
/// to the same original all ask here first, and do nothing where this refuses:
///
/// - The path must be a full drive path that does not climb ("." or ".." names), and never a
///   drive root.
/// - Inside the machine's own drives the protected floor decides, as it does everywhere.
/// - Below a profile folder that links outside the machine (Documents linked to the host's
///   home) files and ordinary folders stay removable, but never the linked folder itself and
///   never a hidden entry (a name starting with ".", such as .ssh, .config, .local, .wine)
///   or anything below one.
/// - Through a drive that maps outside the machine (Z:) only a single file, never a folder
///   and never a hidden entry or anything below one; and nothing is restored there (the
///   saved copy stays in the quarantine): a restore writes only inside the machine and its
///   linked profile folders.
/// - The machine's own files beside its drives (hives, drive mappings), by whatever path
///   leads there, and paths that cannot be mapped: never.
///
/// Links themselves are handled by the file system: every deletion, copy and write of the
/// removal works from folder descriptors without following a link, so a link is removed as a
/// link and never what it points to.
class RemovalContract {
 public:
  RemovalContract(platform::FileSystem& files, const ProtectedFloor& floor)
      : files_(files), floor_(floor) {}

  /// Empty when the item at path may be removed (with restore: put back there); otherwise
  /// why not, one line naming the place.
  std::optional<std::string> Refusal(std::string_view path, ItemShape shape,
                                     bool restore = false) const;

  /// Empty when a registry key (valueName empty: the key with its default value) or a value
  /// may be removed or restored; otherwise why not.
  static std::optional<std::string> KeyRefusal(platform::RootKey root, std::string_view keyPath,
                                               std::string_view valueName);

 private:
  platform::FileSystem& files_;
  const ProtectedFloor& floor_;
};

/// Whether a path names "." or ".." anywhere (either separator).
bool Climbs(std::string_view path);

/// Whether the path, with every link on the way followed, stays on the machine's own drives:
/// what the quarantine writes and reads must, so that nothing planted there as a link leads
/// its writes or reads elsewhere.
bool StaysOnMachine(platform::FileSystem& files, const std::string& path);

}  // namespace quill
