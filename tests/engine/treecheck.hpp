// Invariants of a window's fold tree, for the fold editing tests: every
// chain's back links, header and end partners, closed headers' inner
// chains ending at their ends, and the dispose list's chain. Each returns
// a description of the first faults found, empty when the tree is sound.
#pragma once

#include <string>
#include <vector>

#include "display/editorview.hpp"
#include "model/linenode.hpp"

namespace treecheck {

constexpr int kMaxNodes = 1 << 20;

inline std::string where(const LineNode* n) {
  return "[" + std::string(n && n->text ? n->text : "<null>") + "]";
}

// The chain from `first` by next up to `stop` (excluded) is one level: back
// links agree, open headers meet their ends in it, closed folds hold sound
// inner chains that end at their partners.
inline void checkChain(const LineNode* first, const LineNode* stop, std::string& out,
                       int depth = 0) {
  if (depth > 200) {
    out += "nesting too deep\n";
    return;
  }
  std::vector<const LineNode*> open;
  int guard = 0;
  for (const LineNode* p = first; p != stop; p = p->next) {
    if (!p) {
      out += "chain ends before its stop\n";
      return;
    }
    if (++guard > kMaxNodes) {
      out += "chain does not end\n";
      return;
    }
    if (p->next && p->next->prev != p) out += "prev of the line after " + where(p) + " is wrong\n";
    if (p->mark) out += "mark left on " + where(p) + "\n";
    if (isClosedHeader(p)) {
      const LineNode* e = p->partner();
      if (!e || e->kind != FoldEnd || e->partner() != p) {
        out += "closed header " + where(p) + " has no matching end\n";
        continue;
      }
      if (e->next != p->next) out += "end of " + where(p) + " does not point after the fold\n";
      if (!p->inner()) {
        out += "closed header " + where(p) + " has no inner chain\n";
        continue;
      }
      if (p->inner()->prev != p) out += "first inner line of " + where(p) + " does not point back\n";
      // Inner chain: runs by next to the end; the end is part of it.
      checkChain(p->inner(), e, out, depth + 1);
    } else if (p->kind == OpenFold) {
      open.push_back(p);
    } else if (p->kind == FoldEnd) {
      if (open.empty()) {
        out += "fold end without open header after " + where(p->prev) + "\n";
      } else {
        if (p->partner() != open.back() || open.back()->partner() != p)
          out += "open fold " + where(open.back()) + " is paired wrongly\n";
        open.pop_back();
      }
    }
  }
  for (const LineNode* h : open) out += "open fold " + where(h) + " has no end in its chain\n";
}

// The view from the window's first shown line to its end line.
inline std::string checkView(const EditorView& w) {
  std::string out;
  const LineNode* header = w.doc.levelTop->next;
  if (!header || header->prev != w.doc.levelTop) out += "view head link broken\n";
  if (!header || header->partner() != w.doc.levelBottom || w.doc.levelBottom->partner() != header)
    out += "view header and end are not partners\n";
  if (header) checkChain(header->next, w.doc.levelBottom, out);
  return out;
}

// The dispose list: a chain by next from its head to its tail.
inline std::string checkDisposeList(const EditorView& w) {
  std::string out;
  int guard = 0;
  const LineNode* p = w.doc.disposeHead;
  while (p != w.doc.disposeTail) {
    if (!p->next) return "dispose list ends before its tail\n";
    if (p->next->prev != p) out += "dispose list back link broken\n";
    p = p->next;
    if (++guard > kMaxNodes) return "dispose list does not end\n";
  }
  if (w.doc.disposeTail->next) out += "dispose tail has a next\n";
  return out;
}

inline std::string check(const EditorView& w) { return checkView(w) + checkDisposeList(w); }

// A unit outside the view (a slot, a copy): a text line or a sound fold.
inline std::string checkUnit(const LineNode* unit) {
  std::string out;
  if (isClosedHeader(unit)) {
    const LineNode* e = unit->partner();
    if (!e || e->partner() != unit || e->kind != FoldEnd) return "unit's end is not its partner\n";
    if (e->next != unit->next) out += "unit's end does not point after it\n";
    checkChain(unit->inner(), e, out, 1);
  } else if (unit->kind != TextLine) {
    out += "unit is neither a text line nor a closed fold\n";
  }
  return out;
}

}  // namespace treecheck
