// The fold tree pane's model on a 1,000,000-line C file with 999 blocks,
// ten parts in each and an inner fold in every part (20,979 folds): the
// rebuild after a structural command with every fold closed and with every
// fold open, and the selection of the fold around the file's last line
// (the longest walk back to an open header).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/context.hpp"
#include "benchutil.hpp"
#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "engine/navigation.hpp"
#include "platform/batchhost.hpp"
#include "tree/foldtree.hpp"

namespace {

constexpr size_t kLines = 1000000;
constexpr int kItems = (kLines / 1000 - 1) * 21 + 1;

struct Big {
  BatchHost host;
  EditorContext ctx{host};
  std::unique_ptr<EditorView> w;

  Big() {
    setProcessHost(&host);
    // The last 1000 lines stand outside every fold.
    const std::string text = benchutil::nestedBlocks(kLines, 1000, nullptr, "int last_line;\n");
    w = benchutil::readTempC(ctx, text, "/tmp/plicato-bench-tree-XXXXXX");
    w->topLine = nullptr;
    PlaceCursor(*w, 2);
  }
};

Big& big() {
  static Big b;
  return b;
}

void rebuild(benchmark::State& state, bool open) {
  Big& b = big();
  if (open) OpenAllFolds(*b.w);
  else CloseAllFolds(*b.w);
  FoldTreeModel m;
  for (auto _ : state) {
    m.rebuildFor(*b.w);
    benchmark::DoNotOptimize(m.size());
  }
  if (m.size() != kItems) state.SkipWithError("not every fold has its item");
  state.counters["items"] = m.size();
}

void BM_RebuildAllClosed(benchmark::State& state) { rebuild(state, false); }
BENCHMARK(BM_RebuildAllClosed)->Unit(benchmark::kMillisecond);

void BM_RebuildAllOpen(benchmark::State& state) { rebuild(state, true); }
BENCHMARK(BM_RebuildAllOpen)->Unit(benchmark::kMillisecond);

// The last line stands at the file's level behind a million open lines.
void BM_SelectForLastLineAllOpen(benchmark::State& state) {
  Big& b = big();
  OpenAllFolds(*b.w);
  FoldTreeModel m;
  m.rebuildFor(*b.w);
  const LineNode* last = b.w->doc.levelBottom->prev;
  for (auto _ : state) benchmark::DoNotOptimize(m.itemForLine(*b.w, last));
  if (m.itemForLine(*b.w, last) != 0) state.SkipWithError("the last line is not at the top");
}
BENCHMARK(BM_SelectForLastLineAllOpen)->Unit(benchmark::kMillisecond);

// Two equal rebuilds compared, as the pane does before touching the control.
void BM_CompareEqualModels(benchmark::State& state) {
  Big& b = big();
  CloseAllFolds(*b.w);
  FoldTreeModel m1, m2;
  m1.rebuildFor(*b.w);
  m2.rebuildFor(*b.w);
  for (auto _ : state) benchmark::DoNotOptimize(m1.sameAs(m2));
}
BENCHMARK(BM_CompareEqualModels)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
