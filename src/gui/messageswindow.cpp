#include "gui/messageswindow.hpp"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QListWidget>
#include <QMenuBar>
#include <QStyle>
#include <QThread>

#include <algorithm>

#include "display/editorview.hpp"
#include "gui/dialogs.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"

namespace {

constexpr int kCloseItem = 100;
constexpr int kServerListId = 200;

}  // namespace

MessagesWindow::MessagesWindow(bool server, QWidget* parent)
    : QMainWindow(parent, Qt::Window), server_(server) {
  setObjectName("MESSAGES");
  setAttribute(Qt::WA_DeleteOnClose);
  setPalette(QPalette(Qt::black, Qt::white));
  setWindowIcon(QApplication::windowIcon());
  list_ = new QListWidget(this);
  list_->setFrameShape(QFrame::Box);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  list_->setUniformItemSizes(true);

  if (server_) {
    // A frame holding the list box at its fixed place, large enough to show
    // all of it, kept above the other windows.
    setObjectName("COMPILER_MESSAGES");
    setWindowTitle("Plicato: Compiler messages");
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    auto* client = new QWidget(this);
    list_->setParent(client);
    list_->setProperty("controlId", kServerListId);
    list_->setGeometry(10, 50, 700, 500);
    const int sb = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    client->setMinimumSize(700 + 20 + sb, 500 + 60);
    setCentralWidget(client);
    move(10, 10);
    resize(client->minimumSize());
    list_->setFocus();
  } else {
    setCentralWidget(list_);
    closeAction_ = menuBar()->addAction("&Close");
    closeAction_->setData(kCloseItem);
    closeAction_->setEnabled(false);
    connect(closeAction_, &QAction::triggered, this, &MessagesWindow::chooseClose);
    resize(640, 300);
  }

  connect(this, &MessagesWindow::captionArrived, this, &MessagesWindow::showCaption,
          Qt::QueuedConnection);
  connect(this, &MessagesWindow::lineArrived, this, &MessagesWindow::appendLine,
          Qt::QueuedConnection);
  connect(this, &MessagesWindow::endArrived, this, &MessagesWindow::finishRun,
          Qt::QueuedConnection);
}

MessagesWindow::~MessagesWindow() = default;

bool MessagesWindow::onOwnThread() const { return QThread::currentThread() == thread(); }

void MessagesWindow::beginRun() {
  if (closeAction_) closeAction_->setEnabled(false);
}

bool MessagesWindow::closeEnabled() const { return !closeAction_ || closeAction_->isEnabled(); }

std::vector<std::string> MessagesWindow::lines() const {
  std::vector<std::string> out;
  for (int i = 0; i < list_->count(); ++i) out.push_back(list_->item(i)->text().toStdString());
  return out;
}

// Text from the build is single bytes, shown as Latin-1 like the editor's.
void MessagesWindow::setCaption(const std::string& caption) {
  const QString text = QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size()));
  if (onOwnThread())
    showCaption(text);
  else
    Q_EMIT captionArrived(text);
}

void MessagesWindow::addLine(const std::string& line) {
  const QString text = QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
  if (onOwnThread())
    appendLine(text);
  else
    Q_EMIT lineArrived(text);
}

void MessagesWindow::runEnded(const std::string& caption) {
  // Always through the event loop, after the lines queued before it.
  Q_EMIT endArrived(QString::fromLatin1(caption.data(), static_cast<qsizetype>(caption.size())));
}

void MessagesWindow::showCaption(const QString& caption) { setWindowTitle(caption); }

void MessagesWindow::appendLine(const QString& line) {
  list_->addItem(line);
  list_->setCurrentRow(list_->count() - 1);
  list_->scrollToBottom();
}

void MessagesWindow::finishRun(const QString& caption) {
  if (onRunEnded) onRunEnded(*this);
  if (closeAction_) closeAction_->setEnabled(true);
  setWindowTitle(caption);
}

void MessagesWindow::chooseClose() {
  if (!closeEnabled()) return;
  closing_ = true;
  Q_EMIT closedByUser();
  close();
}

void MessagesWindow::closeEvent(QCloseEvent* e) {
  // Only "&Close" closes a messages window; the compiler-messages frame
  // closes as any window does (its server call is over by then).
  if (server_ || closing_) {
    e->accept();
    return;
  }
  e->ignore();
}

// --- the commands ------------------------------------------------------------

BuildCommands::BuildCommands(QWidget* owner)
    : QObject(owner), owner_(owner), manager_(std::make_unique<BuildManager>(*this)) {}

BuildCommands::~BuildCommands() {
  manager_.reset();
  for (const QPointer<MessagesWindow>& m : all_)
    if (m) delete m.data();
}

bool BuildCommands::refuseInCommand(EditorView& w) {
  if (!w.inDispatch) return false;
  w.host.statusMessage(kBuildInCommandRefusal);
  return true;
}

namespace {

bool blank(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

}  // namespace

void BuildCommands::compile(EditorView& w) {
  if (refuseInCommand(w)) return;
  if (w.ctx.settings.externalCompiler && blank(w.ctx.settings.compilerCmdLine)) {
    // Running nothing would only open an empty window.
    w.host.messageBox(kNoCompilerCommand, "Plicato Warning", MbButtons::Ok, MbIcon::Exclamation);
    return;
  }
  manager_->compile(w);
}

void BuildCommands::make(EditorView& w) {
  if (refuseInCommand(w)) return;
  if (w.ctx.settings.externalMaker && blank(w.ctx.settings.makerCmdLine)) {
    w.host.messageBox(kNoMakerCommand, "Plicato Warning", MbButtons::Ok, MbIcon::Exclamation);
    return;
  }
  manager_->make(w);
}

void BuildCommands::run(EditorView& w) {
  if (!refuseInCommand(w)) manager_->run(w);
}

void BuildCommands::arguments(ModelContext& ctx) { manager_->arguments(ctx); }

void BuildCommands::windowClosing(EditorView& w) {
  manager_->windowClosing(w);
  reused_.erase(&w);
}

MessagesWindow* BuildCommands::windowOf(const EditorView& w) const {
  auto it = reused_.find(&w);
  return it == reused_.end() ? nullptr : it->second.data();
}

std::vector<MessagesWindow*> BuildCommands::windows() const {
  std::vector<MessagesWindow*> out;
  for (const QPointer<MessagesWindow>& m : all_)
    if (m) out.push_back(m.data());
  return out;
}

MessagesWindow* BuildCommands::makeWindow(bool server) {
  auto* m = new MessagesWindow(server, owner_);
  m->onRunEnded = [this](MessagesWindow& win) {
    if (manager_) manager_->runEnded(win);
    Q_EMIT runFinished();
  };
  // Drop the pointers of windows gone.
  all_.erase(std::remove_if(all_.begin(), all_.end(),
                            [](const QPointer<MessagesWindow>& p) { return p.isNull(); }),
             all_.end());
  all_.emplace_back(m);
  return m;
}

BuildOutput* BuildCommands::messagesWindow(EditorView& w, MessagesKind kind) {
  MessagesWindow* m = nullptr;
  switch (kind) {
    case MessagesKind::Compile:
    case MessagesKind::Make:
    case MessagesKind::Run: {
      // One messages window per editor window, reused while it is open.
      m = windowOf(w);
      if (!m) {
        m = makeWindow(false);
        reused_[&w] = m;
      }
      break;
    }
    case MessagesKind::Maker:
      m = makeWindow(false);
      m->setWindowTitle("Plicato: Maker messages");
      break;
    case MessagesKind::Compiler:
      m = makeWindow(true);
      break;
  }
  if (!m->isVisible()) {
    // A new window opens inside the frame, not over its menus; one the
    // user has seen stays where it was put.
    if (m->isServerWindow()) placeInside(*m, owner_, Qt::AlignTop | Qt::AlignLeft);
    else placeInside(*m, owner_, Qt::AlignBottom);
  }
  m->beginRun();
  m->show();
  m->raise();
  return m;
}
