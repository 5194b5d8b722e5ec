// Search and replace on a 1,000,000-line C file whose folds are nested
// three deep and all closed: a forward search for a word on the last line,
// and a replace-all of a word that stands on every 100th line; the undo
// and redo of a replace-all of every tenth line.
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
#include "engine/undo.hpp"
#include "model/history.hpp"
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
    w->currentLine = viewFirst(*w)->next;
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
    if (!b.ctx.search.found || b.w->currentLine->next != b.w->doc.levelBottom) {
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

// The same file with the word on every tenth line: a replace-all that
// changes 100,000 lines, undone and redone.
struct Tenth {
  BatchHost host;
  EditorContext ctx{host};
  std::unique_ptr<EditorView> w;
  bool replaced = false;

  Tenth() {
    setProcessHost(&host);
    const std::string text = benchutil::nestedBlocks(kLines, 0, "  replace_me = compute(value);\n",
                                                     "int the_end;\n", 10);
    w = benchutil::readTempC(ctx, text, "/tmp/plicato-bench-undo-XXXXXX");
  }

  // The replace-all as the dispatcher runs it: one step of the history.
  void replaceAll() {
    host.queueAnswer("text=replace_me;replace=replaced_x;mode=all;case=on");
    host.queueAnswer("ok");
    ChangeScope step(*w);
    replaceCommand(*w, {w.get()});
  }
  bool holds(const char* word) { return linesHolding(*w, word) == kLines / 10; }
};

Tenth& tenth() {
  static Tenth t;
  return t;
}

void BM_UndoReplaceAllOfATenthOfTheLines(benchmark::State& state) {
  Tenth& t = tenth();
  for (auto _ : state) {
    state.PauseTiming();
    if (!t.replaced) t.replaceAll();
    if (!t.holds("replaced_x")) {
      state.SkipWithError("the replace did not take every word");
      break;
    }
    state.counters["history MiB"] = double(t.w->doc.history().bytes()) / (1 << 20);
    state.ResumeTiming();
    undoCommand(*t.w);
    state.PauseTiming();
    t.replaced = false;
    if (!t.holds("replace_me")) {
      state.SkipWithError("the undo did not give every word back");
      break;
    }
    redoCommand(*t.w);  // the next round undoes the same step again
    t.replaced = true;
    state.ResumeTiming();
  }
}
BENCHMARK(BM_UndoReplaceAllOfATenthOfTheLines)->Unit(benchmark::kMillisecond);

void BM_RedoReplaceAllOfATenthOfTheLines(benchmark::State& state) {
  Tenth& t = tenth();
  for (auto _ : state) {
    state.PauseTiming();
    if (!t.replaced) t.replaceAll();
    undoCommand(*t.w);
    state.ResumeTiming();
    redoCommand(*t.w);
    state.PauseTiming();
    if (!t.holds("replaced_x")) {
      state.SkipWithError("the redo did not take every word");
      break;
    }
    t.replaced = true;
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RedoReplaceAllOfATenthOfTheLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
