// PrintPreviewWindow: the print preview (command 112). A frame with a control
// bar at its top and the page views below it, one or two pages of the
// Print Buffer printout at a time, in place of the main window while it is
// open. What it shows and allows is decided by PreviewModel (src/print).
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QWidget>

#include <memory>

#include "model/settings.hpp"
#include "print/previewmodel.hpp"
#include "print/windowprintout.hpp"

class QAction;
class QCloseEvent;
class QEventLoop;
class QLabel;
class QToolBar;
class Printer;
class EditorView;

// Control ids of the preview's bar.
enum PreviewControl : int {
  kPreviewPrevious = 24500,
  kPreviewNext = 24501,
  kPreviewOne = 24502,
  kPreviewTwo = 24503,
  kPreviewPageText = 24504,
  kPreviewDone = 24505,
};

// The sheet a page view shows, in hundredths of an inch: its size, and
// where the printer's page (the part it prints on) lies on it.
struct PreviewSheet {
  double width = 850;
  double height = 1100;
  QPointF pageOffset;
};

// One page of a printout drawn on a sheet that fills the widget, scaled
// as the sheet is to the paper. Page 0 is a blank sheet.
class PreviewPage : public QWidget {
 public:
  PreviewPage(Printout& printout, const PreviewSheet& sheet, const PrinterFont& font, int page,
               QWidget* parent);
  void setPage(int page);
  int page() const { return page_; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  Printout& printout_;
  PreviewSheet sheet_;
  const PrinterFont& font_;
  int page_;
};

class PrintPreviewWindow : public QMainWindow {
  Q_OBJECT

 public:
  // The preview of the window's file on the printer's pages. mainWindow
  // (may be null) gives the caption, and the place when it is run.
  PrintPreviewWindow(Printer& printer, EditorView& window, QWidget* mainWindow);
  ~PrintPreviewWindow() override;

  // Shows the preview where the main window is, hides the main window and
  // waits until the preview is closed; the main window comes back where
  // the preview was. Returns 2.
  int exec();

  const PreviewModel& model() const { return model_; }
  FilePrintout& printout() { return printout_; }
  // A button of the bar by its id, and the page text field.
  QAction* control(int id) const;
  QLabel* pageField() const { return pageText_; }
  QToolBar* controlBar() const { return bar_; }
  // The first and (while two pages are shown) the second page view.
  PreviewPage* firstView() const { return first_; }
  PreviewPage* secondView() const { return second_; }
  QWidget* layoutWindow() const { return client_; }

  // The commands of the bar.
  void previousPage();
  void nextPage();
  void onePage();
  void twoPages();

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void buildBar();
  void updateControls();
  void layoutViews();

  Printer& printer_;
  QPointer<QWidget> main_;
  FilePrintout printout_;
  PreviewSheet sheet_;
  PreviewModel model_;
  QToolBar* bar_ = nullptr;
  QLabel* pageText_ = nullptr;
  QWidget* client_ = nullptr;
  PreviewPage* first_ = nullptr;
  PreviewPage* second_ = nullptr;
  QEventLoop* loop_ = nullptr;
};
