#pragma once

#include <optional>
#include <string>

namespace quill {

struct RemovalInputs;
struct RemovalRequest;

/// The part of a drive or a hive that a removal would take away.
struct RemovalShare {
  std::string place;  // "C:\" or "HKEY_CURRENT_USER"
  int percent = 0;
};

/// A removal taking more than this share of one drive or of one hive (of its keys and values)
/// is not done without the user's express agreement. A drive of the machine is measured by
/// what the user has there: its files inside the machine plus the real contents of the
/// profile folders that link outside it (Documents linked to the host's home); a drive that
/// shows the host, by the used space of its volume.
inline constexpr int kLargeRemovalPercent = 20;

/// The largest share of one drive or hive that the ticked targets of the request would
/// remove, when it is above kLargeRemovalPercent; empty otherwise. A few small items are
/// never a large removal, however empty the drive or hive: below 1 MiB of files or 100
/// registry entries nothing is counted as large.
std::optional<RemovalShare> LargeRemovalShare(const RemovalInputs& in,
                                              const RemovalRequest& request);

}  // namespace quill
