#include "display/statusline.hpp"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "display/stdiowindow.hpp"
#include "display/view.hpp"
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

void composeStatus(TStdioWindow& w) {
  char buf[160];
  w.statusText[0] = timeOfDay();

  std::snprintf(buf, sizeof buf, "Column :%d", w.leftColumn + w.cursorCol + 1);
  w.statusText[1] = buf;

  // Rows of the view, the cursor's among them; what can be opened or closed.
  int32_t total = 0;
  int32_t at = 0;
  bool canOpen = false;
  bool canClose = false;
  for (LineNode* n = viewFirst(w); n; n = n->next) {
    if (n == w.currentLine) at = total + w.curSubRow + 1;
    total += w.wrapMode ? std::max<int32_t>(1, n->rows) : 1;
    if (n->kind == ClosedFold) canOpen = true;
    if (n->kind == OpenFold) canClose = true;
    if (n == w.levelBottom) break;
  }
  w.canOpenAll = canOpen;
  w.canCloseAll = canClose;
  std::snprintf(buf, sizeof buf, "Fold:%d of %d", at, total);
  w.statusText[2] = buf;

  // The whole file in order: entered folds are spliced into the chain like
  // open ones and closed folds are walked into, so one walk from the file's
  // top header to its end sentinel passes every line once.
  int32_t fileLines = 0;
  int32_t fileAt = 0;
  if (w.fileTop) {
    for (LineNode* n = w.fileTop->next; n; n = nextInFile(n)) {
      ++fileLines;
      if (n == w.currentLine) fileAt = fileLines;
      if (n == w.fileBottom) break;
    }
  }
  std::snprintf(buf, sizeof buf, "File:%d of %d", fileAt, fileLines);
  w.statusText[3] = buf;

  if (w.fileTypeName == "User") {
    std::snprintf(buf, sizeof buf, "%s %s %s", w.fileTypeName.c_str(), w.commentStart.c_str(),
                  w.commentEnd.c_str());
    w.statusText[4] = buf;
  } else {
    w.statusText[4] = w.fileTypeName;
  }

  w.statusText[5] = w.modified ? "*" : " ";
}

void refreshStatus(TStdioWindow& w) {
  composeStatus(w);
  w.host.statusFields(w.statusText);
}

void clearStatus(TStdioWindow& w) {
  for (auto& f : w.statusText) f.clear();
  w.host.statusFields(w.statusText);
}
