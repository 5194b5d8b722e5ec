#include "engine/search.hpp"

#include <random>

#include "app/batch.hpp"
#include "display/canvas.hpp"
#include "display/highlight.hpp"
#include "display/paint.hpp"
#include "engine/enginetest.hpp"
#include "engine/filecommands.hpp"
#include "engine/navigation.hpp"
#include "model/settings.hpp"

namespace {

// Two folds side by side, the second holding a nested one whose marker
// stands at column 2.
const std::vector<std::string> kFile = {
    "int a;",       "/*{{{  first*/", "alpha",      "/*}}}*/",          "/*{{{  outer*/",
    "x1",           "  /*{{{  inner*/", "  target y1", "  y2",           "  /*}}}*/",
    "x2",           "/*}}}*/",        "int b;",
};

class SearchTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ctx.search = SearchState{};
  }
  void TearDown() override {
    ctx.search = SearchState{};
    EngineTest::TearDown();
  }

  std::unique_ptr<EditorView> file(const std::string& name, const std::vector<std::string>& v) {
    work.write(name, lines(v));
    return open(name);
  }

  // Sets the pattern and direction as the search dialog would.
  void look(const std::string& text, bool backward = false, bool matchCase = false) {
    SearchState& st = ctx.search;
    st.pattern = matchCase ? text : upperText(text);
    st.matchCase = matchCase;
    st.backward = backward;
  }

  // The cursor at display column col (1-based) of the line with text t.
  void at(EditorView& w, const std::string& t, int col) {
    cursorTo(w, t);
    w.textColumn = col;
    w.cursorCol = col - 1;
  }

  // What the screen shows under the cursor, from the cursor on.
  static std::string underCursor(EditorView& w, size_t n) {
    return screenText(*w.currentLine, w.ctx.settings.tabSize).substr(static_cast<size_t>(w.textColumn - 1), n);
  }
};

TEST_F(SearchTest, MatchInsideClosedFoldsOpensThemAndClosesOtherOpenFolds) {
  auto w = file("f.c", kFile);
  LineNode* first = find(*w, "first");
  ASSERT_TRUE(openFoldInPlace(*w, first));
  cursorTo(*w, "int a;");
  look("target");
  ASSERT_TRUE(FindNext(*w, 1));
  EXPECT_EQ(text(w->currentLine), "target y1");
  EXPECT_EQ(first->kind, ClosedFold);
  EXPECT_EQ(find(*w, "outer")->kind, OpenFold);
  EXPECT_EQ(find(*w, "inner")->kind, OpenFold);
  // "  {{{  inner" has its contents at column 2: the match at column 3.
  EXPECT_EQ(w->textColumn, 3);
  EXPECT_EQ(underCursor(*w, 6), "target");
  EXPECT_EQ(w->shownAt(w->cursorRow).line, w->currentLine);
  EXPECT_TRUE(ctx.search.found);

  // Backward to a fold above: the nested folds close again.
  look("alpha", true);
  ASSERT_TRUE(FindNext(*w, w->textColumn));
  EXPECT_EQ(text(w->currentLine), "alpha");
  EXPECT_EQ(first->kind, OpenFold);
  EXPECT_EQ(find(*w, "outer")->kind, ClosedFold);
  EXPECT_EQ(find(*w, "outer")->inner()->next->kind, ClosedFold);  // inner closed with it
}

TEST_F(SearchTest, CursorColumnBoundsTheStartLineInBothDirections) {
  auto w = file("c.c", {"zero abc", "one abc two abc", "three abc"});
  // Forward from column 2 of "one...": not the "one" left of the cursor...
  at(*w, "one abc two abc", 2);
  look("one");
  EXPECT_FALSE(FindNext(*w, 2));
  EXPECT_EQ(text(w->currentLine), "one abc two abc");
  // ...but a match at the cursor counts.
  look("abc");
  ASSERT_TRUE(FindNext(*w, 5));
  EXPECT_EQ(w->textColumn, 5);
  ASSERT_TRUE(FindNext(*w, 6));
  EXPECT_EQ(w->textColumn, 13);
  ASSERT_TRUE(FindNext(*w, 14));
  EXPECT_EQ(text(w->currentLine), "three abc");

  // Backward from the second "abc": the first one, never the one at the cursor.
  at(*w, "one abc two abc", 13);
  look("abc", true);
  ASSERT_TRUE(FindNext(*w, 13));
  EXPECT_EQ(text(w->currentLine), "one abc two abc");
  EXPECT_EQ(w->textColumn, 5);
  ASSERT_TRUE(FindNext(*w, 5));
  EXPECT_EQ(text(w->currentLine), "zero abc");
  EXPECT_EQ(w->textColumn, 6);
  // A match that reaches over the cursor is not left of it.
  at(*w, "zero abc", 7);
  EXPECT_FALSE(FindNext(*w, 7));
}

TEST_F(SearchTest, BackwardSearchesClosedFoldsFromTheirLastLineUp) {
  auto w = file("b.c", {"/*{{{  f*/", "hit one", "/*{{{  g*/", "hit two", "/*}}}*/", "hit three",
                        "/*}}}*/", "end"});
  cursorTo(*w, "end");
  look("hit", true);
  ASSERT_TRUE(FindNext(*w, 1));
  EXPECT_EQ(text(w->currentLine), "hit three");
  ASSERT_TRUE(FindNext(*w, w->textColumn));
  EXPECT_EQ(text(w->currentLine), "hit two");
  ASSERT_TRUE(FindNext(*w, w->textColumn));
  EXPECT_EQ(text(w->currentLine), "hit one");
  EXPECT_EQ(find(*w, "g")->kind, ClosedFold);
  EXPECT_FALSE(FindNext(*w, w->textColumn));
}

TEST_F(SearchTest, MatchCaseOffFindsCapitalsAndOnDoesNot) {
  auto w = file("k.c", {"start", "int VALUE = 1;", "value"});
  cursorTo(*w, "start");
  look("value");
  ASSERT_TRUE(FindNext(*w, 1));
  EXPECT_EQ(text(w->currentLine), "int VALUE = 1;");
  EXPECT_EQ(w->textColumn, 5);

  cursorTo(*w, "start");
  look("value", false, true);
  ASSERT_TRUE(FindNext(*w, 1));
  EXPECT_EQ(text(w->currentLine), "value");
  // Accented letters of the code page are cased too.
  EXPECT_EQ(upperText("\xe9t\xe9"), "\xc9T\xc9");
}

TEST_F(SearchTest, MarkersAndIndentationNeverMatch) {
  auto w = file("m.c", kFile);
  OpenAllFolds(*w);
  cursorTo(*w, "int a;");
  for (const char* p : {"...", "{{{", "}}}", "  target", " y2", "F m.c"}) {
    look(p);
    EXPECT_FALSE(FindNext(*w, 1)) << p;
  }
  // The display form starts behind the marker: a header's own text matches.
  look("inner");
  ASSERT_TRUE(FindNext(*w, 1));
  EXPECT_EQ(text(w->currentLine), "inner");
  EXPECT_EQ(w->textColumn, 8);  // "  {{{  inner"
}

TEST_F(SearchTest, TabsBeforeTheMatchCountAsTheirScreenColumns) {
  settings().tabSize = 8;
  auto w = file("t.c", {"first", "\tx = tab;"});
  cursorTo(*w, "first");
  look("tab");
  ASSERT_TRUE(FindNext(*w, 1));
  EXPECT_EQ(w->textColumn, 13);
  EXPECT_EQ(underCursor(*w, 3), "tab");
  // Forward again from just after the start: the same line has no more.
  EXPECT_FALSE(FindNext(*w, 14));
  // A cursor inside the tab's columns stands on the tab.
  look("x", true);
  cursorTo(*w, "\tx = tab;");
  EXPECT_FALSE(FindNext(*w, 5));
  EXPECT_TRUE(FindNext(*w, 10));
  EXPECT_EQ(w->textColumn, 9);
}

TEST_F(SearchTest, FarRightMatchScrollsSidewaysAndWrapModeTakesThePiece) {
  std::string longLine(150, '-');
  longLine += "needle";
  auto w = file("r.c", {"start", longLine});
  cursorTo(*w, "start");
  look("needle");
  ASSERT_TRUE(FindNext(*w, 1));
  EXPECT_EQ(w->textColumn, 151);
  EXPECT_EQ(w->leftColumn % 10, 0);
  EXPECT_GE(w->cursorCol, 0);
  EXPECT_LT(w->cursorCol + 6, w->textWidth() + 1);
  EXPECT_EQ(w->leftColumn + w->cursorCol + 1, w->textColumn);

  w->wrapMode = true;
  w->leftColumn = 0;
  for (LineNode* n = viewFirst(*w); n; n = n->next) {
    w->computeRows(n);
    if (n == w->doc.levelBottom) break;
  }
  cursorTo(*w, "start");
  ASSERT_TRUE(FindNext(*w, 1));
  EXPECT_EQ(w->curSubRow, 150 / w->textWidth());
  EXPECT_EQ(w->shownAt(w->cursorRow).line, w->currentLine);
  EXPECT_EQ(w->shownAt(w->cursorRow).subRow, w->curSubRow);
}

TEST_F(SearchTest, SearchCommandReportsNotFoundAndLeavesTheCursor) {
  auto w = file("n.c", kFile);
  cursorTo(*w, "int b;", 3);
  LineNode* before = w->currentLine;
  const int row = w->cursorRow;
  host.queueAnswer("text=missing");
  host.queueAnswer("ok");
  searchCommand(*w, {w.get()});
  EXPECT_EQ(w->currentLine, before);
  EXPECT_EQ(w->cursorRow, row);
  EXPECT_TRUE(statusSaid("MISSING not found"));
  ASSERT_EQ(host.events().back().caption, "Plicato Warning");
  EXPECT_EQ(host.events().back().text, "MISSING not found");
  EXPECT_FALSE(ctx.search.found);
  EXPECT_EQ(ctx.search.searchText, "missing");
}

TEST_F(SearchTest, FindNextRepeatsAndWithoutASearchSaysSo) {
  auto w = file("x.c", {"a one", "b one", "c one"});
  cursorTo(*w, "a one");
  findNextCommand(*w, {w.get()});
  ASSERT_EQ(host.boxTexts(), std::vector<std::string>{"No previous search!"});
  EXPECT_EQ(host.events().back().caption, "Plicato");

  host.queueAnswer("text=one;case=on");
  searchCommand(*w, {w.get()});
  EXPECT_EQ(text(w->currentLine), "a one");
  findNextCommand(*w, {w.get()});
  EXPECT_EQ(text(w->currentLine), "b one");
  findNextCommand(*w, {w.get()});
  EXPECT_EQ(text(w->currentLine), "c one");
  // A cancelled dialog keeps the search; an empty text clears it.
  host.queueAnswer("");
  searchCommand(*w, {w.get()});
  EXPECT_EQ(ctx.search.pattern, "one");
  host.queueAnswer("text=");
  searchCommand(*w, {w.get()});
  host.clearEvents();
  findNextCommand(*w, {w.get()});
  EXPECT_EQ(host.boxTexts(), std::vector<std::string>{"No previous search!"});
}

TEST_F(SearchTest, PromptForNextAsksAtEveryMatch) {
  auto w = file("p.c", {"start", "hit", "hit", "hit"});
  cursorTo(*w, "start");
  host.queueAnswer("text=hit;mode=prompt");
  host.queueAnswer("yes");
  host.queueAnswer("cancel");
  searchCommand(*w, {w.get()});
  EXPECT_EQ(w->currentLine, find(*w, "start")->next->next);
  ASSERT_EQ(host.events().size(), 2u);
  EXPECT_EQ(host.events()[0].caption, "MY_BOX_SEAR");
}

TEST_F(SearchTest, ReplaceAllWithTextHoldingThePatternEnds) {
  auto w = file("o.c", {"foo", "/*{{{  fold*/", "o o", "/*}}}*/", "none", "bob"});
  cursorTo(*w, "foo");
  host.queueAnswer("text=o;replace=oo;mode=all;case=on");
  host.queueAnswer("ok");
  replaceCommand(*w, {w.get()});
  EXPECT_TRUE(statusSaid("o not found"));
  EXPECT_TRUE(w->doc.modified);
  ASSERT_TRUE(saveCommand(*w));
  EXPECT_EQ(work.read("o.c"),
            lines({"foooo", "/*{{{  foold*/", "oo oo", "/*}}}*/", "noone", "boob"}));
}

TEST_F(SearchTest, ReplaceChangesTheOwnTextAtTheMatchOfAnIndentedLine) {
  auto w = file("i.c", kFile);
  cursorTo(*w, "int a;");
  host.queueAnswer("text=Y2;replace=z;mode=stop");
  replaceCommand(*w, {w.get()});
  EXPECT_EQ(text(w->currentLine), "z");
  EXPECT_EQ(displayText(*w->currentLine), "  z");
  ASSERT_TRUE(saveCommand(*w));
  std::vector<std::string> want = kFile;
  want[8] = "  z";
  EXPECT_EQ(work.read("i.c"), lines(want));
  // Stop on First: nothing was reported.
  EXPECT_TRUE(host.boxTexts().empty());
}

TEST_F(SearchTest, ReplacePromptYesNoCancel) {
  auto w = file("q.c", {"start", "ab", "ab", "ab", "ab"});
  cursorTo(*w, "start");
  host.queueAnswer("text=ab;replace=X;mode=prompt");
  host.queueAnswer("yes");
  host.queueAnswer("no");
  host.queueAnswer("yes");
  host.queueAnswer("cancel");
  replaceCommand(*w, {w.get()});
  EXPECT_EQ(view(*w), (std::vector<std::string>{"{{{F q.c", "start", "X", "ab", "X", "ab", "}}}"}));
  for (const auto& e : host.events()) {
    if (e.kind == BatchHost::Event::Kind::Box) {
      EXPECT_EQ(e.caption, "MY_BOX_REPL");
    }
  }
  // Backward, from the end: the last one first.
  w->currentLine = w->doc.levelBottom;
  host.clearEvents();
  host.queueAnswer("text=ab;replace=Y;mode=all;backward=on");
  host.queueAnswer("ok");
  replaceCommand(*w, {w.get()});
  EXPECT_EQ(view(*w), (std::vector<std::string>{"{{{F q.c", "start", "X", "Y", "X", "Y", "}}}"}));
  EXPECT_TRUE(statusSaid("ab not found"));
}

// Paints the cursor row when the replace box is shown and keeps what was
// drawn in the selection colours.
class PaintingHost : public BatchHost {
 public:
  MbResult confirmAt(const std::string& dialog, const std::string& text, MbButtons buttons,
                     int row, int col) override {
    RunRecorder rec;
    paintRows(*window, rec, row, row);
    std::string selected;
    for (const auto& r : rec.runs)
      if (r.backColour == window->ctx.settings.selectedBack) selected += r.text;
    highlighted.push_back(selected);
    return BatchHost::confirmAt(dialog, text, buttons, row, col);
  }
  EditorView* window = nullptr;
  std::vector<std::string> highlighted;
};

TEST_F(SearchTest, TheMatchAskedAboutIsDrawnHighlighted) {
  PaintingHost ph;
  EditorContext pc(ph);
  writeFile(work.file("hl.c"), lines({"start", "one two three"}));
  EditorView w(pc, work.file("hl.c"));
  w.doc.nameGiven = true;
  w.doc.pendingName = work.file("hl.c");
  buildFileChain(w.doc);
  read(w.doc, nullptr, w.doc.levelTop->next, w.doc.levelBottom, true);
  finishFileChain(w.doc);
  PlaceCursor(w, 2);
  ph.window = &w;
  ph.queueAnswer("text=two;replace=2;mode=prompt");
  ph.queueAnswer("no");
  ph.queueAnswer("ok");
  replaceCommand(w, {&w});
  ASSERT_EQ(ph.highlighted.size(), 1u);
  EXPECT_EQ(ph.highlighted[0], "two");
  EXPECT_EQ(w.foundLine, nullptr);
}

TEST_F(SearchTest, ReplaceDoesNotTouchTheFileNameLineOrABrowsedWindow) {
  auto w = file("name.c", {"name here"});
  cursorTo(*w, "name here");
  w->currentLine = viewFirst(*w);  // "{{{F name.c"
  host.queueAnswer("text=name;replace=N;mode=all");
  host.queueAnswer("ok");
  replaceCommand(*w, {w.get()});
  EXPECT_EQ(text(viewFirst(*w)), "name.c");
  EXPECT_EQ(text(find(*w, "N here")), "N here");

  w->browseMode = true;
  w->doc.modified = false;
  cursorTo(*w, "N here");
  host.queueAnswer("text=here;replace=there;mode=stop");
  replaceCommand(*w, {w.get()});
  EXPECT_EQ(text(w->currentLine), "N here");
  EXPECT_FALSE(w->doc.modified);
}

TEST_F(SearchTest, AllOpenedFilesGoesOnInTheNextWindow) {
  auto a = file("a.c", {"nothing", "here"});
  auto b = file("b.c", {"first", "/*{{{  f*/", "the word", "/*}}}*/"});
  auto c = file("c.c", {"word"});
  std::vector<View*> all{a.get(), b.get(), c.get()};
  EditorView* activated = nullptr;
  ctx.search.activate = [&](View& w) { activated = &EditorView::of(w); };
  int entered = 0;
  b->hooks.enterLine = [&](View&) { ++entered; };

  cursorTo(*a, "nothing");
  host.queueAnswer("text=word;allfiles=on");
  host.queueAnswer("yes");
  searchCommand(*a, all);
  ASSERT_GE(host.boxTexts().size(), 1u);
  EXPECT_EQ(host.boxTexts()[0], "WORD not found\n Go to the next file '" + work.file("b.c") + "' ?");
  EXPECT_EQ(activated, b.get());
  EXPECT_EQ(text(b->currentLine), "the word");
  EXPECT_EQ(find(*b, "f")->kind, OpenFold);
  EXPECT_EQ(b->textColumn, 5);
  EXPECT_GE(entered, 1);
  EXPECT_EQ(text(a->currentLine), "nothing");

  // Answered No, the search ends where it was; the last window asks nothing.
  activated = nullptr;
  host.clearEvents();
  host.queueAnswer("no");
  findNextCommand(*b, all);
  EXPECT_EQ(activated, nullptr);
  EXPECT_EQ(text(b->currentLine), "the word");

  // From a later window the search wraps round: every other window once,
  // in the frame's order, then the warning.
  host.clearEvents();
  host.queueAnswer("text=nowhere;allfiles=on");
  host.queueAnswer("yes");
  host.queueAnswer("yes");
  searchCommand(*b, all);
  EXPECT_EQ(host.boxTexts(),
            (std::vector<std::string>{
                "NOWHERE not found\n Go to the next file '" + work.file("c.c") + "' ?",
                "NOWHERE not found\n Go to the next file '" + work.file("a.c") + "' ?",
                "NOWHERE not found"}));
  EXPECT_EQ(host.events().back().caption, "Plicato Warning");
  EXPECT_EQ(activated, nullptr);
  host.queueAnswer("text=here;allfiles=on");
  host.queueAnswer("yes");
  searchCommand(*c, all);
  EXPECT_EQ(activated, a.get());
  EXPECT_EQ(text(a->currentLine), "here");
}

TEST_F(SearchTest, ReplaceGoesOnIntoTheNextWindowAndMarksItModified) {
  auto a = file("a.c", {"x = 1;"});
  auto b = file("b.c", {"x = 2;", "x = 3;"});
  std::vector<View*> all{a.get(), b.get()};
  cursorTo(*a, "x = 1;");
  host.queueAnswer("text=x;replace=y;mode=all;allfiles=on");
  host.queueAnswer("yes");
  host.queueAnswer("ok");
  replaceCommand(*a, all);
  EXPECT_EQ(text(find(*a, "y = 1;")), "y = 1;");
  EXPECT_NE(find(*b, "y = 2;"), nullptr);
  EXPECT_NE(find(*b, "y = 3;"), nullptr);
  EXPECT_TRUE(a->doc.modified);
  EXPECT_TRUE(b->doc.modified);
}

TEST_F(SearchTest, ReplaceRecomputesRowsAndHighlightingState) {
  auto w = file("h.c", {"start", "a x", "b", "c"});
  w->wrapMode = true;
  cursorTo(*w, "start");
  const std::string wide(static_cast<size_t>(w->textWidth()) + 5, 'w');
  host.queueAnswer("text=x;replace=" + wide + ";mode=stop");
  replaceCommand(*w, {w.get()});
  EXPECT_EQ(w->currentLine->rows(), 2);
  EXPECT_EQ(w->shownAt(w->cursorRow + 2).line, find(*w, "b"));
  EXPECT_NE(w->currentLine->lineState, static_cast<uint32_t>(kStateRecompute));
}

// Says Yes to every "Replace this match?".
class YesHost : public BatchHost {
 public:
  MbResult confirmAt(const std::string&, const std::string&, MbButtons, int, int) override {
    return MbResult::Yes;
  }
};

// Everything a replace leaves behind: every node in file order, the cursor,
// the placement and the screen.
std::vector<std::string> outcome(EditorView& w) {
  std::vector<std::string> out;
  int index = 0, current = -1, top = -1;
  for (LineNode* n = w.doc.fileTop; n; n = nextInFileOrder(n), ++index) {
    if (n == w.currentLine) current = index;
    if (n == w.topLine) top = index;
    out.push_back(std::to_string(n->kind) + " " + std::to_string(n->indent) + " " +
                  std::to_string(n->rows()) + " " + std::to_string(n->lineState) + " " +
                  std::to_string(n->savedRow()) + " " + (n->text ? n->text : ""));
    if (n == w.doc.fileBottom) break;
  }
  out.push_back("cursor " + std::to_string(current) + " top " + std::to_string(top) + " row " +
                std::to_string(w.cursorRow) + " col " + std::to_string(w.cursorCol) + " text " +
                std::to_string(w.textColumn) + " left " + std::to_string(w.leftColumn) + " sub " +
                std::to_string(w.curSubRow) + " modified " + std::to_string(w.doc.modified));
  for (const std::string& l : screenLines(w)) out.push_back("| " + l);
  return out;
}

// Replace all must leave the window exactly as replacing every match in
// turn does, each one revealed on its own (the mode that asks, answered
// Yes): random nested folds, some open, the cursor anywhere, both
// directions, small and wrapped windows, replacements that hold the
// pattern.
TEST_F(SearchTest, ReplaceAllEndsAsReplacingEveryMatchInTurn) {
  std::mt19937 rng(11);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const char* const texts[] = {"a x b", "x", "plain", "xx x", "  x b x", "/* x", "*/ x", "none"};
  const char* const replacements[] = {"y", "xx", "", "X b", "/*"};
  for (int round = 0; round < 60; ++round) {
    std::vector<std::string> file;
    int depth = 0;
    for (int i = 0; i < 40 + pick(60); ++i) {
      const int r = pick(10);
      if (r < 2 && depth < 4) {
        file.push_back(std::string(static_cast<size_t>(depth * 2), ' ') + "/*{{{  fold " +
                       (pick(3) ? "t" : "x") + "*/");
        ++depth;
      } else if (r < 4 && depth > 0) {
        --depth;
        file.push_back(std::string(static_cast<size_t>(depth * 2), ' ') + "/*}}}*/");
      } else {
        file.push_back(texts[pick(8)]);
      }
    }
    for (; depth > 0; --depth) file.push_back(std::string(static_cast<size_t>(depth * 2 - 2), ' ') + "/*}}}*/");
    work.write("r.c", lines(file));
    const unsigned openSeed = static_cast<unsigned>(rng());
    const int rows = 4 + pick(10), cols = 12 + pick(30);
    const bool wrap = pick(3) == 0;
    const int cursorSteps = pick(40);
    std::string answer = std::string("text=") + (pick(2) ? "x" : "x b") +
                         ";replace=" + replacements[pick(5)] + ";case=" + (pick(2) ? "on" : "off") +
                         ";backward=" + (pick(2) ? "on" : "off");

    auto run = [&](Host& h, BatchHost& answers, const char* mode) {
      EditorContext c(h);
      auto w = foldtest::openC(c, work.file("r.c"));
      w->screenRows = rows;
      w->screenCols = cols;
      w->wrapMode = wrap;
      w->fitScreenBuffer();
      // The same folds opened in both runs.
      std::mt19937 open(openSeed);
      for (LineNode* p = viewFirst(*w); p && p != w->doc.levelBottom; p = p->next)
        if (p->kind == ClosedFold && open() % 2) openFoldInPlace(*w, p);
      w->currentLine = viewFirst(*w);
      for (int i = 0; i < cursorSteps && w->currentLine->next != w->doc.levelBottom; ++i)
        w->currentLine = w->currentLine->next;
      w->topLine = nullptr;
      PlaceCursor(*w, 2);
      answers.queueAnswer(answer + ";mode=" + mode);
      answers.queueAnswer("ok");
      replaceCommand(*w, {w.get()});
      return outcome(*w);
    };
    YesHost yes;
    const auto all = run(host, host, "all");
    const auto each = run(yes, yes, "prompt");
    ASSERT_EQ(all, each) << "round " << round << ": " << answer;
  }
}

}  // namespace
