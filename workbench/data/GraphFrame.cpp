#include "GraphFrame.h"

#include <utility>

CGraphFrame::CGraphFrame(const double pos[4]) { Init(pos); }

CGraphFrame::CGraphFrame(double x0, double y0, double x1, double y1) {
  const double pos[4] = {x0, y0, x1, y1};
  Init(pos);
}

CGraphFrame::~CGraphFrame() { DetachAll(); }

void CGraphFrame::Init(const double pos[4]) {
  for (int k = 0; k < 4; ++k) position[k] = pos[k];
  axis[0].kind = 0;
  axis[1].kind = 1;
  axis[2].kind = 2;
  axis[3].kind = 3;
  PassLimitsToAxes();
}

CGraphData* CGraphFrame::AttachGraph(CGraphData* curve) {
  if (!curve || nGraph >= kMaxGraph) return nullptr;
  graph[nGraph] = curve;
  curve->clipToFrame = clipToFrame;
  // The colour count never reaches past the palette's fixed array.
  const int colours = (nPalette > 0 && nPalette < kPaletteSize) ? nPalette : kPaletteSize;
  const COLORREF c = palette[nGraph % colours];
  curve->lineColor = c;
  curve->markerPenColor = c;
  curve->markerBrushColor = c;
  ++nGraph;
  AutoScale(kScaleMargin);
  PassLimitsToAxes();
  return curve;
}

void CGraphFrame::DetachAll() {
  for (CGraphData*& g : graph) g = nullptr;
  nGraph = 0;
}

CGraphData* CGraphFrame::GetGraph(int i) const {
  return (i < 0 || i >= nGraph) ? nullptr : graph[i];
}

namespace {

// A range of zero width is opened around its value: 0 .. 0.5 at zero, else 0.9 .. 1.1 times it.
void OpenDegenerate(double& lo, double& hi) {
  if (lo != hi) return;
  if (hi == 0.0) {
    hi = 0.5;
  } else {
    const double v = hi;
    lo = 0.9 * v;
    hi = 1.1 * v;
  }
}

// A positive range that starts close to zero (below margin of its top) is drawn from zero.
void AnchorAtZero(double& lo, double hi, double margin) {
  if (hi > 0 && lo > 0 && margin * hi > lo) lo = 0.0;
}

// Widens both ends by d, but never carries a limit across zero.
void AddMargin(double& lo, double& hi, double d) {
  const double newLo = lo - d;
  lo = (newLo * lo <= 0) ? 0.0 : newLo;
  const double newHi = hi + d;
  hi = (newHi * hi <= 0) ? 0.0 : newHi;
}

}  // namespace

int CGraphFrame::AutoScale(double margin) {
  if (nGraph < 1) return -1;
  bool any = false;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  for (int i = 0; i < nGraph; ++i) {
    const CGraphData* g = graph[i];
    if (!g || !g->isValid || !g->isShown) continue;
    if (!any) {
      xmin = g->XMin;
      xmax = g->XMax;
      ymin = g->YMin;
      ymax = g->YMax;
      any = true;
      continue;
    }
    if (g->XMin < xmin) xmin = g->XMin;
    if (g->XMax > xmax) xmax = g->XMax;
    if (g->YMin < ymin) ymin = g->YMin;
    if (g->YMax > ymax) ymax = g->YMax;
  }
  if (any) {
    XMin = xmin;
    XMax = xmax;
    YMin = ymin;
    YMax = ymax;
  }
  OpenDegenerate(XMin, XMax);
  OpenDegenerate(YMin, YMax);
  AnchorAtZero(XMin, XMax, margin);
  AnchorAtZero(YMin, YMax, margin);
  if (margin > 0) {
    AddMargin(XMin, XMax, (XMax - XMin) * margin);
    AddMargin(YMin, YMax, (YMax - YMin) * margin);
  }
  if (fixXMin) XMin = fixedXMin;
  if (fixXMax) XMax = fixedXMax;
  if (fixYMin) YMin = fixedYMin;
  if (fixYMax) YMax = fixedYMax;
  OpenDegenerate(XMin, XMax);
  OpenDegenerate(YMin, YMax);
  ApplyReversal();
  return 0;
}

void CGraphFrame::SetYAxisType(int type) {
  yAxisType = type;
  for (int i = 0; i < nGraph; ++i) {
    if (!graph[i]) continue;
    graph[i]->YAxisType = type;
    graph[i]->UpdateRange();
  }
  AutoScale(kScaleMargin);
  if (type == 7) SetYMin(0.0);
  if (xAxisType == 7) SetXMin(0.0);
}

void CGraphFrame::ApplyReversal() {
  // Reversed: minimum above maximum; normal: minimum below maximum.
  if (xReversed ? XMin < XMax : XMin > XMax) std::swap(XMin, XMax);
  if (yReversed ? YMin < YMax : YMin > YMax) std::swap(YMin, YMax);
  PassLimitsToAxes();
}

void CGraphFrame::SetClip(bool clip) {
  clipToFrame = clip;
  for (int i = 0; i < nGraph; ++i)
    if (graph[i]) graph[i]->clipToFrame = clip;
}

void CGraphFrame::SetXReversed(bool reversed) {
  xReversed = reversed;
  ApplyReversal();
}

void CGraphFrame::SetYReversed(bool reversed) {
  yReversed = reversed;
  ApplyReversal();
}

void CGraphFrame::SetXMin(double v) {
  XMin = v;
  for (CGraphAxis& a : AxesInUse())
    if (a.IsX()) a.min = v;
}

void CGraphFrame::SetXMax(double v) {
  XMax = v;
  for (CGraphAxis& a : AxesInUse())
    if (a.IsX()) a.max = v;
}

void CGraphFrame::SetYMin(double v) {
  YMin = v;
  for (CGraphAxis& a : AxesInUse())
    if (a.IsY()) a.min = v;
}

void CGraphFrame::SetYMax(double v) {
  YMax = v;
  for (CGraphAxis& a : AxesInUse())
    if (a.IsY()) a.max = v;
}

void CGraphFrame::PassLimitsToAxes() {
  for (CGraphAxis& a : AxesInUse()) {
    if (a.IsX()) {
      a.min = XMin;
      a.max = XMax;
    } else {
      a.min = YMin;
      a.max = YMax;
    }
    for (int k = 0; k < 4; ++k) a.position[k] = position[k];
  }
}

//   page x = (x - XMin) / (XMax - XMin) * (p3 - p1) + p1
double CGraphFrame::DataToPageX(double x) const {
  return (x - XMin) / (XMax - XMin) * (position[2] - position[0]) + position[0];
}

//   page y = (y - YMin) / (YMax - YMin) * (p4 - p2) + p2
double CGraphFrame::DataToPageY(double y) const {
  return (y - YMin) / (YMax - YMin) * (position[3] - position[1]) + position[1];
}

bool CGraphFrame::Contains(double x, double y) const {
  const double u = (x - XMin) / (XMax - XMin);
  const double v = (y - YMin) / (YMax - YMin);
  return u >= 0 && u <= 1 && v >= 0 && v <= 1;
}
