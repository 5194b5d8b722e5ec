#include "engine/search.hpp"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

#include "engine/undo.hpp"
#include "model/linestates.hpp"
#include "engine/view.hpp"
#include "engine/layout.hpp"
#include "engine/navigation.hpp"
#include "model/linestore.hpp"
#include "model/settings.hpp"

namespace {

using Mode = SearchRequest::Mode;

// Upper case of the Windows ANSI code page (1252): ASCII letters, the
// accented Latin letters and the three caron/ligature pairs.
std::array<unsigned char, 256> makeUpperTable() {
  std::array<unsigned char, 256> t{};
  for (int c = 0; c < 256; ++c) t[c] = static_cast<unsigned char>(c);
  for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 32);
  for (int c = 0xE0; c <= 0xFE; ++c)
    if (c != 0xF7) t[c] = static_cast<unsigned char>(c - 32);
  t[0x9A] = 0x8A;
  t[0x9C] = 0x8C;
  t[0x9E] = 0x8E;
  t[0xFF] = 0x9F;
  return t;
}

const std::array<unsigned char, 256> kUpper = makeUpperTable();

int tabSize(const View& w) { return std::max(1, w.ctx.settings.tabSize); }

// The node's own text, or null where a line shows none (a fold's end).
const char* ownText(const LineNode* n) {
  if (n->kind == FoldEnd || !n->text) return nullptr;
  return n->text;
}

// Lines whose text a replacement may change: not a file's top line (its
// text names the file), not an end line.
bool replaceable(const LineNode* n) {
  return n->kind == TextLine || n->kind == ClosedFold || n->kind == FiledFold ||
         n->kind == OpenFold || n->kind == EnteredFold;
}

// Offset in the node's own text of the cursor at display column col; a
// column in the indentation or marker is offset 0 and sets *inPrefix.
size_t textOffsetAt(const LineNode& n, int col, int tab, bool* inPrefix = nullptr) {
  const int prefix = static_cast<int>(displayPrefix(n));
  if (inPrefix) *inPrefix = col < prefix;
  if (col < prefix) return 0;
  const char* t = ownText(&n);
  if (!t) return 0;
  int c = prefix;
  size_t i = 0;
  for (; t[i]; ++i) {
    const int next = t[i] == '\t' ? (c / tab + 1) * tab : c + 1;
    if (col < next) return i;
    c = next;
  }
  return i;
}

// Display column (0-based) at which byte `off` of the node's own text stands.
int columnOfOffset(const LineNode& n, size_t off, int tab) {
  const int prefix = static_cast<int>(displayPrefix(n));
  const char* t = ownText(&n);
  return t ? expandToColumn(t, off, tab, prefix) : prefix;
}

// First occurrence of pat in text at or after `from`. No copy of the line
// is made: without "Match case" every byte goes through the table, the
// pattern being upper case already.
bool findForward(const char* text, size_t from, const std::string& pat, bool matchCase,
                 size_t& pos) {
  const size_t m = pat.size();
  if (m == 0) return false;
  // `from` may lie past the text's end (cursor right of it).
  for (size_t i = 0; i < from; ++i)
    if (!text[i]) return false;
  if (matchCase) {
    // Lines are short: a scan for the first byte beats strstr's set-up.
    const char first = pat[0];
    for (const char* p = std::strchr(text + from, first); p; p = std::strchr(p + 1, first)) {
      if (std::strncmp(p + 1, pat.c_str() + 1, m - 1) == 0) {
        pos = static_cast<size_t>(p - text);
        return true;
      }
    }
    return false;
  }
  const auto* u = reinterpret_cast<const unsigned char*>(text);
  const auto* p = reinterpret_cast<const unsigned char*>(pat.data());
  const unsigned char first = p[0];
  for (size_t i = from; u[i]; ++i) {
    if (kUpper[u[i]] != first) continue;
    size_t k = 1;
    // A NUL in the text never equals a pattern byte, so this stops there.
    while (k < m && kUpper[u[i + k]] == p[k]) ++k;
    if (k == m) {
      pos = i;
      return true;
    }
  }
  return false;
}

// Last occurrence of pat that ends at or before `limit`.
bool findBackward(const char* text, size_t limit, const std::string& pat, bool matchCase,
                  size_t& pos) {
  const size_t m = pat.size();
  if (m == 0) return false;
  const size_t len = std::strlen(text);
  limit = std::min(limit, len);
  if (limit < m) return false;
  const auto* u = reinterpret_cast<const unsigned char*>(text);
  const auto* p = reinterpret_cast<const unsigned char*>(pat.data());
  for (size_t i = limit - m + 1; i-- > 0;) {
    size_t k = 0;
    if (matchCase)
      while (k < m && u[i + k] == p[k]) ++k;
    else
      while (k < m && kUpper[u[i + k]] == p[k]) ++k;
    if (k == m) {
      pos = i;
      return true;
    }
  }
  return false;
}

// The next line of the walk downward: into the contents of a closed fold,
// past a filed fold's listing.
LineNode* downFrom(const LineNode* n) {
  if (n->kind == ClosedFold) return n->inner() ? n->inner() : n->partner();
  return n->next;
}

// The next line of the walk upward: a closed fold that ends just above is
// searched from its last line up.
LineNode* upFrom(const View& w, const LineNode* n) {
  if (n == viewFirst(w)) return nullptr;
  LineNode* p = n->prev;
  if (!p || p == w.doc.levelTop) return nullptr;
  if (p->kind == ClosedFold && p->partner() && p->partner()->next == n) {
    // An empty fold has nothing between its lines.
    if (!p->inner()) return p;
    return p->partner();
  }
  return p;
}

// What a replace-all's last reveal left in a window: the match's line and
// the folds around it, innermost first. Right after a reveal these are the
// only open folds of the view, and as long as nothing but line texts
// changes they tell the folds around any later match without a walk over
// the whole level: the walk from the new match stops where it meets them.
// Without this every match of a replace-all cost time in proportion to
// the file.
struct Revealed {
  const View* window = nullptr;
  LineNode* line = nullptr;
  std::vector<LineNode*> path;

  bool holds(const View& w) const { return window == &w && line; }
  void forget() { *this = Revealed{}; }
  // The index of n among the folds, or -1.
  int indexOf(const LineNode* n) const {
    for (size_t i = 0; i < path.size(); ++i)
      if (path[i] == n) return static_cast<int>(i);
    return -1;
  }
  // The folds around the line from index `from` outward, after out.
  void appendFrom(std::vector<LineNode*>& out, size_t from) const {
    out.insert(out.end(), path.begin() + static_cast<std::ptrdiff_t>(from), path.end());
  }
};

// The folds of the view that enclose target, innermost first, found by
// walking up from it: a fold passed on the way that does not hold the line
// is stepped over as a whole. With what a reveal left (`known`) the walk
// stops at the last match or at one of the folds around it.
std::vector<LineNode*> enclosingFolds(const View& w, LineNode* target,
                                      const Revealed* known = nullptr) {
  std::vector<LineNode*> path;
  const LineNode* first = viewFirst(w);
  for (LineNode* n = target; n && n != first;) {
    if (known) {
      if (n == known->line) {
        known->appendFrom(path, 0);
        break;
      }
      if (n->kind == OpenFold) {
        if (const int i = known->indexOf(n); i >= 0) {
          known->appendFrom(path, static_cast<size_t>(i) + 1);
          break;
        }
      }
    }
    LineNode* p = n->prev;
    if (!p || p == w.doc.levelTop) break;
    if (p->kind == FoldEnd && p->partner() && p->partner()->kind == OpenFold) {
      n = p->partner();  // an open fold above, beside the line
      continue;
    }
    if (p->kind == ClosedFold && p->partner() && p->partner()->next == n) {
      n = p;  // a closed fold above, beside the line
      continue;
    }
    if (p->kind == ClosedFold || p->kind == OpenFold) path.push_back(p);
    n = p;
  }
  return path;
}

// The same folds found by walking down from a target that lies above the
// last match (a backward replace-all): the end of every fold that holds
// the target comes before the last match, or the walk meets the match or
// the folds around it.
std::vector<LineNode*> enclosingFoldsBelow(const View& w, LineNode* target,
                                           const Revealed& known) {
  std::vector<LineNode*> path;
  LineNode* n = target;
  // A fold's own header is not inside it.
  if (n->kind == OpenFold && n->partner()) {
    if (const int i = known.indexOf(n); i >= 0) {
      known.appendFrom(path, static_cast<size_t>(i) + 1);
      return path;
    }
    n = n->partner()->next;
  } else {
    n = n->next;
  }
  while (n && n != w.doc.levelBottom) {
    if (n == known.line) {
      known.appendFrom(path, 0);
      return path;
    }
    if (n->kind == FoldEnd && n->partner()) {
      LineNode* h = n->partner();
      if (h->kind == ClosedFold || h->kind == OpenFold) path.push_back(h);
      if (const int i = known.indexOf(h); i >= 0) {
        known.appendFrom(path, static_cast<size_t>(i) + 1);
        return path;
      }
      n = n->next;
      continue;
    }
    if (n->kind == OpenFold && n->partner()) {
      // An open fold beside the target: the match, if inside, is beyond it.
      if (const int i = known.indexOf(n); i >= 0) {
        known.appendFrom(path, static_cast<size_t>(i) + 1);
        return path;
      }
      n = n->partner()->next;
      continue;
    }
    n = n->next;
  }
  return path;
}

// Whether the open folds of the view are exactly `path` once it is open:
// every fold on it is open, and none of those opened now held an open fold
// of its own (the walk of the next reveal would have to close it).
// (opened is outermost first; the contents of an inner one lie in the
// chain of an outer one, so each line is looked at once.)
bool onlyPathOpen(const std::vector<LineNode*>& path, const std::vector<LineNode*>& opened) {
  for (const LineNode* p : path)
    if (p->kind != OpenFold) return false;
  std::vector<const LineNode*> seen;
  for (const LineNode* h : opened) {
    if (std::find(seen.begin(), seen.end(), h) != seen.end()) continue;
    for (const LineNode* q = h->next; q && q != h->partner(); q = q->next) {
      if (q->kind != OpenFold) continue;
      if (std::find(path.begin(), path.end(), q) == path.end()) return false;
      seen.push_back(q);
    }
  }
  return true;
}

// The match becomes visible: the folds around it open, every other open
// fold of the view closes. `known`, when given, is what the last reveal of
// the same replace-all left, and is brought up to date.
void revealMatch(View& w, LineNode* target, Revealed* known = nullptr) {
  const bool incremental = known && known->holds(w);
  std::vector<LineNode*> path;
  if (!incremental) path = enclosingFolds(w, target);
  else if (w.ctx.search.backward) path = enclosingFoldsBelow(w, target, *known);
  else path = enclosingFolds(w, target, known);
  if (incremental) {
    // The open folds are those around the last match: the outermost of
    // them that does not hold this one closes, and with it those inside.
    for (auto it = known->path.rbegin(); it != known->path.rend(); ++it) {
      if (std::find(path.begin(), path.end(), *it) != path.end()) continue;
      close(*it);
      w.computeRows(*it);
      break;
    }
  } else {
    for (LineNode* p = viewFirst(w); p; p = p->next) {
      if (p->kind == OpenFold && std::find(path.begin(), path.end(), p) == path.end()) {
        close(p);
        w.computeRows(p);
      }
      if (p == w.doc.levelBottom) break;
    }
  }
  std::vector<LineNode*> opened;
  for (auto it = path.rbegin(); it != path.rend(); ++it)
    if ((*it)->kind == ClosedFold && openFoldInPlace(w, *it)) opened.push_back(*it);
  if (!known) return;
  if (onlyPathOpen(path, opened)) {
    known->window = &w;
    known->line = target;
    known->path = std::move(path);
  } else {
    known->forget();
  }
}

// The screen row of the line's first piece (it may lie above the window
// in wrap mode); false when the line is not on screen.
bool rowShowing(const View& w, const LineNode* n, int& row) {
  for (int r = 1; r <= w.screenRows; ++r) {
    const ScreenRow s = w.shownAt(r);
    if (s.line == n) {
      row = r - s.subRow;
      return true;
    }
  }
  return false;
}

// The cursor to display column col of the current line, the match of
// `length` columns in sight: with wrapped lines on its piece, else the
// window scrolled sideways in steps of 10.
void placeColumn(View& w, int col, int length) {
  const int width = w.textWidth();
  w.textColumn = col + 1;
  if (w.wrapMode) {
    w.leftColumn = 0;
    const int rows = std::max<int32_t>(1, w.currentLine->rows());
    w.curSubRow = std::min(col / width, rows - 1);
    w.cursorCol = col;
    return;
  }
  w.curSubRow = 0;
  int left = std::max(0, w.leftColumn);
  while (col < left) left = std::max(0, left - 10);
  while (col >= left + width) left += 10;
  while (col + length > left + width && left + 10 <= col) left += 10;
  w.leftColumn = left;
  w.cursorCol = col - left;
}

// Searches the view of w from `start`, the cursor standing at byte `at` of
// its own text (forward a match begins there or later, backward it ends
// there or before). On a match the cursor goes to it. `known` carries what
// the reveals of a replace-all leave from one match to the next.
bool findFrom(View& w, LineNode* start, size_t at, bool editableOnly,
              Revealed* known = nullptr) {
  SearchState& st = w.ctx.search;
  st.found = false;
  const std::string& pat = st.pattern;
  if (pat.empty() || !start || !w.doc.levelTop) return false;
  LineNode* hit = nullptr;
  size_t pos = 0;
  if (!st.backward) {
    size_t from = at;
    for (LineNode* n = start; n; n = downFrom(n)) {
      const char* t = ownText(n);
      if (t && (!editableOnly || replaceable(n)) && findForward(t, from, pat, st.matchCase, pos)) {
        hit = n;
        break;
      }
      from = 0;
      if (n == w.doc.levelBottom) break;
    }
  } else {
    size_t limit = at;
    for (LineNode* n = start; n; n = upFrom(w, n)) {
      const char* t = ownText(n);
      if (t && (!editableOnly || replaceable(n)) && findBackward(t, limit, pat, st.matchCase, pos)) {
        hit = n;
        break;
      }
      limit = SIZE_MAX;
    }
  }
  if (!hit) return false;

  int row = 0;
  const bool shown = rowShowing(w, hit, row);
  revealMatch(w, hit, known);
  w.currentLine = hit;
  const int col = columnOfOffset(*hit, pos, tabSize(w));
  placeColumn(w, col, columnOfOffset(*hit, pos + pat.size(), tabSize(w)) - col);
  if (w.wrapMode) row += w.curSubRow;
  PlaceCursor(w, shown && row >= 1 ? row : 2);
  st.found = true;
  st.matchLine = hit;
  st.matchOffset = pos;
  st.matchLength = pat.size();
  return true;
}

// A window other than the one the command came from is left and entered
// through its own hooks, so that its edit buffer follows its cursor line.
void leaveOther(View& w, const View& origin) {
  if (&w != &origin && w.hooks.leaveLine) w.hooks.leaveLine(w);
}
void enterOther(View& w, const View& origin) {
  if (&w != &origin && w.hooks.enterLine) w.hooks.enterLine(w);
}

// Searches a window that the search went on into: its whole view, from its
// first line (from its end backward).
bool findInNext(View& w, const View& origin, bool editableOnly,
                Revealed* known = nullptr) {
  leaveOther(w, origin);
  const bool backward = w.ctx.search.backward;
  LineNode* start = backward ? w.doc.levelBottom : viewFirst(w);
  const bool f = findFrom(w, start, backward ? SIZE_MAX : 0, editableOnly, known);
  enterOther(w, origin);
  return f;
}

// The window after w in the frame's order, wrapping round at the end, so
// that a search goes through every other window once; null when the next
// one would be the window the search began in.
View* windowAfter(const View& w, const View& origin,
                          const std::vector<View*>& windows) {
  auto it = std::find(windows.begin(), windows.end(), &w);
  if (it == windows.end()) return nullptr;
  for (size_t step = 1; step < windows.size(); ++step) {
    const size_t i = (static_cast<size_t>(it - windows.begin()) + step) % windows.size();
    View* next = windows[i];
    if (next == &origin) return nullptr;
    if (next && next != &w) return next;
  }
  return nullptr;
}

std::string nameOf(const View& w) { return w.doc.title.empty() ? w.doc.fileName : w.doc.title; }

// "%s not found" on the status line; then either the question whether to
// go on in the next window (returned when the answer is Yes) or the
// warning box.
View* notFound(View& w, const View& origin, const std::string& text,
                       const std::vector<View*>& windows) {
  const std::string msg = text + " not found";
  w.host.statusMessage(msg);
  View* next = w.ctx.search.allFiles ? windowAfter(w, origin, windows) : nullptr;
  if (next) {
    const std::string q = msg + "\n Go to the next file '" + nameOf(*next) + "' ?";
    if (w.host.messageBox(q, "Plicato", MbButtons::YesNo, MbIcon::Question) == MbResult::Yes)
      return next;
    return nullptr;
  }
  w.host.messageBox(msg, "Plicato Warning", MbButtons::Ok, MbIcon::Exclamation);
  return nullptr;
}

// Offset in the cursor line's own text where the cursor stands; 0 in the
// indentation or marker.
size_t cursorOffset(const View& w) {
  return textOffsetAt(*w.currentLine, std::max(0, w.textColumn - 1), tabSize(w));
}

// Rows of the cursor line repainted (queued for the widget).
void repaintCurrent(View& w) {
  LineNode* n = w.currentLine;
  const int first = w.cursorRow - (w.wrapMode ? w.curSubRow : 0);
  for (int r = 0; r < (w.wrapMode ? std::max<int32_t>(1, n->rows()) : 1); ++r)
    if (first + r >= 1 && first + r <= w.screenRows) composeRow(w, first + r, n, r);
}

// The match under the cursor drawn highlighted while the user is asked
// about it, and drawn plainly again afterwards.
void showFound(View& w, bool on) {
  SearchState& st = w.ctx.search;
  if (on && w.currentLine) {
    const int col = columnOfOffset(*w.currentLine, st.matchOffset, tabSize(w));
    w.foundLine = w.currentLine;
    w.foundColumn = col;
    w.foundLength = columnOfOffset(*w.currentLine, st.matchOffset + st.matchLength, tabSize(w)) - col;
  } else {
    w.clearFound();
  }
  if (w.currentLine) repaintCurrent(w);
}

// The window the command ended in is not the one it started in.
void ended(View* last, const View& origin) {
  SearchState& st = origin.ctx.search;
  if (last && last != &origin && st.activate) st.activate(*last);
}

// The search of commands 301 and 302, from display column `column` of the
// cursor line, going on into the next windows and asking at each match in
// the mode "Prompt for Next".
void runSearch(View& origin, const std::vector<View*>& windows, size_t at) {
  SearchState& st = origin.ctx.search;
  View* cur = &origin;
  View* last = nullptr;  // the window of the last match
  bool found = origin.currentLine && findFrom(origin, origin.currentLine, at, false);
  for (;;) {
    if (!found) {
      View* next = notFound(*cur, origin, st.pattern, windows);
      if (!next) break;
      cur = next;
      found = findInNext(*cur, origin, false);
      continue;
    }
    last = cur;
    // The match stays highlighted until the next key, as the user looks
    // at it or is asked about it.
    showFound(*cur, true);
    if (st.searchMode != Mode::PromptForNext) break;
    if (cur->host.confirmAt("MY_BOX_SEAR", "Find the next match?", MbButtons::YesNoCancel,
                            cur->cursorRow, cur->cursorCol) != MbResult::Yes)
      break;
    showFound(*cur, false);
    leaveOther(*cur, origin);
    found = findFrom(*cur, st.matchLine, st.matchOffset + (st.backward ? 0 : 1), false);
    enterOther(*cur, origin);
  }
  ended(last, origin);
}

void setPattern(SearchState& st, const std::string& text, bool matchCase) {
  st.pattern = matchCase ? text : upperText(text);
  st.matchCase = matchCase;
}

}  // namespace

unsigned char upperByte(unsigned char c) { return kUpper[c]; }

std::string upperText(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
  return out;
}


bool FindNext(View& w, int column) {
  if (!w.currentLine) {
    w.ctx.search.found = false;
    return false;
  }
  const size_t at = textOffsetAt(*w.currentLine, std::max(0, column - 1), tabSize(w));
  return findFrom(w, w.currentLine, at, false);
}

bool ReplaceAt(View& w) {
  SearchState& st = w.ctx.search;
  LineNode* n = w.currentLine;
  if (!n || !replaceable(n) || !n->text || st.findText.empty()) return false;
  if (w.browseMode) {
    w.host.statusMessage("Plicato browse mode!");
    return false;
  }
  bool inPrefix = false;
  const size_t off = textOffsetAt(*n, std::max(0, w.textColumn - 1), tabSize(w), &inPrefix);
  if (inPrefix) return false;
  const std::string& pat = st.replacePattern;
  const size_t len = std::strlen(n->text);
  if (off + pat.size() > len) return false;
  for (size_t k = 0; k < pat.size(); ++k) {
    const auto c = static_cast<unsigned char>(n->text[off + k]);
    if ((st.replaceMatchCase ? c : kUpper[c]) != static_cast<unsigned char>(pat[k])) return false;
  }
  eraseAt(*n, off, pat.size());
  insertAt(*n, off, st.replaceText.data(), st.replaceText.size());

  w.doc.markChanged();
  const int32_t oldRows = n->rows();
  w.computeRows(n);
  const int first = w.cursorRow - (w.wrapMode ? w.curSubRow : 0);
  n->lineState = kStateRecompute;
  bool later = false;  // a line below changed its highlighting state
  update(n, w.doc.markUp, first, w.screenRows, [&](int row, LineNode* line) {
    if (line != n && row >= 1 && row <= w.screenRows) later = true;
  });
  if (n->rows() != oldRows || later) {
    if (w.wrapMode) w.curSubRow = std::min(w.curSubRow, std::max<int32_t>(1, n->rows()) - 1);
    Redraw(w, std::max(1, first));
  } else {
    repaintCurrent(w);
  }
  return true;
}

void searchCommand(View& w, const std::vector<View*>& windows) {
  SearchState& st = w.ctx.search;
  SearchRequest defaults;
  defaults.text = st.searchText;
  defaults.backward = st.backward;
  defaults.mode = st.searchMode;
  defaults.matchCase = st.searchMatchCase;
  defaults.allFiles = st.allFiles;
  auto r = w.host.searchDialog(defaults, false);
  if (!r) return;
  st.searchText = r->text;
  st.searchMatchCase = r->matchCase;
  st.searchMode = r->mode == Mode::ReplaceAll ? Mode::StopOnFirst : r->mode;
  st.backward = r->backward;
  st.allFiles = r->allFiles;
  st.found = false;
  if (r->text.empty()) {
    st.pattern.clear();
    return;
  }
  setPattern(st, r->text, r->matchCase);
  runSearch(w, windows, w.currentLine ? cursorOffset(w) : 0);
}

void findNextCommand(View& w, const std::vector<View*>& windows) {
  SearchState& st = w.ctx.search;
  if (st.pattern.empty()) {
    w.host.messageBox("No previous search!", "Plicato", MbButtons::Ok, MbIcon::Information);
    return;
  }
  if (!w.currentLine) return;
  // Forward, the match under the cursor was found already: the search goes
  // on just behind its start (backward a match must end before the cursor).
  size_t at = cursorOffset(w);
  if (!st.backward && st.found && st.matchLine == w.currentLine && st.matchOffset == at) ++at;
  runSearch(w, windows, at);
}

void replaceCommand(View& origin, const std::vector<View*>& windows) {
  SearchState& st = origin.ctx.search;
  SearchRequest defaults;
  defaults.text = st.findText;
  defaults.replacement = st.replaceText;
  defaults.backward = st.backward;
  defaults.mode = st.replaceMode;
  defaults.matchCase = st.replaceMatchCase;
  defaults.allFiles = st.allFiles;
  auto r = origin.host.searchDialog(defaults, true);
  if (!r) return;
  st.findText = r->text;
  st.replaceText = r->replacement;
  st.replaceMatchCase = r->matchCase;
  st.replaceMode = r->mode;
  st.backward = r->backward;
  st.allFiles = r->allFiles;
  st.found = false;
  if (r->text.empty()) return;
  st.replacePattern = r->matchCase ? r->text : upperText(r->text);
  setPattern(st, r->text, r->matchCase);

  View* cur = &origin;
  View* last = nullptr;
  // Replace all changes nothing but line texts between its matches, so
  // each reveal may build on the last one.
  Revealed revealed;
  Revealed* known = st.replaceMode == Mode::ReplaceAll ? &revealed : nullptr;
  // Replace all paints each window it went through once, at its end.
  PaintHold hold;
  if (known) hold.add(origin);
  bool found = origin.currentLine &&
               findFrom(origin, origin.currentLine, cursorOffset(origin), true, known);
  for (;;) {
    if (!found) {
      // The user may be asked whether to go on: the windows show what was done.
      hold.release();
      View* next = notFound(*cur, origin, st.findText, windows);
      if (!next) break;
      cur = next;
      if (known) hold.add(*cur);
      found = findInNext(*cur, origin, true, known);
      continue;
    }
    last = cur;
    leaveOther(*cur, origin);
    bool replaced = false;
    bool stop = false;
    if (st.replaceMode == Mode::PromptForNext) {
      showFound(*cur, true);
      const MbResult a = cur->host.confirmAt("MY_BOX_REPL", "Replace this match?",
                                             MbButtons::YesNoCancel, cur->cursorRow, cur->cursorCol);
      showFound(*cur, false);
      if (a == MbResult::Cancel) stop = true;
      else if (a == MbResult::Yes) replaced = ReplaceAt(*cur);
      // Each replacement asked about is a step of its own.
      if (replaced) splitStep(*cur);
    } else {
      replaced = ReplaceAt(*cur);
    }
    if (stop || st.replaceMode == Mode::StopOnFirst) {
      enterOther(*cur, origin);
      break;
    }
    // Forward the search goes on behind the text just put in, so that a
    // replacement holding the pattern is not found again.
    size_t at = st.matchOffset;
    if (!st.backward) at += replaced ? st.replaceText.size() : 1;
    found = findFrom(*cur, st.matchLine, at, true, known);
    enterOther(*cur, origin);
  }
  hold.release();
  ended(last, origin);
}
