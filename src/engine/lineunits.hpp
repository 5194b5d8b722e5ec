// The line commands: a whole line of the view is one unit, a text line or a
// closed (or filed) fold with everything folded inside it. Units are taken
// out of the view into the window's slots and put back above the cursor
// with InsertNode (engine/foldedit.hpp).
//
// Where the units wait, all in View:
//  - deletedLine: the last unit deleted (null when empty); the one before
//    it goes to the free list (the dispose list of the line store), from
//    which restore line can take the most recent disposal back;
//  - moveSlot: the unit taken by the first press of move line;
//  - the pick list: units chained by next behind the node pickHead (taken
//    with newLineNode when the window is made), pickTail the last; empty when
//    pickHead == pickTail. Units in the pick list have indent 0.
//
// In wrap mode a line that takes several rows gives only the row under the
// cursor (a closed fold's header on its first row goes whole): that row's
// characters become a one-row text line and are cut out of the line.
//
// Refusals are silent unless a message is named; a refused unit stays in
// its slot. Successful commands set modified and queue the cursor row.
#pragma once

#include <functional>

class View;
struct LineNode;

// Command 258.
void deleteLine(View& w);
// Command 259. Puts the deleted line back; with the deleted-line slot empty
// and lines on the free list, shows "Press restore line again for best
// try" and returns true: the next key decides. When it is 259 again,
// restoreBestTry takes the most recent disposal back and puts it; any other
// key just runs.
bool restoreLine(View& w);
void restoreBestTry(View& w);
// Command 264: the first press takes the cursor line into the move slot,
// the second puts it above the cursor line.
void moveLine(View& w);
// Command 265: a copy of the cursor line goes directly below it and
// becomes the cursor line.
void copyLineCommand(View& w);
// Command 290: the cursor line leaves the view for the end of the pick list.
void pickLine(View& w);
// Command 291: a copy of the cursor line goes to the end of the pick list.
void copyPick(View& w);
// Command 292: the pick list, as one new closed fold with an empty title,
// goes above the cursor line; the pick list is empty again. "No pick" when
// it is empty.
void putPick(View& w);

// Takes the cursor line (or, in wrap mode, its row under the cursor) out of
// the view; null when the line may not be taken. The cursor goes to the
// line after it. (Shared by delete, move and pick.)
LineNode* takeLineOut(View& w);
// Units waiting in the pick list.
int pickCount(const View& w);
