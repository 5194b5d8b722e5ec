#include "model/foldreader.hpp"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "model/filetypes.hpp"
#include "model/foldcompose.hpp"
#include "model/foldformat.hpp"
#include "model/markerscan.hpp"
#include "model/readbuffer.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"

namespace {

namespace ff = foldformat;

// Files are read in large chunks: the whole file is never held twice, and a
// line longer than a chunk grows the buffer.
constexpr size_t kChunkBytes = size_t{1} << 20;
// Whether a text file may be read in one pass (tests read both ways).
bool gOnePass = true;

// Bytes read first to tell a TDS file by its begin token.
constexpr size_t kProbeBytes = 64;
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

// A whole file's bytes, which the lines read from it keep as their texts.
class FileBytes {
 public:
  FileBytes() = default;
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  ~FileBytes() { readbuffer::done(buf_); }

  char* data() { return readbuffer::data(buf_); }
  size_t size() const { return size_; }
  readbuffer::Buffer* buffer() { return buf_; }

  // The whole file; 0 or the error number. One byte is left after the
  // bytes, so that the last line's text can end there.
  int read(int fd) {
    struct stat st;
    size_t want = ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0;
    if (::lseek(fd, 0, SEEK_SET) != 0) return errno ? errno : EIO;
    // Room for a page more than the file holds now: the read that finds
    // its end needs some, and a file that grows meanwhile grows the buffer.
    // A second read of the same file goes into the same buffer.
    size_ = 0;
    if (!buf_) buf_ = readbuffer::make(want + 4096);
    if (!buf_) return ENOMEM;
    for (;;) {
      // The file may grow while it is read.
      size_t cap = readbuffer::capacity(buf_);
      if (size_ + 1 >= cap) {
        readbuffer::Buffer* bigger = readbuffer::grow(buf_, size_, cap * 2);
        if (!bigger) return ENOMEM;
        buf_ = bigger;
        cap = readbuffer::capacity(buf_);
      }
      ssize_t n = ::read(fd, data() + size_, cap - 1 - size_);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return errno;
      if (n == 0) {
        data()[size_] = '\0';
        return 0;
      }
      size_ += static_cast<size_t>(n);
    }
  }

 private:
  readbuffer::Buffer* buf_ = nullptr;
  size_t size_ = 0;
};

// A small file needs no chunk of full size: the buffer is made and zeroed
// for every read, filed folds' files and reloads included.
size_t firstChunkBytes(int fd) {
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return kChunkBytes;
  return std::clamp<size_t>(static_cast<size_t>(st.st_size) + 1, 4096, kChunkBytes);
}

class ChunkReader {
 public:
  // The first read takes `first` bytes at most: enough to tell a TDS file
  // from a text file, which is then read whole by FileBytes.
  ChunkReader(int fd, size_t first) : fd_(fd), buf_(first) {}

  // Later reads take chunks of the full size.
  void widen() {
    const size_t want = firstChunkBytes(fd_);
    if (buf_.size() < want) buf_.resize(want);
  }

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

bool isBlankOrTab(char c) { return c == ' ' || c == '\t'; }

// A list that grows in blocks that never move: a big file's marker lines
// are not copied to a bigger block again and again, and take no more
// fresh pages than they fill.
template <class T>
class BlockList {
 public:
  size_t size() const { return size_; }
  T& operator[](size_t i) { return blocks_[i / kPerBlock][i % kPerBlock]; }
  void push_back(const T& v) {
    if (size_ == blocks_.size() * kPerBlock) blocks_.push_back(std::make_unique<T[]>(kPerBlock));
    (*this)[size_++] = v;
  }

 private:
  static constexpr size_t kPerBlock = 4096;
  std::vector<std::unique_ptr<T[]>> blocks_;
  size_t size_ = 0;
};

// What the first pass over a text file found: the marker lines that make
// up folds. Every other line, a marker line that does not pair up
// included, is text.
struct Structure {
  struct Entry {
    uint32_t line;
    markerscan::Marker kind;
    bool valid;
    bool blankedC;  // Fortran: the "C" in column 0 stood for a blank of the shift
  };
  BlockList<Entry> entries;
  // Reading in one pass keeps only the last entry (entries stays empty):
  // nothing looks back at the others.
  bool keepEntries = true;
  Entry last{};
  uint32_t count = 0;  // entries made
  std::vector<uint32_t> declarations;  // lines that declare the convention
  // The convention in force at the end (the writer's).
  std::string commentStart;
  std::string commentEnd;
  // A header was found not to pair up (or to break a filed fold's rules).
  bool headerFailed = false;
};

// The first pass: pairs headers with their ends over the whole file, the
// attribute and file lines with the header right above them.
class Pairing {
 public:
  Pairing(Structure& s, bool fortran, int tabSize)
      : s_(s), fortran_(fortran), tabSize_(tabSize) {}

  void line(uint32_t index, std::string_view text, const std::string& cs, const std::string& ce) {
    using markerscan::Marker;
    attached_ = false;
    std::string_view work = text;
    bool blanked = false;
    if (fortran_) {
      // A marker inside a fold has the "C" of the shift in column 0.
      work = fortranView(text, blanked);
    }
    markerscan::MarkerLine& m = last_;
    m = markerscan::classify(work, cs, ce, tabSize_);
    if (m.kind == Marker::None) {
      finishPending();
      return;
    }
    const uint32_t at = s_.count++;
    if (s_.keepEntries)
      s_.entries.push_back({index, m.kind, false, blanked});
    else
      s_.last = {index, m.kind, false, blanked};
    if (pending_ >= 0) {
      Open& o = open_.back();
      if (m.kind == Marker::Attribute && o.attribute < 0 && o.file < 0) {
        o.attribute = static_cast<int32_t>(at);
        o.attributeType = firstNumber(work.substr(m.restAt, m.restEnd - m.restAt));
        attached_ = true;
        return;
      }
      if (m.kind == Marker::File && o.file < 0 && o.kind != Marker::Fold) {
        o.file = static_cast<int32_t>(at);
        attached_ = true;
        finishPending();
        return;
      }
      finishPending();
    }
    switch (m.kind) {
      case Marker::Fold:
      case Marker::FiledInline:
      case Marker::FiledOnly: {
        Open o;
        o.header = at;
        o.kind = m.kind;
        o.column = std::max(0, m.column - offset_);
        offset_ += o.column;
        open_.push_back(o);
        pending_ = static_cast<int32_t>(open_.size()) - 1;
        break;
      }
      case Marker::End:
        if (!open_.empty()) {
          Open o = open_.back();
          close(o, true);
          setValid(at, true);
        }
        break;
      default:
        break;  // an attribute or file line of no header: text
    }
  }

  // A line that cannot hold a marker.
  void text() { finishPending(); }

  // Whether the last line() was an attribute or file line taken by the
  // header above it (valid when that header is).
  bool attached() const { return attached_; }
  // What classify said of the last line().
  const markerscan::MarkerLine& lastMarker() const { return last_; }

  void end() {
    finishPending();
    while (!open_.empty()) close(open_.back(), false);
  }

 private:
  struct Open {
    uint32_t header = 0;
    markerscan::Marker kind = markerscan::Marker::Fold;
    int32_t attribute = -1;
    int32_t file = -1;
    uint64_t attributeType = 0;
    int column = 0;
  };

  std::string_view fortranView(std::string_view text, bool& blanked) {
    blanked = false;
    if (text.empty() || std::toupper(static_cast<unsigned char>(text[0])) != 'C') return text;
    size_t e = text.find("C{{{");
    size_t f = text.find("C...");
    bool inner = (e != std::string_view::npos && e > 0) || (f != std::string_view::npos && f > 0);
    if (offset_ <= 0 && !inner) return text;
    blanked = true;
    scratch_.assign(text);
    scratch_[0] = ' ';
    return scratch_;
  }

  static uint64_t firstNumber(std::string_view s) {
    size_t k = 0;
    while (k < s.size() && (s[k] == ' ' || s[k] == '\t')) ++k;
    uint64_t x = 0;
    while (k < s.size() && s[k] >= '0' && s[k] <= '9') {
      x = x * 10 + static_cast<uint64_t>(s[k] - '0');
      if (x > 0xFFFFFFFFu) x = 0xFFFFFFFFu;
      ++k;
    }
    return x;
  }

  void setValid(uint32_t at, bool valid) {
    if (s_.keepEntries)
      s_.entries[at].valid = valid;
    else if (at + 1 == s_.count)
      s_.last.valid = valid;
  }

  // The lines of a header and its attribute and file lines are all folds
  // or all text.
  void mark(const Open& o, bool valid) {
    if (!valid) s_.headerFailed = true;
    setValid(o.header, valid);
    if (o.attribute >= 0) setValid(static_cast<uint32_t>(o.attribute), valid);
    if (o.file >= 0) setValid(static_cast<uint32_t>(o.file), valid);
  }

  void close(const Open& o, bool valid) {
    mark(o, valid);
    offset_ -= o.column;
    open_.pop_back();
  }

  // The header's attribute and file lines are known: a filed fold needs its
  // file line, and its marker must agree with its type, as the writer
  // writes them.
  void finishPending() {
    if (pending_ < 0) return;
    pending_ = -1;
    using markerscan::Marker;
    const Open& o = open_.back();
    const bool typeOne = o.attribute >= 0 && o.attributeType == 1;
    if (o.kind == Marker::FiledOnly) {
      close(o, o.file >= 0 && (o.attribute < 0 || typeOne));
    } else if (o.kind == Marker::FiledInline && (o.file < 0 || typeOne)) {
      close(o, false);
    }
  }

  Structure& s_;
  bool fortran_;
  int tabSize_;
  int offset_ = 0;
  int32_t pending_ = -1;
  bool attached_ = false;
  markerscan::MarkerLine last_;
  std::vector<Open> open_;
  std::string scratch_;
};

struct OpenFoldEntry {
  LineNode* header;
  LineNode* end;
  bool noContents;     // a "...F" header: no contents and no end line
  bool countedDepth;   // raised the COMMENT depth when it opened
};

class Reader {
 public:
  Reader(LineStore& w, LineNode* after, LineNode* end)
      : w_(w), after_(after), last_(after), baseIndent_(headerColumn(end)),
        fortran_(isFortranType(w.fileTypeName)), tabSize_(w.ctx.settings.tabSize),
        intoFold_(isClosedHeader(after) && after->partner() == end ? after : nullptr) {}

  // Links b after a; reading into a closed fold (after is its header, end
  // its end) fills the fold's inside instead of the chain after it.
  void link(LineNode* a, LineNode* b) {
    if (a == intoFold_) {
      a->inner() = b;
      b->prev = a;
    } else {
      linkAfter(a, b);
    }
  }
  LineNode* firstRead() const {
    return intoFold_ ? intoFold_->inner().get() : nullptr;
  }
  bool intoFold() const { return intoFold_ != nullptr; }

  // Both return false when the line budget ran out.
  bool readText(char* data, size_t size, int32_t& ioStatus, bool& lfOnly, bool& sawEnd,
                ReadReport& report);
  // The text format in one pass, which takes every header to pair up: a
  // file with a header that does not, or with a declaration, sets `again`
  // and is to be read again (restart(), then readText) from its own bytes.
  bool readInOnePass(char* data, size_t size, int32_t& ioStatus, bool& lfOnly, bool& sawEnd,
                     ReadReport& report, bool& again);
  // The lines read so far let go of their texts in the read buffer, so
  // that the buffer can be read into again (before rollBack takes the
  // lines back); then the reader starts again as it was made.
  void letGoOfTexts();
  void restart() {
    last_ = after_;
    open_.clear();
    commentDepth_ = 0;
    preamble_.header = nullptr;
    ctx_ = nullptr;
  }
  bool readTds(ChunkReader& r);
  // Headers of folds still open at the end stay text lines.
  void finish() {
    for (auto& o : open_) o.header->partner() = nullptr;
  }
  LineNode* last() const { return last_; }
  const std::vector<OpenFoldEntry>& openFolds() const { return open_; }
  // Text lines may keep their texts in the file's buffer.
  void borrowFrom(readbuffer::Buffer* b) { buffer_ = b; }

 private:
  LineNode* appendText(const char* text, size_t n);
  void placeText(LineNode* node);
  // A node for the bytes [at, at + n) of the line being read. With a read
  // buffer the text stays there, ended in place: the line's own bytes are
  // not looked at again once its node is made.
  LineNode* lineText(std::string_view line, size_t at, size_t n);
  // newLineNode(w_, false), quicker for a fresh node.
  LineNode* bareNode();
  void openFold(LineNode* h, int32_t markerColumn, LineKind kind, bool noContents);
  void closeInnermost();
  // The lines of the text format, each as it stood (trailing blanks
  // dropped); marker lines as the first pass paired them.
  void textLine(std::string_view line);
  // A line the first pass found a marker in, valid when it pairs up;
  // `known` is classify's answer when it is known already.
  void markedLine(std::string_view line, uint32_t index, const Structure::Entry& entry, bool valid,
                  const markerscan::MarkerLine* known, ReadReport& report);
  void headerLine(std::string_view line, const markerscan::MarkerLine& m);
  void attributeLine(std::string_view line, const markerscan::MarkerLine& m);
  void fileLine(std::string_view line, const markerscan::MarkerLine& m);
  void endLine(std::string_view line, const markerscan::MarkerLine& m);
  void finishPreamble();
  // The line's white space `lead` stood for `shift` columns of its fold.
  void keepLead(LineNode* n, std::string_view lead, int32_t indent, int32_t shift);

  bool tdsToken(ChunkReader& r, uint8_t& tag, uint64_t& value);
  bool tdsBytes(ChunkReader& r, uint64_t n, std::string& out);
  bool tdsString(ChunkReader& r, std::string& out);
  bool tdsNumber(ChunkReader& r, uint64_t& out);

  LineStore& w_;
  LineNode* after_;
  LineNode* last_;
  int32_t baseIndent_;
  bool fortran_;
  int tabSize_;
  int commentDepth_ = 0;
  LineNode* intoFold_;
  std::vector<OpenFoldEntry> open_;
  // A header just read, with the lines it stood on, until its attribute
  // and file lines are read too.
  struct Preamble {
    LineNode* header = nullptr;
    bool noContents = false;
    bool attribute = false;
    bool file = false;
    int32_t shift = 0;
    std::string headerRead;
    std::string headerNormalised;
    std::string attributeRead;
    std::string fileRead;
  };
  Preamble preamble_;
  readbuffer::Buffer* buffer_ = nullptr;
  const ComposeContext* ctx_ = nullptr;
  std::string work_;
  std::string text_;
  std::string composed_;
  // Lines that may be made before the line budget is asked again.
  long long freeRun_ = 0;

  // Whether one more line may be made (as lineBudget(w_, 1) says), asking
  // only when the last answer does not tell already.
  bool budget() {
    if (freeRun_ > 0) {
      --freeRun_;
      return true;
    }
    if (!lineBudget(w_, 1)) return false;
    freeRun_ = std::clamp<long long>(linesAllowed(w_) - 1 - 2 - 200, 0, 1024);
    return true;
  }
};

LineNode* Reader::appendText(const char* text, size_t n) {
  LineNode* node = newLineNode(w_, false);
  if (node->text) {
    assignN(*node, text, n);
  } else {
    node->text = static_cast<char*>(allocLineText(n + 1));
    std::memcpy(node->text, text, n);
    node->text[n] = '\0';
  }
  placeText(node);
  return node;
}

LineNode* Reader::bareNode() {
  // What newLineNode makes of a fresh node when the template is a plain
  // text line: the template's word and links.
  const LineNode* t = w_.lineTemplate;
  if (w_.disposeHead != w_.disposeTail || t->fields) return newLineNode(w_, false);
  LineNode* node = w_.newNode(0);
  if (!node) return newLineNode(w_, false);  // which says there is no memory
  node->prev = t->prev;
  node->next = t->next;
  journal::touch(node);
  node->kind = t->kind;
  node->lineState = t->lineState;
  node->indent = t->indent;
  return node;
}

LineNode* Reader::lineText(std::string_view line, size_t at, size_t n) {
  if (!buffer_) return appendText(line.data() + at, n);
  LineNode* node = bareNode();
  if (node->text) freeOrRelease(node->text);
  char* t = const_cast<char*>(line.data()) + at;
  t[n] = '\0';
  node->text = t;
  readbuffer::borrow(buffer_);
  placeText(node);
  return node;
}

void Reader::placeText(LineNode* node) {
  journal::touch(node);
  node->indent = open_.empty() ? baseIndent_ : 0;
  link(last_, node);
  last_ = node;
  w_.computeRows(node);
}

void Reader::openFold(LineNode* h, int32_t markerColumn, LineKind kind, bool noContents) {
  bool counted = commentDepth_ > 0 || isCommentTitle(h->text);
  if (counted) ++commentDepth_;
  h->markerColumn() = markerColumn;
  w_.foldOffset += markerColumn;
  LineNode* e = newLineNode(w_);
  journal::touch(e);
  e->kind = kind;  // held here until the fold is closed
  h->partner() = e;
  open_.push_back({h, e, noContents, counted});
}

void Reader::closeInnermost() {
  if (open_.empty()) return;
  OpenFoldEntry o = open_.back();
  open_.pop_back();
  LineNode* h = o.header;
  LineNode* e = o.end;
  link(last_, e);
  e->partner() = h;
  h->inner() = h->next;
  h->partner() = e;
  journal::touch(h);
  h->kind = e->kind;
  w_.foldOffset -= h->markerColumn();
  journal::touch(e);
  e->kind = FoldEnd;
  last_ = h;
  if (o.countedDepth && commentDepth_ > 0) --commentDepth_;
}

// Cheap tests that rule out most lines before the real ones.
bool mayDeclare(std::string_view line) {
  return line.size() >= 7 && std::memchr(line.data(), '{', line.size()) != nullptr;
}
bool mayMark(std::string_view line, const std::string& cs) {
  if (cs.empty()) return true;
  size_t i = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
  return i < line.size() && line[i] == cs[0];
}

bool allBlanks(std::string_view s) {
  for (char c : s)
    if (c != ' ') return false;
  return true;
}

// A header line with the writer's spacing: two blanks after "{{{", one
// after "{{{F" and "...F", and no blanks between the title and the
// comment end but those the title needs.
void normalisedHeader(std::string& out, std::string_view line, const markerscan::MarkerLine& m,
                      const std::string& commentEnd) {
  out.assign(line.substr(0, m.markerEnd));
  std::string_view title = line.substr(m.restAt, m.restEnd - m.restAt);
  title = title.substr(0, markerscan::titleLength(title, commentEnd));
  if (!title.empty()) {
    out += m.kind == markerscan::Marker::Fold ? "  " : " ";
    out += title;
  }
  out += line.substr(m.restEnd);
  dropTrailingBlanks(out);
}

bool Reader::readText(char* data, size_t size, int32_t& ioStatus, bool& lfOnly, bool& sawEnd,
                      ReadReport& report) {
  using markerscan::Marker;
  const std::string startCs = w_.commentStart;
  const std::string startCe = w_.commentEnd;

  report.nuls += markerscan::blankNuls(data, size);
  // First pass: the convention each line is read in, and which marker
  // lines pair up.
  Structure s;
  {
    Pairing pairing(s, fortran_, tabSize_);
    std::string cs = startCs, ce = startCe;
    std::string dcs, dce;
    char* cur = data;
    char* const stop = data + size;
    markerscan::Line raw;
    bool afterDeclaration = false;
    // Without Fortran's column 0 only lines that hold a run of marker
    // bytes can be marker lines or declarations: the search goes from one
    // such line to the next, counting the lines between.
    const bool skipping = !fortran_;
    uint32_t index = 0;
    for (;; ++index) {
      if (skipping) {
        // The run's line starts after the last line end before the run.
        size_t between = 0;
        const char* run = markerscan::nextMarkerRun(cur, stop, between);
        if (run == stop) break;
        char* start = const_cast<char*>(markerscan::lineStart(cur, run));
        if (between > 0) {
          pairing.text();
          afterDeclaration = false;
        }
        index += static_cast<uint32_t>(between);
        cur = start;
      }
      if (!markerscan::nextLine(cur, stop, raw)) break;
      std::string_view line(raw.text, markerscan::withoutTrailingBlanks(raw.text, raw.size));
      if (!afterDeclaration && mayDeclare(line) && markerscan::isDeclaration(line, dcs, dce)) {
        cs = dcs.substr(0, kCommentFieldBytes);
        ce = dce.substr(0, kCommentFieldBytes);
        s.declarations.push_back(index);
        afterDeclaration = true;
        pairing.line(index, std::string_view(), cs, ce);
        continue;
      }
      afterDeclaration = false;
      if (!fortran_ && !mayMark(line, cs)) {
        pairing.text();
        continue;
      }
      pairing.line(index, line, cs, ce);
    }
    pairing.end();
    s.commentStart = cs;
    s.commentEnd = ce;
  }

  // Second pass: the tree. The lines are composed as the writer will write
  // them, in the convention it will write them in, to know which the
  // writer would not give back as they were.
  ComposeContext ctx{s.commentStart, s.commentEnd, fortran_};
  ctx_ = &ctx;
  char* cur = data;
  markerscan::Line raw;
  std::string dcs, dce;
  size_t next = 0;
  size_t nextDeclaration = 0;
  uint32_t special = 0;
  for (uint32_t index = 0; markerscan::nextLine(cur, data + size, raw); ++index) {
    std::string_view line(raw.text, markerscan::withoutTrailingBlanks(raw.text, raw.size));
    // Blanks after the last line end are trailing blanks of no line.
    if (raw.end == markerscan::Line::kNone && line.empty()) break;
    if (!budget()) return false;
    ioStatus = raw.end != markerscan::Line::kNone ? 0 : 3;
    if (raw.end != markerscan::Line::kNone) {
      sawEnd = true;
      if (raw.end != markerscan::Line::kLf) lfOnly = false;
    }
    if (index < special) {
      // Most lines: neither a marker line nor a declaration.
      if (preamble_.header) finishPreamble();
      textLine(line);
      continue;
    }
    while (next < s.entries.size() && s.entries[next].line < index) ++next;
    const Structure::Entry* entry =
        next < s.entries.size() && s.entries[next].line == index ? &s.entries[next] : nullptr;
    {
      // The next line after this one that is a marker line or a declaration.
      const size_t e = next + (entry ? 1 : 0);
      special = e < s.entries.size() ? s.entries[e].line : UINT32_MAX;
      size_t d = nextDeclaration;
      if (d < s.declarations.size() && s.declarations[d] == index) ++d;
      if (d < s.declarations.size()) special = std::min(special, s.declarations[d]);
    }
    const bool ownLine = entry && entry->valid &&
                         (entry->kind == Marker::Attribute || entry->kind == Marker::File);
    if (!ownLine) finishPreamble();

    if (nextDeclaration < s.declarations.size() && s.declarations[nextDeclaration] == index) {
      // The declaration stays in the file as a line of its own.
      ++nextDeclaration;
      markerscan::isDeclaration(line, dcs, dce);
      textLine(line);
      w_.setCommentStart(dcs);
      w_.setCommentEnd(dce);
      continue;
    }
    if (!entry) {
      textLine(line);
      continue;
    }
    markedLine(line, index, *entry, entry->valid, nullptr, report);
  }
  finishPreamble();
  ctx_ = nullptr;
  w_.setCommentStart(s.commentStart);
  w_.setCommentEnd(s.commentEnd);
  return true;
}

void Reader::markedLine(std::string_view line, uint32_t index, const Structure::Entry& entry,
                        bool valid, const markerscan::MarkerLine* known, ReadReport& report) {
  using markerscan::Marker;
  if (!valid) {
    report.strays.push_back({index + 1, entry.kind});
    textLine(line);
    return;
  }
  work_.assign(line);
  if (entry.blankedC && !work_.empty()) work_[0] = ' ';
  const markerscan::MarkerLine m =
      known ? *known : markerscan::classify(work_, w_.commentStart, w_.commentEnd, tabSize_);
  switch (m.kind) {
    case Marker::Fold:
    case Marker::FiledInline:
    case Marker::FiledOnly: headerLine(line, m); break;
    case Marker::Attribute: attributeLine(line, m); break;
    case Marker::File: fileLine(line, m); break;
    case Marker::End: endLine(line, m); break;
    default: textLine(line); break;  // cannot differ from the first pass
  }
}

void Reader::letGoOfTexts() {
  if (last_ == after_) return;
  // Every node read, the insides of closed folds too, in file order: the
  // last one is the last node linked, or the end of the fold closed last.
  LineNode* const endAt = isClosedHeader(last_) && last_->partner() ? last_->partner() : last_;
  for (LineNode* n = intoFold_ ? firstRead() : after_->next; n;
       n = isClosedHeader(n) ? n->inner().get() : n->next.get()) {
    if (n->text && readbuffer::owns(n->text)) {
      freeOrRelease(n->text);
      n->text = nullptr;
    }
    if (n == endAt) break;
  }
}

bool Reader::readInOnePass(char* data, size_t size, int32_t& ioStatus, bool& lfOnly,
                           bool& sawEnd, ReadReport& report, bool& again) {
  using markerscan::Marker;
  report.nuls += markerscan::blankNuls(data, size);
  // Without a declaration the convention stays the one the file is read
  // in, the writer's too.
  Structure s;
  s.keepEntries = false;
  Pairing pairing(s, false, tabSize_);
  const std::string cs = w_.commentStart;
  const std::string ce = w_.commentEnd;
  ComposeContext ctx{cs, ce, false};
  ctx_ = &ctx;
  auto twoPasses = [&] {
    ctx_ = nullptr;
    again = true;
    return true;
  };
  char* cur = data;
  char* const stop = data + size;
  markerscan::Line raw;
  std::string_view line;
  // The next line: 1, or 0 at the end of the text, -1 when the line
  // budget ran out.
  auto take = [&] {
    if (!markerscan::nextLine(cur, stop, raw)) return 0;
    line = std::string_view(raw.text, markerscan::withoutTrailingBlanks(raw.text, raw.size));
    // Blanks after the last line end are trailing blanks of no line.
    if (raw.end == markerscan::Line::kNone && line.empty()) return 0;
    if (!budget()) return -1;
    ioStatus = raw.end != markerscan::Line::kNone ? 0 : 3;
    if (raw.end != markerscan::Line::kNone) {
      sawEnd = true;
      if (raw.end != markerscan::Line::kLf) lfOnly = false;
    }
    return 1;
  };
  std::string dcs, dce;
  uint32_t index = 0;
  for (;;) {
    // The lines before the next one that holds a run of marker bytes are
    // text.
    size_t between = 0;
    const char* run = markerscan::nextMarkerRun(cur, stop, between);
    char* const start = run == stop ? stop : const_cast<char*>(markerscan::lineStart(cur, run));
    if (between > 0) pairing.text();
    if (s.headerFailed) return twoPasses();
    while (cur < start) {
      const int got = take();
      if (got < 0) return false;
      if (got == 0) break;
      if (preamble_.header) finishPreamble();
      textLine(line);
      ++index;
    }
    if (run == stop) break;
    const int got = take();
    if (got < 0) return false;
    if (got == 0) break;
    // A declaration changes the convention of the lines after it, and
    // the writer's: such a file is read in two passes.
    if (mayDeclare(line) && markerscan::isDeclaration(line, dcs, dce)) return twoPasses();
    const Structure::Entry* entry = nullptr;
    if (mayMark(line, cs)) {
      const uint32_t before = s.count;
      pairing.line(index, line, cs, ce);
      if (s.count > before) entry = &s.last;
    } else {
      pairing.text();
    }
    if (s.headerFailed) return twoPasses();
    // A header is taken to pair up, and so are the attribute and file
    // lines it takes; the first one found not to sends the file to the
    // two passes. An end pairs up when a fold was open.
    bool valid = false;
    if (entry) {
      switch (entry->kind) {
        case Marker::End: valid = entry->valid; break;
        case Marker::Attribute:
        case Marker::File: valid = pairing.attached(); break;
        default: valid = true; break;
      }
    }
    const bool ownLine =
        valid && (entry->kind == Marker::Attribute || entry->kind == Marker::File);
    if (!ownLine) finishPreamble();
    if (entry)
      markedLine(line, index, *entry, valid, &pairing.lastMarker(), report);
    else
      textLine(line);
    ++index;
  }
  pairing.end();
  if (s.headerFailed) return twoPasses();
  finishPreamble();
  ctx_ = nullptr;
  return true;
}

void Reader::keepLead(LineNode* n, std::string_view lead, int32_t indent, int32_t shift) {
  LineExtra& x = extraOf(*n);
  x.lead.assign(static_cast<size_t>(indent > 0 ? indent : 0), ' ');
  x.lead.append(lead);
  x.leadShift = (indent > 0 ? indent : 0) + shift;
}

void Reader::textLine(std::string_view line) {
  const int32_t offset = w_.foldOffset;
  if (!fortran_ && commentDepth_ == 0) {
    // Most lines: the lead that stands for the fold's columns, then the
    // text, which stays in the file's buffer (ended where its trailing
    // blanks or its line end began).
    bool blanksOnly = true;
    const size_t lead = offset > 0 ? markerscan::leadWithin(line, offset, tabSize_, blanksOnly) : 0;
    LineNode* n = lineText(line, lead, line.size() - lead);
    if ((lead != static_cast<size_t>(offset) && lead != line.size()) || !blanksOnly)
      keepLead(n, line.substr(0, lead), n->indent, offset);
    return;
  }
  work_.assign(line);
  // Fortran keeps "C" in column 0 of marker lines and of comment lines
  // inside folds; it stood where the first blank of the shift was.
  bool fortranComment = false;
  if (fortran_ && !work_.empty() && std::toupper(static_cast<unsigned char>(work_[0])) == 'C') {
    size_t e = work_.find("C{{{");
    size_t f = work_.find("C...");
    bool eAbsent = e == std::string::npos;
    bool fAbsent = f == std::string::npos;
    if (offset > 0 || (!eAbsent && e > 0) || (!fAbsent && f > 0)) work_[0] = ' ';
    fortranComment = eAbsent && fAbsent;
  }
  // The white space that stands for the fold's columns; a line less
  // indented than its fold keeps what it has.
  const size_t lead = offset > 0 ? markerscan::leadWithin(work_, offset, tabSize_) : 0;
  text_.assign(work_, lead, std::string::npos);
  if (fortranComment) {
    if (text_.empty())
      text_.assign(1, 'C');
    else if (text_[0] != 'C' && text_[0] != 'c')
      text_.insert(text_.begin(), {' ', 'C'});
  }
  // Inside a COMMENT fold a text line was written inside the comment signs.
  const bool inComment = commentDepth_ > 0;
  if (inComment) {
    const std::string& cs = w_.commentStart;
    const std::string& ce = w_.commentEnd;
    size_t fnb = 0;
    while (fnb < text_.size() && text_[fnb] == ' ') ++fnb;
    if (!cs.empty() || !ce.empty()) {
      size_t after = fnb + cs.size();
      bool startsComment = text_.compare(fnb, cs.size(), cs) == 0;
      bool isMarker = startsComment && (text_.compare(after, 3, ff::kFoldMarker) == 0 ||
                                        text_.compare(after, 3, "...") == 0);
      if (startsComment && !isMarker && text_.size() >= after + ce.size() &&
          text_.compare(text_.size() - ce.size(), ce.size(), ce) == 0) {
        text_.erase(text_.size() - ce.size());
        text_.erase(fnb, cs.size());
      }
    }
  }
  LineNode* n = appendText(text_.data(), text_.size());
  const std::string_view leadBytes(work_.data(), lead);
  const bool plain = allBlanks(leadBytes) && (lead == static_cast<size_t>(offset) || text_.empty());
  if (!plain) keepLead(n, leadBytes, n->indent, offset);
  if (inComment || fortran_) {
    composeLine(composed_, *n, writtenShift(*n, offset), inComment, *ctx_);
    keepVerbatim(*n, kOwnLine, composed_, line);
  }
}

void Reader::headerLine(std::string_view line, const markerscan::MarkerLine& m) {
  using markerscan::Marker;
  const int32_t offset = w_.foldOffset;
  const int32_t column = std::max(0, m.column - offset);
  // The line as it stood, taken before its title is ended in place. (The
  // header before was finished when this line came.)
  preamble_.headerRead.assign(line);
  normalisedHeader(preamble_.headerNormalised, line, m, w_.commentEnd);
  // A title's blanks before the comment end are not kept.
  LineNode* h = lineText(
      line, m.restAt,
      markerscan::titleLength(std::string_view(work_.data() + m.restAt, m.restEnd - m.restAt),
                              w_.commentEnd));
  const int32_t indent = h->indent;
  const std::string_view lead(work_.data(), m.commentAt);
  if (m.column < offset || !allBlanks(lead)) keepLead(h, lead, indent, offset + column);
  if (m.commentEnd) {
    size_t at = m.restEnd + w_.commentEnd.size();
    if (at < work_.size()) extraOf(*h).after.assign(work_, at, std::string::npos);
  }
  const bool noContents = m.kind == Marker::FiledOnly;
  openFold(h, column, m.kind == Marker::Fold ? ClosedFold : FiledFold, noContents);
  preamble_.header = h;
  preamble_.noContents = noContents;
  preamble_.attribute = false;
  preamble_.file = false;
  preamble_.shift = (indent > 0 ? indent : 0) + offset + column;
}

void Reader::attributeLine(std::string_view line, const markerscan::MarkerLine& m) {
  LineNode* h = preamble_.header;
  if (!h) return;
  std::string_view rest(work_.data() + m.restAt, m.restEnd - m.restAt);
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
  h->foldType() = v[0];
  h->foldContents() = v[1];
  preamble_.attribute = true;
  preamble_.attributeRead.assign(line);
}

void Reader::fileLine(std::string_view line, const markerscan::MarkerLine& m) {
  if (!preamble_.header || open_.empty()) return;
  std::string name = normaliseSeparators(std::string(work_, m.restAt, m.restEnd - m.restAt));
  assign(*open_.back().end, name.c_str());
  preamble_.file = true;
  preamble_.fileRead.assign(line);
  finishPreamble();
}

// The header and the lines right after it are read: the fold's type is
// known, so the lines can be composed as the writer would write them.
void Reader::finishPreamble() {
  LineNode* h = preamble_.header;
  if (!h) return;
  // The lines stay in their buffers for the next header.
  const Preamble& p = preamble_;
  preamble_.header = nullptr;
  OpenFoldEntry& o = open_.back();
  // A "...F" header without an attribute line still is one of type 1.
  if (p.noContents && !p.attribute) {
    h->foldType() = 1;
    h->foldContents() = 1;
  }
  journal::touch(h);
  h->kind = o.end->kind;
  // A header the writer writes in its own spacing takes that spacing; any
  // other is written back as it stood.
  composeLine(composed_, *h, p.shift, false, *ctx_);
  keepVerbatim(*h, kOwnLine, composed_,
               composed_ == p.headerNormalised ? p.headerNormalised : p.headerRead);
  if (p.attribute != !hasDefaultAttributes(h)) extraOf(*h).attributeLine = p.attribute ? 1 : 0;
  if (p.attribute) {
    composeAttributeLine(composed_, *h, p.shift, *ctx_);
    keepVerbatim(*h, kAttributeLine, composed_, p.attributeRead);
  }
  if (p.file) {
    composeFileLine(composed_, *h, p.shift, *ctx_);
    keepVerbatim(*h, kFileLine, composed_, p.fileRead);
  }
  journal::touch(h);
  h->kind = TextLine;  // until its end is read
  if (h->extra() && h->extra()->empty()) dropExtra(*h);
  if (p.noContents) closeInnermost();
}

void Reader::endLine(std::string_view line, const markerscan::MarkerLine& m) {
  if (open_.empty()) return;
  const int32_t offset = w_.foldOffset;
  const int32_t indent = std::max<int32_t>(0, open_.back().header->indent);
  const std::string_view lead(work_.data(), m.commentAt);
  std::string tail(work_, m.markerEnd, m.restEnd - m.markerEnd);
  std::string after;
  if (m.commentEnd) after.assign(work_, m.restEnd + w_.commentEnd.size(), std::string::npos);
  LineNode* e = open_.back().end;
  closeInnermost();
  if (m.column != offset || !allBlanks(lead)) keepLead(e, lead, indent, offset);
  if (!tail.empty()) extraOf(*e).tail = std::move(tail);
  if (!after.empty()) extraOf(*e).after = std::move(after);
  composeLine(composed_, *e, indent + offset, false, *ctx_);
  keepVerbatim(*e, kOwnLine, composed_, line);
  if (e->extra() && e->extra()->empty()) dropExtra(*e);
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
    if (!budget()) return false;
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
    h->foldType() = static_cast<uint32_t>(type);
    h->foldContents() = static_cast<uint32_t>(contents);
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
    o.header->partner() = nullptr;
    // An open fold's end holds the fold's kind until it is closed: on the
    // dispose list it would read as a closed fold without contents.
    journal::touch(o.end);
    o.end->kind = TextLine;
    dispose(w, o.end);
  }
  if (reader.intoFold())
    after->inner() = origInner;
  else
    linkAfter(after, origNext);
}

}  // namespace

std::string openFilter() { return dialogFilter(nullptr, langList()); }

void allowOnePassReading(bool on) { gOnePass = on; }

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

ReadOutcome readFile(LineStore& window, LineNode* filedNode, LineNode* after, LineNode* end,
                     bool setNames, const std::string& name, const PathProbe& probe,
                     const std::function<void(const std::string&)>& opened) {
  ReadOutcome outcome;
  outcome.path = probe.path;
  bool levelEndsWithLineEnd = true;
  const bool ownFile = filedNode == nullptr && setNames;
  LineNode* origNext = after->next;
  LineNode* origInner = after->inner();
  std::string savedStart = window.commentStart;
  std::string savedEnd = window.commentEnd;

  Reader reader(window, after, end);
  bool asTds = false;
  bool lfOnly = true;
  bool sawEnd = false;
  if (!name.empty() && probe.exists) {
    int fd = ::open(probe.path.c_str(), O_RDONLY | O_CLOEXEC);
    ChunkReader chunks(fd, kProbeBytes);
    bool ok = fd >= 0 && (chunks.more() || chunks.error() == 0);
    if (!ok) {
      if (fd >= 0) ::close(fd);
      window.ioStatus = 2;
      outcome.failure = ReadFailure::Unreadable;
      return outcome;
    }
    window.ioStatus = 0;
    if (opened) opened(probe.path);
    window.foldOffset = 0;

    uint8_t tag = 0;
    uint64_t value = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(chunks.data());
    asTds = tdsDecode(p, p + chunks.avail(), tag, value) > 0 &&
            tag == foldformat::kTdsControl && value == foldformat::kTdsBegin &&
            !endsWithLineFeed(fd);
    int32_t status = 0;
    ReadReport& rep = outcome.report;
    bool budget = true;
    int err = 0;
    if (asTds) {
      chunks.widen();
      budget = reader.readTds(chunks);
      err = chunks.error();
      rep.nuls = chunks.nuls;
    } else {
      // The text format is read whole: markers are paired over the file
      // before its tree is made.
      FileBytes bytes;
      err = bytes.read(fd);
      bool again = !gOnePass || isFortranType(window.fileTypeName);
      if (err == 0) {
        reader.borrowFrom(bytes.buffer());
        if (!again)
          budget = reader.readInOnePass(bytes.data(), bytes.size(), status, lfOnly, sawEnd, rep,
                                        again);
      }
      if (err == 0 && budget && again) {
        // The first pass pairs the markers over the whole file before the
        // tree is made: what one pass made is taken back, and the bytes,
        // ended in place line by line, are read again.
        reader.letGoOfTexts();
        rollBack(window, after, origNext, origInner, reader);
        reader.restart();
        window.foldOffset = 0;
        window.commentStart = savedStart;
        window.commentEnd = savedEnd;
        status = 0;
        lfOnly = true;
        sawEnd = false;
        rep = ReadReport{};
        err = bytes.read(fd);
        reader.borrowFrom(bytes.buffer());
        if (err == 0)
          budget = reader.readText(bytes.data(), bytes.size(), status, lfOnly, sawEnd, rep);
      }
    }
    ::close(fd);
    if (!budget || err != 0) {
      rollBack(window, after, origNext, origInner, reader);
      window.ioStatus = 2;
      window.commentStart = savedStart;
      window.commentEnd = savedEnd;
      outcome.failure = budget ? ReadFailure::Unreadable : ReadFailure::NoMemory;
      return outcome;
    }
    if (!asTds) window.ioStatus = status;
    levelEndsWithLineEnd = asTds || status != 3;
    reader.finish();
    outcome.openFolds = reader.openFolds().size();
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
  // The file shown (the window's, or an entered filed fold's) keeps a
  // missing last line end.
  if (ownFile || (filedNode && filedNode == end)) window.finalLineEnd = levelEndsWithLineEnd;

  reader.link(reader.last(), end);
  window.linesRead(after);
  // Rows of everything between after and end (a fold read into counts its
  // inside).
  for (LineNode* n = reader.intoFold() ? after->inner() : after; n; n = n->next) {
    window.computeRows(n);
    if (n == end || n == window.levelBottom) break;
  }
  if (reader.intoFold()) window.computeRows(after);
  return outcome;
}
