#include "views/AboutView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/frmAbout.h"
#include "views/Artwork.h"

namespace quill::gui {

AboutView::AboutView(Application& app, frmAbout& form) : FormView(form) {
  (void)app;
  setObjectName("about");
  auto* col = new QVBoxLayout(this);
  col->setContentsMargins(28, 24, 28, 20);
  col->setSpacing(8);
  auto* top = new QHBoxLayout;
  top->setSpacing(20);
  auto* picture = new QLabel;
  picture->setPixmap(artwork::Shield(80, devicePixelRatioF()));
  top->addWidget(picture, 0, Qt::AlignTop);
  auto* text = new QVBoxLayout;
  text->setSpacing(6);
  auto label = [&](forms::Label& c, const char* role) {
    auto* l = new QLabel;
    l->setObjectName(Q(c.Name()));
    l->setProperty(role, true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    binder_.Label(c, l);
    text->addWidget(l);
  };
  label(form.lblTitle, "pageTitle");
  label(form.lblVersion, "muted");
  label(form.lblCompany, "plain");
  label(form.lblWebsite, "link");
  text->addStretch(1);
  top->addLayout(text, 1);
  col->addLayout(top);
  ok_ = new QPushButton;
  ok_->setObjectName("cmdOK");
  ok_->setDefault(true);
  binder_.Button(form.cmdOK, ok_);
  col->addSpacing(10);
  col->addLayout(ButtonRow({ok_}));
  setMinimumSize(420, 220);
}

}  // namespace quill::gui
