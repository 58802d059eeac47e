#pragma once

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QString>

#include "views/Artwork.h"

/// Small building blocks the main window's pages share.
namespace quill::gui::detail {

/// A framed card that groups a page's related controls.
inline QFrame* Card(QWidget* parent = nullptr) {
  auto* card = new QFrame(parent);
  card->setObjectName("card");
  card->setFrameShape(QFrame::NoFrame);
  return card;
}

/// A label that follows no control.
inline QLabel* Plain(const QString& text, const char* objectName = nullptr) {
  auto* label = new QLabel(text);
  if (objectName) label->setObjectName(objectName);
  return label;
}

/// The icon of a found item's row, by its kind.
inline QIcon RowIcon(int kind) {
  return artwork::KindIcon(kind);
}

}  // namespace quill::gui::detail
