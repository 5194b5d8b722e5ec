#include "gui/printpreviewwindow.hpp"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QEventLoop>
#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPrinter>
#include <QToolBar>

#include <algorithm>

#include "display/editorview.hpp"
#include "gui/printcanvas.hpp"
#include "gui/printing.hpp"
#include "model/settings.hpp"

namespace {

constexpr int kIconSize = 20;

// The bar's pictures, drawn rather than loaded: they are that simple.
QIcon controlIcon(int id) {
  QPixmap pm(kIconSize, kIconSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink(40, 40, 40);
  auto sheet = [&](QRectF r) {
    p.setPen(QPen(ink, 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (double y = r.top() + 3; y < r.bottom() - 2; y += 2.5)
      p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
  };
  switch (id) {
    case kPreviewPrevious:
    case kPreviewNext: {
      QPainterPath arrow;
      if (id == kPreviewPrevious) {
        arrow.moveTo(14, 4);
        arrow.lineTo(5, 10);
        arrow.lineTo(14, 16);
      } else {
        arrow.moveTo(6, 4);
        arrow.lineTo(15, 10);
        arrow.lineTo(6, 16);
      }
      arrow.closeSubpath();
      p.fillPath(arrow, ink);
      break;
    }
    case kPreviewOne: sheet(QRectF(5.5, 2.5, 9, 15)); break;
    case kPreviewTwo:
      sheet(QRectF(1.5, 2.5, 8, 15));
      sheet(QRectF(10.5, 2.5, 8, 15));
      break;
    case kPreviewDone: {
      p.setPen(QPen(QColor(0, 110, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPolyline(QPolygonF({QPointF(4, 10), QPointF(8.5, 15), QPointF(16, 5)}));
      break;
    }
    default: break;
  }
  p.end();
  return QIcon(pm);
}

QWidget* spacer(int width, QWidget* parent) {
  auto* w = new QWidget(parent);
  w->setFixedWidth(width);
  return w;
}

}  // namespace

// --- a page view ----------------------------------------------------------

PreviewPage::PreviewPage(Printout& printout, const PreviewSheet& sheet, const PrinterFont& font,
                           int page, QWidget* parent)
    : QWidget(parent), printout_(printout), sheet_(sheet), font_(font), page_(page) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPage::setPage(int page) {
  if (page == page_) return;
  page_ = page;
  update();
}

void PreviewPage::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect sheet = rect().adjusted(0, 0, -1, -1);
  p.fillRect(rect(), Qt::white);
  p.setPen(QColor(0, 0, 0));
  p.drawRect(sheet);
  if (page_ <= 0) return;
  if (sheet_.width <= 0 || sheet_.height <= 0) return;
  // The sheet keeps its proportions and its margins, as on paper.
  const double scale = std::min(width() / sheet_.width, height() / sheet_.height);
  p.setClipRect(sheet.adjusted(1, 1, 0, 0));
  PrinterCanvas canvas(&p, this, scale, scale, sheet_.pageOffset * scale, font_);
  printout_.printPage(page_, canvas);
}

// --- the preview window -----------------------------------------------------

PrintPreviewWindow::PrintPreviewWindow(Printer& printer, EditorView& window, QWidget* mainWindow)
    : QMainWindow(nullptr),
      printer_(printer),
      main_(mainWindow),
      printout_(window, "Print Preview"),
      sheet_{printer.paperSizePixels().width() * 100.0 / printer.printer().resolution(),
             printer.paperSizePixels().height() * 100.0 / printer.printer().resolution(),
             printer.pageOffset()},
      model_(printer.paperSizePixels().width(), printer.paperSizePixels().height()) {
  setObjectName("TApxPreviewWin");
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowTitle("Print Preview");
  if (main_) {
    // The caption as a 256-byte buffer holds it.
    QString caption = main_->windowTitle();
    if (caption.size() > 255) caption.truncate(255);
    setWindowTitle(caption);
    setWindowIcon(main_->windowIcon());
  }

  printout_.setGeometry(printer_.geometry());
  model_.setUp(printout_.pageCount());

  buildBar();
  client_ = new QWidget(this);
  client_->setObjectName("PreviewLayout");
  client_->setAutoFillBackground(true);
  QPalette pal = client_->palette();
  pal.setColor(QPalette::Window, QColor(128, 128, 128));
  client_->setPalette(pal);
  client_->installEventFilter(this);
  setCentralWidget(client_);
  first_ = new PreviewPage(printout_, sheet_, printer_.font(), model_.firstPage(), client_);
  first_->setObjectName("PreviewPage1");
  resize(800, 600);
  updateControls();
  layoutViews();
}

PrintPreviewWindow::~PrintPreviewWindow() = default;

void PrintPreviewWindow::buildBar() {
  bar_ = new QToolBar(this);
  bar_->setObjectName("PreviewControlBar");
  bar_->setMovable(false);
  bar_->setFloatable(false);
  bar_->setIconSize(QSize(kIconSize, kIconSize));
  QFont gadgets = bar_->font();
  gadgets.setPointSize(10);
  bar_->setFont(gadgets);
  addToolBar(Qt::TopToolBarArea, bar_);

  auto add = [&](int id, const QString& text, void (PrintPreviewWindow::*command)()) {
    QAction* a = bar_->addAction(controlIcon(id), text);
    a->setObjectName(QString::number(id));
    a->setToolTip(text);
    connect(a, &QAction::triggered, this, command);
    return a;
  };
  add(kPreviewPrevious, "Previous page", &PrintPreviewWindow::previousPage);
  add(kPreviewNext, "Next page", &PrintPreviewWindow::nextPage);
  bar_->addWidget(spacer(6, bar_));
  add(kPreviewOne, "One page", &PrintPreviewWindow::onePage);
  add(kPreviewTwo, "Two pages", &PrintPreviewWindow::twoPages);
  bar_->addWidget(spacer(12, bar_));
  pageText_ = new QLabel("Page 1", bar_);
  pageText_->setObjectName(QString::number(kPreviewPageText));
  pageText_->setFont(gadgets);
  pageText_->setMinimumWidth(QFontMetrics(gadgets).averageCharWidth() * 10);
  bar_->addWidget(pageText_);
  bar_->addWidget(spacer(20, bar_));
  QAction* done = bar_->addAction(controlIcon(kPreviewDone), "Done");
  done->setObjectName(QString::number(kPreviewDone));
  done->setToolTip("Done");
  connect(done, &QAction::triggered, this, &QWidget::close);
}

QAction* PrintPreviewWindow::control(int id) const {
  return bar_ ? bar_->findChild<QAction*>(QString::number(id)) : nullptr;
}

void PrintPreviewWindow::previousPage() {
  model_.previousPage();
  updateControls();
}

void PrintPreviewWindow::nextPage() {
  model_.nextPage();
  updateControls();
}

void PrintPreviewWindow::onePage() {
  model_.onePage();
  delete second_;
  second_ = nullptr;
  updateControls();
  layoutViews();
}

void PrintPreviewWindow::twoPages() {
  if (!model_.canTwoPages() || second_) return;
  model_.twoPages();
  second_ = new PreviewPage(printout_, sheet_, printer_.font(), model_.secondViewPage(), client_);
  second_->setObjectName("PreviewPage2");
  second_->show();
  updateControls();
  layoutViews();
}

void PrintPreviewWindow::updateControls() {
  first_->setPage(model_.firstPage());
  if (second_) second_->setPage(model_.secondViewPage());
  control(kPreviewPrevious)->setEnabled(model_.canPrevious());
  control(kPreviewNext)->setEnabled(model_.canNext());
  control(kPreviewTwo)->setEnabled(model_.canTwoPages());
  pageText_->setText(QString::fromStdString(model_.pageText()));
}

void PrintPreviewWindow::layoutViews() {
  const int w = client_->width(), h = client_->height();
  const PreviewRect a = model_.firstViewRect(w, h);
  first_->setGeometry(a.left, a.top, a.width(), a.height());
  if (second_) {
    const PreviewRect b = model_.secondViewRect(w, h);
    second_->setGeometry(b.left, b.top, b.width(), b.height());
  }
}

bool PrintPreviewWindow::eventFilter(QObject* watched, QEvent* e) {
  if (watched == client_ && e->type() == QEvent::Resize) layoutViews();
  return QMainWindow::eventFilter(watched, e);
}

void PrintPreviewWindow::closeEvent(QCloseEvent* e) {
  if (loop_) loop_->exit(2);
  e->accept();
}

int PrintPreviewWindow::exec() {
  if (main_) setGeometry(main_->geometry());
  setWindowModality(Qt::ApplicationModal);
  show();
  if (main_) main_->hide();
  QEventLoop loop;
  loop_ = &loop;
  const int result = loop.exec();
  loop_ = nullptr;
  if (main_) {
    main_->setGeometry(geometry());
    main_->show();
  }
  hide();
  return result;
}
