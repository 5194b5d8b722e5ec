// Printing to PDF files: `plicato --print FILE --to OUT.pdf` read back with
// pdftotext (every line of every fold there, in order, under the page
// headers), its failures, the printer font chooser's limits, and the print
// commands through the print dialog.
#include <QApplication>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

#include <memory>
#include <string>
#include <vector>

#include "app/application.hpp"
#include "app/settingsstore.hpp"
#include "display/canvas.hpp"
#include "display/editorview.hpp"
#include "gui/dialogs.hpp"
#include "gui/guitest.hpp"
#include "gui/printcanvas.hpp"
#include "gui/printing.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "platform/batchhost.hpp"
#include "print/windowprintout.hpp"
#include "support/testenv.hpp"

namespace {

// Runs of one page, for the lines the printout draws.
class LineCanvas : public Canvas {
 public:
  void moveTo(int, int) override {}
  void textOut(const char*, int) override {}
  void textOutAt(int, int, const char* text, int n) override {
    lines.emplace_back(text, static_cast<size_t>(n > 0 ? n : 0));
  }
  void setTextColour(uint32_t) override {}
  uint32_t textColour() const override { return 0; }
  void setBackColour(uint32_t) override {}
  uint32_t backColour() const override { return 0; }
  int textWidth(const char*, int n) const override { return n * 7; }
  int textHeight() const override { return 12; }
  std::vector<std::string> lines;
};

// Blanks squeezed: pdftotext places words, not spaces.
QString squeezed(const QString& s) { return s.simplified(); }

QStringList pdfLines(const QString& pdf) {
  QProcess p;
  p.start("pdftotext", {"-layout", pdf, "-"});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
  QStringList out;
  for (const QString& l : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
    const QString s = squeezed(l);
    if (!s.isEmpty()) out << s;
  }
  return out;
}

bool havePdftotext() {
  QProcess p;
  p.start("pdftotext", {"-v"});
  return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit;
}

std::string copyOf(const std::string& from, const TempDir& to, const std::string& name) {
  to.write(name, readFile(from));
  return to.file(name);
}

}  // namespace

class PrintPdfTest : public QObject, private GuiFixture<BatchHost> {
  Q_OBJECT

 private:

  // The lines the Print Buffer printout has for the file, in order.
  std::vector<std::string> expectedLines(const std::string& path) {
    Application app(*ctx_);
    app.loadFileTypes();
    OpenDocument* doc = app.openFile(path, 25, 80);
    if (!doc) return {};
    FilePrintout p(doc->window);
    PageGeometry g;
    g.pageHeight = 1000000;
    p.setGeometry(g);
    p.pageRange();
    LineCanvas c;
    p.printPage(1, c);
    return std::vector<std::string>(c.lines.begin() + 2, c.lines.end());
  }

  int print(const std::string& file, const std::string& out) {
    return runPrint({"--print", file, "--to", out, "--config", config_->path()});
  }

 private Q_SLOTS:
  void init() { setUpFixture(); }
  void cleanup() { tearDownFixture(); }

  void sampleFilePrintsEveryFoldInOrder() {
    if (!havePdftotext()) QSKIP("pdftotext (poppler-utils) is not installed");
    const std::string samples = std::string(PLICATO_SOURCE_DIR) + "/resources/samples/";
    const std::string file = copyOf(samples + "sample.c", *work_, "sample.c");
    copyOf(samples + "sample_part.c", *work_, "sample_part.c");
    const std::string out = work_->file("sample.pdf");
    QCOMPARE(print(file, out), 0);

    const QStringList pdf = pdfLines(QString::fromStdString(out));
    QVERIFY(!pdf.isEmpty());
    // The header names the file by its top line's title.
    QVERIFY2(pdf[0].startsWith("Page 1 from sample.c "), qPrintable(pdf[0]));
    const std::vector<std::string> expected = expectedLines(file);
    QVERIFY(expected.size() > 20);
    // The deepest fold's lines are among them.
    QVERIFY(std::find(expected.begin(), expected.end(), "  count++;") != expected.end());
    int at = 0;
    for (const std::string& line : expected) {
      const QString want = squeezed(QString::fromLatin1(line.c_str()));
      if (want.isEmpty()) continue;
      while (at < pdf.size() && pdf[at] != want) ++at;
      QVERIFY2(at < pdf.size(), qPrintable("missing or out of order: " + want));
      ++at;
    }
  }

  void longFileHasAHeaderOnEveryPage() {
    if (!havePdftotext()) QSKIP("pdftotext (poppler-utils) is not installed");
    std::string text;
    for (int f = 0; f < 30; ++f) {
      text += "/*{{{  fold " + std::to_string(f) + "*/\r\n";
      for (int i = 0; i < 10; ++i) text += "  int v" + std::to_string(f) + "_" + std::to_string(i) + ";\r\n";
      text += "/*}}}*/\r\n";
    }
    work_->write("long.c", text);
    const std::string out = work_->file("long.pdf");
    QCOMPARE(print(work_->file("long.c"), out), 0);
    const QStringList pdf = pdfLines(QString::fromStdString(out));
    int headers = 0;
    for (const QString& l : pdf)
      if (l.startsWith(QString("Page %1 from ").arg(headers + 1))) ++headers;
    QVERIFY2(headers >= 3, qPrintable(QString::number(headers)));
    QVERIFY(pdf.contains("int v29_9;"));
    QVERIFY(pdf.indexOf("int v0_0;") < pdf.indexOf("int v29_9;"));
  }

  void programPrintsWithoutADisplay() {
    work_->write("d.c", "int d;\r\n");
    const QString out = QString::fromStdString(work_->file("d.pdf"));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    p.setProcessEnvironment(env);
    p.start(QString(PLICATO_BIN_DIR) + "/plicato",
            {"--print", QString::fromStdString(work_->file("d.c")), "--to", out, "--config",
             QString::fromStdString(config_->path())});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
    if (havePdftotext()) QVERIFY(pdfLines(out).contains("int d;"));

    p.start(QString(PLICATO_BIN_DIR) + "/plicato",
            {"--print", QString::fromStdString(work_->file("none.c")), "--to", out, "--config",
             QString::fromStdString(config_->path())});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("none.c"));
  }

  void failuresAreToldAndReturnOne() {
    QCOMPARE(print(work_->file("missing.c"), work_->file("x.pdf")), 1);
    work_->write("a.c", "int a;\r\n");
    QCOMPARE(print(work_->file("a.c"), work_->file("no/such/dir/x.pdf")), 1);
    QCOMPARE(runPrint({"--print", work_->file("a.c")}), 1);
    QCOMPARE(runPrint({"--print", work_->file("a.c"), "--to", "x.pdf", "--bogus"}), 1);
  }

  void printerFontUsesTheSettings() {
    // A font far too big for the page still prints, a line a page.
    writeFile(config_->file("registry.reg"),
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\Printer Font\\Height]\n"
              "@=\"-900\"\n");
    work_->write("b.c", "one\r\ntwo\r\n");
    const std::string out = work_->file("big.pdf");
    QCOMPARE(print(work_->file("b.c"), out), 0);
    if (!havePdftotext()) return;
    // The top line, the file's header, two lines and the end: five pages.
    QProcess info;
    info.start("pdfinfo", {QString::fromStdString(out)});
    QVERIFY(info.waitForFinished(30000));
    QVERIFY(QString::fromUtf8(info.readAllStandardOutput()).contains(QRegularExpression("Pages:\\s+5\\n")));
  }

  void fontChooserShowsTheFontUsedAndOffersFixedFacesOnly() {
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    Printer printer(std::move(p));
    printer.setContext(ctx_.get());
    // The default face is a printer's own: the system's fixed-pitch face
    // prints instead, and the chooser opens on it, at the size printed.
    const QString fixed = QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family();
    QCOMPARE(settings().printerFont.faceName, std::string("LinePrinter"));
    QCOMPARE(printerFace("LinePrinter"), fixed);
    const QFont used = printerQFont(settings().printerFont, &printer.printer(), 12.0);
    QCOMPARE(QFontInfo(used).family(), fixed);
    QVERIFY(QFontInfo(used).fixedPitch());
    QString openedOn;
    int openedAt = 0;
    QStringList offered;
    int smallest = 0, largest = 0;
    printer.runDialog = [&](QDialog& d) {
      auto& fd = dynamic_cast<PrinterFontDialog&>(d);
      openedOn = fd.face()->currentText();
      openedAt = fd.size()->value();
      for (int i = 0; i < fd.face()->count(); ++i) offered << fd.face()->itemText(i);
      smallest = fd.size()->minimum();
      largest = fd.size()->maximum();
      return int(QDialog::Rejected);
    };
    QVERIFY(!printer.chooseFont(nullptr));
    QCOMPARE(openedOn, fixed);
    QCOMPARE(openedAt, 8);
    QVERIFY(!offered.isEmpty());
    for (const QString& face : offered) QVERIFY2(QFontDatabase::isFixedPitch(face), qPrintable(face));
    QCOMPARE(smallest, 8);
    QCOMPARE(largest, 72);

    // The PDF is printed in that face too.
    work_->write("f.c", "int x;\r\n");
    const std::string out = work_->file("f.pdf");
    QCOMPARE(print(work_->file("f.c"), out), 0);
    QProcess fonts;
    fonts.start("pdffonts", {QString::fromStdString(out)});
    if (fonts.waitForFinished(30000) && fonts.exitStatus() == QProcess::NormalExit &&
        fonts.exitCode() == 0) {
      const QString list = QString::fromUtf8(fonts.readAllStandardOutput());
      QVERIFY2(list.contains(QString(fixed).remove(' ')), qPrintable(list));
    }
  }

  void fontChooserKeepsToItsSizes() {
    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    Printer printer(std::move(p));
    printer.setContext(ctx_.get());
    settings().printerFont.width = 5;
    printer.runDialog = [](QDialog& d) {
      auto& fd = dynamic_cast<PrinterFontDialog&>(d);
      QFont f("DejaVu Sans Mono");
      f.setPointSize(200);
      f.setItalic(true);
      f.setWeight(QFont::Bold);
      fd.setCurrentFont(f);
      return int(QDialog::Accepted);
    };
    QVERIFY(printer.chooseFont(nullptr));
    const PrinterFont& pf = settings().printerFont;
    QCOMPARE(pf.height, -100);  // 72 points, in hundredths of an inch
    QCOMPARE(pf.italic, uint8_t(1));
    QCOMPARE(pf.weight, 700);
    QCOMPARE(pf.width, 0);
    // Written to the settings at once: a later start reads it back.
    settings().printerFont.height = 0;
    settings().printerFont.italic = 0;
    loadAllSettings(ctx_->settings);
    QCOMPARE(settings().printerFont.height, -100);
    QCOMPARE(settings().printerFont.italic, uint8_t(1));

    printer.runDialog = [](QDialog& d) {
      auto& fd = dynamic_cast<PrinterFontDialog&>(d);
      QFont f = fd.currentFont();
      f.setPointSize(4);
      fd.setCurrentFont(f);
      return int(QDialog::Accepted);
    };
    QVERIFY(printer.chooseFont(nullptr));
    QCOMPARE(settings().printerFont.height, -11);  // 8 points

    printer.runDialog = [](QDialog&) { return int(QDialog::Rejected); };
    settings().printerFont.faceName = "Kept";
    QVERIFY(!printer.chooseFont(nullptr));
    QCOMPARE(settings().printerFont.faceName, std::string("Kept"));
  }

  void printDialogRangeAndCancel() {
    std::string text;
    for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i) + "\r\n";
    work_->write("c.c", text);
    Application app(*ctx_);
    app.loadFileTypes();
    OpenDocument* doc = app.openFile(work_->file("c.c"), 25, 80);
    QVERIFY(doc);

    auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
    p->setOutputFormat(QPrinter::PdfFormat);
    const QString out = QString::fromStdString(work_->file("c.pdf"));
    p->setOutputFileName(out);
    Printer printer(std::move(p));
    printer.setContext(ctx_.get());
    printer.showCancelDialog = false;
    int maxPage = 0;
    printer.runDialog = [&](QDialog& d) {
      auto& pd = static_cast<QPrintDialog&>(d);
      maxPage = pd.maxPage();
      pd.setPrintRange(QAbstractPrintDialog::PageRange);
      pd.setFromTo(2, 2);
      pd.printer()->setPrintRange(QPrinter::PageRange);
      pd.printer()->setFromTo(2, 2);
      return int(QDialog::Accepted);
    };
    FilePrintout printout(doc->window);
    QVERIFY(printer.print(nullptr, *host_, printout));
    QVERIFY(maxPage >= 3);
    if (havePdftotext()) {
      const QStringList pdf = pdfLines(out);
      QVERIFY(!pdf.isEmpty());
      QVERIFY2(pdf[0].startsWith("Page 2 from "), qPrintable(pdf[0]));
      for (const QString& l : pdf) QVERIFY(!l.startsWith("Page 1 from ") && !l.startsWith("Page 3 from "));
    }

    // The dialog cancelled: nothing printed, nothing said.
    host_->clearEvents();
    printer.runDialog = [](QDialog&) { return int(QDialog::Rejected); };
    QVERIFY(!printer.print(nullptr, *host_, printout));
    QVERIFY(host_->events().empty());

    // A file that cannot be written: the job's failure is reported.
    printer.printer().setOutputFileName(QString::fromStdString(work_->file("none/c.pdf")));
    QVERIFY(!printer.print(nullptr, *host_, printout, false));
    QCOMPARE(host_->events().size(), size_t(1));
    QCOMPARE(host_->events()[0].caption, std::string("Print Error"));
    QCOMPARE(host_->events()[0].text, std::string("'Print All' not printed. Error encountered during print."));
  }
};

QTEST_MAIN(PrintPdfTest)
#include "printpdf_test.moc"
