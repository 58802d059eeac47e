#pragma once

#include "views/FormView.h"

class QLabel;
class QPushButton;

namespace quill {
class Application;
class frmMenuPopUp;
}  // namespace quill

namespace quill::gui {

/// The tray icon's slide-up menu: a frameless card above everything, placed and moved by the
/// model. Pointer movement over it keeps it open; "Close This Menu" turns bold under the
/// pointer.
class MenuPopUpView : public FormView {
  Q_OBJECT

 public:
  MenuPopUpView(Application& app, frmMenuPopUp& form);
  QPushButton* ShowButton() const { return show_; }
  QPushButton* ExitButton() const { return exit_; }
  QPushButton* CloseButton() const { return close_; }

 protected:
  void mouseMoveEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FollowModel();
  Application& app_;
  frmMenuPopUp& form_;
  QPushButton* show_;
  QPushButton* exit_;
  QPushButton* close_;
};

}  // namespace quill::gui
