// The print preview over a real document: the bar's buttons enabled and
// disabled as the pages allow, one and two pages, the page text, the page
// views' places, and the preview standing in for the main window while it
// is open.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPageLayout>
#include <QPrinter>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>
#include <string>

#include "app/application.hpp"
#include "display/editorview.hpp"
#include "gui/guitest.hpp"
#include "gui/printpreviewwindow.hpp"
#include "gui/printing.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "platform/batchhost.hpp"
#include "support/testenv.hpp"

namespace {

std::string numbered(int n) {
  std::string out;
  for (int i = 1; i <= n; ++i) out += "line " + std::to_string(i) + "\r\n";
  return out;
}

}  // namespace

class PreviewTest : public QObject, private GuiFixture<BatchHost> {
  Q_OBJECT

 private:
  std::unique_ptr<Application> app_;
  std::unique_ptr<Printer> printer_;

  EditorView& open(const std::string& content) {
    app_ = std::make_unique<Application>(*ctx_);
    return openDocument(*app_, "p.c", content)->window;
  }

  Printer& printer(QPageLayout::Orientation orientation = QPageLayout::Portrait) {
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    p->setOutputFileName(QString::fromStdString(work_->file("preview.pdf")));
    p->setPageSize(QPageSize(QPageSize::A4));
    p->setPageOrientation(orientation);
    printer_ = std::make_unique<Printer>(std::move(p));
    printer_->setContext(ctx_.get());
    return *printer_;
  }

  static bool enabled(PrintPreviewWindow& w, int id) { return w.control(id)->isEnabled(); }
  static QString text(PrintPreviewWindow& w) { return w.pageField()->text(); }

 private Q_SLOTS:
  void init() { setUpFixture(); }

  void cleanup() {
    app_.reset();
    printer_.reset();
    tearDownFixture();
  }

  void barHoldsTheControlsInOrder() {
    EditorView& w = open(numbered(3));
    QWidget main;
    main.setWindowTitle("Plicato for Windows - [p.c]");
    PrintPreviewWindow win(printer(), w, &main);
    QCOMPARE(win.windowTitle(), QString("Plicato for Windows - [p.c]"));
    QStringList ids;
    for (QAction* a : win.controlBar()->actions()) {
      if (!a->objectName().isEmpty()) ids << a->objectName();
      else if (QWidget* gadget = win.controlBar()->widgetForAction(a))
        ids << (gadget->objectName().isEmpty() ? QString("gap %1").arg(gadget->width())
                                               : gadget->objectName());
    }
    QCOMPARE(ids, QStringList({"24500", "24501", "gap 6", "24502", "24503", "gap 12", "24504",
                               "gap 20", "24505"}));
    QCOMPARE(text(win), QString("Page 1"));
    QCOMPARE(win.pageField()->font().pointSize(), 10);
    QVERIFY(win.firstView() != nullptr);
    QVERIFY(win.secondView() == nullptr);
  }

  void landscapePageKeepsTwoPagesDisabled() {
    EditorView& w = open(numbered(300));
    PrintPreviewWindow win(printer(QPageLayout::Landscape), w, nullptr);
    QVERIFY(win.model().pageWidth() > win.model().pageHeight());
    QVERIFY(!enabled(win, kPreviewTwo));
    win.control(kPreviewTwo)->trigger();
    QVERIFY(win.secondView() == nullptr);
    QVERIFY(enabled(win, kPreviewNext));
  }

  void singlePageDisablesNextAndTwoPagesShowsPageZero() {
    EditorView& w = open(numbered(5));
    PrintPreviewWindow win(printer(), w, nullptr);
    QCOMPARE(win.model().lastPageValue(), 1);
    QVERIFY(!enabled(win, kPreviewPrevious));
    QVERIFY(!enabled(win, kPreviewNext));
    QVERIFY(enabled(win, kPreviewTwo));
    win.control(kPreviewTwo)->trigger();
    QVERIFY(win.secondView() != nullptr);
    QCOMPARE(win.firstView()->page(), 1);
    QCOMPARE(win.secondView()->page(), 0);
    QCOMPARE(text(win), QString("Page 1"));
    QVERIFY(!enabled(win, kPreviewNext));
    QVERIFY(!enabled(win, kPreviewPrevious));
  }

  void pagingThroughTheFile() {
    EditorView& w = open(numbered(300));
    PrintPreviewWindow win(printer(), w, nullptr);
    const int pages = win.printout().pageCount();
    QVERIFY(pages >= 3);
    // The pages that can be shown are the printout's.
    QCOMPARE(win.model().lastPageValue(), pages);
    QVERIFY(!enabled(win, kPreviewPrevious));
    QVERIFY(enabled(win, kPreviewNext));

    win.control(kPreviewNext)->trigger();
    QCOMPARE(text(win), QString("Page 2"));
    QCOMPARE(win.firstView()->page(), 2);
    QVERIFY(enabled(win, kPreviewPrevious));

    win.control(kPreviewTwo)->trigger();
    QCOMPARE(text(win), QString("Page 2 - 3"));
    QCOMPARE(win.secondView()->page(), 3);
    QVERIFY(win.secondView()->isVisible() || !win.isVisible());

    win.control(kPreviewPrevious)->trigger();
    QCOMPARE(text(win), QString("Page 1 - 2"));
    QCOMPARE(win.firstView()->page(), 1);
    QCOMPARE(win.secondView()->page(), 2);
    QVERIFY(!enabled(win, kPreviewPrevious));

    while (enabled(win, kPreviewNext)) win.control(kPreviewNext)->trigger();
    QCOMPARE(win.model().secondPage(), pages);
    QCOMPARE(text(win), QString("Page %1 - %2").arg(pages - 1).arg(pages));

    win.control(kPreviewOne)->trigger();
    QVERIFY(win.secondView() == nullptr);
    QCOMPARE(text(win), QString("Page %1").arg(pages - 1));
    QVERIFY(enabled(win, kPreviewNext));
  }

  void pageViewsFollowTheLayout() {
    EditorView& w = open(numbered(300));
    PrintPreviewWindow win(printer(), w, nullptr);
    win.resize(1000, 700);
    win.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win));
    QWidget* client = win.layoutWindow();
    auto check = [&] {
      const PreviewRect a = win.model().firstViewRect(client->width(), client->height());
      QCOMPARE(win.firstView()->geometry(), QRect(a.left, a.top, a.width(), a.height()));
      QVERIFY(win.firstView()->geometry().bottom() < client->height());
      if (win.secondView()) {
        const PreviewRect b = win.model().secondViewRect(client->width(), client->height());
        QCOMPARE(win.secondView()->geometry(), QRect(b.left, b.top, b.width(), b.height()));
        QVERIFY(win.secondView()->geometry().right() < client->width());
      }
    };
    check();
    win.control(kPreviewTwo)->trigger();
    check();
    win.resize(600, 900);
    QTest::qWait(20);
    check();
    const QString shot = qEnvironmentVariable("PLICATO_PREVIEW_SHOT");
    if (!shot.isEmpty()) {
      win.resize(1000, 700);
      QTest::qWait(50);
      win.grab().save(shot);
    }
  }

  void previewTakesThePlaceOfTheMainWindow() {
    EditorView& w = open(numbered(40));
    QWidget main;
    main.setWindowTitle("Plicato for Windows");
    main.setGeometry(100, 100, 640, 480);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    bool mainHidden = false;
    int counted = -1;
    QString caption;
    QTimer::singleShot(50, [&] {
      mainHidden = main.isHidden();
      counted = previewsOpen();
      for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* win = qobject_cast<PrintPreviewWindow*>(top); win && win->isVisible()) {
          caption = win->windowTitle();
          win->control(kPreviewDone)->trigger();
        }
    });
    QCOMPARE(previewsOpen(), 0);
    QCOMPARE(printPreview(&main, *host_, &w), 2);
    QVERIFY(mainHidden);
    QCOMPARE(counted, 1);
    QCOMPARE(caption, QString("Plicato for Windows"));
    QCOMPARE(previewsOpen(), 0);
    QVERIFY(main.isVisible());
    // Without an editor window there is nothing to preview.
    QCOMPARE(printPreview(&main, *host_, nullptr), 0);
  }
};

QTEST_MAIN(PreviewTest)
#include "preview_test.moc"
