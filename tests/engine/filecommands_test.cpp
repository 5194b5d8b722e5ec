#include "engine/filecommands.hpp"

#include <sys/stat.h>

#include "engine/enginetest.hpp"
#include "engine/navigation.hpp"

namespace {

const std::vector<std::string> kFile = {"int a;", "/*{{{  f*/", "x1", "/*}}}*/", "int b;"};

class FileCommandsTest : public EngineTest {
 protected:
  std::unique_ptr<EditorView> plain() {
    work.write("f.c", lines(kFile));
    return open("f.c");
  }
};

TEST_F(FileCommandsTest, SaveLeavesEnteredFoldsAndClearsModified) {
  auto w = plain();
  cursorTo(*w, "f");
  EnterFold(*w);
  assign(*find(*w, "x1"), "x1 changed");
  w->doc.modified = true;
  ASSERT_TRUE(saveCommand(*w));
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(w->doc.levelTop, w->doc.fileTop);
  EXPECT_EQ(text(w->currentLine), "f");
  EXPECT_EQ(work.read("f.c"), lines({"int a;", "/*{{{  f*/", "x1 changed", "/*}}}*/", "int b;"}));
}

TEST_F(FileCommandsTest, ReadOnlyFileKeepsModifiedAndLines) {
  auto w = plain();
  ::chmod(work.file("f.c").c_str(), 0444);
  assign(*find(*w, "int a;"), "int changed;");
  w->doc.modified = true;
  EXPECT_FALSE(saveCommand(*w));
  EXPECT_TRUE(boxSaid("Permission denied"));
  EXPECT_TRUE(w->doc.modified);
  EXPECT_NE(find(*w, "int changed;"), nullptr);
  EXPECT_EQ(work.read("f.c"), lines(kFile));

  host.clearEvents();
  EXPECT_FALSE(exitSave(*w));  // changes would be lost
  EXPECT_EQ(host.boxTexts(), std::vector<std::string>{"File is read-only - unable to save."});
  EXPECT_TRUE(w->doc.modified);
  EXPECT_EQ(work.read("f.c"), lines(kFile));
  w->doc.modified = false;
  EXPECT_TRUE(exitSave(*w));
}

TEST_F(FileCommandsTest, ExitSaveWritesOnlyWhenModified) {
  auto w = plain();
  work.write("f.c", "replaced on disk\n");
  EXPECT_TRUE(exitSave(*w));
  EXPECT_EQ(work.read("f.c"), "replaced on disk\n");
  w->doc.modified = true;
  // The file changed behind the window: written over only when asked.
  host.clearEvents();
  host.queueAnswer("yes");
  EXPECT_TRUE(exitSave(*w));
  EXPECT_EQ(work.read("f.c"), lines(kFile));
  EXPECT_EQ(host.boxTexts().size(), 1u);
}

TEST_F(FileCommandsTest, SaveAsRenamesTheWindowAndWrites) {
  auto w = plain();
  host.queueAnswer("");  // cancelled
  EXPECT_FALSE(saveAsCommand(*w));
  EXPECT_EQ(w->doc.fileName, work.file("f.c"));

  host.queueAnswer(work.file("copy.c"));
  ASSERT_TRUE(saveAsCommand(*w));
  EXPECT_EQ(work.read("copy.c"), lines(kFile));
  EXPECT_EQ(w->doc.fileName, work.file("copy.c"));
  EXPECT_EQ(w->doc.title, work.file("copy.c"));
  EXPECT_EQ(text(viewFirst(*w)), "copy.c");
  EXPECT_EQ(w->doc.fileTypeName, "C");
  EXPECT_FALSE(w->doc.modified);
  // Saves go to the new name from now on.
  w->doc.modified = true;
  assign(*find(*w, "int b;"), "int c;");
  ASSERT_TRUE(saveCommand(*w));
  EXPECT_EQ(work.read("copy.c").substr(29), "int c;\n");
  EXPECT_EQ(work.read("f.c"), lines(kFile));
}

TEST_F(FileCommandsTest, FailedSaveAsKeepsTheOldName) {
  auto w = plain();
  w->doc.modified = true;
  host.queueAnswer(work.file("no/such/dir/x.c"));
  EXPECT_FALSE(saveAsCommand(*w));
  EXPECT_EQ(w->doc.fileName, work.file("f.c"));
  EXPECT_EQ(text(viewFirst(*w)), "f.c");
  EXPECT_TRUE(w->doc.modified);
  ASSERT_TRUE(saveCommand(*w));
  EXPECT_EQ(work.read("f.c"), lines(kFile));
}

TEST_F(FileCommandsTest, UnnamedBufferSavesThroughSaveAs) {
  auto w = std::make_unique<EditorView>(ctx, "Noname");
  w->doc.setCommentStart("/*");
  w->doc.setCommentEnd("*/");
  w->doc.nameGiven = true;
  buildFileChain(w->doc);
  read(w->doc, nullptr, w->doc.levelTop->next, w->doc.levelBottom, true);
  finishFileChain(w->doc);
  assign(*w->doc.levelTop->next, "Noname");
  assign(*w->doc.levelBottom, "Noname");
  LineNode* line = newLineNode(w->doc);
  assign(*line, "hello");
  linkAfter(w->doc.levelTop->next, line);
  linkAfter(line, w->doc.levelBottom);
  w->currentLine = line;
  PlaceCursor(*w, 2);
  w->doc.modified = true;

  host.queueAnswer("");
  EXPECT_FALSE(exitSave(*w));  // no name, no save: the window stays
  EXPECT_TRUE(w->doc.modified);
  host.queueAnswer(work.file("new.c"));
  ASSERT_TRUE(saveCommand(*w));
  EXPECT_EQ(work.read("new.c"), "hello\r\n");
  EXPECT_FALSE(w->doc.modified);
}

TEST_F(FileCommandsTest, ReloadDiscardsChangesAndKeepsTreeWhenFileIsGone) {
  auto w = plain();
  cursorTo(*w, "f");
  EnterFold(*w);
  assign(*find(*w, "x1"), "x1 changed");
  w->doc.modified = true;
  ASSERT_TRUE(reloadCommand(*w));
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(w->doc.levelTop, w->doc.fileTop);
  EXPECT_EQ(view(*w), (std::vector<std::string>{"{{{F f.c", "int a;", "...  f", "int b;", "}}}"}));
  EXPECT_EQ(text(find(*w, "f")->inner()), "x1");

  assign(*find(*w, "int a;"), "int kept;");
  w->doc.modified = true;
  ::unlink(work.file("f.c").c_str());
  EXPECT_FALSE(reloadCommand(*w));
  EXPECT_EQ(host.lastStatus(), "Plicato file '" + work.file("f.c") + "' not found");
  EXPECT_TRUE(w->doc.modified);
  EXPECT_NE(find(*w, "int kept;"), nullptr);
}

TEST_F(FileCommandsTest, InsertFileGoesAboveTheCursorWithItsFolds) {
  auto w = plain();
  work.write("ins.c", lines({"i1", "/*{{{  g*/", "g1", "/*}}}*/"}));
  cursorTo(*w, "int b;");
  host.queueAnswer(work.file("ins.c"));
  ASSERT_TRUE(insertFileCommand(*w));
  EXPECT_TRUE(w->doc.modified);
  EXPECT_EQ(text(w->currentLine), "i1");
  EXPECT_EQ(view(*w), (std::vector<std::string>{"{{{F f.c", "int a;", "...  f", "i1", "...  g",
                                                "int b;", "}}}"}));
  ASSERT_TRUE(saveCommand(*w));
  EXPECT_EQ(work.read("f.c"), lines({"int a;", "/*{{{  f*/", "x1", "/*}}}*/", "i1", "/*{{{  g*/",
                                     "g1", "/*}}}*/", "int b;"}));
}

TEST_F(FileCommandsTest, InsertFileAtTheEndOfAnEnteredFoldTakesTheFoldsColumn) {
  // The inner fold is entered from inside the open outer one, whose marker
  // column shifts it by two.
  work.write("d.c", lines({"  /*{{{  outer*/", "  /*{{{  inner*/", "  i1", "  /*}}}*/",
                           "  /*}}}*/"}));
  work.write("zz.c", "zz\n");
  auto w = open("d.c");
  cursorTo(*w, "outer");
  OpenInPlace(*w);
  cursorTo(*w, "inner");
  EnterFold(*w);
  w->currentLine = w->doc.levelBottom;
  host.queueAnswer(work.file("zz.c"));
  ASSERT_TRUE(insertFileCommand(*w));
  EXPECT_EQ(view(*w), (std::vector<std::string>{"{{{  inner", "i1", "zz", "}}}"}));
  ASSERT_TRUE(saveCommand(*w));
  EXPECT_EQ(work.read("d.c"), lines({"  /*{{{  outer*/", "  /*{{{  inner*/", "  i1", "  zz",
                                     "  /*}}}*/", "  /*}}}*/"}));
}

TEST_F(FileCommandsTest, InsertFileRefusals) {
  auto w = plain();
  w->currentLine = viewFirst(*w);  // nothing goes above a file's top line
  host.queueAnswer(work.file("missing.c"));
  EXPECT_FALSE(insertFileCommand(*w));
  EXPECT_EQ(host.answersLeft(), 1u);  // not even asked
  cursorTo(*w, "int a;");
  EXPECT_FALSE(insertFileCommand(*w));
  EXPECT_EQ(host.lastStatus(), "Plicato file '" + work.file("missing.c") + "' not found");
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(view(*w).size(), 5u);
}

}  // namespace
