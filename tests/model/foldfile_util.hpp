// Helpers shared by the fold file tests: windows set up as the editor sets
// them up, a readable dump of a tree, and building trees by hand.
#pragma once

#include <memory>
#include <string>

#include "model/foldreader.hpp"
#include "model/foldwriter.hpp"
#include "model/linestore.hpp"

namespace foldtest {

inline std::unique_ptr<LineStore> newWindow(Host& host, const std::string& cs,
                                            const std::string& ce, const std::string& type) {
  auto w = std::make_unique<LineStore>(host);
  w->setCommentStart(cs);
  w->setCommentEnd(ce);
  w->setFileTypeName(type);
  buildFileChain(*w);
  return w;
}

// Reads `path` as the window's own file, the way window set-up does.
inline void open(LineStore& w, const std::string& path) {
  w.nameGiven = true;
  w.pendingName = path;
  read(w, nullptr, w.levelTop->next, w.levelBottom, true);
  finishFileChain(w);
}

inline LineNode* root(LineStore& w) { return w.fileBottom->partner; }

inline void save(LineStore& w) { Save(w, w.fileBottom, root(w)); }

inline const char* kindName(const LineNode* n) {
  switch (n->kind) {
    case TextLine: return "T";
    case FiledFold: return "FILED";
    case ClosedFold: return "FOLD";
    case FoldEnd: return "END";
    case OpenFold: return "OPEN";
    default: return "?";
  }
}

inline std::string stripped(const char* t) {
  std::string s(t);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// One line per node of a level, nested levels indented; trailing blanks of
// texts are left out, since no written line keeps them.
inline void dumpLevel(const LineNode* first, const LineNode* stop, int depth, std::string& out) {
  for (const LineNode* p = first; p && p != stop; p = p->next) {
    out.append(static_cast<size_t>(depth) * 2, ' ');
    out += kindName(p);
    out += " i=" + std::to_string(p->indent);
    if (isClosedHeader(p)) {
      out += " m=" + std::to_string(p->markerColumn) + " t=" + std::to_string(p->foldType) +
             " c=" + std::to_string(p->foldContents);
    }
    out += " [" + (p->kind == TextLine ? stripped(p->text) : std::string(p->text)) + "]";
    if (isClosedHeader(p)) {
      if (p->partner->partner != p) out += " BADPARTNER";
      if (p->partner->next != p->next) out += " BADENDNEXT";
      if (p->kind == FiledFold) out += " -> [" + std::string(p->partner->text) + "]";
      out += "\n";
      dumpLevel(p->inner, p->partner, depth + 1, out);
    } else {
      out += "\n";
    }
    if (p->next && p->next->prev != p) out += "BADPREV\n";
  }
}

inline std::string dump(LineStore& w) {
  std::string out;
  dumpLevel(root(w)->next, root(w)->partner, 0, out);
  return out;
}

// Building trees by hand: a cursor that appends to a level.
struct Builder {
  LineStore& w;
  LineNode* last;

  LineNode* text(const std::string& t) {
    LineNode* n = proc_new(w);
    assign(*n, t.c_str());
    linkAfter(last, n);
    last = n;
    return n;
  }
  // Appends a closed fold; `fill` adds its contents through a nested Builder.
  template <typename F>
  LineNode* fold(const std::string& title, uint8_t kind, int marker, F fill, uint32_t type = 0,
                 uint32_t contents = 1, const std::string& fileName = "") {
    LineNode* h = proc_new(w);
    LineNode* e = proc_new(w);
    assign(*h, title.c_str());
    assign(*e, fileName.c_str());
    e->kind = FoldEnd;
    h->markerColumn = marker;
    h->foldType = type;
    h->foldContents = contents;
    h->partner = e;
    e->partner = h;
    Builder inside{w, h};
    fill(inside);
    // h is still a plain line here, so its next is the first inner node.
    linkAfter(inside.last, e);
    h->inner = h->next;
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
