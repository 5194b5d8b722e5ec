#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "model/foldformat.hpp"
#include "model/foldreader.hpp"
#include "model/markerscan.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"
#include "foldfile_util.hpp"

using namespace foldtest;

namespace {

class FoldReaderTest : public PlicatoTest {
 protected:
  // Writes `content` to NAME in the work dir and reads it as the window's file.
  std::unique_ptr<LineStore> load(const std::string& content, const std::string& cs = "--",
                                  const std::string& ce = "", const std::string& type = "occam2",
                                  const std::string& name = "f.occ") {
    work.write(name, content);
    auto w = newWindow(ctx, cs, ce, type);
    open(*w, work.file(name));
    return w;
  }
};

TEST_F(FoldReaderTest, EmptyFoldAndItsEndLine) {
  auto w = load("--{{{  a\r\n--}}}\r\n");
  EXPECT_EQ(dump(*w), "FOLD i=0 m=0 t=0 c=1 [a]\n");
  LineNode* h = root(*w)->next;
  EXPECT_EQ(h->inner(), h->partner());
  EXPECT_EQ(w->ioStatus, 0);
}

TEST_F(FoldReaderTest, NestedMarkerColumnsAreRelativeToTheEnclosingFold) {
  auto w = load(
      "  --{{{  outer\n"
      "      --{{{  inner\n"
      "        x\n"
      "      --}}}\n"
      "  --}}}\n"
      "after\n");
  EXPECT_EQ(dump(*w),
            "FOLD i=0 m=2 t=0 c=1 [outer]\n"
            "  FOLD i=0 m=4 t=0 c=1 [inner]\n"
            "    T i=0 [  x]\n"
            "T i=0 [after]\n");
  EXPECT_EQ(w->foldOffset, 0);
}

TEST_F(FoldReaderTest, TabsBeforeTheMarkerCountVisually) {
  settings().tabSize = 8;
  auto w = load("\t --{{{  t\n\t --}}}\n");
  EXPECT_EQ(root(*w)->next->markerColumn(), 9);
}

TEST_F(FoldReaderTest, DottedFiledFoldHasNoContentsAndNoEndLine) {
  auto w = load(
      "--...F  part\n"
      "--:::A  1 1\n"
      "--:::F part.occ\n"
      "next line\n");
  EXPECT_EQ(dump(*w),
            "FILED i=0 m=0 t=1 c=1 [part] -> [part.occ]\n"
            "T i=0 [next line]\n");
}

TEST_F(FoldReaderTest, InlineFiledFoldWithOtherTypeKeepsItsContents) {
  // A filed fold from a TDS file (foldType 2) carries its lines inline.
  auto w = load(
      "--{{{F  part\n"
      "--:::A  2 1\n"
      "--:::F part.occ\n"
      "inside\n"
      "--}}}\n"
      "outside\n");
  EXPECT_EQ(dump(*w),
            "FILED i=0 m=0 t=2 c=1 [part] -> [part.occ]\n"
            "  T i=0 [inside]\n"
            "T i=0 [outside]\n");
}

TEST_F(FoldReaderTest, DeclarationLineSetsTheConventionWhateverTheType) {
  auto w = load("/*{{{}}}*/\n/*{{{  f*/\nx\n/*}}}*/\n");
  EXPECT_EQ(w->commentStart, "/*");
  EXPECT_EQ(w->commentEnd, "*/");
  // The declaration stays a line of the file.
  EXPECT_EQ(dump(*w), "T i=0 [/*{{{}}}*/]\nFOLD i=0 m=0 t=0 c=1 [f]\n  T i=0 [x]\n");
}

TEST_F(FoldReaderTest, OnlyALineOfCommentSignsAndTheSixBytesDeclares) {
  struct Row {
    const char* line;
    const char* start;  // the convention afterwards
    const char* end;
  } rows[] = {
      {"  012345678{{{}}}zyxwvutsr  ", "012345678", "zyxwvutsr"},
      {"\t(*{{{}}}*)", "(*", "*)"},
      {"  0123456789AB{{{}}}zyxwvutsrqpo  ", "--", ""},  // fields of more than 9 bytes
      {"char *s = \"{{{}}}\";", "--", ""},              // code that holds the six bytes
      {"{{{}}}", "--", ""},                              // no comment start
      {"/*{{{}}} */ x", "--", ""},
  };
  for (const Row& r : rows) {
    auto w = load(std::string(r.line) + "\nplain\n");
    EXPECT_EQ(w->commentStart, r.start) << r.line;
    EXPECT_EQ(w->commentEnd, r.end) << r.line;
    EXPECT_EQ(dump(*w), "T i=0 [" + stripped(r.line) + "]\nT i=0 [plain]\n") << r.line;
  }
}

TEST_F(FoldReaderTest, SecondDeclarationDirectlyAfterIsText) {
  auto w = load("--{{{}}}\n//{{{}}}\n");
  EXPECT_EQ(w->commentStart, "--");
  EXPECT_EQ(dump(*w), "T i=0 [--{{{}}}]\nT i=0 [//{{{}}}]\n");
}

TEST_F(FoldReaderTest, CommentFoldLinesLoseTheirCommentSigns) {
  auto w = load("--{{{  COMMENT notes\n  --x\n--}}}\n--y\n");
  EXPECT_EQ(dump(*w),
            "FOLD i=0 m=0 t=0 c=1 [COMMENT notes]\n"
            "  T i=0 [  x]\n"
            "T i=0 [--y]\n");
}

TEST_F(FoldReaderTest, DottedFiledFoldInsideCommentFoldKeepsItsAttributes) {
  auto w = load(
      "/*{{{  COMMENT c*/\n"
      "/*...F  part*/\n"
      "/*:::A  1 1*/\n"
      "/*:::F part.c*/\n"
      "/*text*/\n"
      "/*}}}*/\n"
      "/*kept*/\n",
      "/*", "*/", "C", "f.c");
  EXPECT_EQ(dump(*w),
            "FOLD i=0 m=0 t=0 c=1 [COMMENT c]\n"
            "  FILED i=0 m=0 t=1 c=1 [part] -> [part.c]\n"
            "  T i=0 [text]\n"
            "T i=0 [/*kept*/]\n");
}

TEST_F(FoldReaderTest, TitleIsCutAtTheCommentEndOnlyWhenThereIsOne) {
  auto occ = load("--{{{  a */ b -- c\n--}}}\n");
  EXPECT_EQ(std::string(root(*occ)->next->text), "a */ b -- c");
  auto c = load("/*{{{  a */ b\n/*}}}*/\n", "/*", "*/", "C", "f.c");
  EXPECT_EQ(std::string(root(*c)->next->text), "a");

  // On random lines: a marker line needs its comment end somewhere, the
  // rest ends at the first one after the marker, and a title keeps its
  // trailing blanks only where the comment end would otherwise be found
  // inside it.
  std::mt19937 rng(11);
  const char* const pieces[] = {" ", "\t", "x", "*", "/", "*/", "}", "}}}", "{{{", "/*", "a"};
  for (int round = 0; round < 2000; ++round) {
    std::string line;
    for (int i = 0, n = static_cast<int>(rng() % 12); i < n; ++i) line += pieces[rng() % 11];
    const char* const ends[] = {"*/", "}", "}}*", "}}}"};
    const std::string ce = ends[round % 4];
    const auto loose = markerscan::classify(line, "/*", "", 8);
    const auto m = markerscan::classify(line, "/*", ce, 8);
    const bool hasEnd = line.find(ce) != std::string::npos;
    EXPECT_EQ(m.kind, hasEnd ? loose.kind : markerscan::Marker::None) << line;
    if (m.kind != markerscan::Marker::None) {
      const size_t f = line.find(ce, m.restAt);
      EXPECT_EQ(m.restEnd, f == std::string::npos ? line.size() : f) << line;
      EXPECT_EQ(m.commentEnd, f != std::string::npos) << line;
    }
    size_t n = line.size();
    while (n > 0 && line[n - 1] == ' ') --n;
    const size_t want =
        n < line.size() && (line.substr(0, n) + ce).find(ce) < n ? line.size() : n;
    EXPECT_EQ(markerscan::titleLength(line, ce), want) << line;
  }
}

TEST_F(FoldReaderTest, LineEndsOfEveryKind) {
  auto w = load("a\r\nb\nc\r\r\nd\re");
  EXPECT_EQ(dump(*w), "T i=0 [a]\nT i=0 [b]\nT i=0 [c]\nT i=0 [d]\nT i=0 [e]\n");
  EXPECT_EQ(w->ioStatus, 3);
  EXPECT_FALSE(w->lfLineEnds);
  auto lf = load("a\nb\n");
  EXPECT_TRUE(lf->lfLineEnds);
  EXPECT_EQ(lf->ioStatus, 0);
  auto mixed = load("a\nb\r\n");
  EXPECT_FALSE(mixed->lfLineEnds);

  // The first pass skips from one run of marker bytes to the next and
  // counts the line ends between: it must count as the line splitter
  // splits, and miss no run.
  std::mt19937 rng(5);
  const char* const pieces[] = {"a", "\r", "\n", " ", "{{", "{{{", "}}}", "::", ":::", "...", "."};
  for (int round = 0; round < 640; ++round) {
    // The last rounds are long: the counters of line ends are summed
    // every so many blocks. Every round runs on the 16-byte search too.
    markerscan::allowWideSearch(round % 2 == 0);
    std::string bytes;
    const bool longRound = round >= 600;
    const int most = longRound ? 24000 : 40;
    for (int i = 0, n = static_cast<int>(rng() % most); i < n; ++i)
      bytes += pieces[rng() % (longRound ? 4 : 11)];
    if (round >= 620) bytes += "}}}";
    char* data = bytes.data();
    char* const stop = data + bytes.size();
    size_t lines = 0;
    char* cur = data;
    markerscan::Line raw;
    while (cur < stop) {
      if (!longRound) {
        EXPECT_EQ(markerscan::lineEndsBetween(data, cur, stop), lines) << round;
      }
      if (!markerscan::nextLine(cur, stop, raw)) break;
      for (const char* p = raw.text; p <= raw.text + raw.size; ++p)
        EXPECT_EQ(markerscan::lineStart(data, p), raw.text) << round;
      ++lines;
    }
    const size_t unended = lines > 0 && raw.end == markerscan::Line::kNone ? 1 : 0;
    EXPECT_EQ(markerscan::lineEndsBetween(data, stop, stop), lines - unended) << round;
    const size_t run = bytes.find_first_of("{}:.") == std::string::npos ? bytes.size() : [&] {
      for (size_t i = 0; i + 2 < bytes.size(); ++i)
        if (std::strchr("{}:.", bytes[i]) && bytes[i + 1] == bytes[i] && bytes[i + 2] == bytes[i])
          return i;
      return bytes.size();
    }();
    EXPECT_EQ(static_cast<size_t>(markerscan::nextMarkerRun(data, stop) - data), run) << round;
    // The search from any place counts the line ends it passes.
    for (size_t from = 0; from < bytes.size(); from += 1 + rng() % 97) {
      size_t ends = 7;
      const char* found = markerscan::nextMarkerRun(data + from, stop, ends);
      EXPECT_EQ(ends - 7, markerscan::lineEndsBetween(data + from, found, stop)) << round;
    }
  }
  markerscan::allowWideSearch(true);
}

TEST_F(FoldReaderTest, NulByteDoesNotStopReading) {
  auto w = load(std::string("ab\0cd\nnext\n", 11));
  EXPECT_EQ(dump(*w), "T i=0 [ab cd]\nT i=0 [next]\n");
}

TEST_F(FoldReaderTest, LongLinesAcrossChunks) {
  std::string big(3'000'000, 'x');
  auto w = load("--{{{  f\n" + big + "\r\n--}}}\r\n");
  LineNode* h = root(*w)->next;
  ASSERT_EQ(h->kind, ClosedFold);
  EXPECT_EQ(std::string(h->inner()->text), big);
}

// Marker lines that pair with nothing stay text lines, as they stand.
TEST_F(FoldReaderTest, MarkerLinesThatDoNotPairUpStayText) {
  struct Row {
    const char* file;
    const char* tree;
  } rows[] = {
      {"--{{{  a\nx\n  --{{{  b\ny\n", "T i=0 [--{{{  a]\nT i=0 [x]\nT i=0 [  --{{{  b]\nT i=0 [y]\n"},
      {"--}}}\n--:::A  2 3\n--:::F x\nx\n",
       "T i=0 [--}}}]\nT i=0 [--:::A  2 3]\nT i=0 [--:::F x]\nT i=0 [x]\n"},
      // The end pairs with the nearest header; the outer one is text.
      {"--{{{  a\n  --{{{  b\n  y\n  --}}}\n",
       "T i=0 [--{{{  a]\nFOLD i=0 m=2 t=0 c=1 [b]\n  T i=0 [y]\n"},
      // A filed fold needs its file line; a plain fold takes none.
      {"--{{{F  p\nx\n--}}}\n", "T i=0 [--{{{F  p]\nT i=0 [x]\nT i=0 [--}}}]\n"},
      {"--...F  p\n--:::A  1 1\nx\n", "T i=0 [--...F  p]\nT i=0 [--:::A  1 1]\nT i=0 [x]\n"},
      {"--{{{  p\n--:::F p.occ\n--}}}\n", "FOLD i=0 m=0 t=0 c=1 [p]\n  T i=0 [--:::F p.occ]\n"},
      // An attribute line counts only right after its header.
      {"--{{{  p\nx\n--:::A  2 1\n--}}}\n",
       "FOLD i=0 m=0 t=0 c=1 [p]\n  T i=0 [x]\n  T i=0 [--:::A  2 1]\n"},
      // "...F" is a fold of type 1, with or without its attribute line.
      {"--...F  p\n--:::F p.occ\nx\n", "FILED i=0 m=0 t=1 c=1 [p] -> [p.occ]\nT i=0 [x]\n"},
      {"--...F  p\n--:::A  2 1\n--:::F p.occ\nx\n",
       "T i=0 [--...F  p]\nT i=0 [--:::A  2 1]\nT i=0 [--:::F p.occ]\nT i=0 [x]\n"},
  };
  for (const Row& r : rows) {
    auto w = load(r.file);
    EXPECT_EQ(dump(*w), r.tree) << r.file;
    EXPECT_EQ(w->foldOffset, 0);
  }
  // A fold further right than a node's column can hold is text too.
  const std::string far(5000000, ' ');
  auto w = load(far + "--{{{  a\n" + far + "x\n" + far + "--}}}\n");
  const std::string tree = dump(*w);
  EXPECT_EQ(tree.find("FOLD"), std::string::npos);
  EXPECT_EQ(std::count(tree.begin(), tree.end(), '\n'), 3);
}

TEST_F(FoldReaderTest, FortranMarkersKeepColumnZero) {
  auto w = load(
      "C   C{{{  f\n"
      "C   C comment\n"
      "      x = 1\n"
      "C   C}}}\n"
      "C top comment\n",
      "C", "", "Fortran", "f.f");
  EXPECT_EQ(dump(*w),
            "FOLD i=0 m=4 t=0 c=1 [f]\n"
            "  T i=0 [C comment]\n"
            "  T i=0 [  x = 1]\n"
            "T i=0 [C top comment]\n");
}

TEST_F(FoldReaderTest, OnlyFortranFilesTreatColumnZeroSpecially) {
  auto w = load("c = 1; /*C{{{ */\n", "/*", "*/", "C", "f.c");
  EXPECT_EQ(dump(*w), "T i=0 [c = 1; /*C{{{ */]\n");
}

TEST_F(FoldReaderTest, BackslashInStoredFileNameReadsAsSlash) {
  auto w = load("--{{{F  p\n--:::F sub\\p.occ\n--}}}\n");
  EXPECT_EQ(std::string(root(*w)->next->partner()->text), "sub/p.occ");
}

TEST_F(FoldReaderTest, TdsIsChosenByTheFirstTokenOnly) {
  std::string tds;
  tdsEncode(tds, foldformat::kTdsControl, foldformat::kTdsBegin);
  tdsEncodeString(tds, "line", 4);
  tdsEncode(tds, foldformat::kTdsControl, foldformat::kTdsEnd);
  ASSERT_EQ(static_cast<unsigned char>(tds[0]), 0x80);
  auto w = load(tds, "tds", "", "TDS", "f.tsr");
  EXPECT_TRUE(w->readAsTds);
  EXPECT_EQ(dump(*w), "T i=0 [line]\n");
  // A first byte that is no begin token (here a Latin-1 letter) means text.
  auto t = load("\xC7" "a va\n", "tds", "", "TDS", "g.tsr");
  EXPECT_FALSE(t->readAsTds);
  EXPECT_EQ(dump(*t), "T i=0 [\xC7" "a va]\n");
  // Text whose first line begins with the begin token's byte (a cp1252
  // euro sign) ends with a line feed, as the writer ends every text file:
  // it stays text, and what is saved reads back the same.
  auto e = load("\x80 = 1.5;\r\nnext\r\n", "/*", "*/", "C", "e.c");
  EXPECT_FALSE(e->readAsTds);
  EXPECT_EQ(dump(*e), "T i=0 [\x80 = 1.5;]\nT i=0 [next]\n");
  save(*e);
  auto again = load(readFile(work.file("e.c")), "/*", "*/", "C", "e.c");
  EXPECT_EQ(dump(*again), dump(*e));
}

TEST_F(FoldReaderTest, TdsFoldsAndNumbersAsStrings) {
  using namespace foldformat;
  std::string s;
  tdsEncode(s, kTdsControl, kTdsBegin);
  tdsEncode(s, kTdsControl, kTdsFold);
  tdsEncode(s, kTdsControl, kTdsBegin);
  tdsEncode(s, kTdsNumber, 42);  // title given as a number
  tdsEncode(s, kTdsNumber, 3);
  tdsEncode(s, kTdsNumber, 2);
  tdsEncode(s, kTdsNumber, 5000);
  tdsEncode(s, kTdsControl, kTdsEnd);
  tdsEncode(s, kTdsControl, kTdsBegin);
  tdsEncodeString(s, "in", 2);
  tdsEncode(s, kTdsNumber, 7);  // stray number: skipped
  tdsEncode(s, kTdsControl, kTdsEnd);
  tdsEncode(s, kTdsControl, kTdsFoldEnd);
  tdsEncode(s, kTdsControl, kTdsFiled);
  tdsEncode(s, kTdsControl, kTdsBegin);
  tdsEncodeString(s, "f", 1);
  tdsEncode(s, kTdsNumber, 1);
  tdsEncode(s, kTdsNumber, 1);
  tdsEncode(s, kTdsNumber, 0);
  tdsEncode(s, kTdsControl, kTdsEnd);
  tdsEncodeString(s, "a\\b.tsr", 7);
  tdsEncode(s, kTdsControl, kTdsFiledEnd);
  tdsEncode(s, kTdsControl, kTdsEnd);
  auto w = load(s, "tds", "", "TDS", "f.tsr");
  EXPECT_EQ(dump(*w),
            "FOLD i=0 m=5000 t=3 c=2 [42]\n"
            "  T i=0 [in]\n"
            "FILED i=0 m=0 t=1 c=1 [f] -> [a/b.tsr]\n");
}

TEST_F(FoldReaderTest, TruncatedTdsFileReadsWhatIsThere) {
  using namespace foldformat;
  std::string s;
  tdsEncode(s, kTdsControl, kTdsBegin);
  tdsEncodeString(s, "one", 3);
  tdsEncode(s, kTdsControl, kTdsFold);
  tdsEncode(s, kTdsControl, kTdsBegin);
  tdsEncode(s, kTdsString, 100);  // title longer than the file
  s += "ti";
  auto w = load(s, "tds", "", "TDS", "f.tsr");
  EXPECT_EQ(dump(*w), "T i=0 [one]\n");
  // Endless continuation bytes are no number at all.
  auto junk = load(std::string("\x80") + std::string(64, '\xFF'), "tds", "", "TDS", "j.tsr");
  EXPECT_EQ(dump(*junk), "");
}

TEST_F(FoldReaderTest, OpeningReportsLoadingAndRecordsTheFile) {
  auto w = load("x\n");
  std::string path = work.file("f.occ");
  EXPECT_EQ(host.statusTexts().front(), "Loading " + path);
  ASSERT_EQ(host.recentFiles().size(), 1u);
  EXPECT_EQ(host.recentFiles()[0], path);
  EXPECT_EQ(w->fileName, path);
  EXPECT_EQ(std::string(root(*w)->text), "f.occ");
  EXPECT_EQ(std::string(w->fileBottom->text), "f.occ");
  EXPECT_EQ(w->baseDirectory(), work.path());
}

TEST_F(FoldReaderTest, MissingNamedFileIsANewEmptyBuffer) {
  auto w = newWindow(ctx, "--", "", "occam2");
  open(*w, work.file("new.occ"));
  EXPECT_EQ(dump(*w), "");
  EXPECT_EQ(w->ioStatus, 0);
  EXPECT_EQ(std::string(w->fileBottom->text), "new.occ");
  EXPECT_FALSE(fileExists(work.file("new.occ")));  // probing creates nothing
  EXPECT_TRUE(host.boxTexts().empty());
}

TEST_F(FoldReaderTest, EmptyGivenNameIsANewBufferAndNoDialog) {
  auto w = newWindow(ctx, "--", "", "occam2");
  host.queueAnswer(work.file("never.occ"));
  open(*w, "");
  EXPECT_EQ(dump(*w), "");
  EXPECT_EQ(host.answersLeft(), 1u);
}

TEST_F(FoldReaderTest, WithoutANameTheOpenDialogAsks) {
  work.write("picked.occ", "chosen\n");
  auto w = newWindow(ctx, "--", "", "occam2");
  host.queueAnswer(work.file("picked.occ"));
  w->nameGiven = false;
  read(*w, nullptr, w->levelTop->next, w->levelBottom, true);
  finishFileChain(*w);
  EXPECT_EQ(dump(*w), "T i=0 [chosen]\n");
  EXPECT_EQ(w->basePathTop, 0);
  EXPECT_EQ(w->baseDirectory(), work.path());
}

TEST_F(FoldReaderTest, UnusableNameIsAskedAgain) {
  work.write("good.occ", "good\n");
  auto w = newWindow(ctx, "--", "", "occam2");
  host.queueAnswer(work.file("good.occ"));
  open(*w, work.file("no/such/dir/x.occ"));
  EXPECT_EQ(dump(*w), "T i=0 [good]\n");
}

TEST_F(FoldReaderTest, UnreadableFileLeavesTheTreeAsItWasAndGoesOn) {
  // A directory passes the probe but cannot be read.
  ::mkdir(work.file("d.occ").c_str(), 0755);
  auto w = newWindow(ctx, "--", "", "occam2");
  Builder b = top(*w);
  b.text("kept");
  finish(*w, b);
  LineNode* before = root(*w)->next;
  w->nameGiven = true;
  w->pendingName = work.file("d.occ");
  read(*w, nullptr, before, before->next, false);
  EXPECT_EQ(w->ioStatus, 2);
  ASSERT_EQ(host.events().size(), 1u);
  EXPECT_EQ(host.events()[0].caption, "Error");
  EXPECT_EQ(host.events()[0].text, "file not found");
  EXPECT_EQ(dump(*w), "T i=0 [kept]\n");
}

TEST_F(FoldReaderTest, FiledFoldFileReadsIntoTheFold) {
  ::mkdir(work.file("sub").c_str(), 0755);
  work.write("sub/part.occ", "--{{{  in\nx\n--}}}\n");
  auto w = newWindow(ctx, "--", "", "occam2");
  Builder b = top(*w);
  LineNode* h = b.fold("part", FiledFold, 0, [](Builder&) {}, 0, 1, "sub/part.occ");
  finish(*w, b);
  w->pushBasePath(work.path());
  LineNode* e = h->partner();
  // As unfiling does it: into the fold, closed by its own end.
  read(*w, e, h, e, false);
  EXPECT_EQ(dump(*w),
            "FILED i=0 m=0 t=0 c=1 [part] -> [sub/part.occ]\n"
            "  FOLD i=0 m=0 t=0 c=1 [in]\n"
            "    T i=0 [x]\n");
  EXPECT_EQ(w->baseDirectory(), work.path());  // only the window's own file moves it
}

TEST_F(FoldReaderTest, ResolveUsesTheBasePathAndNeverCreates) {
  auto w = newWindow(ctx, "--", "", "occam2");
  w->pushBasePath(work.path());
  work.write("there.occ", "x");
  PathProbe there = resolve(*w, "there.occ");
  EXPECT_EQ(there.path, work.file("there.occ"));
  EXPECT_TRUE(there.exists);
  EXPECT_TRUE(there.usable);
  PathProbe fresh = resolve(*w, "sub\\fresh.occ");
  EXPECT_EQ(fresh.path, work.file("sub/fresh.occ"));
  EXPECT_FALSE(fresh.usable);  // no such directory
  PathProbe create = resolve(*w, "fresh.occ");
  EXPECT_FALSE(create.exists);
  EXPECT_TRUE(create.usable);
  EXPECT_FALSE(fileExists(work.file("fresh.occ")));
  PathProbe abs = resolve(*w, "/etc/hostname");
  EXPECT_EQ(abs.path, "/etc/hostname");
}

TEST_F(FoldReaderTest, RelativeNameIsMadeAbsoluteWhenOpened) {
  work.write("rel.occ", "r\n");
  char old[4096];
  ASSERT_TRUE(::getcwd(old, sizeof old));
  ASSERT_EQ(::chdir(work.path().c_str()), 0);
  auto w = newWindow(ctx, "--", "", "occam2");
  open(*w, "rel.occ");
  ASSERT_EQ(::chdir(old), 0);
  EXPECT_EQ(w->fileName, work.file("rel.occ"));
  EXPECT_EQ(w->baseDirectory(), work.path());
}

TEST_F(FoldReaderTest, DamagedFilesReadWithoutHarm) {
  // Random bytes rich in marker pieces, as text and as TDS: the tree read
  // is always well formed and the reader never runs off its buffers.
  std::mt19937 rng(4711);
  const char* pieces[] = {"{{{", "}}}", "...F", ":::A", ":::F", "{{{F", "--", "/*", "*/",
                          "\r", "\n", "\r\n", " ", "\t", "COMMENT", "{{{}}}", "C", "9"};
  for (int round = 0; round < 300; ++round) {
    std::string data;
    if (round % 3 == 0) data += '\x80';
    int n = std::uniform_int_distribution<int>(0, 200)(rng);
    for (int i = 0; i < n; ++i) {
      if (rng() % 3 == 0)
        data += static_cast<char>(rng() & 0xFF);
      else
        data += pieces[rng() % (sizeof pieces / sizeof *pieces)];
    }
    const char* type = round % 4 == 0 ? "Fortran" : round % 4 == 1 ? "TDS" : "C";
    auto w = load(data, round % 2 ? "--" : "/*", round % 2 ? "" : "*/", type, "x.dat");
    EXPECT_NE(w->ioStatus, 2);
    std::string d = dump(*w);
    EXPECT_EQ(d.find("BAD"), std::string::npos) << d;
    // A text file read in one pass (falling back to two where a header
    // does not pair up or a line declares) reads as in the two passes.
    allowOnePassReading(false);
    auto two = load(data, round % 2 ? "--" : "/*", round % 2 ? "" : "*/", type, "x.dat");
    allowOnePassReading(true);
    EXPECT_EQ(dump(*two), d) << round;
    EXPECT_EQ(two->ioStatus, w->ioStatus) << round;
    EXPECT_EQ(two->lfLineEnds, w->lfLineEnds) << round;
  }
}

}  // namespace
