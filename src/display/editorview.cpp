#include "display/editorview.hpp"

#include <algorithm>
#include <cstring>

#include "commandids/commandids.hpp"
#include "display/statusline.hpp"
#include "display/view.hpp"
#include "model/filetypes.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

EditorView::EditorView(Host& h, const std::string& t) : LineStore(h), title(t) {
  editBuffer = buffers[0];
  restoreBuffer = buffers[1];
  pickHead = pickTail = buffers[2];
  if (!scr.create(ScrBuffer::kDefaultWidth, ScrBuffer::kDefaultRows))
    fatalReport(host, "Not enough memory for Screen Buffer", "Plicato Error", 1);
  rowMap_.resize(static_cast<size_t>(screenRows) + 1);
  preferredSize();
}

EditorView::~EditorView() {
  clearStatus(*this);
  clearBasePath();
  scr.destroy();
}

int32_t EditorView::rowsOf(const LineNode& node) const {
  if (!wrapMode) return 1;
  return wrapRowsFor(screenLength(node), textWidth());
}

void EditorView::setUp() {
  std::fill(scr.chars.begin(), scr.chars.end(), ' ');
  currentAttr = 1;
  buildRunning = false;
  preferredSize();
  if (!host.postMessage(handle(), kMsgSetUpDone))
    host.messageBox(" PostMessage Error!", "Plicato Error", MbButtons::Ok, MbIcon::Stop);
}

void EditorView::setFontMetrics(int averageWidth, int height, int maxWidth, int lineHeight) {
  if (averageWidth > 0) charWidth = averageWidth;
  if (height > 0) charHeight = height;
  if (maxWidth > 0) cellWidth = maxWidth;
  if (lineHeight > 0) cellHeight = lineHeight;
  preferredSize();
}

void EditorView::preferredSize() {
  preferredWidth = cellWidth * screenCols + 2 * frame.frameHeight + frame.vScrollWidth;
  preferredHeight =
      cellHeight * screenRows + 2 * frame.frameHeight + frame.captionHeight + frame.hScrollHeight;
}

// --- terminal primitives ------------------------------------------------

void EditorView::putChar(uint8_t ch) {
  if (ch == 8) {
    if (cursorCol >= 1) --cursorCol;
    positionCaret();
    return;
  }
  if (ch == 9) {
    // To the next tab stop, as text columns are counted.
    const int tab = std::max(1, settings().tabSize);
    do putChar(' ');
    while (cursorCol % tab != 0);
    return;
  }
  fitScreenBuffer();
  const int col = wrapMode ? cursorCol % textWidth() : cursorCol;
  char* row = scr.row(cursorRow - 1);
  if (row && col >= 0 && col < scr.getStride()) row[col] = static_cast<char>(ch);
  host.invalidateRows(handle(), cursorRow, cursorRow);
  if (++cursorCol >= screenCols) {
    cursorCol = 0;
    if (++cursorRow > screenRows) {
      cursorRow = screenRows;
      scrollUpOneRow();
    }
  }
  positionCaret();
}

void EditorView::putString(const char* text) {
  for (; text && *text; ++text) putChar(static_cast<uint8_t>(*text));
}

void EditorView::scrollUpOneRow() {
  fitScreenBuffer();
  scr.moveRows(1, 0, screenRows - 1);
  scr.fillRows(screenRows - 1, 1, ' ');
  for (int r = 1; r < screenRows; ++r) rowMap_[r] = rowMap_[r + 1];
  rowMap_[screenRows] = ScreenRow{};
  host.invalidateRows(handle(), 1, screenRows);
}

void EditorView::setAttribute(int attr) {
  if (attr == 1 || attr == 2) currentAttr = attr;
}

uint32_t EditorView::attrTextColour() const {
  return currentAttr == 2 ? settings().selectedText : settings().normalText;
}

uint32_t EditorView::attrBackColour() const {
  return currentAttr == 2 ? settings().selectedBack : settings().normalBack;
}

void EditorView::positionCaret() {
  const int col = wrapMode ? cursorCol % textWidth() : cursorCol;
  caret.col = col;
  caret.row = cursorRow;
  caret.x = col * charWidth;
  caret.y = (cursorRow - 1) * charHeight + charHeight * 3 / 4;
  caret.shown = hasFocus;
}

// --- the keyboard buffer --------------------------------------------------

bool EditorView::afterQueue(bool written) {
  if (!written) {
    host.beep();
    return false;
  }
  if (!inDispatch && !host.postMessage(handle(), kMsgKeysWaiting))
    host.messageBox(" PostMessage Error!", "Plicato Error", MbButtons::Ok, MbIcon::Stop);
  return true;
}

void EditorView::endMarkFor(int kind, int code) {
  if (!markActive || dragging || !hooks.keyEndsMark || !hooks.keyEndsMark(kind, code)) return;
  // The mark is gone before the refresh is queued, so this runs once.
  clearMark();
  queueOwnCommand(cmdRefresh);
}

bool EditorView::queueChar(uint8_t ch) {
  if (!afterQueue(keys.putChar(ch))) return false;
  endMarkFor(kCharKey, ch);
  return true;
}

bool EditorView::queueKey(uint8_t code) {
  if (!afterQueue(keys.putKey(code))) return false;
  endMarkFor(kSpecialKey, code);
  return true;
}

void EditorView::queueOwnCommand(int command) {
  if (keys.putOwnCommand(command)) afterQueue(true);
}

// --- mouse ----------------------------------------------------------------

int EditorView::rowAt(int y) const {
  if (y < 0) return 0;
  return y / std::max(1, cellHeight) + 1;
}

void EditorView::mouseDown(int x, int y) {
  pressX = x;
  pressY = y;
  const int row = rowAt(y);
  const int col = x / std::max(1, cellWidth);
  if (!currentLine || row < 1 || row > shownRows || row > screenRows || x < 0) return;
  if (!wrapMode && col > screenCols - 3) return;
  if (row == 1 && topLine == viewFirst(*this) && topSubRow == 0) return;

  dragging = true;
  dragMoved = false;
  pressRow = row;
  if (markActive) clearMark();
  moveToRow(*this, row);
  // In wrap mode the clicked piece's start counts too.
  cursorCol = wrapMode ? curSubRow * textWidth() + col : col;
  textColumn = cursorCol + leftColumn + 1;
  markAnchorLine = currentLine;
  markAnchorSubRow = curSubRow;
  markAnchorRow = row;
  positionCaret();
  if (treeSync && tree && hooks.selectInTree) hooks.selectInTree(*this, currentLine);
}

void EditorView::mouseMove(int x, int y) {
  if (!dragging) return;
  if (!dragMoved) {
    const long dx = x - pressX;
    const long dy = y - pressY;
    if (dx * dx + dy * dy < 10) return;
    dragMoved = true;
  }
  if (shownRows < 1) return;
  const int row = y < 0 ? 0 : rowAt(y);
  const int clamped = std::clamp(row, 1, shownRows);
  const ScreenRow at = shownAt(clamped);
  if (at.line) setMarkEnd(at.line, at.subRow);
  autoScrollUp = row <= 1;
  autoScrollDown = !autoScrollUp && row >= shownRows;
}

void EditorView::mouseUp() {
  dragging = false;
  autoScrollUp = autoScrollDown = false;
}

bool EditorView::autoScrollStep() {
  if (!dragging || !markActive || (!autoScrollUp && !autoScrollDown)) return false;
  ViewPos end{markEndLine, markEndSubRow};
  if (autoScrollDown) {
    if (!scrollViewDown(*this)) return false;
    stepDown(*this, end);
  } else {
    if (!scrollViewUp(*this)) return false;
    stepUp(*this, end);
  }
  setMarkEnd(end.line, end.subRow);
  return true;
}

void EditorView::stopAutoScroll() {
  autoScrollUp = autoScrollDown = false;
  keys.clear();
}

void EditorView::setMarkEnd(LineNode* line, int32_t subRow) {
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

void EditorView::updateMarkRows() {
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
  if (wrapMode || blockKind == BlockKind::Columns || markLastLine == levelBottom ||
      !markLastLine->next) {
    blockEnd = markLastLine;
    if (!wrapMode && blockKind == BlockKind::Lines) blockKind = BlockKind::Columns;
  } else {
    blockEnd = markLastLine->next;
  }
}

void EditorView::clearFound() {
  if (!foundLine) return;
  for (int r = 1; r <= screenRows; ++r)
    if (shownAt(r).line == foundLine) host.invalidateRows(handle(), r, r);
  foundLine = nullptr;
  foundLength = 0;
}

void EditorView::clearMark() {
  const bool was = markActive;
  markActive = false;
  blockActive = false;
  blockKind = BlockKind::Lines;
  markFirstLine = markLastLine = markAnchorLine = markEndLine = nullptr;
  blockFirst = blockEnd = nullptr;
  markFirstRow = markLastRow = markAnchorRow = 0;
  if (was) host.invalidateRows(handle(), 1, screenRows);
}

// --- window ------------------------------------------------------------------

std::vector<MenuEntry> EditorView::contextMenu() {
  const bool atOutermostTop = levelTop == fileTop && (!fileBottom || !fileBottom->next);
  return {
      {kMenuSaveAs, "Save As", markActive, false},
      {kMenuCreateFold, "Create Fold", markActive, false},
      {kMenuExitFold, "Exit fold", !atOutermostTop, false},
      {kMenuOpenAllFolds, "Open All Folds", canOpenAll, false},
      {kMenuCloseAllFolds, "Close All Folds", canCloseAll, false},
      {kMenuSyncEditTree, "Sync Edit->Tree", tree != nullptr, treeSync},
      {0, "", false, false},
      {kMenuUndo, "Undo", false, false},
      {kMenuCut, "Cut", markActive, false},
      {kMenuCopy, "Copy", markActive, false},
      {kMenuPaste, "Paste", host.clipboardText().has_value(), false},
      {0, "", false, false},
      {kMenuDelete, "Delete", markActive, false},
  };
}

void EditorView::screenSizeFromClient() {
  if (clientWidth <= 0 || clientHeight <= 0) return;
  const int width = clientWidth - (vScrollShown ? frame.vScrollWidth : 0);
  const int height = clientHeight - (hScrollShown ? frame.hScrollHeight : 0);
  screenCols = std::max(1, width / std::max(1, cellWidth));
  screenRows = std::max(1, height / std::max(1, cellHeight));
}

void EditorView::resize(int width, int height) {
  clientWidth = width;
  clientHeight = height;
  screenSizeFromClient();
  preferredSize();
  fitScreenBuffer();
  if (!currentLine || !levelTop) return;
  if (wrapMode)
    for (LineNode* n = viewFirst(*this); n; n = n->next) {
      computeRows(n);
      if (n == levelBottom) break;
    }
  if (cursorRow > screenRows || !topLine)
    PlaceCursor(*this, screenRows - 1);
  else
    Redraw(*this, 1);
}

void EditorView::updateScrollBars() {
  const int oldCols = screenCols;
  if (wrapMode) {
    hScrollRange = 0;
    hScrollPos = 0;
    hScrollShown = false;
  } else {
    const size_t longest = ::viewMetrics(*this).longest;
    const int range = static_cast<int>(longest) - (screenCols - 2) / 2;
    hScrollRange = std::max(0, range);
    hScrollPos = leftColumn;
    hScrollShown = hScrollRange != 0;
  }
  screenSizeFromClient();

  ViewMetrics& m = ::viewMetrics(*this);
  const int32_t rows = m.rows;
  const bool wanted = rows > screenRows;
  if (wanted) {
    vScrollRange = rows - screenRows;
    vScrollPos = std::max(0, locateInView(*this, m.top, topLine).rows + topSubRow);
  } else {
    vScrollRange = 0;
    vScrollPos = 0;
  }
  if (wanted != vScrollShown) {
    vScrollShown = wanted;
    screenSizeFromClient();
  }
  fitScreenBuffer();
  if (screenCols != oldCols) queueOwnCommand(cmdRefresh);
}

void EditorView::fitScreenBuffer() {
  // A composed row is the text width, the mark and four spaces.
  if (!scr.ensure(std::max(ScrBuffer::kDefaultWidth, screenCols + 5),
                  std::max(ScrBuffer::kDefaultRows, screenRows + 1)))
    fatalReport(host, "Not enough memory for Screen Buffer", "Plicato Error", 1);
  scr.setStride(wrapMode ? textWidth() : scr.width);
  if (rowMap_.size() < static_cast<size_t>(screenRows) + 1)
    rowMap_.resize(static_cast<size_t>(screenRows) + 1);
}

bool EditorView::queryClose() {
  if (buildRunning) {
    host.messageBox("Can't close window until Compiler or Maker hasn't ended", "Plicato Warning",
                    MbButtons::Ok, MbIcon::Exclamation);
    return false;
  }
  if (modified) {
    const MbResult answer = host.messageBox("Do you want to save changes to " + fileName,
                                            "Plicato Warning", MbButtons::YesNoCancel,
                                            MbIcon::Question);
    if (answer == MbResult::Cancel) return false;
    if (answer == MbResult::No) {
      modified = false;
    } else {
      host.waitCursor(true);
      if (fileName.empty()) {
        std::optional<std::string> name = host.saveAsDialog(langList().filterText(), "");
        if (!name || name->empty()) {
          host.waitCursor(false);
          return false;
        }
        fileName = *name;
        title = *name;
        if (hooks.rename) hooks.rename(*this, *name);
      }
      // Without a writer nothing can be saved: the window stays.
      const bool saved = hooks.save && hooks.save(*this);
      host.waitCursor(false);
      if (!saved || modified || ioStatus == 2) return false;
    }
  }
  if (hooks.queueCommand) hooks.queueCommand(*this, cmdExit);
  return true;
}

void EditorView::focusIn() {
  hasFocus = true;
  positionCaret();
  showVersion(*this);
  if (levelTop) refreshStatus(*this);
}

void EditorView::focusOut() {
  hasFocus = false;
  caret.shown = false;
}

// --- screen rows ---------------------------------------------------------------

ScreenRow EditorView::shownAt(int r) const {
  if (r < 1 || r > screenRows || static_cast<size_t>(r) >= rowMap_.size()) return {};
  return rowMap_[static_cast<size_t>(r)];
}

void EditorView::setShown(int r, LineNode* line, int32_t subRow) {
  if (r < 1) return;
  if (static_cast<size_t>(r) >= rowMap_.size()) rowMap_.resize(static_cast<size_t>(r) + 1);
  rowMap_[static_cast<size_t>(r)] = ScreenRow{line, subRow};
}

void EditorView::queueRepaint(int row) {
  if (row < 1 || pendingRows.size() >= kMaxPendingRows) return;
  pendingRows.push_back(row);
}
