#include "views/MenuPopUpView.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Application.h"
#include "app/frmMenuPopUp.h"

namespace quill::gui {

MenuPopUpView::MenuPopUpView(Application& app, frmMenuPopUp& form)
    : FormView(form), app_(app), form_(form) {
  setObjectName("menuPopUp");
  // A menu out of the task bar: no frame, no task-bar entry, above everything; the window
  // manager must not move it, the slide is the model's.
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                 Qt::X11BypassWindowManagerHint);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_StyledBackground);
  setMouseTracking(true);

  auto* col = new QVBoxLayout(this);
  col->setContentsMargins(14, 12, 14, 12);
  col->setSpacing(6);
  auto* name = new QLabel;
  name->setObjectName("lblName");
  name->setTextFormat(Qt::PlainText);
  binder_.Label(form.lblName, name);
  col->addWidget(name);
  auto button = [&](forms::Control& c) {
    auto* b = new QPushButton;
    b->setObjectName(QString::fromStdString(c.Name()));
    b->setFocusPolicy(Qt::NoFocus);
    b->setMouseTracking(true);
    b->installEventFilter(this);
    binder_.Button(c, b);
    col->addWidget(b);
    return b;
  };
  show_ = button(form.mnuMaxmimaize);
  exit_ = button(form.mnuClose);
  close_ = button(form.lblMenuClose);
  close_->setFlat(true);
  col->addStretch(1);

  FollowModel();
  form.Changed().Subscribe([this] { FollowModel(); });
}

void MenuPopUpView::mouseMoveEvent(QMouseEvent* event) {
  FormView::mouseMoveEvent(event);
  form_.Form_MouseMove();
}

bool MenuPopUpView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
    if (watched == close_)
      form_.lblMenuClose_MouseMove();
    else
      form_.Form_MouseMove();
  }
  return FormView::eventFilter(watched, event);
}

void MenuPopUpView::FollowModel() {
  FollowModelGeometry(app_.Host().Screen());
}

}  // namespace quill::gui
