#include "print/windowprintout.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "display/canvas.hpp"
#include "display/editorview.hpp"
#include "model/foldformat.hpp"
#include "model/linestore.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

namespace {

// The indentation a line has in its file. An entered fold's header gave
// its indent to its end line for the way out; in the file both stand where
// the closed fold stood.
int32_t fileIndentOf(const LineNode& p) {
  if (isClosedHeader(&p)) return p.indent + p.markerColumn();
  if (p.kind == EnteredFold) return (p.partner() ? p.partner()->indent : 0) + p.markerColumn();
  if (p.kind == FoldEnd && p.partner() && p.partner()->kind == EnteredFold) return 0;
  return p.indent;
}

std::string expandTabs(const std::string& s, int tabSize) {
  if (s.find('\t') == std::string::npos) return s;
  const size_t tab = static_cast<size_t>(std::max(1, tabSize));
  std::string out;
  out.reserve(s.size() + 16);
  for (char c : s) {
    if (c == '\t')
      out.append(tab - out.size() % tab, ' ');
    else
      out += c;
  }
  return out;
}

const char* textOf(const LineNode* n) { return n && n->text ? n->text : ""; }

// The file's top header: the line after fileTop.
std::string fileHeaderText(const EditorView* w) {
  if (!w || !w->doc.fileTop || !w->doc.fileTop->next) return "";
  return textOf(w->doc.fileTop->next);
}

void drawText(Canvas& c, int x, int y, const std::string& s) {
  c.textOutAt(x, y, s.data(), static_cast<int>(s.size()));
}

}  // namespace

std::string printedLine(const LineStore& file, const LineNode& p, int32_t printIndent, int tabSize) {
  const int32_t indent = fileIndentOf(p) + std::max<int32_t>(0, printIndent);
  std::string line(indent > 0 ? static_cast<size_t>(indent) : 0, ' ');
  if (p.kind == TextLine) {
    line += textOf(&p);
  } else {
    line += file.commentStart;
    line += fileMarkerOf(p);
    if (p.kind != FoldEnd) line += textOf(&p);
    dropTrailingBlanks(line);
    line += file.commentEnd;
  }
  dropTrailingBlanks(line);
  return expandTabs(line, tabSize);
}

int32_t printIndentStep(const LineNode& p) {
  if (isClosedHeader(&p)) return p.indent + p.markerColumn();
  if (p.kind == EnteredFold) return fileIndentOf(p);
  if (p.kind == FoldEnd && p.partner()) {
    const LineNode& h = *p.partner();
    if (isClosedHeader(&h)) return -(h.indent + h.markerColumn());
    if (h.kind == EnteredFold) return -(p.indent + h.markerColumn());
  }
  return 0;
}

const LineNode* nextExpanded(const LineNode* p) {
  if (!p) return nullptr;
  if (isClosedHeader(p)) return p->inner() ? p->inner() : p->partner();
  return p->next;
}

std::string printableText(const std::string& text) {
  std::string s = text.substr(0, text.find_first_of("\r\n"));
  std::replace(s.begin(), s.end(), '\t', ' ');
  return s;
}

std::string ctimeNow() {
  std::time_t now = std::time(nullptr);
  char buf[64];
  if (!::ctime_r(&now, buf)) return "";
  return buf;
}

// --- Print Buffer ---------------------------------------------------------

FilePrintout::FilePrintout(EditorView& window, std::string title)
    : Printout(std::move(title)), window_(window), clock_(ctimeNow) {}

void FilePrintout::paginate() {
  starts_.clear();
  count_ = 0;
  const int lines = linesPerPage();
  paginatedLines_ = lines;
  const LineNode* stop = window_.doc.fileBottom;
  int32_t indent = 0;
  for (const LineNode* p = window_.doc.fileTop; p; p = nextExpanded(p)) {
    if (count_ % lines == 0) starts_.push_back({p, indent});
    ++count_;
    indent += printIndentStep(*p);
    if (p == stop) break;
  }
}

int FilePrintout::lineCount() {
  if (!paginated()) paginate();
  return count_;
}

int FilePrintout::pageCount() {
  if (!paginated()) paginate();
  return static_cast<int>(starts_.size());
}

PageRange FilePrintout::pageRange() {
  // The file may have changed since the printout was made.
  paginate();
  PageRange r;
  r.minPage = 1;
  r.maxPage = pageCount();
  return r;
}

bool FilePrintout::hasPage(int page) { return page >= 1 && page <= pageCount(); }

void FilePrintout::printPage(int page, Canvas& canvas) {
  if (page < fromPage() || page > toPage()) return;
  if (!hasPage(page)) return;
  canvas.setTransparent(true);
  const PageGeometry& g = geometry();
  const int lines = linesPerPage();
  const PageStart& start = starts_[static_cast<size_t>(page - 1)];

  char head[64];
  std::snprintf(head, sizeof head, "  Page %d from ", page);
  std::string header = head + fileHeaderText(&window_) + "   " + (clock_ ? clock_() : "");
  drawText(canvas, g.pageCharWidth, 0, printableText(header));
  drawText(canvas, g.pageCharWidth, -g.pageLineHeight, "  ");

  const int tabSize = window_.ctx.settings.tabSize;
  const LineNode* stop = window_.doc.fileBottom;
  int32_t indent = start.printIndent;
  const LineNode* p = start.line;
  for (int i = 2; i < lines + 2 && p; ++i) {
    const std::string text = printedLine(window_.doc, *p, indent, tabSize);
    drawText(canvas, g.pageCharWidth, -i * g.pageLineHeight, text);
    indent += printIndentStep(*p);
    p = p == stop ? nullptr : nextExpanded(p);
  }
}

// --- Print Screen ---------------------------------------------------------

ScreenPrintout::ScreenPrintout(EditorView& window, std::string title)
    : Printout(std::move(title)), window_(window) {}

void ScreenPrintout::printPage(int page, Canvas& canvas) {
  if (page != 1) return;
  canvas.setTransparent(true);
  const int lineHeight = canvas.textHeight();
  const ScrBuffer& scr = window_.screen();
  const int width = std::min(window_.textWidth(), scr.getStride());
  // Every row the window shows; a blank row is an empty line on paper.
  for (int r = 1; r <= window_.screenRows; ++r) {
    const char* row = scr.row(r - 1);
    if (!row) break;
    std::string text(row, static_cast<size_t>(std::max(0, width)));
    dropTrailingBlanks(text);
    drawText(canvas, 0, -(r - 1) * lineHeight, text);
  }
}

// --- Print layout ---------------------------------------------------------

LayoutPrintout::LayoutPrintout(EditorView* window, std::string title)
    : Printout(std::move(title)), window_(window) {}

std::string LayoutPrintout::defaultPath() { return dataFileForRead("help.txt"); }

bool LayoutPrintout::load(Host& host, const std::string& path) {
  pieces_.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    const int err = errno;
    host.messageBox("Cannot read the keyboard layout help " + path + ": " + std::strerror(err) + ".",
                    "Plicato Error", MbButtons::Ok, MbIcon::Stop);
    return false;
  }
  // Pieces as a line reader with an 80-byte buffer takes them: up to 79
  // bytes, or through a line feed.
  std::string piece;
  for (int c; (c = std::fgetc(f)) != EOF;) {
    piece += static_cast<char>(c);
    if (c == '\n' || piece.size() == 79) {
      pieces_.push_back(std::move(piece));
      piece.clear();
    }
  }
  if (!piece.empty()) pieces_.push_back(std::move(piece));
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) {
    pieces_.clear();
    host.messageBox("Cannot read the keyboard layout help " + path + ".", "Plicato Error",
                    MbButtons::Ok, MbIcon::Stop);
    return false;
  }
  return true;
}

int LayoutPrintout::pageCount() const {
  const int lines = ::linesPerPage(geometry());
  const int count = static_cast<int>(pieces_.size());
  return count / lines + (count % lines ? 1 : 0);
}

PageRange LayoutPrintout::pageRange() {
  PageRange r;
  r.minPage = 1;
  r.maxPage = pageCount();
  return r;
}

bool LayoutPrintout::hasPage(int page) { return page >= 1 && page <= pageCount(); }

void LayoutPrintout::printPage(int page, Canvas& canvas) {
  if (page < 1) return;
  canvas.setTransparent(true);
  const PageGeometry& g = geometry();
  const int lines = linesPerPage();
  char head[64];
  std::snprintf(head, sizeof head, "  Page %d from ", page);
  drawText(canvas, g.pageCharWidth, 0, printableText(head + fileHeaderText(window_)));
  drawText(canvas, g.pageCharWidth, -g.pageLineHeight, "  ");
  const size_t skip = static_cast<size_t>(page - 1) * static_cast<size_t>(lines);
  size_t next = skip;
  for (int i = 2; i < lines + 2 && next < pieces_.size(); ++i, ++next)
    drawText(canvas, g.pageCharWidth, -i * g.pageLineHeight, printableText(pieces_[next]));
}
