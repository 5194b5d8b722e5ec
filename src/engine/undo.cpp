#include "engine/undo.hpp"

#include <memory>

#include "engine/layout.hpp"
#include "engine/statusline.hpp"
#include "engine/view.hpp"
#include "engine/viewmetrics.hpp"

namespace {

// Where the view stood, kept with each step.
struct ViewSnapshot : ViewState {
  LineNode* currentLine = nullptr;
  int32_t cursorRow = 1;
  int32_t cursorCol = 0;
  int32_t curSubRow = 0;
  int32_t leftColumn = 0;
  int32_t textColumn = 1;
  LineNode* topLine = nullptr;
  int32_t topSubRow = 0;
  int32_t foldDepth = 0;
  int32_t depthOffset = 0;
  LineNode* deletedLine = nullptr;
  LineNode* moveSlot = nullptr;
  LineNode* pickHead = nullptr;
  LineNode* pickTail = nullptr;
  // A fold being made: its start line is in the tree.
  bool createFoldMode = false;
  LineNode* foldStartLine = nullptr;
  int32_t createFoldColumn = 0;
};

// The fields a snapshot keeps, copied either way (view and snapshot name
// them alike).
template <class To, class From>
void copyPlace(To& to, const From& from) {
  to.currentLine = from.currentLine;
  to.cursorRow = from.cursorRow;
  to.cursorCol = from.cursorCol;
  to.curSubRow = from.curSubRow;
  to.leftColumn = from.leftColumn;
  to.textColumn = from.textColumn;
  to.topLine = from.topLine;
  to.topSubRow = from.topSubRow;
  to.foldDepth = from.foldDepth;
  to.depthOffset = from.depthOffset;
  to.deletedLine = from.deletedLine;
  to.moveSlot = from.moveSlot;
  to.pickHead = from.pickHead;
  to.pickTail = from.pickTail;
  to.createFoldMode = from.createFoldMode;
  to.foldStartLine = from.foldStartLine;
  to.createFoldColumn = from.createFoldColumn;
}

std::unique_ptr<ViewState> snapshotOf(const View& w) {
  auto s = std::make_unique<ViewSnapshot>();
  copyPlace(*s, w);
  return s;
}

// Whether row `row` from the top line reaches the cursor's piece.
bool cursorAtRow(View& w, int row) {
  ViewPos p{w.topLine, w.topSubRow};
  if (!p.line) return false;
  for (int r = 1; r < row; ++r)
    if (!stepDown(w, p)) return false;
  return p.line == w.currentLine && p.subRow == w.curSubRow;
}

// The document and the view as the snapshot says; the screen follows.
void restore(View& w, const DocumentState& doc, const ViewState* view) {
  doc.applyTo(w.doc);
  // Marks, the block and the match may name lines that are gone now.
  if (w.markActive) w.clearMark();
  w.clearFound();
  w.blockActive = false;
  if (const auto* s = dynamic_cast<const ViewSnapshot*>(view)) copyPlace(w, *s);
  invalidateViewMetrics(w);
  if (w.cursorRow >= 1 && w.cursorRow <= w.screenRows && cursorAtRow(w, w.cursorRow))
    Redraw(w, 1);
  else
    PlaceCursor(w, w.cursorRow);
  w.changed.all();
  if (w.hooks.enterLine) w.hooks.enterLine(w);
  if (w.hooks.levelChanged) w.hooks.levelChanged(w);
}

// Puts back what was moved through since the last undo or redo.
void putBackSince(View& w, History& h) {
  if (std::unique_ptr<ChangeRecord> since = h.takeSince()) {
    since->swapImages(w.doc);
    restore(w, since->before, since->viewBefore.get());
    since->freeMade();
  }
}

void followHistory(View& w, History& h) {
  w.doc.modified = !h.atSaved();
  h.startSince(DocumentState::of(w.doc), snapshotOf(w));
  refreshStatus(w);
}

}  // namespace

ChangeScope::ChangeScope(View& w, LineNode* typingLine)
    : w_(w),
      depth_(w.doc.historyDepth()),
      serial_(w.doc.history().serial),
      changes_(w.doc.changes) {
  w.doc.history().begin(DocumentState::of(w.doc), snapshotOf(w), typingLine);
  outer_ = w.step;
  if (!outer_) w.step = this;
}

ChangeScope::~ChangeScope() {
  if (w_.step == this) w_.step = outer_;
  // Entering or leaving a filed file, or reading the file again, may have
  // ended the history the command began in.
  if (History* h = w_.doc.historyAt(depth_, serial_)) h->end(w_.doc.changes != changes_);
}

void ChangeScope::split() {
  History* h = w_.doc.historyAt(depth_, serial_);
  if (!h || w_.doc.changes == changes_) return;
  h->end(true);
  changes_ = w_.doc.changes;
  h->begin(DocumentState::of(w_.doc), snapshotOf(w_), nullptr);
}

void splitStep(View& w) {
  if (w.step) w.step->split();
}

void ChangeScope::wroteFiles() {
  if (History* h = w_.doc.historyAt(depth_, serial_)) h->pendingWroteFiles();
}

void endTyping(View& w) { w.doc.history().endTyping(); }

bool canUndo(const View& w) { return w.doc.history().canUndo(); }
bool canRedo(const View& w) { return w.doc.history().canRedo(); }

void undoCommand(View& w) {
  History& h = w.doc.history();
  if (!h.canUndo()) {
    w.host.statusMessage("Nothing to undo");
    return;
  }
  putBackSince(w, h);
  std::unique_ptr<ChangeRecord> r = h.popDone();
  r->after = DocumentState::of(w.doc);
  r->viewAfter = snapshotOf(w);
  r->swapImages(w.doc);
  restore(w, r->before, r->viewBefore.get());
  const bool wrote = r->wroteFiles;
  h.pushUndone(std::move(r));
  followHistory(w, h);
  if (wrote) w.host.statusMessage("Undone in the editor; the file it wrote stays as written");
}

void redoCommand(View& w) {
  History& h = w.doc.history();
  if (!h.canRedo()) {
    w.host.statusMessage("Nothing to redo");
    return;
  }
  putBackSince(w, h);
  std::unique_ptr<ChangeRecord> r = h.popUndone();
  r->swapImages(w.doc);
  restore(w, r->after, r->viewAfter.get());
  h.pushDone(std::move(r));
  followHistory(w, h);
}
