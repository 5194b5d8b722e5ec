#include <gtest/gtest.h>

#include <cstring>

#include "model/linestore.hpp"
#include "support/testenv.hpp"

namespace {

class LineStoreTest : public PlicatoTest {
 protected:
  // A closed fold H holding `inside` text lines, linked after `after`.
  LineNode* makeClosedFold(LineStore& s, int inside) {
    LineNode* h = newLineNode(s);
    LineNode* e = newLineNode(s);
    h->kind = ClosedFold;
    e->kind = FoldEnd;
    h->partner() = e;
    e->partner() = h;
    LineNode* last = nullptr;
    for (int i = 0; i < inside; ++i) {
      LineNode* t = newLineNode(s);
      assign(*t, ("line" + std::to_string(i)).c_str());
      if (last) linkAfter(last, t); else h->inner() = t;
      last = t;
    }
    if (last) linkAfter(last, e); else h->inner() = e;
    return h;
  }
};

TEST_F(LineStoreTest, GrowingTextKeepsContentsAndTellsTheRealCapacity) {
  GrowString s;
  initString(s);
  EXPECT_GE(capacity(s), 156u);
  std::string big(400, 'x');
  assign(s, "head");
  append(s, big.c_str());
  EXPECT_EQ(std::string(s.text), "head" + big);
  EXPECT_GE(capacity(s), 405u);
  insertAt(s, 2, "--", 2);
  EXPECT_EQ(std::string(s.text, 6), "he--ad");
  // Shift left from inside the buffer.
  size_t n = length(s);
  writeAt(s, 0, s.text + 2, n - 2 + 1);
  EXPECT_EQ(std::string(s.text, 4), "--ad");
  freeString(s);
}

TEST_F(LineStoreTest, NewNodesCopyTheTemplate) {
  LineStore s(ctx);
  LineNode* n = newLineNode(s);
  EXPECT_EQ(n->kind, TextLine);
  EXPECT_EQ(n->foldType(), 0u);
  EXPECT_EQ(n->foldContents(), 1u);
  EXPECT_EQ(n->attrByte, 4);
  EXPECT_EQ(n->savedRow(), 0);
  EXPECT_STREQ(n->text, "");
  // A line's text takes what it holds (the heap's least block), no more.
  EXPECT_LE(capacity(*n), 24u);
  assign(*n, "abc");
  EXPECT_GE(capacity(*n), 4u);
  EXPECT_LE(capacity(*n), 24u);
  // A plain text line has no fold fields.
  EXPECT_EQ(n->fields, 0u);
}

TEST_F(LineStoreTest, ReusingADisposedFoldLeavesItsContentsOnTheListInOrder) {
  LineStore s(ctx);
  int before = ctx.freeCount;
  LineNode* fold = makeClosedFold(s, 2);
  LineNode* later = newLineNode(s);
  assign(*later, "later");
  LineNode* in0 = fold->inner();
  LineNode* in1 = in0->next;
  LineNode* foldEnd = fold->partner();
  dispose(s, fold);
  dispose(s, later);
  EXPECT_EQ(ctx.freeCount, before + 5);  // header, two lines, end, later

  LineNode* first = newLineNode(s);
  EXPECT_EQ(first, fold);
  EXPECT_EQ(first->kind, TextLine);
  // The old contents come next, then the end node, then the later disposal.
  EXPECT_EQ(newLineNode(s), in0);
  EXPECT_EQ(newLineNode(s), in1);
  LineNode* end = newLineNode(s);
  EXPECT_EQ(end, foldEnd);
  EXPECT_EQ(end->kind, TextLine);
  EXPECT_EQ(newLineNode(s), later);
  EXPECT_EQ(ctx.freeCount, before);
}

TEST_F(LineStoreTest, TakeBackReturnsTheLastDisposalOrNull) {
  LineStore s(ctx);
  int before = ctx.freeCount;
  EXPECT_EQ(takeBack(s), nullptr);
  EXPECT_EQ(ctx.freeCount, before);
  LineNode* x = newLineNode(s);
  LineNode* fold = makeClosedFold(s, 3);
  dispose(s, x);
  dispose(s, fold);
  EXPECT_EQ(takeBack(s), fold);
  EXPECT_EQ(ctx.freeCount, before + 1);
  EXPECT_EQ(fold->inner()->next->next->next, fold->partner());
  EXPECT_EQ(takeBack(s), x);
  EXPECT_EQ(takeBack(s), nullptr);
  EXPECT_EQ(ctx.freeCount, before);
}

TEST_F(LineStoreTest, ClosingNestedOpenFoldsKeepsIndentsRelative) {
  LineStore s(ctx);
  // outer open fold at indent 4 (marker 2), holding text at 6 and an open
  // inner fold at 8 (marker 2) holding text at 10.
  LineNode* top = newLineNode(s);
  LineNode* oh = newLineNode(s); oh->kind = OpenFold; oh->indent = 4; oh->markerColumn() = 2;
  LineNode* t1 = newLineNode(s); t1->indent = 6;
  LineNode* ih = newLineNode(s); ih->kind = OpenFold; ih->indent = 8; ih->markerColumn() = 2;
  LineNode* t2 = newLineNode(s); t2->indent = 10;
  LineNode* ie = newLineNode(s); ie->kind = FoldEnd; ie->indent = 8;
  LineNode* oe = newLineNode(s); oe->kind = FoldEnd; oe->indent = 4;
  LineNode* after = newLineNode(s);
  oh->partner() = oe; oe->partner() = oh; ih->partner() = ie; ie->partner() = ih;
  LineNode* chain[] = {top, oh, t1, ih, t2, ie, oe, after};
  for (int i = 0; i + 1 < 8; ++i) linkAfter(chain[i], chain[i + 1]);

  close(oh);
  EXPECT_EQ(oh->kind, ClosedFold);
  EXPECT_EQ(oh->indent, 2);
  EXPECT_EQ(oh->next, after);
  EXPECT_EQ(after->prev, oh);
  EXPECT_EQ(oh->inner(), t1);
  EXPECT_EQ(t1->indent, 2);
  EXPECT_EQ(ih->kind, ClosedFold);
  EXPECT_EQ(ih->indent, 2);  // relative to the outer fold's marker column
  EXPECT_EQ(ih->next, oe);
  EXPECT_EQ(t2->indent, 2);  // relative to its own fold
  EXPECT_EQ(ie->indent, 0);
  EXPECT_EQ(oe->indent, 0);
  EXPECT_EQ(lineCount(oh), 6);
}

TEST_F(LineStoreTest, LineBudgetSpeaksOnlyWhenShort) {
  LineStore s(ctx);
  // The memory of this machine holds far more than a large fold.
  EXPECT_TRUE(lineBudget(s, 6002));
  EXPECT_GT(linesAllowed(s), 1000000);
  EXPECT_TRUE(host.statusTexts().empty());
  int saved = ctx.freeCount;
  ctx.freeCount = 0;
  s.lineAllowance = 5140;
  EXPECT_TRUE(lineBudget(s, 1));
  EXPECT_TRUE(host.statusTexts().empty());
  EXPECT_TRUE(lineBudget(s, 5000));
  EXPECT_EQ(host.lastStatus(), "Running out of memory. 138 lines left.");
  EXPECT_FALSE(lineBudget(s, 6000));
  EXPECT_EQ(host.lastStatus(),
            "Not enough memory to create lines. Need 6000 but only have 5138 lines left.");
  ctx.freeCount = saved;
}

TEST_F(LineStoreTest, TextHelpers) {
  EXPECT_EQ(firstNonBlank("   x"), 4);
  EXPECT_EQ(firstNonBlank("   "), 4);
  EXPECT_EQ(lengthWithoutTrailing("ab  "), 2u);
  EXPECT_EQ(expandToColumn("\tab\tc", 4, 8), 16);
  EXPECT_EQ(expandToColumn("abcde\t", 6, 8), 8);
}

}  // namespace
