#include "gui/editorwidget.hpp"
#include "commands/keyqueue.hpp"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>

#include "app/application.hpp"
#include "commands/dispatcher.hpp"
#include "commands/keytable.hpp"
#include "commands/lineeditor.hpp"
#include "display/paint.hpp"
#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "gui/keymap.hpp"
#include "gui/qtcanvas.hpp"
#include "gui/qthost.hpp"
#include "model/settings.hpp"

EditorWidget::EditorWidget(OpenDocument& doc, Application& app, QtHost& host, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(&doc), app_(app), host_(host), windowAddr_(&doc.window) {
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_InputMethodEnabled, false);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setCursor(Qt::IBeamCursor);
  viewport()->setAutoFillBackground(false);

  font_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  setFont(font_);
  viewport()->setFont(font_);
  EditorView& w = doc.window;
  const QFontMetrics fm(font_);
  // The cell of a fixed-pitch font is its advance; the widest glyph's ink
  // (QFontMetrics::maxWidth) may stick out of it and is no cell width.
  const int advance = std::max(1, fm.horizontalAdvance(QChar('M')));
  w.frame.frameHeight = 0;
  w.frame.captionHeight = 0;
  w.frame.vScrollWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  w.frame.hScrollHeight = w.frame.vScrollWidth;
  w.setFontMetrics(advance, fm.height(), advance, fm.height() + std::max(0, fm.leading()));

  autoScroll_.setInterval(15);
  connect(&autoScroll_, &QTimer::timeout, this, &EditorWidget::autoScrollTick);
  connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
          &EditorWidget::onVerticalAction);
  connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
          &EditorWidget::onHorizontalAction);
  loaded_ = w.doc.levelTop != nullptr;
  syncScrollBars();
  host_.registerWidget(w, this);
}

EditorWidget::~EditorWidget() {
  autoScroll_.stop();
  if (doc_) host_.unregisterWidget(windowAddr_);
}

EditorView* EditorWidget::window() const { return documentAlive() ? &doc_->window : nullptr; }

bool EditorWidget::documentAlive() const {
  if (!doc_) return false;
  for (const auto& d : app_.documents())
    if (d.get() == doc_) return true;
  return false;
}

bool EditorWidget::ready() {
  if (doc_ && !documentAlive()) {
    // Destroyed behind our back: let go of it as if it had exited.
    host_.unregisterWidget(windowAddr_);
    doc_ = nullptr;
    autoScroll_.stop();
  }
  return doc_ && doc_->window.doc.levelTop;
}

void EditorWidget::detachDocument() {
  autoScroll_.stop();
  if (doc_) host_.unregisterWidget(windowAddr_);
  doc_ = nullptr;
  viewport()->update();
}

QSize EditorWidget::sizeHint() const {
  const QFontMetrics fm(font_);
  return QSize(fm.horizontalAdvance(QChar('M')) * 80 + verticalScrollBar()->sizeHint().width(),
               fm.height() * 25 + horizontalScrollBar()->sizeHint().height());
}

// --- messages and dispatch ---------------------------------------------------

bool EditorWidget::event(QEvent* e) {
  if (e->type() == WindowMessageEvent::eventType()) {
    const int message = static_cast<WindowMessageEvent*>(e)->message;
    if (doc_) host_.messageDelivered(doc_->window, message);
    handleMessage(message);
    return true;
  }
  if (e->type() == QEvent::ShortcutOverride) {
    // Every key belongs to the editor, except the frame's own: Alt+F
    // opens its menu (the core queues nothing for it), Ctrl-Tab and
    // Ctrl-Shift-Tab switch the document windows.
    auto* k = static_cast<QKeyEvent*>(e);
    if (!isFrameKey(k->key(), k->modifiers()) && doc_) {
      e->accept();
      return true;
    }
  }
  return QAbstractScrollArea::event(e);
}

void EditorWidget::handleMessage(int message) {
  if (!doc_ || !documentAlive()) {
    ready();
    return;
  }
  if (message == kMsgSetUpDone) {
    if (loaded_) return;
    loaded_ = true;
    if (onLoad)
      onLoad(*doc_);
    else if (!doc_->window.doc.levelTop)
      app_.loadDocument(*doc_);
    if (!ready()) return;
    EditorView& w = doc_->window;
    if (lastClient_.isValid()) w.resize(lastClient_.width(), lastClient_.height());
    w.updateScrollBars();
    afterDispatch();
    viewport()->update();
    // Keys typed while the file was read run now.
    if (!w.keys.empty()) dispatch();
    return;
  }
  if (message == kMsgKeysWaiting) dispatch();
}

bool EditorWidget::dispatch() {
  if (!ready()) return doc_ != nullptr;
  QPointer<EditorWidget> self(this);
  OpenDocument* doc = doc_;
  const bool alive = app_.dispatch(*doc);
  if (!self) return alive;  // the frame deleted the widget meanwhile
  if (!alive) {
    windowGone();
    return false;
  }
  afterDispatch();
  return true;
}

void EditorWidget::afterDispatch() {
  syncScrollBars();
  caretMoved();
  Q_EMIT stateChanged();
}

void EditorWidget::windowGone() {
  autoScroll_.stop();
  host_.unregisterWidget(windowAddr_);
  doc_ = nullptr;
  viewport()->update();
  if (onWindowExited) onWindowExited();  // may delete this widget
}

void EditorWidget::refreshIdle() {
  if (!ready()) return;
  EditorView& w = doc_->window;
  if (!w.inDispatch) refreshWindow(w, doc_->state, app_);
  afterDispatch();
}

// --- painting ----------------------------------------------------------------

void EditorWidget::invalidateRows(int firstRow, int lastRow) {
  if (!doc_) return;
  const EditorView& w = doc_->window;
  const int h = std::max(1, static_cast<int>(w.charHeight));
  firstRow = std::max(1, firstRow);
  if (lastRow < firstRow) return;
  // The last row also repaints the strip below it.
  const int bottom = lastRow >= w.screenRows ? viewport()->height() : lastRow * h;
  viewport()->update(QRect(0, (firstRow - 1) * h, viewport()->width(), bottom - (firstRow - 1) * h));
  caretMoved();
}

QRect EditorWidget::caretRect() const {
  if (!doc_ || !hasFocus()) return {};
  const EditorView& w = doc_->window;
  if (!w.caret.shown || !w.doc.levelTop) return {};
  return QRect(w.caret.x, w.caret.y, std::max(1, static_cast<int>(w.charWidth)),
               std::max(1, static_cast<int>(w.charHeight) / 4));
}

void EditorWidget::caretMoved() {
  const QRect now = caretRect();
  if (now == shownCaret_) return;
  if (!shownCaret_.isNull()) viewport()->update(shownCaret_);
  if (!now.isNull()) viewport()->update(now);
}

void EditorWidget::paintEvent(QPaintEvent* e) {
  QPainter p(viewport());
  const QRect area = e->rect();
  p.fillRect(area, qColorOf(app_.ctx.settings.normalBack));
  if (!ready()) {
    shownCaret_ = QRect();
    return;
  }
  EditorView& w = doc_->window;
  p.setFont(font_);
  const int h = std::max(1, static_cast<int>(w.charHeight));
  const int first = area.top() / h + 1;
  const int last = area.bottom() / h + 1;
  if (first <= w.screenRows) {
    QtCanvas canvas(p, w.charWidth, w.charHeight);
    paintRows(w, canvas, first, std::min(last, w.screenRows));
  } else if (last >= w.screenRows + 1) {
    // Only the strip below the rows: paintRows draws it with the last row.
    QtCanvas canvas(p, w.charWidth, w.charHeight);
    paintRows(w, canvas, w.screenRows, w.screenRows);
  }
  // The underline caret, inverting what it covers so it shows on marked
  // rows as well.
  const QRect caret = caretRect();
  if (!caret.isNull()) {
    p.setClipRect(area);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(caret, Qt::white);
  }
  shownCaret_ = caret;
}

// --- size and scroll bars ----------------------------------------------------

void EditorWidget::resizeEvent(QResizeEvent* e) {
  QAbstractScrollArea::resizeEvent(e);
  // The window counts its scroll bars itself: it is given the whole client
  // area, bars included.
  const QSize client = contentsRect().size();
  if (client == lastClient_ || !doc_ || !documentAlive()) return;
  lastClient_ = client;
  EditorView& w = doc_->window;
  w.resize(client.width(), client.height());
  if (w.doc.levelTop) w.updateScrollBars();
  syncScrollBars();
  viewport()->update();
  caretMoved();
}

void EditorWidget::syncScrollBars() {
  if (!doc_) return;
  const EditorView& w = doc_->window;
  syncing_ = true;
  setVerticalScrollBarPolicy(w.vScrollShown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(w.hScrollShown && w.doc.levelTop ? Qt::ScrollBarAlwaysOn
                                                            : Qt::ScrollBarAlwaysOff);
  QScrollBar* v = verticalScrollBar();
  v->setRange(0, std::max(0, static_cast<int>(w.vScrollRange)));
  v->setPageStep(std::max(1, static_cast<int>(w.screenRows)));
  v->setSingleStep(1);
  v->setValue(w.vScrollPos);
  QScrollBar* hb = horizontalScrollBar();
  hb->setRange(0, std::max(0, static_cast<int>(w.hScrollRange)));
  hb->setPageStep(std::max(1, w.textWidth() / 2));
  hb->setSingleStep(1);
  hb->setValue(w.hScrollPos);
  syncing_ = false;
}

void EditorWidget::scrollContentsBy(int, int) {
  // The view moves through the window, never by shifting pixels.
}

void EditorWidget::queueScroll(int command, int times) {
  if (!ready()) return;
  EditorView& w = doc_->window;
  for (int i = 0; i < times && w.keys.room() >= 2; ++i) queueCommand(w, command);
}

void EditorWidget::onVerticalAction(int action) {
  if (syncing_ || !ready()) return;
  EditorView& w = doc_->window;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: queueScroll(cmdScrollLineDown, 1); break;
    case QAbstractSlider::SliderSingleStepSub: queueScroll(cmdScrollLineUp, 1); break;
    case QAbstractSlider::SliderPageStepAdd: queueScroll(cmdPageDown, 1); break;
    case QAbstractSlider::SliderPageStepSub: queueScroll(cmdPageUp, 1); break;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum: {
      // A drag can jump a thousand rows: the view moves at once rather
      // than by a thousand queued keys. Only between commands, though.
      if (w.inDispatch || !w.keys.empty()) break;
      const int target = verticalScrollBar()->sliderPosition();
      int delta = target - w.vScrollPos;
      while (delta > 0 && scrollViewDown(w)) --delta;
      while (delta < 0 && scrollViewUp(w)) ++delta;
      refreshIdle();
      break;
    }
    default: break;
  }
  // The bar shows where the view is, not where the mouse wished it.
  QTimer::singleShot(0, this, &EditorWidget::syncScrollBars);
}

void EditorWidget::onHorizontalAction(int action) {
  if (syncing_ || !ready()) return;
  EditorView& w = doc_->window;
  if (w.inDispatch || !w.keys.empty() || w.wrapMode || !w.currentLine) {
    QTimer::singleShot(0, this, &EditorWidget::syncScrollBars);
    return;
  }
  int target = w.leftColumn;
  const int page = std::max(1, w.textWidth() / 2);
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: target += 1; break;
    case QAbstractSlider::SliderSingleStepSub: target -= 1; break;
    case QAbstractSlider::SliderPageStepAdd: target += page; break;
    case QAbstractSlider::SliderPageStepSub: target -= page; break;
    default: target = horizontalScrollBar()->sliderPosition(); break;
  }
  target = std::clamp(target, 0, std::max(0, static_cast<int>(w.hScrollRange)));
  if (target != w.leftColumn) {
    // The cursor keeps its text column while it stays in sight, else it
    // is carried to the nearer edge.
    const int col = std::clamp(w.textColumn - 1, target, target + w.textWidth() - 1);
    w.leftColumn = target;
    setCursorColumn(w, col);
    Redraw(w, 1);
    refreshIdle();
  }
  QTimer::singleShot(0, this, &EditorWidget::syncScrollBars);
}

void EditorWidget::wheelEvent(QWheelEvent* e) {
  const int notches = e->angleDelta().y() / 120;
  if (notches > 0) queueScroll(cmdScrollLineUp, 3 * notches);
  if (notches < 0) queueScroll(cmdScrollLineDown, -3 * notches);
  e->accept();
}

// --- keys ----------------------------------------------------------------------

void EditorWidget::keyPressEvent(QKeyEvent* e) {
  if (!ready()) {
    e->ignore();
    return;
  }
  keyPressToWindow(doc_->window, *e);
  e->accept();
}

void EditorWidget::keyReleaseEvent(QKeyEvent* e) {
  if (!ready()) {
    e->ignore();
    return;
  }
  keyReleaseToWindow(doc_->window, *e);
  e->accept();
}

bool EditorWidget::focusNextPrevChild(bool) { return false; }  // Tab is a key of the editor

// --- mouse ---------------------------------------------------------------------

void EditorWidget::mousePressEvent(QMouseEvent* e) {
  if (!ready() || e->button() != Qt::LeftButton) return;
  setFocus(Qt::MouseFocusReason);
  const QPoint at = e->position().toPoint();
  doc_->window.mouseDown(at.x(), at.y());
  refreshIdle();
}

void EditorWidget::mouseMoveEvent(QMouseEvent* e) {
  if (!ready() || !(e->buttons() & Qt::LeftButton)) return;
  EditorView& w = doc_->window;
  const QPoint at = e->position().toPoint();
  w.mouseMove(at.x(), at.y());
  if ((w.autoScrollUp || w.autoScrollDown) && !autoScroll_.isActive()) autoScroll_.start();
  caretMoved();
}

void EditorWidget::mouseReleaseEvent(QMouseEvent* e) {
  if (!ready() || e->button() != Qt::LeftButton) return;
  autoScroll_.stop();
  doc_->window.mouseUp();
  refreshIdle();
}

void EditorWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  if (!ready() || e->button() != Qt::LeftButton) return;
  // The double click stands for the second press too (as QWidget's own
  // handler has it): the cursor goes to the row, then the row is entered.
  EditorView& w = doc_->window;
  const QPoint at = e->position().toPoint();
  w.mouseDown(at.x(), at.y());
  w.mouseUp();
  refreshIdle();
  queueEntryKey(w, kEntryEnterFold);
}

void EditorWidget::autoScrollTick() {
  if (!ready()) {
    autoScroll_.stop();
    return;
  }
  EditorView& w = doc_->window;
  if (!w.autoScrollStep()) {
    if (!w.dragging || (!w.autoScrollUp && !w.autoScrollDown)) autoScroll_.stop();
    return;
  }
  w.updateScrollBars();
  syncScrollBars();
  caretMoved();
}

// --- context menu -------------------------------------------------------------

void EditorWidget::fillContextMenu(QMenu& menu) {
  if (!ready()) return;
  for (const MenuEntry& m : doc_->window.contextMenu()) {
    if (m.id == 0) {
      menu.addSeparator();
      continue;
    }
    QAction* a = menu.addAction(fromLatin1(m.text));
    a->setData(m.id);
    a->setEnabled(m.enabled);
    if (m.checked) {
      a->setCheckable(true);
      a->setChecked(true);
    }
  }
}

void EditorWidget::contextMenuEvent(QContextMenuEvent* e) {
  if (!ready()) return;
  QMenu menu(this);
  fillContextMenu(menu);
  QPointer<EditorWidget> self(this);
  QAction* chosen = menu.exec(e->globalPos());
  if (!self || !chosen || !ready()) return;
  if (onContextCommand) onContextCommand(chosen->data().toInt());
}

// --- focus ---------------------------------------------------------------------

void EditorWidget::focusInEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusInEvent(e);
  if (!doc_ || !documentAlive()) return;
  doc_->window.focusIn();
  caretMoved();
}

void EditorWidget::focusOutEvent(QFocusEvent* e) {
  QAbstractScrollArea::focusOutEvent(e);
  if (!doc_ || !documentAlive()) return;
  doc_->window.focusOut();
  caretMoved();
}
