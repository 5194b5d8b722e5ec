#include <gtest/gtest.h>

#include <sstream>

#include "commands/helptext.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"

namespace {

class HelpTextTest : public PlicatoTest {
 protected:
  void TearDown() override {
    ctx.keys.set(kPlicatoStandardTable);
    PlicatoTest::TearDown();
  }
  static const HelpKey* find(const HelpModel& m, const std::string& section, int row, int col) {
    for (const HelpSection& s : m.sections)
      if (s.title == section) return &s.rows.at(row).at(col);
    return nullptr;
  }
};

TEST_F(HelpTextTest, DialogFollowsTheLayoutSettingAndTheTableInForce) {
  HelpModel std1 = helpModel(1, kPlicatoStandardTable);
  EXPECT_EQ(std1.resource, "HELP");
  EXPECT_EQ(std1.title, "Standard Plicato Keyboard Layout");
  EXPECT_EQ(std1.buttons, (std::vector<std::string>{"Ok", "Print"}));
  EXPECT_EQ(find(std1, "Function keys", 6, 0)->label, "<-- line");     // F7
  EXPECT_EQ(find(std1, "Function keys", 1, 1)->label, "File/Unfile");  // Shift-F2
  EXPECT_EQ(find(std1, "Keypad", 0, 1)->label, "Del to EOL");          // Ctrl-Home
  EXPECT_EQ(find(std1, "Keypad", 5, 1)->label, "Finish");              // Ctrl-End
  EXPECT_EQ(find(std1, "Keypad", 9, 1)->label, "Undel. char");         // Ctrl-Del
  EXPECT_EQ(find(std1, "Ctrl and letter", 0, 0)->label, "Autofold");

  // "User defined" after "Windows": the Windows keys under the Windows title.
  ctx.keys.set(kWindowsTable);
  for (int setting : {2, 3}) {
    HelpModel m = helpModel(setting, ctx.keys.table());
    EXPECT_EQ(m.resource, "HELP_2");
    EXPECT_EQ(m.title, "Windows Keyboard Layout");
    EXPECT_EQ(find(m, "Ctrl and letter", 0, 0)->label, "Save as");
  }
}

TEST_F(HelpTextTest, EveryBindingIsTold) {
  for (const CommandKeyTable* t : {&kPlicatoStandardTable, &kWindowsTable}) {
    HelpModel m = helpModel(1, *t);
    for (int i = 0; i < 83; ++i) {
      const CommandKey& k = (*t)[i];
      bool told = false;
      for (const HelpSection& s : m.sections)
        for (const auto& row : s.rows)
          for (const HelpKey& h : row)
            if (h.key == keyName(k) && h.label == commandLabel(k.command)) told = true;
      EXPECT_TRUE(told) << keyName(k);
    }
  }
  for (int c = kFirstCommand; c <= kLastCommand; ++c) EXPECT_LE(commandLabel(c).size(), 12u) << c;
}

TEST_F(HelpTextTest, HelpFileMatchesTheLayoutsAndFitsThePage) {
  std::string shipped = readFile(std::string(PLICATO_SOURCE_DIR) + "/resources/help.txt");
  EXPECT_EQ(shipped, helpFileText()) << "resources/help.txt is out of date";
  std::istringstream in(shipped);
  int n = 0;
  for (std::string line; std::getline(in, line); ++n) EXPECT_LT(line.size(), 79u) << line;
  EXPECT_GT(n, 100);
}

TEST_F(HelpTextTest, CommandHelpShowsTheDialog) {
  struct HelpHost : BatchHost {
    std::string resource, title, text;
    void helpDialog(const std::string& r, const std::string& t, const std::string& x) override {
      resource = r;
      title = t;
      text = x;
    }
  } h;
  EditorContext c(h);
  c.settings.keyboardLayout = 1;
  showLayoutHelp(c);
  EXPECT_EQ(h.resource, "HELP");
  EXPECT_EQ(h.text.rfind("Standard Plicato Keyboard Layout\n", 0), 0u);
  EXPECT_NE(h.text.find("Ctrl-A  Autofold"), std::string::npos);
}

}  // namespace
