#include "views/SplashView.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/frmSplash.h"
#include "views/Artwork.h"

namespace quill::gui {

SplashView::SplashView(Application& app, frmSplash& form) : FormView(form) {
  (void)app;
  setObjectName("splash");
  setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
  setAttribute(Qt::WA_StyledBackground);
  auto* col = new QVBoxLayout(this);
  col->setContentsMargins(40, 36, 40, 30);
  col->setSpacing(14);
  auto* picture = new QLabel;
  picture->setObjectName("picSplash");
  picture->setPixmap(artwork::Shield(112, devicePixelRatioF()));
  picture->setAlignment(Qt::AlignCenter);
  binder_.State(form.picSplash, picture);
  col->addWidget(picture);
  auto* name = new QLabel;
  name->setObjectName("lblProductName");
  name->setAlignment(Qt::AlignCenter);
  binder_.Label(form.lblProductName, name);
  col->addWidget(name);
  setFixedSize(460, 300);
}

}  // namespace quill::gui
