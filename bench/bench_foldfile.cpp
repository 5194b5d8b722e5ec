// Reading and writing the 1,000,000-line C file with nested folds.
//
// The file is $PLICATO_BENCH_FILE, else the build's big.c (make bench makes
// it), else /tmp/plicato-bench-big.c, generated when missing. Besides the
// times, the read reports the memory the process grew by against what the
// line store itself holds (nodes and their text buffers).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <malloc.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "bigfile.hpp"
#include "engine/fileio.hpp"
#include "model/foldwriter.hpp"
#include "model/linestore.hpp"
#include "support/foldwindow.hpp"
#include "model/paths.hpp"
#include "platform/batchhost.hpp"

namespace {

constexpr long kLines = 1000000;

std::string bigFile() {
  if (const char* e = std::getenv("PLICATO_BENCH_FILE"); e && *e) return e;
  std::string made = joinPath(dirName(programDir()), "big.c");  // make bench writes it
  if (fileExists(made)) return made;
  std::string p = "/tmp/plicato-bench-big.c";
  if (!fileExists(p) && !bigfile::generate(p, kLines)) std::fprintf(stderr, "cannot write %s\n", p.c_str());
  return p;
}

// A host that keeps nothing: the benchmark must not measure a growing log.
class QuietHost : public BatchHost {
 public:
  void statusMessage(const std::string&) override {}
  void addRecentFile(const std::string&) override {}
};

std::unique_ptr<LineStore> newWindow(ModelContext& ctx) {
  return foldtest::newWindow(ctx, "/*", "*/", "C");
}

void readInto(LineStore& w, const std::string& path) { foldtest::open(w, path); }

// One round's read into a fresh window, only the read itself timed; the
// clock is stopped on return, for what the caller does with the window.
std::unique_ptr<LineStore> timedRead(benchmark::State& state, ModelContext& ctx,
                                     const std::string& path) {
  state.PauseTiming();
  auto w = newWindow(ctx);
  state.ResumeTiming();
  readInto(*w, path);
  state.PauseTiming();
  if (w->ioStatus != 0) state.SkipWithError("read failed");
  return w;
}

// Bytes the line store holds: every node made and every text buffer.
double storeBytes(const LineStore& w) {
  double bytes = static_cast<double>(w.nodesMade()) * sizeof(LineNode) +
                 static_cast<double>(foldfields::bytesInUse());
  auto add = [&](const LineNode* n) { bytes += static_cast<double>(capacity(*n)); };
  // Every node of the file: into every closed header, else along next.
  for (const LineNode* n = w.fileTop; n; n = isClosedHeader(n) ? n->inner() : n->next) add(n);
  add(w.disposeHead);
  for (const LineNode* b : w.buffers) add(b);
  return bytes;
}

double residentBytes() {
  long pages = 0, resident = 0;
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (f) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

double peakBytes() {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_maxrss) * 1024.0;
}

void BM_ReadFoldFile(benchmark::State& state) {
  QuietHost host;
  ModelContext ctx(host);
  setProcessHost(&host);
  std::string path = bigFile();
  double store = 0, before = residentBytes(), grown = 0;
  long nodes = 0;
  for (auto _ : state) {
    auto w = timedRead(state, ctx, path);
    store = storeBytes(*w);
    nodes = static_cast<long>(w->nodesMade());
    grown = peakBytes() - before;
    w.reset();
    state.ResumeTiming();
  }
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["storeMB"] = store / 1e6;
  state.counters["grownMB"] = grown / 1e6;
  state.counters["overStore%"] = store > 0 ? (grown / store - 1.0) * 100.0 : 0;
  setProcessHost(nullptr);
}
BENCHMARK(BM_ReadFoldFile)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same read into memory the process already has (the heap keeps what a
// closed window gave back): what the reader itself costs, without the
// kernel's first touch of some 600 MB of fresh pages.
void BM_ReadFoldFileReusedMemory(benchmark::State& state) {
  QuietHost host;
  ModelContext ctx(host);
  setProcessHost(&host);
  std::string path = bigFile();
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  {
    auto w = newWindow(ctx);
    readInto(*w, path);
  }
  for (auto _ : state) {
    auto w = timedRead(state, ctx, path);
    w.reset();
    state.ResumeTiming();
  }
  setProcessHost(nullptr);
}
BENCHMARK(BM_ReadFoldFileReusedMemory)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_WriteFoldFile(benchmark::State& state) {
  QuietHost host;
  ModelContext ctx(host);
  setProcessHost(&host);
  auto w = newWindow(ctx);
  readInto(*w, bigFile());
  std::string out = "/tmp/plicato-bench-out-" + std::to_string(getpid()) + ".c";
  assign(*w->fileBottom, out.c_str());
  for (auto _ : state) {
    Save(*w, w->fileBottom, w->fileBottom->partner());
    if (w->ioStatus != 0) state.SkipWithError("write failed");
  }
  ::unlink(out.c_str());
  setProcessHost(nullptr);
}
BENCHMARK(BM_WriteFoldFile)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
