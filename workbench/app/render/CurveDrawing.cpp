#include "CurveDrawing.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "GraphFrame.h"
#include "PolylineReducer.h"

namespace {

// The mapping of one curve's points through a frame onto the device.
class CPointMap {
 public:
  CPointMap(const CDrawingSurface& s, const CGraphFrame& f, const CGraphData& c)
      : curve(c),
        xMin(f.XMin), xSpan(f.XMax - f.XMin), yMin(f.YMin), ySpan(f.YMax - f.YMin),
        p1(f.position[0]), pw(f.position[2] - f.position[0]),
        p2(f.position[1]), ph(f.position[3] - f.position[1]),
        offX(s.offsetX), offY(s.offsetY), ppmX(s.PixelsPerMmX()), ppmY(s.PixelsPerMmY()),
        scale(s.scale),
        // The plain transforms are worked out here; the others go through the curve.
        plainX(c.XAxisType == 0 || c.XAxisType == 7), plainY(c.YAxisType == 0) {}

  struct Point {
    double tx = 0, ty = 0;
    bool inside = false;
    bool finite = false;
  };

  Point At(int i) const {
    const std::size_t k = static_cast<std::size_t>(i);
    const double x = plainX ? curve.X[k] * curve.XScale + curve.XOffset : curve.ProcessedX(i);
    const double y = plainY ? curve.Y[k] * curve.YScale + curve.YOffset : curve.ProcessedY(i);
    Point p;
    p.tx = (x - xMin) / xSpan;
    p.ty = (y - yMin) / ySpan;
    p.inside = p.tx >= 0 && p.tx <= 1 && p.ty >= 0 && p.ty <= 1;
    p.finite = std::isfinite(p.tx) && std::isfinite(p.ty);
    return p;
  }
  CDevicePoint Device(const Point& p) const {
    return {PageToDevice(p1 + p.tx * pw, offX, ppmX, scale),
            PageToDevice(p2 + p.ty * ph, offY, ppmY, scale)};
  }

 private:
  const CGraphData& curve;
  const double xMin, xSpan, yMin, ySpan, p1, pw, p2, ph, offX, offY, ppmX, ppmY, scale;
  const bool plainX, plainY;
};

void DrawLine(CDrawingSurface& s, const CGraphFrame& f, const CGraphData& c, const CPointMap& map,
              int i0, int i1) {
  s.SetPen(c.lineStyle, c.lineWidth, c.lineColor);
  const double* pos = f.position;
  if (c.clipToFrame) s.Clip(pos[0], pos[1], pos[2], pos[3]);
  // The direction of the first step of X′, against which a turn back starts a new line.
  const bool ascending = c.datan > 1 && c.ScaledX(1) > c.ScaledX(0);
  {
    CPolylineReducer line(s.Device());
    CPointMap::Point cur = map.At(i0);
    bool prevInside = false, prevUsed = false;
    double prevX = c.ScaledX(i0);
    for (int i = i0; i <= i1; ++i) {
      const CPointMap::Point next = i < i1 ? map.At(i + 1) : CPointMap::Point{};
      const bool used = cur.finite && (cur.inside || prevInside || next.inside);
      if (used) {
        bool turnBack = false;
        if (c.breakOnReturn && i > i0) {
          const double x = c.ScaledX(i);
          turnBack = ascending ? x < prevX : x > prevX;
        }
        const CDevicePoint p = map.Device(cur);
        if (!prevUsed || turnBack)
          line.MoveTo(p);
        else
          line.LineTo(p);
      }
      if (c.breakOnReturn) prevX = c.ScaledX(i);
      prevUsed = used;
      prevInside = cur.inside;
      cur = next;
    }
  }
  if (c.clipToFrame) s.Unclip();
}

void DrawMarkers(CDrawingSurface& s, const CGraphData& c, const CPointMap& map, int i0, int i1) {
  s.SetPen(c.markerPenStyle, c.markerPenWidth, c.markerPenColor);
  const bool square = c.symbolShape == 1;
  if (square)
    s.SetBrush(c.markerBrushStyle, c.markerBrushColor, c.markerBrushHatch);
  else
    s.SetHollowBrush();
  // The marker's half-width in pixels, from the page size about the point.
  const int rx = s.ToDeviceX(c.symbolSize) - s.ToDeviceX(0);
  const int ry = s.ToDeviceY(c.symbolSize) - s.ToDeviceY(0);
  IDeviceContext& dc = s.Device();
  CDevicePoint last{};
  bool any = false;
  for (int i = i0; i <= i1; ++i) {
    const CPointMap::Point p = map.At(i);
    if (!p.inside) continue;
    const CDevicePoint d = map.Device(p);
    // A marker on the same pixel as the one before would cover it exactly.
    if (any && d == last) continue;
    any = true;
    last = d;
    const CDeviceRect r{d.x - rx, d.y - ry, d.x + rx, d.y + ry};
    if (square)
      dc.Rectangle(r);
    else
      dc.Ellipse(r);
  }
}

}  // namespace

int DrawCurve(CDrawingSurface& surface, const CGraphFrame* frame, const CGraphData* curve, int i0,
              int i1) {
  if (!frame || !curve || !curve->isValid) return -1;
  if (curve->datan < 1) return 1;
  const int last = curve->datan - 1;
  if (i1 == -1) i1 = last;
  if (i1 < i0) std::swap(i0, i1);
  i0 = std::clamp(i0, 0, last);
  i1 = std::clamp(i1, 0, last);
  const CPointMap map(surface, *frame, *curve);
  if (curve->drawLine) DrawLine(surface, *frame, *curve, map, i0, i1);
  if (curve->drawSymbol) DrawMarkers(surface, *curve, map, i0, i1);
  return 0;
}
