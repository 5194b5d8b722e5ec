#include "tree/treeedit.hpp"

#include <algorithm>

#include "engine/layout.hpp"
#include "engine/viewmetrics.hpp"
#include "engine/blocks.hpp"
#include "engine/foldedit.hpp"
#include "engine/navigation.hpp"
#include "engine/undo.hpp"
#include "model/linestore.hpp"
#include "platform/host.hpp"
#include "tree/foldtree.hpp"

namespace {

// Where the cursor line goes on screen after the pane moved the editor:
// as after go to line, a few lines of context above it.
constexpr int kPickRow = 4;

// Walks the chain from `first` up to and including `last` in file order,
// into closed folds (not into a filed fold's listing).
bool reaches(const LineNode* first, const LineNode* last, const LineNode* node) {
  if (!node) return false;
  for (const LineNode* p = first; p;) {
    if (p == node) return true;
    if (p == last) return false;
    p = p->kind == ClosedFold && p->inner() ? p->inner() : p->next;
  }
  return false;
}

// Takes a unit (a text line or a closed fold) out of whatever chain holds
// it: the view, or the inner chain of a closed fold.
struct Unlinked {
  LineNode* prev = nullptr;
  bool wasInner = false;  // it was the first line inside prev
};

Unlinked unlinkUnit(LineNode* u) {
  Unlinked where{u->prev, false};
  LineNode* p = u->prev;
  LineNode* n = u->next;
  if (isClosedHeader(p) && p->inner() == u) {
    // A fold left empty keeps its end as its inner chain.
    where.wasInner = true;
    p->inner() = n;
    n->prev = p;
  } else {
    linkAfter(p, n);
  }
  u->prev = nullptr;
  u->next = nullptr;
  if (isClosedHeader(u) && u->partner()) u->partner()->next = nullptr;
  return where;
}

void relinkUnit(LineNode* u, const Unlinked& where) {
  LineNode* p = where.prev;
  if (where.wasInner) {
    LineNode* n = p->inner();
    p->inner() = u;
    u->prev = p;
    linkAfter(u, n);
  } else {
    LineNode* n = p->next;
    linkAfter(p, u);
    linkAfter(u, n);
  }
}

// Whether `line` lies inside the open fold `header` (its end included).
bool insideOpenFold(const LineNode* header, const LineNode* line) {
  for (const LineNode* q = header->next; q; q = q->next) {
    if (q == line) return true;
    if (q == header->partner()) break;
  }
  return false;
}

}  // namespace

bool headerInFile(const EditorView& w, const LineNode* node) {
  if (!node || !isHeader(node) || !w.doc.fileTop || !w.doc.fileTop->next) return false;
  return reaches(w.doc.fileTop->next, w.doc.fileBottom, node);
}

bool inView(const EditorView& w, const LineNode* node) {
  return w.doc.levelTop && reaches(viewFirst(w), w.doc.levelBottom, node);
}

bool showsEnteredFold(const EditorView& w) {
  return w.doc.levelTop && w.doc.levelTop != w.doc.fileTop && w.doc.levelTop->next &&
         w.doc.levelTop->next->kind == EnteredFold;
}

bool goToNode(EditorView& w, LineNode* header) {
  if (!headerInFile(w, header)) return false;
  while (!inView(w, header) && showsEnteredFold(w)) ExitFold(w);
  if (!inView(w, header)) return false;
  revealLine(w, header, kPickRow);
  return w.currentLine == header;
}

bool mayEditFromTree(EditorView& w) {
  if (w.browseMode) {
    w.host.statusMessage("Plicato browse mode!");
    return false;
  }
  if (w.createFoldMode) {
    w.host.statusMessage("Plicato key disabled during create fold");
    return false;
  }
  return true;
}

DropCheck checkDrop(const EditorView& w, const FoldTreeModel& model, int dragged, int target) {
  if (dragged < 0 || target < 0 || dragged >= model.size() || target >= model.size())
    return DropCheck::NotFound;
  if (dragged == target) return DropCheck::SameItem;
  if (!model.item(dragged).draggable) return DropCheck::NotDraggable;
  if (model.inSubtree(target, dragged)) return DropCheck::ParentOntoChild;
  const TreeItem& t = model.item(target);
  if (t.inFiledListing || !headerInFile(w, t.node) || !headerInFile(w, model.item(dragged).node))
    return DropCheck::NotFound;
  return DropCheck::Ok;
}

void reportDrop(Host& host, DropCheck check) {
  switch (check) {
    case DropCheck::ParentOntoChild:
      host.messageBox("Unable to drag a parent tree onto a child tree.", "Drag'n'drop",
                      MbButtons::Ok, MbIcon::Exclamation);
      break;
    case DropCheck::NotFound:
      host.messageBox("Can't find node to copy...", "Drag'n'drop", MbButtons::Ok,
                      MbIcon::Exclamation);
      break;
    default:
      break;
  }
}

bool dropFold(EditorView& w, LineNode* dragged, LineNode* target, DropAction action) {
  if (action == DropAction::Cancel || !dragged || !target || dragged == target) return false;
  if (!mayEditFromTree(w)) return false;
  ChangeScope step(w);
  // What the tree offers for dragging: a fold of the file that does not
  // hold the editor's view.
  if (!headerInFile(w, dragged) || !headerInFile(w, target) || dragged->kind == FileTop ||
      dragged->kind == EnteredFold)
    return false;
  if (w.markActive) w.clearMark();
  w.blockActive = false;
  w.foundLine = nullptr;

  // Onto the root or an entered fold the fold goes to the top of its
  // contents (which are the closed fold's inner chain once it is left).
  const bool intoTop = target->kind == FileTop || target->kind == EnteredFold;
  auto anchor = [&]() -> LineNode* {
    if (!intoTop) return target;
    return target->kind == ClosedFold ? target->inner() : target->next;
  };
  // Both ends of the move must be in the view for the cursor to reach them.
  while ((!inView(w, dragged) || !inView(w, anchor())) && showsEnteredFold(w)) ExitFold(w);
  LineNode* y = anchor();
  if (!y || !inView(w, dragged) || !inView(w, y)) return false;
  if (dragged->kind == EnteredFold) return false;  // it holds the view

  if (y->kind == FileTop || y->kind == EnteredFold) return false;  // would stand outside the view
  bool closed = false;
  if (dragged->kind == OpenFold) {
    if (insideOpenFold(dragged, y)) return false;  // the target is inside it
    if (insideOpenFold(dragged, w.currentLine)) {
      w.currentLine = dragged;
      w.curSubRow = 0;
    }
    if (insideOpenFold(dragged, w.topLine)) {
      w.topLine = dragged;
      w.topSubRow = 0;
    }
    close(dragged);
    w.computeRows(dragged);
    invalidateViewMetrics(w);
    closed = true;
  }
  // The view is drawn again when the drop ends without a change but closed
  // the dragged fold.
  auto unchanged = [&] {
    if (closed) {
      w.topLine = nullptr;
      PlaceCursor(w, w.cursorRow);
    }
    return false;
  };
  // Where it already stands a move changes nothing.
  if (action == DropAction::Move && (y == dragged || y == dragged->next)) return unchanged();

  LineNode* unit = nullptr;
  Unlinked where;
  if (action == DropAction::Copy) {
    if (!lineBudget(w.doc, unitNodeCount(dragged))) return unchanged();
    // Copied whole: not the one row that the cursor stands on in wrap mode.
    const int32_t subRow = w.curSubRow;
    if (w.currentLine == dragged) w.curSubRow = 0;
    unit = CopyLine(w, dragged);
    w.curSubRow = subRow;
    if (!unit) return unchanged();  // CopyLine said why
  }

  revealLine(w, y, kPickRow);
  if (w.currentLine != y) {
    if (unit) dispose(w.doc, unit);
    return unchanged();
  }
  if (action == DropAction::Move) {
    // The screen's top line may be the fold that goes; the window is
    // drawn again from the cursor once the fold is in its new place.
    if (w.topLine == dragged) {
      w.topLine = y;
      w.topSubRow = 0;
      w.cursorRow = 1;
    }
    where = unlinkUnit(dragged);
    unit = dragged;
  }
  if (!InsertNode(w, unit)) {
    // Never lose the fold: it goes back where it came from.
    if (action == DropAction::Move) relinkUnit(unit, where);
    else dispose(w.doc, unit);
    invalidateViewMetrics(w);
    w.topLine = nullptr;
    PlaceCursor(w, kPickRow);
    return false;
  }
  w.doc.markChanged();
  invalidateViewMetrics(w);
  w.topLine = nullptr;
  PlaceCursor(w, kPickRow);
  return true;
}

bool pasteAtFold(EditorView& w, LineNode* header, const std::string& text, bool below) {
  if (text.empty() || !mayEditFromTree(w)) return false;
  ChangeScope step(w);
  if (!goToNode(w, header)) return false;
  LineNode* at = nullptr;
  if (header->kind == FileTop || header->kind == EnteredFold)
    at = below ? header->partner() : header->next;
  else if (!below)
    at = header;
  else if (isClosedHeader(header))
    at = header->next;
  else
    at = header->partner() ? header->partner()->next : nullptr;
  if (!at || !inView(w, at)) return false;
  if (w.markActive) w.clearMark();
  w.blockActive = false;
  revealLine(w, at, w.cursorRow);
  if (w.currentLine != at) return false;
  const bool wasModified = w.doc.modified;
  w.doc.modified = false;
  // A cursor left of every character: the text goes in as lines of its
  // own above `at`, never into it.
  w.textColumn = 0;
  pasteText(w, text);
  w.textColumn = w.leftColumn + w.cursorCol + 1;
  const bool pasted = w.doc.modified;
  w.doc.modified = wasModified || pasted;
  invalidateViewMetrics(w);
  return pasted;
}

std::vector<MenuEntry> treeContextMenu(const EditorView& w, bool clipboardHasText) {
  const LineNode* cur = w.currentLine;
  const bool onClosed = cur && (cur->kind == ClosedFold || cur->kind == FiledFold);
  const bool outermost = w.doc.levelTop == w.doc.fileTop && !inFiledFile(w);
  return {
      {326, "Cut", true, false},
      {322, "Copy", true, false},
      {258, "Delete", true, false},
      {0, "", false, false},
      {327, "Paste", clipboardHasText, false},
      {kTreeMenuPasteBelow, "Paste below", clipboardHasText, false},
      {0, "", false, false},
      {263, "Enter fold", onClosed, false},
      {267, "Exit fold", !outermost, false},
      {297, "Open All Folds", w.canOpenAll, false},
      {334, "Close All Folds", w.canCloseAll, false},
  };
}
