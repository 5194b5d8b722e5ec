#include "commands/lineeditor.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "commands/keytable.hpp"
#include "display/highlight.hpp"
#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "engine/viewmetrics.hpp"
#include "model/linestore.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

namespace {

int tabSize(const View& w) { return std::max(1, w.ctx.settings.tabSize); }

bool isWordChar(unsigned char c) { return std::isalnum(c) || c == '_'; }

// Visual width of a display string.
int visualLength(const std::string& d, int tab) { return expandToColumn(d.c_str(), d.size(), tab); }

// The byte of the display string that covers column col; d.size() when the
// column lies beyond the end (then *beyond gets the columns past the end).
size_t byteAtColumn(const std::string& d, int col, int* beyond, int tab) {
  int c = 0;
  for (size_t i = 0; i < d.size(); ++i) {
    int next = d[i] == '\t' ? (c / tab + 1) * tab : c + 1;
    if (col < next) {
      if (beyond) *beyond = 0;
      return i;
    }
    c = next;
  }
  if (beyond) *beyond = col - c;
  return d.size();
}

int column(const EditorView& w) { return std::max(0, w.textColumn - 1); }

// The node's text as a std::string.
std::string textOf(const LineNode* n) { return n->text ? n->text : ""; }

// Byte offset in the node's text for display column col (clamped to the
// text area), and the blanks to pad when col lies beyond the text.
size_t textOffsetAt(const LineNode& n, int col, int* pad, int tab) {
  const std::string d = displayText(n);
  const size_t prefix = d.size() - std::strlen(n.text);
  const int start = textStartColumn(n);
  if (col < start) col = start;
  int beyond = 0;
  size_t b = byteAtColumn(d, col, &beyond, tab);
  if (pad) *pad = beyond;
  return b - prefix;
}

// Column where byte offset off of the node's text is shown.
int columnOfOffset(const LineNode& n, size_t off, int tab) {
  const std::string d = displayText(n);
  const size_t prefix = d.size() - std::strlen(n.text);
  return expandToColumn(d.c_str(), prefix + off, tab);
}

void setText(LineNode* n, const std::string& s) { assignN(*n, s.data(), s.size()); }

void insertAfterNode(LineNode* a, LineNode* n) {
  LineNode* b = a->next;
  linkAfter(a, n);
  linkAfter(n, b);
}

// Start of the word at or before column col of the display text.
int wordLeft(const std::string& d, int col, int tab) {
  size_t i = std::min(byteAtColumn(d, col, nullptr, tab), d.size());
  while (i > 0 && !isWordChar(static_cast<unsigned char>(d[i - 1]))) --i;
  while (i > 0 && isWordChar(static_cast<unsigned char>(d[i - 1]))) --i;
  return expandToColumn(d.c_str(), i, tab);
}

// Start of the next word after column col.
int wordRight(const std::string& d, int col, int tab) {
  int beyond = 0;
  size_t i = byteAtColumn(d, col, &beyond, tab);
  if (i >= d.size()) return col;
  while (i < d.size() && isWordChar(static_cast<unsigned char>(d[i]))) ++i;
  while (i < d.size() && !isWordChar(static_cast<unsigned char>(d[i]))) ++i;
  return expandToColumn(d.c_str(), i, tab);
}

// The rows the current line takes on screen, from its first.
int firstRowOfCurrent(const EditorView& w) { return w.cursorRow - (w.wrapMode ? w.curSubRow : 0); }

void newLine(EditorView& w, EditorState& st);

bool insertText(EditorView& w, EditorState& st, const std::string& chars) {
  LineNode* n = w.currentLine;
  if (n && n == w.doc.levelBottom) {
    // Typing on the view's end line starts a new line above it, so an empty
    // file or fold can be typed into at once.
    const int col = column(w);
    newLine(w, st);
    n = w.currentLine;
    if (n != w.doc.levelBottom) setCursorColumn(w, std::max(col, textStartColumn(*n)));
  }
  if (!n || !isEditableLine(*n)) {
    w.host.beep();
    return false;
  }
  int col = column(w);
  const int start = textStartColumn(*n);
  if (col < start) col = start;
  int pad = 0;
  size_t off = textOffsetAt(*n, col, &pad, tabSize(w));
  const size_t oldWidth = screenLength(*n, w.ctx.settings.tabSize);
  std::string t = textOf(n);
  t.insert(off, std::string(static_cast<size_t>(pad), ' ') + chars);
  setText(n, t);
  lineTextChanged(w, st, oldWidth);
  setCursorColumn(w, columnOfOffset(*n, off + static_cast<size_t>(pad) + chars.size(), tabSize(w)));
  return true;
}

// Deletes the text bytes [from, to) of the current line, keeping them for
// undelete character.
void eraseText(EditorView& w, EditorState& st, size_t from, size_t to) {
  LineNode* n = w.currentLine;
  std::string t = textOf(n);
  if (to > t.size()) to = t.size();
  if (from >= to) return;
  st.undeleted = t.substr(from, to - from);
  const size_t oldWidth = screenLength(*n, w.ctx.settings.tabSize);
  t.erase(from, to - from);
  setText(n, t);
  lineTextChanged(w, st, oldWidth);
}

// The text line after / before the current one in the view, to join with.
LineNode* joinableNext(const EditorView& w) {
  LineNode* n = w.currentLine;
  if (n == w.doc.levelBottom || !n->next || n->next->kind != TextLine) return nullptr;
  return n->next;
}

void joinLines(EditorView& w, EditorState& st, LineNode* first, LineNode* second) {
  // The second line's text follows the first's, at the column it was shown.
  std::string a = textOf(first);
  size_t keep = lengthWithoutTrailing(a.c_str());
  a.resize(keep);
  std::string b = textOf(second);
  size_t lead = static_cast<size_t>(firstNonBlank(b.c_str()) - 1);
  if (!a.empty()) b = b.substr(std::min(lead, b.size()));
  const int joinCol = columnOfOffset(*first, a.size(), tabSize(w));
  setText(first, a + b);
  LineNode* after = second->next;
  linkAfter(first, after);
  invalidateViewMetrics(w);
  if (w.topLine == second) w.topLine = first;
  dispose(w.doc, second);
  w.currentLine = first;
  w.curSubRow = 0;
  first->lineState = kStateRecompute;
  w.computeRows(first);
  update(first, w.doc.markUp);
  w.doc.markChanged();
  (void)st;
  RedrawKeepTop(w);
  setCursorColumn(w, joinCol);
}

void newLine(EditorView& w, EditorState& st) {
  if (!lineBudget(w.doc, 1)) return;
  LineNode* cur = w.currentLine;
  LineNode* n = newLineNode(w.doc);
  n->lineState = kStateRecompute;
  int cursorCol = 0;
  const int oldRow = firstRowOfCurrent(w);
  bool before = false;  // the new line goes above the current one
  switch (cur->kind) {
    case TextLine: {
      std::string t = textOf(cur);
      int pad = 0;
      size_t off = std::min(textOffsetAt(*cur, column(w), &pad, tabSize(w)), t.size());
      // The new line starts where this one does, in the same white space
      // (tabs too).
      size_t lead = 0;
      while (lead < t.size() && (t[lead] == ' ' || t[lead] == '\t')) ++lead;
      if (lead > off) lead = off;
      std::string rest = t.substr(off);
      rest.erase(0, rest.find_first_not_of(' ') == std::string::npos ? rest.size()
                                                                      : rest.find_first_not_of(' '));
      std::string head = t.substr(0, off);
      head.resize(lengthWithoutTrailing(head.c_str()));
      setText(cur, head);
      cur->lineState = kStateRecompute;
      w.computeRows(cur);
      setText(n, t.substr(0, lead) + rest);
      journal::touch(n);
      n->indent = cur->indent;
      inheritLead(*n, *cur, w.ctx.settings.tabSize);
      cursorCol = n->indent + expandToColumn(t.c_str(), lead, w.ctx.settings.tabSize);
      insertAfterNode(cur, n);
      break;
    }
    case ClosedFold:
    case FiledFold:
      journal::touch(n);
      n->indent = cur->indent;
      cursorCol = cur->indent + cur->markerColumn();
      insertAfterNode(cur, n);
      break;
    case OpenFold:
    case EnteredFold:
    case FileTop:
      journal::touch(n);
      n->indent = cur->kind == OpenFold ? cur->indent : 0;
      cursorCol = n->indent;
      insertAfterNode(cur, n);
      break;
    case FoldEnd:
      if (cur == w.doc.levelBottom) {
        journal::touch(n);
        n->indent = cur->partner() && cur->partner()->kind == EnteredFold ? 0 : cur->indent;
        if (cur == w.doc.fileBottom || cur->partner()->kind == FileTop) {
          journal::touch(n);
          n->indent = 0;
        }
        insertAfterNode(cur->prev, n);
        before = true;
      } else {
        journal::touch(n);
        n->indent = cur->partner() ? headerColumn(cur->partner()) : 0;
        insertAfterNode(cur, n);
      }
      cursorCol = n->indent;
      break;
    default:
      insertAfterNode(cur, n);
  }
  w.computeRows(n);
  update(n, w.doc.markUp);
  invalidateViewMetrics(w);
  w.doc.markChanged();
  st.headerChanged = false;
  if (before) {
    w.currentLine = n;
    w.curSubRow = 0;
    if (w.topLine == cur) w.topLine = n;
    Redraw(w, oldRow);
  } else {
    Redraw(w, oldRow);
    // Onto the new line, scrolling when it lies below the window.
    while (w.currentLine != n && moveDown(w)) {
    }
  }
  setCursorColumn(w, cursorCol);
}

void markInLine(EditorView& w, int newCol) {
  if (!w.markActive) {
    w.markAnchorLine = w.currentLine;
    w.markAnchorSubRow = w.curSubRow;
  }
  setCursorColumn(w, newCol);
  w.blockKind = BlockKind::Columns;
  w.setMarkEnd(w.currentLine, w.curSubRow);
}

}  // namespace

int textStartColumn(const LineNode& node) {
  const std::string d = displayText(node);
  return static_cast<int>(d.size() - std::strlen(node.text));
}

bool isEditableLine(const LineNode& node) {
  return node.kind == TextLine || node.kind == ClosedFold || node.kind == FiledFold ||
         node.kind == OpenFold || node.kind == EnteredFold;
}

void setCursorColumn(EditorView& w, int col) {
  col = std::max(col, 0);
  const int width = w.textWidth();
  w.textColumn = col + 1;
  if (w.wrapMode) {
    w.leftColumn = 0;
    LineNode* n = w.currentLine;
    int rows = n ? std::max(1, n->rows().get()) : 1;
    int sub = std::min(col / width, rows - 1);
    if (sub != w.curSubRow) {
      w.cursorRow += sub - w.curSubRow;
      w.curSubRow = sub;
      if (w.cursorRow < 1 || w.cursorRow > w.screenRows) PlaceCursor(w, w.cursorRow);
    }
    w.cursorCol = col;
  } else {
    int left = w.leftColumn;
    // Sideways in steps of 10 columns, so that typing does not scroll at
    // every character.
    if (col < left) left = std::max(0, col - 10);
    if (col >= left + width) left = col - width + std::min(10, width);
    if (left != w.leftColumn) {
      w.leftColumn = left;
      Redraw(w, 1);
    }
    w.cursorCol = col - w.leftColumn;
  }
  w.positionCaret();
}

void lineTextChanged(EditorView& w, EditorState& st, size_t oldWidth) {
  LineNode* n = w.currentLine;
  const int32_t oldRows = n->rows();
  w.computeRows(n);
  lineWidthChanged(w, *n, oldRows, oldWidth);
  w.doc.markChanged();
  if (n->kind != TextLine) st.headerChanged = true;
  const int first = firstRowOfCurrent(w);
  n->lineState = kStateRecompute;
  update(n, w.doc.markUp, first, w.screenRows, [&](int row, LineNode* line) {
    if (line != n && row >= 1 && row <= w.screenRows) w.queueRepaint(row);
  });
  if (n->rows() != oldRows) {
    Redraw(w, std::max(1, first));
  } else {
    for (int r = 0; r < (w.wrapMode ? n->rows() : 1); ++r)
      if (first + r >= 1 && first + r <= w.screenRows) composeRow(w, first + r, n, r);
  }
}

int editLine(EditorView& w, EditorState& st, KeyReader& reader) {
  for (;;) {
    KeyValue k = reader.read();
    if (k.value == 0 && reader.stopped()) return 0;
    // A match shown by the last search is highlighted until the next key.
    if (!k.own) w.clearFound();
    const bool isText = !k.isCommand;
    const int cmd = k.isCommand ? k.value : 0;
    if (w.browseMode && (isText || !isBrowseSafe(cmd))) {
      w.host.statusMessage("Plicato browse mode!");
      continue;
    }
    // The file is marked modified by what changes it, never by a key as
    // such: a refused key, or a dialog the user cancels, leaves it as it was.
    // A key that ends the mouse mark clears it; the refresh redraws before
    // the next key. The command may come from a key of either kind, or
    // from a macro without its key: it keeps the mark when a key of either
    // kind bound to it would.
    if (w.markActive && !w.dragging &&
        (isText || !(keyKeepsMark(kSpecialKey, cmd) || keyKeepsMark(kCharKey, cmd)))) {
      w.clearMark();
      w.queueOwnCommand(cmdRefresh);
    }
    if (isText) {
      const unsigned char ch = static_cast<unsigned char>(k.value);
      if (ch == 9 || ch >= 32) {
        insertText(w, st, std::string(1, static_cast<char>(ch)));
      } else {
        w.host.beep();  // control characters are not typed into the text
      }
      continue;
    }
    if (!isLineCommand(cmd)) return cmd;

    LineNode* n = w.currentLine;
    const int col = column(w);
    switch (cmd) {
      case cmdDeleteToEndOfLine: {
        if (!isEditableLine(*n)) break;
        size_t off = textOffsetAt(*n, col, nullptr, tabSize(w));
        eraseText(w, st, off, std::strlen(n->text));
        break;
      }
      case cmdDeleteWordLeft: {
        if (!isEditableLine(*n)) break;
        const std::string d = displayText(*n);
        int from = std::max(wordLeft(d, col, tabSize(w)), textStartColumn(*n));
        size_t a = textOffsetAt(*n, from, nullptr, tabSize(w)), b = textOffsetAt(*n, col, nullptr, tabSize(w));
        eraseText(w, st, a, b);
        setCursorColumn(w, columnOfOffset(*n, a, tabSize(w)));
        break;
      }
      case cmdDeleteRight: {
        if (w.markActive || w.blockActive) return cmd;  // the block goes
        if (!isEditableLine(*n)) break;
        int pad = 0;
        size_t off = textOffsetAt(*n, col, &pad, tabSize(w));
        if (off < std::strlen(n->text) && pad == 0) {
          eraseText(w, st, off, off + 1);
        } else if (LineNode* next = joinableNext(w); next && n->kind == TextLine) {
          if (pad > 0) {
            std::string t = textOf(n) + std::string(static_cast<size_t>(pad), ' ');
            setText(n, t);
          }
          joinLines(w, st, n, next);
          setCursorColumn(w, col);
        }
        break;
      }
      case cmdUndeleteChar:
        if (!st.undeleted.empty()) {
          const int at = col;
          insertText(w, st, st.undeleted);
          setCursorColumn(w, at);
        }
        break;
      case cmdStartOfLine: {  // the first non-blank, then the text's start
        const int start = textStartColumn(*n);
        const int firstText = start + firstNonBlank(n->text) - 1;
        setCursorColumn(w, n->kind == TextLine && col != firstText ? firstText : start);
        break;
      }
      case cmdEndOfLine: {
        std::string d = displayText(*n);
        d.resize(lengthWithoutTrailing(d.c_str()));
        setCursorColumn(w, visualLength(d, tabSize(w)));
        break;
      }
      case cmdCursorLeft:
        setCursorColumn(w, col - 1);
        break;
      case cmdCursorRight:
        setCursorColumn(w, col + 1);
        break;
      case cmdWordLeft:
        setCursorColumn(w, wordLeft(displayText(*n), col, tabSize(w)));
        break;
      case cmdWordRight:
        setCursorColumn(w, wordRight(displayText(*n), col, tabSize(w)));
        break;
      case cmdNewLine:
        newLine(w, st);
        break;
      case cmdBrowseEdit:
        w.browseMode = !w.browseMode;
        w.host.statusMessage(w.browseMode ? "Browse mode ON" : "Browse mode OFF");
        break;
      case cmdDeleteLeft: {
        const bool emptyLine = n->kind == TextLine && lengthWithoutTrailing(n->text) == 0;
        // On an empty line it is delete line, at once: the keys typed
        // after it must find the line gone, and a macro holds the
        // Backspace alone.
        if (emptyLine && col <= textStartColumn(*n)) return cmdDeleteLine;
        if (!isEditableLine(*n)) break;
        const int start = textStartColumn(*n);
        if (col > start) {
          int pad = 0;
          size_t off = textOffsetAt(*n, col, &pad, tabSize(w));
          if (pad > 0) {
            setCursorColumn(w, col - 1);  // in the blank space behind the text
          } else {
            size_t prev = textOffsetAt(*n, col - 1, nullptr, tabSize(w));
            if (prev == off && off > 0) prev = off - 1;
            eraseText(w, st, prev, off);
            setCursorColumn(w, columnOfOffset(*n, prev, tabSize(w)));
          }
        } else if (n->kind == TextLine && n != viewFirst(w) && n->prev &&
                   n->prev->kind == TextLine) {
          LineNode* prev = n->prev;
          // Up onto the previous line, then join this one to it.
          if (moveUp(w)) joinLines(w, st, prev, n);
        }
        break;
      }
      case cmdInsertSpecialChar:
        if (auto ch = w.host.symbolDialog()) insertText(w, st, std::string(1, static_cast<char>(*ch)));
        break;
      case cmdDeleteWordRight: {
        if (!isEditableLine(*n)) break;
        const std::string d = displayText(*n);
        size_t a = textOffsetAt(*n, col, nullptr, tabSize(w));
        size_t b = textOffsetAt(*n, wordRight(d, col, tabSize(w)), nullptr, tabSize(w));
        if (b <= a) b = std::strlen(n->text);
        eraseText(w, st, a, b);
        break;
      }
      case cmdMarkLeft:
        markInLine(w, col - 1);
        break;
      case cmdMarkRight:
        markInLine(w, col + 1);
        break;
      case cmdMarkToEndOfLine: {
        std::string d = displayText(*n);
        d.resize(lengthWithoutTrailing(d.c_str()));
        markInLine(w, visualLength(d, tabSize(w)));
        break;
      }
      case cmdMarkToStartOfLine:
        markInLine(w, textStartColumn(*n));
        break;
      default:
        return cmd;
    }
  }
}
