// The counts the status line and the scroll bars keep between commands must
// always equal a fresh count of the view, whatever the keys did.
#include <gtest/gtest.h>

#include <random>

#include "app/batch.hpp"
#include "commands/keytable.hpp"
#include "engine/statusline.hpp"
#include "display/editorview.hpp"
#include "engine/viewmetrics.hpp"
#include "model/settings.hpp"
#include "support/testenv.hpp"

namespace {

class ViewCountsTest : public PlicatoTest {};

TEST_F(ViewCountsTest, KeptCountsEqualFreshCountsAfterEveryKey) {
  std::string text;
  for (int f = 0; f < 6; ++f) {
    text += "line " + std::to_string(f) + "\r\n/*{{{  fold " + std::to_string(f) + "*/\r\n";
    for (int i = 0; i < 5; ++i) text += "  inner " + std::string(static_cast<size_t>(i * 9), 'w') + "\r\n";
    text += "/*{{{  deeper*/\r\nd\r\n/*}}}*/\r\n/*}}}*/\r\n";
  }
  work.write("v.c", text);
  StartOptions o;
  o.configDir = config.path();
  o.layout = kLayoutWindows;
  BatchSession s(o, 12, 40);
  ASSERT_TRUE(s.open(work.file("v.c")));
  // Moves, typing, line splits and joins, folds opened, closed, entered,
  // left, created and removed, lines deleted and restored, wrap mode.
  const std::vector<std::string> keys = {
      "Down", "Up", "PgDn", "PgUp", "Ctrl-P", "Ctrl-D", "Ctrl-E", "Ctrl-Z", "F6", "Alt-F5",
      "\"abcdefghijklmnopqrstuvwxyz0123456789\"", "Enter", "Backspace", "Del", "Ctrl-Y",
      "Alt-F8", "Ctrl-B", "Ctrl-PgUp", "Ctrl-W", "End", "Home", "F9", "F10", "Ctrl-Home",
      "Ctrl-End", "\"wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww\"",
      "Backspace Backspace Backspace", "Shift-Del"};
  std::mt19937 rng(7);
  EditorView& w = *s.target();
  for (int step = 0; step < 400; ++step) {
    const std::string& k = keys[rng() % keys.size()];
    ASSERT_TRUE(s.type(k));
    s.run();
    ASSERT_EQ(s.target(), &w);
    refreshStatus(w);
    w.updateScrollBars();
    const auto kept = w.statusText;
    const int h = w.hScrollRange, v = w.vScrollRange, vp = w.vScrollPos;
    // A fresh count beside the kept one, which goes on from here: what the
    // keys change is followed from key to key, not counted again each time.
    const ViewMetrics keptCounts = w.viewMetrics;
    invalidateViewMetrics(w);
    refreshStatus(w);
    w.updateScrollBars();
    ASSERT_EQ(kept[2], w.statusText[2]) << "after " << k << " at step " << step;
    ASSERT_EQ(kept[3], w.statusText[3]) << "after " << k << " at step " << step;
    ASSERT_EQ(h, w.hScrollRange) << "after " << k << " at step " << step;
    ASSERT_EQ(v, w.vScrollRange) << "after " << k << " at step " << step;
    ASSERT_EQ(vp, w.vScrollPos) << "after " << k << " at step " << step;
    w.viewMetrics = keptCounts;
  }
}

}  // namespace
