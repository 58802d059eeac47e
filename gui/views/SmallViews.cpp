#include "views/SmallViews.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Application.h"
#include "app/SmallWindows.h"
#include "localization/frmLanguage.h"
#include "removal/frmDelete.h"
#include "removal/frmQuarantine.h"
#include "reports/frmReport.h"
#include "views/Artwork.h"
#include "views/ListModel.h"

namespace quill::gui {

namespace {

QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons) {
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  for (QWidget* b : buttons) row->addWidget(b);
  return row;
}

}  // namespace

// ---- Splash ------------------------------------------------------------------------------------

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

// ---- About
// ---------------------------------------------------------------------------------------

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

// ---- Language
// ------------------------------------------------------------------------------------

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
  setMinimumSize(480, 190);
}

// ---- Report
// --------------------------------------------------------------------------------------

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

// ---- Delete failed
// ---------------------------------------------------------------------------------

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

// ---- Quarantine ----------------------------------------------------------------------------

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
