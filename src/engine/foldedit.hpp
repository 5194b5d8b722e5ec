// Making and unmaking folds at the cursor, and the deep copy of a line.
//
// A fold is made in two presses: the first inserts a fold line ("{{{" at
// the fold column) above the cursor line and starts create-fold mode, in
// which the lines the cursor moves down onto are marked; the second press
// closes a new fold over the marked lines. The dispatcher has written the
// edit buffer back into currentLine before any of these run and reloads it
// afterwards; they work on the tree, repaint what they changed and set the
// window's modified flag when something changed. Refusals are status-line
// messages and leave the tree as it was.
#pragma once

#include <cstddef>

class View;
struct LineNode;

// Links node above the cursor line, at the column of the cursor line's
// level; it becomes the cursor line and the screen is repainted from the
// cursor row. On a continuation row of a wrapped line a fold cannot go in
// ("Fold can't be inserted here - only between strings", false, nothing
// changes); a text node there is merged into the cursor line at the start
// of that row and then given to the free list. Refused without a word (false)
// above an entered fold's header or a file's top line, which would put the
// node outside the view.
bool InsertNode(View& w, LineNode* node);

// First press: the fold line goes above the cursor line at display column
// column - 1 (1-based column in; never left of the line's level), and
// create-fold mode starts. Silent on an entered fold's header or a file's
// top line.
void StartFold(View& w, int column);
// Second press: closes a fold over the lines from below the fold line down
// to above the cursor line; "Plicato cannot fold backwards" / "Plicato
// cannot fold" keep the mode and the marks.
void FinishFold(View& w);
// Command 269 without a block: asks the line budget for 3 lines, then
// StartFold at w.textColumn or, in create-fold mode, FinishFold.
void createFoldCommand(View& w);
// Command 287: starts a fold at the cursor (unless one is being made),
// moves down over the lines that hold text, and finishes the fold there.
void Autofold(View& w);
// Command 273: dissolves the closed fold at the cursor into the text around
// it, keeping every line where it stood on screen.
void RemoveFold(View& w);
// Command 312: puts "COMMENT " before a closed fold's title, or takes
// "COMMENT", the character after it and the blanks that follow away.
void CommentFold(View& w);
// Command 306: the cursor line's text, leading blanks dropped, becomes the
// title of the innermost open or entered fold that holds the line. Nothing
// at a file's top level, and nothing on a fold end, an entered fold's
// header or a file's top line (their text is not a line of the fold).
void lineToFoldHeader(View& w);

// A copy of a line with everything folded inside it, linked like the
// original (closed headers' inner chains end at their copied ends), not
// linked into any view: prev and next are null. In wrap mode, for a text
// line or with the cursor on a continuation row of `line` (the cursor
// line), only the text under the cursor's row is copied, as a one-row text
// line. Null after "Plicato cannot copy filed folds" when a filed fold lies
// in it, and null without a word for a line that is no unit of its own (a
// fold end, an open or entered fold's header, a file's top line). The
// caller asks the line budget first (unitNodeCount of the line).
LineNode* CopyLine(View& w, LineNode* line);

// Makes a closed fold of the view lines from `first` up to, not including,
// `end` (a later line of the same view; `first` == `end` makes an empty
// fold above `end`), standing at display column foldColumn (raised to the
// column of first's level when smaller), as the second create-fold press
// does: two new nodes, header above `first` with an empty title and end
// above `end`; enclosed open folds are closed; every enclosed line keeps
// its place on screen. The cursor goes to the new header, behind its
// marker, and is placed as after FinishFold.
// False, with no message and nothing changed, when the run cannot be
// folded: it leaves the view or cuts through an open fold, a fold header at
// its outer level stands left of the fold column, or a text line there has
// a non-blank left of it (a line shorter than the column passes). The
// caller asks the line budget for the 2 lines and reports refusals.
bool finishFoldAt(View& w, LineNode* first, LineNode* end, int foldColumn);
// The check finishFoldAt makes, alone.
bool canFoldRun(const View& w, LineNode* first, LineNode* end, int foldColumn);
// The column a new line above `line` gets: the column of line's level
// (an open header: its indent less its markerColumn; an entered fold's
// end: its header's indent).
int levelColumnAt(const LineNode* line);

// Bytes [from, to) of line's text that the wrapped row subRow shows (a
// tab belongs to the row where it starts); false when the line has no text
// on screen (a fold end). from == to when the row shows none of the text.
bool rowTextRange(const View& w, const LineNode* line, int subRow, std::size_t& from,
                  std::size_t& to);
