// Hands a polyline of device points to a device with the points that cannot change the
// picture left out, so that a curve of far more points than its frame has pixel columns draws
// as fast as a short one. Within one pixel column a connected run of points covers exactly the
// span between its lowest and highest point, so each column keeps its first, lowest, highest
// and last point in the order they came; repeated points and the inner points of a straight
// horizontal or vertical run are dropped as well.
#pragma once

#include <vector>

#include "DrawingSurface.h"

class CPolylineReducer {
 public:
  explicit CPolylineReducer(IDeviceContext& dc) : dc(dc) { out.reserve(kChunk + 8); }
  ~CPolylineReducer() { Finish(); }
  CPolylineReducer(const CPolylineReducer&) = delete;
  CPolylineReducer& operator=(const CPolylineReducer&) = delete;

  // Starts a new polyline at p (the one so far is drawn).
  void MoveTo(CDevicePoint p) {
    Flush();
    Open(p);
  }
  // Joins p to the last point.
  void LineTo(CDevicePoint p) {
    joined = true;
    if (!open) {
      Open(p);
      return;
    }
    if (p.x != col) {
      CloseColumn();
      Open(p);
      return;
    }
    // Without branches: a dense curve's points go up and down at random.
    last = p.y;
    const bool below = p.y < lo, above = p.y > hi;
    loFirst = above ? true : (below ? false : loFirst);  // which extreme came last
    lo = below ? p.y : lo;
    hi = above ? p.y : hi;
    ++count;
  }
  // Joins n points in turn, as n calls of LineTo do.
  void LineTo(const int* xs, const int* ys, int n) {
    for (int j = 0; j < n;) {
      if (!open || xs[j] != col) {
        LineTo(CDevicePoint{xs[j], ys[j]});
        ++j;
        continue;
      }
      // The rest of this pixel column, in one tight loop.
      joined = true;
      int k = j;
      int l = lo, h = hi;
      bool lf = loFirst;
      for (; k < n && xs[k] == col; ++k) {
        const int y = ys[k];
        const bool below = y < l, above = y > h;
        lf = above ? true : (below ? false : lf);
        l = below ? y : l;
        h = above ? y : h;
      }
      lo = l;
      hi = h;
      loFirst = lf;
      last = ys[k - 1];
      count += k - j;
      j = k;
    }
  }
  // Draws what is pending.
  void Finish() { Flush(); }

  // Points handed to the device so far (for tests and the benchmark).
  long long PointsDrawn() const { return drawn; }

 private:
  static constexpr std::size_t kChunk = 4096;

  void Open(CDevicePoint p) {
    open = true;
    col = p.x;
    first = last = lo = hi = p.y;
    loFirst = true;
    count = 1;
  }
  void CloseColumn();
  void Emit(CDevicePoint p);
  void Flush();

  IDeviceContext& dc;
  std::vector<CDevicePoint> out;
  bool open = false;
  int col = 0, first = 0, last = 0, lo = 0, hi = 0;
  bool loFirst = true;
  bool joined = false;  // the current polyline has a line, not just its start
  int count = 0;
  long long drawn = 0;
};
