#include "engine/view.hpp"

#include <algorithm>

#include "engine/layout.hpp"

void RowChanges::row(int r) {
  if (all_ || r < 1 || has(r)) return;
  rows_.push_back(r);
}

void RowChanges::rows(int first, int last) {
  for (int r = first; r <= last && !all_; ++r) row(r);
}

bool RowChanges::has(int r) const {
  return all_ || std::find(rows_.begin(), rows_.end(), r) != rows_.end();
}

View::View(EngineContext& c)
    : document_(std::make_unique<Document>(c)), ctx(c), host(c.host), doc(*document_) {
  doc.viewer = this;
  editBuffer = doc.buffers[0];
  restoreBuffer = doc.buffers[1];
  pickHead = pickTail = doc.buffers[2];
  rowMap_.resize(static_cast<size_t>(screenRows) + 1);
}

View::~View() { doc.viewer = nullptr; }

int32_t View::rowsOf(const LineNode& node) const {
  if (!wrapMode) return 1;
  return wrapRowsFor(screenLength(node, ctx.settings.tabSize), textWidth());
}

ScreenRow View::shownAt(int r) const {
  if (r < 1 || r > screenRows || static_cast<size_t>(r) >= rowMap_.size()) return {};
  return rowMap_[static_cast<size_t>(r)];
}

void View::setShown(int r, LineNode* line, int32_t subRow) {
  if (r < 1) return;
  if (static_cast<size_t>(r) >= rowMap_.size()) rowMap_.resize(static_cast<size_t>(r) + 1);
  rowMap_[static_cast<size_t>(r)] = ScreenRow{line, subRow};
}

void View::show(int r, LineNode* line, int32_t subRow) {
  if (r < 1 || r > screenRows) return;
  setShown(r, line, line ? subRow : 0);
  if (paintHeld > 0) return;
  changed.row(r);
  host.invalidateRows(handle(), r, r);
}

void View::shiftRows(bool up) {
  fitRows();
  if (up) {
    for (int r = 1; r < screenRows; ++r) rowMap_[r] = rowMap_[r + 1];
    rowMap_[screenRows] = ScreenRow{};
  } else {
    for (int r = screenRows; r > 1; --r) rowMap_[r] = rowMap_[r - 1];
    rowMap_[1] = ScreenRow{};
  }
  changed.all();
  host.invalidateRows(handle(), 1, screenRows);
}

void View::queueRepaint(int row) {
  if (row < 1 || pendingRows.size() >= kMaxPendingRows) return;
  pendingRows.push_back(row);
}

void View::fitRows() {
  if (rowMap_.size() < static_cast<size_t>(screenRows) + 1)
    rowMap_.resize(static_cast<size_t>(screenRows) + 1);
}

void View::setMarkEnd(LineNode* line, int32_t subRow) {
  if (!markAnchorLine) {
    markAnchorLine = currentLine;
    markAnchorSubRow = curSubRow;
  }
  markEndLine = line;
  markEndSubRow = subRow;
  markActive = true;
  updateMarkRows();
  host.invalidateRows(handle(), 1, screenRows);
}

void View::updateMarkRows() {
  if (!markActive || !markAnchorLine || !markEndLine) return;
  const int32_t topIndex = rowsBefore(*this, ViewPos{topLine, topSubRow});
  const int32_t a = rowsBefore(*this, ViewPos{markAnchorLine, markAnchorSubRow});
  const int32_t e = rowsBefore(*this, ViewPos{markEndLine, markEndSubRow});
  const bool anchorFirst = a <= e;
  const int last = std::max(1, shownRows);
  auto toRow = [&](int32_t index) { return std::clamp<int32_t>(index - topIndex + 1, 1, last); };
  markAnchorRow = toRow(a);
  markFirstRow = toRow(std::min(a, e));
  markLastRow = toRow(std::max(a, e));
  markFirstLine = anchorFirst ? markAnchorLine : markEndLine;
  markFirstSubRow = anchorFirst ? markAnchorSubRow : markEndSubRow;
  markLastLine = anchorFirst ? markEndLine : markAnchorLine;
  markLastSubRow = anchorFirst ? markEndSubRow : markAnchorSubRow;

  // The block the editing commands work on: a line block ends before its
  // end node; while lines wrap (or past the view's end) the end is in it.
  blockActive = true;
  blockFirst = markFirstLine;
  blockFirstSubRow = markFirstSubRow;
  if (wrapMode || blockKind == BlockKind::Columns || markLastLine == doc.levelBottom ||
      !markLastLine->next) {
    blockEnd = markLastLine;
    if (!wrapMode && blockKind == BlockKind::Lines) blockKind = BlockKind::Columns;
  } else {
    blockEnd = markLastLine->next;
  }
}

void View::clearFound() {
  if (!foundLine) return;
  for (int r = 1; r <= screenRows; ++r)
    if (shownAt(r).line == foundLine) host.invalidateRows(handle(), r, r);
  foundLine = nullptr;
  foundLength = 0;
}

void View::clearMark() {
  const bool was = markActive;
  markActive = false;
  blockActive = false;
  blockKind = BlockKind::Lines;
  markFirstLine = markLastLine = markAnchorLine = markEndLine = nullptr;
  blockFirst = blockEnd = nullptr;
  markFirstRow = markLastRow = markAnchorRow = 0;
  if (was) host.invalidateRows(handle(), 1, screenRows);
}
