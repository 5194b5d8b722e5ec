#include "engine/foldedit.hpp"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "model/linestates.hpp"
#include "engine/view.hpp"
#include "engine/layout.hpp"
#include "model/foldformat.hpp"
#include "model/linestore.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

namespace {

constexpr const char* kBetweenStrings = "Fold can't be inserted here - only between strings";
constexpr const char* kNotSimpleFold = "Plicato line is not a simple fold!!";
// The closed-fold marker on screen ("...  ") and the column behind it.
constexpr int kClosedMarkerWidth = 5;

// A line's text changed: its rows and the block-comment states after it.
void textChanged(View& w, LineNode* n) {
  w.computeRows(n);
  n->lineState = kStateRecompute;
  update(n, w.doc.markUp);
}

// Screen row of (line, subRow) counted from the top of the window, or 0
// when it is not on screen.
int screenRowOf(const View& w, const LineNode* line, int32_t subRow = 0) {
  if (!w.topLine) return 0;
  ViewPos p{w.topLine, w.topSubRow};
  for (int r = 1; r <= w.screenRows; ++r) {
    if (p.line == line && p.subRow == subRow) return r;
    if (!stepDown(w, p)) break;
  }
  return 0;
}

void repaintFromCursor(View& w) {
  Redraw(w, w.cursorRow);
  w.queueRepaint(w.cursorRow);
}

int8_t rowForSaving(int row) { return static_cast<int8_t>(std::clamp(row, 1, 127)); }

// Whether a text line has only blanks in its first n bytes.
// The bytes of white space at the start of text that fill exactly n
// columns (tabs to their stops), or -1 when something else, or a tab
// reaching past them, stands within them. A shorter line of white space
// fills them all.
long whiteBefore(const char* text, int n, int tabSize) {
  const int tab = std::max(1, tabSize);
  int col = 0;
  long i = 0;
  while (col < n && text[i]) {
    if (text[i] == ' ')
      ++col;
    else if (text[i] == '\t')
      col = (col / tab + 1) * tab;
    else
      return -1;
    if (col > n) return -1;
    ++i;
  }
  return i;
}

bool blanksBefore(const char* text, int n, int tabSize) { return whiteBefore(text, n, tabSize) >= 0; }

// Cursor on the header, just behind its marker, as the second press of
// create fold leaves it.
void cursorBehindMarker(View& w, LineNode* header) {
  w.currentLine = header;
  cursorToColumn(w, foldColumn(header) + kClosedMarkerWidth);
}

// Turns `header`, a node linked directly above `first`, into the closed
// fold of the lines from first up to end (checked by canFoldRun), with a
// new end node above `end`. The header's indent is the column of the level.
LineNode* closeOverRun(View& w, LineNode* header, LineNode* first, LineNode* end,
                       int foldCol) {
  const int shift = foldCol - header->indent;
  for (LineNode* n = first; n != end; n = n->next) {
    if (n->kind == OpenFold) close(n);
    if (isClosedHeader(n)) {
      // Same marker column on screen, now measured from the new fold.
      n->markerColumn() = n->indent + n->markerColumn() - foldCol;
    } else if (n->kind == TextLine) {
      const int drop = foldCol - n->indent;
      if (drop > 0) {
        // The white space taken off stands for the new fold's columns: a
        // save writes it back as it was, tabs included.
        const long bytes = whiteBefore(n->text, drop, w.ctx.settings.tabSize);
        const std::string taken(n->text, static_cast<size_t>(bytes > 0 ? bytes : 0));
        if (n->extra() && n->extra()->leadShift >= 0) {
          n->extra()->lead += taken;
          n->extra()->leadShift += drop;
        } else if (taken.find('\t') != std::string::npos) {
          const int shift = w.depthOffset + n->indent;
          LineExtra& x = extraOf(*n);
          x.lead.assign(static_cast<size_t>(std::max(0, shift)), ' ');
          x.lead += taken;
          x.leadShift = std::max(0, shift) + drop;
        }
        eraseAt(*n, 0, taken.size());
      } else if (drop < 0) {
        const std::string pad(static_cast<size_t>(-drop), ' ');
        insertAt(*n, 0, pad.data(), pad.size());
      }
    }
    journal::touch(n);
    n->indent = 0;
    n->mark = 0;
    w.computeRows(n);
  }

  LineNode* foldEnd = newLineNode(w.doc);
  journal::touch(foldEnd);
  foldEnd->kind = FoldEnd;
  foldEnd->indent = 0;
  LineNode* last = end->prev;  // the header itself when the run is empty
  linkAfter(last, foldEnd);
  foldEnd->next = end;

  journal::touchText(header);
  header->text[0] = '\0';
  header->kind = ClosedFold;
  header->inner() = first == end ? foldEnd : first;
  header->inner()->prev = header;
  header->partner() = foldEnd;
  foldEnd->partner() = header;
  header->next = end;
  end->prev = header;
  header->indent = foldCol - shift;
  header->markerColumn() = shift;
  header->mark = 0;
  textChanged(w, header);
  return foldEnd;
}

// After a fold was made: the cursor to its header; the header keeps the
// row it showed at, when it was on screen below the first row.
void placeOnNewHeader(View& w, LineNode* header, int shownRow) {
  if (shownRow > 1) header->savedRow() = rowForSaving(shownRow);
  if (header->savedRow() < 1) header->savedRow() = rowForSaving(w.cursorRow);
  cursorBehindMarker(w, header);
  w.doc.markChanged();
  PlaceCursor(w, header->savedRow());
  w.queueRepaint(w.cursorRow);
}

// Copies one node's own fields (not its links).
LineNode* copyNode(View& w, const LineNode* n) {
  LineNode* c = newLineNode(w.doc);
  assign(*c, n->text ? n->text : "");
  copyOwnFields(*c, *n);
  copyExtra(*c, *n);
  return c;
}

// The deep copy of a text line or a closed fold: nodes in file order,
// headers matched to ends by nesting.
LineNode* copyUnit(View& w, LineNode* line) {
  const LineNode* last = isClosedHeader(line) ? line->partner() : line;
  std::vector<LineNode*> headers;
  LineNode* top = nullptr;
  LineNode* prevCopy = nullptr;
  LineNode* closedBy = nullptr;  // the header whose end prevCopy is
  for (const LineNode* n = line;; n = isClosedHeader(n) ? n->inner() : n->next) {
    LineNode* c = copyNode(w, n);
    if (!top) {
      top = c;
    } else if (closedBy) {
      // After a closed fold's end the chain goes on behind its header.
      linkAfter(closedBy, c);
    } else if (isClosedHeader(prevCopy)) {
      prevCopy->inner() = c;
      c->prev = prevCopy;
    } else {
      linkAfter(prevCopy, c);
    }
    closedBy = nullptr;
    if (isHeader(c)) headers.push_back(c);
    if (c->kind == FoldEnd && !headers.empty()) {
      LineNode* h = headers.back();
      headers.pop_back();
      h->partner() = c;
      c->partner() = h;
      if (isClosedHeader(h)) closedBy = h;
    }
    prevCopy = c;
    if (n == last) break;
  }
  top->prev = nullptr;
  top->next = nullptr;
  if (isClosedHeader(top)) top->partner()->next = nullptr;
  journal::touch(top);
  top->mark = 0;
  return top;
}

bool holdsFiledFold(const LineNode* line) {
  if (line->kind == FiledFold) return true;
  if (!isClosedHeader(line)) return false;
  const LineNode* last = line->partner();
  for (const LineNode* n = line; n && n != last; n = isClosedHeader(n) ? n->inner() : n->next)
    if (n->kind == FiledFold) return true;
  return false;
}

}  // namespace

int levelColumnAt(const LineNode* line) {
  if (line->kind == OpenFold) return line->indent - line->markerColumn();
  if (line->kind == FoldEnd && line->partner() && line->partner()->kind == EnteredFold)
    return line->partner()->indent;
  return line->indent;
}

bool rowTextRange(const View& w, const LineNode* line, int subRow, size_t& from,
                  size_t& to) {
  if (line->kind == FoldEnd || !line->text) return false;
  const size_t len = std::strlen(line->text);
  const std::string shown = displayText(*line);
  const size_t prefix = shown.size() - len;  // indentation and marker, no tabs
  const int width = w.textWidth();
  const long rowStart = static_cast<long>(subRow) * width;
  const long rowEnd = rowStart + width;
  const int tab = std::max(1, w.ctx.settings.tabSize);
  long col = static_cast<long>(prefix);
  from = to = len;
  bool haveFrom = false;
  for (size_t i = 0; i < len; ++i) {
    if (!haveFrom && col >= rowStart) {
      from = i;
      haveFrom = true;
    }
    if (col >= rowEnd) {
      to = i;
      break;
    }
    col = line->text[i] == '\t' ? (col / tab + 1) * tab : col + 1;
  }
  if (!haveFrom) from = len;
  if (to < from) to = from;
  return true;
}

bool InsertNode(View& w, LineNode* node) {
  LineNode* cur = w.currentLine;
  if (!cur || !node) return false;
  // Above the first line of the view the node would stand outside it.
  if (cur->kind == EnteredFold || cur->kind == FileTop) return false;
  if (w.wrapMode && w.curSubRow > 0) {
    size_t from = 0, to = 0;
    if (node->kind != TextLine || !rowTextRange(w, cur, w.curSubRow, from, to)) {
      w.host.statusMessage(kBetweenStrings);
      return false;
    }
    insertAt(*cur, from, node->text, std::strlen(node->text));
    node->prev = node->next = nullptr;
    dispose(w.doc, node);
    textChanged(w, cur);
    repaintFromCursor(w);
    return true;
  }
  journal::touch(node);
  node->indent = levelColumnAt(cur);
  node->mark = 0;
  linkAfter(cur->prev, node);
  linkAfter(node, cur);
  if (w.topLine == cur) {
    w.topLine = node;
    w.topSubRow = 0;
  }
  w.currentLine = node;
  w.curSubRow = 0;
  w.computeRows(node);
  node->lineState = kStateRecompute;
  update(node, w.doc.markUp);
  repaintFromCursor(w);
  return true;
}

void StartFold(View& w, int column) {
  LineNode* cur = w.currentLine;
  if (!cur || cur->kind == EnteredFold || cur->kind == FileTop) return;
  if (w.wrapMode && w.curSubRow > 0) {
    // The fold line is a text node, which InsertNode would merge here.
    w.host.statusMessage(kBetweenStrings);
    return;
  }
  const int level = levelColumnAt(cur);
  const int foldCol = std::max(column - 1, level);
  LineNode* start = newLineNode(w.doc);
  const std::string text = std::string(static_cast<size_t>(foldCol - level), ' ') +
                           foldformat::kFoldMarker;
  assign(*start, text.c_str());
  start->savedRow() = rowForSaving(w.cursorRow);
  if (!InsertNode(w, start)) {
    dispose(w.doc, start);
    return;
  }
  w.createFoldMode = true;
  w.foldStartLine = start;
  w.createFoldColumn = foldCol;
  journal::touch(start);
  start->mark = 1;
  // Onto the old cursor line, which marks it.
  while (w.currentLine == start && moveDown(w)) {
  }
  w.doc.markChanged();
}

bool canFoldRun(const View& w, LineNode* first, LineNode* end, int foldCol) {
  if (!first || !end) return false;
  int nesting = 0;
  for (LineNode* n = first; n != end; n = n->next) {
    if (!n || n == w.doc.levelBottom) return false;  // end is not ahead in the view
    if (nesting == 0) {
      switch (n->kind) {
        case OpenFold:
          if (n->indent < foldCol) return false;
          break;
        case ClosedFold:
        case FiledFold:
          if (n->indent + n->markerColumn() < foldCol) return false;
          break;
        case TextLine:
          if (!blanksBefore(n->text, foldCol - n->indent, w.ctx.settings.tabSize)) return false;
          break;
        case FoldEnd:
          return false;
        default:
          return false;  // a file's or an entered fold's header
      }
    }
    if (n->kind == OpenFold) ++nesting;
    if (n->kind == FoldEnd && --nesting < 0) return false;
  }
  return nesting == 0;
}

void FinishFold(View& w) {
  LineNode* cur = w.currentLine;
  LineNode* start = w.foldStartLine;
  if (!w.createFoldMode || !start || !cur) return;
  if (!cur->prev || !cur->prev->mark) {
    w.host.statusMessage("Plicato cannot fold backwards");
    return;
  }
  const int foldCol = w.createFoldColumn;
  if (!canFoldRun(w, start->next, cur, std::max(foldCol, start->indent))) {
    w.host.statusMessage("Plicato cannot fold");
    return;
  }
  const int shownRow = screenRowOf(w, start);
  for (LineNode* n = start; n; n = n->next) {
    journal::touch(n);
    n->mark = 0;
    if (n == cur) break;
  }
  closeOverRun(w, start, start->next, cur, std::max(foldCol, start->indent));
  w.createFoldMode = false;
  w.foldStartLine = nullptr;
  placeOnNewHeader(w, start, shownRow);
}

bool finishFoldAt(View& w, LineNode* first, LineNode* end, int foldColumn) {
  if (!first || !end || first->kind == EnteredFold || first->kind == FileTop) return false;
  const int level = levelColumnAt(first);
  const int foldCol = std::max(foldColumn, level);
  if (!canFoldRun(w, first, end, foldCol)) return false;
  const int shownRow = screenRowOf(w, first);
  LineNode* header = newLineNode(w.doc);
  header->savedRow() = rowForSaving(w.cursorRow);
  linkAfter(first->prev, header);
  linkAfter(header, first);
  journal::touch(header);
  header->indent = level;
  if (w.topLine == first) {
    w.topLine = header;
    w.topSubRow = 0;
  }
  closeOverRun(w, header, first, end, foldCol);
  placeOnNewHeader(w, header, shownRow);
  return true;
}

void createFoldCommand(View& w) {
  if (!lineBudget(w.doc, 3)) return;
  if (w.createFoldMode)
    FinishFold(w);
  else
    StartFold(w, w.textColumn);
}

void Autofold(View& w) {
  if (!w.createFoldMode) {
    if (!lineBudget(w.doc, 3)) return;
    StartFold(w, w.textColumn);
    if (!w.createFoldMode) return;
  }
  // In wrap mode a long line takes many steps down: each line is tested
  // for text once, not on every row of it.
  const LineNode* tested = nullptr;
  bool hasText = false;
  while (w.currentLine != w.doc.levelBottom) {
    if (w.currentLine != tested) {
      tested = w.currentLine;
      hasText = lengthWithoutTrailing(tested->text) > 0;
    }
    if (!hasText || !moveDown(w)) break;
  }
  FinishFold(w);
}

void RemoveFold(View& w) {
  LineNode* h = w.currentLine;
  if (!h || h->kind != ClosedFold) {
    w.host.statusMessage(kNotSimpleFold);
    return;
  }
  // The writer keeps such a fold's lines as comments of the language; set
  // free they would turn into code.
  if (isCommentTitle(h->text)) {
    w.host.statusMessage(
        "Plicato cannot remove COMMENT fold. Press COMMENT key to UN-COMMENT first");
    return;
  }
  LineNode* e = h->partner();
  LineNode* before = h->prev;
  LineNode* after = h->next;
  LineNode* first = h->inner() == e ? nullptr : h->inner().get();
  const bool wasTop = w.topLine == h;
  const std::string pad(static_cast<size_t>(std::max(0, h->markerColumn().get())), ' ');

  LineNode* last = before;
  for (LineNode* q = first; q && q != e; q = q->next) {
    journal::touch(q);
    q->indent += h->indent;
    if (isClosedHeader(q))
      q->markerColumn() += h->markerColumn();
    else if (q->kind == TextLine && !pad.empty())
      insertAt(*q, 0, pad.data(), pad.size());
    w.computeRows(q);
    last = q;
  }
  if (first) {
    linkAfter(before, first);
    linkAfter(last, after);
  } else {
    linkAfter(before, after);
  }

  for (LineNode* gone : {e, h}) {
    journal::touch(gone);
    gone->kind = TextLine;
    gone->inner() = nullptr;
    gone->partner() = nullptr;
    gone->next = nullptr;
    dispose(w.doc, gone);
  }

  w.currentLine = first ? first : after;
  w.curSubRow = 0;
  w.currentLine->lineState = kStateRecompute;
  update(w.currentLine, w.doc.markUp);
  w.doc.markChanged();
  if (wasTop) {
    w.topLine = w.currentLine;
    w.topSubRow = 0;
    PlaceCursor(w, 4);
  } else if (!first) {
    RedrawKeepTop(w);
  } else {
    Redraw(w, w.cursorRow);
  }
  w.queueRepaint(w.cursorRow);
}

void CommentFold(View& w) {
  LineNode* h = w.currentLine;
  if (!h || h->kind != ClosedFold) {
    w.host.statusMessage(kNotSimpleFold);
    return;
  }
  if (isCommentTitle(h->text)) {
    // A title the writer reads as COMMENT, leading blanks and all.
    size_t at = 0;
    while (h->text[at] == ' ' || h->text[at] == '\t') ++at;
    size_t n = std::strlen(foldformat::kCommentTitle);
    if (h->text[at + n]) ++n;
    while (h->text[at + n] == ' ') ++n;
    eraseAt(*h, at, n);
  } else {
    insertAt(*h, 0, "COMMENT ", 8);
  }
  textChanged(w, h);
  w.doc.markChanged();
  repaintFromCursor(w);
}

void lineToFoldHeader(View& w) {
  LineNode* cur = w.currentLine;
  if (!cur || cur->kind == FoldEnd || cur->kind == EnteredFold || cur->kind == FileTop) return;
  LineNode* h = cur->prev;
  for (;;) {
    if (!h || h == w.doc.levelTop || h->kind == FileTop) return;
    if (h->kind == OpenFold || h->kind == EnteredFold) break;
    // A whole open fold lies before: go on above its header.
    if (h->kind == FoldEnd && h->partner()) h = h->partner();
    h = h->prev;
  }
  const char* text = cur->text;
  while (*text == ' ' || *text == '\t') ++text;
  assign(*h, text);
  textChanged(w, h);
  w.doc.markChanged();
  if (w.topLine == h && w.topSubRow >= h->rows()) w.topSubRow = std::max(1, h->rows().get()) - 1;
  const int row = screenRowOf(w, cur, w.curSubRow);
  if (row > 0) {
    w.cursorRow = row;
    Redraw(w, 1);
  } else {
    PlaceCursor(w, w.cursorRow);
  }
  if (h->kind == EnteredFold) showVersion(w);
  w.queueRepaint(w.cursorRow);
}

LineNode* CopyLine(View& w, LineNode* line) {
  if (!line) return nullptr;
  const bool cursorLine = line == w.currentLine;
  if (w.wrapMode && cursorLine && (line->kind == TextLine || w.curSubRow > 0)) {
    size_t from = 0, to = 0;
    if (!rowTextRange(w, line, w.curSubRow, from, to)) return nullptr;
    LineNode* c = newLineNode(w.doc);
    assignN(*c, line->text + from, to - from);
    c->prev = c->next = nullptr;
    w.computeRows(c);
    return c;
  }
  if (line->kind == FoldEnd || line->kind == EnteredFold || line->kind == FileTop ||
      line->kind == OpenFold)
    return nullptr;
  if (holdsFiledFold(line)) {
    w.host.statusMessage("Plicato cannot copy filed folds");
    return nullptr;
  }
  return copyUnit(w, line);
}
