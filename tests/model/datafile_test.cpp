// Data files (PLICATO.INI, registry.reg, lang.txt, the .mrk tables) are
// read whole: a name that leads to something without an end must fail at
// once instead of waiting or filling the memory.
#include <gtest/gtest.h>

#include <sys/stat.h>

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

TEST_F(DataFileTest, HighlightingTableNamingADeviceIsReportedMissing) {
  MarkUpHash table;
  auto message = loadMarkUp(table, "/dev/zero", host);
  ASSERT_TRUE(message.has_value());
  EXPECT_NE(message->find("doesn't exist or isn't accessible."), std::string::npos);
}

}  // namespace
