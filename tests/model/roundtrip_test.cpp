// Random fold trees written and read back give the same tree, and writing
// the tree read back gives the same bytes, for every format.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "model/settings.hpp"
#include "support/fidelity.hpp"
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

void PrintTo(const Format& f, std::ostream* os) { *os << f.name; }

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
    auto w = newWindow(ctx, f.commentStart, f.commentEnd, f.type);
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

    auto back = newWindow(ctx, f.commentStart, f.commentEnd, f.type);
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

// Files as other editors and hands write them: tabs and blanks before
// markers and lines, markers that do not pair up, text after end markers
// and after comment ends, COMMENT folds written by hand, declarations,
// Fortran comment columns, every kind of line end, no last line end.
class FileMaker {
 public:
  FileMaker(uint32_t seed, const Format& f) : rng_(seed), f_(f) {}

  std::string file() {
    out_.clear();
    const int style = pick(0, 9);
    eol_ = style < 5 ? "\n" : style < 8 ? "\r\n" : "";
    if (pick(0, 5) == 0) line(declaration());
    level(0, "");
    if (!out_.empty() && pick(0, 4) == 0) {
      // No line end after the last line.
      while (!out_.empty() && (out_.back() == '\n' || out_.back() == '\r')) out_.pop_back();
    }
    return out_;
  }

 private:
  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  template <size_t N>
  const char* any(const char* const (&v)[N]) { return v[static_cast<size_t>(pick(0, N - 1))]; }

  void line(const std::string& l) {
    out_ += l;
    if (!eol_.empty()) {
      out_ += eol_;
    } else {
      static const char* const ends[] = {"\n", "\r\n", "\r", "\r\r\n"};
      out_ += any(ends);
    }
  }

  std::string lead(const std::string& around) {
    static const char* const extra[] = {"", "", "", " ", "  ", "\t", " \t", "\t  ", "    "};
    // Mostly the fold's own column, sometimes less or more, tabs or not.
    switch (pick(0, 5)) {
      case 0: return any(extra);
      case 1: return around.empty() ? std::string(any(extra)) : around.substr(0, around.size() / 2);
      default: return around + any(extra);
    }
  }

  std::string cs() { return f_.commentStart; }
  std::string ce() { return f_.commentEnd; }
  bool fortran() const { return std::string(f_.type) == "Fortran"; }

  std::string words() {
    static const char* const w[] = {"x := 1", "if (a)", "b", "\tc;", "SEQ", "COMMENT", "{", "}",
                                    "-- y", "/* z */", "(* p *)", "C  q", "{{{", "}}}", "...",
                                    "\xE9t\xE9", ":::A", "end", " ", ""};
    std::string s;
    for (int i = pick(0, 3); i > 0; --i) s += std::string(any(w)) + (pick(0, 2) ? " " : "");
    return s;
  }

  std::string declaration() {
    static const char* const d[] = {"/*{{{}}}*/", "--{{{}}}", "  (*{{{}}}*)", "#{{{}}}",
                                    "//{{{}}}", "x = \"{{{}}}\";"};
    return any(d);
  }

  // A marker line: lead, comment start, marker, spacing, rest, maybe the
  // comment end and more.
  std::string marker(const std::string& at, const char* mark, const std::string& rest) {
    static const char* const gaps[] = {"  ", "  ", " ", "", "\t", "   "};
    std::string l = lead(at) + cs() + mark;
    if (std::strcmp(mark, "}}}") != 0 || pick(0, 3) == 0) l += any(gaps);
    l += rest;
    if (!ce().empty() && pick(0, 9) != 0) {
      if (pick(0, 3) == 0) l += "  ";
      l += ce();
      if (pick(0, 6) == 0) l += " code();";
    }
    if (fortran() && !l.empty() && pick(0, 1)) l[0] = 'C';
    if (pick(0, 7) == 0) l += "  ";
    return l;
  }

  void text(const std::string& at, bool comment) {
    std::string l = lead(at);
    if (fortran() && pick(0, 4) == 0) l = pick(0, 1) ? "C" + l : "c" + l;
    if (comment && pick(0, 2)) {
      l += cs() + (pick(0, 1) ? " " : "") + words() + ce();
    } else {
      l += words();
    }
    if (pick(0, 6) == 0) l += "   ";
    if (pick(0, 30) == 0) l += '\t';
    line(l);
  }

  void level(int depth, const std::string& at, bool comment = false) {
    for (int n = pick(0, depth == 0 ? 9 : 5); n > 0; --n) {
      int what = pick(0, 99);
      if (depth >= 4 || what < 50) {
        text(at, comment);
      } else if (what < 56) {
        line(marker(at, "}}}", pick(0, 1) ? "" : words()));  // most likely unpaired
      } else if (what < 60) {
        line(marker(at, pick(0, 1) ? ":::A" : ":::F", pick(0, 1) ? " 2 1" : "f.inc"));
      } else if (what < 63) {
        line(declaration());
      } else if (what < 70) {
        // A filed fold with its contents only in its file.
        line(marker(at, "...F", "part"));
        if (pick(0, 3)) line(marker(at, ":::A", pick(0, 4) ? " 1 1" : "  1 0"));
        if (pick(0, 5)) line(marker(at, ":::F", "sub/part.inc"));
      } else {
        const bool filed = what < 78;
        const bool isComment = comment || pick(0, 5) == 0;
        std::string title = isComment && !comment ? "COMMENT notes" : words();
        std::string inner = at + (pick(0, 2) ? std::string(static_cast<size_t>(pick(1, 4)), ' ')
                                             : std::string(pick(0, 1) ? "\t" : ""));
        line(marker(at, filed ? "{{{F" : "{{{", title));
        if (pick(0, 4) == 0) line(marker(at, ":::A", pick(0, 1) ? " 2 1" : "  0  1"));
        if (filed || pick(0, 8) == 0) line(marker(at, ":::F", "sub\\x.inc"));
        level(depth + 1, inner, isComment);
        if (pick(0, 9) != 0) line(marker(pick(0, 4) ? at : inner, "}}}", pick(0, 4) ? "" : words()));
      }
    }
  }

  std::mt19937 rng_;
  const Format& f_;
  std::string out_;
  std::string eol_;
};

// The tree as a TDS file holds it: no inline contents of filed folds, no
// contents flag on COMMENT folds.
std::string tdsComparable(const std::string& dump) {
  std::string out;
  size_t skipDepth = std::string::npos;
  size_t i = 0;
  while (i < dump.size()) {
    size_t e = dump.find('\n', i);
    std::string l = dump.substr(i, e - i);
    i = e + 1;
    size_t depth = l.find_first_not_of(' ');
    if (skipDepth != std::string::npos && depth > skipDepth) continue;
    skipDepth = std::string::npos;
    if (l.compare(depth, 5, "FILED") == 0) skipDepth = depth;
    size_t c = l.find(" c=");
    if (c != std::string::npos && l.find("[COMMENT") != std::string::npos) l[c + 3] = '?';
    out += l + "\n";
  }
  return out;
}

class FidelityTest : public PlicatoTest, public ::testing::WithParamInterface<Format> {};

// Any file comes back as it was but for the normal forms; what the writer
// wrote reads back to the same tree; the tree goes through TDS unchanged.
TEST_P(FidelityTest, FilesFromElsewhereComeBackAsTheyWere) {
  const Format& f = GetParam();
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    settings().tabSize = seed % 4 == 0 ? 4 : 8;
    const std::string original = FileMaker(seed * 104729u, f).file();
    work.write(f.file, original);
    auto w = newWindow(ctx, f.commentStart, f.commentEnd, f.type);
    open(*w, work.file(f.file));
    ASSERT_NE(w->ioStatus, 2);
    save(*w);
    ASSERT_EQ(w->ioStatus, 0);
    const std::string written = work.read(f.file);
    ASSERT_EQ(fidelity::compare(original, written, f.commentStart, f.commentEnd), "")
        << "file:\n" << original;

    auto back = newWindow(ctx, f.commentStart, f.commentEnd, f.type);
    open(*back, work.file(f.file));
    ASSERT_EQ(firstDifference(dump(*back), dump(*w)), "");
    save(*back);
    ASSERT_EQ(firstDifference(work.read(f.file), written), "");

    w->readAsTds = true;
    assign(*w->fileBottom, work.file("t.tds").c_str());
    save(*w);
    ASSERT_EQ(w->ioStatus, 0);
    auto tds = newWindow(ctx, "", "", "TDS");
    open(*tds, work.file("t.tds"));
    EXPECT_TRUE(tds->readAsTds);
    ASSERT_EQ(firstDifference(tdsComparable(dump(*tds)), tdsComparable(dump(*w))), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, FidelityTest, ::testing::ValuesIn(kFormats, kFormats + 4),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
