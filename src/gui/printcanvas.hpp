// PrinterCanvas: the core's Canvas on a printer page (or a picture of one)
// in the printouts' units: hundredths of an inch, y growing upwards from
// the top of the page, text placed by the top of its cell.
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>

#include <cstdint>
#include <string>

#include "display/canvas.hpp"
#include "model/settings.hpp"

class QPainter;
class QPaintDevice;

// The printer font for a device on which one logical unit (0.01 inch) is
// pixelsPerUnit device pixels: a negative height is the character height,
// a positive one the cell height, in logical units; a width is the average
// character width (0: the face's own). A face the system does not have
// (the default "LinePrinter" is a printer's own) prints in the system's
// fixed-pitch face.
QFont printerQFont(const PrinterFont& font, const QPaintDevice* device, double pixelsPerUnit);
// The face a printer font of that face name really prints in.
QString printerFace(const std::string& faceName);

class PrinterCanvas : public ColouredCanvas {
 public:
  // painter null: a canvas that only measures (the page geometry).
  // origin: where the top left of the page is on the device, in pixels.
  PrinterCanvas(QPainter* painter, const QPaintDevice* device, double pixelsPerUnitX,
                double pixelsPerUnitY, QPointF origin, const PrinterFont& font);
  ~PrinterCanvas() override;

  void moveTo(int x, int y) override;
  void textOut(const char* text, int n) override;
  void textOutAt(int x, int y, const char* text, int n) override;
  int textWidth(const char* text, int n) const override;
  int textHeight() const override;

  const QFont& font() const { return font_; }

 private:
  QPainter* painter_;
  QFont font_;
  QFontMetricsF metrics_;
  double sx_, sy_;
  QPointF origin_;
  int x_ = 0, y_ = 0;
};
