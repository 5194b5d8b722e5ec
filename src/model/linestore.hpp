// The line store of one document: the file's fold tree, the dispose list
// (pool of spare nodes and store of the last deletion), and the per-file
// fields that the reader and writer use. Document (model/document.hpp)
// derives from it and adds the files entered through filed folds.
#pragma once

#include <array>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "model/fileidentity.hpp"
#include "model/linenode.hpp"

#include "model/context.hpp"

class Host;
struct MarkUpHash;

constexpr int kBasePathEntries = 50;
constexpr size_t kCommentFieldBytes = 9;  // each comment field keeps 9 bytes
constexpr size_t kTypeNameBytes = 27;

// What one file of a document is: its chain and how it is read and written.
// A filed fold's file entered in the document replaces these while it is
// shown; the parent's are kept whole until it is shown again.
struct FileLevel {
  LineNode* fileTop = nullptr;
  LineNode* fileBottom = nullptr;
  std::string fileName;  // name of the file as last read (absolute)
  std::string title;     // what the window's caption shows
  // Comment convention of the file (cut to the field sizes).
  std::string commentStart;
  std::string commentEnd;
  // How the file was read, so that it is written back the same way.
  bool readAsTds = false;
  bool lfLineEnds = false;
  // Whether the file's last line ended with a line end (a file from
  // elsewhere may lack the last one; it is written back without it).
  bool finalLineEnd = true;
  bool backupDone = false;
  // Changed since it was last read or written.
  bool modified = false;
};

// What the line store asks of the view that shows its lines.
struct LineViewer {
  // Screen rows the node takes there.
  virtual int32_t rowsOf(const LineNode& node) const = 0;
  // The reader linked lines in after `after` (the fold tree pane follows).
  virtual void linesRead(LineNode* after) = 0;
  // A whole file was read: its first line is `first` (the cursor goes there).
  virtual void fileRead(LineNode* first) = 0;

 protected:
  ~LineViewer() = default;
};

struct LineStore : FileLevel {
  explicit LineStore(ModelContext& context);
  virtual ~LineStore();
  LineStore(const LineStore&) = delete;
  LineStore& operator=(const LineStore&) = delete;

  // The view showing the lines, or null.
  LineViewer* viewer = nullptr;
  // Told of every change to the store's nodes while it listens (the
  // document's history), or null.
  NodeRecorder* recorder = nullptr;
  // Screen rows the node takes (1 unless the view wraps long lines).
  int32_t rowsOf(const LineNode& node) const { return viewer ? viewer->rowsOf(node) : 1; }
  // Called by the reader after lines were linked in after `after`.
  void linesRead(LineNode* after) {
    if (viewer) viewer->linesRead(after);
  }

  void computeRows(LineNode* node) { node->rows() = rowsOf(*node); }

  ModelContext& ctx;
  Host& host;

  LineNode* levelTop = nullptr;
  LineNode* levelBottom = nullptr;

  // The dispose list: disposeHead is the node before its first entry (the
  // same node is the line template), disposeTail its last (disposeHead
  // while the list is empty).
  LineNode* disposeHead = nullptr;
  LineNode* disposeTail = nullptr;
  LineNode* lineTemplate = nullptr;
  // Lines the memory allows, besides those on the dispose lists; -1: as
  // much as the process can get (tests set a number).
  long long lineAllowance = -1;

  // Type name of the file (cut to the field size).
  std::string fileTypeName;
  void setCommentStart(const std::string& s) { commentStart = s.substr(0, kCommentFieldBytes); }
  void setCommentEnd(const std::string& s) { commentEnd = s.substr(0, kCommentFieldBytes); }
  void setFileTypeName(const std::string& s) { fileTypeName = s.substr(0, kTypeNameBytes); }

  // Highlighting table of the file's type (owned by the file-type list).
  MarkUpHash* markUp = nullptr;

  // The file to read at set-up: with nameGiven clear the reader asks the
  // open-file dialog; nameGiven with an empty name is a new, empty buffer.
  bool nameGiven = false;
  std::string pendingName;

  int32_t foldOffset = 0;
  // 0 after a good read or write, 2 when a file cannot be opened or written,
  // 3 when the last line read had no line end.
  int32_t ioStatus = 0;
  // The own file as it was on disk when last read or saved.
  FileIdentity diskIdentity;

  // Base path stack: directories of the file and of entered filed folds.
  std::array<std::string, kBasePathEntries> basePath;
  int basePathTop = -1;
  void pushBasePath(const std::string& dir);
  void popBasePath();
  void clearBasePath() { basePathTop = -1; }
  std::string baseDirectory() const { return basePathTop >= 0 ? basePath[basePathTop] : ""; }

  // Four spare nodes for buffers that other parts keep in the window.
  std::array<LineNode*, 4> buffers{};

  // Nodes are made in chunks of the node region, given back with the store;
  // the text buffer starts with textBytes bytes (none with 0).
  LineNode* newNode(size_t textBytes = kNewStringCapacity) {
    // Most nodes: one more of the current chunk, the text given by the caller.
    if (textBytes == 0 && slabUsed_ < noderegion::kChunkNodes && !slabs_.empty()) {
      ++nodesMade_;
      LineNode* n = new (&slabs_.back()[slabUsed_++]) LineNode();
      journal::made(n);
      return n;
    }
    return newNodeInNewChunk(textBytes);
  }
  size_t nodesMade() const { return nodesMade_; }

 private:
  LineNode* newNodeInNewChunk(size_t textBytes);

  // Chunks of the process's node region.
  std::vector<LineNode*> slabs_;
  size_t slabUsed_ = 0;
  size_t nodesMade_ = 0;
};

// Take a node for a new line (from the dispose list, else fresh) and copy
// the line template into it. Its text is empty; without withText a fresh
// node has none yet (the caller gives it one) and a reused one keeps its
// buffer as it is.
LineNode* newLineNode(LineStore& store, bool withText = true);
// Gives `to` the fields of `from` that are the node's own: kind, saved
// row, highlighting state, rows, columns and fold attributes (not its text,
// links, mark or extra).
void copyOwnFields(LineNode& to, const LineNode& from);
// Append the node (a closed fold with everything inside) to the dispose list.
void dispose(LineStore& store, LineNode* node);
// Remove and return the node most recently disposed, or null.
LineNode* takeBack(LineStore& store);
// a.next = b, b.prev = a; a closed header's end keeps pointing after it.
inline void linkAfter(LineNode* a, LineNode* b) {
  a->next = b;
  if (b) b->prev = a;
  if (isClosedHeader(a) && a->partner()) a->partner()->next = b;
}
// inner for a ClosedFold, else next.
LineNode* nextInFile(const LineNode* node);
// 1, or for a ClosedFold the nodes from the header to its end.
int32_t lineCount(const LineNode* node);
// Nodes a disposed unit puts on the list (header, contents and ends).
int32_t unitNodeCount(const LineNode* node);
// Turn an OpenFold into a ClosedFold, inner open folds first.
void close(LineNode* header);
// Lines that may still be made: as many as the memory the process can get
// holds (free memory and swap, the control group's limit, the address-space
// limit), and those waiting on the dispose lists.
long long linesAllowed(const LineStore& store);
// Whether n more lines may be made; reports shortage on the status line.
bool lineBudget(LineStore& store, int32_t n);
// indent - markerColumn for an OpenFold, else indent.
int32_t headerColumn(const LineNode* node);
// indent + markerColumn.
int32_t foldColumn(const LineNode* node);

// Builds top sentinel, root header (FileTop) and bottom sentinel, linked
// and partnered; the reader fills the chain between root and bottom.
void buildFileChain(LineStore& store);
// Sets fileTop/fileBottom after the file was read; the view goes to its
// first line.
void finishFileChain(LineStore& store);
// The first line of the file shown (the line a view of it starts on).
inline LineNode* firstLineOf(const LineStore& store) { return store.levelTop->next->next; }

// Text helpers.
// 1-based position of the first non-blank; length + 1 when all blanks.
int firstNonBlank(const char* text);
size_t lengthWithoutTrailing(const char* text);
void stripTrailing(char* text);
// Visual column of byte position pos (tabs to the next multiple of tabSize).
// From startColumn on: the column after the first pos bytes.
int expandToColumn(const char* text, size_t pos, int tabSize, int startColumn = 0);
// Whether the text begins with the given prefix.
bool startsWith(const char* text, const char* prefix);
