// The program around the editor windows, without any window system: the
// start-up steps, the file-type list, the open documents and the frame
// commands the dispatcher asks for. The desktop program and batch runs
// both build on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/context.hpp"
#include "commands/dispatcher.hpp"
#include "display/editorview.hpp"
#include "model/filetypes.hpp"

class Host;

// One open file: its editor window and the dispatcher's state for it.
struct OpenDocument {
  OpenDocument(EditorContext& ctx, const std::string& title) : window(ctx, title) {}
  EditorView window;
  EditorState state;
  bool showTree = false;  // opened with the tree option
};

struct StartOptions {
  std::string configDir;  // "" = the default place
  int layout = 0;         // 0 = as the settings say
};

// Start-up in the program's order: settings, the program's path and the
// language list, the key table of the layout and its key tree, the macros.
void startCore(EditorContext& ctx, const StartOptions& options);

class Application : public EditorShell {
 public:
  explicit Application(EditorContext& ctx);
  ~Application() override;

  // Reads the file-type list from PLICATO.INI (the client window's set-up).
  void loadFileTypes();
  FileTypeList& fileTypes() { return fileTypes_; }

  // Opens a file in a new document: "File \n%s\ndoesn't exist or isn't
  // accessible." under "Plicato Warning" when it cannot be; null then.
  OpenDocument* openFile(const std::string& path, int rows = 25, int cols = 80);
  // A new, empty buffer captioned "Noname".
  OpenDocument* newFile(int rows = 25, int cols = 80);
  // The document that already shows the file, or null: its own file, the
  // filed file it has entered, or the file it is about to read. Names are
  // compared as absolute paths, then as the same file on disk (a link, or
  // another spelling of the directory).
  OpenDocument* findDocument(const std::string& path);
  // What the window does on its set-up message (kMsgSetUpDone): reads its
  // file and shows the top.
  void loadDocument(OpenDocument& doc);
  // Whether openFile and newFile read the file at once; a desktop program
  // that delivers kMsgSetUpDone itself reads it when the message arrives.
  virtual bool loadsAtOnce() const { return true; }
  // Runs the window's dispatcher; false when the window exited (and is gone).
  bool dispatch(OpenDocument& doc);

  const std::vector<std::unique_ptr<OpenDocument>>& documents() const { return documents_; }
  OpenDocument* documentOf(const EditorView& w);
  void closeDocument(EditorView& w);
  bool exitRequested() const { return exitRequested_; }

  // EditorShell
  void openFileCommand(EditorView& w) override;
  void exitApplication() override { exitRequested_ = true; }
  void windowExited(EditorView& w) override { closeDocument(w); }
  std::vector<EditorView*> editorWindows() override;

  EditorContext& ctx;
  Host& host;

 protected:
  // The size of new windows for documents opened by commands.
  int rows_ = 25;
  int cols_ = 80;

 private:
  OpenDocument* makeDocument(const std::string& title, int rows, int cols);

  FileTypeList fileTypes_;
  std::vector<std::unique_ptr<OpenDocument>> documents_;
  bool exitRequested_ = false;
};
