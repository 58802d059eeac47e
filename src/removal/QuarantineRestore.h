#pragma once

#include <optional>
#include <string>
#include <vector>

#include "removal/QuarantineManifest.h"
#include "removal/RemovalInputs.h"

namespace quill {

/// What became of one item asked for.
struct RestoreOutcome {
  int id = 0;
  bool done = false;
  /// One or more lines for the user, without a final line end.
  std::string message;
};

/// Puts quarantined items back and removes them from the quarantine for good.
///
/// Files, cookies and folders go back to their original place and never over anything:
/// when the name is taken there, the restored item gets the first free name "name (2).ext"
/// and the message says so. Registry entries are written back value by value through the
/// Registry interface; a value that exists again with other data is kept and named in the
/// message. Before anything is written the copy is checked against the size and SHA-256
/// the manifest holds, and for registry entries every key is checked to be writable, so a
/// refused restore (a wineserver holding the prefix's registry) writes nothing; a write
/// that fails halfway is undone. A restored item is marked so in the manifest; its copy
/// stays until it is deleted.
class QuarantineRestore {
 public:
  explicit QuarantineRestore(const RemovalInputs& in);

  /// The manifest's items (empty optional when it cannot be read).
  std::optional<std::vector<QuarantineItem>> Items();

  /// Restores the items of these ids, in order; an id the manifest does not hold is
  /// answered as not done.
  std::vector<RestoreOutcome> Restore(const std::vector<int>& ids);
  /// Every item not restored yet.
  std::vector<RestoreOutcome> RestoreAll();

  /// Deletes the item's copy from the quarantine (unless another item shares it) and its
  /// manifest entry.
  RestoreOutcome Delete(int id);

 private:
  RestoreOutcome RestoreItem(QuarantineItem item);
  /// Why the item's copy cannot be used: its name must be a plain name of a real file (a
  /// folder for a folder item) right inside the quarantine folder.
  std::optional<std::string> CopyRefusal(const QuarantineItem& item);
  bool RestoreFile(const QuarantineItem& item, std::string& where, std::string& message);
  bool RestoreRegistry(const QuarantineItem& item, std::string& message);

  RemovalInputs in_;
  std::string folder_;
};

}  // namespace quill
