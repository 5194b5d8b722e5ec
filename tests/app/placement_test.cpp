#include "app/placement.hpp"

#include "app/registry.hpp"
#include "model/paths.hpp"
#include "model/profile.hpp"
#include "settings_fixture.hpp"

namespace {

const std::string kRoot = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\";

WindowPlacement at(int32_t left, int32_t top, int32_t right, int32_t bottom,
                   uint32_t showCmd = 1) {
  WindowPlacement p;
  p.flags = 2;
  p.showCmd = showCmd;
  p.left = left;
  p.top = top;
  p.right = right;
  p.bottom = bottom;
  return p;
}

PlacedWindow fileWindow(const std::string& file, int32_t left = 10) {
  PlacedWindow w;
  w.title = file;
  w.fileName = file;
  w.placement = at(left, 20, left + 400, 320);
  return w;
}

bool operator==(const WindowPlacement& a, const WindowPlacement& b) {
  return a.flags == b.flags && a.showCmd == b.showCmd && a.left == b.left && a.top == b.top &&
         a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

class PlacementFormTest : public SettingsTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    useWin32s(GetParam());
    host.setScreenSize(1024, 768);  // icons are 32 by 32
  }
};

INSTANTIATE_TEST_SUITE_P(BothForms, PlacementFormTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Profile" : "Registry"; });

TEST_P(PlacementFormTest, ARecordComesBackAsItWasStored) {
  WindowPlacement stored = at(-4, 5, 900, 700, 2);
  stored.flags = 0xFFFFFFFF;
  ASSERT_TRUE(storePlacement(host, "MainWindowPlacement", stored, true, false));
  WindowPlacement got;
  bool tree = false, maximised = true, wrap = true;
  ASSERT_TRUE(restorePlacement(host, "MainWindowPlacement", got, &tree, &maximised, &wrap));
  EXPECT_TRUE(got == stored);
  EXPECT_TRUE(tree);
  EXPECT_FALSE(maximised);
  EXPECT_FALSE(wrap);
}

// The corner must leave at least an icon's room on the screen.
TEST_P(PlacementFormTest, APlacementOffTheScreenIsIgnored) {
  struct Case {
    WindowPlacement p;
    bool restored;
  } cases[] = {
      {at(992, 0, 1200, 300), true},    // left == 1024 - 32
      {at(993, 0, 1200, 300), false},
      {at(0, 736, 300, 900), true},     // top == 768 - 32
      {at(0, 737, 300, 900), false},
      {at(-900, 0, 32, 300), true},
      {at(-900, 0, 31, 300), false},    // right edge too far left
      {at(0, -500, 300, 31), false},    // bottom edge too far up
      {at(3000, 3000, 3400, 3300), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.p.left) + "," + std::to_string(c.p.top));
    ASSERT_TRUE(storePlacement(host, "MainWindowPlacement", c.p, false, false));
    WindowPlacement got = at(1, 1, 1, 1);
    EXPECT_EQ(restorePlacement(host, "MainWindowPlacement", got), c.restored);
    EXPECT_TRUE(got == (c.restored ? c.p : at(1, 1, 1, 1)));
  }
}

TEST_P(PlacementFormTest, AMaximisedFileWindowIsLeftToTheCallerToMaximise) {
  bool profile = GetParam();
  WindowPlacement p = at(10, 10, 500, 500, kShowMaximised);
  storePlacement(host, "File1Placement", p, false, true);
  storePlacement(host, "MainWindowPlacement", p, false, false);

  WindowPlacement got;
  bool maximised = false, wrap = false;
  ASSERT_TRUE(restorePlacement(host, "File1Placement", got, nullptr, &maximised, &wrap));
  EXPECT_TRUE(maximised);
  EXPECT_EQ(got.showCmd, profile ? 1u : 0u);
  EXPECT_TRUE(wrap);

  ASSERT_TRUE(restorePlacement(host, "MainWindowPlacement", got, nullptr, &maximised));
  EXPECT_FALSE(maximised);
  EXPECT_EQ(got.showCmd, kShowMaximised);
}

TEST_P(PlacementFormTest, SavePlacementStoresOnlyWhatItCanRead) {
  PlacedWindow w = fileWindow("/src/a.c");
  w.isEditorWindow = false;
  EXPECT_FALSE(savePlacement(host, w, "File1Placement", false, false));
  w.isEditorWindow = true;
  w.placement.reset();
  EXPECT_FALSE(savePlacement(host, w, "File1Placement", false, false));
  ASSERT_EQ(host.events().size(), 1u);
  EXPECT_EQ(host.events()[0].text, "Plicato");
  EXPECT_EQ(host.events()[0].caption, "Couldn't Get Window Placement");
  WindowPlacement got;
  EXPECT_FALSE(restorePlacement(host, "File1Placement", got));
  EXPECT_FALSE(restorePlacement(host, "NeverStored", got));
}

TEST_F(SettingsTest, RegistryRecordsAreBinaryValuesOfTheirKey) {
  ASSERT_TRUE(storePlacement(host, "MainWindowPlacement", at(1, 2, 259, -1, 3), true,
                             false));
  EXPECT_NE(registryText().find(
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\MainWindowPlacement]\n"
                "\"flags\"=hex:02,00,00,00\n"
                "\"showCmd\"=hex:03,00,00,00\n"
                "\"rcNormal\"=hex:01,00,00,00,02,00,00,00,03,01,00,00,ff,ff,ff,ff\n"
                "\"ShowTree\"=hex:01,00,00,00\n"
                "\"WrapMode\"=hex:00,00,00,00\n\n"),
            std::string::npos)
      << registryText();
}

TEST_F(SettingsTest, ProfileRecordsAreSectionsNamedLikeTheWindow) {
  useWin32s(true);
  ASSERT_TRUE(storePlacement(host, "File2Placement", at(-5, 6, 700, 800, 3), false, true));
  ProfileFile ini(profilePath());
  ini.refresh();
  EXPECT_EQ(ini.keys("File2Placement"),
            (std::vector<std::string>{"FLAGS", "SHOWCMD", "NORMAL_POSITION_LEFT",
                                      "NORMAL_POSITION_TOP", "NORMAL_POSITION_RIGHT",
                                      "NORMAL_POSITION_BOTTOM", "SHOW_TREE", "WRAP_MODE"}));
  EXPECT_EQ(ini.getString("File2Placement", "NORMAL_POSITION_LEFT", ""), "-5");
  EXPECT_EQ(ini.getString("File2Placement", "WRAP_MODE", ""), "1");
  EXPECT_FALSE(fileExists(registryPath()));
}

// Which parts of a registry record may be missing.
TEST_F(SettingsTest, AnIncompleteRegistryRecordIsNotRestored) {
  struct Case {
    const char* drop;
    bool askTree;
    bool restored;
  } cases[] = {
      {"flags", false, false},    {"showCmd", false, false}, {"rcNormal", false, false},
      {"ShowTree", true, false},  {"ShowTree", false, true}, {"WrapMode", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.drop);
    std::string text = "REGEDIT4\n\n[" + kRoot + "File1Placement]\n";
    auto value = [&](const char* name, const char* hex) {
      if (std::string(name) != c.drop) text += "\"" + std::string(name) + "\"=hex:" + hex + "\n";
    };
    value("flags", "00,00,00,00");
    value("showCmd", "01,00,00,00");
    value("rcNormal", "0a,00,00,00,0a,00,00,00,64,00,00,00,64,00,00,00");
    value("ShowTree", "01,00,00,00");
    value("WrapMode", "01,00,00,00");
    registry().parse(text);
    WindowPlacement got;
    bool tree = false, wrap = false;
    EXPECT_EQ(restorePlacement(host, "File1Placement", got, c.askTree ? &tree : nullptr,
                               nullptr, &wrap),
              c.restored);
    EXPECT_EQ(wrap, c.restored && std::string(c.drop) != "WrapMode");
  }
  // A value of the wrong size is as good as missing.
  registry().parse("[" + kRoot + "File1Placement]\n\"flags\"=hex:00,00,00,00\n"
                   "\"showCmd\"=hex:01,00,00,00\n\"rcNormal\"=hex:0a,00,00,00,0a,00,00,00\n");
  WindowPlacement got;
  EXPECT_FALSE(restorePlacement(host, "File1Placement", got));
}

TEST_F(SettingsTest, AProfileRecordReadsMissingKeysAsZeroButNeedsOne) {
  useWin32s(true);
  plicatoIni().writeString("File1Placement", "NORMAL_POSITION_RIGHT", "300");
  plicatoIni().writeString("File1Placement", "NORMAL_POSITION_BOTTOM", "200");
  WindowPlacement got = at(9, 9, 9, 9);
  bool tree = true;
  ASSERT_TRUE(restorePlacement(host, "File1Placement", got, &tree));
  EXPECT_TRUE(got == (WindowPlacement{0, 0, 0, 0, 300, 200}));
  EXPECT_FALSE(tree);
  plicatoIni().writeString("Empty", "SOMETHING", "1");
  EXPECT_FALSE(restorePlacement(host, "Empty", got));
}

class ReopenListTest : public PlacementFormTest {};
INSTANTIATE_TEST_SUITE_P(BothForms, ReopenListTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Profile" : "Registry"; });

TEST_P(ReopenListTest, SeventeenWindowsAreAllWrittenButSixteenReadBack) {
  std::vector<PlacedWindow> windows;
  for (int i = 1; i <= 17; ++i) windows.push_back(fileWindow("/src/f" + std::to_string(i) + ".c", i));
  windows[16].showTree = true;
  int counter = 0;
  ASSERT_TRUE(writeReopenList(host, windows, &counter));
  EXPECT_EQ(counter, 17);
  ProfileFile ini(profilePath());
  ini.refresh();
  EXPECT_EQ(ini.getString("FILES", "File17", ""), "/src/f17.c");
  EXPECT_EQ(ini.getString("FILES", "Counter", ""), "17");

  std::vector<std::string> files = readReopenList();
  ASSERT_EQ(files.size(), 16u);
  EXPECT_EQ(files.front(), "/src/f1.c");
  EXPECT_EQ(files.back(), "/src/f16.c");
  WindowPlacement got;
  bool tree = false;
  ASSERT_TRUE(restorePlacement(host, "File17Placement", got, &tree));
  EXPECT_EQ(got.left, 17);
  EXPECT_TRUE(tree);
  // The list lives in PLICATO.INI whatever the platform; the records do not.
  EXPECT_EQ(fileExists(registryPath()), !GetParam());
  EXPECT_EQ(ini.has("File1Placement", "FLAGS"), GetParam());
}

TEST_P(ReopenListTest, OnlyVisibleTitledEditorWindowsAreListed) {
  std::vector<PlacedWindow> old = {fileWindow("/a"), fileWindow("/b"), fileWindow("/c"),
                                   fileWindow("/d")};
  ASSERT_TRUE(writeReopenList(host, old));

  std::vector<PlacedWindow> windows(6, fileWindow("/x"));
  windows[0].hidden = true;
  windows[1].isEditorWindow = false;
  windows[2].title.clear();
  windows[3] = fileWindow("/kept.c");
  windows[4].title = "Noname";  // stays unnamed: may close, not listed
  windows[4].mayClose = [](PlacedWindow&) { return true; };
  windows[5].title = "Noname";  // saved under a name when asked
  windows[5].mayClose = [](PlacedWindow& w) {
    w.title = w.fileName = "/saved.c";
    return true;
  };
  int counter = 0;
  ASSERT_TRUE(writeReopenList(host, windows, &counter));
  EXPECT_EQ(counter, 2);
  EXPECT_EQ(readReopenList(), (std::vector<std::string>{"/kept.c", "/saved.c"}));
  ProfileFile ini(profilePath());
  ini.refresh();
  EXPECT_TRUE(ini.has("FILES", "File16"));
  EXPECT_EQ(ini.getString("FILES", "File3", "?"), "");
  EXPECT_EQ(ini.getString("FILES", "Counter", ""), "2");
}

TEST_P(ReopenListTest, AFileIsListedOnceAndCopiesStoredBeforeAreMerged) {
  // Two windows of one file (as older versions let happen) give one entry.
  std::vector<PlacedWindow> windows = {fileWindow("/a.c", 1), fileWindow("/b.c", 2),
                                       fileWindow("/a.c", 3)};
  int counter = 0;
  ASSERT_TRUE(writeReopenList(host, windows, &counter));
  EXPECT_EQ(counter, 2);
  EXPECT_EQ(readReopenList(), (std::vector<std::string>{"/a.c", "/b.c"}));

  // A list that holds copies already reads back with each file once, each
  // with the number of its first entry (its placement), relative names
  // compared as the absolute names they stand for.
  ProfileFile& ini = plicatoIni();
  const std::string here = absolutePath("r.c");
  const char* stored[] = {"/a.c", "/b.c", "/a.c", "r.c", "/b.c", here.c_str()};
  for (int n = 1; n <= 6; ++n) ini.writeString("FILES", "File" + std::to_string(n), stored[n - 1]);
  const std::vector<ReopenEntry> entries = readReopenEntries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].file, "/a.c");
  EXPECT_EQ(entries[0].number, 1);
  EXPECT_EQ(entries[1].file, "/b.c");
  EXPECT_EQ(entries[1].number, 2);
  EXPECT_EQ(entries[2].file, "r.c");
  EXPECT_EQ(entries[2].number, 4);
}

TEST_P(ReopenListTest, ARefusingNonameWindowCancelsAndKeepsTheOldList) {
  std::vector<PlacedWindow> old = {fileWindow("/a"), fileWindow("/b")};
  ASSERT_TRUE(writeReopenList(host, old));
  std::string before = iniText();

  std::vector<PlacedWindow> windows = {fileWindow("/new.c"), fileWindow("/x")};
  windows[1].title = "Noname";
  windows[1].mayClose = [](PlacedWindow&) { return false; };
  int counter = 0;
  EXPECT_FALSE(writeReopenList(host, windows, &counter));
  EXPECT_EQ(counter, -100);
  EXPECT_EQ(iniText(), before);
  EXPECT_EQ(readReopenList(), (std::vector<std::string>{"/a", "/b"}));
}

