// Bad input through the program: a binary file, a 50 MB line, NUL bytes, a
// directory, a file we may not read, a file deleted while it is open and a
// save into a directory we may not write. Each gets a clear message, and
// the window opened first keeps its changes and can still be saved.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/batch.hpp"
#include "display/editorview.hpp"
#include "engine/filecommands.hpp"
#include "model/settings.hpp"
#include "support/runprogram.hpp"
#include "support/testenv.hpp"

namespace {

constexpr uid_t kNobody = 65534;

bool saysPart(const BatchHost& h, const std::string& part) {
  for (const auto& t : h.boxTexts())
    if (t.find(part) != std::string::npos) return true;
  return false;
}

class BadInputTest : public PlicatoTest {
 protected:
  void SetUp() override {
    PlicatoTest::SetUp();
    work.write("keep.c", "int kept;\r\n/*{{{  f*/\r\nx;\r\n/*}}}*/\r\n");
  }

  // A session whose first window holds keep.c with a change not yet saved.
  std::unique_ptr<BatchSession> session() {
    StartOptions o;
    o.configDir = config.path();
    o.layout = kLayoutWindows;
    auto s = std::make_unique<BatchSession>(o);
    keep_ = s->open(work.file("keep.c"));
    EXPECT_TRUE(s->type("\"// \""));
    s->run();
    EXPECT_TRUE(keep_ && keep_->window.doc.modified);
    return s;
  }

  // The first window still has its change, and saving it works.
  void expectKeptWork(BatchSession& s) {
    bool found = false;
    for (const auto& d : s.app().documents()) found = found || d.get() == keep_;
    ASSERT_TRUE(found) << "the first window is gone";
    EXPECT_TRUE(keep_->window.doc.modified);
    ASSERT_TRUE(saveCommand(keep_->window));
    EXPECT_EQ(work.read("keep.c").substr(0, 14), "// int kept;\r\n");
  }

  // Runs plicato --batch as a user that file modes apply to: nobody when
  // the tests run as root (root reads and writes whatever the modes say).
  ProgramResult runAsUser(const std::vector<std::string>& args) {
    ProgramResult r;
    std::string path = std::string(PLICATO_BIN_DIR) + "/plicato";
    std::string outFile = work.file(".out");
    pid_t pid = ::fork();
    if (pid == 0) {
      FILE* out = std::freopen(outFile.c_str(), "w", stdout);
      if (!out) _exit(126);
      if (::geteuid() == 0 &&
          (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
        _exit(125);
      std::vector<char*> argv{const_cast<char*>(path.c_str())};
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(path.c_str(), argv.data());
      _exit(127);
    }
    int st = 0;
    ::waitpid(pid, &st, 0);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
    r.out = readFile(outFile);
    ::unlink(outFile.c_str());
    return r;
  }
  // The directories the other user reaches.
  void openUp() {
    ::chmod(work.path().c_str(), 0777);
    ::chmod(config.path().c_str(), 0777);
    ::chmod(state.path().c_str(), 0777);  // where saves in place keep their backups
  }

  OpenDocument* keep_ = nullptr;
};

TEST_F(BadInputTest, BinaryFileWithNulBytesOpensWithAWarning) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919 + i / 13) & 0xFF);
  work.write("bin.c", binary);
  auto s = session();
  OpenDocument* d = s->open(work.file("bin.c"));
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(saysPart(s->host, "NUL bytes (a binary file?)"));
  EXPECT_TRUE(saysPart(s->host, "/bin.c\nholds "));
  // Keys in the binary window do no harm, and nothing is written unasked.
  ASSERT_TRUE(s->type("Down Down End \"x\" Enter PgDn Home"));
  s->run();
  EXPECT_EQ(work.read("bin.c"), binary);
  expectKeptWork(*s);
}

TEST_F(BadInputTest, NulBytesReadAsBlanksAndTheUserIsToldBeforeSaving) {
  work.write("nul.c", std::string("ab\0cd\r\nef\r\n", 11));
  auto s = session();
  OpenDocument* d = s->open(work.file("nul.c"));
  ASSERT_NE(d, nullptr);
  EXPECT_TRUE(saysPart(s->host, "holds 1 NUL bytes"));
  EXPECT_STREQ(d->window.currentLine->text, "ab cd");
  ASSERT_TRUE(s->type("\"x\" Ctrl-S"));
  s->run();
  EXPECT_EQ(work.read("nul.c"), "xab cd\r\nef\r\n");
  expectKeptWork(*s);
}

TEST_F(BadInputTest, FiftyMegabyteLineIsReadEditedAndSavedWhole) {
  const size_t n = 50u << 20;
  std::string line(n, 'a');
  line[n / 2] = 'm';
  work.write("long.c", line);
  auto s = session();
  OpenDocument* d = s->open(work.file("long.c"));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(std::strlen(d->window.currentLine->text), n);
  ASSERT_TRUE(s->type("\"x\" Ctrl-S"));
  s->run();
  std::string saved = work.read("long.c");
  // The file had no line end after its last line, and gets none.
  ASSERT_EQ(saved.size(), n + 1);
  EXPECT_EQ(saved[0], 'x');
  EXPECT_EQ(saved.compare(1, n, line), 0);
  expectKeptWork(*s);
}

// Found by fuzz_keyscript (a time-out): autofold over a long line in wrap
// mode steps through every row of it; each row must cost its own width,
// not the line's length, or the editor stalls for minutes.
TEST_F(BadInputTest, AutofoldOverALongWrappedLineFoldsIt) {
  const std::string longLine(400000, 'w');
  work.write("wrap.c", "a\r\n" + longLine + "\r\n\r\nafter\r\n");
  auto s = session();
  OpenDocument* d = s->open(work.file("wrap.c"));
  ASSERT_NE(d, nullptr);
  ASSERT_TRUE(s->type("Ctrl-W Ctrl-B Ctrl-S"));
  s->run();
  EXPECT_TRUE(d->window.wrapMode);
  EXPECT_EQ(work.read("wrap.c"),
            "/*{{{*/\r\na\r\n" + longLine + "\r\n/*}}}*/\r\n\r\nafter\r\n");
  expectKeptWork(*s);
}

TEST_F(BadInputTest, DirectoryIsRefusedWithAMessageAndNoWindow) {
  ASSERT_EQ(::mkdir(work.file("dir.c").c_str(), 0755), 0);
  auto s = session();
  const size_t before = s->app().documents().size();
  EXPECT_EQ(s->open(work.file("dir.c")), nullptr);
  EXPECT_TRUE(saysPart(s->host, "/dir.c\ndoesn't exist or isn't accessible."));
  EXPECT_EQ(s->app().documents().size(), before);
  expectKeptWork(*s);
}

TEST_F(BadInputTest, PipeIsRefusedRatherThanReadForever) {
  ASSERT_EQ(::mkfifo(work.file("fifo.c").c_str(), 0644), 0);
  auto s = session();
  EXPECT_EQ(s->open(work.file("fifo.c")), nullptr);
  EXPECT_TRUE(saysPart(s->host, "/fifo.c\ndoesn't exist or isn't accessible."));
  expectKeptWork(*s);
}

TEST_F(BadInputTest, FileWithoutReadPermissionIsRefusedAndLeftAlone) {
  work.write("secret.c", "secret\r\n");
  work.write("other.c", "other\r\n");
  ::chmod(work.file("secret.c").c_str(), 0200);
  ::chmod(work.file("other.c").c_str(), 0666);
  openUp();
  // The keys go to the last window that opened: other.c.
  ProgramResult r = runAsUser({"--batch", "--config", config.path(), "--layout", "windows",
                               "--dump", "messages", "--keys", "\"x\" Ctrl-S",
                               work.file("other.c"), work.file("secret.c")});
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("/secret.c\\ndoesn't exist or isn't accessible."), std::string::npos)
      << r.out;
  EXPECT_EQ(work.read("secret.c"), "secret\r\n");
  EXPECT_EQ(work.read("other.c"), "xother\r\n");
}

TEST_F(BadInputTest, FileDeletedWhileOpenIsWrittenAgainOnSave) {
  work.write("gone.c", "first\r\n/*{{{  f*/\r\nin\r\n/*}}}*/\r\n");
  auto s = session();
  ASSERT_NE(s->open(work.file("gone.c")), nullptr);
  ASSERT_EQ(::unlink(work.file("gone.c").c_str()), 0);
  ASSERT_TRUE(s->type("\"x\" Ctrl-S"));
  s->run();
  EXPECT_EQ(work.read("gone.c"), "xfirst\r\n/*{{{  f*/\r\nin\r\n/*}}}*/\r\n");
  expectKeptWork(*s);
}

// A writable file in a directory that takes no new files is written in
// place, as a user whom the directory's mode stops saves it.
TEST_F(BadInputTest, SaveIntoAReadOnlyDirectoryWritesTheFileInPlace) {
  ASSERT_EQ(::mkdir(work.file("ro").c_str(), 0777), 0);
  work.write("ro/f.c", "old\r\n");
  ::chmod(work.file("ro/f.c").c_str(), 0666);
  ::chmod(work.file("ro").c_str(), 0555);
  openUp();
  ProgramResult r = runAsUser({"--batch", "--config", config.path(), "--layout", "windows",
                               "--dump", "status,messages", "--keys", "\"x\" Ctrl-S",
                               work.file("ro/f.c")});
  ::chmod(work.file("ro").c_str(), 0755);
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("box ["), std::string::npos) << r.out;
  EXPECT_EQ(work.read("ro/f.c"), "xold\r\n");
  // Nothing of the save is left beside the file, nor its backup.
  auto count = [](const std::string& dir) {
    int entries = 0;
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir, ec))
      entries += e.is_directory() ? 0 : 1;
    return entries;
  };
  EXPECT_EQ(count(work.file("ro")), 1);
  EXPECT_EQ(count(state.path()), 0);
}

}  // namespace
