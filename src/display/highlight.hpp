// The line painter: paintLine draws one screen line (or a piece of it) on a
// Canvas as coloured runs from the window's MarkUpHash, starting in the
// line's state (model/linestates.hpp).
#pragma once

#include <cstdint>
#include <functional>

#include "display/canvas.hpp"
#include "model/linenode.hpp"
#include "model/linestates.hpp"
#include "model/markup.hpp"
#include "model/settings.hpp"

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
// The settings say whether to highlight and give the scheme's colours.
uint32_t paintLine(Canvas& dc, int x, int y, const char* text, int from, int count,
                   uint32_t lineState, int paintMode, const MarkUpHash* table, RowRecord* row,
                   const Settings& settings);
