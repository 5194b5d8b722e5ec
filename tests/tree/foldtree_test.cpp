// The fold tree pane's model over windows read from real fold files: what
// the tree shows, what it selects for the cursor line, what it lets drag.
#include "tree/foldtree.hpp"

#include "engine/enginetest.hpp"
#include "engine/navigation.hpp"

namespace {

using Lines = std::vector<std::string>;

// A file with every kind of fold: closed ones nested, a filed one, and one
// that the tests open in place.
const Lines kNested = {
    "int a;",           //
    "/*{{{  one*/",     //
    "x",                //
    "/*{{{  two*/",     //
    "y",                //
    "/*}}}*/",          //
    "/*}}}*/",          //
    "/*{{{F part.c*/",  //
    "/*:::F part.c*/",  //
    "/*}}}*/",          //
    "/*{{{  three*/",   //
    "z",                //
    "/*{{{  four*/",    //
    "w",                //
    "/*}}}*/",          //
    "/*}}}*/",          //
    "int b;",           //
};

class FoldTreeTest : public EngineTest {
 protected:
  std::unique_ptr<EditorView> file(const Lines& v) {
    work.write("f.c", lines(v));
    work.write("part.c", "p\n");
    return open("f.c");
  }

  // Each item as "depth:text", in the model's order.
  static Lines shape(const FoldTreeModel& m) {
    Lines out;
    for (const TreeItem& it : m.items()) out.push_back(std::to_string(it.depth) + ":" + it.text);
    return out;
  }
  static const TreeItem& named(const FoldTreeModel& m, const std::string& text) {
    for (const TreeItem& it : m.items())
      if (it.text == text) return it;
    ADD_FAILURE() << "no item " << text;
    return m.item(0);
  }
};

TEST_F(FoldTreeTest, AFileWithoutFoldsShowsOnlyTheRoot) {
  auto w = file({"int a;", "int b;", ""});
  FoldTreeModel m;
  m.rebuildFor(*w);
  ASSERT_EQ(m.size(), 1);
  const TreeItem& root = m.item(0);
  EXPECT_EQ(root.text, "f.c");
  EXPECT_EQ(root.node, w->doc.fileTop->next);
  EXPECT_EQ(root.image, TreeImage::Shell);
  EXPECT_EQ(root.iconFile, "f.c");
  EXPECT_EQ(root.parent, -1);
  EXPECT_FALSE(root.draggable);
  EXPECT_FALSE(m.guarded());
}

TEST_F(FoldTreeTest, ClosedOpenAndFiledFoldsNestAsTheFileDoes) {
  auto w = file(kNested);
  cursorTo(*w, "three");
  ASSERT_TRUE(openFoldInPlace(*w, w->currentLine));
  FoldTreeModel m;
  m.rebuildFor(*w);
  EXPECT_EQ(shape(m), (Lines{"0:f.c", "1:one", "2:two", "1:part.c", "1:three", "2:four"}));

  const TreeItem& one = named(m, "one");
  EXPECT_EQ(one.image, TreeImage::Fold);
  EXPECT_FALSE(one.expanded);
  EXPECT_EQ(m.item(named(m, "two").parent).node, one.node);

  const TreeItem& filed = named(m, "part.c");
  EXPECT_EQ(filed.node->kind, FiledFold);
  EXPECT_EQ(filed.image, TreeImage::Shell);
  EXPECT_EQ(filed.iconFile, "part.c");  // the file its contents live in

  EXPECT_TRUE(named(m, "three").expanded);  // open in place
  EXPECT_FALSE(named(m, "four").expanded);
  EXPECT_EQ(named(m, "four").parent, m.find(named(m, "three").node));
  for (const TreeItem& it : m.items()) EXPECT_EQ(m.find(it.node), &it - m.items().data());
}

TEST_F(FoldTreeTest, AnEnteredFoldShowsAsAnOpenOneAndHoldsItsAncestorsInPlace) {
  auto w = file(kNested);
  cursorTo(*w, "one");
  EnterFold(*w);
  cursorTo(*w, "two");
  EnterFold(*w);
  ASSERT_EQ(text(viewFirst(*w)), "two");
  FoldTreeModel m;
  m.rebuildFor(*w);
  // The whole file still shows, not only the level entered.
  EXPECT_EQ(shape(m), (Lines{"0:f.c", "1:one", "2:two", "1:part.c", "1:three", "2:four"}));
  EXPECT_TRUE(named(m, "one").expanded);
  EXPECT_TRUE(named(m, "two").expanded);
  EXPECT_FALSE(named(m, "f.c").draggable);
  EXPECT_FALSE(named(m, "one").draggable);
  EXPECT_FALSE(named(m, "two").draggable);
  EXPECT_TRUE(named(m, "three").draggable);
  EXPECT_TRUE(named(m, "four").draggable);
  // The cursor's line inside selects the fold entered.
  EXPECT_EQ(m.itemForLine(*w, find(*w, "y")), m.find(viewFirst(*w)));
}

TEST_F(FoldTreeTest, TheLineOfTheCursorSelectsTheFoldThatHoldsIt) {
  auto w = file(kNested);
  cursorTo(*w, "three");
  ASSERT_TRUE(openFoldInPlace(*w, w->currentLine));
  FoldTreeModel m;
  m.rebuildFor(*w);
  const int three = m.find(find(*w, "three"));
  EXPECT_EQ(m.itemForLine(*w, find(*w, "three")), three);
  EXPECT_EQ(m.itemForLine(*w, find(*w, "z")), three);
  EXPECT_EQ(m.itemForLine(*w, find(*w, "three")->partner()), three);  // its end
  EXPECT_EQ(m.itemForLine(*w, find(*w, "four")), m.find(find(*w, "four")));
  // Past the open fold's end, and above it: the file's level.
  EXPECT_EQ(m.itemForLine(*w, find(*w, "int b;")), 0);
  EXPECT_EQ(m.itemForLine(*w, find(*w, "int a;")), 0);
  EXPECT_EQ(m.itemForLine(*w, w->doc.levelBottom), 0);

  FoldTreeModel none;
  EXPECT_EQ(none.itemForLine(*w, w->currentLine), -1);
}

TEST_F(FoldTreeTest, AnOpenFoldThatEndsAboveTheLineDoesNotHoldIt) {
  auto w = file({"/*{{{  a*/", "/*{{{  b*/", "x", "/*}}}*/", "y", "/*}}}*/", "z"});
  cursorTo(*w, "a");
  OpenAllFolds(*w);
  ASSERT_EQ(find(*w, "b")->kind, OpenFold);
  FoldTreeModel m;
  m.rebuildFor(*w);
  EXPECT_EQ(m.itemForLine(*w, find(*w, "x")), m.find(find(*w, "b")));
  EXPECT_EQ(m.itemForLine(*w, find(*w, "y")), m.find(find(*w, "a")));
  EXPECT_EQ(m.itemForLine(*w, find(*w, "z")), 0);
}

TEST_F(FoldTreeTest, InAFiledFoldsFileTheTreeIsThatFilesTree) {
  work.write("child.c", lines({"/*{{{  c1*/", "c", "/*}}}*/"}));
  auto w = file({"top", "/*...F child*/", "/*:::A  1 0*/", "/*:::F child.c*/", "/*}}}*/"});
  cursorTo(*w, "child");
  EnterFold(*w);
  ASSERT_TRUE(inFiledFile(*w));
  FoldTreeModel m;
  m.rebuildFor(*w);
  EXPECT_EQ(shape(m), (Lines{"0:child.c", "1:c1"}));
  EXPECT_EQ(m.item(0).image, TreeImage::Shell);
  EXPECT_EQ(m.item(0).iconFile, work.file("child.c"));
  ExitFold(*w);
  m.rebuildFor(*w);
  EXPECT_EQ(shape(m), (Lines{"0:f.c", "1:child"}));
}

TEST_F(FoldTreeTest, ATitleTypedLaterReachesItsItemOnly) {
  auto w = file(kNested);
  FoldTreeModel m;
  m.rebuildFor(*w);
  LineNode* two = named(m, "two").node;
  assign(*two, "renamed");
  const int i = m.updateText(two);
  ASSERT_GE(i, 0);
  EXPECT_EQ(m.item(i).text, "renamed");
  EXPECT_EQ(m.updateText(find(*w, "int a;")), -1);  // a text line has no item
  FoldTreeModel again;
  again.rebuildFor(*w);
  EXPECT_TRUE(again.sameAs(m));
}

TEST_F(FoldTreeTest, FoldsInsideAFiledFoldsListingMayNotBeDragged) {
  // A filed fold whose listing is still inline (made, its file not yet
  // written) shows its folds, but they belong to another file.
  auto w = file({"/*{{{F part.c*/", "/*:::F part.c*/", "/*{{{  in*/", "q", "/*}}}*/", "/*}}}*/"});
  FoldTreeModel m;
  m.rebuildFor(*w);
  LineNode* filed = find(*w, "part.c");
  ASSERT_NE(filed, nullptr);
  ASSERT_NE(filed->inner(), filed->partner());
  ASSERT_GE(m.size(), 3);
  EXPECT_TRUE(m.item(1).draggable);
  EXPECT_TRUE(m.item(2).inFiledListing);
  EXPECT_FALSE(m.item(2).draggable);
}

}  // namespace
