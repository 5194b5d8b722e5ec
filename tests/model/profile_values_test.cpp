// Values stored in a profile file read back as they were written, also
// those that reading would otherwise change (found by fuzz_profile: a
// compiler command line that begins and ends with quotes lost them).
#include <gtest/gtest.h>

#include "model/profile.hpp"
#include "support/testenv.hpp"

namespace {

class ProfileValuesTest : public PlicatoTest {};

TEST_F(ProfileValuesTest, ValuesThatReadingWouldChangeAreKeptInQuotes) {
  const std::vector<std::string> values = {
      "\"occ\" -o \"out file\"",  // quotes at both ends
      "\"\"",                     // just a pair of quotes
      "  two leading blanks",
      "trailing blank ",
      "\ttab",
      "\"only a leading quote",
      "plain",
      "",
  };
  const std::string path = work.file("p.ini");
  {
    ProfileFile ini(path);
    ini.beginBatch();
    for (size_t i = 0; i < values.size(); ++i)
      ini.writeString("COMPILER", "V" + std::to_string(i), values[i]);
    ASSERT_TRUE(ini.endBatch());
  }
  ProfileFile again(path);
  again.refresh();
  for (size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(again.getString("COMPILER", "V" + std::to_string(i), "<missing>"), values[i]) << i;
  // Values that read back unchanged are written as they are.
  EXPECT_NE(readFile(path).find("V6=plain\n"), std::string::npos);
  EXPECT_NE(readFile(path).find("V0=\"\"occ\" -o \"out file\"\"\n"), std::string::npos);
}

TEST_F(ProfileValuesTest, AHandWrittenQuotedValueStillLosesOnePairOfQuotes) {
  ProfileFile ini(work.file("h.ini"));
  ini.parse("[A]\nk=\"  spaced  \"\nq=\"\"x\"\"\n");
  EXPECT_EQ(ini.getString("A", "k", ""), "  spaced  ");
  EXPECT_EQ(ini.getString("A", "q", ""), "\"x\"");
  // And the writer's text gives the same values back.
  ProfileFile back(work.file("b.ini"));
  back.parse(ini.serialise());
  EXPECT_EQ(back.getString("A", "k", ""), "  spaced  ");
  EXPECT_EQ(back.getString("A", "q", ""), "\"x\"");
}

}  // namespace
