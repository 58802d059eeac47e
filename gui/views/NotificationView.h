#pragma once

#include "views/FormView.h"

class QLabel;
class QLayout;
class QPushButton;

namespace quill {
class Application;
class frmSignatureUpdated;
}  // namespace quill

namespace quill::gui {

/// The sliding "definitions updated" notice: a frameless card that stays on top without
/// taking the focus. The model places and moves it; the view only follows, converting twips
/// to pixels with the screen's own density.
class NotificationView : public FormView {
  Q_OBJECT

 public:
  NotificationView(Application& app, frmSignatureUpdated& form);
  QLabel* Message() const { return message_; }
  QPushButton* OkButton() const { return ok_; }

 private:
  void FollowModel();
  /// Asks the model for the height the message needs, so that no language's text is cut off.
  void FitText();
  Application& app_;
  frmSignatureUpdated& form_;
  QLayout* column_;
  QLabel* message_;
  QPushButton* ok_;
};

}  // namespace quill::gui
