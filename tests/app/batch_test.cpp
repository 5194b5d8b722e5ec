// The editor driven through the whole key path: key scripts become key
// messages, the translation puts bytes in the keyboard buffer, and the
// dispatcher runs the commands, as a user's key presses would.
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

#include "app/batch.hpp"
#include "commands/keytable.hpp"
#include "commands/macros.hpp"
#include "display/canvas.hpp"
#include "display/paint.hpp"
#include "display/editorview.hpp"
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
  // main.c, whose text filed fold "part" holds part.c ("p1", "p2").
  std::unique_ptr<BatchSession> filedMain() {
    work.write("part.c", "p1\r\np2\r\n");
    work.write("main.c", "m1\r\n/*...F  part*/\r\n/*:::A  1 0*/\r\n/*:::F part.c*/\r\nm2\r\n");
    StartOptions o;
    o.configDir = config.path();
    o.layout = kLayoutStandard;
    auto s = std::make_unique<BatchSession>(o);
    s->open(work.file("main.c"));
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
  EditorView& w = *s->target();
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
  EXPECT_FALSE(w.doc.modified);
}

TEST_F(BatchTest, CloseOnAnEndLineAndCloseAllFromInside) {
  auto s = session();
  EditorView& w = *s->target();
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
  EditorView& w = *s->target();
  s->host.queueAnswer("0");
  keys(*s, "Ctrl-G");
  EXPECT_EQ(cur(*s), "top1");
  s->host.queueAnswer("16");  // i2: the file's top line is line 1
  keys(*s, "Ctrl-G");
  EXPECT_EQ(cur(*s), "i2");
  EXPECT_EQ(w.currentLine->prev->prev->kind, OpenFold);
  s->host.queueAnswer("9999");
  keys(*s, "Ctrl-G");
  EXPECT_EQ(w.currentLine, w.doc.levelBottom);
  s->host.queueAnswer("x");
  keys(*s, "Ctrl-G");
  EXPECT_EQ(w.currentLine, w.doc.levelBottom);
}

TEST_F(BatchTest, BrowseModeRefusesTextButMoves) {
  auto s = session();
  EditorView& w = *s->target();
  keys(*s, "Shift-F1 \"x\" Down");
  EXPECT_EQ(cur(*s), "top2");
  EXPECT_EQ(s->host.statusTexts()[s->host.statusTexts().size() - 2], "Plicato browse mode!");
  EXPECT_FALSE(w.doc.modified);
  keys(*s, "Shift-F1 \"x\"");
  EXPECT_EQ(cur(*s), "xtop2");
  EXPECT_TRUE(w.doc.modified);
}

// The text a search found is painted in the selection colours until the
// next key; the rest of the row and the other rows are not.
TEST_F(BatchTest, FindHighlightsTheMatchUntilTheNextKey) {
  auto s = session(kLayoutWindows);
  EditorView& w = *s->target();
  auto highlighted = [&] {
    RunRecorder dc;
    paintWindow(w, dc);
    std::string out;
    for (const auto& [row, runs] : s->host.paintedRows())
      for (const auto& r : runs)
        if (r.backColour == s->ctx.settings.selectedBack) out += std::to_string(row) + ":" + r.text;
    return out;
  };
  s->host.queueAnswer("text=O3");  // in the closed fold "outer"
  keys(*s, "Ctrl-F");
  EXPECT_EQ(cur(*s), "o3");
  EXPECT_EQ(highlighted(), std::to_string(w.cursorRow) + ":o3");
  keys(*s, "Right");
  EXPECT_EQ(highlighted(), "");
  s->host.queueAnswer("text=top;mode=prompt");
  s->host.queueAnswer("yes");  // on to the next match, then stop there
  s->host.queueAnswer("cancel");
  keys(*s, "Ctrl-Home Ctrl-F");
  EXPECT_EQ(cur(*s), "top2");
  EXPECT_EQ(highlighted(), std::to_string(w.cursorRow) + ":top");
  keys(*s, "Ctrl-R");
  EXPECT_EQ(highlighted(), "");
}

TEST_F(BatchTest, RefusalsOfTheDispatcher) {
  auto s = session();
  EditorView& w = *s->target();
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
  auto session = filedMain();
  BatchSession& s = *session;
  EditorView& w = *s.target();
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
  s->ctx.settings.autoSaveAtTopLevel = true;
  EditorView& w = *s->target();
  keys(*s, "\"k\"");
  const std::string path = work.file("a.c");
  writeFile(path, "theirs\r\n");
  struct timespec t[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 5, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), t, 0);
  keys(*s, s->ctx.keys.keyNameOfCommand(cmdExitFold));
  EXPECT_EQ(s->host.lastStatus(), "Auto-save skipped: " + path + " has changed on disk");
  EXPECT_EQ(readFile(path), "theirs\r\n");
  const std::string save = s->ctx.keys.keyNameOfCommand(cmdSave);
  s->host.queueAnswer("no");
  keys(*s, save);
  EXPECT_EQ(readFile(path), "theirs\r\n");
  EXPECT_TRUE(w.doc.modified);
  ASSERT_EQ(s->host.boxTexts().size(), 1u);
  EXPECT_EQ(s->host.boxTexts()[0], "The file " + path +
                                       " has changed on disk since it was read.\nSave it anyway and "
                                       "overwrite those changes?");
  s->host.queueAnswer("yes");
  keys(*s, save);
  EXPECT_EQ(readFile(path).substr(0, 6), "ktop1\r");
  EXPECT_FALSE(w.doc.modified);
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

// Whole scripts through the program: what is saved is what the screen
// showed, the keys act where the cursor stands on lines of any length, and
// keys no layout binds (the combined prefixes) change nothing.
TEST(BatchProgram, ScriptsSaveWhatTheyShow) {
  const std::string x5001(5001, 'x');
  const std::string longFile = "a\r\n" + x5001 + "\r\nb\r\n";
  const std::string letters = "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\n";
  const std::string unbound =
      "Ctrl-Tab Ctrl-Shift-Tab Shift-Ctrl-Tab Alt-Backspace Shift-Alt-Backspace "
      "Alt-Shift-Backspace Ctrl-Alt-X ";
  struct Row {
    const char* layout;
    std::string file, keys, saved;
    std::string message;  // a line the messages must hold, when not empty
  };
  const Row rows[] = {
      // Backspace on an empty line deletes it before the next key.
      {"windows", "a\r\n\r\nb\r\n", "Down Backspace \"xyz\" Ctrl-S", "a\r\nxyzb\r\n", ""},
      {"standard", "a\r\n\r\n\r\nb\r\n", "Down Backspace Backspace \"z\" Shift-F4",
       "a\r\nzb\r\n", ""},
      // Lines longer than 4095 characters.
      {"standard", longFile, "Down F8 \"Q\" Shift-F4", "a\r\n" + x5001 + "Q\r\nb\r\n", ""},
      {"windows", "a\r\n" + std::string(5000, 'x') + "yz\r\n", "Down End Backspace Ctrl-S",
       "a\r\n" + std::string(5000, 'x') + "y\r\n", ""},
      {"windows", longFile, "Ctrl-W Down End Left \"Q\" Ctrl-S",
       "a\r\n" + std::string(5000, 'x') + "Qx\r\nb\r\n", ""},
      {"windows", longFile, "Down End Home \"Q\" End \"R\" Ctrl-S",
       "a\r\nQ" + x5001 + "R\r\nb\r\n", ""},
      // Ins folds the marked lines, or refuses them with the block's message.
      {"windows", letters, "Down Shift-Down Shift-Down Ins Ctrl-S",
       "a\r\n/*{{{*/\r\nb\r\nc\r\nd\r\n/*}}}*/\r\ne\r\nf\r\n", ""},
      {"standard", letters, "Down Down Shift-Up Ins Shift-F4",
       "a\r\n/*{{{*/\r\nb\r\nc\r\n/*}}}*/\r\nd\r\ne\r\nf\r\n", ""},
      {"windows", "a\r\n/*{{{  o*/\r\nb\r\n/*}}}*/\r\ne\r\n", "Down Ctrl-P Shift-Down Ins Ctrl-S",
       "a\r\n/*{{{  o*/\r\nb\r\n/*}}}*/\r\ne\r\n", "status: Plicato can't fold this block"},
      // A new line in a tab-indented fold is indented as the line it came
      // from, in tabs.
      {"windows", "\t/*{{{  f*/\r\n\t\tx;\r\n\t/*}}}*/\r\n", "Ctrl-P Down End Enter \"y;\" Ctrl-S",
       "\t/*{{{  f*/\r\n\t\tx;\r\n\t\ty;\r\n\t/*}}}*/\r\n", ""},
      // Combined prefixes are keys of the script, bound in neither layout.
      {"windows", letters, unbound + "\"z\" Ctrl-S", "z" + letters, ""},
      {"standard", letters, unbound + "\"z\" Shift-F4", "z" + letters, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keys);
    TempDir dir, cfg;
    dir.write("t.c", row.file);
    auto r = runProgram("plicato", {"--batch", "--config", cfg.path(), "--layout", row.layout,
                                    "--keys", row.keys, "--dump", "status,messages",
                                    dir.file("t.c")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(dir.read("t.c"), row.saved);
    auto status = dumpSection(r.out, "status");
    ASSERT_EQ(status.size(), 7u);
    EXPECT_EQ(status[5], "6  ");  // nothing changed after the save
    if (!row.message.empty()) {
      auto messages = dumpSection(r.out, "messages");
      EXPECT_NE(std::find(messages.begin(), messages.end(), row.message), messages.end())
          << r.out;
    }
  }
}

// A dialog or question the user cancels, and a key that is refused,
// leave the file as it was: not marked modified either.
TEST(BatchProgram, CancelledDialogsAndRefusedKeysChangeNothing) {
  struct Row {
    const char* layout;
    std::string keys;
    std::vector<std::string> answers;
  };
  const Row rows[] = {
      {"windows", "Alt-R", {""}},
      {"standard", "Alt-9", {""}},
      {"windows", "Alt-R", {"text=b;replace=B;mode=prompt", "no", "ok"}},
      {"windows", "Ctrl-F", {""}},
      {"windows", "Ctrl-G", {""}},
      {"windows", "Down Ctrl-J", {""}},
      {"windows", "Down Shift-F2", {"no"}},  // "overwrite ..." answered No
      {"windows", "F5", {""}},
      {"windows", "Ctrl-A", {""}},
      {"windows", "Ctrl-L", {""}},
      {"windows", "Up Del Ctrl-K", {}},  // the file's top line takes no typing
      {"standard", "Down Down Down Down Alt-0 Ctrl-PgUp", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.keys);
    TempDir dir, cfg;
    const std::string text = "a\r\n/*{{{  part.c*/\r\nb\r\n/*}}}*/\r\n";
    dir.write("t.c", text);
    dir.write("part.c", "kept\r\n");
    std::vector<std::string> args = {"--batch", "--config", cfg.path(), "--layout", row.layout,
                                     "--keys",  row.keys,   "--dump",   "status,messages"};
    for (const auto& a : row.answers) args.insert(args.end(), {"--answer", a});
    args.push_back(dir.file("t.c"));
    auto r = runProgram("plicato", args, dir.path());
    ASSERT_EQ(r.status, 0) << r.err;
    auto status = dumpSection(r.out, "status");
    ASSERT_EQ(status.size(), 7u);
    EXPECT_EQ(status[5], "6  ") << r.out;
    EXPECT_EQ(dir.read("t.c"), text);
    EXPECT_EQ(dir.read("part.c"), "kept\r\n");
  }
}

// The new file is made with the mode the user's umask gives, as the
// program read it when it started.
TEST(BatchProgram, SaveAsRenamesTheWindowOnItsTopLineToo) {
  TempDir dir, cfg;
  dir.write("old.c", "x\r\n/*{{{  f*/\r\ny\r\n/*}}}*/\r\n");
  const mode_t before = ::umask(027);
  auto r = runProgram("plicato", {"--batch", "--config", cfg.path(), "--layout", "windows",
                                  "--answer", dir.file("new.occ"), "--keys", "Ctrl-A", "--rows",
                                  "5", "--dump", "screen,status", dir.file("old.c")});
  ::umask(before);
  ASSERT_EQ(r.status, 0) << r.err;
  auto screen = dumpSection(r.out, "screen");
  ASSERT_EQ(screen.size(), 5u);
  EXPECT_EQ(screen[0], "{{{F new.occ");
  EXPECT_EQ(dumpSection(r.out, "status")[4], "5 occam2");
  EXPECT_EQ(dir.read("new.occ"), "x\r\n--{{{  f\r\ny\r\n--}}}\r\n");
  struct stat st;
  ASSERT_EQ(::stat(dir.file("new.occ").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
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

// Delete line on Backspace is no key of its own: a macro holds the
// Backspace alone, so replaying it deletes one line, not two.
TEST_F(BatchTest, AMacroOfBackspaceOnAnEmptyLineDeletesOneLine) {
  work.write("m.c", "a\r\n\r\n\r\n\r\nb\r\n");
  StartOptions o;
  o.configDir = config.path();
  o.layout = kLayoutWindows;
  BatchSession s(o);
  s.open(work.file("m.c"));
  s.host.queueAnswer("4");
  keys(s, "Down Ctrl-F9 Backspace");
  keys(s, "Ctrl-F9");
  ASSERT_EQ(s.ctx.macros.length(4), 1);
  EXPECT_EQ(s.ctx.macros.value(4, 0), cmdDeleteLeft);
  s.host.queueAnswer("4");
  keys(s, "Ctrl-F10 Ctrl-S");
  EXPECT_EQ(readFile(work.file("m.c")), "a\r\n\r\nb\r\n");
  s.ctx.macros.setMacro(4, {});
}

TEST_F(BatchTest, TypingOnTheEndLineStartsANewLineAboveIt) {
  work.write("empty.c", "");
  StartOptions o;
  o.configDir = config.path();
  o.layout = kLayoutWindows;
  BatchSession s(o);
  s.open(work.file("empty.c"));
  EditorView& w = *s.target();
  ASSERT_EQ(w.currentLine, w.doc.levelBottom);
  keys(s, "\"hello\" Ctrl-S");
  EXPECT_EQ(readFile(work.file("empty.c")), "hello\r\n");
  EXPECT_FALSE(w.doc.modified);
}

// Restore line's question is answered by the next key, however long it
// is in coming: the dispatcher goes back to waiting in between, in every
// row below, as the desktop program's event loop does.
TEST_F(BatchTest, RestoreLineAgainIsAnsweredByTheNextKeyWhenItComes) {
  struct Case {
    const char* answer;
    const char* view;  // the lines after the answer
    int asked;         // how often the question was shown in all
  } cases[] = {
      {"Alt-F8", "top1,top2,top3", 1},       // the best try brings top1 back
      {"\"x\"", "xtop2,top3,top4", 1},      // a typed key just types
      {"Down Alt-F8", "top2,top3,top4", 2},  // another command; restore asks again
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    auto s = session();
    EditorView& w = *s->target();
    keys(*s, "Ctrl-Y Ctrl-Y Alt-F8");  // top1 to the free list, top2 back
    keys(*s, "Alt-F8");
    EXPECT_EQ(s->host.lastStatus(), "Press restore line again for best try");
    keys(*s, c.answer);
    std::string view;
    LineNode* n = w.doc.levelTop->next->next;
    for (int i = 0; i < 3; ++i, n = n->next) view += std::string(i ? "," : "") + n->text;
    EXPECT_EQ(view, c.view);
    int asked = 0;
    for (const std::string& m : s->host.statusTexts())
      asked += m == "Press restore line again for best try";
    EXPECT_EQ(asked, c.asked);
  }
}

}  // namespace

namespace {

// One row of the undo table: keys typed on a.c (standard layout), then
// what the cursor line holds, whether the file counts as changed, and the
// last status message (empty: not checked).
struct UndoCase {
  const char* name;
  const char* keys;
  const char* line;
  bool modified;
  const char* status;
  // The answers, split at "|" ("@" stands for the work folder).
  const char* answer = "text=top;replace=TOP;mode=all";
};

const UndoCase kUndoCases[] = {
    {"a run of typing is one step", "\"ab\" Backspace \"cd\" Alt-Backspace", "top1", false, ""},
    {"the run ends when the cursor leaves the line",
     "\"ab\" Down \"cd\" Up Alt-Backspace", "top2", true, ""},
    {"redo types the run again", "\"ab\" Alt-Backspace Shift-Alt-Backspace", "abtop1", true, ""},
    {"a command ends the run", "\"ab\" Alt-F7 Up Alt-Backspace", "abtop1", true, ""},
    {"nothing to undo", "Alt-Backspace", "top1", false, "Nothing to undo"},
    {"nothing to redo", "\"a\" Shift-Alt-Backspace", "atop1", true, "Nothing to redo"},
    {"a change after undo drops the redo", "\"a\" Alt-Backspace \"b\" Shift-Alt-Backspace",
     "btop1", true, "Nothing to redo"},
    {"clean again where it was saved", "\"a\" Shift-F4 \"b\" Alt-Backspace", "atop1", false, ""},
    {"changed again past the save",
     "\"a\" Shift-F4 Alt-Backspace", "top1", true, ""},
    {"clean again on redo to the save",
     "\"a\" Shift-F4 Alt-Backspace Shift-Alt-Backspace", "atop1", false, ""},
    {"a deleted line comes back where it was", "Down Alt-F7 Alt-Backspace", "top2", false, ""},
    // Inside "outer": delete o2, leave the fold, undo: the view enters
    // "outer" again with the cursor on o2.
    {"undo enters the fold of the change",
     "Down Down Down Down Down Down Home Down Alt-F7 PgUp Alt-Backspace", "o2", false, ""},
    {"undo leaves the fold of the change",
     "Down Alt-F7 Down Down Down Down Home Alt-Backspace", "top2", false, ""},
    {"the whole replace-all is one step",
     "Alt-9 Alt-Backspace", "top1", false, ""},
    // top1 and top2 replaced, top3 not: undo takes back top2 alone.
    {"each replacement asked about is a step", "Alt-9 Alt-Backspace", "TOP1", true, "",
     "text=top;replace=TOP;mode=prompt|yes|yes|cancel"},
    {"an inserted file goes again", "Down Alt-5 Alt-Backspace", "top2", false, "", "@/in.c"},
    {"an inserted file comes back", "Down Alt-5 Alt-Backspace Shift-Alt-Backspace", "in1", true, "",
     "@/in.c"},
    {"reading the file again ends the history", "\"a\" Shift-F4 Ctrl-F7 Alt-Backspace", "atop1",
     false, "Nothing to undo"},
    // The macro is defined as undo runs: it takes "ab" back, and its call "x".
    {"macros record and replay undo", "\"ab\" Ctrl-F9 Alt-Backspace Ctrl-F9 \"x\" Ctrl-F10", "top1",
     false, ""},
};

class UndoTableTest : public BatchTest, public ::testing::WithParamInterface<UndoCase> {};

TEST_P(UndoTableTest, LeavesTheFileAndTheCursorAsTheRowSays) {
  const UndoCase& c = GetParam();
  auto session = this->session();
  BatchSession& s = *session;
  work.write("in.c", "in1\r\nin2\r\n");
  std::string answers = c.answer;
  for (size_t from = 0; from <= answers.size();) {
    size_t bar = answers.find('|', from);
    if (bar == std::string::npos) bar = answers.size();
    std::string a = answers.substr(from, bar - from);
    if (!a.empty() && a[0] == '@') a = work.path() + a.substr(1);
    s.host.queueAnswer(a);
    from = bar + 1;
  }
  keys(s, c.keys);
  EditorView& w = *s.target();
  EXPECT_EQ(cur(s), c.line);
  EXPECT_EQ(w.doc.modified, c.modified);
  if (*c.status) {
    EXPECT_EQ(s.host.statusTexts().back(), c.status);
  }
}

INSTANTIATE_TEST_SUITE_P(Steps, UndoTableTest, ::testing::ValuesIn(kUndoCases),
                         [](const auto& info) {
                           std::string n;
                           for (const char* p = info.param.name; *p; ++p)
                             n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return n;
                         });

}  // namespace

// A filed file has a history of its own while it is entered; leaving it
// (which saves it) ends that history, and the parent's steps are undone
// around it.
TEST_F(BatchTest, AFiledFilesHistoryEndsWhenItIsLeft) {
  auto session = filedMain();
  BatchSession& s = *session;
  EditorView& w = *s.target();
  keys(s, "\"q\" Down Home \"x\"");  // entering saves the parent first
  EXPECT_EQ(cur(s), "px1");
  EXPECT_EQ(readFile(work.file("main.c")).substr(0, 4), "qm1\r");
  keys(s, "Alt-Backspace Alt-Backspace");
  EXPECT_EQ(cur(s), "p1");  // the parent's step is not undone from inside
  EXPECT_EQ(s.host.statusTexts().back(), "Nothing to undo");
  keys(s, "\"y\" PgUp");
  EXPECT_EQ(readFile(work.file("part.c")), "py1\r\np2\r\n");
  EXPECT_EQ(w.currentLine->kind, FiledFold);
  keys(s, "Alt-Backspace");
  EXPECT_EQ(cur(s), "m1");  // the parent's own step, with the moves after it
  EXPECT_TRUE(w.doc.modified);  // the file holds "qm1"
  keys(s, "Alt-Backspace");
  EXPECT_EQ(s.host.statusTexts().back(), "Nothing to undo");
  keys(s, "Shift-Alt-Backspace");
  EXPECT_EQ(cur(s), "part");  // redo goes back to where undo was asked
  EXPECT_EQ(w.currentLine->prev->text, std::string("qm1"));
  EXPECT_FALSE(w.doc.modified);
  keys(s, "Home");
  EXPECT_EQ(cur(s), "py1");  // what the filed file wrote stays written
}
