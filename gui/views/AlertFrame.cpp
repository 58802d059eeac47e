#include "views/AlertFrame.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "views/Artwork.h"

namespace quill::gui {

QVBoxLayout* BuildAlertFrame(QWidget& window, QPushButton* first, QPushButton* second) {
  auto* col = new QVBoxLayout(&window);
  col->setContentsMargins(24, 20, 24, 18);
  col->setSpacing(10);
  auto* top = new QHBoxLayout;
  top->setSpacing(18);
  auto* picture = new QLabel;
  picture->setPixmap(artwork::Shield(56, window.devicePixelRatioF()));
  top->addWidget(picture, 0, Qt::AlignTop);
  auto* text = new QVBoxLayout;
  top->addLayout(text, 1);
  col->addLayout(top);
  col->addStretch(1);
  first->setDefault(true);
  first->setProperty("primary", true);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  row->addWidget(first);
  row->addWidget(second);
  col->addLayout(row);
  return text;
}

}  // namespace quill::gui
