// Search and replace: finding a string in the level a window shows, closed
// folds included, bringing the cursor to it, and exchanging it.
//
// The search state is one for the whole editor (its EngineContext holds
// it): the dialogs of every window start from the last texts and options. Lines are compared in
// their display form, but a match counts only inside a node's own text, so
// a fold marker or the indentation that the fold structure adds never
// matches and a replacement always lands in the stored text.
//
// The commands work on the tree and repaint what they change; the
// dispatcher has written the edit buffer back into currentLine before and
// reloads it afterwards. Another window that a search goes on in is left
// and re-entered through its own hooks.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/context.hpp"
#include "platform/host.hpp"

class View;
struct LineNode;



// Command 301: the search dialog ("DIALOG_3"), then the search. An empty
// text clears the pattern and nothing is searched.
void searchCommand(View& w, const std::vector<View*>& windows);
// Command 302: the last search again, from just after the cursor (from
// just before it backward); "No previous search!" when there is none.
void findNextCommand(View& w, const std::vector<View*>& windows);
// Command 303: the replace dialog ("DIALOG_1"), then the replace loop in
// the dialog's mode.
void replaceCommand(View& w, const std::vector<View*>& windows);

// Searches searchState().pattern from the cursor line, column `column`
// (1-based display column): forward a match must begin at or after it,
// backward end before it. On a match the folds around the line are opened,
// the others closed, the cursor stands on the match and the window is
// redrawn; found is set. Reports nothing: the commands say "not found".
bool FindNext(View& w, int column);
// Replaces the match under the cursor (found by the last FindNext) with the
// replace text when the line still holds the find text there; sets
// modified, recomputes the line's rows and highlighting and repaints.
bool ReplaceAt(View& w);

// The upper case of a single byte of the program's code page.
unsigned char upperByte(unsigned char c);
// A text in upper case, as patterns are stored without "Match case".
std::string upperText(const std::string& text);
