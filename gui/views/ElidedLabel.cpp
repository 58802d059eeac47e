#include "views/ElidedLabel.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace quill::gui {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setFullText(const QString& text) {
  if (text == full_) return;
  full_ = text;
  setToolTip(text);
  Elide();
}

QSize ElidedLabel::minimumSizeHint() const {
  return {10, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Elide();
}

void ElidedLabel::Elide() {
  QString oneLine = full_;
  oneLine.replace(QChar('\n'), QChar(' '));
  setText(fontMetrics().elidedText(oneLine, Qt::ElideMiddle, std::max(10, width())));
}

}  // namespace quill::gui
