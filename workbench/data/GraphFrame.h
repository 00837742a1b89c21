// CGraphFrame: one plotting frame. It borrows up to 50 curves (never deletes them), keeps the
// axis limits in processed values, the labels, the title, its place on the page and a palette
// of colours handed to the curves in turn.
#pragma once

#include <string>

#include "GraphData.h"

// One axis of a frame. Kinds 0 and 2 are X axes, 1 and 3 Y axes. The axis keeps the limits
// and the frame position that it was last given; how it draws itself belongs to the renderer.
struct CGraphAxis {
  int kind = 0;
  int divisions = 10;
  double min = 0, max = 1;
  double position[4] = {0, 0, 0, 0};

  bool IsX() const { return kind == 0 || kind == 2; }
  bool IsY() const { return kind == 1 || kind == 3; }
};

// Pen of a frame element: style, width in page units, colour and a use flag.
struct CGraphLineAttr {
  int style = 0;
  double width = 0.5;
  COLORREF color = 0x0000FF;
  int flag = 1;
};

class CGraphFrame {
 public:
  static constexpr int kMaxGraph = 50;
  static constexpr int kMaxAxis = 4;
  static constexpr int kPaletteSize = 14;
  // The margin of every autoscale of the workbench: a tenth of the range on each side.
  static constexpr double kScaleMargin = 0.1;

  // position: page x at XMin, y at YMin, x at XMax, y at YMax (y grows downward).
  explicit CGraphFrame(const double position[4]);
  CGraphFrame(double x0, double y0, double x1, double y1);
  virtual ~CGraphFrame();
  CGraphFrame(const CGraphFrame&) = delete;
  CGraphFrame& operator=(const CGraphFrame&) = delete;

  // Attaches a curve without taking ownership, gives it the next palette colour and the clip
  // flag and autoscales with kScaleMargin. Null when the curve is null or 50 are attached.
  CGraphData* AttachGraph(CGraphData* curve);
  // Forgets every attached curve (they are not deleted).
  void DetachAll();
  CGraphData* GetGraph(int i) const;

  // Limits from the attached curves with a relative margin; -1 when no curve is attached.
  int AutoScale(double margin);

  void SetXLabel(const std::string& text) { xLabel = text; }
  void SetYLabel(const std::string& text) { yLabel = text; }
  // Gives every attached curve the Y transform, updates their ranges and autoscales.
  void SetYAxisType(int type);
  void SetXReversed(bool reversed);
  void SetYReversed(bool reversed);

  // Setting a limit also sets it in every axis of the matching kind.
  void SetXMin(double v);
  void SetXMax(double v);
  void SetYMin(double v);
  void SetYMax(double v);
  // The clip flag, given to every attached curve as well.
  void SetClip(bool clip);
  // Fixes one limit at a value (autoscaling keeps it).
  void FixXMin(double v) { fixXMin = true; fixedXMin = v; }
  void FixXMax(double v) { fixXMax = true; fixedXMax = v; }
  void FixYMin(double v) { fixYMin = true; fixedYMin = v; }
  void FixYMax(double v) { fixYMax = true; fixedYMax = v; }

  // Page coordinates of a processed value.
  double DataToPageX(double x) const;
  double DataToPageY(double y) const;
  // True when both normalised coordinates lie in [0, 1].
  bool Contains(double x, double y) const;

  // Hands the current limits and the position to the axes.
  void PassLimitsToAxes();

  bool fixXMin = false, fixXMax = false, fixYMin = false, fixYMax = false;
  double fixedXMin = 0, fixedXMax = 0, fixedYMin = 0, fixedYMax = 0;
  int xAxisType = 0;
  int yAxisType = 0;
  bool xReversed = false, yReversed = false;
  int nAxis = 2;
  CGraphAxis axis[kMaxAxis];
  CGraphData* graph[kMaxGraph] = {};
  double position[4] = {0, 0, 0, 0};
  double XMin = 0, YMin = 0, XMax = 1, YMax = 1;
  int nGraph = 0;
  std::string xLabel = "Wave number / cm-1";
  std::string yLabel = "Transmittance / %";
  CGraphLineAttr lineAttr[2];  // the two pens of the frame drawing
  std::string title = "GraphFrame(Default)";
  COLORREF palette[kPaletteSize] = {0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF,
                                    0xFF00FF, 0xFFFF00, 0x0000EF, 0x00EF00, 0xEF0000,
                                    0x00EFEF, 0xEF00EF, 0xEFEF00, 0xEFEFEF};
  int nPalette = kPaletteSize;
  bool clipToFrame = true;

 private:
  // The first nAxis axes, as a range.
  struct AxisRange {
    CGraphAxis* b;
    CGraphAxis* e;
    CGraphAxis* begin() const { return b; }
    CGraphAxis* end() const { return e; }
  };
  AxisRange AxesInUse() {
    const int n = nAxis < 0 ? 0 : (nAxis > kMaxAxis ? kMaxAxis : nAxis);
    return {axis, axis + n};
  }
  void Init(const double pos[4]);
  void ApplyReversal();
};
