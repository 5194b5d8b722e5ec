#include "model/foldwriter.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "model/atomicfile.hpp"
#include "model/fileidentity.hpp"
#include "model/foldcompose.hpp"
#include "model/foldformat.hpp"
#include "model/foldreader.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"

namespace {

namespace ff = foldformat;

constexpr size_t kFlushBytes = size_t{1} << 20;

// Output in large pieces; the first failure sticks.
class Output {
 public:
  // The buffer grows to what the file needs: a small file's save takes no
  // buffer of the full flush size.
  explicit Output(AtomicFile& f) : f_(f) {}
  std::string& buffer() { return buf_; }
  bool maybeFlush() { return buf_.size() < kRoomAt || makeRoomOrFlush(); }
  bool flush() {
    if (ok_ && !buf_.empty()) ok_ = f_.write(buf_.data(), buf_.size());
    buf_.clear();
    return ok_;
  }
  bool ok() const { return ok_; }

 private:
  // A file past the first stretch gets the buffer of the full flush size
  // at once, instead of one twice as big at every doubling (each a fresh
  // block and a copy).
  static constexpr size_t kRoomAt = size_t{64} << 10;
  bool makeRoomOrFlush() {
    if (buf_.size() >= kFlushBytes) return flush();
    if (buf_.capacity() < kFlushBytes + kRoomAt) buf_.reserve(kFlushBytes + kRoomAt);
    return true;
  }

  AtomicFile& f_;
  std::string buf_;
  bool ok_ = true;
};



class TextWriter {
 public:
  TextWriter(LineStore& w, Output& out, bool lastLineEnd)
      : w_(w), out_(out), eol_(w.lfLineEnds ? "\n" : "\r\n"), eolBytes_(w.lfLineEnds ? 1 : 2),
        lastLineEnd_(lastLineEnd),
        ctx_{w.commentStart, w.commentEnd, isFortranType(w.fileTypeName)} {}

  void write(LineNode* header) {
    int32_t& offset = w_.foldOffset;
    int depth = 0;
    LineNode* stop = header->partner();
    for (LineNode* p = header->next; p && p != stop;) {
      // The texts lie far apart in memory: ask for the next ones early.
      if (LineNode* a = isClosedHeader(p) ? p->inner() : p->next) {
        __builtin_prefetch(a->text);
        if (LineNode* b = isClosedHeader(a) ? a->inner() : a->next) __builtin_prefetch(b->text);
      }
      if (p->kind == TextLine && !p->fields && depth == 0 && !ctx_.fortran) {
        // Most lines: a text line in the writer's own form (no extra, so
        // no lead or verbatim line of its own) goes out as composeLine
        // would make it, without the copy; its shift as writtenShift
        // gives a text line's.
        const int32_t shift = (offset > 0 ? offset : 0) + p->indent;
        plainLine(p->text, shift > 0 ? shift : 0);
        p = p->next;
        if (!out_.maybeFlush()) return;
        continue;
      }
      const int32_t shift = writtenShift(*p, offset);
      composeLine(line_, *p, shift, p->kind == TextLine && depth > 0, ctx_);
      useVerbatim(line_, *p, kOwnLine);
      emit(line_);

      bool closed = isClosedHeader(p);
      bool noContents = p->kind == FiledFold && p->foldType() == 1;
      if (closed) offset += p->indent + p->markerColumn();
      if (isHeader(p)) {
        // A "...F" fold has no end line to lower the depth again.
        if (!noContents && (depth > 0 || isCommentTitle(p->text))) ++depth;
        if (writesAttributeLine(*p)) {
          composeAttributeLine(line_, *p, shift, ctx_);
          useVerbatim(line_, *p, kAttributeLine);
          emit(line_);
        }
        if (p->kind == FiledFold) {
          composeFileLine(line_, *p, shift, ctx_);
          useVerbatim(line_, *p, kFileLine);
          emit(line_);
        }
      }
      if (noContents) {
        offset -= p->indent + p->markerColumn();
        p = p->next;
        if (!out_.maybeFlush()) return;
        continue;
      }
      LineNode* next = closed ? p->inner() : p->next;
      if (p->kind == FoldEnd) {
        if (depth > 0) --depth;
        if (p->partner() && isClosedHeader(p->partner()))
          offset -= p->partner()->indent + p->partner()->markerColumn();
      }
      p = next;
      if (!out_.maybeFlush()) return;
    }
    // A file that ended without a line end is given back so.
    if (pending_ && lastLineEnd_) out_.buffer().append(eol_, eolBytes_);
  }

 private:
  // The blanks of the shift and the text, without trailing blanks; an
  // empty line when the text is blanks only.
  void plainLine(const char* text, int32_t shift) {
    std::string& b = out_.buffer();
    if (pending_) b.append(eol_, eolBytes_);
    pending_ = true;
    if (!text) return;
    size_t n = std::strlen(text);
    while (n > 0 && text[n - 1] == ' ') --n;
    if (n == 0) return;
    b.append(static_cast<size_t>(shift), ' ');
    b.append(text, n);
  }

  void emit(const std::string& s) {
    // Each line end is written when the next line comes, so that the last
    // one can be left out.
    std::string& b = out_.buffer();
    if (pending_) b.append(eol_, eolBytes_);
    b.append(s);
    pending_ = true;
  }

  LineStore& w_;
  Output& out_;
  const char* eol_;
  size_t eolBytes_;
  bool lastLineEnd_;
  bool pending_ = false;
  ComposeContext ctx_;
  std::string line_;
};

class TdsWriter {
 public:
  explicit TdsWriter(Output& out) : out_(out) {}

  void write(LineNode* header) {
    std::string& b = out_.buffer();
    tdsEncode(b, ff::kTdsControl, ff::kTdsBegin);
    std::vector<LineNode*> open;  // ends of the folds being written
    LineNode* stop = header->partner();
    LineNode* p = header->next;
    while (p) {
      if (p == stop || p->kind == FoldEnd) {
        tdsEncode(b, ff::kTdsControl, ff::kTdsEnd);
        if (open.empty()) break;
        tdsEncode(b, ff::kTdsControl, ff::kTdsFoldEnd);
        open.pop_back();
        p = p->next;
        continue;
      }
      if (p->kind == TextLine) {
        tdsEncodeString(b, p->text, lengthWithoutTrailing(p->text));
        p = p->next;
      } else if (p->kind == FiledFold) {
        tdsEncode(b, ff::kTdsControl, ff::kTdsFiled);
        headerOf(p);
        const char* name = p->partner() && p->partner()->text ? p->partner()->text : "";
        tdsEncodeString(b, name, std::strlen(name));
        tdsEncode(b, ff::kTdsControl, ff::kTdsFiledEnd);
        p = p->next;
      } else {
        tdsEncode(b, ff::kTdsControl, ff::kTdsFold);
        headerOf(p);
        tdsEncode(b, ff::kTdsControl, ff::kTdsBegin);
        open.push_back(p->partner());
        p = p->kind == ClosedFold ? p->inner() : p->next;
      }
      if (!out_.maybeFlush()) return;
    }
  }

 private:
  void headerOf(const LineNode* p) {
    std::string& b = out_.buffer();
    tdsEncode(b, ff::kTdsControl, ff::kTdsBegin);
    tdsEncodeString(b, p->text, std::strlen(p->text));
    tdsEncode(b, ff::kTdsNumber, p->foldType());
    tdsEncode(b, ff::kTdsNumber, isCommentTitle(p->text) ? 0 : p->foldContents());
    tdsEncode(b, ff::kTdsNumber, static_cast<uint32_t>(p->markerColumn() > 0 ? p->markerColumn() : 0));
    tdsEncode(b, ff::kTdsControl, ff::kTdsEnd);
  }

  Output& out_;
};

// A terminal or a pipe the user may write takes a save as it is.
bool writableSpecialFile(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 &&
         (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) && ::access(path.c_str(), W_OK) == 0;
}

// The first save of a window keeps the old file as its .bak copy. The
// warning when it cannot, or nothing.
std::string makeBackup(LineStore& w, const PathProbe& probe) {
  if (w.backupDone) return "";
  w.backupDone = true;
  if (!w.ctx.settings.backup || !probe.exists) return "";
  std::string old;
  std::string error;
  std::string bak = backupName(probe.path);
  if (!readWholeFile(probe.path, old)) error = std::strerror(errno ? errno : EIO);
  else if (writeFileAtomic(bak, old, &error)) return "";
  return "Cannot make the backup copy " + bak + ": " + error;
}

WriteOutcome failed(LineStore& w, WriteFailure f, WriteOutcome o, int error = 0) {
  w.ioStatus = 2;
  o.failure = f;
  o.error = error;
  return o;
}

}  // namespace

int readOnlyError(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0)
    return EACCES;
  return 0;
}

std::string backupName(const std::string& path) {
  std::string base = baseName(path);
  size_t dot = base.find('.');
  if (dot != std::string::npos) base.resize(dot);
  return joinPath(dirName(path), base + ".bak");
}

WriteOutcome writeFile(LineStore& window, LineNode* pathNode, LineNode* header,
                       bool overwriteChanges,
                       const std::function<void(const std::string&)>& writing) {
  WriteOutcome o;
  window.foldOffset = 0;
  std::string name = pathNode && pathNode->text ? pathNode->text : "";
  PathProbe probe = resolve(window, name);
  o.path = probe.path.empty() ? name : probe.path;
  if (!probe.usable && !writableSpecialFile(probe.path))
    return failed(window, WriteFailure::CannotOpen, o);
  // Another program's change to the file is written over only when asked.
  const bool ownFile = pathNode == window.fileBottom;
  if (ownFile && !overwriteChanges && changedOnDisk(window, probe.path))
    return failed(window, WriteFailure::ChangedOnDisk, o);
  if (writing) writing(probe.path);
  o.backupWarning = makeBackup(window, probe);

  bool tds = window.readAsTds || (!probe.exists && isTdsType(window.fileTypeName));
  AtomicFile file;
  int refused = readOnlyError(probe.path);
  bool opened = !refused && file.open(probe.path);
  if (!opened) {
    if (tds) return failed(window, WriteFailure::CannotOpen, o);
    o.why = file.refusal();
    return failed(window, WriteFailure::WriteError, o, refused ? refused : file.errorNumber());
  }
  window.ioStatus = 0;
  Output out(file);
  if (tds) {
    TdsWriter(out).write(header);
  } else {
    window.fileName = probe.path;
    // Only the level's own file keeps a missing last line end.
    const bool ownLevel = pathNode == window.fileBottom && header == window.fileBottom->partner();
    TextWriter(window, out, !ownLevel || window.finalLineEnd).write(header);
  }
  window.foldOffset = 0;
  if (!out.flush() || !file.commit()) {
    const int error = file.errorNumber();
    file.abort();
    o.keptBackup = file.keptBackup();
    return failed(window, WriteFailure::WriteError, o, error);
  }
  if (ownFile) rememberDisk(window, identityOf(probe.path, file.written()));
  // A new file of a TDS type stays TDS on its next save.
  if (tds && pathNode == window.fileBottom) window.readAsTds = true;
  return o;
}
