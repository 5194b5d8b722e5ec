#include "gui/printing.hpp"

#include <QPointer>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QFontInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>

#include <sys/statvfs.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/batch.hpp"
#include "app/settingsstore.hpp"
#include "display/editorview.hpp"
#include "gui/dialogs.hpp"
#include "gui/guiapp.hpp"
#include "gui/printpreviewwindow.hpp"
#include "gui/printcanvas.hpp"
#include "model/latin1.hpp"
#include "model/settings.hpp"
#include "platform/host.hpp"
#include "print/windowprintout.hpp"

namespace {

int previews = 0;

constexpr int kSmallestPoints = 8;
constexpr int kLargestPoints = 72;
constexpr size_t kFaceNameBytes = 31;

// Half an inch round the text, for printers (and PDF files) that report no
// unprintable border of their own.
const QMarginsF kDefaultMargins(12.7, 12.7, 12.7, 12.7);

double unitsPerInch() { return 100.0; }

// One logical unit in device pixels.
double pixelsPerUnit(const QPrinter& p) { return p.resolution() / unitsPerInch(); }

// The pages of a job on the printer, through one painter.
class PrinterSink : public PageSink {
 public:
  PrinterSink(QPrinter& printer, QPainter& painter, QProgressDialog* cancel,
              const PrinterFont& font)
      : font_(font), printer_(printer), painter_(painter), cancel_(cancel) {}

  Canvas* beginPage() override {
    if (started_ && !printer_.newPage()) return nullptr;
    started_ = true;
    canvas_ = std::make_unique<PrinterCanvas>(&painter_, &printer_, pixelsPerUnit(printer_),
                                              pixelsPerUnit(printer_), QPointF(0, 0),
                                              font_);
    return canvas_.get();
  }
  bool endPage() override {
    ++pages_;
    if (cancel_) {
      cancel_->setValue(pages_);
      QCoreApplication::processEvents();
    }
    return painter_.isActive();
  }
  bool cancelled() override {
    if (!cancel_) return false;
    QCoreApplication::processEvents();
    return cancel_->wasCanceled();
  }

 private:
  const PrinterFont& font_;
  QPrinter& printer_;
  QPainter& painter_;
  QProgressDialog* cancel_;
  std::unique_ptr<PrinterCanvas> canvas_;
  bool started_ = false;
  int pages_ = 0;
};

// A PDF file that the writer finished ends with its trailer.
bool pdfComplete(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly) || f.size() < 8) return false;
  f.seek(std::max<qint64>(0, f.size() - 64));
  return f.readAll().contains("%%EOF");
}

bool diskFull(const QString& path) {
  struct statvfs st;
  const qsizetype slash = path.lastIndexOf('/');
  const QString dir = slash < 0 ? QString(".") : slash == 0 ? QString("/") : path.left(slash);
  if (::statvfs(dir.toLocal8Bit().constData(), &st) != 0) return false;
  return st.f_bavail == 0;
}

}  // namespace

// --- the printer -----------------------------------------------------------

Printer& Printer::instance() {
  static Printer printer;
  return printer;
}

Printer::Printer(std::unique_ptr<QPrinter> printer) : printer_(std::move(printer)) {}

Printer::~Printer() = default;

QPrinter& Printer::printer() {
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setPageMargins(kDefaultMargins, QPageLayout::Millimeter);
    // Without a printer of the system the printouts go to a PDF file.
    if (!printer_->isValid() || QPrinterInfo::availablePrinters().isEmpty()) {
      printer_->setOutputFormat(QPrinter::PdfFormat);
      if (printer_->outputFileName().isEmpty()) printer_->setOutputFileName("plicato.pdf");
    }
  }
  return *printer_;
}

bool Printer::usable() {
  QPrinter& p = printer();
  return p.outputFormat() == QPrinter::PdfFormat || p.isValid();
}

QSize Printer::pageSizePixels() {
  QPrinter& p = printer();
  const QRect r = p.pageLayout().paintRectPixels(p.resolution());
  return QSize(std::max(1, r.width()), std::max(1, r.height()));
}

QSize Printer::paperSizePixels() {
  QPrinter& p = printer();
  const QRect r = p.pageLayout().fullRectPixels(p.resolution());
  return QSize(std::max(1, r.width()), std::max(1, r.height()));
}

QPointF Printer::pageOffset() {
  QPrinter& p = printer();
  const QPageLayout layout = p.pageLayout();
  const QRect paint = layout.paintRectPixels(p.resolution());
  const QRect full = layout.fullRectPixels(p.resolution());
  const double ppu = pixelsPerUnit(p);
  return QPointF((paint.left() - full.left()) / ppu, (paint.top() - full.top()) / ppu);
}

PageGeometry Printer::geometry() {
  QPrinter& p = printer();
  const QSize px = pageSizePixels();
  const double ppu = pixelsPerUnit(p);
  PrinterCanvas measure(nullptr, &p, ppu, ppu, QPointF(0, 0), font());
  return measurePage(measure, static_cast<int>(px.width() / ppu), static_cast<int>(px.height() / ppu));
}

int Printer::exec(QDialog& dialog) { return runDialog ? runDialog(dialog) : dialog.exec(); }

void Printer::report(Host& host, const std::string& title, const char* reason) {
  char text[512];
  std::snprintf(text, sizeof text, "'%s' not printed. %s.", title.c_str(), reason);
  host.messageBox(text, "Print Error", MbButtons::Ok, MbIcon::Stop);
}

bool Printer::print(QWidget* parent, Host& host, Printout& printout, bool prompt) {
  QPrinter& p = printer();
  p.setDocName(QString::fromLatin1(printout.title().c_str()));
  printout.setGeometry(geometry());
  PageRange range = printout.pageRange();

  int dialogFrom = 0, dialogTo = 0;
  if (prompt) {
    QPrintDialog dialog(&p, parent);
    dialog.setWindowTitle("Print");
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    const bool paged = range.maxPage > 0;
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, paged);
    if (paged) dialog.setMinMax(std::max(1, range.minPage), range.maxPage);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (exec(dialog) != QDialog::Accepted) return false;
    if (p.printRange() == QPrinter::PageRange) {
      dialogFrom = p.fromPage();
      dialogTo = p.toPage();
    }
    // Another printer or paper: the pages are laid out for it.
    printout.setGeometry(geometry());
    range = printout.pageRange();
  }

  QPainter painter;
  if (!painter.begin(&p)) {
    report(host, printout.title(), "Error encountered during print");
    return false;
  }
  std::unique_ptr<QProgressDialog> cancel;
  if (showCancelDialog) {
    cancel = std::make_unique<QProgressDialog>(
        QString("Printing \"%1\"...").arg(QString::fromLatin1(printout.title().c_str())), "Cancel",
        0, std::max(1, range.maxPage), parent);
    cancel->setWindowTitle("Printing");
    cancel->setWindowModality(Qt::ApplicationModal);
    cancel->setMinimumDuration(0);
    cancel->setValue(0);
  }
  PrinterSink sink(p, painter, cancel.get(), font());
  const PrintOutcome outcome = printPages(printout, pagesToPrint(range, dialogFrom, dialogTo), sink);
  if (outcome != PrintOutcome::Printed) {
    p.abort();
    painter.end();
    report(host, printout.title(),
           outcome == PrintOutcome::Cancelled ? "Printing canceled" : "Error encountered during print");
    return false;
  }
  const bool ended = painter.end();
  if (cancel) cancel->reset();
  if (p.outputFormat() == QPrinter::PdfFormat && !p.outputFileName().isEmpty() &&
      !pdfComplete(p.outputFileName())) {
    report(host, printout.title(),
           diskFull(p.outputFileName()) ? "Out of disk space" : "Error encountered during print");
    return false;
  }
  if (!ended) {
    report(host, printout.title(), "Error encountered during print");
    return false;
  }
  return true;
}

bool Printer::setup(QWidget* parent) {
  QPageSetupDialog dialog(&printer(), parent);
  dialog.setWindowTitle("Printer Setup");
  return exec(dialog) == QDialog::Accepted;
}

bool Printer::chooseFont(QWidget* parent) {
  PrinterFont& pf = font();
  QPrinter& p = printer();
  // The dialog opens on the font the printouts really use (a face the
  // system lacks prints in its fixed-pitch one) and shows points; the
  // printer font is kept in hundredths of an inch (the unit its height is
  // used in when printing).
  QFont initial = printerQFont(pf, &p, pixelsPerUnit(p));
  const double units = pf.height == 0 ? 11.0 : std::abs(static_cast<double>(pf.height));
  initial.setPointSizeF(std::clamp(units * 72.0 / unitsPerInch(), double(kSmallestPoints),
                                   double(kLargestPoints)));
  PrinterFontDialog dialog(initial, parent);
  if (exec(dialog) != QDialog::Accepted) return false;
  const QFont chosen = dialog.currentFont();
  const double points =
      std::clamp(chosen.pointSizeF() > 0 ? chosen.pointSizeF() : double(kSmallestPoints),
                 double(kSmallestPoints), double(kLargestPoints));
  std::string face = chosen.families().isEmpty() ? chosen.family().toStdString()
                                                 : chosen.families().front().toStdString();
  if (face.size() > kFaceNameBytes) face.resize(kFaceNameBytes);
  pf.faceName = face;
  pf.height = -static_cast<int32_t>(std::lround(points * unitsPerInch() / 72.0));
  pf.width = 0;
  pf.weight = static_cast<int32_t>(chosen.weight());
  pf.italic = chosen.italic() ? 1 : 0;
  // Kept at once: nothing else would write it before the next time the
  // options are applied.
  if (ctx_) saveAllSettings(ctx_->settings, ctx_->host);
  return true;
}

// --- the commands ------------------------------------------------------------

bool printScreenEnabled(EditorView* active) { return active && Printer::instance().usable(); }

void printScreen(QWidget* parent, Host& host, EditorView* active) {
  if (!printScreenEnabled(active)) return;
  ScreenPrintout printout(*active);
  Printer::instance().print(parent, host, printout);
}

void printerSetup(QWidget* parent, EditorView* active) {
  if (!printScreenEnabled(active)) return;
  Printer::instance().setup(parent);
}

void printerFont(QWidget* parent) { Printer::instance().chooseFont(parent); }

void printBuffer(QWidget* parent, Host& host, EditorView* active) {
  if (!active || !Printer::instance().usable()) return;
  FilePrintout printout(*active);
  Printer::instance().print(parent, host, printout);
}

void printLayout(QWidget* parent, Host& host, EditorView* active) {
  if (!active || !Printer::instance().usable()) return;
  LayoutPrintout printout(active);
  if (!printout.load(host, LayoutPrintout::defaultPath())) return;
  Printer::instance().print(parent, host, printout);
}

int printPreview(QWidget* mainWindow, Host& host, EditorView* active, DesktopApplication* owner) {
  (void)host;
  if (!active || !Printer::instance().usable()) return 0;
  ++previews;
  // The application may be gone when the preview's loop returns.
  QPointer<DesktopApplication> app(owner);
  if (app) app->previewOpened();
  int result = 0;
  {
    PrintPreviewWindow preview(Printer::instance(), *active, mainWindow);
    result = preview.exec();
  }
  if (app) app->previewClosed();
  --previews;
  return result;
}

int previewsOpen() { return previews; }

// --- plicato --print ---------------------------------------------------------

namespace {

const char* kPrintUsage = "usage: plicato --print FILE --to OUT.pdf [--config DIR]\n";

void tellEvents(const BatchHost& host) {
  for (const auto& e : host.events()) {
    std::string text = latin1ToUtf8(e.text);
    for (char& c : text)
      if (c == '\n') c = ' ';
    std::fprintf(stderr, "plicato: %s\n", text.c_str());
  }
}

}  // namespace

int runPrint(const std::vector<std::string>& args) {
  std::string file, out;
  StartOptions start;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--print" && hasValue && file.empty()) {
      file = args[++i];
    } else if (a == "--to" && hasValue && out.empty()) {
      out = args[++i];
    } else if (a == "--config" && hasValue) {
      start.configDir = args[++i];
    } else {
      std::fprintf(stderr, "plicato: unexpected argument '%s'\n%s", a.c_str(), kPrintUsage);
      return 1;
    }
  }
  if (file.empty() || out.empty()) {
    std::fputs(kPrintUsage, stderr);
    return 1;
  }

  std::unique_ptr<QApplication> qt;
  if (!QCoreApplication::instance()) {
    // No window is opened: without a display the offscreen platform does.
    if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
        std::getenv("WAYLAND_DISPLAY") == nullptr)
      ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "plicato";
    static char* argv[] = {name, nullptr};
    qt = std::make_unique<QApplication>(argc, argv);
  }

  BatchSession session(start);
  OpenDocument* doc = session.open(file);
  if (!doc || doc->window.doc.ioStatus == 2) {
    tellEvents(session.host);
    if (session.host.events().empty())
      std::fprintf(stderr, "plicato: cannot read '%s'\n", file.c_str());
    return 1;
  }
  session.host.clearEvents();

  auto pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
  pdf->setOutputFormat(QPrinter::PdfFormat);
  pdf->setOutputFileName(QString::fromLocal8Bit(out.c_str()));
  pdf->setPageMargins(kDefaultMargins, QPageLayout::Millimeter);
  Printer printer(std::move(pdf));
  printer.setContext(&session.ctx);
  printer.showCancelDialog = false;
  FilePrintout printout(doc->window);
  if (!printer.print(nullptr, session.host, printout, false)) {
    tellEvents(session.host);
    return 1;
  }
  return 0;
}
