#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <string>
#include <vector>

#include "commands/keytable.hpp"
#include "display/keytranslate.hpp"
#include "support/testenv.hpp"

namespace {

// The layouts as a user reads them: the command and the key of every entry.
struct Binding {
  int command;
  const char* standardKey;
  const char* windowsKey;
};

const Binding kLayouts[83] = {
    {256, "Ctrl-Home", "Ctrl-K"},       {257, "Shift-F7", "Ctrl-Backspace"},
    {258, "Alt-F7", "Alt-F7"},          {258, "Ctrl-Y", "Ctrl-Y"},
    {259, "Alt-F8", "Alt-F8"},          {260, "Del", "Del"},
    {261, "Ctrl-Del", "Ctrl-U"},        {262, "End", "Ctrl-P"},
    {263, "Home", "Ctrl-E"},            {264, "F3", "Ctrl-F3"},
    {265, "F4", "F4"},                  {266, "PgDn", "Ctrl-D"},
    {267, "PgUp", "Ctrl-Z"},            {268, "F7", "Home"},
    {269, "Ins", "Ins"},                {270, "Up", "Up"},
    {271, "Alt-F9", "PgUp"},            {272, "F8", "End"},
    {273, "Ctrl-PgUp", "Ctrl-PgUp"},    {274, "Left", "Left"},
    {275, "Ctrl-Left", "Ctrl-Left"},    {276, "Shift-F2", "Shift-F2"},
    {277, "Ctrl-End", "Alt-F4"},        {278, "Right", "Right"},
    {279, "Ctrl-Right", "Ctrl-Right"},  {280, "F9", "F9"},
    {281, "Shift-F9", "Ctrl-Home"},     {282, "Down", "Down"},
    {283, "Alt-F10", "PgDn"},           {284, "F10", "F10"},
    {285, "Shift-F10", "Ctrl-End"},     {286, "Enter", "Enter"},
    {287, "Ctrl-A", "Ctrl-B"},          {288, "F2", "F2"},
    {289, "Shift-F1", "Shift-F1"},      {290, "Alt-F3", "Alt-F3"},
    {291, "Alt-F4", "Shift-F4"},        {292, "Shift-F3", "Shift-F3"},
    {293, "Ctrl-Q", "Ctrl-Q"},          {294, "Shift-F6", "Ctrl-A"},
    {295, "Alt-1", "Alt-1"},            {296, "Alt-5", "Ctrl-J"},
    {297, "F6", "F6"},                  {298, "F1", "F1"},
    {299, "Ctrl-R", "Ctrl-R"},          {300, "Backspace", "Backspace"},
    {301, "Alt-7", "Ctrl-F"},           {302, "Alt-8", "F3"},
    {303, "Alt-9", "Alt-R"},            {304, "Shift-F5", "Ctrl-O"},
    {305, "Ctrl-G", "Ctrl-G"},          {306, "Alt-2", "Alt-H"},
    {307, "Ctrl-F9", "Ctrl-F9"},        {308, "Ctrl-F10", "Ctrl-F10"},
    {309, "F5", "F5"},                  {310, "Ctrl-B", "Ctrl-L"},
    {311, "Shift-F8", "Ctrl-Del"},      {312, "Alt-0", "Alt-0"},
    {313, "Ctrl-W", "Ctrl-W"},          {314, "Shift-F4", "Ctrl-S"},
    {315, "Ctrl-F5", "Ctrl-F5"},        {316, "Ctrl-F6", "Ctrl-F6"},
    {317, "Ctrl-F7", "Ctrl-F7"},        {318, "Shift-Up", "Shift-Up"},
    {319, "Shift-Down", "Shift-Down"},  {320, "Shift-PgUp", "Shift-PgUp"},
    {321, "Shift-PgDn", "Shift-PgDn"},  {322, "Ctrl-C", "Ctrl-C"},
    {323, "Shift-Ins", "Shift-Ins"},    {324, "Shift-Del", "Shift-Del"},
    {325, "Ctrl-Ins", "Ctrl-Ins"},      {326, "Ctrl-X", "Ctrl-X"},
    {327, "Ctrl-V", "Ctrl-V"},          {328, "Shift-Left", "Shift-Left"},
    {329, "Shift-Right", "Shift-Right"}, {330, "Ctrl-N", "Ctrl-N"},
    {331, "Ctrl-T", "Ctrl-T"},          {332, "Shift-End", "Shift-End"},
    {333, "Shift-Home", "Shift-Home"},  {334, "Alt-F5", "Alt-F5"},
    {335, "Alt-F6", "Alt-F6"},          {336, "Alt-Left", "Alt-Left"},
    {337, "Alt-Right", "Alt-Right"},
};

class KeyTableTest : public PlicatoTest {
 protected:
  void SetUp() override {
    PlicatoTest::SetUp();
    ctx.keys.set(kPlicatoStandardTable);
  }
  void TearDown() override {
    ctx.keys.set(kPlicatoStandardTable);
    PlicatoTest::TearDown();
  }
};

TEST_F(KeyTableTest, BothLayoutsBindTheDocumentedKeys) {
  for (int i = 0; i < 83; ++i) {
    SCOPED_TRACE("entry " + std::to_string(i));
    EXPECT_EQ(kPlicatoStandardTable[i].command, kLayouts[i].command);
    EXPECT_EQ(kWindowsTable[i].command, kLayouts[i].command);
    EXPECT_EQ(keyName(kPlicatoStandardTable[i]), kLayouts[i].standardKey);
    EXPECT_EQ(keyName(kWindowsTable[i]), kLayouts[i].windowsKey);
  }
  // Undo and redo sit on the same keys in both layouts.
  for (const CommandKeyTable* t : {&kPlicatoStandardTable, &kWindowsTable}) {
    EXPECT_EQ(keyName((*t)[83]), "Alt-Backspace");
    EXPECT_EQ((*t)[83].command, cmdUndo);
    EXPECT_EQ(keyName((*t)[84]), "Shift-Alt-Backspace");
    EXPECT_EQ((*t)[84].command, cmdRedo);
    EXPECT_EQ((*t)[85], CommandKey{});
  }
}

TEST_F(KeyTableTest, EveryEntryIsFoundAgainByItsKey) {
  for (const CommandKeyTable* t : {&kPlicatoStandardTable, &kWindowsTable}) {
    std::set<std::pair<int, int>> seen;
    for (int i = 0; i < 83; ++i) {
      const CommandKey& k = (*t)[i];
      EXPECT_TRUE(seen.insert({k.kind, k.code}).second) << "key bound twice at entry " << i;
      EXPECT_EQ(findEntry(*t, k.kind, k.code), i);
    }
    EXPECT_EQ(findEntry(*t, kCharKey, 'a'), -1);
  }
}

TEST_F(KeyTableTest, SomeKeysDifferBetweenLayouts) {
  ctx.keys.selectStartupLayout(1);
  EXPECT_EQ(ctx.keys.entry(ctx.keys.find(kCharKey, 1)).command, cmdAutofold);
  ctx.keys.selectStartupLayout(2);
  EXPECT_EQ(ctx.keys.entry(ctx.keys.find(kCharKey, 1)).command, cmdSaveAs);
  for (const CommandKeyTable* t : {&kPlicatoStandardTable, &kWindowsTable}) {
    std::vector<std::string> keys;
    for (const CommandKey& k : *t)
      if (k.command == cmdDeleteLine) keys.push_back(keyName(k));
    EXPECT_EQ(keys, (std::vector<std::string>{"Alt-F7", "Ctrl-Y"}));
  }
}

TEST_F(KeyTableTest, CommandFlags) {
  // Move line and copy line work on whole lines: no flag at all.
  for (int c : {cmdMoveLine, cmdCopyLine}) {
    EXPECT_FALSE(isLineCommand(c));
    EXPECT_FALSE(isBrowseSafe(c));
    EXPECT_FALSE(isCreateFoldSafe(c));
    EXPECT_FALSE(keepsMark(c));
  }
  EXPECT_TRUE(isLineCommand(cmdDeleteRight) && keepsMark(cmdDeleteRight));
  EXPECT_FALSE(isBrowseSafe(cmdDeleteRight));
  EXPECT_TRUE(isBrowseSafe(cmdRefresh) && isCreateFoldSafe(cmdRefresh) && keepsMark(cmdRefresh));
  // Create fold keeps a mark: with one it folds the marked lines.
  EXPECT_TRUE(isCreateFoldSafe(cmdCreateFold) && !isBrowseSafe(cmdCreateFold) &&
              keepsMark(cmdCreateFold));
  EXPECT_TRUE(isLineCommand(cmdMarkToStartOfLine) && isBrowseSafe(cmdMarkToStartOfLine) &&
              keepsMark(cmdMarkToStartOfLine));
  EXPECT_FALSE(keepsMark(cmdCopyBlock));
  EXPECT_TRUE(keepsMark(cmdCopyBlock2));
  // A special key keeps the mark by K; of the character keys only copy,
  // cut and paste block (Ctrl-C, Ctrl-X, Ctrl-V) keep it.
  for (int c = kFirstCommand - 1; c <= kLastCommand + 1; ++c) {
    EXPECT_EQ(keyKeepsMark(kSpecialKey, c), keepsMark(c)) << c;
    EXPECT_EQ(keyKeepsMark(kCharKey, c),
              c == cmdCopyBlock || c == cmdCutBlock2 || c == cmdPasteBlock2)
        << c;
    EXPECT_FALSE(keyKeepsMark(2, c)) << c;
  }
  int lineCommands = 0, createSafe = 0;
  for (int c = kFirstCommand; c <= kLastCommand; ++c) {
    lineCommands += isLineCommand(c);
    createSafe += isCreateFoldSafe(c);
  }
  EXPECT_EQ(lineCommands, 19);
  EXPECT_EQ(createSafe, 12);  // undo and redo take fold creation back and forth too
  for (int c : {0, 255, 340, -1, 100000}) {
    EXPECT_FALSE(isLineCommand(c) || isBrowseSafe(c) || isCreateFoldSafe(c) || keepsMark(c));
    EXPECT_EQ(commandName(c), "");
  }
}

TEST_F(KeyTableTest, EndMarkFlagsFollowTheTableInForce) {
  ctx.keys.selectStartupLayout(1);
  EXPECT_TRUE(ctx.keys.endMarkFlag(0));    // Ctrl-Home, special key
  EXPECT_TRUE(ctx.keys.endMarkFlag(2));    // Alt-F7
  EXPECT_FALSE(ctx.keys.endMarkFlag(3));   // Ctrl-Y is a character
  EXPECT_FALSE(ctx.keys.endMarkFlag(5));   // Del keeps the mark
  EXPECT_FALSE(ctx.keys.endMarkFlag(14));  // Ins folds it
  EXPECT_FALSE(ctx.keys.endMarkFlag(63));  // Shift-Up extends it
  EXPECT_TRUE(ctx.keys.endMarkFlag(83));  // undo ends a mark
  EXPECT_FALSE(ctx.keys.endMarkFlag(85));
  EXPECT_FALSE(ctx.keys.endMarkFlag(-1));
  EXPECT_FALSE(ctx.keys.endMarkFlag(86));
  ctx.keys.selectStartupLayout(2);
  EXPECT_FALSE(ctx.keys.endMarkFlag(0));   // Ctrl-K is a character
  EXPECT_TRUE(ctx.keys.endMarkFlag(16));   // PgUp
}

// The frame takes Ctrl-Tab and Ctrl-Shift-Tab to go from document to
// document: no layout may bind the codes these keys give. Alt-Backspace
// and Shift-Alt-Backspace give codes of their own, for undo and redo.
TEST_F(KeyTableTest, KeysLeftFreeForTheFrame) {
  const KeyState ctrl{true, false, false}, ctrlShift{true, true, false};
  const KeyState alt{false, false, true}, shiftAlt{false, true, true};
  const std::tuple<KeyState, int, int> keys[] = {{ctrl, VK_TAB, -1},
                                                 {ctrlShift, VK_TAB, -1},
                                                 {alt, VK_BACK, cmdUndo},
                                                 {shiftAlt, VK_BACK, cmdRedo}};
  for (const CommandKeyTable* t : {&kPlicatoStandardTable, &kWindowsTable})
    for (const auto& [state, vk, command] : keys) {
      const uint8_t code = specialKeyCode(state, vk);
      ASSERT_NE(code, 0);
      const int e = findEntry(*t, kSpecialKey, code);
      EXPECT_EQ(e < 0 ? -1 : (*t)[e].command, command) << int(code);
    }
}

TEST_F(KeyTableTest, LayoutChoiceAndUserDefined) {
  for (int layout : {0, 1, 3, 7}) {
    ctx.keys.selectStartupLayout(layout);
    EXPECT_EQ(ctx.keys.table(), kPlicatoStandardTable) << layout;
  }
  ctx.keys.selectStartupLayout(2);
  EXPECT_EQ(ctx.keys.table(), kWindowsTable);
  EXPECT_FALSE(ctx.keys.applyLayoutTable(3));
  EXPECT_EQ(ctx.keys.table(), kWindowsTable);
  EXPECT_TRUE(ctx.keys.applyLayoutTable(1));
  EXPECT_EQ(ctx.keys.table(), kPlicatoStandardTable);
  EXPECT_EQ(layoutCaption(1), "Plicato Standard");
  EXPECT_EQ(layoutCaption(2), "Windows");
  EXPECT_EQ(layoutCaption(3), "User defined");
  EXPECT_EQ(mainMenuResource(1), "MAIN_MENU_PLI");
  EXPECT_EQ(mainMenuResource(2), "MAIN_MENU_WIN");
  EXPECT_EQ(mainMenuResource(3), "MAIN_MENU_WIN");
  EXPECT_EQ(editorMenuResource(1), "MENU_PLI");
  EXPECT_EQ(editorMenuResource(3), "MENU_WIN");
}

TEST_F(KeyTableTest, FixedEntriesAndMenuKeys) {
  for (const CommandKeyTable* t : {&kPlicatoStandardTable, &kWindowsTable}) {
    ctx.keys.set(*t);
    EXPECT_EQ(ctx.keys.entry(kEntryEnterFold).command, cmdEnterFold);
    EXPECT_EQ(ctx.keys.entry(kEntryExit).command, cmdExit);
    EXPECT_EQ(ctx.keys.entry(kEntryRefresh).command, cmdRefresh);
    EXPECT_EQ(ctx.keys.entry(85), CommandKey{});
    for (int c = kFirstCommand; c <= kLastCommand; ++c) {
      int e = ctx.keys.entryForCommand(c);
      ASSERT_GE(e, 0) << c;
      EXPECT_FALSE(ctx.keys.keyNameOfCommand(c).empty());
      EXPECT_FALSE(commandLabel(c).empty());
    }
  }
  ctx.keys.set(kPlicatoStandardTable);
  EXPECT_EQ(ctx.keys.keyNameOfCommand(cmdFinish), "Ctrl-End");
  EXPECT_EQ(ctx.keys.keyNameOfCommand(cmdDeleteLine), "Alt-F7");
  EXPECT_EQ(ctx.keys.keyNameOfCommand(0), "");
  // Codes shared with the Alt letters read as the navigation keys.
  EXPECT_EQ(keyName(kSpecialKey, 0x30), "Shift-Ins");
  EXPECT_EQ(keyName(kSpecialKey, 0x10), "Alt-Q");
  EXPECT_EQ(keyName(kSpecialKey, 0x85), "F11");
  EXPECT_EQ(keyName(kSpecialKey, 0x02), "Key 0/2");
  EXPECT_EQ(keyName(kCharKey, 'x'), "x");
}

}  // namespace
