#include "engine/navigation.hpp"

#include <sys/stat.h>

#include "engine/enginetest.hpp"
#include "engine/filecommands.hpp"
#include "model/settings.hpp"

namespace {

// Two nested folds; the inner one's marker stands at column 2.
const std::vector<std::string> kNested = {
    "int a;",       "/*{{{  outer*/", "x1",          "  /*{{{  inner*/", "  y1",
    "  y2",         "  /*}}}*/",      "x2",          "/*}}}*/",          "int b;",
};

class NavigationTest : public EngineTest {
 protected:
  std::unique_ptr<EditorView> nested() {
    work.write("n.c", lines(kNested));
    return open("n.c");
  }
};

TEST_F(NavigationTest, EnterPutsCursorOnFirstInnerLineAndExitRestoresHeaderRow) {
  std::vector<std::string> v;
  for (int i = 1; i <= 30; ++i) v.push_back("l" + std::to_string(i));
  v.insert(v.end(), {"/*{{{  f*/", "in1", "in2", "/*}}}*/", "tail"});
  for (int i = 1; i <= 30; ++i) v.push_back("m" + std::to_string(i));
  work.write("e.c", lines(v));
  auto w = open("e.c");
  cursorTo(*w, "f", 10);
  LineNode* header = w->currentLine;
  ASSERT_EQ(w->cursorRow, 10);

  EnterFold(*w);
  EXPECT_EQ(text(w->currentLine), "in1");
  EXPECT_EQ(w->cursorRow, 2);  // only the header is above it
  EXPECT_EQ(view(*w), (std::vector<std::string>{"{{{  f", "in1", "in2", "}}}"}));
  EXPECT_EQ(w->foldDepth, 1);
  EXPECT_EQ(versionText(*w), "Plicato V4.1 (f)");

  ExitFold(*w);
  EXPECT_EQ(w->currentLine, header);
  EXPECT_EQ(header->kind, ClosedFold);
  EXPECT_EQ(w->cursorRow, 10);
  EXPECT_EQ(w->foldDepth, 0);
  EXPECT_EQ(text(header->next), "tail");
  EXPECT_EQ(w->doc.levelTop, w->doc.fileTop);
}

TEST_F(NavigationTest, RefusalsOnLinesThatAreNoSimpleFold) {
  auto w = nested();
  cursorTo(*w, "int a;");
  EnterFold(*w);
  OpenInPlace(*w);
  EXPECT_EQ(host.statusTexts(), (std::vector<std::string>{"Plicato line is not a simple fold!!",
                                                          "Plicato line is not a simple fold!!"}));
  EXPECT_EQ(w->doc.levelTop, w->doc.fileTop);
}

TEST_F(NavigationTest, NestedEnterCountsDepthAndColumns) {
  auto w = nested();
  cursorTo(*w, "outer");
  EnterFold(*w);
  cursorTo(*w, "inner");
  EnterFold(*w);
  EXPECT_EQ(view(*w), (std::vector<std::string>{"{{{  inner", "y1", "y2", "}}}"}));
  EXPECT_EQ(foldInfo(*w), "Enter depth  2 folds. 2 spaces. ");
  ExitFold(*w);
  EXPECT_EQ(text(w->currentLine), "inner");
  EXPECT_EQ(displayText(*w->currentLine), "  ...  inner");
  ExitFold(*w);
  EXPECT_EQ(foldInfo(*w), "Enter depth  0 folds. 0 spaces. ");
}

TEST_F(NavigationTest, OpenAllShowsTheFileAndCloseAllWritesItBackUnchanged) {
  auto w = nested();
  cursorTo(*w, "int a;");
  OpenAllFolds(*w);
  EXPECT_EQ(view(*w), (std::vector<std::string>{"{{{F n.c", "int a;", "{{{  outer", "x1",
                                                "  {{{  inner", "  y1", "  y2", "  }}}", "x2",
                                                "}}}", "int b;", "}}}"}));
  // Written while open, and again after closing: the file stays as it was.
  w->doc.modified = true;
  ASSERT_TRUE(saveCommand(*w));
  EXPECT_EQ(work.read("n.c"), lines(kNested));
  CloseAllFolds(*w);
  EXPECT_EQ(view(*w), (std::vector<std::string>{"{{{F n.c", "int a;", "...  outer", "int b;", "}}}"}));
  w->doc.modified = true;
  ASSERT_TRUE(saveCommand(*w));
  EXPECT_EQ(work.read("n.c"), lines(kNested));
}

TEST_F(NavigationTest, CloseOnAnEndLineClosesThatFold) {
  auto w = nested();
  OpenAllFolds(*w);
  LineNode* inner = find(*w, "inner");
  w->currentLine = inner->partner();
  CloseFold(*w);
  EXPECT_EQ(w->currentLine, inner);
  EXPECT_EQ(inner->kind, ClosedFold);
  EXPECT_EQ(find(*w, "outer")->kind, OpenFold);
  EXPECT_EQ(text(inner->next), "x2");
}

TEST_F(NavigationTest, CloseWithoutOpenFoldSaysWhereTheCursorIs) {
  auto w = nested();
  cursorTo(*w, "int b;");
  CloseFold(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato at top");
  cursorTo(*w, "outer");
  EnterFold(*w);
  CloseFold(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato use exit fold !");
  // The end line of the view belongs to no open fold.
  OpenAllFolds(*w);
  w->currentLine = w->doc.levelBottom;
  CloseFold(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato use exit fold !");
  EXPECT_EQ(find(*w, "inner")->kind, OpenFold);
}

TEST_F(NavigationTest, CloseAllMovesCursorFromInsideToOutermostHeader) {
  auto w = nested();
  OpenAllFolds(*w);
  cursorTo(*w, "y2", 8);
  CloseAllFolds(*w);
  EXPECT_EQ(text(w->currentLine), "outer");
  EXPECT_EQ(w->currentLine->kind, ClosedFold);
  // It keeps its row as far as there are lines above it: three here.
  EXPECT_EQ(w->cursorRow, 3);
}

TEST_F(NavigationTest, GotoCountsLinesInsideClosedFoldsAndOpensOnlyTheWayThere) {
  auto w = nested();
  gotoLineNumber(*w, 6);  // header, int a;, outer, x1, inner, y1
  EXPECT_EQ(text(w->currentLine), "y1");
  EXPECT_EQ(find(*w, "outer")->kind, OpenFold);
  EXPECT_EQ(find(*w, "inner")->kind, OpenFold);
  EXPECT_EQ(w->shownAt(w->cursorRow).line, w->currentLine);

  gotoLineNumber(*w, 11);
  EXPECT_EQ(text(w->currentLine), "int b;");
  EXPECT_EQ(find(*w, "outer")->kind, ClosedFold);

  gotoLineNumber(*w, 999);
  EXPECT_EQ(w->currentLine, w->doc.levelBottom);
}

TEST_F(NavigationTest, GotoZeroOrNoNumberDoesNothing) {
  auto w = nested();
  cursorTo(*w, "int b;", 3);
  LineNode* before = w->currentLine;
  const int row = w->cursorRow;
  host.queueAnswer("0");
  GotoLine(*w);
  host.queueAnswer("abc");
  GotoLine(*w);
  host.queueAnswer("");  // cancelled
  GotoLine(*w);
  EXPECT_EQ(w->currentLine, before);
  EXPECT_EQ(w->cursorRow, row);
  host.queueAnswer(" 2");
  GotoLine(*w);
  EXPECT_EQ(text(w->currentLine), "int a;");
}

TEST_F(NavigationTest, TopAndBottomOfFold) {
  std::vector<std::string> v;
  for (int i = 1; i <= 60; ++i) v.push_back("l" + std::to_string(i));
  work.write("long.c", lines(v));
  auto w = open("long.c");
  cursorTo(*w, "l30", 12);
  BottomOfFold(*w);
  EXPECT_EQ(w->currentLine, w->doc.levelBottom);
  EXPECT_EQ(w->bottomLine, w->doc.levelBottom);
  EXPECT_EQ(w->shownAt(w->cursorRow).line, w->doc.levelBottom);
  TopOfFold(*w);
  EXPECT_EQ(w->currentLine, viewFirst(*w));
  EXPECT_EQ(w->cursorRow, 1);
  // Close to the end the cursor walks there.
  cursorTo(*w, "l58", 12);
  const int row = w->cursorRow;
  BottomOfFold(*w);
  EXPECT_EQ(w->currentLine, w->doc.levelBottom);
  EXPECT_EQ(w->cursorRow, row + 3);
}

TEST_F(NavigationTest, ExitAtTopWithoutChangesOnlySaysSo) {
  auto w = nested();
  for (bool autoSave : {false, true}) {
    settings().autoSaveAtTopLevel = autoSave;
    host.clearEvents();
    ExitFold(*w);
    EXPECT_EQ(host.statusTexts(), std::vector<std::string>{"Plicato at top level already!"});
    EXPECT_TRUE(host.boxTexts().empty());
  }
  // Modified, with the setting on, the file is saved.
  assign(*find(*w, "int a;"), "int a2;");
  w->doc.modified = true;
  ExitFold(*w);
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(work.read("n.c").substr(0, 8), "int a2;\n");
}

TEST_F(NavigationTest, FoldInfoShowsAttributesAndFiledName) {
  work.write("i.c", lines({"/*{{{  t*/", "/*:::A  2 1*/", "/*}}}*/", "/*...F f*/", "/*:::A  1 0*/",
                           "/*:::F sub/f.c*/"}));
  auto w = open("i.c");
  cursorTo(*w, "t");
  EXPECT_EQ(foldInfo(*w), "Enter depth  0 folds. 0 spaces. :::A  2 1");
  cursorTo(*w, "f");
  EXPECT_EQ(foldInfo(*w), "Enter depth  0 folds. 0 spaces. :::A  1 0 sub/f.c");
}

// --- filed folds ------------------------------------------------------

const std::vector<std::string> kParent = {
    "top",          "/*{{{  wrap*/", "/*...F child*/", "/*:::A  1 0*/",
    "/*:::F sub/child.c*/", "after",  "/*}}}*/",        "end",
};

class FiledFoldTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ::mkdir(work.file("sub").c_str(), 0755);
    work.write("p.c", lines(kParent));
    work.write("sub/child.c", lines({"c1", "c2"}));
  }
  // In the parent's fold "wrap", the cursor on the filed fold.
  std::unique_ptr<EditorView> atFiledFold() {
    auto w = open("p.c");
    cursorTo(*w, "wrap");
    EnterFold(*w);
    cursorTo(*w, "child");
    return w;
  }
};

TEST_F(FiledFoldTest, EnteredEditedAndLeftWritesItsFileAndKeepsTheReference) {
  auto w = atFiledFold();
  LineNode* header = w->currentLine;
  const int row = w->cursorRow;
  EnterFold(*w);
  ASSERT_TRUE(inFiledFile(*w));
  EXPECT_EQ(view(*w), (std::vector<std::string>{"{{{F child", "c1", "c2", "}}}"}));
  EXPECT_EQ(w->doc.fileName, work.file("sub/child.c"));
  EXPECT_EQ(w->doc.title, work.file("sub/child.c"));
  EXPECT_EQ(text(w->currentLine), "c1");

  assign(*w->currentLine, "c1 edited");
  w->doc.modified = true;
  ExitFold(*w);
  EXPECT_FALSE(inFiledFile(*w));
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(work.read("sub/child.c"), lines({"c1 edited", "c2"}));
  // Back where it was: in "wrap", on the filed fold, at its row.
  EXPECT_EQ(w->currentLine, header);
  EXPECT_EQ(w->cursorRow, row);
  EXPECT_EQ(viewFirst(*w)->kind, EnteredFold);
  EXPECT_EQ(header->kind, FiledFold);
  EXPECT_EQ(header->inner(), header->partner());
  EXPECT_EQ(text(header->partner()), "sub/child.c");
  EXPECT_EQ(w->doc.fileName, work.file("p.c"));
  EXPECT_EQ(w->doc.basePathTop, 0);

  // The parent written again refers to the same file.
  w->doc.modified = true;
  ASSERT_TRUE(saveCommand(*w));
  EXPECT_EQ(work.read("p.c"), lines(kParent));
}

TEST_F(FiledFoldTest, ModifiedParentIsWrittenBeforeTheFiledFileIsLoaded) {
  auto w = atFiledFold();
  assign(*find(*w, "after"), "after2");
  w->doc.modified = true;
  cursorTo(*w, "child");
  EnterFold(*w);
  ASSERT_TRUE(inFiledFile(*w));
  EXPECT_FALSE(w->doc.modified);
  EXPECT_NE(work.read("p.c").find("after2\n"), std::string::npos);
}

TEST_F(FiledFoldTest, RefusedFiledFolds) {
  work.write("r.c", lines({"/*...F me*/", "/*:::A  1 0*/", "/*:::F r.c*/",     //
                           "/*{{{F plain*/", "/*:::F sub/child.c*/", "/*}}}*/",  //
                           "/*...F gone*/", "/*:::A  1 0*/", "/*:::F nothere.c*/"}));
  auto w = open("r.c");
  cursorTo(*w, "me");
  EnterFold(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato cannot enter listing of filed fold");
  cursorTo(*w, "plain");
  EnterFold(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato not text fold");
  cursorTo(*w, "gone");
  EnterFold(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato file '" + work.file("nothere.c") + "' not found");
  EXPECT_FALSE(inFiledFile(*w));
  EXPECT_EQ(w->doc.basePathTop, 0);
}

TEST_F(FiledFoldTest, FailedSaveOfTheFiledFileKeepsItShown) {
  auto w = atFiledFold();
  EnterFold(*w);
  ASSERT_TRUE(inFiledFile(*w));
  ::chmod(work.file("sub/child.c").c_str(), 0444);
  assign(*w->currentLine, "c1 edited");
  w->doc.modified = true;
  host.clearEvents();
  ExitFold(*w);
  EXPECT_TRUE(boxSaid("Permission denied"));
  EXPECT_TRUE(inFiledFile(*w));
  EXPECT_TRUE(w->doc.modified);
  EXPECT_EQ(text(find(*w, "c1 edited")), "c1 edited");
  EXPECT_EQ(work.read("sub/child.c"), lines({"c1", "c2"}));
  // The window cannot go either.
  EXPECT_FALSE(exitSave(*w));
  EXPECT_TRUE(inFiledFile(*w));
  ::chmod(work.file("sub/child.c").c_str(), 0644);
  EXPECT_TRUE(exitSave(*w));
  EXPECT_EQ(work.read("sub/child.c"), lines({"c1 edited", "c2"}));
}

TEST_F(FiledFoldTest, ExitAllLeavesFiledFilesAndEnteredFolds) {
  auto w = atFiledFold();
  EnterFold(*w);
  assign(*w->currentLine, "c1 again");
  w->doc.modified = true;
  ASSERT_TRUE(exitAllFolds(*w));
  EXPECT_FALSE(inFiledFile(*w));
  EXPECT_EQ(w->doc.levelTop, w->doc.fileTop);
  EXPECT_EQ(w->foldDepth, 0);
  EXPECT_EQ(text(w->currentLine), "wrap");
  EXPECT_EQ(work.read("sub/child.c"), lines({"c1 again", "c2"}));
  EXPECT_EQ(work.read("p.c"), lines(kParent));
}

TEST_F(FiledFoldTest, FiledFoldInsideAFiledFileIsFoundFromItsOwnDirectory) {
  work.write("sub/child.c", lines({"c1", "/*...F gc*/", "/*:::A  1 0*/", "/*:::F gc.c*/"}));
  work.write("sub/gc.c", "g1\r\ng2\r\n");
  auto w = atFiledFold();
  EnterFold(*w);
  cursorTo(*w, "gc");
  EnterFold(*w);
  ASSERT_EQ(w->doc.filedLevels.size(), 2u);
  EXPECT_EQ(w->doc.fileName, work.file("sub/gc.c"));
  assign(*find(*w, "g2"), "g2 edited");
  w->doc.modified = true;
  ASSERT_TRUE(exitAllFolds(*w));
  EXPECT_EQ(w->doc.filedLevels.size(), 0u);
  EXPECT_EQ(w->doc.basePathTop, 0);
  // Written back with the line ends it had; both references unchanged.
  EXPECT_EQ(work.read("sub/gc.c"), "g1\r\ng2 edited\r\n");
  EXPECT_EQ(work.read("sub/child.c"), lines({"c1", "/*...F gc*/", "/*:::A  1 0*/", "/*:::F gc.c*/"}));
  EXPECT_EQ(work.read("p.c"), lines(kParent));
}

TEST_F(FiledFoldTest, FiledFileReferringBackToItsParentIsRefused) {
  work.write("sub/child.c", lines({"/*...F back*/", "/*:::A  1 0*/", "/*:::F ../p.c*/"}));
  auto w = atFiledFold();
  EnterFold(*w);
  cursorTo(*w, "back");
  EnterFold(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato cannot enter listing of filed fold");
  EXPECT_EQ(w->doc.filedLevels.size(), 1u);
}

}  // namespace
