// EditorWidget: the Qt face of one editor window (EditorView).
//
// It paints what the window's screen buffer holds, draws the underline
// caret where the core put it, and turns Qt input into the window's own
// input: key events through keymap, mouse positions in pixels, scroll bar
// actions as scroll keys. The private messages the window posts arrive as
// WindowMessageEvents: 1125 reads the file, 1128 runs the dispatcher.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QTimer>

#include <functional>

class Application;
struct OpenDocument;
class QtHost;
class EditorView;

class EditorWidget : public QAbstractScrollArea {
  Q_OBJECT

 public:
  EditorWidget(OpenDocument& doc, Application& app, QtHost& host, QWidget* parent = nullptr);
  ~EditorWidget() override;

  // Null once the window exited (the document is gone).
  OpenDocument* document() const { return doc_; }
  EditorView* window() const;

  // --- what the frame plugs in ---------------------------------------------
  // A context-menu choice (its id: 104, 105, 202, ...); the frame turns it
  // into its command.
  std::function<void(int id)> onContextCommand;
  // The window ended its editing; the document no longer exists.
  std::function<void()> onWindowExited;
  // 1125: reads the file; by default Application::loadDocument when the
  // application did not read it at once.
  std::function<void(OpenDocument&)> onLoad;

  // The frame destroys the document itself: the widget lets go of it
  // first (a widget also notices a document that vanished, but only when
  // it next looks).
  void detachDocument();

  // Runs the window's dispatcher now (what 1128 does); false when the
  // window exited.
  bool dispatch();
  // Repaints rows first..last (1-based, inclusive).
  void invalidateRows(int firstRow, int lastRow);
  // Scroll bars from the window's ranges and positions.
  void syncScrollBars();
  // The context menu model shown as a QMenu (not executed); the frame's
  // tests read it.
  void fillContextMenu(class QMenu& menu);

  QSize sizeHint() const override;

 Q_SIGNALS:
  // After every dispatch: the tool bar follows the window.
  void stateChanged();

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void scrollContentsBy(int dx, int dy) override;
  void wheelEvent(QWheelEvent* e) override;
  bool focusNextPrevChild(bool next) override;

 private:
  void handleMessage(int message);
  void afterDispatch();
  void onVerticalAction(int action);
  void onHorizontalAction(int action);
  void autoScrollTick();
  // The window exited: forget it and tell the frame.
  void windowGone();
  // Whether doc_ is still one of the application's documents.
  bool documentAlive() const;
  // The document is alive and its file is read.
  bool ready();
  // After mouse or scroll bar input outside the dispatcher: what a command
  // refreshes (rows, scroll bars, status line).
  void refreshIdle();
  void queueScroll(int command, int times);
  QRect caretRect() const;
  // Repaints where the caret was and where it is.
  void caretMoved();

  OpenDocument* doc_;
  Application& app_;
  QtHost& host_;
  const EditorView* windowAddr_;  // the registration key; never used to reach the window
  QFont font_;
  QTimer autoScroll_;
  QSize lastClient_;
  QRect shownCaret_;
  bool syncing_ = false;  // setting the scroll bars from the window
  bool loaded_ = false;
};
