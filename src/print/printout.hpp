// Printouts: what a printer job asks of a document, and the job's page
// loop, on the Canvas of the core.
//
// Pages are laid out in hundredths of an inch with y growing upwards, the
// way the printer's device context is set up for printing: the top of the
// page is y = 0 and lines go down to negative y. A canvas that draws on a
// printer maps these units to its device.
#pragma once

#include <climits>
#include <string>

class Canvas;

// The page in logical units (hundredths of an inch) and the printer
// font's cell in the same units.
struct PageGeometry {
  int pageWidth = 850;
  int pageHeight = 1100;
  int pageCharWidth = 7;
  int pageLineHeight = 12;
};

// Measures the printer font on `canvas` ("Test string" over 11 characters)
// for a page of the given size in logical units.
PageGeometry measurePage(const Canvas& canvas, int pageWidth, int pageHeight);

// Lines of text a page holds below its header and the blank line under
// it. A font taller than a third of the page still prints one line per
// page instead of none (which would leave the page count undefined).
int linesPerPage(const PageGeometry& geometry);

// What the printer's dialog offers: the pages, and a selection (always
// none here).
struct PageRange {
  int minPage = 0;
  int maxPage = 0;
  int selFromPage = 0;
  int selToPage = 0;
};

class Printout {
 public:
  explicit Printout(std::string title) : title_(std::move(title)) {}
  virtual ~Printout() = default;
  Printout(const Printout&) = delete;
  Printout& operator=(const Printout&) = delete;

  // The job title ("Print All", "Print from Screen", "Print Preview").
  const std::string& title() const { return title_; }

  void setGeometry(const PageGeometry& g) { geometry_ = g; }
  const PageGeometry& geometry() const { return geometry_; }
  int linesPerPage() const { return ::linesPerPage(geometry_); }

  // The pages chosen in the print dialog; all of them until a dialog says
  // otherwise.
  void setPrintRange(int fromPage, int toPage) {
    fromPage_ = fromPage;
    toPage_ = toPage;
  }
  int fromPage() const { return fromPage_; }
  int toPage() const { return toPage_; }

  // The three calls of a print job, in this order.
  virtual PageRange pageRange() = 0;
  virtual bool hasPage(int page) = 0;
  virtual void printPage(int page, Canvas& canvas) = 0;

 private:
  std::string title_;
  PageGeometry geometry_;
  int fromPage_ = 1;
  int toPage_ = INT_MAX;
};

// The printer's side of a job: a canvas per page and the cancel button.
class PageSink {
 public:
  virtual ~PageSink() = default;
  // The canvas of the next page (the first call starts the first page);
  // null when the page could not be started.
  virtual Canvas* beginPage() = 0;
  // False when the page could not be finished.
  virtual bool endPage() = 0;
  // The user asked to stop (polled between pages).
  virtual bool cancelled() { return false; }
};

enum class PrintOutcome { Printed, Cancelled, Failed };

// The pages a job prints for a dialog choice of fromPage..toPage (0, 0:
// all): from the printout's first page on, while it has pages.
struct PageSpan {
  int from = 1;
  int to = INT_MAX;
};
PageSpan pagesToPrint(const PageRange& range, int dialogFrom, int dialogTo);

// The job's page loop: the range is handed to the printout, then every
// page of the span that the printout has is printed on a page of the sink.
// Pages printed are counted into *printed when it is given.
PrintOutcome printPages(Printout& printout, const PageSpan& span, PageSink& sink,
                        int* printed = nullptr);
