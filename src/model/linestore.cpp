#include "model/linestore.hpp"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <chrono>
#include <new>

#include <sys/resource.h>

#include <sys/mman.h>

#include "platform/host.hpp"


namespace {

constexpr size_t kNewLineBytes = 1;  // a taken node's text grows with what it is given

}  // namespace

LineStore::LineStore(ModelContext& c) : ctx(c), host(c.host) {
  // The dispose head is also the line template and, while the list is
  // empty, its tail.
  LineNode* head = newNode();
  if (!head) fatalReport(host, "initialise:: Not enough memory for dispose_head", "Plicato Error", 1);
  journal::touch(head);
  head->kind = TextLine;
  head->indent = 0;
  disposeHead = lineTemplate = disposeTail = head;
  fileBottom = fileTop = nullptr;
  for (auto& b : buffers) b = newLineNode(*this);
}

LineStore::~LineStore() {
  // Lines still on the dispose list leave the process-wide count with us.
  int32_t held = 0;
  for (LineNode* n = disposeHead->next; n; n = isClosedHeader(n) ? n->inner() : n->next) {
    ++held;
    if (n == disposeTail) break;
  }
  ctx.freeCount -= held;
  if (ctx.freeCount < 0) ctx.freeCount = 0;
  for (size_t s = 0; s < slabs_.size(); ++s) {
    size_t used = (s + 1 == slabs_.size()) ? slabUsed_ : noderegion::kChunkNodes;
    for (size_t i = 0; i < used; ++i) {
      freeOrRelease(slabs_[s][i].text);
      slabs_[s][i].~LineNode();
    }
    noderegion::giveChunk(slabs_[s]);
  }
}

LineNode* LineStore::newNodeInNewChunk(size_t textBytes) {
  if (slabs_.empty() || slabUsed_ == noderegion::kChunkNodes) {
    LineNode* chunk = noderegion::takeChunk();
    if (!chunk) return nullptr;
    noderegion::setOwner(chunk, this);
    slabs_.push_back(chunk);
    slabUsed_ = 0;
  }
  LineNode* n = new (&slabs_.back()[slabUsed_++]) LineNode();
  ++nodesMade_;
  journal::made(n);
  // Without bytes the caller gives the text.
  if (textBytes == 0) return n;
  n->text = static_cast<char*>(allocLineText(textBytes));
  n->text[0] = '\0';
  return n;
}

void LineStore::pushBasePath(const std::string& dir) {
  if (basePathTop >= kBasePathEntries - 1) fatalReport(host, "too many nested filed folds", "Error", 1);
  basePath[++basePathTop] = dir;
}

void LineStore::popBasePath() {
  if (basePathTop < 0) fatalReport(host, "basepath stack underflow", "Error", 1);
  basePath[basePathTop--].clear();
}

LineNode* newLineNode(LineStore& store, bool withText) {
  LineNode* node;
  if (store.disposeHead == store.disposeTail) {
    node = store.newNode(withText ? kNewLineBytes : 0);
    if (!node) fatalReport(store.host, "proc_new : Not enough memory", "Plicato Error", 1);
  } else {
    // Reuse the oldest disposal. A fold leaves its contents on the list
    // behind it.
    node = store.disposeHead->next;
    if (isClosedHeader(node)) {
      LineNode* end = node->partner();
      journal::touch(node);
      node->kind = TextLine;
      if (end) {
        journal::touch(end);
        end->kind = TextLine;
      }
      node->next = node->inner();
      if (node->next) node->next->prev = node;
      if (node == store.disposeTail && end) store.disposeTail = end;
    }
    if (node == store.disposeTail) {
      store.disposeTail = store.disposeHead;
      store.disposeHead->next = nullptr;
    } else {
      linkAfter(store.disposeHead, node->next);
    }
    if (--store.ctx.freeCount < 0) store.ctx.freeCount = 0;
  }
  const LineNode* t = store.lineTemplate;
  // A reused node's text goes too (the reader may free it).
  journal::touchText(node);
  node->dropFields();
  if (withText) {
    reserve(*node, kNewLineBytes);
    node->text[0] = '\0';
  }
  node->prev = t->prev;
  node->next = t->next;
  node->inner() = t->inner();
  node->partner() = t->partner();
  journal::touch(node);
  node->mark = 0;
  copyOwnFields(*node, *t);
  return node;
}

void copyOwnFields(LineNode& to, const LineNode& from) {
  if (!from.fields && !to.fields) {
    // Nothing but the node's own word to copy (most new lines).
    journal::touch(&to);
    to.kind = from.kind;
    to.lineState = from.lineState;
    to.indent = from.indent;
    return;
  }
  journal::touch(&to);
  to.kind = from.kind;
  to.savedRow() = from.savedRow();
  to.lineState = from.lineState;
  to.rows() = from.rows();
  to.indent = from.indent;
  to.markerColumn() = from.markerColumn();
  to.foldType() = from.foldType();
  to.foldContents() = from.foldContents();
}

namespace {

// The extras of every node, by index; 0 is none.
struct ExtraTable {
  std::vector<LineExtra*> slots{nullptr};
  std::vector<uint32_t> free;
};
ExtraTable& extras() {
  static auto* t = new ExtraTable;
  return *t;
}

}  // namespace

ExtraRef& ExtraRef::operator=(LineExtra* x) {
  ExtraTable& t = extras();
  if (i_) {
    LineExtra* old = t.slots[i_];
    if (old == x) return *this;
    delete old;
    t.slots[i_] = nullptr;
    t.free.push_back(i_);
    i_ = 0;
  }
  if (!x) return *this;
  if (!t.free.empty()) {
    i_ = t.free.back();
    t.free.pop_back();
    t.slots[i_] = x;
  } else {
    i_ = static_cast<uint32_t>(t.slots.size());
    t.slots.push_back(x);
  }
  return *this;
}

LineExtra* ExtraRef::release() {
  if (!i_) return nullptr;
  ExtraTable& t = extras();
  LineExtra* x = t.slots[i_];
  t.slots[i_] = nullptr;
  t.free.push_back(i_);
  i_ = 0;
  return x;
}

ExtraRef::operator LineExtra*() const { return i_ ? extras().slots[i_] : nullptr; }

namespace foldfields {

const FoldFields kDefaults{};
const RareFields kRareDefaults{};

size_t bytesInUse() {
  return folds().inUse() * sizeof(FoldFields) + rares().inUse() * sizeof(RareFields);
}

}  // namespace foldfields

static_assert(sizeof(FoldFields) == 16 && sizeof(RareFields) == 16,
              "a fold's fields stay small: they are made for every header and end");

static_assert(sizeof(LineNode) <= 24, "a line node stays small: it is made for every line");

LineExtra& extraOf(LineNode& n) {
  if (!n.extra()) n.extra() = new LineExtra;
  return *n.extra();
}

void dropExtra(LineNode& n) { n.extra() = nullptr; }

void copyExtra(LineNode& to, const LineNode& from) {
  if (to.extra() == from.extra()) return;
  dropExtra(to);
  if (!from.extra()) return;
  LineExtra& x = extraOf(to);
  const LineExtra& f = *from.extra();
  x.leadShift = f.leadShift;
  x.lead = f.lead;
  x.tail = f.tail;
  x.after = f.after;
  x.attributeLine = f.attributeLine;
  for (int i = 0; i < kVerbatimSlots; ++i)
    if (f.verbatim[i]) x.verbatim[i] = std::make_unique<VerbatimLine>(*f.verbatim[i]);
}

void inheritLead(LineNode& to, const LineNode& from, int tabSize) {
  const LineExtra* f = from.extra();
  if (!f || f->leadShift < 0) return;
  // Only white space that fills the fold's columns; a line less indented
  // than its fold keeps its own.
  if (expandToColumn(f->lead.c_str(), f->lead.size(), tabSize) != f->leadShift) return;
  LineExtra& x = extraOf(to);
  x.lead = f->lead;
  x.leadShift = f->leadShift;
}

int32_t unitNodeCount(const LineNode* node) {
  if (!isClosedHeader(node)) return 1;
  // Walk as newLineNode will when it hands the unit out again: into every
  // closed header, along next otherwise, up to the line after the unit.
  int32_t count = 0;
  const LineNode* stop = node->next;
  for (const LineNode* n = node; n && n != stop; n = isClosedHeader(n) ? n->inner() : n->next)
    ++count;
  return count;
}

void dispose(LineStore& store, LineNode* node) {
  linkAfter(store.disposeTail, node);
  node->next = nullptr;
  if (isClosedHeader(node) && node->partner()) node->partner()->next = nullptr;
  store.disposeTail = node;
  store.ctx.freeCount += unitNodeCount(node);
}

LineNode* takeBack(LineStore& store) {
  if (store.disposeHead == store.disposeTail) return nullptr;
  LineNode* node = store.disposeTail;
  LineNode* before = node->prev;
  store.disposeTail = before;
  before->next = nullptr;
  if (isClosedHeader(before) && before->partner()) before->partner()->next = nullptr;
  node->prev = nullptr;
  node->next = nullptr;
  if (isClosedHeader(node) && node->partner()) node->partner()->next = nullptr;
  store.ctx.freeCount -= unitNodeCount(node);
  if (store.ctx.freeCount < 0) store.ctx.freeCount = 0;
  return node;
}

LineNode* nextInFile(const LineNode* node) {
  return node->kind == ClosedFold ? node->inner() : node->next;
}

int32_t lineCount(const LineNode* node) {
  if (node->kind != ClosedFold) return 1;
  int32_t count = 0;
  const LineNode* stop = node->next;
  for (const LineNode* n = node; n && n != stop; n = nextInFile(n)) ++count;
  return count;
}

void close(LineNode* h) {
  LineNode* e = h->partner();
  journal::touch(h);
  h->kind = ClosedFold;
  h->inner() = h->next;
  h->next = e->next;
  if (e->next) e->next->prev = h;
  int32_t c = h->indent;
  journal::touch(h);
  h->indent = c - h->markerColumn();
  for (LineNode* q = h->inner(); q; q = q->next) {
    if (q->kind == OpenFold) close(q);
    journal::touch(q);
    q->indent -= c;
    if (q == e) break;
  }
}

namespace {

// A number from a "Key:   value kB" line of a /proc file, in bytes.
long long procValue(const char* path, const char* key) {
  FILE* f = std::fopen(path, "r");
  if (!f) return -1;
  char line[256];
  long long v = -1;
  const size_t n = std::strlen(key);
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, key, n) == 0) {
      v = std::atoll(line + n) * 1024;
      break;
    }
  }
  std::fclose(f);
  return v;
}

long long fileNumber(const char* path) {
  FILE* f = std::fopen(path, "r");
  if (!f) return -1;
  char buf[64] = {0};
  long long v = -1;
  if (std::fgets(buf, sizeof buf, f) && buf[0] >= '0' && buf[0] <= '9') v = std::atoll(buf);
  std::fclose(f);
  return v;
}

// The bytes this process may still take: what the system has free (with
// swap), what the control group allows, and what the address-space limit
// leaves. Asked again at most every quarter second.
long long bytesLeft() {
  using Clock = std::chrono::steady_clock;
  static Clock::time_point asked{};
  static long long cached = 0;
  static unsigned calls = 0;
  // The clock itself is asked only every so many lines.
  if (cached > 0 && (++calls & 1023) != 0) return cached;
  const Clock::time_point now = Clock::now();
  if (cached > 0 && now - asked < std::chrono::milliseconds(250)) return cached;
  asked = now;
  long long left = -1;
  auto least = [&](long long v) {
    if (v >= 0 && (left < 0 || v < left)) left = v;
  };
  long long avail = procValue("/proc/meminfo", "MemAvailable:");
  long long swap = procValue("/proc/meminfo", "SwapFree:");
  if (avail >= 0) least(avail + (swap > 0 ? swap : 0));
  long long max = fileNumber("/sys/fs/cgroup/memory.max");
  long long used = fileNumber("/sys/fs/cgroup/memory.current");
  if (max >= 0 && used >= 0) least(max > used ? max - used : 0);
  struct rlimit rl;
  if (::getrlimit(RLIMIT_AS, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY) {
    long long vm = procValue("/proc/self/status", "VmSize:");
    // The nodes' region is address space, not yet memory.
    if (vm >= 0) vm -= static_cast<long long>(noderegion::unusedBytes());
    long long lim = static_cast<long long>(rl.rlim_cur);
    least(vm >= 0 && lim > vm ? lim - vm : 0);
  }
  cached = left >= 0 ? left : (1LL << 40);
  return cached;
}

// What a line costs: its node, a text of the usual length and the heap's
// bookkeeping.
constexpr long long kBytesPerLine = static_cast<long long>(sizeof(LineNode)) + 64;

}  // namespace

long long linesAllowed(const LineStore& store) {
  const long long fromMemory =
      store.lineAllowance >= 0 ? store.lineAllowance : bytesLeft() / kBytesPerLine;
  return fromMemory + store.ctx.freeCount;
}

bool lineBudget(LineStore& store, int32_t n) {
  long long allowance = linesAllowed(store);
  long long left = allowance - n - 2;
  char buf[160];
  if (left >= 200) return true;
  if (left >= 0) {
    std::snprintf(buf, sizeof buf, "Running out of memory. %lld lines left.", left);
    store.host.statusMessage(buf);
    return true;
  }
  std::snprintf(buf, sizeof buf,
                "Not enough memory to create lines. Need %d but only have %lld lines left.", n,
                allowance - 2);
  store.host.statusMessage(buf);
  return false;
}

int32_t headerColumn(const LineNode* node) {
  return node->kind == OpenFold ? node->indent - node->markerColumn() : node->indent;
}

int32_t foldColumn(const LineNode* node) { return node->indent + node->markerColumn(); }

void buildFileChain(LineStore& store) {
  LineNode* top = newLineNode(store);
  LineNode* root = newLineNode(store);
  LineNode* bottom = newLineNode(store);
  top->prev = nullptr;
  journal::touch(root);
  root->kind = FileTop;
  journal::touch(bottom);
  bottom->kind = FoldEnd;
  linkAfter(top, root);
  linkAfter(root, bottom);
  bottom->next = nullptr;
  root->partner() = bottom;
  bottom->partner() = root;
  store.levelTop = top;
  store.levelBottom = bottom;
  store.fileTop = top;
  store.fileBottom = bottom;
}

void finishFileChain(LineStore& store) {
  store.fileTop = store.levelTop;
  store.fileBottom = store.levelBottom;
  if (store.viewer) store.viewer->fileRead(firstLineOf(store));
}

int firstNonBlank(const char* text) {
  int i = 0;
  while (text[i] == ' ') ++i;
  return i + 1;
}

size_t lengthWithoutTrailing(const char* text) {
  size_t n = std::strlen(text);
  while (n > 0 && text[n - 1] == ' ') --n;
  return n;
}

void stripTrailing(char* text) { text[lengthWithoutTrailing(text)] = '\0'; }

int expandToColumn(const char* text, size_t pos, int tabSize, int startColumn) {
  if (tabSize < 1) tabSize = 1;
  int col = startColumn;
  for (size_t i = 0; i < pos && text[i]; ++i) {
    if (text[i] == '\t')
      col = (col / tabSize + 1) * tabSize;
    else
      ++col;
  }
  return col;
}

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}
