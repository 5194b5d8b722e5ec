#include "engine/lineunits.hpp"

#include <cstring>

#include "commandids/commandids.hpp"
#include "model/linestates.hpp"
#include "engine/view.hpp"
#include "engine/layout.hpp"
#include "engine/foldedit.hpp"
#include "model/linestore.hpp"
#include "platform/host.hpp"

namespace {

// Lines that are no unit of their own, or frame the view.
bool standsAlone(const View& w, const LineNode* n) {
  return n != w.doc.levelBottom && n->kind != FoldEnd && n->kind != OpenFold &&
         n->kind != EnteredFold && n->kind != FileTop;
}

// Putting back goes above the cursor line, which must lie inside the view.
bool mayPutHere(const View& w) {
  const LineNode* cur = w.currentLine;
  return cur && cur->kind != EnteredFold && cur->kind != FileTop;
}

// Whether the command takes only the cursor's row of a wrapped line.
bool takesPiece(const View& w, const LineNode* cur) {
  if (!w.wrapMode || cur->rows() <= 1) return false;
  if (isClosedHeader(cur) && w.curSubRow == 0) return false;
  return w.curSubRow > 0 || cur->kind == TextLine;
}

void detach(LineNode* unit) {
  unit->prev = nullptr;
  unit->next = nullptr;
  if (isClosedHeader(unit) && unit->partner()) unit->partner()->next = nullptr;
  journal::touch(unit);
  unit->mark = 0;
}

LineNode* takePiece(View& w) {
  LineNode* cur = w.currentLine;
  size_t from = 0, to = 0;
  if (!rowTextRange(w, cur, w.curSubRow, from, to) || from == to) return nullptr;
  LineNode* piece = newLineNode(w.doc);
  assignN(*piece, cur->text + from, to - from);
  piece->prev = piece->next = nullptr;
  w.computeRows(piece);
  eraseAt(*cur, from, to - from);
  w.computeRows(cur);
  cur->lineState = kStateRecompute;
  update(cur, w.doc.markUp);
  if (w.curSubRow >= cur->rows() && cur->next) {
    // The line lost the row the cursor was on: the next line moves up.
    if (w.topLine == cur && w.topSubRow >= cur->rows()) {
      w.topLine = cur->next;
      w.topSubRow = 0;
    }
    w.currentLine = cur->next;
    w.curSubRow = 0;
    w.cursorCol %= w.textWidth();
    w.textColumn = w.leftColumn + w.cursorCol + 1;
  }
  Redraw(w, w.cursorRow);
  w.queueRepaint(w.cursorRow);
  return piece;
}

// A node taken back from the free list may be anything that was ever given
// to it; only a text line or a whole closed fold may go into the view.
void makeInsertable(LineNode* n) {
  bool whole = false;
  if (isClosedHeader(n) && n->partner() && n->partner()->partner() == n && n->partner()->kind == FoldEnd) {
    const LineNode* q = n->inner();
    for (long guard = 0; q && q != n->partner() && guard < (1L << 26); ++guard) q = q->next;
    whole = q == n->partner();
  }
  if (!whole) {
    journal::touch(n);
    n->kind = TextLine;
    n->inner() = nullptr;
    n->partner() = nullptr;
  }
  detach(n);
}

// Puts the unit of a slot above the cursor; the slot empties when it went in.
void putFromSlot(View& w, LineNode*& slot) {
  if (!slot || !mayPutHere(w)) return;
  if (InsertNode(w, slot)) {
    slot = nullptr;
    w.doc.markChanged();
    w.queueRepaint(w.cursorRow);
  }
}

// The pick chain keeps its back links; its last unit ends it.
void appendToPicks(View& w, LineNode* unit) {
  journal::touch(unit);
  unit->indent = 0;
  unit->mark = 0;
  linkAfter(w.pickTail, unit);
  unit->next = nullptr;
  if (isClosedHeader(unit) && unit->partner()) unit->partner()->next = nullptr;
  w.pickTail = unit;
}

}  // namespace

LineNode* takeLineOut(View& w) {
  LineNode* cur = w.currentLine;
  if (!cur) return nullptr;
  if (takesPiece(w, cur)) return takePiece(w);
  if (!standsAlone(w, cur)) return nullptr;
  LineNode* after = cur->next;
  linkAfter(cur->prev, after);
  if (w.topLine == cur) {
    w.topLine = after;
    w.topSubRow = 0;
  }
  w.currentLine = after;
  w.curSubRow = 0;
  detach(cur);
  after->lineState = kStateRecompute;
  update(after, w.doc.markUp);
  Redraw(w, w.cursorRow);
  w.queueRepaint(w.cursorRow);
  return cur;
}

int pickCount(const View& w) {
  int n = 0;
  for (const LineNode* p = w.pickHead; p != w.pickTail && p->next; p = p->next) ++n;
  return n;
}

void deleteLine(View& w) {
  LineNode* unit = takeLineOut(w);
  if (!unit) return;
  if (w.deletedLine) dispose(w.doc, w.deletedLine);
  w.deletedLine = unit;
  w.doc.markChanged();
}

bool restoreLine(View& w) {
  if (!mayPutHere(w)) return false;
  if (w.deletedLine) {
    putFromSlot(w, w.deletedLine);
    return false;
  }
  if (w.doc.disposeHead == w.doc.disposeTail) return false;
  w.host.statusMessage("Press restore line again for best try");
  return true;
}

void restoreBestTry(View& w) {
  if (!mayPutHere(w) || w.deletedLine) return;
  LineNode* back = takeBack(w.doc);
  if (!back) return;
  makeInsertable(back);
  w.deletedLine = back;
  putFromSlot(w, w.deletedLine);
}

void moveLine(View& w) {
  if (w.moveSlot) {
    putFromSlot(w, w.moveSlot);
    return;
  }
  if (LineNode* unit = takeLineOut(w)) {
    w.moveSlot = unit;
    w.doc.markChanged();
  }
}

void copyLineCommand(View& w) {
  LineNode* cur = w.currentLine;
  if (!cur || cur == w.doc.levelBottom || !mayPutHere(w)) return;
  if (w.wrapMode && cur->kind != TextLine && w.curSubRow == 0) return;
  const bool piece = w.wrapMode;
  if (!lineBudget(w.doc, piece ? 1 : unitNodeCount(cur))) return;
  LineNode* copy = CopyLine(w, cur);
  if (!copy) return;
  // Past the copied row; the copy goes in above the row reached, which on
  // a wrapped line joins the piece to the text there.
  if (!moveDown(w)) {
    dispose(w.doc, copy);
    return;
  }
  if (InsertNode(w, copy)) {
    w.doc.markChanged();
    w.queueRepaint(w.cursorRow);
  } else {
    dispose(w.doc, copy);
  }
}

void pickLine(View& w) {
  if (LineNode* unit = takeLineOut(w)) {
    appendToPicks(w, unit);
    w.doc.markChanged();
  }
}

void copyPick(View& w) {
  LineNode* cur = w.currentLine;
  if (!cur) return;
  const bool piece = w.wrapMode && (cur->kind == TextLine || w.curSubRow > 0);
  if (!lineBudget(w.doc, piece ? 1 : unitNodeCount(cur))) return;
  if (LineNode* copy = CopyLine(w, cur)) {
    appendToPicks(w, copy);
    w.doc.markChanged();
  }
}

void putPick(View& w) {
  if (!mayPutHere(w)) return;
  if (w.pickHead == w.pickTail) {
    w.host.statusMessage("No pick");
    return;
  }
  if (w.wrapMode && w.curSubRow > 0) {
    w.host.statusMessage("Fold can't be inserted here - only between strings");
    return;
  }
  if (!lineBudget(w.doc, 2)) return;
  LineNode* header = newLineNode(w.doc);
  LineNode* end = newLineNode(w.doc);
  journal::touch(header);
  header->kind = ClosedFold;
  header->markerColumn() = 0;
  journal::touch(end);
  end->kind = FoldEnd;
  end->indent = 0;
  LineNode* first = w.pickHead->next;
  header->inner() = first;
  first->prev = header;
  linkAfter(w.pickTail, end);
  end->next = nullptr;
  header->partner() = end;
  end->partner() = header;
  header->prev = header->next = nullptr;
  w.pickHead->next = nullptr;
  w.pickTail = w.pickHead;
  InsertNode(w, header);  // cannot refuse: the cursor is between lines
  w.doc.markChanged();
  w.queueRepaint(w.cursorRow);
}
