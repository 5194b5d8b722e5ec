#include "display/view.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "display/editorview.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

namespace {

constexpr char kWrapMark = '>';
constexpr char kCutMark = static_cast<char>(187);  // "»" in Latin-1

int32_t rowsOfLine(const EditorView& w, const LineNode* n) {
  return w.wrapMode ? std::max<int32_t>(1, n->rows()) : 1;
}

int indentationOf(const LineNode& n) {
  int spaces = n.indent;
  if (isClosedHeader(&n)) {
    spaces = n.indent + n.markerColumn();
  } else if (n.kind == FoldEnd && n.partner() && n.partner()->kind == EnteredFold) {
    // The entered fold's end keeps the header's former indent for the way
    // out; on screen it stands with its header.
    spaces = n.partner()->indent;
  }
  return std::max(0, spaces);
}

// Keeps the cursor's column within its piece when it changes pieces.
void adjustColumnForPiece(EditorView& w) {
  if (!w.wrapMode) return;
  const int width = w.textWidth();
  w.cursorCol = w.curSubRow * width + w.cursorCol % width;
}

// The cursor one row on or back, without touching the screen; the marks of
// a fold being created follow it. False at the view's ends.
bool stepCursor(EditorView& w, bool down) {
  ViewPos p{w.currentLine, w.curSubRow};
  if (!(down ? stepDown(w, p) : stepUp(w, p))) return false;
  LineNode* left = w.currentLine;
  const bool newLine = p.line != left;
  w.currentLine = p.line;
  w.curSubRow = p.subRow;
  adjustColumnForPiece(w);
  w.textColumn = w.leftColumn + w.cursorCol + 1;
  if (w.createFoldMode && newLine) {
    if (down)
      p.line->mark = 1;
    else
      left->mark = 0;
  }
  return true;
}

// The screen moves up one row; the last row is left for the caller.
void shiftRowsUp(EditorView& w) {
  w.scr.moveRows(1, 0, w.screenRows - 1);
  for (int r = 1; r < w.screenRows; ++r) {
    ScreenRow s = w.shownAt(r + 1);
    w.setShown(r, s.line, s.subRow);
  }
  w.setShown(w.screenRows, nullptr, 0);
  w.host.invalidateRows(w.handle(), 1, w.screenRows);
}

void shiftRowsDown(EditorView& w) {
  w.scr.moveRows(0, 1, w.screenRows - 1);
  for (int r = w.screenRows; r > 1; --r) {
    ScreenRow s = w.shownAt(r - 1);
    w.setShown(r, s.line, s.subRow);
  }
  w.setShown(1, nullptr, 0);
  w.host.invalidateRows(w.handle(), 1, w.screenRows);
}

// The rows of the mark and of create-fold marks changed: repaint them.
void afterMarkMove(EditorView& w, int row) {
  if (w.markActive) w.updateMarkRows();
  if (w.createFoldMode) {
    w.queueRepaint(row);
    w.host.invalidateRows(w.handle(), row, row);
  }
}

// Rows of a page move: from the cursor to the screen's far edge, the one
// farther from it, so that a page is never less than half a window.
int pageRows(const EditorView& w) {
  return std::max({w.cursorRow - 1, w.screenRows - w.cursorRow, 1});
}

}  // namespace

const char* markerOf(const LineNode& n) {
  switch (n.kind) {
    case FiledFold: return "...F ";
    case ClosedFold: return "...  ";
    case OpenFold:
    case EnteredFold: return "{{{  ";
    case FileTop: return "{{{F ";
    case FoldEnd: return "}}}";
    default: return "";
  }
}

size_t displayPrefix(const LineNode& n) {
  return static_cast<size_t>(indentationOf(n)) + std::strlen(markerOf(n));
}

std::string displayText(const LineNode& n) {
  std::string out(static_cast<size_t>(indentationOf(n)), ' ');
  out += markerOf(n);
  if (n.kind != FoldEnd && n.text) out += n.text;
  return out;
}

std::string screenText(const LineNode& n) {
  const std::string raw = displayText(n);
  if (raw.find('\t') == std::string::npos) return raw;
  const int tab = std::max(1, settings().tabSize);
  std::string out;
  out.reserve(raw.size() + 16);
  for (char c : raw) {
    if (c == '\t') {
      out.append(static_cast<size_t>(tab - static_cast<int>(out.size() % tab)), ' ');
    } else {
      out += c;
    }
  }
  return out;
}

bool screenPiece(const LineNode& n, size_t start, size_t count, std::string& out) {
  const size_t end = start + count;
  size_t col = 0;
  // What stands in front of the text: indentation and marker.
  const size_t indent = static_cast<size_t>(std::max(0, indentationOf(n)));
  const char* marker = markerOf(n);
  auto putRun = [&](const char* run, size_t length) {
    // Columns col .. col + length of `run`, one byte each (run null: blanks).
    const size_t from = std::max(col, start);
    const size_t to = std::min(col + length, end);
    if (from < to) {
      if (run)
        out.append(run + (from - col), to - from);
      else
        out.append(to - from, ' ');
    }
    col += length;
  };
  putRun(nullptr, indent);
  if (col >= end) return true;
  putRun(marker, std::strlen(marker));
  if (col >= end) return true;
  const char* p = n.kind == FoldEnd || !n.text ? "" : n.text;
  const int tab = std::max(1, settings().tabSize);
  while (*p) {
    // A run without tabs maps bytes to columns one to one.
    const size_t length = strnlen(p, end - col);
    const void* t = std::memchr(p, '\t', length);
    const size_t run = t ? static_cast<size_t>(static_cast<const char*>(t) - p) : length;
    putRun(p, run);
    p += run;
    if (col >= end) return true;
    if (*p == '\t') {
      putRun(nullptr, static_cast<size_t>(tab) - col % static_cast<size_t>(tab));
      ++p;
      if (col >= end) return true;
    }
  }
  return false;
}

size_t screenLength(const LineNode& n) {
  const char* text = n.kind == FoldEnd || !n.text ? "" : n.text;
  if (std::strchr(text, '\t')) return screenText(n).size();
  return static_cast<size_t>(indentationOf(n)) + std::strlen(markerOf(n)) + std::strlen(text);
}

int32_t wrapRowsFor(size_t length, int width) {
  if (width < 1) width = 1;
  if (length == 0) return 1;
  return static_cast<int32_t>((length + static_cast<size_t>(width) - 1) / static_cast<size_t>(width));
}

LineNode* viewFirst(const EditorView& w) { return w.levelTop ? w.levelTop->next : nullptr; }

bool atViewStart(const EditorView& w, const ViewPos& p) {
  return p.line == viewFirst(w) && p.subRow == 0;
}

bool atViewEnd(const EditorView& w, const ViewPos& p) {
  return p.line == w.levelBottom && p.subRow + 1 >= rowsOfLine(w, p.line);
}

bool stepDown(const EditorView& w, ViewPos& p) {
  if (!p.line) return false;
  if (p.subRow + 1 < rowsOfLine(w, p.line)) {
    ++p.subRow;
    return true;
  }
  if (p.line == w.levelBottom || !p.line->next) return false;
  p.line = p.line->next;
  p.subRow = 0;
  return true;
}

bool stepUp(const EditorView& w, ViewPos& p) {
  if (!p.line) return false;
  if (p.subRow > 0) {
    --p.subRow;
    return true;
  }
  if (p.line == viewFirst(w)) return false;
  LineNode* prev = p.line->prev;
  if (!prev || prev == w.levelTop) return false;
  p.line = prev;
  p.subRow = rowsOfLine(w, prev) - 1;
  return true;
}

int32_t rowsBefore(const EditorView& w, const ViewPos& p) {
  int32_t rows = 0;
  for (LineNode* n = viewFirst(w); n; n = n->next) {
    if (n == p.line) return rows + p.subRow;
    rows += rowsOfLine(w, n);
    if (n == w.levelBottom) break;
  }
  return rows;
}

int32_t viewRows(const EditorView& w) {
  int32_t rows = 0;
  for (LineNode* n = viewFirst(w); n; n = n->next) {
    rows += rowsOfLine(w, n);
    if (n == w.levelBottom) break;
  }
  return rows;
}

void composeRow(EditorView& w, int row, LineNode* line, int32_t subRow) {
  if (row < 1 || row > w.screenRows) return;
  if (w.paintHeld > 0) {
    w.setShown(row, line, line ? subRow : 0);
    return;
  }
  if (!line) {
    clearRow(w, row);
    return;
  }
  w.fitScreenBuffer();
  const size_t width = static_cast<size_t>(w.textWidth());
  const size_t start = w.wrapMode ? static_cast<size_t>(subRow) * width
                                  : static_cast<size_t>(std::max(0, w.leftColumn));

  std::string composed;
  composed.reserve(width + 5);
  if (!screenPiece(*line, start, width, composed)) {
    composed.append(width - composed.size(), ' ');
    composed += "     ";
  } else {
    composed += w.wrapMode ? kWrapMark : kCutMark;
    composed += "    ";
  }

  char* dst = w.scr.row(row - 1);
  if (dst) {
    const size_t stride = static_cast<size_t>(w.scr.getStride());
    const size_t n = std::min(stride, composed.size());
    std::memcpy(dst, composed.data(), n);
    if (n < stride) std::memset(dst + n, ' ', stride - n);
  }
  w.setShown(row, line, subRow);
  w.host.invalidateRows(w.handle(), row, row);
}

void clearRow(EditorView& w, int row) {
  if (row < 1 || row > w.screenRows) return;
  if (w.paintHeld > 0) {
    w.setShown(row, nullptr, 0);
    return;
  }
  w.fitScreenBuffer();
  if (char* dst = w.scr.row(row - 1)) std::memset(dst, ' ', static_cast<size_t>(w.scr.getStride()));
  w.setShown(row, nullptr, 0);
  w.host.invalidateRows(w.handle(), row, row);
}

void Redraw(EditorView& w, int fromRow) {
  if (!w.levelTop) return;
  if (!w.topLine) {
    w.topLine = viewFirst(w);
    w.topSubRow = 0;
  }
  w.fitScreenBuffer();
  ViewPos p{w.topLine, w.topSubRow};
  ViewPos last = p;
  bool have = p.line != nullptr;
  int shown = 0;
  for (int r = 1; r <= w.screenRows; ++r) {
    if (have) {
      if (r >= fromRow)
        composeRow(w, r, p.line, p.subRow);
      else
        w.setShown(r, p.line, p.subRow);
      last = p;
      shown = r;
      have = stepDown(w, p);
    } else if (r >= fromRow) {
      clearRow(w, r);
    } else {
      w.setShown(r, nullptr, 0);
    }
  }
  w.bottomLine = last.line;
  w.bottomSubRow = last.subRow;
  w.shownRows = shown;
  if (w.markActive) w.updateMarkRows();
}

void PaintHold::add(EditorView& w) {
  if (std::find(held_.begin(), held_.end(), &w) != held_.end()) return;
  ++w.paintHeld;
  held_.push_back(&w);
}

void PaintHold::release() {
  for (EditorView* w : held_) {
    if (--w->paintHeld == 0) Redraw(*w, 1);
  }
  held_.clear();
}

void RedrawKeepTop(EditorView& w) {
  if (w.topLine == viewFirst(w) && w.topSubRow == 0) {
    const int row = rowsBefore(w, ViewPos{w.currentLine, w.curSubRow}) + 1;
    if (row > w.screenRows) {
      // The cursor went below the window: bring it back with context.
      PlaceCursor(w, w.screenRows - 1);
      return;
    }
    w.cursorRow = row;
    Redraw(w, 1);
  } else {
    PlaceCursor(w, 2);
  }
}

void PlaceCursor(EditorView& w, int wanted) {
  if (!w.currentLine) return;
  const ViewPos cursor{w.currentLine, w.curSubRow};
  int above = 1;
  for (ViewPos p = cursor; above < w.screenRows && stepUp(w, p);) ++above;
  int below = 0;
  for (ViewPos p = cursor; below < w.screenRows - 1 && stepDown(w, p);) ++below;

  int row = wanted;
  if (row < 2) row = 2;
  if (row >= w.screenRows) row = w.screenRows - 1;
  if (row > above) row = above;
  // Fill the window from the top rather than leave rows empty at the end.
  while (below + row < w.screenRows && row < above) ++row;
  if (row < 1) row = 1;

  ViewPos top = cursor;
  for (int i = 1; i < row; ++i) stepUp(w, top);
  w.topLine = top.line;
  w.topSubRow = top.subRow;
  w.cursorRow = row;
  Redraw(w, 1);
}

std::string versionText(const EditorView& w) {
  char buf[400];
  const LineNode* header = w.levelTop ? w.levelTop->next : nullptr;
  if (w.levelTop && w.levelTop != w.fileTop && header && header->kind == EnteredFold)
    std::snprintf(buf, sizeof buf, "Plicato V%s (%.300s)", kPlicatoVersion,
                  header->text ? header->text : "");
  else
    std::snprintf(buf, sizeof buf, "Plicato V%s", kPlicatoVersion);
  return buf;
}

void showVersion(EditorView& w) { w.host.statusMessage(versionText(w)); }

bool moveDown(EditorView& w) {
  if (!w.currentLine) return false;
  if (!stepCursor(w, true)) {
    w.host.statusMessage("BOTTOM of LIST.");
    return false;
  }
  showVersion(w);
  if (w.cursorRow >= w.screenRows) {
    ViewPos top{w.topLine, w.topSubRow};
    stepDown(w, top);
    w.topLine = top.line;
    w.topSubRow = top.subRow;
    shiftRowsUp(w);
    w.cursorRow = w.screenRows;
    composeRow(w, w.screenRows, w.currentLine, w.curSubRow);
    w.bottomLine = w.currentLine;
    w.bottomSubRow = w.curSubRow;
    w.shownRows = w.screenRows;
    ++w.vScrollPos;
  } else {
    ++w.cursorRow;
  }
  afterMarkMove(w, w.cursorRow);
  return true;
}

namespace {

// The view scrolls down one row to show `top` (the row piece above its
// old top) on row 1; the bottom row falls off when the screen is full.
void showAtTop(EditorView& w, ViewPos top) {
  w.topLine = top.line;
  w.topSubRow = top.subRow;
  shiftRowsDown(w);
  composeRow(w, 1, top.line, top.subRow);
  if (w.shownRows < w.screenRows) {
    ++w.shownRows;
  } else {
    ViewPos bottom{w.bottomLine, w.bottomSubRow};
    stepUp(w, bottom);
    w.bottomLine = bottom.line;
    w.bottomSubRow = bottom.subRow;
  }
  if (w.vScrollPos > 0) --w.vScrollPos;
}

}  // namespace

bool moveUp(EditorView& w) {
  if (!w.currentLine) return false;
  const int leftRow = w.cursorRow;
  if (!stepCursor(w, false)) {
    w.host.statusMessage("TOP of LIST");
    return false;
  }
  showVersion(w);
  if (w.cursorRow <= 1) {
    showAtTop(w, {w.currentLine, w.curSubRow});
    w.cursorRow = 1;
    afterMarkMove(w, 2);
  } else {
    --w.cursorRow;
    afterMarkMove(w, leftRow);
  }
  return true;
}

namespace {

// A page of cursor steps; at the end of the list nothing moves.
int pageMove(EditorView& w, bool down) {
  if (!w.currentLine) return 0;
  const int n = pageRows(w);
  int moved = 0;
  while (moved < n && stepCursor(w, down)) ++moved;
  if (moved == 0) {
    w.host.statusMessage(down ? "BOTTOM of LIST." : "TOP of LIST");
    return 0;
  }
  showVersion(w);
  PlaceCursor(w, w.cursorRow);
  return moved;
}

}  // namespace

int pageDown(EditorView& w) { return pageMove(w, true); }

int pageUp(EditorView& w) { return pageMove(w, false); }

bool scrollViewDown(EditorView& w) {
  if (!w.topLine || w.shownRows < w.screenRows) return false;
  ViewPos bottom{w.bottomLine, w.bottomSubRow};
  if (!stepDown(w, bottom)) return false;
  ViewPos top{w.topLine, w.topSubRow};
  stepDown(w, top);
  w.topLine = top.line;
  w.topSubRow = top.subRow;
  shiftRowsUp(w);
  composeRow(w, w.screenRows, bottom.line, bottom.subRow);
  w.bottomLine = bottom.line;
  w.bottomSubRow = bottom.subRow;
  ++w.vScrollPos;
  if (w.cursorRow > 1)
    --w.cursorRow;
  else
    stepCursor(w, true);
  if (w.markActive) w.updateMarkRows();
  return true;
}

bool scrollViewUp(EditorView& w) {
  if (!w.topLine) return false;
  ViewPos top{w.topLine, w.topSubRow};
  if (!stepUp(w, top)) return false;
  showAtTop(w, top);
  if (w.cursorRow < w.screenRows)
    ++w.cursorRow;
  else
    stepCursor(w, false);
  if (w.markActive) w.updateMarkRows();
  return true;
}

void moveToRow(EditorView& w, int row) {
  if (row < 1 || row > w.shownRows || !w.currentLine) noLineFault(w, row);
  if (w.hooks.leaveLine) w.hooks.leaveLine(w);
  while (w.cursorRow < row) {
    if (!stepCursor(w, true)) noLineFault(w, row);
    ++w.cursorRow;
    if (w.createFoldMode) w.host.invalidateRows(w.handle(), w.cursorRow, w.cursorRow);
  }
  while (w.cursorRow > row) {
    const int left = w.cursorRow;
    if (!stepCursor(w, false)) noLineFault(w, row);
    --w.cursorRow;
    if (w.createFoldMode) w.host.invalidateRows(w.handle(), left, left);
  }
  if (w.hooks.enterLine) w.hooks.enterLine(w);
}

void noLineFault(EditorView& w, int row) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "There is no line with number %d", row);
  w.host.messageBox(buf, "Plicato Internal Error", MbButtons::Ok, MbIcon::Stop);
  w.host.exitProcess(222);
  _exit(222);  // a host's exitProcess never returns; this keeps the promise
}

void cursorToColumn(EditorView& w, int col) {
  if (w.wrapMode) {
    const int width = w.textWidth();
    w.leftColumn = 0;
    w.curSubRow = std::min(col / width, std::max(1, w.currentLine->rows().get()) - 1);
    w.cursorCol = col;
  } else {
    w.curSubRow = 0;
    if (col < w.leftColumn || col >= w.leftColumn + w.textWidth())
      w.leftColumn = std::max(0, col - w.textWidth() / 2);
    w.cursorCol = col - w.leftColumn;
  }
  w.textColumn = w.leftColumn + w.cursorCol + 1;
}
