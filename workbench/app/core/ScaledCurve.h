// What both peak searches share: the scaled values of the searched curve read once, the output
// range test, the width estimate and the adding of a found peak with its list line.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "GraphData.h"
#include "PeakSearch.h"

namespace peaksearch {

// The scaled values of a curve, read once; an index outside the curve reads 0.
struct Scaled {
  std::vector<double> x, y;
  long n = 0;
  explicit Scaled(const CGraphData& c) : n(c.datan > 0 ? c.datan : 0) {
    x.resize(static_cast<std::size_t>(n));
    y.resize(static_cast<std::size_t>(n));
    for (long i = 0; i < n; ++i) {
      x[static_cast<std::size_t>(i)] = c.ScaledX(static_cast<int>(i));
      y[static_cast<std::size_t>(i)] = c.ScaledY(static_cast<int>(i));
    }
  }
  double X(long i) const { return i >= 0 && i < n ? x[static_cast<std::size_t>(i)] : 0.0; }
  double Y(long i) const { return i >= 0 && i < n ? y[static_cast<std::size_t>(i)] : 0.0; }
};

// The output range of the record, whichever of its ends is the lower, so that a range given
// from high to low (a spectrum whose X runs downwards) tests the same points.
struct Range {
  double lo, hi;
  explicit Range(const CPeakSearch& r)
      : lo(std::min(r.calcLow, r.calcHigh)), hi(std::max(r.calcLow, r.calcHigh)) {}
  bool Holds(double x) const { return lo <= x && x <= hi; }
};

// The lowest point of the curve within the range (1e30 when none lies there).
inline double Baseline(const Scaled& s, const Range& range) {
  double base = 1e30;
  for (long i = 0; i < s.n; ++i)
    if (range.Holds(s.X(i)) && s.Y(i) < base) base = s.Y(i);
  return base;
}

// Full width at half height of the peak at p over base: twice the distance to the nearer
// point below half height, or the distance to a higher point met first; 0.1 when neither is
// found. Distances are taken whole, so the width is positive whichever way X runs.
inline double Width(const Scaled& s, long p, double base) {
  const double yp = s.Y(p);
  const double half = std::fabs((yp - base) * 0.5 + base);
  for (long k = 0;; ++k) {
    const long L = p - k, R = p + k;
    const bool left = L >= 0, right = R < s.n;
    if (!left && !right) return 0.1;
    if (left && s.Y(L) < half) return 2.0 * std::fabs(s.X(p) - s.X(L));
    if (right && s.Y(R) < half) return 2.0 * std::fabs(s.X(R) - s.X(p));
    if (left && s.Y(L) > yp) return std::fabs(s.X(p) - s.X(L));
    if (right && s.Y(R) > yp) return std::fabs(s.X(R) - s.X(p));
  }
}

inline const char* const kListHeader = "No.  2Theta    I    fwhhm";

// Adds the peak at point p (height over base, its width) to the record with its list line.
// False, after the line "Peak table full: N peaks; raise the threshold", when the table takes
// no more peaks; the search then stops.
inline bool AddFound(const Scaled& s, long p, double base, CPeakSearch& record, std::vector<std::string>& lines) {
  const double height = s.Y(p) - base, x = s.X(p), w = Width(s, p, base);
  const int before = record.peakCount;
  char line[96];
  if (record.AddPeak(x, height, 0.5, 1.0, w) <= before) {
    std::snprintf(line, sizeof line, "Peak table full: %d peaks; raise the threshold", record.peakCount);
    lines.push_back(line);
    return false;
  }
  std::snprintf(line, sizeof line, "%3ld:%7.3f %6.0f %7.3f", static_cast<long>(record.peakCount - 1), x, height, w);
  lines.push_back(line);
  return true;
}

}  // namespace peaksearch
