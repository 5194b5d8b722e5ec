// The editor on a 1,000,000-line C file with nested folds: the fold
// commands over the whole file, and one typed character through the whole
// key path (translation, keyboard buffer, dispatcher, line editor, repaint
// and status line).
//
// The file comes from PLICATO_BIGFILE, or is made with gen_bigfile next to
// this program.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "app/batch.hpp"
#include "display/keytranslate.hpp"
#include "display/editorview.hpp"
#include "engine/navigation.hpp"
#include "benchutil.hpp"
#include "model/paths.hpp"

namespace {

using benchutil::bigFile;

struct Editor {
  Editor() {
    char tmpl[] = "/tmp/plicato-bench-cfg-XXXXXX";
    config = mkdtemp(tmpl);
    StartOptions o;
    o.configDir = config;
    session = std::make_unique<BatchSession>(o);
    doc = session->open(bigFile());
    if (!doc) std::abort();
  }
  EditorView& w() { return doc->window; }
  std::string config;
  std::unique_ptr<BatchSession> session;
  OpenDocument* doc = nullptr;
};

Editor& editor() {
  static Editor e;
  return e;
}

void BM_OpenAllFolds(benchmark::State& state) {
  Editor& e = editor();
  for (auto _ : state) {
    OpenAllFolds(e.w());
    state.PauseTiming();
    CloseAllFolds(e.w());
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenAllFolds)->Unit(benchmark::kMillisecond);

void BM_CloseAllFolds(benchmark::State& state) {
  Editor& e = editor();
  for (auto _ : state) {
    state.PauseTiming();
    OpenAllFolds(e.w());
    state.ResumeTiming();
    CloseAllFolds(e.w());
  }
}
BENCHMARK(BM_CloseAllFolds)->Unit(benchmark::kMillisecond);

void BM_GotoLastLine(benchmark::State& state) {
  Editor& e = editor();
  for (auto _ : state) {
    gotoLineNumber(e.w(), 999999);
    state.PauseTiming();
    CloseAllFolds(e.w());
    TopOfFold(e.w());
    state.ResumeTiming();
  }
}
BENCHMARK(BM_GotoLastLine)->Unit(benchmark::kMillisecond);

// One character typed into a line in the middle of the fully opened file.
void BM_TypeCharacterOpenFile(benchmark::State& state) {
  Editor& e = editor();
  OpenAllFolds(e.w());
  gotoLineNumber(e.w(), 500000);
  // The line is taken back to its length every so many characters, so that
  // each key is typed on a line of the usual length (a key's cost grows
  // with its line).
  constexpr int kRun = 64;
  int typed = 0;
  for (auto _ : state) {
    keyDown(e.w(), 'X', false);
    charMessage(e.w(), 'x');
    keyUp(e.w(), 'X');
    e.session->app().dispatch(*e.doc);
    if (++typed == kRun) {
      state.PauseTiming();
      for (; typed > 0; --typed) {
        keyDown(e.w(), 0x08, false);
        charMessage(e.w(), 0x08);
        keyUp(e.w(), 0x08);
        e.session->app().dispatch(*e.doc);
      }
      state.ResumeTiming();
    }
  }
  CloseAllFolds(e.w());
}
BENCHMARK(BM_TypeCharacterOpenFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
