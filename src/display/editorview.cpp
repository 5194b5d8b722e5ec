#include "display/editorview.hpp"

#include <algorithm>
#include <cstring>

#include "commandids/commandids.hpp"
#include "engine/statusline.hpp"
#include "engine/layout.hpp"
#include "engine/undo.hpp"
#include "model/filetypes.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

EditorView::EditorView(EngineContext& c, const std::string& t) : View(c) {
  doc.title = t;
  if (!scr.create(ScrBuffer::kDefaultWidth, ScrBuffer::kDefaultRows))
    fatalReport(host, "Not enough memory for Screen Buffer", "Plicato Error", 1);
  preferredSize();
}

EditorView::~EditorView() {
  clearStatus(*this);
  scr.destroy();
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
    const int tab = std::max(1, ctx.settings.tabSize);
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
  for (int r = 1; r < screenRows; ++r) {
    const ScreenRow below = shownAt(r + 1);
    setShown(r, below.line, below.subRow);
  }
  setShown(screenRows, nullptr, 0);
  host.invalidateRows(handle(), 1, screenRows);
}

void EditorView::setAttribute(int attr) {
  if (attr == 1 || attr == 2) currentAttr = attr;
}

uint32_t EditorView::attrTextColour() const {
  return currentAttr == 2 ? ctx.settings.selectedText : ctx.settings.normalText;
}

uint32_t EditorView::attrBackColour() const {
  return currentAttr == 2 ? ctx.settings.selectedBack : ctx.settings.normalBack;
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



// --- window ------------------------------------------------------------------

std::vector<MenuEntry> EditorView::contextMenu() {
  const bool atOutermostTop = doc.levelTop == doc.fileTop && (!doc.fileBottom || !doc.fileBottom->next);
  return {
      {kMenuSaveAs, "Save As", markActive, false},
      {kMenuCreateFold, "Create Fold", markActive, false},
      {kMenuExitFold, "Exit fold", !atOutermostTop, false},
      {kMenuOpenAllFolds, "Open All Folds", canOpenAll, false},
      {kMenuCloseAllFolds, "Close All Folds", canCloseAll, false},
      {kMenuSyncEditTree, "Sync Edit->Tree", tree != nullptr, treeSync},
      {0, "", false, false},
      {kMenuUndo, "Undo", canUndo(*this), false},
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
  if (!currentLine || !doc.levelTop) return;
  if (wrapMode)
    for (LineNode* n = viewFirst(*this); n; n = n->next) {
      computeRows(n);
      if (n == doc.levelBottom) break;
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
  fitRows();
}

// --- composing --------------------------------------------------------------

namespace {

constexpr char kWrapMark = '>';
constexpr char kCutMark = static_cast<char>(187);  // "»" in Latin-1

}  // namespace

void EditorView::composeRow(int row) {
  if (row < 1 || row > screenRows) return;
  fitScreenBuffer();
  char* dst = scr.row(row - 1);
  if (!dst) return;
  const size_t stride = static_cast<size_t>(scr.getStride());
  const ScreenRow shown = shownAt(row);
  if (!shown.line) {
    std::memset(dst, ' ', stride);
    return;
  }
  const size_t width = static_cast<size_t>(textWidth());
  const size_t start = wrapMode ? static_cast<size_t>(shown.subRow) * width
                                : static_cast<size_t>(std::max(0, leftColumn));
  std::string composed;
  composed.reserve(width + 5);
  if (!screenPiece(*shown.line, start, width, composed, ctx.settings.tabSize)) {
    composed.append(width - composed.size(), ' ');
    composed += "     ";
  } else {
    composed += wrapMode ? kWrapMark : kCutMark;
    composed += "    ";
  }
  const size_t n = std::min(stride, composed.size());
  std::memcpy(dst, composed.data(), n);
  if (n < stride) std::memset(dst + n, ' ', stride - n);
}

void EditorView::composeChanged() {
  if (!changed.any()) return;
  for (int r = 1; r <= screenRows; ++r)
    if (changed.has(r)) composeRow(r);
  changed.clear();
}

bool EditorView::queryClose() {
  if (buildRunning) {
    host.messageBox("Can't close window until Compiler or Maker hasn't ended", "Plicato Warning",
                    MbButtons::Ok, MbIcon::Exclamation);
    return false;
  }
  if (doc.modified) {
    const MbResult answer = host.messageBox("Do you want to save changes to " + doc.fileName,
                                            "Plicato Warning", MbButtons::YesNoCancel,
                                            MbIcon::Question);
    if (answer == MbResult::Cancel) return false;
    if (answer == MbResult::No) {
      doc.modified = false;
    } else {
      host.waitCursor(true);
      if (doc.fileName.empty()) {
        std::optional<std::string> name = host.saveAsDialog(langList().filterText(), "");
        if (!name || name->empty()) {
          host.waitCursor(false);
          return false;
        }
        doc.fileName = *name;
        doc.title = *name;
        if (hooks.rename) hooks.rename(*this, *name);
      }
      // Without a writer nothing can be saved: the window stays.
      const bool saved = hooks.save && hooks.save(*this);
      host.waitCursor(false);
      if (!saved || doc.modified || doc.ioStatus == 2) return false;
    }
  }
  if (hooks.queueCommand) hooks.queueCommand(*this, cmdExit);
  return true;
}

void EditorView::focusIn() {
  hasFocus = true;
  positionCaret();
  showVersion(*this);
  if (doc.levelTop) refreshStatus(*this);
}

void EditorView::focusOut() {
  hasFocus = false;
  caret.shown = false;
}


