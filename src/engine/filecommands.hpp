// The commands that move a window's file to and from the disk: save (314),
// save as (294, 316), reload (317), insert file (296), and the save on the
// way out of the window (293).
//
// A failure is reported where it happens (message box or status line) and
// keeps the window, its lines and its modified flag.
#pragma once

#include <string>

class FileTypeList;
class View;

// The INI file types of the application, for the file type that a new name
// selects; null (the language list alone) until the application sets it.
FileTypeList* activeFileTypes();
void setActiveFileTypes(FileTypeList* types);

// Command 314: refuses a file that may not be written, leaves the entered
// folds, writes the file when modified and clears modified when the write
// succeeded. An unnamed window goes through save as. True when the file on
// disk is what the tree says.
bool saveCommand(View& w);
// Commands 294 / 316: asks for a name; the window takes it (caption, base
// directory, file type) and is written under it. Inside a filed file the
// filed files are left (and saved) first. A cancelled dialog or a failed
// write keeps the old name.
bool saveAsCommand(View& w);
// The window's own file (no filed file entered) takes a new name:
// fileName, caption, the names of its top and end lines, the base
// directory and the file type of the name.
void adoptFileName(View& w, const std::string& path);
// Command 317: throws the whole tree away and reads the file again; clears
// modified. A file that cannot be read keeps the tree.
bool reloadCommand(View& w);
// Command 296: asks the open-file dialog and reads the chosen file in after
// the cursor line. False when nothing was inserted.
bool insertFileCommand(View& w);
// Command 293 on its way out: leaves every entered fold and filed file,
// refuses a read-only file, and writes the file when modified. Returns
// whether the window may be destroyed (false when changes would be lost).
bool exitSave(View& w);

// Plugs save and rename into the window's hooks (used by the close
// question of the window).
void installFileHooks(View& w);
