#include <gtest/gtest.h>

#include "print/previewmodel.hpp"

namespace {

// A letter page at 300 dpi, upright and on its side.
constexpr int kPortraitW = 2550, kPortraitH = 3300;

}  // namespace

TEST(PreviewModel, LandscapePageKeepsTwoPagesDisabled) {
  PreviewModel landscape(kPortraitH, kPortraitW);
  landscape.setUp(5);
  EXPECT_FALSE(landscape.canTwoPages());
  PreviewModel portrait(kPortraitW, kPortraitH);
  EXPECT_TRUE(portrait.canTwoPages());
  PreviewModel square(1000, 1000);
  EXPECT_TRUE(square.canTwoPages());
}

TEST(PreviewModel, OnePageOnlyDisablesNextAndTwoPagesShowsNothingBeside) {
  PreviewModel m(kPortraitW, kPortraitH);
  m.setUp(1);
  EXPECT_EQ(m.lastPageValue(), 1);
  EXPECT_FALSE(m.canPrevious());
  EXPECT_FALSE(m.canNext());
  EXPECT_EQ(m.pageText(), "Page 1");
  m.twoPages();
  EXPECT_TRUE(m.hasSecondView());
  EXPECT_EQ(m.firstPage(), 1);
  EXPECT_EQ(m.secondViewPage(), 0);
  EXPECT_FALSE(m.canNext());
  EXPECT_EQ(m.pageText(), "Page 1");
  m.nextPage();
  EXPECT_EQ(m.firstPage(), 1);
}

TEST(PreviewModel, PagingOneAndTwoAtATime) {
  PreviewModel m(kPortraitW, kPortraitH);
  m.setUp(3);
  EXPECT_EQ(m.firstPage(), 1);
  EXPECT_TRUE(m.canNext());
  m.nextPage();
  m.nextPage();
  EXPECT_EQ(m.firstPage(), 3);
  EXPECT_EQ(m.pageText(), "Page 3");
  EXPECT_FALSE(m.canNext());
  EXPECT_TRUE(m.canPrevious());
  m.nextPage();  // nothing beyond the last page
  EXPECT_EQ(m.firstPage(), 3);

  // Two pages on the last page: the pair ends with it.
  m.twoPages();
  EXPECT_EQ(m.firstPage(), 2);
  EXPECT_EQ(m.secondPage(), 3);
  EXPECT_EQ(m.secondViewPage(), 3);
  EXPECT_EQ(m.pageText(), "Page 2 - 3");
  m.previousPage();
  EXPECT_EQ(m.pageText(), "Page 1 - 2");
  EXPECT_FALSE(m.canPrevious());
  m.previousPage();
  EXPECT_EQ(m.firstPage(), 1);
  m.nextPage();
  EXPECT_EQ(m.pageText(), "Page 2 - 3");
  EXPECT_FALSE(m.canNext());

  m.onePage();
  EXPECT_FALSE(m.hasSecondView());
  EXPECT_EQ(m.secondPage(), 2);
  EXPECT_EQ(m.pageText(), "Page 2");
  EXPECT_TRUE(m.canNext());

  // Two pages from the first page: the next page beside it.
  PreviewModel fresh(kPortraitW, kPortraitH);
  fresh.setUp(4);
  fresh.twoPages();
  EXPECT_EQ(fresh.pageText(), "Page 1 - 2");
}

TEST(PreviewModel, ViewLimitedByHeightInAWideClient) {
  PreviewModel m(kPortraitW, kPortraitH);
  PreviewRect r = m.firstViewRect(1000, 600);
  EXPECT_EQ(r.left, 15);
  EXPECT_EQ(r.top, 15);
  EXPECT_EQ(r.bottom, 585);
  // 2550 * 95 / 3300 = 73 percent of its height.
  EXPECT_EQ(r.width(), 570 * 73 / 100);
}

TEST(PreviewModel, ViewLimitedByWidthInATallClient) {
  PreviewModel m(kPortraitW, kPortraitH);
  PreviewRect r = m.firstViewRect(400, 1000);
  EXPECT_EQ(r.left, 15);
  EXPECT_EQ(r.right, 385);
  // 3300 * 95 / 2550 = 122 percent of its width.
  EXPECT_EQ(r.height(), 370 * 122 / 100);
}

TEST(PreviewModel, ViewsAlwaysFitTheClient) {
  for (bool two : {false, true}) {
    for (int cw : {200, 500, 640, 800, 1000, 1600}) {
      for (int ch : {200, 480, 500, 640, 900, 1200}) {
        for (auto [pw, ph] : {std::pair{kPortraitW, kPortraitH}, std::pair{kPortraitH, kPortraitW}}) {
          PreviewModel m(pw, ph);
          m.setUp(4);
          if (two) m.twoPages();
          PreviewRect last = two ? m.secondViewRect(cw, ch) : m.firstViewRect(cw, ch);
          EXPECT_LE(last.right, cw - 15) << cw << "x" << ch << " " << pw << "x" << ph << " " << two;
          EXPECT_LE(last.bottom, ch - 15) << cw << "x" << ch << " " << pw << "x" << ph << " " << two;
          EXPECT_GT(last.width(), 0);
        }
      }
    }
  }
}

TEST(PreviewModel, SecondViewBesideTheFirst) {
  PreviewModel m(kPortraitW, kPortraitH);
  m.setUp(2);
  m.twoPages();
  PreviewRect a = m.firstViewRect(1200, 700);
  PreviewRect b = m.secondViewRect(1200, 700);
  EXPECT_EQ(b.left, a.right + 30);
  EXPECT_EQ(b.top, a.top);
  EXPECT_EQ(b.width(), a.width());
  EXPECT_EQ(b.bottom, a.bottom);
  // There is room for both, so the first view is laid out by the rule.
  EXPECT_EQ(a.bottom, 685);
}
