#include "views/FormView.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QWindowStateChangeEvent>
#include <algorithm>

#include "app/TrayMainWindow.h"
#include "views/Artwork.h"

namespace quill::gui {

FormView::FormView(forms::Form& form, QWidget* parent)
    : QWidget(parent, Qt::Window), binder_(this), form_(form) {
  setWindowIcon(artwork::AppIcon());
  auto title = [this] { setWindowTitle(DisplayText(form_.Caption())); };
  title();
  form_.Changed().Subscribe(title);
}

void FormView::closeEvent(QCloseEvent* event) {
  // The form decides: its query-unload may keep it open, and its unload hides it.
  event->ignore();
  CloseRequested();
}

void FormView::CloseRequested() {
  if (form_.Loaded())
    form_.Unload();
  else
    hide();
}

void FormView::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !form_.Loaded()) return;
  forms::WindowState state = forms::WindowState::Normal;
  if (windowState() & Qt::WindowMinimized)
    state = forms::WindowState::Minimized;
  else if (windowState() & Qt::WindowMaximized)
    state = forms::WindowState::Maximized;
  if (state == form_.State()) return;
  // Restored from the task bar after it went to a missing notification area: the form is
  // shown again as the tray's "Show Program" would.
  const bool restoring = state != forms::WindowState::Minimized && !form_.Visible();
  if (auto* main = dynamic_cast<TrayMainWindow*>(&form_); main && restoring) {
    main->RestoreFromTray();
    if (state == forms::WindowState::Maximized) form_.SetState(state);
    return;
  }
  form_.SetState(state);
  if (restoring) form_.Show();
}

void FormView::FollowModelGeometry(const forms::ScreenMetrics& screen) {
  const int perPixelX = std::max(1, screen.twipsPerPixelX);
  const int perPixelY = std::max(1, screen.twipsPerPixelY);
  setFixedSize(form_.Width() / perPixelX, form_.Height() / perPixelY);
  move(form_.Left() / perPixelX, form_.Top() / perPixelY);
}

QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  for (QWidget* b : buttons) row->addWidget(b);
  return row;
}

}  // namespace quill::gui
