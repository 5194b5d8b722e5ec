#include "fuzzsupport.hpp"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <filesystem>
#include <unistd.h>
#include <string_view>
#include <vector>

#include "model/atomicfile.hpp"
#include "engine/fileio.hpp"
#include "model/foldreader.hpp"
#include "model/foldwriter.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "support/foldwindow.hpp"

namespace {

std::string g_scratch;

// In memory where the system offers it: the editor syncs every file it
// saves, which on a disk would make each run wait for it.
std::string makeTempDir(const char* what) {
  struct stat st;
  const char* base = ::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
  std::string tmpl = std::string(base) + "/plicato-fuzz-" + what + "-XXXXXX";
  if (!::mkdtemp(tmpl.data())) {
    std::perror("mkdtemp");
    std::abort();
  }
  return tmpl;
}

}  // namespace

const WindowSpec kConventions[] = {
    {"/*", "*/", "C", ".c"},          {"//", "", "C++", ".cpp"},
    {"--", "", "occam2", ".occ"},     {"(*", "*)", "Pascal", ".pas"},
    {";", ";", "Modula2", ".mod"},    {"*", "", "Assembler", ".asm"},
    {"C", "", "Fortran", ".f"},       {"tds", "", "TDS", ".tsr"},
    {"", "", "All", ".txt"},          {"<!--", "-->", "User", ".xml"},
};
const size_t kConventionCount = sizeof kConventions / sizeof kConventions[0];

void FuzzHost::exitProcess(int code) {
  std::fprintf(stderr, "fuzz: the program tried to end with code %d after:\n", code);
  for (const auto& e : events()) std::fprintf(stderr, "  [%s] %s\n", e.caption.c_str(), e.text.c_str());
  std::abort();
}

void fuzzInit() {
  static bool done = false;
  if (done) return;
  done = true;
  // Each process gets fresh directories and removes them when it ends
  // normally (a finding leaves them for a look).
  static std::string config = makeTempDir("config");
  g_scratch = makeTempDir("work");
  setConfigDir(config);
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(g_scratch, ec);
    std::filesystem::remove_all(config, ec);
  });
  setProgramDir(std::string(PLICATO_SOURCE_DIR) + "/resources");
  ::unsetenv("PLICATO_WIN32S");
  ::unsetenv("PLICATOHOME");
}

const std::string& scratchDir() {
  fuzzInit();
  return g_scratch;
}

std::string writeScratch(const std::string& name, const uint8_t* data, size_t size) {
  return writeScratch(name, std::string(reinterpret_cast<const char*>(data), size));
}

std::string writeScratch(const std::string& name, const std::string& data) {
  std::string path = scratchDir() + "/" + name;
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    std::perror(path.c_str());
    std::abort();
  }
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n <= 0) {
      std::perror(path.c_str());
      std::abort();
    }
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  return path;
}

bool readScratch(const std::string& path, std::string& out) { return readWholeFile(path, out); }

ScopedHost::ScopedHost(Host& host) { setProcessHost(&host); }
ScopedHost::~ScopedHost() { setProcessHost(nullptr); }

void fuzzCheck(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "fuzz: check failed: %s\n", what);
  std::abort();
}

namespace {

struct Walker {
  size_t limit;
  size_t count = 0;
  bool allowOpen = false;

  void level(const LineNode* first, const LineNode* stop, int depth) {
    std::vector<const LineNode*> open;
    fuzzCheck(depth < 100000, "folds nest without end");
    for (const LineNode* p = first; p != stop; p = p->next) {
      fuzzCheck(p != nullptr, "a chain ends before its fold end");
      fuzzCheck(++count <= limit, "a chain runs in a circle");
      fuzzCheck(p->text != nullptr, "a line without text");
      fuzzCheck(p->next == nullptr || p->next->prev == p, "a back link is wrong");
      if (allowOpen && p->kind == OpenFold) {
        open.push_back(p);
        continue;
      }
      if (allowOpen && p->kind == FoldEnd) {
        fuzzCheck(!open.empty(), "a fold end without its open header");
        fuzzCheck(p->partner() == open.back() && open.back()->partner() == p, "an open fold is paired wrongly");
        open.pop_back();
        continue;
      }
      fuzzCheck(p->kind == TextLine || isClosedHeader(p), "a level holds only lines and folds");
      if (!isClosedHeader(p)) continue;
      const LineNode* e = p->partner();
      fuzzCheck(e && e->kind == FoldEnd && e->partner() == p, "a closed fold's end is not its partner");
      fuzzCheck(e->next == p->next, "a fold's end does not point after the fold");
      fuzzCheck(p->inner() != nullptr, "a closed fold has no inner chain");
      fuzzCheck(p->inner() == e || p->inner()->prev == p, "a fold's first line does not point back");
      fuzzCheck(p->markerColumn() >= 0, "a negative marker column");
      level(p->inner(), e, depth + 1);
      ++count;  // the end
    }
    fuzzCheck(open.empty(), "an open fold has no end in its level");
  }
};

void textOf(const LineNode* first, const LineNode* stop, int depth, std::string& out) {
  for (const LineNode* p = first; p != stop; p = p->next) {
    out.append(static_cast<size_t>(depth), ' ');
    out += std::to_string(p->kind) + " " + std::to_string(p->indent);
    if (isClosedHeader(p)) {
      out += " m" + std::to_string(p->markerColumn()) + " t" + std::to_string(p->foldType()) + " c" +
             std::to_string(p->foldContents());
      if (p->kind == FiledFold) out += " f[" + std::string(p->partner()->text) + "]";
    }
    out += " [" + std::string(p->text) + "]\n";
    if (isClosedHeader(p)) textOf(p->inner(), p->partner(), depth + 1, out);
  }
}

}  // namespace

size_t checkTree(const LineStore& w) {
  const LineNode* root = w.fileBottom->partner();
  fuzzCheck(root && root->kind == FileTop && root->partner() == w.fileBottom, "the root lost its end");
  fuzzCheck(w.fileBottom->next == nullptr, "the bottom line has a successor");
  Walker walk{w.nodesMade() + 16};
  walk.level(root->next, w.fileBottom, 0);
  return walk.count;
}

void checkView(const LineStore& w) {
  const LineNode* header = w.levelTop ? w.levelTop->next : nullptr;
  fuzzCheck(header && header->prev == w.levelTop, "the view's head link is broken");
  fuzzCheck(header->partner() == w.levelBottom && w.levelBottom->partner() == header,
            "the view's header and end are not partners");
  Walker walk{w.nodesMade() + 16};
  walk.allowOpen = true;
  walk.level(header->next, w.levelBottom, 0);
}

std::string treeText(const LineStore& w) {
  std::string out;
  const LineNode* root = w.fileBottom->partner();
  textOf(root->next, w.fileBottom, 0, out);
  return out;
}

namespace {

// Making a window costs far more than reading a small file into it (its
// first nodes and text blocks, the text pool mapped and given back when
// the last window goes), so the fold targets keep one window per
// convention slot and give all its lines back to its dispose list between
// reads, as the editor does when a window reads a file again.
struct FoldWindow {
  FuzzHost host;
  ModelContext ctx{host};
  LineStore w{ctx};

  void reset(const WindowSpec& conv) {
    for (LineNode* p = w.fileTop; p;) {
      LineNode* next = p->next;
      dispose(w, p);
      p = next;
    }
    w.fileTop = w.fileBottom = w.levelTop = w.levelBottom = nullptr;
    w.nameGiven = false;
    w.pendingName.clear();
    w.foldOffset = 0;
    w.ioStatus = 0;
    w.fileName.clear();
    w.readAsTds = false;
    w.lfLineEnds = false;
    w.backupDone = false;
    w.markUp = nullptr;
    while (w.basePathTop >= 0) w.popBasePath();
    host.clearEvents();
    foldtest::prepare(w, conv.commentStart, conv.commentEnd, conv.typeName);
  }
  void open(const std::string& path) { foldtest::open(w, path); }
  void save() { Save(w, w.fileBottom, w.fileBottom->partner()); }
};

// One per round of a round trip, so a round reads in a window that the
// same round of the input before used.
FoldWindow& foldWindow(size_t round, const WindowSpec& conv, int tabSize = 8) {
  static FoldWindow windows[3];
  FoldWindow& win = windows[round];
  win.reset(conv);
  win.ctx.settings.tabSize = tabSize;
  return win;
}

}  // namespace

namespace {

// Whether a text line holds a marker: written, it may read back as one (a
// limit of the format: text lines are written as they are).
bool hasMarkerText(const LineNode* first, const LineNode* stop) {
  for (const LineNode* p = first; p && p != stop; p = p->next) {
    if (isClosedHeader(p)) {
      if (hasMarkerText(p->inner(), p->partner())) return true;
      continue;
    }
    const std::string_view t(p->text);
    for (const char* m : {"{{{", "}}}", ":::", "..."})
      if (t.find(m) != std::string_view::npos) return true;
  }
  return false;
}
bool hasMarkerText(const LineStore& w) {
  return hasMarkerText(w.fileBottom->partner()->next, w.fileBottom);
}

// Reads path into a window, checks the tree and writes it back over path;
// returns what was written.
std::string readAndWrite(size_t round, const WindowSpec& conv, int tabSize, const std::string& path,
                         std::string& start, std::string& end, bool& unsettled) {
  FoldWindow& win = foldWindow(round, conv, tabSize);
  ScopedHost scope(win.host);
  win.open(path);
  fuzzCheck(win.w.ioStatus != 2, "a readable file was not read");
  checkTree(win.w);
  win.save();
  fuzzCheck(win.w.ioStatus == 0, "the tree could not be written");
  std::string written;
  fuzzCheck(readScratch(path, written), "the written file is gone");
  unsettled = false;
  for (const std::string& t : win.host.boxTexts())
    unsettled = unsettled || t.find("without an end line") != std::string::npos;
  unsettled = unsettled || hasMarkerText(win.w);
  // A declaration line may have changed the convention on the way.
  start = win.w.commentStart;
  end = win.w.commentEnd;
  return written;
}

}  // namespace

void foldRoundTrip(const WindowSpec& conv, const std::string& path, int tabSize) {
  std::string start, end;
  bool unsettled = false;
  readAndWrite(0, conv, tabSize, path, start, end, unsettled);
  // Some trees of damaged files cannot be written as they are: a text line
  // whose text is a marker line's reads back as a marker. One more round
  // turns such lines into what the file says they are; from then on the
  // writer's output must read back to itself, unless a fold is left
  // without an end (its lines move to the fold around it on every round,
  // and the user is told so) or a text line still holds a marker.
  WindowSpec again = conv;
  again.commentStart = start.c_str();
  again.commentEnd = end.c_str();
  std::string start2, end2;
  bool unsettled2 = false, unsettled3 = false;
  const std::string second = readAndWrite(1, again, tabSize, path, start2, end2, unsettled2);
  WindowSpec third = conv;
  third.commentStart = start2.c_str();
  third.commentEnd = end2.c_str();
  std::string start3, end3;
  const std::string rewritten = readAndWrite(2, third, tabSize, path, start3, end3, unsettled3);
  if (!unsettled2 && !unsettled3 && second != rewritten) {
    std::fprintf(stderr, "--- written\n%s\n--- written again\n%s\n--- end\n", second.c_str(),
                 rewritten.c_str());
    fuzzCheck(false, "the writer's own file does not read back to the same file");
  }
}

void checkFile(const WindowSpec& conv, const std::string& path) {
  FoldWindow& win = foldWindow(0, conv);
  ScopedHost scope(win.host);
  win.open(path);
  checkTree(win.w);
}
