// Fold navigation: moving the cursor through the fold tree of a window.
//
// The window shows one level of its tree at a time: the view runs from
// levelTop->next (the header of the entered fold, or of the file) to
// levelBottom (its end line). Entering a fold makes its contents the view;
// opening a fold in place splices its contents into the view. The nesting
// of entered folds lives in the tree itself: an entered header's inner
// keeps the view head that was current before, its end's inner the view
// tail. Entering a filed fold loads its own file into the same window; the
// parent files wait on the window's filedLevels until they are returned to.
//
// Every operation works on the tree alone: the dispatcher has written the
// edit buffer back into currentLine before and reloads it afterwards.
// Refusals are one-line status messages and leave the tree as it was.
#pragma once

#include <string>

class View;
struct LineNode;

// What the window keeps of a parent file while a filed fold of it is
// entered (one per filed fold entered, innermost last).
struct FiledLevel;

// Command 263: enters the closed fold at the cursor, or loads the file of
// the filed fold at the cursor into the window.
void EnterFold(View& w);
// Command 267: leaves the innermost entered fold; at the top of a filed
// file saves it and returns to the parent file; at the file's top level
// saves when AUTOSAVEATTOPLEVEL is on and the file is modified.
void ExitFold(View& w);
// Command 262: opens the closed fold at the cursor in place.
void OpenInPlace(View& w);
// Opens a closed fold of the view in place (contents spliced in and
// indented); false, and nothing changes, when it is not a closed fold.
bool openFoldInPlace(View& w, LineNode* header);
// Command 266: closes the innermost open fold that holds the cursor.
void CloseFold(View& w);
// Command 297 / 334: opens (closes) every fold of the view, at every depth.
void OpenAllFolds(View& w);
void CloseAllFolds(View& w);
// Commands 281 / 285: the cursor to the first / last line of the view.
void TopOfFold(View& w);
void BottomOfFold(View& w);
// Command 305: asks for a line number ("INPUT2") and goes there.
void GotoLine(View& w);
// Goes to line n of the view, counting the lines inside closed folds too;
// nothing for n <= 0, the view's end line for n past the end.
void gotoLineNumber(View& w, long n);
// Makes target the cursor line: every closed fold around it is opened in
// place, every other open fold of the view closed; then the cursor is
// placed at wantedRow. Nothing happens when target is not in the view.
void revealLine(View& w, LineNode* target, int wantedRow);
// Back to the top level of the window's outermost file, innermost first;
// filed files are saved on the way. False (and the window stays in the
// filed file whose save failed) when a save failed.
bool exitAllFolds(View& w);
// Leaves the entered folds of the file shown (not its filed parents); the
// save command does this before writing.
void exitToFileTop(View& w);
// Command 288: "Enter depth  %d folds. %d spaces. ", then ":::A %2d %d" for
// a header with attributes and " %s" (its file) for a filed fold.
std::string foldInfo(View& w);

// Whether the window shows a filed fold's file rather than its own file.
bool inFiledFile(const View& w);
// The end line and the name of the window's own file, also while a filed
// fold's file is shown.
LineNode* ownFileBottom(const View& w);
std::string ownFileName(const View& w);
// Structure only, without saving: every filed file is left (its lines
// discarded) and every entered fold exited, back to the window's own file.
// For commands that throw the whole tree away (reload).
void discardFiledLevels(View& w);
