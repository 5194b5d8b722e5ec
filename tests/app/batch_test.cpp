// The editor driven through the whole key path: key scripts become Windows
// key messages, the translation puts bytes in the keyboard buffer, and the
// dispatcher runs the commands, as a user's key presses would.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include "app/batch.hpp"
#include "commands/keytable.hpp"
#include "display/stdiowindow.hpp"
#include "model/settings.hpp"
#include "support/runprogram.hpp"
#include "support/testenv.hpp"

namespace {

// A C file with a fold "outer" holding text and a fold "inner", then more
// lines, long enough that placement rules show.
std::string sampleC() {
  std::string s;
  for (int i = 1; i <= 6; ++i) s += "top" + std::to_string(i) + "\r\n";
  s += "/*{{{  outer*/\r\n";
  for (int i = 1; i <= 5; ++i) s += "o" + std::to_string(i) + "\r\n";
  s += "/*{{{  inner*/\r\ni1\r\ni2\r\n/*}}}*/\r\n";
  s += "o6\r\n/*}}}*/\r\n";
  for (int i = 7; i <= 9; ++i) s += "top" + std::to_string(i) + "\r\n";
  return s;
}

class BatchTest : public PlicatoTest {
 protected:
  void SetUp() override {
    PlicatoTest::SetUp();
    setProcessHost(nullptr);  // the session installs its own host
    work.write("a.c", sampleC());
  }
  std::unique_ptr<BatchSession> session(int layout = kLayoutStandard) {
    StartOptions o;
    o.configDir = config.path();
    o.layout = layout;
    auto s = std::make_unique<BatchSession>(o);
    s->open(work.file("a.c"));
    return s;
  }
  static std::string cur(BatchSession& s) { return s.target()->currentLine->text; }
  static void keys(BatchSession& s, const std::string& script) {
    ASSERT_TRUE(s.type(script));
    s.run();
  }
};

TEST_F(BatchTest, EnterPutsTheCursorOnTheFirstInnerLineAndExitComesBack) {
  auto s = session();
  keys(*s, "Down Down Down Down Down Down");  // onto "outer" at row 8
  TStdioWindow& w = *s->target();
  ASSERT_EQ(w.currentLine->kind, ClosedFold);
  const int row = w.cursorRow;
  keys(*s, "Home");
  EXPECT_EQ(cur(*s), "o1");
  EXPECT_EQ(w.cursorRow, 2);  // only the header above it
  EXPECT_EQ(w.foldDepth, 1);
  keys(*s, "Down Down Down Down Down Home");  // into "inner" from row 7
  EXPECT_EQ(cur(*s), "i1");
  keys(*s, "PgUp");
  EXPECT_STREQ(w.currentLine->text, "inner");
  EXPECT_EQ(w.cursorRow, 7);
  keys(*s, "PgUp");
  EXPECT_STREQ(w.currentLine->text, "outer");
  EXPECT_EQ(w.cursorRow, row);
  EXPECT_EQ(w.foldDepth, 0);
  keys(*s, "PgUp");
  EXPECT_EQ(s->host.lastStatus(), "Plicato at top level already!");
  EXPECT_FALSE(w.modified);
}

TEST_F(BatchTest, CloseOnAnEndLineAndCloseAllFromInside) {
  auto s = session();
  TStdioWindow& w = *s->target();
  keys(*s, "Down Down Down Down Down Down End");  // open "outer" in place
  EXPECT_EQ(w.currentLine->kind, OpenFold);
  keys(*s, "Down Down Down Down Down Down End Down Down Down");  // open inner, onto its end
  ASSERT_EQ(w.currentLine->kind, FoldEnd);
  keys(*s, "PgDn");
  EXPECT_EQ(w.currentLine->kind, ClosedFold);
  EXPECT_STREQ(w.currentLine->text, "inner");
  keys(*s, "End Down Alt-F5");  // open it again, step inside, close all
  EXPECT_EQ(w.currentLine->kind, ClosedFold);
  EXPECT_STREQ(w.currentLine->text, "outer");
  keys(*s, "PgDn");
  EXPECT_EQ(s->host.lastStatus(), "Plicato at top");
}

TEST_F(BatchTest, GotoLineOpensTheFoldsAroundTheTarget) {
  auto s = session();
  TStdioWindow& w = *s->target();
  s->host.queueAnswer("0");
  keys(*s, "Ctrl-G");
  EXPECT_EQ(cur(*s), "top1");
  s->host.queueAnswer("16");  // i2: the file's top line is line 1
  keys(*s, "Ctrl-G");
  EXPECT_EQ(cur(*s), "i2");
  EXPECT_EQ(w.currentLine->prev->prev->kind, OpenFold);
  s->host.queueAnswer("9999");
  keys(*s, "Ctrl-G");
  EXPECT_EQ(w.currentLine, w.levelBottom);
  s->host.queueAnswer("x");
  keys(*s, "Ctrl-G");
  EXPECT_EQ(w.currentLine, w.levelBottom);
}

TEST_F(BatchTest, BrowseModeRefusesTextButMoves) {
  auto s = session();
  TStdioWindow& w = *s->target();
  keys(*s, "Shift-F1 \"x\" Down");
  EXPECT_EQ(cur(*s), "top2");
  EXPECT_EQ(s->host.statusTexts()[s->host.statusTexts().size() - 2], "Plicato browse mode!");
  EXPECT_FALSE(w.modified);
  keys(*s, "Shift-F1 \"x\"");
  EXPECT_EQ(cur(*s), "xtop2");
  EXPECT_TRUE(w.modified);
}

TEST_F(BatchTest, RefusalsOfTheDispatcher) {
  auto s = session();
  TStdioWindow& w = *s->target();
  w.createFoldMode = true;
  keys(*s, "F5");
  EXPECT_EQ(s->host.lastStatus(), "Plicato key disabled during create fold");
  w.createFoldMode = false;
  keys(*s, "Down Down Down Down Down Down Home Ctrl-End");
  EXPECT_EQ(s->host.lastStatus(), "Plicato not at top");
  ASSERT_NE(s->target(), nullptr);
}

TEST_F(BatchTest, TypedLinesAreSavedAndExitClosesTheWindow) {
  auto s = session(kLayoutWindows);
  // Enter splits the line at the cursor; the blank before the split goes.
  keys(*s, "\"// \" Enter \"new \" Ctrl-S");
  EXPECT_EQ(readFile(work.file("a.c")).substr(0, 20), "//\r\nnew top1\r\ntop2\r\n");
  keys(*s, "Ctrl-Q");
  EXPECT_EQ(s->target(), nullptr);
  EXPECT_TRUE(s->app().documents().empty());
}

TEST_F(BatchTest, FiledFoldEnteredEditedAndLeft) {
  work.write("part.c", "p1\r\np2\r\n");
  work.write("main.c", "m1\r\n/*...F  part*/\r\n/*:::A  1 0*/\r\n/*:::F part.c*/\r\nm2\r\n");
  StartOptions o;
  o.configDir = config.path();
  o.layout = kLayoutStandard;
  BatchSession s(o);
  s.open(work.file("main.c"));
  TStdioWindow& w = *s.target();
  keys(s, "Down Home");
  EXPECT_EQ(cur(s), "p1");
  keys(s, "\"x\" PgUp");
  EXPECT_EQ(readFile(work.file("part.c")), "xp1\r\np2\r\n");
  EXPECT_EQ(w.currentLine->kind, FiledFold);
  EXPECT_EQ(readFile(work.file("main.c")),
            "m1\r\n/*...F  part*/\r\n/*:::A  1 0*/\r\n/*:::F part.c*/\r\nm2\r\n");
}

// Another program changed the file after it was read: leaving the top
// level's auto-save skips it and says so, a save asks, and No writes
// nothing and keeps the window modified. The answers come from the queue
// that --answer fills.
TEST_F(BatchTest, FileChangedOnDiskIsWrittenOverOnlyWhenTheUserSaysSo) {
  auto s = session();
  settings().autoSaveAtTopLevel = true;
  TStdioWindow& w = *s->target();
  keys(*s, "\"k\"");
  const std::string path = work.file("a.c");
  writeFile(path, "theirs\r\n");
  struct timespec t[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 5, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), t, 0);
  keys(*s, keyNameOfCommand(cmdExitFold));
  EXPECT_EQ(s->host.lastStatus(), "Auto-save skipped: " + path + " has changed on disk");
  EXPECT_EQ(readFile(path), "theirs\r\n");
  const std::string save = keyNameOfCommand(cmdSave);
  s->host.queueAnswer("no");
  keys(*s, save);
  EXPECT_EQ(readFile(path), "theirs\r\n");
  EXPECT_TRUE(w.modified);
  ASSERT_EQ(s->host.boxTexts().size(), 1u);
  EXPECT_EQ(s->host.boxTexts()[0], "The file " + path +
                                       " has changed on disk since it was read.\nSave it anyway and "
                                       "overwrite those changes?");
  s->host.queueAnswer("yes");
  keys(*s, save);
  EXPECT_EQ(readFile(path).substr(0, 6), "ktop1\r");
  EXPECT_FALSE(w.modified);
}

TEST(BatchProgram, DumpsScreenStatusAndMessages) {
  TempDir dir, cfg;
  dir.write("b.c", "one\r\n/*{{{  fold*/\r\ntwo\r\n/*}}}*/\r\n");
  auto r = runProgram("plicato", {"--batch", "--config", cfg.path(), "--layout", "windows",
                                  "--keys", "Down Ctrl-P Alt-0", "--rows", "6", "--cols", "30",
                                  dir.file("b.c")});
  ASSERT_EQ(r.status, 0) << r.err;
  auto screen = dumpSection(r.out, "screen");
  ASSERT_EQ(screen.size(), 6u);
  EXPECT_EQ(screen[0], "{{{F b.c");
  EXPECT_EQ(screen[1], "one");
  EXPECT_EQ(screen[2], "{{{  fold");
  EXPECT_EQ(screen[3], "two");
  EXPECT_EQ(screen[4], "}}}");
  auto status = dumpSection(r.out, "status");
  ASSERT_EQ(status.size(), 7u);
  EXPECT_EQ(status[1], "2 Column :1");
  EXPECT_EQ(status[4], "5 C");
  auto messages = dumpSection(r.out, "messages");
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0], "status: Loading " + dir.file("b.c"));
}

TEST(BatchProgram, BadArgumentsAndMissingFiles) {
  TempDir cfg;
  auto r = runProgram("plicato", {"--batch", "--config", cfg.path(), "--keys", "Hyper-Q", "x.c"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Hyper-Q"), std::string::npos);
  r = runProgram("plicato", {"--batch", "--config", cfg.path(), "--dump", "messages",
                             cfg.file("missing.c")});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("box [Plicato Warning] File \\n" + cfg.file("missing.c") +
                       "\\ndoesn't exist or isn't accessible. => ok"),
            std::string::npos)
      << r.out;
}

}  // namespace

namespace {

TEST_F(BatchTest, TypingOnTheEndLineStartsANewLineAboveIt) {
  work.write("empty.c", "");
  StartOptions o;
  o.configDir = config.path();
  o.layout = kLayoutWindows;
  BatchSession s(o);
  s.open(work.file("empty.c"));
  TStdioWindow& w = *s.target();
  ASSERT_EQ(w.currentLine, w.levelBottom);
  keys(s, "\"hello\" Ctrl-S");
  EXPECT_EQ(readFile(work.file("empty.c")), "hello\r\n");
  EXPECT_FALSE(w.modified);
}

}  // namespace
