#pragma once

#include "views/FormView.h"

class QLabel;
class QPushButton;

namespace quill {
class Application;
class frmHomePageChangedAlert;
}  // namespace quill

namespace quill::gui {

/// The home page shield's question: the product name, the seven-line message and
/// "Yes" (keep the remembered page) / "No" (take the new one).
class HomePageAlertView : public FormView {
  Q_OBJECT

 public:
  HomePageAlertView(Application& app, frmHomePageChangedAlert& form);
  QLabel* Info() const { return info_; }
  QPushButton* YesButton() const { return yes_; }
  QPushButton* NoButton() const { return no_; }

 private:
  QLabel* info_;
  QPushButton* yes_;
  QPushButton* no_;
};

}  // namespace quill::gui
