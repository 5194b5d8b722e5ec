#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <memory>
#include <sstream>
#include <vector>

#include "commands/keytable.hpp"
#include "commands/macros.hpp"
#include "model/paths.hpp"
#include "support/testenv.hpp"

namespace {

class MacrosTest : public PlicatoTest {
 protected:
  std::unique_ptr<Macros> m = std::make_unique<Macros>();
  std::deque<int> typed;

  // One value of the macro layer over the `typed` keys (0 when used up).
  int step() {
    return m->next(
        [this] {
          if (typed.empty()) return 0;
          int v = typed.front();
          typed.pop_front();
          return v;
        },
        host);
  }
  std::vector<int> steps(int n) {
    std::vector<int> out;
    for (int i = 0; i < n; ++i) out.push_back(step());
    return out;
  }
  std::vector<int32_t> macro(int n) const {
    std::vector<int32_t> out;
    for (int i = 0; i < m->length(n); ++i) out.push_back(m->value(n, i));
    return out;
  }
  static std::string lineOf(const std::string& text, int n) {
    std::istringstream in(text);
    std::string line;
    for (int i = 0; i < n && std::getline(in, line); ++i) {}
    return line;
  }
  std::string zeros() const { return std::string("0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n"); }
};

TEST_F(MacrosTest, RecordAndPlayBack) {
  host.queueAnswer("3");
  typed = {cmdDefineMacro, 72, 101, cmdDefineMacro, 'x'};
  EXPECT_EQ(steps(5), (std::vector<int>{307, 72, 101, 307, 'x'}));
  EXPECT_FALSE(m->recording);
  EXPECT_EQ(macro(3), (std::vector<int32_t>{72, 101}));

  // An empty answer, and then a non-digit, keep macro 3; playback comes
  // before the keys typed after the call.
  for (const char* answer : {"", "x"}) {
    host.queueAnswer(answer);
    typed = {cmdCallMacro, 'z'};
    EXPECT_EQ(steps(4), (std::vector<int>{308, 72, 101, 'z'})) << answer;
  }
  // Call macro while recording is passed on but neither recorded nor played.
  host.queueAnswer("5");
  typed = {cmdDefineMacro, 'a', cmdCallMacro, 'b', cmdDefineMacro};
  EXPECT_EQ(steps(5), (std::vector<int>{307, 'a', 308, 'b', 307}));
  EXPECT_EQ(macro(5), (std::vector<int32_t>{'a', 'b'}));
  EXPECT_EQ(host.answersLeft(), 0u);
}

TEST_F(MacrosTest, EmptyMacroReturnsStraightToTheKeyboard) {
  host.queueAnswer("4");
  typed = {cmdCallMacro, 'k'};
  EXPECT_EQ(steps(2), (std::vector<int>{308, 'k'}));
  EXPECT_FALSE(m->playing);
}

TEST_F(MacrosTest, RecordingStopsByItselfAtTheLimit) {
  host.queueAnswer("1");
  typed = {cmdDefineMacro};
  for (int i = 0; i < kMacroLength + 1; ++i) typed.push_back('a' + i % 26);
  step();
  for (int i = 0; i < kMacroLength; ++i) step();
  EXPECT_FALSE(m->recording);
  EXPECT_EQ(m->length(1), kMacroLength);
  EXPECT_EQ(m->value(1, kMacroLength - 1), 'a' + (kMacroLength - 1) % 26);
  step();  // the 4097th value is only passed on
  EXPECT_EQ(m->length(1), kMacroLength);
}

TEST_F(MacrosTest, StoppedWindowIsNotRecorded) {
  host.queueAnswer("2");
  typed = {cmdDefineMacro, 'q'};
  EXPECT_EQ(steps(3), (std::vector<int>{307, 'q', 0}));
  typed = {cmdDefineMacro};
  step();
  EXPECT_EQ(macro(2), (std::vector<int32_t>{'q'}));
}

TEST_F(MacrosTest, SavedFileFormat) {
  work.write("plicato.rc", zeros());
  ASSERT_TRUE(m->loadFrom(work.file("plicato.rc"), host));
  host.queueAnswer("3");
  typed = {cmdDefineMacro, 72, 101, cmdDefineMacro};
  steps(4);
  ASSERT_TRUE(m->save(host));
  std::string text = work.read("plicato.rc");
  EXPECT_EQ(lineOf(text, 4), "2 72 101");
  EXPECT_EQ(text, "0\n0\n0\n2 72 101\n0\n0\n0\n0\n0\n0\n");

  auto again = std::make_unique<Macros>();
  ASSERT_TRUE(again->loadFrom(work.file("plicato.rc"), host));
  EXPECT_EQ(again->length(3), 2);
  EXPECT_EQ(again->value(3, 1), 101);
  EXPECT_TRUE(host.boxTexts().empty());
}

TEST_F(MacrosTest, FileIsFoundInTheCurrentDirectoryElseUnderPlicatoHome) {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  const char* oldHome = std::getenv("PLICATOHOME");
  std::string savedHome = oldHome ? oldHome : "";

  work.write("plicato.rc", "1 65\n" + zeros().substr(2));
  config.write("plicato.rc", "1 66\n" + zeros().substr(2));
  setenv("PLICATOHOME", work.path().c_str(), 1);
  ASSERT_EQ(chdir(config.path().c_str()), 0);
  m->load(host);
  EXPECT_EQ(m->fileName(), config.file("plicato.rc"));
  EXPECT_EQ(m->value(0, 0), 66);

  ::unlink(config.file("plicato.rc").c_str());
  auto other = std::make_unique<Macros>();
  other->load(host);
  EXPECT_EQ(other->fileName(), work.file("plicato.rc"));
  EXPECT_EQ(other->value(0, 0), 65);

  unsetenv("PLICATOHOME");
  auto none = std::make_unique<Macros>();
  none->load(host);
  EXPECT_EQ(none->fileName(), "");
  EXPECT_TRUE(none->save(host));  // in memory only
  EXPECT_FALSE(fileExists(config.file("plicato.rc")));

  ASSERT_EQ(chdir(cwd), 0);
  if (oldHome) setenv("PLICATOHOME", savedHome.c_str(), 1);
}

struct DamagedCase {
  const char* name;
  std::string text;
  std::vector<int32_t> macro0;
  std::vector<int32_t> macro1;
};

TEST_F(MacrosTest, DamagedFilesLoadWhatIsValid) {
  const std::vector<DamagedCase> cases = {
      {"huge length", "99999 1 2 3\n2 10 11\n", {1, 2, 3}, {10, 11}},
      {"length past the limit", "5000 7\n1 8\n", {7}, {8}},
      {"negative length", "-5 1 2\n1 65\n", {}, {65}},
      {"junk value", "3 1 x 2\n2 7 8\n", {1}, {7, 8}},
      {"junk length", "abc\n2 7 8\n", {}, {7, 8}},
      {"truncated", "4 1 2", {1, 2}, {}},
      {"value out of range", "2 99999999999999999999 5\n1 300\n", {}, {300}},
      {"negative value", "2 -1 5\n1 9\n", {}, {9}},
      {"macro commands", "2 65 307\n1 308\n", {65}, {}},
      {"extra values", "1 1 2 3\n1 4\n", {1}, {4}},
      {"binary", std::string("\xff\xfe\0\0\x01", 5), {}, {}},
      {"larger than the 4 MB read", "2 1 2\n1 3\n" + std::string(5 << 20, ' '), {1, 2}, {3}},
  };
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.name);
    host.clearEvents();
    work.write("plicato.rc", c.text);
    auto d = std::make_unique<Macros>();
    ASSERT_TRUE(d->loadFrom(work.file("plicato.rc"), host));
    m.swap(d);
    EXPECT_EQ(macro(0), c.macro0);
    EXPECT_EQ(macro(1), c.macro1);
    for (int i = 0; i < kMacroCount; ++i) {
      EXPECT_GE(m->length(i), 0);
      EXPECT_LE(m->length(i), kMacroLength);
    }
    ASSERT_EQ(host.boxTexts().size(), 1u);
    EXPECT_EQ(host.events().back().caption, "Plicato Warning");
  }
}

TEST_F(MacrosTest, EmptyFileIsNotDamage) {
  work.write("plicato.rc", "");
  ASSERT_TRUE(m->loadFrom(work.file("plicato.rc"), host));
  EXPECT_TRUE(host.boxTexts().empty());
  m->setMacro(9, {1, 2});
  ASSERT_TRUE(m->save(host));
  EXPECT_EQ(lineOf(work.read("plicato.rc"), 10), "2 1 2");
  EXPECT_FALSE(fileExists(work.file("plicato.rc.bak")));
}

TEST_F(MacrosTest, DamagedFileIsKeptBesideTheRepairedOne) {
  const std::string damaged = "2 65 junk\n1 66\n";
  work.write("plicato.rc", damaged);
  ASSERT_TRUE(m->loadFrom(work.file("plicato.rc"), host));
  ASSERT_TRUE(m->save(host));
  EXPECT_EQ(work.read("plicato.rc.bak"), damaged);
  EXPECT_EQ(work.read("plicato.rc"), "1 65\n1 66\n0\n0\n0\n0\n0\n0\n0\n0\n");
}

TEST_F(MacrosTest, FailedSaveIsReported) {
  m->setFileName(work.file("gone/plicato.rc"));  // its directory was removed
  m->setMacro(0, {65});
  EXPECT_FALSE(m->save(host));
  EXPECT_NE(host.lastStatus().find("Macros not saved"), std::string::npos);
}

}  // namespace
