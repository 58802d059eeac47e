#pragma once

#include <QWidget>
#include <initializer_list>

#include "forms/Form.h"
#include "forms/Host.h"
#include "views/Binding.h"

class QHBoxLayout;

namespace quill::gui {

/// A top-level window bound to its form: the title follows the form's caption, closing the
/// window unloads the form (which may refuse), and the window state the user picks (minimize,
/// maximize, restore) is told to the form. Showing and hiding are the host's business: it
/// follows the form's visibility.
class FormView : public QWidget {
  Q_OBJECT

 public:
  explicit FormView(forms::Form& form, QWidget* parent = nullptr);
  forms::Form& Model() const { return form_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  /// What closing the window does; by default the form unloads.
  virtual void CloseRequested();
  /// Size and place the window as the model says (twips), with the screen's own density:
  /// for the windows the model moves itself (the sliding ones).
  void FollowModelGeometry(const forms::ScreenMetrics& screen);
  Binder binder_;

 private:
  forms::Form& form_;
};

/// A dialog's row of buttons, pushed to the right.
QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons);

}  // namespace quill::gui
