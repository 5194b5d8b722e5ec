#include "gui/guiapp.hpp"
#include "commands/keyqueue.hpp"

#include <QApplication>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include <cstdio>

#include "app/placement.hpp"
#include "gui/messageswindow.hpp"
#include "gui/treepane.hpp"
#include "app/settingsstore.hpp"
#include "commands/keytable.hpp"
#include "display/editorview.hpp"
#include "engine/navigation.hpp"
#include "gui/editorwidget.hpp"
#include "gui/mainframe.hpp"
#include "gui/documentwindow.hpp"
#include "gui/documentarea.hpp"
#include "gui/printing.hpp"
#include "gui/qthost.hpp"
#include "engine/fileio.hpp"
#include "model/fileidentity.hpp"
#include "model/filetypes.hpp"
#include "model/paths.hpp"
#include "model/profile.hpp"
#include "model/settings.hpp"

namespace {

constexpr const char* kRecentSection = "Recent";

bool isTreeOption(const std::string& a) {
  return a.size() == 2 && (a[0] == '-' || a[0] == '/') && (a[1] == 't' || a[1] == 'T');
}

}  // namespace

// --- GuiApplication --------------------------------------------------------

GuiApplication::GuiApplication(EditorContext& ctx, DesktopApplication& owner)
    : Application(ctx), owner_(owner) {}

void GuiApplication::openFileCommand(EditorView&) { owner_.openCommand(); }

void GuiApplication::exitApplication() {
  // The window that finished is gone already; the exit runs from the event
  // loop, not inside the dispatcher that asked for it.
  QTimer::singleShot(0, &owner_, [o = &owner_] { o->exitCommand(); });
}

void GuiApplication::windowExited(EditorView& w) {
  OpenDocument* doc = documentOf(w);
  if (owner_.frame() && owner_.frame()->buildCommands()) owner_.frame()->buildCommands()->windowClosing(w);
  if (doc && owner_.frame())
    if (DocumentWindow* child = owner_.frame()->client()->childOf(*doc)) child->windowGone();
  closeDocument(w);
  owner_.documentClosed();
}

void GuiApplication::maximizeWindow(EditorView& w) {
  OpenDocument* doc = documentOf(w);
  DocumentWindow* child = doc && owner_.frame() ? owner_.frame()->client()->childOf(*doc) : nullptr;
  if (!child) return;
  if (child->isMaximized()) child->showNormal();
  else child->showMaximized();
}

void GuiApplication::showHideTree(EditorView& w) {
  PaneSplitter* s = PaneSplitter::of(w);
  if (!s) return;
  s->showHideTree();
  // The reopen list keeps whether the pane was shown.
  if (OpenDocument* doc = documentOf(w)) doc->showTree = s->treeShown();
}

void GuiApplication::goToTreeSelection(EditorView& w) {
  if (PaneSplitter* s = PaneSplitter::of(w)) s->goToTreeSelection();
}

void GuiApplication::treeAfterCommand(EditorView& w, int command) {
  if (PaneSplitter* s = PaneSplitter::of(w)) s->treeAfterCommand(command);
}

void GuiApplication::headerTextChanged(EditorView& w, LineNode* header) {
  if (PaneSplitter* s = PaneSplitter::of(w)) s->headerTextChanged(header);
}

void GuiApplication::toolbarChanged(EditorView&) {
  if (owner_.frame()) owner_.frame()->updateCommandStates();
}

std::vector<EditorView*> GuiApplication::editorWindows() {
  std::vector<EditorView*> out;
  if (!owner_.frame()) return Application::editorWindows();
  for (DocumentWindow* c : owner_.frame()->client()->children())
    if (EditorView* w = c->window()) out.push_back(w);
  return out;
}

// --- command line ------------------------------------------------------------

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string* error) {
  bool options = true;
  bool afterFile = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (isTreeOption(a)) {
      // Belongs to the file before it; alone it opens nothing.
      if (afterFile) out.files.back().second = true;
      afterFile = false;
      continue;
    }
    if (options && a == "--") {
      options = false;
      afterFile = false;
      continue;
    }
    if (options && (a == "--config" || a.rfind("--config=", 0) == 0)) {
      if (a != "--config") {
        out.configDir = a.substr(9);
      } else if (i + 1 < args.size()) {
        out.configDir = args[++i];
      } else {
        if (error) *error = "option '--config' needs a directory";
        return false;
      }
      afterFile = false;
      continue;
    }
    if (options && a.size() > 1 && a[0] == '-') {
      if (error) *error = "unknown option '" + a + "'";
      return false;
    }
    out.files.emplace_back(a, false);
    afterFile = true;
  }
  return true;
}

// --- DesktopApplication ----------------------------------------------------------------

DesktopApplication::DesktopApplication(std::unique_ptr<QtHost> host) : host_(std::move(host)) {
  if (!host_) host_ = std::make_unique<QtHost>();
  ctx_ = std::make_unique<EditorContext>(*host_);
  host_->keyTableInForce = [this]() -> const CommandKeyTable& { return ctx_->keys.table(); };
  Printer::instance().setContext(ctx_.get());
  app_ = std::make_unique<GuiApplication>(*ctx_, *this);
  autoSave_.setInterval(60 * 1000);
  connect(&autoSave_, &QTimer::timeout, this, [this] { autoSaveTick(); });
}

DesktopApplication::~DesktopApplication() {
  qApp->removeEventFilter(this);
  autoSave_.stop();
  // The windows still open tell the status bar they are going; the frame
  // is gone by then.
  host_->onStatusMessage = nullptr;
  host_->onStatusFields = nullptr;
  host_->onRecentFile = nullptr;
  host_->dialogParent = nullptr;
  frame_.reset();
  app_.reset();
  Printer::instance().setContext(nullptr);
  host_->keyTableInForce = nullptr;
  if (&processHost() == host_.get()) setProcessHost(nullptr);
}

void DesktopApplication::start(const CommandLine& line) {
  setProcessHost(host_.get());
  StartOptions options;
  options.configDir = line.configDir;
  startCore(*ctx_, options);

  frame_ = std::make_unique<MainFrame>(*this);
  MainFrame* f = frame_.get();
  host_->onStatusMessage = [f](const std::string& text) { f->setStatusMessage(text); };
  host_->onStatusFields = [f](const std::array<std::string, 7>& fields) { f->setStatusFields(fields); };
  host_->onRecentFile = [this](const std::string& path) { addRecentFile(path); };
  host_->dialogParent = [f]() -> QWidget* { return f; };
  loadRecentFiles();
  f->restoreMainPlacement();
  if (f->windowState() & Qt::WindowMaximized) f->showMaximized();
  else f->show();
  // Ask for the keyboard focus: without a window manager to give it, the
  // frame would take keys but never count as active, and the editor would
  // show no caret.
  f->activateWindow();
  qApp->installEventFilter(this);

  // The client's set-up: the file types, the files open at the last exit,
  // then the command line's.
  f->client()->setUp();
  for (const ReopenEntry& entry : readReopenEntries()) {
    DocumentWindow* child = openDocument(entry.file);
    if (!child) continue;
    WindowPlacement p;
    bool tree = false, maximised = false, wrap = false;
    const std::string name = "File" + std::to_string(entry.number) + "Placement";
    if (!restorePlacement(*host_, name, p, &tree, &maximised, &wrap)) continue;
    child->applyPlacement(p, maximised);
    if (tree) queueCommand(*child->window(), cmdShowHideTree);
    if (wrap) queueCommand(*child->window(), cmdWordWrap);
  }
  for (const auto& [path, tree] : line.files) openDocument(path, tree);

  if (!ctx_->settings.showToolbar) f->toolBar()->hide();
  if (!ctx_->settings.showStatusBar) f->statusBar()->hide();
  f->updateCommandStates();
  autoSave_.start();
}

int DesktopApplication::run(const CommandLine& line) {
  start(line);
  const int status = QApplication::exec();
  afterLoop();
  return status;
}

void DesktopApplication::afterLoop() {
  autoSave_.stop();
  if (!frame_) return;
  ctx_->settings.showToolbar = !frame_->toolBar()->isHidden();
  ctx_->settings.showStatusBar = !frame_->statusBar()->isHidden();
  saveViewSwitches(ctx_->settings, *host_);
}

DocumentWindow* DesktopApplication::openDocument(const std::string& path, bool showTree) {
  if (!frame_) return nullptr;
  // A file open already comes to the front: two windows of one file would
  // each save over the other's changes.
  if (OpenDocument* open = app_->findDocument(path))
    if (DocumentWindow* child = frame_->client()->childOf(*open)) {
      frame_->client()->activate(child);
      if (showTree && !open->showTree) queueCommand(open->window, cmdShowHideTree);
      return child;
    }
  OpenDocument* doc = app_->openFile(path);
  if (!doc) return nullptr;
  DocumentWindow* child = frame_->client()->addDocument(*doc);
  frame_->connectChild(child);
  if (showTree) queueCommand(doc->window, cmdShowHideTree);
  frame_->updateCommandStates();
  return child;
}

DocumentWindow* DesktopApplication::newDocument() {
  if (!frame_) return nullptr;
  OpenDocument* doc = app_->newFile();
  if (!doc) return nullptr;
  DocumentWindow* child = frame_->client()->addDocument(*doc);
  frame_->connectChild(child);
  frame_->updateCommandStates();
  return child;
}

void DesktopApplication::openCommand() {
  // The dialog starts on the files of the active window's type, or on all
  // files when there is no window or its type has no entry.
  std::string filter = withAllFiles(dialogFilter(&app_->fileTypes(), langList()));
  std::string like;
  if (DocumentWindow* c = frame_ ? frame_->client()->activeChild() : nullptr)
    if (EditorView* w = c->window()) like = ownFileName(*w);
  auto name = host_->openFileDialog(filter, "Open", filterEntryFor(filter, like));
  if (name && !name->empty()) openDocument(*name);
}

bool DesktopApplication::queryExit() {
  if (!frame_) return true;
  if (exitPending_) return false;
  QList<QPointer<DocumentWindow>> children;
  for (DocumentWindow* c : frame_->client()->children()) children << c;

  // Each window's own question. What the reopen list needs is taken as soon
  // as the window has answered: its editing may end before the list is
  // written, while another window's question is on the screen.
  std::vector<PlacedWindow> placed;
  for (const QPointer<DocumentWindow>& c : children) {
    if (!c || !c->document()) continue;
    PlacedWindow before = c->placed();
    if (!c->document()->window.queryClose()) return false;
    placed.push_back(c && c->document() ? c->placed() : before);
  }
  bool modified = false;
  for (DocumentWindow* c : frame_->client()->children())
    modified = modified || (c->window() && c->window()->doc.modified);
  if (modified && host_->messageBox("Quit without save?", "Exit Plicato", MbButtons::YesNo,
                                    MbIcon::Question) != MbResult::Yes)
    return false;
  if (!writeReopenList(*host_, placed)) return false;

  // The windows end their editing now (their exit keys are queued), unless
  // one is inside a command that waits; then the exit follows its end.
  bool waiting = false;
  for (const QPointer<DocumentWindow>& c : children) {
    if (!c || !c->document()) continue;
    // Inside a command, or its file not read yet: its exit key runs later.
    if (c->document()->window.inDispatch || !c->document()->window.doc.levelTop) {
      waiting = true;
      continue;
    }
    c->editor()->dispatch();
  }
  if (frame_->client()->children().isEmpty()) return true;
  exitPending_ = waiting;
  return false;
}

bool DesktopApplication::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Hide && watched->isWidgetType()) {
    auto* w = static_cast<QWidget*>(watched);
    const Qt::WindowType type = w->windowType();
    if (w->isWindow() && w != frame_.get() && (type == Qt::Dialog || type == Qt::Window)) {
      QTimer::singleShot(0, this, [this] {
        QWidget* active = QApplication::activeWindow();
        if (frame_ && frame_->isVisible() && (!active || !active->isVisible())) frame_->activateWindow();
      });
    }
  }
  return QObject::eventFilter(watched, event);
}

void DesktopApplication::exitCommand() {
  if (frame_) frame_->close();
}

void DesktopApplication::saveAndExit() {
  if (!frame_) return;
  // A save may show a box that runs the event loop, so hold each child
  // through a guarded pointer in case it is closed meanwhile.
  for (DocumentWindow* child : frame_->client()->children()) {
    QPointer<DocumentWindow> c(child);
    EditorView* w = c ? c->window() : nullptr;
    if (!w || !w->doc.modified || w->doc.fileName.empty() || w->inDispatch) continue;
    queueCommand(*w, cmdSave);
    if (c) c->editor()->dispatch();
  }
  exitCommand();
}

void DesktopApplication::documentClosed() {
  if (!frame_) return;
  frame_->updateCommandStates();
  if (exitPending_ && frame_->client()->children().isEmpty()) {
    exitPending_ = false;
    frame_->setExitAgreed();
    QTimer::singleShot(0, frame_.get(), [f = frame_.get()] { f->close(); });
  }
}

// --- recent files ---------------------------------------------------------------

void DesktopApplication::loadRecentFiles() {
  recent_.clear();
  ProfileFile& ini = plicatoIni();
  for (int n = 1; n <= kRecentFiles; ++n) {
    const std::string path = ini.getString(kRecentSection, "File" + std::to_string(n), "");
    if (path.empty()) break;
    const QString p = fromLatin1(path);
    if (!recent_.contains(p)) recent_ << p;
  }
  Q_EMIT recentFilesChanged();
}

void DesktopApplication::saveRecentFiles() {
  const bool ok = writeSettingsBatch(*host_, [&] {
    ProfileFile& ini = plicatoIni();
    for (int n = 1; n <= kRecentFiles; ++n) {
      const std::string key = "File" + std::to_string(n);
      if (n <= recent_.size()) ini.writeString(kRecentSection, key, toLatin1(recent_[n - 1]).value_or(""));
      else if (ini.has(kRecentSection, key)) ini.deleteKey(kRecentSection, key);
    }
  });
  (void)ok;  // a failure has been shown; the list in memory stays
}

void DesktopApplication::addRecentFile(const std::string& path) {
  if (path.empty()) return;
  const QString p = fromLatin1(absolutePath(path));
  recent_.removeAll(p);
  recent_.prepend(p);
  while (recent_.size() > kRecentFiles) recent_.removeLast();
  saveRecentFiles();
  Q_EMIT recentFilesChanged();
}

// --- auto-save ------------------------------------------------------------------------

void DesktopApplication::setAutoSaveTick(int milliseconds) {
  autoSave_.setInterval(milliseconds);
  minutes_ = 0;
  if (frame_) autoSave_.start();
}

void DesktopApplication::autoSaveTick() {
  if (ctx_->settings.autoSave <= 0) {
    minutes_ = 0;
    return;
  }
  if (++minutes_ < ctx_->settings.autoSave) return;
  minutes_ = 0;
  autoSaveNow();
}

void DesktopApplication::autoSaveNow() {
  if (!frame_) return;
  // The save command's own road: it leaves the entered folds as a save
  // does, shows "Saving %s" and refreshes the window afterwards.
  for (DocumentWindow* c : frame_->client()->children()) {
    EditorView* w = c->window();
    if (!w || !w->doc.modified || w->doc.fileName.empty() || w->createFoldMode) continue;
    if (autoSaveSkips(w->doc)) continue;  // never over another program's change
    queueCommand(*w, cmdSave);
  }
}

// --- internal errors ---------------------------------------------------------------

void internalError(Host& host, const char* file, int line, int code) {
  char text[600];
  std::snprintf(text, sizeof text, "File: %s, Line: %d, Code: %d", file ? file : "", line, code);
  host.messageBox(text, "Plicato Error", MbButtons::Ok, MbIcon::Stop);
  QCoreApplication::exit(1);
}
