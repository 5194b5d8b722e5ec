// How the costs grow with the file: reading, writing, opening every fold,
// a search to the end and a replace-all, each on the big C file at 10^4,
// 10^5 and 10^6 lines. Google Benchmark fits each family to a complexity
// (the BigO and RMS rows), and items_per_second counts lines: a cost that
// grows faster than the file shows as a falling rate and a fit above O(N).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

#include "app/batch.hpp"
#include "bigfile.hpp"
#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "engine/navigation.hpp"
#include "engine/search.hpp"
#include "engine/fileio.hpp"
#include "model/foldwriter.hpp"
#include "model/paths.hpp"
#include "platform/batchhost.hpp"
#include "support/foldwindow.hpp"

namespace {

// The file of `lines` lines, written once per process run and kept in /tmp
// for the next one.
const std::string& fileOf(long lines) {
  static std::map<long, std::string> files;
  auto it = files.find(lines);
  if (it != files.end()) return it->second;
  std::string path = "/tmp/plicato-bench-growth-" + std::to_string(lines) + ".c";
  if (!fileExists(path) && !bigfile::generate(path, lines)) std::abort();
  return files[lines] = path;
}

// A host that keeps nothing: the figures must not include a growing log.
class QuietHost : public BatchHost {
 public:
  void statusMessage(const std::string&) override {}
  void addRecentFile(const std::string&) override {}
};

// The file opened in the editor the way the batch program opens it (read,
// highlighting states, the top level shown). One size at a time is kept:
// the families run their sizes in turn.
struct Opened {
  std::string config;
  std::unique_ptr<BatchSession> session;
  OpenDocument* doc = nullptr;
  long lines = 0;

  EditorView& w() { return doc->window; }
  ~Opened() { drop(); }
  void drop() {
    doc = nullptr;
    session.reset();
    if (!config.empty()) std::system(("rm -rf '" + config + "'").c_str());
    config.clear();
  }
};

EditorView& openedWith(long lines) {
  static Opened o;
  if (o.doc && o.lines == lines) return o.w();
  o.drop();
  char tmpl[] = "/tmp/plicato-bench-growth-cfg-XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  o.config = tmpl;
  StartOptions options;
  options.configDir = o.config;
  o.session = std::make_unique<BatchSession>(options);
  o.doc = o.session->open(fileOf(lines));
  if (!o.doc) std::abort();
  o.lines = lines;
  return o.w();
}

// Every fold closed, the cursor on the first line.
void resetView(EditorView& w) {
  CloseAllFolds(w);
  w.currentLine = viewFirst(w)->next;
  w.curSubRow = 0;
  w.leftColumn = 0;
  w.cursorCol = 0;
  w.textColumn = 1;
  w.topLine = nullptr;
  PlaceCursor(w, 2);
}

void perLine(benchmark::State& state) {
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Read(benchmark::State& state) {
  QuietHost host;
  ModelContext ctx(host);
  setProcessHost(&host);
  const std::string& path = fileOf(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto w = foldtest::newWindow(ctx, "/*", "*/", "C");
    state.ResumeTiming();
    foldtest::open(*w, path);
    state.PauseTiming();
    if (w->ioStatus != 0) state.SkipWithError("read failed");
    w.reset();
    state.ResumeTiming();
  }
  perLine(state);
  setProcessHost(nullptr);
}

void BM_Write(benchmark::State& state) {
  QuietHost host;
  ModelContext ctx(host);
  setProcessHost(&host);
  auto w = foldtest::newWindow(ctx, "/*", "*/", "C");
  foldtest::open(*w, fileOf(state.range(0)));
  const std::string out = "/tmp/plicato-bench-growth-out-" + std::to_string(getpid()) + ".c";
  assign(*w->fileBottom, out.c_str());
  for (auto _ : state) {
    Save(*w, w->fileBottom, w->fileBottom->partner());
    if (w->ioStatus != 0) state.SkipWithError("write failed");
  }
  ::unlink(out.c_str());
  perLine(state);
  setProcessHost(nullptr);
}

void BM_OpenAllFolds(benchmark::State& state) {
  EditorView& w = openedWith(state.range(0));
  for (auto _ : state) {
    OpenAllFolds(w);
    state.PauseTiming();
    resetView(w);
    state.ResumeTiming();
  }
  perLine(state);
}

// "the end" stands once, 0-50 lines before the file's end, outside the
// folds; every fold is closed.
void BM_SearchToTheEnd(benchmark::State& state) {
  EditorView& w = openedWith(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    resetView(w);
    auto& host = static_cast<BatchHost&>(w.host);  // the session's
    host.clearEvents();
    host.queueAnswer("text=the end;case=on");
    state.ResumeTiming();
    searchCommand(w, {&w});
    if (!w.ctx.search.found) state.SkipWithError("the end was not found");
  }
  perLine(state);
}

// ", 42)" stands on one code line in 97: each round replaces every one and
// the next puts them back, all folds closed at the start; forward from the
// first line, or backward from the end.
void replaceAll(benchmark::State& state, bool backward) {
  EditorView& w = openedWith(state.range(0));
  bool forth = true;
  const std::string options = std::string(";mode=all;case=on;backward=") + (backward ? "on" : "off");
  for (auto _ : state) {
    state.PauseTiming();
    resetView(w);
    if (backward) w.currentLine = w.doc.levelBottom;
    auto& host = static_cast<BatchHost&>(w.host);  // the session's
    host.clearEvents();
    host.queueAnswer((forth ? "text=, 42);replace=, 4200)" : "text=, 4200);replace=, 42)") + options);
    host.queueAnswer("ok");
    state.ResumeTiming();
    replaceCommand(w, {&w});
    forth = !forth;
  }
  perLine(state);
}

void BM_ReplaceAll(benchmark::State& state) { replaceAll(state, false); }
void BM_ReplaceAllBackward(benchmark::State& state) { replaceAll(state, true); }

void sizes(benchmark::internal::Benchmark* b) {
  b->RangeMultiplier(10)->Range(10000, 1000000)->Unit(benchmark::kMillisecond)->Complexity();
}

BENCHMARK(BM_Read)->Apply(sizes);
BENCHMARK(BM_Write)->Apply(sizes);
BENCHMARK(BM_OpenAllFolds)->Apply(sizes);
BENCHMARK(BM_SearchToTheEnd)->Apply(sizes);
BENCHMARK(BM_ReplaceAll)->Apply(sizes);
BENCHMARK(BM_ReplaceAllBackward)->Apply(sizes);

}  // namespace

BENCHMARK_MAIN();
