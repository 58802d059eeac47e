#include "views/LanguageView.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/frmLanguage.h"

namespace quill::gui {

LanguageView::LanguageView(Application& app, frmLanguage& form) : FormView(form) {
  (void)app;
  setObjectName("language");
  auto* col = new QVBoxLayout(this);
  col->setContentsMargins(24, 20, 24, 18);
  col->setSpacing(12);
  combo_ = new QComboBox;
  combo_->setObjectName("Combo1");
  combo_->setMinimumWidth(260);
  auto* prompt = new QLabel;
  prompt->setObjectName("Label1");
  prompt->setWordWrap(true);
  binder_.Label(form.Label1, prompt, combo_);
  col->addWidget(prompt);
  binder_.Combo(form.Combo1, combo_);
  col->addWidget(combo_);
  auto* update = new QPushButton;
  update->setObjectName("cmdUpdate");
  binder_.Button(form.cmdUpdate, update);
  auto* translate = new QPushButton;
  translate->setObjectName("cmdTranslate");
  binder_.Button(form.cmdTranslate, translate);
  ok_ = new QPushButton;
  ok_->setObjectName("cmdOK");
  ok_->setDefault(true);
  binder_.Button(form.cmdOK, ok_);
  auto* row = new QHBoxLayout;
  row->addWidget(update);
  row->addWidget(translate);
  row->addStretch(1);
  row->addWidget(ok_);
  col->addStretch(1);
  col->addLayout(row);
  // Grows with its captions: a language with longer words must not cut the buttons' texts.
  col->setSizeConstraint(QLayout::SetMinimumSize);
  resize(480, 190);
}

}  // namespace quill::gui
