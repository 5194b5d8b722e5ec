// A long random key script through the whole key path: every command of
// both layouts, typed text, moves and marks, drawn with a fixed seed, on a
// file with deep folds and a second window. The editor must never stop,
// trip a sanitizer or break a window's tree, and the files it saves must
// hold every fold balanced.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/batch.hpp"
#include "commands/keytable.hpp"
#include "display/editorview.hpp"
#include "engine/fileio.hpp"
#include "model/foldreader.hpp"
#include "model/history.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"

namespace {

constexpr int kStrokesPerLayout = 20000;
constexpr size_t kChunk = 150;

// Folds twelve deep, each level with text before and after its inner fold,
// a COMMENT fold and empty folds on the way.
std::string deepFile() {
  std::string s = "int top;\r\n";
  const int depth = 12;
  for (int d = 0; d < depth; ++d) {
    s += std::string(static_cast<size_t>(d), ' ') + "/*{{{  level " + std::to_string(d) + "*/\r\n";
    s += std::string(static_cast<size_t>(d + 1), ' ') + "before" + std::to_string(d) + ";\r\n";
    if (d % 4 == 1) {
      s += "/*{{{  COMMENT note " + std::to_string(d) + "*/\r\n/*why*/\r\n/*}}}*/\r\n";
      s += "/*{{{  empty*/\r\n/*}}}*/\r\n";
    }
  }
  for (int d = depth - 1; d >= 0; --d) {
    s += std::string(static_cast<size_t>(d + 1), ' ') + "after" + std::to_string(d) + ";\r\n";
    s += std::string(static_cast<size_t>(d), ' ') + "/*}}}*/\r\n";
  }
  return s + "int bottom;\r\n";
}

// A key name of the tables as a key-script token ("" when a script cannot
// say it).
std::string tokenFor(const std::string& name) {
  if (name.size() == 1) {
    if (name == "\"" || name == "\\") return "\"\\" + name + "\"";
    return "\"" + name + "\"";
  }
  return name;
}

struct CommandToken {
  int command;
  std::string token;
};

// Every command's key of the layout, each as one token.
std::vector<CommandToken> commandTokens(const CommandKeyTable& table) {
  std::vector<CommandToken> out;
  for (const CommandKey& k : table)
    if (k.command != 0) out.push_back({k.command, tokenFor(keyName(k))});
  return out;
}

// Commands are drawn evenly; the two that switch a mode on (browse, fold
// creation) get a few moves and their key again, as a user would do, so
// that most keys are not spent being refused by the mode.
std::string randomScript(const std::vector<CommandToken>& commands, uint32_t seed, int n) {
  std::mt19937 rng(seed);
  static const std::vector<std::string> moves = {"Up", "Down", "Left", "Right", "Enter",
                                                 "Backspace", "Del", "Home", "End", "Tab"};
  static const char* letters = "abcdefghijklmnopqrstuvwxyz0123456789 ;=()";
  std::string script;
  for (int i = 0; i < n; ++i) {
    int what = static_cast<int>(rng() % 10);
    if (what < 5) {
      const CommandToken& c = commands[rng() % commands.size()];
      script += c.token;
      if (c.command == cmdBrowseEdit || c.command == cmdCreateFold) {
        for (int k = static_cast<int>(rng() % 4); k > 0; --k) script += " Down";
        script += " " + c.token;
      }
    } else if (what < 8) {
      script += moves[rng() % moves.size()];
    } else {
      script += "\"";
      for (int k = 1 + static_cast<int>(rng() % 6); k > 0; --k) script += letters[rng() % 41];
      script += "\"";
    }
    script += ' ';
  }
  return script;
}

// The tokens of a script, split into chunks of whole tokens.
std::vector<std::string> chunks(const std::string& script, size_t tokens) {
  std::vector<std::string> out;
  std::string cur;
  size_t count = 0;
  bool quoted = false;
  for (size_t i = 0; i < script.size(); ++i) {
    char c = script[i];
    cur += c;
    if (c == '\\' && quoted && i + 1 < script.size()) {
      cur += script[++i];
      continue;
    }
    if (c == '"') quoted = !quoted;
    if (c == ' ' && !quoted && ++count == tokens) {
      out.push_back(cur);
      cur.clear();
      count = 0;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

// Faults of one level of a view, "" when it is sound.
std::string checkLevel(const LineNode* first, const LineNode* stop, int depth) {
  std::vector<const LineNode*> open;
  size_t guard = 0;
  for (const LineNode* p = first; p != stop; p = p->next) {
    if (!p) return "a chain ends before its fold end";
    if (++guard > 1000000) return "a chain does not end";
    if (p->next && p->next->prev != p) return "a back link is wrong after [" + std::string(p->text) + "]";
    if (p->kind == OpenFold) {
      open.push_back(p);
    } else if (p->kind == FoldEnd) {
      if (open.empty() || p->partner() != open.back() || open.back()->partner() != p)
        return "a fold end without its open header";
      open.pop_back();
    } else if (isClosedHeader(p)) {
      const LineNode* e = p->partner();
      if (!e || e->partner() != p || e->next != p->next) return "a closed fold's end is wrong";
      if (!p->inner()) return "a closed fold without inside";
      std::string inner = checkLevel(p->inner(), e, depth + 1);
      if (!inner.empty()) return inner;
    } else if (p->kind != TextLine) {
      return "a line of kind " + std::to_string(p->kind) + " inside a view";
    }
  }
  return open.empty() ? "" : "an open fold without its end";
}

std::string checkView(const EditorView& w) {
  const LineNode* header = w.doc.levelTop->next;
  if (!header || header->partner() != w.doc.levelBottom || w.doc.levelBottom->partner() != header)
    return "the view's header and end are not partners";
  if (!w.currentLine) return "no current line";
  return checkLevel(header->next, w.doc.levelBottom, 0);
}

// Fold markers of a saved C file nest: every "{{{" header but a "...F" one
// is closed by a "}}}" line. Returns the number of folds, -1 when they do
// not nest.
int balancedFolds(const std::string& text) {
  int depth = 0, folds = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size();
    std::string line = text.substr(pos, nl - pos);
    pos = nl + 1;
    size_t b = line.find_first_not_of(" \t");
    if (b == std::string::npos || line.compare(b, 2, "/*") != 0) continue;
    if (line.compare(b + 2, 3, "{{{") == 0) {
      ++depth;
      ++folds;
    } else if (line.compare(b + 2, 4, "...F") == 0) {
      ++folds;
    } else if (line.compare(b + 2, 3, "}}}") == 0 && --depth < 0) {
      return -1;
    }
  }
  return depth == 0 ? folds : -1;
}

// The file's lines in file order, whatever is open, closed or entered: a
// header, text or end mark with the line's text and fold attributes.
void fileLines(const LineNode* first, const LineNode* stop, std::string& out) {
  size_t guard = 0;
  for (const LineNode* p = first; p && p != stop; p = p->next) {
    if (++guard > 1000000) {
      out += "!loop";
      return;
    }
    const char mark = isHeader(p) ? 'H' : p->kind == FoldEnd ? 'E' : 'T';
    out += mark;
    if (isHeader(p)) out += std::to_string(p->foldType()) + "/" + std::to_string(p->foldContents());
    out += ' ';
    out += p->text ? p->text : "";
    out += '\n';
    if (isClosedHeader(p) && p->kind != FiledFold) {
      fileLines(p->inner(), p->partner(), out);
      out += "E ";
      out += p->partner() && p->partner()->text ? p->partner()->text : "";
      out += '\n';
    }
  }
}

std::string fileText(const EditorView& w) {
  std::string out;
  fileLines(w.doc.fileTop->next, w.doc.fileBottom, out);
  return out;
}

int foldsInTree(const LineNode* first, const LineNode* stop) {
  int n = 0;
  for (const LineNode* p = first; p && p != stop; p = p->next)
    if (isClosedHeader(p)) n += 1 + foldsInTree(p->inner(), p->partner());
  return n;
}

class StressTest : public PlicatoTest {
 protected:
  void SetUp() override {
    PlicatoTest::SetUp();
  }

  // The saved file reads back with every fold it marks.
  void expectBalanced(const std::string& path) {
    std::string text = readFile(path);
    int folds = balancedFolds(text);
    ASSERT_GE(folds, 0) << path << " holds unbalanced fold markers:\n" << text;
    BatchHost h;
    ModelContext c(h);
    LineStore w(c);
    w.setCommentStart("/*");
    w.setCommentEnd("*/");
    w.setFileTypeName("C");
    buildFileChain(w);
    w.nameGiven = true;
    w.pendingName = path;
    read(w, nullptr, w.levelTop->next, w.levelBottom, true);
    finishFileChain(w);
    EXPECT_EQ(w.ioStatus, 0);
    EXPECT_EQ(foldsInTree(w.levelTop->next->next, w.levelBottom), folds) << path;
  }

  void stress(int layout, uint32_t seed) {
    const CommandKeyTable& table = layout == kLayoutWindows ? kWindowsTable : kPlicatoStandardTable;
    std::vector<CommandToken> commands = commandTokens(table);
    std::string error;
    for (const CommandToken& c : commands)
      ASSERT_TRUE(parseKeyScript(c.token, &error)) << c.token << ": " << error;

    work.write("deep.c", deepFile());
    work.write("other.c", "int other;\r\n/*{{{  o*/\r\nint x;\r\n/*}}}*/\r\n");
    StartOptions o;
    o.configDir = config.path();
    o.layout = layout;
    BatchSession s(o, 20, 60);
    ASSERT_TRUE(s.open(work.file("other.c")));
    ASSERT_TRUE(s.open(work.file("deep.c")));
    int reopened = 0;
    for (const std::string& chunk : chunks(randomScript(commands, seed, kStrokesPerLayout), kChunk)) {
      if (!s.target()) {  // every window exited: the user opens the file again
        ASSERT_TRUE(s.open(work.file("deep.c")));
        ++reopened;
      }
      ASSERT_TRUE(s.type(chunk, &error)) << error;
      s.run();
      for (const auto& doc : s.app().documents())
        ASSERT_EQ(checkView(doc->window), "") << "after the keys " << chunk;
    }
    // Whatever state the windows are in, a save writes the whole file.
    const std::string save = ctx.keys.keyNameOfCommand(cmdSave);
    ASSERT_FALSE(save.empty());
    for (const auto& doc : s.app().documents()) {
      ASSERT_TRUE(s.type("Esc Esc " + save));
      s.run();
      (void)doc;
      break;  // the keys go to the last window opened
    }
    expectBalanced(work.file("deep.c"));
    expectBalanced(work.file("other.c"));
    RecordProperty("reopened", reopened);
  }
};

// After each run of random keys, undo goes all the way back to the file as
// it was read, and redo all the way forward to where the keys left it;
// sometimes only part of the way back, and the keys go on from there.
TEST_F(StressTest, UndoAllTheWayBackAndRedoAllTheWayForwardAfterRandomKeys) {
  for (int layout : {kLayoutStandard, kLayoutWindows}) {
    const CommandKeyTable& table = layout == kLayoutWindows ? kWindowsTable : kPlicatoStandardTable;
    // Commands that begin a new history, leave the file or ask the world.
    std::vector<CommandToken> commands;
    for (const CommandToken& c : commandTokens(table))
      if (c.command != cmdReloadFile && c.command != cmdOpenFile && c.command != cmdOpenFile2 &&
          c.command != cmdExit && c.command != cmdFinish && c.command != cmdCommand &&
          c.command != cmdInsertFile && c.command != cmdSaveAs && c.command != cmdSaveAs2 &&
          c.command != cmdAttachFile && c.command != cmdFileUnfileFold && c.command != cmdUndo &&
          c.command != cmdRedo)
        commands.push_back(c);
    work.write("deep.c", deepFile());
    StartOptions o;
    o.configDir = config.path();
    o.layout = layout;
    BatchSession s(o, 20, 60);
    s.ctx.settings.undoSteps = 1 << 20;
    s.ctx.settings.undoMegabytes = 1 << 12;
    ASSERT_TRUE(s.open(work.file("deep.c")));
    EditorView& w = *s.target();
    const std::string original = fileText(w);
    const std::string undo = " " + s.ctx.keys.keyNameOfCommand(cmdUndo) + " ";
    const std::string redo = " " + s.ctx.keys.keyNameOfCommand(cmdRedo) + " ";
    ASSERT_EQ(undo, " Alt-Backspace ");
    ASSERT_EQ(redo, " Shift-Alt-Backspace ");
    std::mt19937 rng(layout);
    int partial = 0;
    size_t mostSteps = 0;
    // Replace asks what to replace: letters of the file, replaced all at once.
    const std::string replaceKey = s.ctx.keys.keyNameOfCommand(cmdReplace) + " ";
    for (const std::string& chunk : chunks(randomScript(commands, 7 * layout + 1, 3000), 8)) {
      for (size_t at = chunk.find(replaceKey); at != std::string::npos; at = chunk.find(replaceKey, at + 1)) {
        const char* from[] = {"e", "fter", "level", ";"};
        s.host.queueAnswer(std::string("text=") + from[rng() % 4] + ";replace=" + "xy"[rng() % 2] +
                           ";mode=all");
      }
      ASSERT_TRUE(s.type("Esc " + chunk));
      s.run();
      ASSERT_EQ(s.target(), &w);
      // Browse mode refuses undo: it ends first.
      if (w.browseMode) {
        ASSERT_TRUE(s.type(s.ctx.keys.keyNameOfCommand(cmdBrowseEdit)));
        s.run();
      }
      const std::string final = fileText(w);
      History& h = w.doc.history();
      const size_t steps = h.steps();
      mostSteps = std::max(mostSteps, steps);
      // Steps undone before, which keys that changed nothing left to redo.
      const size_t redoBefore = h.redoSteps();
      std::string back;
      for (size_t i = 0; i <= steps; ++i) back += undo;
      ASSERT_TRUE(s.type(back));
      s.run();
      ASSERT_EQ(checkView(w), "") << "after undoing the keys " << chunk;
      ASSERT_EQ(fileText(w), original) << "after undoing the keys " << chunk;
      EXPECT_FALSE(h.canUndo());
      // Back where the file was read is clean, unless a save wrote another state.
      if (readFile(work.file("deep.c")) == deepFile()) {
        EXPECT_FALSE(w.doc.modified) << chunk;
      }
      std::string forward;
      for (size_t i = 0; i < steps; ++i) forward += redo;
      ASSERT_TRUE(s.type(forward));
      s.run();
      ASSERT_EQ(checkView(w), "") << "after redoing the keys " << chunk;
      ASSERT_EQ(fileText(w), final) << "after redoing the keys " << chunk;
      EXPECT_EQ(h.redoSteps(), redoBefore) << chunk;
      EXPECT_EQ(h.steps(), steps);
      if (rng() % 3 == 0 && steps > 0) {
        // Part of the way back: the next keys drop what could be redone.
        std::string some;
        for (size_t i = 1 + rng() % steps; i > 0; --i) some += undo;
        ASSERT_TRUE(s.type(some));
        s.run();
        ASSERT_EQ(checkView(w), "");
        ++partial;
      }
    }
    EXPECT_GT(partial, 0);
    EXPECT_GT(mostSteps, 10u);
  }
}

TEST_F(StressTest, RandomScriptInTheStandardLayoutKeepsEveryFoldBalanced) {
  stress(kLayoutStandard, 20240601);
}

TEST_F(StressTest, RandomScriptInTheWindowsLayoutKeepsEveryFoldBalanced) {
  stress(kLayoutWindows, 19930412);
}

}  // namespace
