// The build commands of the frame: Compile (401), Make (402), Run (403)
// and Arguments... (404).
//
// Compile and Make run a program (or the make library) while the editor
// goes on: the output is read on the run's own threads into a messages
// window, and the run ends when its BuildOutput reports runEnded and the
// desktop program hands that to runEnded() here, on its own thread. While a
// run of an editor window goes on, the window's buildRunning flag is set:
// it refuses to close, and a second build from it is refused.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "model/context.hpp"
#include "toolchain/buildoutput.hpp"

class CaptureRun;
class Host;
class EditorView;

// The status message of a build asked for while one of the window runs.
inline constexpr const char* kBuildBusyRefusal = "Compiler or Maker hasn't ended yet";

class BuildManager {
 public:
  explicit BuildManager(BuildWindows& windows);
  // Every run still going is stopped (its processes terminated) and
  // waited for; the server libraries are freed.
  ~BuildManager();
  BuildManager(const BuildManager&) = delete;
  BuildManager& operator=(const BuildManager&) = delete;

  // What "Yes" to the save question runs; the window's save command when
  // not set.
  std::function<bool(EditorView&)> save;

  // 401: the file of the window through the compiler command line, or
  // through the link and server when "ExternalCompiler" is off.
  void compile(EditorView& w);
  // 402: the maker command line, or the make library when "ExternalMaker"
  // is off.
  void make(EditorView& w);
  // 403: the program built from the window's file (its name without the
  // extension, in its directory) with the arguments of "Arguments...".
  void run(EditorView& w);
  // 404: asks for the program's arguments and keeps them in the setting
  // "Compiler\RunArguments".
  void arguments(ModelContext& ctx);

  // The run writing into `out` has ended: its threads are joined, its pipe
  // closed, and its window's buildRunning cleared. Nothing for an output
  // without a run (a run that never started, the server path).
  void runEnded(BuildOutput& out);
  // The editor window is going away: a run of it is stopped.
  void windowClosing(EditorView& w);
  // Whether a run writing into `out` / started from w goes on.
  bool running(const BuildOutput& out) const;
  bool running(const EditorView& w) const;
  size_t runCount() const { return runs_.size(); }

 private:
  struct Active {
    EditorView* window = nullptr;
    std::unique_ptr<CaptureRun> run;
    std::function<std::string()> finished;  // the caption at its end
  };

  // How a command line run in a child process starts and what it says.
  struct ProcessPlan {
    MessagesKind kind;
    const char* pipeCaption;   // caption of "Couldn't create Pipe"
    const char* emptyCaption;  // the window's caption when there is no command
    const char* working;
    const char* finished;
    const char* processError;  // with %d the error number, %s the command
    const char* threadError;
    bool needsFile = false;    // the window's file must have a name
    bool needsCommand = true;  // an empty setting ends at once
    bool askSave = true;
  };
  // compose(setting, fileName) is the command line; directory(fileName)
  // the child's working directory ("" = the editor's).
  void startProcess(EditorView& w, const ProcessPlan& plan, const std::string& setting,
                    const std::function<std::string(const std::string&, const std::string&)>& compose,
                    const std::function<std::string(const std::string&)>& directory);
  void internalMake(EditorView& w);
  bool refuseBusy(EditorView& w);

  BuildWindows& windows_;
  std::map<const BuildOutput*, Active> runs_;
};
