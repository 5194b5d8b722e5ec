// DocumentArea: the frame's central area, which holds one DocumentWindow per
// open file on the application-workspace colour. Its set-up reads the
// file-type list; the documents it shows belong to the Application.
#pragma once

#include <QList>
#include <QMdiArea>
#include <QPointer>

class Application;
class FileTypeList;
class QtHost;
class DocumentWindow;
struct OpenDocument;

class DocumentArea : public QMdiArea {
  Q_OBJECT

 public:
  DocumentArea(Application& app, QtHost& host, QWidget* parent = nullptr);

  // The client's set-up: the file types from PLICATO.INI.
  void setUp();
  FileTypeList& fileTypes();

  // A child for a document just opened, created and shown.
  DocumentWindow* addDocument(OpenDocument& doc);
  // The children whose window is still there, in the order they were made.
  QList<DocumentWindow*> children() const;
  DocumentWindow* activeChild() const;
  DocumentWindow* childOf(const OpenDocument& doc) const;
  // Brings the child to the front (restored if it was minimised) with the
  // keyboard in its editor.
  void activate(DocumentWindow* child);
  // Ctrl-Tab and Ctrl-Shift-Tab: the next (or previous) document window in
  // the order they were opened, round from the last to the first.
  void activateNext(int step);

 private:
  Application& app_;
  QtHost& host_;
};
