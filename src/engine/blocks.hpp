// Blocks: the run of view lines selected with the mouse mark or the
// marking keys, and what can be done with it: copy to the clipboard, cut,
// delete, save to a file, fold; and paste of clipboard text at the cursor.
//
// The block is the window's selection (blockActive, blockFirst, blockEnd,
// blockKind), kept by setMarkEnd from the mark. A line block ends before
// blockEnd; a block extended by columns, and any block while long lines
// wrap, holds blockEnd too. Blocks are whole lines.
//
// Clipboard text carries the fold structure in the display form: fold
// headers and ends with their screen markers ("{{{  ", "...  ", "...F ",
// "}}}") and no comment signs; only attribute and file lines (which end in
// a bare LF) and the text lines of COMMENT folds carry the window's comment
// start. Paste reads that form back whatever the window's language.
//
// The dispatcher has written the edit buffer back into currentLine before
// any of these run and reloads it afterwards. Refusals are status-line
// messages that leave the tree unchanged; without a block the block
// commands do nothing.
#pragma once

#include <string>

class View;

// Whether a block is selected.
bool blockSelected(const View& w);
// Whether the block may be worked on by `command`: it must not cut through
// an open fold nor hold the view's own header or end line. A refusal shows
// the command's message ("Plicato can't Copy this block", ...; copy also
// beeps) and returns false.
bool checkBlock(View& w, int command);
// The block's clipboard text (empty without a block).
std::string clipboardText(View& w);

// Commands 322, 325: the block's text goes to the clipboard; the mark stays.
void copyBlock(View& w);
// Commands 324, 326: copy, then delete.
void cutBlock(View& w);
// Command 260 with a mark, and the context menu's Delete: the block's lines
// leave the view for the dispose list, one unit (a line, or a fold with its
// contents) after the other, so restore line brings them back one by one.
void deleteBlock(View& w);
// Save as (294, 316) while a block is selected: the block's clipboard text
// is written to the file that the save-as dialog names. The window keeps
// its own name.
void saveBlock(View& w);
// Command 269 while a block is selected: a new closed fold around the
// block, at the column of its leftmost line ("Plicato can't fold this
// block" when a fold header stands left of the text).
void foldBlock(View& w);

// Commands 323, 327: pasteText with the clipboard's text.
void pasteBlock(View& w);
// Inserts text in the clipboard form at the cursor: above the cursor line,
// or, when the cursor stands on a character of a text line, into that line
// (the first pasted line joins its left part, the last its right part;
// marker lines are never joined). Lines end at CR LF, LF or a lone CR.
// Silent on a file's top line or an entered fold's header, and for empty
// text. Sets modified when lines went in.
void pasteText(View& w, const std::string& text);

// Commands 318-321: the cursor moves one line or one screen and the mark
// follows it from where marking began, as a drag of the mouse to that line
// would make it (so the in-line marking keys, which end the mark at the
// cursor, go on from there).
void markUp(View& w);
void markDown(View& w);
void markPageUp(View& w);
void markPageDown(View& w);
