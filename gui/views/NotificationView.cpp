#include "views/NotificationView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Application.h"
#include "app/frmSignatureUpdated.h"
#include "views/Artwork.h"

namespace quill::gui {

NotificationView::NotificationView(Application& app, frmSignatureUpdated& form)
    : FormView(form), app_(app), form_(form) {
  setObjectName("notification");
  // A notice, not a window to work in: no frame, no task-bar entry, above everything, and
  // it never takes the keyboard from what the user is doing. The window manager must not
  // move it either: the slide is the model's.
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                 Qt::WindowDoesNotAcceptFocus | Qt::X11BypassWindowManagerHint);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_StyledBackground);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(16, 14, 16, 12);
  row->setSpacing(14);
  auto* picture = new QLabel;
  picture->setPixmap(artwork::Shield(48, devicePixelRatioF()));
  row->addWidget(picture, 0, Qt::AlignTop);

  auto* col = new QVBoxLayout;
  column_ = col;
  col->setSpacing(6);
  auto* title = new QLabel(Q(app.brand.programName));
  title->setObjectName("notificationTitle");
  title->setTextFormat(Qt::PlainText);
  col->addWidget(title);
  message_ = new QLabel;
  message_->setObjectName("lblUpdateInfo");
  message_->setWordWrap(true);
  binder_.Label(form.lblUpdateInfo, message_);
  col->addWidget(message_, 1);
  ok_ = new QPushButton;
  ok_->setObjectName("cmdUpdateSuccesfullOK");
  ok_->setFocusPolicy(Qt::NoFocus);
  binder_.Button(form.cmdUpdateSuccesfullOK, ok_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok_);
  col->addLayout(buttons);
  row->addLayout(col, 1);

  FollowModel();
  form.Changed().Subscribe([this] { FollowModel(); });
  FitText();
  form.lblUpdateInfo.Changed().Subscribe([this] { FitText(); });
}

void NotificationView::FitText() {
  // The card keeps the model's width; its height is what the wrapped text needs there.
  const auto screen = app_.Host().Screen();
  const int width = form_.Width() / std::max(1, screen.twipsPerPixelX);
  // The layouts still hold the old text's measure until their next pass.
  column_->invalidate();
  layout()->invalidate();
  int needed = layout()->totalHeightForWidth(width);
  if (needed < 0) needed = layout()->totalSizeHint().height();
  form_.FitHeight(needed * std::max(1, screen.twipsPerPixelY));
}

void NotificationView::FollowModel() {
  FollowModelGeometry(app_.Host().Screen());
}

}  // namespace quill::gui
