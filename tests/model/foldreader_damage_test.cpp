// Damaged fold files, as the fuzzer of the fold reader found them: folds
// without an end line and NUL bytes are reported before the user edits (a
// save would write the file differently), and what the writer then writes
// reads back to itself.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "model/foldfile_util.hpp"
#include "model/foldformat.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"

namespace {

using namespace foldtest;

class FoldReaderDamageTest : public PlicatoTest {
 protected:
  bool boxSays(const std::string& part) const {
    for (const auto& t : host.boxTexts())
      if (t.find(part) != std::string::npos) return true;
    return false;
  }
  // Reads the file, writes it back and returns what was written.
  std::string readAndSave(const std::string& name, const char* cs, const char* ce,
                          const char* type) {
    auto w = newWindow(ctx, cs, ce, type);
    open(*w, work.file(name));
    EXPECT_EQ(w->ioStatus, 0);
    save(*w);
    EXPECT_EQ(w->ioStatus, 0);
    return work.read(name);
  }
};

TEST_F(FoldReaderDamageTest, MarkersThatDoNotPairUpAreReportedAndKeptAsText) {
  work.write("a.occ",
             "--}}}\r\nPROC p ()\r\n--{{{  open\r\n  x := 1\r\n--{{{  closed\r\ny\r\n--}}}\r\n");
  auto w = newWindow(ctx, "--", "", "occam2");
  open(*w, work.file("a.occ"));
  EXPECT_TRUE(boxSays("/a.occ\nhas 2 fold marker line(s) that do not pair up, at line(s) 1, 3."));
  EXPECT_EQ(host.events().back().caption, "Plicato Warning");
  EXPECT_EQ(dump(*w),
            "T i=0 [--}}}]\n"
            "T i=0 [PROC p ()]\n"
            "T i=0 [--{{{  open]\n"
            "T i=0 [  x := 1]\n"
            "FOLD i=0 m=0 t=0 c=1 [closed]\n"
            "  T i=0 [y]\n");
}

TEST_F(FoldReaderDamageTest, SoundFilesGetNoWarning) {
  work.write("b.c", "/*{{{  f*/\r\nx;\r\n/*}}}*/\r\n/*...F g*/\r\n/*:::A  1 1*/\r\n/*:::F g.c*/\r\n");
  readAndSave("b.c", "/*", "*/", "C");
  EXPECT_TRUE(host.boxTexts().empty());
}

TEST_F(FoldReaderDamageTest, NulBytesAreReportedAndReadAsBlanks) {
  work.write("n.c", std::string("ab\0cd\r\n\0\r\n", 10));
  auto w = newWindow(ctx, "/*", "*/", "C");
  open(*w, work.file("n.c"));
  EXPECT_TRUE(boxSays("holds 2 NUL bytes"));
  EXPECT_EQ(dump(*w), "T i=0 [ab cd]\nT i=0 []\n");

  // The same in a TDS string.
  host.clearEvents();
  std::string tds;
  tdsEncode(tds, foldformat::kTdsControl, foldformat::kTdsBegin);
  tdsEncodeString(tds, "x\0y", 3);
  tdsEncode(tds, foldformat::kTdsControl, foldformat::kTdsEnd);
  work.write("t.tsr", tds);
  auto t = newWindow(ctx, "tds", "", "TDS");
  open(*t, work.file("t.tsr"));
  EXPECT_TRUE(boxSays("holds 1 NUL bytes"));
  EXPECT_EQ(dump(*t), "T i=0 [x y]\n");
}

TEST_F(FoldReaderDamageTest, PipeIsNoFileToReadAndNeverBlocks) {
  ASSERT_EQ(::mkfifo(work.file("p.occ").c_str(), 0644), 0);
  PathProbe probe = resolve(*newWindow(ctx, "--", "", "occam2"), work.file("p.occ"));
  EXPECT_FALSE(probe.exists);
  EXPECT_FALSE(probe.usable);
  // Read as a window's file: the name is asked for again (cancelled
  // here), and nothing is read.
  auto w = newWindow(ctx, "--", "", "occam2");
  open(*w, work.file("p.occ"));
  EXPECT_EQ(dump(*w), "");
}

// Found by fuzz_foldreader (Fortran): folds left open and a COMMENT fold
// whose lines look like markers once written. Every round moves the lines
// of an open fold out by one fold; once no fold is open the writer's own
// output reads back to itself.
TEST_F(FoldReaderDamageTest, FortranFileWithOpenFoldsSettlesOnceTheyAreGone) {
  settings().tabSize = 8;
  work.write("f.f",
             "first line\r\n"
             "\r\n"
             "C C{{{  outer\r\n"
             "  inside outer\r\n"
             "  \tindented by a tab\r\n"
             "C     C{{{  inner\r\n"
             "      deep\r\n"
             "C     C}}}\r\n"
             "C C{{{  COMMENT notes\r\n"
             "  Ca comment line\r\n"
             "C   C{{{  nested in a comment\r\n"
             "    Cx\r\n"
             "C   C3 2\r\n"
             "attrs\r\n"
             "C}}}\r\n"
             "C{{{F filed inline\r\n"
             "C:::F part.txt\r\n"
             "in its own file too\r\n"
             "C}}}\r\n"
             "C C...F filed only\r\n"
             "C C::\xc2\xbe\xdf\xdf"
             "1 1\r\n"
             "C C:::F only.txt\r\n"
             "C{{{  empty\r\n"
             "C}}}\r\n"
             "last line\r\n");
  // A text line written inside a COMMENT fold can look like a marker line
  // and read back as one, opening a fold without end; such lines settle
  // within a few rounds.
  std::string before, written;
  bool settled = false;
  for (int round = 0; round < 6 && !settled; ++round) {
    host.clearEvents();
    before = written;
    written = readAndSave("f.f", "C", "", "Fortran");
    settled = round > 0 && written == before && !boxSays("without an end line");
  }
  EXPECT_TRUE(settled) << written;
}

// Found by fuzz_foldreader (no comment signs): a first line that ends up
// beginning with the byte of the TDS begin token. Written as text it must
// read back as text, not as a TDS file. (The found input ended without a
// line end; one is added so that every round reads a whole file.)
TEST_F(FoldReaderDamageTest, TextStartingWithTheTdsBeginByteStaysText) {
  settings().tabSize = 8;
  const std::string input(
             "\xff\x01\x00\x00\x00\x00\x00\x00\x1e\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\x84\x84\x9e\x09\x07{{{}}}>\x0d\x0a"
             "\xff\xff\xff\xff\xff \x00\x03//{{{}}}{ {{a\xde\x0d\x80\x0a"
             "$\xde/\x0d\x0d\x0a"
             "RRR\xde\xde:::\xde\xff\xff\xff\x84\x84\x9e\x09\x07{{{}}}>\x0d\x0a"
             "\xff\xff\xff\xff\xff \x00\x03//{{{}}}{ {{a\xde\x0d\x80\x0a"
             "$\xde/\x0d\x0d\x0a"
             "\xde\xde}\r\n",
      139);
  work.write("in.txt", input);
  std::string before, written;
  for (int round = 0; round < 3; ++round) {
    before = written;
    written = readAndSave("in.txt", "", "", "All");
  }
  EXPECT_EQ(written, before);
  ASSERT_FALSE(written.empty());
  EXPECT_EQ(static_cast<unsigned char>(written[0]), 0xff);
}

}  // namespace
