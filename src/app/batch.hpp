// `plicato --batch`: the editor without a window system. It starts up as
// the desktop program does, opens each file in an editor window, types the
// key script into the window of the last file opened, runs the dispatcher
// until the script is used up and prints what --dump asks for.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/application.hpp"
#include "platform/batchhost.hpp"
#include "platform/keyscript.hpp"

class EditorView;

// The editor driven by key scripts: the start-up, the documents, and the
// keys typed into the window of the last file opened. Tests use it too.
class BatchSession {
 public:
  explicit BatchSession(const StartOptions& options, int rows = 25, int cols = 80);
  ~BatchSession();

  BatchHost host;
  EditorContext ctx{host};
  Application& app() { return *app_; }
  OpenDocument* open(const std::string& path);
  // Appends a key script; false (with a message) when it does not parse.
  bool type(const std::string& script, std::string* error = nullptr);
  // Runs the dispatcher of the target window until the keys are used up.
  void run();
  // The window the keys go to (the last one opened, or the one active after
  // it exited); null when none is left.
  EditorView* target() { return target_; }

 private:
  std::unique_ptr<Application> app_;
  std::deque<KeyStroke> strokes_;
  EditorView* target_ = nullptr;
  OpenDocument* targetDoc_ = nullptr;
  int rows_, cols_;
};

// Runs a batch session; args are the command-line arguments after the
// program name (including "--batch"). Returns the exit status.
int runBatch(const std::vector<std::string>& args);

// The rows of the window as it shows them, trailing blanks removed.
std::vector<std::string> screenLines(const EditorView& w);
// The dump of --dump (parts: any of "screen", "status", "messages").
std::string batchDump(const EditorView* w, const BatchHost& host,
                      const std::vector<std::string>& parts);
