// The line editor: character-level editing of the cursor line. It reads key
// values through the macro layer, carries out the line commands in the line
// and inserts text, and hands every other command back to the dispatcher.
//
// Lines are edited in place: the cursor line's node is changed directly, so
// that no command can ever see a stale copy of it. The cursor's column is
// the window's textColumn (1-based display column); the part of a line the
// user may edit begins behind its structural indentation and fold marker.
#pragma once

#include <string>

#include "commands/keyreader.hpp"

class EditorView;
struct LineNode;

// Per-window state of the line editor and the dispatcher.
struct EditorState {
  KeyReaderState reader;
  std::string undeleted;   // the text the last delete took, for undelete character
  bool headerChanged = false;  // the cursor line is a header whose title changed
  int lastCommand = 0;
  // Restore line asked "Press restore line again for best try": the next
  // key read answers it.
  bool restoreAsked = false;
};

// The display column (0-based) where the node's own text begins.
int textStartColumn(const LineNode& node);
// Whether typing may change the node's text (not a file's top line, not a
// fold's end line).
bool isEditableLine(const LineNode& node);
// The cursor to display column col (0-based) of the current line, scrolling
// sideways (or, with wrapped lines, to another piece) to keep it visible.
void setCursorColumn(EditorView& w, int col);
// After the current line's text changed from one oldWidth columns wide:
// rows, view counts, line state, repaint.
void lineTextChanged(EditorView& w, EditorState& st, size_t oldWidth);

// Runs the line editor on the current line until a key arrives that is not
// a line command; returns that command (0 when the window stopped
// dispatching while waiting for keys).
int editLine(EditorView& w, EditorState& st, KeyReader& reader);
