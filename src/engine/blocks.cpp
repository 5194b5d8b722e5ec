#include "engine/blocks.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "commandids/commandids.hpp"
#include "model/linestates.hpp"
#include "engine/view.hpp"
#include "engine/layout.hpp"
#include "engine/filecommands.hpp"
#include "engine/foldedit.hpp"
#include "model/foldcompose.hpp"
#include "model/atomicfile.hpp"
#include "model/filetypes.hpp"
#include "model/foldformat.hpp"
#include "engine/fileio.hpp"
#include "model/foldreader.hpp"
#include "model/linestore.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

namespace {

// ---------------------------------------------------------------------------
// The block

// The nodes of the block: from first along next up to, not including, stop.
struct BlockRun {
  LineNode* first = nullptr;
  LineNode* stop = nullptr;
};

bool endIncluded(const View& w) {
  return w.wrapMode || w.blockKind == BlockKind::Columns;
}

BlockRun blockRun(const View& w) {
  BlockRun r;
  if (!blockSelected(w)) return r;
  r.first = w.blockFirst;
  r.stop = endIncluded(w) ? w.blockEnd->next : w.blockEnd;
  return r;
}

// Whether the run may be worked on as a whole: it lies in the view, holds
// neither the view's header nor its end line (which frame the view and
// must stay), and every open fold in it ends in it.
bool balanced(const View& w, const BlockRun& r) {
  if (!r.first || r.first == r.stop) return false;
  int count = 0;
  for (LineNode* n = r.first; n != r.stop; n = n->next) {
    if (!n || n == w.doc.levelBottom || n->kind == FileTop || n->kind == EnteredFold) return false;
    if (n->kind == OpenFold) ++count;
    if (n->kind == FoldEnd && --count < 0) return false;
  }
  return count == 0;
}

const char* refusalFor(int command) {
  switch (command) {
    case cmdCopyBlock:
    case cmdCopyBlock2:
    case kMenuCopy:
      return "Plicato can't Copy this block";
    case cmdCutBlock:
    case cmdCutBlock2:
    case kMenuCut:
      return "Plicato can't Cut this block";
    case cmdSaveAs:
    case cmdSaveAs2:
    case kMenuSaveAs:
      return "Plicato can't Save this block";
    case cmdCreateFold:
    case kMenuCreateFold:
      return "Plicato can't fold this block";
    default:
      return "Plicato can't Delete this block";
  }
}

bool isCopy(int command) {
  return command == cmdCopyBlock || command == cmdCopyBlock2 || command == kMenuCopy;
}

// ---------------------------------------------------------------------------
// Clipboard text

void dropTrailing(std::string& s) {
  size_t n = s.size();
  while (n > 0 && s[n - 1] == ' ') --n;
  s.resize(n);
}

// Screen column of a node's marker or text as displayText lays it out.
int displayColumn(const LineNode* n) {
  const int c = isClosedHeader(n) ? n->indent + n->markerColumn() : n->indent;
  return std::max(0, c);
}

class ClipboardWriter {
 public:
  explicit ClipboardWriter(const View& w)
      : cs_(w.doc.commentStart), ce_(w.doc.commentEnd), fortran_(isFortranType(w.doc.fileTypeName)) {}

  std::string run(const BlockRun& r) {
    out_.clear();
    // Open folds of the view met in the block, and whether each is a
    // COMMENT fold (or inside one).
    std::vector<std::pair<int, bool>> open;
    for (LineNode* n = r.first; n && n != r.stop; n = n->next) {
      const bool inComment = !open.empty() && open.back().second;
      if (n->kind == OpenFold) {
        markerLine(displayColumn(n), "{{{  ", n->text);
        attributeLines(n, displayColumn(n));
        open.emplace_back(displayColumn(n), inComment || isCommentTitle(n->text));
      } else if (n->kind == FoldEnd) {
        const int col = open.empty() ? displayColumn(n) : open.back().first;
        markerLine(col, "}}}", "");
        if (!open.empty()) open.pop_back();
      } else {
        unit(n, 0, inComment);
      }
    }
    return out_;
  }

 private:
  // A text line or a closed fold with everything inside it, `offset`
  // columns right of where its own indent puts it.
  void unit(const LineNode* n, int offset, bool inComment) {
    if (n->kind == TextLine) {
      textLine(n, offset, inComment);
      return;
    }
    if (!isClosedHeader(n)) return;
    const int col = offset + displayColumn(n);
    markerLine(col, n->kind == FiledFold ? "...F " : "...  ", n->text);
    attributeLines(n, col);
    // A filed fold's listing belongs to its file.
    if (n->kind == FiledFold) return;
    const bool comment = inComment || isCommentTitle(n->text);
    for (const LineNode* q = n->inner(); q && q != n->partner(); q = q->next) unit(q, col, comment);
    markerLine(col, "}}}", "");
  }

  void textLine(const LineNode* n, int offset, bool inComment) {
    line_.assign(static_cast<size_t>(offset + std::max(0, n->indent)), ' ');
    line_ += n->text ? n->text : "";
    dropTrailing(line_);
    if (inComment) {
      size_t lead = 0;
      while (lead < line_.size() && line_[lead] == ' ') ++lead;
      line_ = line_.substr(0, lead) + cs_ + line_.substr(lead) + ce_;
      dropTrailing(line_);
    }
    out_ += line_;
    out_ += "\r\n";
  }

  void markerLine(int col, const char* marker, const char* title) {
    line_.assign(static_cast<size_t>(col), ' ');
    line_ += marker;
    if (title) line_ += title;
    dropTrailing(line_);
    fortranMark(line_);
    out_ += line_;
    out_ += "\r\n";
  }

  void attributeLines(const LineNode* n, int col) {
    std::string prefix(static_cast<size_t>(col), ' ');
    prefix += cs_;
    prefix += ":::";
    if (writesAttributeLine(*n)) {
      char nums[40];
      std::snprintf(nums, sizeof nums, "A %2u %u", n->foldType(), n->foldContents());
      line_ = prefix + nums;
      fortranMark(line_);
      out_ += line_;
      out_ += "\n";
    }
    if (n->kind == FiledFold) {
      const char* name = n->partner() && n->partner()->text ? n->partner()->text : "";
      line_ = prefix + "F " + name;
      fortranMark(line_);
      out_ += line_;
      out_ += "\n";
    }
  }

  // A Fortran marker line keeps a "C" in column 0: over a blank there, else
  // in front, so that no byte of the marker is lost.
  void fortranMark(std::string& s) const {
    if (!fortran_ || s.empty()) return;
    if (s[0] == ' ')
      s[0] = 'C';
    else if (s[0] != 'C')
      s.insert(0, 1, 'C');
  }

  const std::string& cs_;
  const std::string& ce_;
  bool fortran_;
  std::string out_;
  std::string line_;
};

// ---------------------------------------------------------------------------
// View upkeep

// The line's text changed: rows and block-comment states after it.
void textChanged(View& w, LineNode* n) {
  w.computeRows(n);
  n->lineState = kStateRecompute;
  update(n, w.doc.markUp);
}

bool inRun(const LineNode* n, const BlockRun& r) {
  for (const LineNode* p = r.first; p && p != r.stop; p = p->next)
    if (p == n) return true;
  return false;
}

// After lines around the cursor changed: the window keeps its top line
// when it can and the cursor its line; else the cursor line is placed.
void settleView(View& w, int fallbackRow) {
  if (w.topLine) {
    const int32_t top = rowsBefore(w, ViewPos{w.topLine, w.topSubRow});
    const int32_t cur = rowsBefore(w, ViewPos{w.currentLine, w.curSubRow});
    const int32_t row = cur - top + 1;
    if (row >= 1 && row <= w.screenRows) {
      w.cursorRow = row;
      Redraw(w, 1);
      w.queueRepaint(w.cursorRow);
      return;
    }
  }
  PlaceCursor(w, fallbackRow);
  w.queueRepaint(w.cursorRow);
}

// Takes the run out of the view: open folds in it are closed, and each
// unit goes to the dispose list in order, so that the last one is the
// first that restore line takes back.
void removeRun(View& w, const BlockRun& r) {
  // Asked before open folds close, which hides their insides from a walk
  // along the view.
  const bool topGone = inRun(w.topLine, r);
  const bool cursorGone = inRun(w.currentLine, r);
  if (w.foldStartLine && inRun(w.foldStartLine, r)) {
    w.createFoldMode = false;
    w.foldStartLine = nullptr;
  }
  const int firstRow = std::max(2, w.markFirstRow);

  std::vector<LineNode*> units;
  for (LineNode* n = r.first; n != r.stop;) {
    if (n->kind == OpenFold) close(n);
    units.push_back(n);
    n = n->next;
  }
  LineNode* before = r.first->prev;
  LineNode* after = r.stop;

  w.clearMark();
  linkAfter(before, after);
  for (LineNode* u : units) dispose(w.doc, u);

  if (cursorGone) {
    w.currentLine = after;
    w.curSubRow = 0;
  }
  textChanged(w, after);
  w.doc.markChanged();
  if (topGone) {
    w.topLine = nullptr;
    PlaceCursor(w, firstRow);
    w.queueRepaint(w.cursorRow);
  } else {
    settleView(w, 2);
  }
}

// ---------------------------------------------------------------------------
// Paste

bool blankOrTab(char c) { return c == ' ' || c == '\t'; }

// Splits at each line end: CR LF, LF, or a lone CR. trailingEnd tells
// whether the text ended with one (an empty text counts as ended).
std::vector<std::string> splitLines(const std::string& text, bool& trailingEnd) {
  std::vector<std::string> out;
  std::string cur;
  trailingEnd = true;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out.push_back(cur);
      cur.clear();
      trailingEnd = true;
      continue;
    }
    cur += c == '\0' ? ' ' : c;  // a line's text ends at its first NUL
    trailingEnd = false;
  }
  if (!trailingEnd) out.push_back(cur);
  return out;
}

enum class PasteKind { Text, Header, FiledOnly, End, Attribute, FileName };

struct PasteLine {
  std::string orig;    // as it came
  std::string raw;     // trailing blanks dropped
  std::string marked;  // the marker form, a Fortran "C" taken off
  PasteKind kind = PasteKind::Text;
  PasteKind candidate = PasteKind::Text;  // what the line looks like alone
  int column = 0;        // screen column of the marker
  LineKind foldKind = TextLine;  // ClosedFold or FiledFold for a header
  std::string rest;      // title, attribute numbers or file name
  int owner = -1;        // attribute and file lines: the header's index
};

// After the marker: nothing, or a blank before the title.
bool markerAt(const std::string& s, size_t i, const char* m, std::string& rest) {
  const size_t n = std::strlen(m);
  if (s.compare(i, n, m) != 0) return false;
  size_t t = i + n;
  if (t < s.size() && !blankOrTab(s[t])) return false;
  while (t < s.size() && blankOrTab(s[t])) ++t;
  rest = s.substr(t);
  return true;
}

// What one line is by itself; whether attribute and file lines belong to a
// fold, and whether ends match headers, is settled over all lines.
void classify(PasteLine& l, int tabSize) {
  l.raw = l.marked;
  dropTrailing(l.raw);
  l.marked = l.raw;
  std::string& s = l.marked;

  auto markerStarts = [](const std::string& t, size_t i) {
    return t.compare(i, 3, "{{{") == 0 || t.compare(i, 3, "...") == 0 ||
           t.compare(i, 3, "}}}") == 0;
  };
  // A Fortran marker line: the "C" went in front of the marker or over the
  // first blank of its indentation.
  std::string undone;
  if (!s.empty() && s[0] == 'C') {
    if (markerStarts(s, 1)) {
      undone = s.substr(1);
    } else if (s.size() > 1 && s[1] == ' ') {
      size_t j = 1;
      while (j < s.size() && s[j] == ' ') ++j;
      if (markerStarts(s, j)) {
        undone = s;
        undone[0] = ' ';
      }
    }
  }

  auto test = [&](const std::string& t) {
    size_t i = 0;
    while (i < t.size() && blankOrTab(t[i])) ++i;
    l.column = expandToColumn(t.c_str(), i, tabSize);
    std::string rest;
    if (t.compare(i, 3, "}}}") == 0 && i + 3 == t.size()) {
      l.candidate = PasteKind::End;
    } else if (markerAt(t, i, "...F", rest)) {
      l.candidate = PasteKind::FiledOnly;
      l.foldKind = FiledFold;
      l.rest = rest;
    } else if (markerAt(t, i, "{{{F", rest)) {
      l.candidate = PasteKind::Header;
      l.foldKind = FiledFold;
      l.rest = rest;
    } else if (markerAt(t, i, "{{{", rest) || markerAt(t, i, "...", rest)) {
      l.candidate = PasteKind::Header;
      l.foldKind = ClosedFold;
      l.rest = rest;
    } else {
      return false;
    }
    return true;
  };
  if (!undone.empty() && test(undone)) {
    s = undone;
    return;
  }
  if (test(s)) return;

  // Attribute and file lines: the window's comment start (any language's,
  // at most a comment field long, no blanks) before ":::A" or ":::F".
  size_t i = 0;
  while (i < s.size() && blankOrTab(s[i])) ++i;
  const size_t colons = s.find(":::", i);
  if (colons != std::string::npos && colons - i <= kCommentFieldBytes &&
      colons + 4 <= s.size()) {
    bool prefixOk = true;
    for (size_t k = i; k < colons; ++k)
      if (blankOrTab(s[k])) prefixOk = false;
    const char what = s[colons + 3];
    const bool sep = colons + 4 == s.size() || blankOrTab(s[colons + 4]);
    if (prefixOk && sep && (what == 'A' || what == 'F')) {
      l.candidate = what == 'A' ? PasteKind::Attribute : PasteKind::FileName;
      size_t t = colons + 4;
      while (t < s.size() && blankOrTab(s[t])) ++t;
      l.rest = s.substr(t);
    }
  }
}

// Decides the kind of every line: attribute and file lines directly after
// a header belong to it; an end line closes the innermost open header at
// its column (headers above that one were no folds); what is left open at
// the end, and a "...F" header without its file line, is text.
void settleStructure(std::vector<PasteLine>& lines) {
  std::vector<int> stack;
  int owner = -1;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    PasteLine& l = lines[static_cast<size_t>(i)];
    l.kind = PasteKind::Text;
    switch (l.candidate) {
      case PasteKind::Attribute:
      case PasteKind::FileName:
        if (owner >= 0) {
          l.kind = l.candidate;
          l.owner = owner;
          continue;  // more may follow for the same header
        }
        break;
      case PasteKind::Header:
        l.kind = PasteKind::Header;
        stack.push_back(i);
        owner = i;
        continue;
      case PasteKind::FiledOnly:
        l.kind = PasteKind::FiledOnly;
        owner = i;
        continue;
      case PasteKind::End: {
        auto it = std::find_if(stack.rbegin(), stack.rend(), [&](int h) {
          return lines[static_cast<size_t>(h)].column == l.column;
        });
        if (it != stack.rend()) {
          const size_t keep = static_cast<size_t>(stack.rend() - it) - 1;
          for (size_t k = keep + 1; k < stack.size(); ++k)
            lines[static_cast<size_t>(stack[k])].kind = PasteKind::Text;
          stack.resize(keep);
          l.kind = PasteKind::End;
        }
        break;
      }
      default:
        break;
    }
    owner = -1;
  }
  for (int h : stack) lines[static_cast<size_t>(h)].kind = PasteKind::Text;
  std::vector<bool> named(lines.size(), false);
  for (const PasteLine& l : lines)
    if (l.kind == PasteKind::FileName) named[static_cast<size_t>(l.owner)] = true;
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].kind == PasteKind::FiledOnly && !named[i]) lines[i].kind = PasteKind::Text;
  // Lines of a header that turned out to be text are text too.
  for (PasteLine& l : lines) {
    if ((l.kind == PasteKind::Attribute || l.kind == PasteKind::FileName) &&
        lines[static_cast<size_t>(l.owner)].kind == PasteKind::Text)
      l.kind = PasteKind::Text;
  }
}

// One piece of the pasted result in the order of the lines: a classified
// line, or text of the cursor line (its left or right part) that joins it.
struct Piece {
  const PasteLine* line = nullptr;  // null: only `before` / `after`
  std::string before;  // cursor line text in front (joined, not stripped)
  std::string after;   // cursor line text behind
  bool joinedFront = false;
};

// Builds the pasted lines in a chain behind a temporary head, as the fold
// reader builds a file: nodes are appended, and a fold closing takes the
// nodes behind its header in.
class PasteBuilder {
 public:
  PasteBuilder(View& w, int baseColumn)
      : w_(w), base_(baseColumn), offset_(baseColumn) {
    head_.kind = TextLine;
    last_ = &head_;
  }

  LineNode* first() const { return head_.next == nullptr || last_ == &head_ ? nullptr : head_.next; }
  LineNode* last() const { return last_ == &head_ ? nullptr : last_; }
  bool stopped() const { return stopped_; }

  // Text of a piece that starts a line of its own: at most the offset of
  // leading blanks go (they are the fold's indentation), and inside a
  // COMMENT fold the window's comment signs.
  std::string lineText(const std::string& s) const {
    size_t lead = 0;
    while (lead < s.size() && lead < static_cast<size_t>(std::max(0, offset_)) && s[lead] == ' ')
      ++lead;
    std::string t = s.substr(lead);
    if (commentDepth_ > 0) uncomment(t);
    return t;
  }

  bool addText(const std::string& text) {
    if (!budget()) return false;
    LineNode* n = newLineNode(w_.doc);
    assign(*n, text.c_str());
    append(n);
    return true;
  }

  bool openFold(const PasteLine& l) {
    if (!budget()) return false;
    LineNode* h = newLineNode(w_.doc);
    assign(*h, l.rest.c_str());
    journal::touchText(h);
    stripTrailing(h->text);
    append(h);
    const bool counted = commentDepth_ > 0 || isCommentTitle(h->text);
    if (counted) ++commentDepth_;
    h->markerColumn() = std::max(0, l.column - offset_);
    LineNode* e = newLineNode(w_.doc);
    journal::touch(e);
    e->kind = FoldEnd;
    h->partner() = e;
    e->partner() = h;
    open_.push_back({h, e, l.foldKind, offset_, counted});
    offset_ += h->markerColumn();
    return true;
  }

  void attribute(const PasteLine& l) {
    if (open_.empty()) return;
    uint32_t v[2] = {0, 0};
    size_t k = 0;
    for (int which = 0; which < 2; ++which) {
      while (k < l.rest.size() && blankOrTab(l.rest[k])) ++k;
      uint64_t x = 0;
      while (k < l.rest.size() && l.rest[k] >= '0' && l.rest[k] <= '9') {
        x = std::min<uint64_t>(x * 10 + static_cast<uint64_t>(l.rest[k] - '0'), 0xFFFFFFFFu);
        ++k;
      }
      v[which] = static_cast<uint32_t>(x);
    }
    open_.back().header->foldType() = v[0];
    open_.back().header->foldContents() = v[1];
  }

  void fileName(const PasteLine& l) {
    if (open_.empty()) return;
    std::string name = l.rest;
    dropTrailing(name);
    assign(*open_.back().end, name.c_str());
  }

  void closeFold() {
    if (open_.empty()) return;
    Open o = open_.back();
    open_.pop_back();
    linkAfter(last_, o.end);  // last_ is the header itself when nothing is inside
    o.header->inner() = o.header->next;
    o.header->inner()->prev = o.header;
    journal::touch(o.header);
    o.header->kind = o.kind;
    offset_ = o.offset;
    if (o.counted && commentDepth_ > 0) --commentDepth_;
    last_ = o.header;
    last_->next = nullptr;
  }

  // What is still open when the budget ran out closes where it stands.
  void finish() {
    while (!open_.empty()) closeFold();
  }

 private:
  struct Open {
    LineNode* header;
    LineNode* end;
    LineKind kind;
    int offset;
    bool counted;
  };

  bool budget() {
    if (stopped_) return false;
    if (!lineBudget(w_.doc, 1)) stopped_ = true;
    return !stopped_;
  }

  void append(LineNode* n) {
    journal::touch(n);
    n->indent = open_.empty() ? base_ : 0;
    linkAfter(last_, n);
    n->next = nullptr;
    last_ = n;
  }

  void uncomment(std::string& t) const {
    const std::string& cs = w_.doc.commentStart;
    const std::string& ce = w_.doc.commentEnd;
    if (cs.empty() && ce.empty()) return;
    size_t fnb = 0;
    while (fnb < t.size() && t[fnb] == ' ') ++fnb;
    if (t.compare(fnb, cs.size(), cs) != 0) return;
    if (t.size() < fnb + cs.size() + ce.size()) return;
    if (t.compare(t.size() - ce.size(), ce.size(), ce) != 0) return;
    t.erase(t.size() - ce.size());
    t.erase(fnb, cs.size());
  }

  View& w_;
  int base_;
  int offset_;
  int commentDepth_ = 0;
  std::vector<Open> open_;
  LineNode head_;
  LineNode* last_;
  bool stopped_ = false;
};

// Byte of the text line under display column col (0-based), or -1 when the
// column is left of its text or behind its end.
long byteAtColumn(const LineNode* n, int col, int tabSize) {
  const int tab = std::max(1, tabSize);
  long c = std::max(0, n->indent);
  const char* t = n->text ? n->text : "";
  for (size_t i = 0; t[i]; ++i) {
    const long next = t[i] == '\t' ? (c / tab + 1) * tab : c + 1;
    if (col >= c && col < next) return static_cast<long>(i);
    c = next;
  }
  return -1;
}

int columnOfByte(const LineNode* n, size_t pos, int tabSize) {
  const int tab = std::max(1, tabSize);
  int c = std::max(0, n->indent);
  const char* t = n->text ? n->text : "";
  for (size_t i = 0; i < pos && t[i]; ++i) c = t[i] == '\t' ? (c / tab + 1) * tab : c + 1;
  return c;
}


void rowsAndStates(View& w, LineNode* first, LineNode* stop) {
  for (LineNode* n = first; n && n != stop; n = nextInFileOrder(n)) {
    w.computeRows(n);
    n->lineState = kStateRecompute;
  }
}

}  // namespace

bool blockSelected(const View& w) {
  return w.blockActive && w.blockFirst && w.blockEnd;
}

bool checkBlock(View& w, int command) {
  if (!blockSelected(w)) return false;
  if (balanced(w, blockRun(w))) return true;
  if (isCopy(command)) w.host.beep();
  w.host.statusMessage(refusalFor(command));
  return false;
}

std::string clipboardText(View& w) {
  const BlockRun r = blockRun(w);
  if (!balanced(w, r)) return {};
  return ClipboardWriter(w).run(r);
}

void copyBlock(View& w) {
  if (!blockSelected(w)) return;
  w.host.waitCursor(true);
  if (checkBlock(w, cmdCopyBlock)) w.host.setClipboardText(clipboardText(w));
  w.host.waitCursor(false);
}

void cutBlock(View& w) {
  if (!blockSelected(w)) return;
  w.host.waitCursor(true);
  const bool ok = checkBlock(w, cmdCutBlock);
  if (ok) w.host.setClipboardText(clipboardText(w));
  w.host.waitCursor(false);
  if (ok) removeRun(w, blockRun(w));
}

void deleteBlock(View& w) {
  if (!blockSelected(w) || !checkBlock(w, cmdDeleteRight)) return;
  removeRun(w, blockRun(w));
}

void saveBlock(View& w) {
  if (!blockSelected(w) || !checkBlock(w, cmdSaveAs)) return;
  const std::string text = clipboardText(w);
  std::optional<std::string> name =
      w.host.saveAsDialog(dialogFilter(activeFileTypes(), langList()), "");
  if (!name || name->empty()) return;
  const PathProbe probe = resolve(w.doc, *name);
  if (!probe.usable) {
    w.host.statusMessage("Error opening " + (probe.path.empty() ? *name : probe.path));
    return;
  }
  w.host.statusMessage("Saving " + probe.path);
  std::string error;
  if (!writeFileAtomic(probe.path, text, &error))
    w.host.messageBox(error, "Stop", MbButtons::Ok, MbIcon::Exclamation);
}

void foldBlock(View& w) {
  if (!blockSelected(w) || !checkBlock(w, cmdCreateFold)) return;
  const BlockRun r = blockRun(w);
  // The fold stands at the first line's column (where its text or marker
  // begins), or left of it where a text line of the block's outer level
  // begins further left; blank lines do not pull it.
  auto textColumnOf = [](const LineNode* n) {
    const char* t = n->text ? n->text : "";
    const int lead = firstNonBlank(t) - 1;
    return t[lead] == '\0' ? -1 : std::max(0, n->indent) + lead;
  };
  int col = r.first->kind == TextLine ? textColumnOf(r.first) : displayColumn(r.first);
  int nesting = 0;
  for (LineNode* n = r.first; n != r.stop; n = n->next) {
    if (nesting == 0 && n->kind == TextLine) {
      const int c = textColumnOf(n);
      if (c >= 0 && (col < 0 || c < col)) col = c;
    }
    if (n->kind == OpenFold) ++nesting;
    if (n->kind == FoldEnd) --nesting;
  }
  if (col < 0) col = levelColumnAt(r.first);
  nesting = 0;
  bool ok = true;
  for (LineNode* n = r.first; n != r.stop; n = n->next) {
    if (nesting == 0 && (isClosedHeader(n) || n->kind == OpenFold) && displayColumn(n) < col)
      ok = false;
    if (n->kind == OpenFold) ++nesting;
    if (n->kind == FoldEnd) --nesting;
  }
  if (!ok || !canFoldRun(w, r.first, r.stop, std::max(col, levelColumnAt(r.first)))) {
    w.host.statusMessage(refusalFor(cmdCreateFold));
    return;
  }
  if (!lineBudget(w.doc, 2)) return;
  w.clearMark();
  if (finishFoldAt(w, r.first, r.stop, col)) w.doc.markChanged();
}

void pasteBlock(View& w) {
  std::optional<std::string> text = w.host.clipboardText();
  if (!text) return;
  pasteText(w, *text);
}

void pasteText(View& w, const std::string& text) {
  LineNode* cur = w.currentLine;
  if (!cur || cur->kind == FileTop || cur->kind == EnteredFold || text.empty()) return;

  bool trailingEnd = true;
  const std::vector<std::string> split = splitLines(text, trailingEnd);
  std::vector<PasteLine> lines(split.size());
  const int tabSize = w.ctx.settings.tabSize;
  for (size_t i = 0; i < split.size(); ++i) {
    lines[i].orig = split[i];
    lines[i].marked = split[i];
    classify(lines[i], tabSize);
  }
  settleStructure(lines);

  // Into the line when the cursor stands on one of its characters.
  long pos = -1;
  if (cur->kind == TextLine)
    pos = byteAtColumn(cur, w.textColumn - 1, w.ctx.settings.tabSize);
  const bool join = pos >= 0;

  std::vector<Piece> pieces;
  for (const PasteLine& l : lines) pieces.push_back(Piece{&l, "", "", false});
  if (join) {
    const std::string whole = cur->text;
    const std::string head = whole.substr(0, static_cast<size_t>(pos));
    const std::string tail = whole.substr(static_cast<size_t>(pos));
    if (!pieces.empty() && pieces.front().line->kind == PasteKind::Text) {
      pieces.front().before = head;
      pieces.front().joinedFront = true;
    } else if (!head.empty()) {
      pieces.insert(pieces.begin(), Piece{nullptr, head, "", true});
    }
    if (trailingEnd || pieces.empty() ||
        (pieces.back().line && pieces.back().line->kind != PasteKind::Text))
      pieces.push_back(Piece{nullptr, "", tail, false});
    else
      pieces.back().after = tail;
  }
  if (pieces.empty()) return;

  // The cursor line takes the last piece when the text goes into it; every
  // other piece becomes new lines above it.
  const size_t newPieces = join ? pieces.size() - 1 : pieces.size();
  const int base = levelColumnAt(cur);
  PasteBuilder b(w, base);
  // A piece that ends its line loses its trailing blanks; one that the
  // cursor line's right part follows keeps them.
  auto pieceText = [&b](const Piece& p) -> std::string {
    if (!p.line) return p.before + p.after;
    const std::string& src = p.after.empty() ? p.line->raw : p.line->orig;
    return p.before + (p.joinedFront ? src : b.lineText(src)) + p.after;
  };
  size_t done = 0;
  for (; done < newPieces && !b.stopped(); ++done) {
    const Piece& p = pieces[done];
    const PasteLine* l = p.line;
    if (!l) {
      if (!b.addText(pieceText(p))) break;
      continue;
    }
    bool ok = true;
    switch (l->kind) {
      case PasteKind::Text:
        ok = b.addText(pieceText(p));
        break;
      case PasteKind::Header:
      case PasteKind::FiledOnly:
        ok = b.openFold(*l);
        if (ok && l->kind == PasteKind::FiledOnly) {
          // Its attribute and file lines follow it directly.
          while (done + 1 < newPieces && pieces[done + 1].line &&
                 (pieces[done + 1].line->kind == PasteKind::Attribute ||
                  pieces[done + 1].line->kind == PasteKind::FileName)) {
            ++done;
            if (pieces[done].line->kind == PasteKind::Attribute)
              b.attribute(*pieces[done].line);
            else
              b.fileName(*pieces[done].line);
          }
          b.closeFold();
        }
        break;
      case PasteKind::Attribute:
        b.attribute(*l);
        break;
      case PasteKind::FileName:
        b.fileName(*l);
        break;
      case PasteKind::End:
        b.closeFold();
        break;
    }
    if (!ok) break;
  }
  b.finish();
  // Nothing could be made: the cursor line stays as it was.
  if (done == 0 && newPieces > 0) return;

  LineNode* first = b.first();
  LineNode* last = b.last();
  bool changed = first != nullptr;
  if (first) {
    linkAfter(cur->prev, first);
    linkAfter(last, cur);
    rowsAndStates(w, first, cur);
    if (w.topLine == cur && w.topSubRow == 0) w.topLine = first;
  }
  int cursorColumn = -1;
  if (join) {
    const Piece& p = pieces.back();
    // When the budget ran out the cursor line keeps what followed the cursor.
    const std::string t = done < newPieces ? p.after : pieceText(p);
    assign(*cur, t.c_str());
    textChanged(w, cur);
    changed = true;
    cursorColumn = columnOfByte(cur, t.size() - p.after.size(), w.ctx.settings.tabSize);
  }
  if (!changed) return;
  w.computeRows(cur);
  if (first) {
    first->lineState = kStateRecompute;
    update(first, w.doc.markUp);
  }
  w.doc.markChanged();
  if (cursorColumn >= 0) cursorToColumn(w, cursorColumn);
  settleView(w, w.screenRows - 1);
}

// --- marking keys ------------------------------------------------------------

namespace {

void startMark(View& w) {
  if (w.markActive) return;
  w.markAnchorLine = w.currentLine;
  w.markAnchorSubRow = w.curSubRow;
  w.blockKind = BlockKind::Lines;
}

void markTo(View& w, bool (*move)(View&)) {
  if (!w.currentLine) return;
  startMark(w);
  move(w);
  w.setMarkEnd(w.currentLine, w.curSubRow);
}

bool pageDownMove(View& w) { return pageDown(w) > 0; }
bool pageUpMove(View& w) { return pageUp(w) > 0; }

}  // namespace

void markUp(View& w) { markTo(w, moveUp); }
void markDown(View& w) { markTo(w, moveDown); }
void markPageUp(View& w) { markTo(w, pageUpMove); }
void markPageDown(View& w) { markTo(w, pageDownMove); }
