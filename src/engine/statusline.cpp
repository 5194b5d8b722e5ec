#include "engine/statusline.hpp"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "engine/view.hpp"
#include "engine/layout.hpp"
#include "engine/viewmetrics.hpp"
#include "platform/host.hpp"

namespace {

std::string timeOfDay() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[16];
  std::strftime(buf, sizeof buf, "%H:%M", &local);
  return buf;
}

}  // namespace

void composeStatus(View& w) {
  char buf[160];
  w.statusText[0] = timeOfDay();

  std::snprintf(buf, sizeof buf, "Column :%d", w.leftColumn + w.cursorCol + 1);
  w.statusText[1] = buf;

  // Rows of the view, the cursor's among them; what can be opened or closed.
  // "File" counts the file's chain, in which entered folds are spliced like
  // open ones: the view is one stretch of it.
  ViewMetrics& m = viewMetrics(w);
  const ViewMetrics::Place at = locateInView(w, m.cursor, w.currentLine);
  w.canOpenAll = m.canOpen;
  w.canCloseAll = m.canClose;
  const bool inView = at.line != nullptr;
  std::snprintf(buf, sizeof buf, "Fold:%d of %d", inView ? at.rows + w.curSubRow + 1 : 0, m.rows);
  w.statusText[2] = buf;
  std::snprintf(buf, sizeof buf, "File:%d of %d", inView ? m.viewStart + at.nodes : 0,
                m.chainLength);
  w.statusText[3] = buf;

  if (w.doc.fileTypeName == "User") {
    std::snprintf(buf, sizeof buf, "%s %s %s", w.doc.fileTypeName.c_str(), w.doc.commentStart.c_str(),
                  w.doc.commentEnd.c_str());
    w.statusText[4] = buf;
  } else {
    w.statusText[4] = w.doc.fileTypeName;
  }

  w.statusText[5] = w.doc.modified ? "*" : " ";
}

void refreshStatus(View& w) {
  composeStatus(w);
  w.host.statusFields(w.statusText);
}

void clearStatus(View& w) {
  for (auto& f : w.statusText) f.clear();
  w.host.statusFields(w.statusText);
}
