// Printouts drawn on a canvas that records every text it is given, over
// windows read from fold files as the editor reads them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "display/canvas.hpp"
#include "display/editorview.hpp"
#include "engine/layout.hpp"
#include "print/printout.hpp"
#include "support/foldwindow.hpp"
#include "support/testenv.hpp"

// A printer page in logical units: every text drawn, empty ones included
// (a blank line is still a line of the page).
class PageRecorder : public Canvas {
 public:
  struct Run {
    int x = 0;
    int y = 0;
    std::string text;
  };
  PageRecorder(int charWidth = 10, int lineHeight = 12) : charWidth_(charWidth), lineHeight_(lineHeight) {}

  void moveTo(int x, int y) override { x_ = x; y_ = y; }
  void textOut(const char* text, int n) override {
    textOutAt(x_, y_, text, n);
    x_ += n * charWidth_;
  }
  void textOutAt(int x, int y, const char* text, int n) override {
    runs.push_back({x, y, std::string(text, static_cast<size_t>(n > 0 ? n : 0))});
  }
  void setTextColour(uint32_t) override {}
  uint32_t textColour() const override { return 0; }
  void setBackColour(uint32_t) override {}
  uint32_t backColour() const override { return 0xFFFFFF; }
  int textWidth(const char*, int n) const override { return n * charWidth_; }
  int textHeight() const override { return lineHeight_; }
  void setTransparent(bool on) override { transparent = on; }

  std::vector<Run> runs;
  bool transparent = false;

 private:
  int charWidth_, lineHeight_;
  int x_ = 0, y_ = 0;
};

class PrintTest : public PlicatoTest {
 protected:
  static constexpr int kCharWidth = 10;
  static constexpr int kLineHeight = 12;

  static std::string lines(const std::vector<std::string>& v) { return foldtest::lfLines(v); }

  // A C file written and read into a window, its top level shown.
  std::unique_ptr<EditorView> open(const std::string& name, const std::string& content) {
    work.write(name, content);
    auto w = foldtest::openC(ctx, work.file(name));
    host.clearEvents();
    return w;
  }

  // A page that holds `lines` lines of text under its header.
  static PageGeometry geometryFor(int lines) {
    PageGeometry g;
    g.pageWidth = 850;
    g.pageCharWidth = kCharWidth;
    g.pageLineHeight = kLineHeight;
    g.pageHeight = (lines + 2) * kLineHeight;
    return g;
  }

  // The texts of a page's lines (its header and the line under it left out).
  static std::vector<std::string> bodyOf(const PageRecorder& page) {
    std::vector<std::string> out;
    for (const auto& r : page.runs)
      if (r.y <= -2 * kLineHeight) out.push_back(r.text);
    return out;
  }
};
