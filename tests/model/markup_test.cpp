#include <gtest/gtest.h>

#include "model/markup.hpp"
#include "model/paths.hpp"
#include "support/testenv.hpp"

namespace {

constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kLightBlue = 0xFF0000;
constexpr uint32_t kBlue = 0x800000;

class MarkUpTest : public PlicatoTest {
 protected:
  MarkUpHash table;
  void parse(const std::string& content, const std::string& name = "t.mrk") {
    parseMarkUp(table, name, content, host);
  }
  std::vector<std::string> keywordTexts() const {
    std::vector<std::string> out;
    for (const auto& k : table.keywords) out.push_back(k->text);
    return out;
  }
};

// Unknown colour values are written as BLACK text on WHITE; a name is read
// by its prefix, so trailing tabs do not matter.
TEST_F(MarkUpTest, ColourNamesBothWays) {
  EXPECT_STREQ(colourName(0x123456, false), "BLACK");
  EXPECT_STREQ(colourName(0x123456, true), "WHITE");
  EXPECT_EQ(colourValue("YELLOW\t\t", false), kYellow);
  EXPECT_EQ(colourValue("", false), 0x000000u);
  EXPECT_EQ(colourValue("purple", true), 0xFFFFFFu);
  EXPECT_EQ(kindOfName("KEYWORDS"), kKeyword);
}

TEST_F(MarkUpTest, BuildsSlotsKeywordsAndBuckets) {
  parse(
      ".  BLACK WHITE PLAIN_TEXT\r\n"
      ".  WHITE BLUE SELEC_TEXT\r\n"
      "#  MAGENTA WHITE PREPROCESSOR anything after the kind is ignored\r\n"
      "/* GREEN WHITE BEG_COMMENT\n"
      "*/ GREEN WHITE END_COMMENT\n"
      "int\tBLUE\tWHITE\tKEYWORD\n"
      "if BLUE WHITE KEYWORD");  // the last line needs no line end
  EXPECT_TRUE(host.boxTexts().empty());
  ASSERT_TRUE(table.slot(kPlainText));
  EXPECT_EQ(table.slot(kSelecText)->backColour, kBlue);
  EXPECT_EQ(table.slot(kPreprocessor)->text, "#");
  ASSERT_TRUE(table.hasBlockComment());
  EXPECT_EQ(*table.slot(kBegComment)->endText, "*/");
  EXPECT_EQ(keywordTexts(), (std::vector<std::string>{"int", "if"}));
  // Plain and selected text are slots only; END_COMMENT goes in its bucket.
  EXPECT_TRUE(table.buckets['.'].empty());
  ASSERT_EQ(table.buckets['i'].size(), 2u);
  EXPECT_EQ(table.buckets['i'][0]->text, "int");
  EXPECT_EQ(table.buckets['i'][0]->matchKind, kMatchWord);
  ASSERT_EQ(table.buckets['*'].size(), 1u);
  EXPECT_EQ(table.buckets['*'][0]->matchKind, kMatchNoColour);
  EXPECT_EQ(table.buckets['#'][0]->matchKind, kMatchLineIfFirst);
  EXPECT_FALSE(table.isFallback);
}

TEST_F(MarkUpTest, RefusedLinesAreReportedOneBoxEachAndLeftOut) {
  std::string longText(129, 'x');
  std::string maxText(128, 'y');
  parse("int Yellow WHITE KEYWORD\n"
        "int BLUE white KEYWORD\n"
        "int BLUE WHITE KEYWRD\n" +
        longText + " BLUE WHITE KEYWORD\n" + maxText + " BLUE WHITE KEYWORD\n" +
        "int BLUE\n"
        "\n"
        "   \t\n"
        "for BLUE WHITE KEYWORD\n");
  auto boxes = host.boxTexts();
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_EQ(boxes[0],
            "Invalid string number 0 in the FILE_TYPE file t.mrk\n"
            "Second item isn't color name: Yellow\nString will be ignored.");
  EXPECT_EQ(boxes[1],
            "Invalid string number 1 in the FILE_TYPE file t.mrk\n"
            "Third item isn't color name: white\nString will be ignored.");
  EXPECT_EQ(boxes[2],
            "Invalid string number 2 in the FILE_TYPE file t.mrk\n"
            "Forth item KEYWRD isn't equal one of the keywords.\nString will be ignored.");
  EXPECT_EQ(boxes[3],
            "Invalid string number 3 in the FILE_TYPE file t.mrk\n"
            "First item is too long, length = 129 ( must be <= 128 )\nString will be ignored.");
  EXPECT_EQ(boxes[4],
            "Invalid string number 5 in the FILE_TYPE file t.mrk\n"
            "Third item isn't color name: \nString will be ignored.");
  EXPECT_EQ(host.events()[0].caption, "Plicato Error");
  EXPECT_EQ(keywordTexts(), (std::vector<std::string>{maxText, "for"}));
}

TEST_F(MarkUpTest, MissingPlainAndSelectedSlotsGetDefaults) {
  parse("int BLUE WHITE KEYWORD\n");
  EXPECT_EQ(table.slot(kPlainText)->text, ".");
  EXPECT_EQ(table.slot(kPlainText)->textColour, kYellow);
  EXPECT_EQ(table.slot(kPlainText)->backColour, kLightBlue);
  EXPECT_EQ(table.slot(kSelecText)->textColour, 0xFFFFFFu);
  EXPECT_EQ(table.slot(kSelecText)->backColour, 0x000000u);
}

TEST_F(MarkUpTest, BlockCommentPairs) {
  // An end before any begin is refused; a begin without an end gives no pair.
  parse("*/ GREEN WHITE END_COMMENT\n/* GREEN WHITE BEG_COMMENT\n");
  ASSERT_EQ(host.boxTexts().size(), 1u);
  EXPECT_EQ(host.boxTexts()[0],
            "END_COMMENT must follow in FILE_TYPES file after BEG_COMMENT.\nEND_COMMENT ignored");
  EXPECT_TRUE(table.buckets['*'].empty());
  EXPECT_TRUE(table.slot(kBegComment));
  EXPECT_FALSE(table.hasBlockComment());

  host.clearEvents();
  parse("}}} RED WHITE END_FOLDER\n");
  EXPECT_EQ(host.boxTexts().at(0),
            "END_FOLDER must follow in FILE_TYPES file after BEG_FOLDER.\nEND_FOLDER ignored");

  // Only the last begin line counts; its pair is the one that ends comments.
  parse("(* GREEN WHITE BEG_COMMENT\n*) GREEN WHITE END_COMMENT\n"
        "/* RED WHITE BEG_COMMENT\n*/ RED WHITE END_COMMENT\n");
  EXPECT_EQ(table.slot(kBegComment)->text, "/*");
  EXPECT_EQ(*table.slot(kBegComment)->endText, "*/");
  EXPECT_EQ(table.buckets['('].size(), 1u);  // the first begin still starts comments

  parse("(* GREEN WHITE BEG_COMMENT\n*) GREEN WHITE END_COMMENT\n/* RED WHITE BEG_COMMENT\n");
  EXPECT_FALSE(table.hasBlockComment());
}

TEST_F(MarkUpTest, EveryKeywordLineIsKept) {
  std::string content;
  for (int i = 0; i < 300; ++i) content += "kw" + std::to_string(i) + " BLUE WHITE KEYWORD\n";
  parse(content);
  EXPECT_EQ(table.keywordCount(), 300u);
  EXPECT_EQ(table.keywords.back()->text, "kw299");
}

TEST_F(MarkUpTest, LoadsFromTheConfigCopyElseTheProgramDirectory) {
  ASSERT_FALSE(loadMarkUp(table, "ansi_c.mrk", host));
  EXPECT_TRUE(host.boxTexts().empty());
  EXPECT_TRUE(table.hasBlockComment());
  EXPECT_GT(table.keywordCount(), 30u);

  config.write("ansi_c.mrk", "int BLUE WHITE KEYWORD\n");
  ASSERT_FALSE(loadMarkUp(table, "ansi_c.mrk", host));
  EXPECT_EQ(table.keywordCount(), 1u);

  ASSERT_FALSE(loadMarkUp(table, "allother.mrk", host));
  EXPECT_TRUE(table.isFallback);

  auto message = loadMarkUp(table, "nothere.mrk", host);
  ASSERT_TRUE(message);
  EXPECT_EQ(*message, "File \n" + joinPath(PLICATO_BIN_DIR, "nothere.mrk") +
                          "\ndoesn't exist or isn't accessible.");
}

TEST_F(MarkUpTest, WriterGivesBackEveryLineInTheFilesOrder) {
  const std::string original =
      "\"           RED               WHITE             ALL_STRING\n"
      ".            BLACK             WHITE             PLAIN_TEXT\n"
      "int          BLUE              WHITE             KEYWORD\n"
      "--           GREEN             WHITE             COMMENT\n"
      "@            RED               WHITE             ALL_IF_FIRST\n"
      "zz           BLACK             WHITE             NON_EXIST\n"
      "int Yellow WHITE KEYWORD   refused, kept as written\n"
      "//           GREEN             WHITE             COMMENT\n"
      "for          BLUE              WHITE             KEYWORD\n"
      "/*           GREEN             WHITE             BEG_COMMENT\n"
      "*/           GREEN             WHITE             END_COMMENT\n";
  work.write("t.mrk", original);
  parse(readFile(work.file("t.mrk")));
  host.clearEvents();

  // Unchanged: the file reads back line for line.
  std::array<const MarkUpItem*, kMarkUpSlots> slots{};
  for (size_t k = 0; k < slots.size(); ++k) slots[k] = table.slots[k].get();
  std::vector<const MarkUpItem*> keywords;
  for (const auto& kw : table.keywords) keywords.push_back(kw.get());
  std::string out = serialiseMarkUp(slots, keywords, &table);
  // Slot 1 was not in the file: the default the table used comes first.
  const std::string selected = ".             WHITE             BLACK             SELEC_TEXT      \r\n";
  EXPECT_EQ(out.substr(0, selected.size()), selected);
  EXPECT_EQ(out.find("\"           RED"), selected.size());
  EXPECT_NE(out.find("ALL_IF_FIRST"), std::string::npos);
  EXPECT_NE(out.find("NON_EXIST"), std::string::npos);
  EXPECT_NE(out.find("int Yellow WHITE KEYWORD   refused, kept as written\r\n"), std::string::npos);
  MarkUpHash again;
  parseMarkUp(again, "t.mrk", out, host);
  ASSERT_EQ(again.lines.size(), table.lines.size() + 1);
  for (size_t i = 0; i < table.lines.size(); ++i)
    EXPECT_EQ(again.lines[i + 1].kind, table.lines[i].kind) << i;

  // Edited: a keyword recoloured stays in place, a deleted one goes, a new
  // one comes last; a slot edit is written where the slot's line was.
  auto recoloured = copyEntry(*table.keywords[1]);
  recoloured->textColour = 0x000080;
  auto added = constructEntry("while", std::nullopt, kBlue, 0xFFFFFF);
  auto comment = copyEntry(*table.slot(kBegComment));
  comment->text = "(*";
  comment->endText = "*)";
  slots[kBegComment] = comment.get();
  slots[kSelecText] = nullptr;
  std::vector<const MarkUpItem*> edited{recoloured.get(), added.get()};
  out = serialiseMarkUp(slots, edited, &table);
  std::vector<std::string> expected = {
      "\"           RED               WHITE             ALL_STRING",
      ".             BLACK             WHITE             PLAIN_TEXT      ",
      "--           GREEN             WHITE             COMMENT",
      "@            RED               WHITE             ALL_IF_FIRST",
      "zz           BLACK             WHITE             NON_EXIST",
      "int Yellow WHITE KEYWORD   refused, kept as written",
      "//            GREEN             WHITE             COMMENT         ",
      "for           RED               WHITE             KEYWORD         ",
      "(*            GREEN             WHITE             BEG_COMMENT     ",
      "*)            GREEN             WHITE             END_COMMENT     ",
      "while         BLUE              WHITE             KEYWORD         ",
  };
  std::string joined;
  for (const auto& l : expected) joined += l + "\r\n";
  EXPECT_EQ(out, joined);
}

TEST_F(MarkUpTest, WriterWithoutALoadedFileWritesSlotsThenKeywords) {
  auto plain = constructEntry(".", std::nullopt, 0, 0xFFFFFF);
  auto block = constructEntry("/*", std::string("*/"), 0x008000, 0xFFFFFF);
  auto undefined = constructEntry(kUndefinedSlot, std::nullopt, 0, 0);
  auto kw = constructEntry("int", std::nullopt, kBlue, 0xFFFFFF);
  std::array<const MarkUpItem*, kMarkUpSlots> slots{};
  slots[kPlainText] = plain.get();
  slots[kBegComment] = block.get();
  slots[kPreprocessor] = undefined.get();
  ASSERT_TRUE(writeMarkUp(slots, {kw.get()}, "new.mrk", host));
  EXPECT_EQ(config.read("new.mrk"),
            ".             BLACK             WHITE             PLAIN_TEXT      \r\n"
            "/*            GREEN             WHITE             BEG_COMMENT     \r\n"
            "*/            GREEN             WHITE             END_COMMENT     \r\n"
            "int           BLUE              WHITE             KEYWORD         \r\n");
}

TEST_F(MarkUpTest, TableWrittenBackGoesToTheConfigDirectory) {
  ASSERT_FALSE(loadMarkUp(table, "java.mrk", host));
  ASSERT_TRUE(writeMarkUp(table, host));
  MarkUpHash again;
  ASSERT_FALSE(loadMarkUp(again, "java.mrk", host));  // now the config copy
  EXPECT_TRUE(host.boxTexts().empty());
  EXPECT_EQ(again.keywordCount(), table.keywordCount());
  EXPECT_EQ(again.lines.size(), table.lines.size());
  EXPECT_EQ(*again.slot(kBegComment)->endText, "*/");
}

TEST_F(MarkUpTest, DefaultContent) {
  std::string text = defaultMarkUpContent();
  EXPECT_EQ(text.substr(0, text.find('\n') + 1),
            ".                     YELLOW           LIGHTBLUE        PLAIN_TEXT  \n");
  EXPECT_NE(text.find("}}}                   YELLOW\t\t       BLUE             END_FOLDER  \n"),
            std::string::npos);
  EXPECT_NE(text.find("...                   YELLOW\t\t       BLUE             FOLDER      \n"),
            std::string::npos);
  ASSERT_TRUE(writeDefaultMarkUp("fresh.mrk", host));
  ASSERT_FALSE(loadMarkUp(table, "fresh.mrk", host));
  EXPECT_TRUE(host.boxTexts().empty());
  EXPECT_EQ(table.lines.size(), 9u);
  EXPECT_EQ(*table.slot(kBegComment)->endText, "*/");
  EXPECT_EQ(*table.slot(kBegFolder)->endText, "}}}");
}

TEST_F(MarkUpTest, CopiesForTheDialogsAreCutToTheirBuffers) {
  MarkUpItem item;
  item.text = std::string(100, 'a');
  item.endText = std::string(90, 'b');
  auto copy = copyEntry(item);
  EXPECT_EQ(copy->text.size(), 79u);
  EXPECT_EQ(copy->endText->size(), 79u);
  EXPECT_EQ(constructEntry(std::string(85, 'c'), std::nullopt, 1, 2)->text.size(), 79u);
}

}  // namespace
