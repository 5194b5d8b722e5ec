// The desktop program's application object and the Application it runs.
//
// DesktopApplication ("Plicato") owns the QtHost, the main window, the recent-files
// list and the preview counter; it runs the start-up in the program's
// order and the exit with its questions, the reopen list and the view
// switches. GuiApplication is the core's Application with the frame behind
// the callbacks the dispatcher makes.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "app/application.hpp"
#include "gui/qthost.hpp"

class QtHost;
class DesktopApplication;
class MainFrame;
class DocumentWindow;

class GuiApplication : public Application {
 public:
  GuiApplication(EditorContext& ctx, DesktopApplication& owner);

  // The file is read when the window's set-up message arrives.
  bool loadsAtOnce() const override { return false; }

  void openFileCommand(EditorView& w) override;
  void exitApplication() override;
  void windowExited(EditorView& w) override;
  void maximizeWindow(EditorView& w) override;
  void showHideTree(EditorView& w) override;
  void goToTreeSelection(EditorView& w) override;
  void treeAfterCommand(EditorView& w, int command) override;
  void headerTextChanged(EditorView& w, LineNode* header) override;
  void toolbarChanged(EditorView& w) override;
  std::vector<EditorView*> editorWindows() override;

  // The size new windows start with until their widget is laid out.
  void setDefaultSize(int rows, int cols) { rows_ = rows; cols_ = cols; }

 private:
  DesktopApplication& owner_;
};

// What the command line asks for, after the options are taken off.
struct CommandLine {
  std::string configDir;
  // Each file, and whether the tree option followed it.
  std::vector<std::pair<std::string, bool>> files;
};
// Splits the arguments of the desktop program (without the program name):
// "--config DIR", "--" and the files, each optionally followed by "-T" or
// "/T" (either case). False with a message for anything else.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string* error);

class DesktopApplication : public QObject {
  Q_OBJECT

 public:
  // The host may be handed in (tests answer its boxes); else one is made.
  explicit DesktopApplication(std::unique_ptr<QtHost> host = nullptr);
  ~DesktopApplication() override;

  // The start-up: the core (settings, languages, keys, macros), the main
  // window with its placement, the file types, the reopen list and the
  // files of the command line. The main window is shown.
  void start(const CommandLine& line);
  // start, the message loop, and what follows it. The exit status.
  int run(const CommandLine& line);
  // After the message loop: the view switches are written.
  void afterLoop();

  QtHost& host() { return *host_; }
  EditorContext& context() { return *ctx_; }
  GuiApplication& app() { return *app_; }
  MainFrame* frame() { return frame_.get(); }

  // Opens a file into a document window ("File \n%s\ndoesn't exist or isn't
  // accessible." under "Plicato Warning" when it cannot): null then.
  DocumentWindow* openDocument(const std::string& path, bool showTree = false);
  // A new, empty buffer captioned "Noname".
  DocumentWindow* newDocument();
  // The open dialog, then openDocument.
  void openCommand();

  // The exit: every window's own question, then "Quit without save?" while
  // a window is still modified, the reopen list and placements. False when
  // the exit was cancelled. The windows that agreed end their editing.
  bool queryExit();
  // Whether an exit was agreed and waits for windows still dispatching.
  bool exitPending() const { return exitPending_; }
  // Closes the main window as the exit command does.
  void exitCommand();
  // 105: saves every modified window that has a name, then exits.
  void saveAndExit();

  // Recent files, most recent first; kept in PLICATO.INI, section "Recent".
  const QStringList& recentFiles() const { return recent_; }
  void addRecentFile(const std::string& path);
  static constexpr int kRecentFiles = 8;

  // Open print previews; the frame stays as it is while one is shown.
  int previewCount() const { return previews_; }
  void previewOpened() { ++previews_; }
  void previewClosed() { if (previews_ > 0) --previews_; }

  // Auto-save: every settings().autoSave minutes each modified window that
  // has a name is saved. The tick is one minute; tests shorten it.
  void setAutoSaveTick(int milliseconds);
  void autoSaveNow();

  // Called by GuiApplication when a window has ended its editing.
  void documentClosed();

 Q_SIGNALS:
  // The recent-files list changed (the frame rebuilds its entries).
  void recentFilesChanged();

 protected:
  // A dialog or another window of ours that closes gives the keyboard back
  // to the main window when nothing else took it (there may be no window
  // manager to do it).
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void loadRecentFiles();
  void saveRecentFiles();
  void autoSaveTick();

  std::unique_ptr<QtHost> host_;
  std::unique_ptr<EditorContext> ctx_;
  std::unique_ptr<GuiApplication> app_;
  std::unique_ptr<MainFrame> frame_;
  QStringList recent_;
  int previews_ = 0;
  QTimer autoSave_;
  int minutes_ = 0;
  bool exitPending_ = false;
};

// The process's application object, or null outside the desktop program.

// An inconsistency inside the program: "File: %s, Line: %d, Code: %d"
// under "Plicato Error", then the message loop ends (with status 1).
void internalError(Host& host, const char* file, int line, int code);
#define PLICATO_INTERNAL_ERROR(host, code) internalError((host), __FILE__, __LINE__, (code))
