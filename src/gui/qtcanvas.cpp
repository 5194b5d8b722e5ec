#include "gui/qtcanvas.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <algorithm>

QColor qColorOf(uint32_t c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

uint32_t colourOf(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

QtCanvas::QtCanvas(QPainter& painter, int cellWidth, int cellHeight)
    : painter_(painter),
      metrics_(painter.font()),
      cellWidth_(std::max(0, cellWidth)),
      cellHeight_(cellHeight > 0 ? cellHeight : metrics_.height()) {
  // A font whose advance is the cell exactly can draw a run in one go.
  const QFontMetricsF exact(painter.font());
  exactCells_ = cellWidth_ > 0 && qFuzzyCompare(exact.horizontalAdvance(QChar('M')),
                                                static_cast<qreal>(cellWidth_)) &&
                qFuzzyCompare(exact.horizontalAdvance(QChar('i')), static_cast<qreal>(cellWidth_));
}

void QtCanvas::moveTo(int x, int y) {
  x_ = x;
  y_ = y;
}

void QtCanvas::textOut(const char* text, int n) {
  textOutAt(x_, y_, text, n);
  x_ += textWidth(text, n);
}

void QtCanvas::textOutAt(int x, int y, const char* text, int n) {
  if (!text || n <= 0) return;
  const QString s = QString::fromLatin1(text, n);
  const int width = textWidth(text, n);
  if (!transparent_) painter_.fillRect(x, y, width, cellHeight_, qColorOf(back_));
  painter_.setPen(qColorOf(text_));
  const int baseline = y + metrics_.ascent();
  if (cellWidth_ == 0 || exactCells_) {
    painter_.drawText(x, baseline, s);
    return;
  }
  for (int i = 0; i < n; ++i) {
    const QChar ch = s.at(i);
    // Blanks and control bytes leave the background as it is.
    if (ch.unicode() <= 32 || ch.unicode() == 127 || ch.unicode() == 160) continue;
    painter_.drawText(x + i * cellWidth_, baseline, QString(ch));
  }
}

int QtCanvas::textWidth(const char* text, int n) const {
  if (n <= 0) return 0;
  if (cellWidth_ > 0) return n * cellWidth_;
  return metrics_.horizontalAdvance(QString::fromLatin1(text, n));
}
