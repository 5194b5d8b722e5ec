#include "gui/mainframe.hpp"
#include "commands/keyqueue.hpp"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

#include <cstdio>
#include <functional>

#include "app/placement.hpp"
#include "gui/messageswindow.hpp"
#include "commands/dispatcher.hpp"
#include "commands/helptext.hpp"
#include "commands/keytable.hpp"
#include "display/editorview.hpp"
#include "engine/navigation.hpp"
#include "engine/undo.hpp"
#include "gui/diskwatch.hpp"
#include "gui/editorwidget.hpp"
#include "gui/guiapp.hpp"
#include "gui/documentwindow.hpp"
#include "gui/documentarea.hpp"
#include "gui/menus.hpp"
#include "gui/optionsdialog.hpp"
#include "gui/printing.hpp"
#include "gui/qthost.hpp"
#include "gui/toolicons.hpp"
#include "model/linenode.hpp"
#include "model/settings.hpp"

namespace {

constexpr int kMaxDroppedFiles = 10;

// The commands that are not built into this program yet.
bool notYetThere(int) { return false; }

QString withKeys(const CommandKeyTable& table, const QString& text,
                 const std::vector<int>& commands) {
  const QString keys = keysOfCommands(table, commands);
  return keys.isEmpty() ? text : text + "\t" + keys;
}

}  // namespace

MainFrame::MainFrame(DesktopApplication& app)
    : app_(app), client_(new DocumentArea(app.app(), app.host(), this)) {
  setObjectName("TMyDecoratedMDIFrame");
  setWindowTitle("Plicato for Windows");
  setWindowIcon(programIcon());
  setCentralWidget(client_);
  build_ = new BuildCommands(this);
  setAcceptDrops(true);
  resize(960, 700);

  struct Entry {
    int id;
    const char* text;
  };
  static const Entry entries[] = {
      {cmNew, "&New"},
      {cmOpen, "&Open..."},
      {cmSave, "&Save"},
      {cmSaveAs, "Save &As..."},
      {cmSaveAll, "Save A&ll"},
      {cmPrintScreen, "Print Sc&reen"},
      {cmPrintBuffer, "&Print Buffer..."},
      {cmPrintPreview, "Print Pre&view"},
      {cmPrinterSetup, "Printer Set&up..."},
      {cmPrinterFont, "Printer &Font..."},
      {cmSend, "Sen&d..."},
      {cmSaveExit, "Save && Exi&t"},
      {cmExit, "E&xit"},
      {cmCompile, "&Compile"},
      {cmMake, "&Make"},
      {cmRun, "&Run"},
      {cmArguments, "&Arguments..."},
      {cmOptions, "&Options..."},
      {cmToolBar, "&Tool Bar"},
      {cmStatusBar, "&Status Bar"},
      {cmCascade, "&Cascade"},
      {cmTile, "&Tile"},
      {cmNextWindow, "&Next Window"},
      {cmPreviousWindow, "&Previous Window"},
      {cmHelpKeys, "&Keys..."},
      {cmAbout, "&About Plicato..."},
  };
  for (const Entry& e : entries) makeFrameAction(e.id, e.text);
  frameActions_[cmToolBar]->setCheckable(true);
  frameActions_[cmStatusBar]->setCheckable(true);
  // The document windows take turns from any layout: both keys are free
  // in every key table.
  frameActions_[cmNextWindow]->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
  frameActions_[cmPreviousWindow]->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)});
  for (int id : {cmNextWindow, cmPreviousWindow}) {
    frameActions_[id]->setShortcutContext(Qt::WindowShortcut);
    addAction(frameActions_[id]);
  }
  frameActions_[cmExit]->setIcon(toolIcon("EXIT"));
  frameActions_[cmNew]->setIcon(toolIcon("NEW"));
  frameActions_[cmOpen]->setIcon(toolIcon("OPEN"));
  frameActions_[cmSave]->setIcon(toolIcon("SAVE"));
  frameActions_[cmSaveAs]->setIcon(toolIcon("SAVEAS"));
  frameActions_[cmPrintBuffer]->setIcon(toolIcon("PRINT"));
  frameActions_[cmHelpKeys]->setIcon(toolIcon("HELP"));
  frameActions_[cmAbout]->setIcon(toolIcon("ABOUT"));

  buildToolBar();
  buildStatusBar();
  buildMenus();

  connect(client_, &QMdiArea::subWindowActivated, this, [this] { childActivated(); });
  watchDiskChanges(*this);
  connect(&app_, &DesktopApplication::recentFilesChanged, this, [this] { fillRecentFiles(); });
  // The Print button of the keyboard-layout help dialogs.
  app_.host().onHelpPrint = [this] { runFrameCommand(cmPrintLayout); };
  updateCommandStates();
}

MainFrame::~MainFrame() {
  // The children go with the frame; what they signal on the way finds no
  // frame to update.
  QObject::disconnect(client_, nullptr, this, nullptr);
  app_.host().onHelpPrint = nullptr;
  for (QMdiSubWindow* s : client_->subWindowList())
    if (auto* c = qobject_cast<DocumentWindow*>(s))
      QObject::disconnect(c->editor(), nullptr, this, nullptr);
}

QAction* MainFrame::makeFrameAction(int id, const QString& text) {
  auto* a = new QAction(text, this);
  a->setObjectName(QString("cm%1").arg(id));
  const std::string hint = frameHint(id);
  if (!hint.empty()) {
    a->setStatusTip(hintStatus(hint));
    a->setToolTip(hintTip(hint));
  }
  connect(a, &QAction::triggered, this, [this, id] { runFrameCommand(id); });
  frameActions_[id] = a;
  return a;
}

QAction* MainFrame::frameAction(int id) const {
  auto it = frameActions_.find(id);
  return it == frameActions_.end() ? nullptr : it->second;
}

QAction* MainFrame::editorAction(int command) const {
  auto it = editorActions_.find(command);
  return it == editorActions_.end() ? nullptr : it->second;
}

QAction* MainFrame::toolAction(const QString& name) const {
  auto it = toolActions_.find(name);
  return it == toolActions_.end() ? nullptr : it->second;
}

void MainFrame::buildToolBar() {
  toolBar_ = addToolBar("Tool Bar");
  toolBar_->setObjectName("ToolBar");
  toolBar_->setIconSize(QSize(24, 24));
  toolBar_->setMovable(true);
  for (const ToolButton& b : toolButtons()) {
    if (!*b.name) {
      toolBar_->addSeparator();
      continue;
    }
    const QString name = b.name;
    auto* a = new QAction(toolIcon(name), name, this);
    a->setObjectName(name);
    if (b.frameCommand) {
      const std::string hint = frameHint(b.frameCommand);
      a->setStatusTip(hintStatus(hint));
      a->setToolTip(hintTip(hint));
      const int id = b.frameCommand;
      connect(a, &QAction::triggered, this, [this, id] { runFrameCommand(id); });
    } else if (b.editorCommand) {
      const int command = b.editorCommand;
      if (command == cmdUndo || command == cmdRedo) a->setToolTip(capitalised(commandName(command)));
      connect(a, &QAction::triggered, this, [this, command] { runEditorCommand(command); });
    }
    toolBar_->addAction(a);
    toolActions_[name] = a;
  }
  connect(frameActions_[cmToolBar], &QAction::toggled, toolBar_, &QWidget::setVisible);
  connect(toolBar_, &QToolBar::visibilityChanged, this, [this](bool) {
    // A frame that is closing hides its bars too; only the user's choice counts.
    if (isVisible()) frameActions_[cmToolBar]->setChecked(!toolBar_->isHidden());
  });
}

void MainFrame::buildStatusBar() {
  QStatusBar* bar = statusBar();
  QFont small = bar->font();
  small.setPointSize(8);
  bar->setFont(small);
  message_ = new QLabel(bar);
  message_->setObjectName("MessageField");
  message_->setFont(small);
  message_->setMinimumWidth(120);
  bar->addWidget(message_, 1);
  // Room for the usual texts, so the fields do not jump at every key.
  static const char* widest[7] = {"00:00", "Column :999", "Fold:9999 of 9999",
                                  "File:99999 of 99999", "Modula-2", "*", ""};
  const QFontMetrics fm(small);
  for (size_t i = 0; i < fields_.size(); ++i) {
    auto* f = new QLabel(bar);
    f->setObjectName(QString("StatusField%1").arg(i + 1));
    f->setFont(small);
    f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    f->setAlignment(Qt::AlignCenter);
    f->setMinimumWidth(fm.horizontalAdvance(widest[i]) + 10);
    bar->addPermanentWidget(f);
    fields_[i] = f;
  }
  connect(frameActions_[cmStatusBar], &QAction::toggled, bar, &QWidget::setVisible);
}

void MainFrame::buildMenus() {
  // The menus follow the table in force: "User defined" keeps the table
  // that was there, which at start-up is the standard one.
  const int layout =
      app_.context().keys.table() == kWindowsTable ? kLayoutWindows : kLayoutStandard;
  menuResource_ = mainMenuResource(layout);
  documentMenuResource_ = editorMenuResource(layout);

  QMenuBar* bar = menuBar();
  bar->clear();
  bar->setObjectName(QString::fromStdString(menuResource_));
  // The entries of the old menus (editor actions included) go with them.
  for (QMenu* m : menus_) m->deleteLater();
  menus_.clear();
  editorActions_.clear();
  documentMenus_.clear();
  auto addMenu = [&](const QString& title) {
    QMenu* m = bar->addMenu(title);
    menus_.push_back(m);
    return m;
  };

  // Frame entries that stand for editor commands show their keys.
  frameActions_[cmOpen]->setText(withKeys(app_.context().keys.table(), "&Open...", {cmdOpenFile, cmdOpenFile2}));
  frameActions_[cmSave]->setText(withKeys(app_.context().keys.table(), "&Save", {cmdSave}));
  frameActions_[cmSaveAs]->setText(withKeys(app_.context().keys.table(), "Save &As...", {cmdSaveAs, cmdSaveAs2}));
  frameActions_[cmHelpKeys]->setText(withKeys(app_.context().keys.table(), "&Keys...", {cmdHelp}));

  fileMenu_ = addMenu("&File");
  fileMenu_->setObjectName("FileMenu");
  for (int id : {cmNew, cmOpen, cmSave, cmSaveAs, cmSaveAll}) fileMenu_->addAction(frameActions_[id]);
  fileMenu_->addSeparator();
  for (int id : {cmPrintScreen, cmPrintBuffer, cmPrintPreview, cmPrinterSetup, cmPrinterFont})
    fileMenu_->addAction(frameActions_[id]);
  fileMenu_->addSeparator();
  fileMenu_->addAction(frameActions_[cmSend]);
  recentSeparator_ = fileMenu_->addSeparator();
  fileMenu_->addSeparator();
  fileMenu_->addAction(frameActions_[cmSaveExit]);
  fileMenu_->addAction(frameActions_[cmExit]);
  fillRecentFiles();

  std::function<void(QMenu*, const std::vector<EditorMenuItem>&)> fill =
      [&](QMenu* menu, const std::vector<EditorMenuItem>& items) {
        for (const EditorMenuItem& item : items) {
          if (!item.subMenu.isEmpty()) {
            fill(menu->addMenu(item.subMenu), item.items);
          } else if (item.commands.empty()) {
            menu->addSeparator();
          } else {
            const int command = item.commands.front();
            QAction* a = menu->addAction(editorEntryText(app_.context().keys.table(), item.commands));
            a->setObjectName(QString("cmd%1").arg(command));
            a->setStatusTip(capitalised(commandName(command)));
            connect(a, &QAction::triggered, this, [this, command] { runEditorCommand(command); });
            for (int c : item.commands) editorActions_[c] = a;
          }
        }
      };
  for (const EditorMenu& m : editorMenus()) {
    QMenu* menu = addMenu(m.title);
    menu->setObjectName(QString::fromStdString(documentMenuResource_));
    fill(menu, m.items);
    documentMenus_.push_back(menu);
  }

  QMenu* build = addMenu("Build");
  for (int id : {cmCompile, cmMake, cmRun, cmArguments}) build->addAction(frameActions_[id]);

  QMenu* options = addMenu("Options");
  options->addAction(frameActions_[cmOptions]);
  options->addSeparator();
  options->addAction(frameActions_[cmToolBar]);
  options->addAction(frameActions_[cmStatusBar]);

  windowMenu_ = addMenu("Window");
  windowMenu_->setObjectName("WindowMenu");
  connect(windowMenu_, &QMenu::aboutToShow, this, [this] { fillWindowMenu(); });
  fillWindowMenu();

  QMenu* help = addMenu("Help");
  help->addAction(frameActions_[cmHelpKeys]);
  help->addAction(frameActions_[cmAbout]);

  // The tool bar's editor buttons tell their keys as well.
  for (const ToolButton& b : toolButtons()) {
    if (!*b.name || !b.editorCommand) continue;
    QAction* a = toolActions_[b.name];
    const QString name = capitalised(commandName(b.editorCommand));
    const QString keys = keysOfCommands(app_.context().keys.table(), {b.editorCommand});
    a->setToolTip(keys.isEmpty() ? name : name + " (" + keys + ")");
    a->setStatusTip(name);
  }
  updateCommandStates();
}

void MainFrame::fillRecentFiles() {
  if (!fileMenu_ || !recentSeparator_) return;
  for (QAction* a : fileMenu_->actions())
    if (a->property("recentFile").isValid()) {
      fileMenu_->removeAction(a);
      a->deleteLater();
    }
  // The entries go between the separator after "Send..." and the next one.
  const QList<QAction*> all = fileMenu_->actions();
  const qsizetype at = all.indexOf(recentSeparator_);
  QAction* before = at + 1 < all.size() ? all[at + 1] : nullptr;
  int n = 0;
  for (const QString& path : app_.recentFiles()) {
    ++n;
    auto* a = new QAction(QString("&%1 %2").arg(n).arg(path), fileMenu_);
    a->setProperty("recentFile", path);
    a->setStatusTip("Open " + path);
    connect(a, &QAction::triggered, this, [this, path] {
      app_.openDocument(toLatin1(path).value_or(std::string()));
    });
    fileMenu_->insertAction(before, a);
  }
}

void MainFrame::fillWindowMenu() {
  windowMenu_->clear();
  windowMenu_->addAction(frameActions_[cmCascade]);
  windowMenu_->addAction(frameActions_[cmTile]);
  windowMenu_->addAction(frameActions_[cmNextWindow]);
  windowMenu_->addAction(frameActions_[cmPreviousWindow]);
  auto* maximise = windowMenu_->addAction(editorEntryText(app_.context().keys.table(), {cmdMaximizeWindow}));
  maximise->setEnabled(activeDocument() != nullptr);
  connect(maximise, &QAction::triggered, this, [this] { runEditorCommand(cmdMaximizeWindow); });
  const QList<DocumentWindow*> children = client_->children();
  if (!children.isEmpty()) windowMenu_->addSeparator();
  int n = 0;
  DocumentWindow* active = client_->activeChild();
  for (DocumentWindow* c : children) {
    ++n;
    QAction* a = windowMenu_->addAction(QString(n < 10 ? "&%1 %2" : "%1 %2").arg(n).arg(c->windowTitle()));
    a->setCheckable(true);
    a->setChecked(c == active);
    QPointer<DocumentWindow> target(c);
    connect(a, &QAction::triggered, this, [this, target] {
      if (target && !target->gone()) client_->setActiveSubWindow(target);
    });
  }
}

OpenDocument* MainFrame::activeDocument() const {
  DocumentWindow* c = client_->activeChild();
  return c ? c->document() : nullptr;
}

EditorView* MainFrame::activeWindow() const {
  OpenDocument* doc = activeDocument();
  return doc ? &doc->window : nullptr;
}

void MainFrame::connectChild(DocumentWindow* child) {
  QPointer<DocumentWindow> c(child);
  connect(child->editor(), &EditorWidget::stateChanged, this, [this, c] {
    if (c && !c->gone()) c->updateCaption();
    updateCommandStates();
  });
  child->editor()->onContextCommand = [this, c](int id) {
    if (c && !c->gone()) runContextCommand(c, id);
  };
}

void MainFrame::childActivated() {
  if (DocumentWindow* c = client_->activeChild()) c->updateCaption();
  updateCommandStates();
}

void MainFrame::updateCommandStates() {
  OpenDocument* doc = activeDocument();
  const bool has = doc != nullptr;
  const bool any = !client_->children().isEmpty();
  for (auto& [id, action] : frameActions_) {
    bool on = true;
    if (notYetThere(id)) on = false;
    else if (id == cmSave || id == cmSaveAs) on = has;
    else if (id == cmSaveAll || id == cmCascade || id == cmTile) on = any;
    else if (id == cmNextWindow || id == cmPreviousWindow) on = any;
    else if (id == cmSend) on = has && !ownFileName(doc->window).empty() && !mailHandler().isEmpty();
    else if (id == cmPrintScreen || id == cmPrinterSetup) on = printScreenEnabled(has ? &doc->window : nullptr);
    action->setEnabled(on);
  }
  frameActions_[cmToolBar]->setChecked(!toolBar_->isHidden());
  frameActions_[cmStatusBar]->setChecked(!statusBar()->isHidden());
  for (auto& [command, action] : editorActions_) action->setEnabled(has);
  if (has) {
    editorAction(cmdUndo)->setEnabled(canUndo(doc->window));
    editorAction(cmdRedo)->setEnabled(canRedo(doc->window));
  }
  for (QMenu* m : documentMenus_) m->menuAction()->setVisible(has);

  const EditorView* w = has ? &doc->window : nullptr;
  const LineNode* cur = w ? w->currentLine : nullptr;
  for (const ToolButton& b : toolButtons()) {
    if (!*b.name) continue;
    QAction* a = toolActions_[b.name];
    bool on = has;
    switch (b.editorCommand) {
      case cmdExitFold: on = w && w->doc.levelTop && (!atTop(*w) || inFiledFile(*w)); break;
      case cmdEnterFold: on = cur && isClosedHeader(cur); break;
      case cmdOpenFold: on = cur && cur->kind == ClosedFold; break;
      case cmdCloseFold:
      case cmdCloseAllFolds: on = w && w->canCloseAll; break;
      case cmdOpenAllFolds: on = w && w->canOpenAll; break;
      case cmdUndo: on = w && canUndo(*w); break;
      case cmdRedo: on = w && canRedo(*w); break;
      default:
        if (b.frameCommand) on = frameActions_[b.frameCommand]->isEnabled();
        break;
    }
    a->setEnabled(on);
  }
}

void MainFrame::runFrameCommand(int id) {
  switch (id) {
    case cmNew: app_.newDocument(); break;
    case cmOpen: app_.openCommand(); break;
    case cmSave: runEditorCommand(cmdSave); break;
    case cmSaveAs: runEditorCommand(cmdSaveAs); break;
    case cmSaveAll:
      for (DocumentWindow* c : client_->children())
        if (EditorView* w = c->window(); w && w->doc.modified) queueCommand(*w, cmdSave);
      break;
    case cmSaveExit: app_.saveAndExit(); break;
    case cmSend: sendMail(); break;
    case cmCascade: client_->cascadeSubWindows(); break;
    case cmTile: client_->tileSubWindows(); break;
    case cmNextWindow: client_->activateNext(1); break;
    case cmPreviousWindow: client_->activateNext(-1); break;
    case cmToolBar: break;    // the action's toggle shows or hides the bar
    case cmStatusBar: break;
    case cmHelpKeys: showLayoutHelp(app_.context()); break;
    case cmOptions:
      // A changed layout has switched the key table: the menus show its keys.
      runOptionsCommand(app_.host(), app_.app(), [this] { buildMenus(); }, this);
      updateCommandStates();
      break;
    case cmPrintScreen: printScreen(this, app_.host(), activeWindow()); break;
    case cmPrinterSetup: printerSetup(this, activeWindow()); break;
    case cmPrinterFont: printerFont(this); break;
    case cmPrintBuffer: printBuffer(this, app_.host(), activeWindow()); break;
    case cmPrintPreview: printPreview(this, app_.host(), activeWindow(), &app_); break;
    case cmPrintLayout: printLayout(this, app_.host(), activeWindow()); break;
    case cmCompile:
      if (EditorView* w = activeWindow()) build_->compile(*w);
      break;
    case cmMake:
      if (EditorView* w = activeWindow()) build_->make(*w);
      break;
    case cmRun:
      if (EditorView* w = activeWindow()) build_->run(*w);
      break;
    case cmArguments: build_->arguments(app_.context()); break;
    case cmAbout: about(); break;
    case cmExit: app_.exitCommand(); break;
    default: break;  // printing, building and options come with their parts
  }
}

void MainFrame::runEditorCommand(int command) {
  DocumentWindow* c = client_->activeChild();
  if (!c || !c->window()) return;
  queueCommand(*c->window(), command);
  c->editor()->setFocus();
}

void MainFrame::runContextCommand(DocumentWindow* child, int id) {
  const int command = contextCommand(id);
  if (!command || !child || !child->window()) return;
  queueCommand(*child->window(), command);
}

void MainFrame::openDropped(const QStringList& files) {
  if (files.size() > kMaxDroppedFiles) {
    app_.host().messageBox("To many files !", "Plicato Warning", MbButtons::Ok, MbIcon::Exclamation);
    return;
  }
  for (const QString& f : files) {
    const std::optional<std::string> name = toLatin1(f);
    if (!name) {
      app_.host().messageBox("File \n" + f.toLatin1().toStdString() + "\ndoesn't exist or isn't accessible.",
                             "Plicato Warning", MbButtons::Ok, MbIcon::Exclamation);
      continue;
    }
    app_.openDocument(*name);
  }
}

namespace {

QStringList droppedFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

}  // namespace

void MainFrame::dragEnterEvent(QDragEnterEvent* e) {
  if (!droppedFiles(e->mimeData()).isEmpty()) e->acceptProposedAction();
  else e->ignore();
}

void MainFrame::dragMoveEvent(QDragMoveEvent* e) {
  if (!droppedFiles(e->mimeData()).isEmpty()) e->acceptProposedAction();
  else e->ignore();
}

void MainFrame::dropEvent(QDropEvent* e) {
  const QStringList files = droppedFiles(e->mimeData());
  if (files.isEmpty()) {
    e->ignore();
    return;
  }
  e->acceptProposedAction();
  openDropped(files);
}

void MainFrame::setStatusMessage(const std::string& text) {
  if (message_) message_->setText(fromLatin1(text));
}

void MainFrame::setStatusFields(const std::array<std::string, 7>& fields) {
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields_[i]) fields_[i]->setText(fromLatin1(fields[i]));
}

void MainFrame::restoreMainPlacement() {
  WindowPlacement p;
  if (!restorePlacement(app_.host(), "MainWindowPlacement", p)) return;
  const int width = p.right - p.left;
  const int height = p.bottom - p.top;
  if (width > 100 && height > 100) setGeometry(p.left, p.top, width, height);
  if (p.showCmd == kShowMaximised) setWindowState(windowState() | Qt::WindowMaximized);
  placementRestored_ = true;
}

void MainFrame::saveMainPlacement() {
  WindowPlacement p;
  p.showCmd = isMaximized() ? kShowMaximised : (isMinimized() ? 2u : 1u);
  QRect r = normalGeometry();
  if (!r.isValid() || (!isMaximized() && !isMinimized())) r = geometry();
  p.left = r.left();
  p.top = r.top();
  p.right = r.left() + r.width();
  p.bottom = r.top() + r.height();
  storePlacement(app_.host(), "MainWindowPlacement", p, false, false);
}

void MainFrame::closeEvent(QCloseEvent* e) {
  if (exitAgreed_ || app_.queryExit()) {
    exitAgreed_ = true;
    saveMainPlacement();
    e->accept();
  } else {
    e->ignore();
  }
}

QString mailHandler() {
  // Looked for again only when the search path changes.
  static QByteArray path;
  static QString found;
  static bool looked = false;
  const QByteArray now = qgetenv("PATH");
  if (!looked || now != path) {
    looked = true;
    path = now;
    found = QStandardPaths::findExecutable("xdg-email");
  }
  return found;
}

std::string mailFailure(long code) {
  // The exit statuses xdg-email documents, and what a user can do about them.
  const char* why = nullptr;
  switch (code) {
    case 1: why = "The mail handler xdg-email did not understand the request."; break;
    case 2: why = "The file to send does not exist."; break;
    case 3: why = "No mail program is set up on this system."; break;
    case 4: why = "The mail program could not take the message."; break;
    case 5: why = "The file to send cannot be read."; break;
    case 127: why = "The mail handler xdg-email could not be run."; break;
    default: why = "The mail handler xdg-email stopped without sending it."; break;
  }
  char text[80];
  std::snprintf(text, sizeof text, "Unable to send the message, error %ld.\n", code);
  return std::string(text) + why;
}

void MainFrame::sendMail() {
  OpenDocument* doc = activeDocument();
  if (!doc) return;
  const std::string file = ownFileName(doc->window);
  const QString handler = mailHandler();
  if (file.empty() || handler.isEmpty()) return;
  auto* mailer = new QProcess(this);
  QtHost* host = &app_.host();
  auto fail = [host](long code) {
    host->messageBox(mailFailure(code), "Plicato Error", MbButtons::Ok, MbIcon::Stop);
  };
  connect(mailer, &QProcess::finished, this, [mailer, fail](int code, QProcess::ExitStatus status) {
    if (status != QProcess::NormalExit) fail(-1);
    else if (code != 0) fail(code);
    mailer->deleteLater();
  });
  connect(mailer, &QProcess::errorOccurred, this, [mailer, fail](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    fail(127);  // as the shell reports a program it cannot run
    mailer->deleteLater();
  });
  mailer->start(handler, {"--attach", fromLatin1(file)});
}

void MainFrame::about() {
  QMessageBox box(this);
  box.setWindowTitle("About Plicato");
  box.setIconPixmap(programIcon().pixmap(64, 64));
  box.setText(QString("<b>Plicato V%1</b>").arg(kPlicatoVersion));
  box.setInformativeText(
      "A folding text editor for program sources.<br><br>"
      "Folds are kept in the source file as comment lines with fold markers, "
      "so the file stays valid for its compiler.");
  box.setStandardButtons(QMessageBox::Ok);
  if (app_.host().runDialog) app_.host().runDialog(box);
  else box.exec();
}
