#include "views/MainView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/FrmMain.h"
#include "views/Artwork.h"
#include "views/MainViewParts.h"

namespace quill::gui {

using detail::Card;

QWidget* MainView::BuildHome() {
  auto* page = new QWidget;
  auto* b = new Binder(this);
  auto* col = new QVBoxLayout(page);
  col->setContentsMargins(28, 22, 28, 22);
  col->setSpacing(16);

  col->addWidget(PageTitle(b, form_.fraHome));

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

}  // namespace quill::gui
