// What the fold tree pane does to the editor window: moving the editor to
// a picked fold, copying or moving a fold by drag and drop, pasting the
// clipboard around a picked fold, and the pane's context menu.
//
// The pane shows the whole file the window shows, also the levels outside
// the folds entered; the editor is taken out of entered folds (never out
// of a filed fold's file) as far as a picked node needs. Nodes the pane
// hands in may be stale (the tree is not rebuilt after every command): each
// is looked up in the window's file first and refused when it is not there.
#pragma once

#include <string>
#include <vector>

#include "display/editorview.hpp"

class Host;
class FoldTreeModel;
struct LineNode;

// Ids of the drop menu and of the context menu's "Paste below".
constexpr int kDropCopyHere = 800;
constexpr int kDropMoveHere = 801;
constexpr int kDropCancel = 802;
constexpr int kTreeMenuPasteBelow = 105;

// Whether the node is a header of the file the window shows (looked for in
// closed folds too, not in the listing a filed fold keeps inline).
bool headerInFile(const EditorView& w, const LineNode* node);
// Whether the node is a line of the view or of a closed fold inside it.
bool inView(const EditorView& w, const LineNode* node);
// Whether the window shows an entered fold (not a file's top level).
bool showsEnteredFold(const EditorView& w);

// Makes the header the editor's cursor line: entered folds are left until
// it is in the view, the closed folds around it are opened (the view's
// other open folds close), and the cursor placed. False, and nothing
// moves, when the header is not in the window's file.
bool goToNode(EditorView& w, LineNode* header);

// The editor refuses changes from the pane as it refuses the keys:
// "Plicato browse mode!", "Plicato key disabled during create fold".
bool mayEditFromTree(EditorView& w);

enum class DropCheck {
  Ok,
  SameItem,         // dropped where it was picked up: nothing to do
  NotDraggable,     // the root, an entered fold or a fold around one
  ParentOntoChild,  // the target lies inside the dragged fold
  NotFound,         // an item whose node is no longer in the file
};
// The checks made before the drop menu is offered, in their order.
DropCheck checkDrop(const EditorView& w, const FoldTreeModel& model, int dragged, int target);
// The message box for a refused drop, under "Drag'n'drop"; nothing for
// Ok, SameItem and NotDraggable.
void reportDrop(Host& host, DropCheck check);

enum class DropAction { Copy, Move, Cancel };
// Copies (deep copy; "Plicato cannot copy filed folds") or moves (unlinked
// and inserted again) the dragged fold above the target's header; onto the
// root or an entered fold it goes to the top of its contents. An open fold
// is closed first. The editor is left on the fold at its new place, the
// window is modified and its view counts are stale. False when nothing
// changed.
bool dropFold(EditorView& w, LineNode* dragged, LineNode* target, DropAction action);

// "Paste" (above the header) and "Paste below" (above the line that
// follows the fold's end): the clipboard form of text goes in as lines of
// their own, never joined to the line they stand above. On the root or an
// entered fold: at the top or the bottom of its contents. False when
// nothing was pasted.
bool pasteAtFold(EditorView& w, LineNode* header, const std::string& text, bool below);

// The pane's context menu in its order, with its enabled rules: Paste and
// Paste below need clipboard text, Enter fold a closed or filed fold at
// the editor's cursor, Exit fold anything but the outermost level of a
// file that has no parent, Open/Close All Folds the window's flags.
std::vector<MenuEntry> treeContextMenu(const EditorView& w, bool clipboardHasText);
