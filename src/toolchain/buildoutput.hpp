// Where the output of a compile, make or run goes: a messages window.
//
// The build code never sees a window system. The desktop program
// implements these interfaces with its messages windows; tests implement
// them with plain recorders.
#pragma once

#include <string>

class EditorView;

// One messages window as the build code sees it.
class BuildOutput {
 public:
  virtual ~BuildOutput() = default;

  // The window's caption. Called from the reader thread of a run, or from
  // the user-interface thread around a blocking server call.
  virtual void setCaption(const std::string& caption) = 0;
  // One finished line of output, in the order the program printed it.
  // Called from the reader thread (or, for the server path, from the
  // user-interface thread while the server runs).
  virtual void addLine(const std::string& line) = 0;
  // The run has ended: its last line is in, the caption becomes `caption`,
  // and "&Close" may be enabled. Called once per run, last of all, from the
  // reader thread (or the user-interface thread when nothing was started).
  // The implementation must hand the end over to the user-interface thread
  // and there call BuildManager::runEnded for the editor window.
  virtual void runEnded(const std::string& caption) = 0;
};

// The kinds of messages windows the build commands open.
enum class MessagesKind {
  Compile,      // external compiler (reused while open)
  Make,         // external maker (reused while open)
  Run,          // the built program (reused while open)
  Maker,        // internal maker: "Plicato: Maker messages", a new one each time
  Compiler,     // transputer server: "Plicato: Compiler messages", a new one each time
};

// Makes (or finds) the messages windows.
class BuildWindows {
 public:
  virtual ~BuildWindows() = default;
  // The messages window for a run of this kind started from editor window
  // w: the one still open from an earlier run of the window is reused (it
  // grays "&Close" again), else a new one is made. Null when none can be
  // made. The object stays valid until the run has ended.
  virtual BuildOutput* messagesWindow(EditorView& w, MessagesKind kind) = 0;
};
