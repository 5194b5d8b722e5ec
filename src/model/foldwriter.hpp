// Writing one fold level of a window's tree (the whole file, or a filed
// fold's contents) into its file, in the text fold format or the TDS binary
// format. Files are replaced atomically: the old file stays intact until the
// new one is complete.
#pragma once

#include <functional>

#include "model/linestore.hpp"

// Writes every node after `header`, in file order, up to but not including
// header->partner, into the file named by pathNode's text (resolved against
// the base path stack). ioStatus is 0 afterwards, or 2 when nothing was
// written (the reason was shown on the status line or in a message box).
// The format is TDS when the file was read as TDS (readAsTds), or when it is
// new and the window's type is a TDS type; otherwise text, with LF line ends
// when the file was read with them (lfLineEnds), else CR LF.
void Save(LineStore& window, LineNode* pathNode, LineNode* header);

// The writing part of the save command: refuses a file that may not be
// written, leaves the entered folds through `leaveEnteredFolds` (navigation
// owns them; may be empty), and writes the window's file when `modified`.
// True when the file is as the tree says (written, or nothing to write): the
// caller clears its modified flag then, and only then.
bool saveCommandWrite(LineStore& window, bool modified,
                      const std::function<void()>& leaveEnteredFolds = {});

// Where the backup copy of `path` goes: the file's directory, its base name
// up to the first ".", then ".bak".
std::string backupName(const std::string& path);
