#include "views/DownloadView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Application.h"
#include "app/frmDownload.h"
#include "views/Artwork.h"

namespace quill::gui {

DownloadView::DownloadView(Application& app, frmDownload& form) : FormView(form) {
  setObjectName("download");
  auto* col = new QVBoxLayout(this);
  col->setContentsMargins(20, 18, 20, 16);
  col->setSpacing(12);

  // Both pictures share one cell: the model shows one at a time, so nothing jumps.
  auto* pictures = new QGridLayout;
  auto picture = [&](forms::PictureBox& c, bool up) {
    auto* label = new QLabel;
    label->setObjectName(Q(c.Name()));
    label->setPixmap(artwork::Transfer(56, up, devicePixelRatioF()));
    label->setFixedSize(56, 56);
    binder_.State(c, label);
    pictures->addWidget(label, 0, 0);
    return label;
  };
  up_ = picture(form.picUp, true);
  down_ = picture(form.picDown, false);

  auto* text = new QVBoxLayout;
  text->setSpacing(8);
  caption_ = new QLabel;
  caption_->setObjectName("lblProduct");
  caption_->setProperty("section", true);
  caption_->setWordWrap(true);
  binder_.Label(form.lblProduct, caption_);
  text->addWidget(caption_);
  status_ = new QLineEdit;
  status_->setObjectName("txtStatus");
  binder_.Text(form.txtStatus, status_);
  status_->setReadOnly(true);
  status_->setFocusPolicy(Qt::NoFocus);
  text->addWidget(status_);

  auto* top = new QHBoxLayout;
  top->setSpacing(16);
  top->addLayout(pictures);
  top->addLayout(text, 1);
  col->addLayout(top);
  col->addStretch(1);

  cancel_ = new QPushButton;
  cancel_->setObjectName("cmdCancel");
  cancel_->setDefault(true);
  binder_.Button(form.cmdCancel, cancel_);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(cancel_);
  col->addLayout(row);

  const int perPixel = std::max(1, app.Host().Screen().twipsPerPixelX);
  resize(form.Width() / perPixel, form.Height() / perPixel);
}

}  // namespace quill::gui
