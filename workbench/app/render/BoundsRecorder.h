// A device context that passes everything on to another one and keeps the extent of the
// frames and texts drawn (curves and lines are not counted: they lie in their frames or are
// meant to run out of them). Image export lays out its page with it; made to measure only, it
// draws nothing and takes only the measures of text from the other device.
#pragma once

#include "DrawingSurface.h"

class CBoundsRecorder : public IDeviceContext {
 public:
  explicit CBoundsRecorder(IDeviceContext& inner, bool drawing = true) : inner(inner), drawing(drawing) {}

  // The union of what was recorded; empty() when nothing was.
  bool Empty() const { return !any; }
  const CDeviceRect& Bounds() const { return bounds; }

  CDeviceCaps Caps() const override { return inner.Caps(); }
  void SelectPen(const CPenSpec& pen) override {
    if (drawing) inner.SelectPen(pen);
  }
  void SelectBrush(const CBrushSpec& brush) override {
    if (drawing) inner.SelectBrush(brush);
  }
  void SelectFont(const CFontSpec& font) override { inner.SelectFont(font); }
  void Polyline(const CDevicePoint* p, int n) override {
    if (drawing) inner.Polyline(p, n);
  }
  void Rectangle(const CDeviceRect& r) override;
  void Ellipse(const CDeviceRect& r) override {
    if (drawing) inner.Ellipse(r);
  }
  void Text(CDevicePoint at, const std::string& text, int align, int angleDeg) override;
  void TextBox(const CDeviceRect& r, const std::string& text) override;
  CDeviceSize TextExtent(const std::string& text) override { return inner.TextExtent(text); }
  CDeviceSize TextBoxExtent(int width, const std::string& text) override {
    return inner.TextBoxExtent(width, text);
  }
  void SetClip(const CDeviceRect& r) override {
    if (drawing) inner.SetClip(r);
  }
  void ClearClip() override {
    if (drawing) inner.ClearClip();
  }

 private:
  void Add(double x, double y);

  IDeviceContext& inner;
  bool drawing;
  bool any = false;
  CDeviceRect bounds;
};

// The rectangle that a line of text of this extent covers at `at` with the alignment and the
// counter-clockwise angle of IDeviceContext::Text.
CDeviceRect TextRect(CDevicePoint at, CDeviceSize extent, int align, int angleDeg);
