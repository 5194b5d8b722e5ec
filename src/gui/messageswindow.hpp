// The messages windows of the build commands, and the commands themselves
// as the frame calls them.
//
// MessagesWindow (window class "MESSAGES") is a top-level window with a
// list box filling it and a menu bar of one item, "&Close" (id 100),
// grayed while its run goes on; the system close is ignored, only "&Close"
// closes it. Lines come from the run's reader thread through queued
// signals, so the user-interface thread never waits on the pipe. The
// compiler-messages window of the transputer path is the same class
// without the menu, closable at any time, at its fixed place.
//
// BuildCommands makes those windows for the core's BuildManager and is
// what the frame calls for Compile (401), Make (402), Run (403) and
// Arguments... (404).
#pragma once

#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolchain/buildcommands.hpp"
#include "toolchain/buildoutput.hpp"

class Host;
class QAction;
class QListWidget;
class EditorView;

class MessagesWindow : public QMainWindow, public BuildOutput {
  Q_OBJECT

 public:
  // `server`: the compiler-messages window of the transputer path ("Plicato:
  // Compiler messages", no menu, list box control 200 of 700 x 500 at 10, 50,
  // the window topmost at 10, 10).
  explicit MessagesWindow(bool server = false, QWidget* parent = nullptr);
  ~MessagesWindow() override;

  // A new run writes into the window: "&Close" is grayed again.
  void beginRun();
  // Whether "&Close" (id 100) may be chosen.
  bool closeEnabled() const;
  QAction* closeAction() const { return closeAction_; }
  QListWidget* list() const { return list_; }
  // The lines shown, in order (tests and the frame's checks).
  std::vector<std::string> lines() const;
  bool isServerWindow() const { return server_; }

  // Called on the user-interface thread when a run has ended, before
  // "&Close" is enabled (BuildCommands joins the run's threads here).
  std::function<void(MessagesWindow&)> onRunEnded;

  // BuildOutput: from any thread.
  void setCaption(const std::string& caption) override;
  void addLine(const std::string& line) override;
  void runEnded(const std::string& caption) override;

 Q_SIGNALS:
  void captionArrived(const QString& caption);
  void lineArrived(const QString& line);
  void endArrived(const QString& caption);
  // "&Close" was chosen and the window is about to go.
  void closedByUser();

 protected:
  void closeEvent(QCloseEvent* e) override;

 private Q_SLOTS:
  void showCaption(const QString& caption);
  void appendLine(const QString& line);
  void finishRun(const QString& caption);
  void chooseClose();

 private:
  bool onOwnThread() const;

  bool server_;
  QListWidget* list_ = nullptr;
  QAction* closeAction_ = nullptr;
  bool closing_ = false;
};

class BuildCommands : public QObject, public BuildWindows {
  Q_OBJECT

 public:
  // The owner (the frame) is the QObject parent of the commands and the
  // owner of the messages windows: they are top-level windows that go with
  // it and never keep the program running after the frame has closed.
  explicit BuildCommands(QWidget* owner = nullptr);
  // Stops every run that goes on (waiting for it), then closes the windows.
  ~BuildCommands() override;

  // The frame's commands for the active editor window. A window in the
  // middle of a command (its dispatcher is running) is not built from:
  // the save question could not be answered safely then.
  void compile(EditorView& w);
  void make(EditorView& w);
  void run(EditorView& w);
  void arguments(ModelContext& ctx);
  // The editor window is being destroyed: a run of it is stopped.
  void windowClosing(EditorView& w);

  BuildManager& manager() { return *manager_; }
  // The reused messages window of an editor window, or null.
  MessagesWindow* windowOf(const EditorView& w) const;
  // Every messages window still open, oldest first.
  std::vector<MessagesWindow*> windows() const;

  // BuildWindows
  BuildOutput* messagesWindow(EditorView& w, MessagesKind kind) override;

 Q_SIGNALS:
  // A run has ended (its window's editor may close again).
  void runFinished();

 private:
  bool refuseInCommand(EditorView& w);
  MessagesWindow* makeWindow(bool server);

  QWidget* owner_;
  std::unique_ptr<BuildManager> manager_;
  std::map<const EditorView*, QPointer<MessagesWindow>> reused_;
  std::vector<QPointer<MessagesWindow>> all_;
};

// Compile and make with the external program chosen but no command line
// set: the user is told where to set it, and nothing runs.
inline constexpr const char* kNoCompilerCommand =
    "No compiler command is set.\n"
    "Enter it in Options..., on the page Compiler Options, under External compiler.";
inline constexpr const char* kNoMakerCommand =
    "No make command is set.\n"
    "Enter it in Options..., on the page Maker Options, under External maker.";

// The status message of a build asked for while the editor window is
// inside a command.
inline constexpr const char* kBuildInCommandRefusal = "The window is in the middle of a command";
