// The undo history of one file of a document.
//
// A change record keeps, for every node a step changed, what the node held
// before (its image), and the document's own pointers before and after.
// Undoing swaps each image with its node, so that the record then holds
// what redo puts back: a step costs memory in proportion to the nodes it
// changed, and undo and redo cost time in proportion to the same.
//
// Moves that change no line (opening, entering, closing folds) change
// nodes too. What they change joins the record of the step before them,
// so that undo takes the view back with the lines; after an undo or a redo
// it is kept apart and put back before the next one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/linenode.hpp"

struct LineStore;

// What a node held, or (after a swap) what it will hold again. The text
// is kept only once the step changes it: most nodes a step touches (the
// lines of a fold opened and closed again) keep theirs.
struct NodeImage {
  char* text = nullptr;  // a line text buffer of its own, or null
  LineExtra* extra = nullptr;
  NodeLink self;  // the node
  NodeLink prev, next, inner, partner;
  int32_t indent = 0;
  int32_t markerColumn = 0;
  uint32_t foldType = 0;
  uint32_t foldContents = 1;
  LineKind kind = TextLine;
  uint8_t mark = 0;
  int8_t savedRow = 0;
  bool hasFields = false;
  bool hasText = false;  // text holds what the node's text was

  LineNode* node() const { return self.get(); }
  NodeImage() = default;
  NodeImage(NodeImage&& o) noexcept;
  NodeImage& operator=(NodeImage&& o) noexcept;
  ~NodeImage();
};

// Node indexes onto image numbers: open addressing, for the many lookups
// of a step that touches most of a big file. The slot of a key is the key
// itself (modulo the table): the nodes of a file lie in order, so a step
// that walks the file walks the table in order too.
class NodeIndexMap {
 public:
  // The value of key, or null.
  uint32_t* find(uint32_t key);
  // The value of key, made with `value` when it is not there (inserted).
  uint32_t* findOrInsert(uint32_t key, uint32_t value, bool& inserted);
  // Adds key with value; false (and nothing changed) when it is there.
  bool insert(uint32_t key, uint32_t value);
  void clear();
  size_t size() const { return used_; }
  size_t bytes() const { return slots_.size() * sizeof(uint64_t); }

 private:
  void grow();
  std::vector<uint64_t> slots_;  // key << 32 | value; 0: empty (keys are never 0)
  size_t used_ = 0;
};

// The document's own pointers that steps and moves change.
struct DocumentState {
  LineNode* fileTop = nullptr;
  LineNode* fileBottom = nullptr;
  LineNode* levelTop = nullptr;
  LineNode* levelBottom = nullptr;
  LineNode* disposeHead = nullptr;
  LineNode* disposeTail = nullptr;
  long long freeCount = 0;

  static DocumentState of(const LineStore& s);
  void applyTo(LineStore& s) const;
};

// What the view around the document keeps of itself with each record.
struct ViewState {
  virtual ~ViewState() = default;
};

struct ChangeRecord {
  ChangeRecord() = default;
  ChangeRecord(const ChangeRecord&) = delete;
  ChangeRecord& operator=(const ChangeRecord&) = delete;

  uint64_t id = 0;  // the state after the step (0: not a step)
  DocumentState before, after;
  std::unique_ptr<ViewState> viewBefore, viewAfter;
  // A run of typing on this line goes on in this record.
  LineNode* typingLine = nullptr;
  // The step wrote files (filing, unfiling, attach): undo cannot unwrite.
  bool wroteFiles = false;

  // The node is about to change: its fields, or (text) its text too.
  void touched(LineNode& n, bool text);
  void made(LineNode& n);
  // The step ended: images of nodes that hold again what they held
  // before (a fold opened and closed again) go.
  void dropUnchanged();
  // Every image with its node (the view's rows are the store's to mend).
  void swapImages(LineStore& store);
  // What a later record saw first and this one did not see joins it.
  void absorb(ChangeRecord& later);
  // The nodes made by this record, which an undo left out of the tree:
  // their texts and fields go (the record is dropped from the redo list).
  void freeMade();
  size_t bytes() const { return bytes_; }
  size_t nodes() const { return count_; }

 private:
  static constexpr uint32_t kMade = UINT32_MAX;
  static constexpr uint32_t kBlockShift = 10;
  NodeImage& image(uint32_t i) {
    return blocks_[i >> kBlockShift][i & ((1u << kBlockShift) - 1)];
  }
  NodeImage& newImage();
  void reindex();
  // Images in blocks that never move, so that a step of a million nodes
  // grows its record without copying it.
  std::vector<std::unique_ptr<NodeImage[]>> blocks_;
  uint32_t count_ = 0;
  NodeIndexMap seen_;  // node index -> image, or kMade
  // The node touched last, whose next touches (most writes come in runs on
  // one node) need no lookup.
  uint32_t lastKey_ = 0;
  bool lastHasText_ = false;
  std::vector<uint32_t> made_;
  size_t bytes_ = 0;
};

class History {
 public:
  History() = default;
  ~History();
  History(const History&) = delete;
  History& operator=(const History&) = delete;

  // Bounds: the oldest steps go first when either is passed (the newest
  // step is always kept).
  size_t maxSteps = 1000;
  size_t maxBytes = size_t(64) << 20;

  // The record that writes go to now, or null (nothing would use them).
  ChangeRecord* open() const;

  // A command that may change the file begins. With typingLine set it is
  // typing on that line, which goes on in the record of the typing just
  // before it.
  void begin(const DocumentState& state, std::unique_ptr<ViewState> view, LineNode* typingLine);
  // The command ended; changed: it changed the file (a step).
  void end(bool changed);
  // Typing stops going on in the last record (a command ran).
  void endTyping() { typingGoesOn_ = false; }

  bool canUndo() const { return !done_.empty(); }
  bool canRedo() const { return !undone_.empty(); }
  // The moves since the last undo or redo, put back first (null: none).
  std::unique_ptr<ChangeRecord> takeSince();
  // Undo: the last step, moved to the redo list by the caller (push).
  std::unique_ptr<ChangeRecord> popDone();
  std::unique_ptr<ChangeRecord> popUndone();
  void pushUndone(std::unique_ptr<ChangeRecord> r);
  void pushDone(std::unique_ptr<ChangeRecord> r);
  // After an undo or redo: moves from here on are kept apart.
  void startSince(const DocumentState& state, std::unique_ptr<ViewState> view);

  // The state the file is in: the last step done (with none left, the
  // last step dropped past the bounds; 0: the start).
  uint64_t stateId() const { return done_.empty() ? baseId_ : done_.back()->id; }
  // The file was written as it stands (at the end of the command when one
  // is running).
  void markSaved();
  bool atSaved() const { return stateId() == savedId_; }

  // The running command wrote files (its undo says they stay written).
  void pendingWroteFiles() {
    if (pending_) pending_->wroteFiles = true;
  }
  // Names this history among those a document has had.
  const uint64_t serial = ++serials_;

  size_t steps() const { return done_.size(); }
  size_t redoSteps() const { return undone_.size(); }
  size_t bytes() const;

 private:
  void dropRedo();
  void trim();
  std::unique_ptr<ChangeRecord> popFrom(std::vector<std::unique_ptr<ChangeRecord>>& list);
  static void absorbMoves(ChangeRecord& into, ChangeRecord& moves);
  void listen();

  std::vector<std::unique_ptr<ChangeRecord>> done_, undone_;
  std::unique_ptr<ChangeRecord> since_;    // moves since the last undo or redo
  std::unique_ptr<ChangeRecord> pending_;  // the command running now
  bool typingGoesOn_ = false;
  bool continuing_ = false;  // the running command types on in done_.back()
  bool listening_ = false;
  bool savePending_ = false;
  uint64_t savedId_ = 0;
  uint64_t baseId_ = 0;
  uint64_t nextId_ = 1;
  static inline uint64_t serials_ = 0;
};
