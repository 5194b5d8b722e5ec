#include "gui/documentwindow.hpp"

#include <QCloseEvent>
#include <QCoreApplication>

#include "app/application.hpp"
#include "display/editorview.hpp"
#include "engine/navigation.hpp"
#include "gui/editorwidget.hpp"
#include "gui/qthost.hpp"
#include "gui/treepane.hpp"
#include "gui/toolicons.hpp"

DocumentWindow::DocumentWindow(OpenDocument& doc, Application& app, QtHost& host, QWidget* parent)
    : QMdiSubWindow(parent), editor_(new EditorWidget(doc, app, host, this)) {
  // The editor beside its fold tree pane (hidden until 330 shows it).
  setWidget(new PaneSplitter(editor_, this));
  setObjectName("mdiMDIChild");
  setWindowIcon(programIcon());
  updateCaption();
}

DocumentWindow::~DocumentWindow() = default;

OpenDocument* DocumentWindow::document() const { return gone_ ? nullptr : editor_->document(); }

EditorView* DocumentWindow::window() const {
  OpenDocument* d = document();
  return d ? &d->window : nullptr;
}

void DocumentWindow::updateCaption() {
  EditorView* w = window();
  if (!w) return;
  const QString caption = w->doc.title.empty() ? QStringLiteral("Noname") : fromLatin1(w->doc.title);
  if (windowTitle() != caption) setWindowTitle(caption);
}

void DocumentWindow::windowGone() {
  if (gone_) return;
  // Hidden first, while the document still exists: losing the focus
  // reaches the editor window.
  hide();
  gone_ = true;
  QCoreApplication::removePostedEvents(editor_);
  deleteLater();
}

QRect DocumentWindow::normalRect() const {
  if (normal_.isValid()) return normal_;
  return geometry();
}

PlacedWindow DocumentWindow::placed() const {
  PlacedWindow p;
  OpenDocument* d = document();
  if (!d) {
    p.hidden = true;
    return p;
  }
  const EditorView& w = d->window;
  p.hidden = isHidden();
  p.isEditorWindow = true;
  p.title = w.doc.title.empty() ? "Noname" : w.doc.title;
  p.fileName = ownFileName(w);
  if (p.fileName.empty()) p.fileName = w.doc.fileName;
  WindowPlacement wp;
  wp.showCmd = isMaximized() ? kShowMaximised : (isMinimized() ? 2u : 1u);
  const QRect r = normalRect();
  wp.left = r.left();
  wp.top = r.top();
  wp.right = r.left() + r.width();
  wp.bottom = r.top() + r.height();
  p.placement = wp;
  p.showTree = d->showTree;
  p.wrapMode = w.wrapMode;
  // Every window has been asked before the list is written.
  p.mayClose = [](PlacedWindow&) { return true; };
  return p;
}

void DocumentWindow::applyPlacement(const WindowPlacement& placement, bool maximised) {
  const int width = placement.right - placement.left;
  const int height = placement.bottom - placement.top;
  if (width > 40 && height > 40) {
    setGeometry(placement.left, placement.top, width, height);
    normal_ = geometry();
  }
  if (maximised || placement.showCmd == kShowMaximised) showMaximized();
  else if (placement.showCmd == 2) showMinimized();
}

void DocumentWindow::closeEvent(QCloseEvent* e) {
  if (gone_ || !document()) {
    e->accept();
    return;
  }
  // The window decides: when it may close it queues its exit key, and the
  // child goes away once the dispatcher has ended the editing.
  e->ignore();
  document()->window.queryClose();
}

void DocumentWindow::noteNormalRect() {
  if (isVisible() && !isMaximized() && !isMinimized()) normal_ = geometry();
}

void DocumentWindow::moveEvent(QMoveEvent* e) {
  QMdiSubWindow::moveEvent(e);
  noteNormalRect();
}

void DocumentWindow::resizeEvent(QResizeEvent* e) {
  QMdiSubWindow::resizeEvent(e);
  noteNormalRect();
}
