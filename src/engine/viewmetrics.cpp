#include "engine/viewmetrics.hpp"

#include <algorithm>

#include "engine/view.hpp"
#include "engine/layout.hpp"

namespace {

// How far a remembered place is walked from before the view is counted
// from its start again.
constexpr int kNearSteps = 4096;

int32_t rowsOf(const View& w, const LineNode* n) {
  return w.wrapMode ? std::max<int32_t>(1, n->rows()) : 1;
}

bool stale(const View& w, const ViewMetrics& m) {
  return !m.valid || m.levelTop != w.doc.levelTop || m.levelBottom != w.doc.levelBottom ||
         m.fileTop != w.doc.fileTop || m.wrap != w.wrapMode ||
         (w.wrapMode && m.screenCols != w.screenCols);
}

void recount(View& w, ViewMetrics& m) {
  m = ViewMetrics{};
  m.levelTop = w.doc.levelTop;
  m.levelBottom = w.doc.levelBottom;
  m.fileTop = w.doc.fileTop;
  m.wrap = w.wrapMode;
  m.screenCols = w.screenCols;
  for (LineNode* n = viewFirst(w); n; n = n->next) {
    m.rows += rowsOf(w, n);
    const size_t width = screenLength(*n, w.ctx.settings.tabSize);
    if (width > m.longest || !m.widest) {
      m.longest = width;
      m.widest = n;
    }
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

void lineWidthChanged(View& w, const LineNode& line, int32_t oldRows) {
  ViewMetrics& m = w.viewMetrics;
  if (!m.valid) return;
  if (w.wrapMode && line.rows() != oldRows) {
    m.valid = false;
    return;
  }
  const size_t width = screenLength(line, w.ctx.settings.tabSize);
  if (width >= m.longest) {
    m.longest = width;
    m.widest = &line;
  } else if (&line == m.widest) {
    m.valid = false;  // the widest line got narrower: count again
  }
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
        d.rows += rowsOf(w, down);
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
        u.rows -= rowsOf(w, up);
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
    p.rows += rowsOf(w, n);
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
