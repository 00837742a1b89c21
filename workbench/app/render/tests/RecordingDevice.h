// A device context for the render tests that keeps every call: the polylines with the pen
// they were drawn with, markers, texts, clip changes. Text is measured as a fixed-pitch font
// whose characters are as wide as half the font height.
#pragma once

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "DrawingSurface.h"

class RecordingDevice : public IDeviceContext {
 public:
  struct Line {
    CPenSpec pen;
    bool clipped = false;
    std::vector<CDevicePoint> points;
  };
  struct Shape {
    bool ellipse = false;
    CDeviceRect rect;
    CPenSpec pen;
    CBrushSpec brush;
  };
  struct TextCall {
    CDevicePoint at;
    std::string text;
    int align = 0;
    int angle = 0;
    bool box = false;
    CDeviceRect rect;
  };

  explicit RecordingDevice(CDeviceCaps c = {100, 100, 400, 400}) : caps(c) {}

  CDeviceCaps Caps() const override { return caps; }
  void SelectPen(const CPenSpec& p) override { pen = p; }
  void SelectBrush(const CBrushSpec& b) override { brush = b; }
  void SelectFont(const CFontSpec& f) override { font = f; }
  void Polyline(const CDevicePoint* p, int n) override {
    lines.push_back({pen, clip, std::vector<CDevicePoint>(p, p + n)});
    if (onPolyline) onPolyline();
  }
  void Rectangle(const CDeviceRect& r) override { shapes.push_back({false, r, pen, brush}); }
  void Ellipse(const CDeviceRect& r) override { shapes.push_back({true, r, pen, brush}); }
  void Text(CDevicePoint at, const std::string& text, int align, int angleDeg) override {
    texts.push_back({at, text, align, angleDeg, false, {}});
  }
  void TextBox(const CDeviceRect& r, const std::string& text) override {
    texts.push_back({{r.left, r.top}, text, 0, 0, true, r});
  }
  CDeviceSize TextExtent(const std::string& text) override {
    const int h = font.height ? std::abs(font.height) : 10;
    return {static_cast<int>(text.size()) * h / 2, h};
  }
  CDeviceSize TextBoxExtent(int, const std::string&) override { return {}; }
  void SetClip(const CDeviceRect& r) override {
    clip = true;
    clipRect = r;
  }
  void ClearClip() override { clip = false; }

  // The lines drawn in one colour.
  std::vector<Line> LinesOf(COLORREF color) const {
    std::vector<Line> out;
    for (const Line& l : lines)
      if (l.pen.color == color) out.push_back(l);
    return out;
  }
  bool HasText(const std::string& t) const {
    for (const TextCall& c : texts)
      if (c.text == t) return true;
    return false;
  }

  CDeviceCaps caps;
  CPenSpec pen;
  CBrushSpec brush;
  CFontSpec font;
  bool clip = false;
  CDeviceRect clipRect;
  std::vector<Line> lines;
  std::vector<Shape> shapes;
  std::vector<TextCall> texts;
  std::function<void()> onPolyline;
};
