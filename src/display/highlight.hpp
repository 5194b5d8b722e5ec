// The line painter and the highlighting line states.
//
// paintLine draws one screen line (or a piece of it) on a Canvas as coloured
// runs from the window's MarkUpHash. Because a block comment can span lines,
// each LineNode stores the state in force at its start (kStateNormal,
// kStateInComment, kStateRecompute); recompute and update keep them right.
#pragma once

#include <cstdint>
#include <functional>

#include "display/canvas.hpp"
#include "model/linenode.hpp"
#include "model/markup.hpp"

// What the painter tells the editor about a row: the colours in force after
// the first run and that run's code. A stored rowStyle is handed back as
// the paint mode of a continuation row.
struct RowRecord {
  uint32_t textColour;
  uint32_t backColour;
  int32_t rowStyle;
};

enum PaintMode : int {
  kPaintSelected = 0,      // selection background for the whole piece
  kPaintNormal = 1,        // every run sets both colours
  kPaintTextOnly = 2,      // runs set only the text colour (wrap tail)
  kPaintWordGoesOn = 3,    // leading word characters in the entry colours
  kPaintRunGoesOn = 4,     // the whole piece in the entry colours
  kPaintCommentGoesOn = 5, // up to the block comment's end in the entry colours
};

enum RunCode : int32_t {
  kRunPlain = 1,
  kRunKeyword = 3,
  kRunToEnd = 4,
  kRunBlockComment = 5,
};

// Paints text[from, count) at (x, y), the current position advancing run by
// run; text before from is scanned but not drawn (from < 0 draws from 0).
// text is NUL-terminated; count is cut to its length. Matching may look past
// count (a keyword the piece cuts is still recognised); drawing never does.
// table may be null. row, when given, is filled. Returns the background
// colour in effect after the last run.
uint32_t paintLine(Canvas& dc, int x, int y, const char* text, int from, int count,
                   uint32_t lineState, int paintMode, const MarkUpHash* table, RowRecord* row);

// The state of the line after one with the given state and text.
uint32_t nextState(uint32_t state, const char* text, const MarkUpHash* table);

// File order: a closed fold's header is followed by its contents.
LineNode* nextInFileOrder(const LineNode* node);
LineNode* prevInFileOrder(const LineNode* node);

// Sets the state of every line from first on (first gets kStateNormal).
void recompute(LineNode* first, const MarkUpHash* table);
// The line's state, worked out (with those of the lines before it whose
// states are unknown) when it is not known yet.
uint32_t stateOf(LineNode* line, const MarkUpHash* table);

// Recomputes from the changed line on and stops at the first line whose
// stored state already equals the computed one.
void update(LineNode* changed, const MarkUpHash* table);

// Called for each passed line that is on screen: row is its first screen
// row (rows count from 1).
using RepaintRow = std::function<void(int row, LineNode* line)>;
// As update; changed sits at screen row `row`. Each passed line that is on
// screen (row <= rowCount, not inside a closed fold) is handed to repaint;
// the row advances by the rows each such line takes.
void update(LineNode* changed, const MarkUpHash* table, int row, int rowCount,
            const RepaintRow& repaint);
