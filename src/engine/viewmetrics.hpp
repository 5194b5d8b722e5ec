// What the status line and the scroll bars count over the whole view (its
// rows, its longest line, the cursor's place in it and in the file), kept
// between commands so that typing into a million-line view does not walk
// it at every key. Anything that changes the shape of the tree invalidates
// the counts; moving the cursor or editing a line's text only adjusts them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

class View;
struct LineNode;

struct ViewMetrics {
  bool valid = false;
  // What the counts were taken for.
  const LineNode* levelTop = nullptr;
  const LineNode* levelBottom = nullptr;
  const LineNode* fileTop = nullptr;
  bool wrap = false;
  int32_t screenCols = 0;

  int32_t rows = 0;     // rows of the view
  size_t longest = 0;   // widest line of the view, in screen columns
  // How many lines of the view have each width: the longest stays known
  // when the widest line gets narrower, without counting the view again.
  // Widths up to kCountedWidth have a slot each; wider lines are kept by
  // width in a map.
  static constexpr size_t kCountedWidth = 4096;
  std::vector<int32_t> linesOfWidth;
  std::map<size_t, int32_t> linesOfGreatWidth;
  bool canOpen = false; // a closed fold is in the view
  bool canClose = false;  // an open fold is in the view
  int32_t chainLength = 0;  // nodes of the file's chain, fileTop to fileBottom
  int32_t viewStart = 0;    // place of the view's first line in that chain (from 1)

  // A line of the view and what lies before it.
  struct Place {
    const LineNode* line = nullptr;
    int32_t nodes = 0;  // view lines before it
    int32_t rows = 0;   // view rows before it
  };
  Place cursor;
  Place top;
};

// The counts are stale: the tree changed shape.
void invalidateViewMetrics(View& w);
// Every node's rows again, of the file and of the entered folds' outer
// levels (the wrap mode or the tab size changed). The counts are then stale.
void recomputeAllRows(View& w);
// The counts, taken again when they are stale.
ViewMetrics& viewMetrics(View& w);
// The line's text changed; its width may have grown (wrap-mode rows that
// change make the counts stale).
void lineWidthChanged(View& w, const LineNode& line, int32_t oldRows, size_t oldWidth);
// Lines and rows of the view before `line` (a line of the view), found from
// the place remembered in `place` when it is near.
ViewMetrics::Place locateInView(View& w, ViewMetrics::Place& place, const LineNode* line);
