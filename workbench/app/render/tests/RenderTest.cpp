// The toolkit-free part of graph rendering: ticks, the page-to-device mapping, pens, fonts,
// the rubber band, the curve rules and the paint sequence, on a recording device.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "AxisTicks.h"
#include "BoundsRecorder.h"
#include "CurveDrawing.h"
#include "DocTestSupport.h"
#include "GraphPainter.h"
#include "IniKeys.h"
#include "PolylineReducer.h"
#include "RecordingDevice.h"
#include "RubberBand.h"
#include "ScanSupport.h"
#include "SetupForm.h"
#include "ViewFont.h"

namespace {

std::vector<std::string> Labels(const std::vector<CTick>& ticks) {
  std::vector<std::string> out;
  for (const CTick& t : ticks) out.push_back(t.label);
  return out;
}

TEST(AxisTicks, StepStartAndLabels) {
  struct Case {
    double a, b;
    double step;
    std::vector<std::string> labels;
  };
  const Case cases[] = {
      {0, 1, 0.2, {"0", "0.2", "0.4", "0.6", "0.8", "1"}},
      {0, 7, 1, {"0", "1", "2", "3", "4", "5", "6", "7"}},
      {0, 100, 20, {"0", "20", "40", "60", "80", "100"}},
      {5, 70, 10, {"10", "20", "30", "40", "50", "60", "70"}},
      {-5, 5, 2, {"-4", "-2", "0", "2", "4"}},
      {-0.6, 0.5, 0.2, {"-0.6", "-0.4", "-0.2", "0", "0.2", "0.4"}},
      // Reversed limits: the step turns negative and the ticks run from the first limit.
      {10, 0, -2, {"10", "8", "6", "4", "2", "0"}},
      {1100, 0, -200, {"1000", "800", "600", "400", "200", "0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " .. " << c.b);
    EXPECT_DOUBLE_EQ(TickStepAndStart(c.a, c.b, 10).step, c.step);
    const std::vector<CTick> ticks = AxisTicks(c.a, c.b, 10);
    EXPECT_EQ(Labels(ticks), c.labels);
    for (const CTick& t : ticks) {
      EXPECT_GE(t.t, 0);
      EXPECT_LE(t.t, 1);
    }
  }
  // A range of zero width counts as width 1 for the step, and has no place for ticks.
  EXPECT_DOUBLE_EQ(TickStepAndStart(3, 3, 10).step, 0.2);
  EXPECT_TRUE(AxisTicks(3, 3, 10).empty());
  // The target is taken as at most 12, and its sign does not count.
  EXPECT_DOUBLE_EQ(TickStepAndStart(0, 100, 50).step, TickStepAndStart(0, 100, 12).step);
  EXPECT_DOUBLE_EQ(TickStepAndStart(0, 100, -10).step, 20);
  // Limits that are not numbers give no ticks rather than an endless loop.
  EXPECT_TRUE(AxisTicks(0, std::nan(""), 10).empty());
}

TEST(DrawingSurface, PageToDeviceAndPens) {
  struct Case {
    double page, offset, ppm, scale;
    int device;
  };
  const Case cases[] = {
      {20, 0, 4, 1, 80},
      {1, 1, 10, 0.5, 10},
      // 0.29 × 100 is 28.999999999999996 in binary; the 1e-5 keeps it at 29.
      {0.29, 0, 100, 1, 29},
      {-0.5, 0, 10, 1, -4},  // truncation toward zero
      {1e300, 0, 10, 1, 16777216},
      {-1e300, 0, 10, 1, -16777216},
      {std::nan(""), 0, 10, 1, -16777216},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PageToDevice(c.page, c.offset, c.ppm, c.scale), c.device) << c.page;

  RecordingDevice dc({50, 25, 200, 100});  // 4 pixels per mm both ways
  CDrawingSurface s(dc);
  EXPECT_DOUBLE_EQ(s.PixelsPerMmX(), 4);
  EXPECT_DOUBLE_EQ(s.PointsPerPixelY(), 0.25 * 72 / 25.4);
  EXPECT_EQ(s.ToDevice(20, 10), (CDevicePoint{80, 40}));
  EXPECT_DOUBLE_EQ(s.ToPageX(80), 20);
  struct PenCase {
    double width;
    int pixels;
  };
  for (const PenCase& c : {PenCase{0.2, 1}, PenCase{0.25, 1}, PenCase{0.5, 2}, PenCase{0.74, 2},
                           PenCase{0, 1}, PenCase{-3, 1}, PenCase{1.0, 4}})
    EXPECT_EQ(s.PenWidth(c.width), c.pixels) << c.width;
  s.SetPen(kPenDash, 0.5, 0x123456);
  EXPECT_EQ(dc.pen, (CPenSpec{kPenDash, 2, 0x123456}));
}

TEST(ViewFont, HeightConversions) {
  const double at96 = PointsPerPixelOfDpi(96);
  EXPECT_DOUBLE_EQ(at96, 0.75);
  EXPECT_EQ(DeviceHeightToTenths(-24, at96), -180);
  EXPECT_EQ(DeviceHeightToTenths(-13, at96), -100);  // 9.75 points round to 10
  EXPECT_EQ(DeviceHeightToTenths(16, at96), 120);
  EXPECT_EQ(TenthsToDeviceHeight(180, at96), -24);
  EXPECT_EQ(TenthsToDeviceHeight(-180, at96), -24);
  // A point font on a surface of 4 pixels per mm: 10 points are 3.53 mm, 14 pixels.
  RecordingDevice dc({50, 25, 200, 100});
  CDrawingSurface s(dc);
  s.SetPointFont("Serif", 100);
  EXPECT_EQ(dc.font.face, "Serif");
  EXPECT_EQ(dc.font.height, -14);
  const CViewFont f = ViewFontFromDialog({"Arial", -16, true}, at96);
  EXPECT_EQ(f.height, -120);
  EXPECT_TRUE(f.italic);
  EXPECT_EQ(ViewFontToDialog(f, at96).height, -16);
}

class ViewFontIni : public doctest::DocTest {};

TEST_F(ViewFontIni, RecordFromIniOrWindow) {
  CIniFile ini(this->ini);
  const double at96 = PointsPerPixelOfDpi(96);
  // No face in the INI file and no window font: Times New Roman at −24 device units.
  CViewFont f = LoadViewFont(ini, nullptr, at96);
  EXPECT_EQ(f.faceName, "Times New Roman");
  EXPECT_EQ(f.height, -180);
  const CFontSpec window{"Sans", -12};
  EXPECT_EQ(LoadViewFont(ini, &window, at96).height, -90);
  // The dialog's choice is written and read back as it was.
  SaveViewFont(ini, {"DejaVu Serif", 105});
  f = LoadViewFont(ini, &window, at96);
  EXPECT_EQ(f.faceName, "DejaVu Serif");
  EXPECT_EQ(f.height, 105);
  EXPECT_EQ(ini.GetString(ini::kViewFontHeight), "105");
}

TEST(RubberBand, CornersToLimits) {
  RecordingDevice dc({100, 100, 400, 400});  // 4 pixels per mm
  CDrawingSurface s(dc);
  CGraphFrame f(20, 70, 80, 10);  // limits 0..1 both ways: device x 80..320, y 280..40
  struct Case {
    CDevicePoint a, b;
    bool apply;
    double xMin, xMax, yMin, yMax;
  };
  const Case cases[] = {
      {{80, 280}, {320, 40}, true, 0, 1, 0, 1},
      {{320, 40}, {200, 160}, true, 0.5, 1, 0.5, 1},   // dragged up-left to down-right
      {{200, 160}, {390, 390}, true, 0.5, 1.291666666666667, -0.458333333333333, 0.5},  // one corner outside
      {{200, 160}, {200, 160}, false, 0, 0, 0, 0},   // equal corners
      {{200, 100}, {200, 160}, false, 0, 0, 0, 0},   // equal X
      {{100, 160}, {300, 160}, false, 0, 0, 0, 0},   // equal Y
      {{10, 10}, {390, 390}, false, 0, 0, 0, 0},     // both corners outside
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a.x << "," << c.a.y << " " << c.b.x << "," << c.b.y);
    const CRubberBandZoom z = RubberBandZoom(s, f, c.a, c.b);
    EXPECT_EQ(z.apply, c.apply);
    CGraphFrame g(20, 70, 80, 10);
    EXPECT_EQ(ApplyRubberBand(g, z), c.apply);
    if (!c.apply) {
      EXPECT_EQ(g.XMin, 0);
      EXPECT_EQ(g.XMax, 1);
      EXPECT_EQ(g.YMin, 0);
      EXPECT_EQ(g.YMax, 1);
      continue;
    }
    EXPECT_NEAR(g.XMin, c.xMin, 1e-12);
    EXPECT_NEAR(g.XMax, c.xMax, 1e-12);
    EXPECT_NEAR(g.YMin, c.yMin, 1e-12);
    EXPECT_NEAR(g.YMax, c.yMax, 1e-12);
    EXPECT_EQ(g.axis[0].max, g.XMax);  // the axes follow
    EXPECT_EQ(g.axis[1].min, g.YMin);
  }
}

// A frame of limits 0..10 × 0..100 at 20 70 80 10 on 4 pixels per mm: X x goes to device
// 80 + 24x, Y y to 280 − 2.4y.
struct CurveFixture {
  CurveFixture() : dc({100, 100, 400, 400}), s(dc), frame(20, 70, 80, 10) {
    frame.SetXMin(0);
    frame.SetXMax(10);
    frame.SetYMin(0);
    frame.SetYMax(100);
  }
  void Set(const std::vector<std::pair<double, double>>& pts) {
    curve.SetSize(static_cast<int>(pts.size()));
    for (std::size_t i = 0; i < pts.size(); ++i) {
      curve.SetX(static_cast<int>(i), pts[i].first);
      curve.SetY(static_cast<int>(i), pts[i].second);
    }
  }
  RecordingDevice dc;
  CDrawingSurface s;
  CGraphFrame frame;
  CGraphData curve;
};

using Polylines = std::vector<std::vector<CDevicePoint>>;
Polylines PointsOf(const RecordingDevice& dc) {
  Polylines out;
  for (const auto& l : dc.lines) out.push_back(l.points);
  return out;
}

TEST(DrawCurve, UsedPointsBreaksAndClipping) {
  struct Case {
    const char* name;
    std::vector<std::pair<double, double>> points;
    bool breakOnReturn;
    Polylines expected;
  };
  const Case cases[] = {
      {"inside", {{0, 0}, {5, 50}, {10, 100}}, false,
       {{{80, 280}, {200, 160}, {320, 40}}}},
      // Leaving the frame and coming back: the line goes one point out on each side and no
      // line joins the last point out to the first point back.
      {"leaves and returns", {{0, 50}, {1, 105}, {5, 300}, {9, 105}, {10, 50}}, false,
       {{{80, 160}, {104, 28}}, {{296, 28}, {320, 160}}}},
      {"starts outside", {{-5, 50}, {-1, 50}, {1, 50}}, false, {{{56, 160}, {104, 160}}}},
      {"turns back, kept", {{0, 10}, {5, 10}, {2, 20}, {6, 20}}, false,
       {{{80, 256}, {200, 256}, {128, 232}, {224, 232}}}},
      {"turns back, broken", {{0, 10}, {5, 10}, {2, 20}, {6, 20}}, true,
       {{{80, 256}, {200, 256}}, {{128, 232}, {224, 232}}}},
      {"not a number", {{0, 10}, {1, std::nan("")}, {2, 10}, {3, 10}}, false,
       {{{128, 256}, {152, 256}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CurveFixture t;
    t.Set(c.points);
    t.curve.breakOnReturn = c.breakOnReturn;
    t.curve.lineColor = 0x0000FF;
    EXPECT_EQ(DrawCurve(t.s, &t.frame, &t.curve), 0);
    EXPECT_EQ(PointsOf(t.dc), c.expected);
    for (const auto& l : t.dc.lines) {
      EXPECT_TRUE(l.clipped);
      EXPECT_EQ(l.pen.color, 0x0000FFu);
    }
    EXPECT_EQ(t.dc.clipRect, (CDeviceRect{80, 40, 320, 280}));
    EXPECT_FALSE(t.dc.clip);  // removed after the line
  }
  CurveFixture t;
  t.Set({{0, 0}, {5, 50}, {10, 100}});
  t.curve.clipToFrame = false;
  DrawCurve(t.s, &t.frame, &t.curve);
  ASSERT_EQ(t.dc.lines.size(), 1u);
  EXPECT_FALSE(t.dc.lines[0].clipped);
}

TEST(DrawCurve, RangeResultsAndMarkers) {
  CurveFixture t;
  t.Set({{0, 0}, {5, 50}, {10, 100}, {11, 50}});
  EXPECT_EQ(DrawCurve(t.s, nullptr, &t.curve), -1);
  t.curve.isValid = false;
  EXPECT_EQ(DrawCurve(t.s, &t.frame, &t.curve), -1);
  t.curve.isValid = true;
  // Points 2 to 1 are points 1 to 2.
  DrawCurve(t.s, &t.frame, &t.curve, 2, 1);
  EXPECT_EQ(PointsOf(t.dc), (Polylines{{{200, 160}, {320, 40}}}));

  t.dc.lines.clear();
  t.curve.drawLine = false;
  t.curve.drawSymbol = true;
  t.curve.symbolSize = 1.0;  // 4 pixels
  DrawCurve(t.s, &t.frame, &t.curve);
  EXPECT_TRUE(t.dc.lines.empty());
  ASSERT_EQ(t.dc.shapes.size(), 3u);  // the point at X 11 lies outside
  EXPECT_TRUE(t.dc.shapes[1].ellipse);
  EXPECT_EQ(t.dc.shapes[1].rect, (CDeviceRect{196, 156, 204, 164}));
  EXPECT_EQ(t.dc.shapes[1].brush.style, kBrushHollow);
  t.dc.shapes.clear();
  t.curve.symbolShape = 1;
  t.curve.markerBrushStyle = kBrushHatched;
  t.curve.markerBrushColor = 0x00FF00;
  DrawCurve(t.s, &t.frame, &t.curve);
  ASSERT_EQ(t.dc.shapes.size(), 3u);
  EXPECT_FALSE(t.dc.shapes[0].ellipse);
  EXPECT_EQ(t.dc.shapes[0].brush, (CBrushSpec{kBrushHatched, 0x00FF00, 4}));

  CGraphData empty;
  EXPECT_EQ(DrawCurve(t.s, &t.frame, &empty), 1);
}

// A dense curve keeps at most four points per pixel column, and each column covers the span of
// all its points.
TEST(DrawCurve, DenseCurveReducedPerColumn) {
  CurveFixture t;
  const int n = 200000;
  t.curve.SetSize(n);
  std::map<int, std::pair<int, int>> span;  // column -> lowest, highest device y
  for (int i = 0; i < n; ++i) {
    const double x = 10.0 * i / (n - 1);
    const double y = 50 + 45 * std::sin(x * 7) * std::cos(i * 0.37);
    t.curve.SetX(i, x);
    t.curve.SetY(i, y);
    const int dx = PageToDevice(20 + x / 10 * 60, 0, 4, 1);
    const int dy = PageToDevice(70 + y / 100 * -60, 0, 4, 1);
    auto [it, fresh] = span.try_emplace(dx, dy, dy);
    if (!fresh) {
      it->second.first = std::min(it->second.first, dy);
      it->second.second = std::max(it->second.second, dy);
    }
  }
  DrawCurve(t.s, &t.frame, &t.curve);
  std::map<int, std::pair<int, int>> drawn;
  std::size_t count = 0;
  for (const auto& l : t.dc.lines) {
    count += l.points.size();
    for (const CDevicePoint& p : l.points) {
      auto [it, fresh] = drawn.try_emplace(p.x, p.y, p.y);
      if (!fresh) {
        it->second.first = std::min(it->second.first, p.y);
        it->second.second = std::max(it->second.second, p.y);
      }
    }
  }
  EXPECT_EQ(drawn, span);
  EXPECT_LE(count, 4 * span.size() + t.dc.lines.size());
}

// Blocks of points that lie all inside go to the line as one run; the others point by point
// (as breakOnReturn makes every block go, which changes nothing while X ascends). Both give
// the same lines, also where a point outside, NaN or infinite lies next to a block boundary.
TEST(DrawCurve, WholeBlocksDrawAsPointByPoint) {
  const double nan = std::nan(""), inf = HUGE_VAL;
  struct Case {
    const char* name;
    std::vector<std::pair<int, double>> odd;  // points given another Y
  };
  const Case cases[] = {
      {"all inside", {}},
      // A point outside is left out only when its neighbours lie outside too.
      {"outside at block ends", {{2046, 150}, {2047, 150}, {2048, 150}, {2049, 150}}},
      {"outside as look-ahead", {{2047, -20}, {2048, -20}, {2049, -20}, {4094, 150}, {4095, 150}, {4096, 150}}},
      {"not finite", {{1, nan}, {2047, inf}, {4096, nan}, {6999, -inf}}},
  };
  const int n = 7000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Polylines drawn[2];
    for (int pointByPoint = 0; pointByPoint < 2; ++pointByPoint) {
      CurveFixture t;
      t.curve.SetSize(n);
      for (int i = 0; i < n; ++i) {
        t.curve.SetX(i, 10.0 * i / (n - 1));
        t.curve.SetY(i, 50 + 40 * std::sin(i * 0.01));
      }
      for (const auto& [i, y] : c.odd) t.curve.SetY(i, y);
      t.curve.breakOnReturn = pointByPoint == 1;
      DrawCurve(t.s, &t.frame, &t.curve);
      drawn[pointByPoint] = PointsOf(t.dc);
    }
    EXPECT_EQ(drawn[0], drawn[1]);
    if (c.odd.empty()) {
      EXPECT_EQ(drawn[0].size(), 1u);
    }
  }
}

TEST(PolylineReducer, DropsOnlyWhatCannotShow) {
  RecordingDevice dc;
  {
    CPolylineReducer r(dc);
    r.MoveTo({0, 0});
    for (int x = 1; x <= 10; ++x) r.LineTo({x, 0});  // one straight horizontal run
    r.LineTo({10, 5});
    r.LineTo({10, -3});
    r.LineTo({10, 2});
    r.LineTo({11, 2});
    r.MoveTo({20, 20});  // a start alone draws nothing
    r.MoveTo({30, 30});
    r.LineTo({30, 30});  // a line onto its own start marks the pixel
  }
  EXPECT_EQ(PointsOf(dc), (Polylines{{{0, 0}, {10, 0}, {10, 5}, {10, -3}, {10, 2}, {11, 2}},
                                     {{30, 30}, {30, 30}}}));
}

class Paint : public doctest::DocTest {
 protected:
  // Measured data of 101 points on 0..100 and two peaks, the second current.
  void Load(CBalimorDoc& doc) {
    LoadScan(doc, 101, 1, [](double x) { return 10 + x; }, {{30, 50, 5}, {60, 80, 5}}, 1);
  }
};

TEST_F(Paint, SequenceAndDisplaySwitches) {
  CBalimorDoc doc(platform, ini);
  Load(doc);
  CSetupForm form(doc);
  form.pfcPath = "/data/scan#0.pfc";
  form.autoRedraw = false;
  doc.peakAreaText = "*** Peak area:\r\n  1\t30\n  2\t60\r\nSigma: 1   2 %";
  doc.PrepareDrawing();  // the form hands over its PFC path
  struct Case {
    bool background, calc, curves, current;
    std::vector<COLORREF> drawn;  // model colours drawn, in order
  };
  const COLORREF cyan = 0xFFFF00, red = 0x0000FF, green = 0x00FF00, blue = 0xFF0000;
  const Case cases[] = {
      {true, true, true, true, {cyan, red, green, blue}},
      {false, false, false, true, {blue}},  // the current peak without the others
      {false, true, false, false, {red}},
      {true, false, true, false, {cyan, green, blue}},
  };
  for (const Case& c : cases) {
    doc.viewBackground = c.background;
    doc.viewCalc = c.calc;
    doc.viewCurves = c.curves;
    doc.viewCurrentCurve = c.current;
    RecordingDevice dc({100, 100, 400, 400});
    CDrawingSurface s(dc);
    EXPECT_EQ(CGraphPainter(CViewFont{"Serif", 100}).PaintDocument(doc, s), CGraphPainter::kPainted);
    std::vector<COLORREF> model;
    for (const auto& l : dc.lines)
      if (l.pen.color != 0) model.push_back(l.pen.color);  // no zero lines: 0 is a limit
    EXPECT_EQ(model, c.drawn);
  }
  // The PFC path is written first at (2, 2); the peak-area text beside the frame, its line
  // ends made plain.
  RecordingDevice dc({100, 100, 400, 400});
  CDrawingSurface s(dc);
  CGraphPainter(CViewFont{"Serif", 100}).PaintDocument(doc, s);
  ASSERT_FALSE(dc.texts.empty());
  EXPECT_EQ(dc.texts.front().text, "/data/scan#0.pfc");
  EXPECT_EQ(dc.texts.front().at, (CDevicePoint{8, 8}));
  EXPECT_EQ(dc.texts.back().text, "*** Peak area:\n  1\t30\n  2\t60\nSigma: 1   2 %");
  EXPECT_TRUE(dc.texts.back().box);
  EXPECT_GT(dc.texts.back().rect.left, 320);
  // Frame, tick labels and both captions, the Y caption turned.
  EXPECT_EQ(dc.shapes.front().rect, (CDeviceRect{80, 280, 320, 40}));
  EXPECT_TRUE(dc.HasText("100"));
  bool yCaption = false;
  for (const auto& t : dc.texts)
    if (t.text == doc.GetFrameArray()->GetFrame(0)->yLabel) yCaption = t.angle == 90;
  EXPECT_TRUE(yCaption);
}

// A peak curve drawn with its extent (flat parts skipped) gives the very lines that visiting
// every point gives, however the frame cuts the flat parts.
TEST_F(Paint, PeakCurveExtentDrawsAsEveryPoint) {
  CBalimorDoc doc(platform, ini);
  CVariousData& d = *doc.GetOriginalData();
  const int n = 20001;
  d.SetSize(n);
  for (int i = 0; i < n; ++i) {
    d.SetX(i, 10 + 0.004 * i);
    d.SetY(i, 0);
  }
  CPeakSearch& r = doc.GetPeakSearch();
  r.dataKind = DataKind::Diffraction;
  r.AddPeak(30, 1000, 0.5, 1, 0.3);
  r.AddPeak(89.5, 500, 0.5, 1, 0.3);  // its window reaches the end of the scan
  r.AddPeak(200, 500, 0.5, 1, 0.3);   // beyond 180: no window at all
  ASSERT_EQ(r.MakeModelCurves(n), 1);
  EXPECT_GT(r.PeakCurveExtent(0).first, 0);
  EXPECT_TRUE(r.PeakCurveExtent(0).xAscending);
  EXPECT_EQ(r.PeakCurveExtent(2).end, 0);
  struct Limits {
    double x0, x1, y0, y1;
    int yType;
  };
  const Limits cases[] = {{0, 100, 0, 1100, 0},  {25, 35, 0, 1100, 0},   {28, 95, -10, 400, 0},
                          {29, 31, 5, 1100, 0},  {95, 0, 0, 1100, 0},    {40, 60, -1, 1, 0},
                          {0, 100, -6, 8, 1},    {31, 29.5, 1100, 0, 0}};
  for (const Limits& l : cases) {
    SCOPED_TRACE(testing::Message() << l.x0 << " " << l.x1 << " " << l.y0 << " " << l.y1);
    CGraphFrame f(20, 70, 80, 10);
    f.SetXMin(l.x0);
    f.SetXMax(l.x1);
    f.SetYMin(l.y0);
    f.SetYMax(l.y1);
    for (int j = 0; j < r.PeakCurveCount(); ++j) {
      CGraphData& c = *r.PeakCurve(j);
      c.YAxisType = l.yType;
      RecordingDevice all({100, 100, 4000, 4000}), sparse({100, 100, 4000, 4000});
      CDrawingSurface sa(all), ss(sparse);
      DrawCurve(sa, &f, &c);
      const CCurveExtent e = r.PeakCurveExtent(j);
      DrawCurve(ss, &f, &c, 0, -1, &e);
      EXPECT_EQ(PointsOf(sparse), PointsOf(all)) << "peak " << j;
    }
  }
  // A curve resized since its computation is drawn whole.
  r.PeakCurve(0)->SetCount(100);
  EXPECT_EQ(r.PeakCurveExtent(0).first, 0);
  EXPECT_EQ(r.PeakCurveExtent(0).end, 100);
  EXPECT_FALSE(r.PeakCurveExtent(0).xAscending);
}

TEST_F(Paint, ClipFlagsAndAutoRedraw) {
  CBalimorDoc doc(platform, ini);
  Load(doc);
  CSetupForm form(doc);
  CPeakSearch& r = doc.GetPeakSearch();
  struct Case {
    const char* clipKey;  // nullptr: absent
    bool dataClipped, modelClipped;
  };
  // Absent, the key clips; drawing the data counts any non-zero value, the model only positive.
  const Case cases[] = {{nullptr, true, true}, {"0", false, false}, {"-1", true, false}, {"1", true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clipKey ? c.clipKey : "absent");
    if (c.clipKey) doc.Ini().WriteString(ini::kClipGraphFrameDraw, c.clipKey);
    RecordingDevice dc;
    CDrawingSurface s(dc);
    doc.PrepareDrawing();
    CGraphPainter().PaintDocument(doc, s);
    EXPECT_EQ(doc.GetOriginalData()->clipToFrame, c.dataClipped);
    EXPECT_EQ(doc.GetFrameArray()->GetFrame(0)->clipToFrame, c.dataClipped);
    EXPECT_EQ(r.totalCurve.clipToFrame, c.modelClipped);
    EXPECT_EQ(r.PeakCurve(1)->clipToFrame, c.modelClipped);
  }
  // With Auto redraw off the curves stay those of the last computation; on, they follow.
  r.Value(CPeakSearch::kCTotal, 0) = 500;
  form.autoRedraw = false;
  RecordingDevice dc;
  CDrawingSurface s(dc);
  doc.PrepareDrawing();
  CGraphPainter().PaintDocument(doc, s);
  EXPECT_LT(r.PeakCurve(0)->YMax, 100);
  form.autoRedraw = true;
  CGraphPainter().PaintDocument(doc, s);  // the paint itself only reads
  EXPECT_LT(r.PeakCurve(0)->YMax, 100);
  doc.PrepareDrawing();
  CGraphPainter().PaintDocument(doc, s);
  EXPECT_NEAR(r.PeakCurve(0)->YMax, 500, 1e-9);
}

TEST_F(Paint, LogFlagTakesModelCurvesAlong) {
  CBalimorDoc doc(platform, ini);
  Load(doc);
  CSetupForm form(doc);
  form.OnLog();
  CGraphFrame* f = doc.GetFrameArray()->GetFrame(0);
  EXPECT_EQ(f->YMin, -6.0);
  EXPECT_EQ(form.logCaption, "Lin");
  // A peak added while the log display is on is drawn in it from the first paint.
  CPeakSearch& r = doc.GetPeakSearch();
  r.AddPeak(80, 40, 0.5, 1, 5);
  RecordingDevice dc;
  CDrawingSurface s(dc);
  doc.PrepareDrawing();
  CGraphPainter().PaintDocument(doc, s);
  ASSERT_EQ(r.PeakCurveCount(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(r.PeakCurve(i)->YAxisType, 1);
  EXPECT_NEAR(r.PeakCurve(2)->YMax, std::log(40.0), 1e-9);
  EXPECT_TRUE(dc.HasText("-6"));
  form.OnLog();
  EXPECT_EQ(f->YMin, 0.0);
  EXPECT_EQ(form.logCaption, "Log");
  doc.PrepareDrawing();
  CGraphPainter().PaintDocument(doc, s);
  EXPECT_EQ(r.PeakCurve(2)->YAxisType, 0);
}

TEST_F(Paint, NoFrameAndReentry) {
  CBalimorDoc doc(platform, ini);
  Load(doc);
  RecordingDevice dc;
  CDrawingSurface s(dc);
  // A paint asked for while painting (as a message loop may) is dropped.
  int inner = -2;
  dc.onPolyline = [&] {
    if (inner == -2) inner = CGraphPainter().PaintDocument(doc, s);
  };
  EXPECT_EQ(CGraphPainter().PaintDocument(doc, s), CGraphPainter::kPainted);
  EXPECT_EQ(inner, CGraphPainter::kBusy);
  EXPECT_FALSE(CGraphPainter::Busy());

  dc.onPolyline = nullptr;
  doc.GetFrameArray()->Clear();
  EXPECT_EQ(CGraphPainter().PaintDocument(doc, s), CGraphPainter::kNoFrame);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "Can't get GraphFrame(0)");
  EXPECT_EQ(platform.messages[0].caption, "Error");
  // The flag is cleared after the failure too: the next paint draws.
  EXPECT_FALSE(CGraphPainter::Busy());
  doc.CreateGraphFrame(1);
  EXPECT_EQ(CGraphPainter().PaintDocument(doc, s), CGraphPainter::kPainted);
}

TEST(DrawFrame, AxesCaptionsAndZeroLines) {
  RecordingDevice dc({100, 100, 400, 400});
  CDrawingSurface s(dc);
  CGraphFrame f(20, 70, 80, 10);
  f.SetXMin(-5);
  f.SetXMax(5);
  f.SetYMin(-1);
  f.SetYMax(1);
  f.nAxis = 4;
  CGraphPainter::DrawFrame(s, f);
  // Two zero lines in the frame's red: X = 0 at device 200, Y = 0 at device 160.
  const auto zero = dc.LinesOf(0x0000FF);
  ASSERT_EQ(zero.size(), 2u);
  EXPECT_EQ(zero[0].points, (std::vector<CDevicePoint>{{200, 280}, {200, 40}}));
  EXPECT_EQ(zero[0].pen.width, 2);  // 0.5 mm
  EXPECT_EQ(zero[1].points, (std::vector<CDevicePoint>{{80, 160}, {320, 160}}));
  // Tick marks 3.0 into the frame: the bottom axis tick at X = −4 runs up from 280 to 268.
  bool bottomTick = false, leftTick = false;
  for (const auto& l : dc.lines) {
    if (l.points == std::vector<CDevicePoint>{{104, 280}, {104, 268}}) bottomTick = true;
    if (l.points == std::vector<CDevicePoint>{{80, 160}, {92, 160}}) leftTick = true;
  }
  EXPECT_TRUE(bottomTick);
  EXPECT_TRUE(leftTick);
  // Labels 2.0 outside the axis line on every side, each aligned away from the frame.
  std::map<int, int> alignAt;  // how many "0" labels in each alignment
  for (const auto& t : dc.texts)
    if (t.text == "0") ++alignAt[t.align];
  EXPECT_EQ(alignAt[kAlignHCenter | kAlignTop], 1);     // bottom, at y 288
  EXPECT_EQ(alignAt[kAlignHCenter | kAlignBottom], 1);  // top
  EXPECT_EQ(alignAt[kAlignRight | kAlignVCenter], 1);   // left
  EXPECT_EQ(alignAt[kAlignLeft | kAlignVCenter], 1);    // right
  int turned = 0;
  for (const auto& t : dc.texts)
    if (t.text == f.yLabel && t.angle == 90) ++turned;
  EXPECT_EQ(turned, 2);
  // A reversed axis is applied before drawing.
  CGraphFrame r(20, 70, 80, 10);
  r.xReversed = true;
  CGraphPainter::DrawFrame(s, r);
  EXPECT_GT(r.XMin, r.XMax);
}

// Labels of an axis never overlap, at any font and frame size: where they would, only every
// k-th is drawn (the multiples of k steps), while every tick mark stays.
TEST(DrawFrame, TickLabelsNeverOverlap) {
  struct Case {
    int fontTenths;
    double frameHeight;  // mm; the frame is 60 mm wide
    bool xThinned, yThinned;
    const char* shown;    // an X label drawn
    const char* dropped;  // one left out
  };
  const Case cases[] = {{90, 60, false, false, "500", "-"},
                        {160, 60, true, false, "1000", "500"},
                        {240, 60, true, true, "2500", "1000"},
                        {160, 30, true, true, "3000", "1500"}};
  for (const Case& c : cases) {
    RecordingDevice dc({200, 200, 800, 800});
    CDrawingSurface s(dc);
    s.SetPointFont("", c.fontTenths);
    CGraphFrame f(20, 10 + c.frameHeight, 80, 10);
    f.SetXMin(200);
    f.SetXMax(3500);
    f.SetYMin(0);
    f.SetYMax(40000);
    CGraphPainter::DrawFrame(s, f);
    for (const bool x : {true, false}) {
      const int align = x ? (kAlignHCenter | kAlignTop) : (kAlignRight | kAlignVCenter);
      std::vector<CDeviceRect> labels;
      for (const auto& t : dc.texts)
        if (t.align == align && !t.box && t.text != f.xLabel) labels.push_back(TextRect(t.at, dc.TextExtent(t.text), t.align, 0));
      std::sort(labels.begin(), labels.end(), [x](const CDeviceRect& a, const CDeviceRect& b) {
        return x ? a.left < b.left : a.top < b.top;
      });
      for (std::size_t i = 1; i < labels.size(); ++i)
        EXPECT_GT(x ? labels[i].left : labels[i].top, x ? labels[i - 1].right : labels[i - 1].bottom)
            << c.fontTenths << " " << c.frameHeight << (x ? " X" : " Y") << " label " << i;
      // Tick marks 3.0 mm (12 px) long run across the axis, one per tick.
      const auto ticks = AxisTicks(x ? f.XMin : f.YMin, x ? f.XMax : f.YMax, 10);
      const int marks = static_cast<int>(std::count_if(dc.lines.begin(), dc.lines.end(), [x](const auto& l) {
        return l.points.size() == 2 && (x ? l.points[0].x == l.points[1].x : l.points[0].y == l.points[1].y) &&
               std::abs(x ? l.points[0].y - l.points[1].y : l.points[0].x - l.points[1].x) == 12;
      }));
      EXPECT_EQ(marks, static_cast<int>(ticks.size()));
      EXPECT_EQ(labels.size() < ticks.size(), x ? c.xThinned : c.yThinned) << c.fontTenths << " " << c.frameHeight;
      EXPECT_GE(labels.size(), 1u);
    }
    EXPECT_TRUE(dc.HasText(c.shown)) << c.fontTenths;
    EXPECT_FALSE(dc.HasText(c.dropped)) << c.fontTenths;
  }
  // The choice itself: k = 2 keeps the even steps, −2 and 0 too; room for one label keeps 0;
  // with two ticks and no room for both, the first.
  std::vector<CTick> ticks;
  for (int v = -3; v <= 3; ++v) ticks.push_back({double(v), 0, std::to_string(v)});
  const std::vector<double> at = {0, 1, 2, 3, 4, 5, 6};
  EXPECT_EQ(LabelsShown(ticks, at, std::vector<double>(7, 0.5), 0.1), std::vector<bool>(7, true));
  EXPECT_EQ(LabelsShown(ticks, at, std::vector<double>(7, 1.5), 0.1),
            (std::vector<bool>{false, true, false, true, false, true, false}));
  EXPECT_EQ(LabelsShown(ticks, at, std::vector<double>(7, 20), 0.1),
            (std::vector<bool>{false, false, false, true, false, false, false}));
  const std::vector<CTick> two(ticks.begin() + 4, ticks.begin() + 6);
  EXPECT_EQ(LabelsShown(two, {0, 1}, {5, 5}, 0.1), (std::vector<bool>{true, false}));
}

// "Fit Frame to Window": frame 0 placed to fill the page, its labels, captions and the
// peak-area text inside it; the frame keeps its own position.
TEST_F(Paint, FrameFillsThePage) {
  CBalimorDoc doc(platform, ini);
  Load(doc);
  doc.peakAreaText = "[Peak Area]\n 1  30  50\n 2  60  80\nSigma: 1   2 %";
  const CGraphFrame& f = *doc.GetFrameArray()->GetFrame(0);
  const CFramePosition own = {f.position[0], f.position[1], f.position[2], f.position[3]};
  double lastWidth = 0;
  for (const double pageMm : {300.0, 200.0}) {
    RecordingDevice dc({pageMm, pageMm * 0.6, int(pageMm * 4), int(pageMm * 2.4)});
    CGraphPainter painter(CViewFont{"Serif", 90});
    const CFramePosition p = painter.FillingPosition(doc, dc);
    painter.frame0Position = p;
    CBoundsRecorder bounds(dc);
    CDrawingSurface s(bounds);
    ASSERT_EQ(painter.PaintDocument(doc, s), CGraphPainter::kPainted);
    const CDeviceRect b = bounds.Bounds();
    EXPECT_GE(b.left, 0);
    EXPECT_GE(b.top, 0);
    EXPECT_LE(b.right, dc.caps.widthPx);
    EXPECT_LE(b.bottom, dc.caps.heightPx);
    // Drawn where it was placed, XMin left and YMin below; its own position kept.
    EXPECT_EQ(dc.shapes.front().rect, s.ToDevice(p[0], p[1], p[2], p[3]));
    EXPECT_LT(p[0], p[2]);
    EXPECT_GT(p[1], p[3]);
    EXPECT_EQ((CFramePosition{f.position[0], f.position[1], f.position[2], f.position[3]}), own);
    // The room left beside the frame is the peak-area text's, 40 letters wide.
    const double width = p[2] - p[0];
    EXPECT_GT(width, pageMm - 40 * s.TextWidth("W") - 40);
    if (lastWidth > 0) {
      EXPECT_NEAR(lastWidth - width, 100, 1);
    }
    lastWidth = width;
  }
}

}  // namespace
