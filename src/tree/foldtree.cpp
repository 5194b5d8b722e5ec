#include "tree/foldtree.hpp"

#include "display/editorview.hpp"
#include "model/linenode.hpp"
#include "model/paths.hpp"

namespace {

std::string textOf(const LineNode* n) { return n && n->text ? n->text : ""; }

}  // namespace

std::string itemText(const LineNode* header) {
  if (!header) return {};
  // A file's top line carries the title of the fold it was entered from
  // when it is a filed fold's file; its end line names the file.
  if (header->kind == FileTop && header->partner() && header->partner()->text &&
      header->partner()->text[0])
    return baseName(header->partner()->text);
  return textOf(header);
}

void FoldTreeModel::clear() {
  Guard guard(*this);
  items_.clear();
  index_.clear();
}

int FoldTreeModel::add(LineNode* node, int parent, TreeImage image, const std::string& iconFile) {
  TreeItem it;
  it.node = node;
  it.parent = parent;
  it.depth = parent < 0 ? 0 : items_[static_cast<size_t>(parent)].depth + 1;
  it.text = itemText(node);
  it.image = image;
  it.iconFile = iconFile;
  if (parent >= 0) it.inFiledListing = items_[static_cast<size_t>(parent)].inFiledListing ||
                                       items_[static_cast<size_t>(parent)].node->kind == FiledFold;
  it.draggable = parent >= 0 && node->kind != EnteredFold && node->kind != FileTop &&
                 !it.inFiledListing;
  items_.push_back(it);
  const int i = static_cast<int>(items_.size()) - 1;
  index_.emplace(node, i);
  return i;
}

void FoldTreeModel::Rebuild(LineNode* from, LineNode* to) {
  Guard guard(*this);
  items_.clear();
  index_.clear();
  if (!from) return;

  if (from->kind == FileTop)
    add(from, -1, TreeImage::Shell, textOf(from->partner()).empty() ? textOf(from) : textOf(from->partner()));
  else
    add(from, -1, TreeImage::Fold, "");
  items_[0].expanded = true;

  // The items still open, innermost last, with whether each stands for a
  // fold whose contents follow it in the chain (open or entered).
  struct Open {
    int item;
    bool inPlace;
  };
  std::vector<Open> stack{{0, true}};
  // The first node's contents follow it unless it is a closed fold.
  LineNode* p = isClosedHeader(from) ? (from->inner() ? from->inner() : from->partner()) : from->next;
  if (isClosedHeader(from)) stack.back().inPlace = false;
  while (p && p != to) {
    switch (p->kind) {
      case FiledFold: {
        const int i = add(p, stack.back().item, TreeImage::Shell, textOf(p->partner()));
        stack.push_back({i, false});
        p = p->inner() ? p->inner() : p->partner();
        continue;
      }
      case ClosedFold: {
        const int i = add(p, stack.back().item, TreeImage::Fold, "");
        stack.push_back({i, false});
        p = p->inner() ? p->inner() : p->partner();
        continue;
      }
      case OpenFold:
      case EnteredFold:
      case FileTop: {
        const int i = add(p, stack.back().item, TreeImage::Fold, "");
        stack.push_back({i, true});
        if (p->kind == EnteredFold)
          // The folds around an entered one hold the editor's view: none
          // of them may be dragged away.
          for (const Open& o : stack) items_[static_cast<size_t>(o.item)].draggable = false;
        break;
      }
      case FoldEnd:
        // A stray end (a damaged chain) closes nothing: the root stays.
        if (stack.size() > 1) {
          const Open o = stack.back();
          stack.pop_back();
          items_[static_cast<size_t>(o.item)].expanded = o.inPlace;
        }
        break;
      default:
        break;
    }
    p = p->next;
  }
}

void FoldTreeModel::rebuildFor(const EditorView& w) {
  if (!w.doc.fileTop || !w.doc.fileTop->next) {
    clear();
    return;
  }
  Rebuild(w.doc.fileTop->next, w.doc.fileBottom);
}

int FoldTreeModel::find(const LineNode* node) const {
  auto it = index_.find(node);
  return it == index_.end() ? -1 : it->second;
}

bool FoldTreeModel::inSubtree(int i, int ancestor) const {
  if (ancestor < 0) return false;
  for (; i >= 0; i = items_[static_cast<size_t>(i)].parent)
    if (i == ancestor) return true;
  return false;
}

int FoldTreeModel::itemForLine(const EditorView& w, const LineNode* line) const {
  if (items_.empty()) return -1;
  if (!line) return 0;
  if (int i = find(line); i >= 0 && isHeader(line)) return i;
  if (line->kind == FoldEnd && line->partner()) {
    if (int i = find(line->partner()); i >= 0) return i;
  }
  if (items_.size() == 1) return 0;
  // Back along the view to the open header that holds the line. Closed
  // folds are single lines of the view; an open fold met on the way ends
  // above the line, so it is passed from its end straight to its header.
  for (const LineNode* q = line->prev; q; q = q->prev) {
    if (q == w.doc.levelTop) break;
    if (q->kind == FoldEnd && q->partner()) {
      q = q->partner();
      continue;
    }
    if (q->kind == OpenFold || q->kind == EnteredFold || q->kind == FileTop) {
      const int i = find(q);
      return i >= 0 ? i : 0;
    }
  }
  return 0;
}

int FoldTreeModel::updateText(const LineNode* header) {
  const int i = find(header);
  if (i >= 0) items_[static_cast<size_t>(i)].text = itemText(header);
  return i;
}
