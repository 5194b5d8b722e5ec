// What a step of the history keeps, and the bounds of the history.
#include "engine/undo.hpp"

#include "engine/enginetest.hpp"
#include "engine/navigation.hpp"
#include "model/history.hpp"

namespace {

class UndoTest : public EngineTest {
 protected:
  std::unique_ptr<EditorView> folded() {
    std::vector<std::string> v = {"top"};
    for (int f = 0; f < 20; ++f) {
      v.push_back("/*{{{  f" + std::to_string(f) + "*/");
      for (int i = 0; i < 50; ++i) v.push_back("  line " + std::to_string(f) + "." + std::to_string(i));
      v.push_back("/*}}}*/");
    }
    work.write("f.c", lines(v));
    return open("f.c");
  }
  // One step: the line with text `from` gets `to`.
  static void retype(EditorView& w, const std::string& from, const std::string& to) {
    ChangeScope step(w);
    LineNode* n = find(w, from);
    ASSERT_NE(n, nullptr) << from;
    assign(*n, to.c_str());
    w.doc.markChanged();
  }
};

// Opening every fold and closing them again touches every line; the step
// keeps only the line whose text it changed.
TEST_F(UndoTest, AStepKeepsOnlyTheNodesItChanged) {
  auto w = folded();
  {
    ChangeScope step(*w);
    OpenAllFolds(*w);
    LineNode* n = find(*w, "  line 7.3");
    ASSERT_NE(n, nullptr);
    assign(*n, "  changed");
    w->doc.markChanged();
    CloseAllFolds(*w);
  }
  History& h = w->doc.history();
  ASSERT_EQ(h.steps(), 1u);
  // A thousand lines touched: the line changed and the headers (which keep
  // the row they were opened at) are kept, not an image of every line.
  EXPECT_LT(h.bytes(), 8000u);
  // The moves after it go into the same step, and come out with it; when
  // they are taken back, the step is as small as before.
  for (bool open : {true, false}) {
    ChangeScope move(*w);
    if (open)
      OpenAllFolds(*w);
    else
      CloseAllFolds(*w);
  }
  EXPECT_LT(h.bytes(), 8000u);
  OpenAllFolds(*w);
  undoCommand(*w);
  OpenAllFolds(*w);
  EXPECT_NE(find(*w, "  line 7.3"), nullptr);
  EXPECT_EQ(find(*w, "  changed"), nullptr);
  CloseAllFolds(*w);
  redoCommand(*w);
  OpenAllFolds(*w);
  EXPECT_NE(find(*w, "  changed"), nullptr);
}

TEST_F(UndoTest, TheHistoryDropsItsOldestStepsPastItsBounds) {
  struct Bound {
    int steps;
    int megabytes;
    size_t kept;
  };
  for (const Bound b : {Bound{3, 64, 3}, Bound{1000, 1, 1}}) {
    settings().undoSteps = b.steps;
    settings().undoMegabytes = b.megabytes;
    auto w = folded();
    // A megabyte of text in each step: the newest stays whatever it costs.
    const std::string big(b.megabytes == 1 ? 600000 : 10, 'x');
    for (int i = 0; i < 5; ++i) retype(*w, i ? big + std::to_string(i - 1) : "top", big + std::to_string(i));
    History& h = w->doc.history();
    EXPECT_EQ(h.steps(), b.kept) << b.steps;
    for (size_t i = 0; i < b.kept; ++i) undoCommand(*w);
    EXPECT_FALSE(h.canUndo());
    // The oldest steps left are gone: the file stays as the last of them left it.
    EXPECT_NE(find(*w, big + std::to_string(4 - static_cast<int>(b.kept))), nullptr);
    EXPECT_TRUE(w->doc.modified);
  }
}

}  // namespace
