#include "print/printout.hpp"

#include <algorithm>
#include <cstdlib>

#include "display/canvas.hpp"

PageGeometry measurePage(const Canvas& canvas, int pageWidth, int pageHeight) {
  // The sample is 11 characters long, as long as the text the width is
  // divided by.
  static const char kSample[] = "Test string";
  PageGeometry g;
  g.pageWidth = std::abs(pageWidth);
  g.pageHeight = std::abs(pageHeight);
  g.pageCharWidth = canvas.textWidth(kSample, 11) / 11;
  g.pageLineHeight = canvas.textHeight();
  return g;
}

int linesPerPage(const PageGeometry& g) {
  const int lineHeight = std::max(1, g.pageLineHeight);
  const int lines = g.pageHeight / lineHeight - 2;
  return lines > 0 ? lines : 1;
}

PageSpan pagesToPrint(const PageRange& range, int dialogFrom, int dialogTo) {
  PageSpan s;
  if (dialogFrom <= 0 && dialogTo <= 0) {
    s.from = std::max(1, range.minPage);
    s.to = range.maxPage > 0 ? range.maxPage : INT_MAX;
  } else {
    s.from = std::max(1, dialogFrom);
    s.to = dialogTo > 0 ? dialogTo : INT_MAX;
  }
  return s;
}

PrintOutcome printPages(Printout& printout, const PageSpan& span, PageSink& sink, int* printed) {
  printout.setPrintRange(span.from, span.to);
  int done = 0;
  PrintOutcome outcome = PrintOutcome::Printed;
  for (int page = span.from; page <= span.to && printout.hasPage(page); ++page) {
    if (sink.cancelled()) {
      outcome = PrintOutcome::Cancelled;
      break;
    }
    Canvas* canvas = sink.beginPage();
    if (!canvas) {
      outcome = PrintOutcome::Failed;
      break;
    }
    printout.printPage(page, *canvas);
    if (!sink.endPage()) {
      outcome = PrintOutcome::Failed;
      break;
    }
    ++done;
    if (page == INT_MAX) break;
  }
  if (printed) *printed = done;
  return outcome;
}
