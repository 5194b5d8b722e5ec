#include "gui/printcanvas.hpp"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPaintDevice>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gui/qtcanvas.hpp"

namespace {

constexpr int kDefaultHeight = 11;  // 0.11 inch, about 8 points

// A point size that makes `pixels` device pixels on the device.
double pointsFor(double pixels, const QPaintDevice* device) {
  const int dpi = device && device->logicalDpiY() > 0 ? device->logicalDpiY() : 96;
  return std::max(0.5, pixels * 72.0 / dpi);
}

}  // namespace

QString printerFace(const std::string& faceName) {
  const QString face = QString::fromLatin1(faceName.c_str());
  if (!face.isEmpty() && QFontDatabase::hasFamily(face)) return face;
  // The system's fixed-pitch font is often an alias ("monospace"): the
  // face it stands for is the one a user can find in the font list.
  return QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
}

QFont printerQFont(const PrinterFont& pf, const QPaintDevice* device, double pixelsPerUnit) {
  QFont font;
  font.setFamily(printerFace(pf.faceName));
  font.setStyleHint(QFont::TypeWriter, QFont::PreferQuality);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  font.setWeight(static_cast<QFont::Weight>(std::clamp(pf.weight > 0 ? pf.weight : 400, 1, 1000)));
  font.setItalic(pf.italic != 0);

  const double units = pf.height == 0 ? kDefaultHeight : std::abs(static_cast<double>(pf.height));
  double pixels = units * pixelsPerUnit;
  font.setPointSizeF(pointsFor(pixels, device));
  if (pf.height > 0) {
    // A cell height: the characters are that much smaller than the cell.
    const QFontMetricsF m(font, device);
    if (m.height() > 0) font.setPointSizeF(pointsFor(pixels * pixels / m.height(), device));
  }
  if (pf.width > 0) {
    const QFontMetricsF m(font, device);
    if (m.averageCharWidth() > 0) {
      const double stretch = pf.width * pixelsPerUnit * 100.0 / m.averageCharWidth();
      font.setStretch(std::clamp(static_cast<int>(std::lround(stretch)), 1, 4000));
    }
  }
  return font;
}

PrinterCanvas::PrinterCanvas(QPainter* painter, const QPaintDevice* device, double sx, double sy,
                             QPointF origin, const PrinterFont& font)
    : painter_(painter),
      font_(printerQFont(font, device, sy)),
      metrics_(font_, device),
      sx_(sx > 0 ? sx : 1.0),
      sy_(sy > 0 ? sy : 1.0),
      origin_(origin) {
  if (painter_) painter_->setFont(font_);
}

PrinterCanvas::~PrinterCanvas() = default;

void PrinterCanvas::moveTo(int x, int y) {
  x_ = x;
  y_ = y;
}

void PrinterCanvas::textOut(const char* text, int n) {
  textOutAt(x_, y_, text, n);
  x_ += textWidth(text, n);
}

void PrinterCanvas::textOutAt(int x, int y, const char* text, int n) {
  if (!painter_ || !text || n <= 0) return;
  const QString s = QString::fromLatin1(text, n);
  const double left = origin_.x() + x * sx_;
  const double top = origin_.y() - y * sy_;
  if (!transparent_)
    painter_->fillRect(QRectF(left, top, metrics_.horizontalAdvance(s), metrics_.height()),
                       qColorOf(back_));
  painter_->setPen(qColorOf(text_));
  painter_->drawText(QPointF(left, top + metrics_.ascent()), s);
}

int PrinterCanvas::textWidth(const char* text, int n) const {
  if (!text || n <= 0) return 0;
  return static_cast<int>(std::lround(metrics_.horizontalAdvance(QString::fromLatin1(text, n)) / sx_));
}

int PrinterCanvas::textHeight() const {
  return std::max(1, static_cast<int>(std::lround(metrics_.height() / sy_)));
}
