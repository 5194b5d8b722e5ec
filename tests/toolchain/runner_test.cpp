// Compile, make and run with real child processes: shell scripts stand in
// for the compiler, and what they print must arrive in the messages
// window line by line, in order, under the reader's rules.
#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include "toolchain/buildcommands.hpp"
#include "toolchain/capture.hpp"
#include "toolchain/outputlines.hpp"
#include "toolchain/savequestion.hpp"
#include "toolchain/buildtest.hpp"
#include "model/settings.hpp"

namespace {

std::vector<std::string> collect(const std::string& bytes, size_t chunk = 32) {
  std::vector<std::string> out;
  OutputLines lines([&out](const std::string& l) { out.push_back(l); });
  for (size_t i = 0; i < bytes.size(); i += chunk)
    lines.feed(bytes.data() + i, std::min(chunk, bytes.size() - i));
  lines.flush();
  return out;
}

std::string cwd() { return std::filesystem::current_path().string(); }

}  // namespace

TEST(OutputLinesTest, TabsCarriageReturnsLineFeedsAndEveryOtherByte) {
  using V = std::vector<std::string>;
  EXPECT_EQ(collect("a\tb\r\nc\n"), (V{"a        b", "c"}));
  // A line cut between two reads is one line.
  EXPECT_EQ(collect("abcdefgh\nij", 3), (V{"abcdefgh", "ij"}));
  // The Latin-1 letter 255 is a letter like the others.
  EXPECT_EQ(collect("one\ntw\xFFo\n\xFF\xFF\nthree\n"), (V{"one", "tw\xFFo", "\xFF\xFF", "three"}));
  EXPECT_EQ(collect("\n\n"), (V{"", ""}));
  // An over-long line goes on in the next entry: nothing is lost.
  const std::string longLine(OutputLines::kMaxLine + 5, 'x');
  const V pieces = collect(longLine + "\n");
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].size(), OutputLines::kMaxLine);
  EXPECT_EQ(pieces[1], "xxxxx");
}

TEST(ShellQuoteTest, AnyNameIsOneWord) {
  EXPECT_EQ(shellQuote("a b.c"), "'a b.c'");
  EXPECT_EQ(shellQuote("it's"), "'it'\\''s'");
  EXPECT_EQ(shellQuote("$(rm -rf x)"), "'$(rm -rf x)'");
}

TEST_F(BuildTest, CompileShowsTheCompilersOutputLineByLineInItsDirectory) {
  const std::string cc = script("cc.sh",
                                "printf 'file %s\\n' \"$1\"\n"
                                "printf 'dir %s\\n' \"$(pwd)\"\n"
                                "printf 'a\\tb\\r\\n'\n"
                                "echo to-stderr >&2\n"
                                "printf 'no line feed'\n");
  std::filesystem::create_directory(work.file("src"));
  work.write("src/PROG.C", "int main;\n");
  EditorView w(ctx, "PROG.C");
  w.doc.fileName = work.file("src/PROG.C");
  settings().compilerCmdLine = "sh " + cc;
  const std::string before = cwd();

  manager->compile(w);
  EXPECT_TRUE(w.buildRunning);
  EXPECT_EQ(cwd(), before);  // only the child changed directory
  RecordingOutput& out = finishRun();
  EXPECT_FALSE(w.buildRunning);
  EXPECT_EQ(out.lines(), (std::vector<std::string>{"file PROG.C", "dir " + work.file("src"),
                                                   "a        b", "to-stderr", "no line feed"}));
  EXPECT_EQ(out.captions(), (std::vector<std::string>{"Compile messages (working...)",
                                                      "Compile messages (finished)"}));
  EXPECT_EQ(windows.asked, std::vector<MessagesKind>{MessagesKind::Compile});
  EXPECT_EQ(manager->runCount(), 0u);
  EXPECT_TRUE(host.boxTexts().empty());
}

TEST_F(BuildTest, TheFileNameIsQuotedForTheShell) {
  const std::string cc = script("cc.sh", "echo \"$#:$1\"\n");
  auto w = window("it's a file.c");
  settings().compilerCmdLine = "sh " + cc;
  manager->compile(*w);
  EXPECT_EQ(finishRun().lines(), std::vector<std::string>{"1:it's a file.c"});
}

TEST_F(BuildTest, OutputWithTheByte255ArrivesWhole) {
  // Far more than a pipe holds after the first 255, and a 255 last of all:
  // the output's end is no byte of it.
  const std::string cc = script("cc.sh",
                                "printf 'before\\nhalf\\377after\\n'\n"
                                "i=0; while [ $i -lt 3000 ]; do\n"
                                "  echo 'filler line filler line filler line filler line'\n"
                                "  i=$((i+1)); done\n"
                                "echo last\n"
                                "printf '\\377\\377'\n");
  auto w = window("p.c");
  settings().compilerCmdLine = "sh " + cc;
  manager->compile(*w);
  const std::vector<std::string> lines = finishRun().lines();
  ASSERT_EQ(lines.size(), 3004u);
  EXPECT_EQ(lines[0], "before");
  EXPECT_EQ(lines[1], "half\xFF" "after");
  EXPECT_EQ(lines[3001], "filler line filler line filler line filler line");
  EXPECT_EQ(lines[3002], "last");
  EXPECT_EQ(lines[3003], "\xFF\xFF");
  EXPECT_FALSE(w->buildRunning);
}

TEST_F(BuildTest, AMissingCompilerSaysSoInTheWindow) {
  auto w = window("p.c");
  settings().compilerCmdLine = "no-such-compiler-plicato";
  manager->compile(*w);
  const std::vector<std::string> lines = finishRun().lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("no-such-compiler-plicato"), std::string::npos);
  EXPECT_NE(lines[0].find("not found"), std::string::npos);
  EXPECT_FALSE(w->buildRunning);
}

TEST_F(BuildTest, AProgramLeftBehindDoesNotHoldTheRunOpen) {
  // The compiler starts something that keeps the pipe and outlives it; the
  // end mark written when the compiler ends closes the capture anyway.
  const std::string cc = script("cc.sh",
                                "sleep 20 &\n"
                                "echo \"$!\" > " + work.file("child.pid") + "\n"
                                "echo done\n");
  auto w = window("p.c");
  settings().compilerCmdLine = "sh " + cc;
  manager->compile(*w);
  EXPECT_EQ(finishRun().lines(), std::vector<std::string>{"done"});
  const pid_t left = static_cast<pid_t>(std::stol(work.read("child.pid")));
  EXPECT_EQ(::kill(left, 0), 0);  // still there: the run did not wait for it
  ::kill(left, SIGKILL);
}

TEST_F(BuildTest, AnEmptyCompilerCommandLineOpensTheWindowFinished) {
  auto w = window("p.c");
  settings().compilerCmdLine = "";
  manager->compile(*w);
  RecordingOutput* out = windows.last();
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->ends(), 1);
  EXPECT_EQ(out->captions(), std::vector<std::string>{"Conpile messages (finished)"});
  EXPECT_FALSE(w->buildRunning);
  EXPECT_EQ(manager->runCount(), 0u);
}

TEST_F(BuildTest, ASecondBuildWhileOneRunsIsRefusedAndTheWindowWillNotClose) {
  const std::string cc = script("cc.sh", "while [ ! -e " + work.file("go") + " ]; do sleep 0.02; done\n"
                                "echo compiled\n");
  auto w = window("p.c");
  settings().compilerCmdLine = "sh " + cc;
  settings().makerCmdLine = "echo make";
  manager->compile(*w);
  ASSERT_TRUE(w->buildRunning);
  manager->compile(*w);
  manager->make(*w);
  EXPECT_EQ(host.statusTexts(), (std::vector<std::string>{kBuildBusyRefusal, kBuildBusyRefusal}));
  EXPECT_EQ(windows.made(), 1u);
  EXPECT_FALSE(w->queryClose());
  EXPECT_EQ(host.boxTexts(),
            std::vector<std::string>{"Can't close window until Compiler or Maker hasn't ended"});

  work.write("go", "");
  EXPECT_EQ(finishRun().lines(), std::vector<std::string>{"compiled"});
  EXPECT_FALSE(w->buildRunning);
  // Ended: a new compile reuses the window, and it may close again.
  manager->compile(*w);
  EXPECT_EQ(windows.made(), 1u);
  EXPECT_EQ(finishRun().lines(), (std::vector<std::string>{"compiled", "compiled"}));
  EXPECT_TRUE(w->queryClose());
}

TEST_F(BuildTest, AProcessThatCannotStartIsReportedAndNothingStaysBusy) {
  // The file's directory went away: the child cannot start in it.
  std::filesystem::create_directory(work.file("gone"));
  EditorView w(ctx, "p.c");
  w.doc.fileName = work.file("gone/p.c");
  std::filesystem::remove(work.file("gone"));
  settings().compilerCmdLine = "cc -c";
  manager->compile(w);
  EXPECT_EQ(host.boxTexts(), std::vector<std::string>{"Can not create compile process, error 2"});
  EXPECT_EQ(host.events().back().caption, "Error...");
  EXPECT_EQ(windows.last()->captions(), std::vector<std::string>{"Compile messages (finished)"});
  EXPECT_FALSE(w.buildRunning);
  EXPECT_EQ(manager->runCount(), 0u);

  settings().makerCmdLine = "make all";
  settings().makerWorkingDirectory = work.file("gone");
  manager->make(w);
  EXPECT_EQ(host.boxTexts().back(), "Can not create make process, error 2:\r\n  make all");
  EXPECT_FALSE(w.buildRunning);
}

TEST_F(BuildTest, NoMessagesWindowNoRun) {
  auto w = window("p.c");
  settings().compilerCmdLine = "cc -c";
  windows.fail = true;
  manager->compile(*w);
  EXPECT_EQ(host.boxTexts(), std::vector<std::string>{"Can not create message window."});
  EXPECT_FALSE(w->buildRunning);
}

TEST_F(BuildTest, AModifiedFileIsOfferedForSavingBeforeTheCompilerRuns) {
  const std::string cc = script("cc.sh", "cat \"$1\"\n");
  auto w = window("p.c", "old\n");
  settings().compilerCmdLine = "sh " + cc;
  int saves = 0;
  manager->save = [&](EditorView& win) {
    ++saves;
    writeFile(win.doc.fileName, "new\n");
    win.doc.modified = false;
    return true;
  };
  w->doc.modified = true;
  host.queueAnswer("no");
  manager->compile(*w);
  EXPECT_EQ(finishRun().lines(), std::vector<std::string>{"old"});
  EXPECT_EQ(saves, 0);
  ASSERT_EQ(host.events().size(), 1u);
  EXPECT_EQ(host.events()[0].text, "Do you want to save changes to " + work.file("p.c"));
  EXPECT_EQ(host.events()[0].caption, "Plicato for Windows95");

  host.queueAnswer("yes");
  manager->compile(*w);
  EXPECT_EQ(finishRun().lines(), (std::vector<std::string>{"old", "new"}));
  EXPECT_EQ(saves, 1);
}

TEST_F(BuildTest, AnUnnamedBufferIsNotCompiled) {
  EditorView w(ctx, "Noname");
  settings().compilerCmdLine = "cc -c";
  manager->compile(w);
  EXPECT_EQ(host.lastStatus(), kNoNameRefusal);
  EXPECT_FALSE(w.buildRunning);
  EXPECT_EQ(windows.last()->captions(), std::vector<std::string>{"Compile messages (finished)"});
}

TEST_F(BuildTest, ExternalMakeRunsTheWholeCommandLineInTheMakersDirectory) {
  std::filesystem::create_directory(work.file("proj"));
  auto w = window("p.c");
  settings().externalMaker = true;
  settings().makerCmdLine = "pwd; echo made";
  settings().makerWorkingDirectory = work.file("proj");
  manager->make(*w);
  RecordingOutput& out = finishRun();
  EXPECT_EQ(out.lines(), (std::vector<std::string>{work.file("proj"), "made"}));
  EXPECT_EQ(out.captions(), (std::vector<std::string>{"MAKE messages (working...)",
                                                      "MAKE messages (finished)"}));
  // Without a working directory it runs in the file's.
  settings().makerWorkingDirectory = "";
  manager->make(*w);
  EXPECT_EQ(finishRun().lines().at(2), work.path());

  settings().makerCmdLine = "";
  manager->make(*w);
  EXPECT_EQ(windows.last()->captions().back(), "MAKE messages (finished)");
  EXPECT_FALSE(w->buildRunning);
}

TEST_F(BuildTest, RunStartsTheProgramBuiltFromTheFileWithItsArguments) {
  std::filesystem::create_directory(work.file("bin dir"));
  script("bin dir/hello", "echo \"args:$*\"; pwd\n");
  work.write("bin dir/hello.c", "");
  EditorView w(ctx, "hello.c");
  w.doc.fileName = work.file("bin dir/hello.c");
  settings().runArguments = "one two";
  manager->run(w);
  RecordingOutput& out = finishRun();
  EXPECT_EQ(out.lines(), (std::vector<std::string>{"args:one two", work.file("bin dir")}));
  EXPECT_EQ(out.captions().back(), "Run messages (finished)");
  EXPECT_EQ(windows.asked, std::vector<MessagesKind>{MessagesKind::Run});
}

TEST_F(BuildTest, ArgumentsAreAskedForAndKept) {
  settings().runArguments = "old";
  host.queueAnswer("-v input.txt");
  manager->arguments(ctx);
  EXPECT_EQ(settings().runArguments, "-v input.txt");
  // Cancelled: unchanged.
  manager->arguments(ctx);
  EXPECT_EQ(settings().runArguments, "-v input.txt");
}

TEST_F(BuildTest, DroppingTheManagerStopsARunningCompiler) {
  // One process from the shell to the sleep, so that it is the child the
  // run waits for.
  const std::string cc = script("cc.sh", "echo $$ > " + work.file("cc.pid") + "\nexec sleep 60\n");
  auto w = window("p.c");
  settings().compilerCmdLine = "exec sh " + cc;
  manager->compile(*w);
  while (work.read("cc.pid").empty()) ::usleep(10000);
  const pid_t pid = static_cast<pid_t>(std::stol(work.read("cc.pid")));
  manager.reset();  // returns once the compiler is gone
  EXPECT_NE(::kill(pid, 0), 0);
  EXPECT_EQ(windows.last()->ends(), 0);  // a dropped run reports no end
}

TEST_F(BuildTest, AWindowThatGoesAwayStopsItsRun) {
  const std::string cc = script("cc.sh", "exec sleep 60\n");
  auto w = window("p.c");
  settings().compilerCmdLine = "sh " + cc;
  manager->compile(*w);
  ASSERT_TRUE(manager->running(*w));
  manager->windowClosing(*w);
  EXPECT_FALSE(manager->running(*w));
  EXPECT_FALSE(w->buildRunning);
  EXPECT_EQ(windows.last()->captions().back(), "Compile messages (finished)");
}

TEST(CaptureRunTest, AWorkersOutputEndsWithItsCall) {
  auto run = CaptureRun::create();
  ASSERT_NE(run, nullptr);
  run->setWorker([](int fd) {
    const std::string text = "from the worker\nlast";
    EXPECT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    return 7;
  });
  RecordingOutput out;
  ASSERT_TRUE(run->startReader(out, "working", [] { return std::string("done"); }));
  ASSERT_TRUE(out.waitEnded());
  EXPECT_TRUE(run->ended());
  EXPECT_EQ(run->finish(), 7);
  EXPECT_EQ(out.lines(), (std::vector<std::string>{"from the worker", "last"}));
  EXPECT_EQ(out.captions(), (std::vector<std::string>{"working", "done"}));
}
