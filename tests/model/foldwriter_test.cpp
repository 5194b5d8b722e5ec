#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/atomicfile.hpp"
#include "engine/fileio.hpp"
#include "model/fileidentity.hpp"
#include "model/foldformat.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"
#include "foldfile_util.hpp"

using namespace foldtest;

namespace {

class FoldWriterTest : public PlicatoTest {
 protected:
  // A window whose file is work/NAME, not read from disk.
  std::unique_ptr<LineStore> window(const std::string& cs, const std::string& ce,
                                    const std::string& type, const std::string& name) {
    auto w = newWindow(ctx, cs, ce, type);
    w->pushBasePath(work.path());
    assign(*w->fileBottom, name.c_str());
    assign(*root(*w), name.c_str());
    return w;
  }
  std::unique_ptr<LineStore> reread(LineStore& like, const std::string& name) {
    auto w = newWindow(ctx, like.commentStart, like.commentEnd, like.fileTypeName);
    open(*w, work.file(name));
    return w;
  }
};

auto none = [](Builder&) {};

TEST_F(FoldWriterTest, AttributeLineOnlyForOtherThanDefaultAttributes) {
  auto w = window("--", "", "occam2", "a.occ");
  Builder b = top(*w);
  b.fold("plain", ClosedFold, 0, [](Builder& in) { in.text("x"); });
  b.fold("typed", ClosedFold, 2, none, 2, 1);
  finish(*w, b);
  save(*w);
  EXPECT_EQ(w->ioStatus, 0);
  EXPECT_EQ(work.read("a.occ"),
            "--{{{  plain\r\nx\r\n--}}}\r\n"
            "  --{{{  typed\r\n  --:::A  2 1\r\n  --}}}\r\n");
}

TEST_F(FoldWriterTest, DottedFiledFoldWritesHeaderAttributeAndFileLinesOnly) {
  auto w = window("/*", "*/", "C", "a.c");
  Builder b = top(*w);
  b.fold("part", FiledFold, 0, none, 1, 1, "part.c");
  b.text("after");
  finish(*w, b);
  save(*w);
  EXPECT_EQ(work.read("a.c"), "/*...F part*/\r\n/*:::A  1 1*/\r\n/*:::F part.c*/\r\nafter\r\n");
}

TEST_F(FoldWriterTest, DottedFiledFoldPutsTheOffsetBackOnce) {
  // Inside a fold at column 2 and inside a COMMENT fold: the lines after the
  // filed fold keep their columns and their comment signs.
  const std::string file =
      "  --{{{  outer\r\n"
      "    --...F part\r\n"
      "    --:::A  1 1\r\n"
      "    --:::F part.occ\r\n"
      "    x\r\n"
      "  --}}}\r\n"
      "--{{{  COMMENT c\r\n"
      "--...F p2\r\n"
      "--:::A  1 1\r\n"
      "--:::F p2.occ\r\n"
      "--y\r\n"
      "--}}}\r\n"
      "z\r\n";
  work.write("r.occ", file);
  auto w = newWindow(ctx, "--", "", "occam2");
  open(*w, work.file("r.occ"));
  EXPECT_EQ(dump(*w),
            "FOLD i=0 m=2 t=0 c=1 [outer]\n"
            "  FILED i=0 m=2 t=1 c=1 [part] -> [part.occ]\n"
            "  T i=0 [  x]\n"
            "FOLD i=0 m=0 t=0 c=1 [COMMENT c]\n"
            "  FILED i=0 m=0 t=1 c=1 [p2] -> [p2.occ]\n"
            "  T i=0 [y]\n"
            "T i=0 [z]\n");
  save(*w);
  EXPECT_EQ(work.read("r.occ"), file);
}

TEST_F(FoldWriterTest, CommentFoldTextIsWrittenAsComments) {
  auto w = window("/*", "*/", "C", "c.c");
  Builder b = top(*w);
  b.fold("COMMENT why", ClosedFold, 0, [](Builder& in) {
    in.text("  reason");
    in.text("");
    in.fold("inner", ClosedFold, 2, [](Builder& in2) { in2.text("deep"); });
  });
  b.text("code");
  finish(*w, b);
  save(*w);
  EXPECT_EQ(work.read("c.c"),
            "/*{{{  COMMENT why*/\r\n"
            "  /*reason*/\r\n"
            "/**/\r\n"
            "  /*{{{  inner*/\r\n"
            "  /*deep*/\r\n"
            "  /*}}}*/\r\n"
            "/*}}}*/\r\n"
            "code\r\n");
  auto back = reread(*w, "c.c");
  EXPECT_EQ(dump(*back), dump(*w));
}

TEST_F(FoldWriterTest, FortranMarkersHoldCInColumnZero) {
  auto w = window("C", "", "Fortran", "f.f");
  Builder b = top(*w);
  b.fold("f", ClosedFold, 4, [](Builder& in) {
    in.text("C note");
    in.text("  x = 1");
  }, 2, 1);
  finish(*w, b);
  save(*w);
  EXPECT_EQ(work.read("f.f"),
            "C   C{{{  f\r\nC   C:::A  2 1\r\nC   C note\r\n      x = 1\r\nC   C}}}\r\n");
  auto back = reread(*w, "f.f");
  EXPECT_EQ(dump(*back), dump(*w));
}

TEST_F(FoldWriterTest, NoWrittenLineKeepsTrailingBlanks) {
  auto w = window("(*", "*)", "Pascal", "p.pas");
  Builder b = top(*w);
  b.text("a   ");
  b.fold("t  ", ClosedFold, 3, [](Builder& in) {
    in.text("   ");
    in.text("b ");
  });
  finish(*w, b);
  save(*w);
  EXPECT_EQ(work.read("p.pas"), "a\r\n   (*{{{  t*)\r\n\r\n   b\r\n   (*}}}*)\r\n");
}

TEST_F(FoldWriterTest, LineEndsFollowTheFileRead) {
  work.write("lf.occ", "a\n--{{{  f\nb\n--}}}\n");
  auto w = newWindow(ctx, "--", "", "occam2");
  open(*w, work.file("lf.occ"));
  save(*w);
  EXPECT_EQ(work.read("lf.occ"), "a\n--{{{  f\nb\n--}}}\n");
  work.write("cr.occ", "a\rb\n");
  auto c = newWindow(ctx, "--", "", "occam2");
  open(*c, work.file("cr.occ"));
  save(*c);
  EXPECT_EQ(work.read("cr.occ"), "a\r\nb\r\n");
}

TEST_F(FoldWriterTest, SaveReportsAndRecordsThePath) {
  auto w = window("--", "", "occam2", "s.occ");
  Builder b = top(*w);
  b.text("x");
  finish(*w, b);
  save(*w);
  EXPECT_EQ(host.lastStatus(), "Saving " + work.file("s.occ"));
  EXPECT_EQ(host.recentFiles().back(), work.file("s.occ"));
  EXPECT_EQ(w->fileName, work.file("s.occ"));
}

TEST_F(FoldWriterTest, UnusablePathWritesNothing) {
  auto w = window("--", "", "occam2", "no/dir/s.occ");
  finishFileChain(*w);
  save(*w);
  EXPECT_EQ(w->ioStatus, 2);
  EXPECT_EQ(host.lastStatus(), "Error opening " + work.file("no/dir/s.occ"));
  EXPECT_TRUE(host.boxTexts().empty());
}

TEST_F(FoldWriterTest, ReadOnlyFileIsNeverReplaced) {
  work.write("ro.occ", "old\r\n");
  ::chmod(work.file("ro.occ").c_str(), 0444);
  auto w = newWindow(ctx, "--", "", "occam2");
  open(*w, work.file("ro.occ"));
  assign(*root(*w)->next, "new");
  host.clearEvents();
  EXPECT_FALSE(saveCommandWrite(*w, true));
  EXPECT_EQ(w->ioStatus, 2);
  EXPECT_EQ(work.read("ro.occ"), "old\r\n");
  ASSERT_GE(host.events().size(), 1u);
  EXPECT_EQ(host.events()[0].caption, "Plicato Error");
  EXPECT_EQ(host.events()[0].text, "Permission denied");
  struct stat st;
  ::stat(work.file("ro.occ").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(FoldWriterTest, SaveCommandLeavesFoldsFirstAndWritesOnlyWhenModified) {
  work.write("m.occ", "x\r\n");
  auto w = newWindow(ctx, "--", "", "occam2");
  open(*w, work.file("m.occ"));
  assign(*root(*w)->next, "changed");
  int left = 0;
  EXPECT_TRUE(saveCommandWrite(*w, false, [&] { ++left; }));
  EXPECT_EQ(left, 1);
  EXPECT_EQ(work.read("m.occ"), "x\r\n");
  EXPECT_TRUE(saveCommandWrite(*w, true, [&] { ++left; }));
  EXPECT_EQ(work.read("m.occ"), "changed\r\n");
}

TEST_F(FoldWriterTest, WriteErrorKeepsTheOldFile) {
  work.write("big.occ", "old contents\r\n");
  auto w = newWindow(ctx, "--", "", "occam2");
  open(*w, work.file("big.occ"));
  Builder b{*w, root(*w)->next};
  for (int i = 0; i < 2000; ++i) b.text("a line that makes the file larger than the limit");
  b.close(w->levelBottom);
  // The file size limit makes every write past 1000 bytes fail (EFBIG).
  struct rlimit old;
  ::getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 1000;
  ::setrlimit(RLIMIT_FSIZE, &small);
  host.clearEvents();
  bool ok = saveCommandWrite(*w, true);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(ok);
  EXPECT_EQ(w->ioStatus, 2);
  EXPECT_EQ(work.read("big.occ"), "old contents\r\n");
  ASSERT_EQ(host.boxTexts().size(), 1u);
  EXPECT_EQ(host.events().back().caption, "Stop");
  EXPECT_EQ(host.events().back().text, "File too large");
  // No temporary file is left beside it.
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(work.path())) (void)e, ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(FoldWriterTest, SymbolicLinkIsFollowedAndPermissionsKept) {
  work.write("target.occ", "t\r\n");
  ::chmod(work.file("target.occ").c_str(), 0640);
  ASSERT_EQ(::symlink("target.occ", work.file("link.occ").c_str()), 0);
  auto w = newWindow(ctx, "--", "", "occam2");
  open(*w, work.file("link.occ"));
  assign(*root(*w)->next, "via link");
  save(*w);
  EXPECT_EQ(work.read("target.occ"), "via link\r\n");
  struct stat st;
  ASSERT_EQ(::lstat(work.file("link.occ").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ::stat(work.file("target.occ").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(FoldWriterTest, BackupCopyOnTheFirstSaveOnlyWhenAskedFor) {
  work.write("prog.main.occ", "first\r\n");
  auto off = newWindow(ctx, "--", "", "occam2");
  open(*off, work.file("prog.main.occ"));
  save(*off);
  EXPECT_FALSE(fileExists(work.file("prog.bak")));

  settings().backup = true;
  auto w = newWindow(ctx, "--", "", "occam2");
  open(*w, work.file("prog.main.occ"));
  assign(*root(*w)->next, "second");
  save(*w);
  EXPECT_EQ(work.read("prog.bak"), "first\r\n");
  assign(*root(*w)->next, "third");
  save(*w);
  EXPECT_EQ(work.read("prog.bak"), "first\r\n");
  EXPECT_EQ(work.read("prog.main.occ"), "third\r\n");
  EXPECT_EQ(backupName("/a/b.c/x.y.z"), "/a/b.c/x.bak");
}

TEST_F(FoldWriterTest, TdsLongValuesRoundTrip) {
  auto w = window("tds", "", "TDS", "t.tsr");
  std::string longLine(70000, 'q');
  std::string longTitle(5000, 't');
  Builder b = top(*w);
  b.text(longLine);
  b.fold(longTitle, ClosedFold, 4100, [&](Builder& in) { in.text("in"); }, 300000, 7);
  finish(*w, b);
  w->readAsTds = true;
  save(*w);
  ASSERT_EQ(w->ioStatus, 0);
  auto back = reread(*w, "t.tsr");
  EXPECT_TRUE(back->readAsTds);
  LineNode* first = root(*back)->next;
  EXPECT_EQ(std::string(first->text), longLine);
  LineNode* fold = first->next;
  EXPECT_EQ(std::string(fold->text), longTitle);
  EXPECT_EQ(fold->markerColumn(), 4100);
  EXPECT_EQ(fold->foldType(), 300000u);
  EXPECT_EQ(fold->foldContents(), 7u);
}

TEST_F(FoldWriterTest, TdsTypeReadAsTextIsWrittenAsText) {
  work.write("x.tsr", "plain text\r\n");
  auto w = newWindow(ctx, "tds", "", "TDS");
  open(*w, work.file("x.tsr"));
  EXPECT_FALSE(w->readAsTds);
  save(*w);
  EXPECT_EQ(work.read("x.tsr"), "plain text\r\n");

  auto fresh = newWindow(ctx, "tds", "", "TDS");
  open(*fresh, work.file("new.tsr"));
  EXPECT_TRUE(fresh->readAsTds);
  Builder b{*fresh, root(*fresh)};
  b.text("l");
  b.close(fresh->levelBottom);
  save(*fresh);
  std::string bytes = work.read("new.tsr");
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0x80);
}

TEST_F(FoldWriterTest, TdsEncodingUsesAsManyContinuationBytesAsNeeded) {
  std::string out;
  tdsEncode(out, foldformat::kTdsNumber, 63);
  EXPECT_EQ(out, "\x7F");
  out.clear();
  tdsEncode(out, foldformat::kTdsString, 4096);  // 1 000000 000000
  EXPECT_EQ(out, std::string("\xC1\xC0\x00", 3));
  uint8_t tag;
  uint64_t v;
  const auto* p = reinterpret_cast<const unsigned char*>(out.data());
  EXPECT_EQ(tdsDecode(p, p + out.size(), tag, v), 3u);
  EXPECT_EQ(tag, foldformat::kTdsString);
  EXPECT_EQ(v, 4096u);
  EXPECT_EQ(tdsDecode(p, p + 2, tag, v), 0u);
}

TEST_F(FoldWriterTest, ReadOnlyTdsFileReportsErrorOpening) {
  auto w = window("tds", "", "TDS", "ro.tsr");
  finishFileChain(*w);
  w->readAsTds = true;
  work.write("ro.tsr", "x");
  ::chmod(work.file("ro.tsr").c_str(), 0444);
  save(*w);
  EXPECT_EQ(w->ioStatus, 2);
  EXPECT_EQ(host.lastStatus(), "Error opening " + work.file("ro.tsr"));
  EXPECT_EQ(work.read("ro.tsr"), "x");
}

}  // namespace

namespace {

// Each kind of file that other editors and hands write comes back byte for
// byte, and reads as the tree the editor shows.
TEST_F(FoldWriterTest, FilesFromElsewhereComeBackByteForByte) {
  struct Row {
    const char* what;
    const char* cs;
    const char* ce;
    std::string file;
    const char* tree;
  } rows[] = {
      {"text after an end marker", "--", "", "--{{{  p\nx\n--}}}pack the data\n",
       "FOLD i=0 m=0 t=0 c=1 [p]\n  T i=0 [x]\n"},
      {"text after a comment end", "/*", "*/", "/*{{{  p*/ int a;\nx;\n/*}}} p */ b();\n",
       "FOLD i=0 m=0 t=0 c=1 [p]\n  T i=0 [x;]\n"},
      {"a header without an end", "--", "", "--{{{  PROC ball\n  x\n",
       "T i=0 [--{{{  PROC ball]\nT i=0 [  x]\n"},
      {"tab-indented lines in a fold after a tab", "/*", "*/",
       "\t/*{{{  loop*/\n\t\tif (x)\n\t\t\ty();\n\t/*}}}*/\n",
       "FOLD i=0 m=8 t=0 c=1 [loop]\n  T i=0 [\tif (x)]\n  T i=0 [\t\ty();]\n"},
      {"a recipe in a fold", "#", "", "#{{{  all\nall:\n\tcc -o a a.c\n#}}}\n",
       "FOLD i=0 m=0 t=0 c=1 [all]\n  T i=0 [all:]\n  T i=0 [\tcc -o a a.c]\n"},
      {"lines less indented than their fold", "/*", "*/",
       "  /*{{{  f*/\n#ifdef A\n  x;\n #endif\n  /*}}}*/\n",
       "FOLD i=0 m=2 t=0 c=1 [f]\n  T i=0 [#ifdef A]\n  T i=0 [x;]\n  T i=0 [#endif]\n"},
      {"an end at another column", "--", "", "  --{{{  f\n  x\n--}}}\n",
       "FOLD i=0 m=2 t=0 c=1 [f]\n  T i=0 [x]\n"},
      {"a header less indented than its fold", "--", "", "    --{{{  o\n  --{{{  i\n    y\n  --}}}\n    --}}}\n",
       "FOLD i=0 m=4 t=0 c=1 [o]\n  FOLD i=0 m=0 t=0 c=1 [i]\n    T i=0 [y]\n"},
      {"COMMENT lines by hand", "--", "", "--{{{  COMMENT n\n-- note\nplain\n\n  --x\n--}}}\n",
       "FOLD i=0 m=0 t=0 c=1 [COMMENT n]\n  T i=0 [ note]\n  T i=0 [plain]\n  T i=0 []\n"
       "  T i=0 [  x]\n"},
      {"COMMENT lines in C", "/*", "*/", "/*{{{  COMMENT n*/\n/* x */\n/*y*/ z\n/*}}}*/\n",
       "FOLD i=0 m=0 t=0 c=1 [COMMENT n]\n  T i=0 [ x]\n  T i=0 [/*y*/ z]\n"},
      {"a declaration", "--", "", "/*{{{}}}*/\n/*{{{  f*/\nx\n/*}}}*/\n",
       "T i=0 [/*{{{}}}*/]\nFOLD i=0 m=0 t=0 c=1 [f]\n  T i=0 [x]\n"},
      {"code holding the six bytes", "/*", "*/", "char *s = \"{{{}}}\";\n/*{{{  f*/\nx\n/*}}}*/\n",
       "T i=0 [char *s = \"{{{}}}\";]\nFOLD i=0 m=0 t=0 c=1 [f]\n  T i=0 [x]\n"},
      {"no last line end", "--", "", "--{{{  f\nx\n--}}}", "FOLD i=0 m=0 t=0 c=1 [f]\n  T i=0 [x]\n"},
      {"an empty title before text holding the six bytes", ";", ";", ";{{{  ;a{{{}}}\nx\n;}}};\n",
       "FOLD i=0 m=0 t=0 c=1 []\n  T i=0 [x]\n"},
      {"a title ending in what begins the comment end", "#", "##", "#{{{  a#  ##\nx\n#}}}##\n",
       "FOLD i=0 m=0 t=0 c=1 [a#  ]\n  T i=0 [x]\n"},
      {"attribute and file lines of their own", "--", "", "--...F p\n--:::A 1 1\n--:::F sub\\p.occ\nx\n",
       "FILED i=0 m=0 t=1 c=1 [p] -> [sub/p.occ]\nT i=0 [x]\n"},
  };
  settings().tabSize = 8;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    work.write("f.x", r.file);
    auto w = newWindow(ctx, r.cs, r.ce, "User");
    open(*w, work.file("f.x"));
    EXPECT_EQ(dump(*w), r.tree);
    save(*w);
    EXPECT_EQ(work.read("f.x"), r.file);
  }
}

// When an edit moves a fold, its lines move by the difference: blanks are
// added, and taken only where there are blanks to take.
TEST_F(FoldWriterTest, LinesOfAMovedFoldMoveByTheDifference) {
  settings().tabSize = 8;
  work.write("m.c", "/*{{{  f*/\n\tx;\n   y;\n\t  z;\n/*}}}*/\n");
  auto w = newWindow(ctx, "/*", "*/", "C");
  open(*w, work.file("m.c"));
  LineNode* h = root(*w)->next;
  ASSERT_EQ(h->kind, ClosedFold);
  h->markerColumn() = 4;
  save(*w);
  EXPECT_EQ(work.read("m.c"), "    /*{{{  f*/\n    \tx;\n       y;\n    \t  z;\n    /*}}}*/\n");
  auto in = reread(*w, "m.c");
  EXPECT_EQ(dump(*in), dump(*w));
  LineNode* g = root(*in)->next;
  g->markerColumn() = 0;
  save(*in);
  EXPECT_EQ(work.read("m.c"), "/*{{{  f*/\n\tx;\n   y;\n\t  z;\n/*}}}*/\n");
}

// Another program writes the file: new contents, and a time well apart
// from the one the window saw (file systems with coarse times).
void changeBehindTheEditor(const std::string& path, const std::string& text) {
  writeFile(path, text);
  struct timespec t[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 5, 123}};
  ::utimensat(AT_FDCWD, path.c_str(), t, 0);
}

std::vector<std::string> entries(const std::string& dir) {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto& e : std::filesystem::recursive_directory_iterator(dir, ec))
    if (!e.is_directory()) out.push_back(e.path().filename().string());
  return out;
}

// Runs fn as an unprivileged user when the test runs as root (which mode
// bits do not stop), in a child process; its result is fn's.
bool asUser(const std::function<bool()>& fn) {
  if (::geteuid() != 0) return fn();
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    ::_exit(fn() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}


// A file another program changed since the window read it is written over
// only when the user says so; a file deleted meanwhile is written again
// without a question, and auto-save never writes over such a change.
TEST_F(FoldWriterTest, ChangedOnDiskIsWrittenOverOnlyWhenAsked) {
  const std::string box =
      "The file " + work.file("d.occ") +
      " has changed on disk since it was read.\nSave it anyway and overwrite those changes?";
  struct Row {
    const char* change;  // what the other program does: "write", "delete", "none"
    const char* answer;
    bool asked;
    const char* after;
  } rows[] = {
      {"write", "no", true, "theirs\r\n"},
      {"write", "yes", true, "mine\r\n"},
      {"delete", "", false, "mine\r\n"},
      {"none", "", false, "mine\r\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.change) + " " + r.answer);
    work.write("d.occ", "old\r\n");
    auto w = newWindow(ctx, "--", "", "occam2");
    open(*w, work.file("d.occ"));
    assign(*root(*w)->next, "mine");
    if (std::string(r.change) == "write") changeBehindTheEditor(work.file("d.occ"), "theirs\r\n");
    if (std::string(r.change) == "delete") ::unlink(work.file("d.occ").c_str());
    EXPECT_EQ(changedOnDisk(*w), std::string(r.change) == "write");
    host.clearEvents();
    // Auto-save skips, and says so.
    EXPECT_EQ(autoSaveSkips(*w), std::string(r.change) == "write");
    if (r.asked) {
      EXPECT_EQ(host.lastStatus(), "Auto-save skipped: " + work.file("d.occ") + " has changed on disk");
    }
    if (*r.answer) host.queueAnswer(r.answer);
    const bool saved = saveCommandWrite(*w, true);
    EXPECT_EQ(saved, std::string(r.answer) != "no");
    EXPECT_EQ(work.read("d.occ"), r.after);
    const auto& ev = host.events();
    const auto asked = std::find_if(ev.begin(), ev.end(), [&](const auto& e) { return e.text == box; });
    EXPECT_EQ(host.boxTexts().size(), r.asked ? 1u : 0u);
    EXPECT_EQ(asked != ev.end(), r.asked);
    if (asked != ev.end()) {
      EXPECT_EQ(asked->caption, "Plicato Warning");
    }
    // A save makes what it wrote the window's view: the next one asks only
    // when the file changed again.
    if (saved) {
      host.clearEvents();
      EXPECT_TRUE(saveCommandWrite(*w, true));
      EXPECT_TRUE(host.boxTexts().empty());
    }
  }
}

// The reader and the writer tell nobody: what went wrong comes back as a
// value, with the path, and the host sees no box, no dialog and no status.
TEST_F(FoldWriterTest, ReaderAndWriterReturnWhatWentWrong) {
  work.write("r.occ", "--{{{  f\r\nx\r\n");  // a header without its end
  {
    auto w = newWindow(ctx, "--", "", "occam2");
    host.clearEvents();
    const PathProbe probe = resolve(*w, work.file("r.occ"));
    std::string opened;
    ReadOutcome r = readFile(*w, nullptr, root(*w), w->levelBottom, true, work.file("r.occ"), probe,
                             [&](const std::string& path) { opened = path; });
    EXPECT_EQ(r.failure, ReadFailure::None);
    EXPECT_EQ(opened, work.file("r.occ"));
    ASSERT_EQ(r.report.strays.size(), 1u);
    EXPECT_EQ(r.report.strays[0].line, 1u);
    EXPECT_TRUE(host.events().empty());
  }
  {
    std::filesystem::create_directories(work.file("dir"));
    auto w = newWindow(ctx, "--", "", "occam2");
    host.clearEvents();
    const PathProbe probe = resolve(*w, work.file("dir"));
    ReadOutcome r = readFile(*w, nullptr, root(*w), w->levelBottom, true, work.file("dir"), probe);
    EXPECT_EQ(r.failure, ReadFailure::Unreadable);
    EXPECT_EQ(r.path, work.file("dir"));
    EXPECT_EQ(w->ioStatus, 2);
    EXPECT_TRUE(host.events().empty());
  }
  {
    work.write("d.occ", "old\r\n");
    auto w = newWindow(ctx, "--", "", "occam2");
    open(*w, work.file("d.occ"));
    changeBehindTheEditor(work.file("d.occ"), "theirs\r\n");
    host.clearEvents();
    WriteOutcome o = writeFile(*w, w->fileBottom, w->fileBottom->partner());
    EXPECT_EQ(o.failure, WriteFailure::ChangedOnDisk);
    EXPECT_EQ(work.read("d.occ"), "theirs\r\n");
    o = writeFile(*w, w->fileBottom, w->fileBottom->partner(), true);
    EXPECT_EQ(o.failure, WriteFailure::None);
    EXPECT_EQ(work.read("d.occ"), "old\r\n");
    ::chmod(work.file("d.occ").c_str(), 0444);
    o = writeFile(*w, w->fileBottom, w->fileBottom->partner(), true);
    EXPECT_EQ(o.failure, WriteFailure::WriteError);
    EXPECT_EQ(o.error, EACCES);
    EXPECT_TRUE(host.events().empty());
  }
}

// Where a rename cannot replace the file (a second hard link, a directory
// that takes no new files, a pipe) the save writes the file in place after
// a backup copy, and removes the backup when it succeeded. A save by
// rename keeps owner, group and mode bits.
TEST_F(FoldWriterTest, SavesInPlaceWhereARenameCannotWork) {
  auto saveAs = [&](const std::string& name, const std::string& text) {
    auto w = window("--", "", "occam2", name);
    Builder b = top(*w);
    b.text(text);
    finish(*w, b);
    save(*w);
    return w->ioStatus == 0;
  };
  struct stat st, before;

  // Hard links: both names keep showing the one file.
  work.write("h.occ", "old\r\n");
  ASSERT_EQ(::link(work.file("h.occ").c_str(), work.file("other-name.occ").c_str()), 0);
  ::stat(work.file("h.occ").c_str(), &before);
  EXPECT_TRUE(saveAs("h.occ", "linked"));
  EXPECT_EQ(work.read("other-name.occ"), "linked\r\n");
  ::stat(work.file("h.occ").c_str(), &st);
  EXPECT_EQ(st.st_ino, before.st_ino);
  EXPECT_EQ(st.st_nlink, 2u);
  EXPECT_TRUE(entries(state.path()).empty());
  // Without a place for the backup the file is not touched, and the box
  // says why.
  work.write("not-a-dir", "");
  ::setenv("XDG_STATE_HOME", work.file("not-a-dir").c_str(), 1);
  host.clearEvents();
  EXPECT_FALSE(saveAs("h.occ", "unsaved"));
  ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
  EXPECT_EQ(work.read("h.occ"), "linked\r\n");
  EXPECT_EQ(host.boxTexts(), std::vector<std::string>{
                                 "Not a directory\nThe file is written in place, and its backup copy "
                                 "cannot be made in " + work.file("not-a-dir/plicato")});

  // A pipe stays a pipe and gets the text.
  ASSERT_EQ(::mkfifo(work.file("p.occ").c_str(), 0600), 0);
  int reader = ::open(work.file("p.occ").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_TRUE(saveAs("p.occ", "piped"));
  char got[32] = {};
  EXPECT_EQ(::read(reader, got, sizeof got - 1), 7);
  EXPECT_STREQ(got, "piped\r\n");
  ::close(reader);
  ::lstat(work.file("p.occ").c_str(), &st);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  // A writable file in a directory of mode 555, saved by a user whom the
  // mode stops.
  TempDir ro;
  ro.write("r.occ", "old\r\n");
  ::chmod(ro.file("r.occ").c_str(), 0666);
  ::chmod(state.path().c_str(), 0777);
  ::chmod(saveBackupDir().c_str(), 0777);  // made by the saves above
  ::chmod(ro.path().c_str(), 0555);
  auto w = window("--", "", "occam2", "r.occ");
  w->popBasePath();
  w->pushBasePath(ro.path());
  Builder b = top(*w);
  b.text("in place");
  finish(*w, b);
  EXPECT_TRUE(asUser([&] {
    if (::access(ro.path().c_str(), W_OK) == 0) return false;  // the case is not there
    save(*w);
    return w->ioStatus == 0;
  }));
  ::chmod(ro.path().c_str(), 0755);
  EXPECT_EQ(ro.read("r.occ"), "in place\r\n");
  EXPECT_TRUE(entries(state.path()).empty());
  EXPECT_EQ(entries(ro.path()).size(), 1u);  // no temporary file either

  // Owner and group as they were, where the process may set them.
  if (::geteuid() == 0) {
    work.write("o.occ", "old\r\n");
    ASSERT_EQ(::chown(work.file("o.occ").c_str(), 1234, 4321), 0);
    ::chmod(work.file("o.occ").c_str(), 02640);
    EXPECT_TRUE(saveAs("o.occ", "owned"));
    ::stat(work.file("o.occ").c_str(), &st);
    EXPECT_EQ(st.st_uid, 1234u);
    EXPECT_EQ(st.st_gid, 4321u);
    EXPECT_EQ(st.st_mode & 07777, 02640u);
  }
}

// A write that fails halfway keeps the old contents, whether the save
// renames or writes in place (the backup is copied back). When even that
// copy fails, the box names the backup, which holds the old contents.
TEST_F(FoldWriterTest, WriteFailingHalfwayKeepsTheOldContents) {
  const std::string old(3000, 'o');
  auto bigSave = [&](const TempDir& dir, const std::string& name) {
    auto w = newWindow(ctx, "--", "", "occam2");
    open(*w, dir.file(name));
    Builder b{*w, root(*w)->next};
    for (int i = 0; i < 4000; ++i) b.text("a line that makes the file larger than the limit");
    b.close(w->levelBottom);
    host.clearEvents();
    return saveCommandWrite(*w, true);
  };
  // A full file system where one may be mounted, else a file size limit.
  TempDir small;
  struct Mount {
    std::string at;
    bool on;
    ~Mount() {
      if (on) ::umount(at.c_str());
    }
  } mounted{small.path(), ::mount("tmpfs", small.path().c_str(), "tmpfs", 0, "size=16k") == 0};
  const bool tmpfs = mounted.on;
  for (bool inPlace : {false, true}) {
    SCOPED_TRACE(inPlace ? "in place" : "by rename");
    small.write("f.occ", old + "\n");
    ::unlink(small.file("link.occ").c_str());
    if (inPlace) ::link(small.file("f.occ").c_str(), small.file("link.occ").c_str());
    struct rlimit lim;
    ::getrlimit(RLIMIT_FSIZE, &lim);
    auto handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit cut = lim;
    if (!tmpfs) cut.rlim_cur = 8000;
    ::setrlimit(RLIMIT_FSIZE, &cut);
    const bool ok = bigSave(small, "f.occ");
    ::setrlimit(RLIMIT_FSIZE, &lim);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(small.read("f.occ"), old + "\n");
    EXPECT_EQ(host.boxTexts(), std::vector<std::string>{tmpfs ? "No space left on device" : "File too large"});
    EXPECT_EQ(entries(small.path()).size(), inPlace ? 2u : 1u);
    EXPECT_TRUE(entries(state.path()).empty());
  }

  work.write("k.occ", old + "\n");
  ::link(work.file("k.occ").c_str(), work.file("k2.occ").c_str());
  failSaveWritesAfter(1000, true);
  EXPECT_FALSE(bigSave(work, "k.occ"));
  failSaveWritesAfter(-1);
  const auto kept = entries(state.path());
  ASSERT_EQ(kept.size(), 1u);
  const std::string backup = joinPath(saveBackupDir(), kept[0]);
  EXPECT_EQ(readFile(backup), old + "\n");
  ASSERT_EQ(host.boxTexts().size(), 1u);
  EXPECT_EQ(host.boxTexts()[0],
            "No space left on device\nThe file's old contents are kept in " + backup);
}

}  // namespace
