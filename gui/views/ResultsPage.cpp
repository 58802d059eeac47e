#include "views/MainView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/FrmMain.h"
#include "views/ListModel.h"
#include "views/MainViewParts.h"

namespace quill::gui {

using detail::Card;
using detail::RowIcon;

QWidget* MainView::BuildResults() {
  auto* page = new QWidget;
  auto* b = new Binder(this);
  auto* col = new QVBoxLayout(page);
  col->setContentsMargins(28, 22, 28, 22);
  col->setSpacing(12);
  AddResultsHeading(b, col);

  resultsList_ =
      new ListWidget(form_.lvwPicRemoveListOfSpywareFoundAndToBeRemoved, RowIcon, twipsPerPixel_);
  // Until the user sizes the columns (their widths are then kept), they get room for what
  // they hold rather than the stored default.
  resultsList_->SetUnsizedWidths({200, 270, 110, 90});
  Remember(form_.lvwPicRemoveListOfSpywareFoundAndToBeRemoved, resultsList_);
  resultsList_->setMinimumHeight(180);
  col->addWidget(resultsList_, 1);

  AddResultsActions(b, col);
  return page;
}

// The title with the number of traces found, and the list's caption with its hint.
void MainView::AddResultsHeading(Binder* b, QVBoxLayout* col) {
  auto* head = new QHBoxLayout;
  head->addWidget(PageTitle(b, form_.frmResults));
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
}

// Below the list: the removal progress, the list's commands and the submission of a file.
void MainView::AddResultsActions(Binder* b, QVBoxLayout* col) {
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
}

}  // namespace quill::gui
