#include "views/QuarantineView.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Application.h"
#include "app/frmQuarantine.h"
#include "views/ListModel.h"

namespace quill::gui {

QuarantineView::QuarantineView(Application& app, frmQuarantine& form) : FormView(form) {
  setObjectName("quarantine");
  auto* col = new QVBoxLayout(this);
  col->setContentsMargins(20, 18, 20, 16);
  col->setSpacing(10);
  auto* info = new QLabel;
  info->setObjectName("lblInfo");
  info->setWordWrap(true);
  binder_.Label(form.lblInfo, info);
  col->addWidget(info);
  list_ = new ListWidget(form.lvwQuarantine, nullptr, app.Host().Screen().twipsPerPixelX);
  list_->setObjectName("lvwQuarantine");
  list_->SetUnsizedWidths({48, 140, 70, 330, 200, 160});
  col->addWidget(list_, 1);
  auto* status = new QLabel;
  status->setObjectName("lblStatus");
  status->setProperty("muted", true);
  binder_.Label(form.lblStatus, status);
  col->addWidget(status);
  std::vector<QPushButton*> buttons;
  for (auto* control : {&form.cmdRestore, &form.cmdDelete, &form.cmdOpenFolder, &form.cmdClose}) {
    auto* button = new QPushButton;
    button->setObjectName(QString::fromStdString(control->Name()));
    binder_.Button(*control, button);
    buttons.push_back(button);
  }
  col->addLayout(ButtonRow({buttons[0], buttons[1], buttons[2], buttons[3]}));
  resize(900, 460);
}

void QuarantineView::CloseRequested() {
  Model().Hide();
}

}  // namespace quill::gui
