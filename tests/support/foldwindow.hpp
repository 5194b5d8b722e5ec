// Windows over fold files set up and read the way the editor's window
// set-up does, and fold trees built by hand. Header-only and free of the
// test framework, so that the benchmarks and the fuzz seed writer use the
// same set-up as the tests.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "model/fileidentity.hpp"
#include "engine/fileio.hpp"
#include "model/foldreader.hpp"
#include "model/linestore.hpp"

namespace foldtest {

// Lines joined with LF.
inline std::string lfLines(const std::vector<std::string>& v) {
  std::string out;
  for (const auto& l : v) out += l + "\n";
  return out;
}

// The comment convention and file type given, and the empty file chain.
inline void prepare(LineStore& w, const std::string& cs, const std::string& ce,
                    const std::string& type) {
  w.setCommentStart(cs);
  w.setCommentEnd(ce);
  w.setFileTypeName(type);
  buildFileChain(w);
}

inline std::unique_ptr<LineStore> newWindow(ModelContext& ctx, const std::string& cs,
                                            const std::string& ce, const std::string& type) {
  auto w = std::make_unique<LineStore>(ctx);
  prepare(*w, cs, ce, type);
  return w;
}

// Reads `path` as the window's own file.
inline void open(LineStore& w, const std::string& path) {
  w.nameGiven = true;
  w.pendingName = path;
  const FileIdentity seen = identityOf(path);
  read(w, nullptr, w.levelTop->next, w.levelBottom, true);
  rememberRead(w, seen);
  finishFileChain(w);
}

// Reads `path` as the window's own file and shows its top level with the
// cursor on the first line.
inline void openShown(EditorView& w, const std::string& path) {
  open(w.doc, path);
  w.topLine = nullptr;
  PlaceCursor(w, 2);
}

// A window over the C file at `path`, read and showing its top level.
inline std::unique_ptr<EditorView> openC(EngineContext& ctx, const std::string& path) {
  auto w = std::make_unique<EditorView>(ctx, path);
  prepare(w->doc, "/*", "*/", "C");
  openShown(*w, path);
  return w;
}

inline LineNode* root(LineStore& w) { return w.fileBottom->partner(); }

// Building trees by hand: a cursor that appends to a level.
struct Builder {
  LineStore& w;
  LineNode* last;

  LineNode* text(const std::string& t) {
    LineNode* n = newLineNode(w);
    assign(*n, t.c_str());
    linkAfter(last, n);
    last = n;
    return n;
  }
  // Appends a closed fold; `fill` adds its contents through a nested Builder.
  template <typename F>
  LineNode* fold(const std::string& title, LineKind kind, int marker, F fill, uint32_t type = 0,
                 uint32_t contents = 1, const std::string& fileName = "") {
    LineNode* h = newLineNode(w);
    LineNode* e = newLineNode(w);
    assign(*h, title.c_str());
    assign(*e, fileName.c_str());
    e->kind = FoldEnd;
    h->markerColumn() = marker;
    h->foldType() = type;
    h->foldContents() = contents;
    h->partner() = e;
    e->partner() = h;
    Builder inside{w, h};
    fill(inside);
    // h is still a plain line here, so its next is the first inner node.
    linkAfter(inside.last, e);
    h->inner() = h->next;
    h->kind = kind;
    linkAfter(last, h);
    last = h;
    return h;
  }
  void close(LineNode* end) { linkAfter(last, end); }
};

// A builder at the top of an empty window's file.
inline Builder top(LineStore& w) { return Builder{w, root(w)}; }
inline void finish(LineStore& w, Builder& b) {
  b.close(w.levelBottom);
  finishFileChain(w);
}

}  // namespace foldtest
