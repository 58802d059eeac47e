#pragma once

#include "views/FormView.h"

class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace quill {
class Application;
class frmSplash;
class frmAbout;
class frmLanguage;
class frmReport;
class frmDelete;
class frmQuarantine;
}  // namespace quill

namespace quill::gui {

class ListWidget;

/// The splash window: the shield and the product name on a frameless card.
class SplashView : public FormView {
  Q_OBJECT

 public:
  SplashView(Application& app, frmSplash& form);
};

/// The about box.
class AboutView : public FormView {
  Q_OBJECT

 public:
  AboutView(Application& app, frmAbout& form);
  QPushButton* OkButton() const { return ok_; }

 private:
  QPushButton* ok_;
};

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
