// plicato-fold run from outside, as a user or a script runs it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <sys/wait.h>

#include "support/testenv.hpp"

namespace {

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class PlicatoFoldTest : public PlicatoTest {
 protected:
  ToolRun run(const std::string& args) {
    std::string cmd = "cd " + quote(work.path()) + " && " + quote(std::string(PLICATO_BIN_DIR) +
                      "/plicato-fold") + " " + args + " --config " + quote(config.path()) +
                      " >" + quote(work.file(".out")) + " 2>" + quote(work.file(".err"));
    int rc = std::system(cmd.c_str());
    ToolRun r;
    r.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.out = work.read(".out");
    r.err = work.read(".err");
    ::unlink(work.file(".out").c_str());
    ::unlink(work.file(".err").c_str());
    return r;
  }

  const std::string sample_ =
      "/*{{{  top*/\r\n"
      "int x;\r\n"
      "/*{{{  inner*/\r\n"
      "  y\xE9;\r\n"
      "/*}}}*/\r\n"
      "/*}}}*/\r\n"
      "/*...F part*/\r\n"
      "/*:::A  1 1*/\r\n"
      "/*:::F part.c*/\r\n"
      "/*{{{  COMMENT note*/\r\n"
      "/*why*/\r\n"
      "/*}}}*/\r\n";
};

TEST_F(PlicatoFoldTest, TreeShowsEveryFoldHeader) {
  work.write("a.c", sample_);
  ToolRun r = run("tree a.c");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "{{{ top (4 lines)\n"
            "  {{{ inner (1 lines)\n"
            "...F part -> part.c\n"
            "{{{ COMMENT note (1 lines)\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(PlicatoFoldTest, JsonIsValidUtf8WithTheWholeTree) {
  work.write("a.c", sample_);
  ToolRun r = run("json a.c");
  ASSERT_EQ(r.status, 0) << r.err;
  auto doc = nlohmann::json::parse(r.out);  // throws on invalid UTF-8
  EXPECT_EQ(doc["file"], "a.c");
  EXPECT_EQ(doc["type"], "C");
  EXPECT_EQ(doc["commentStart"], "/*");
  EXPECT_EQ(doc["commentEnd"], "*/");
  EXPECT_EQ(doc["ioStatus"], 0);
  ASSERT_EQ(doc["lines"].size(), 3u);
  const auto& top = doc["lines"][0];
  EXPECT_EQ(top["kind"], "ClosedFold");
  EXPECT_EQ(top["text"], "top");
  EXPECT_EQ(top["lines"][1]["lines"][0]["text"], "  y\xC3\xA9;");
  const auto& filed = doc["lines"][1];
  EXPECT_EQ(filed["kind"], "FiledFold");
  EXPECT_EQ(filed["foldType"], 1);
  EXPECT_EQ(filed["fileName"], "part.c");
  EXPECT_TRUE(filed["lines"].empty());
  EXPECT_EQ(doc["lines"][2]["lines"][0]["text"], "why");
  EXPECT_FALSE(doc["lines"][2]["lines"][0].contains("lines"));
}

TEST_F(PlicatoFoldTest, ConvertToTdsAndBackGivesTheSameBytes) {
  work.write("a.c", sample_);
  ASSERT_EQ(run("convert a.c a.tsr").status, 0);
  std::string tds = work.read("a.tsr");
  ASSERT_FALSE(tds.empty());
  EXPECT_EQ(static_cast<unsigned char>(tds[0]), 0x80);
  ASSERT_EQ(run("convert a.tsr b.c").status, 0);
  // TDS keeps no contents flag for a COMMENT fold: it comes back as 0.
  std::string expected = sample_;
  std::string header = "/*{{{  COMMENT note*/\r\n";
  expected.insert(expected.find(header) + header.size(), "/*:::A  0 0*/\r\n");
  EXPECT_EQ(work.read("b.c"), expected);
  ASSERT_EQ(run("convert b.c c.tsr").status, 0);
  EXPECT_EQ(work.read("c.tsr"), tds);
}

TEST_F(PlicatoFoldTest, ConvertChangesTheMarkersToTheOtherLanguage) {
  work.write("a.c", sample_);
  ASSERT_EQ(run("convert a.c a.occ").status, 0);
  EXPECT_EQ(work.read("a.occ"),
            "--{{{  top\r\nint x;\r\n--{{{  inner\r\n  y\xE9;\r\n--}}}\r\n--}}}\r\n"
            "--...F part\r\n--:::A  1 1\r\n--:::F part.c\r\n"
            "--{{{  COMMENT note\r\n--why\r\n--}}}\r\n");
  ASSERT_EQ(run("convert a.occ x.txt --type pascal").status, 0);
  EXPECT_EQ(work.read("x.txt").substr(0, 14), "(*{{{  top*)\r\n");
}

TEST_F(PlicatoFoldTest, UnknownExtensionAsksForTheCommentSigns) {
  work.write("a.c", "/*{{{  f*/\r\nx\r\n/*}}}*/\r\n");
  ASSERT_EQ(run("convert a.c a.zz").status, 0);
  EXPECT_EQ(work.read("a.zz"), "{{{  f\r\nx\r\n}}}\r\n");
  ASSERT_EQ(run("convert a.c a.yy --comment '#' ''").status, 0);
  EXPECT_EQ(work.read("a.yy"), "#{{{  f\r\nx\r\n#}}}\r\n");
}

// check says what a save would change, in the form compilers use, and
// changes nothing.
TEST_F(PlicatoFoldTest, CheckListsWhatASaveWouldChange) {
  struct Row {
    std::string file;
    std::string out;  // "%" stands for the file name
    int status;
  } rows[] = {
      {"/*{{{  f*/\n\tx;\n/*}}}*/\n", "", 0},
      {"/*{{{  f*/\nx;  \n/*}}}*/\n", "%:2: trailing blanks\n", 1},
      {"/*{{{f */\nx;\n/*}}}*/\n", "%:1: marker spacing\n", 1},
      {"a\n/*{{{  f*/\nx;\n", "%:2: fold start without an end line\n", 0},
      {"/*}}}*/\nx;\n", "%:1: fold end without a start\n", 0},
      {"/*:::F x.c*/\n", "%:1: fold attribute line without a start\n", 0},
      {"a\r\nb\nc\r\n", "%:2: line end\n", 1},
      {std::string("a\0b\n", 4), "%:1: NUL byte\n", 1},
  };
  for (const Row& r : rows) {
    const std::string& content = r.file;
    work.write("k.c", content);
    ToolRun run1 = run("check k.c");
    std::string want = r.out;
    for (size_t at; (at = want.find('%')) != std::string::npos;) want.replace(at, 1, "k.c");
    EXPECT_EQ(run1.out, want) << r.file;
    EXPECT_EQ(run1.status, r.status) << r.file;
    EXPECT_EQ(work.read("k.c"), content);
  }
  // Every file is checked; a missing one makes the status 2.
  work.write("good.c", "x;\n");
  ToolRun both = run("check good.c gone.c");
  EXPECT_EQ(both.status, 2);
  EXPECT_NE(both.err.find("gone.c"), std::string::npos);
}

TEST_F(PlicatoFoldTest, FailuresSayOneLineAndLeaveOutAlone) {
  ToolRun missing = run("tree nothere.c");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "plicato-fold: nothere.c: No such file or directory\n");

  work.write("a.c", sample_);
  work.write("ro.occ", "old\r\n");
  ::chmod(work.file("ro.occ").c_str(), 0444);
  ToolRun ro = run("convert a.c ro.occ");
  EXPECT_EQ(ro.status, 1);
  EXPECT_EQ(ro.err, "plicato-fold: cannot write ro.occ: Permission denied\n");
  EXPECT_EQ(work.read("ro.occ"), "old\r\n");

  ToolRun nodir = run("convert a.c no/dir/x.c");
  EXPECT_EQ(nodir.status, 1);
  EXPECT_EQ(nodir.err.find('\n'), nodir.err.size() - 1);

  ::mkdir(work.file("d.c").c_str(), 0755);
  ToolRun dir = run("tree d.c");
  EXPECT_EQ(dir.status, 1);
  EXPECT_EQ(dir.err, "plicato-fold: cannot read d.c: file not found\n");

  ToolRun usage = run("fold a.c");
  EXPECT_EQ(usage.status, 1);
  EXPECT_EQ(usage.err.rfind("plicato-fold: usage:", 0), 0u);

  ToolRun type = run("convert a.c b.c --type Klingon");
  EXPECT_EQ(type.status, 1);
  EXPECT_EQ(type.err, "plicato-fold: unknown type Klingon\n");
}

}  // namespace
