// What every fuzz target shares: a host under which a fatal exit is a
// finding, a private configuration directory and scratch directory, the
// program's data files from the source tree, and a check of a window's fold
// tree that traps on the first broken link.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/linestore.hpp"
#include "platform/batchhost.hpp"

// A BatchHost whose exitProcess aborts: no input may end the program. It
// keeps no recent-files list, which would grow with every input of a host
// that lives through the run.
class FuzzHost : public BatchHost {
 public:
  [[noreturn]] void exitProcess(int code) override;
  void addRecentFile(const std::string&) override {}
};

// Sets up the process once: configuration directory, program directory
// (the source tree's resources/), scratch directory. Safe to call often.
void fuzzInit();
// The private scratch directory of this process.
const std::string& scratchDir();
// Writes bytes to scratchDir()/name and returns the path.
std::string writeScratch(const std::string& name, const uint8_t* data, size_t size);
std::string writeScratch(const std::string& name, const std::string& data);
bool readScratch(const std::string& path, std::string& out);

// Installs a host as the process host for one run of a target.
class ScopedHost {
 public:
  explicit ScopedHost(Host& host);
  ~ScopedHost();
};

// Traps (a finding) with the message when the condition fails.
void fuzzCheck(bool ok, const char* what);

// Checks the window's tree from its root header to its bottom: links both
// ways, header and end partners, closed folds' inner chains ending at their
// ends; returns the number of lines (headers and ends count).
size_t checkTree(const LineStore& w);
// The tree as text (kinds, indents, attributes, texts), for comparisons.
std::string treeText(const LineStore& w);

// A window set up for reading: comment convention and type name as given.
struct WindowSpec {
  const char* commentStart;
  const char* commentEnd;
  const char* typeName;
  const char* extension;
};
// The conventions the fold targets choose from by the first input byte.
extern const WindowSpec kConventions[];
extern const size_t kConventionCount;

// Checks the view of a window that is being edited: from the header after
// levelTop to levelBottom, open folds meeting their ends in the chain and
// closed folds checked as checkTree does.
void checkView(const LineStore& w);
// Reads a file as checkTree wants it, in a window of its own, and checks it.
void checkFile(const WindowSpec& conv, const std::string& path);

// Reads the file at path as a window's own file with the convention given,
// checks the tree and writes it back over the file, three times (each with
// the convention the read before ended with): the last two written files
// must be equal (what the writer writes reads back to itself).
void foldRoundTrip(const WindowSpec& conv, const std::string& path, int tabSize = 8);
