// The fold tree pane's model on a 1,000,000-line C file with 999 blocks,
// ten parts in each and an inner fold in every part (20,979 folds): the
// rebuild after a structural command with every fold closed and with every
// fold open, and the selection of the fold around the file's last line
// (the longest walk back to an open header).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "display/stdiowindow.hpp"
#include "display/view.hpp"
#include "engine/navigation.hpp"
#include "model/foldreader.hpp"
#include "platform/batchhost.hpp"
#include "tree/foldtree.hpp"

namespace {

constexpr size_t kLines = 1000000;
constexpr int kItems = (kLines / 1000 - 1) * 21 + 1;

std::string makeFile(size_t n) {
  std::string out;
  out.reserve(n * 36);
  for (size_t i = 0; i + 1 < n; ++i) {
    if (i >= n - 1000) {
      out += "  counter += value * 3; /* tail */\n";
      continue;
    }
    const size_t k = i % 1000;
    const size_t h = k % 100;
    if (k == 0)
      out += "/*{{{  block " + std::to_string(i / 1000) + "*/\n";
    else if (k == 999)
      out += "/*}}}*/\n";
    else if (h == 1)
      out += "/*{{{  part*/\n";
    else if (h == 10)
      out += "/*{{{  inner*/\n";
    else if (h == 60 || h == 98)
      out += "/*}}}*/\n";
    else
      out += "  counter += value * 3; /* work */\n";
  }
  out += "int last_line;\n";
  return out;
}

struct Big {
  BatchHost host;
  std::unique_ptr<TStdioWindow> w;

  Big() {
    setProcessHost(&host);
    char tmpl[] = "/tmp/plicato-bench-tree-XXXXXX";
    const int fd = mkstemp(tmpl);
    if (fd < 0) std::abort();
    const std::string path = tmpl;
    const std::string text = makeFile(kLines);
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
    close(fd);
    w = std::make_unique<TStdioWindow>(host, path);
    w->setCommentStart("/*");
    w->setCommentEnd("*/");
    w->setFileTypeName("C");
    w->nameGiven = true;
    w->pendingName = path;
    buildFileChain(*w);
    read(*w, nullptr, w->levelTop->next, w->levelBottom, true);
    finishFileChain(*w);
    unlink(path.c_str());
    if (w->ioStatus == 2) std::abort();
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
  const LineNode* last = b.w->levelBottom->prev;
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
