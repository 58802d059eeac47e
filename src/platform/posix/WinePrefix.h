#pragma once

#include <string>

namespace quill::platform::posix {

/// The Windows machine the posix backend protects: a Wine prefix folder (drive_c, dosdevices,
/// the registry hives). Chosen once at start-up.
class WinePrefix {
 public:
  /// Picks the prefix: the explicit folder when given, else $WINEPREFIX, else ~/.wine when it
  /// exists, else the program's own prefix under ${XDG_DATA_HOME:-~/.local/share}/quillonet.
  /// Only that last one is created (with Wine's folder layout) when it does not exist yet or
  /// is empty; a named folder is taken as it is, and may be no usable prefix. Never throws.
  static WinePrefix Resolve(const std::string& explicitPrefix);

  /// Creates Wine's folder layout under root for the given user: drive_c with the user's
  /// profile, the public profile, ProgramData, windows, Program Files, and the dosdevices
  /// links "c:" and "z:". Existing folders are kept. False when something could not be made.
  static bool CreateDefaultLayout(const std::string& root, const std::string& user);

  /// The folder under drive_c/users that holds the current user's profile in the prefix at
  /// root: the Unix user name when that folder exists, else the only other profile folder
  /// there (a prefix made by another account), else the Unix user name.
  static std::string UserNameOf(const std::string& root);

  /// Name of the account running this program ("user" when it cannot be found).
  static std::string UnixUserName();

  explicit WinePrefix(std::string root);

  /// Absolute folder of the prefix, without a trailing slash.
  const std::string& Root() const { return root_; }
  /// The current user's profile folder name under drive_c/users.
  std::string UserName() const;
  /// Whether the prefix has a drive C mapping (a usable machine).
  bool Usable() const;

 private:
  std::string root_;
};

}  // namespace quill::platform::posix
