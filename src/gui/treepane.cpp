#include "gui/treepane.hpp"
#include "commands/keyqueue.hpp"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <unordered_map>

#include "commands/dispatcher.hpp"
#include "commands/keytable.hpp"
#include "engine/statusline.hpp"
#include "display/editorview.hpp"
#include "gui/editorwidget.hpp"
#include "gui/keymap.hpp"
#include "gui/qthost.hpp"
#include "model/linenode.hpp"
#include "model/paths.hpp"
#include "tree/treeedit.hpp"

namespace {

constexpr int kIndexRole = Qt::UserRole + 1;
constexpr int kNodeRole = Qt::UserRole;
constexpr int kInitialCells = 17;
// However short the titles, the pane keeps room for a few characters.
constexpr int kNarrowestCells = 8;

std::unordered_map<const EditorView*, PaneSplitter*>& panes() {
  static std::unordered_map<const EditorView*, PaneSplitter*> map;
  return map;
}

// Images 3 and 4: a closed fold (a sheet folded over, its contents hidden
// behind the "..." of the editor's marker) and an open one (the sheet
// unfolded, its lines showing).
QPixmap foldImage(bool open, qreal dpr) {
  const int s = 16;
  QPixmap pm(QSize(s, s) * dpr);
  pm.setDevicePixelRatio(dpr);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  const QColor edge(0x55, 0x55, 0x66);
  if (!open) {
    // A closed fold: a folder-like tab, three dots across it.
    QPainterPath body;
    body.moveTo(1.5, 4.5);
    body.lineTo(6.0, 4.5);
    body.lineTo(7.5, 3.0);
    body.lineTo(14.5, 3.0);
    body.lineTo(14.5, 13.5);
    body.lineTo(1.5, 13.5);
    body.closeSubpath();
    p.setPen(QPen(edge, 1.0));
    p.setBrush(QColor(0xe8, 0xc8, 0x5a));
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(edge);
    for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(4.5 + i * 3.5, 9.0), 1.1, 1.1);
  } else {
    // An open fold: the tab unfolded into a page with its lines.
    QPainterPath back;
    back.moveTo(1.5, 4.5);
    back.lineTo(6.0, 4.5);
    back.lineTo(7.5, 3.0);
    back.lineTo(13.0, 3.0);
    back.lineTo(13.0, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setPen(QPen(edge, 1.0));
    p.setBrush(QColor(0xe8, 0xc8, 0x5a));
    p.drawPath(back);
    QPainterPath page;
    page.moveTo(3.5, 6.5);
    page.lineTo(14.5, 6.5);
    page.lineTo(13.0, 13.5);
    page.lineTo(1.5, 13.5);
    page.closeSubpath();
    p.setBrush(QColor(0xfb, 0xf3, 0xd5));
    p.drawPath(page);
    p.setPen(QPen(edge, 1.0));
    p.drawLine(QPointF(4.5, 9.0), QPointF(12.0, 9.0));
    p.drawLine(QPointF(4.0, 11.5), QPointF(10.0, 11.5));
  }
  return pm;
}

const QIcon& foldIcon() {
  static QIcon icon = [] {
    QIcon i;
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    i.addPixmap(foldImage(false, dpr), QIcon::Normal);
    i.addPixmap(foldImage(true, dpr), QIcon::Selected);
    return i;
  }();
  return icon;
}

// The icon the desktop gives for a file of this name; a plain file icon
// when it has none (no icon theme).
QIcon shellIcon(const std::string& path, const QStyle* style) {
  static QHash<QString, QIcon> cache;
  const QString name = fromLatin1(path);
  const QString suffix = QFileInfo(name).suffix().toLower();
  auto it = cache.find(suffix);
  if (it != cache.end()) return *it;
  static QFileIconProvider provider;
  QIcon icon = provider.icon(QFileInfo(name));
  if (icon.isNull()) icon = style->standardIcon(QStyle::SP_FileIcon);
  cache.insert(suffix, icon);
  return icon;
}

}  // namespace

// --- FoldTree --------------------------------------------------------------

FoldTree::FoldTree(WindowSource window, QWidget* parent)
    : QTreeWidget(parent), window_(std::move(window)) {
  setObjectName("TMyTree");
  setHeaderHidden(true);
  setColumnCount(1);
  // Long titles scroll sideways rather than being cut short in a narrow
  // pane.
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setUniformRowHeights(true);
  setIndentation(14);
  setIconSize(QSize(16, 16));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
  setExpandsOnDoubleClick(true);
  setContextMenuPolicy(Qt::DefaultContextMenu);
  connect(this, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { onCurrentChanged(current); });
  execMenu = [](QMenu& menu, const QPoint& at) {
    QAction* a = menu.exec(at);
    return a ? a->data().toInt() : 0;
  };
}

FoldTree::~FoldTree() {
  // Taking the items down moves the selection; nothing may act on that.
  blockSignals(true);
}

QTreeWidgetItem* FoldTree::itemAt(int index) const {
  if (index < 0 || index >= static_cast<int>(items_.size())) return nullptr;
  return items_[static_cast<size_t>(index)];
}

int FoldTree::indexOf(const QTreeWidgetItem* item) const {
  if (!item) return -1;
  bool ok = false;
  const int i = item->data(0, kIndexRole).toInt(&ok);
  return ok && itemAt(i) == item ? i : -1;
}

LineNode* FoldTree::nodeOf(const QTreeWidgetItem* item) const {
  const int i = indexOf(item);
  return i >= 0 ? model_.item(i).node : nullptr;
}

void FoldTree::rebuild() {
  EditorView* w = window_();
  stale_ = false;
  FoldTreeModel fresh;
  if (w) fresh.rebuildFor(*w);
  if (!items_.empty() && fresh.sameAs(model_)) return;
  // The selection stays on its fold when the fold is still there (only
  // compared, never reached: the node may be gone).
  const LineNode* selected = nodeOf(currentItem());
  model_ = std::move(fresh);
  fill();
  if (QTreeWidgetItem* again = selected ? itemAt(model_.find(selected)) : nullptr) {
    FoldTreeModel::Guard guard(model_);
    setCurrentItem(again);
  }
}

int FoldTree::fittedWidth() const {
  int widest = 0;
  for (int i = 0; i < model_.size(); ++i) {
    if (model_.item(i).depth > 1) continue;
    QTreeWidgetItem* item = itemAt(i);
    if (!item) continue;
    // The branch mark and the indentation of each level, then the item.
    const int indent = indentation() * (model_.item(i).depth + (rootIsDecorated() ? 1 : 0));
    widest = std::max(widest, indent + sizeHintForIndex(indexFromItem(item)).width());
  }
  return widest + 2 * frameWidth() + 4;
}

bool FoldTree::keptByTree(int key, Qt::KeyboardModifiers modifiers, const QString& text) {
  const Qt::KeyboardModifiers m = modifiers & ~Qt::KeypadModifier;
  if (m & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // With Shift they mark lines in the editor.
      return m == Qt::NoModifier;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return true;  // from the pane to the editor and back
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
      return false;  // the editor keeps track of them for the keys it gets
    default:
      break;
  }
  // A printable character looks for a title that begins with it.
  return !text.isEmpty() && text.front().isPrint() && key != Qt::Key_Escape &&
         key != Qt::Key_Backspace && key != Qt::Key_Delete;
}

bool FoldTree::event(QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride) {
    // Keys for the editor are the editor's, as when it has the keyboard:
    // no shortcut of the frame takes them on the way.
    auto* k = static_cast<QKeyEvent*>(e);
    if (window_() && !isFrameKey(k->key(), k->modifiers()) &&
        !keptByTree(k->key(), k->modifiers(), k->text())) {
      e->accept();
      return true;
    }
  }
  return QTreeWidget::event(e);
}

void FoldTree::keyPressEvent(QKeyEvent* e) {
  EditorView* w = window_();
  if (!w || keptByTree(e->key(), e->modifiers(), e->text())) {
    if (w && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
      // Enter takes the editor to the fold selected, tracking or not.
      if (nodeOf(currentItem()) && queueCommand(*w, cmdGoToTreeSelection)) pickQueued_ = true;
      e->accept();
      return;
    }
    QTreeWidget::keyPressEvent(e);
    return;
  }
  keyPressToWindow(*w, *e);
  e->accept();
}

void FoldTree::keyReleaseEvent(QKeyEvent* e) {
  EditorView* w = window_();
  if (w && !keptByTree(e->key(), e->modifiers(), e->text())) {
    keyReleaseToWindow(*w, *e);
    e->accept();
    return;
  }
  QTreeWidget::keyReleaseEvent(e);
}

void FoldTree::fill() {
  FoldTreeModel::Guard guard(model_);
  const int scroll = verticalScrollBar()->value();
  clear();
  items_.clear();
  items_.reserve(model_.items().size());
  EditorView* w = window_();
  for (int i = 0; i < model_.size(); ++i) {
    const TreeItem& t = model_.item(i);
    QTreeWidgetItem* item =
        t.parent < 0 ? new QTreeWidgetItem() : new QTreeWidgetItem(items_[static_cast<size_t>(t.parent)]);
    item->setText(0, fromLatin1(t.text));
    if (t.image == TreeImage::Shell) {
      // The root's file is the window's; a filed fold names its own.
      const std::string file = t.parent < 0 && w && !w->doc.fileName.empty() ? w->doc.fileName : t.iconFile;
      item->setIcon(0, shellIcon(file, style()));
      item->setToolTip(0, fromLatin1(t.parent < 0 && w ? w->doc.fileName : t.iconFile));
    } else {
      item->setIcon(0, foldIcon());
    }
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(t.node)));
    item->setData(0, kIndexRole, i);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (t.draggable) flags |= Qt::ItemIsDragEnabled;
    item->setFlags(flags);
    items_.push_back(item);
  }
  if (!items_.empty()) addTopLevelItem(items_.front());
  for (int i = 0; i < model_.size(); ++i)
    if (model_.item(i).expanded) items_[static_cast<size_t>(i)]->setExpanded(true);
  verticalScrollBar()->setValue(scroll);
}

void FoldTree::selectLine(const LineNode* line) {
  EditorView* w = window_();
  if (!w) return;
  if (stale_ || items_.empty()) rebuild();
  QTreeWidgetItem* item = itemAt(model_.itemForLine(*w, line));
  if (!item) return;
  FoldTreeModel::Guard guard(model_);
  for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
  setCurrentItem(item);
  const QRect r = visualItemRect(item);
  // Not scrollToItem: it would scroll sideways past the override.
  if (!viewport()->rect().contains(r)) scrollTo(indexFromItem(item), QAbstractItemView::PositionAtCenter);
}

void FoldTree::updateHeaderText(const LineNode* header) {
  const int i = model_.updateText(header);
  if (QTreeWidgetItem* item = itemAt(i)) item->setText(0, fromLatin1(model_.item(i).text));
}

void FoldTree::goToSelection() {
  pickQueued_ = false;
  EditorView* w = window_();
  if (!w) return;
  LineNode* node = nodeOf(currentItem());
  if (!node) return;
  if (!goToNode(*w, node)) {
    // The item stood for a fold that is gone or elsewhere now.
    rebuild();
    selectLine(w->currentLine);
  }
}

void FoldTree::onCurrentChanged(QTreeWidgetItem* current) {
  if (model_.guarded() || !current) return;
  pick(current);
}

void FoldTree::pick(QTreeWidgetItem* item) {
  EditorView* w = window_();
  if (!w || !w->treeTracking) return;
  // One 331 waiting in the keys goes to whatever is selected when it runs;
  // with no keys waiting it was used up, whether or not it moved anything.
  if (pickQueued_ && !w->keys.empty()) return;
  pickQueued_ = false;
  LineNode* node = nodeOf(item);
  if (!node || node == w->currentLine) return;
  if (queueCommand(*w, cmdGoToTreeSelection)) pickQueued_ = true;
}

void FoldTree::scrollTo(const QModelIndex& index, ScrollHint hint) {
  // Up and down only: the pane keeps the left ends of the titles, with
  // their icons, in sight however long the widest title is.
  const int h = horizontalScrollBar()->value();
  QTreeWidget::scrollTo(index, hint);
  horizontalScrollBar()->setValue(h);
}

void FoldTree::mousePressEvent(QMouseEvent* e) {
  QTreeWidgetItem* before = currentItem();
  QTreeWidget::mousePressEvent(e);
  // A click on the item already selected moves the editor back to it.
  QTreeWidgetItem* hit = QTreeWidget::itemAt(e->position().toPoint());
  if (hit && hit == before && hit == currentItem()) pick(hit);
}

void FoldTree::editorChanged() {
  if (onEditorChanged) {
    onEditorChanged();
    return;
  }
  EditorView* w = window_();
  if (!w) return;
  // What the dispatcher does after a command: the queued rows, the scroll
  // bars, the caret and the status line; then the whole window repaints.
  EditorState state;
  EditorShell shell;
  refreshWindow(*w, state, shell);
  w->host.invalidateRows(w->handle(), 1, w->screenRows);
}

void FoldTree::fillContextMenu(QMenu& menu, QTreeWidgetItem* item) {
  menu.clear();
  EditorView* w = window_();
  if (!w) return;
  const bool clip = item && w->host.clipboardText().has_value();
  for (const MenuEntry& e : treeContextMenu(*w, clip)) {
    if (e.id == 0) {
      menu.addSeparator();
      continue;
    }
    QAction* a = menu.addAction(fromLatin1(e.text));
    a->setData(e.id);
    a->setEnabled(e.enabled);
  }
}

void FoldTree::showContextMenu(QTreeWidgetItem* item, const QPoint& globalPos) {
  EditorView* w = window_();
  if (!w) return;
  // With tracking the editor is at the item before the menu asks what it
  // may offer there.
  if (item && w->treeTracking && nodeOf(item) != w->currentLine) {
    if (currentItem() != item) {
      FoldTreeModel::Guard guard(model_);
      setCurrentItem(item);
    }
    pick(item);
    if (dispatchNow && !w->inDispatch) {
      QPointer<FoldTree> self(this);
      LineNode* node = nodeOf(item);
      dispatchNow();
      if (!self || !window_()) return;
      // The move may have built the items again: the fold's own, now.
      item = itemAt(model_.find(node));
    }
  }
  LineNode* node = nodeOf(item);
  QMenu menu(this);
  fillContextMenu(menu, item);
  const int id = execMenu(menu, globalPos);
  w = window_();
  if (!id || !w) return;
  if (id == cmdPasteBlock2 || id == kTreeMenuPasteBelow) {
    std::optional<std::string> text = w->host.clipboardText();
    if (!node || !text) return;
    if (w->inDispatch) {
      w->host.beep();
      return;
    }
    pasteAtFold(*w, node, *text, id == kTreeMenuPasteBelow);
    rebuild();
    selectLine(w->currentLine);
    editorChanged();
    return;
  }
  // As if the command's key had been pressed in the editor.
  queueCommand(*w, id);
}

void FoldTree::contextMenuEvent(QContextMenuEvent* e) {
  QTreeWidgetItem* item = QTreeWidget::itemAt(e->pos());
  showContextMenu(item, e->globalPos());
  e->accept();
}

void FoldTree::startDrag(Qt::DropActions actions) {
  const int i = indexOf(currentItem());
  if (i < 0 || !model_.item(i).draggable) return;
  dragged_ = i;
  QTreeWidget::startDrag(actions);
  dragged_ = -1;
}

void FoldTree::dragEnterEvent(QDragEnterEvent* e) {
  // Only the tree's own items are dropped here.
  if (e->source() != this) {
    e->ignore();
    return;
  }
  QTreeWidget::dragEnterEvent(e);
  e->acceptProposedAction();
}

void FoldTree::dragMoveEvent(QDragMoveEvent* e) {
  if (e->source() != this || !QTreeWidget::itemAt(e->position().toPoint())) {
    e->ignore();
    return;
  }
  QTreeWidget::dragMoveEvent(e);
  e->acceptProposedAction();
}

void FoldTree::dropEvent(QDropEvent* e) {
  QTreeWidgetItem* target = QTreeWidget::itemAt(e->position().toPoint());
  const int dragged = dragged_;
  const int onto = indexOf(target);
  // The control itself moves nothing: the file changes, then the tree is
  // built again from it.
  e->setDropAction(Qt::IgnoreAction);
  e->accept();
  if (e->source() != this || dragged < 0 || onto < 0) return;
  const QPoint at = mapToGlobal(e->position().toPoint());
  // The menu runs once the drag has ended.
  QTimer::singleShot(0, this, [this, dragged, onto, at] { dropOnto(dragged, onto, at); });
}

void FoldTree::dropOnto(int dragged, int target, const QPoint& globalPos) {
  EditorView* w = window_();
  if (!w || dragged < 0 || target < 0 || dragged >= model_.size() || target >= model_.size())
    return;
  // The items may be older than the file (the tree follows the editor only
  // with sync on): the checks look at the file as it is now.
  LineNode* draggedNode = model_.item(dragged).node;
  LineNode* targetNode = model_.item(target).node;
  rebuild();
  dragged = model_.find(draggedNode);
  target = model_.find(targetNode);
  const DropCheck check = checkDrop(*w, model_, dragged, target);
  if (check != DropCheck::Ok) {
    reportDrop(w->host, check);
    return;
  }
  LineNode* from = model_.item(dragged).node;
  LineNode* onto = model_.item(target).node;
  QMenu menu(this);
  menu.addAction("Copy here")->setData(kDropCopyHere);
  menu.addAction("Move here")->setData(kDropMoveHere);
  menu.addSeparator();
  menu.addAction("Cancel")->setData(kDropCancel);
  const int id = execMenu(menu, globalPos);
  w = window_();
  if (!w || (id != kDropCopyHere && id != kDropMoveHere)) return;
  if (w->inDispatch) {
    // The editor is in the middle of a command: nothing changes under it.
    w->host.beep();
    return;
  }
  dropFold(*w, from, onto, id == kDropCopyHere ? DropAction::Copy : DropAction::Move);
  rebuild();
  selectLine(w->currentLine);
  editorChanged();
}

// --- FoldTreePane ----------------------------------------------------------

FoldTreePane::FoldTreePane(FoldTree::WindowSource window, QWidget* parent) : QWidget(parent) {
  setObjectName("TMyTreeWindow");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  tree_ = new FoldTree(std::move(window), this);
  layout->addWidget(tree_);
}

// --- PaneSplitter ----------------------------------------------------------

PaneSplitter::PaneSplitter(EditorWidget* editor, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent), editor_(editor), editorWidget_(editor) {
  init();
}

PaneSplitter::PaneSplitter(QWidget* editor, EditorView& window, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent), editor_(editor), fixedWindow_(&window) {
  editorWidget_ = qobject_cast<EditorWidget*>(editor);
  init();
}

void PaneSplitter::init() {
  setObjectName("TMySplitter");
  setChildrenCollapsible(false);
  addWidget(editor_);
  setStretchFactor(0, 1);
  if (EditorView* w = window()) {
    registered_ = w;
    panes()[w] = this;
  }
}

PaneSplitter::~PaneSplitter() {
  if (EditorView* w = window()) {
    if (w->tree == treeWindow_ && treeWindow_) w->tree = nullptr;
    w->hooks.selectInTree = nullptr;
    w->hooks.linesRead = nullptr;
  }
  // The tree goes first, while the editor it reaches the window through is
  // still whole.
  delete treeWindow_;
  treeWindow_ = nullptr;
  auto it = panes().find(registered_);
  if (it != panes().end() && it->second == this) panes().erase(it);
}

PaneSplitter* PaneSplitter::of(const EditorView& w) {
  auto it = panes().find(&w);
  return it == panes().end() ? nullptr : it->second;
}

EditorView* PaneSplitter::window() const {
  if (editorWidget_) return editorWidget_->window();
  return fixedWindow_;
}

bool PaneSplitter::treeShown() const { return treeWindow_ && !treeWindow_->isHidden(); }

int PaneSplitter::treeWidth() const {
  if (treeShown()) return sizes().value(indexOf(treeWindow_), width_);
  if (width_ > 0) return width_;
  return initialTreeWidth();
}

int PaneSplitter::initialTreeWidth() const {
  const EditorView* w = window();
  const int cell = w ? std::max(1, static_cast<int>(w->cellWidth)) : 8;
  const int third = std::max(kNarrowestCells * cell, width() / 3);
  const int fit = tree() ? tree()->fittedWidth() : kInitialCells * cell;
  return std::clamp(fit, kNarrowestCells * cell, third);
}

void PaneSplitter::attach(bool shown) {
  EditorView* w = window();
  if (!w) return;
  if (!shown) {
    if (w->tree == treeWindow_) w->tree = nullptr;
    w->hooks.selectInTree = nullptr;
    w->hooks.linesRead = nullptr;
    return;
  }
  w->tree = treeWindow_;
  QPointer<PaneSplitter> self(this);
  w->hooks.selectInTree = [self](View&, LineNode* line) {
    if (self && self->tree()) self->tree()->selectLine(line);
  };
  w->hooks.linesRead = [self](View&, LineNode*) {
    // The reader is inside a command: the tree is built again once the
    // dispatcher is done with it.
    if (self && self->tree()) self->tree()->markStale();
  };
}

void PaneSplitter::setTreeShown(bool shown) {
  if (shown == treeShown()) return;
  EditorView* w = window();
  if (!shown) {
    width_ = treeWidth();
    const bool hadKeys = treeWindow_->isAncestorOf(QApplication::focusWidget());
    treeWindow_->hide();
    attach(false);
    if (hadKeys) editor_->setFocus();
    return;
  }
  if (!treeWindow_) {
    treeWindow_ = new FoldTreePane([this] { return window(); });
    insertWidget(0, treeWindow_);
    setStretchFactor(0, 0);
    setStretchFactor(1, 1);
    if (editorWidget_) {
      tree()->dispatchNow = [editor = editorWidget_] {
        if (editor) editor->dispatch();
      };
      // After every dispatch: lines read meanwhile are shown.
      connect(editorWidget_, &EditorWidget::stateChanged, treeWindow_, [this] {
        if (FoldTree* t = tree(); t && treeShown() && t->stale()) {
          t->rebuild();
          if (EditorView* win = window(); win && win->treeSync) t->selectLine(win->currentLine);
        }
      });
    }
  }
  treeWindow_->show();
  attach(true);
  tree()->rebuild();
  if (w) tree()->selectLine(w->currentLine);
  // Shown for the first time: as wide as the titles need.
  const int width = width_ > 0 ? width_ : initialTreeWidth();
  const int total = std::max(width + 1, this->width());
  setSizes({width, std::max(1, total - width - handleWidth())});
  width_ = width;
}

void PaneSplitter::showHideTree() { setTreeShown(!treeShown()); }

void PaneSplitter::goToTreeSelection() {
  if (FoldTree* t = tree(); t && treeShown()) t->goToSelection();
}

// The tree follows the view: what leaves the view's shape alone leaves the
// tree alone too, and so does showing or hiding the tree itself.
bool PaneSplitter::changesTree(int command) {
  return command != cmdShowHideTree && changesShape(command);
}

void PaneSplitter::treeAfterCommand(int command) {
  FoldTree* t = tree();
  EditorView* w = window();
  if (!t || !w || !treeShown()) return;
  if (changesTree(command) || t->stale()) t->rebuild();
  if (w->treeSync) t->selectLine(w->currentLine);
}

void PaneSplitter::headerTextChanged(const LineNode* header) {
  if (FoldTree* t = tree(); t && treeShown()) t->updateHeaderText(header);
}
