#include "views/HomePageAlertView.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ProtectionAlerts.h"
#include "views/AlertFrame.h"

namespace quill::gui {

HomePageAlertView::HomePageAlertView(Application& app, frmHomePageChangedAlert& form)
    : FormView(form) {
  (void)app;
  setObjectName("homePageAlert");
  yes_ = new QPushButton;
  yes_->setObjectName("cmdYes");
  binder_.Button(form.cmdYes, yes_);
  no_ = new QPushButton;
  no_->setObjectName("cmdNO");
  binder_.Button(form.cmdNO, no_);
  QVBoxLayout* text = BuildAlertFrame(*this, yes_, no_);
  auto* product = new QLabel;
  product->setObjectName("lblFrmHomePageProductName");
  product->setProperty("section", true);
  binder_.Label(form.lblFrmHomePageProductName, product);
  text->addWidget(product);
  info_ = new QLabel;
  info_->setObjectName("lblHomePageInfo");
  info_->setWordWrap(true);
  info_->setTextFormat(Qt::PlainText);
  info_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  info_->setMaximumWidth(520);
  binder_.Label(form.lblHomePageInfo, info_);
  text->addWidget(info_);
  setMinimumSize(460, 240);
}

}  // namespace quill::gui
