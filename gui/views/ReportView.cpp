#include "views/ReportView.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/frmReport.h"

namespace quill::gui {

ReportView::ReportView(Application& app, frmReport& form) : FormView(form) {
  (void)app;
  setObjectName("report");
  auto* col = new QVBoxLayout(this);
  col->setContentsMargins(16, 16, 16, 14);
  col->setSpacing(10);
  text_ = new QPlainTextEdit;
  text_->setObjectName("txtReport");
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  binder_.Text(form.txtReport, text_);
  col->addWidget(text_, 1);
  ok_ = new QPushButton;
  ok_->setObjectName("cmdOK");
  ok_->setDefault(true);
  binder_.Button(form.cmdOK, ok_);
  col->addLayout(ButtonRow({ok_}));
  resize(760, 540);
}

}  // namespace quill::gui
