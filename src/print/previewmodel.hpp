// What the print preview shows and allows, apart from any window system:
// the page numbers of its one or two page views, the enabling of its
// buttons, its page text and where the page views lie in its client area.
#pragma once

#include <string>

struct PreviewRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const PreviewRect&) const = default;
};

class PreviewModel {
 public:
  // The printer page in device pixels.
  PreviewModel(int pageWidth, int pageHeight);

  // The window is set up: one page view on page 1, and the pages that can
  // be shown are those of the printout (at least one).
  void setUp(int pageCount);

  // Commands 24500 to 24503.
  void previousPage();
  void nextPage();
  void onePage();
  void twoPages();

  bool canPrevious() const { return firstPage_ != 1; }
  bool canNext() const { return secondPage_ != lastPageValue_; }
  // Two portrait pages side by side; a landscape page is shown alone.
  bool canTwoPages() const { return pageHeight_ >= pageWidth_; }

  // "Page %d", or "Page %d - %d" while two different pages are shown.
  std::string pageText() const;

  int firstPage() const { return firstPage_; }
  int secondPage() const { return secondPage_; }
  bool hasSecondView() const { return secondView_; }
  // The page the second view shows; 0 when it shows nothing.
  int secondViewPage() const { return secondViewPage_; }
  int firstPageValue() const { return firstPageValue_; }
  int lastPageValue() const { return lastPageValue_; }
  int pageWidth() const { return pageWidth_; }
  int pageHeight() const { return pageHeight_; }

  // Where the page views lie in a client area of the given size (pixels).
  PreviewRect firstViewRect(int clientWidth, int clientHeight) const;
  PreviewRect secondViewRect(int clientWidth, int clientHeight) const;

 private:
  int pageWidth_;
  int pageHeight_;
  int firstPage_ = 1;
  int secondPage_ = 1;
  int secondViewPage_ = 0;
  bool secondView_ = false;
  int firstPageValue_ = 1;
  int lastPageValue_ = 1;
};
