// A document: the lines of one file in the editor and the files entered
// through its filed folds.
//
// While a filed fold's file is shown, its header H is the file's top line
// (kind FileTop) and its end E the file's end; a sentinel stands before H
// as the file's fileTop, like the top sentinel of the document's own file.
// The parent's FileLevel is kept whole in the FiledLevel and comes back
// when the filed file is left.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/history.hpp"
#include "model/linestore.hpp"

struct FiledLevel {
  FileLevel parent;  // the file the filed fold is in, as it was
  LineNode* header = nullptr;
  LineNode* sentinel = nullptr;
  LineNode* headerPrev = nullptr;  // H's prev in the parent's chain
  int32_t headerIndent = 0;
  int32_t endIndent = 0;
  std::string endText;  // the parent's reference to the file, as it stands there
  std::string path;     // the filed file, resolved
  int8_t row = 2;       // cursor row on H when it was entered
  // Folds that were entered in the parent, outermost first; they are
  // entered again on the way back.
  std::vector<LineNode*> enteredPath;
};

class Document : public LineStore, public NodeRecorder {
 public:
  explicit Document(ModelContext& context);
  ~Document() override;

  // The file shown now: the document's own or the innermost filed file.
  FileLevel& file() { return *this; }
  const FileLevel& file() const { return *this; }

  // Parent files of the filed folds entered, innermost last.
  std::vector<std::unique_ptr<FiledLevel>> filedLevels;
  bool inFiledFile() const { return !filedLevels.empty(); }

  // A filed fold's file is shown from now on, with a history of its own;
  // leaving it ends that history and gives the parent's level back.
  void enterFiledLevel(std::unique_ptr<FiledLevel> level);
  std::unique_ptr<FiledLevel> leaveFiledLevel();

  // The undo history of the file shown.
  History& history() { return *histories_.back(); }
  const History& history() const { return *histories_.back(); }
  // The history at depth i (0: the document's own file), or null when the
  // document has no longer one there with that serial.
  History* historyAt(size_t i, uint64_t serial) {
    return i < histories_.size() && histories_[i]->serial == serial ? histories_[i].get() : nullptr;
  }
  size_t historyDepth() const { return histories_.size() - 1; }
  // The file shown was read again: its history starts anew.
  void restartHistory();

  // The file changed (set by every step that changes lines or folds).
  void markChanged() {
    modified = true;
    ++changes;
  }
  // The file shown was written as it stands.
  void markSaved() {
    modified = false;
    history().markSaved();
  }
  // Counts markChanged: a command changed the file when it moved.
  uint64_t changes = 0;

  void touched(LineNode& n, bool text) override;
  void made(LineNode& n) override;

 private:
  std::unique_ptr<History> newHistory() const;
  // One per file shown: the document's own first, then one per filed file.
  std::vector<std::unique_ptr<History>> histories_;
};
