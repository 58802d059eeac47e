#pragma once

#include "views/FormView.h"

class QPushButton;

namespace quill {
class Application;
class frmAbout;
}  // namespace quill

namespace quill::gui {

/// The about box.
class AboutView : public FormView {
  Q_OBJECT

 public:
  AboutView(Application& app, frmAbout& form);
  QPushButton* OkButton() const { return ok_; }

 private:
  QPushButton* ok_;
};

}  // namespace quill::gui
