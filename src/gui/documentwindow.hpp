// DocumentWindow: the sub-window of one open file. Its caption is the file's
// path ("Noname" for a new buffer); its widget is the editor window's Qt
// face. Closing it asks the editor window, which ends its editing through
// the exit key; the child goes away when the window has exited.
#pragma once

#include <QMdiSubWindow>
#include <QRect>

#include "app/placement.hpp"

struct OpenDocument;
class Application;
class QtHost;
class EditorWidget;
class EditorView;

class DocumentWindow : public QMdiSubWindow {
  Q_OBJECT

 public:
  DocumentWindow(OpenDocument& doc, Application& app, QtHost& host, QWidget* parent = nullptr);
  ~DocumentWindow() override;

  EditorWidget* editor() const { return editor_; }
  // Null once the window has exited.
  OpenDocument* document() const;
  EditorView* window() const;

  // The caption follows the window's title (save as renames it).
  void updateCaption();
  // The window exited: the child hides at once and is deleted later; the
  // document must not be reached through it any more.
  void windowGone();
  bool gone() const { return gone_; }

  // The rectangle the child has when neither maximised nor minimised, in
  // the client's coordinates.
  QRect normalRect() const;
  // What the reopen list stores of this window.
  PlacedWindow placed() const;
  // Applies a stored placement (the rectangle; maximised if asked).
  void applyPlacement(const WindowPlacement& placement, bool maximised);

 protected:
  void closeEvent(QCloseEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void noteNormalRect();

  EditorWidget* editor_;
  QRect normal_;
  bool gone_ = false;
};
