#include <gtest/gtest.h>

#include "model/filetypes.hpp"
#include "model/linestore.hpp"
#include "model/paths.hpp"
#include "model/profile.hpp"
#include "support/testenv.hpp"

namespace {

class FileTypesTest : public PlicatoTest {
 protected:
  // PLICATO.INI in the private config dir with this FILE_TYPES section.
  void writeIni(const std::string& section) {
    config.write("PLICATO.INI", "[FILE_TYPES]\n" + section);
  }
  FileTypeList loadTypes() {
    FileTypeList types;
    types.load(host);
    return types;
  }
  std::vector<std::string> names(const FileTypeList& types) {
    std::vector<std::string> out;
    for (const auto& t : types.entries()) out.push_back(t.name);
    return out;
  }
};

TEST_F(FileTypesTest, ExtensionsAreTakenFromTheBaseNameAndMatchWhole) {
  EXPECT_EQ(extensionOf("/src/main.c"), ".c");
  EXPECT_EQ(extensionOf("archive.tar.gz"), ".gz");
  EXPECT_EQ(extensionOf("/proj.d/Makefile"), "");
  EXPECT_EQ(extensionOf("noext"), "");

  EXPECT_TRUE(extensionMatches("*.c;*.cpp", ".c"));
  EXPECT_TRUE(extensionMatches("*.c;*.cpp", ".cpp"));
  EXPECT_TRUE(extensionMatches("*.c;*.cpp", ".CPP"));
  EXPECT_FALSE(extensionMatches("*.c;*.cpp", ".cp"));
  EXPECT_FALSE(extensionMatches("*.tsr;*.top", ".ts"));
  EXPECT_FALSE(extensionMatches("*.tsr;*.top", ".t"));
  EXPECT_FALSE(extensionMatches("*.tsr", ".tsrx"));
  EXPECT_FALSE(extensionMatches("*.*", ".c"));  // catch-all is not a match
  EXPECT_FALSE(extensionMatches("*.c;", ""));
  EXPECT_TRUE(extensionMatches("*.c;*", ""));
}

TEST_F(FileTypesTest, LangRowsReadAndWriteInTheirColumns) {
  Language c{"C", "*.c;*.h", "/*", "*/"};
  std::string row = LanguageList::formatRow(c);
  EXPECT_EQ(row.substr(0, 8), "C files ");
  EXPECT_EQ(row.find("*.c;*.h"), 38u);
  EXPECT_EQ(row.find("/*"), 55u);
  EXPECT_EQ(row.find("*/"), 68u);
  Language back = LanguageList::parseRow(row);
  EXPECT_EQ(back.name, "C");
  EXPECT_EQ(back.extensions, "*.c;*.h");
  EXPECT_EQ(back.commentStart, "/*");
  EXPECT_EQ(back.commentEnd, "*/");

  Language all = LanguageList::parseRow(LanguageList::formatRow({"All", "*.*", "", ""}));
  EXPECT_EQ(all.extensions, "*.*");
  EXPECT_EQ(all.commentStart, "");
  EXPECT_EQ(all.commentEnd, "");
  // A name longer than its column still leaves a blank before the extensions.
  Language wide = LanguageList::parseRow(LanguageList::formatRow({std::string(40, 'N'), "*.x", "<", ">"}));
  EXPECT_EQ(wide.extensions, "*.x");
  EXPECT_EQ(wide.commentEnd, ">");

  // The shipped lang.txt is the built-in rows.
  LanguageList shipped;
  ASSERT_TRUE(shipped.load());
  LanguageList builtIn;
  builtIn.useBuiltIn();
  EXPECT_EQ(shipped.serialise(), builtIn.serialise());
  ASSERT_EQ(shipped.size(), 10u);
  EXPECT_EQ(shipped.rows()[8].name, "TDS");
}

TEST_F(FileTypesTest, LangListLimits) {
  std::string text;
  for (int i = 0; i < 120; ++i)
    text += LanguageList::formatRow({"L" + std::to_string(i), "*.e" + std::to_string(i), "#", ""}) + "\r\n";
  LanguageList list;
  list.parse(text);
  EXPECT_EQ(list.size(), LanguageList::kMaxRows);
  EXPECT_EQ(list.lookup(".e99"), 99);
  EXPECT_EQ(list.lookup(".e100"), -1);
  EXPECT_FALSE(list.add({"X", "*.x", "", ""}));

  // A row past 127 bytes is cut, never split into two rows.
  list.parse("Long files " + std::string(200, ' ') + "*.lng -- \r\nNext files *.nx ; ;\r\n\r\n");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.rows()[0].extensions, "");
  EXPECT_EQ(list.rows()[1].name, "Next");
  EXPECT_EQ(list.rows()[1].commentEnd, ";");
}

TEST_F(FileTypesTest, BuiltInRowsGiveTheConventions) {
  LanguageList langs;
  langs.useBuiltIn();
  LineStore w(ctx);
  setConvention(w, ".h", nullptr, langs);  // the C row comes before C++
  EXPECT_EQ(w.commentStart, "/*");
  EXPECT_EQ(w.commentEnd, "*/");
  EXPECT_EQ(w.fileTypeName, "C");
  EXPECT_EQ(w.markUp, nullptr);
  setConvention(w, ".CPP", nullptr, langs);
  EXPECT_EQ(w.commentStart, "//");
  EXPECT_EQ(w.commentEnd, "");
  EXPECT_EQ(w.fileTypeName, "C++");
  setConvention(w, ".top", nullptr, langs);
  EXPECT_EQ(w.fileTypeName, "TDS");
  EXPECT_TRUE(host.boxTexts().empty());
}

TEST_F(FileTypesTest, UnknownExtensionAsksAndCancelGivesNoComments) {
  LanguageList langs;
  langs.useBuiltIn();
  LineStore w(ctx);
  w.setCommentStart("/*");
  host.queueAnswer("");  // cancel GET_COM
  setConvention(w, ".ts", nullptr, langs);  // ".tsr" must not claim it
  EXPECT_EQ(host.answersLeft(), 0u);
  EXPECT_EQ(w.commentStart, "");
  EXPECT_EQ(w.commentEnd, "");
  EXPECT_EQ(w.fileTypeName, "User");
  EXPECT_EQ(langs.size(), 10u);
  EXPECT_FALSE(fileExists(config.file("lang.txt")));
}

TEST_F(FileTypesTest, AnsweredConventionIsAddedAndWrittenToTheConfigDirectory) {
  LanguageList langs;
  langs.useBuiltIn();
  LineStore w(ctx);
  host.queueAnswer("name=Script;start=#######_long_start;end=");
  setConvention(w, ".scr", nullptr, langs);
  EXPECT_EQ(w.commentStart, "#######_l");  // the window keeps 9 bytes
  EXPECT_EQ(w.commentEnd, "");
  EXPECT_EQ(w.fileTypeName, "Script");
  ASSERT_EQ(langs.size(), 11u);

  LanguageList reread;
  ASSERT_TRUE(reread.load());  // the config copy now comes first
  ASSERT_EQ(reread.size(), 11u);
  const Language* row = reread.find(".scr");
  ASSERT_TRUE(row);
  EXPECT_EQ(row->name, "Script");
  EXPECT_EQ(row->extensions, "*.scr");
  EXPECT_EQ(row->commentStart, "#######_l");
  EXPECT_NE(config.read("lang.txt").find("\r\n"), std::string::npos);

  // A file without extension gets a "*" row that finds it next time.
  host.queueAnswer("name=Make;start=#;end=");
  setConvention(w, "", nullptr, langs);
  EXPECT_EQ(langs.lookup(""), 11);
  setConvention(w, "", nullptr, langs);
  EXPECT_EQ(w.commentStart, "#");
  EXPECT_EQ(host.answersLeft(), 0u);
}

TEST_F(FileTypesTest, IniTypesComeFirstAndGiveCommentsFromTheirTables) {
  config.write("both.mrk", "/* GREEN WHITE BEG_COMMENT\n*/ GREEN WHITE END_COMMENT\n// GREEN WHITE COMMENT\n");
  config.write("line.mrk", "! GREEN WHITE COMMENT\n/* GREEN WHITE BEG_COMMENT\n");
  writeIni("NumberOfFileTypes=2\n"
           "FileType_0=Very Long Name;*.c;*.cpp;both.mrk\n"
           "FileType_1=ABCDEFGHIJKLMN;*.f90;line.mrk\n");
  FileTypeList types = loadTypes();
  EXPECT_TRUE(host.boxTexts().empty());
  ASSERT_EQ(names(types), (std::vector<std::string>{"Very Long Name", "ABCDEFGHIJKLMN", "ALL_OTHER"}));
  EXPECT_EQ(types.lookup(".c"), 0);
  EXPECT_EQ(types.lookup(".cpp"), 0);
  EXPECT_EQ(types.lookup(".zzz"), 2);  // the catch-all
  EXPECT_EQ(types.findExtension(".zzz"), -1);

  LanguageList langs;
  langs.useBuiltIn();
  LineStore w(ctx);
  setConvention(w, ".cpp", &types, langs);
  EXPECT_EQ(w.commentStart, "/*");  // the block pair wins over the line comment
  EXPECT_EQ(w.commentEnd, "*/");
  EXPECT_EQ(w.fileTypeName, "Very");
  EXPECT_EQ(w.markUp, types[0].table.get());
  setConvention(w, ".f90", &types, langs);
  EXPECT_EQ(w.commentStart, "!");  // a begin without an end is no pair
  EXPECT_EQ(w.commentEnd, "");
  EXPECT_EQ(w.fileTypeName, "ABCDEFGHIJ");

  // Only the catch-all knows ".h": its table, but the comments of lang.txt.
  setConvention(w, ".h", &types, langs);
  EXPECT_EQ(w.markUp, types[2].table.get());
  EXPECT_EQ(w.commentStart, "/*");
  EXPECT_EQ(w.fileTypeName, "C");
  // And an extension nobody knows is asked for, with the catch-all's table.
  host.queueAnswer("");
  setConvention(w, ".zzz", &types, langs);
  EXPECT_EQ(host.answersLeft(), 0u);
  EXPECT_EQ(w.fileTypeName, "User");
  EXPECT_EQ(w.markUp, types[2].table.get());
}

TEST_F(FileTypesTest, BadCountsReadOnlyTheCatchAll) {
  for (const char* n : {"19", "25", "-1", "99999999999999999999"}) {
    host.clearEvents();
    writeIni(std::string("NumberOfFileTypes=") + n + "\nFileType_0=C;*.c;ansi_c.mrk\n");
    FileTypeList types = loadTypes();
    ASSERT_EQ(host.boxTexts().size(), 1u) << n;
    EXPECT_EQ(host.boxTexts()[0],
              "Something wrong in FILE_TYPES section in PLICATO.INI file\nNumberOfFileTypes is "
              "invalid: negative or too large...\nPlicato are going to work without FILE_TYPES "
              "information.");
    EXPECT_EQ(names(types), (std::vector<std::string>{"ALL_OTHER"})) << n;
  }
  host.clearEvents();
  writeIni("");
  EXPECT_EQ(names(loadTypes()), (std::vector<std::string>{"ALL_OTHER"}));
  EXPECT_TRUE(host.boxTexts().empty());
}

TEST_F(FileTypesTest, BadEntriesAreReportedAndLeftOut) {
  writeIni("NumberOfFileTypes=5\n"
           "FileType_0=C;*.c;ansi_c.mrk\n"
           "FileType_2=Pascal;pascal.mrk\n"
           "FileType_3=" + std::string(128, 'P') + ";*.p;pascal.mrk\n"
           "FileType_4=Gone;*.g;missing.mrk\n");
  FileTypeList types = loadTypes();
  auto boxes = host.boxTexts();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0],
            "Invalid FILE_TYPES section in plicato.ini file\n String 'FileType_1' is absent\n Or "
            "one of its item is too long (>128)");
  EXPECT_NE(boxes[1].find("'FileType_2'"), std::string::npos);
  EXPECT_NE(boxes[2].find("'FileType_3'"), std::string::npos);
  EXPECT_EQ(names(types), (std::vector<std::string>{"C", "ALL_OTHER"}));  // missing.mrk: silent
}

TEST_F(FileTypesTest, AnExplicitAllOtherEntryIsTheCatchAll) {
  writeIni("NumberOfFileTypes=2\nFileType_0=Other;*.*;allother.mrk\nFileType_1=C;*.c;ansi_c.mrk\n");
  FileTypeList types = loadTypes();
  EXPECT_EQ(names(types), (std::vector<std::string>{"Other", "C"}));
  EXPECT_EQ(types.catchAll(), 0);
  EXPECT_EQ(types.lookup(".c"), 1);
  EXPECT_TRUE(types[0].table->isFallback);
}

TEST_F(FileTypesTest, SavedSectionReadsBackTheSame) {
  writeIni("NumberOfFileTypes=4\n"
           "FileType_0=C;*.c;*.h;ansi_c.mrk\n"
           "FileType_1=Java;*.java;java.mrk\n"
           "FileType_2=Pascal;*.pas;pascal.mrk\n"
           "FileType_3=occam2;*.occ;occam2.mrk\n"
           "FileType_99999999999999999999=Stale;*.st;ansi_c.mrk\n");
  FileTypeList types = loadTypes();
  ASSERT_EQ(types.size(), 5u);
  types.entries().erase(types.entries().begin() + 1);  // the dialogs deleted Java
  ASSERT_TRUE(types.save(host));
  ProfileFile ini(config.file("PLICATO.INI"));
  ini.refresh();
  EXPECT_EQ(ini.getString("FILE_TYPES", "NumberOfFileTypes", ""), "3");
  EXPECT_EQ(ini.getString("FILE_TYPES", "FileType_0", ""), "C;*.c;*.h;ansi_c.mrk");
  EXPECT_EQ(ini.getString("FILE_TYPES", "FileType_2", ""), "occam2;*.occ;occam2.mrk");
  EXPECT_FALSE(ini.has("FILE_TYPES", "FileType_3"));
  EXPECT_FALSE(ini.has("FILE_TYPES", "FileType_99999999999999999999"));
  FileTypeList again = loadTypes();
  EXPECT_EQ(names(again), (std::vector<std::string>{"C", "Pascal", "occam2", "ALL_OTHER"}));
  EXPECT_TRUE(host.boxTexts().empty());

  // A full list still reads back: the implied catch-all is not counted.
  std::string section = "NumberOfFileTypes=18\n";
  for (int i = 0; i < 18; ++i)
    section += "FileType_" + std::to_string(i) + "=T" + std::to_string(i) + ";*.t" +
               std::to_string(i) + ";ansi_c.mrk\n";
  writeIni(section);
  FileTypeList full = loadTypes();
  ASSERT_EQ(full.size(), 19u);
  ASSERT_TRUE(full.save(host));
  EXPECT_EQ(loadTypes().size(), 19u);
  EXPECT_TRUE(host.boxTexts().empty());
}

TEST_F(FileTypesTest, FilterTexts) {
  writeIni("NumberOfFileTypes=1\nFileType_0=C;*.c;*.h;ansi_c.mrk\n");
  FileTypeList types = loadTypes();
  EXPECT_EQ(types.filterText(), "C files         (*.c;*.h)|*.c;*.h|ALL_OTHER files (*.*)|*.*|");
  LanguageList langs;
  langs.useBuiltIn();
  std::string f = langs.filterText();
  EXPECT_EQ(f.substr(0, f.find("|C++")), "C files (*.c;*.h)|*.c;*.h");
  EXPECT_EQ(dialogFilter(&types, langs), types.filterText());
  EXPECT_EQ(dialogFilter(nullptr, langs), f);
}

// The shipped PLICATO.INI names a highlighting file for every built-in
// language; each must load cleanly and give the comment signs of its
// lang.txt row, or files written through one list would not read back
// through the other.
TEST_F(FileTypesTest, ShippedTypesAgreeWithTheLanguageList) {
  FileTypeList types = loadTypes();  // the shipped INI is copied into config
  EXPECT_TRUE(host.boxTexts().empty()) << host.boxTexts().front();
  ASSERT_EQ(types.size(), 10u);
  LanguageList langs;
  ASSERT_TRUE(langs.load());
  for (const Language& row : langs.rows()) {
    if (row.name == "All") continue;
    std::string ext = row.extensions.substr(1, row.extensions.find(';') - 1);
    int i = types.findExtension(ext);
    ASSERT_GE(i, 0) << ext;
    std::string start, end;
    commentFromTable(*types[static_cast<size_t>(i)].table, start, end);
    EXPECT_EQ(start, row.commentStart) << row.name;
    EXPECT_EQ(end, row.commentEnd) << row.name;
    LineStore w(ctx);
    setConvention(w, ext, &types, langs);
    EXPECT_EQ(w.fileTypeName, row.name);
  }
  EXPECT_TRUE(types[types.catchAll()].table->isFallback);
}

TEST_F(FileTypesTest, ProcessLangListLoadsOnFirstUse) {
  config.write("lang.txt", LanguageList::formatRow({"Own", "*.own", "%", ""}) + "\r\n");
  reloadLangList();
  EXPECT_EQ(langList().size(), 1u);
  EXPECT_EQ(langList().find(".own")->commentStart, "%");
  ::unlink(config.file("lang.txt").c_str());
  reloadLangList();
  EXPECT_EQ(langList().size(), 10u);
}

}  // namespace
