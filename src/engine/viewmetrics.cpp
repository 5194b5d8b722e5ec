#include "engine/viewmetrics.hpp"

#include <algorithm>

#include "engine/view.hpp"
#include "engine/layout.hpp"

namespace {

// How far a remembered place is walked from before the view is counted
// from its start again.
constexpr int kNearSteps = 4096;

bool stale(const View& w, const ViewMetrics& m) {
  return !m.valid || m.levelTop != w.doc.levelTop || m.levelBottom != w.doc.levelBottom ||
         m.fileTop != w.doc.fileTop || m.wrap != w.wrapMode ||
         (w.wrapMode && m.screenCols != w.screenCols);
}

void countWidth(ViewMetrics& m, size_t width, int32_t by) {
  if (width <= ViewMetrics::kCountedWidth) {
    m.linesOfWidth[width] += by;
    return;
  }
  auto it = m.linesOfGreatWidth.try_emplace(width, 0).first;
  if ((it->second += by) <= 0) m.linesOfGreatWidth.erase(it);
}

// The widest width that some line of the view has.
size_t widestCounted(const ViewMetrics& m, size_t from) {
  if (!m.linesOfGreatWidth.empty()) return m.linesOfGreatWidth.rbegin()->first;
  for (size_t wd = std::min(from, ViewMetrics::kCountedWidth); wd > 0; --wd)
    if (m.linesOfWidth[wd] > 0) return wd;
  return 0;
}

void recount(View& w, ViewMetrics& m) {
  m = ViewMetrics{};
  m.levelTop = w.doc.levelTop;
  m.levelBottom = w.doc.levelBottom;
  m.fileTop = w.doc.fileTop;
  m.wrap = w.wrapMode;
  m.screenCols = w.screenCols;
  m.linesOfWidth.assign(ViewMetrics::kCountedWidth + 1, 0);
  for (LineNode* n = viewFirst(w); n; n = n->next) {
    m.rows += w.shownRowsOf(n);
    const size_t width = screenLength(*n, w.ctx.settings.tabSize);
    countWidth(m, width, 1);
    if (width > m.longest) m.longest = width;
    if (n->kind == ClosedFold) m.canOpen = true;
    if (n->kind == OpenFold) m.canClose = true;
    if (n == w.doc.levelBottom) break;
  }
  // The file's chain: entered folds are spliced into it like open ones, so
  // the view is one stretch of it.
  const LineNode* first = viewFirst(w);
  if (w.doc.fileTop) {
    for (const LineNode* n = w.doc.fileTop->next; n; n = n->next) {
      ++m.chainLength;
      if (n == first) m.viewStart = m.chainLength;
      if (n == w.doc.fileBottom) break;
    }
  }
  m.valid = true;
}

}  // namespace

void invalidateViewMetrics(View& w) { w.viewMetrics.valid = false; }

ViewMetrics& viewMetrics(View& w) {
  if (stale(w, w.viewMetrics)) recount(w, w.viewMetrics);
  return w.viewMetrics;
}

void lineWidthChanged(View& w, const LineNode& line, int32_t oldRows, size_t oldWidth) {
  ViewMetrics& m = w.viewMetrics;
  if (!m.valid) return;
  if (w.wrapMode && line.rows() != oldRows) {
    m.valid = false;
    return;
  }
  const size_t width = screenLength(line, w.ctx.settings.tabSize);
  if (width == oldWidth) return;
  countWidth(m, oldWidth, -1);
  countWidth(m, width, 1);
  if (width >= m.longest)
    m.longest = width;
  else if (oldWidth == m.longest)
    m.longest = widestCounted(m, oldWidth);  // the widest line got narrower
}

ViewMetrics::Place locateInView(View& w, ViewMetrics::Place& place, const LineNode* line) {
  viewMetrics(w);
  if (place.line == line && line) return place;
  // Walk from the remembered place, both ways, a bounded distance.
  if (place.line) {
    const LineNode* down = place.line;
    const LineNode* up = place.line;
    ViewMetrics::Place d = place, u = place;
    const LineNode* first = viewFirst(w);
    for (int i = 0; i < kNearSteps; ++i) {
      if (down && down != w.doc.levelBottom) {
        d.rows += w.shownRowsOf(down);
        d.nodes += 1;
        down = down->next;
        if (down == line) {
          d.line = line;
          return place = d;
        }
      } else {
        down = nullptr;
      }
      if (up && up != first && up->prev) {
        up = up->prev;
        u.rows -= w.shownRowsOf(up);
        u.nodes -= 1;
        if (up == line) {
          u.line = line;
          return place = u;
        }
      } else {
        up = nullptr;
      }
      if (!down && !up) break;
    }
  }
  ViewMetrics::Place p;
  for (LineNode* n = viewFirst(w); n; n = n->next) {
    if (n == line) {
      p.line = line;
      return place = p;
    }
    p.rows += w.shownRowsOf(n);
    p.nodes += 1;
    if (n == w.doc.levelBottom) break;
  }
  return ViewMetrics::Place{};  // not in the view
}

void recomputeAllRows(View& w) {
  for (LineNode* n = w.doc.fileTop; n; n = isClosedHeader(n) ? n->inner() : n->next) {
    w.computeRows(n);
    if (n == w.doc.fileBottom) break;
  }
  for (LineNode* n = w.doc.levelTop; n; n = isClosedHeader(n) ? n->inner() : n->next) {
    w.computeRows(n);
    if (n == w.doc.levelBottom) break;
  }
  invalidateViewMetrics(w);
}
