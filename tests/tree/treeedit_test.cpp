// What the fold tree pane does to the file: drops refused, copied and
// moved folds that the file written afterwards holds at their new places,
// paste around a picked fold, the pick that moves the editor, the menu.
#include "tree/treeedit.hpp"

#include "engine/enginetest.hpp"
#include "engine/filecommands.hpp"
#include "engine/navigation.hpp"
#include "engine/treecheck.hpp"
#include "tree/foldtree.hpp"

namespace {

using Lines = std::vector<std::string>;

const Lines kFile = {
    "int a;",          //
    "/*{{{  one*/",    //
    "x",               //
    "/*{{{  two*/",    //
    "y",               //
    "/*}}}*/",         //
    "/*}}}*/",         //
    "/*{{{  three*/",  //
    "z",               //
    "/*}}}*/",         //
    "int b;",          //
};

class TreeEditTest : public EngineTest {
 protected:
  std::unique_ptr<EditorView> file(const Lines& v = kFile) {
    work.write("f.c", lines(v));
    auto w = open("f.c");
    model.rebuildFor(*w);
    return w;
  }

  // The header that the tree shows with this title.
  LineNode* item(const std::string& title) {
    for (const TreeItem& it : model.items())
      if (it.text == title) return it.node;
    ADD_FAILURE() << "no item " << title;
    return nullptr;
  }
  int index(const std::string& title) { return model.find(item(title)); }

  std::string saved(EditorView& w) {
    EXPECT_TRUE(saveCommand(w));
    return work.read("f.c");
  }

  FoldTreeModel model;
};

TEST_F(TreeEditTest, AFoldDroppedOntoItsOwnInnerFoldIsRefusedAndNothingChanges) {
  auto w = file();
  const DropCheck c = checkDrop(*w, model, index("one"), index("two"));
  EXPECT_EQ(c, DropCheck::ParentOntoChild);
  reportDrop(host, c);
  EXPECT_TRUE(boxSaid("Unable to drag a parent tree onto a child tree."));
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(treecheck::check(*w), "");
  w->doc.modified = true;  // written all the same: the file is as it was
  EXPECT_EQ(saved(*w), lines(kFile));
}

TEST_F(TreeEditTest, DropChecksInTheirOrder) {
  auto w = file();
  EXPECT_EQ(checkDrop(*w, model, index("two"), index("two")), DropCheck::SameItem);
  EXPECT_EQ(checkDrop(*w, model, 0, index("two")), DropCheck::NotDraggable);  // the root
  EXPECT_EQ(checkDrop(*w, model, index("two"), index("one")), DropCheck::Ok);  // child onto parent
  EXPECT_EQ(checkDrop(*w, model, index("three"), 0), DropCheck::Ok);
  EXPECT_EQ(checkDrop(*w, model, index("three"), 99), DropCheck::NotFound);

  // A fold deleted since the tree was built is looked for in vain.
  cursorTo(*w, "three");
  LineNode* three = w->currentLine;
  LineNode* after = three->next;
  linkAfter(three->prev, after);
  dispose(w->doc, three);
  EXPECT_FALSE(headerInFile(*w, three));
  const DropCheck c = checkDrop(*w, model, index("two"), model.find(three));
  EXPECT_EQ(c, DropCheck::NotFound);
  reportDrop(host, c);
  EXPECT_TRUE(boxSaid("Can't find node to copy..."));
  EXPECT_FALSE(dropFold(*w, item("two"), three, DropAction::Move));
  EXPECT_FALSE(goToNode(*w, three));
}

TEST_F(TreeEditTest, ACopiedFoldIsWrittenAboveTheTargetAndTheOriginalStays) {
  auto w = file();
  ASSERT_TRUE(dropFold(*w, item("three"), item("one"), DropAction::Copy));
  EXPECT_TRUE(w->doc.modified);
  EXPECT_EQ(text(w->currentLine), "three");
  EXPECT_NE(w->currentLine, item("three"));  // the copy
  EXPECT_EQ(treecheck::check(*w), "");
  EXPECT_EQ(saved(*w), lines({"int a;", "/*{{{  three*/", "z", "/*}}}*/", "/*{{{  one*/", "x",
                              "/*{{{  two*/", "y", "/*}}}*/", "/*}}}*/", "/*{{{  three*/", "z",
                              "/*}}}*/", "int b;"}));
}

TEST_F(TreeEditTest, AMovedFoldLeavesItsParentAndIsWrittenAtItsNewPlace) {
  auto w = file();
  LineNode* two = item("two");
  ASSERT_TRUE(dropFold(*w, two, item("three"), DropAction::Move));
  EXPECT_EQ(w->currentLine, two);  // the same node, moved
  EXPECT_EQ(treecheck::check(*w), "");
  EXPECT_EQ(saved(*w), lines({"int a;", "/*{{{  one*/", "x", "/*}}}*/", "/*{{{  two*/", "y",
                              "/*}}}*/", "/*{{{  three*/", "z", "/*}}}*/", "int b;"}));
  // The tree built again shows it there.
  model.rebuildFor(*w);
  EXPECT_EQ(model.item(index("two")).parent, 0);
}

TEST_F(TreeEditTest, OntoTheRootAFoldGoesToTheTopOfTheFile) {
  auto w = file();
  ASSERT_TRUE(dropFold(*w, item("two"), item("f.c"), DropAction::Move));
  EXPECT_EQ(saved(*w), lines({"/*{{{  two*/", "y", "/*}}}*/", "int a;", "/*{{{  one*/", "x",
                              "/*}}}*/", "/*{{{  three*/", "z", "/*}}}*/", "int b;"}));
}

TEST_F(TreeEditTest, AMoveWhereTheFoldAlreadyStandsChangesNothing) {
  auto w = file({"/*{{{  one*/", "x", "/*}}}*/", "/*{{{  two*/", "y", "/*}}}*/"});
  EXPECT_FALSE(dropFold(*w, item("one"), item("two"), DropAction::Move));
  EXPECT_FALSE(dropFold(*w, item("one"), item("f.c"), DropAction::Move));
  EXPECT_FALSE(dropFold(*w, item("one"), item("two"), DropAction::Cancel));
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(treecheck::check(*w), "");
}

TEST_F(TreeEditTest, AnOpenFoldIsClosedBeforeItIsMovedOrCopied) {
  auto w = file();
  cursorTo(*w, "one");
  ASSERT_TRUE(openFoldInPlace(*w, w->currentLine));
  cursorTo(*w, "x");  // the cursor inside the fold that goes
  LineNode* one = item("one");
  ASSERT_TRUE(dropFold(*w, one, item("three"), DropAction::Copy));
  EXPECT_EQ(one->kind, ClosedFold);
  EXPECT_EQ(treecheck::check(*w), "");
  ASSERT_TRUE(openFoldInPlace(*w, one));
  ASSERT_TRUE(dropFold(*w, one, item("three"), DropAction::Move));
  EXPECT_EQ(treecheck::check(*w), "");
  EXPECT_EQ(saved(*w), lines({"int a;", "/*{{{  one*/", "x", "/*{{{  two*/", "y", "/*}}}*/",
                              "/*}}}*/", "/*{{{  one*/", "x", "/*{{{  two*/", "y", "/*}}}*/",
                              "/*}}}*/", "/*{{{  three*/", "z", "/*}}}*/", "int b;"}));
}

TEST_F(TreeEditTest, AFoldTakesTheColumnOfItsNewLevelAndKeepsItsOwnMarkerColumn) {
  // "in" stands at the column of "outer"'s contents, 2; "side" has its
  // marker two blanks right of its level.
  auto w = file({"  /*{{{  outer*/", "  /*{{{  in*/", "  y", "  /*}}}*/", "  /*}}}*/",
                 "  /*{{{  side*/", "  s", "  /*}}}*/", "/*{{{  last*/", "/*}}}*/"});
  cursorTo(*w, "outer");
  ASSERT_TRUE(openFoldInPlace(*w, w->currentLine));  // its contents shown indented
  ASSERT_TRUE(dropFold(*w, item("in"), item("last"), DropAction::Move));
  ASSERT_TRUE(dropFold(*w, item("side"), item("outer"), DropAction::Copy));
  EXPECT_EQ(treecheck::check(*w), "");
  EXPECT_EQ(saved(*w), lines({"  /*{{{  side*/", "  s", "  /*}}}*/", "  /*{{{  outer*/", "  /*}}}*/",
                              "  /*{{{  side*/", "  s", "  /*}}}*/", "/*{{{  in*/", "y", "/*}}}*/",
                              "/*{{{  last*/", "/*}}}*/"}));
}

TEST_F(TreeEditTest, FiledFoldsAreMovedButNotCopied) {
  work.write("part.c", "p\n");
  auto w = file({"int a;", "/*{{{F part.c*/", "/*:::F part.c*/", "/*}}}*/", "/*{{{  one*/",
                 "/*}}}*/"});
  LineNode* filed = item("part.c");
  ASSERT_EQ(filed->kind, FiledFold);
  EXPECT_FALSE(dropFold(*w, filed, item("one"), DropAction::Copy));
  EXPECT_TRUE(statusSaid("Plicato cannot copy filed folds"));
  EXPECT_FALSE(w->doc.modified);
  ASSERT_TRUE(dropFold(*w, item("one"), filed, DropAction::Move));
  EXPECT_EQ(treecheck::check(*w), "");
  const std::string out = saved(*w);
  EXPECT_EQ(out.substr(0, out.find("/*:::F")),
            lines({"int a;", "/*{{{  one*/", "/*}}}*/", "/*{{{F part.c*/"}));
}

TEST_F(TreeEditTest, AnOpenFoldHoldingAFiledOneIsNotCopiedAndTheViewStaysSound) {
  work.write("part.c", "p\n");
  auto w = file({"/*{{{  outer*/", "a", "/*{{{F part.c*/", "/*:::F part.c*/", "/*}}}*/", "/*}}}*/",
                 "/*{{{  last*/", "/*}}}*/"});
  cursorTo(*w, "outer");
  ASSERT_TRUE(openFoldInPlace(*w, w->currentLine));
  cursorTo(*w, "a");
  EXPECT_FALSE(dropFold(*w, item("outer"), item("last"), DropAction::Copy));
  EXPECT_TRUE(statusSaid("Plicato cannot copy filed folds"));
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(w->currentLine, item("outer"));  // its lines left the view with it
  EXPECT_EQ(w->shownAt(w->cursorRow).line, w->currentLine);
  EXPECT_EQ(treecheck::check(*w), "");
}

TEST_F(TreeEditTest, FromInsideAnEnteredFoldTheEditorLeavesItAsFarAsTheDropNeeds) {
  auto w = file();
  cursorTo(*w, "one");
  EnterFold(*w);
  model.rebuildFor(*w);
  // "three" lies outside the fold entered: the editor comes out of it.
  ASSERT_TRUE(dropFold(*w, item("three"), item("two"), DropAction::Move));
  EXPECT_FALSE(showsEnteredFold(*w));
  EXPECT_EQ(text(w->currentLine), "three");
  EXPECT_EQ(treecheck::check(*w), "");
  EXPECT_EQ(saved(*w), lines({"int a;", "/*{{{  one*/", "x", "/*{{{  three*/", "z", "/*}}}*/",
                              "/*{{{  two*/", "y", "/*}}}*/", "/*}}}*/", "int b;"}));
}

TEST_F(TreeEditTest, OntoAnEnteredFoldAFoldGoesToTheTopOfItsContents) {
  auto w = file();
  cursorTo(*w, "one");
  EnterFold(*w);
  model.rebuildFor(*w);
  ASSERT_TRUE(dropFold(*w, item("two"), item("one"), DropAction::Copy));
  EXPECT_TRUE(showsEnteredFold(*w));
  EXPECT_EQ(text(viewFirst(*w)->next), "two");
  EXPECT_EQ(saved(*w), lines({"int a;", "/*{{{  one*/", "/*{{{  two*/", "y", "/*}}}*/", "x",
                              "/*{{{  two*/", "y", "/*}}}*/", "/*}}}*/", "/*{{{  three*/", "z",
                              "/*}}}*/", "int b;"}));
}

TEST_F(TreeEditTest, TheTreeChangesNothingInBrowseModeOrWhileAFoldIsMade) {
  auto w = file();
  w->browseMode = true;
  EXPECT_FALSE(dropFold(*w, item("three"), item("one"), DropAction::Move));
  EXPECT_TRUE(statusSaid("Plicato browse mode!"));
  EXPECT_FALSE(pasteAtFold(*w, item("one"), "p\n", false));
  w->browseMode = false;
  w->createFoldMode = true;
  EXPECT_FALSE(dropFold(*w, item("three"), item("one"), DropAction::Move));
  EXPECT_TRUE(statusSaid("Plicato key disabled during create fold"));
  w->createFoldMode = false;
  EXPECT_FALSE(w->doc.modified);
  EXPECT_EQ(treecheck::check(*w), "");
}

TEST_F(TreeEditTest, PasteGoesAboveTheHeaderAndPasteBelowAfterTheFoldsEnd) {
  auto w = file();
  ASSERT_TRUE(pasteAtFold(*w, item("three"), "p1\np2\n", true));
  ASSERT_TRUE(pasteAtFold(*w, item("two"), "q\n", false));
  // A line that follows the fold is never joined, wherever the cursor was.
  EXPECT_TRUE(w->doc.modified);
  EXPECT_EQ(treecheck::check(*w), "");
  EXPECT_EQ(saved(*w), lines({"int a;", "/*{{{  one*/", "x", "q", "/*{{{  two*/", "y", "/*}}}*/",
                              "/*}}}*/", "/*{{{  three*/", "z", "/*}}}*/", "p1", "p2", "int b;"}));
}

TEST_F(TreeEditTest, OnTheRootPasteGoesToTheTopAndPasteBelowToTheEnd) {
  auto w = file({"a", "b"});
  ASSERT_TRUE(pasteAtFold(*w, item("f.c"), "top\n", false));
  ASSERT_TRUE(pasteAtFold(*w, item("f.c"), "end\n", true));
  EXPECT_FALSE(pasteAtFold(*w, item("f.c"), "", true));
  EXPECT_EQ(saved(*w), lines({"top", "a", "b", "end"}));
}

TEST_F(TreeEditTest, APickOpensTheFoldsAroundItAndLeavesEnteredOnesAsNeeded) {
  auto w = file();
  ASSERT_TRUE(goToNode(*w, item("two")));
  EXPECT_EQ(w->currentLine, item("two"));
  EXPECT_EQ(item("one")->kind, OpenFold);  // opened to show it
  EXPECT_EQ(treecheck::check(*w), "");

  cursorTo(*w, "two");
  EnterFold(*w);
  ASSERT_TRUE(showsEnteredFold(*w));
  ASSERT_TRUE(goToNode(*w, item("three")));
  EXPECT_FALSE(showsEnteredFold(*w));
  EXPECT_EQ(w->currentLine, item("three"));
  EXPECT_EQ(treecheck::check(*w), "");

  ASSERT_TRUE(goToNode(*w, item("f.c")));
  EXPECT_EQ(w->currentLine, viewFirst(*w));
  EXPECT_FALSE(goToNode(*w, find(*w, "int a;")));  // not a header
  EXPECT_FALSE(goToNode(*w, nullptr));
  EXPECT_FALSE(w->doc.modified);
}

TEST_F(TreeEditTest, TheContextMenuInItsOrderWithItsRules) {
  auto w = file();
  std::vector<MenuEntry> m = treeContextMenu(*w, false);
  Lines names;
  for (const MenuEntry& e : m) names.push_back(e.id ? e.text : "-");
  EXPECT_EQ(names, (Lines{"Cut", "Copy", "Delete", "-", "Paste", "Paste below", "-", "Enter fold",
                          "Exit fold", "Open All Folds", "Close All Folds"}));
  EXPECT_EQ(m[4].id, 327);
  EXPECT_EQ(m[5].id, kTreeMenuPasteBelow);
  EXPECT_FALSE(m[4].enabled);  // no clipboard text
  EXPECT_FALSE(m[5].enabled);
  EXPECT_FALSE(m[7].enabled);  // the cursor is on a text line
  EXPECT_FALSE(m[8].enabled);  // the outermost level of a file without a parent

  cursorTo(*w, "one");
  w->canOpenAll = true;
  m = treeContextMenu(*w, true);
  EXPECT_TRUE(m[4].enabled && m[5].enabled);
  EXPECT_TRUE(m[7].enabled);
  EXPECT_TRUE(m[9].enabled);
  EXPECT_FALSE(m[10].enabled);
  EnterFold(*w);
  EXPECT_TRUE(treeContextMenu(*w, true)[8].enabled);
}

}  // namespace
