#pragma once

#include "views/FormView.h"

namespace quill {
class Application;
class frmQuarantine;
}  // namespace quill

namespace quill::gui {

class ListWidget;

/// "Quarantine": the saved items, with Restore, Delete and Open Folder.
class QuarantineView : public FormView {
  Q_OBJECT

 public:
  QuarantineView(Application& app, frmQuarantine& form);
  ListWidget* Items() const { return list_; }

 protected:
  /// Closing hides the window, as its Close button does.
  void CloseRequested() override;

 private:
  ListWidget* list_;
};

}  // namespace quill::gui
