#include "views/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>
#include <initializer_list>

namespace quill::gui::artwork {

namespace {

using Painter = std::function<void(QPainter&, qreal)>;

QPixmap Draw(int size, qreal dpr, const Painter& paint) {
  QPixmap pixmap(static_cast<int>(size * dpr), static_cast<int>(size * dpr));
  pixmap.setDevicePixelRatio(dpr);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  paint(p, size);
  return pixmap;
}

QIcon IconOf(const Painter& paint) {
  QIcon icon;
  for (int size : {16, 20, 24, 32, 48, 64, 128, 256}) icon.addPixmap(Draw(size, 1.0, paint));
  return icon;
}

// Straight lines through points given in parts of the size s; closed back to the first point
// when asked.
QPainterPath Lines(qreal s, std::initializer_list<QPointF> points, bool closed) {
  QPainterPath path;
  for (const QPointF& point : points) {
    if (path.elementCount() == 0)
      path.moveTo(point * s);
    else
      path.lineTo(point * s);
  }
  if (closed) path.closeSubpath();
  return path;
}

void PaintShield(QPainter& p, qreal s) {
  QPainterPath shield;
  shield.moveTo(0.5 * s, 0.06 * s);
  shield.cubicTo(0.66 * s, 0.15 * s, 0.8 * s, 0.17 * s, 0.9 * s, 0.17 * s);
  shield.cubicTo(0.9 * s, 0.55 * s, 0.78 * s, 0.8 * s, 0.5 * s, 0.95 * s);
  shield.cubicTo(0.22 * s, 0.8 * s, 0.1 * s, 0.55 * s, 0.1 * s, 0.17 * s);
  shield.cubicTo(0.2 * s, 0.17 * s, 0.34 * s, 0.15 * s, 0.5 * s, 0.06 * s);
  QLinearGradient fill(0, 0, 0, s);
  fill.setColorAt(0, QColor(kAccent).lighter(115));
  fill.setColorAt(1, QColor(kAccentDark));
  p.setPen(QPen(QColor(kNavy), std::max<qreal>(1.0, s / 28)));
  p.setBrush(fill);
  p.drawPath(shield);
  // A quill stroke across the shield: the product's mark.
  QPen stroke(Qt::white, std::max<qreal>(1.5, s / 11), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(stroke);
  p.setBrush(Qt::NoBrush);
  p.drawPath(Lines(s, {{0.3, 0.5}, {0.45, 0.65}, {0.72, 0.36}}, false));
}

void PaintCookie(QPainter& p, qreal s) {
  p.setPen(QPen(QColor("#7a4a1e"), std::max<qreal>(1.0, s / 16)));
  p.setBrush(QColor("#d9a35b"));
  p.drawEllipse(QRectF(0.1 * s, 0.1 * s, 0.8 * s, 0.8 * s));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor("#5b3413"));
  const qreal r = 0.07 * s;
  for (auto [x, y] : {std::pair{0.35, 0.35}, {0.62, 0.4}, {0.42, 0.64}, {0.66, 0.66}})
    p.drawEllipse(QPointF(x * s, y * s), r, r);
}

void PaintRegistry(QPainter& p, qreal s) {
  p.setPen(QPen(QColor("#1d4f8c"), std::max<qreal>(1.0, s / 20)));
  const qreal c = 0.36 * s;
  const QColor colours[] = {QColor("#4d8fd6"), QColor("#6fb0ea"), QColor("#3a76bd")};
  p.setBrush(colours[0]);
  p.drawRect(QRectF(0.1 * s, 0.5 * s, c, c));
  p.setBrush(colours[1]);
  p.drawRect(QRectF(0.5 * s, 0.5 * s, c, c));
  p.setBrush(colours[2]);
  p.drawRect(QRectF(0.3 * s, 0.12 * s, c, c));
}

void PaintFile(QPainter& p, qreal s) {
  p.setPen(QPen(QColor("#5a6673"), std::max<qreal>(1.0, s / 20)));
  p.setBrush(QColor("#fbfcfd"));
  p.drawPath(Lines(s, {{0.2, 0.06}, {0.6, 0.06}, {0.82, 0.28}, {0.82, 0.94}, {0.2, 0.94}}, true));
  p.setBrush(QColor("#d6dde4"));
  p.drawPath(Lines(s, {{0.6, 0.06}, {0.6, 0.28}, {0.82, 0.28}}, true));
  p.setPen(QPen(QColor(kWarn), std::max<qreal>(1.0, s / 16)));
  for (qreal y : {0.48, 0.62, 0.76}) p.drawLine(QPointF(0.32 * s, y * s), QPointF(0.7 * s, y * s));
}

void PaintFolder(QPainter& p, qreal s) {
  p.setPen(QPen(QColor("#a7781c"), std::max<qreal>(1.0, s / 20)));
  p.setBrush(QColor("#e9b949"));
  p.drawPath(
      Lines(s, {{0.08, 0.22}, {0.4, 0.22}, {0.48, 0.32}, {0.92, 0.32}, {0.92, 0.84}, {0.08, 0.84}},
            true));
  p.setBrush(QColor("#f5cf6a"));
  p.drawRect(QRectF(0.08 * s, 0.4 * s, 0.84 * s, 0.44 * s));
}

void PaintExcluded(QPainter& p, qreal s) {
  p.setPen(QPen(QColor("#8a949e"), std::max<qreal>(1.5, s / 9)));
  p.setBrush(Qt::NoBrush);
  const QRectF circle(0.16 * s, 0.16 * s, 0.68 * s, 0.68 * s);
  p.drawEllipse(circle);
  p.drawLine(QPointF(0.28 * s, 0.72 * s), QPointF(0.72 * s, 0.28 * s));
}

void PaintTransfer(QPainter& p, qreal s, bool up) {
  QLinearGradient fill(0, 0, 0, s);
  fill.setColorAt(0, QColor(up ? kAccent : kNavy).lighter(120));
  fill.setColorAt(1, QColor(up ? kAccentDark : kNavy));
  p.setPen(QPen(QColor(kNavy), std::max<qreal>(1.0, s / 28)));
  p.setBrush(fill);
  p.drawEllipse(QRectF(0.06 * s, 0.06 * s, 0.88 * s, 0.88 * s));
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  // The arrow drawn pointing up; flipped about the middle when it points down.
  if (!up) {
    p.translate(0, s);
    p.scale(1, -1);
  }
  p.drawPath(Lines(s,
                   {{0.5, 0.2},
                    {0.74, 0.46},
                    {0.59, 0.46},
                    {0.59, 0.78},
                    {0.41, 0.78},
                    {0.41, 0.46},
                    {0.26, 0.46}},
                   true));
}

}  // namespace

QIcon AppIcon() {
  static const QIcon icon = IconOf(PaintShield);
  return icon;
}

QPixmap Shield(int size, qreal devicePixelRatio) {
  return Draw(size, devicePixelRatio, PaintShield);
}

QPixmap Transfer(int size, bool up, qreal devicePixelRatio) {
  return Draw(size, devicePixelRatio, [up](QPainter& p, qreal s) { PaintTransfer(p, s, up); });
}

QIcon KindIcon(int kind) {
  static const QIcon cookie = IconOf(PaintCookie);
  static const QIcon registry = IconOf(PaintRegistry);
  static const QIcon file = IconOf(PaintFile);
  static const QIcon folder = IconOf(PaintFolder);
  static const QIcon excluded = IconOf(PaintExcluded);
  switch (kind) {
    case 1:
      return cookie;
    case 2:
      return registry;
    case 3:
      return file;
    case 4:
      return folder;
    case 5:
      return excluded;
    default:
      return {};
  }
}

}  // namespace quill::gui::artwork
