#include "views/ProcessAlertView.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ProtectionAlerts.h"
#include "views/AlertFrame.h"

namespace quill::gui {

ProcessAlertView::ProcessAlertView(Application& app, frmSpywareFoundAlert& form) : FormView(form) {
  (void)app;
  setObjectName("processAlert");
  // Above other windows: it asks about a program that runs right now.
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  stop_ = new QPushButton;
  stop_->setObjectName("cmdYes");
  binder_.Button(form.cmdYes, stop_);
  allow_ = new QPushButton;
  allow_->setObjectName("cmdNO");
  allow_->setProperty("danger", true);
  binder_.Button(form.cmdNO, allow_);
  QVBoxLayout* text = BuildAlertFrame(*this, stop_, allow_);
  auto label = [&](forms::Label& c, const char* role) {
    auto* l = new QLabel;
    l->setObjectName(Q(c.Name()));
    if (role) l->setProperty(role, true);
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText);
    binder_.Label(c, l);
    return l;
  };
  text->addWidget(label(form.lblHeading, "section"));
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(12);
  grid->addWidget(label(form.lblFileNameCaption, "muted"), 0, 0);
  file_ = label(form.lblAlertFileName, "figure");
  file_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid->addWidget(file_, 0, 1);
  grid->addWidget(label(form.lblCompanyNameCaption, "muted"), 1, 0);
  company_ = label(form.lblAlertCompanyName, nullptr);
  grid->addWidget(company_, 1, 1);
  grid->setColumnStretch(1, 1);
  text->addLayout(grid);
  text->addWidget(label(form.lblStopHint, "muted"));
  text->addWidget(label(form.lblAllowHint, "muted"));
  setMinimumSize(460, 250);
}

}  // namespace quill::gui
