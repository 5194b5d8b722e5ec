#include "engine/foldedit.hpp"
#include "engine/filecommands.hpp"

#include "engine/enginetest.hpp"
#include "engine/navigation.hpp"
#include "engine/treecheck.hpp"
#include "engine/fileio.hpp"
#include "model/foldwriter.hpp"
#include "model/settings.hpp"

namespace {

using Lines = std::vector<std::string>;

class FoldEditTest : public EngineTest {
 protected:
  std::unique_ptr<EditorView> file(const Lines& v, const std::string& name = "f.c") {
    work.write(name, lines(v));
    return open(name);
  }

  // Writes the window's file and returns what is on disk.
  std::string saved(EditorView& w, const std::string& name = "f.c") {
    Save(w.doc, w.doc.fileBottom, w.doc.fileBottom->partner());
    EXPECT_EQ(w.doc.ioStatus, 0);
    return work.read(name);
  }

  // The written file read into a fresh window shows what `w` showed.
  void readsBackAsShown(EditorView& w, const std::string& name = "f.c") {
    const Lines before = view(w);
    saved(w, name);
    auto again = open(name);
    EXPECT_EQ(view(*again), before);
  }

  static void down(EditorView& w, int n = 1) {
    for (int i = 0; i < n; ++i) ASSERT_TRUE(moveDown(w));
  }
  static void up(EditorView& w, int n = 1) {
    for (int i = 0; i < n; ++i) ASSERT_TRUE(moveUp(w));
  }
  static Lines inner(const LineNode* header) {
    Lines out;
    if (!isClosedHeader(header)) return {"<not a closed fold>"};
    for (const LineNode* p = header->inner(); p != header->partner(); p = p->next)
      out.push_back(p->text);
    return out;
  }
};

TEST_F(FoldEditTest, TwoPressesFoldTheMarkedLinesAndTheFileReadsBack) {
  auto w = file({"a", "b", "c", "d"});
  cursorTo(*w, "b");
  w->textColumn = 1;
  createFoldCommand(*w);
  ASSERT_TRUE(w->createFoldMode);
  LineNode* start = w->foldStartLine;
  EXPECT_EQ(text(start), "{{{");
  EXPECT_EQ(text(w->currentLine), "b");
  EXPECT_TRUE(start->mark && w->currentLine->mark);
  down(*w);
  EXPECT_TRUE(w->currentLine->mark);  // c
  down(*w);                           // onto d: the fold ends above it
  up(*w);
  EXPECT_EQ(text(w->currentLine), "c");
  EXPECT_FALSE(find(*w, "d")->mark);  // left upward
  down(*w);

  createFoldCommand(*w);
  EXPECT_FALSE(w->createFoldMode);
  EXPECT_EQ(w->currentLine, start);
  EXPECT_EQ(start->kind, ClosedFold);
  EXPECT_EQ(inner(start), (Lines{"b", "c"}));
  EXPECT_EQ(w->textColumn, 6);  // behind "...  "
  EXPECT_TRUE(w->doc.modified);
  EXPECT_EQ(view(*w), (Lines{"{{{F f.c", "a", "...  ", "d", "}}}"}));
  EXPECT_EQ(treecheck::check(*w), "");

  assign(*start, "part");
  EXPECT_EQ(saved(*w), "a\n/*{{{  part*/\nb\nc\n/*}}}*/\nd\n");
  readsBackAsShown(*w);
}

TEST_F(FoldEditTest, FoldLeftOfTheIndentStandsAtTheIndent) {
  auto w = file({"x", "  /*{{{  outer*/", "  in1", "  in2", "  /*}}}*/", "y"});
  LineNode* outer = find(*w, "outer");
  ASSERT_TRUE(openFoldInPlace(*w, outer));
  cursorTo(*w, "in1");
  ASSERT_EQ(w->currentLine->indent, 2);
  StartFold(*w, 1);  // column 0, left of the fold's contents
  EXPECT_EQ(w->createFoldColumn, 2);
  EXPECT_EQ(text(w->foldStartLine), "{{{");
  down(*w, 2);  // onto the end of "outer"
  FinishFold(*w);
  LineNode* h = w->currentLine;
  ASSERT_EQ(h->kind, ClosedFold);
  EXPECT_EQ(foldColumn(h), 2);
  EXPECT_EQ(displayText(*h), "  ...  ");
  EXPECT_EQ(inner(h), (Lines{"in1", "in2"}));
  EXPECT_EQ(treecheck::check(*w), "");
  assign(*h, "sub");
  CloseAllFolds(*w);
  EXPECT_EQ(saved(*w),
            "x\n  /*{{{  outer*/\n  /*{{{  sub*/\n  in1\n  in2\n  /*}}}*/\n  /*}}}*/\ny\n");
}

TEST_F(FoldEditTest, TextLeftOfTheFoldColumnRefusesAShorterLinePasses) {
  auto w = file({"  ab", "x", "  cd", " ", "  ef", "z"});
  cursorTo(*w, "x");
  StartFold(*w, 3);  // fold column 2, above "x"
  EXPECT_EQ(text(w->foldStartLine), "  {{{");
  down(*w);
  FinishFold(*w);
  EXPECT_TRUE(statusSaid("Plicato cannot fold"));
  EXPECT_TRUE(w->createFoldMode);  // the marks stay for another try
  EXPECT_TRUE(w->foldStartLine->mark);

  // A fresh try below "x": the blank line is shorter than the fold column.
  // A fold among the lines keeps its marker where it stood on screen.
  auto v = file({"  ab", "x", "  cd", " ", "    /*{{{  g*/", "gi", "    /*}}}*/", "  ef", "z"},
                "g.c");
  cursorTo(*v, "  cd");
  StartFold(*v, 3);
  down(*v, 4);
  FinishFold(*v);
  LineNode* h = v->currentLine;
  ASSERT_EQ(h->kind, ClosedFold);
  EXPECT_EQ(inner(h), (Lines{"cd", "", "g", "ef"}));
  EXPECT_EQ(h->markerColumn(), 2);
  EXPECT_EQ(h->inner()->next->next->markerColumn(), 2);
  EXPECT_EQ(treecheck::check(*v), "");
  readsBackAsShown(*v, "g.c");
}

TEST_F(FoldEditTest, AnOpenFoldEndingBelowTheCursorCannotBeFolded) {
  auto w = file({"x", "/*{{{  f*/", "y", "/*}}}*/", "z"});
  ASSERT_TRUE(openFoldInPlace(*w, find(*w, "f")));
  cursorTo(*w, "x");
  StartFold(*w, 1);
  down(*w, 2);  // onto y, inside f
  FinishFold(*w);
  EXPECT_TRUE(statusSaid("Plicato cannot fold"));
  ASSERT_TRUE(w->createFoldMode);

  down(*w, 2);  // past f's end, onto z
  FinishFold(*w);
  LineNode* h = w->currentLine;
  ASSERT_EQ(h->kind, ClosedFold);
  LineNode* f = h->inner()->next;
  EXPECT_EQ(f->kind, ClosedFold);  // closed with its new parent
  EXPECT_EQ(inner(f), (Lines{"y"}));
  EXPECT_EQ(treecheck::check(*w), "");
  readsBackAsShown(*w);
}

TEST_F(FoldEditTest, FinishingOnOrAboveTheStartLineIsBackwards) {
  auto w = file({"a", "b", "c"});
  cursorTo(*w, "b");
  StartFold(*w, 1);
  up(*w);  // onto the start line
  FinishFold(*w);
  up(*w);
  FinishFold(*w);
  EXPECT_EQ(host.statusTexts().back(), "Plicato cannot fold backwards");
  EXPECT_TRUE(statusSaid("Plicato cannot fold backwards"));
  EXPECT_TRUE(w->createFoldMode);
  EXPECT_EQ(w->foldStartLine->kind, TextLine);
}

TEST_F(FoldEditTest, StartFoldIsSilentOnTheFileTopLine) {
  auto w = file({"a"});
  w->currentLine = viewFirst(*w);
  PlaceCursor(*w, 1);
  StartFold(*w, 1);
  EXPECT_FALSE(w->createFoldMode);
  EXPECT_EQ(view(*w), (Lines{"{{{F f.c", "a", "}}}"}));
}

TEST_F(FoldEditTest, RemovingAFoldKeepsItsLinesWhereTheyStood) {
  auto w = file({"a", "    /*{{{  f*/", "    b", "      c", "    /*{{{  g*/", "    x",
                 "    /*}}}*/", "    /*}}}*/", "d"});
  LineNode* f = find(*w, "f");
  ASSERT_EQ(f->markerColumn(), 4);
  LineNode* g = f->inner()->next->next;
  const int gColumn = foldColumn(g) + foldColumn(f);
  cursorTo(*w, "f", 3);
  RemoveFold(*w);
  EXPECT_EQ(text(w->currentLine), "    b");
  EXPECT_EQ(w->cursorRow, 3);
  EXPECT_EQ(view(*w), (Lines{"{{{F f.c", "a", "    b", "      c", "    ...  g", "d", "}}}"}));
  EXPECT_EQ(foldColumn(g), gColumn);
  EXPECT_TRUE(w->doc.modified);
  EXPECT_EQ(treecheck::check(*w), "");
  readsBackAsShown(*w);
}

TEST_F(FoldEditTest, RemoveFoldRefusalsAndTheEmptyFold) {
  auto w = file({"a", "/*{{{  COMMENT note*/", "/*x*/", "/*}}}*/", "/*{{{  e*/", "/*}}}*/", "b"});
  cursorTo(*w, "a");
  RemoveFold(*w);
  EXPECT_EQ(host.statusTexts().back(), "Plicato line is not a simple fold!!");
  cursorTo(*w, "COMMENT note");
  RemoveFold(*w);
  EXPECT_EQ(host.statusTexts().back(),
            "Plicato cannot remove COMMENT fold. Press COMMENT key to UN-COMMENT first");
  EXPECT_EQ(w->currentLine->kind, ClosedFold);

  const int32_t before = ctx.freeCount;
  cursorTo(*w, "e");
  RemoveFold(*w);
  EXPECT_EQ(text(w->currentLine), "b");
  EXPECT_EQ(ctx.freeCount, before + 2);  // header and end
  EXPECT_EQ(treecheck::check(*w), "");
}

TEST_F(FoldEditTest, CommentFoldTwiceRestoresTheTitle) {
  auto w = file({"/*{{{  plain title*/", "/*}}}*/", "/*{{{  COMMENTx   rest*/", "/*}}}*/",
                 "/*{{{  COMMENT*/", "/*}}}*/", "t"});
  cursorTo(*w, "plain title");
  CommentFold(*w);
  EXPECT_EQ(text(w->currentLine), "COMMENT plain title");
  CommentFold(*w);
  EXPECT_EQ(text(w->currentLine), "plain title");
  cursorTo(*w, "COMMENTx   rest");
  CommentFold(*w);
  EXPECT_EQ(text(w->currentLine), "rest");
  cursorTo(*w, "COMMENT");
  CommentFold(*w);
  EXPECT_EQ(text(w->currentLine), "");
  cursorTo(*w, "t");
  CommentFold(*w);
  EXPECT_EQ(host.statusTexts().back(), "Plicato line is not a simple fold!!");
}

TEST_F(FoldEditTest, AutofoldOnABlankLineMakesAnEmptyFoldAboveIt) {
  auto w = file({"a", "", "b"});
  cursorTo(*w, "");
  Autofold(*w);
  LineNode* h = w->currentLine;
  ASSERT_EQ(h->kind, ClosedFold);
  EXPECT_EQ(h->inner(), h->partner());
  EXPECT_EQ(text(h->next), "");
  EXPECT_EQ(view(*w), (Lines{"{{{F f.c", "a", "...  ", "", "b", "}}}"}));
  EXPECT_EQ(treecheck::check(*w), "");
}

TEST_F(FoldEditTest, AutofoldEnclosesTextUpToABlankLineOrTheViewEnd) {
  auto w = file({"a", "b", "   ", "c", "d"});
  cursorTo(*w, "a");
  Autofold(*w);
  EXPECT_EQ(inner(w->currentLine), (Lines{"a", "b"}));
  cursorTo(*w, "c");
  EXPECT_EQ(w->textColumn, 6);  // left behind the first fold's marker
  w->textColumn = 1;
  Autofold(*w);
  EXPECT_EQ(inner(w->currentLine), (Lines{"c", "d"}));
  EXPECT_EQ(w->currentLine->next, w->doc.levelBottom);
  EXPECT_EQ(treecheck::check(*w), "");
  readsBackAsShown(*w);
}

TEST_F(FoldEditTest, LineToFoldHeaderTitlesTheInnermostOpenFold) {
  auto w = file({"/*{{{  old*/", "/*{{{  inner*/", "/*}}}*/", "   new title", "/*}}}*/", "top"});
  LineNode* f = find(*w, "old");
  ASSERT_TRUE(openFoldInPlace(*w, f));
  ASSERT_TRUE(openFoldInPlace(*w, find(*w, "inner")));  // its end lies between
  cursorTo(*w, "   new title");
  lineToFoldHeader(*w);
  EXPECT_EQ(text(f), "new title");
  EXPECT_EQ(text(w->currentLine), "   new title");
  EXPECT_TRUE(w->doc.modified);

  w->doc.modified = false;
  cursorTo(*w, "top");
  lineToFoldHeader(*w);
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(text(f), "new title");
}

TEST_F(FoldEditTest, LineToFoldHeaderInAnEnteredFold) {
  auto w = file({"/*{{{  old*/", "\t  fresh", "/*}}}*/"});
  cursorTo(*w, "old");
  EnterFold(*w);
  ASSERT_EQ(text(w->currentLine), "\t  fresh");
  lineToFoldHeader(*w);
  EXPECT_EQ(text(viewFirst(*w)), "fresh");
  EXPECT_EQ(versionText(*w), "Plicato V4.1 (fresh)");
  ExitFold(*w);
  EXPECT_EQ(text(w->currentLine), "fresh");
}

TEST_F(FoldEditTest, CopyLineCopiesNestedFoldsAndRefusesFiledOnes) {
  work.write("p.c", "x\n");
  auto w = file({"/*{{{  f*/", "a", "  /*{{{  g*/", "  b", "  /*}}}*/", "/*}}}*/",
                 "/*{{{  h*/", "/*{{{F  p*/", "/*:::F p.c*/", "/*}}}*/", "/*}}}*/"});
  LineNode* f = find(*w, "f");
  LineNode* c = CopyLine(*w, f);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(treecheck::checkUnit(c), "");
  EXPECT_NE(c, f);
  EXPECT_EQ(inner(c), inner(f));
  LineNode* g = c->inner()->next;
  EXPECT_EQ(g->kind, ClosedFold);
  EXPECT_NE(g, f->inner()->next);
  EXPECT_EQ(g->markerColumn(), 2);
  EXPECT_EQ(inner(g), (Lines{"b"}));
  EXPECT_EQ(c->next, nullptr);

  EXPECT_EQ(CopyLine(*w, find(*w, "h")), nullptr);
  EXPECT_EQ(host.statusTexts().back(), "Plicato cannot copy filed folds");
  EXPECT_EQ(treecheck::check(*w), "");
}

TEST_F(FoldEditTest, InsertNodeOnAContinuationRowMergesTextAndRefusesFolds) {
  const std::string longLine(100, 'q');
  auto w = file({"a", longLine, "b"});
  w->wrapMode = true;
  for (LineNode* p = viewFirst(*w); p; p = p->next) w->computeRows(p);
  cursorTo(*w, longLine);
  ASSERT_EQ(w->currentLine->rows(), 2);
  ASSERT_TRUE(moveDown(*w));
  ASSERT_EQ(w->curSubRow, 1);

  LineNode* fold = CopyLine(*w, find(*w, "a"));  // a one-row piece
  ASSERT_NE(fold, nullptr);
  fold->kind = ClosedFold;  // pretend it is a fold
  LineNode* end = newLineNode(w->doc);
  end->kind = FoldEnd;
  fold->inner() = end;
  fold->partner() = end;
  end->partner() = fold;
  end->prev = fold;
  EXPECT_FALSE(InsertNode(*w, fold));
  EXPECT_EQ(host.statusTexts().back(), "Fold can't be inserted here - only between strings");

  LineNode* piece = newLineNode(w->doc);
  assign(*piece, "XY");
  piece->prev = piece->next = nullptr;
  ASSERT_TRUE(InsertNode(*w, piece));
  const size_t cut = static_cast<size_t>(w->textWidth());
  EXPECT_EQ(text(w->currentLine), longLine.substr(0, cut) + "XY" + longLine.substr(cut));
  EXPECT_EQ(treecheck::check(*w), "");

  StartFold(*w, 1);
  EXPECT_FALSE(w->createFoldMode);
}

TEST_F(FoldEditTest, FinishFoldAtFoldsARunForTheBlockCommands) {
  auto w = file({"a", "  b", "  c", "d"});
  LineNode* b = find(*w, "  b");
  LineNode* d = find(*w, "d");
  EXPECT_FALSE(finishFoldAt(*w, find(*w, "a"), d, 2));  // "a" stands left of it
  EXPECT_TRUE(host.statusTexts().empty());
  EXPECT_EQ(view(*w), (Lines{"{{{F f.c", "a", "  b", "  c", "d", "}}}"}));

  ASSERT_TRUE(finishFoldAt(*w, b, d, 2));
  LineNode* h = w->currentLine;
  EXPECT_EQ(h->kind, ClosedFold);
  EXPECT_EQ(h->markerColumn(), 2);
  EXPECT_EQ(inner(h), (Lines{"b", "c"}));
  EXPECT_EQ(h->next, d);
  EXPECT_EQ(treecheck::check(*w), "");
  readsBackAsShown(*w);
}

// Lines indented with tabs fold at the column their tabs reach, and are
// written back in their tabs; a tab reaching past the column refuses.
TEST_F(FoldEditTest, TabIndentedLinesFoldAtTheColumnTheirTabsReach) {
  settings().tabSize = 8;
  work.write("t.c", "a\n\tb\n\t\tc\nd\n");
  auto w = open("t.c");
  LineNode* b = find(*w, "\tb");
  LineNode* d = find(*w, "d");
  EXPECT_FALSE(finishFoldAt(*w, b, d, 4));  // inside the tab
  ASSERT_TRUE(finishFoldAt(*w, b, d, 8));
  EXPECT_EQ(inner(w->currentLine), (Lines{"b", "\tc"}));
  assign(*w->currentLine, "t");
  ASSERT_TRUE(saveCommand(*w));
  EXPECT_EQ(work.read("t.c"), "a\n        /*{{{  t*/\n\tb\n\t\tc\n        /*}}}*/\nd\n");
}

}  // namespace
