#include "model/foldreader.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "model/filetypes.hpp"
#include "model/foldformat.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

namespace {

namespace ff = foldformat;

// Files are read in large chunks: the whole file is never held twice, and a
// line longer than a chunk grows the buffer.
constexpr size_t kChunkBytes = size_t{1} << 20;
// A damaged TDS header cannot push a fold's contents off any screen.
constexpr uint64_t kMaxMarkerColumn = 32767;

// A TDS file ends with its end token. A text file ends with a line feed as
// every file the writer makes in the text format does, so one whose first
// line happens to begin with the byte of the begin token is still text.
bool endsWithLineFeed(int fd) {
  struct stat st;
  if (::fstat(fd, &st) != 0 || st.st_size < 1) return false;
  char last = 0;
  return ::pread(fd, &last, 1, st.st_size - 1) == 1 && last == '\n';
}

// A small file needs no chunk of full size: the buffer is made and zeroed
// for every read, filed folds' files and reloads included.
size_t firstChunkBytes(int fd) {
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return kChunkBytes;
  return std::clamp<size_t>(static_cast<size_t>(st.st_size) + 1, 4096, kChunkBytes);
}

class ChunkReader {
 public:
  explicit ChunkReader(int fd) : fd_(fd), buf_(firstChunkBytes(fd)) {}

  char* data() { return buf_.data() + pos_; }
  size_t avail() const { return len_ - pos_; }
  void consume(size_t n) { pos_ += n; }
  int error() const { return error_; }
  // NUL bytes met in line texts, which read as blanks.
  size_t nuls = 0;

  // Reads more bytes behind the unread ones (offsets from data() stay
  // valid); false at the end of the file or on a read error.
  bool more() {
    if (eof_) return false;
    if (pos_ > 0) {
      std::memmove(buf_.data(), buf_.data() + pos_, len_ - pos_);
      len_ -= pos_;
      pos_ = 0;
    }
    if (len_ == buf_.size()) buf_.resize(buf_.size() * 2);
    for (;;) {
      ssize_t n = ::read(fd_, buf_.data() + len_, buf_.size() - len_);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) error_ = errno;
      if (n <= 0) {
        eof_ = true;
        return false;
      }
      len_ += static_cast<size_t>(n);
      return true;
    }
  }

 private:
  int fd_;
  std::vector<char> buf_;
  size_t pos_ = 0;
  size_t len_ = 0;
  bool eof_ = false;
  int error_ = 0;
};

// One line of a text file: its bytes (NULs turned into blanks, since line
// texts end at a NUL) and how it ended.
struct RawLine {
  const char* text = nullptr;
  size_t size = 0;
  bool hadEnd = false;
  bool lfOnly = false;  // the line end was a single LF
};

// A line ends at the first CR or LF; the end taken is a run of CRs and the
// LF after them, if any.
bool nextLine(ChunkReader& r, RawLine& line) {
  size_t scanned = 0;
  for (;;) {
    char* p = r.data();
    size_t a = r.avail();
    size_t i = scanned;
    while (i < a) {
      unsigned char c = static_cast<unsigned char>(p[i]);
      if (c <= '\r') {
        if (c == '\n' || c == '\r') break;
        if (c == 0) {
          p[i] = ' ';
          ++r.nuls;
        }
      }
      ++i;
    }
    if (i == a) {
      scanned = a;
      if (r.more()) continue;
      if (r.avail() == 0) return false;
      line = {r.data(), r.avail(), false, false};
      r.consume(r.avail());
      return true;
    }
    size_t j = i;
    while (j < a && p[j] == '\r') ++j;
    if (j == a && r.more()) {
      scanned = i;  // the byte after the CRs decides; look again
      continue;
    }
    p = r.data();
    a = r.avail();
    if (j < a && p[j] == '\n') ++j;
    line = {p, i, true, j == i + 1 && p[i] == '\n'};
    r.consume(j);
    return true;
  }
}

bool isBlankOrTab(char c) { return c == ' ' || c == '\t'; }

struct OpenFoldEntry {
  LineNode* header;
  LineNode* end;
  bool noContents;     // a "...F" header: no contents and no end line
  bool countedDepth;   // raised the COMMENT depth when it opened
};

class Reader {
 public:
  Reader(LineStore& w, LineNode* after, LineNode* end)
      : w_(w), last_(after), baseIndent_(headerColumn(end)),
        fortran_(isFortranType(w.fileTypeName)), tabSize_(settings().tabSize),
        intoFold_(isClosedHeader(after) && after->partner == end ? after : nullptr) {}

  // Links b after a; reading into a closed fold (after is its header, end
  // its end) fills the fold's inside instead of the chain after it.
  void link(LineNode* a, LineNode* b) {
    if (a == intoFold_) {
      a->inner = b;
      b->prev = a;
    } else {
      linkAfter(a, b);
    }
  }
  LineNode* firstRead() const {
    return intoFold_ ? intoFold_->inner : nullptr;
  }
  bool intoFold() const { return intoFold_ != nullptr; }

  // Both return false when the line budget ran out.
  bool readText(ChunkReader& r, int32_t& ioStatus, bool& lfOnly, bool& sawEnd);
  bool readTds(ChunkReader& r);
  // Headers of folds still open at the end stay text lines.
  void finish() {
    for (auto& o : open_) o.header->partner = nullptr;
  }
  LineNode* last() const { return last_; }
  const std::vector<OpenFoldEntry>& openFolds() const { return open_; }

 private:
  LineNode* appendText(const char* text, size_t n);
  void openFold(LineNode* h, int32_t markerColumn, uint8_t kind, bool noContents);
  void closeInnermost();
  void textLine(std::string& line);
  // The marker tests: where the comment start stands and whether the line
  // can hold a marker at all; then each marker is compared at `markAt_`.
  void locateComment(const std::string& line);
  bool marker(const std::string& line, const char* m, std::string_view& rest) const;

  bool tdsToken(ChunkReader& r, uint8_t& tag, uint64_t& value);
  bool tdsBytes(ChunkReader& r, uint64_t n, std::string& out);
  bool tdsString(ChunkReader& r, std::string& out);
  bool tdsNumber(ChunkReader& r, uint64_t& out);

  LineStore& w_;
  LineNode* last_;
  int32_t baseIndent_;
  bool fortran_;
  int tabSize_;
  int commentDepth_ = 0;
  LineNode* intoFold_;
  std::vector<OpenFoldEntry> open_;
  std::string line_;
  // Result of locateComment.
  bool canMark_ = false;
  size_t markAt_ = 0;
  int markColumn_ = 0;
};

LineNode* Reader::appendText(const char* text, size_t n) {
  LineNode* node = proc_new(w_);
  assignN(*node, text, n);
  node->indent = open_.empty() ? baseIndent_ : 0;
  link(last_, node);
  last_ = node;
  w_.computeRows(node);
  return node;
}

void Reader::openFold(LineNode* h, int32_t markerColumn, uint8_t kind, bool noContents) {
  bool counted = commentDepth_ > 0 || isCommentTitle(h->text);
  if (counted) ++commentDepth_;
  h->markerColumn = markerColumn;
  w_.foldOffset += markerColumn;
  LineNode* e = proc_new(w_);
  e->kind = kind;  // held here until the fold is closed
  h->partner = e;
  open_.push_back({h, e, noContents, counted});
}

void Reader::closeInnermost() {
  if (open_.empty()) return;
  OpenFoldEntry o = open_.back();
  open_.pop_back();
  LineNode* h = o.header;
  LineNode* e = o.end;
  link(last_, e);
  e->partner = h;
  h->inner = h->next;
  h->partner = e;
  h->kind = e->kind;
  w_.foldOffset -= h->markerColumn;
  e->kind = FoldEnd;
  last_ = h;
  if (o.countedDepth && commentDepth_ > 0) --commentDepth_;
}

void Reader::locateComment(const std::string& line) {
  canMark_ = false;
  size_t i = 0;
  while (i < line.size() && isBlankOrTab(line[i])) ++i;
  if (i == line.size()) return;
  const std::string& cs = w_.commentStart;
  if (line.compare(i, cs.size(), cs) != 0) return;
  if (!w_.commentEnd.empty() && line.find(w_.commentEnd) == std::string::npos) return;
  canMark_ = true;
  markAt_ = i + cs.size();
  markColumn_ = expandToColumn(line.c_str(), i, tabSize_) + 1;
}

bool Reader::marker(const std::string& line, const char* m, std::string_view& rest) const {
  if (!canMark_) return false;
  size_t ml = std::strlen(m);
  if (line.compare(markAt_, ml, m) != 0) return false;
  size_t t = markAt_ + ml;
  while (t < line.size() && isBlankOrTab(line[t])) ++t;
  size_t stop = line.size();
  // Only a real comment end cuts the title; with none the rest is the title.
  if (!w_.commentEnd.empty()) {
    size_t f = line.find(w_.commentEnd, t);
    if (f != std::string::npos) stop = f;
  }
  rest = std::string_view(line.data() + t, stop - t);
  return true;
}

void Reader::textLine(std::string& line) {
  int32_t& offset = w_.foldOffset;
  // Trailing blanks go; a short line is padded so the shift can be removed.
  size_t n = line.size();
  while (n > 0 && line[n - 1] == ' ') --n;
  line.resize(n);
  if (offset > 0 && line.size() < static_cast<size_t>(offset)) line.resize(offset, ' ');

  // Fortran keeps "C" in column 0 of marker lines and of comment lines
  // inside folds; it stood where the first blank of the shift was.
  bool fortranComment = false;
  if (fortran_ && !line.empty() && std::toupper(static_cast<unsigned char>(line[0])) == 'C') {
    size_t e = line.find("C{{{");
    size_t f = line.find("C...");
    bool eAt0 = e == std::string::npos;
    bool fAt0 = f == std::string::npos;
    if (offset > 0 || (!eAt0 && e > 0) || (!fAt0 && f > 0)) line[0] = ' ';
    fortranComment = eAt0 && fAt0;
  }

  size_t lead = 0;
  while (lead < line.size() && lead < static_cast<size_t>(offset > 0 ? offset : 0) &&
         line[lead] == ' ')
    ++lead;
  if (lead) line.erase(0, lead);

  if (fortranComment) {
    if (line.empty())
      line.assign(1, 'C');
    else if (line[0] != 'C' && line[0] != 'c')
      line.insert(line.begin(), {' ', 'C'});
  }

  locateComment(line);
  std::string_view rest;
  if (marker(line, ff::kAttributeMarker, rest)) {
    if (!open_.empty()) {
      // Two decimal numbers: foldType and foldContents.
      uint32_t v[2] = {0, 0};
      size_t k = 0;
      for (int which = 0; which < 2; ++which) {
        while (k < rest.size() && isBlankOrTab(rest[k])) ++k;
        uint64_t x = 0;
        while (k < rest.size() && rest[k] >= '0' && rest[k] <= '9') {
          x = x * 10 + static_cast<uint64_t>(rest[k] - '0');
          if (x > 0xFFFFFFFFu) x = 0xFFFFFFFFu;
          ++k;
        }
        v[which] = static_cast<uint32_t>(x);
      }
      open_.back().header->foldType = v[0];
      open_.back().header->foldContents = v[1];
    }
    return;
  }
  if (marker(line, ff::kFileMarker, rest)) {
    if (!open_.empty()) {
      OpenFoldEntry& o = open_.back();
      std::string name = normaliseSeparators(std::string(rest));
      assign(*o.end, name.c_str());
      // A fold whose contents live only in its file ends here.
      if (o.noContents || o.header->foldType == 1) closeInnermost();
    }
    return;
  }
  if (marker(line, ff::kEndMarker, rest)) {
    closeInnermost();
    return;
  }

  // Inside a COMMENT fold a text line was written inside the comment signs;
  // marker lines never were.
  if (commentDepth_ > 0) {
    const std::string& cs = w_.commentStart;
    const std::string& ce = w_.commentEnd;
    size_t fnb = 0;
    while (fnb < line.size() && line[fnb] == ' ') ++fnb;
    if (!cs.empty() || !ce.empty()) {
      size_t after = fnb + cs.size();
      bool startsComment = line.compare(fnb, cs.size(), cs) == 0;
      bool isMarker = startsComment && (line.compare(after, 3, ff::kFoldMarker) == 0 ||
                                        line.compare(after, 3, "...") == 0);
      if (startsComment && !isMarker && line.size() >= after + ce.size() &&
          line.compare(line.size() - ce.size(), ce.size(), ce) == 0) {
        line.erase(line.size() - ce.size());
        line.erase(fnb, cs.size());
        locateComment(line);
      }
    }
  }

  uint8_t kind = 0;
  bool noContents = false;
  if (marker(line, ff::kFiledMarker, rest)) {
    kind = FiledFold;
  } else if (marker(line, ff::kFiledOnlyMarker, rest)) {
    kind = FiledFold;
    noContents = true;
  } else if (marker(line, ff::kFoldMarker, rest)) {
    kind = ClosedFold;
  }
  if (kind == 0) {
    appendText(line.data(), line.size());
    return;
  }
  int32_t column = markColumn_ - 1;
  LineNode* h = appendText(rest.data(), rest.size());
  openFold(h, column, kind, noContents);
}

bool Reader::readText(ChunkReader& r, int32_t& ioStatus, bool& lfOnly, bool& sawEnd) {
  RawLine raw;
  while (lineBudget(w_, 1)) {
    if (!nextLine(r, raw)) return true;
    ioStatus = raw.hadEnd ? 0 : 3;
    if (raw.hadEnd) {
      sawEnd = true;
      if (!raw.lfOnly) lfOnly = false;
    }
    // A comment declaration line sets the convention for the rest of the
    // file and is not part of the text; the line after it is never one.
    {
      std::string_view v(raw.text, raw.size);
      size_t c = v.size() >= 6 ? v.find(ff::kDeclaration) : std::string_view::npos;
      if (c != std::string_view::npos) {
        size_t n = raw.size;
        while (n > 0 && raw.text[n - 1] == ' ') --n;
        size_t s = 0;
        // Blanks before the comment start could never match a marker line.
        while (s < c && isBlankOrTab(raw.text[s])) ++s;
        w_.setCommentStart(std::string(raw.text + s, c - s));
        w_.setCommentEnd(std::string(raw.text + c + 6, n - (c + 6)));
        if (!nextLine(r, raw)) return true;
        ioStatus = raw.hadEnd ? 0 : 3;
        if (raw.hadEnd) {
          sawEnd = true;
          if (!raw.lfOnly) lfOnly = false;
        }
      }
    }
    line_.assign(raw.text, raw.size);
    textLine(line_);
  }
  return false;
}

bool Reader::tdsToken(ChunkReader& r, uint8_t& tag, uint64_t& value) {
  uint64_t v = 0;
  for (;;) {
    if (r.avail() == 0 && !r.more()) return false;
    unsigned char b = static_cast<unsigned char>(*r.data());
    r.consume(1);
    v = (v << 6) | (b & 63);
    if (v > (uint64_t{1} << 48)) return false;  // no real file says this
    if ((b & 0xC0) != 0xC0) {
      tag = static_cast<uint8_t>(b >> 6);
      value = v;
      return true;
    }
  }
}

bool Reader::tdsBytes(ChunkReader& r, uint64_t n, std::string& out) {
  out.clear();
  while (n > 0) {
    if (r.avail() == 0 && !r.more()) return false;
    size_t take = r.avail() < n ? r.avail() : static_cast<size_t>(n);
    out.append(r.data(), take);
    r.consume(take);
    n -= take;
  }
  for (char& c : out)
    if (c == '\0') {
      c = ' ';
      ++r.nuls;
    }
  return true;
}

bool Reader::tdsString(ChunkReader& r, std::string& out) {
  uint8_t tag;
  uint64_t v;
  if (!tdsToken(r, tag, v)) return false;
  if (tag == ff::kTdsString) return tdsBytes(r, v, out);
  out = std::to_string(v);  // a number where a string belongs reads as its digits
  return true;
}

bool Reader::tdsNumber(ChunkReader& r, uint64_t& out) {
  uint8_t tag;
  if (!tdsToken(r, tag, out)) return false;
  if (tag == ff::kTdsString) {
    std::string skipped;
    if (!tdsBytes(r, out, skipped)) return false;
    out = 0;
  }
  return true;
}

bool Reader::readTds(ChunkReader& r) {
  uint8_t tag;
  uint64_t v;
  if (!tdsToken(r, tag, v)) return true;  // the begin token the probe saw
  std::string s;
  for (;;) {
    if (!tdsToken(r, tag, v)) return true;
    if (!lineBudget(w_, 1)) return false;
    if (tag == ff::kTdsString) {
      if (!tdsBytes(r, v, s)) {
        appendText(s.data(), s.size());
        return true;
      }
      appendText(s.data(), s.size());
      continue;
    }
    if (tag != ff::kTdsControl) continue;
    if (v == ff::kTdsEnd) {
      if (open_.empty()) return true;
      // A fold's items are done; its fold-end token follows.
      if (!tdsToken(r, tag, v)) return true;
      closeInnermost();
      continue;
    }
    if (v != ff::kTdsFold && v != ff::kTdsFiled) continue;
    bool filed = v == ff::kTdsFiled;
    // Header: begin, title, foldType, foldContents, markerColumn, end.
    uint64_t type, contents, column;
    if (!tdsToken(r, tag, v) || !tdsString(r, s) || !tdsNumber(r, type) ||
        !tdsNumber(r, contents) || !tdsNumber(r, column) || !tdsToken(r, tag, v))
      return true;
    if (column > kMaxMarkerColumn) column = kMaxMarkerColumn;
    LineNode* h = appendText(s.data(), s.size());
    h->foldType = static_cast<uint32_t>(type);
    h->foldContents = static_cast<uint32_t>(contents);
    openFold(h, static_cast<int32_t>(column), filed ? FiledFold : ClosedFold, filed);
    if (filed) {
      if (!tdsString(r, s)) return true;
      std::string name = normaliseSeparators(s);
      assign(*open_.back().end, name.c_str());
      if (!tdsToken(r, tag, v)) return true;  // filed fold end
      closeInnermost();
    } else {
      if (!tdsToken(r, tag, v)) return true;  // begin of the fold's items
    }
  }
}

// Puts back what a failed read appended: the tree is as it was.
void rollBack(LineStore& w, LineNode* after, LineNode* origNext, LineNode* origInner,
              Reader& reader) {
  LineNode* last = reader.last();
  if (last != after) {
    LineNode* n = reader.intoFold() ? reader.firstRead() : after->next;
    while (n) {
      LineNode* next = n->next;
      bool stop = n == last;
      dispose(w, n);
      if (stop) break;
      n = next;
    }
  }
  for (const auto& o : reader.openFolds()) {
    o.header->partner = nullptr;
    dispose(w, o.end);
  }
  if (reader.intoFold())
    after->inner = origInner;
  else
    linkAfter(after, origNext);
}

std::string openFilter() { return dialogFilter(nullptr, langList()); }

}  // namespace

PathProbe resolve(LineStore& window, const std::string& name) {
  PathProbe p;
  if (name.empty()) return p;
  std::string n = normaliseSeparators(name);
  p.path = absolutePath(isAbsolutePath(n) ? n : joinPath(window.baseDirectory(), n));
  // Without blocking: a pipe's open would wait for a writer. A pipe or a
  // device never ends, so it is no file to read (a directory fails the
  // read itself, with its message).
  int fd = ::open(p.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd >= 0) {
    struct stat st;
    bool file = ::fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode));
    ::close(fd);
    if (!file) return p;
    p.exists = p.usable = true;
    return p;
  }
  if (errno != ENOENT) return p;  // there, but not ours to read
  // A file that is not there is usable when its directory takes new files.
  std::string dir = dirName(p.path);
  if (dir.empty()) dir.assign(1, '.');
  struct stat st;
  p.usable = ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
             ::access(dir.c_str(), W_OK | X_OK) == 0;
  return p;
}

void read(LineStore& window, LineNode* filedNode, LineNode* after, LineNode* end, bool setNames) {
  Host& host = window.host;
  const bool ownFile = filedNode == nullptr && setNames;
  LineNode* origNext = after->next;
  LineNode* origInner = after->inner;
  auto savedBase = window.basePath;
  int savedTop = window.basePathTop;
  std::string savedStart = window.commentStart;
  std::string savedEnd = window.commentEnd;

  // A name of the user's (command line, dialog) is relative to the working
  // directory; the window's own file also starts the base path stack.
  auto adopt = [&](std::string name) {
    if (name.empty() || filedNode) return name;
    name = absolutePath(normaliseSeparators(name));
    if (ownFile) {
      window.clearBasePath();
      window.pushBasePath(dirName(name));
    }
    return name;
  };
  auto ask = [&]() -> std::string {
    auto chosen = host.openFileDialog(openFilter(), "Open");
    return chosen ? adopt(*chosen) : std::string();
  };

  std::string name;
  if (filedNode)
    name = filedNode->text;
  else if (!window.nameGiven)
    name = ask();
  else
    name = adopt(window.pendingName);

  PathProbe probe;
  while (!name.empty()) {
    probe = resolve(window, name);
    if (probe.usable) break;
    name = ask();
  }

  Reader reader(window, after, end);
  bool asTds = false;
  bool lfOnly = true;
  bool sawEnd = false;
  if (!name.empty() && probe.exists) {
    int fd = ::open(probe.path.c_str(), O_RDONLY | O_CLOEXEC);
    ChunkReader chunks(fd);
    bool ok = fd >= 0 && (chunks.more() || chunks.error() == 0);
    if (!ok) {
      if (fd >= 0) ::close(fd);
      window.ioStatus = 2;
      window.basePath = savedBase;
      window.basePathTop = savedTop;
      host.messageBox("file not found", "Error", MbButtons::Ok, MbIcon::Stop);
      return;
    }
    window.ioStatus = 0;
    host.statusMessage("Loading " + probe.path);
    host.addRecentFile(probe.path);
    window.foldOffset = 0;

    uint8_t tag = 0;
    uint64_t value = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(chunks.data());
    asTds = tdsDecode(p, p + chunks.avail(), tag, value) > 0 &&
            tag == foldformat::kTdsControl && value == foldformat::kTdsBegin &&
            !endsWithLineFeed(fd);
    int32_t status = 0;
    bool budget = asTds ? reader.readTds(chunks) : reader.readText(chunks, status, lfOnly, sawEnd);
    int err = chunks.error();
    ::close(fd);
    if (!budget || err != 0) {
      rollBack(window, after, origNext, origInner, reader);
      window.ioStatus = 2;
      window.basePath = savedBase;
      window.basePathTop = savedTop;
      window.commentStart = savedStart;
      window.commentEnd = savedEnd;
      host.messageBox(budget ? "file not found" : "Not enough memory", "Error", MbButtons::Ok,
                      MbIcon::Stop);
      return;
    }
    if (!asTds) window.ioStatus = status;
    reader.finish();
    // Their lines stay in the fold around them, so a save moves them there:
    // the user is told before editing.
    if (!reader.openFolds().empty())
      host.messageBox("The file\n" + probe.path + "\nhas " +
                          std::to_string(reader.openFolds().size()) +
                          " fold(s) without an end line. Their lines are shown in the fold "
                          "around them, and saving the file writes them there.",
                      "Plicato Warning", MbButtons::Ok, MbIcon::Exclamation);
    // A save writes the blanks back: the user is told before editing.
    if (chunks.nuls > 0)
      host.messageBox("The file\n" + probe.path + "\nholds " + std::to_string(chunks.nuls) +
                          " NUL bytes (a binary file?). They are shown as blanks, and saving "
                          "the file writes blanks in their place.",
                      "Plicato Warning", MbButtons::Ok, MbIcon::Exclamation);
  } else {
    window.ioStatus = 0;
  }

  if (setNames) {
    std::string base = baseName(normaliseSeparators(name));
    assign(*end, base.c_str());
    window.computeRows(end);
    if (!filedNode) {
      assign(*after, base.c_str());
      window.computeRows(after);
    }
    if (!name.empty()) window.fileName = probe.path;
  }
  if (ownFile) {
    // Written back the way it came: TDS only when it was TDS, or new and of
    // a TDS type; LF line ends only when every line ended so.
    window.readAsTds = probe.exists ? asTds : isTdsType(window.fileTypeName);
    window.lfLineEnds = probe.exists && !asTds && sawEnd && lfOnly;
  }

  reader.link(reader.last(), end);
  window.linesRead(after);
  // Rows of everything between after and end (a fold read into counts its
  // inside).
  for (LineNode* n = reader.intoFold() ? after->inner : after; n; n = n->next) {
    window.computeRows(n);
    if (n == end || n == window.levelBottom) break;
  }
  if (reader.intoFold()) window.computeRows(after);
}
