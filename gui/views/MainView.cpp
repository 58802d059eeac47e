#include "views/MainView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "views/Artwork.h"
#include "views/ElidedLabel.h"
#include "views/ListModel.h"

namespace quill::gui {

namespace {

QFrame* Card(QWidget* parent = nullptr) {
  auto* card = new QFrame(parent);
  card->setObjectName("card");
  card->setFrameShape(QFrame::NoFrame);
  return card;
}

QLabel* Plain(const QString& text, const char* objectName = nullptr) {
  auto* label = new QLabel(text);
  if (objectName) label->setObjectName(objectName);
  return label;
}

QIcon RowIcon(int kind) {
  return artwork::KindIcon(kind);
}

}  // namespace

bool MainView::NotBuilt(const forms::Control& control) {
  // "Scan Results" in the File menu has no action at all: it is shown but cannot be used.
  struct Entry {
    const char* name;
    int index;
  };
  static const Entry kNotBuilt[] = {
      {"mnuFileItem", 1},
  };
  for (const auto& entry : kNotBuilt) {
    if (control.Name() != entry.name) continue;
    if (entry.index < 0 || control.Index() == entry.index) return true;
  }
  return false;
}

MainView::MainView(Application& app, FrmMain& form) : FormView(form), app_(app), form_(form) {
  setObjectName("mainWindow");
  twipsPerPixel_ = std::max(1, app.Host().Screen().twipsPerPixelX);
  binder_.SetNotBuilt(&MainView::NotBuilt);

  // Layout hints the stage marker follows: the scan driver moves it beside the caption of
  // the stage that runs, so each counter caption gets a row of its own.
  int row = 0;
  for (forms::Label* caption :
       {&form_.Label9, &form_.Label10, &form_.Label11, &form_.Label12, &form_.Label13})
    caption->Move(600, 300 * ++row);
  form_.shpStageMarker.SetWidth(200);
  // The progress list's name column is wider than the default: names are short, details long.

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);
  menuBar_ = new QMenuBar(this);
  root->setMenuBar(menuBar_);
  BuildMenus();

  auto* body = new QHBoxLayout;
  body->setContentsMargins(0, 0, 0, 0);
  body->setSpacing(0);
  root->addLayout(body);
  body->addWidget(BuildSidebar());

  pages_ = new QStackedWidget(this);
  pages_->setObjectName("pages");
  for (QWidget* page : {BuildHome(), BuildScan(), BuildResults(), BuildOptions()}) {
    auto* scroll = new QScrollArea;
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    pages_->addWidget(scroll);
  }
  body->addWidget(pages_, 1);

  for (forms::Control* frame : std::initializer_list<forms::Control*>{
           &form_.fraHome, &form_.fraScan, &form_.frmResults, &form_.fraOptions})
    frame->Changed().Subscribe([this] { SyncPage(); });
  SyncPage();

  // While a scan runs the pointer shows that the program is busy (and still clickable).
  auto busy = [this] {
    if (form_.ScanInProgress())
      setCursor(Qt::BusyCursor);
    else
      unsetCursor();
  };
  form_.cmdScan.Changed().Subscribe(busy);
  busy();

  resize(1080, 700);
  setMinimumSize(820, 560);
  // Keyboard users start on the navigation bar.
  if (!navButtons_.empty()) navButtons_.front()->setFocus();
}

template <class W>
W* MainView::Make(forms::Control& control, QWidget* parent) {
  auto* widget = new W(parent);
  Remember(control, widget);
  return widget;
}

void MainView::Remember(forms::Control& control, QWidget* widget) {
  widget->setObjectName(Q(
      control.Name() + (control.Index() ? "_" + std::to_string(*control.Index()) : std::string())));
  widgets_[{control.Name(), control.Index().value_or(-1)}] = widget;
}

QWidget* MainView::WidgetFor(const std::string& name, std::optional<int> index) const {
  auto it = widgets_.find({name, index.value_or(-1)});
  return it == widgets_.end() ? nullptr : it->second;
}

QAction* MainView::ActionFor(const std::string& name, int index) const {
  auto it = actions_.find({name, index});
  return it == actions_.end() ? nullptr : it->second;
}

int MainView::ShownPage() const {
  return pages_->currentIndex();
}

void MainView::SyncPage() {
  int page = -1;
  if (form_.fraHome.Visible()) page = 0;
  if (form_.fraScan.Visible()) page = 1;
  if (form_.frmResults.Visible()) page = 2;
  if (form_.fraOptions.Visible()) page = 3;
  if (page >= 0) pages_->setCurrentIndex(page);
  for (size_t i = 0; i < navButtons_.size(); ++i)
    navButtons_[i]->setChecked(static_cast<int>(i) == pages_->currentIndex());
}

void MainView::SyncStageMarker() {
  const auto& marker = form_.shpStageMarker;
  for (auto& [caption, arrow] : stageMarkers_) {
    const bool here = marker.Visible() && marker.Top() == caption->Top();
    arrow->setText(here ? QStringLiteral("\u25B6") : QString());
  }
}

// ---- Navigation --------------------------------------------------------------------------------

QWidget* MainView::BuildSidebar() {
  auto* bar = new QFrame;
  bar->setObjectName("sidebar");
  auto* col = new QVBoxLayout(bar);
  col->setContentsMargins(12, 16, 12, 16);
  col->setSpacing(4);

  auto* brand = new QHBoxLayout;
  auto* logo = new QLabel;
  logo->setPixmap(artwork::Shield(36, devicePixelRatioF()));
  brand->addWidget(logo);
  auto* name = Plain(Q(app_.brand.programName), "brandName");
  brand->addWidget(name, 1);
  col->addLayout(brand);
  col->addSpacing(18);

  auto* nav = new Binder(this);
  nav->SetNotBuilt(&MainView::NotBuilt);
  auto navButton = [&](forms::Control& control, bool page) {
    auto* button = Make<QPushButton>(control);
    button->setProperty("nav", true);
    button->setCursor(Qt::PointingHandCursor);
    if (page) {
      button->setCheckable(true);
      navButtons_.push_back(button);
    }
    nav->Button(control, button);
    if (page) connect(button, &QPushButton::clicked, this, [this] { SyncPage(); });
    return button;
  };
  navButton(form_.cmdStatus, true);
  navButton(form_.cmdScan, true);
  {
    auto* results = navButton(form_.cmdResults, true);
    // The number of traces found rides on the Results button.
    auto* badge = Make<QLabel>(form_.lblRemovePicSoftwareFound, results);
    badge->setProperty("badge", true);
    badge->setAlignment(Qt::AlignCenter);
    auto* layout = new QHBoxLayout(results);
    layout->setContentsMargins(0, 0, 10, 0);
    layout->addStretch(1);
    layout->addWidget(badge);
    auto apply = [this, badge] {
      const auto& c = form_.lblRemovePicSoftwareFound;
      const bool show = c.Visible() && !c.Caption().empty() && c.Caption() != "0";
      badge->setText(DisplayText(c.Caption()));
      badge->setVisible(show);
    };
    apply();
    form_.lblRemovePicSoftwareFound.Changed().Subscribe(apply);
  }
  navButton(form_.cmdSettings, true);
  auto* line = new QFrame;
  line->setObjectName("sidebarLine");
  line->setFixedHeight(1);
  col->addSpacing(8);
  for (auto* b : navButtons_) col->addWidget(b);
  col->addSpacing(8);
  col->addWidget(line);
  col->addSpacing(8);
  col->addWidget(navButton(form_.cmdUpdate, false));
  col->addWidget(navButton(form_.cmdLog, false));
  col->addStretch(1);
  col->addWidget(navButton(form_.cmdHijack, false));
  col->addWidget(navButton(form_.cmdWebsite, false));
  col->addWidget(navButton(form_.Command5, false));
  bar->setMinimumWidth(210);
  bar->setMaximumWidth(250);
  return bar;
}

// ---- Home --------------------------------------------------------------------------------------

QWidget* MainView::BuildHome() {
  auto* page = new QWidget;
  auto* b = new Binder(this);
  b->SetNotBuilt(&MainView::NotBuilt);
  auto* col = new QVBoxLayout(page);
  col->setContentsMargins(28, 22, 28, 22);
  col->setSpacing(16);

  auto* title = Make<QLabel>(form_.fraHome);
  title->setProperty("pageTitle", true);
  b->Label(form_.fraHome, title);
  title->setVisible(true);
  col->addWidget(title);

  auto* welcome = Card();
  auto* welcomeRow = new QHBoxLayout(welcome);
  welcomeRow->setContentsMargins(20, 18, 20, 18);
  welcomeRow->setSpacing(20);
  auto* picture = Make<QLabel>(form_.PicStartUp);
  picture->setPixmap(artwork::Shield(88, devicePixelRatioF()));
  b->State(form_.PicStartUp, picture);
  welcomeRow->addWidget(picture, 0, Qt::AlignTop);
  auto* welcomeText = Make<QLabel>(form_.Label22);
  welcomeText->setWordWrap(true);
  welcomeText->setProperty("lead", true);
  b->Label(form_.Label22, welcomeText);
  welcomeRow->addWidget(welcomeText, 1);
  col->addWidget(welcome);

  auto* figures = Card();
  auto* grid = new QGridLayout(figures);
  grid->setContentsMargins(20, 16, 20, 16);
  grid->setHorizontalSpacing(24);
  grid->setVerticalSpacing(10);
  const std::pair<forms::Label*, forms::Label*> rows[] = {
      {&form_.Label1, &form_.lblDefCount},     {&form_.Label3, &form_.lblDefVersion},
      {&form_.Label2, &form_.lblVersion},      {&form_.Label5, &form_.lblLastScan},
      {&form_.Label6, &form_.lblLastFullScan}, {&form_.Label4, &form_.lblDefRemoved}};
  int r = 0;
  for (const auto& [caption, value] : rows) {
    auto* name = Make<QLabel>(*caption);
    name->setProperty("muted", true);
    b->Label(*caption, name);
    auto* figure = Make<QLabel>(*value);
    figure->setProperty("figure", true);
    figure->setTextInteractionFlags(Qt::TextSelectableByMouse);
    b->Label(*value, figure);
    grid->addWidget(name, r / 2 * 2, (r % 2));
    grid->addWidget(figure, r / 2 * 2 + 1, (r % 2));
    ++r;
  }
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  col->addWidget(figures);

  auto* actions = new QHBoxLayout;
  auto* scanNow = Make<QPushButton>(form_.Command1);
  scanNow->setProperty("primary", true);
  b->Button(form_.Command1, scanNow);
  actions->addWidget(scanNow);
  actions->addStretch(1);
  col->addLayout(actions);
  col->addStretch(1);
  return page;
}

// ---- Scan
// ----------------------------------------------------------------------------------------

QWidget* MainView::BuildScan() {
  auto* page = new QWidget;
  auto* b = new Binder(this);
  b->SetNotBuilt(&MainView::NotBuilt);
  auto* col = new QVBoxLayout(page);
  col->setContentsMargins(28, 22, 28, 22);
  col->setSpacing(14);

  auto* title = Make<QLabel>(form_.fraScan);
  title->setProperty("pageTitle", true);
  b->Label(form_.fraScan, title);
  title->setVisible(true);
  col->addWidget(title);

  // Mode choice, and the shortcut buttons that choose a mode and start at once.
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
  col->addWidget(modes);

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
  col->addLayout(actions);

  // Progress: status line, stage caption, the bars and the counters.
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
  pcol->addLayout(bars);

  auto* counters = new QGridLayout;
  counters->setHorizontalSpacing(6);
  counters->setVerticalSpacing(4);
  const std::pair<forms::Label*, forms::Label*> counterRows[] = {
      {&form_.Label9, &form_.lblMemoryInspected},
      {&form_.Label10, &form_.lblRegistryInspected},
      {&form_.Label11, &form_.lblFilesFolderInspected},
      {&form_.Label12, &form_.lblTotalNoOfRunningItems},
      {&form_.Label13, &form_.lblSoftwareFound}};
  r = 0;
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
  pcol->addLayout(counters);
  col->addWidget(progress);
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

// ---- Results
// -------------------------------------------------------------------------------------

QWidget* MainView::BuildResults() {
  auto* page = new QWidget;
  auto* b = new Binder(this);
  b->SetNotBuilt(&MainView::NotBuilt);
  auto* col = new QVBoxLayout(page);
  col->setContentsMargins(28, 22, 28, 22);
  col->setSpacing(12);

  auto* head = new QHBoxLayout;
  auto* title = Make<QLabel>(form_.frmResults);
  title->setProperty("pageTitle", true);
  b->Label(form_.frmResults, title);
  title->setVisible(true);
  head->addWidget(title);
  head->addStretch(1);
  auto* tracesCaption = Make<QLabel>(form_.Label14);
  tracesCaption->setProperty("muted", true);
  b->Label(form_.Label14, tracesCaption);
  auto* traces = Make<QLabel>(form_.lbltracesFound);
  traces->setProperty("bigFigure", true);
  b->Label(form_.lbltracesFound, traces);
  head->addWidget(tracesCaption, 0, Qt::AlignBaseline);
  head->addWidget(traces, 0, Qt::AlignBaseline);
  col->addLayout(head);

  auto* listCaption = new QHBoxLayout;
  auto* resultsCaption = Make<QLabel>(form_.Label26);
  resultsCaption->setProperty("section", true);
  b->Label(form_.Label26, resultsCaption);
  auto* hint = Make<QLabel>(form_.Label15);
  hint->setProperty("muted", true);
  hint->setWordWrap(true);
  b->Label(form_.Label15, hint);
  listCaption->addWidget(resultsCaption);
  listCaption->addSpacing(12);
  listCaption->addWidget(hint, 1);
  col->addLayout(listCaption);

  resultsList_ =
      new ListWidget(form_.lvwPicRemoveListOfSpywareFoundAndToBeRemoved, RowIcon, twipsPerPixel_);
  // Until the user sizes the columns (their widths are then kept), they get room for what
  // they hold rather than the stored default.
  resultsList_->SetUnsizedWidths({200, 270, 110, 90});
  Remember(form_.lvwPicRemoveListOfSpywareFoundAndToBeRemoved, resultsList_);
  resultsList_->setMinimumHeight(180);
  col->addWidget(resultsList_, 1);

  // Removal progress, shown while the ticked items are removed.
  auto* removal = new QHBoxLayout;
  auto* deleting = Make<QLabel>(form_.lblDeletingCaption);
  b->Label(form_.lblDeletingCaption, deleting);
  auto* bar = Make<QProgressBar>(form_.pgbDeleteSpywaresFound);
  b->Progress(form_.pgbDeleteSpywaresFound, bar);
  auto* percent = Make<QLabel>(form_.lblDeletingPercentageCompleted);
  b->Label(form_.lblDeletingPercentageCompleted, percent);
  removal->addWidget(deleting);
  removal->addWidget(bar, 1);
  removal->addWidget(percent);
  col->addLayout(removal);

  auto* actions = new QHBoxLayout;
  actions->setSpacing(8);
  for (forms::CommandButton* c :
       {&form_.cmdSelectAll, &form_.cmdBrowse, &form_.cmdExclude, &form_.cmdFalsePos}) {
    auto* button = Make<QPushButton>(*c);
    b->Button(*c, button);
    actions->addWidget(button);
  }
  actions->addStretch(1);
  auto* repair = Make<QPushButton>(form_.Command4);
  repair->setProperty("primary", true);
  b->Button(form_.Command4, repair);
  actions->addWidget(repair);
  col->addLayout(actions);

  auto* submit = Card();
  auto* srow = new QHBoxLayout(submit);
  srow->setContentsMargins(16, 10, 16, 10);
  auto* file = Make<QLineEdit>(form_.txtFilename);
  b->Text(form_.txtFilename, file);
  auto* submitCaption = Make<QLabel>(form_.Label16);
  b->Label(form_.Label16, submitCaption, file);
  auto* send = Make<QPushButton>(form_.cmdSubmit);
  b->Button(form_.cmdSubmit, send);
  srow->addWidget(submitCaption);
  srow->addWidget(file, 1);
  srow->addWidget(send);
  col->addWidget(submit);
  return page;
}

// ---- Options
// -------------------------------------------------------------------------------------

QWidget* MainView::BuildOptions() {
  auto* page = new QWidget;
  auto* col = new QVBoxLayout(page);
  col->setContentsMargins(28, 22, 28, 22);
  col->setSpacing(12);
  auto* pageBinder = new Binder(this);
  auto* title = Make<QLabel>(form_.fraOptions);
  title->setProperty("pageTitle", true);
  pageBinder->Label(form_.fraOptions, title);
  title->setVisible(true);
  col->addWidget(title);

  tabs_ = new QTabBar;
  Remember(form_.TabStrip1, tabs_);
  tabs_->setExpanding(false);
  tabs_->setDrawBase(true);
  auto* stack = new QStackedWidget;
  col->addWidget(tabs_);
  col->addWidget(stack, 1);

  auto makeTab = [&](std::vector<forms::Frame*> frames,
                     const std::function<void(Binder*, QVBoxLayout*, forms::Frame*)>& fill) {
    auto* tab = new QWidget;
    auto* tcol = new QVBoxLayout(tab);
    tcol->setContentsMargins(0, 14, 0, 0);
    tcol->setSpacing(14);
    auto* b = new Binder(this);
    b->SetNotBuilt(&MainView::NotBuilt);
    for (forms::Frame* frame : frames) {
      auto* group = Make<QGroupBox>(*frame);
      b->Group(*frame, group);
      auto* gcol = new QVBoxLayout(group);
      gcol->setSpacing(8);
      fill(b, gcol, frame);
    }
    for (forms::Frame* frame : frames) tcol->addWidget(WidgetFor(frame->Name()));
    tcol->addStretch(1);
    stack->addWidget(tab);
  };
  auto check = [&](Binder* b, QVBoxLayout* into, forms::CheckBox& c) {
    auto* box = Make<QCheckBox>(c);
    b->Check(c, box);
    into->addWidget(box);
  };
  auto option = [&](Binder* b, QLayout* into, forms::OptionButton& c) {
    auto* button = Make<QRadioButton>(c);
    b->Option(c, button);
    into->addWidget(button);
  };

  // Scan Options
  makeTab({&form_.Frame1, &form_.Frame2}, [&](Binder* b, QVBoxLayout* g, forms::Frame* frame) {
    if (frame == &form_.Frame1) {
      for (forms::CheckBox* c :
           {&form_.chkSweepMemory, &form_.chkScanRegistry, &form_.chkScanCookies, &form_.chkMakeLog,
            &form_.chkSendData, &form_.chkRunAtStartup})
        check(b, g, *c);
      return;
    }
    auto* row = new QHBoxLayout;
    option(b, row, form_.optScanOnlyKnownSoftwares);
    option(b, row, form_.optScanAllSelectedHardDrive);
    row->addStretch(1);
    g->addLayout(row);
    auto* drives = new ListWidget(form_.lvwHardDrives, nullptr, twipsPerPixel_);
    Remember(form_.lvwHardDrives, drives);
    drives->setMaximumHeight(140);
    drives->setMaximumWidth(260);
    g->addWidget(drives);
  });
  // Proactive Protection
  makeTab({&form_.Frame3, &form_.Frame4}, [&](Binder* b, QVBoxLayout* g, forms::Frame* frame) {
    if (frame == &form_.Frame3) {
      check(b, g, form_.chkHomePage);
      auto* onOff = new QHBoxLayout;
      option(b, onOff, form_.optIEHomePageSheildOn);
      option(b, onOff, form_.optIEHomePageSheildOff);
      onOff->addStretch(1);
      g->addLayout(onOff);
      auto* reaction = new QVBoxLayout;
      reaction->setContentsMargins(24, 0, 0, 0);
      option(b, reaction, form_.optAlwaysnotifybeforerestoring);
      option(b, reaction, form_.optRestoredefaultwithoutnotification);
      g->addLayout(reaction);
      return;
    }
    check(b, g, form_.chkAutoProtect);
    auto* onOff = new QHBoxLayout;
    option(b, onOff, form_.optMemorySheildOn);
    option(b, onOff, form_.optMemorySheildOff);
    onOff->addStretch(1);
    g->addLayout(onOff);
  });
  // Schedule
  makeTab({&form_.Frame5}, [&](Binder* b, QVBoxLayout* g, forms::Frame*) {
    check(b, g, form_.chkAutomaticScanYesOrNo);
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
    check(b, g, form_.chkAutoDel);
    auto* buttons = new QHBoxLayout;
    for (forms::CommandButton* c : {&form_.CmdProceed, &form_.cmdDefaultSetting}) {
      auto* button = Make<QPushButton>(*c);
      b->Button(*c, button);
      buttons->addWidget(button);
    }
    buttons->addStretch(1);
    g->addLayout(buttons);
  });
  // Auto Update
  makeTab({&form_.Frame6}, [&](Binder* b, QVBoxLayout* g, forms::Frame*) {
    check(b, g, form_.chkAutomaticUpdate);
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
  });

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
  return page;
}

// ---- Menu bar
// ------------------------------------------------------------------------------------

void MainView::BuildMenus() {
  std::map<std::string, QMenu*> menus;
  std::map<QMenu*, Binder*> mnemonicsOf;
  auto* top = new Binder(this);
  for (forms::Control* control : form_.Controls()) {
    auto* item = dynamic_cast<forms::Menu*>(control);
    if (!item) continue;
    if (item->Parent().empty()) {
      auto* menu = new QMenu(menuBar_);
      QAction* action = menuBar_->addMenu(menu);
      menus[item->Name()] = menu;
      mnemonicsOf[menu] = new Binder(this);
      auto apply = [item, action, menu, top] {
        action->setText(top->WithMnemonic(action, item->Caption()));
        action->setVisible(item->Visible());
        action->setEnabled(item->Enabled());
        menu->setTitle(action->text());
      };
      apply();
      item->Changed().Subscribe(apply);
      widgets_[{item->Name(), -1}] = menu;
      continue;
    }
    auto it = menus.find(item->Parent());
    if (it == menus.end()) continue;
    QMenu* menu = it->second;
    Binder* letters = mnemonicsOf[menu];
    auto* action = new QAction(menu);
    menu->addAction(action);
    auto apply = [item, action, letters] {
      const bool separator = item->Caption() == "-";
      action->setSeparator(separator);
      if (!separator) action->setText(letters->WithMnemonic(action, item->Caption()));
      action->setVisible(item->Visible());
      action->setEnabled(item->Enabled() && !NotBuilt(*item));
      action->setCheckable(item->Checked());
      action->setChecked(item->Checked());
    };
    apply();
    item->Changed().Subscribe(apply);
    connect(action, &QAction::triggered, this, [item] { item->Click(); });
    actions_[{item->Name(), item->Index().value_or(-1)}] = action;
  }
}

}  // namespace quill::gui
