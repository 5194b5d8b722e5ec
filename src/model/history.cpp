#include "model/history.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#include "model/linestore.hpp"

namespace {

uint32_t indexOf(const LineNode& n) { return static_cast<uint32_t>(&n - noderegion::base); }

char* copyText(const char* t) {
  if (!t) return nullptr;
  const size_t n = std::strlen(t);
  auto* p = static_cast<char*>(allocLineText(n + 1));
  std::memcpy(p, t, n + 1);
  return p;
}

LineExtra* cloneExtra(const LineExtra* f) {
  if (!f) return nullptr;
  auto* x = new LineExtra;
  x->leadShift = f->leadShift;
  x->lead = f->lead;
  x->tail = f->tail;
  x->after = f->after;
  x->attributeLine = f->attributeLine;
  for (int i = 0; i < kVerbatimSlots; ++i)
    if (f->verbatim[i]) x->verbatim[i] = std::make_unique<VerbatimLine>(*f->verbatim[i]);
  return x;
}

size_t extraBytes(const LineExtra* x) {
  if (!x) return 0;
  size_t b = sizeof(LineExtra) + x->lead.capacity() + x->tail.capacity() + x->after.capacity();
  for (const auto& v : x->verbatim)
    if (v) b += sizeof(VerbatimLine) + v->composed.capacity() + v->read.capacity();
  return b;
}

// What a node's own word, links and fold fields hold (not its text or extra).
void readFields(NodeImage& im, LineNode& n) {
  im.self = &n;
  im.prev = n.prev;
  im.next = n.next;
  im.indent = n.indent;
  im.kind = n.kind;
  im.mark = n.mark;
  im.hasFields = n.fields != 0;
  const FoldFields& f = n.fieldsOrDefaults();
  im.inner = f.inner;
  im.partner = f.partner;
  im.markerColumn = f.markerColumn;
  im.savedRow = n.savedRow();
  im.foldType = n.foldType();
  im.foldContents = n.foldContents();
}

// Bytes an image and its entry in the record's index take.
constexpr size_t kImageBytes = sizeof(NodeImage) + 48;

}  // namespace

NodeImage::NodeImage(NodeImage&& o) noexcept { *this = std::move(o); }

NodeImage& NodeImage::operator=(NodeImage&& o) noexcept {
  if (this == &o) return *this;
  if (text) freeOrRelease(text);
  delete extra;
  self = o.self;
  text = o.text;
  extra = o.extra;
  o.text = nullptr;
  o.extra = nullptr;
  prev = o.prev;
  next = o.next;
  inner = o.inner;
  partner = o.partner;
  indent = o.indent;
  markerColumn = o.markerColumn;
  foldType = o.foldType;
  foldContents = o.foldContents;
  kind = o.kind;
  mark = o.mark;
  savedRow = o.savedRow;
  hasFields = o.hasFields;
  hasText = o.hasText;
  return *this;
}

NodeImage::~NodeImage() {
  if (text) freeOrRelease(text);
  delete extra;
}

namespace {

// The pointers a state keeps, copied either way (store and state name them
// alike).
template <class To, class From>
void copyPointers(To& to, const From& from) {
  to.fileTop = from.fileTop;
  to.fileBottom = from.fileBottom;
  to.levelTop = from.levelTop;
  to.levelBottom = from.levelBottom;
  to.disposeHead = from.disposeHead;
  to.disposeTail = from.disposeTail;
}

}  // namespace

DocumentState DocumentState::of(const LineStore& s) {
  DocumentState d;
  copyPointers(d, s);
  d.freeCount = s.ctx.freeCount;
  return d;
}

void DocumentState::applyTo(LineStore& s) const {
  copyPointers(s, *this);
  s.ctx.freeCount = freeCount;
}

uint32_t* NodeIndexMap::find(uint32_t key) {
  if (slots_.empty()) return nullptr;
  const size_t mask = slots_.size() - 1;
  for (size_t i = key & mask;; i = (i + 1) & mask) {
    uint64_t& s = slots_[i];
    if (s == 0) return nullptr;
    if (static_cast<uint32_t>(s >> 32) == key) return reinterpret_cast<uint32_t*>(&s);
  }
}

uint32_t* NodeIndexMap::findOrInsert(uint32_t key, uint32_t value, bool& inserted) {
  if ((used_ + 1) * 4 > slots_.size() * 3) grow();
  const size_t mask = slots_.size() - 1;
  for (size_t i = key & mask;; i = (i + 1) & mask) {
    uint64_t& s = slots_[i];
    if (s == 0) {
      s = uint64_t(key) << 32 | value;
      ++used_;
      inserted = true;
      return reinterpret_cast<uint32_t*>(&s);
    }
    if (static_cast<uint32_t>(s >> 32) == key) {
      inserted = false;
      return reinterpret_cast<uint32_t*>(&s);
    }
  }
}

bool NodeIndexMap::insert(uint32_t key, uint32_t value) {
  bool inserted = false;
  findOrInsert(key, value, inserted);
  return inserted;
}

void NodeIndexMap::grow() {
  std::vector<uint64_t> old = std::move(slots_);
  slots_.assign(old.empty() ? 64 : old.size() * 2, 0);
  used_ = 0;
  for (uint64_t s : old)
    if (s) insert(static_cast<uint32_t>(s >> 32), static_cast<uint32_t>(s));
}

void NodeIndexMap::clear() {
  slots_.clear();
  used_ = 0;
}

// The value half of a slot found (little-endian: the low word comes first).
static_assert(std::endian::native == std::endian::little);

NodeImage& ChangeRecord::newImage() {
  const uint32_t i = count_++;
  if ((i >> kBlockShift) >= blocks_.size())
    blocks_.push_back(std::make_unique<NodeImage[]>(size_t(1) << kBlockShift));
  return image(i);
}

void ChangeRecord::touched(LineNode& n, bool text) {
  const uint32_t key = indexOf(n);
  if (key == lastKey_ && (lastHasText_ || !text)) return;
  bool inserted = false;
  const uint32_t at = *seen_.findOrInsert(key, count_, inserted);
  lastKey_ = key;
  lastHasText_ = at == kMade;
  NodeImage* im;
  if (!inserted) {
    if (at == kMade || !text) return;
    im = &image(at);
    lastHasText_ = true;
    if (im->hasText) return;
  } else {
    im = &newImage();
    readFields(*im, n);
    im->extra = cloneExtra(n.extra());
    bytes_ += kImageBytes + extraBytes(im->extra);
    if (!text) return;
  }
  im->text = copyText(n.text);
  im->hasText = true;
  lastHasText_ = true;
  bytes_ += n.text ? std::strlen(n.text) + 1 : 0;
}

void ChangeRecord::made(LineNode& n) {
  if (!seen_.insert(indexOf(n), kMade)) return;
  lastKey_ = 0;
  made_.push_back(indexOf(n));
  bytes_ += 16;
}

void ChangeRecord::swapImages(LineStore& store) {
  journal::Pause quiet;
  for (uint32_t i = 0; i < count_; ++i) {
    NodeImage& im = image(i);
    LineNode& n = *im.node();
    NodeImage now;
    readFields(now, n);
    if (im.hasText) {
      now.text = n.text;
      now.hasText = true;
      n.text = im.text;
      im.text = nullptr;
    }
    if (n.hasRare()) now.extra = foldfields::rareAt(foldfields::at(n.fields).rare).extra.release();

    n.prev = im.prev;
    n.next = im.next;
    n.indent = im.indent;
    n.kind = im.kind;
    n.mark = im.mark;
    if (!im.hasFields) {
      n.dropFields();
    } else {
      n.inner() = im.inner.get();
      n.partner() = im.partner.get();
      n.markerColumn() = im.markerColumn;
      n.savedRow() = im.savedRow;
      n.foldType() = im.foldType;
      n.foldContents() = im.foldContents;
      n.extra() = im.extra;
      im.extra = nullptr;
    }
    // Highlighting is worked out again from here.
    n.lineState = kStateRecompute;
    im = std::move(now);
  }
  for (uint32_t i = 0; i < count_; ++i) store.computeRows(image(i).node());
}

namespace {

bool sameAsNode(const NodeImage& im, const LineNode& n) {
  if (im.extra || n.extra()) return false;
  const FoldFields& f = n.fieldsOrDefaults();
  if (im.prev.get() != n.prev.get() || im.next.get() != n.next.get() ||
      im.indent != n.indent || im.kind != n.kind || im.mark != n.mark ||
      im.inner.get() != f.inner.get() || im.partner.get() != f.partner.get() ||
      im.markerColumn != f.markerColumn || im.savedRow != n.savedRow() ||
      im.foldType != n.foldType() || im.foldContents != n.foldContents())
    return false;
  if (!im.hasText) return true;
  if (!im.text || !n.text) return im.text == n.text;
  return std::strcmp(im.text, n.text) == 0;
}

}  // namespace

void ChangeRecord::dropUnchanged() {
  uint32_t kept = 0;
  for (uint32_t i = 0; i < count_; ++i) {
    NodeImage& im = image(i);
    if (sameAsNode(im, *im.node())) {
      bytes_ -= std::min(bytes_, kImageBytes + (im.text ? std::strlen(im.text) + 1 : 0));
      im = NodeImage();
      continue;
    }
    if (kept != i) image(kept) = std::move(im);
    ++kept;
  }
  count_ = kept;
  blocks_.resize((count_ + (1u << kBlockShift) - 1) >> kBlockShift);
  reindex();
}

void ChangeRecord::reindex() {
  lastKey_ = 0;
  seen_.clear();
  for (uint32_t i = 0; i < count_; ++i) seen_.insert(indexOf(*image(i).node()), i);
  for (uint32_t m : made_) seen_.insert(m, kMade);
}

void ChangeRecord::absorb(ChangeRecord& later) {
  for (uint32_t j = 0; j < later.count_; ++j) {
    NodeImage& im = later.image(j);
    const uint32_t key = indexOf(*im.node());
    if (uint32_t* at = seen_.find(key)) {
      // Seen here first: only a text this record did not keep is news.
      if (*at != kMade && im.hasText && !image(*at).hasText) {
        NodeImage& mine = image(*at);
        mine.text = im.text;
        mine.hasText = true;
        im.text = nullptr;
        bytes_ += mine.text ? std::strlen(mine.text) + 1 : 0;
      }
      continue;
    }
    seen_.insert(key, count_);
    bytes_ += kImageBytes + (im.text ? std::strlen(im.text) + 1 : 0) + extraBytes(im.extra);
    newImage() = std::move(im);
  }
  for (uint32_t i : later.made_) {
    if (!seen_.insert(i, kMade)) continue;
    made_.push_back(i);
    bytes_ += 16;
  }
  later.blocks_.clear();
  later.count_ = 0;
  later.seen_.clear();
  later.lastKey_ = 0;
  later.made_.clear();
  later.bytes_ = 0;
}

void ChangeRecord::freeMade() {
  journal::Pause quiet;
  for (uint32_t i : made_) {
    LineNode& n = noderegion::base[i];
    if (n.text) freeOrRelease(n.text);
    n.text = nullptr;
    n.dropFields();
  }
  made_.clear();
}

History::~History() {
  dropRedo();
  if (listening_) --journal::listeners;
}

ChangeRecord* History::open() const {
  if (pending_) return pending_.get();
  if (since_) return since_.get();
  if (!done_.empty()) return done_.back().get();
  return nullptr;
}

void History::begin(const DocumentState& state, std::unique_ptr<ViewState> view,
                    LineNode* typingLine) {
  if (pending_) return;  // a command inside a command: one step
  if (typingLine && typingGoesOn_ && !since_ && !done_.empty() &&
      done_.back()->typingLine == typingLine) {
    continuing_ = true;
    return;
  }
  typingGoesOn_ = false;
  pending_ = std::make_unique<ChangeRecord>();
  pending_->before = state;
  pending_->viewBefore = std::move(view);
  pending_->typingLine = typingLine;
  listen();
}

// Moves over much of the file (every fold opened) may have been taken back
// since (every fold closed): what holds as before again goes, so that the
// moves after a step do not keep the step the size of the file.
void History::absorbMoves(ChangeRecord& into, ChangeRecord& moves) {
  // Only when the moves are a good share of the whole, so that the look
  // over the record costs no more than the moves did.
  const size_t n = moves.nodes();
  into.absorb(moves);
  if (n >= 64 && n * 4 >= into.nodes()) into.dropUnchanged();
}

void History::end(bool changed) {
  if (continuing_) {
    continuing_ = false;
  } else if (pending_) {
    std::unique_ptr<ChangeRecord> r = std::move(pending_);
    if (changed) {
      dropRedo();
      if (since_ && !done_.empty()) absorbMoves(*done_.back(), *since_);
      since_.reset();
      r->dropUnchanged();
      r->id = nextId_++;
      typingGoesOn_ = r->typingLine != nullptr;
      done_.push_back(std::move(r));
      trim();
    } else if (ChangeRecord* into = open()) {
      absorbMoves(*into, *r);
    }
  }
  if (savePending_) {
    savedId_ = stateId();
    savePending_ = false;
  }
  listen();
}

std::unique_ptr<ChangeRecord> History::takeSince() {
  std::unique_ptr<ChangeRecord> r = std::move(since_);
  listen();
  return r;
}

std::unique_ptr<ChangeRecord> History::popFrom(std::vector<std::unique_ptr<ChangeRecord>>& list) {
  typingGoesOn_ = false;
  std::unique_ptr<ChangeRecord> r = std::move(list.back());
  list.pop_back();
  listen();
  return r;
}

std::unique_ptr<ChangeRecord> History::popDone() { return popFrom(done_); }
std::unique_ptr<ChangeRecord> History::popUndone() { return popFrom(undone_); }

void History::pushUndone(std::unique_ptr<ChangeRecord> r) { undone_.push_back(std::move(r)); }

void History::pushDone(std::unique_ptr<ChangeRecord> r) {
  done_.push_back(std::move(r));
  listen();
}

void History::startSince(const DocumentState& state, std::unique_ptr<ViewState> view) {
  since_ = std::make_unique<ChangeRecord>();
  since_->before = state;
  since_->viewBefore = std::move(view);
  listen();
}

void History::markSaved() {
  if (pending_ || continuing_)
    savePending_ = true;
  else
    savedId_ = stateId();
}

size_t History::bytes() const {
  size_t b = since_ ? since_->bytes() : 0;
  for (const auto& r : done_) b += r->bytes();
  for (const auto& r : undone_) b += r->bytes();
  return b;
}

void History::dropRedo() {
  for (auto& r : undone_) r->freeMade();
  undone_.clear();
}

void History::trim() {
  while (done_.size() > 1 && (done_.size() > maxSteps || bytes() > maxBytes)) {
    baseId_ = done_.front()->id;
    done_.erase(done_.begin());
  }
}

void History::listen() {
  const bool now = open() != nullptr;
  if (now == listening_) return;
  journal::listeners += now ? 1 : -1;
  listening_ = now;
}

static_assert(sizeof(NodeImage) <= 64, "an image stays small: a step may keep one for every line");
