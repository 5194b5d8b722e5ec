// Printing on the desktop: the application's one printer, the print,
// printer setup and printer font commands, the print preview, and
// `plicato --print FILE --to OUT.pdf`.
//
// The printer is a QPrinter; the print dialog offers the system's printers
// and printing to a PDF file. Printouts come from src/print and are drawn
// through a PrinterCanvas, so the pages on paper, in a PDF file and in the
// preview are the same.
#pragma once

#include <QPointF>
#include <QSize>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/context.hpp"
#include "print/printout.hpp"

class Host;
class QDialog;
class QPrinter;
class QWidget;
class EditorView;
class DesktopApplication;

class Printer {
 public:
  // The application's printer, made when first asked for (after the
  // QApplication).
  static Printer& instance();
  // A printer of its own (tests, the command line).
  explicit Printer(std::unique_ptr<QPrinter> printer = nullptr);
  ~Printer();
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;

  // The editor whose printer font the printouts use and the font dialog
  // sets (without one: the default font, kept by the printer alone).
  void setContext(ModelContext* ctx) { ctx_ = ctx; }
  PrinterFont& font() { return ctx_ ? ctx_->settings.printerFont : ownFont_; }

  QPrinter& printer();
  // The printer's setup reports no error: there is a printer to print on,
  // or a PDF file to print to.
  bool usable();

  // The printer page (the part it prints on) in device pixels, and in
  // hundredths of an inch with the printer font measured on it.
  QSize pageSizePixels();
  PageGeometry geometry();
  // The whole sheet in device pixels, and where the printed part begins
  // on it, in hundredths of an inch (the preview draws the sheet).
  QSize paperSizePixels();
  QPointF pageOffset();

  // Prints the printout: the page range is asked for, the print dialog
  // shown (with `prompt`), the pages printed under a cancel dialog. A job
  // that fails is reported under "Print Error" as "'%s' not printed. %s.".
  // True when every page was printed; false also when the dialog was
  // cancelled (which is not reported).
  bool print(QWidget* parent, Host& host, Printout& printout, bool prompt = true);

  // The printer-setup dialog (paper, orientation, margins); true on OK.
  bool setup(QWidget* parent);
  // The printer font chooser: sizes 8 to 72 points; on OK the face, height,
  // width, weight and italic flag of the printer font are replaced.
  bool chooseFont(QWidget* parent);

  // Runs each modal dialog instead of exec() (tests): returns
  // QDialog::Accepted or Rejected.
  std::function<int(QDialog&)> runDialog;
  // Whether a cancel dialog is shown while printing (not from the shell).
  bool showCancelDialog = true;

 private:
  ModelContext* ctx_ = nullptr;
  PrinterFont ownFont_;
  int exec(QDialog& dialog);
  void report(Host& host, const std::string& title, const char* reason);

  std::unique_ptr<QPrinter> printer_;
};

// --- the frame's commands -----------------------------------------------
// `active` is the editor window of the active document, or null; with no
// active window every command does nothing.

// 106 Print Screen: the rows on the window's screen, one page.
void printScreen(QWidget* parent, Host& host, EditorView* active);
// 107 Printer Setup.
void printerSetup(QWidget* parent, EditorView* active);
// Whether 106 and 107 are enabled.
bool printScreenEnabled(EditorView* active);
// 108 Printer font.
void printerFont(QWidget* parent);
// 109 Print Buffer: the whole file, every fold expanded.
void printBuffer(QWidget* parent, Host& host, EditorView* active);
// 112 Print Preview of the Print Buffer printout; modal, the main window
// hidden meanwhile. Returns the preview's result (2), or 0 when nothing
// was shown.
// The application (may be null) is told while a preview is open.
int printPreview(QWidget* mainWindow, Host& host, EditorView* active,
                 DesktopApplication* owner = nullptr);
// 115 Print layout: help.txt (the Print button of the help dialogs).
void printLayout(QWidget* parent, Host& host, EditorView* active);

// Print previews open now (the application's preview counter).
int previewsOpen();

// `plicato --print FILE --to OUT.pdf [--config DIR]`: the Print Buffer
// printout of FILE as a PDF file, with the printer font of the settings,
// without a window (the offscreen platform when there is no display).
// args: the arguments after the program name. 0, or 1 with a message on
// stderr.
int runPrint(const std::vector<std::string>& args);
