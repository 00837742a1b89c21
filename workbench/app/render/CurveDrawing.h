// Drawing one curve in a frame: the polyline of its used points and the markers of the points
// inside the frame.
#pragma once

#include "DrawingSurface.h"
#include "PeakSearch.h"

class CGraphData;
class CGraphFrame;

// Where a curve differs from 0: outside points first .. end-1 it is 0, and with xAscending its
// X never decrease (a model peak curve, CPeakSearch::PeakCurveExtent).
using CCurveExtent = CPeakSearch::CCurveExtent;

// Draws points i0 to i1 of the curve through the frame (i1 = −1: the last point; i1 < i0
// swaps them). Point i goes to the page point (p1 + tx·(p3 − p1), p2 + ty·(p4 − p2)) with
// tx = (ProcessedX(i) − XMin)/(XMax − XMin), ty likewise, from the frame's position and limits;
// it lies inside when 0 <= tx <= 1 and 0 <= ty <= 1.
//   With drawLine: a point is used when it or a neighbour lies inside; consecutive used points
//   are joined, while the first used point, a used point after an unused one and, with
//   breakOnReturn, a point where X′ turns back against the first step start a new line. With
//   clipToFrame the line is clipped to the frame rectangle.
//   With drawSymbol: a marker on every point inside, shape 0 a circle outline, shape 1 a
//   filled square, both ± symbol size around the point.
// −1 without a frame or for a curve that is not valid, 1 for a curve without points, else 0.
//   With an extent the line is drawn as above without visiting every point of the flat parts:
//   there the used points form one horizontal run whose ends are found by bisection.
int DrawCurve(CDrawingSurface& surface, const CGraphFrame* frame, const CGraphData* curve,
              int i0 = 0, int i1 = -1, const CCurveExtent* extent = nullptr);
