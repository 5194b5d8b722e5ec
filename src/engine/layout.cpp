#include "engine/layout.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "engine/view.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

namespace {

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
void adjustColumnForPiece(View& w) {
  if (!w.wrapMode) return;
  const int width = w.textWidth();
  w.cursorCol = w.curSubRow * width + w.cursorCol % width;
}

// The cursor one row on or back, without touching the screen; the marks of
// a fold being created follow it. False at the view's ends.
bool stepCursor(View& w, bool down) {
  ViewPos p{w.currentLine, w.curSubRow};
  if (!(down ? stepDown(w, p) : stepUp(w, p))) return false;
  LineNode* left = w.currentLine;
  const bool newLine = p.line != left;
  w.currentLine = p.line;
  w.curSubRow = p.subRow;
  adjustColumnForPiece(w);
  w.textColumn = w.leftColumn + w.cursorCol + 1;
  if (w.createFoldMode && newLine) {
    LineNode* marked = down ? p.line : left;
    journal::touch(marked);
    marked->mark = down ? 1 : 0;
  }
  return true;
}

// The screen moves up one row; the last row is left for the caller.
void shiftRowsUp(View& w) { w.shiftRows(true); }

void shiftRowsDown(View& w) { w.shiftRows(false); }

// The rows of the mark and of create-fold marks changed: repaint them.
void afterMarkMove(View& w, int row) {
  if (w.markActive) w.updateMarkRows();
  if (w.createFoldMode) {
    w.queueRepaint(row);
    w.host.invalidateRows(w.handle(), row, row);
  }
}

// Rows of a page move: from the cursor to the screen's far edge, the one
// farther from it, so that a page is never less than half a window.
int pageRows(const View& w) {
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

std::string screenText(const LineNode& n, int tabSize) {
  const std::string raw = displayText(n);
  if (raw.find('\t') == std::string::npos) return raw;
  const int tab = std::max(1, tabSize);
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

bool screenPiece(const LineNode& n, size_t start, size_t count, std::string& out,
                 int tabSize) {
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
  const int tab = std::max(1, tabSize);
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

size_t screenLength(const LineNode& n, int tabSize) {
  const char* text = n.kind == FoldEnd || !n.text ? "" : n.text;
  if (std::strchr(text, '\t')) return screenText(n, tabSize).size();
  return static_cast<size_t>(indentationOf(n)) + std::strlen(markerOf(n)) + std::strlen(text);
}

int32_t wrapRowsFor(size_t length, int width) {
  if (width < 1) width = 1;
  if (length == 0) return 1;
  return static_cast<int32_t>((length + static_cast<size_t>(width) - 1) / static_cast<size_t>(width));
}

LineNode* viewFirst(const View& w) { return w.doc.levelTop ? w.doc.levelTop->next : nullptr; }

bool atViewStart(const View& w, const ViewPos& p) {
  return p.line == viewFirst(w) && p.subRow == 0;
}

bool atViewEnd(const View& w, const ViewPos& p) {
  return p.line == w.doc.levelBottom && p.subRow + 1 >= w.shownRowsOf(p.line);
}

bool stepDown(const View& w, ViewPos& p) {
  if (!p.line) return false;
  if (p.subRow + 1 < w.shownRowsOf(p.line)) {
    ++p.subRow;
    return true;
  }
  if (p.line == w.doc.levelBottom || !p.line->next) return false;
  p.line = p.line->next;
  p.subRow = 0;
  return true;
}

bool stepUp(const View& w, ViewPos& p) {
  if (!p.line) return false;
  if (p.subRow > 0) {
    --p.subRow;
    return true;
  }
  if (p.line == viewFirst(w)) return false;
  LineNode* prev = p.line->prev;
  if (!prev || prev == w.doc.levelTop) return false;
  p.line = prev;
  p.subRow = w.shownRowsOf(prev) - 1;
  return true;
}

int32_t rowsBefore(const View& w, const ViewPos& p) {
  int32_t rows = 0;
  for (LineNode* n = viewFirst(w); n; n = n->next) {
    if (n == p.line) return rows + p.subRow;
    rows += w.shownRowsOf(n);
    if (n == w.doc.levelBottom) break;
  }
  return rows;
}

int32_t viewRows(const View& w) {
  int32_t rows = 0;
  for (LineNode* n = viewFirst(w); n; n = n->next) {
    rows += w.shownRowsOf(n);
    if (n == w.doc.levelBottom) break;
  }
  return rows;
}

void composeRow(View& w, int row, LineNode* line, int32_t subRow) { w.show(row, line, subRow); }

void clearRow(View& w, int row) { w.show(row, nullptr, 0); }

void Redraw(View& w, int fromRow) {
  if (!w.doc.levelTop) return;
  if (!w.topLine) {
    w.topLine = viewFirst(w);
    w.topSubRow = 0;
  }
  w.fitRows();
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

void PaintHold::add(View& w) {
  if (std::find(held_.begin(), held_.end(), &w) != held_.end()) return;
  ++w.paintHeld;
  held_.push_back(&w);
}

void PaintHold::release() {
  for (View* w : held_) {
    if (--w->paintHeld == 0) Redraw(*w, 1);
  }
  held_.clear();
}

void RedrawKeepTop(View& w) {
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

void PlaceCursor(View& w, int wanted) {
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

std::string versionText(const View& w) {
  char buf[400];
  const LineNode* header = w.doc.levelTop ? w.doc.levelTop->next : nullptr;
  if (w.doc.levelTop && w.doc.levelTop != w.doc.fileTop && header && header->kind == EnteredFold)
    std::snprintf(buf, sizeof buf, "Plicato V%s (%.300s)", kPlicatoVersion,
                  header->text ? header->text : "");
  else
    std::snprintf(buf, sizeof buf, "Plicato V%s", kPlicatoVersion);
  return buf;
}

void showVersion(View& w) { w.host.statusMessage(versionText(w)); }

bool moveDown(View& w) {
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
void showAtTop(View& w, ViewPos top) {
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

bool moveUp(View& w) {
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
int pageMove(View& w, bool down) {
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

int pageDown(View& w) { return pageMove(w, true); }

int pageUp(View& w) { return pageMove(w, false); }

bool scrollViewDown(View& w) {
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

bool scrollViewUp(View& w) {
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

void moveToRow(View& w, int row) {
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

void noLineFault(View& w, int row) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "There is no line with number %d", row);
  w.host.messageBox(buf, "Plicato Internal Error", MbButtons::Ok, MbIcon::Stop);
  w.host.exitProcess(222);
  _exit(222);  // a host's exitProcess never returns; this keeps the promise
}

void cursorToColumn(View& w, int col) {
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
