#include "PolylineReducer.h"

void CPolylineReducer::CloseColumn() {
  Emit({col, first});
  if (count > 1) {
    if (loFirst) {
      Emit({col, lo});
      Emit({col, hi});
    } else {
      Emit({col, hi});
      Emit({col, lo});
    }
    Emit({col, last});
  }
  open = false;
}

void CPolylineReducer::Emit(CDevicePoint p) {
  const std::size_t n = out.size();
  if (n >= 1 && out[n - 1] == p) return;
  if (n >= 2) {
    // The middle of three points on one horizontal or vertical line, going on in the same
    // direction, adds nothing.
    const CDevicePoint a = out[n - 2], b = out[n - 1];
    const bool horizontal = a.y == b.y && b.y == p.y && (b.x - a.x > 0) == (p.x - b.x > 0);
    const bool vertical = a.x == b.x && b.x == p.x && (b.y - a.y > 0) == (p.y - b.y > 0);
    if (horizontal || vertical) {
      out[n - 1] = p;
      return;
    }
  }
  out.push_back(p);
  if (out.size() >= kChunk) {
    // A long polyline goes out in pieces that share their end points.
    dc.Polyline(out.data(), static_cast<int>(out.size()));
    drawn += static_cast<long long>(out.size());
    const CDevicePoint end = out.back();
    out.clear();
    out.push_back(end);
  }
}

void CPolylineReducer::Flush() {
  if (open) CloseColumn();
  if (out.size() >= 2) {
    dc.Polyline(out.data(), static_cast<int>(out.size()));
    drawn += static_cast<long long>(out.size());
  } else if (out.size() == 1 && joined) {
    // Lines that all fell on one pixel still mark it; a start alone draws nothing.
    const CDevicePoint p[2] = {out[0], out[0]};
    dc.Polyline(p, 2);
    drawn += 1;
  }
  out.clear();
  joined = false;
}
