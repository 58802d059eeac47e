#include "views/MainView.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/Application.h"
#include "app/FrmMain.h"

namespace quill::gui {

MainView::MainView(Application& app, FrmMain& form) : FormView(form), app_(app), form_(form) {
  setObjectName("mainWindow");
  twipsPerPixel_ = std::max(1, app.Host().Screen().twipsPerPixelX);

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

QLabel* MainView::PageTitle(Binder* b, forms::Control& frame) {
  auto* title = Make<QLabel>(frame);
  title->setProperty("pageTitle", true);
  b->Label(frame, title);
  title->setVisible(true);
  return title;
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

}  // namespace quill::gui
