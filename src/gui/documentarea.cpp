#include "gui/documentarea.hpp"

#include <QPalette>

#include "app/application.hpp"
#include "gui/editorwidget.hpp"
#include "gui/documentwindow.hpp"

DocumentArea::DocumentArea(Application& app, QtHost& host, QWidget* parent)
    : QMdiArea(parent), app_(app), host_(host) {
  setObjectName("TDrawMDIClient");
  // The desktop's application-workspace colour behind the documents.
  setBackground(palette().brush(QPalette::Dark));
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setActivationOrder(QMdiArea::CreationOrder);
}

void DocumentArea::setUp() { app_.loadFileTypes(); }

FileTypeList& DocumentArea::fileTypes() { return app_.fileTypes(); }

DocumentWindow* DocumentArea::addDocument(OpenDocument& doc) {
  auto* child = new DocumentWindow(doc, app_, host_);
  addSubWindow(child);
  child->show();
  setActiveSubWindow(child);
  child->editor()->setFocus();
  return child;
}

QList<DocumentWindow*> DocumentArea::children() const {
  QList<DocumentWindow*> out;
  for (QMdiSubWindow* s : subWindowList(QMdiArea::CreationOrder)) {
    auto* child = qobject_cast<DocumentWindow*>(s);
    if (child && !child->gone() && child->document()) out << child;
  }
  return out;
}

DocumentWindow* DocumentArea::activeChild() const {
  auto* child = qobject_cast<DocumentWindow*>(currentSubWindow());
  if (child && !child->gone() && child->document()) return child;
  return nullptr;
}

DocumentWindow* DocumentArea::childOf(const OpenDocument& doc) const {
  for (DocumentWindow* c : children())
    if (c->document() == &doc) return c;
  return nullptr;
}

void DocumentArea::activate(DocumentWindow* child) {
  if (!child || child->gone()) return;
  if (child->isMinimized()) child->showNormal();
  setActiveSubWindow(child);
  child->editor()->setFocus();
}

void DocumentArea::activateNext(int step) {
  const QList<DocumentWindow*> list = children();
  if (list.isEmpty()) return;
  const qsizetype at = list.indexOf(activeChild());
  const qsizetype n = list.size();
  const qsizetype next = at < 0 ? 0 : ((at + step) % n + n) % n;
  activate(list[next]);
}
