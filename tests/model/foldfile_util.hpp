// Helpers shared by the fold file tests: windows set up as the editor sets
// them up and trees built by hand (support/foldwindow.hpp), saving, and a
// readable dump of a tree.
#pragma once

#include <string>

#include "engine/fileio.hpp"
#include "model/foldwriter.hpp"
#include "support/foldwindow.hpp"

namespace foldtest {

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
      out += " m=" + std::to_string(p->markerColumn()) + " t=" + std::to_string(p->foldType()) +
             " c=" + std::to_string(p->foldContents());
    }
    out += " [" + (p->kind == TextLine ? stripped(p->text) : std::string(p->text)) + "]";
    if (isClosedHeader(p)) {
      if (p->partner()->partner() != p) out += " BADPARTNER";
      if (p->partner()->next != p->next) out += " BADENDNEXT";
      if (p->kind == FiledFold) out += " -> [" + std::string(p->partner()->text) + "]";
      out += "\n";
      dumpLevel(p->inner(), p->partner(), depth + 1, out);
    } else {
      out += "\n";
    }
    if (p->next && p->next->prev != p) out += "BADPREV\n";
  }
}

inline std::string dump(LineStore& w) {
  std::string out;
  dumpLevel(root(w)->next, root(w)->partner(), 0, out);
  return out;
}

}  // namespace foldtest
