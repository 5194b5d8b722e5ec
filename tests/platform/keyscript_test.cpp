#include <gtest/gtest.h>

#include "platform/batchhost.hpp"
#include "platform/keyscript.hpp"

namespace {

using M = KeyMessage;

KeyStroke one(const std::string& script) {
  std::string err;
  auto s = parseKeyScript(script, &err);
  EXPECT_TRUE(s) << err;
  EXPECT_EQ(s ? s->size() : 0u, 1u);
  return s && !s->empty() ? s->front() : KeyStroke{};
}

TEST(KeyScript, CombinationsGiveTheMessagesOfAPcKeyboard) {
  EXPECT_EQ(one("Ctrl-A"), (KeyStroke{{M::KeyDown, 0x11}, {M::KeyDown, 'A'}, {M::Char, 1},
                                      {M::KeyUp, 'A'}, {M::KeyUp, 0x11}}));
  EXPECT_EQ(one("Alt-Q"), (KeyStroke{{M::SysKeyDown, 0x12}, {M::SysKeyDown, 'Q'},
                                     {M::SysKeyUp, 'Q'}, {M::KeyUp, 0x12}}));
  EXPECT_EQ(one("Enter"), (KeyStroke{{M::KeyDown, 0x0D}, {M::Char, 13}, {M::KeyUp, 0x0D}}));
  EXPECT_EQ(one("Shift-Up"), (KeyStroke{{M::KeyDown, 0x10}, {M::KeyDown, 0x26},
                                        {M::KeyUp, 0x26}, {M::KeyUp, 0x10}}));
  EXPECT_EQ(one("Ctrl-Backspace")[2], (M{M::Char, 127}));
  EXPECT_EQ(one("F10")[0], (M{M::SysKeyDown, 0x79}));  // F10 is a system key
  EXPECT_EQ(one("Shift-F9")[1], (M{M::KeyDown, 0x78}));
  EXPECT_EQ(one("alt-0")[1], (M{M::SysKeyDown, '0'}));
  EXPECT_EQ(one("a")[1], (M{M::Char, 'a'}));
  // Prefixes combine in any order; the modifiers go down in one order.
  const KeyStroke ctrlShiftTab{{M::KeyDown, 0x11}, {M::KeyDown, 0x10}, {M::KeyDown, 0x09},
                               {M::KeyUp, 0x09},   {M::KeyUp, 0x10},   {M::KeyUp, 0x11}};
  EXPECT_EQ(one("Ctrl-Shift-Tab"), ctrlShiftTab);
  EXPECT_EQ(one("shift-CTRL-tab"), ctrlShiftTab);
  const KeyStroke shiftAltBack{{M::KeyDown, 0x10},   {M::SysKeyDown, 0x12}, {M::SysKeyDown, 0x08},
                               {M::SysKeyUp, 0x08}, {M::KeyUp, 0x12},      {M::KeyUp, 0x10}};
  EXPECT_EQ(one("Shift-Alt-Backspace"), shiftAltBack);
  EXPECT_EQ(one("Alt-Shift-Backspace"), shiftAltBack);
  EXPECT_EQ(one("Ctrl-Alt-X"), one("Alt-Ctrl-X"));
  EXPECT_EQ(one("Ctrl-Alt-X").size(), 6u);  // no character: Alt takes it
  EXPECT_EQ(one("Ctrl-Shift-A")[3], (M{M::Char, 1}));
}

TEST(KeyScript, StringsTypeTheirCharactersWithEscapes) {
  auto s = parseKeyScript(R"("A \"q\" \\")", nullptr);
  ASSERT_TRUE(s);
  std::string typed;
  for (auto& stroke : *s)
    for (auto& m : stroke)
      if (m.type == M::Char) typed += static_cast<char>(m.code);
  EXPECT_EQ(typed, "A \"q\" \\");
  // Latin-1 from UTF-8; characters beyond it are dropped.
  auto l = parseKeyScript("\"\xC3\xA9\xE2\x82\xAC\"", nullptr);
  ASSERT_TRUE(l);
  ASSERT_EQ(l->size(), 1u);
  EXPECT_EQ(l->front().back().type, M::Char);
}

TEST(KeyScript, BadTokensAreNamed) {
  std::string err;
  EXPECT_FALSE(parseKeyScript("Up Hyper-X", &err));
  EXPECT_NE(err.find("Hyper-X"), std::string::npos);
  EXPECT_FALSE(parseKeyScript("\"open", &err));
  EXPECT_FALSE(parseKeyScript("F13", &err));
  for (const char* bad : {"Ctrl-Shift-", "Alt-", "Ctrl-Hyper-X", "Shift-Alt-F13"}) {
    EXPECT_FALSE(parseKeyScript(bad, &err)) << bad;
    EXPECT_NE(err.find(bad), std::string::npos) << err;
  }
}

TEST(BatchHostAnswers, BoxesTakeTheirAnswerOrTheSafestDefault) {
  BatchHost h;
  h.queueAnswer("yes");
  EXPECT_EQ(h.messageBox("q", "c", MbButtons::YesNoCancel, MbIcon::Question), MbResult::Yes);
  EXPECT_EQ(h.messageBox("q", "c", MbButtons::YesNoCancel, MbIcon::Question), MbResult::Cancel);
  EXPECT_EQ(h.messageBox("q", "c", MbButtons::YesNo, MbIcon::Question), MbResult::No);
  h.queueAnswer("yes");  // not offered by an OK box
  EXPECT_EQ(h.messageBox("q", "c", MbButtons::Ok, MbIcon::None), MbResult::Ok);
  ASSERT_EQ(h.events().size(), 4u);
  EXPECT_EQ(h.events()[1].answer, "cancel");
  h.queueAnswer("");
  EXPECT_FALSE(h.prompt("INPUT2", "Line number", "", 15));
  h.queueAnswer("text=abc;mode=all;case=on;backward=on");
  auto r = h.searchDialog({}, true);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->text, "abc");
  EXPECT_EQ(r->mode, SearchRequest::Mode::ReplaceAll);
  EXPECT_TRUE(r->matchCase);
  EXPECT_TRUE(r->backward);
}

}  // namespace
