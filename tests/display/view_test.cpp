#include <gtest/gtest.h>

#include "display/canvas.hpp"
#include "display/paint.hpp"
#include "engine/statusline.hpp"
#include "displaytest.hpp"
#include "model/markup.hpp"
#include "model/settings.hpp"

namespace {

using ViewTest = DisplayTest;

TEST_F(ViewTest, DisplayTextOfEveryKind) {
  auto w = makeWindow({});
  LineNode n;
  initString(n);
  assign(n, "title");
  n.kind = FiledFold;
  n.indent = 2;
  EXPECT_EQ(displayText(n), "  ...F title");
  n.kind = ClosedFold;
  n.indent = 1;
  n.markerColumn() = 3;  // the marker stands at indent + markerColumn
  EXPECT_EQ(displayText(n), "    ...  title");
  n.kind = OpenFold;
  n.indent = 4;
  EXPECT_EQ(displayText(n), "    {{{  title");
  n.kind = FileTop;
  n.indent = 0;
  EXPECT_EQ(displayText(n), "{{{F title");
  n.kind = FoldEnd;
  n.indent = 4;
  EXPECT_EQ(displayText(n), "    }}}");
  n.kind = TextLine;
  n.indent = 0;
  assign(n, "\tx\ty");
  EXPECT_EQ(displayText(n), "\tx\ty");
  EXPECT_EQ(screenText(n, settings().tabSize), "        x       y");
  EXPECT_EQ(screenLength(n, settings().tabSize), 17u);
  n.kind = FoldEnd;  // an end line shows no text, tabs or not
  EXPECT_EQ(screenLength(n, settings().tabSize), screenText(n, settings().tabSize).size());
  freeString(n);
}

// A row takes only its own columns from the line: the same bytes as the
// whole screen text would give, for every kind, tab size and window.
TEST_F(ViewTest, ARowPieceIsThatPartOfTheScreenText) {
  auto w = makeWindow({});
  LineNode n;
  initString(n);
  const char* texts[] = {"", "abc", "\tx\ty", "a\t\tb\tcdefgh\t", "\t", "0123456789abcdef"};
  const LineKind kinds[] = {TextLine, ClosedFold, FiledFold, OpenFold, FoldEnd};
  for (int tab : {1, 3, 8}) {
    settings().tabSize = tab;
    for (const char* t : texts)
      for (LineKind k : kinds)
        for (int indent : {0, 2, 5}) {
          assign(n, t);
          n.kind = k;
          n.indent = indent;
          n.markerColumn() = 0;
          const std::string whole = screenText(n, settings().tabSize);
          for (size_t start = 0; start <= whole.size() + 2; ++start)
            for (size_t count : {size_t(0), size_t(1), size_t(3), size_t(7), size_t(40)}) {
              std::string piece = "=";
              const bool reaches = screenPiece(n, start, count, piece, settings().tabSize);
              const std::string want = start < whole.size() ? whole.substr(start, count) : "";
              ASSERT_EQ(piece, "=" + want) << t << " kind " << k << " start " << start;
              ASSERT_EQ(reaches, whole.size() >= start + count) << t << " start " << start;
            }
        }
  }
  // A row far into a very long line, as wrap mode shows its last piece.
  std::string longLine(3000000, 'x');
  longLine[2999990] = 'E';
  assign(n, longLine.c_str());
  n.kind = TextLine;
  n.indent = 0;
  std::string piece;
  EXPECT_FALSE(screenPiece(n, 2999980, 77, piece, settings().tabSize));
  EXPECT_EQ(piece, "xxxxxxxxxxExxxxxxxxx");
  freeString(n);
}

TEST_F(ViewTest, RowsArePaddedOrCutWithTheContinuationMark) {
  auto w = makeWindow({std::string(77, 'a'), std::string(76, 'b'), std::string(80, 'c')});
  PlaceCursor(*w, 2);
  // Exactly screenCols - 3 long: the mark follows.
  std::string r2 = rowText(*w, 2, 82);
  EXPECT_EQ(r2.substr(0, 77), std::string(77, 'a'));
  EXPECT_EQ(static_cast<unsigned char>(r2[77]), 187);
  EXPECT_EQ(r2.substr(78), "    ");
  // One shorter: padded, then five spaces.
  EXPECT_EQ(rowText(*w, 3, 82), std::string(76, 'b') + std::string(6, ' '));
  // From the left column on.
  w->leftColumn = 3;
  Redraw(*w, 1);
  EXPECT_EQ(rowText(*w, 4, 78), std::string(77, 'c') + "\xbb");
  EXPECT_EQ(rowText(*w, 2, 78), std::string(74, 'a') + "    ");
  EXPECT_EQ(rowText(*w, 1, 5), "F fil");
}

TEST_F(ViewTest, WrapModeShows77CharactersPerRowAndATail) {
  std::string longLine;
  for (int i = 0; i < 200; ++i) longLine += static_cast<char>('a' + i % 26);
  auto w = makeWindow({longLine, "short"});
  w->wrapMode = true;
  for (LineNode* n = w->doc.levelTop->next; n; n = n->next) w->computeRows(n);
  EXPECT_EQ(nth(*w, 1)->rows(), 3);
  EXPECT_EQ(nth(*w, 2)->rows(), 1);
  PlaceCursor(*w, 2);
  EXPECT_EQ(w->screen().getStride(), 77);
  EXPECT_EQ(rowText(*w, 2, 77), longLine.substr(0, 77));
  EXPECT_EQ(rowText(*w, 3, 77), longLine.substr(77, 77));
  EXPECT_EQ(rowText(*w, 4, 77), longLine.substr(154) + std::string(31, ' '));
  EXPECT_EQ(rowText(*w, 5, 5), "short");
  EXPECT_EQ(w->shownRows, 6);

  RunRecorder dc;
  paintWindow(*w, dc);
  auto rowString = [&](int row) {
    std::string s;
    for (const auto& run : host.paintedRows().at(row)) s += run.text;
    return s;
  };
  EXPECT_EQ(rowString(2), longLine.substr(0, 77) + ">   ");
  EXPECT_EQ(rowString(3), longLine.substr(77, 77) + ">   ");
  EXPECT_EQ(rowString(4).substr(77), "    ");

  // Moving down walks the pieces; the caret column stays within its piece.
  w->cursorCol = 5;
  ASSERT_TRUE(moveDown(*w));
  EXPECT_EQ(w->currentLine, nth(*w, 1));
  EXPECT_EQ(w->curSubRow, 1);
  EXPECT_EQ(w->cursorCol, 82);
  w->positionCaret();
  EXPECT_EQ(w->caret.col, 5);
  EXPECT_EQ(w->cursorRow, 3);

  // A click on the third piece counts the pieces before it.
  w->mouseDown(2 * 8, 3 * 16 + 1);
  EXPECT_EQ(w->curSubRow, 2);
  EXPECT_EQ(w->cursorCol, 156);
  EXPECT_EQ(w->textColumn, 157);
}

TEST_F(ViewTest, CursorStopsAtTheEndsOfTheList) {
  auto w = makeWindow(numbered(3));
  w->currentLine = w->doc.levelBottom;
  PlaceCursor(*w, 10);
  EXPECT_EQ(w->cursorRow, 5);
  host.clearEvents();
  EXPECT_FALSE(moveDown(*w));
  EXPECT_EQ(host.lastStatus(), "BOTTOM of LIST.");
  EXPECT_EQ(w->currentLine, w->doc.levelBottom);
  EXPECT_EQ(w->cursorRow, 5);

  w->currentLine = w->doc.levelTop->next;
  PlaceCursor(*w, 2);
  EXPECT_EQ(w->cursorRow, 1);
  EXPECT_FALSE(moveUp(*w));
  EXPECT_EQ(host.lastStatus(), "TOP of LIST");
  EXPECT_EQ(w->cursorRow, 1);

  ASSERT_TRUE(moveDown(*w));
  EXPECT_EQ(host.lastStatus(), "Plicato V4.1");
  EXPECT_EQ(w->currentLine, nth(*w, 1));
  EXPECT_EQ(w->cursorRow, 2);
}

TEST_F(ViewTest, VersionTextNamesTheEnteredFold) {
  auto w = makeWindow(numbered(3));
  EXPECT_EQ(versionText(*w), "Plicato V4.1");
  // As if the fold headed by line 2 was entered.
  LineNode* header = nth(*w, 2);
  header->kind = EnteredFold;
  assign(*header, "procs");
  w->doc.levelTop = nth(*w, 1);
  EXPECT_EQ(versionText(*w), "Plicato V4.1 (procs)");
}

TEST_F(ViewTest, MovingPastTheLastRowScrollsOneRow) {
  auto w = makeWindow(numbered(40));
  PlaceCursor(*w, 2);
  for (int i = 0; i < 23; ++i) ASSERT_TRUE(moveDown(*w));
  EXPECT_EQ(w->cursorRow, 25);
  EXPECT_EQ(w->topLine, w->doc.levelTop->next);
  ASSERT_TRUE(moveDown(*w));
  EXPECT_EQ(w->cursorRow, 25);
  EXPECT_EQ(w->topLine, nth(*w, 1));
  EXPECT_EQ(rowText(*w, 25, 7), "line 25");
  EXPECT_EQ(rowText(*w, 1, 7), "line 1 ");
  EXPECT_EQ(w->shownAt(25).line, nth(*w, 25));
  EXPECT_EQ(w->bottomLine, nth(*w, 25));
  // And back up past the first row.
  for (int i = 0; i < 24; ++i) ASSERT_TRUE(moveUp(*w));
  EXPECT_EQ(w->cursorRow, 1);
  ASSERT_TRUE(moveUp(*w));
  EXPECT_EQ(w->cursorRow, 1);
  EXPECT_EQ(w->topLine, w->doc.levelTop->next);
  EXPECT_EQ(rowText(*w, 2, 7), "line 1 ");
  EXPECT_EQ(w->bottomLine, nth(*w, 24));
}

TEST_F(ViewTest, PlaceCursorKeepsContextAndFillsTheWindowFromTheTop) {
  auto w = makeWindow(numbered(100));
  w->currentLine = nth(*w, 50);
  PlaceCursor(*w, 1);
  EXPECT_EQ(w->cursorRow, 2);
  EXPECT_EQ(w->topLine, nth(*w, 49));
  PlaceCursor(*w, 40);
  EXPECT_EQ(w->cursorRow, 24);
  EXPECT_EQ(w->topLine, nth(*w, 27));
  EXPECT_EQ(rowText(*w, 24, 7), "line 50");

  // Near the end the window stays full.
  w->currentLine = nth(*w, 99);
  PlaceCursor(*w, 4);
  EXPECT_EQ(w->cursorRow, 23);
  EXPECT_EQ(rowText(*w, 25, 3), "}}}");
  EXPECT_EQ(w->shownRows, 25);

  // A short view is shown from its first line.
  auto s = makeWindow(numbered(3));
  s->currentLine = nth(*s, 3);
  PlaceCursor(*s, 2);
  EXPECT_EQ(s->cursorRow, 4);
  EXPECT_EQ(s->topLine, s->doc.levelTop->next);
  EXPECT_EQ(rowText(*s, 6, 3), "   ");
  EXPECT_EQ(s->shownAt(6).line, nullptr);

  // Keeping the top recounts the cursor's row.
  s->currentLine = nth(*s, 1);
  RedrawKeepTop(*s);
  EXPECT_EQ(s->cursorRow, 2);
}

TEST_F(ViewTest, PageMovesGoToTheFarEdge) {
  auto w = makeWindow(numbered(100));
  PlaceCursor(*w, 2);
  EXPECT_EQ(pageDown(*w), 23);
  EXPECT_EQ(w->currentLine, nth(*w, 24));
  EXPECT_EQ(w->cursorRow, 2);
  EXPECT_EQ(w->topLine, nth(*w, 23));
  // From row 2 the bottom edge is the far one, whichever way the page goes.
  EXPECT_EQ(pageUp(*w), 23);
  EXPECT_EQ(w->currentLine, nth(*w, 1));
  EXPECT_EQ(pageUp(*w), 1);
  EXPECT_EQ(w->currentLine, w->doc.levelTop->next);
  EXPECT_EQ(pageUp(*w), 0);
  EXPECT_EQ(host.lastStatus(), "TOP of LIST");
}

TEST_F(ViewTest, ScrollingTheViewKeepsTheCursorOnItsLine) {
  auto w = makeWindow(numbered(60));
  w->currentLine = nth(*w, 10);
  PlaceCursor(*w, 11);
  ASSERT_TRUE(scrollViewDown(*w));
  EXPECT_EQ(w->currentLine, nth(*w, 10));
  EXPECT_EQ(w->cursorRow, 10);
  ASSERT_TRUE(scrollViewUp(*w));
  ASSERT_FALSE(scrollViewUp(*w));
  EXPECT_EQ(w->cursorRow, 11);
}

TEST_F(ViewTest, CreateFoldMarksFollowTheCursor) {
  auto w = makeWindow(numbered(5));
  PlaceCursor(*w, 2);
  w->createFoldMode = true;
  nth(*w, 1)->mark = 1;
  moveDown(*w);
  moveDown(*w);
  EXPECT_EQ(nth(*w, 2)->mark, 1);
  EXPECT_EQ(nth(*w, 3)->mark, 1);
  moveUp(*w);
  EXPECT_EQ(nth(*w, 3)->mark, 0);
  EXPECT_EQ(nth(*w, 2)->mark, 1);
  // Marked lines paint as selected.
  RunRecorder dc;
  paintRows(*w, dc, 2, 3);
  EXPECT_EQ(host.paintedRows().at(3).front().backColour, settings().selectedBack);
}

TEST_F(ViewTest, StatusFields) {
  auto w = makeWindow(numbered(3));
  LineNode* fold = append(*w, nth(*w, 3), "sub", ClosedFold);
  LineNode* inside = newLineNode(w->doc);
  LineNode* end = newLineNode(w->doc);
  end->kind = FoldEnd;
  fold->partner() = end;
  end->partner() = fold;
  fold->inner() = inside;
  linkAfter(inside, end);
  linkAfter(fold, w->doc.levelBottom);
  PlaceCursor(*w, 2);
  w->statusText[6] = "kept";
  w->doc.modified = true;
  w->cursorCol = 4;
  w->currentLine = w->doc.levelBottom;
  refreshStatus(*w);
  const auto& f = host.fields();
  EXPECT_EQ(f[0].size(), 5u);
  EXPECT_EQ(f[0][2], ':');
  EXPECT_EQ(f[1], "Column :5");
  EXPECT_EQ(f[2], "Fold:6 of 6");
  EXPECT_EQ(f[3], "File:6 of 6");  // the file's chain: a closed fold is one line of it
  EXPECT_EQ(f[4], "C");
  EXPECT_EQ(f[5], "*");
  EXPECT_EQ(f[6], "kept");
  EXPECT_TRUE(w->canOpenAll);
  EXPECT_FALSE(w->canCloseAll);

  w->doc.modified = false;
  w->doc.fileTypeName = "User";
  w->doc.commentStart = "--";
  w->doc.commentEnd = "!";
  w->currentLine = nth(*w, 1);
  refreshStatus(*w);
  EXPECT_EQ(host.fields()[2], "Fold:2 of 6");
  EXPECT_EQ(host.fields()[4], "User -- !");
  EXPECT_EQ(host.fields()[5], " ");
}

TEST_F(ViewTest, PaintingUsesTheSchemeColoursAndTheMark) {
  auto w = makeWindow(numbered(4));
  PlaceCursor(*w, 2);
  RunRecorder dc;
  paintRows(*w, dc, 2, 2);
  ASSERT_EQ(host.paintedRows().count(2), 1u);
  const auto& runs = host.paintedRows().at(2);
  ASSERT_FALSE(runs.empty());
  EXPECT_EQ(runs[0].column, 0);
  EXPECT_EQ(runs[0].text.substr(0, 6), "line 1");
  EXPECT_EQ(runs[0].textColour, settings().normalText);
  EXPECT_EQ(runs[0].backColour, settings().normalBack);

  w->markActive = true;
  w->markAnchorLine = nth(*w, 2);
  w->setMarkEnd(nth(*w, 3), 0);
  EXPECT_EQ(w->markFirstRow, 3);
  EXPECT_EQ(w->markLastRow, 4);
  paintRows(*w, dc, 3, 3);  // a mark repaints every row
  EXPECT_EQ(host.paintedRows().at(3)[0].backColour, settings().selectedBack);
  EXPECT_EQ(host.paintedRows().at(4)[0].backColour, settings().selectedBack);
  EXPECT_EQ(host.paintedRows().at(5)[0].backColour, settings().normalBack);
  EXPECT_EQ(host.paintedRows().count(25), 1u);

  w->iconic = true;
  RunRecorder none;
  paintWindow(*w, none);
  EXPECT_TRUE(none.runs.empty());
}

TEST_F(ViewTest, AContinuationRowKeepsTheColoursOfWhatBeganBefore) {
  MarkUpHash table;
  parseMarkUp(table, "c.mrk",
              ". BLACK WHITE PLAIN_TEXT\n. WHITE BLACK SELEC_TEXT\n// GREEN WHITE COMMENT\n", host);
  settings().syntaxHighlighting = true;
  const std::string line = "x = 1; // " + std::string(100, 'c');
  auto w = makeWindow({line});
  w->doc.markUp = &table;
  w->wrapMode = true;
  for (LineNode* n = w->doc.levelTop->next; n; n = n->next) w->computeRows(n);
  PlaceCursor(*w, 2);
  RunRecorder dc;
  paintRows(*w, dc, 2, 3);
  const auto& first = host.paintedRows().at(2);
  ASSERT_GE(first.size(), 2u);
  EXPECT_EQ(first[0].text, "x = 1; ");
  EXPECT_EQ(first[0].textColour, 0x000000u);
  EXPECT_EQ(first[1].textColour, 0x008000u);
  // The second piece holds only comment characters; it is still a comment.
  const auto& second = host.paintedRows().at(3);
  EXPECT_EQ(second[0].column, 0);
  EXPECT_EQ(second[0].text, std::string(33, 'c') + std::string(44, ' '));
  EXPECT_EQ(second[0].textColour, 0x008000u);
  // Scrolled sideways past the comment start, the same holds.
  w->wrapMode = false;
  w->leftColumn = 20;
  for (LineNode* n = w->doc.levelTop->next; n; n = n->next) w->computeRows(n);
  Redraw(*w, 1);
  paintRows(*w, dc, 2, 2);
  EXPECT_EQ(host.paintedRows().at(2)[0].textColour, 0x008000u);
}

}  // namespace
