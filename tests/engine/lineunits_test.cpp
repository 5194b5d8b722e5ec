#include "engine/lineunits.hpp"

#include "commands/keytable.hpp"
#include "engine/enginetest.hpp"
#include "engine/foldedit.hpp"
#include "engine/navigation.hpp"
#include "engine/treecheck.hpp"
#include "engine/fileio.hpp"
#include "model/foldwriter.hpp"

namespace {

using Lines = std::vector<std::string>;

class LineUnitsTest : public EngineTest {
 protected:
  std::unique_ptr<EditorView> file(const Lines& v, const std::string& name = "u.c") {
    work.write(name, lines(v));
    return open(name);
  }

  std::string saved(EditorView& w, const std::string& name = "u.c") {
    Save(w.doc, w.doc.fileBottom, w.doc.fileBottom->partner());
    EXPECT_EQ(w.doc.ioStatus, 0);
    return work.read(name);
  }

  static Lines inner(const LineNode* header) {
    Lines out;
    for (const LineNode* p = header->inner(); p != header->partner(); p = p->next)
      out.push_back(p->text);
    return out;
  }

  // Restore line, then the next key as the dispatcher hands it on: the
  // best try for restore line again; any other key is left to run.
  void restore(EditorView& w, int nextKey = -1) {
    if (!restoreLine(w)) return;
    if (nextKey == cmdRestoreLine)
      restoreBestTry(w);
    else if (nextKey >= 0)
      pushedBack.push_back(nextKey);
  }
  std::vector<int> pushedBack;

  static void wrap(EditorView& w) {
    w.wrapMode = true;
    for (LineNode* p = viewFirst(w); p; p = p->next) {
      w.computeRows(p);
      if (p == w.doc.levelBottom) break;
    }
  }
};

TEST_F(LineUnitsTest, TwoDeletesAndTheSecondPressOfRestore) {
  auto w = file({"a", "b", "c"});
  cursorTo(*w, "a");
  deleteLine(*w);
  EXPECT_EQ(text(w->currentLine), "b");
  deleteLine(*w);
  EXPECT_EQ(text(w->deletedLine), "b");
  EXPECT_EQ(view(*w), (Lines{"{{{F u.c", "c", "}}}"}));
  EXPECT_TRUE(w->doc.modified);

  restore(*w);
  EXPECT_EQ(w->deletedLine, nullptr);
  EXPECT_EQ(text(w->currentLine), "b");

  restore(*w, cmdCursorDown);  // any other key is handed back
  EXPECT_EQ(host.statusTexts().back(), "Press restore line again for best try");
  EXPECT_EQ(pushedBack, std::vector<int>{cmdCursorDown});
  EXPECT_EQ(view(*w), (Lines{"{{{F u.c", "b", "c", "}}}"}));

  restore(*w, cmdRestoreLine);
  EXPECT_EQ(view(*w), (Lines{"{{{F u.c", "a", "b", "c", "}}}"}));
  EXPECT_EQ(text(w->currentLine), "a");
  EXPECT_EQ(treecheck::check(*w), "");
  EXPECT_EQ(saved(*w), "a\nb\nc\n");
}

TEST_F(LineUnitsTest, AFoldGivenToTheFreeListComesBackWhole) {
  auto w = file({"/*{{{  f*/", "  /*{{{  g*/", "  in", "  /*}}}*/", "/*}}}*/", "a", "b"});
  cursorTo(*w, "f");
  const int32_t before = ctx.freeCount;
  deleteLine(*w);
  deleteLine(*w);  // "a": the fold goes to the free list
  EXPECT_EQ(ctx.freeCount, before + 5);
  restore(*w);
  restore(*w, cmdRestoreLine);
  EXPECT_EQ(ctx.freeCount, before);
  LineNode* f = w->currentLine;
  ASSERT_EQ(f->kind, ClosedFold);
  EXPECT_EQ(text(f), "f");
  EXPECT_EQ(view(*w), (Lines{"{{{F u.c", "...  f", "a", "b", "}}}"}));
  EXPECT_EQ(treecheck::check(*w), "");
  EXPECT_EQ(saved(*w), "/*{{{  f*/\n  /*{{{  g*/\n  in\n  /*}}}*/\n/*}}}*/\na\nb\n");
}

TEST_F(LineUnitsTest, RestoreWithNothingHeldSaysNothing) {
  auto w = file({"a"});
  while (w->doc.disposeHead != w->doc.disposeTail) newLineNode(w->doc);  // empty the free list
  cursorTo(*w, "a");
  restore(*w, cmdRestoreLine);
  EXPECT_TRUE(host.statusTexts().empty());
  EXPECT_FALSE(w->doc.modified);
}

TEST_F(LineUnitsTest, LinesThatAreNoUnitStayPut) {
  auto w = file({"a", "/*{{{  f*/", "x", "/*}}}*/"});
  ASSERT_TRUE(openFoldInPlace(*w, find(*w, "f")));
  const Lines before = view(*w);
  for (LineNode* n : {w->doc.levelBottom, find(*w, "f"), find(*w, "x")->next.get(), viewFirst(*w)}) {
    w->currentLine = n;
    PlaceCursor(*w, 2);
    deleteLine(*w);
    pickLine(*w);
    moveLine(*w);
  }
  EXPECT_EQ(view(*w), before);
  EXPECT_EQ(w->deletedLine, nullptr);
  EXPECT_EQ(w->moveSlot, nullptr);
  EXPECT_EQ(pickCount(*w), 0);
  EXPECT_FALSE(w->doc.modified);
}

TEST_F(LineUnitsTest, PutPickMakesOneFoldOfThePicksInOrder) {
  auto w = file({"a", "  b", "/*{{{  f*/", "in", "/*}}}*/", "d"});
  cursorTo(*w, "a");
  putPick(*w);
  EXPECT_EQ(host.statusTexts().back(), "No pick");
  pickLine(*w);
  pickLine(*w);
  pickLine(*w);
  EXPECT_EQ(pickCount(*w), 3);
  EXPECT_EQ(text(w->currentLine), "d");

  putPick(*w);
  LineNode* h = w->currentLine;
  ASSERT_EQ(h->kind, ClosedFold);
  EXPECT_EQ(text(h), "");
  EXPECT_EQ(inner(h), (Lines{"a", "  b", "f"}));
  EXPECT_EQ(h->next, find(*w, "d"));
  EXPECT_EQ(pickCount(*w), 0);
  EXPECT_EQ(w->pickHead, w->pickTail);
  EXPECT_EQ(treecheck::check(*w), "");
  EXPECT_EQ(saved(*w), "/*{{{*/\na\n  b\n/*{{{  f*/\nin\n/*}}}*/\n/*}}}*/\nd\n");
}

TEST_F(LineUnitsTest, PickedLinesFromAnOpenFoldLoseTheirIndent) {
  auto w = file({"  /*{{{  f*/", "  x", "  /*}}}*/", "y"});
  ASSERT_TRUE(openFoldInPlace(*w, find(*w, "f")));
  cursorTo(*w, "x");
  ASSERT_EQ(w->currentLine->indent, 2);
  pickLine(*w);
  EXPECT_EQ(w->pickTail->indent, 0);
  cursorTo(*w, "y");
  putPick(*w);
  EXPECT_EQ(treecheck::check(*w), "");
  EXPECT_EQ(displayText(*w->currentLine->inner()), "x");
}

TEST_F(LineUnitsTest, CopyPickKeepsTheTextAndCopiesTheUnit) {
  auto w = file({"/*{{{  f*/", "in", "/*}}}*/", "z"});
  cursorTo(*w, "f");
  const Lines before = view(*w);
  copyPick(*w);
  EXPECT_EQ(view(*w), before);
  ASSERT_EQ(pickCount(*w), 1);
  LineNode* copy = w->pickTail;
  EXPECT_NE(copy, find(*w, "f"));
  EXPECT_EQ(treecheck::checkUnit(copy), "");
  EXPECT_EQ(inner(copy), (Lines{"in"}));
}

TEST_F(LineUnitsTest, CopyOfAFoldHoldingAFiledFoldChangesNothing) {
  work.write("p.c", "x\n");
  auto w = file({"/*{{{  h*/", "/*{{{F  p*/", "/*:::F p.c*/", "/*}}}*/", "/*}}}*/", "t"});
  cursorTo(*w, "h");
  const Lines before = view(*w);
  copyLineCommand(*w);
  EXPECT_EQ(host.statusTexts().back(), "Plicato cannot copy filed folds");
  copyPick(*w);
  EXPECT_EQ(view(*w), before);
  EXPECT_EQ(text(w->currentLine), "h");
  EXPECT_EQ(pickCount(*w), 0);
  EXPECT_FALSE(w->doc.modified);
}

TEST_F(LineUnitsTest, CopyLinePutsTheCopyBelowAndMovesOntoIt) {
  auto w = file({"a", "/*{{{  f*/", "  /*{{{  g*/", "  in", "  /*}}}*/", "/*}}}*/", "z"});
  cursorTo(*w, "f", 3);
  LineNode* f = w->currentLine;
  copyLineCommand(*w);
  LineNode* copy = w->currentLine;
  EXPECT_NE(copy, f);
  EXPECT_EQ(f->next, copy);
  EXPECT_EQ(text(copy->next), "z");
  EXPECT_EQ(w->cursorRow, 4);
  EXPECT_EQ(treecheck::check(*w), "");
  EXPECT_EQ(saved(*w),
            "a\n/*{{{  f*/\n  /*{{{  g*/\n  in\n  /*}}}*/\n/*}}}*/\n"
            "/*{{{  f*/\n  /*{{{  g*/\n  in\n  /*}}}*/\n/*}}}*/\nz\n");

  cursorTo(*w, "z");
  copyLineCommand(*w);
  EXPECT_EQ(view(*w).back(), "}}}");
  EXPECT_EQ(text(w->currentLine), "z");
  EXPECT_EQ(text(w->currentLine->prev), "z");
  copyLineCommand(*w);  // never on the view's end line
  w->currentLine = w->doc.levelBottom;
  const size_t lines = view(*w).size();
  copyLineCommand(*w);
  EXPECT_EQ(view(*w).size(), lines);
}

TEST_F(LineUnitsTest, MoveLineTakesAFoldAndPutsItElsewhere) {
  auto w = file({"/*{{{  f*/", "in", "/*}}}*/", "a", "b"});
  cursorTo(*w, "f");
  moveLine(*w);
  ASSERT_NE(w->moveSlot, nullptr);
  EXPECT_EQ(text(w->currentLine), "a");
  ASSERT_TRUE(moveDown(*w));
  moveLine(*w);
  EXPECT_EQ(w->moveSlot, nullptr);
  EXPECT_EQ(view(*w), (Lines{"{{{F u.c", "a", "...  f", "b", "}}}"}));
  EXPECT_EQ(treecheck::check(*w), "");
  EXPECT_EQ(saved(*w), "a\n/*{{{  f*/\nin\n/*}}}*/\nb\n");
  auto again = open("u.c");
  EXPECT_EQ(view(*again), view(*w));
}

TEST_F(LineUnitsTest, PutBackIsRefusedOnTheFileTopLineAndTheSlotKeepsTheUnit) {
  auto w = file({"a", "b"});
  cursorTo(*w, "a");
  moveLine(*w);
  w->currentLine = viewFirst(*w);
  PlaceCursor(*w, 1);
  moveLine(*w);
  EXPECT_EQ(text(w->moveSlot), "a");
  restore(*w, cmdRestoreLine);
  EXPECT_TRUE(pushedBack.empty());
  EXPECT_EQ(view(*w), (Lines{"{{{F u.c", "b", "}}}"}));
}

TEST_F(LineUnitsTest, WrappedLineGivesTheRowUnderTheCursor) {
  const std::string longLine = std::string(90, 'p') + std::string(30, 'r');
  auto w = file({"a", longLine, "z"});
  wrap(*w);
  cursorTo(*w, longLine);
  const size_t width = static_cast<size_t>(w->textWidth());
  ASSERT_EQ(w->currentLine->rows(), 2);
  ASSERT_TRUE(moveDown(*w));  // its second row
  LineNode* line = w->currentLine;
  deleteLine(*w);
  EXPECT_EQ(text(w->deletedLine), longLine.substr(width));
  EXPECT_EQ(text(line), longLine.substr(0, width));
  EXPECT_EQ(line->rows(), 1);
  EXPECT_EQ(text(w->currentLine), "z");  // the row went, and so did the cursor

  restore(*w);  // on the first row of z: a line of its own
  EXPECT_EQ(w->deletedLine, nullptr);
  EXPECT_EQ(text(line->next), longLine.substr(width));
  EXPECT_EQ(text(line->next->next), "z");
  EXPECT_EQ(treecheck::check(*w), "");
}

TEST_F(LineUnitsTest, RestoreOnAContinuationRowMergesThePiece) {
  const std::string longLine = std::string(77, 'a') + std::string(77, 'b') + std::string(40, 'c');
  auto w = file({longLine, "z"});
  wrap(*w);
  cursorTo(*w, longLine);
  ASSERT_EQ(w->textWidth(), 77);
  ASSERT_EQ(w->currentLine->rows(), 3);
  ASSERT_TRUE(moveDown(*w));
  LineNode* line = w->currentLine;
  deleteLine(*w);  // the middle row: the cursor stays on the row, now the c's
  EXPECT_EQ(text(w->deletedLine), std::string(77, 'b'));
  EXPECT_EQ(w->currentLine, line);
  EXPECT_EQ(w->curSubRow, 1);
  restore(*w);
  EXPECT_EQ(text(line), longLine);
  EXPECT_EQ(line->rows(), 3);
  EXPECT_EQ(treecheck::check(*w), "");
}

TEST_F(LineUnitsTest, CopyLineInWrapModeCopiesOnlyTheRow) {
  const std::string longLine = std::string(100, 'q');
  auto w = file({longLine, "/*{{{  f*/", "/*}}}*/"});
  wrap(*w);
  cursorTo(*w, "f");
  copyLineCommand(*w);  // a fold on its first row is not copied while wrapping
  EXPECT_EQ(text(w->currentLine), "f");
  cursorTo(*w, longLine);
  copyLineCommand(*w);  // row 0's piece joins the line at its second row
  const size_t width = static_cast<size_t>(w->textWidth());
  EXPECT_EQ(text(viewFirst(*w)->next), longLine.substr(0, width) + longLine);
  EXPECT_EQ(treecheck::check(*w), "");
}

}  // namespace
