// The transputer path through the stand-in link and server libraries:
// the boot file is a shell script run on the host, its output comes back
// through the program's own STWRITE.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "toolchain/buildcommands.hpp"
#include "toolchain/buildtest.hpp"
#include "toolchain/transputer.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"

using Lines = std::vector<std::string>;

TEST(ServerPathsTest, DirectoryAndServerCommandOfASourceFile) {
  ServerPaths p = serverPaths("/SRC/PROG.C", "-g");
  EXPECT_EQ(p.directory, "/SRC");
  EXPECT_EQ(p.command, "PROG.C -g");
  p = serverPaths("/PROG.C", "-g");
  EXPECT_EQ(p.directory, "/");
  EXPECT_EQ(p.command, "PROG.C -g");
  // An old-style name reads with "/" for "\".
  EXPECT_EQ(serverPaths("\\SRC\\PROG.C", "").directory, "/SRC");
}

TEST(StwriteTest, LinesAndPiecesOfEachCall) {
  RecordingOutput out;
  serverState().messageList = &out;
  EXPECT_EQ(STWRITE("a\r\nb", 4), 4);
  EXPECT_EQ(out.lines(), (Lines{"a", "b"}));

  RecordingOutput split;
  serverState().messageList = &split;
  EXPECT_EQ(STWRITE("ab", 2), 2);
  EXPECT_EQ(STWRITE("c\n", 2), 2);
  EXPECT_EQ(split.lines(), (Lines{"ab", "c"}));

  // At most 255 characters an entry; the rest follows in the next.
  RecordingOutput wide;
  serverState().messageList = &wide;
  const std::string line(600, 'w');
  EXPECT_EQ(STWRITE(line.data(), 600), 600);
  ASSERT_EQ(wide.lines().size(), 3u);
  EXPECT_EQ(wide.lines()[0].size(), 255u);
  EXPECT_EQ(wide.lines()[2].size(), 90u);

  serverState().messageList = nullptr;
  EXPECT_EQ(STWRITE("nowhere\n", 8), 8);
  EXPECT_EQ(STWRITE(nullptr, 3), 3);
}

TEST(AddString2Test, WritesTheTextAndALineFeed) {
  TempDir dir;
  const int fd = ::open(dir.file("log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(AddString2(fd, "first"), 0);
  EXPECT_EQ(AddString2(fd, ""), 0);
  ::close(fd);
  EXPECT_EQ(dir.read("log"), "first\n\n");
}

class TransputerTest : public BuildTest {
 protected:
  void SetUp() override {
    BuildTest::SetUp();
    settings().externalCompiler = false;
    settings().linkAddress = "B004";
    settings().linkTimeout = "10";
    std::filesystem::create_directory(work.file("SRC"));
    work.write("SRC/PROG.C", "int main;\n");
    w = std::make_unique<EditorView>(ctx, "PROG.C");
    w->doc.fileName = work.file("SRC/PROG.C");
  }
  void TearDown() override {
    w.reset();
    BuildTest::TearDown();
  }
  std::unique_ptr<EditorView> w;
};

TEST_F(TransputerTest, TheServerBootsTheCompilerInTheFilesDirectory) {
  settings().iccBtlPath = script("icc.btl",
                                 "pwd\n"
                                 "echo \"cmd:$*\"\n"
                                 "printf 'a\\r\\nb'\n"
                                 "exit 3\n");
  settings().compilerParameters = "-g";
  const std::string before = std::filesystem::current_path().string();
  manager->compile(*w);
  // The call blocks: everything is in when it returns.
  RecordingOutput* out = windows.last();
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->lines(), (Lines{work.file("SRC"), "cmd:PROG.C -g", "a", "b"}));
  EXPECT_EQ(out->captions(), Lines{"Plicato Compiling Finished"});
  EXPECT_EQ(windows.asked, std::vector<MessagesKind>{MessagesKind::Compiler});
  EXPECT_EQ(std::filesystem::current_path().string(), before);
  EXPECT_FALSE(w->buildRunning);
  EXPECT_TRUE(host.boxTexts().empty());
  ServerState& s = serverState();
  EXPECT_TRUE(s.dllsReady);
  EXPECT_EQ(s.serverActive, 3);  // the server's result
  EXPECT_EQ(s.serverCommand, "PROG.C -g");
  EXPECT_EQ(s.linkTimeout, 10);
  EXPECT_EQ(s.messageList, nullptr);

  // The next compile stops the active server first and runs again.
  manager->compile(*w);
  EXPECT_EQ(windows.made(), 2u);
  EXPECT_EQ(windows.last()->lines().size(), 4u);
  stopServer();
  EXPECT_EQ(s.serverActive, 0);
  EXPECT_EQ(s.linkHandle, -1);
}

TEST_F(TransputerTest, ALinkThatWillNotOpenLeavesTheWindowEmpty) {
  settings().iccBtlPath = script("icc.btl", "echo never\n");
  settings().linkAddress = "none";
  // With "none" even the test open fails: the libraries are refused.
  manager->compile(*w);
  EXPECT_EQ(host.boxTexts(), Lines{"Invalid DLLs setup."});
  EXPECT_EQ(host.events()[0].caption, "Error...");

  // Loaded with a good address, then the link goes: the run reports it.
  settings().linkAddress = "B004";
  ASSERT_TRUE(loadServerLibraries(settings()));
  serverState().dllsReady = true;
  serverState().linkAddress = "none";
  RecordingOutput out;
  serverState().messageList = &out;
  host.clearEvents();
  runServer(host);
  serverState().messageList = nullptr;
  EXPECT_EQ(host.boxTexts(), Lines{"Can not open the link."});
  EXPECT_EQ(host.events()[0].caption, "Plicato Error");
  EXPECT_TRUE(out.lines().empty());
  EXPECT_EQ(serverState().serverActive, 0);
}

TEST_F(TransputerTest, MissingLibrariesAreAnInvalidSetup) {
  TempDir empty;
  setProgramDir(empty.path());
  manager->compile(*w);
  EXPECT_EQ(host.boxTexts(), Lines{"Invalid DLLs setup."});
  EXPECT_TRUE(windows.asked.empty());
  EXPECT_FALSE(w->buildRunning);
  EXPECT_FALSE(serverState().dllsReady);
}

TEST_F(TransputerTest, AModifiedFileIsOfferedForSavingFirst) {
  settings().iccBtlPath = script("icc.btl", "cat \"$1\"\n");
  int saves = 0;
  manager->save = [&](EditorView& win) {
    ++saves;
    writeFile(win.doc.fileName, "saved\n");
    return true;
  };
  w->doc.modified = true;
  host.queueAnswer("yes");
  manager->compile(*w);
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(host.events().at(0).text, "Do you want to save changes to " + work.file("SRC/PROG.C"));
  EXPECT_EQ(windows.last()->lines(), Lines{"saved"});
}
