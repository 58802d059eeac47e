#include "views/MainView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/FrmMain.h"
#include "views/ListModel.h"

namespace quill::gui {

QWidget* MainView::BuildOptions() {
  auto* page = new QWidget;
  auto* col = new QVBoxLayout(page);
  col->setContentsMargins(28, 22, 28, 22);
  col->setSpacing(12);
  auto* pageBinder = new Binder(this);
  col->addWidget(PageTitle(pageBinder, form_.fraOptions));

  tabs_ = new QTabBar;
  Remember(form_.TabStrip1, tabs_);
  tabs_->setExpanding(false);
  tabs_->setDrawBase(true);
  auto* stack = new QStackedWidget;
  col->addWidget(tabs_);
  col->addWidget(stack, 1);

  AddOptionsTab(stack, {&form_.Frame1, &form_.Frame2}, &MainView::FillScanOptions);
  AddOptionsTab(stack, {&form_.Frame3, &form_.Frame4}, &MainView::FillProtection);
  AddOptionsTab(stack, {&form_.Frame5}, &MainView::FillSchedule);
  AddOptionsTab(stack, {&form_.Frame6}, &MainView::FillAutoUpdate);
  BindOptionTabs(stack);
  return page;
}

// A tab of the Options page: one group box per frame, filled by `fill`, under a binder of
// the tab's own.
void MainView::AddOptionsTab(QStackedWidget* stack, const std::vector<forms::Frame*>& frames,
                             OptionsFiller fill) {
  auto* tab = new QWidget;
  auto* tcol = new QVBoxLayout(tab);
  tcol->setContentsMargins(0, 14, 0, 0);
  tcol->setSpacing(14);
  auto* b = new Binder(this);
  for (forms::Frame* frame : frames) {
    auto* group = Make<QGroupBox>(*frame);
    b->Group(*frame, group);
    auto* gcol = new QVBoxLayout(group);
    gcol->setSpacing(8);
    (this->*fill)(b, gcol, frame);
  }
  for (forms::Frame* frame : frames) tcol->addWidget(WidgetFor(frame->Name()));
  tcol->addStretch(1);
  stack->addWidget(tab);
}

void MainView::AddCheck(Binder* b, QVBoxLayout* into, forms::CheckBox& c) {
  auto* box = Make<QCheckBox>(c);
  b->Check(c, box);
  into->addWidget(box);
}

void MainView::AddOption(Binder* b, QLayout* into, forms::OptionButton& c) {
  auto* button = Make<QRadioButton>(c);
  b->Option(c, button);
  into->addWidget(button);
}

void MainView::FillScanOptions(Binder* b, QVBoxLayout* g, forms::Frame* frame) {
  if (frame == &form_.Frame1) {
    for (forms::CheckBox* c : {&form_.chkSweepMemory, &form_.chkScanRegistry, &form_.chkScanCookies,
                               &form_.chkMakeLog, &form_.chkSendData, &form_.chkRunAtStartup})
      AddCheck(b, g, *c);
    return;
  }
  auto* row = new QHBoxLayout;
  AddOption(b, row, form_.optScanOnlyKnownSoftwares);
  AddOption(b, row, form_.optScanAllSelectedHardDrive);
  row->addStretch(1);
  g->addLayout(row);
  auto* drives = new ListWidget(form_.lvwHardDrives, nullptr, twipsPerPixel_);
  Remember(form_.lvwHardDrives, drives);
  drives->setMaximumHeight(140);
  drives->setMaximumWidth(260);
  g->addWidget(drives);
}

void MainView::FillProtection(Binder* b, QVBoxLayout* g, forms::Frame* frame) {
  if (frame == &form_.Frame3) {
    AddCheck(b, g, form_.chkHomePage);
    auto* onOff = new QHBoxLayout;
    AddOption(b, onOff, form_.optIEHomePageSheildOn);
    AddOption(b, onOff, form_.optIEHomePageSheildOff);
    onOff->addStretch(1);
    g->addLayout(onOff);
    auto* reaction = new QVBoxLayout;
    reaction->setContentsMargins(24, 0, 0, 0);
    AddOption(b, reaction, form_.optAlwaysnotifybeforerestoring);
    AddOption(b, reaction, form_.optRestoredefaultwithoutnotification);
    g->addLayout(reaction);
    return;
  }
  AddCheck(b, g, form_.chkAutoProtect);
  auto* onOff = new QHBoxLayout;
  AddOption(b, onOff, form_.optMemorySheildOn);
  AddOption(b, onOff, form_.optMemorySheildOff);
  onOff->addStretch(1);
  g->addLayout(onOff);
}

void MainView::FillSchedule(Binder* b, QVBoxLayout* g, forms::Frame*) {
  AddCheck(b, g, form_.chkAutomaticScanYesOrNo);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(12);
  auto* days = Make<QComboBox>(form_.cmbDays);
  b->Combo(form_.cmbDays, days);
  auto* date = Make<QDateTimeEdit>(form_.dtpScheduleDate);
  date->setCalendarPopup(true);
  b->Picker(form_.dtpScheduleDate, date);
  auto* time = Make<QDateTimeEdit>(form_.dtpScheduleTime);
  b->Picker(form_.dtpScheduleTime, time);
  const std::pair<forms::Label*, QWidget*> rows[] = {
      {&form_.Label17, days}, {&form_.Label18, date}, {&form_.Label19, time}};
  int r = 0;
  for (const auto& [caption, field] : rows) {
    auto* name = Make<QLabel>(*caption);
    b->Label(*caption, name, field);
    grid->addWidget(name, r, 0);
    grid->addWidget(field, r, 1);
    ++r;
  }
  grid->setColumnStretch(2, 1);
  g->addLayout(grid);
  AddCheck(b, g, form_.chkAutoDel);
  auto* buttons = new QHBoxLayout;
  for (forms::CommandButton* c : {&form_.CmdProceed, &form_.cmdDefaultSetting}) {
    auto* button = Make<QPushButton>(*c);
    b->Button(*c, button);
    buttons->addWidget(button);
  }
  buttons->addStretch(1);
  g->addLayout(buttons);
}

void MainView::FillAutoUpdate(Binder* b, QVBoxLayout* g, forms::Frame*) {
  AddCheck(b, g, form_.chkAutomaticUpdate);
  auto* last = Make<QLabel>(form_.lblLastUpdate);
  last->setProperty("muted", true);
  b->Label(form_.lblLastUpdate, last);
  g->addWidget(last);
  auto* row = new QHBoxLayout;
  auto* now = Make<QPushButton>(form_.cmdLiveUpdate);
  b->Button(form_.cmdLiveUpdate, now);
  row->addWidget(now);
  row->addStretch(1);
  g->addLayout(row);
}

// The tab bar follows the model's tab strip both ways and turns the stack's pages.
void MainView::BindOptionTabs(QStackedWidget* stack) {
  auto& strip = form_.TabStrip1;
  auto apply = [this, &strip, stack] {
    QSignalBlocker block(tabs_);
    while (tabs_->count() < strip.TabCount()) tabs_->addTab(QString());
    for (int t = 1; t <= strip.TabCount(); ++t)
      tabs_->setTabText(t - 1, DisplayText(strip.TabCaption(t)));
    tabs_->setCurrentIndex(strip.SelectedTab() - 1);
    stack->setCurrentIndex(strip.SelectedTab() - 1);
    tabs_->setVisible(strip.Visible());
  };
  apply();
  strip.Changed().Subscribe(apply);
  connect(tabs_, &QTabBar::currentChanged, this, [this, &strip, stack](int index) {
    if (index + 1 != strip.SelectedTab()) strip.SelectTab(index + 1);
    stack->setCurrentIndex(strip.SelectedTab() - 1);
  });
}

}  // namespace quill::gui
