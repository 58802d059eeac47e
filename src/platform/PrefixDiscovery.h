#pragma once

#include <string>
#include <vector>

namespace quill::platform {

/// The folders of the user's account where Wine prefixes are looked for.
struct PrefixSearchPlaces {
  /// The home folder; empty: nothing below it is searched.
  std::string home;
  /// $WINEPREFIX as set (may be empty).
  std::string winePrefix;
  /// $XDG_DATA_HOME and $XDG_CONFIG_HOME; a relative or empty value means the default under
  /// home (~/.local/share, ~/.config).
  std::string dataHome;
  std::string configHome;

  /// The places of the account running this program, from its environment.
  static PrefixSearchPlaces OfCurrentUser();
};

/// A Wine prefix found on the host, with where it was found.
struct FoundPrefix {
  /// Absolute folder of the prefix.
  std::string path;
  /// Where it came from: "WINEPREFIX", "wine", "wineprefixes", "bottles", "lutris", "steam",
  /// "playonlinux" or "default" (the program's own prefix).
  std::string source;
  /// What that source calls it (a bottle's or game's name, a Steam app id); may be empty.
  std::string name;
};

/// Every Wine prefix of the user the known places name, each once (the first place that names
/// a folder wins), in the order of the sources above. Only folders that hold the machine and
/// user hives and drive C: are listed (the program's own prefix, made without hives, by its
/// drive C: mapping); nothing is created or written. Files read on the way
/// (library lists, game configurations) are read within bounds and may hold anything.
/// Windows has no Wine prefixes: the list is empty there.
std::vector<FoundPrefix> DiscoverPrefixes(const PrefixSearchPlaces& places);

}  // namespace quill::platform
