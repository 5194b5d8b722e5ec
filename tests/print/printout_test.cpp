#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "engine/navigation.hpp"
#include "model/settings.hpp"
#include "print/printout.hpp"
#include "print/windowprintout.hpp"
#include "printtest.hpp"

namespace {

const char* kFixedTime = "Wed Jun 30 21:49:08 1993\n";

// Every line of the printout, page after page.
std::vector<std::string> printAll(FilePrintout& p) {
  std::vector<std::string> out;
  PageRange r = p.pageRange();
  for (int n = r.minPage; n <= r.maxPage; ++n) {
    PageRecorder page;
    p.printPage(n, page);
    for (const auto& run : page.runs)
      if (run.y <= -2 * 12) out.push_back(run.text);
  }
  return out;
}

const char* kNested =
    "first\n"
    "    /*{{{  outer*/\n"
    "    o1\n"
    "      o2 indented\n"
    "    /*{{{  inner*/\n"
    "    i1\n"
    "    \ttabbed\n"
    "    /*}}}*/\n"
    "    o3\n"
    "    /*}}}*/\n"
    "last\n";

}  // namespace

class PrintBufferTest : public PrintTest {};

TEST_F(PrintBufferTest, GeometryAndLinesPerPage) {
  PageRecorder canvas(9, 14);
  PageGeometry g = measurePage(canvas, 800, -1000);
  EXPECT_EQ(g.pageWidth, 800);
  EXPECT_EQ(g.pageHeight, 1000);  // taken positive
  EXPECT_EQ(g.pageCharWidth, 9);
  EXPECT_EQ(g.pageLineHeight, 14);
  EXPECT_EQ(linesPerPage(g), 1000 / 14 - 2);

  // A font too tall for a header, a blank line and a line of text still
  // prints, a line a page; so does a font that measures nothing.
  g.pageLineHeight = 400;
  EXPECT_EQ(linesPerPage(g), 1);
  g.pageLineHeight = 2000;
  EXPECT_EQ(linesPerPage(g), 1);
  g.pageLineHeight = 0;
  EXPECT_GE(linesPerPage(g), 1);
}

TEST_F(PrintBufferTest, ExactlyAPageOfLinesIsOnePageAndOneMoreMakesTwo) {
  const int perPage = 10;
  // The printout holds the file's frame too: the top line, the file's own
  // header and its end line.
  std::vector<std::string> text;
  for (int i = 1; i <= perPage - 3; ++i) text.push_back("line " + std::to_string(i));
  auto w = open("a.c", lines(text));
  FilePrintout p(*w);
  p.setGeometry(geometryFor(perPage));
  ASSERT_EQ(p.linesPerPage(), perPage);
  EXPECT_EQ(p.lineCount(), perPage);
  PageRange r = p.pageRange();
  EXPECT_EQ(r.minPage, 1);
  EXPECT_EQ(r.maxPage, 1);
  EXPECT_EQ(r.selFromPage, 0);
  EXPECT_EQ(r.selToPage, 0);
  EXPECT_TRUE(p.hasPage(1));
  EXPECT_FALSE(p.hasPage(2));
  PageRecorder page;
  p.printPage(1, page);
  EXPECT_EQ(bodyOf(page).size(), static_cast<size_t>(perPage));
  EXPECT_TRUE(page.transparent);

  text.push_back("one more");
  auto w2 = open("b.c", lines(text));
  FilePrintout p2(*w2);
  p2.setGeometry(geometryFor(perPage));
  EXPECT_EQ(p2.pageRange().maxPage, 2);
  EXPECT_TRUE(p2.hasPage(2));
  PageRecorder second;
  p2.printPage(2, second);
  // The file's end line is what spills over.
  EXPECT_EQ(bodyOf(second), std::vector<std::string>{"/*}}}*/"});
}

TEST_F(PrintBufferTest, PagePlacesHeaderBlankAndLines) {
  auto w = open("a.c", lines({"alpha", "", "gamma"}));
  FilePrintout p(*w);
  p.setGeometry(geometryFor(20));
  p.setClock([] { return std::string(kFixedTime); });
  p.pageRange();
  PageRecorder page;
  p.printPage(1, page);
  const std::string name = w->doc.fileTop->next->text;
  ASSERT_EQ(page.runs.size(), 2u + 6u);
  EXPECT_EQ(page.runs[0].text, "  Page 1 from " + name + "   Wed Jun 30 21:49:08 1993");
  EXPECT_EQ(page.runs[0].x, kCharWidth);
  EXPECT_EQ(page.runs[0].y, 0);
  EXPECT_EQ(page.runs[1].text, "  ");
  EXPECT_EQ(page.runs[1].y, -kLineHeight);
  const std::vector<std::string> expected = {"", "/*{{{F " + name + "*/", "alpha", "", "gamma",
                                             "/*}}}*/"};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(page.runs[i + 2].text, expected[i]) << i;
    EXPECT_EQ(page.runs[i + 2].x, kCharWidth);
    EXPECT_EQ(page.runs[i + 2].y, -static_cast<int>(i + 2) * kLineHeight);
  }
}

TEST_F(PrintBufferTest, HeaderIsCutAtLineEndAndTabsBecomeSpaces) {
  auto w = open("a.c", lines({"x"}));
  assign(*w->doc.fileTop->next, "tab\there");
  FilePrintout p(*w);
  p.setGeometry(geometryFor(20));
  p.setClock([] { return std::string("Mon\tday\r\nrest"); });
  PageRecorder page;
  p.printPage(1, page);
  ASSERT_FALSE(page.runs.empty());
  EXPECT_EQ(page.runs[0].text, "  Page 1 from tab here   Mon day");
}

TEST_F(PrintBufferTest, EveryFoldIsExpandedInFileForm) {
  auto w = open("a.c", kNested);
  FilePrintout p(*w);
  p.setGeometry(geometryFor(100));
  const std::string name = w->doc.fileTop->next->text;
  const std::vector<std::string> expected = {
      "",
      "/*{{{F " + name + "*/",
      "first",
      "    /*{{{  outer*/",
      "    o1",
      "      o2 indented",
      "    /*{{{  inner*/",
      "    i1",
      "        tabbed",
      "    /*}}}*/",
      "    o3",
      "    /*}}}*/",
      "last",
      "/*}}}*/",
  };
  EXPECT_EQ(printAll(p), expected);
}

TEST_F(PrintBufferTest, ClosedFoldAcrossPagesKeepsItsIndentation) {
  auto w = open("a.c", kNested);
  FilePrintout whole(*w);
  whole.setGeometry(geometryFor(100));
  const std::vector<std::string> expected = printAll(whole);

  // Five lines a page: the outer fold starts on page 1 and ends on page 3,
  // the inner one straddles pages 2 and 3.
  FilePrintout paged(*w);
  paged.setGeometry(geometryFor(5));
  EXPECT_EQ(paged.pageRange().maxPage, 3);
  EXPECT_EQ(printAll(paged), expected);

  // Each page printed alone, last first, comes out the same.
  PageRecorder third;
  paged.printPage(3, third);
  EXPECT_EQ(bodyOf(third), std::vector<std::string>(expected.begin() + 10, expected.end()));
  PageRecorder second;
  paged.printPage(2, second);
  EXPECT_EQ(bodyOf(second), std::vector<std::string>(expected.begin() + 5, expected.begin() + 10));
}

TEST_F(PrintBufferTest, PrintoutDoesNotDependOnHowFoldsAreShown) {
  auto w = open("a.c", kNested);
  FilePrintout closed(*w);
  closed.setGeometry(geometryFor(4));
  const std::vector<std::string> expected = printAll(closed);

  // Opened in place: the view indents the contents itself.
  LineNode* outer = w->doc.levelTop->next->next->next;
  ASSERT_EQ(outer->kind, ClosedFold);
  ASSERT_TRUE(openFoldInPlace(*w, outer));
  FilePrintout open(*w);
  open.setGeometry(geometryFor(4));
  EXPECT_EQ(printAll(open), expected);

  // Entered, whatever the window shows: still the whole file, as it is.
  LineNode* inner = outer->next;
  while (inner && inner->kind != ClosedFold) inner = inner->next;
  ASSERT_NE(inner, nullptr);
  w->currentLine = inner;
  PlaceCursor(*w, 2);
  EnterFold(*w);
  ASSERT_EQ(inner->kind, EnteredFold);
  FilePrintout entered(*w);
  entered.setGeometry(geometryFor(4));
  EXPECT_EQ(printAll(entered), expected);
}

TEST_F(PrintBufferTest, FiledFoldShowsItsMarkerAndInlineContents) {
  work.write("part.c", lines({"/*{{{  twice*/", "int twice;", "/*}}}*/"}));
  auto w = open("a.c", lines({"/*{{{F helpers*/", "/*:::F part.c*/", "int inline_copy;", "/*}}}*/",
                              "/*...F only*/", "/*:::A  1 1*/", "/*:::F part.c*/", "end"}));
  FilePrintout p(*w);
  p.setGeometry(geometryFor(50));
  const std::vector<std::string> out = printAll(p);
  ASSERT_EQ(out.size(), 9u);
  EXPECT_EQ(out[2], "/*{{{F helpers*/");
  EXPECT_EQ(out[3], "int inline_copy;");
  EXPECT_EQ(out[4], "/*}}}*/");
  EXPECT_EQ(out[5], "/*...F only*/");
  EXPECT_EQ(out[6], "/*}}}*/");
  EXPECT_EQ(out[7], "end");
}

TEST_F(PrintBufferTest, PageOutsideTheDialogRangeIsEmpty) {
  std::vector<std::string> text(30, "x");
  auto w = open("a.c", lines(text));
  FilePrintout p(*w);
  p.setGeometry(geometryFor(10));
  ASSERT_EQ(p.pageRange().maxPage, 4);
  p.setPrintRange(2, 3);
  PageRecorder first, second, fourth;
  p.printPage(1, first);
  p.printPage(2, second);
  p.printPage(4, fourth);
  EXPECT_TRUE(first.runs.empty());
  EXPECT_FALSE(second.runs.empty());
  EXPECT_TRUE(fourth.runs.empty());
}

TEST_F(PrintBufferTest, RecountsWhenTheFileChanged) {
  auto w = open("a.c", lines({"a"}));
  FilePrintout p(*w);
  p.setGeometry(geometryFor(3));
  EXPECT_EQ(p.pageRange().maxPage, 2);
  LineNode* extra = newLineNode(w->doc);
  assign(*extra, "b");
  linkAfter(w->doc.levelTop->next->next, extra);
  linkAfter(extra, w->doc.levelBottom);
  EXPECT_EQ(p.pageRange().maxPage, 2);
  LineNode* more = newLineNode(w->doc);
  assign(*more, "c");
  linkAfter(extra, more);
  linkAfter(more, w->doc.levelBottom);
  EXPECT_EQ(p.pageRange().maxPage, 2);
  EXPECT_EQ(p.lineCount(), 6);
  PageRecorder page;
  p.printPage(2, page);
  EXPECT_EQ(bodyOf(page), (std::vector<std::string>{"b", "c", "/*}}}*/"}));
}

// --- Print Screen -----------------------------------------------------------

class PrintScreenTest : public PrintTest {};

TEST_F(PrintScreenTest, RowsOfTheScreenEachALine) {
  settings().tabSize = 8;
  auto w = open("a.c", lines({"one", "", "three   ", std::string(120, 'z')}));
  w->resize(8 * 40 + w->frame.vScrollWidth, 16 * 6 + w->frame.hScrollHeight);
  ASSERT_EQ(w->screenRows, 6);
  const int cols = w->screenCols;
  ASSERT_GE(cols, 20);
  Redraw(*w, 1);
  ScreenPrintout p(*w);
  EXPECT_EQ(p.title(), "Print from Screen");
  PageRange r = p.pageRange();
  EXPECT_EQ(r.minPage + r.maxPage + r.selFromPage + r.selToPage, 0);
  EXPECT_TRUE(p.hasPage(1));
  EXPECT_FALSE(p.hasPage(2));

  PageRecorder page(10, 12);
  p.printPage(1, page);
  EXPECT_TRUE(page.transparent);
  ASSERT_EQ(page.runs.size(), 6u);
  for (size_t i = 0; i < page.runs.size(); ++i) {
    EXPECT_EQ(page.runs[i].x, 0);
    EXPECT_EQ(page.runs[i].y, -static_cast<int>(i) * 12) << i;
  }
  const std::string name = w->doc.fileTop->next->text;
  std::vector<std::string> shown;
  for (const auto& run : page.runs) shown.push_back(run.text);
  EXPECT_EQ(shown[1], "one");
  // The blank row prints empty and the rows under it keep their places.
  EXPECT_EQ(shown[2], "");
  EXPECT_EQ(shown[3], "three");
  // A long row is cut where the screen cuts it, without the mark.
  EXPECT_EQ(shown[4], std::string(static_cast<size_t>(cols - 3), 'z'));
  EXPECT_EQ(shown[5], "}}}");
}

// --- Print layout -------------------------------------------------------------

class PrintLayoutTest : public PrintTest {};

TEST_F(PrintLayoutTest, PiecesOfSeventyNine) {
  work.write("help.txt", std::string(100, 'a') + "\n" + "b\tc\r\n" + std::string(79, 'd') +
                             "\n" + "tail");
  LayoutPrintout p(nullptr);
  ASSERT_TRUE(p.load(host, work.file("help.txt")));
  const std::vector<std::string> expected = {std::string(79, 'a'), std::string(21, 'a') + "\n",
                                             "b\tc\r\n", std::string(79, 'd'), "\n", "tail"};
  EXPECT_EQ(p.pieces(), expected);
  p.setGeometry(geometryFor(4));
  EXPECT_EQ(p.pageRange().maxPage, 2);
  PageRecorder first;
  p.printPage(1, first);
  EXPECT_EQ(bodyOf(first), (std::vector<std::string>{std::string(79, 'a'), std::string(21, 'a'),
                                                     "b c", std::string(79, 'd')}));
  EXPECT_EQ(first.runs[0].text, "  Page 1 from ");
}

TEST_F(PrintLayoutTest, HeaderNamesTheActiveFileAndEveryPagePrints) {
  auto w = open("a.c", lines({"x"}));
  std::string help;
  for (int i = 0; i < 9; ++i) help += "line " + std::to_string(i) + "\n";
  work.write("help.txt", help);
  LayoutPrintout p(w.get());
  ASSERT_TRUE(p.load(host, work.file("help.txt")));
  p.setGeometry(geometryFor(4));
  EXPECT_EQ(p.pageRange().maxPage, 3);
  // The dialog's range does not hold this printout back.
  p.setPrintRange(1, 1);
  PageRecorder third;
  p.printPage(3, third);
  ASSERT_FALSE(third.runs.empty());
  EXPECT_EQ(third.runs[0].text, std::string("  Page 3 from ") + w->doc.fileTop->next->text);
  EXPECT_EQ(third.runs[0].x, kCharWidth);
  EXPECT_EQ(third.runs[1].text, "  ");
  EXPECT_EQ(bodyOf(third), std::vector<std::string>{"line 8"});
}

TEST_F(PrintLayoutTest, MissingHelpIsReportedAndNothingPrints) {
  LayoutPrintout p(nullptr);
  EXPECT_FALSE(p.load(host, work.file("no-help.txt")));
  ASSERT_EQ(host.events().size(), 1u);
  EXPECT_EQ(host.events()[0].caption, "Plicato Error");
  EXPECT_NE(host.events()[0].text.find("no-help.txt"), std::string::npos);
  p.setGeometry(geometryFor(4));
  EXPECT_FALSE(p.hasPage(1));
}

TEST_F(PrintLayoutTest, ShippedHelpIsFound) {
  LayoutPrintout p(nullptr);
  ASSERT_TRUE(p.load(host, LayoutPrintout::defaultPath()));
  EXPECT_GT(p.pieces().size(), 20u);
}

// --- the job's page loop ----------------------------------------------------

namespace {

class RecordingSink : public PageSink {
 public:
  Canvas* beginPage() override {
    if (failAt == static_cast<int>(pages.size()) + 1) return nullptr;
    pages.emplace_back();
    return &pages.back();
  }
  bool endPage() override { return true; }
  bool cancelled() override { return cancelAfter >= 0 && static_cast<int>(pages.size()) >= cancelAfter; }
  std::vector<PageRecorder> pages;
  int failAt = 0;
  int cancelAfter = -1;
};

}  // namespace

class PrintJobTest : public PrintTest {};

TEST_F(PrintJobTest, SpanFromTheDialog) {
  PageRange r{1, 5, 0, 0};
  PageSpan all = pagesToPrint(r, 0, 0);
  EXPECT_EQ(all.from, 1);
  EXPECT_EQ(all.to, 5);
  PageSpan some = pagesToPrint(r, 2, 3);
  EXPECT_EQ(some.from, 2);
  EXPECT_EQ(some.to, 3);
  // Print Screen offers no pages: its one page is printed.
  PageSpan screen = pagesToPrint(PageRange{}, 0, 0);
  EXPECT_EQ(screen.from, 1);
  EXPECT_EQ(screen.to, INT_MAX);
}

TEST_F(PrintJobTest, PagesInOrderUntilThePrintoutHasNoMore) {
  std::vector<std::string> text(25, "x");
  auto w = open("a.c", lines(text));
  FilePrintout p(*w);
  p.setGeometry(geometryFor(10));
  PageRange r = p.pageRange();
  RecordingSink sink;
  int printed = 0;
  EXPECT_EQ(printPages(p, pagesToPrint(r, 2, 9), sink, &printed), PrintOutcome::Printed);
  EXPECT_EQ(printed, 2);
  ASSERT_EQ(sink.pages.size(), 2u);
  EXPECT_EQ(sink.pages[0].runs[0].text.substr(0, 9), "  Page 2 ");
  EXPECT_EQ(sink.pages[1].runs[0].text.substr(0, 9), "  Page 3 ");

  ScreenPrintout screen(*w);
  RecordingSink one;
  EXPECT_EQ(printPages(screen, pagesToPrint(screen.pageRange(), 0, 0), one), PrintOutcome::Printed);
  EXPECT_EQ(one.pages.size(), 1u);
}

TEST_F(PrintJobTest, CancelAndFailureStopTheJob) {
  std::vector<std::string> text(40, "x");
  auto w = open("a.c", lines(text));
  FilePrintout p(*w);
  p.setGeometry(geometryFor(10));
  PageRange r = p.pageRange();
  RecordingSink cancelled;
  cancelled.cancelAfter = 1;
  EXPECT_EQ(printPages(p, pagesToPrint(r, 0, 0), cancelled), PrintOutcome::Cancelled);
  EXPECT_EQ(cancelled.pages.size(), 1u);
  RecordingSink failing;
  failing.failAt = 3;
  int printed = 0;
  EXPECT_EQ(printPages(p, pagesToPrint(r, 0, 0), failing, &printed), PrintOutcome::Failed);
  EXPECT_EQ(printed, 2);
}
