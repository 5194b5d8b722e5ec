// The fold tree pane's model: one item for the file and one for every fold
// header, nested as the folds are. Items hold no text of their own beyond
// what was read from the header when the tree was built; each points at the
// LineNode it stands for, and everything the pane does goes back to that
// node in the editor window's tree.
//
// Items are kept in file order (a parent before its children, children in
// the order of the file), so a subtree is a run of items after its head.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class EditorView;
struct LineNode;

// The image pair an item shows.
enum class TreeImage : uint8_t {
  Shell,  // the icon the platform gives for the item's file name
  Fold,   // images 3 (normal) and 4 (selected)
};

struct TreeItem {
  LineNode* node = nullptr;
  int parent = -1;  // index of the parent item; -1 for the root
  int depth = 0;    // 0 for the root
  std::string text;
  TreeImage image = TreeImage::Fold;
  std::string iconFile;    // the file a Shell image is taken for
  bool expanded = false;   // the fold is open in place or entered
  bool draggable = true;   // not the root, not an entered fold or one around it
  bool inFiledListing = false;  // inside the listing a filed fold keeps inline
  bool operator==(const TreeItem&) const = default;
};

class FoldTreeModel {
 public:
  // Clears the items and builds them for the nodes from `from` (the root
  // item) up to `to` (excluded), walking by next links: closed and filed
  // folds are descended into by their inner chains, open and entered folds
  // by their contents that follow them; a fold end closes the item it
  // ends. The guard is up while this runs.
  void Rebuild(LineNode* from, LineNode* to);
  // Rebuild for the file the window shows, from its top line to its end.
  void rebuildFor(const EditorView& w);
  void clear();

  const std::vector<TreeItem>& items() const { return items_; }
  bool empty() const { return items_.empty(); }
  int size() const { return static_cast<int>(items_.size()); }
  const TreeItem& item(int i) const { return items_[static_cast<size_t>(i)]; }

  // The item standing for the node, or -1.
  int find(const LineNode* node) const;
  // Whether item `i` is `ancestor` or lies inside its subtree.
  bool inSubtree(int i, int ancestor) const;
  // The item to select for a line of the window's view: the line's own
  // item for a header, its header's for a fold end, else the item of the
  // innermost open or entered fold around the line (the root's at the top).
  // -1 when the tree has no items.
  int itemForLine(const EditorView& w, const LineNode* line) const;
  // Takes the header's current title into its item; the item, or -1 when
  // the header has none.
  int updateText(const LineNode* header);

  // Same items, same nesting, same texts and states: a control showing
  // one need not be rebuilt for the other.
  bool sameAs(const FoldTreeModel& other) const { return items_ == other.items_; }

  // The rebuilding guard: while it is up, changes of the tree control's
  // selection are the program's own and are not acted on.
  bool guarded() const { return guard_ > 0; }
  class Guard {
   public:
    explicit Guard(FoldTreeModel& m) : m_(m) { ++m_.guard_; }
    ~Guard() { --m_.guard_; }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

   private:
    FoldTreeModel& m_;
  };

 private:
  int add(LineNode* node, int parent, TreeImage image, const std::string& iconFile);

  std::vector<TreeItem> items_;
  std::unordered_map<const LineNode*, int> index_;
  int guard_ = 0;
};

// The text an item shows for a header: its title; the file's name for a
// file's top line.
std::string itemText(const LineNode* header);
