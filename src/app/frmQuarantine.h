#pragma once

#include <string>
#include <vector>

#include "forms/Control.h"
#include "forms/Form.h"
#include "forms/ListView.h"

namespace quill {

class Application;
struct RemovalInputs;

/// "Quarantine": what the quarantine holds, one row per saved item, with the commands to put
/// ticked items back, to delete them for good, and to open the quarantine folder.
class frmQuarantine : public forms::Form {
 public:
  explicit frmQuarantine(Application& app);

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
  /// Shows a language chosen while the window is loaded: its captions, the list and the
  /// last status, in that language.
  void ApplyLanguage();

  void cmdRestore_Click();
  void cmdDelete_Click();
  void cmdOpenFolder_Click();
  void cmdClose_Click();

 private:
  /// The quarantine's inputs as the program holds them now.
  RemovalInputs QuarantineInputs() const;
  /// Opens the quarantine folder in the file browser (creating it first).
  void OpenQuarantineFolder();
  /// Puts the ticked items back where they were found, and says how many went back.
  void RestoreTicked();
  /// Deletes the ticked items for good once the user agrees, and says how many went.
  void DeleteTicked();
  /// Item numbers of the ticked rows; asks the user to tick some when there are none.
  std::vector<int> TickedIds();
  /// Shows what became of the items handled last, remembering it for a language switch.
  void ShowOutcome(const char* doneKey, size_t done, size_t total);

  Application& app_;
  // The last summary shown under the list: its message and its numbers.
  const char* outcomeKey_ = nullptr;
  size_t outcomeDone_ = 0;
  size_t outcomeTotal_ = 0;
};

}  // namespace quill
