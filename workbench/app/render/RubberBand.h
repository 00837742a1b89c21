// The zoom of the graph view: a rectangle dragged with the mouse becomes frame 0's new limits.
#pragma once

#include "DrawingSurface.h"

class CGraphFrame;

// A device point in the data units of a frame: device to page, then through the frame's
// position and limits back to data.
struct CDataPoint {
  double x = 0, y = 0;
};
CDataPoint DeviceToData(const CDrawingSurface& surface, const CGraphFrame& frame, CDevicePoint p);

// What a finished drag asks for: the new limits (smaller and larger X and Y of the two
// corners), or nothing when the corners have equal X or equal Y or neither lies inside the
// frame.
struct CRubberBandZoom {
  bool apply = false;
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};
CRubberBandZoom RubberBandZoom(const CDrawingSurface& surface, const CGraphFrame& frame,
                               CDevicePoint anchor, CDevicePoint last);
// Sets the frame's limits when the zoom applies; true when it did.
bool ApplyRubberBand(CGraphFrame& frame, const CRubberBandZoom& zoom);
