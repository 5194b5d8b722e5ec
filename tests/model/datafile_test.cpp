// Data files (PLICATO.INI, registry.reg, lang.txt, the .mrk tables) are
// read whole: a name that leads to something without an end must fail at
// once instead of waiting or filling the memory.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>

#include "model/atomicfile.hpp"
#include "model/markup.hpp"
#include "support/testenv.hpp"

namespace {

class DataFileTest : public PlicatoTest {};

TEST_F(DataFileTest, OnlyPlainFilesAreReadWhole) {
  std::string out = "untouched";
  work.write("plain.txt", "abc");
  EXPECT_TRUE(readWholeFile(work.file("plain.txt"), out));
  EXPECT_EQ(out, "abc");
  EXPECT_FALSE(readWholeFile(work.path(), out));
  EXPECT_FALSE(readWholeFile("/dev/zero", out));
  ASSERT_EQ(::mkfifo(work.file("pipe").c_str(), 0644), 0);
  EXPECT_FALSE(readWholeFile(work.file("pipe"), out));
}

// A save that was killed leaves its temporary file; the next save of the
// file clears such leftovers, but never one whose writer may still run.
TEST_F(DataFileTest, ASaveClearsWhatKilledSavesOfTheFileLeft) {
  pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ASSERT_GT(gone, 0);
  ASSERT_EQ(::waitpid(gone, nullptr, 0), gone);
  const std::string dead = std::to_string(gone);
  const std::string mine = std::to_string(::getpid());
  const struct timeval old[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
  auto leftover = [&](const std::string& name, bool aged) {
    work.write(name, "part of an old save");
    if (aged) ::utimes(work.file(name).c_str(), old);
  };
  leftover(".f.c.plicato-" + dead + "-aaaaaa", true);    // killed long ago: goes
  leftover(".f.c.plicato-" + dead + "-bbbbbb", false);   // just now: may be another machine's
  leftover(".f.c.plicato-" + mine + "-cccccc", true);    // this process's own
  leftover(".g.c.plicato-" + dead + "-dddddd", true);    // another file's
  leftover(".f.c.plicato-XXXXXX", true);                 // no writer named

  std::string error;
  ASSERT_TRUE(writeFileAtomic(work.file("f.c"), "new\n", &error)) << error;
  EXPECT_EQ(work.read("f.c"), "new\n");
  auto exists = [&](const std::string& name) { return ::access(work.file(name).c_str(), F_OK) == 0; };
  EXPECT_FALSE(exists(".f.c.plicato-" + dead + "-aaaaaa"));
  EXPECT_TRUE(exists(".f.c.plicato-" + dead + "-bbbbbb"));
  EXPECT_TRUE(exists(".f.c.plicato-" + mine + "-cccccc"));
  EXPECT_TRUE(exists(".g.c.plicato-" + dead + "-dddddd"));
  EXPECT_TRUE(exists(".f.c.plicato-XXXXXX"));
}

TEST_F(DataFileTest, HighlightingTableNamingADeviceIsReportedMissing) {
  MarkUpHash table;
  auto message = loadMarkUp(table, "/dev/zero", host);
  ASSERT_TRUE(message.has_value());
  EXPECT_NE(message->find("doesn't exist or isn't accessible."), std::string::npos);
}

}  // namespace
