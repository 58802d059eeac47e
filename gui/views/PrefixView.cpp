#include "views/PrefixView.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/frmPrefix.h"

namespace quill::gui {

PrefixView::PrefixView(frmPrefix& form) : FormView(form) {
  setObjectName("prefix");
  auto* col = new QVBoxLayout(this);
  col->setContentsMargins(20, 18, 20, 16);
  col->setSpacing(10);
  auto* info = new QLabel;
  info->setObjectName("lblInfo");
  info->setWordWrap(true);
  binder_.Label(form.lblInfo, info);
  col->addWidget(info);
  auto* list = new QComboBox;
  list->setObjectName("cmbPrefix");
  binder_.Combo(form.cmbPrefix, list);
  col->addWidget(list);
  auto* path = new QLabel;
  path->setObjectName("lblPath");
  path->setProperty("muted", true);
  path->setTextInteractionFlags(Qt::TextSelectableByMouse);
  binder_.Label(form.lblPath, path);
  col->addWidget(path);
  col->addStretch(1);
  auto* use = new QPushButton;
  use->setObjectName("cmdUse");
  use->setDefault(true);
  binder_.Button(form.cmdUse, use);
  auto* cancel = new QPushButton;
  cancel->setObjectName("cmdCancel");
  binder_.Button(form.cmdCancel, cancel);
  col->addLayout(ButtonRow({use, cancel}));
  resize(560, 220);
}

}  // namespace quill::gui
