#include "GraphPainter.h"

#include <algorithm>
#include <cmath>

#include "AxisTicks.h"
#include "BalimorDoc.h"
#include "BoundsRecorder.h"
#include "CurveDrawing.h"
#include "GraphFrame.h"
#include "Platform.h"

namespace {

constexpr COLORREF kBlack = 0x000000;

// Drawing is not re-entrant: one flag for the whole process.
bool g_painting = false;

// Sets the flag for the life of a paint; a paint that finds it set does nothing.
class CPaintGuard {
 public:
  CPaintGuard() : owner(!g_painting) { g_painting = true; }
  ~CPaintGuard() {
    if (owner) g_painting = false;
  }
  CPaintGuard(const CPaintGuard&) = delete;
  CPaintGuard& operator=(const CPaintGuard&) = delete;
  bool Owner() const { return owner; }

 private:
  bool owner;
};

void AxisPen(CDrawingSurface& s) { s.SetPen(kPenSolid, kAxisPenWidth, kBlack); }

// Space between the tick labels and a caption, as a share of the text height.
constexpr double kCaptionGap = 0.3;
// Least space between two tick labels of an axis, as a share of the width of a digit.
constexpr double kLabelSpacing = 0.5;

void DrawCaption(CDrawingSurface& s, const CGraphFrame& f, const CGraphAxis& a, double labels) {
  const double* p = f.position;
  const double xc = (p[0] + p[2]) / 2, yc = (p[1] + p[3]) / 2;
  const double gap = kTickLabelGap + labels + kCaptionGap * s.TextHeight("W");
  const double bottom = std::max(p[1], p[3]), top = std::min(p[1], p[3]);
  const double left = std::min(p[0], p[2]), right = std::max(p[0], p[2]);
  switch (a.kind) {
    case 0:
      s.Text(xc, bottom + gap, f.xLabel, kAlignHCenter | kAlignTop);
      break;
    case 1:
      // Turned by 90 degrees, read upward, its foot toward the frame.
      s.Text(left - gap, yc, f.yLabel, kAlignHCenter | kAlignBottom, kYCaptionAngle);
      break;
    case 2:
      s.Text(xc, top - gap, f.xLabel, kAlignHCenter | kAlignBottom);
      break;
    case 3:
      s.Text(right + gap, yc, f.yLabel, kAlignHCenter | kAlignTop, kYCaptionAngle);
      break;
    default:
      break;
  }
}

// Zero lines: X = 0 when 0 < −XMin/(XMax − XMin) < 1 (first line set), Y = 0 likewise.
void DrawZeroLines(CDrawingSurface& s, const CGraphFrame& f) {
  const double* p = f.position;
  const CGraphLineAttr& vx = f.lineAttr[0];
  const double u = -f.XMin / (f.XMax - f.XMin);
  if (vx.flag && u > 0 && u < 1) {
    s.SetPen(vx.style, vx.width, vx.color);
    const double x = f.DataToPageX(0);
    s.Line(x, p[1], x, p[3]);
  }
  const CGraphLineAttr& hy = f.lineAttr[1];
  const double v = -f.YMin / (f.YMax - f.YMin);
  if (hy.flag && v > 0 && v < 1) {
    s.SetPen(hy.style, hy.width, hy.color);
    const double y = f.DataToPageY(0);
    s.Line(p[0], y, p[2], y);
  }
}

}  // namespace

bool CGraphPainter::Busy() { return g_painting; }

double CGraphPainter::DrawAxis(CDrawingSurface& s, const CGraphFrame& f, const CGraphAxis& a) {
  const double* p = f.position;
  // Along the axis from its first limit to its second; the axis line and the inward direction.
  double from, to, at, inward;
  if (a.IsX()) {
    from = p[0];
    to = p[2];
    at = a.kind == 0 ? p[1] : p[3];
    inward = (a.kind == 0 ? p[3] - p[1] : p[1] - p[3]) >= 0 ? 1 : -1;
  } else {
    from = p[1];
    to = p[3];
    at = a.kind == 1 ? p[0] : p[2];
    inward = (a.kind == 1 ? p[2] - p[0] : p[0] - p[2]) >= 0 ? 1 : -1;
  }
  // Where each label stands along the axis and how much of it it takes; the labels that
  // would run into each other are left out, their ticks kept.
  const std::vector<CTick> ticks = AxisTicks(a.min, a.max, a.divisions);
  std::vector<double> along(ticks.size()), size(ticks.size());
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    along[i] = from + ticks[i].t * (to - from);
    size[i] = a.IsX() ? s.TextWidth(ticks[i].label) : s.TextHeight(ticks[i].label);
  }
  const std::vector<bool> shown = LabelsShown(ticks, along, size, kLabelSpacing * s.TextWidth("0"));
  double extent = 0;
  AxisPen(s);
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    const std::string& text = ticks[i].label;
    const double label = at - inward * kTickLabelGap;
    if (a.IsX()) {
      s.Line(along[i], at, along[i], at + inward * kTickLength);
      if (!shown[i]) continue;
      const int align = a.kind == 0 ? (kAlignHCenter | kAlignTop) : (kAlignHCenter | kAlignBottom);
      s.Text(along[i], label, text, align);
      extent = std::max(extent, s.TextHeight(text));
    } else {
      s.Line(at, along[i], at + inward * kTickLength, along[i]);
      if (!shown[i]) continue;
      const int align = a.kind == 1 ? (kAlignRight | kAlignVCenter) : (kAlignLeft | kAlignVCenter);
      s.Text(label, along[i], text, align);
      extent = std::max(extent, s.TextWidth(text));
    }
  }
  return extent;
}

void CGraphPainter::DrawFrame(CDrawingSurface& s, CGraphFrame& f) {
  f.SetXReversed(f.xReversed);
  f.SetYReversed(f.yReversed);
  DrawFrameOutline(s, f);
  DrawZeroLines(s, f);
  for (int i = 0; i < f.nGraph; ++i)
    if (f.graph[i]) DrawCurve(s, &f, f.graph[i]);
}

void CGraphPainter::DrawFrameOutline(CDrawingSurface& s, const CGraphFrame& f) {
  const double* p = f.position;
  AxisPen(s);
  s.SetHollowBrush();
  s.Rectangle(p[0], p[1], p[2], p[3]);
  const int n = std::clamp(f.nAxis, 0, CGraphFrame::kMaxAxis);
  for (int k = 0; k < n; ++k) {
    const double labels = DrawAxis(s, f, f.axis[k]);
    DrawCaption(s, f, f.axis[k], labels);
  }
}

CPageRect CGraphPainter::PeakAreaBox(CDrawingSurface& s, const CGraphFrame& f, const std::string& text) {
  const double* p = f.position;
  const double w = s.TextWidth("W");
  CPageRect r;
  r.left = std::max(p[0], p[2]) + 2 * w;
  // Clear of the X caption under the frame, which may be wider than the frame.
  bool bottomCaption = false;
  for (int k = 0; k < std::clamp(f.nAxis, 0, CGraphFrame::kMaxAxis); ++k) bottomCaption |= f.axis[k].kind == 0;
  if (bottomCaption) r.left = std::max(r.left, (p[0] + p[2]) / 2 + s.TextWidth(f.xLabel) / 2 + w);
  r.top = std::min(p[1], p[3]);
  // 40 letters "W" wide, or as wide as the text's longest line, so that no line of the
  // peak-area table is broken in two.
  r.right = r.left + std::max(40 * w, text.empty() ? 0.0 : s.TextBoxWidth(text) + w);
  r.bottom = std::max(p[1], p[3]);
  return r;
}

int CGraphPainter::PaintDocument(CBalimorDoc& doc, CDrawingSurface& s) const {
  const CPaintGuard guard;
  if (!guard.Owner()) return kBusy;

  s.SetPointFont(font.faceName, font.height, font.italic, font.underline, font.strikeOut);
  AxisPen(s);
  if (doc.shownPfcPath) s.Text(2.0, 2.0, *doc.shownPfcPath, kAlignLeft | kAlignTop);

  CGraphFrameArray& frames = *doc.GetFrameArray();
  CGraphFrame* frame0 = frames.GetFrame(0);
  if (!frame0) {
    doc.Platform().ShowMessage("Can't get GraphFrame(0)", "Error");
    return kNoFrame;
  }
  const CFramePlacement placed(*frame0, frame0Position);
  for (int i = 0; i < frames.count; ++i)
    if (CGraphFrame* f = frames.GetFrame(i)) DrawFrame(s, *f);

  if (!frame0->GetGraph(0)) return kPainted;
  const CPeakSearch& r = doc.GetPeakSearch();
  if (doc.viewBackground) DrawCurve(s, frame0, &r.backgroundCurve);
  if (doc.viewCalc) DrawCurve(s, frame0, &r.totalCurve);
  for (int i = 0; i < r.PeakCurveCount(); ++i) {
    if (doc.viewCurves || (i == r.currentPeak && doc.viewCurrentCurve)) {
      const CCurveExtent extent = r.PeakCurveExtent(i);
      DrawCurve(s, frame0, r.PeakCurve(i), 0, -1, &extent);
    }
  }
  if (!doc.peakAreaText.empty()) {
    const CPageRect box = PeakAreaBox(s, *frame0, doc.peakAreaText);
    AxisPen(s);
    s.TextBox(box.left, box.top, box.right, box.bottom, doc.peakAreaText);
  }
  return kPainted;
}

CFramePlacement::CFramePlacement(CGraphFrame& frame, const std::optional<CFramePosition>& at) : frame(frame) {
  std::copy(frame.position, frame.position + 4, own.begin());
  if (at) std::copy(at->begin(), at->end(), frame.position);
}

CFramePlacement::~CFramePlacement() { std::copy(own.begin(), own.end(), frame.position); }

CFramePosition CGraphPainter::FillingPosition(CBalimorDoc& doc, IDeviceContext& dc) const {
  CGraphFrame* frame0 = doc.GetFrameArray()->GetFrame(0);
  if (!frame0) return {};
  const CFramePosition own = {frame0->position[0], frame0->position[1], frame0->position[2], frame0->position[3]};
  CFramePosition p = own;
  // The frame's outline is measured where it stands and again where the first pass put it,
  // since which tick labels have room depends on the frame's size.
  for (int pass = 0; pass < 2; ++pass) {
    CBoundsRecorder measure(dc, false);
    CDrawingSurface s(measure);
    s.SetPointFont(font.faceName, font.height, font.italic, font.underline, font.strikeOut);
    const CFramePlacement placed(*frame0, p);
    DrawFrameOutline(s, *frame0);
    const double left = std::min(p[0], p[2]), right = std::max(p[0], p[2]);
    const double top = std::min(p[1], p[3]), bottom = std::max(p[1], p[3]);
    // How far the labels and captions reach beyond each side of the frame.
    const CDeviceRect b = measure.Bounds();
    const double outLeft = std::max(0.0, left - s.ToPageX(b.left)), outRight = std::max(0.0, s.ToPageX(b.right) - right);
    const double outTop = std::max(0.0, top - s.ToPageY(b.top)), outBottom = std::max(0.0, s.ToPageY(b.bottom) - bottom);
    // The peak-area text goes right of the frame at its own width; the PFC path stands above.
    const double beside =
        doc.peakAreaText.empty() ? outRight : std::max(outRight, PeakAreaBox(s, *frame0, doc.peakAreaText).right - right);
    const double above = doc.shownPfcPath && !doc.shownPfcPath->empty() ? 2.0 + s.TextHeight(*doc.shownPfcPath) : 0.0;
    const CDeviceCaps& page = s.Caps();
    const double l = kFillMargin + outLeft, t = above + kFillMargin + outTop;
    const double r = std::max(l + kLeastFilledSide, page.widthMm - kFillMargin - beside);
    const double u = std::max(t + kLeastFilledSide, page.heightMm - kFillMargin - outBottom);
    // The frame keeps its orientation: which corner holds XMin and YMin.
    p = {own[0] <= own[2] ? l : r, own[1] >= own[3] ? u : t, own[0] <= own[2] ? r : l, own[1] >= own[3] ? t : u};
  }
  return p;
}
