// Reading fold-structured files (the text fold format and the binary TDS
// format) into LineNode chains of a window's tree.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/linestore.hpp"
#include "model/markerscan.hpp"

// What a read found that the user should hear of.
struct ReadReport {
  // Marker lines that pair with nothing and were read as text (1-based).
  struct Stray {
    uint32_t line;
    markerscan::Marker kind;
  };
  std::vector<Stray> strays;
  size_t nuls = 0;  // NUL bytes, read as blanks
};

// A name made into the path the program uses, and what the file system says
// of it. Probing never creates, truncates or removes anything.
struct PathProbe {
  std::string path;     // absolute
  bool exists = false;  // opens for reading
  bool usable = false;  // may be read, or created in its directory
};

// A name beginning "/" is used as it is; any other is put after the top of
// the base path stack (the working directory when the stack is empty). A
// "\" stored by an old file reads as "/".
PathProbe resolve(LineStore& window, const std::string& name);

// What went wrong reading a file, for the caller to tell the user.
enum class ReadFailure : uint8_t {
  None,
  Unreadable,  // could not be opened or read
  NoMemory,    // the line budget ran out
};

// What reading found: the failure, and what the user is to be told of a
// file that was read.
struct ReadOutcome {
  ReadFailure failure = ReadFailure::None;
  std::string path;
  size_t openFolds = 0;  // folds of a damaged TDS file left without an end line
  ReadReport report;
};

// Reads the file `name` (resolved as `probe`) into the tree: the lines are
// linked after `after`, and the chain is closed by `end`; top-level lines
// take headerColumn(end) as their indent. An empty name, or a file not there,
// reads as an empty file.
//  filedNode: null for the window's own file, else the node whose text
//    names the file (a filed fold's end).
//  setNames: the file's base name becomes the text of `end`, and of `after`
//    too when filedNode is null; the window's own file (filedNode null and
//    setNames) also sets fileName and how the file is to be written back
//    (readAsTds, lfLineEnds).
//  opened: called with the path once the file is open, before it is read.
// Afterwards ioStatus is 0 (or 3 when the last line had no line end); 2
// when the file could not be read, in which case the tree is as it was.
// Nothing is shown to the user here: the caller tells what the outcome says.
ReadOutcome readFile(LineStore& window, LineNode* filedNode, LineNode* after, LineNode* end,
                     bool setNames, const std::string& name, const PathProbe& probe,
                     const std::function<void(const std::string&)>& opened = {});

// The filter of the open-file dialog: every file type the program knows.
std::string openFilter();

// Tests only: whether a text file may be read in one pass where it can
// (the default), or always in two.
void allowOnePassReading(bool on);
