#include <gtest/gtest.h>

#include <cstring>

#include "display/highlight.hpp"
#include "model/linestore.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"

namespace {

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlue = 0x800000;
constexpr uint32_t kGreen = 0x008000;
constexpr uint32_t kCyan = 0x808000;
constexpr uint32_t kRed = 0x000080;
constexpr uint32_t kMagenta = 0x800080;
constexpr uint32_t kBrown = 0x008080;
constexpr uint32_t kYellow = 0x00FFFF;
constexpr uint32_t kLightBlue = 0xFF0000;
constexpr uint32_t kLightGray = 0xC0C0C0;

const char* const kCTable =
    ".   BLACK WHITE PLAIN_TEXT\n"
    ".   WHITE LIGHTGRAY SELEC_TEXT\n"
    "#   MAGENTA WHITE PREPROCESSOR\n"
    "//  GREEN WHITE COMMENT\n"
    "/*  CYAN WHITE BEG_COMMENT\n"
    "*/  CYAN WHITE END_COMMENT\n"
    "{{{ RED WHITE BEG_FOLDER\n"
    "}}} RED WHITE END_FOLDER\n"
    "... RED WHITE FOLDER\n"
    "int BLUE WHITE KEYWORD\n"
    "\"  BROWN WHITE ALL_STRING\n";

struct Run {
  std::string text;
  uint32_t colour;
  bool operator==(const Run& o) const { return text == o.text && colour == o.colour; }
};
std::ostream& operator<<(std::ostream& os, const Run& r) {
  return os << "{\"" << r.text << "\", " << std::hex << r.colour << std::dec << "}";
}
using Runs = std::vector<Run>;

class HighlightTest : public PlicatoTest {
 protected:
  void SetUp() override {
    PlicatoTest::SetUp();
    settings().syntaxHighlighting = true;
    parseMarkUp(table, "c.mrk", kCTable, host);
  }

  // The runs drawn, as text and text colour.
  Runs paint(const char* text, uint32_t state = kStateNormal, int mode = kPaintNormal,
             int from = 0, int count = -1, const MarkUpHash* t = nullptr) {
    dc.runs.clear();
    if (count < 0) count = static_cast<int>(std::strlen(text));
    result = paintLine(dc, 0, 0, text, from, count, state, mode, t ? t : &table, &row, settings());
    Runs out;
    for (const auto& r : dc.runs) out.push_back({r.text, r.textColour});
    return out;
  }
  uint32_t next(const char* text, uint32_t state = kStateNormal) {
    return nextState(state, text, &table);
  }

  MarkUpHash table;
  RunRecorder dc;
  RowRecord row{};
  uint32_t result = 0;
};

TEST_F(HighlightTest, KeywordsAreWholeWords) {
  EXPECT_EQ(paint("int x"), (Runs{{"int", kBlue}, {" x", kBlack}}));
  EXPECT_EQ(paint("integer"), (Runs{{"integer", kBlack}}));
  EXPECT_EQ(paint("xint"), (Runs{{"xint", kBlack}}));
  EXPECT_EQ(paint("(int)"), (Runs{{"(", kBlack}, {"int", kBlue}, {")", kBlack}}));
  // Bytes from 0x80 on delimit words.
  EXPECT_EQ(paint("\xE9int\xE9"), (Runs{{"\xE9", kBlack}, {"int", kBlue}, {"\xE9", kBlack}}));
}

TEST_F(HighlightTest, LineAndBlockCommentStarts) {
  EXPECT_EQ(paint("a//b"), (Runs{{"a//b", kBlack}}));
  EXPECT_EQ(paint("a // b int"), (Runs{{"a ", kBlack}, {"// b int", kGreen}}));
  EXPECT_EQ(paint("a/*b"), (Runs{{"a", kBlack}, {"/*b", kCyan}}));
  EXPECT_EQ(next("a/*b"), kStateInComment);
  // The end is searched from one after the start, so "/*/" closes.
  EXPECT_EQ(paint("/*/ int"), (Runs{{"/*/", kCyan}, {" ", kBlack}, {"int", kBlue}}));
  EXPECT_EQ(next("/*/ int"), kStateNormal);
  // The state search goes on one after the end's first byte; the painter
  // after the whole end.
  EXPECT_EQ(paint("/* a */* b"), (Runs{{"/* a */", kCyan}, {"* b", kBlack}}));
  EXPECT_EQ(next("/* a */* b"), kStateInComment);
  EXPECT_EQ(next("/* a */ b"), kStateNormal);
  // A delimiter whose first byte also stands just before it.
  EXPECT_EQ(next("a //* b"), kStateInComment);
  EXPECT_EQ(next("x **/ y", kStateInComment), kStateNormal);
  EXPECT_EQ(next("x */ y //*", kStateInComment), kStateInComment);
  EXPECT_EQ(paint("x = \"a int"), (Runs{{"x = ", kBlack}, {"\"a int", kBrown}}));
}

TEST_F(HighlightTest, WholeLineEntriesOnlyWhenFirst) {
  EXPECT_EQ(paint("   #define X"), (Runs{{"   #define X", kMagenta}}));
  EXPECT_EQ(paint("x = 1 # 2"), (Runs{{"x = 1 # 2", kBlack}}));
  EXPECT_EQ(paint("  ...  title"), (Runs{{"  ...  title", kRed}}));
  EXPECT_EQ(row.rowStyle, kRunToEnd);
  EXPECT_EQ(paint("a ... b"), (Runs{{"a ... b", kBlack}}));
}

TEST_F(HighlightTest, LinesThatBeginInsideABlockComment) {
  EXPECT_EQ(paint("still */ int", kStateInComment),
            (Runs{{"still */", kCyan}, {" ", kBlack}, {"int", kBlue}}));
  EXPECT_EQ(row.rowStyle, kRunBlockComment);
  EXPECT_EQ(row.textColour, kCyan);
  EXPECT_EQ(paint("int all along", kStateInComment), (Runs{{"int all along", kCyan}}));
  EXPECT_EQ(next("int all along", kStateInComment), kStateInComment);
  EXPECT_EQ(next("x */ y", kStateInComment), kStateNormal);
  EXPECT_EQ(next("x */ /* y", kStateInComment), kStateInComment);
  EXPECT_EQ(paint("int */", kStateRecompute), (Runs{{"int */", kCyan}}));
  EXPECT_EQ(next("*/", 42), kStateNormal);  // unknown states count as normal
}

TEST_F(HighlightTest, SelectedPieceStillSeesAKeywordThatBeganBefore) {
  dc.setBackColour(kWhite);
  Runs runs = paint("int abc", kStateNormal, kPaintSelected, 1, 6);
  EXPECT_EQ(runs, (Runs{{"nt", kBlue}, {" ab", kBlack}}));
  for (const auto& r : dc.runs) EXPECT_EQ(r.backColour, kLightGray);  // slot 1's background
  EXPECT_EQ(dc.runs[0].x, 0);
  EXPECT_EQ(result, kLightGray);
  EXPECT_EQ(dc.backColour(), kLightGray);  // mode 0 leaves the selection background
}

TEST_F(HighlightTest, ColoursAreRestoredAndTheLastBackgroundReturned) {
  dc.setTextColour(kYellow);
  dc.setBackColour(kLightBlue);
  paint("x int");
  EXPECT_EQ(result, kWhite);
  EXPECT_EQ(dc.textColour(), kYellow);
  EXPECT_EQ(dc.backColour(), kLightBlue);
  // The row record holds the first run, even when it is the empty run
  // before a keyword at the start.
  paint("int x");
  EXPECT_EQ(row.rowStyle, kRunPlain);
  EXPECT_EQ(row.backColour, kWhite);
}

TEST_F(HighlightTest, MissingPlainTextSlotPaintsYellowOnLightBlue) {
  MarkUpHash bare;
  parseMarkUp(bare, "bare.mrk", "int BLUE WHITE KEYWORD\n", host);
  paint("x = 1", kStateNormal, kPaintNormal, 0, -1, &bare);
  ASSERT_EQ(dc.runs.size(), 1u);
  EXPECT_EQ(dc.runs[0].textColour, kYellow);
  EXPECT_EQ(dc.runs[0].backColour, kLightBlue);
}

TEST_F(HighlightTest, PlainDrawingUsesTheColourScheme) {
  settings().syntaxHighlighting = false;
  EXPECT_EQ(paint("int /* x"), (Runs{{"int /* x", kBlack}}));
  EXPECT_EQ(dc.runs[0].backColour, kWhite);
  EXPECT_EQ(row.rowStyle, kRunPlain);
  paint("int", kStateNormal, kPaintSelected);
  EXPECT_EQ(dc.runs[0].textColour, kWhite);
  EXPECT_EQ(dc.runs[0].backColour, kBlack);

  settings().normalText = kRed;
  settings().normalBack = kYellow;
  paint("int");
  EXPECT_EQ(dc.runs[0].textColour, kRed);
  EXPECT_EQ(dc.runs[0].backColour, kYellow);
  dc.setTextColour(kGreen);
  dc.setBackColour(kCyan);
  paint("tail", kStateNormal, kPaintTextOnly);
  EXPECT_EQ(dc.runs[0].textColour, kGreen);
  EXPECT_EQ(dc.runs[0].backColour, kCyan);

  settings().syntaxHighlighting = true;
  paintLine(dc, 0, 0, "int", 0, 3, kStateNormal, kPaintNormal, nullptr, &row, settings());
  EXPECT_EQ(dc.runs.back().textColour, kRed);  // no table: plain
}

// Found by fuzz_markup: a keyword line holding a NUL byte. The line ends
// there, as a line of text does, so no keyword can reach past the NUL and
// be matched as longer than the text it is compared with.
TEST_F(HighlightTest, TableLinesEndAtANulByte) {
  MarkUpHash t;
  const std::string mrk = std::string(".   BLACK WHITE PLAIN_TEXT\n"
                                      "int BLUE WHITE KEYWORD\n"
                                      "_Static\0_assert BLUE WHITE KEYWORD\n"
                                      "ab\0cdef BLUE WHITE KEYWORD\n"
                                      "char\0 GREEN WHITE KEYWORD\n"
                                      "x BLUE WHITE\0 KEYWORD\n",
                                      160);
  parseMarkUp(t, "nul.mrk", mrk, host);
  // Cut at the NUL, the four lines are too short to be entries.
  int refused = 0;
  for (const auto& text : host.boxTexts()) refused += text.find("String will be ignored") != std::string::npos;
  EXPECT_EQ(refused, 4);
  // Lines that end where a keyword's NUL was (on the heap, where reading
  // past their end is caught).
  const std::string first = "int followed by _Static";
  EXPECT_EQ(paint(first.c_str(), kStateNormal, kPaintNormal, 0, -1, &t),
            (Runs{{"int", kBlue}, {" followed by _Static", kBlack}}));
  const std::string second = "a line that ends in ab";
  EXPECT_EQ(paint(second.c_str(), kStateNormal, kPaintNormal, 0, -1, &t),
            (Runs{{"a line that ends in ab", kBlack}}));
}

TEST_F(HighlightTest, FallbackTableFollowsHighlightUnknownFiles) {
  MarkUpHash other;
  parseMarkUp(other, "allother.mrk", "int BLUE WHITE KEYWORD\n", host);
  ASSERT_TRUE(other.isFallback);
  settings().highlightUnknownFiles = false;
  EXPECT_EQ(paint("int", kStateNormal, kPaintNormal, 0, -1, &other), (Runs{{"int", kBlack}}));
  settings().highlightUnknownFiles = true;
  EXPECT_EQ(paint("int", kStateNormal, kPaintNormal, 0, -1, &other), (Runs{{"int", kBlue}}));
}

TEST_F(HighlightTest, ContinuationRowsGoOnInTheEntryColours) {
  dc.setTextColour(kBlue);
  dc.setBackColour(kWhite);
  EXPECT_EQ(paint("ger int", kStateNormal, kPaintWordGoesOn),
            (Runs{{"ger", kBlue}, {" ", kBlack}, {"int", kBlue}}));
  EXPECT_EQ(row.rowStyle, kRunKeyword);

  dc.setTextColour(kGreen);
  EXPECT_EQ(paint("comment goes */ on", kStateNormal, kPaintRunGoesOn),
            (Runs{{"comment goes */ on", kGreen}}));
  EXPECT_EQ(row.rowStyle, kRunToEnd);

  dc.setTextColour(kCyan);
  EXPECT_EQ(paint("end */ int", kStateNormal, kPaintCommentGoesOn),
            (Runs{{"end */", kCyan}, {" ", kBlack}, {"int", kBlue}}));
  EXPECT_EQ(row.rowStyle, kRunBlockComment);
}

TEST_F(HighlightTest, BeginWithoutEndGivesNoBlockComments) {
  MarkUpHash half;
  parseMarkUp(half, "half.mrk", "/* CYAN WHITE BEG_COMMENT\nint BLUE WHITE KEYWORD\n", host);
  EXPECT_EQ(paint("/* int", kStateNormal, kPaintNormal, 0, -1, &half),
            (Runs{{"/* ", kYellow}, {"int", kBlue}}));
  EXPECT_EQ(nextState(kStateNormal, "/* int", &half), kStateNormal);
  EXPECT_EQ(paint("int", kStateInComment, kPaintNormal, 0, -1, &half), (Runs{{"int", kBlue}}));
}

TEST_F(HighlightTest, PieceBounds) {
  EXPECT_TRUE(paint("int x", kStateNormal, kPaintNormal, 9, 5).empty());
  EXPECT_EQ(paint("int x", kStateNormal, kPaintNormal, -3, 40), (Runs{{"int", kBlue}, {" x", kBlack}}));
  EXPECT_EQ(paint("int x", kStateNormal, kPaintNormal, 0, 2), (Runs{{"in", kBlue}}));
}

// A file: a, closed fold { "/* open", "b" }, c, "d */", e.
class LineStateTest : public HighlightTest {
 protected:
  void SetUp() override {
    HighlightTest::SetUp();
    buildFileChain(store);
    LineNode* root = store.levelTop->next;
    a = line("a");
    fold = line("fold");
    fold->kind = ClosedFold;
    inner1 = line("/* open");
    inner2 = line("b");
    end = line("");
    end->kind = FoldEnd;
    fold->partner() = end;
    end->partner() = fold;
    c = line("c");
    d = line("d */");
    e = line("e");
    linkAfter(root, a);
    linkAfter(a, fold);
    fold->inner() = inner1;
    inner1->prev = fold;
    linkAfter(inner1, inner2);
    linkAfter(inner2, end);
    linkAfter(fold, c);
    linkAfter(c, d);
    linkAfter(d, e);
    linkAfter(e, store.levelBottom);
    finishFileChain(store);
  }
  LineNode* line(const char* text) {
    LineNode* n = newLineNode(store);
    assign(*n, text);
    return n;
  }
  std::vector<uint32_t> states() {
    std::vector<uint32_t> out;
    for (LineNode* n : {a, fold, inner1, inner2, end, c, d, e}) out.push_back(n->lineState);
    return out;
  }

  LineStore store{ctx};
  LineNode *a, *fold, *inner1, *inner2, *end, *c, *d, *e;
};

TEST_F(LineStateTest, RecomputeWalksIntoClosedFolds) {
  EXPECT_EQ(nextInFileOrder(fold), inner1);
  EXPECT_EQ(prevInFileOrder(c), end);
  EXPECT_EQ(prevInFileOrder(inner1), fold);
  recompute(store.fileTop, &table);
  EXPECT_EQ(states(), (std::vector<uint32_t>{9, 9, 9, 7, 7, 7, 7, 9}));
  EXPECT_EQ(store.fileBottom->lineState, kStateNormal);
  recompute(store.fileTop, nullptr);
  EXPECT_EQ(states(), (std::vector<uint32_t>(8, 9)));
}

TEST_F(LineStateTest, UpdateStopsAtTheFirstUnchangedLine) {
  recompute(store.fileTop, &table);
  e->lineState = 3;  // would be overwritten if the walk went that far
  assign(*a, "/* x */");
  a->lineState = kStateRecompute;
  update(a, &table);
  EXPECT_EQ(a->lineState, kStateNormal);
  EXPECT_EQ(e->lineState, 3u);

  // Closing the comment inside the fold changes the lines after it.
  assign(*inner1, "/* closed */");
  inner1->lineState = kStateRecompute;
  update(inner1, &table);
  EXPECT_EQ(states(), (std::vector<uint32_t>(8, 9)));

  // From the line after a closed fold, the state before it is the fold
  // end's, not the header's.
  assign(*inner2, "/*");
  inner2->lineState = kStateRecompute;
  update(inner2, &table);
  EXPECT_EQ(end->lineState, kStateInComment);
  c->lineState = kStateRecompute;
  update(c, &table);
  EXPECT_EQ(c->lineState, kStateInComment);
}

TEST_F(LineStateTest, UpdateQueuesTheRowsOnScreen) {
  assign(*inner1, "b0");
  recompute(store.fileTop, &table);
  assign(*a, "/* open");
  a->lineState = kStateRecompute;
  std::vector<std::pair<int, LineNode*>> queued;
  auto collect = [&](int r, LineNode* n) { queued.emplace_back(r, n); };
  update(a, &table, 1, 25, collect);
  // The fold's contents are not on screen; the walk stops at e (already 9
  // after "d */").
  EXPECT_EQ(queued, (std::vector<std::pair<int, LineNode*>>{{1, a}, {2, fold}, {3, c}, {4, d}}));
  EXPECT_EQ(states(), (std::vector<uint32_t>{9, 7, 7, 7, 7, 7, 7, 9}));

  queued.clear();
  assign(*a, "a");
  a->lineState = kStateRecompute;
  fold->rows() = 2;  // a wrapped header takes two rows
  update(a, &table, 5, 7, collect);
  EXPECT_EQ(queued, (std::vector<std::pair<int, LineNode*>>{{5, a}, {6, fold}}));
  EXPECT_EQ(d->lineState, kStateNormal);  // the walk goes on past the screen
}

}  // namespace
