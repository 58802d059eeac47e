#pragma once

namespace quill {

class FindingList;
class frmDelete;

namespace forms {
class Label;
class ListView;
class ProgressBar;
}  // namespace forms

/// What a removal run needs from the window that shows it: the work lists the scan filled,
/// the results rows they mirror, the removal's progress display and the failed-deletions
/// list. The main window provides it.
class RemovalWindow {
 public:
  virtual ~RemovalWindow() = default;
  /// The hidden work lists that hand the finds over to the removal.
  virtual forms::ListView& FilesToDelete() = 0;
  virtual forms::ListView& RegistryToDelete() = 0;
  virtual forms::ListView& CookiesToDelete() = 0;
  /// What the scan found: a removal records what became of each finding it acted on.
  virtual FindingList& Findings() = 0;
  /// The results list the user ticked (each row's tag is the finding it shows).
  virtual forms::ListView& ResultsList() = 0;
  /// The progress display: the bar, the percentage line and the line naming the item.
  virtual forms::ProgressBar& RemovalBar() = 0;
  virtual forms::Label& RemovalPercentage() = 0;
  virtual forms::Label& RemovalItem() = 0;
  /// The list of items that could not be deleted (made on first use).
  virtual frmDelete& DeleteFailed() = 0;
};

}  // namespace quill
