#pragma once

#include "views/FormView.h"

class QPlainTextEdit;
class QPushButton;

namespace quill {
class Application;
class frmReport;
}  // namespace quill

namespace quill::gui {

/// The scan report viewer ("Log").
class ReportView : public FormView {
  Q_OBJECT

 public:
  ReportView(Application& app, frmReport& form);
  QPlainTextEdit* Report() const { return text_; }
  QPushButton* OkButton() const { return ok_; }

 private:
  QPlainTextEdit* text_;
  QPushButton* ok_;
};

}  // namespace quill::gui
