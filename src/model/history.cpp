#include "model/history.hpp"

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
  im.node = &n;
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
  node = o.node;
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
  return *this;
}

NodeImage::~NodeImage() {
  if (text) freeOrRelease(text);
  delete extra;
}

DocumentState DocumentState::of(const LineStore& s) {
  DocumentState d;
  d.fileTop = s.fileTop;
  d.fileBottom = s.fileBottom;
  d.levelTop = s.levelTop;
  d.levelBottom = s.levelBottom;
  d.currentLine = s.currentLine;
  d.disposeHead = s.disposeHead;
  d.disposeTail = s.disposeTail;
  d.freeCount = s.ctx.freeCount;
  return d;
}

void DocumentState::applyTo(LineStore& s) const {
  s.fileTop = fileTop;
  s.fileBottom = fileBottom;
  s.levelTop = levelTop;
  s.levelBottom = levelBottom;
  s.currentLine = currentLine;
  s.disposeHead = disposeHead;
  s.disposeTail = disposeTail;
  s.ctx.freeCount = freeCount;
}

void ChangeRecord::touched(LineNode& n) {
  const auto [it, fresh] = seen_.try_emplace(indexOf(n), static_cast<uint32_t>(images_.size()));
  if (!fresh) return;
  NodeImage& im = images_.emplace_back();
  readFields(im, n);
  im.text = copyText(n.text);
  im.extra = cloneExtra(n.extra());
  bytes_ += kImageBytes + (n.text ? std::strlen(n.text) + 1 : 0) + extraBytes(im.extra);
}

void ChangeRecord::made(LineNode& n) {
  if (!seen_.try_emplace(indexOf(n), kMade).second) return;
  made_.push_back(indexOf(n));
  bytes_ += 48;
}

void ChangeRecord::swapImages(LineStore& store) {
  journal::Pause quiet;
  for (NodeImage& im : images_) {
    LineNode& n = *im.node;
    NodeImage now;
    readFields(now, n);
    now.text = n.text;
    n.text = nullptr;
    if (n.hasRare()) now.extra = foldfields::rareAt(foldfields::at(n.fields).rare).extra.release();

    n.text = im.text;
    im.text = nullptr;
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
  for (NodeImage& im : images_) store.computeRows(im.node);
}

void ChangeRecord::absorb(ChangeRecord& later) {
  for (NodeImage& im : later.images_) {
    const uint32_t i = indexOf(*im.node);
    if (seen_.count(i)) continue;
    seen_.emplace(i, static_cast<uint32_t>(images_.size()));
    bytes_ += kImageBytes + (im.text ? std::strlen(im.text) + 1 : 0) + extraBytes(im.extra);
    images_.push_back(std::move(im));
  }
  for (uint32_t i : later.made_) {
    if (!seen_.emplace(i, kMade).second) continue;
    made_.push_back(i);
    bytes_ += 48;
  }
  later.images_.clear();
  later.seen_.clear();
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

void History::end(bool changed) {
  if (continuing_) {
    continuing_ = false;
  } else if (pending_) {
    std::unique_ptr<ChangeRecord> r = std::move(pending_);
    if (changed) {
      dropRedo();
      if (since_ && !done_.empty()) done_.back()->absorb(*since_);
      since_.reset();
      r->id = nextId_++;
      typingGoesOn_ = r->typingLine != nullptr;
      done_.push_back(std::move(r));
      trim();
    } else if (ChangeRecord* into = open()) {
      into->absorb(*r);
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

std::unique_ptr<ChangeRecord> History::popDone() {
  typingGoesOn_ = false;
  std::unique_ptr<ChangeRecord> r = std::move(done_.back());
  done_.pop_back();
  listen();
  return r;
}

std::unique_ptr<ChangeRecord> History::popUndone() {
  typingGoesOn_ = false;
  std::unique_ptr<ChangeRecord> r = std::move(undone_.back());
  undone_.pop_back();
  listen();
  return r;
}

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
  while (done_.size() > 1 && (done_.size() > maxSteps || bytes() > maxBytes))
    done_.erase(done_.begin());
}

void History::listen() {
  const bool now = open() != nullptr;
  if (now == listening_) return;
  journal::listeners += now ? 1 : -1;
  listening_ = now;
}
