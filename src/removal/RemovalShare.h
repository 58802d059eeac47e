#pragma once

#include <optional>
#include <string>

namespace quill {

class ProgramContext;
class RemovalWindow;

/// The part of a drive or a hive that a removal would take away.
struct RemovalShare {
  std::string place;  // "C:\" or "HKEY_CURRENT_USER"
  int percent = 0;
};

/// A removal taking more than this share of one drive (of its used space) or of one hive
/// (of its keys and values) is not done without the user's express agreement.
inline constexpr int kLargeRemovalPercent = 20;

/// The largest share of one drive or hive that the ticked rows of the work lists would
/// remove, when it is above kLargeRemovalPercent; empty otherwise. A few small items are
/// never a large removal, however empty the drive or hive: below 1 MiB of files or 100
/// registry entries nothing is counted as large.
std::optional<RemovalShare> LargeRemovalShare(ProgramContext& app, RemovalWindow& main);

}  // namespace quill
