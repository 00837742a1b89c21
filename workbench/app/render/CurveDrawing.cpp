#include "CurveDrawing.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "GraphFrame.h"
#include "PolylineReducer.h"

namespace {

// A block of points under the plain transforms (x·XScale + XOffset, likewise y) and what their
// mapping onto the device needs.
struct CPlainBlock {
  const double* X;
  const double* Y;
  double xs, xo, ys, yo;          // scale, and offset less the frame's minimum
  double xLo, xHi, yLo, yHi;      // the inside interval of x − XMin and y − YMin
  double xPage, yPage, p1, p2;    // to page units
  double offX, offY, ppmX, ppmY, scale;
};

// Maps n points of the block (see CPointMap::Fill). Every value is worked out by the same
// operations in the same order in each lane, so the vector code built for AVX-512 and AVX2
// beside the baseline (chosen when the program starts) gives the same device points.
__attribute__((target_clones("avx512f", "avx2", "default")))
int MapPlainBlock(const CPlainBlock& block, int n, double* dx, double* dy, int* devX, int* devY,
                  double* inside, double* finite) {
  const CPlainBlock b = block;  // a copy that the stores below cannot change
  const double* X = b.X;
  const double* Y = b.Y;
  // Each test a choice of 1 or 0 and their product, so that the loops have no branch (the
  // compiler makes vector code of the two loops, not of one that does both).
  for (int j = 0; j < n; ++j) {
    const double x = X[j] * b.xs + b.xo, y = Y[j] * b.ys + b.yo;
    dx[j] = x * b.xPage;
    dy[j] = y * b.yPage;
    inside[j] = (x >= b.xLo ? 1.0 : 0.0) * (x <= b.xHi ? 1.0 : 0.0) * (y >= b.yLo ? 1.0 : 0.0) *
                (y <= b.yHi ? 1.0 : 0.0);
  }
  // Finite: neither infinite nor NaN (a NaN fails every comparison).
  for (int j = 0; j < n; ++j)
    finite[j] = (dx[j] - dx[j] == 0 ? 1.0 : 0.0) * (dy[j] - dy[j] == 0 ? 1.0 : 0.0);
  long long all = 1;
  for (int j = 0; j < n; ++j) all &= inside[j] + finite[j] == 2.0;
  for (int j = 0; j < n; ++j) devX[j] = PageToDevice(b.p1 + dx[j], b.offX, b.ppmX, b.scale);
  for (int j = 0; j < n; ++j) devY[j] = PageToDevice(b.p2 + dy[j], b.offY, b.ppmY, b.scale);
  return static_cast<int>(all);
}

// The mapping of one curve's points through a frame onto the device. A point lies inside when
// tx = (x − XMin)/(XMax − XMin) and ty likewise lie in [0, 1], tested on x − XMin against the
// span so that no division is needed per point; the page point p1 + tx·(p3 − p1) is worked out
// with the span's reciprocal, which moves it by an amount far below the 1e-5 of the mapping.
class CPointMap {
 public:
  CPointMap(const CDrawingSurface& s, const CGraphFrame& f, const CGraphData& c)
      : curve(c),
        xMin(f.XMin), xSpan(f.XMax - f.XMin), yMin(f.YMin), ySpan(f.YMax - f.YMin),
        p1(f.position[0]), pw(f.position[2] - f.position[0]),
        p2(f.position[1]), ph(f.position[3] - f.position[1]),
        xPage(pw / xSpan), yPage(ph / ySpan),
        offX(s.offsetX), offY(s.offsetY), ppmX(s.PixelsPerMmX()), ppmY(s.PixelsPerMmY()),
        scale(s.scale),
        // The plain transforms are worked out here; the others go through the curve.
        plainX(c.XAxisType == 0 || c.XAxisType == 7), plainY(c.YAxisType == 0) {}

  struct Point {
    double dx = 0, dy = 0;  // x − XMin, y − YMin
    bool inside = false;
    bool finite = false;
  };

  Point At(int i) const {
    const std::size_t k = static_cast<std::size_t>(i);
    const double x = plainX ? curve.X[k] * curve.XScale + curve.XOffset : curve.ProcessedX(i);
    const double y = plainY ? curve.Y[k] * curve.YScale + curve.YOffset : curve.ProcessedY(i);
    Point p;
    p.dx = x - xMin;
    p.dy = y - yMin;
    p.inside = Within(p.dx, xSpan) && Within(p.dy, ySpan);
    p.finite = std::isfinite(p.dx * xPage) && std::isfinite(p.dy * yPage);
    return p;
  }
  // tx of point i.
  double Tx(int i) const { return At(i).dx / xSpan; }

  // Device points and the inside and finite tests (1 or 0) of points a .. a+n−1; returns 1
  // when every one of them is inside and finite, else 0. For the plain transforms this runs
  // as simple loops (MapPlainBlock), the mapping in doubles and then the conversion to device
  // units, which become vector code.
  int Fill(int a, int n, double* dx, double* dy, int* devX, int* devY, double* inside, double* finite) const {
    if (!plainX || !plainY) {
      int all = 1;
      for (int j = 0; j < n; ++j) {
        const Point p = At(a + j);
        const CDevicePoint d = Device(p);
        devX[j] = d.x;
        devY[j] = d.y;
        inside[j] = p.inside;
        finite[j] = p.finite;
        all &= p.inside && p.finite;
      }
      return all;
    }
    CPlainBlock b;
    b.X = curve.X.data() + a;
    b.Y = curve.Y.data() + a;
    b.xs = curve.XScale;
    b.xo = curve.XOffset - xMin;
    b.ys = curve.YScale;
    b.yo = curve.YOffset - yMin;
    // An axis of span 0 holds no point inside.
    b.xLo = xSpan > 0 ? 0 : xSpan;
    b.xHi = xSpan > 0 ? xSpan : (xSpan < 0 ? 0 : -1);
    b.yLo = ySpan > 0 ? 0 : ySpan;
    b.yHi = ySpan > 0 ? ySpan : (ySpan < 0 ? 0 : -1);
    b.xPage = xPage;
    b.yPage = yPage;
    b.p1 = p1;
    b.p2 = p2;
    b.offX = offX;
    b.offY = offY;
    b.ppmX = ppmX;
    b.ppmY = ppmY;
    b.scale = scale;
    return MapPlainBlock(b, n, dx, dy, devX, devY, inside, finite);
  }

  CDevicePoint Device(const Point& p) const {
    return {PageToDevice(p1 + p.dx * xPage, offX, ppmX, scale),
            PageToDevice(p2 + p.dy * yPage, offY, ppmY, scale)};
  }

 private:
  // 0 <= d/span <= 1 for either sign of the span (none for a span of 0).
  static bool Within(double d, double span) {
    return span > 0 ? (d >= 0 && d <= span) : (span < 0 && d <= 0 && d >= span);
  }
  const CGraphData& curve;
  const double xMin, xSpan, yMin, ySpan, p1, pw, p2, ph, xPage, yPage, offX, offY, ppmX, ppmY, scale;
  const bool plainX, plainY;
};

// An index range i0..i1 of a curve's points, both ends included.
struct CRange {
  int i0, i1;
};

// The ranges of points a line must visit so that it draws what visiting every point draws.
// Without a usable extent that is all of i0..i1. With one, a flat part (Y' constant, X'
// ascending) between s and e−1 needs only its ends and the ends of its inside run a..b, with
// a neighbour on each side: the points skipped within the run lie on one device row between
// the visited ones, and those skipped outside it are not used, nor are their neighbours.
std::vector<CRange> VisitRanges(const CGraphData& c, const CPointMap& map, int i0, int i1,
                                const CCurveExtent* extent) {
  const bool flatParts = extent && extent->xAscending && !c.breakOnReturn &&
                         (c.XAxisType == 0 || c.XAxisType == 7) && c.XScale > 0 &&
                         extent->first >= 0 && extent->end <= c.datan && extent->first <= extent->end;
  if (!flatParts) return {{i0, i1}};
  std::vector<CRange> r;
  auto add = [&](int a, int b) {
    a = std::max(a, i0);
    b = std::min(b, i1);
    if (a <= b) r.push_back({a, b});
  };
  auto flat = [&](int s, int e) {  // points s .. e−1
    s = std::max(s, i0);
    e = std::min(e, i1 + 1);
    if (s >= e) return;
    add(s, s + 1);
    add(e - 2, e - 1);
    // The inside points of a flat part are one run: tx is monotone in the index.
    const double t0 = map.Tx(s), t1 = map.Tx(e - 1);
    const bool up = t0 <= t1;
    auto firstWhere = [&](auto pred) {  // first k in s..e with pred true (pred monotone)
      int lo = s, hi = e;
      while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (pred(map.Tx(mid))) hi = mid; else lo = mid + 1;
      }
      return lo;
    };
    const int a = up ? firstWhere([](double t) { return t >= 0; }) : firstWhere([](double t) { return t <= 1; });
    const int b = (up ? firstWhere([](double t) { return t > 1; }) : firstWhere([](double t) { return t < 0; })) - 1;
    if (a <= b) {
      add(a - 1, a + 1);
      add(b - 1, b + 1);
    }
  };
  flat(0, extent->first);
  add(extent->first, extent->end - 1);
  flat(extent->end, c.datan);
  std::sort(r.begin(), r.end(), [](const CRange& x, const CRange& y) { return x.i0 < y.i0; });
  std::vector<CRange> merged;
  for (const CRange& x : r) {
    if (!merged.empty() && x.i0 <= merged.back().i1 + 1)
      merged.back().i1 = std::max(merged.back().i1, x.i1);
    else
      merged.push_back(x);
  }
  return merged;
}

void DrawLine(CDrawingSurface& s, const CGraphFrame& f, const CGraphData& c, const CPointMap& map,
              int i0, int i1, const CCurveExtent* extent) {
  s.SetPen(c.lineStyle, c.lineWidth, c.lineColor);
  const double* pos = f.position;
  if (c.clipToFrame) s.Clip(pos[0], pos[1], pos[2], pos[3]);
  // The direction of the first step of X′, against which a turn back starts a new line.
  const bool ascending = c.datan > 1 && c.ScaledX(1) > c.ScaledX(0);
  auto inside = [&](int k) { return k >= i0 && k <= i1 && map.At(k).inside; };
  // Points are mapped a block at a time, with one point of look-ahead.
  constexpr int kBlock = 2048;
  // Scratch of the blocks, made once per thread rather than once per curve.
  thread_local std::vector<double> scratch(4 * (kBlock + 1));
  thread_local std::vector<int> devices(2 * (kBlock + 1));
  double* bx = scratch.data();
  double* by = bx + kBlock + 1;
  double* in = by + kBlock + 1;
  double* fin = in + kBlock + 1;
  int* devX = devices.data();
  int* devY = devX + kBlock + 1;
  {
    CPolylineReducer line(s.Device());
    for (const CRange& range : VisitRanges(c, map, i0, i1, extent)) {
      // The state of the point before the range, from its own neighbours.
      const int b = range.i0;
      bool prevInside = inside(b - 1);
      bool prevUsed = b > i0 && map.At(b - 1).finite && (inside(b - 2) || prevInside || inside(b));
      double prevX = c.ScaledX(b > i0 ? b - 1 : b);
      for (int start = b; start <= range.i1; start += kBlock) {
        const int m = std::min(kBlock, range.i1 - start + 1);
        // The look-ahead point: inside only when it is a point of the curve's i0..i1.
        const int ahead = start + m <= i1 ? 1 : 0;
        const int all = map.Fill(start, m + ahead, bx, by, devX, devY, in, fin);
        if (!ahead) in[m] = 0;
        // A block whose points, the look-ahead one among them, are all inside and finite is
        // one run of joined points.
        if (all && ahead && !c.breakOnReturn) {
          const CDevicePoint d0{devX[0], devY[0]};
          if (!prevUsed)
            line.MoveTo(d0);
          else
            line.LineTo(d0);
          line.LineTo(devX + 1, devY + 1, m - 1);
          prevUsed = prevInside = true;
          continue;
        }
        for (int j = 0; j < m; ++j) {
          const int i = start + j;
          const bool used = fin[j] && (in[j] || prevInside || in[j + 1]);
          if (used) {
            bool turnBack = false;
            if (c.breakOnReturn && i > i0) {
              const double x = c.ScaledX(i);
              turnBack = ascending ? x < prevX : x > prevX;
            }
            const CDevicePoint d{devX[j], devY[j]};
            if (!prevUsed || turnBack)
              line.MoveTo(d);
            else
              line.LineTo(d);
          }
          if (c.breakOnReturn) prevX = c.ScaledX(i);
          prevUsed = used;
          prevInside = in[j];
        }
      }
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
              int i1, const CCurveExtent* extent) {
  if (!frame || !curve || !curve->isValid) return -1;
  if (curve->datan < 1) return 1;
  const int last = curve->datan - 1;
  if (i1 == -1) i1 = last;
  if (i1 < i0) std::swap(i0, i1);
  i0 = std::clamp(i0, 0, last);
  i1 = std::clamp(i1, 0, last);
  const CPointMap map(surface, *frame, *curve);
  if (curve->drawLine) DrawLine(surface, *frame, *curve, map, i0, i1, extent);
  if (curve->drawSymbol) DrawMarkers(surface, *curve, map, i0, i1);
  return 0;
}
