#include "engine/filedfolds.hpp"

#include <sys/stat.h>

#include "engine/enginetest.hpp"
#include "engine/filecommands.hpp"
#include "engine/undo.hpp"
#include "model/paths.hpp"

namespace {

const std::vector<std::string> kFile = {
    "int a;",     "/*{{{  part.c*/", "x1   ", "", "  /*{{{  inner*/", "  y1",
    "  /*}}}*/",  "x2",              "/*}}}*/", "int b;",
};

class FiledFoldsTest : public EngineTest {
 protected:
  std::unique_ptr<EditorView> file() {
    work.write("m.c", lines(kFile));
    return open("m.c");
  }
  std::string saved(EditorView& w) {
    EXPECT_TRUE(saveCommand(w));
    return work.read("m.c");
  }
  // The file as the writer gives it back: trailing blanks go.
  static std::vector<std::string> trimmed(std::vector<std::string> v) {
    for (auto& l : v)
      while (!l.empty() && l.back() == ' ') l.pop_back();
    return v;
  }
};

TEST_F(FiledFoldsTest, FilingWritesTheContentsAndUnfilingGivesThemBack) {
  auto w = file();
  cursorTo(*w, "part.c");
  LineNode* h = w->currentLine;
  fileUnfileFold(*w);
  ASSERT_EQ(h->kind, FiledFold);
  EXPECT_EQ(h->inner(), h->partner());
  EXPECT_EQ(text(h->partner()), work.file("part.c"));
  EXPECT_TRUE(w->doc.modified);
  EXPECT_EQ(work.read("part.c"), lines({"x1", "", "  /*{{{  inner*/", "  y1", "  /*}}}*/", "x2"}));
  EXPECT_EQ(w->doc.fileName, work.file("m.c"));  // the window keeps its own name
  EXPECT_EQ(saved(*w), lines({"int a;", "/*{{{F part.c*/", "/*:::F " + work.file("part.c") + "*/",
                              "/*}}}*/", "int b;"}));

  fileUnfileFold(*w);
  ASSERT_EQ(h->kind, ClosedFold);
  EXPECT_EQ(text(h->inner()), "x1");
  EXPECT_EQ(saved(*w), lines(trimmed(kFile)));
}

// Filing is undone in the tree: the fold comes back with its lines, and the
// file it wrote stays written, which the undo says.
TEST_F(FiledFoldsTest, UndoOfFilingGivesTheFoldBackAndLeavesTheFileWritten) {
  auto w = file();
  cursorTo(*w, "part.c");
  LineNode* h = w->currentLine;
  {
    ChangeScope step(*w);
    step.wroteFiles();
    fileUnfileFold(*w);
  }
  ASSERT_EQ(h->kind, FiledFold);
  const std::string written = work.read("part.c");
  undoCommand(*w);
  EXPECT_EQ(w->currentLine, h);
  ASSERT_EQ(h->kind, ClosedFold);
  EXPECT_EQ(text(h->inner()), "x1");
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(host.statusTexts().back(), "Undone in the editor; the file it wrote stays as written");
  EXPECT_EQ(work.read("part.c"), written);
  redoCommand(*w);
  EXPECT_EQ(h->kind, FiledFold);
  EXPECT_TRUE(w->doc.modified);
  EXPECT_EQ(saved(*w), lines({"int a;", "/*{{{F part.c*/", "/*:::F " + work.file("part.c") + "*/",
                              "/*}}}*/", "int b;"}));
}

TEST_F(FiledFoldsTest, TheFiledFoldSurvivesASaveAndAReadBeforeUnfiling) {
  auto w = file();
  cursorTo(*w, "part.c");
  fileUnfileFold(*w);
  ASSERT_TRUE(saveCommand(*w));
  w.reset();
  auto again = open("m.c");
  cursorTo(*again, "part.c");
  ASSERT_EQ(again->currentLine->kind, FiledFold);
  fileUnfileFold(*again);
  EXPECT_EQ(again->currentLine->kind, ClosedFold);
  EXPECT_EQ(saved(*again), lines(trimmed(kFile)));
}

TEST_F(FiledFoldsTest, FilingOverAnExistingFileAsksAndNoKeepsEverything) {
  auto w = file();
  work.write("part.c", "precious\n");
  cursorTo(*w, "part.c");
  LineNode* h = w->currentLine;
  host.queueAnswer("no");
  fileUnfileFold(*w);
  ASSERT_EQ(host.events().size(), 1u);
  EXPECT_EQ(host.events()[0].caption, "Open");
  EXPECT_EQ(host.events()[0].text, "overwrite " + work.file("part.c"));
  EXPECT_EQ(h->kind, ClosedFold);
  EXPECT_EQ(text(h->inner()), "x1");
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(work.read("part.c"), "precious\n");

  host.queueAnswer("yes");
  fileUnfileFold(*w);
  EXPECT_EQ(h->kind, FiledFold);
  EXPECT_EQ(work.read("part.c").substr(0, 3), "x1\n");
}

TEST_F(FiledFoldsTest, AFailedWriteKeepsTheFold) {
  auto w = file();
  work.write("part.c", "read only\n");
  ASSERT_EQ(::chmod(work.file("part.c").c_str(), 0444), 0);
  cursorTo(*w, "part.c");
  LineNode* h = w->currentLine;
  const int held = ctx.freeCount;
  host.queueAnswer("yes");
  fileUnfileFold(*w);
  EXPECT_EQ(h->kind, ClosedFold);
  EXPECT_EQ(text(h->inner()), "x1");
  EXPECT_EQ(text(h->partner()), "");
  EXPECT_EQ(ctx.freeCount, held);
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(host.boxTexts().size(), 2u);  // the question and the failure
  EXPECT_EQ(work.read("part.c"), "read only\n");
}

TEST_F(FiledFoldsTest, ANameThatCannotBeUsedIsReported) {
  work.write("m.c", lines({"/*{{{  no/such/dir/f.c*/", "x", "/*}}}*/"}));
  auto w = open("m.c");
  cursorTo(*w, "no/such/dir/f.c");
  fileUnfileFold(*w);
  EXPECT_EQ(host.lastStatus(), "Plicato cannot open " + work.file("no/such/dir/f.c"));
  EXPECT_EQ(w->currentLine->kind, ClosedFold);
}

TEST_F(FiledFoldsTest, UnfilingAFoldWhoseFileIsGoneKeepsIt) {
  work.write("m.c", lines({"/*{{{F gone.c*/", "/*:::F gone.c*/", "/*}}}*/"}));
  auto w = open("m.c");
  cursorTo(*w, "gone.c");
  ASSERT_EQ(w->currentLine->kind, FiledFold);
  fileUnfileFold(*w);
  EXPECT_EQ(host.lastStatus(), "File " + work.file("gone.c") + " not found");
  EXPECT_EQ(w->currentLine->kind, FiledFold);
  EXPECT_EQ(text(w->currentLine->partner()), "gone.c");
}

TEST_F(FiledFoldsTest, AttachMakesAnEmptyFoldAFiledFoldOfAnExistingFile) {
  work.write("m.c", lines({"/*{{{  sub.c*/", "/*}}}*/", "/*{{{  full.c*/", "x", "/*}}}*/",
                           "/*{{{  none.c*/", "/*}}}*/"}));
  work.write("sub.c", "s1\n");
  work.write("full.c", "f1\n");
  auto w = open("m.c");

  cursorTo(*w, "full.c");
  attachFileToFold(*w);  // has contents: nothing
  EXPECT_EQ(w->currentLine->kind, ClosedFold);
  EXPECT_TRUE(host.statusTexts().empty());

  cursorTo(*w, "none.c");
  attachFileToFold(*w);
  EXPECT_EQ(host.lastStatus(), "File " + work.file("none.c") + " not found");
  EXPECT_EQ(w->currentLine->kind, ClosedFold);

  cursorTo(*w, "sub.c");
  attachFileToFold(*w);
  EXPECT_EQ(host.lastStatus(), "Attached " + work.file("sub.c"));
  ASSERT_EQ(w->currentLine->kind, FiledFold);
  EXPECT_EQ(text(w->currentLine->partner()), work.file("sub.c"));
  EXPECT_TRUE(w->doc.modified);

  // Unfiling the attached fold reads its file in.
  fileUnfileFold(*w);
  EXPECT_EQ(w->currentLine->kind, ClosedFold);
  EXPECT_EQ(text(w->currentLine->inner()), "s1");
}

TEST_F(FiledFoldsTest, FoldsWithOtherAttributesCannotBeFiledOrAttached) {
  work.write("m.c", lines({"/*{{{  t.c*/", "/*:::A  2 0*/", "x", "/*}}}*/", "/*{{{  e.c*/",
                           "/*:::A  0 0*/", "/*}}}*/"}));
  work.write("e.c", "e\n");
  auto w = open("m.c");
  cursorTo(*w, "t.c");
  fileUnfileFold(*w);
  EXPECT_EQ(w->currentLine->kind, ClosedFold);
  cursorTo(*w, "e.c");
  attachFileToFold(*w);
  EXPECT_EQ(w->currentLine->kind, ClosedFold);
  EXPECT_TRUE(host.events().empty());
  EXPECT_FALSE(fileExists(work.file("t.c")));
  EXPECT_FALSE(w->doc.modified);
}

}  // namespace
