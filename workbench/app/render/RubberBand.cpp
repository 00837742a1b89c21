#include "RubberBand.h"

#include <algorithm>
#include <cmath>

#include "GraphFrame.h"

//   x = XMin + (page x − p1)/(p3 − p1)·(XMax − XMin), y likewise with p2, p4
CDataPoint DeviceToData(const CDrawingSurface& surface, const CGraphFrame& frame, CDevicePoint p) {
  const double* pos = frame.position;
  const double u = (surface.ToPageX(p.x) - pos[0]) / (pos[2] - pos[0]);
  const double v = (surface.ToPageY(p.y) - pos[1]) / (pos[3] - pos[1]);
  return {frame.XMin + u * (frame.XMax - frame.XMin), frame.YMin + v * (frame.YMax - frame.YMin)};
}

CRubberBandZoom RubberBandZoom(const CDrawingSurface& surface, const CGraphFrame& frame,
                               CDevicePoint anchor, CDevicePoint last) {
  CRubberBandZoom z;
  const CDataPoint a = DeviceToData(surface, frame, anchor);
  const CDataPoint b = DeviceToData(surface, frame, last);
  // A frame without extent gives no finite corner, and nothing to zoom into.
  if (!(std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y)))
    return z;
  if (a.x == b.x || a.y == b.y) return z;
  if (!frame.Contains(a.x, a.y) && !frame.Contains(b.x, b.y)) return z;
  z.apply = true;
  z.xMin = std::min(a.x, b.x);
  z.xMax = std::max(a.x, b.x);
  z.yMin = std::min(a.y, b.y);
  z.yMax = std::max(a.y, b.y);
  return z;
}

bool ApplyRubberBand(CGraphFrame& frame, const CRubberBandZoom& zoom) {
  if (!zoom.apply) return false;
  frame.SetXMin(zoom.xMin);
  frame.SetXMax(zoom.xMax);
  frame.SetYMin(zoom.yMin);
  frame.SetYMax(zoom.yMax);
  return true;
}
