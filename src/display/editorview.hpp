// EditorView: one editor window, behaving like a character terminal.
//
// Input (keys, characters, mouse, menu commands) becomes bytes in the
// window's keyboard buffer; the dispatcher drains them; the engine and the
// view composer write characters into the screen buffer, which the widget
// paints with highlighting. The window also owns the whole editing state of
// its file: the fold tree (through LineStore), cursor, view, mark, slots.
//
// Screen rows count from 1 (row n is ScrBuffer row n - 1); columns from 0.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/keybuffer.hpp"
#include "display/keytranslate.hpp"
#include "display/scrbuffer.hpp"
#include "display/viewmetrics.hpp"
#include "platform/host.hpp"
#include "model/linestore.hpp"

// The window's own messages, posted to it through the Host.
constexpr int kMsgSetUpDone = 1125;    // set up: open the file
constexpr int kMsgKeysWaiting = 1128;  // keys are queued: run the dispatcher

inline constexpr const char* kPlicatoVersion = "4.1";

// What is shown on one screen row: a line of the view and which of its
// wrapped pieces, or nothing (line null) below the view's end.
struct ScreenRow {
  LineNode* line = nullptr;
  int32_t subRow = 0;
};

// Where the caret is, for the widget to draw it.
struct CaretPos {
  int x = 0;  // pixels
  int y = 0;
  int row = 1;  // screen row, 1-based
  int col = 0;  // screen column
  bool shown = false;  // the window has the focus
};

// Metrics of the window frame that the widget reports (pixels).
struct FrameMetrics {
  int frameHeight = 4;      // one side of the sizing frame
  int captionHeight = 20;
  int vScrollWidth = 16;
  int hScrollHeight = 16;
};

// One entry of the context menu; id 0 is a separator.
struct MenuEntry {
  int id = 0;
  std::string text;
  bool enabled = true;
  bool checked = false;
};

// Context menu command ids.
enum ContextMenuId : int {
  kMenuSaveAs = 104,
  kMenuCreateFold = 105,
  kMenuOpenAllFolds = 116,
  kMenuCloseAllFolds = 117,
  kMenuExitFold = 202,
  kMenuSyncEditTree = 211,
  kMenuUndo = 301,
  kMenuCut = 302,
  kMenuCopy = 303,
  kMenuPaste = 304,
  kMenuDelete = 309,
};

enum class BlockKind : uint8_t {
  Lines,    // ends before its end node
  Columns,  // extended by columns: includes its end node
};

class EditorView;

// What other parts plug into the window; every hook may stay empty.
struct WindowHooks {
  // Writes editBuffer back into currentLine before the cursor leaves it.
  std::function<void(EditorView&)> leaveLine;
  // Loads editBuffer and restoreBuffer from the new currentLine.
  std::function<void(EditorView&)> enterLine;
  // Selects the line's node in the fold tree pane (centred on `rows`/2).
  std::function<void(EditorView&, LineNode*)> selectInTree;
  // Saves the file under fileName; false when an error is pending.
  std::function<bool(EditorView&)> save;
  // Takes a new file name: caption, file type.
  std::function<void(EditorView&, const std::string&)> rename;
  // A fold or filed file was entered or left, or the file was renamed: the
  // tool bar and the caption (title) follow.
  std::function<void(EditorView&)> levelChanged;
  // Whether typing this key (kind and code) ends a mouse mark, and queueing
  // the key a command has: what the key table in force says
  // (commands/keyqueue.hpp installs both). Without them typed keys leave a
  // mark alone and a window asked to close queues no exit.
  std::function<bool(int kind, int code)> keyEndsMark;
  std::function<bool(EditorView&, int command)> queueCommand;
  // The reader linked lines in after `after` (the fold tree pane follows).
  std::function<void(EditorView&, LineNode*)> linesRead;
};

// A parent file waiting while a filed fold of it is entered (engine/navigation).
struct FiledLevel;

class EditorView : public LineStore {
 public:
  // The handle the host knows this window by, and the window of a handle.
  WindowHandle handle() { return WindowHandle(this); }
  static EditorView& of(WindowHandle h) { return *static_cast<EditorView*>(h.get()); }
  // Builds the window with its screen buffer (200 x 50) and keyboard
  // buffer; a screen buffer that cannot be had ends the process.
  explicit EditorView(Host& host, const std::string& title = "");
  ~EditorView() override;

  // In wrap mode: rows of the node's display text at screenCols - 3 per
  // row, at least 1; else 1.
  int32_t rowsOf(const LineNode& node) const override;
  void linesRead(LineNode* after) override {
    if (hooks.linesRead) hooks.linesRead(*this, after);
  }

  // Font metrics, clear screen, attribute 1, preferred size, then posts
  // kMsgSetUpDone so that the file is opened. Without a real font the cell
  // is 8 x 16.
  void setUp();
  // The font's metrics in pixels: the average and the widest character's
  // width, the character height, and the line height (height and leading).
  // A value that is not positive leaves its metric as it was.
  void setFontMetrics(int averageWidth, int height, int maxWidth, int lineHeight);

  // --- terminal primitives ---------------------------------------------
  // Backspace, tab (to the next tab stop), or a byte at the cursor.
  void putChar(uint8_t ch);
  void putString(const char* text);
  // Moves the screen up one row; the last row becomes blank.
  void scrollUpOneRow();
  // 1 normal, 2 marked; anything else changes nothing.
  void setAttribute(int attr);
  uint32_t attrTextColour() const;
  uint32_t attrBackColour() const;
  void positionCaret();

  // --- the keyboard buffer -------------------------------------------------
  // Queue a character / a special key (0, code). A key that does not fit is
  // dropped whole with a beep; false then. While a mouse mark is shown, a
  // key that ends it clears it and has the window refreshed.
  bool queueChar(uint8_t ch);
  bool queueKey(uint8_t code);
  // A command the editor gives itself (the refresh after a mark ended, or
  // after the window's width changed): it runs before any key still
  // waiting and is not recorded in a macro.
  void queueOwnCommand(int command);

  // --- mouse -----------------------------------------------------------
  void mouseDown(int x, int y);
  void mouseMove(int x, int y);
  void mouseUp();
  // One turn of the auto-scroll of a mark drag: the mark grows a row and
  // the view moves a line. False when nothing moved (flags off, no drag, or
  // the view is at its end); the widget repeats it every 15 ms or so.
  bool autoScrollStep();
  // Ends a running auto-scroll; the keys typed meanwhile are dropped.
  void stopAutoScroll();
  // Removes the mouse mark and repaints its rows.
  void clearMark();
  // Shows the mark from its anchor to (line, subRow), which the pointer (or
  // a marking key) reached; the block selection follows it.
  void setMarkEnd(LineNode* line, int32_t subRow);
  // Screen rows of the mark recomputed from its anchor and the cursor.
  void updateMarkRows();

  // --- window ----------------------------------------------------------
  std::vector<MenuEntry> contextMenu();
  // Client area in pixels (without scroll bars).
  void resize(int clientWidth, int clientHeight);
  // Ranges and positions of the scroll bars after a command.
  void updateScrollBars();
  // Whether the window may close; when it may, the exit key is queued so
  // that the dispatcher ends the editing and destroys the window.
  bool queryClose();
  void focusIn();
  void focusOut();

  // --- screen rows ------------------------------------------------------
  // What row r shows (r from 1); an empty record outside the window.
  ScreenRow shownAt(int r) const;
  void setShown(int r, LineNode* line, int32_t subRow);
  // Queue a row for repainting after the command (at most 1023 are kept).
  void queueRepaint(int row);
  // Width of a row's text: screenCols - 3 (at least 1).
  int textWidth() const { return screenCols > 4 ? screenCols - 3 : 1; }
  // Makes the grid fit the window and sets the row stride.
  void fitScreenBuffer();

  std::string title;
  std::string saveAsName;  // what the save-as dialog filled
  WindowHooks hooks;
  FrameMetrics frame;

  // Font and cell.
  int32_t charWidth = 8;
  int32_t charHeight = 16;
  int32_t cellWidth = 8;
  int32_t cellHeight = 16;

  // Screen size in cells; client area in pixels.
  int32_t screenCols = 80;
  int32_t screenRows = 25;
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  int32_t preferredWidth = 0;
  int32_t preferredHeight = 0;

  // Cursor and view.
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

  // Entered folds of this window and the sum of their column offsets.
  int32_t foldDepth = 0;
  int32_t depthOffset = 0;
  // Parent files of the filed folds entered, innermost last.
  std::vector<std::shared_ptr<FiledLevel>> filedLevels;

  // Flags.
  bool inDispatch = false;
  bool browseMode = false;
  bool modified = false;
  bool wrapMode = false;
  bool buildRunning = false;
  bool canOpenAll = false;
  bool canCloseAll = false;
  bool treeSync = false;
  bool treeTracking = true;
  bool autoScrollDown = false;
  bool autoScrollUp = false;
  bool hasFocus = false;
  bool iconic = false;
  int32_t currentAttr = 1;

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

  // Mouse drag.
  bool dragging = false;
  bool dragMoved = false;  // past the 10 pixel² threshold
  int32_t pressX = 0;
  int32_t pressY = 0;
  int32_t pressRow = 0;

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
  // Drops the highlight and has its rows painted again.
  void clearFound();

  // Scroll bars.
  int32_t hScrollRange = 0;
  int32_t hScrollPos = 0;
  int32_t vScrollRange = 0;
  int32_t vScrollPos = 0;
  bool hScrollShown = true;
  bool vScrollShown = false;

  // Counts over the view for the status line and the scroll bars.
  ViewMetrics viewMetrics;

  // The seven status-line fields of this window.
  std::array<std::string, 7> statusText;

  // The fold tree pane, or null.
  void* tree = nullptr;

  KeyBuffer keys;
  KeyState keyState;
  ScrBuffer scr;
  CaretPos caret;

  // Screen rows to repaint after the command, in the order queued.
  std::vector<int32_t> pendingRows;
  static constexpr size_t kMaxPendingRows = 1023;

 private:
  // Writes the byte through the full-buffer rule and posts the message.
  bool afterQueue(bool written);
  void endMarkFor(int kind, int code);
  int rowAt(int y) const;
  void preferredSize();
  void screenSizeFromClient();

  std::vector<ScreenRow> rowMap_;  // index 1..screenRows
};
