// The internal maker: the make library (the stand-in, which runs GNU
// make) called on a worker thread, with a real make file.
#include <filesystem>

#include "toolchain/buildcommands.hpp"
#include "toolchain/buildtest.hpp"
#include "toolchain/maker.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"

using Args = std::vector<std::string>;

TEST(MakerArgumentsTest, TheVectorOfMakeExeDashF) {
  EXPECT_EQ(makerArguments("/p/q/Makefile", "all  CFLAGS=-g", ""),
            (Args{"make.exe", "-C", "/p/q", "-f", "Makefile", "all", "CFLAGS=-g"}));
  // A make file name with blanks stays one argument.
  EXPECT_EQ(makerArguments("/my proj/make file", "", ""),
            (Args{"make.exe", "-C", "/my proj", "-f", "make file"}));
  EXPECT_EQ(makerArguments("sub/GNUmakefile", "x", "/work"),
            (Args{"make.exe", "-C", "/work/sub", "-f", "GNUmakefile", "x"}));
  EXPECT_EQ(makerArguments("/Makefile", "", ""), (Args{"make.exe", "-C", "/", "-f", "Makefile"}));
  EXPECT_EQ(makerArguments("", "clean", "/w"), (Args{"make.exe", "-C", "/w", "clean"}));
  EXPECT_EQ(makerArguments("", "", ""), (Args{"make.exe"}));
}

class MakerTest : public BuildTest {
 protected:
  void SetUp() override {
    BuildTest::SetUp();
    settings().externalMaker = false;
    std::filesystem::create_directory(work.file("proj"));
  }
};

TEST_F(MakerTest, MakeRunsTheMakeFileInItsDirectoryAndSaysHowLongItTook) {
  work.write("proj/Makefile",
             "all: out.txt\n"
             "\t@echo building in $(CURDIR)\n"
             "out.txt:\n"
             "\t@printf 'made\\n' > out.txt\n"
             "\t@printf 'tab\\there\\n'\n");
  settings().makefile = work.file("proj/Makefile");
  settings().makerParameters = "all";
  auto w = window("p.c");
  const std::string before = std::filesystem::current_path().string();

  manager->make(*w);
  EXPECT_TRUE(w->buildRunning);
  RecordingOutput& out = finishRun();
  EXPECT_FALSE(w->buildRunning);
  EXPECT_EQ(work.read("proj/out.txt"), "made\n");
  EXPECT_EQ(std::filesystem::current_path().string(), before);
  std::vector<std::string> lines = out.lines();
  // make itself says where it went (-C) before and after.
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find("Entering directory"), std::string::npos);
  EXPECT_EQ(lines[1], "tab        here");
  EXPECT_EQ(lines[2], "building in " + work.file("proj"));
  EXPECT_NE(lines[3].find("Leaving directory"), std::string::npos);
  const std::vector<std::string> captions = out.captions();
  ASSERT_EQ(captions.size(), 2u);
  EXPECT_EQ(captions[0], "Plicato: Maker messages");
  EXPECT_EQ(captions[1], "Plicato Making Finished (0 secs)");
  EXPECT_EQ(windows.asked, std::vector<MessagesKind>{MessagesKind::Maker});
}

TEST_F(MakerTest, MakesErrorsArriveInTheWindowAndEachRunHasANewWindow) {
  work.write("proj/Makefile", "all:\n\t@echo about to fail\n\t@false\n");
  settings().makefile = work.file("proj/Makefile");
  auto w = window("p.c");
  manager->make(*w);
  std::vector<std::string> lines = finishRun().lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[1], "about to fail");
  EXPECT_NE(lines[2].find("Error 1"), std::string::npos);

  settings().makefile = work.file("proj/NoSuchMakefile");
  manager->make(*w);
  lines = finishRun().lines();
  EXPECT_EQ(windows.made(), 2u);
  bool told = false;
  for (const std::string& l : lines) told = told || l.find("NoSuchMakefile") != std::string::npos;
  EXPECT_TRUE(told);
  EXPECT_FALSE(w->buildRunning);
}

TEST_F(MakerTest, AMissingMakeLibraryIsToldInTheWindow) {
  TempDir empty;
  setProgramDir(empty.path());
  settings().makefile = work.file("proj/Makefile");
  auto w = window("p.c");
  manager->make(*w);
  const std::vector<std::string> lines = finishRun().lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("Can not load libgnumake.so: ", 0), 0u) << lines[0];
  EXPECT_FALSE(w->buildRunning);
}

TEST_F(MakerTest, TwoWindowsMakeAtOnceEachIntoItsOwnWindow) {
  work.write("proj/Makefile", "a:\n\t@echo A\nb:\n\t@echo B\n");
  settings().makefile = work.file("proj/Makefile");
  auto w1 = window("one.c");
  auto w2 = window("two.c");
  settings().makerParameters = "a";
  manager->make(*w1);
  RecordingOutput* first = windows.last();
  settings().makerParameters = "b";
  manager->make(*w2);
  RecordingOutput* second = windows.last();
  ASSERT_TRUE(first->waitEnded());
  ASSERT_TRUE(second->waitEnded());
  manager->runEnded(*first);
  manager->runEnded(*second);
  EXPECT_EQ(first->lines().at(1), "A");
  EXPECT_EQ(second->lines().at(1), "B");
  EXPECT_EQ(manager->runCount(), 0u);
}
