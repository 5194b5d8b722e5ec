// Writing one fold level of a window's tree (the whole file, or a filed
// fold's contents) into its file, in the text fold format or the TDS binary
// format. Files are replaced atomically: the old file stays intact until the
// new one is complete.
#pragma once

#include <functional>
#include <string>

#include "model/linestore.hpp"

// What went wrong writing a file, for the caller to tell the user.
enum class WriteFailure : uint8_t {
  None,
  CannotOpen,     // the path cannot be written (said on the status line)
  ChangedOnDisk,  // another program changed the file since it was read
  WriteError,     // the write failed (said in a message box)
};

struct WriteOutcome {
  WriteFailure failure = WriteFailure::None;
  std::string path;
  int error = 0;           // errno of a WriteError
  std::string why;         // what the error alone does not tell
  std::string keptBackup;  // where the old contents are when they could not be put back
  std::string backupWarning;  // the .bak copy could not be made (the save went on)
};

// Writes every node after `header`, in file order, up to but not including
// header->partner(), into the file named by pathNode's text (resolved against
// the base path stack). ioStatus is 0 afterwards, or 2 when nothing was
// written. The window's own file, changed on disk by another program since
// it was read, is written over only with overwriteChanges. `writing` is
// called with the path just before the file is written.
// The format is TDS when the file was read as TDS (readAsTds), or when it is
// new and the window's type is a TDS type; otherwise text, with LF line ends
// when the file was read with them (lfLineEnds), else CR LF.
// Nothing is shown to the user here: the caller tells what the outcome says.
WriteOutcome writeFile(LineStore& window, LineNode* pathNode, LineNode* header,
                       bool overwriteChanges = false,
                       const std::function<void(const std::string&)>& writing = {});

// EACCES when the file's mode bits give no write permission at all (a
// read-only file, for root too: replacing it by a rename would get round
// what the user set), else 0.
int readOnlyError(const std::string& path);

// Where the backup copy of `path` goes: the file's directory, its base name
// up to the first ".", then ".bak".
std::string backupName(const std::string& path);
