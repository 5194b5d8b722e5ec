#include <gtest/gtest.h>

#include <cstdio>

#include "commands/keyqueue.hpp"
#include "display/keytranslate.hpp"
#include "display/scrbuffer.hpp"
#include "engine/statusline.hpp"
#include "displaytest.hpp"
#include "model/settings.hpp"

namespace {

using WindowTest = DisplayTest;

TEST_F(WindowTest, ScreenBufferRowsRecordsAndGrowth) {
  ScrBuffer b;
  ASSERT_TRUE(b.create());
  EXPECT_EQ(b.getStride(), 200);
  EXPECT_EQ(b.rows, 50);
  EXPECT_EQ(b.info(49)->rowStyle, 1);
  EXPECT_EQ(b.row(1) - b.row(0), 200);
  b.row(3)[0] = 'a';
  b.row(4)[0] = 'b';
  b.moveRows(3, 4, 2);  // overlapping, downwards
  EXPECT_EQ(b.row(4)[0], 'a');
  EXPECT_EQ(b.row(5)[0], 'b');
  b.fillRows(4, 1, 'x');
  EXPECT_EQ(b.row(4)[199], 'x');
  EXPECT_EQ(b.info(4)->textColour, 0x01010101u);
  // Out of the grid nothing is touched.
  b.moveRows(45, 48, 10);
  b.fillRows(49, 10, 'y');
  EXPECT_EQ(b.row(50), nullptr);
  EXPECT_EQ(b.info(50), nullptr);

  ASSERT_TRUE(b.ensure(260, 70));
  EXPECT_EQ(b.getStride(), 260);
  EXPECT_EQ(b.row(5)[0], 'b');  // contents kept
  EXPECT_NE(b.row(69), nullptr);
  b.setStride(77);
  EXPECT_EQ(b.row(1) - b.row(0), 77);
}

TEST_F(WindowTest, AWindowLargerThanTheGridGrowsIt) {
  auto w = makeWindow(numbered(100));
  w->resize(260 * 8, 70 * 16);
  EXPECT_EQ(w->screenCols, 260);
  EXPECT_EQ(w->screenRows, 69);  // the horizontal bar takes its height
  PlaceCursor(*w, 2);
  EXPECT_GE(w->screen().rows, 69);
  EXPECT_GE(w->screen().width, 265);
  EXPECT_EQ(rowText(*w, 69, 7), "line 68");
  // A long line cut at the right edge stays inside its row.
  assign(*nth(*w, 1), std::string(400, 'q').c_str());
  Redraw(*w, 1);
  EXPECT_EQ(static_cast<unsigned char>(w->screen().row(1)[257]), 187);
}

TEST_F(WindowTest, PutCharTabsBackspaceAndScrolling) {
  auto w = makeWindow({});
  w->cursorRow = 1;
  w->cursorCol = 0;
  w->putString("abcde");
  w->putChar('\t');
  w->putChar('x');
  EXPECT_EQ(w->cursorCol, 9);
  EXPECT_EQ(rowText(*w, 1, 10), "abcde   x ");
  w->putChar(8);
  EXPECT_EQ(w->cursorCol, 8);
  w->cursorCol = 0;
  w->putChar(8);
  EXPECT_EQ(w->cursorCol, 0);

  // The last cell of the last row scrolls the screen and leaves the cursor
  // at column 0 of the last row.
  w->cursorRow = 2;
  w->cursorCol = 0;
  w->putChar('B');
  w->cursorRow = w->screenRows;
  w->cursorCol = w->screenCols - 1;
  w->putChar('Z');
  EXPECT_EQ(w->cursorRow, w->screenRows);
  EXPECT_EQ(w->cursorCol, 0);
  EXPECT_EQ(rowText(*w, 1, 1), "B");
  EXPECT_EQ(rowText(*w, w->screenRows - 1, 80)[79], 'Z');
  EXPECT_EQ(rowText(*w, w->screenRows, 80), std::string(80, ' '));
}

TEST_F(WindowTest, KeyboardBufferHoldsAtMost1023AndRefusesSpecialKeysWhole) {
  PostingHost h;
  EditorContext hc(h);
  auto w = makeWindow({}, &hc);
  for (int i = 0; i < 1022; ++i) ASSERT_TRUE(w->queueChar('a'));
  EXPECT_EQ(h.beeps(), 0);
  // Room for one byte only: the special key is refused whole.
  EXPECT_FALSE(w->queueKey(0x48));
  EXPECT_EQ(h.beeps(), 1);
  EXPECT_EQ(w->keys.waiting(), 1022);
  EXPECT_TRUE(w->queueChar('b'));
  EXPECT_EQ(w->keys.waiting(), 1023);
  EXPECT_FALSE(w->queueChar('c'));
  EXPECT_EQ(h.beeps(), 2);
  EXPECT_EQ(h.posted.size(), 1023u);
  EXPECT_EQ(h.posted.back(), kMsgKeysWaiting);
}

TEST_F(WindowTest, PostingIsSkippedWhileDispatchingAndAFailedPostIsReported) {
  PostingHost h;
  EditorContext hc(h);
  auto w = makeWindow({}, &hc);
  w->inDispatch = true;
  w->queueChar('x');
  EXPECT_TRUE(h.posted.empty());
  w->inDispatch = false;
  h.failPosts = true;
  w->queueKey(0x50);
  ASSERT_EQ(h.boxTexts().size(), 1u);
  EXPECT_EQ(h.boxTexts()[0], " PostMessage Error!");
  EXPECT_EQ(h.events()[0].caption, "Plicato Error");
  EXPECT_EQ(waiting(*w), (std::vector<int>{'x', 0, 0x50}));
}

TEST_F(WindowTest, SetUpPostsTheOpenMessage) {
  PostingHost h;
  EditorContext hc(h);
  auto w = makeWindow({}, &hc);
  w->setUp();
  EXPECT_EQ(h.posted, std::vector<int>{kMsgSetUpDone});
  EXPECT_EQ(w->cellWidth, 8);
  EXPECT_EQ(w->cellHeight, 16);
  EXPECT_EQ(w->currentAttr, 1);
  EXPECT_EQ(w->preferredWidth, 8 * 80 + 2 * 4 + 16);
}

TEST_F(WindowTest, KeyTranslation) {
  auto w = makeWindow({});
  // Alt+F opens the frame's menu: nothing queued, alt cleared.
  keyDown(*w, VK_MENU, true);
  EXPECT_FALSE(keyDown(*w, VK_F, true));
  EXPECT_FALSE(w->keyState.alt);
  EXPECT_TRUE(w->keys.empty());
  // Alt+Q: 0, 0x10.
  keyDown(*w, VK_MENU, true);
  keyDown(*w, VK_Q, true);
  EXPECT_EQ(waiting(*w), (std::vector<int>{0, 0x10}));
  keyUp(*w, VK_MENU);
  EXPECT_FALSE(w->keyState.alt);
  w->keys.clear();

  // Ctrl+F5 gives the ctrl code and clears ctrl; F6 then is plain.
  keyDown(*w, VK_CONTROL, false);
  keyDown(*w, VK_F5, false);
  EXPECT_FALSE(w->keyState.ctrl);
  keyDown(*w, VK_F6, false);
  EXPECT_EQ(waiting(*w), (std::vector<int>{0, 0x62, 0, 0x40}));
  w->keys.clear();

  // Shift+Up is the keypad 8; Enter and plain letters wait for their
  // character message.
  keyDown(*w, VK_SHIFT, false);
  keyDown(*w, VK_UP, false);
  keyUp(*w, VK_SHIFT);
  EXPECT_FALSE(keyDown(*w, VK_RETURN, false));
  EXPECT_FALSE(keyDown(*w, VK_A, false));
  charMessage(*w, 13);
  EXPECT_EQ(waiting(*w), (std::vector<int>{0, 0x38, 13}));
  // Alt takes precedence over ctrl and shift.
  w->keyState = KeyState{true, true, true};
  EXPECT_EQ(specialKeyCode(w->keyState, VK_DELETE), 0xa3);
  EXPECT_EQ(specialKeyCode(KeyState{}, VK_BACK), 0);
  EXPECT_EQ(altKeyCode(VK_0), 0x81);
}

TEST_F(WindowTest, KeysThatEndAMarkClearItAndQueueRefreshOnce) {
  auto w = makeWindow(numbered(5));
  PlaceCursor(*w, 2);
  w->markActive = true;
  w->markAnchorLine = nth(*w, 1);
  w->setMarkEnd(nth(*w, 3), 0);
  // Copy block (Ctrl-C) keeps the mark.
  w->queueChar(3);
  EXPECT_TRUE(w->markActive);
  // Shift-Del (cut, keeps the mark) also keeps it.
  w->queueKey(46);
  EXPECT_TRUE(w->markActive);
  // Cursor down ends it: the key, and the refresh once, as the editor's
  // own command ahead of the keys (no Ctrl-R among them for a macro).
  w->queueKey(0x50);
  EXPECT_FALSE(w->markActive);
  EXPECT_FALSE(w->blockActive);
  w->queueKey(0x50);
  EXPECT_EQ(waiting(*w), (std::vector<int>{3, 0, 46, 0, 0x50, 0, 0x50}));
  EXPECT_EQ(ownCommands(*w), std::vector<int>{cmdRefresh});
  // Ins (create fold) keeps the mark: it folds the marked lines.
  w->setMarkEnd(nth(*w, 3), 0);
  w->queueKey(0x52);
  EXPECT_TRUE(w->markActive);

  // A typed letter ends a mark too; not while the mouse drags.
  w->keys.clear();
  w->setMarkEnd(nth(*w, 2), 0);
  w->dragging = true;
  w->queueChar('a');
  EXPECT_TRUE(w->markActive);
  w->dragging = false;
  w->queueChar('a');
  EXPECT_FALSE(w->markActive);
  EXPECT_EQ(waiting(*w), (std::vector<int>{'a', 'a'}));
  EXPECT_EQ(ownCommands(*w), std::vector<int>{cmdRefresh});
  EXPECT_FALSE(w->keys.empty());
}

TEST_F(WindowTest, MenuCommandsQueueTheirKeys) {
  auto w = makeWindow({});
  EXPECT_TRUE(queueCommand(*w, cmdEnterFold));  // Home in the standard layout
  EXPECT_TRUE(queueEntryKey(*w, kEntryExit));   // Ctrl-Q
  EXPECT_FALSE(queueCommand(*w, 999));
  EXPECT_EQ(waiting(*w), (std::vector<int>{0, 0x47, 17}));
}

TEST_F(WindowTest, MouseMarkStartsPastTheThresholdAndAutoScrolls) {
  auto w = makeWindow(numbered(60));
  PlaceCursor(*w, 2);
  // Row 1 shows the file's top line while the view is at its top: ignored.
  w->mouseDown(10, 5);
  EXPECT_FALSE(w->dragging);
  // Row 3, column 2.
  w->mouseDown(2 * 8 + 3, 2 * 16 + 4);
  EXPECT_TRUE(w->dragging);
  EXPECT_EQ(w->currentLine, nth(*w, 2));
  EXPECT_EQ(w->cursorRow, 3);
  EXPECT_EQ(w->cursorCol, 2);
  EXPECT_EQ(w->textColumn, 3);
  // 3² + 0² = 9 is under the threshold; 3² + 1² = 10 reaches it.
  w->mouseMove(2 * 8 + 6, 2 * 16 + 4);
  EXPECT_FALSE(w->markActive);
  w->mouseMove(2 * 8 + 6, 2 * 16 + 5);
  EXPECT_TRUE(w->markActive);
  EXPECT_EQ(w->markFirstRow, 3);
  EXPECT_EQ(w->markLastRow, 3);
  // Down to row 6.
  w->mouseMove(20, 5 * 16 + 1);
  EXPECT_EQ(w->markLastRow, 6);
  EXPECT_EQ(w->markLastLine, nth(*w, 5));
  EXPECT_EQ(w->blockFirst, nth(*w, 2));
  EXPECT_EQ(w->blockEnd, nth(*w, 6));
  EXPECT_FALSE(w->autoScrollDown);
  // Below the last row: auto-scroll down grows the mark a row per step.
  w->mouseMove(20, 30 * 16);
  EXPECT_TRUE(w->autoScrollDown);
  EXPECT_EQ(w->markLastRow, 25);
  ASSERT_TRUE(w->autoScrollStep());
  EXPECT_EQ(w->topLine, nth(*w, 1));
  EXPECT_EQ(w->markLastLine, nth(*w, 25));
  EXPECT_EQ(w->markLastRow, 25);
  EXPECT_EQ(w->markFirstRow, 2);
  // A key-up ends it and drops the keys typed meanwhile.
  w->queueChar('k');
  w->keys.putChar('k');
  keyUp(*w, VK_DOWN);
  EXPECT_FALSE(w->autoScrollDown);
  EXPECT_TRUE(w->keys.empty());
  EXPECT_FALSE(w->autoScrollStep());
  w->mouseUp();
  EXPECT_FALSE(w->dragging);
  EXPECT_TRUE(w->markActive);
}

TEST_F(WindowTest, ClickBeyondTheTextColumnsOrBelowTheTextIsIgnored) {
  auto w = makeWindow(numbered(3));
  PlaceCursor(*w, 2);
  w->mouseDown(78 * 8, 2 * 16);  // column 78 > 80 - 3
  EXPECT_FALSE(w->dragging);
  w->mouseDown(8, 10 * 16);  // row 11, below the five shown rows
  EXPECT_FALSE(w->dragging);
  EXPECT_EQ(w->shownRows, 5);
}

TEST_F(WindowTest, SteppingToARowBeyondTheViewIsAnInternalFault) {
  auto w = makeWindow(numbered(3));
  PlaceCursor(*w, 2);
  // The box comes before the end; the exit hook tells what it said.
  host.setExitHook([this](int) {
    const auto& e = host.events().back();
    std::fprintf(stderr, "[%s] %s\n", e.caption.c_str(), e.text.c_str());
  });
  EXPECT_EXIT(moveToRow(*w, 9), ::testing::ExitedWithCode(222),
              "\\[Plicato Internal Error\\] There is no line with number 9");
}

TEST_F(WindowTest, QueryClose) {
  auto w = makeWindow({});
  w->buildRunning = true;
  EXPECT_FALSE(w->queryClose());
  EXPECT_EQ(host.boxTexts().back(), "Can't close window until Compiler or Maker hasn't ended");
  w->buildRunning = false;

  w->doc.modified = true;
  w->doc.fileName = "/tmp/a.c";
  host.queueAnswer("cancel");
  EXPECT_FALSE(w->queryClose());
  EXPECT_EQ(host.boxTexts().back(), "Do you want to save changes to /tmp/a.c");
  EXPECT_TRUE(w->keys.empty());

  // Yes with a save that fails keeps the window.
  int saves = 0;
  w->hooks.save = [&](View&) { ++saves; return false; };
  host.queueAnswer("yes");
  EXPECT_FALSE(w->queryClose());
  EXPECT_EQ(saves, 1);
  // Yes with a good save closes through the exit key.
  w->hooks.save = [&](View& win) { ++saves; win.doc.modified = false; return true; };
  host.queueAnswer("yes");
  EXPECT_TRUE(w->queryClose());
  EXPECT_EQ(waiting(*w), std::vector<int>{17});

  // No drops the changes.
  w->keys.clear();
  w->doc.modified = true;
  host.queueAnswer("no");
  EXPECT_TRUE(w->queryClose());
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(waiting(*w), std::vector<int>{17});
}

TEST_F(WindowTest, ContextMenuModel) {
  auto w = makeWindow(numbered(2));
  std::vector<MenuEntry> m = w->contextMenu();
  ASSERT_EQ(m.size(), 13u);
  std::vector<int> ids;
  for (const auto& e : m) ids.push_back(e.id);
  EXPECT_EQ(ids, (std::vector<int>{104, 105, 202, 116, 117, 211, 0, 301, 302, 303, 304, 0, 309}));
  EXPECT_FALSE(m[0].enabled);   // no mark
  EXPECT_FALSE(m[2].enabled);   // at the top of the outermost file
  EXPECT_FALSE(m[5].enabled);   // no tree pane
  EXPECT_FALSE(m[7].enabled);   // undo is always grayed
  EXPECT_FALSE(m[10].enabled);  // empty clipboard
  host.setClipboardText("x");
  w->treeSync = true;
  int pane = 0;
  w->tree = &pane;
  w->markActive = true;
  m = w->contextMenu();
  EXPECT_TRUE(m[0].enabled);
  EXPECT_TRUE(m[5].enabled);
  EXPECT_TRUE(m[5].checked);
  EXPECT_TRUE(m[10].enabled);
  EXPECT_TRUE(m[12].enabled);
  EXPECT_EQ(m[5].text, "Sync Edit->Tree");
}

TEST_F(WindowTest, ScrollBarsFollowTheView) {
  auto w = makeWindow(numbered(40));
  w->resize(80 * 8 + 16, 25 * 16 + 16);
  PlaceCursor(*w, 2);
  w->updateScrollBars();
  EXPECT_EQ(w->hScrollRange, 0);
  EXPECT_FALSE(w->hScrollShown);
  // 42 rows (header, 40 lines, end) in a window that now has 26 rows.
  EXPECT_EQ(w->screenRows, 26);
  EXPECT_TRUE(w->vScrollShown);
  EXPECT_EQ(w->vScrollRange, 42 - 26);
  EXPECT_EQ(w->screenCols, 80);
  assign(*nth(*w, 3), std::string(100, 'x').c_str());
  invalidateViewMetrics(*w);  // changed behind the editor's back
  w->updateScrollBars();
  EXPECT_EQ(w->hScrollRange, 100 - 39);
  EXPECT_EQ(w->screenRows, 25);
  w->wrapMode = true;
  w->updateScrollBars();
  EXPECT_FALSE(w->hScrollShown);
  EXPECT_EQ(w->screen().getStride(), 77);
}

TEST_F(WindowTest, DestroyingTheWindowEmptiesTheStatusFields) {
  {
    auto w = makeWindow({});
    refreshStatus(*w);
    EXPECT_FALSE(host.fields()[2].empty());
  }
  for (const auto& f : host.fields()) EXPECT_TRUE(f.empty());
}

}  // namespace
