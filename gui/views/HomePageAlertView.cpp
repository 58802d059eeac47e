#include "views/HomePageAlertView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "protection/ProtectionAlerts.h"
#include "views/Artwork.h"

namespace quill::gui {

HomePageAlertView::HomePageAlertView(Application& app, frmHomePageChangedAlert& form)
    : FormView(form) {
  (void)app;
  setObjectName("homePageAlert");
  auto* col = new QVBoxLayout(this);
  col->setContentsMargins(24, 20, 24, 18);
  col->setSpacing(10);
  auto* top = new QHBoxLayout;
  top->setSpacing(18);
  auto* picture = new QLabel;
  picture->setPixmap(artwork::Shield(56, devicePixelRatioF()));
  top->addWidget(picture, 0, Qt::AlignTop);
  auto* text = new QVBoxLayout;
  auto* product = new QLabel;
  product->setObjectName("lblFrmHomePageProductName");
  product->setProperty("section", true);
  binder_.Label(form.lblFrmHomePageProductName, product);
  text->addWidget(product);
  info_ = new QLabel;
  info_->setObjectName("lblHomePageInfo");
  info_->setWordWrap(true);
  // Addresses are long and unbroken: let them wrap anywhere rather than widen the window.
  info_->setTextFormat(Qt::PlainText);
  info_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  info_->setMaximumWidth(520);
  binder_.Label(form.lblHomePageInfo, info_);
  text->addWidget(info_);
  top->addLayout(text, 1);
  col->addLayout(top);
  col->addStretch(1);

  yes_ = new QPushButton;
  yes_->setObjectName("cmdYes");
  yes_->setDefault(true);
  yes_->setProperty("primary", true);
  binder_.Button(form.cmdYes, yes_);
  no_ = new QPushButton;
  no_->setObjectName("cmdNO");
  binder_.Button(form.cmdNO, no_);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(yes_);
  row->addWidget(no_);
  col->addLayout(row);
  setMinimumSize(460, 240);
}

}  // namespace quill::gui
