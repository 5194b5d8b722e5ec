// Filed folds: folds whose contents live in a file of their own. The file
// is named by the fold's title (relative to the directory of the file
// shown) and kept as the text of the fold's end node.
//
// Only folds with the default attributes (foldType 0, foldContents 1) can
// be filed, unfiled or attached. Refusals are status-line messages (or
// nothing) and leave the tree as it was.
#pragma once

class View;

// Command 276. On a closed fold: its contents are written to the file its
// title names (asking "overwrite %s" under "Open" when the file exists),
// then leave memory, and the fold becomes a filed fold; a failed write
// keeps the fold as it was. On a filed fold: its file is read back in (when
// not loaded) and it becomes an ordinary closed fold.
void fileUnfileFold(View& w);
// Command 295. On an empty closed fold whose title names an existing file:
// the fold becomes a filed fold of that file ("Attached %s"); else "File %s
// not found".
void attachFileToFold(View& w);
