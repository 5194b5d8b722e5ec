#include "engine/navigation.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "engine/statusline.hpp"
#include "engine/view.hpp"
#include "engine/layout.hpp"
#include "engine/filecommands.hpp"
#include "model/foldformat.hpp"
#include "model/fileidentity.hpp"
#include "engine/fileio.hpp"
#include "model/foldreader.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"


namespace {

void say(View& w, const std::string& text) { w.host.statusMessage(text); }

void levelChanged(View& w) {
  if (w.hooks.levelChanged) w.hooks.levelChanged(w);
}

// The cursor to a far line; the column stays (in wrap mode within the piece).
void jumpTo(View& w, LineNode* line, int32_t subRow) {
  w.currentLine = line;
  w.curSubRow = subRow;
  if (w.wrapMode) {
    const int width = w.textWidth();
    w.cursorCol = subRow * width + w.cursorCol % width;
  }
  w.textColumn = w.leftColumn + w.cursorCol + 1;
}

int32_t lastPiece(const View& w, const LineNode* n) {
  return w.wrapMode ? std::max<int32_t>(1, n->rows()) - 1 : 0;
}

// The cursor keeps its screen row as far as there are rows above it.
void keepRow(View& w, int row) {
  if (!w.currentLine) return;
  ViewPos top{w.currentLine, w.curSubRow};
  int r = 1;
  while (r < row && r < w.screenRows && stepUp(w, top)) ++r;
  w.topLine = top.line;
  w.topSubRow = top.subRow;
  w.cursorRow = r;
  Redraw(w, 1);
}

// --- entering and leaving a closed fold, structure only -------------------

void enterStructure(View& w, LineNode* h) {
  LineNode* e = h->partner();
  LineNode* first = h->inner() ? h->inner() : e;
  journal::touch(h);
  h->kind = EnteredFold;
  h->inner() = w.doc.levelTop;
  h->next = first;
  first->prev = h;
  e->inner() = w.doc.levelBottom;
  w.doc.levelTop = h->prev;
  w.doc.levelBottom = e;
  journal::touch(e);
  e->indent = h->indent;
  h->indent = 0;
  ++w.foldDepth;
  w.depthOffset += e->indent + h->markerColumn();
  w.computeRows(h);
  w.computeRows(e);
}

// Leaves the innermost entered fold; its header is returned.
LineNode* exitStructure(View& w) {
  LineNode* h = w.doc.levelTop->next;
  LineNode* e = w.doc.levelBottom;
  for (LineNode* q = h->next; q && q != e; q = q->next)
    if (q->kind == OpenFold) close(q);
  LineNode* first = h->next;
  LineNode* after = e->next;
  w.doc.levelTop = h->inner();
  w.doc.levelBottom = e->inner();
  journal::touch(h);
  h->kind = ClosedFold;
  h->inner() = first;
  h->next = after;
  if (after) after->prev = h;
  e->inner() = nullptr;
  journal::touch(h);
  h->indent = e->indent;
  journal::touch(e);
  e->indent = 0;
  if (w.foldDepth > 0) --w.foldDepth;
  w.depthOffset -= h->indent + h->markerColumn();
  if (w.foldDepth == 0) w.depthOffset = 0;
  w.computeRows(h);
  w.computeRows(e);
  return h;
}

bool inEnteredFold(const View& w) {
  return w.doc.levelTop != w.doc.fileTop && w.doc.levelTop && w.doc.levelTop->next &&
         w.doc.levelTop->next->kind == EnteredFold;
}

// Exits every entered fold of the file shown; the outermost header, or null
// when none was entered.
LineNode* exitAllEntered(View& w) {
  LineNode* outermost = nullptr;
  while (inEnteredFold(w)) outermost = exitStructure(w);
  return outermost;
}

// The folds entered in the file shown, outermost first.
std::vector<LineNode*> enteredPath(const View& w) {
  std::vector<LineNode*> path;
  for (LineNode* top = w.doc.levelTop; top && top != w.doc.fileTop;) {
    LineNode* h = top->next;
    if (!h || h->kind != EnteredFold) break;
    path.push_back(h);
    top = h->inner();
  }
  std::reverse(path.begin(), path.end());
  return path;
}

// --- finding a line in the view ---------------------------------------

// The folds of the view around target, outermost first (closed folds are
// looked into, filed ones are not). False when target is not in the view.
bool foldsAround(const View& w, const LineNode* target, std::vector<LineNode*>& path) {
  std::vector<LineNode*> stack;
  for (LineNode* p = viewFirst(w); p;) {
    if (p == target) {
      path = stack;
      return true;
    }
    if (p == w.doc.levelBottom) return false;
    if (p->kind == FoldEnd && !stack.empty() && stack.back()->partner() == p) stack.pop_back();
    if (p->kind == ClosedFold) {
      stack.push_back(p);
      p = p->inner() ? p->inner() : p->partner();
      continue;
    }
    if (p->kind == OpenFold) stack.push_back(p);
    p = p->next;
  }
  return false;
}

// Opens in place every closed fold around target; false when target is not
// in the view.
bool openAround(View& w, LineNode* target) {
  std::vector<LineNode*> path;
  if (!foldsAround(w, target, path)) return false;
  for (LineNode* h : path)
    if (h->kind == ClosedFold) openFoldInPlace(w, h);
  return true;
}

// The nodes of a filed fold's listing, its end included; everything in it
// counts, nested folds too.
long listingNodes(const LineNode* h) {
  long count = 0;
  const LineNode* stop = h->partner();
  for (const LineNode* q = h->inner(); q;) {
    ++count;
    if (q == stop) break;
    if (q->kind == ClosedFold || (q->kind == FiledFold && q->inner() && q->inner() != q->partner()))
      q = q->inner();
    else
      q = q->next;
  }
  return count;
}

// --- the file of a filed fold -------------------------------------------

bool sameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (a == b) return true;
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// Whether the file is shown further out in the window already.
bool beingEdited(const View& w, const std::string& path) {
  if (sameFile(ownFileName(w), path)) return true;
  for (const auto& level : w.doc.filedLevels)
    if (sameFile(level->path, path)) return true;
  return false;
}

// How the file is to be written back: TDS when it begins with the TDS begin
// token; LF line ends when every line ends so.
void formatOf(const std::string& path, bool& tds, bool& lfOnly) {
  tds = false;
  lfOnly = false;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  unsigned char buf[65536];
  bool first = true;
  bool sawLf = false;
  bool sawCr = false;
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (first) {
      first = false;
      uint8_t tag = 0;
      uint64_t value = 0;
      if (tdsDecode(buf, buf + n, tag, value) > 0 && tag == foldformat::kTdsControl &&
          value == foldformat::kTdsBegin) {
        tds = true;
        break;
      }
    }
    for (ssize_t i = 0; i < n && !sawCr; ++i) {
      if (buf[i] == '\r') sawCr = true;
      if (buf[i] == '\n') sawLf = true;
    }
    if (sawCr) break;
  }
  ::close(fd);
  lfOnly = !tds && sawLf && !sawCr;
}

void forgetLinesOf(View& w) {
  // Marks and fold starts may point at lines that are gone now.
  if (w.markActive) w.clearMark();
  w.blockActive = false;
  w.createFoldMode = false;
  w.foldStartLine = nullptr;
}

// Enters the folds of the path again (they were left for the save) and
// puts the cursor on target at row.
void restoreView(View& w, const std::vector<LineNode*>& path, LineNode* target, int row) {
  for (LineNode* h : path) {
    if (!openAround(w, h) || h->kind != ClosedFold) break;
    const int8_t saved = h->savedRow();
    enterStructure(w, h);
    h->savedRow() = saved;
  }
  if (!openAround(w, target)) target = viewFirst(w);
  jumpTo(w, target, 0);
  PlaceCursor(w, row);
}

// Gives the filed file's lines back and makes the parent file the one
// shown again; the entered folds of the file shown must have been left.
// With restore the parent's view is as it was when the fold was entered;
// else the parent's top level is shown, the cursor still to be placed.
void popFiledLevel(View& w, bool restore) {
  std::unique_ptr<FiledLevel> level = w.doc.leaveFiledLevel();
  LineNode* h = level->header;
  LineNode* e = h->partner();
  for (LineNode* q = h->next; q && q != e;) {
    LineNode* next = q->next;
    dispose(w.doc, q);
    q = next;
  }
  forgetLinesOf(w);
  LineNode* after = e->next;
  journal::touch(h);
  h->kind = FiledFold;
  h->prev = level->headerPrev;
  h->inner() = e;
  h->next = after;
  if (after) after->prev = h;
  e->prev = h;
  journal::touch(h);
  h->indent = level->headerIndent;
  journal::touch(e);
  e->indent = level->endIndent;
  assign(*e, level->endText.c_str());
  w.computeRows(h);
  w.computeRows(e);

  LineNode* s = level->sentinel;
  s->next = nullptr;
  s->prev = nullptr;
  dispose(w.doc, s);

  w.doc.popBasePath();
  w.doc.file() = level->parent;
  w.doc.levelTop = w.doc.fileTop;
  w.doc.levelBottom = w.doc.fileBottom;
  w.foldDepth = 0;
  w.depthOffset = 0;
  if (restore) restoreView(w, level->enteredPath, h, level->row);
}

// Saves the filed file shown and returns to its parent. False, and the
// window stays in the filed file, when its changes could not be saved.
bool leaveFiledFile(View& w, bool restore) {
  exitAllEntered(w);
  saveCommand(w);
  if (w.doc.modified) return false;  // the save said why
  popFiledLevel(w, restore);
  return true;
}

void enterFiledFold(View& w, LineNode* h) {
  LineNode* e = h->partner();
  if (h->foldType() != 1 || h->foldContents() != 0 || !e) {
    say(w, "Plicato not text fold");
    return;
  }
  if (h->inner() != e) {
    say(w, "Plicato cannot enter listing of filed fold");
    return;
  }
  const std::string reference = e->text ? e->text : "";
  PathProbe probe = resolve(w.doc, reference);
  if (!probe.exists) {
    char buf[600];
    std::snprintf(buf, sizeof buf, "Plicato file '%.500s' not found",
                  (probe.path.empty() ? reference : probe.path).c_str());
    say(w, buf);
    return;
  }
  // A file filed into itself would be loaded again and again.
  if (beingEdited(w, probe.path)) {
    say(w, "Plicato cannot enter listing of filed fold");
    return;
  }
  if (w.doc.basePathTop >= kBasePathEntries - 1) {
    say(w, "too many nested filed folds");
    return;
  }

  const std::vector<LineNode*> path = enteredPath(w);
  const int8_t row = static_cast<int8_t>(std::clamp(w.cursorRow, 1, 127));
  LineNode* oldTop = w.doc.levelTop;
  // One modified flag serves the file shown: the parent is written first,
  // and a parent whose changes could not be written is not left.
  saveCommand(w);
  if (w.doc.modified) {
    if (w.doc.levelTop != oldTop || w.currentLine != h) {
      exitAllEntered(w);
      restoreView(w, path, h, row);
    }
    return;
  }
  exitAllEntered(w);

  auto level = std::make_unique<FiledLevel>();
  level->parent = w.doc.file();
  level->header = h;
  level->headerPrev = h->prev;
  level->headerIndent = h->indent;
  level->endIndent = e->indent;
  level->endText = reference;
  level->path = probe.path;
  level->row = row;
  level->enteredPath = path;
  h->savedRow() = row;

  LineNode* s = newLineNode(w.doc);
  s->prev = nullptr;
  s->next = h;
  level->sentinel = s;
  journal::touch(h);
  h->kind = FileTop;
  h->prev = s;
  h->inner() = nullptr;
  h->indent = 0;
  h->next = e;
  e->prev = h;
  journal::touch(e);
  e->indent = 0;
  // The file is written under its full path while it is shown (the base
  // directory is the filed file's own then); the reference comes back.
  assign(*e, probe.path.c_str());
  w.doc.pushBasePath(dirName(probe.path));
  w.doc.fileName = probe.path;
  formatOf(probe.path, w.doc.readAsTds, w.doc.lfLineEnds);
  w.doc.backupDone = false;
  w.doc.fileTop = w.doc.levelTop = s;
  w.doc.fileBottom = w.doc.levelBottom = e;
  w.foldDepth = 0;
  w.depthOffset = 0;
  w.doc.enterFiledLevel(std::move(level));

  read(w.doc, e, h, e, false);
  if (w.doc.ioStatus == 2) {
    // The reader has said why and linked nothing in.
    popFiledLevel(w, true);
    return;
  }
  w.doc.markSaved();
  w.doc.title = probe.path;
  w.computeRows(h);
  jumpTo(w, h->next, 0);
  w.topLine = nullptr;
  PlaceCursor(w, 2);
  showVersion(w);
  refreshStatus(w);
  levelChanged(w);
}

long parseLineNumber(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long n = 0;
  bool digits = false;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    digits = true;
    const int d = text[i] - '0';
    n = n > (LONG_MAX - d) / 10 ? LONG_MAX : n * 10 + d;
  }
  if (!digits) return 0;
  return negative ? -n : n;
}

}  // namespace

// --- public -----------------------------------------------------------

bool inFiledFile(const View& w) { return !w.doc.filedLevels.empty(); }

LineNode* ownFileBottom(const View& w) {
  return w.doc.filedLevels.empty() ? w.doc.fileBottom : w.doc.filedLevels.front()->parent.fileBottom;
}

std::string ownFileName(const View& w) {
  return w.doc.filedLevels.empty() ? w.doc.fileName : w.doc.filedLevels.front()->parent.fileName;
}

void EnterFold(View& w) {
  LineNode* h = w.currentLine;
  if (h && h->kind == FiledFold) {
    enterFiledFold(w, h);
    return;
  }
  if (!h || h->kind != ClosedFold || !h->partner()) {
    say(w, "Plicato line is not a simple fold!!");
    return;
  }
  h->savedRow() = static_cast<int8_t>(std::clamp(w.cursorRow, 1, 127));
  enterStructure(w, h);
  jumpTo(w, h->next, 0);
  PlaceCursor(w, 4);
  showVersion(w);
  levelChanged(w);
}

void ExitFold(View& w) {
  if (inEnteredFold(w)) {
    LineNode* h = exitStructure(w);
    jumpTo(w, h, 0);
    PlaceCursor(w, h->savedRow());
    showVersion(w);
    levelChanged(w);
    return;
  }
  if (inFiledFile(w)) {
    if (leaveFiledFile(w, true)) {
      showVersion(w);
      refreshStatus(w);
      levelChanged(w);
    }
    return;
  }
  if (w.doc.modified && w.ctx.settings.autoSaveAtTopLevel) {
    if (!autoSaveSkips(w.doc)) saveCommand(w);
    return;
  }
  say(w, "Plicato at top level already!");
}

bool openFoldInPlace(View& w, LineNode* h) {
  if (!h || h->kind != ClosedFold || !h->partner()) return false;
  h->savedRow() = static_cast<int8_t>(std::clamp(w.cursorRow, 1, 127));
  LineNode* e = h->partner();
  LineNode* first = h->inner() ? h->inner() : e;
  LineNode* after = h->next;
  journal::touch(h);
  h->kind = OpenFold;
  h->next = first;
  first->prev = h;
  e->next = after;
  if (after) after->prev = e;
  const int32_t shift = h->indent + h->markerColumn();
  journal::touch(h);
  h->indent = shift;
  w.computeRows(h);
  for (LineNode* q = first; q; q = q->next) {
    journal::touch(q);
    q->indent += shift;
    w.computeRows(q);
    if (q == e) break;
  }
  return true;
}

void OpenInPlace(View& w) {
  if (!openFoldInPlace(w, w.currentLine)) {
    say(w, "Plicato line is not a simple fold!!");
    return;
  }
  Redraw(w, w.cursorRow - w.curSubRow);
}

void CloseFold(View& w) {
  LineNode* p = w.currentLine;
  if (!p) return;
  LineNode* first = viewFirst(w);
  if (p->kind == FoldEnd && p != w.doc.levelBottom && p->partner()) p = p->partner();
  while (p && p != w.doc.levelTop) {
    if (p->kind == OpenFold) break;
    if (p == first) {
      p = nullptr;
      break;
    }
    // A fold that ends above the cursor does not hold it.
    if (p->kind == FoldEnd && p != w.doc.levelBottom && p->partner()) p = p->partner();
    p = p->prev;
  }
  if (!p || p->kind != OpenFold) {
    say(w, w.doc.levelTop == w.doc.fileTop ? "Plicato at top" : "Plicato use exit fold !");
    return;
  }
  close(p);
  w.computeRows(p);
  jumpTo(w, p, 0);
  RedrawKeepTop(w);
}

void OpenAllFolds(View& w) {
  for (LineNode* p = viewFirst(w); p; p = p->next) {
    if (p->kind == ClosedFold) openFoldInPlace(w, p);
    if (p == w.doc.levelBottom) break;
  }
  keepRow(w, w.cursorRow);
}

void CloseAllFolds(View& w) {
  for (LineNode* p = viewFirst(w); p; p = p->next) {
    if (p->kind == OpenFold) {
      bool holdsCursor = false;
      for (LineNode* q = p->next; q; q = q->next) {
        if (q == w.currentLine) holdsCursor = true;
        if (q == p->partner() || holdsCursor) break;
      }
      close(p);
      w.computeRows(p);
      if (holdsCursor) jumpTo(w, p, 0);
    }
    if (p == w.doc.levelBottom) break;
  }
  keepRow(w, w.cursorRow);
}

void TopOfFold(View& w) {
  if (!w.currentLine) return;
  ViewPos p{w.currentLine, w.curSubRow};
  int above = 0;
  while (above <= 4 && stepUp(w, p)) ++above;
  if (above <= 4) {
    for (int i = 0; i < above; ++i) moveUp(w);
    return;
  }
  LineNode* first = viewFirst(w);
  if (w.createFoldMode)
    for (LineNode* q = w.currentLine; q && q != first; q = q->prev) {
      journal::touch(q);
      q->mark = 0;
    }
  jumpTo(w, first, 0);
  PlaceCursor(w, 2);
}

void BottomOfFold(View& w) {
  if (!w.currentLine) return;
  ViewPos p{w.currentLine, w.curSubRow};
  int below = 0;
  while (below <= 4 && stepDown(w, p)) ++below;
  if (below <= 4) {
    for (int i = 0; i < below; ++i) moveDown(w);
    return;
  }
  if (w.createFoldMode) {
    for (LineNode* q = w.currentLine->next; q; q = q->next) {
      journal::touch(q);
      q->mark = 1;
      if (q == w.doc.levelBottom) break;
    }
  }
  jumpTo(w, w.doc.levelBottom, lastPiece(w, w.doc.levelBottom));
  PlaceCursor(w, 2);
}

void GotoLine(View& w) {
  // The dialog offers what was asked for last, in any window.
  static std::string lastEntry;
  std::optional<std::string> answer = w.host.prompt("INPUT2", "Line number", lastEntry, 15);
  if (!answer) return;
  lastEntry = answer->substr(0, 15);
  gotoLineNumber(w, parseLineNumber(lastEntry));
}

void gotoLineNumber(View& w, long n) {
  if (n <= 0 || !w.doc.levelTop) return;
  LineNode* target = w.doc.levelBottom;
  long count = 0;
  for (LineNode* p = viewFirst(w); p;) {
    if (p->kind == FiledFold && p->inner() && p->partner() && p->inner() != p->partner()) {
      // A line of a filed fold's listing is reached at the fold's header.
      const long lines = 1 + listingNodes(p);
      if (n <= count + lines) {
        target = p;
        break;
      }
      count += lines;
      p = p->next;
      continue;
    }
    if (++count == n) {
      target = p;
      break;
    }
    if (p == w.doc.levelBottom) break;
    p = p->kind == ClosedFold && p->inner() ? p->inner() : p->next;
  }
  revealLine(w, target, 4);
}

void revealLine(View& w, LineNode* target, int wantedRow) {
  std::vector<LineNode*> path;
  if (!target || !foldsAround(w, target, path)) return;
  // Only the folds around the target stay or become open.
  for (LineNode* p = viewFirst(w); p; p = p->next) {
    if (p->kind == OpenFold && std::find(path.begin(), path.end(), p) == path.end()) {
      close(p);
      w.computeRows(p);
    }
    if (p == w.doc.levelBottom) break;
  }
  for (LineNode* h : path)
    if (h->kind == ClosedFold) openFoldInPlace(w, h);
  jumpTo(w, target, 0);
  w.topLine = nullptr;
  PlaceCursor(w, wantedRow);
}

bool exitAllFolds(View& w) {
  LineNode* focus = nullptr;
  int row = 2;
  auto place = [&] {
    if (!focus) return;
    if (!openAround(w, focus)) focus = viewFirst(w);
    jumpTo(w, focus, 0);
    PlaceCursor(w, row);
    showVersion(w);
    levelChanged(w);
  };
  for (;;) {
    if (LineNode* h = exitAllEntered(w)) {
      focus = h;
      row = h->savedRow();
    }
    if (!inFiledFile(w)) break;
    const FiledLevel level = *w.doc.filedLevels.back();
    if (!focus) {
      focus = viewFirst(w);
      row = 2;
    }
    // Placed first: a save that fails leaves the window showing this file.
    place();
    if (!leaveFiledFile(w, false)) return false;
    focus = level.enteredPath.empty() ? level.header : level.enteredPath.front();
    row = level.enteredPath.empty() ? level.row : level.enteredPath.front()->savedRow();
  }
  place();
  return true;
}

void exitToFileTop(View& w) {
  if (LineNode* h = exitAllEntered(w)) {
    jumpTo(w, h, 0);
    PlaceCursor(w, h->savedRow());
    showVersion(w);
    levelChanged(w);
  }
}

void discardFiledLevels(View& w) {
  for (;;) {
    exitAllEntered(w);
    if (!inFiledFile(w)) break;
    popFiledLevel(w, false);
  }
  forgetLinesOf(w);
}

std::string foldInfo(View& w) {
  char buf[700];
  int n = std::snprintf(buf, sizeof buf, "Enter depth  %d folds. %d spaces. ", w.foldDepth,
                        w.depthOffset);
  std::string out(buf, static_cast<size_t>(std::max(0, n)));
  const LineNode* c = w.currentLine;
  if (c && isHeader(c) && !hasDefaultAttributes(c)) {
    std::snprintf(buf, sizeof buf, ":::A %2d %d", static_cast<int>(c->foldType()),
                  static_cast<int>(c->foldContents()));
    out += buf;
  }
  if (c && c->kind == FiledFold && c->partner() && c->partner()->text) {
    out += ' ';
    out += c->partner()->text;
  }
  return out;
}
