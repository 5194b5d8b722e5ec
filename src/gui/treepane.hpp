// The fold tree pane beside an editor window.
//
// PaneSplitter holds the editor widget and, once shown, the tree window
// (FoldTreePane with its FoldTree) to its left. The tree mirrors the fold
// headers of the file the editor shows (src/tree/foldtree.hpp); what it does
// to the file is decided in src/tree/treeedit.hpp. The frame reaches the
// pane of a window through PaneSplitter::of and calls it from the
// dispatcher's EditorShell callbacks:
//   330 showHideTree, 331 goToTreeSelection, treeAfterCommand after every
//   command, headerTextChanged after the loop.
// A pick in the tree (with tree tracking on) queues 331, so the editor
// moves inside its own dispatcher; Enter in the tree queues 331 whatever
// the tracking. While the pane has the keyboard it keeps the keys that
// move in a tree (the arrows, Home, End, the page keys, Tab, plain letters
// to find a title by); every other key goes to the editor window, so its
// commands (save, the pane's own Ctrl-N, help, ...) work from the pane; context-menu commands are queued as the
// keys of their commands. Drops and the two pastes change the file at once
// (they have no key), outside the dispatcher, and are refused while it runs.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QSplitter>
#include <QTreeWidget>
#include <QWidget>

#include <functional>
#include <vector>

#include "tree/foldtree.hpp"

class QMenu;
class EditorWidget;
class EditorView;
struct LineNode;

class FoldTree : public QTreeWidget {
  Q_OBJECT

 public:
  using WindowSource = std::function<EditorView*()>;
  explicit FoldTree(WindowSource window, QWidget* parent = nullptr);
  ~FoldTree() override;

  // Builds the items again for the file the window shows (the control is
  // left alone when nothing it shows changed).
  void rebuild();
  // Selects the item of the fold that holds the line, its ancestors
  // expanded, without moving the editor.
  void selectLine(const LineNode* line);
  // The header's item takes its current title.
  void updateHeaderText(const LineNode* header);
  // Keeps the titles' left ends in sight: scrolls up and down only.
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  // The items are stale (lines were read): rebuilt at the next chance.
  void markStale() { stale_ = true; }
  bool stale() const { return stale_; }

  // 331: the editor to the selected item's fold; a stale item rebuilds the
  // tree instead.
  void goToSelection();

  // The width that shows the titles of the root and its folds, icons and
  // indentation included.
  int fittedWidth() const;
  // Whether the tree itself takes the key (else the editor window does).
  static bool keptByTree(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

  const FoldTreeModel& model() const { return model_; }
  // The control's item for a model index, and back (-1 for none).
  QTreeWidgetItem* itemAt(int index) const;
  int indexOf(const QTreeWidgetItem* item) const;
  LineNode* nodeOf(const QTreeWidgetItem* item) const;

  // A drop of item `dragged` onto item `target` (model indexes): the
  // checks and their messages, the drop menu at `globalPos`, the copy or
  // move, then the tree rebuilt and the editor repainted.
  void dropOnto(int dragged, int target, const QPoint& globalPos);
  // The context menu for the item (may be null) at `globalPos`.
  void showContextMenu(QTreeWidgetItem* item, const QPoint& globalPos);
  // The context menu as offered now for the item, not shown (tests).
  void fillContextMenu(QMenu& menu, QTreeWidgetItem* item);

  // Shows a menu and returns the id of the chosen entry, 0 for none; tests
  // answer it. By default the menu runs at the point.
  std::function<int(QMenu&, const QPoint&)> execMenu;
  // After the pane changed the editor's file or cursor outside the
  // dispatcher; by default the window's rows, scroll bars, caret and status
  // line are brought up to date.
  std::function<void()> onEditorChanged;
  // Runs the editor's dispatcher on the keys queued (the pane's pick
  // before its context menu asks the editor what it offers); may be empty.
  std::function<void()> dispatchNow;

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void startDrag(Qt::DropActions actions) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void onCurrentChanged(QTreeWidgetItem* current);
  // Tree tracking: the editor follows the item (331 queued once).
  void pick(QTreeWidgetItem* item);
  void editorChanged();
  void fill();

  WindowSource window_;
  FoldTreeModel model_;
  std::vector<QTreeWidgetItem*> items_;
  bool stale_ = true;
  bool pickQueued_ = false;
  int dragged_ = -1;
};

class FoldTreePane : public QWidget {
  Q_OBJECT

 public:
  explicit FoldTreePane(FoldTree::WindowSource window, QWidget* parent = nullptr);
  FoldTree* tree() const { return tree_; }

 private:
  FoldTree* tree_;
};

class PaneSplitter : public QSplitter {
  Q_OBJECT

 public:
  // Over the editor widget of a document; the window is reached through
  // the widget, so a window that exited is never touched.
  explicit PaneSplitter(EditorWidget* editor, QWidget* parent = nullptr);
  // Over any widget showing the window (the window must outlive it).
  PaneSplitter(QWidget* editor, EditorView& window, QWidget* parent = nullptr);
  ~PaneSplitter() override;

  // The pane of the window, or null.
  static PaneSplitter* of(const EditorView& w);

  // 330: shows or hides the tree; its width is kept while it is hidden.
  // Shown the first time, it fits the titles of the file's top levels, up
  // to a third of the splitter. Hidden while it had the keyboard, the
  // editor takes the keyboard.
  void showHideTree();
  void setTreeShown(bool shown);
  bool treeShown() const;
  // 331.
  void goToTreeSelection();
  // After each command: rebuilt after a command that may change the
  // structure, the current line's fold selected when treeSync is on.
  void treeAfterCommand(int command);
  // After the dispatcher's loop: a header's title changed.
  void headerTextChanged(const LineNode* header);

  QWidget* editor() const { return editor_; }
  FoldTreePane* treeWindow() const { return treeWindow_; }
  FoldTree* tree() const { return treeWindow_ ? treeWindow_->tree() : nullptr; }
  // The tree's width while shown, or the width it will be shown with.
  int treeWidth() const;
  // Whether the command may change what the tree shows.
  static bool changesTree(int command);

 private:
  void init();
  EditorView* window() const;
  // The width the pane is first shown with: the fitted width of the
  // tree's titles, within a few cells and a third of the splitter.
  int initialTreeWidth() const;
  // The window's pointers to the pane, set while it is shown.
  void attach(bool shown);

  QWidget* editor_;
  QPointer<EditorWidget> editorWidget_;
  EditorView* fixedWindow_ = nullptr;
  const EditorView* registered_ = nullptr;
  FoldTreePane* treeWindow_ = nullptr;
  int width_ = 0;  // remembered while hidden; 0 until first shown
};
