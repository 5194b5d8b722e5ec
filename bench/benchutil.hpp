// What the benchmarks over a generated C file share: the file of nested
// blocks, and a file written to a temporary place and read into a window
// the way the editor reads it.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "model/paths.hpp"
#include "support/foldwindow.hpp"

namespace benchutil {

// The 1M-line file the editor benchmarks open: PLICATO_BIGFILE, or one
// written once by gen_bigfile.
inline std::string bigFile() {
  if (const char* p = std::getenv("PLICATO_BIGFILE"); p && *p) return p;
  std::string path = "/tmp/plicato-bench-1m.c";
  if (!fileExists(path)) {
    std::string cmd = programDir() + "/gen_bigfile " + path + " 1000000";
    if (std::system(cmd.c_str()) != 0) std::abort();
  }
  return path;
}

// `n` lines of C in blocks of 1000, ten parts of 100 in each block and an
// inner fold in every part, with `lastLine` as the last line. The last
// `plainTail` lines before it stand outside every fold; line 50 of every
// hundred is `line50` when one is given (with `every` 10, line 5 of every
// ten).
inline std::string nestedBlocks(size_t n, size_t plainTail, const char* line50,
                                const char* lastLine, size_t every = 100) {
  std::string out;
  out.reserve(n * 36);
  for (size_t i = 0; i + 1 < n; ++i) {
    if (i + plainTail >= n) {
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
    else if (h % every == every / 2 && line50)
      out += line50;
    else
      out += "  counter += value * 3; /* work */\n";
  }
  out += lastLine;
  return out;
}

// `text` written to a fresh file made from `tmpl` (a mkstemp pattern),
// read into a C window, and removed again. Aborts when it cannot be written
// or read: no figure would mean anything then.
inline std::unique_ptr<EditorView> readTempC(EngineContext& ctx, const std::string& text,
                                             std::string tmpl) {
  const int fd = mkstemp(tmpl.data());
  if (fd < 0) std::abort();
  if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) std::abort();
  close(fd);
  auto w = std::make_unique<EditorView>(ctx, tmpl);
  foldtest::prepare(w->doc, "/*", "*/", "C");
  foldtest::open(w->doc, tmpl);
  unlink(tmpl.c_str());
  if (w->doc.ioStatus == 2) std::abort();
  return w;
}

}  // namespace benchutil
