#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "commands/keytree.hpp"
#include "support/testenv.hpp"

namespace {

// Status texts also go to standard error, where a death test can see them.
class EchoHost : public BatchHost {
 public:
  void statusMessage(const std::string& text) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    BatchHost::statusMessage(text);
  }
};

class KeyTreeTest : public PlicatoTest {
 protected:
  void SetUp() override {
    PlicatoTest::SetUp();
    ctx.keys.set(kPlicatoStandardTable);
  }
  void TearDown() override {
    ctx.keys.set(kPlicatoStandardTable);
    ctx.keyTree.free();
    PlicatoTest::TearDown();
  }

  static std::vector<int> feed(KeyTree& tree, std::initializer_list<int> bytes) {
    std::vector<int> out;
    for (int b : bytes) out.push_back(tree.matchByte(static_cast<uint8_t>(b)));
    return out;
  }
};

TEST_F(KeyTreeTest, BothLayoutsBuildInEightySevenSlotsAndMatchEveryEntry) {
  for (const CommandKeyTable* t : {&kPlicatoStandardTable, &kWindowsTable}) {
    KeyTree tree;
    tree.build(*t, host);
    EXPECT_TRUE(host.statusTexts().empty());
    EXPECT_EQ(tree.used(), 87);
    int special = 0;
    for (const CommandKey& k : *t) special += k.kind == kSpecialKey;
    EXPECT_EQ(tree.reused(), special - 1);  // every special key but the first shares byte 0
    for (int i = 0; i < 83; ++i) {
      const CommandKey& k = (*t)[i];
      SCOPED_TRACE("entry " + std::to_string(i));
      if (k.kind == kSpecialKey) {
        EXPECT_EQ(tree.matchByte(0), kIncomplete);
        EXPECT_FALSE(tree.atRoot());
      }
      EXPECT_EQ(tree.matchByte(static_cast<uint8_t>(k.code)), k.command);
      EXPECT_TRUE(tree.atRoot());
    }
  }
}

TEST_F(KeyTreeTest, UnboundSequencesFallBackToTheRoot) {
  KeyTree tree;
  tree.build(kPlicatoStandardTable, host);
  EXPECT_EQ(feed(tree, {0, 0x47}), (std::vector<int>{1, 263}));
  EXPECT_EQ(feed(tree, {0, 0x02, 0, 0x47}), (std::vector<int>{1, 0, 1, 263}));
  EXPECT_EQ(feed(tree, {'a', 1}), (std::vector<int>{0, 287}));
  // The closing entry's sequence 0, 0 is no binding either.
  EXPECT_EQ(feed(tree, {0, 0, 'x'}), (std::vector<int>{1, 0, 0}));
  tree.free();
  EXPECT_EQ(feed(tree, {0, 0x47, 1}), (std::vector<int>{0, 0, 0}));
}

TEST_F(KeyTreeTest, LayoutChangesRebuildTheProcessTree) {
  const uint8_t ctrlA = 1;
  startKeyboard(ctx, 2);
  EXPECT_EQ(ctx.keyTree.lookup(&ctrlA, 1), cmdSaveAs);
  changeLayout(ctx, 3);  // "User defined" keeps the Windows bindings
  EXPECT_EQ(ctx.keyTree.lookup(&ctrlA, 1), cmdSaveAs);
  // The pool starts afresh on every rebuild.
  for (int layout : {1, 2, 1, 2, 3, 1}) {
    changeLayout(ctx, layout);
    EXPECT_EQ(ctx.keyTree.used(), 87);
  }
  EXPECT_EQ(ctx.keyTree.lookup(&ctrlA, 1), cmdAutofold);
  startKeyboard(ctx, 3);  // the next start loads "Plicato Standard"
  EXPECT_EQ(ctx.keyTree.lookup(&ctrlA, 1), cmdAutofold);
  EXPECT_TRUE(host.statusTexts().empty());
}

TEST_F(KeyTreeTest, PrefixBindingIsReportedAndKept) {
  CommandKeyTable t = kPlicatoStandardTable;
  t[82] = {cmdSyncEditTree, kCharKey, 0};  // the byte 0 alone, after the special keys
  KeyTree tree;
  tree.build(t, host);
  EXPECT_EQ(host.statusTexts(), (std::vector<std::string>{"Warning: Key 337 masks other keys"}));
  EXPECT_EQ(tree.matchByte(0), cmdSyncEditTree);
}

using KeyTreeDeathTest = KeyTreeTest;

TEST_F(KeyTreeDeathTest, DuplicateSequenceEndsTheProcessWithTheEntryPosition) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  CommandKeyTable t = kPlicatoStandardTable;
  t[5] = {cmdDeleteRight, kSpecialKey, 110};  // Alt-F7 again
  EXPECT_EXIT(
      {
        EchoHost echo;
        KeyTree tree;
        tree.build(t, echo);
      },
      ::testing::ExitedWithCode(5), "Duplicate key sequence 260 and 258\\.");
}

}  // namespace
