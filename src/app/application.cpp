#include "app/application.hpp"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/settingsstore.hpp"
#include "commands/keyqueue.hpp"
#include "commands/keytree.hpp"
#include "commands/macros.hpp"
#include "display/highlight.hpp"
#include "engine/statusline.hpp"
#include "engine/layout.hpp"
#include "engine/viewmetrics.hpp"
#include "engine/filecommands.hpp"
#include "engine/navigation.hpp"
#include "engine/fileio.hpp"
#include "model/fileidentity.hpp"
#include "model/foldreader.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

namespace {

bool openableForReading(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// Both names stand for one file: the same absolute path, or the same file
// on disk under another name.
bool sameFileName(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (absolutePath(a) == absolutePath(b)) return true;
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace

void startCore(EditorContext& ctx, const StartOptions& options) {
  if (!options.configDir.empty()) setConfigDir(options.configDir);
  loadAllSettings(ctx.settings);
  if (options.layout == kLayoutStandard || options.layout == kLayoutWindows)
    ctx.settings.keyboardLayout = options.layout;
  programDir();
  reloadLangList();
  startKeyboard(ctx, ctx.settings.keyboardLayout);
  ctx.macros.load(ctx.host);
}

Application::Application(EditorContext& c) : ctx(c), host(c.host) { ctx.application = this; }

Application::~Application() {
  if (ctx.application == this) ctx.application = nullptr;
  if (activeFileTypes() == &fileTypes_) setActiveFileTypes(nullptr);
}

void Application::loadFileTypes() {
  fileTypes_.load(host);
  setActiveFileTypes(&fileTypes_);
}

OpenDocument* Application::makeDocument(const std::string& title, int rows, int cols) {
  auto doc = std::make_unique<OpenDocument>(ctx, title);
  EditorView& w = doc->window;
  w.screenRows = std::max(3, rows);
  w.screenCols = std::max(8, cols);
  w.setUp();
  w.screenRows = std::max(3, rows);  // set-up measures; the caller's size holds
  w.screenCols = std::max(8, cols);
  w.fitScreenBuffer();
  installFileHooks(w);
  installKeyHooks(w);
  documents_.push_back(std::move(doc));
  return documents_.back().get();
}

OpenDocument* Application::openFile(const std::string& path, int rows, int cols) {
  struct stat st;
  std::string full = absolutePath(path);
  // A directory, or a file we may not read, would open as an empty buffer
  // that a save could write over the real file; a pipe or a device never
  // ends.
  if (path.empty() || ::stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
      !openableForReading(full)) {
    host.messageBox("File \n" + full + "\ndoesn't exist or isn't accessible.", "Plicato Warning",
                    MbButtons::Ok, MbIcon::Exclamation);
    return nullptr;
  }
  OpenDocument* doc = makeDocument(full, rows, cols);
  EditorView& w = doc->window;
  w.doc.nameGiven = true;
  w.doc.pendingName = full;
  setConvention(w.doc, extensionOf(full), &fileTypes_, langList());
  if (loadsAtOnce()) loadDocument(*doc);
  return doc;
}

OpenDocument* Application::newFile(int rows, int cols) {
  OpenDocument* doc = makeDocument("Noname", rows, cols);
  EditorView& w = doc->window;
  w.doc.nameGiven = true;
  w.doc.pendingName.clear();
  setConvention(w.doc, "", &fileTypes_, langList());
  if (loadsAtOnce()) loadDocument(*doc);
  return doc;
}

void Application::loadDocument(OpenDocument& doc) {
  EditorView& w = doc.window;
  buildFileChain(w.doc);
  LineNode* root = w.doc.levelTop->next;
  const FileIdentity seen = identityOf(w.doc.pendingName.empty() ? "" : absolutePath(w.doc.pendingName));
  read(w.doc, nullptr, root, w.doc.levelBottom, true);
  rememberRead(w.doc, seen);
  finishFileChain(w.doc);
  if (w.doc.pendingName.empty()) {
    // A new buffer: the root shows its caption.
    assign(*root, "Noname");
    assign(*w.doc.levelBottom, "Noname");
  }
  // Highlighting states are worked out as lines are shown.
  invalidateViewMetrics(w);
  w.topLine = nullptr;
  w.cursorCol = 0;
  w.textColumn = 1;
  PlaceCursor(w, 2);
  refreshStatus(w);
}

OpenDocument* Application::findDocument(const std::string& path) {
  if (path.empty()) return nullptr;
  for (auto& d : documents_) {
    const EditorView& w = d->window;
    // The name to read stays behind after a save as: it counts only until
    // the file has been read.
    const std::string& waiting = w.doc.fileName.empty() ? w.doc.pendingName : std::string();
    if (sameFileName(ownFileName(w), path) || sameFileName(w.doc.fileName, path) ||
        sameFileName(waiting, path))
      return d.get();
  }
  return nullptr;
}

bool Application::dispatch(OpenDocument& doc) { return runDispatcher(doc.window, doc.state, *this); }

OpenDocument* Application::documentOf(const EditorView& w) {
  for (auto& d : documents_)
    if (&d->window == &w) return d.get();
  return nullptr;
}

void Application::closeDocument(EditorView& w) {
  documents_.erase(std::remove_if(documents_.begin(), documents_.end(),
                                  [&](const std::unique_ptr<OpenDocument>& d) { return &d->window == &w; }),
                   documents_.end());
}

void Application::openFileCommand(EditorView&) {
  auto name = host.openFileDialog(dialogFilter(&fileTypes_, langList()), "Open");
  if (name && !name->empty()) openFile(*name, rows_, cols_);
}

std::vector<EditorView*> Application::editorWindows() {
  std::vector<EditorView*> out;
  for (auto& d : documents_) out.push_back(&d->window);
  return out;
}
