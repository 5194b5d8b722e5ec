#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

#include "commands/keyreader.hpp"
#include "support/testenv.hpp"

namespace {

class KeyReaderTest : public PlicatoTest {
 protected:
  void SetUp() override {
    PlicatoTest::SetUp();
    tree.build(kPlicatoStandardTable, host);
  }

  KeyReader reader() {
    return KeyReader(state, keys, [this] { return feed(); }, host, tree, *store);
  }
  // The wait: hands over the next batch of keys, false when none is left.
  // A negative value is a command the editor gives itself meanwhile.
  bool feed() {
    ++waits;
    if (batches.empty()) return false;
    for (int b : batches.front())
      b < 0 ? (void)keys.putOwnCommand(-b) : (void)keys.putChar(static_cast<uint8_t>(b));
    batches.pop_front();
    return true;
  }
  void type(std::initializer_list<int> bytes) {
    for (int b : bytes) keys.putChar(static_cast<uint8_t>(b));
  }
  std::vector<int> readAll(KeyReader& r) {
    std::vector<int> out;
    for (KeyValue v = r.read(); v.value != 0; v = r.read()) out.push_back(v.value);
    return out;
  }

  KeyTree tree;
  std::unique_ptr<Macros> store = std::make_unique<Macros>();
  KeyReaderState state;
  KeyBuffer keys;
  std::deque<std::vector<int>> batches;
  int waits = 0;
};

TEST_F(KeyReaderTest, BytesBecomeCommandsAndText) {
  type({0, 0x47, 'h', 0, 0x02, 'i', 27, 'j', 13});
  KeyReader r = reader();
  KeyValue v = r.read();
  EXPECT_EQ(v.value, cmdEnterFold);
  EXPECT_TRUE(v.isCommand);
  v = r.read();
  EXPECT_EQ(v.value, 'h');
  EXPECT_FALSE(v.isCommand);
  // An unbound special key and a lone Esc are dropped.
  EXPECT_EQ(readAll(r), (std::vector<int>{'i', 'j', cmdNewLine}));
  EXPECT_TRUE(r.stopped());
}

TEST_F(KeyReaderTest, EscAloneDoesNothing) {
  type({27});
  KeyReader r = reader();
  EXPECT_EQ(r.read().value, 0);
  EXPECT_TRUE(r.stopped());
  EXPECT_EQ(waits, 1);
}

TEST_F(KeyReaderTest, UnboundByteOneIsDropped) {
  CommandKeyTable t = kPlicatoStandardTable;
  t[32] = {cmdAutofold, kSpecialKey, 0x1e};  // Ctrl-A no longer bound
  tree.free();
  tree.build(t, host);
  type({1, 'a'});
  KeyReader r = reader();
  EXPECT_EQ(readAll(r), (std::vector<int>{'a'}));
}

TEST_F(KeyReaderTest, WaitsForKeysAndStopsWhenTheWindowDoes) {
  batches = {{'a'}, {0}, {0x48}};
  KeyReader r = reader();
  EXPECT_EQ(readAll(r), (std::vector<int>{'a', cmdCursorUp}));
  EXPECT_EQ(waits, 4);
  // A sequence cut short by a stop does not leave the tree half way.
  type({0});
  EXPECT_EQ(r.read().value, 0);
  EXPECT_TRUE(tree.atRoot());
  type({'b'});
  EXPECT_EQ(r.read().value, 'b');
}

TEST_F(KeyReaderTest, PushedBackValueAndTheEditorsOwnCommandsComeFirst) {
  type({'x'});
  KeyReader r = reader();
  r.pushBack(cmdRestoreLine, true);
  KeyValue v = r.read();
  EXPECT_EQ(v.value, cmdRestoreLine);
  EXPECT_TRUE(v.isCommand);
  EXPECT_EQ(r.read().value, 'x');

  // A command the editor gives itself goes before the keys still waiting,
  // also while the reader waits for more, and no macro records it.
  host.queueAnswer("5");
  type({0, 102, 'a', 'b'});
  EXPECT_EQ(r.read().value, cmdDefineMacro);
  keys.putOwnCommand(cmdRefresh);
  keys.putOwnCommand(cmdRefresh);  // once is enough
  EXPECT_EQ(r.read().value, cmdRefresh);
  EXPECT_EQ(r.read().value, 'a');
  EXPECT_EQ(r.read().value, 'b');
  batches = {{-cmdDeleteLine}, {0, 102}};
  EXPECT_EQ(readAll(r), (std::vector<int>{cmdDeleteLine, cmdDefineMacro}));
  EXPECT_EQ(store->length(5), 2);
  // A special key half read is finished first.
  type({0});
  batches = {{-cmdRefresh, 0x48}};
  EXPECT_EQ(readAll(r), (std::vector<int>{cmdCursorUp, cmdRefresh}));
}

TEST_F(KeyReaderTest, MacrosThroughTheKeyboard) {
  // Ctrl-F9 h i Ctrl-F9 records macro 2; Ctrl-F10 plays it before 'z'.
  host.queueAnswer("2");
  host.queueAnswer("2");
  type({0, 102, 'h', 'i', 0, 102, 0, 103, 'z'});
  KeyReader r = reader();
  EXPECT_EQ(readAll(r), (std::vector<int>{cmdDefineMacro, 'h', 'i', cmdDefineMacro,
                                          cmdCallMacro, 'h', 'i', 'z'}));
  EXPECT_EQ(store->length(2), 2);
}

}  // namespace
