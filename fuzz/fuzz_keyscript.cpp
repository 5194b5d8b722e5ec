// The key script of batch mode: any bytes as the text after --keys. A
// script that parses is typed into an editor window holding a file with
// nested, COMMENT and filed folds, in the layout byte 0 chooses, with a few
// answers for the dialogs it opens. Whatever the keys do, the program must
// not end, the window's view must stay sound and the file on disk (saved
// or not) must read back as a sound tree.
//
// The fuzzer runs as whoever started it, so no key may reach a file
// outside the scratch directory: the session runs there, "/" and "\" are
// taken out of the script (the sample has neither, so no fold title can
// name another directory), and the answers are plain names.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "app/batch.hpp"
#include "commands/macros.hpp"
#include "display/editorview.hpp"
#include "engine/search.hpp"
#include "fuzzsupport.hpp"
#include "model/settings.hpp"

namespace {

constexpr size_t kMaxStrokes = 400;

const char* kSample =
    "PROC main ()\r\n"
    "  --{{{  declarations\r\n"
    "  INT x, y:\r\n"
    "  --{{{  inner\r\n"
    "  x := 1\r\n"
    "  --}}}\r\n"
    "  --}}}\r\n"
    "  --{{{  COMMENT why\r\n"
    "  --a note\r\n"
    "  --}}}\r\n"
    "  --{{{F part.occ\r\n"
    "  --:::F part.occ\r\n"
    "  y := 2\r\n"
    "  --}}}\r\n"
    "  SKIP\r\n"
    ":\r\n";

class InScratch {
 public:
  InScratch() {
    if (!::getcwd(old_, sizeof old_) || ::chdir(scratchDir().c_str()) != 0) std::abort();
  }
  ~InScratch() {
    if (::chdir(old_) != 0) std::abort();
  }

 private:
  char old_[4096];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzInit();
  if (size < 1) return 0;
  std::string script;
  for (size_t i = 1; i < size; ++i)
    if (data[i] != '/' && data[i] != '\\') script += static_cast<char>(data[i]);
  auto strokes = parseKeyScript(script, nullptr);
  if (!strokes || strokes->size() > kMaxStrokes) return 0;

  InScratch here;
  const std::string path = writeScratch("main.occ", kSample);
  writeScratch("part.occ", "y := 2\r\n");

  StartOptions options;
  options.layout = (data[0] & 1) ? kLayoutWindows : kLayoutStandard;
  {
    BatchSession session(options, 12 + data[0] % 8, 40);
    // No macros from earlier runs, and none written anywhere.
    session.ctx.macros.clear();
    session.ctx.macros.setFileName("");
    session.host.setExitHook([&](int code) {
      std::fprintf(stderr, "fuzz: the editor tried to end with code %d\n", code);
      for (const auto& e : session.host.events())
        std::fprintf(stderr, "  [%s] %s\n", e.caption.c_str(), e.text.c_str());
      std::abort();
    });
    // The dialogs' answers in turn: a search text, a line number, a macro
    // number, a file name, yes and no.
    for (const char* a : {"x", "3", "1", "copy.occ", "yes", "no", "y", "2"})
      session.host.queueAnswer(a);
    session.open(path);
    session.type(script);
    session.run();
    if (EditorView* w = session.target()) checkView(w->doc);
  }
  checkFile({"--", "", "occam2", ".occ"}, path);
  return 0;
}
