#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace quill {

/// The places no definition can have removed, whatever the definition files say: the
/// containers that hold the machine together, never what is inside them (spyware in the
/// system folder or under a vendor's key stays removable).
///
/// Folders: every drive root; the Windows folder and the system folders; the program-files
/// roots; the users folder, every profile in it and the known folders of each; the common
/// known folders; and every folder that holds one of these (deleting it would delete them);
/// the top-level folders of a drive that shows the whole host file system.
/// The program's own folder and its data folder are kept whole, contents included.
///
/// Keys: the registry roots, every key directly below a root, the vital keys (Microsoft and
/// Classes under Software, the CurrentVersion keys with their Run keys, the current control
/// set and the control sets it names) and every key that holds one of them; every
/// first-level key of the classes root. Values stay removable, except a protected
/// key's default value.
///
/// Paths are compared in the form deletion uses (location::CanonicalFilePath, then through
/// the file system's own mapping, so that a second drive letter leading to the same folder
/// is caught), without regard to case.
class ProtectedFloor {
 public:
  ProtectedFloor(platform::FileSystem& files, platform::Shell& shell)
      : files_(files), shell_(shell) {}

  /// Gathers the machine's folders anew (they can change between scans).
  void Refresh(const std::string& dataFolder, const std::string& programFolder);

  /// Whether removing the file or folder at path is refused.
  bool ProtectsPath(std::string_view path) const;
  /// Whether the key itself (its deletion, or its default value's) is refused.
  static bool ProtectsKey(platform::RootKey root, std::string_view keyPath);
  /// Whether a value is refused: only a protected key's default value is.
  static bool ProtectsValue(platform::RootKey root, std::string_view keyPath,
                            std::string_view valueName);
  /// Whether the folder is the data folder or the program folder, or inside one of them,
  /// by any drive that leads there: scans do not look into them. Compared by the text alone
  /// (cheap enough for every folder a walk meets).
  bool IsOwnFolder(std::string_view folder) const;

 private:
  /// Lower-case canonical form of path with the folder that holds it resolved through the
  /// file system: the same text for every way of writing one place.
  std::string Identity(const std::string& canonical) const;
  void AddWithHolders(const std::string& folder);
  void AddProfiles();
  void AddOwnFolder(const std::string& folder);

  platform::FileSystem& files_;
  platform::Shell& shell_;
  std::unordered_set<std::string> folders_;  // identities of protected folders
  std::vector<std::string> ownIdentities_;   // kept whole
  std::vector<std::string> ownAliases_;      // the same, as written through every drive
  std::vector<char> wholeHostDrives_;        // drives showing the whole host file system
};

}  // namespace quill
