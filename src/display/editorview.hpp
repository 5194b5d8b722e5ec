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
#include "platform/host.hpp"
#include "engine/view.hpp"

// The window's own messages, posted to it through the Host.
constexpr int kMsgSetUpDone = 1125;    // set up: open the file
constexpr int kMsgKeysWaiting = 1128;  // keys are queued: run the dispatcher

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


class EditorView : public View {
 public:
  // The handle the host knows this window by, and the window of a handle.
  static EditorView& of(WindowHandle h) { return static_cast<EditorView&>(View::of(h)); }
  static EditorView& of(View& v) { return static_cast<EditorView&>(v); }
  // Builds the window with its screen buffer (200 x 50) and keyboard
  // buffer; a screen buffer that cannot be had ends the process.
  explicit EditorView(EngineContext& context, const std::string& title = "");
  ~EditorView() override;

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

  // Makes the grid fit the window and sets the row stride.
  void fitScreenBuffer();
  // Composes into the screen buffer the rows the view says changed.
  void composeChanged();
  // Composes one row from what the view shows there (nothing: blanks).
  void composeRow(int row);
  // The screen buffer with every change composed. Composing only brings
  // the buffer up to what the view already shows, so a const window may
  // do it.
  const ScrBuffer& screen() const {
    const_cast<EditorView*>(this)->composeChanged();
    return scr;
  }

  FrameMetrics frame;

  // Font and cell.
  int32_t charWidth = 8;
  int32_t charHeight = 16;
  int32_t cellWidth = 8;
  int32_t cellHeight = 16;

  // Client area in pixels.
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  int32_t preferredWidth = 0;
  int32_t preferredHeight = 0;

  bool hasFocus = false;
  bool iconic = false;
  int32_t currentAttr = 1;

  // Mouse drag.
  bool dragging = false;
  bool dragMoved = false;  // past the 10 pixel² threshold
  int32_t pressX = 0;
  int32_t pressY = 0;
  int32_t pressRow = 0;

  KeyBuffer keys;
  KeyState keyState;
  ScrBuffer scr;
  CaretPos caret;


 private:
  // Writes the byte through the full-buffer rule and posts the message.
  bool afterQueue(bool written);
  void endMarkFor(int kind, int code);
  int rowAt(int y) const;
  void preferredSize();
  void screenSizeFromClient();
};
