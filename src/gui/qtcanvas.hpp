// QtCanvas: the Canvas of the core over a QPainter.
//
// Text is single bytes shown as Latin-1, on an opaque background, in the
// colours the core gives as 0x00BBGGRR. With a cell width set (the editor's
// fixed-pitch grid) every character is put at its own cell, so that a font
// whose advance is not a whole pixel cannot drift off the grid the mouse
// and the caret use.
#pragma once

#include <QColor>
#include <QFontMetrics>

#include <cstdint>

#include "display/canvas.hpp"

class QPainter;

// 0x00BBGGRR and back.
QColor qColorOf(uint32_t colour);
uint32_t colourOf(const QColor& colour);

class QtCanvas : public ColouredCanvas {
 public:
  // cellWidth 0: proportional text, measured by the font.
  QtCanvas(QPainter& painter, int cellWidth, int cellHeight);

  void moveTo(int x, int y) override;
  void textOut(const char* text, int n) override;
  void textOutAt(int x, int y, const char* text, int n) override;
  int textWidth(const char* text, int n) const override;
  int textHeight() const override { return cellHeight_; }

  int x() const { return x_; }
  int y() const { return y_; }

 private:
  QPainter& painter_;
  QFontMetrics metrics_;
  int cellWidth_;
  int cellHeight_;
  int x_ = 0;
  int y_ = 0;
  bool exactCells_ = false;
};
