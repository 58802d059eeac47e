#pragma once

#include <QLabel>

namespace quill::gui {

/// A one-line label that shortens its text in the middle to the width it gets, instead of
/// widening the window: the scan's status line shows long paths.
class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ElidedLabel(QWidget* parent = nullptr);
  void setFullText(const QString& text);
  const QString& fullText() const { return full_; }
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();
  QString full_;
};

}  // namespace quill::gui
