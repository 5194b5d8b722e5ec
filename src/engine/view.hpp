// A view of a document: the window's cursor, the level and the lines it
// shows on which screen rows, the mark and the block, the line slots and
// what a search found. The engine works on this; the display composes the
// rows it says changed into the screen buffer (display/editorview.hpp).
//
// Screen rows count from 1; columns from 0.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/context.hpp"
#include "engine/viewmetrics.hpp"
#include "model/document.hpp"
#include "platform/host.hpp"

inline constexpr const char* kPlicatoVersion = "4.1";

// What is shown on one screen row: a line of the view and which of its
// wrapped pieces, or nothing (line null) below the view's end.
struct ScreenRow {
  LineNode* line = nullptr;
  int32_t subRow = 0;
};

enum class BlockKind : uint8_t {
  Lines,    // ends before its end node
  Columns,  // extended by columns: includes its end node
};

class View;
class ChangeScope;

// What other parts plug into the view; every hook may stay empty.
struct ViewHooks {
  // Writes editBuffer back into currentLine before the cursor leaves it.
  std::function<void(View&)> leaveLine;
  // Loads editBuffer and restoreBuffer from the new currentLine.
  std::function<void(View&)> enterLine;
  // Selects the line's node in the fold tree pane (centred on `rows`/2).
  std::function<void(View&, LineNode*)> selectInTree;
  // Saves the file under fileName; false when an error is pending.
  std::function<bool(View&)> save;
  // Takes a new file name: caption, file type.
  std::function<void(View&, const std::string&)> rename;
  // A fold or filed file was entered or left, or the file was renamed: the
  // tool bar and the caption (title) follow.
  std::function<void(View&)> levelChanged;
  // Whether typing this key (kind and code) ends a mouse mark, and queueing
  // the key a command has: what the key table in force says
  // (commands/keyqueue.hpp installs both). Without them typed keys leave a
  // mark alone and a window asked to close queues no exit.
  std::function<bool(int kind, int code)> keyEndsMark;
  std::function<bool(View&, int command)> queueCommand;
  // The reader linked lines in after `after` (the fold tree pane follows).
  std::function<void(View&, LineNode*)> linesRead;
};

// The screen rows that changed since the display last composed them.
class RowChanges {
 public:
  void row(int r);
  void rows(int first, int last);
  void all() { all_ = true; }
  bool any() const { return all_ || !rows_.empty(); }
  bool has(int r) const;
  void clear() {
    all_ = false;
    rows_.clear();
  }

 private:
  bool all_ = false;
  std::vector<int32_t> rows_;  // in the order marked, without repeats
};

class View : public LineViewer {
  std::unique_ptr<Document> document_;  // before doc, which refers to it

 public:
  // The handle the host knows this view's window by. A view and its window
  // are one object (View derives from View).
  WindowHandle handle() { return WindowHandle(this); }
  static View& of(WindowHandle h) { return *static_cast<View*>(h.get()); }

  // A view of a new, empty document.
  explicit View(EngineContext& context);
  virtual ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  EngineContext& ctx;
  Host& host;
  Document& doc;

  // In wrap mode: rows of the node's display text at screenCols - 3 per
  // row, at least 1; else 1.
  int32_t rowsOf(const LineNode& node) const override;
  void linesRead(LineNode* after) override {
    if (hooks.linesRead) hooks.linesRead(*this, after);
  }
  void fileRead(LineNode* first) override { currentLine = first; }
  void computeRows(LineNode* node) { node->rows() = rowsOf(*node); }
  // The rows a line of the view takes now: those it was given in wrap
  // mode, else 1.
  int32_t shownRowsOf(const LineNode* n) const { return wrapMode ? std::max<int32_t>(1, n->rows()) : 1; }

  // --- screen rows ------------------------------------------------------
  // What row r shows (r from 1); an empty record outside the window.
  ScreenRow shownAt(int r) const;
  // Row r shows (line, subRow) from now on: the display composes it again.
  void show(int r, LineNode* line, int32_t subRow);
  // Only records what row r shows (it is composed already, or is held).
  void setShown(int r, LineNode* line, int32_t subRow);
  // Every row moves up (down) one; the row that comes free shows nothing.
  void shiftRows(bool up);
  // Queue a row for composing again after the command (at most 1023 are
  // kept): its line's text changed.
  void queueRepaint(int row);
  // Width of a row's text: screenCols - 3 (at least 1).
  int textWidth() const { return screenCols > 4 ? screenCols - 3 : 1; }
  // The row map holds every row of the window.
  void fitRows();

  // Removes the mouse mark and repaints its rows.
  void clearMark();
  // Shows the mark from its anchor to (line, subRow), which the pointer (or
  // a marking key) reached; the block selection follows it.
  void setMarkEnd(LineNode* line, int32_t subRow);
  // Screen rows of the mark recomputed from its anchor and the cursor.
  void updateMarkRows();
  // Drops the highlight of the match found and has its rows painted again.
  void clearFound();

  std::string saveAsName;  // what the save-as dialog filled
  ViewHooks hooks;

  // Screen size in cells.
  int32_t screenCols = 80;
  int32_t screenRows = 25;

  // Cursor and view: the line the cursor is on (a line of the level shown).
  LineNode* currentLine = nullptr;
  int32_t cursorRow = 1;   // screen row, 1-based
  int32_t cursorCol = 0;   // screen column, 0-based (whole display column in wrap mode)
  int32_t curSubRow = 0;   // wrapped piece of currentLine under the cursor
  int32_t leftColumn = 0;  // horizontal scroll offset
  int32_t textColumn = 1;  // leftColumn + cursorCol + 1
  LineNode* topLine = nullptr;
  int32_t topSubRow = 0;
  // While above 0 rows are only recorded as shown, not composed: a
  // command that moves through many places (replace all) paints once, at
  // its end (see PaintHold).
  int paintHeld = 0;
  int32_t& topWrapRow = topSubRow;
  LineNode* bottomLine = nullptr;
  int32_t bottomSubRow = 0;
  int32_t shownRows = 0;

  // The current line while it is edited, and its copy for restore line.
  LineNode* editBuffer = nullptr;
  LineNode* restoreBuffer = nullptr;

  // Entered folds of this view and the sum of their column offsets.
  int32_t foldDepth = 0;
  int32_t depthOffset = 0;

  // Flags.
  bool inDispatch = false;
  bool browseMode = false;
  bool wrapMode = false;
  bool buildRunning = false;
  bool canOpenAll = false;
  bool canCloseAll = false;
  bool treeSync = false;
  bool treeTracking = true;
  bool autoScrollDown = false;
  bool autoScrollUp = false;

  // Mouse mark (line selection).
  bool markActive = false;
  int32_t markFirstRow = 0;
  int32_t markLastRow = 0;
  int32_t markAnchorRow = 0;
  LineNode* markFirstLine = nullptr;
  int32_t markFirstSubRow = 0;
  LineNode* markLastLine = nullptr;
  int32_t markLastSubRow = 0;
  LineNode* markAnchorLine = nullptr;  // where the drag began
  int32_t markAnchorSubRow = 0;
  LineNode* markEndLine = nullptr;  // the end that follows the pointer
  int32_t markEndSubRow = 0;

  // Create-fold mode.
  bool createFoldMode = false;
  LineNode* foldStartLine = nullptr;
  int32_t createFoldColumn = 0;  // display column (0-based) of the new fold

  // Line slots and the pick list (a chain behind the head node; empty
  // when head and tail coincide).
  LineNode* deletedLine = nullptr;
  LineNode* moveSlot = nullptr;
  LineNode* pickHead = nullptr;
  LineNode* pickTail = nullptr;

  // Block selection.
  bool blockActive = false;
  LineNode* blockFirst = nullptr;
  LineNode* blockEnd = nullptr;
  int32_t blockFirstSubRow = 0;
  BlockKind blockKind = BlockKind::Lines;

  // The match a search found (or the replace command asks about) is drawn
  // highlighted until the next key: display columns [foundColumn,
  // foundColumn + foundLength) of foundLine.
  LineNode* foundLine = nullptr;
  int32_t foundColumn = 0;
  int32_t foundLength = 0;

  // Scroll bars.
  int32_t hScrollRange = 0;
  int32_t hScrollPos = 0;
  int32_t vScrollRange = 0;
  int32_t vScrollPos = 0;
  bool hScrollShown = true;
  bool vScrollShown = false;

  // Counts over the view for the status line and the scroll bars.
  ViewMetrics viewMetrics;

  // The seven status-line fields of this view.
  std::array<std::string, 7> statusText;

  // The fold tree pane, or null.
  void* tree = nullptr;
  // The ChangeScope of the command running (engine/undo.hpp), or null.
  ChangeScope* step = nullptr;

  // What changed on screen: rows the layout gave new contents (composed
  // by the display when it next shows the window), and rows whose line's
  // text changed (composed after the command).
  RowChanges changed;
  std::vector<int32_t> pendingRows;
  static constexpr size_t kMaxPendingRows = 1023;

 private:
  std::vector<ScreenRow> rowMap_;  // index 1..screenRows
};
