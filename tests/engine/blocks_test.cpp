#include "engine/blocks.hpp"

#include "commands/keytable.hpp"
#include "engine/enginetest.hpp"
#include "engine/filecommands.hpp"
#include "engine/navigation.hpp"

namespace {

const std::vector<std::string> kFile = {
    "int a;",
    "/*{{{  f*/",
    "x1",
    "",
    "  /*{{{  inner*/",
    "  y1",
    "  /*}}}*/",
    "x2",
    "/*}}}*/",
    "int b;",
    "abcdef",
    "int c;",
};

// The clipboard form of fold f above.
const std::string kFoldText =
    "...  f\r\n"
    "x1\r\n"
    "\r\n"
    "  ...  inner\r\n"
    "  y1\r\n"
    "  }}}\r\n"
    "x2\r\n"
    "}}}\r\n";

class BlocksTest : public EngineTest {
 protected:
  std::unique_ptr<EditorView> file() {
    work.write("b.c", lines(kFile));
    return open("b.c");
  }

  // A mouse-style line mark from the line `from` to the line `to`.
  static void mark(EditorView& w, const std::string& from, const std::string& to) {
    LineNode* a = find(w, from);
    LineNode* b = find(w, to);
    ASSERT_NE(a, nullptr) << from;
    ASSERT_NE(b, nullptr) << to;
    w.markAnchorLine = a;
    w.markAnchorSubRow = 0;
    w.blockKind = BlockKind::Lines;
    w.setMarkEnd(b, 0);
  }

  static void cursorAtColumn(EditorView& w, const std::string& line, int textColumn) {
    cursorTo(w, line);
    w.textColumn = textColumn;
    w.cursorCol = textColumn - 1;
  }

  std::string saved(EditorView& w) {
    EXPECT_TRUE(saveCommand(w));
    return work.read("b.c");
  }
};

TEST_F(BlocksTest, UnbalancedBlockIsRefusedAndNothingChanges) {
  auto w = file();
  cursorTo(*w, "f");
  ASSERT_TRUE(openFoldInPlace(*w, w->currentLine));
  const auto before = view(*w);
  host.setClipboardText("kept");
  mark(*w, "x2", "int b;");  // from inside the open fold to past its end

  copyBlock(*w);
  EXPECT_EQ(host.beeps(), 1);
  EXPECT_EQ(host.lastStatus(), "Plicato can't Copy this block");
  EXPECT_EQ(*host.clipboardText(), "kept");
  cutBlock(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato can't Cut this block");
  deleteBlock(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato can't Delete this block");
  foldBlock(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato can't fold this block");
  saveBlock(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato can't Save this block");
  EXPECT_EQ(host.beeps(), 1);  // only copy beeps
  EXPECT_EQ(view(*w), before);
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(*host.clipboardText(), "kept");
}

TEST_F(BlocksTest, TheViewsOwnHeaderAndEndAreNoPartOfABlock) {
  auto w = file();
  const auto before = view(*w);
  mark(*w, "int c;", "int c;");
  w->setMarkEnd(w->doc.levelBottom, 0);  // down to the end line
  deleteBlock(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato can't Delete this block");
  mark(*w, "int a;", "int b;");
  w->setMarkEnd(viewFirst(*w), 0);  // up to the file's top line
  cutBlock(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato can't Cut this block");
  EXPECT_EQ(view(*w), before);
}

TEST_F(BlocksTest, WithoutABlockTheCommandsDoNothing) {
  auto w = file();
  copyBlock(*w);
  deleteBlock(*w);
  cutBlock(*w);
  EXPECT_TRUE(host.statusTexts().empty());
  EXPECT_FALSE(host.clipboardText().has_value());
  EXPECT_FALSE(w->doc.modified);
}

TEST_F(BlocksTest, CopyOfAClosedFoldGivesItsWholeContentsInTheDisplayForm) {
  auto w = file();
  mark(*w, "f", "f");
  copyBlock(*w);
  EXPECT_EQ(*host.clipboardText(), kFoldText);
  EXPECT_TRUE(w->markActive);  // copy keeps the mark
  EXPECT_FALSE(w->doc.modified);
}

TEST_F(BlocksTest, CopiedFoldPastesBackEqualWithBlankLinesAndNestedFolds) {
  auto w = file();
  mark(*w, "f", "f");
  copyBlock(*w);
  w->clearMark();
  cursorTo(*w, "int c;");
  pasteBlock(*w);
  EXPECT_TRUE(w->doc.modified);
  EXPECT_EQ(text(w->currentLine), "int c;");
  LineNode* pasted = w->currentLine->prev;
  ASSERT_EQ(pasted->kind, ClosedFold);
  EXPECT_EQ(text(pasted), "f");

  // The pasted fold copies to the same text, and the file holds it twice.
  w->markAnchorLine = pasted;
  w->setMarkEnd(pasted, 0);
  EXPECT_EQ(clipboardText(*w), kFoldText);
  w->clearMark();
  std::vector<std::string> expect = kFile;
  expect.insert(expect.begin() + 11, kFile.begin() + 1, kFile.begin() + 9);
  EXPECT_EQ(saved(*w), lines(expect));
}

TEST_F(BlocksTest, AFoldCopiedFromCPastesAsAFoldIntoOccam) {
  auto c = file();
  mark(*c, "f", "f");
  copyBlock(*c);

  work.write("o.occ", "SEQ\n");
  auto o = std::make_unique<EditorView>(ctx, work.file("o.occ"));
  o->doc.setCommentStart("--");
  o->doc.setCommentEnd("");
  o->doc.setFileTypeName("occam");
  o->doc.nameGiven = true;
  o->doc.pendingName = work.file("o.occ");
  buildFileChain(o->doc);
  read(o->doc, nullptr, o->doc.levelTop->next, o->doc.levelBottom, true);
  finishFileChain(o->doc);
  PlaceCursor(*o, 2);
  cursorTo(*o, "SEQ");
  pasteBlock(*o);
  ASSERT_TRUE(saveCommand(*o));
  EXPECT_EQ(work.read("o.occ"), lines({"--{{{  f", "x1", "", "  --{{{  inner", "  y1", "  --}}}",
                                       "x2", "--}}}", "SEQ"}));
}

TEST_F(BlocksTest, AttributeAndFileLinesEndInABareLineFeedAndPasteBack) {
  work.write("b.c", lines({"/*{{{  t*/", "/*:::A  2 0*/", "in", "/*}}}*/", "/*...F  sub.c*/",
                           "/*:::F sub.c*/", "end"}));
  auto w = open("b.c");
  mark(*w, "t", "sub.c");
  copyBlock(*w);
  EXPECT_EQ(*host.clipboardText(),
            "...  t\r\n/*:::A  2 0\nin\r\n}}}\r\n...F sub.c\r\n/*:::F sub.c\n");
  w->clearMark();
  cursorTo(*w, "end");
  pasteBlock(*w);
  LineNode* filed = w->currentLine->prev;
  LineNode* attributed = filed->prev;
  ASSERT_EQ(filed->kind, FiledFold);
  EXPECT_EQ(text(filed->partner()), "sub.c");
  EXPECT_EQ(filed->inner(), filed->partner());
  ASSERT_EQ(attributed->kind, ClosedFold);
  EXPECT_EQ(attributed->foldType(), 2u);
  EXPECT_EQ(attributed->foldContents(), 0u);
  EXPECT_EQ(text(attributed->inner()), "in");
}

TEST_F(BlocksTest, PasteSplitsAtEachLineEndSoBlankLinesStay) {
  auto w = file();
  cursorTo(*w, "int c;");
  pasteText(*w, "a\r\n\r\n\nb\rc\n");
  EXPECT_EQ(saved(*w), lines({"int a;", "/*{{{  f*/", "x1", "", "  /*{{{  inner*/", "  y1",
                              "  /*}}}*/", "x2", "/*}}}*/", "int b;", "abcdef", "a", "", "", "b",
                              "c", "int c;"}));
}

TEST_F(BlocksTest, PasteJoinsIntoTheMiddleOfATextLine) {
  auto w = file();
  cursorAtColumn(*w, "abcdef", 4);  // on the "d"
  pasteText(*w, "X\r\nY");
  EXPECT_EQ(text(w->currentLine), "Ydef");
  EXPECT_EQ(text(w->currentLine->prev), "abcX");
  EXPECT_EQ(w->textColumn, 2);  // in front of the line's old rest

  cursorAtColumn(*w, "Ydef", 2);
  pasteText(*w, "P\r\n...  g\r\nin\r\n}}}\r\n");
  // The marker lines stand alone; the rest of the line follows them.
  EXPECT_EQ(text(w->currentLine), "def");
  EXPECT_EQ(w->currentLine->prev->kind, ClosedFold);
  EXPECT_EQ(text(w->currentLine->prev->prev), "YP");

  cursorAtColumn(*w, "def", 2);
  pasteText(*w, "word ");
  EXPECT_EQ(text(w->currentLine), "dword ef");
}

TEST_F(BlocksTest, PasteAboveWhenTheCursorIsNotOnTheText) {
  auto w = file();
  cursorAtColumn(*w, "abcdef", 7);  // behind the text
  pasteText(*w, "new");
  EXPECT_EQ(text(w->currentLine), "abcdef");
  EXPECT_EQ(text(w->currentLine->prev), "new");

  cursorTo(*w, "f");
  pasteText(*w, "on a header\r\n");
  EXPECT_EQ(text(w->currentLine->prev), "on a header");
  EXPECT_EQ(w->currentLine->kind, ClosedFold);

  w->currentLine = viewFirst(*w);  // the file's top line
  w->doc.modified = false;
  pasteText(*w, "refused");
  EXPECT_FALSE(w->doc.modified);
}

TEST_F(BlocksTest, UnmatchedMarkersPasteAsText) {
  auto w = file();
  cursorTo(*w, "int c;");
  pasteText(*w, "...  a\r\n    }}}\r\n}}}\r\n");
  EXPECT_EQ(saved(*w), lines({"int a;", "/*{{{  f*/", "x1", "", "  /*{{{  inner*/", "  y1",
                              "  /*}}}*/", "x2", "/*}}}*/", "int b;", "abcdef", "/*{{{  a*/",
                              "    }}}", "/*}}}*/", "int c;"}));
  cursorTo(*w, "int c;");
  pasteText(*w, "... etc\r\n");
  pasteText(*w, "}}}\r\n");
  EXPECT_EQ(text(w->currentLine->prev), "}}}");
  EXPECT_EQ(w->currentLine->prev->kind, TextLine);
  EXPECT_EQ(text(w->currentLine->prev->prev), "... etc");
  EXPECT_EQ(w->currentLine->prev->prev->kind, TextLine);
}

TEST_F(BlocksTest, PasteInsideAnOpenFoldTakesItsColumn) {
  work.write("b.c", lines({"  /*{{{  f*/", "  x", "  /*}}}*/"}));
  auto w = open("b.c");
  cursorTo(*w, "f");
  ASSERT_TRUE(openFoldInPlace(*w, w->currentLine));
  mark(*w, "x", "x");
  copyBlock(*w);
  EXPECT_EQ(*host.clipboardText(), "  x\r\n");
  w->clearMark();
  cursorTo(*w, "x");
  pasteBlock(*w);
  EXPECT_EQ(displayText(*w->currentLine->prev), "  x");
  CloseAllFolds(*w);
  EXPECT_EQ(saved(*w), lines({"  /*{{{  f*/", "  x", "  x", "  /*}}}*/"}));
}

TEST_F(BlocksTest, CutSetsModifiedAndTheSaveWritesTheChange) {
  auto w = file();
  cursorTo(*w, "int b;");
  mark(*w, "int b;", "abcdef");
  cutBlock(*w);
  EXPECT_TRUE(w->doc.modified);
  EXPECT_FALSE(w->markActive);
  EXPECT_EQ(*host.clipboardText(), "int b;\r\nabcdef\r\n");
  EXPECT_EQ(text(w->currentLine), "int c;");
  EXPECT_EQ(saved(*w), lines({"int a;", "/*{{{  f*/", "x1", "", "  /*{{{  inner*/", "  y1",
                              "  /*}}}*/", "x2", "/*}}}*/", "int c;"}));
}

TEST_F(BlocksTest, DeletedBlockLinesComeBackOneByOneLastFirst) {
  auto w = file();
  cursorTo(*w, "f");
  ASSERT_TRUE(openFoldInPlace(*w, w->currentLine));
  mark(*w, "f", "int b;");  // the open fold closes on its way out
  deleteBlock(*w);
  EXPECT_TRUE(w->doc.modified);
  EXPECT_EQ(text(w->currentLine), "abcdef");
  EXPECT_EQ(text(viewFirst(*w)->next), "int a;");
  EXPECT_EQ(text(viewFirst(*w)->next->next), "abcdef");

  LineNode* last = takeBack(w->doc);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(text(last), "int b;");
  LineNode* fold = takeBack(w->doc);
  ASSERT_NE(fold, nullptr);
  EXPECT_EQ(fold->kind, ClosedFold);
  EXPECT_EQ(text(fold), "f");
  EXPECT_EQ(fold->indent, 0);
  EXPECT_EQ(fold->partner()->indent, 0);
  EXPECT_EQ(lineCount(fold), 8);
}

TEST_F(BlocksTest, SaveBlockWritesTheClipboardTextUnderTheChosenName) {
  auto w = file();
  mark(*w, "f", "int b;");
  host.queueAnswer(work.file("part.txt"));
  saveBlock(*w);
  EXPECT_EQ(work.read("part.txt"), kFoldText + "int b;\r\n");
  EXPECT_EQ(w->doc.fileName, work.file("b.c"));
  EXPECT_FALSE(w->doc.modified);

  host.queueAnswer(work.file("missing/dir/part.txt"));
  saveBlock(*w);
  EXPECT_EQ(host.lastStatus(), "Error opening " + work.file("missing/dir/part.txt"));
}

TEST_F(BlocksTest, FoldBlockMakesAClosedFoldAtTheLeftmostLine) {
  work.write("b.c", lines({"top", "    a", "  b", "", "    c", "bottom"}));
  auto w = open("b.c");
  mark(*w, "    a", "    c");
  foldBlock(*w);
  EXPECT_TRUE(w->doc.modified);
  EXPECT_FALSE(w->markActive);
  LineNode* h = w->currentLine;
  ASSERT_EQ(h->kind, ClosedFold);
  EXPECT_EQ(foldColumn(h), 2);
  EXPECT_EQ(text(h->next), "bottom");
  EXPECT_EQ(saved(*w), lines({"top", "  /*{{{*/", "    a", "  b", "", "    c", "  /*}}}*/",
                              "bottom"}));
}

TEST_F(BlocksTest, FoldBlockRefusesAHeaderLeftOfTheFirstLine) {
  work.write("b.c", lines({"    /*{{{  g*/", "    /*}}}*/", "/*{{{  f*/", "/*}}}*/", "z"}));
  auto w = open("b.c");
  mark(*w, "g", "f");
  const auto before = view(*w);
  foldBlock(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato can't fold this block");
  EXPECT_EQ(view(*w), before);
  EXPECT_FALSE(w->doc.modified);
}

TEST_F(BlocksTest, FortranMarkerLinesKeepEveryByteOfTheMarker) {
  work.write("f.f", lines({"C{{{  f", " CALL X", "C}}}", "      END"}));
  auto w = std::make_unique<EditorView>(ctx, work.file("f.f"));
  w->doc.setCommentStart("C");
  w->doc.setCommentEnd("");
  w->doc.setFileTypeName("FORTRAN");
  w->doc.nameGiven = true;
  w->doc.pendingName = work.file("f.f");
  buildFileChain(w->doc);
  read(w->doc, nullptr, w->doc.levelTop->next, w->doc.levelBottom, true);
  finishFileChain(w->doc);
  PlaceCursor(*w, 2);
  mark(*w, "f", "f");
  copyBlock(*w);
  EXPECT_EQ(*host.clipboardText(), "C...  f\r\n CALL X\r\nC}}}\r\n");
  w->clearMark();
  cursorTo(*w, "      END");
  pasteBlock(*w);
  LineNode* h = w->currentLine->prev;
  ASSERT_EQ(h->kind, ClosedFold);
  EXPECT_EQ(text(h), "f");
  EXPECT_EQ(foldColumn(h), 0);
  EXPECT_EQ(text(h->inner()), " CALL X");
}

TEST_F(BlocksTest, CommentFoldContentsCarryTheCommentSigns) {
  work.write("b.c", lines({"/*{{{  COMMENT note*/", "/*hello*/", "/*}}}*/", "z"}));
  auto w = open("b.c");
  mark(*w, "COMMENT note", "COMMENT note");
  copyBlock(*w);
  EXPECT_EQ(*host.clipboardText(), "...  COMMENT note\r\n/*hello*/\r\n}}}\r\n");
  w->clearMark();
  cursorTo(*w, "z");
  pasteBlock(*w);
  EXPECT_EQ(text(w->currentLine->prev->inner()), "hello");
}

TEST_F(BlocksTest, MarkingKeysExtendTheMarkAndTheBlockFollows) {
  auto w = file();
  cursorTo(*w, "int b;");
  markDown(*w);
  EXPECT_TRUE(w->markActive);
  EXPECT_EQ(text(w->currentLine), "abcdef");
  markDown(*w);
  EXPECT_EQ(text(w->blockFirst), "int b;");
  EXPECT_EQ(w->blockEnd, w->doc.levelBottom);  // the last line is in the block
  markUp(*w);
  copyBlock(*w);
  EXPECT_EQ(*host.clipboardText(), "int b;\r\nabcdef\r\n");
  markUp(*w);
  markUp(*w);
  EXPECT_EQ(text(w->blockFirst), "f");
  copyBlock(*w);
  EXPECT_EQ(*host.clipboardText(), kFoldText + "int b;\r\n");

  w->clearMark();
  cursorTo(*w, "int a;");
  markPageDown(*w);
  EXPECT_EQ(text(w->blockFirst), "int a;");
  EXPECT_EQ(w->currentLine, w->doc.levelBottom);  // a page takes the short file
  markPageUp(*w);
  EXPECT_EQ(w->markFirstLine, viewFirst(*w));
  EXPECT_EQ(text(w->markLastLine), "int a;");
}

}  // namespace
