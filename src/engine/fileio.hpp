// Reading and writing a window's files with the user in the loop: the
// open-file dialog when no name was given, the question before writing over
// another program's change, and the messages that say what went wrong. The
// reading and writing themselves are the fold reader's and writer's.
#pragma once

#include <functional>

#include "model/foldreader.hpp"
#include "model/foldwriter.hpp"

// Reads a file into the tree, as readFile does (see there for after, end
// and setNames).
//  filedNode: null to read the window's pending name (asking the open-file
//    dialog when no name was given, and again while the name given cannot
//    be used), else a node whose text names the file (a filed fold's end).
// The window's own file (filedNode null and setNames) also starts the base
// path stack. A file that cannot be read is said in a message box, and the
// tree and the base path stack are as they were; the warnings of a file
// read (folds without an end, markers that do not pair up, NUL bytes) are
// shown once the file is in the tree.
//  report: when given, what the read found (also when it was told).
void read(LineStore& window, LineNode* filedNode, LineNode* after, LineNode* end, bool setNames,
          ReadReport* report = nullptr);

// Writes a fold level into its file, as writeFile does, asking before it
// writes over a change another program made to the window's own file. What
// went wrong is said on the status line or in a message box.
void Save(LineStore& window, LineNode* pathNode, LineNode* header);

// The writing part of the save command: refuses a file that may not be
// written, leaves the entered folds through `leaveEnteredFolds` (navigation
// owns them; may be empty), and writes the window's file when `modified`.
// True when the file is as the tree says (written, or nothing to write): the
// caller clears its modified flag then, and only then.
bool saveCommandWrite(LineStore& window, bool modified,
                      const std::function<void()>& leaveEnteredFolds = {});

// Before an auto-save: true when it must skip the window because its file
// changed on disk, which the status line then says.
bool autoSaveSkips(LineStore& window);
