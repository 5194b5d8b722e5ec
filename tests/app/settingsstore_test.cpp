#include "app/settingsstore.hpp"

#include <sys/stat.h>

#include <sstream>

#include "app/registry.hpp"
#include "model/profile.hpp"
#include "model/settings.hpp"
#include "settings_fixture.hpp"

using namespace std::string_literals;

namespace {

const std::string kRoot = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\";

// Every stored field, one per line, so a failed comparison names the field.
std::string dump(const Settings& s) {
  std::ostringstream o;
  o << "autoSaveAtTopLevel " << s.autoSaveAtTopLevel << "\nautoSave " << s.autoSave
    << "\ntabSize " << s.tabSize << "\nsyntaxHighlighting " << s.syntaxHighlighting
    << "\nkeyboardLayout " << s.keyboardLayout << "\nuserTextColour " << s.userTextColour
    << "\nuserBackColour " << s.userBackColour << "\nuserSelTextColour " << s.userSelTextColour
    << "\nuserSelBackColour " << s.userSelBackColour << "\ncolourScheme " << s.colourScheme
    << "\nface " << s.printerFont.faceName << "\nweight " << s.printerFont.weight << "\nitalic "
    << int(s.printerFont.italic) << "\nheight " << s.printerFont.height << "\nwidth "
    << s.printerFont.width << "\ncompilerCmdLine " << s.compilerCmdLine << "\nlinkAddress "
    << s.linkAddress << "\nlinkTimeout " << s.linkTimeout << "\niccBtlPath " << s.iccBtlPath
    << "\ncompilerParameters " << s.compilerParameters << "\nexternalCompiler "
    << s.externalCompiler << "\nmakerCmdLine " << s.makerCmdLine << "\nmakefile " << s.makefile
    << "\nmakerParameters " << s.makerParameters << "\nmakerWorkingDirectory "
    << s.makerWorkingDirectory << "\nexternalMaker " << s.externalMaker << "\nshowToolbar "
    << s.showToolbar << "\nshowStatusBar " << s.showStatusBar << "\nhighlightUnknownFiles "
    << s.highlightUnknownFiles << "\nbackup " << s.backup << "\nrunArguments " << s.runArguments
    << "\ncolours " << s.normalText << " " << s.normalBack << " " << s.selectedText << " "
    << s.selectedBack << "\n";
  return o.str();
}

// Nothing in it is a default of either store.
Settings unusual() {
  Settings s;
  s.autoSaveAtTopLevel = true;
  s.autoSave = 15;
  s.tabSize = 3;
  s.syntaxHighlighting = true;
  s.keyboardLayout = kLayoutUser;
  s.userTextColour = 0x112233;
  s.userBackColour = 0x445566;
  s.userSelTextColour = 0xFFFFFFFF;
  s.userSelBackColour = 0x010203;
  s.colourScheme = kSchemeUser;
  s.printerFont = {"Courier New", 700, 1, -13, 7};
  s.compilerCmdLine = "icc \"%s\" C:\\bin\\";
  s.linkAddress = "0x150";
  s.linkTimeout = "30";
  s.iccBtlPath = "/opt/icc.btl";
  s.compilerParameters = "-g";
  s.externalCompiler = false;
  s.makerCmdLine = "make -k";
  s.makefile = "Makefile.mak";
  s.makerParameters = "all";
  s.makerWorkingDirectory = "/src";
  s.externalMaker = false;
  s.showToolbar = false;
  s.showStatusBar = false;
  s.highlightUnknownFiles = false;
  s.backup = true;
  s.runArguments = "--verbose 'a b'";
  return s;
}

}  // namespace

class StoreFormTest : public SettingsTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    useWin32s(GetParam());
  }
  // Stores one raw text the way a user's file would hold it.
  void store(const char* regPath, const char* section, const char* key, const std::string& text) {
    if (GetParam())
      plicatoIni().writeString(section, key, text);
    else
      registry().setString(kRoot + regPath, "", text);
  }
};

INSTANTIATE_TEST_SUITE_P(BothForms, StoreFormTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Profile" : "Registry"; });

// The two stores were given different defaults; both sets must hold.
TEST_P(StoreFormTest, MissingEntriesTakeTheDefaultsOfTheirStore) {
  bool profile = GetParam();
  settings() = unusual();
  loadAllSettings(ctx.settings);
  Settings want;  // the common defaults...
  want.keyboardLayout = profile ? kLayoutStandard : kLayoutWindows;  // ...and the differing ones
  want.externalMaker = !profile;
  want.userBackColour = profile ? 0 : 0xFFFFFF;
  want.userSelTextColour = profile ? 0 : 0xFFFFFF;
  EXPECT_EQ(dump(settings()), dump(want));
}

TEST_P(StoreFormTest, EverySettingSurvivesSaveAndLoad) {
  Settings s = unusual();
  settings() = s;
  ASSERT_TRUE(saveAllSettings(ctx.settings, host));
  // The view switches are written at exit, not by Save all.
  ASSERT_TRUE(saveViewSwitches(ctx.settings, host));
  settings() = Settings{};
  loadAllSettings(ctx.settings);
  Settings want = s;
  want.normalText = 0x112233;
  want.normalBack = 0x445566;
  want.selectedText = 0xFFFFFFFF;
  want.selectedBack = 0x010203;
  EXPECT_EQ(dump(settings()), dump(want));
  EXPECT_TRUE(host.boxTexts().empty());
}

TEST_P(StoreFormTest, NumbersAreClampedAndBadNumbersReadAsZero) {
  struct Case {
    const char* tabSize;
    int wantTab;
    const char* autoSave;
    int wantAutoSave;
  } cases[] = {
      {"50", 20, "-5", 0},   {"0", 1, "12", 12},      {"20", 20, "0", 0},
      {"1", 1, "abc", 0},    {"abc", 1, " 7x", 7},    {"-3", 1, "+4", 4},
      {"99999999999", 20, "-99999999999", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tabSize);
    store("Editor\\TabSize", "EDITOR", "TABSIZE", c.tabSize);
    store("Editor\\AutoSave", "EDITOR", "AUTOSAVE", c.autoSave);
    loadAllSettings(ctx.settings);
    EXPECT_EQ(settings().tabSize, c.wantTab);
    EXPECT_EQ(settings().autoSave, c.wantAutoSave);
  }
  store("Printer Font\\Weight", "PRINTER FONT", "Weight", "99999999999");
  loadAllSettings(ctx.settings);
  EXPECT_EQ(settings().printerFont.weight, INT32_MAX);
}

TEST_P(StoreFormTest, SwitchesAndChoicesReadTheirExactTexts) {
  struct Case {
    const char* text;
    bool onlyOn;      // AUTOSAVEATTOPLEVEL: on only for "ON"
    bool unlessOff;   // ExternalMaker: on unless "OFF"
    int layoutFrom3;  // KEYBOARD_LAYOUT read over a layout of 3
    int scheme;
  } cases[] = {
      {"ON", true, true, kLayoutUser, kSchemeStandard},
      {"OFF", false, false, kLayoutUser, kSchemeStandard},
      {"on", false, true, kLayoutUser, kSchemeStandard},
      {"", false, true, kLayoutUser, kSchemeStandard},
      {"Plicato Standard", false, true, kLayoutStandard, kSchemeStandard},
      {"Windows", false, true, kLayoutWindows, kSchemeStandard},
      {"System", false, true, kLayoutUser, kSchemeSystem},
      {"User defined", false, true, kLayoutUser, kSchemeUser},
      {"windows", false, true, kLayoutUser, kSchemeStandard},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    store("Editor\\AutoSaveAtTopLevel", "EDITOR", "AUTOSAVEATTOPLEVEL", c.text);
    store("Maker\\ExternalMaker", "MAKER", "ExternalMaker", c.text);
    store("Editor\\KeyboardLayout", "EDITOR", "KEYBOARD_LAYOUT", c.text);
    store("Editor\\Colors", "EDITOR", "COLORS", c.text);
    settings().keyboardLayout = kLayoutUser;
    loadAllSettings(ctx.settings);
    EXPECT_EQ(settings().autoSaveAtTopLevel, c.onlyOn);
    EXPECT_EQ(settings().externalMaker, c.unlessOff);
    EXPECT_EQ(settings().keyboardLayout, c.layoutFrom3);
    EXPECT_EQ(settings().colourScheme, c.scheme);
  }
}

TEST_P(StoreFormTest, ReadSwitchClearsOnlyForExactlyOff) {
  for (const char* text : {"OFF", "off", "ON", "0", ""}) {
    SCOPED_TRACE(text);
    store("View\\Harbor", "View", "Harbor", text);
    bool value = false;
    readSwitch(kPlicatoRoot, "View\\Harbor", value);
    EXPECT_EQ(value, std::string(text) != "OFF");
  }
  bool missing = false;
  readSwitch(kPlicatoRoot, "View\\Nothing", missing);
  EXPECT_TRUE(missing);
  ASSERT_TRUE(writeSwitch(kPlicatoRoot, "View\\Status", false, host));
  bool status = true;
  readSwitch(kPlicatoRoot, "View\\Status", status);
  EXPECT_FALSE(status);
}

TEST_P(StoreFormTest, ColourSchemesGiveTheFourColours) {
  setSystemColourSource([] { return SystemColours{0x00AA00, 0x202020}; });
  struct Case {
    const char* scheme;
    std::array<uint32_t, 4> want;
  } cases[] = {
      {"Plicato Standard", {0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000}},
      {"no such scheme", {0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000}},
      {"System", {0x00AA00, 0x202020, 0x202020, 0x00AA00}},
      {"User defined", {1, 2, 3, 4}},
  };
  store("Editor\\Colors\\UserTextColor", "EDITOR", "USER_TEXT_COLOR", "1");
  store("Editor\\Colors\\UserBackgroundColor", "EDITOR", "USER_BACKGROUND_COLOR", "2");
  store("Editor\\Colors\\UserSelectedTextColor", "EDITOR", "USER_SELECTED_TEXT_COLOR", "3");
  store("Editor\\Colors\\UserSelectedBackgroundColor", "EDITOR",
        "USER_SELECTED_BACKGROUND_COLOR", "4");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scheme);
    store("Editor\\Colors", "EDITOR", "COLORS", c.scheme);
    loadAllSettings(ctx.settings);
    const Settings& s = settings();
    EXPECT_EQ((std::array<uint32_t, 4>{s.normalText, s.normalBack, s.selectedText,
                                       s.selectedBack}),
              c.want);
  }
  setSystemColourSource(nullptr);
  settings().colourScheme = kSchemeSystem;
  applyColourScheme(ctx.settings);
  EXPECT_EQ(settings().normalText, 0x000000u);
  EXPECT_EQ(settings().normalBack, 0xFFFFFFu);
}

TEST_F(SettingsTest, Win32sPutsEverySettingInThePlicatoIni) {
  useWin32s(true);
  settings() = unusual();
  ASSERT_TRUE(saveAllSettings(ctx.settings, host));
  ASSERT_TRUE(saveViewSwitches(ctx.settings, host));
  EXPECT_FALSE(fileExists(registryPath()));
  ProfileFile ini(profilePath());
  ini.refresh();
  EXPECT_EQ(ini.getString("EDITOR", "TABSIZE", ""), "3");
  EXPECT_EQ(ini.getString("EDITOR", "KEYBOARD_LAYOUT", ""), "User defined");
  EXPECT_EQ(ini.getString("EDITOR", "USER_SELECTED_TEXT_COLOR", ""), "-1");
  EXPECT_EQ(ini.getString("EDITOR", "BACKUP", ""), "ON");
  EXPECT_EQ(ini.getString("PRINTER FONT", "Italic", ""), "1");
  EXPECT_EQ(ini.getString("COMPILER", "RunArguments", ""), "--verbose 'a b'");
  EXPECT_EQ(ini.getString("MAKER", "CMDLINE", ""), "make -k");
  EXPECT_EQ(ini.getString("View", "Harbor", ""), "OFF");
  // The unknown-files switch is key "Highlight" of section "Editor".
  EXPECT_EQ(ini.getString("Editor", "Highlight", ""), "OFF");
  EXPECT_FALSE(ini.has("Editor", "Highlight Unknown Files"));
  EXPECT_TRUE(ini.has("FILE_TYPES", "NumberOfFileTypes"));
}

TEST_F(SettingsTest, OtherwiseEverySettingGoesToTheRegistryFile) {
  settings() = unusual();
  ASSERT_TRUE(saveAllSettings(ctx.settings, host));
  std::string reg = registryText();
  EXPECT_NE(reg.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\Editor\\TabSize]\n"
                     "@=\"3\"\n\n"),
            std::string::npos);
  EXPECT_NE(reg.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\Editor\\Highlight "
                     "Unknown Files]\n@=\"OFF\"\n"),
            std::string::npos);
  EXPECT_EQ(reg.find("View\\Harbor"), std::string::npos) << "Save all leaves the view switches";
  ProfileFile ini(profilePath());
  ini.refresh();
  EXPECT_TRUE(ini.keys("EDITOR").empty());
  EXPECT_TRUE(ini.has("FILE_TYPES", "NumberOfFileTypes"));
}

// No cached choice: the same process reads whichever store the platform
// names at the moment of reading.
TEST_F(SettingsTest, ThePlatformIsAskedAtEveryRead) {
  plicatoIni().writeString("EDITOR", "TABSIZE", "5");
  registry().setString(kRoot + "Editor\\TabSize", "", "9");
  loadAllSettings(ctx.settings);
  EXPECT_EQ(settings().tabSize, 9);
  useWin32s(true);
  loadAllSettings(ctx.settings);
  EXPECT_EQ(settings().tabSize, 5);
  ::setenv("PLICATO_WIN32S", "yes", 1);
  EXPECT_FALSE(settingsInProfile());
}

TEST_F(SettingsTest, AHandWrittenRegistryFileIsRead) {
  writeFile(registryPath(),
            "REGEDIT4\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\Editor\\TabSize]\n"
            "@=\"4\"\n\n"
            "[HKEY_LOCAL_MACHINE\\software\\varnex\\korvel\\plicato\\EDITOR\\KEYBOARDLAYOUT]\n"
            "@=\"Plicato Standard\"\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Varnex\\Korvel\\Plicato\\Compiler\\CMDLine]\n"
            "@=\"icc \\\"x\\\" C:\\\\out\"\n");
  loadAllSettings(ctx.settings);
  EXPECT_EQ(settings().tabSize, 4);
  EXPECT_EQ(settings().keyboardLayout, kLayoutStandard);
  EXPECT_EQ(settings().compilerCmdLine, "icc \"x\" C:\\out");
}

TEST_F(SettingsTest, MalformedStoresLoadWhatTheyCan) {
  writeFile(registryPath(), "REGEDIT4\n\x00\xff\n[junk\n\n"s +
                                "[" + kRoot + "Editor\\TabSize]\n@=\"6\"\n" +
                                std::string(200000, 'x') + "\n@\n");
  loadAllSettings(ctx.settings);
  EXPECT_EQ(settings().tabSize, 6);
  useWin32s(true);
  writeFile(profilePath(), "[EDITOR]\n\x01\x00garbage\nno equals\nTABSIZE=11\n"s +
                               std::string(200000, '=') + "\nAUTOSAVE=3\n");
  loadAllSettings(ctx.settings);
  EXPECT_EQ(settings().tabSize, 11);
  EXPECT_EQ(settings().autoSave, 3);
}

TEST_F(SettingsTest, AnUnwritableStoreIsReportedOnceAndMemoryStays) {
  ASSERT_EQ(::mkdir(registryPath().c_str(), 0755), 0);  // in the way of the file
  settings() = unusual();
  std::string before = dump(settings());
  EXPECT_FALSE(saveAllSettings(ctx.settings, host));
  EXPECT_EQ(dump(settings()), before);
  ASSERT_EQ(host.boxTexts().size(), 1u);
  EXPECT_EQ(host.events()[0].caption, "Plicato Error");
  EXPECT_NE(host.boxTexts()[0].find(registryPath()), std::string::npos);
  EXPECT_NE(host.boxTexts()[0].find("directory"), std::string::npos) << host.boxTexts()[0];

  // The automatic writes that follow stay quiet...
  EXPECT_FALSE(saveViewSwitches(ctx.settings, host));
  EXPECT_FALSE(writeSwitch(kPlicatoRoot, "View\\Status", true, host));
  EXPECT_EQ(host.boxTexts().size(), 1u);
  // ...while the user's next save is told again.
  EXPECT_FALSE(saveAllSettings(ctx.settings, host));
  EXPECT_EQ(host.boxTexts().size(), 2u);

  // Once the file can be written, nothing of the session is lost.
  ASSERT_EQ(::rmdir(registryPath().c_str()), 0);
  EXPECT_TRUE(saveViewSwitches(ctx.settings, host));
  Registry reg(registryPath());
  reg.load();
  EXPECT_EQ(reg.getString(kRoot + "Editor\\TabSize"), "3");
  EXPECT_EQ(reg.getString(kRoot + "View\\Status"), "OFF");  // saveViewSwitches wrote it last
}
