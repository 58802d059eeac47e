#pragma once

#include <cstdint>
#include <string>

namespace quill {

/// What a removal run tells the one who watches it, and the one question it may ask. The
/// main window shows it on the results page; the command line and the scheduler's removal
/// watch nothing, and this base does nothing and agrees to nothing.
class RemovalWindow {
 public:
  virtual ~RemovalWindow() = default;
  /// The run goes ahead (the lock is held and the user agreed): the window turns to it.
  virtual void RemovalStarted() {}
  /// The progress display (bar, percentage line, item line) appears.
  virtual void ShowRemovalProgress() {}
  virtual void ShowRemovalPercentage(const std::string& /*line*/) {}
  virtual void ShowRemovalItem(const std::string& /*item*/) {}
  /// The bar's end, and its place (a place beyond the end is not shown).
  virtual void SetRemovalBarEnd(int64_t /*end*/) {}
  virtual void SetRemovalBar(int64_t /*value*/) {}
  /// Asked, when the user is there, before a removal of a large share of a drive or hive.
  virtual bool AgreesToLargeRemoval(const std::string& /*question*/) { return false; }
  /// Told, when the user is there, that another program is changing the machine.
  virtual void ShowRemovalRefused(const std::string& /*why*/) {}
};

}  // namespace quill
