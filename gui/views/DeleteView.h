#pragma once

#include "views/FormView.h"

namespace quill {
class Application;
class frmDelete;
}  // namespace quill

namespace quill::gui {

class ListWidget;

/// "Delete Failed": the files that are still there after removal.
class DeleteView : public FormView {
  Q_OBJECT

 public:
  DeleteView(Application& app, frmDelete& form);
  ListWidget* Problems() const { return list_; }

 protected:
  /// Closing only hides the list, as its OK button does: the next removal refills it.
  void CloseRequested() override;

 private:
  ListWidget* list_;
};

}  // namespace quill::gui
