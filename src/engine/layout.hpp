// The layout of a view: how the lines of the level shown become screen
// rows, how the cursor and the view move by rows, and where the cursor line
// is placed after a far move. Rows given new contents are marked changed in
// the view; the display composes them (View::composeRow).
//
// The view is the chain from levelTop->next to levelBottom (both shown);
// in wrap mode every line takes line->rows() rows, else one. Screen rows
// count from 1.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class View;
struct LineNode;

// A row of the view: a line and one of its wrapped pieces.
struct ViewPos {
  LineNode* line = nullptr;
  int32_t subRow = 0;
  bool operator==(const ViewPos&) const = default;
};

// The fold marker drawn before a node's text ("...  ", "...F ", "{{{  ",
// "{{{F ", "}}}", or nothing).
const char* markerOf(const LineNode& node);
// Columns (and bytes) of the display text before the node's own text: the
// indentation's blanks and the marker.
size_t displayPrefix(const LineNode& node);
// Display text: indentation, marker, text (the end line has no text). The
// bytes are the line's own, tabs included.
std::string displayText(const LineNode& node);
// The display text as the screen shows it: tabs expanded to the tab stops
// of tabSize, so that screen columns are text columns.
std::string screenText(const LineNode& node, int tabSize);
// screenText(node).size(), without building the text when it has no tab.
size_t screenLength(const LineNode& node, int tabSize);
// Appends columns [start, start + count) of screenText(node) to out, reading
// no further into the line than those columns need (a row of a very long
// line costs its own width, not the line's length). True when the screen
// text reaches column start + count, i.e. has at least that many columns.
bool screenPiece(const LineNode& node, size_t start, size_t count, std::string& out,
                 int tabSize);
// Rows a text of `length` characters takes at `width` per row (at least 1).
int32_t wrapRowsFor(size_t length, int width);

// The first line of the view, and its end line (levelBottom).
LineNode* viewFirst(const View& w);
bool atViewStart(const View& w, const ViewPos& p);
bool atViewEnd(const View& w, const ViewPos& p);
// One row on or back; false (p unchanged) at the view's ends.
bool stepDown(const View& w, ViewPos& p);
bool stepUp(const View& w, ViewPos& p);
// Rows of the view from its first line up to p, p excluded.
int32_t rowsBefore(const View& w, const ViewPos& p);
// Rows of the whole view.
int32_t viewRows(const View& w);

// Row `row` shows the piece (line, subRow) from now on. When composed, the
// visible width is screenCols - 3 from leftColumn (wrap mode: from the
// piece's start), padded with spaces and five more, or cut and followed by
// the continuation mark (">" in wrap mode, the byte 187 otherwise) and
// four spaces. The cursor does not move.
void composeRow(View& w, int row, LineNode* line, int32_t subRow);
// Row `row` shows nothing (below the view's end).
void clearRow(View& w, int row);
// Recomputes bottomLine from topLine and rewrites rows fromRow and below.
void Redraw(View& w, int fromRow);

// Holds the painting of the windows added to it; when it ends each is
// painted whole once.
class PaintHold {
 public:
  PaintHold() = default;
  PaintHold(const PaintHold&) = delete;
  PaintHold& operator=(const PaintHold&) = delete;
  ~PaintHold() { release(); }
  void add(View& w);
  void release();

 private:
  std::vector<View*> held_;
};
// After a change that leaves topLine valid: cursorRow recounted from the
// top when the top is the view's first line, else PlaceCursor(2).
void RedrawKeepTop(View& w);
// Places the cursor line at screen row `wanted`, keeping one line of
// context above and below (except on the view's first line) and filling
// the window from the top; then redraws the window.
void PlaceCursor(View& w, int wanted);

// "Plicato V4.1", or "Plicato V4.1 (title)" inside an entered fold.
std::string versionText(const View& w);
void showVersion(View& w);

// Cursor one row down / up, scrolling at the window's edge. At the view's
// end "BOTTOM of LIST." (at its start "TOP of LIST") is shown and nothing
// moves; false then.
bool moveDown(View& w);
bool moveUp(View& w);
// Page moves: the rows between the cursor and the far edge of the window
// (the edge farther from the cursor), stopping at the view's ends; the
// cursor keeps its screen row as far as the view allows. Returns the rows
// moved.
int pageDown(View& w);
int pageUp(View& w);
// The view moves one row; the cursor stays on its line while it is on the
// screen, else it is carried along. False when the view cannot move.
bool scrollViewDown(View& w);
bool scrollViewUp(View& w);

// Moves the cursor to screen row `row` (leaving and re-entering the line
// editing through the window's hooks). A row beyond the view's end is an
// internal fault and ends the process.
void moveToRow(View& w, int row);
// The cursor to display column col of the cursor line: in wrap mode onto
// the row piece that holds it, else scrolling sideways when it is not shown.
// Only the cursor fields change; the caller redraws.
void cursorToColumn(View& w, int col);
// "There is no line with number %d" under "Plicato Internal Error", then
// the process ends with 222.
[[noreturn]] void noLineFault(View& w, int row);
