// Highlighting costs: recomputing the line states of a 1,000,000-line C
// file with nested closed folds, and painting a full screen of highlighted C.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "display/highlight.hpp"
#include "model/linestore.hpp"
#include "model/markup.hpp"
#include "model/paths.hpp"
#include "model/settings.hpp"
#include "platform/batchhost.hpp"

namespace {

// Takes every run and draws nothing.
class NullCanvas : public ColouredCanvas {
 public:
  void moveTo(int x, int) override { x_ = x; }
  void textOut(const char*, int n) override { x_ += n; chars += n; }
  void textOutAt(int, int, const char*, int n) override { chars += n; }
  int textWidth(const char*, int n) const override { return n; }
  int textHeight() const override { return 1; }
  long chars = 0;

 private:
  int x_ = 0;
};

const char* const kCLines[] = {
    "#include <stdio.h>",
    "static int counter = 0; /* shared */",
    "int compute(int a, int b) {",
    "  /* a block comment that",
    "     runs over two lines */",
    "  for (int i = 0; i < a; ++i) {",
    "    counter += b * i; // accumulate",
    "  }",
    "  if (counter > 1000) return -1;",
    "  return counter;",
    "}",
    "",
};
constexpr size_t kLinePatterns = sizeof kCLines / sizeof kCLines[0];

BatchHost& benchHost() {
  static BatchHost host;
  return host;
}

// The benchmarks' editor: highlighting on, as plain drawing would measure
// nothing.
ModelContext& benchContext() {
  static ModelContext ctx(benchHost());
  ctx.settings.syntaxHighlighting = true;
  return ctx;
}

const MarkUpHash& cTable() {
  static MarkUpHash table;
  static bool loaded = false;
  if (!loaded) {
    loaded = true;
    if (loadMarkUp(table, "ansi_c.mrk", benchHost()))
      parseMarkUp(table, "ansi_c.mrk",
                  "/* GREEN WHITE BEG_COMMENT\n*/ GREEN WHITE END_COMMENT\n"
                  "// GREEN WHITE COMMENT\n# MAGENTA WHITE PREPROCESSOR\n"
                  "int BLUE WHITE KEYWORD\nfor BLUE WHITE KEYWORD\nif BLUE WHITE KEYWORD\n"
                  "return BLUE WHITE KEYWORD\nstatic BLUE WHITE KEYWORD\n",
                  benchHost());
  }
  return table;
}

// The file: a closed fold opens every 40 lines, so three are nested by line
// 80; all three end at line 110 of every 120.
struct BigFile {
  LineStore store{benchContext()};
  size_t lines = 0;

  explicit BigFile(size_t count) {
    buildFileChain(store);
    LineNode* last = store.levelTop->next;  // the root header
    struct Open {
      LineNode* header;
      LineNode* lastInside;
    };
    std::vector<Open> open;
    auto append = [&](LineNode* n) {
      if (!open.empty()) {
        Open& o = open.back();
        if (o.lastInside) {
          linkAfter(o.lastInside, n);
        } else {
          o.header->inner() = n;
          n->prev = o.header;
        }
        o.lastInside = n;
      } else {
        linkAfter(last, n);
        last = n;
      }
    };
    auto closeTop = [&]() {
      Open o = open.back();
      open.pop_back();
      LineNode* end = newLineNode(store);
      end->kind = FoldEnd;
      if (o.lastInside) linkAfter(o.lastInside, end); else { o.header->inner() = end; end->prev = o.header; }
      end->partner() = o.header;
      o.header->partner() = end;
      o.header->kind = ClosedFold;
      // The header now stands for the whole fold in the enclosing chain.
      if (!open.empty()) open.back().lastInside = o.header; else last = o.header;
      ++lines;
    };
    for (size_t i = 0; i < count; ++i) {
      LineNode* n = newLineNode(store);
      assign(*n, kCLines[i % kLinePatterns]);
      if (i % 40 == 0 && open.size() < 3) {
        assign(*n, "fold of functions");
        append(n);
        open.push_back({n, nullptr});
      } else {
        append(n);
        if (i % 120 == 110)
          while (!open.empty()) closeTop();
      }
      ++lines;
    }
    while (!open.empty()) closeTop();
    linkAfter(last, store.levelBottom);
    finishFileChain(store);
  }
};

void BM_RecomputeMillionLines(benchmark::State& state) {
  static BigFile file(1000000);
  const MarkUpHash& table = cTable();
  for (auto _ : state) {
    recompute(file.store.fileTop, &table);
    benchmark::DoNotOptimize(file.store.fileBottom->text);
  }
  state.counters["lines"] = static_cast<double>(file.lines);
}
BENCHMARK(BM_RecomputeMillionLines)->Unit(benchmark::kMillisecond);

void BM_PaintScreen(benchmark::State& state) {
  const MarkUpHash& table = cTable();
  // 50 rows of 200 columns, as the view composer leaves them.
  std::vector<std::string> rows;
  for (size_t r = 0; r < 50; ++r) {
    std::string row;
    while (row.size() < 200) {
      row += kCLines[(r + row.size()) % kLinePatterns];
      row += "  ";
    }
    row.resize(200);
    rows.push_back(row);
  }
  NullCanvas dc;
  RowRecord record{};
  for (auto _ : state) {
    uint32_t lineState = kStateNormal;
    for (size_t r = 0; r < rows.size(); ++r) {
      paintLine(dc, 0, static_cast<int>(r), rows[r].c_str(), 0, 200, lineState, kPaintNormal,
                &table, &record, benchContext().settings);
      lineState = nextState(lineState, rows[r].c_str(), &table);
    }
    benchmark::DoNotOptimize(dc.chars);
  }
}
BENCHMARK(BM_PaintScreen)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
