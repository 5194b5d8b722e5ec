// The seven fields of the status line of an editor window, refreshed after
// every command and when the window takes the focus:
//   1 the time (HH:MM), 2 "Column :%d", 3 "Fold:%d of %d" (row of the
//   cursor in the view and the view's rows), 4 "File:%d of %d" (line of the
//   cursor in the whole file and the file's lines), 5 the file type, 6 "*"
//   when modified, 7 kept as it is.
// Counting the view also sets canOpenAll and canCloseAll.
#pragma once

#include <array>
#include <string>

class View;

// Fills window.statusText (and canOpenAll / canCloseAll) without sending.
void composeStatus(View& window);
// composeStatus, then hands the fields to the host's status line.
void refreshStatus(View& window);
// Empties the seven fields (the window is going away).
void clearStatus(View& window);
