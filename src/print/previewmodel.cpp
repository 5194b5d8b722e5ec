#include "print/previewmodel.hpp"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kMargin = 15;  // between the client's edges and the views
constexpr int kGap = 30;     // between the two views

}  // namespace

PreviewModel::PreviewModel(int pageWidth, int pageHeight)
    : pageWidth_(std::max(1, pageWidth)), pageHeight_(std::max(1, pageHeight)) {}

void PreviewModel::setUp(int pageCount) {
  firstPage_ = secondPage_ = 1;
  secondView_ = false;
  secondViewPage_ = 0;
  firstPageValue_ = 1;
  lastPageValue_ = 1;
  // The pages of the printout are the pages that can be shown.
  if (pageCount > 1) lastPageValue_ = pageCount;
}

void PreviewModel::previousPage() {
  if (firstPageValue_ < firstPage_) {
    --firstPage_;
    --secondPage_;
    if (secondView_) secondViewPage_ = secondPage_;
  }
}

void PreviewModel::nextPage() {
  if (secondPage_ < lastPageValue_) {
    ++firstPage_;
    ++secondPage_;
    if (secondView_) secondViewPage_ = secondPage_;
  }
}

void PreviewModel::onePage() {
  secondView_ = false;
  secondViewPage_ = 0;
  secondPage_ = firstPage_;
}

void PreviewModel::twoPages() {
  if (secondView_) return;
  secondView_ = true;
  if (firstPage_ != lastPageValue_) {
    secondPage_ = firstPage_ + 1;
    secondViewPage_ = secondPage_;
  } else if (firstPage_ < 2) {
    secondViewPage_ = 0;
  } else {
    secondPage_ = firstPage_;
    --firstPage_;
    secondViewPage_ = secondPage_;
  }
}

std::string PreviewModel::pageText() const {
  char text[64];
  if (secondView_ && firstPage_ != secondPage_)
    std::snprintf(text, sizeof text, "Page %d - %d", firstPage_, secondPage_);
  else
    std::snprintf(text, sizeof text, "Page %d", firstPage_);
  return text;
}

PreviewRect PreviewModel::firstViewRect(int cw, int ch) const {
  const int pw = pageWidth_, ph = pageHeight_;
  // Percent of its height a view is wide, and of its width it is high.
  const int wideOfHigh = pw * 95 / ph;
  const int highOfWide = ph * 95 / pw;
  PreviewRect r;
  r.left = kMargin;
  r.top = kMargin;
  const int ratio = std::min(pw, ph) * 100 / std::max(pw, ph);
  if (ch < ratio * cw / 100) {
    r.bottom = ch - kMargin;
    r.right = r.left + std::max(0, r.height()) * wideOfHigh / 100;
  } else {
    r.right = cw - kMargin;
    r.bottom = r.top + std::max(0, r.width()) * highOfWide / 100;
  }

  // The rule above can leave a portrait page running off the bottom of a
  // window about as high as it is wide, and the second of two pages off
  // its right edge: the views then shrink until they fit.
  const int views = secondView_ ? 2 : 1;
  const int roomWide = std::max(0, (cw - 2 * kMargin - (views - 1) * kGap) / views);
  const int roomHigh = std::max(0, ch - 2 * kMargin);
  if (r.width() > roomWide || r.height() > roomHigh) {
    int w = roomWide;
    int h = w * highOfWide / 100;
    if (h > roomHigh) {
      h = roomHigh;
      w = h * wideOfHigh / 100;
    }
    r.right = r.left + w;
    r.bottom = r.top + h;
  }
  r.right = std::max(r.left, r.right);
  r.bottom = std::max(r.top, r.bottom);
  return r;
}

PreviewRect PreviewModel::secondViewRect(int cw, int ch) const {
  PreviewRect first = firstViewRect(cw, ch);
  PreviewRect r;
  r.left = first.right + kGap;
  r.top = first.top;
  r.right = r.left + first.width();
  r.bottom = first.bottom;
  return r;
}
