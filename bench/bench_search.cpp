// Search and replace on a 1,000,000-line C file whose folds are nested
// three deep and all closed: a forward search for a word on the last line,
// and a replace-all of a word that stands on every 100th line.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/context.hpp"
#include "benchutil.hpp"
#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "engine/navigation.hpp"
#include "engine/search.hpp"
#include "platform/batchhost.hpp"

namespace {

constexpr size_t kLines = 1000000;

struct Big {
  BatchHost host;
  EditorContext ctx{host};
  std::unique_ptr<EditorView> w;

  Big() {
    setProcessHost(&host);
    // "replace_me" on line 50 of every hundred, the needle on the last line.
    const std::string text = benchutil::nestedBlocks(kLines, 0, "  replace_me = compute(value);\n",
                                                     "int needle_at_the_end;\n");
    w = benchutil::readTempC(ctx, text, "/tmp/plicato-bench-search-XXXXXX");
    reset();
  }

  // Every fold closed, the cursor on the first line.
  void reset() {
    CloseAllFolds(*w);
    w->doc.currentLine = viewFirst(*w)->next;
    w->curSubRow = 0;
    w->leftColumn = 0;
    w->cursorCol = 0;
    w->textColumn = 1;
    w->topLine = nullptr;
    PlaceCursor(*w, 2);
    host.clearEvents();
  }
};

// Lines of the whole file whose text holds the word.
size_t linesHolding(EditorView& w, const char* word) {
  size_t count = 0;
  for (LineNode* n = w.doc.fileTop; n; n = nextInFile(n)) {
    if (n->kind != FoldEnd && n->text && std::strstr(n->text, word)) ++count;
    if (n == w.doc.fileBottom) break;
  }
  return count;
}

Big& big() {
  static Big b;
  return b;
}

void searchLastLine(benchmark::State& state, const char* answer) {
  Big& b = big();
  for (auto _ : state) {
    b.host.queueAnswer(answer);
    searchCommand(*b.w, {b.w.get()});
    state.PauseTiming();
    if (!b.ctx.search.found || b.w->doc.currentLine->next != b.w->doc.levelBottom) {
      state.SkipWithError("the needle was not found on the last line");
      break;
    }
    b.reset();
    state.ResumeTiming();
  }
}

void BM_SearchLastLine(benchmark::State& state) {
  searchLastLine(state, "text=needle_at_the_end;case=on");
}
BENCHMARK(BM_SearchLastLine)->Unit(benchmark::kMillisecond);

void BM_SearchLastLineIgnoringCase(benchmark::State& state) {
  searchLastLine(state, "text=NEEDLE_at_the_END;case=off");
}
BENCHMARK(BM_SearchLastLineIgnoringCase)->Unit(benchmark::kMillisecond);

// Each round replaces the 10,000 words and the next one puts them back.
void BM_ReplaceAllEveryHundredthLine(benchmark::State& state) {
  Big& b = big();
  bool forth = true;
  for (auto _ : state) {
    b.host.queueAnswer(forth ? "text=replace_me;replace=replaced_x;mode=all;case=on"
                             : "text=replaced_x;replace=replace_me;mode=all;case=on");
    b.host.queueAnswer("ok");
    replaceCommand(*b.w, {b.w.get()});
    state.PauseTiming();
    if (linesHolding(*b.w, forth ? "replaced_x" : "replace_me") != kLines / 100) {
      state.SkipWithError("the replace did not take every word");
      break;
    }
    forth = !forth;
    b.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReplaceAllEveryHundredthLine)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
