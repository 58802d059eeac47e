#pragma once

#include "views/FormView.h"

class QLabel;
class QPushButton;

namespace quill {
class Application;
class frmSpywareFoundAlert;
}  // namespace quill

namespace quill::gui {

/// The process shield's alert: which program was found, by whom it is published, and
/// "STOP" / "ALLOW". Not modal: the main window stays usable.
class ProcessAlertView : public FormView {
  Q_OBJECT

 public:
  ProcessAlertView(Application& app, frmSpywareFoundAlert& form);
  QLabel* FileName() const { return file_; }
  QLabel* Company() const { return company_; }
  QPushButton* StopButton() const { return stop_; }
  QPushButton* AllowButton() const { return allow_; }

 private:
  QLabel* file_;
  QLabel* company_;
  QPushButton* stop_;
  QPushButton* allow_;
};

}  // namespace quill::gui
