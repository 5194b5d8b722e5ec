// The dispatcher: the editing loop of one editor window. It hands the
// cursor line to the line editor, checks each command the line editor
// returns against the window's modes and runs it through the engine.
#pragma once

#include <vector>

#include "commands/lineeditor.hpp"

class EditorView;
struct LineNode;

// What the dispatcher asks of the program around the window: the frame's
// commands, the fold tree pane and the other editor windows.
class EditorShell {
 public:
  virtual ~EditorShell() = default;
  virtual void openFileCommand(EditorView& w) { (void)w; }   // 304, 315
  virtual void exitApplication() {}                            // after 277
  // The window ended its editing after exit (293, 277): destroy it. The
  // dispatcher does not touch the window afterwards.
  virtual void windowExited(EditorView& w) { (void)w; }
  virtual void maximizeWindow(EditorView& w) { (void)w; }    // 335
  virtual void showHideTree(EditorView& w) { (void)w; }      // 330
  virtual void goToTreeSelection(EditorView& w) { (void)w; } // 331
  // After a command: the tree follows the structure and the current line.
  virtual void treeAfterCommand(EditorView& w, int command) { (void)w; (void)command; }
  // The cursor line is a header whose title changed.
  virtual void headerTextChanged(EditorView& w, LineNode* header) { (void)w; (void)header; }
  // Enter, exit and the like change what the tool bar offers.
  virtual void toolbarChanged(EditorView& w) { (void)w; }
  // Every editor window in the frame's order (search in all open files).
  virtual std::vector<EditorView*> editorWindows() { return {}; }
};

// Runs the loop until the window stops dispatching (its input is used up,
// or it exited). Returns false when the window exited and must not be used.
bool runDispatcher(EditorView& w, EditorState& st, EditorShell& shell);

enum class CommandResult { Continue, Exit, ExitApplication };

// Runs one command outside the line (what the loop does with each command
// the line editor returns). Exit: the file was saved as exit requires and
// the window's editing has ended; the caller lets the shell destroy it.
// A command that asks for the next key (restore line) leaves its question
// in st; the dispatcher reads the answer when it comes.
CommandResult runCommand(EditorView& w, EditorState& st, EditorShell& shell, int command);

// Repaints the queued rows, the caret, the scroll bars and the status line.
void refreshWindow(EditorView& w, EditorState& st, EditorShell& shell);

// Whether a command may change the shape of the view (which lines it holds
// and their rows). Only the pure moves keep it.
bool changesShape(int command);

// Whether the window shows the outermost list of its file.
bool atTop(const EditorView& w);
