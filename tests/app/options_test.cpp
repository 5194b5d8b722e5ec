// The options sheet's model: what OK applies, what Cancel leaves alone, and
// the refusals of the file-type and colours pages.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/batch.hpp"
#include "app/options.hpp"
#include "app/settingsstore.hpp"
#include "commands/keytable.hpp"
#include "commands/keytree.hpp"
#include "display/canvas.hpp"
#include "display/paint.hpp"
#include "model/filetypes.hpp"
#include "model/paths.hpp"
#include "model/profile.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"

namespace {

constexpr uint32_t kRed = 0x000080;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kBlack = 0x000000;

class OptionsTest : public PlicatoTest {
 protected:
  void SetUp() override {
    PlicatoTest::SetUp();
    ::unsetenv("PLICATO_WIN32S");
    StartOptions o;
    o.configDir = config.path();
    session = std::make_unique<BatchSession>(o, 12, 60);
  }
  // The session's editor: the settings and keys the options work on.
  Settings& settings() { return session->ctx.settings; }
  void TearDown() override {
    model.reset();
    session.reset();
    PlicatoTest::TearDown();
  }
  OptionsModel& sheet() {
    if (!model) model = std::make_unique<OptionsModel>(session->app());
    return *model;
  }
  int typeIndex(const std::string& name) {
    auto& types = sheet().fileTypePage();
    for (size_t i = 0; i < types.size(); ++i)
      if (types[i].name == name) return static_cast<int>(i);
    return -1;
  }
  std::vector<std::string> boxes() const { return session->host.boxTexts(); }

  std::unique_ptr<BatchSession> session;
  std::unique_ptr<OptionsModel> model;
};

TEST_F(OptionsTest, TabSizeIsKeptBetweenOneAndTwenty) {
  sheet().editorPage().tabSize = "0";
  ASSERT_TRUE(sheet().apply());
  EXPECT_EQ(settings().tabSize, 1);
  model.reset();
  sheet().editorPage().tabSize = "25";
  sheet().editorPage().autoSave = "-3";
  ASSERT_TRUE(sheet().apply());
  EXPECT_EQ(settings().tabSize, 20);
  EXPECT_EQ(settings().autoSave, 0);
  // What was stored reads back the same.
  loadAllSettings(session->ctx.settings);
  EXPECT_EQ(settings().tabSize, 20);
}

TEST_F(OptionsTest, EditorPageStoresItsSwitches) {
  settings().highlightUnknownFiles = true;
  EditorOptions& e = sheet().editorPage();
  EXPECT_FALSE(e.syntaxHighlighting);
  EXPECT_FALSE(e.highlightUnknownFiles);  // grayed and clear while 201 is off
  EXPECT_FALSE(sheet().setHighlightUnknownFiles(true));
  sheet().setSyntaxHighlighting(true);
  EXPECT_TRUE(sheet().setHighlightUnknownFiles(true));
  e.backup = true;
  e.autoSaveAtTopLevel = true;
  ASSERT_TRUE(sheet().apply());
  loadAllSettings(session->ctx.settings);
  EXPECT_TRUE(settings().syntaxHighlighting);
  EXPECT_TRUE(settings().highlightUnknownFiles);
  EXPECT_TRUE(settings().backup);
  EXPECT_TRUE(settings().autoSaveAtTopLevel);
  // Switching 201 off again clears 206 with it.
  model.reset();
  sheet().setSyntaxHighlighting(false);
  ASSERT_TRUE(sheet().apply());
  EXPECT_FALSE(settings().highlightUnknownFiles);
}

TEST_F(OptionsTest, OnlyShownPagesAreApplied) {
  settings().compilerCmdLine = "cc old";
  sheet().makerPage().cmdLine = "make new";
  ASSERT_TRUE(sheet().apply());
  EXPECT_EQ(settings().compilerCmdLine, "cc old");
  EXPECT_EQ(settings().makerCmdLine, "make new");
  // An overlong line is cut to what the store keeps.
  model.reset();
  sheet().compilerPage().linkAddress = std::string(40, '7');
  ASSERT_TRUE(sheet().apply());
  EXPECT_EQ(settings().linkAddress, std::string(15, '7'));
}

TEST_F(OptionsTest, CancelAfterSeveralPagesChangesNothing) {
  work.write("a.c", "int x;\r\n");
  OpenDocument* doc = session->open(work.file("a.c"));
  ASSERT_NE(doc, nullptr);
  MarkUpHash* table = doc->window.doc.markUp;
  const CommandKeyTable before = session->ctx.keys.table();
  const Settings was = settings();
  const auto files = snapshot(config.path());
  ASSERT_FALSE(files.empty());

  sheet().editorPage().tabSize = "3";
  sheet().editorPage().layout = kLayoutStandard;
  sheet().compilerPage().cmdLine = "icc x";
  sheet().makerPage().makefile = "x.mak";
  const int c = typeIndex("C");
  ASSERT_GE(c, 0);
  ASSERT_GE(sheet().addKeyword(c, {"x", kRed, kYellow}), 0);
  ASSERT_TRUE(sheet().setFeature(c, kFeatureExtensionList, {"*.c", 0, 0}));
  ASSERT_GE(sheet().addFileType({"Perl", "perl.mrk", c}), 0);
  ASSERT_TRUE(sheet().deleteFileType(typeIndex("Java")));
  model.reset();  // Cancel

  EXPECT_EQ(snapshot(config.path()), files);
  EXPECT_EQ(settings().tabSize, was.tabSize);
  EXPECT_EQ(settings().keyboardLayout, was.keyboardLayout);
  EXPECT_EQ(settings().compilerCmdLine, was.compilerCmdLine);
  EXPECT_EQ(settings().makefile, was.makefile);
  EXPECT_EQ(doc->window.doc.markUp, table);
  EXPECT_EQ(session->app().fileTypes().size(), 10u);
  EXPECT_TRUE(session->ctx.keys.table() == before);
}

TEST_F(OptionsTest, ModelledTypeGetsTheModelsSlotsAndNoKeywords) {
  const int c = typeIndex("C");
  const int perl = sheet().addFileType({"Perl", "perl.mrk", c});
  ASSERT_GE(perl, 0);
  EXPECT_EQ(sheet().fileTypes()[static_cast<size_t>(perl)].extensions, "*.perl");
  EXPECT_TRUE(sheet().fileTypes().back().name == "ALL_OTHER");
  ASSERT_TRUE(sheet().apply());

  const std::string written = readFile(config.file("perl.mrk"));
  EXPECT_EQ(written,
            ".             BLACK             WHITE             PLAIN_TEXT      \r\n"
            ".             BLACK             LIGHTGRAY         SELEC_TEXT      \r\n"
            "//            GREEN             WHITE             COMMENT         \r\n"
            "/*            GREEN             WHITE             BEG_COMMENT     \r\n"
            "*/            GREEN             WHITE             END_COMMENT     \r\n"
            "...           RED               WHITE             FOLDER          \r\n"
            "{{{           RED               WHITE             BEG_FOLDER      \r\n"
            "}}}           RED               WHITE             END_FOLDER      \r\n"
            "#             MAGENTA           WHITE             PREPROCESSOR    \r\n");
  ProfileFile ini(profilePath());
  ini.refresh();
  EXPECT_EQ(ini.getString("FILE_TYPES", "NumberOfFileTypes", ""), "10");
  EXPECT_EQ(ini.getString("FILE_TYPES", "FileType_9", ""), "Perl;*.perl;perl.mrk");
  const FileTypeList& live = session->app().fileTypes();
  ASSERT_EQ(live.size(), 11u);
  EXPECT_EQ(live[9].name, "Perl");
  EXPECT_EQ(live[9].table->keywordCount(), 0u);
  EXPECT_TRUE(live[9].table->hasBlockComment());
}

TEST_F(OptionsTest, TypeWithoutModelGetsTheDefaultFile) {
  ASSERT_GE(sheet().addFileType({"Notes", "notes.mrk", -1}), 0);
  ASSERT_TRUE(sheet().apply());
  EXPECT_EQ(readFile(config.file("notes.mrk")), defaultMarkUpContent());
}

TEST_F(OptionsTest, BadExtensionListsAndCommentPairsAreRefused) {
  const int c = typeIndex("C");
  for (const char* bad : {"", ".c;.h", "*.c;;*.h", "*.c; *.h", "*.c;", "c"}) {
    session->host.clearEvents();
    EXPECT_FALSE(sheet().setFeature(c, kFeatureExtensionList, {bad, 0, 0})) << bad;
    EXPECT_EQ(boxes(), std::vector<std::string>{kExtensionListText}) << bad;
  }
  EXPECT_EQ(sheet().featureText(c, kFeatureExtensionList), "*.c;*.h");
  EXPECT_TRUE(sheet().setFeature(c, kFeatureExtensionList, {" *.cpp;*c;*h", 0, 0}));
  EXPECT_EQ(sheet().featureText(c, kFeatureExtensionList), "*.cpp;*c;*h");

  for (const char* bad : {"/*", "/**/", "/* */ x"}) {
    session->host.clearEvents();
    EXPECT_FALSE(sheet().setFeature(c, kFeatureBeginEndComment, {bad, kRed, kYellow})) << bad;
    EXPECT_EQ(boxes(), std::vector<std::string>{kBeginEndText}) << bad;
    ASSERT_EQ(session->host.events().size(), 1u);
    EXPECT_EQ(session->host.events()[0].caption, "Plicato Error");
  }
  EXPECT_EQ(sheet().featureText(c, kFeatureBeginEndComment), "/* */");
  EXPECT_TRUE(sheet().setFeature(c, kFeatureBeginEndComment, {"(*   *)", kRed, kYellow}));
  EXPECT_EQ(sheet().featureText(c, kFeatureBeginEndComment), "(* *)");
  // Cleared, the pair is no longer written.
  EXPECT_TRUE(sheet().setFeature(c, kFeatureBeginEndComment, {"", kRed, kYellow}));
  EXPECT_EQ(sheet().featureText(c, kFeatureBeginEndComment), kUndefinedSlot);
  ASSERT_TRUE(sheet().apply());
  EXPECT_EQ(readFile(config.file("ansi_c.mrk")).find("COMMENT         \r\n*/"), std::string::npos);
  EXPECT_FALSE(session->app().fileTypes()[0].table->hasBlockComment());
}

TEST_F(OptionsTest, AllOtherKeepsItsSignsAndCannotBeDeleted) {
  const int all = typeIndex("ALL_OTHER");
  ASSERT_GE(all, 0);
  for (int f : {kFeatureComment, kFeatureBeginEndComment, kFeaturePreprocessor,
                kFeatureExtensionList, kFeatureFileName}) {
    session->host.clearEvents();
    EXPECT_FALSE(sheet().canEditFeature(all, f));
    EXPECT_FALSE(sheet().setFeature(all, f, {"x", 0, 0}));
    EXPECT_EQ(boxes()[0], kAllOtherFeaturesText);
  }
  EXPECT_TRUE(sheet().setFeature(all, kFeatureCommonText, {".", kRed, kYellow}));
  session->host.clearEvents();
  EXPECT_FALSE(sheet().deleteFileType(all));
  EXPECT_FALSE(sheet().deleteFileType(-1));
  EXPECT_EQ(boxes(), (std::vector<std::string>{"FileType ALL_OTHER can't be deleted.",
                                               "There is nothing to delete"}));
}

TEST_F(OptionsTest, KeywordRefusals) {
  const int c = typeIndex("C");
  session->host.clearEvents();
  EXPECT_EQ(sheet().addKeyword(c, {"int", kRed, kYellow}), -1);
  EXPECT_EQ(sheet().addKeyword(c, {"two words", kRed, kYellow}), -1);
  EXPECT_FALSE(sheet().editKeyword(c, 100000, {"y", kRed, kYellow}));
  EXPECT_FALSE(sheet().deleteKeyword(c, -1));
  const std::vector<std::string> want = {"Keyword\nint\nalready exists.",
                                         "A keyword can't contain blanks.",
                                         "There is no keyword to edit",
                                         "There is no keyword to delete"};
  EXPECT_EQ(boxes(), want);
}

TEST_F(OptionsTest, ColoursPageWithoutTypesAsksForOne) {
  FileTypeList none;
  OptionsModel empty(session->ctx, none, nullptr);
  EXPECT_TRUE(empty.colorsPage().empty());
  session->host.clearEvents();
  EXPECT_FALSE(empty.canAddKeyword());
  EXPECT_EQ(empty.addKeyword(0, {"x", 0, 0}), -1);
  EXPECT_EQ(boxes(), (std::vector<std::string>{kNoFileTypesText, kNoFileTypesText}));
}

TEST_F(OptionsTest, AddedKeywordColoursAnOpenWindowAfterOk) {
  work.write("a.c", "foo = bar;\r\nfoofoo\r\n");
  OpenDocument* doc = session->open(work.file("a.c"));
  ASSERT_NE(doc, nullptr);
  sheet().setSyntaxHighlighting(true);
  const int c = typeIndex("C");
  ASSERT_GE(sheet().addKeyword(c, {"foo", kRed, kYellow}), 0);
  ASSERT_TRUE(sheet().apply());
  EXPECT_EQ(doc->window.doc.markUp, session->app().fileTypes()[0].table.get());

  RunRecorder dc;
  paintRows(doc->window, dc, 1, doc->window.screenRows);
  auto runAt = [&](int row, const std::string& text) -> const RunRecorder::Run* {
    for (const auto& r : dc.runs)
      if (r.y == (row - 1) * doc->window.charHeight && r.text == text) return &r;
    return nullptr;
  };
  // Row 1 is the file's top; its text starts on row 2.
  const RunRecorder::Run* foo = runAt(2, "foo");
  ASSERT_NE(foo, nullptr);
  EXPECT_EQ(foo->textColour, kRed);
  EXPECT_EQ(foo->backColour, kYellow);
  EXPECT_EQ(runAt(3, "foo"), nullptr);  // not inside a longer word
  // And the file holds it for the next start.
  EXPECT_NE(readFile(config.file("ansi_c.mrk")).find("foo           RED               YELLOW"),
            std::string::npos);
}

TEST_F(OptionsTest, LongKeywordsSurviveAnUneditedOk) {
  const std::string longWord(100, 'k');
  const int c = typeIndex("C");
  ASSERT_GE(sheet().addKeyword(c, {longWord, kRed, kBlack}), 0);
  ASSERT_TRUE(sheet().apply());
  model.reset();
  sheet().colorsPage();
  ASSERT_TRUE(sheet().apply());
  const MarkUpHash& t = *session->app().fileTypes()[0].table;
  EXPECT_EQ(t.keywords.back()->text, longWord);
}

TEST_F(OptionsTest, AtMostEighteenTypesBesidesAllOther) {
  for (int i = 0; sheet().ownTypeCount() < OptionsModel::kMaxTypes; ++i)
    ASSERT_GE(sheet().addFileType({"T" + std::to_string(i), "t" + std::to_string(i) + ".mrk", 0}), 0);
  session->host.clearEvents();
  EXPECT_EQ(sheet().addFileType({"One more", "more.mrk", 0}), -1);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_NE(boxes()[0].find("at most 18"), std::string::npos);
  session->host.clearEvents();
  ASSERT_TRUE(sheet().apply());
  // The next start reads every type, with no complaint about the count.
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(session->app().fileTypes().size(), 19u);
  EXPECT_EQ(session->app().fileTypes().entries().back().name, "ALL_OTHER");
}

TEST_F(OptionsTest, OverwriteQuestions) {
  const int c = typeIndex("C");
  const size_t count = sheet().fileTypes().size();
  session->host.queueAnswer("no");
  EXPECT_EQ(sheet().addFileType({"Java", "java2.mrk", c}), -1);
  EXPECT_EQ(boxes().back(), "File type with name Java already exists.\nDo you want to overwrite it?");
  EXPECT_EQ(sheet().fileTypes().size(), count);

  // Yes: the type is replaced where it stood and keeps its extensions.
  session->host.queueAnswer("yes");
  const int java = typeIndex("Java");
  EXPECT_EQ(sheet().addFileType({"Java", "java2.mrk", c}), java);
  EXPECT_EQ(sheet().fileTypes()[static_cast<size_t>(java)].markupFile, "java2.mrk");
  EXPECT_EQ(sheet().fileTypes()[static_cast<size_t>(java)].extensions, "*.java");

  // A highlighting file another type reads.
  session->host.queueAnswer("no");
  EXPECT_EQ(sheet().addFileType({"Pascal2", "pascal.mrk", c}), -1);
  EXPECT_EQ(boxes().back(), "The following File Type  'Pascal'\n Do you want to write it over?");
  session->host.queueAnswer("yes");
  EXPECT_GE(sheet().addFileType({"Pascal2", "pascal.mrk", c}), 0);
  EXPECT_EQ(typeIndex("Pascal"), -1);
  EXPECT_EQ(sheet().fileTypes().size(), count);

  // ALL_OTHER is never overwritten; paths are no file names.
  session->host.clearEvents();
  EXPECT_EQ(sheet().addFileType({"ALL_OTHER", "x.mrk", c}), -1);
  EXPECT_EQ(sheet().addFileType({"X", "allother.mrk", c}), -1);
  EXPECT_EQ(sheet().addFileType({"X", "../x.mrk", c}), -1);
  EXPECT_EQ(sheet().addFileType({"X;Y", "x.mrk", c}), -1);
  EXPECT_EQ(boxes().size(), 4u);
  EXPECT_EQ(session->host.answersLeft(), 0u);

  // The longest name still gives an extension list the next start reads.
  const std::string longName(127, 'n');
  const int longType = sheet().addFileType({longName, "long.mrk", c});
  ASSERT_GE(longType, 0);
  EXPECT_EQ(sheet().fileTypes()[static_cast<size_t>(longType)].extensions.size(), 127u);
  session->host.clearEvents();
  ASSERT_TRUE(sheet().apply());
  EXPECT_TRUE(boxes().empty());
  EXPECT_GE(session->app().fileTypes().findExtension("." + std::string(125, 'n')), 0);
}

TEST_F(OptionsTest, LayoutChangeSwitchesTheKeyTable) {
  int told = 0;
  settings().keyboardLayout = kLayoutWindows;
  changeLayout(session->ctx, kLayoutWindows);
  sheet().onLayoutChanged = [&](int layout) { told = layout; };
  sheet().editorPage().layout = kLayoutStandard;
  ASSERT_TRUE(sheet().apply());
  EXPECT_EQ(told, kLayoutStandard);
  const uint8_t ctrlA[] = {1};
  EXPECT_EQ(session->ctx.keyTree.lookup(ctrlA, 1), 287);  // autofold in the standard layout
  EXPECT_EQ(settings().keyboardLayout, kLayoutStandard);

  // "User defined" keeps the table in force.
  model.reset();
  told = 0;
  sheet().onLayoutChanged = [&](int layout) { told = layout; };
  sheet().editorPage().layout = kLayoutUser;
  ASSERT_TRUE(sheet().apply());
  EXPECT_EQ(told, kLayoutUser);
  EXPECT_EQ(session->ctx.keyTree.lookup(ctrlA, 1), 287);

  // No change, no switch.
  model.reset();
  told = 0;
  sheet().onLayoutChanged = [&](int layout) { told = layout; };
  sheet().editorPage();
  ASSERT_TRUE(sheet().apply());
  EXPECT_EQ(told, 0);
}

}  // namespace
