// Line texts live in pool blocks; a text that outgrows its block moves to
// the heap with its bytes, and a store of many lines gives everything back.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "model/growstr.hpp"
#include "model/linestore.hpp"
#include "model/textpool.hpp"
#include "support/testenv.hpp"

namespace {

class TextPoolTest : public PlicatoTest {};

TEST_F(TextPoolTest, LineTextsGrowOutOfTheirBlockIntact) {
  LineStore s(host);
  LineNode* n = proc_new(s);
  ASSERT_TRUE(textpool::owns(n->text));
  EXPECT_GE(n->capacity, 500);

  // Grows within the block first, then onto the heap: every byte kept.
  std::string text(500, 'a');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + i % 26);
  assign(*n, text.c_str());
  EXPECT_TRUE(textpool::owns(n->text));
  std::string more(3000, 'z');
  append(*n, more.c_str());
  EXPECT_FALSE(textpool::owns(n->text));
  EXPECT_GE(n->capacity, 3501);
  EXPECT_EQ(std::string(n->text), text + more);

  // A reused node gets a block-sized buffer again or keeps its heap one.
  insertAt(*n, 10, n->text + 20, 5);
  EXPECT_EQ(std::string(n->text, 15), text.substr(0, 10) + text.substr(20, 5));
}

TEST_F(TextPoolTest, ClosingAStoreGivesEveryBlockBack) {
  const size_t before = textpool::blocksInUse();
  // Large enough for the pages ahead to be faulted in beside the filling,
  // twice, so the second round runs over memory given back by the first.
  for (int round = 0; round < 2; ++round) {
    auto s = std::make_unique<LineStore>(host);
    std::vector<LineNode*> lines;
    for (int i = 0; i < 120000; ++i) {
      lines.push_back(proc_new(*s));
      assign(*lines.back(), std::to_string(i * 7 + round).c_str());
    }
    EXPECT_GE(textpool::blocksInUse(), before + 120000);
    int wrong = 0;
    for (int i = 0; i < 120000; ++i) wrong += std::to_string(i * 7 + round) != lines[i]->text;
    EXPECT_EQ(wrong, 0);
  }
  EXPECT_EQ(textpool::blocksInUse(), before);

  // What was given back is handed out again and writable.
  LineStore again(host);
  for (int i = 0; i < 1000; ++i) {
    LineNode* n = proc_new(again);
    std::memset(n->text, 'x', 499);
    n->text[499] = '\0';
    EXPECT_EQ(std::strlen(n->text), 499u);
  }
}

TEST_F(TextPoolTest, OnlyBlockSizedRequestsComeFromThePool) {
  EXPECT_EQ(textpool::take(textpool::kBlockBytes + 1), nullptr);
  void* p = textpool::take(16);
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(textpool::owns(p));
  int local = 0;
  EXPECT_FALSE(textpool::owns(&local));
  EXPECT_FALSE(textpool::owns(nullptr));
  textpool::give(p);
  // Scratch strings stay on the heap.
  GrowString g;
  initString(g);
  EXPECT_FALSE(textpool::owns(g.text));
  freeString(g);
}

}  // namespace
