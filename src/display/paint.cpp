#include "display/paint.hpp"

#include <algorithm>
#include <string>
#include <vector>

#include "display/canvas.hpp"
#include "display/highlight.hpp"
#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "platform/host.hpp"

namespace {

// Passes everything on to the real canvas and keeps the runs of the row
// in character columns.
class RunTap : public Canvas {
 public:
  RunTap(Canvas& inner, int cellWidth) : inner_(inner), cell_(std::max(1, cellWidth)) {}

  void moveTo(int x, int y) override {
    inner_.moveTo(x, y);
    col_ = x / cell_;
  }
  void textOut(const char* text, int n) override {
    inner_.textOut(text, n);
    keep(col_, text, n);
    col_ += n;
  }
  void textOutAt(int x, int y, const char* text, int n) override {
    inner_.textOutAt(x, y, text, n);
    keep(x / cell_, text, n);
  }
  void setTextColour(uint32_t c) override { inner_.setTextColour(c); }
  uint32_t textColour() const override { return inner_.textColour(); }
  void setBackColour(uint32_t c) override { inner_.setBackColour(c); }
  uint32_t backColour() const override { return inner_.backColour(); }
  int textWidth(const char* text, int n) const override { return inner_.textWidth(text, n); }
  int textHeight() const override { return inner_.textHeight(); }

  std::vector<PaintedRun> take() { return std::move(runs_); }

 private:
  void keep(int col, const char* text, int n) {
    if (n <= 0) return;
    runs_.push_back({col, std::string(text, static_cast<size_t>(n)), inner_.textColour(),
                     inner_.backColour()});
  }

  Canvas& inner_;
  int cell_;
  int col_ = 0;
  std::vector<PaintedRun> runs_;
};

// Bytes of a stored row as the painter reads them (no NUL inside).
std::string rowBytes(const EditorView& w, int row, int from, int count) {
  std::string out;
  const char* bytes = w.scr.row(row - 1);
  const int stride = w.scr.getStride();
  if (!bytes) return std::string(static_cast<size_t>(std::max(0, count)), ' ');
  for (int i = from; i < from + count; ++i) {
    char c = i < stride ? bytes[i] : ' ';
    out += c == '\0' ? ' ' : c;
  }
  return out;
}

void paintRow(EditorView& w, Canvas& dc, int row) {
  const int width = w.textWidth();
  const ScreenRow shown = w.shownAt(row);
  const int y = (row - 1) * w.charHeight;
  const bool selected = (w.markActive && row >= w.markFirstRow && row <= w.markLastRow) ||
                        (shown.line && shown.line->mark);
  const int mode = selected ? kPaintSelected : kPaintNormal;

  // A piece that starts inside its line is painted after the line's text
  // before it, scanned but not drawn, so that a keyword or comment that
  // began to the left keeps its colours.
  std::string text;
  int start = 0;
  if (shown.line) {
    start = w.wrapMode ? shown.subRow * width : std::max(0, w.leftColumn);
    if (start > 0) {
      screenPiece(*shown.line, 0, static_cast<size_t>(start), text, w.ctx.settings.tabSize);
      text.resize(static_cast<size_t>(start), ' ');
    }
  }
  text += rowBytes(w, row, 0, width);
  const uint32_t state = shown.line ? stateOf(shown.line, w.doc.markUp) : uint32_t{kStateNormal};
  RowRecord* record = w.scr.info(row - 1);
  const uint32_t back =
      paintLine(dc, 0, y, text.c_str(), start, start + width, state, mode, w.doc.markUp, record,
                w.ctx.settings);

  // The match the replace command asks about, over what was painted.
  if (shown.line && shown.line == w.foundLine && w.foundLength > 0) {
    const int from = std::max(w.foundColumn, start);
    const int to = std::min(w.foundColumn + w.foundLength, start + width);
    if (from < to) {
      const uint32_t textColour = dc.textColour();
      const uint32_t backColour = dc.backColour();
      paintLine(dc, (from - start) * w.charWidth, y, text.c_str(), from, to, state,
                kPaintSelected, w.doc.markUp, nullptr, w.ctx.settings);
      dc.setTextColour(textColour);
      dc.setBackColour(backColour);
    }
  }

  // The tail: the continuation mark and blanks behind the text.
  std::string tail;
  if (w.wrapMode)
    tail = shown.line && shown.subRow + 1 < std::max<int32_t>(1, shown.line->rows()) ? ">   " : "    ";
  else
    tail = rowBytes(w, row, width, 5);
  const uint32_t savedBack = dc.backColour();
  dc.setBackColour(back);
  paintLine(dc, width * w.charWidth, y, tail.c_str(), 0, static_cast<int>(tail.size()),
            kStateNormal, kPaintTextOnly, w.doc.markUp, nullptr, w.ctx.settings);
  dc.setBackColour(savedBack);
}

}  // namespace

void paintRows(EditorView& w, Canvas& dc, int firstRow, int lastRow) {
  w.composeChanged();
  if (w.iconic) return;
  if (w.markActive) {
    firstRow = 1;
    lastRow = w.screenRows;
  }
  firstRow = std::max(firstRow, 1);
  lastRow = std::min(lastRow, w.screenRows);
  w.fitScreenBuffer();
  for (int row = firstRow; row <= lastRow; ++row) {
    RunTap tap(dc, w.charWidth);
    paintRow(w, tap, row);
    w.host.paintedRow(w.handle(), row, tap.take());
  }
  // The strip below the last row, in the plain colours.
  const std::string blank(static_cast<size_t>(w.screenCols) + 1, ' ');
  paintLine(dc, 0, w.screenRows * w.charHeight, blank.c_str(), 0, static_cast<int>(blank.size()),
            kStateNormal, kPaintNormal, w.doc.markUp, nullptr, w.ctx.settings);
  w.positionCaret();
}

void paintWindow(EditorView& w, Canvas& dc) { paintRows(w, dc, 1, w.screenRows); }
