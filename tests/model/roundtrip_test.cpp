// Random fold trees written and read back give the same tree, and writing
// the tree read back gives the same bytes, for every format.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "support/testenv.hpp"
#include "foldfile_util.hpp"

using namespace foldtest;

namespace {

struct Format {
  const char* name;
  const char* commentStart;
  const char* commentEnd;
  const char* type;
  const char* file;
  bool tds;
};

const Format kFormats[] = {
    {"C", "/*", "*/", "C", "r.c", false},
    {"occam", "--", "", "occam2", "r.occ", false},
    {"Pascal", "(*", "*)", "Pascal", "r.pas", false},
    {"Fortran", "C", "", "Fortran", "r.f", false},
    {"TDS", "tds", "", "TDS", "r.tsr", true},
};

class TreeMaker {
 public:
  TreeMaker(uint32_t seed, bool tds) : rng_(seed), tds_(tds) {}

  void fill(Builder& b, int depth) {
    int n = pick(0, depth == 0 ? 8 : 5);
    for (int i = 0; i < n; ++i) {
      int what = pick(0, 99);
      if (depth >= 4 || what < 55) {
        b.text(text());
      } else if (what < 80) {
        bool comment = pick(0, 6) == 0;
        std::string t = title();
        if (comment) t = t.empty() ? "COMMENT" : "COMMENT " + t;
        uint32_t type = 0, contents = 1;
        if (pick(0, 3) == 0) {
          type = static_cast<uint32_t>(pick(0, 3));
          contents = static_cast<uint32_t>(pick(0, 2));
        }
        // TDS keeps no contents flag for comment folds.
        if (tds_ && comment) contents = 0;
        b.fold(t, ClosedFold, pick(0, 5), [&](Builder& in) { fill(in, depth + 1); }, type,
               contents);
      } else if (what < 90) {
        // Filed, contents inline (TDS files carry none).
        uint32_t type = pick(0, 1) ? 0 : 2;
        b.fold(title(), FiledFold, pick(0, 5),
               [&](Builder& in) {
                 if (!tds_) fill(in, depth + 1);
               },
               type, 1, fileName());
      } else {
        // Filed, contents only in its own file.
        b.fold(title(), FiledFold, pick(0, 5), [](Builder&) {}, 1, 1, fileName());
      }
    }
  }

 private:
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  std::string from(const char* alphabet, size_t n) {
    std::string s;
    size_t k = std::strlen(alphabet);
    for (size_t i = 0; i < n; ++i) s += alphabet[pick(0, static_cast<int>(k) - 1)];
    return s;
  }

  // Any bytes but the marker characters; comment signs, tabs, Latin-1,
  // leading and trailing blanks included.
  std::string text() {
    int shape = pick(0, 19);
    if (shape == 0) return "";
    if (shape == 1) return std::string(static_cast<size_t>(pick(1, 6)), ' ');
    size_t n = shape == 2 ? static_cast<size_t>(pick(4000, 6000)) : static_cast<size_t>(pick(1, 40));
    std::string s = from("abxyzC c09=+-*/()\t\xE9\xFC;", n);
    if (pick(0, 4) == 0) s = std::string(static_cast<size_t>(pick(1, 8)), ' ') + s;
    if (pick(0, 4) == 0) s += std::string(static_cast<size_t>(pick(1, 4)), ' ');
    return s;
  }

  // Titles start and end with a letter: blanks around a title are not kept.
  std::string title() {
    if (pick(0, 9) == 0) return "";
    std::string s = from("abcdefgh", 1);
    s += from("abcXYZ019 \t_", static_cast<size_t>(pick(0, 20)));
    s += from("klmnop", 1);
    if (pick(0, 15) == 0) s += std::string(4200, 'w');
    return s;
  }

  std::string fileName() { return "sub/" + from("abcdef012", static_cast<size_t>(pick(1, 8))) + ".inc"; }

  std::mt19937 rng_;
  bool tds_;
};

// The first line where two dumps differ, cut short (dumps of long lines are
// too big to print whole).
std::string firstDifference(const std::string& a, const std::string& b) {
  size_t i = 0, line = 1;
  while (i < a.size() && i < b.size() && a[i] == b[i]) {
    if (a[i] == '\n') ++line;
    ++i;
  }
  if (i == a.size() && i == b.size()) return "";
  auto around = [&](const std::string& s) {
    size_t from = s.rfind('\n', i == 0 ? 0 : i - 1);
    from = from == std::string::npos ? 0 : from + 1;
    return s.substr(from, 100);
  };
  return "line " + std::to_string(line) + ":\n  read back: " + around(a) + "\n  written:   " + around(b);
}

class RoundTripTest : public PlicatoTest, public ::testing::WithParamInterface<Format> {};

TEST_P(RoundTripTest, RandomTreesComeBackUnchanged) {
  const Format& f = GetParam();
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    auto w = newWindow(host, f.commentStart, f.commentEnd, f.type);
    w->pushBasePath(work.path());
    assign(*w->fileBottom, f.file);
    TreeMaker maker(seed * 7919u, f.tds);
    Builder b = top(*w);
    maker.fill(b, 0);
    finish(*w, b);
    w->readAsTds = f.tds;
    w->lfLineEnds = !f.tds && seed % 3 == 0;
    save(*w);
    ASSERT_EQ(w->ioStatus, 0);
    std::string first = work.read(f.file);

    auto back = newWindow(host, f.commentStart, f.commentEnd, f.type);
    open(*back, work.file(f.file));
    ASSERT_EQ(back->ioStatus, 0);
    ASSERT_EQ(firstDifference(dump(*back), dump(*w)), "");
    EXPECT_EQ(back->readAsTds, f.tds);
    EXPECT_EQ(back->foldOffset, 0);
    save(*back);
    ASSERT_EQ(firstDifference(work.read(f.file), first), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTripTest, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
