#pragma once

#include "views/FormView.h"

class QComboBox;
class QPushButton;

namespace quill {
class Application;
class frmLanguage;
}  // namespace quill

namespace quill::gui {

/// The language chooser.
class LanguageView : public FormView {
  Q_OBJECT

 public:
  LanguageView(Application& app, frmLanguage& form);
  QComboBox* Languages() const { return combo_; }
  QPushButton* OkButton() const { return ok_; }

 private:
  QComboBox* combo_;
  QPushButton* ok_;
};

}  // namespace quill::gui
