#include "views/DeleteView.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Application.h"
#include "app/frmDelete.h"
#include "views/ListModel.h"

namespace quill::gui {

DeleteView::DeleteView(Application& app, frmDelete& form) : FormView(form) {
  setObjectName("deleteFailed");
  auto* col = new QVBoxLayout(this);
  col->setContentsMargins(20, 18, 20, 16);
  col->setSpacing(10);
  auto* top = new QLabel;
  top->setObjectName("Label1");
  top->setWordWrap(true);
  binder_.Label(form.Label1, top);
  col->addWidget(top);
  list_ = new ListWidget(form.lstProblem, nullptr, app.Host().Screen().twipsPerPixelX);
  list_->setObjectName("lstProblem");
  col->addWidget(list_, 1);
  auto* bottom = new QLabel;
  bottom->setObjectName("Label2");
  bottom->setWordWrap(true);
  bottom->setProperty("muted", true);
  binder_.Label(form.Label2, bottom);
  col->addWidget(bottom);
  auto* copy = new QPushButton;
  copy->setObjectName("cmdCopy");
  binder_.Button(form.cmdCopy, copy);
  auto* ok = new QPushButton;
  ok->setObjectName("cmdOk");
  ok->setDefault(true);
  binder_.Button(form.cmdOk, ok);
  col->addLayout(ButtonRow({copy, ok}));
  resize(620, 420);
}

void DeleteView::CloseRequested() {
  Model().Hide();
}

}  // namespace quill::gui
