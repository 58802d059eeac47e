#include "views/MainView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/FrmMain.h"
#include "views/ElidedLabel.h"
#include "views/ListModel.h"
#include "views/MainViewParts.h"

namespace quill::gui {

using detail::Card;
using detail::RowIcon;

QWidget* MainView::BuildScan() {
  auto* page = new QWidget;
  auto* b = new Binder(this);
  auto* col = new QVBoxLayout(page);
  col->setContentsMargins(28, 22, 28, 22);
  col->setSpacing(14);
  col->addWidget(PageTitle(b, form_.fraScan));
  col->addWidget(BuildScanModes(b));
  col->addLayout(BuildScanActions(b));
  col->addWidget(BuildScanProgress(b));
  form_.shpStageMarker.Changed().Subscribe([this] { SyncStageMarker(); });
  SyncStageMarker();

  scanList_ = new ListWidget(form_.lvwSpywareFound, RowIcon, twipsPerPixel_);
  // Names are short and details long: the name column gets room for a threat's name.
  scanList_->SetUnsizedWidths({280});
  Remember(form_.lvwSpywareFound, scanList_);
  scanList_->setMinimumHeight(160);
  col->addWidget(scanList_, 1);
  return page;
}

// Mode choice, and the shortcut buttons that choose a mode and start at once.
QWidget* MainView::BuildScanModes(Binder* b) {
  auto* modes = Card();
  auto* modeGrid = new QGridLayout(modes);
  modeGrid->setContentsMargins(18, 14, 18, 14);
  modeGrid->setHorizontalSpacing(12);
  modeGrid->setVerticalSpacing(10);
  for (int i = 0; i < form_.optScan.Count(); ++i) {
    auto* option = Make<QRadioButton>(form_.optScan[i]);
    b->Option(form_.optScan[i], option);
    modeGrid->addWidget(option, 0, i);
  }
  forms::CommandButton* shortcuts[] = {&form_.Command3, &form_.cmdMainScan1, &form_.Command6,
                                       &form_.Command7};
  for (int i = 0; i < 4; ++i) {
    auto* button = Make<QPushButton>(*shortcuts[i]);
    button->setProperty("shortcut", true);
    b->Button(*shortcuts[i], button);
    modeGrid->addWidget(button, 1, i);
  }
  return modes;
}

QLayout* MainView::BuildScanActions(Binder* b) {
  auto* actions = new QHBoxLayout;
  actions->setSpacing(10);
  auto* start = Make<QPushButton>(form_.cmdScanNow);
  start->setProperty("primary", true);
  b->Button(form_.cmdScanNow, start);
  auto* pause = Make<QPushButton>(form_.cmdPause);
  b->Button(form_.cmdPause, pause);
  auto* stop = Make<QPushButton>(form_.cmdStop);
  stop->setProperty("danger", true);
  b->Button(form_.cmdStop, stop);
  auto* overview = Make<QPushButton>(form_.cmdRemove);
  b->Button(form_.cmdRemove, overview);
  actions->addWidget(start);
  actions->addWidget(pause);
  actions->addWidget(stop);
  actions->addStretch(1);
  actions->addWidget(overview);
  return actions;
}

// Progress: status line, stage caption, the bars and the counters.
QWidget* MainView::BuildScanProgress(Binder* b) {
  auto* progress = Card();
  auto* pcol = new QVBoxLayout(progress);
  pcol->setContentsMargins(18, 14, 18, 14);
  pcol->setSpacing(8);
  auto* stage = Make<QLabel>(form_.lblPercentageCompleted);
  stage->setProperty("stage", true);
  b->Label(form_.lblPercentageCompleted, stage);
  pcol->addWidget(stage);
  for (int i = 0; i < 2; ++i) {
    auto* status = new ElidedLabel;
    Remember(form_.lblStatus[i], status);
    status->setProperty("muted", true);
    auto apply = [this, status, i] {
      status->setFullText(DisplayText(form_.lblStatus[i].Caption()));
      status->setVisible(form_.lblStatus[i].Visible() &&
                         (i == 0 || !form_.lblStatus[i].Caption().empty()));
    };
    apply();
    form_.lblStatus[i].Changed().Subscribe(apply);
    pcol->addWidget(status);
  }
  pcol->addLayout(BuildScanBars(b));
  pcol->addLayout(BuildScanCounters(b));
  return progress;
}

QLayout* MainView::BuildScanBars(Binder* b) {
  auto* bars = new QGridLayout;
  bars->setHorizontalSpacing(12);
  bars->setVerticalSpacing(6);
  const std::pair<forms::Label*, forms::ProgressBar*> barRows[] = {{&form_.Label7, &form_.pb1},
                                                                   {&form_.Label8, &form_.pb2}};
  int r = 0;
  for (const auto& [caption, bar] : barRows) {
    auto* name = Make<QLabel>(*caption);
    b->Label(*caption, name);
    auto* widget = Make<QProgressBar>(*bar);
    b->Progress(*bar, widget);
    bars->addWidget(name, r, 0);
    bars->addWidget(widget, r, 1);
    ++r;
  }
  auto* driveBar = Make<QProgressBar>(form_.pbgMain);
  b->Progress(form_.pbgMain, driveBar);
  bars->addWidget(driveBar, r, 1);
  bars->setColumnStretch(1, 1);
  return bars;
}

QLayout* MainView::BuildScanCounters(Binder* b) {
  auto* counters = new QGridLayout;
  counters->setHorizontalSpacing(6);
  counters->setVerticalSpacing(4);
  const std::pair<forms::Label*, forms::Label*> counterRows[] = {
      {&form_.Label9, &form_.lblMemoryInspected},
      {&form_.Label10, &form_.lblRegistryInspected},
      {&form_.Label11, &form_.lblFilesFolderInspected},
      {&form_.Label12, &form_.lblTotalNoOfRunningItems},
      {&form_.Label13, &form_.lblSoftwareFound}};
  int r = 0;
  for (const auto& [caption, value] : counterRows) {
    auto* arrow = new QLabel;
    arrow->setObjectName("stageMarker");
    arrow->setFixedWidth(18);
    stageMarkers_.push_back({caption, arrow});
    auto* name = Make<QLabel>(*caption);
    name->setProperty("muted", true);
    b->Label(*caption, name);
    auto* figure = Make<QLabel>(*value);
    figure->setProperty("counter", true);
    b->Label(*value, figure);
    const int column = (r % 3) * 3;
    counters->addWidget(arrow, r / 3, column);
    counters->addWidget(name, r / 3, column + 1);
    counters->addWidget(figure, r / 3, column + 2);
    ++r;
  }
  for (int c = 2; c < 9; c += 3) counters->setColumnStretch(c, 1);
  return counters;
}

}  // namespace quill::gui
