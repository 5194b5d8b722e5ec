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
  // What the command changed so far is a step of its own; what it changes
  // from here on is the next.
  void split();

 private:
  View& w_;
  ChangeScope* outer_ = nullptr;  // a scope around this one in the same view
  size_t depth_;
  uint64_t serial_;
  uint64_t changes_;
};

// The command running in the view (in a ChangeScope) ends a step here and
// goes on in a new one: each replacement that replace asks about is a step.
void splitStep(View& w);
// A command ran: typing no longer goes on in the last step.
void endTyping(View& w);

bool canUndo(const View& w);
bool canRedo(const View& w);
// Takes the file back to before its last step (redo: forward again over
// the last step undone), the view as it was then. Says "Nothing to undo"
// ("Nothing to redo") when there is none.
void undoCommand(View& w);
void redoCommand(View& w);
