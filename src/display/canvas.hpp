// A drawing surface with text-out in colours, in the manner of a device
// context: a current position that text output may advance, a text colour
// and a background colour. The editor widget, the printer and the tests
// each provide one. Coordinates are the surface's own units.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void moveTo(int x, int y) = 0;
  // Draws n bytes at the current position and advances it.
  virtual void textOut(const char* text, int n) = 0;
  // Draws n bytes at (x, y); the current position stays.
  virtual void textOutAt(int x, int y, const char* text, int n) = 0;
  virtual void setTextColour(uint32_t colour) = 0;
  virtual uint32_t textColour() const = 0;
  virtual void setBackColour(uint32_t colour) = 0;
  virtual uint32_t backColour() const = 0;
  // Width and height of n bytes of text in the surface's units.
  virtual int textWidth(const char* text, int n) const = 0;
  virtual int textHeight() const = 0;
  // Transparent background for text (printing).
  virtual void setTransparent(bool on) { (void)on; }
};

// A canvas that keeps its colours and background mode itself; a surface
// reads them when it draws.
class ColouredCanvas : public Canvas {
 public:
  void setTextColour(uint32_t colour) override { text_ = colour; }
  uint32_t textColour() const override { return text_; }
  void setBackColour(uint32_t colour) override { back_ = colour; }
  uint32_t backColour() const override { return back_; }
  void setTransparent(bool on) override { transparent_ = on; }

 protected:
  uint32_t text_ = 0x000000;
  uint32_t back_ = 0xFFFFFF;
  bool transparent_ = false;
};

// A canvas in character cells that keeps every run drawn, in order.
class RunRecorder : public ColouredCanvas {
 public:
  struct Run {
    int x = 0;
    int y = 0;
    std::string text;
    uint32_t textColour = 0;
    uint32_t backColour = 0;
  };
  void moveTo(int x, int y) override { x_ = x; y_ = y; }
  void textOut(const char* text, int n) override {
    textOutAt(x_, y_, text, n);
    x_ += n;
  }
  void textOutAt(int x, int y, const char* text, int n) override {
    if (n > 0) runs.push_back({x, y, std::string(text, static_cast<size_t>(n)), text_, back_});
  }
  int textWidth(const char*, int n) const override { return n; }
  int textHeight() const override { return 1; }
  int x() const { return x_; }

  std::vector<Run> runs;

 private:
  int x_ = 0, y_ = 0;
};
