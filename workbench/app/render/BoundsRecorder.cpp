#include "BoundsRecorder.h"

#include <algorithm>
#include <cmath>

void CBoundsRecorder::Add(double x, double y) {
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  const int jx = static_cast<int>(std::ceil(x)), jy = static_cast<int>(std::ceil(y));
  if (!any) {
    bounds = {ix, iy, jx, jy};
    any = true;
    return;
  }
  bounds.left = std::min(bounds.left, ix);
  bounds.top = std::min(bounds.top, iy);
  bounds.right = std::max(bounds.right, jx);
  bounds.bottom = std::max(bounds.bottom, jy);
}

void CBoundsRecorder::Rectangle(const CDeviceRect& r) {
  Add(r.left, r.top);
  Add(r.right, r.bottom);
  if (drawing) inner.Rectangle(r);
}

void CBoundsRecorder::Text(CDevicePoint at, const std::string& text, int align, int angleDeg) {
  if (!text.empty()) {
    const CDeviceRect r = TextRect(at, inner.TextExtent(text), align, angleDeg);
    Add(r.left, r.top);
    Add(r.right, r.bottom);
  }
  if (drawing) inner.Text(at, text, align, angleDeg);
}

void CBoundsRecorder::TextBox(const CDeviceRect& r, const std::string& text) {
  if (!text.empty()) {
    const int left = std::min(r.left, r.right), top = std::min(r.top, r.bottom);
    const CDeviceSize used = inner.TextBoxExtent(std::abs(r.right - r.left), text);
    Add(left, top);
    Add(left + used.cx, top + used.cy);
  }
  if (drawing) inner.TextBox(r, text);
}

CDeviceRect TextRect(CDevicePoint at, CDeviceSize extent, int align, int angleDeg) {
  const double w = extent.cx, h = extent.cy;
  const double dx = (align & kAlignHCenter) ? -w / 2 : (align & kAlignRight) ? -w : 0;
  const double dy = (align & kAlignVCenter) ? -h / 2 : (align & (kAlignBottom | kAlignBaseline)) ? -h : 0;
  // Corners in the text's own frame, turned counter-clockwise on a device whose y grows down.
  const double a = angleDeg * 3.14159265358979323846 / 180.0;
  const double c = std::cos(a), s = std::sin(a);
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (const double u : {dx, dx + w}) {
    for (const double v : {dy, dy + h}) {
      const double x = at.x + u * c + v * s;
      const double y = at.y - u * s + v * c;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
    }
  }
  return {static_cast<int>(std::floor(x0)), static_cast<int>(std::floor(y0)),
          static_cast<int>(std::ceil(x1)), static_cast<int>(std::ceil(y1))};
}
