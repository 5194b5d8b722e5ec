// Painting an editor window from its screen buffer: each row is handed to
// the line painter, which lays it out in coloured runs on the canvas; the
// runs of every painted row also go to the host (tests read the colours).
#pragma once

class Canvas;
class EditorView;

// Paints screen rows firstRow..lastRow (1-based, clipped to the window;
// every row while a mouse mark is shown), then the blank strip below the
// last row, and puts the caret back. Nothing is drawn while the window is
// iconic.
void paintRows(EditorView& window, Canvas& dc, int firstRow, int lastRow);
// The whole window.
void paintWindow(EditorView& window, Canvas& dc);
