#include "views/MainView.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Application.h"
#include "app/FrmMain.h"
#include "views/Artwork.h"
#include "views/MainViewParts.h"

namespace quill::gui {

using detail::Plain;

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
  // Wide enough for the longest entry in the shipped languages ("... besuchen").
  bar->setMinimumWidth(210);
  bar->setMaximumWidth(290);
  return bar;
}

}  // namespace quill::gui
