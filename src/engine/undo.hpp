// Undo and redo of the steps of the file a view shows. Every command that
// may change the file runs inside a ChangeScope; what it changed becomes
// one step of the file's history (model/history.hpp), and a run of typing
// on one line is one step.
#pragma once

#include <cstddef>
#include <cstdint>

class View;
struct LineNode;

class ChangeScope {
 public:
  // typingLine: typing on that line, which goes on in the step of the
  // typing before it when nothing ran between.
  explicit ChangeScope(View& w, LineNode* typingLine = nullptr);
  ~ChangeScope();
  ChangeScope(const ChangeScope&) = delete;
  ChangeScope& operator=(const ChangeScope&) = delete;
  // The command wrote files, which its undo does not unwrite.
  void wroteFiles();

 private:
  View& w_;
  size_t depth_;
  uint64_t serial_;
  uint64_t changes_;
};

// A command ran: typing no longer goes on in the last step.
void endTyping(View& w);

bool canUndo(const View& w);
bool canRedo(const View& w);
// Takes the file back to before its last step (redo: forward again over
// the last step undone), the view as it was then. Says "Nothing to undo"
// ("Nothing to redo") when there is none.
void undoCommand(View& w);
void redoCommand(View& w);
