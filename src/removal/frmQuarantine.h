#pragma once

#include <vector>

#include "forms/Control.h"
#include "forms/Form.h"
#include "forms/ListView.h"

namespace quill {

class ProgramContext;

/// "Quarantine": what the quarantine holds, one row per saved item, with the commands to put
/// ticked items back, to delete them for good, and to open the quarantine folder.
class frmQuarantine : public forms::Form {
 public:
  explicit frmQuarantine(ProgramContext& app);

  forms::Label lblInfo{*this, "lblInfo",
                       "Removed items are kept here. Tick the items you want back in their "
                       "place, or the ones to delete for good."};
  forms::ListView lvwQuarantine{*this,
                                "lvwQuarantine",
                                {"No.", "Date", "Kind", "Original Location", "Saved As", "State"},
                                true};
  forms::Label lblStatus{*this, "lblStatus"};
  forms::CommandButton cmdRestore{*this, "cmdRestore", "Restore"};
  forms::CommandButton cmdDelete{*this, "cmdDelete", "Delete"};
  forms::CommandButton cmdOpenFolder{*this, "cmdOpenFolder", "Open Folder"};
  forms::CommandButton cmdClose{*this, "cmdClose", "Close"};

  /// Fills the list from the manifest.
  void Refresh();

  void cmdRestore_Click();
  void cmdDelete_Click();
  /// Opens the quarantine folder in the file browser (creating it first).
  void cmdOpenFolder_Click();
  void cmdClose_Click();

 private:
  /// Item numbers of the ticked rows; asks the user to tick some when there are none.
  std::vector<int> TickedIds();
  ProgramContext& app_;
};

}  // namespace quill
