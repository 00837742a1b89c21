#include "PeakSearchDialog.h"

#include <cmath>
#include <cstdio>

#include "IniKeys.h"

namespace {

// The scaled values of a curve, read once; an index outside the curve reads 0.
struct Scaled {
  std::vector<double> x, y;
  int n = 0;
  explicit Scaled(const CGraphData& c) : n(c.datan > 0 ? c.datan : 0) {
    x.resize(static_cast<std::size_t>(n));
    y.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      x[static_cast<std::size_t>(i)] = c.ScaledX(i);
      y[static_cast<std::size_t>(i)] = c.ScaledY(i);
    }
  }
  double X(long i) const { return i >= 0 && i < n ? x[static_cast<std::size_t>(i)] : 0.0; }
  double Y(long i) const { return i >= 0 && i < n ? y[static_cast<std::size_t>(i)] : 0.0; }
};

double Width(const Scaled& s, long p, double base) {
  const double yp = s.Y(p);
  const double half = std::fabs((yp - base) * 0.5 + base);
  for (long k = 0;; ++k) {
    const long L = p - k, R = p + k;
    const bool left = L >= 0, right = R < s.n;
    if (!left && !right) return 0.1;
    if (left && s.Y(L) < half) return 2.0 * (s.X(p) - s.X(L));
    if (right && s.Y(R) < half) return 2.0 * (s.X(R) - s.X(p));
    if (left && s.Y(L) > yp) return s.X(p) - s.X(L);
    if (right && s.Y(R) > yp) return s.X(R) - s.X(p);
  }
}

}  // namespace

double PeakWidth(const CGraphData& curve, int p, double base) {
  return Width(Scaled(curve), p, base);
}

int SearchPeaks(const CGraphData& curve, CPeakSearch& record, int nS, double threshold,
                std::vector<std::string>& lines, double& base) {
  const Scaled s(curve);
  const long n = s.n;
  base = 1e30;
  for (long i = 0; i < n; ++i)
    if (record.calcLow <= s.X(i) && s.X(i) <= record.calcHigh && s.Y(i) < base) base = s.Y(i);
  lines.push_back("No.  2Theta    I    fwhhm");
  if (nS < 1) nS = 4;
  if (threshold <= 0) threshold = 20.0;
  record.Clear();

  // state: 1 rising, 0 flat, -1 falling; flat counts the zero-slope steps of a plateau.
  int state = 0;
  double flat = 0;
  for (long i = nS; i < n - nS; ++i) {
    // s = Σ_{k=1..nS} k (y[i+k] − y[i−k])
    double slope = 0;
    for (int k = 1; k <= nS; ++k) slope += k * (s.Y(i + k) - s.Y(i - k));
    if (slope > 0) {
      state = 1;
      flat = 0;
      continue;
    }
    if (slope == 0) {
      state = 0;
      flat += 1;
      continue;
    }
    const int previous = state;
    state = -1;
    long c;
    if (previous == 1) {
      c = i;
    } else if (previous == 0) {
      c = i - static_cast<long>(flat * 0.5);
    } else {
      flat = 0;
      continue;
    }
    long best = c;
    for (long j = c - nS; j <= c + nS; ++j)
      if (j >= 0 && j < n && s.Y(j) > s.Y(best)) best = j;
    const double height = s.Y(best) - base, x = s.X(best);
    if (height > threshold && record.calcLow <= x && x <= record.calcHigh) {
      const double w = Width(s, best, base);
      const int before = record.peakCount;
      if (record.AddPeak(x, height, 0.5, 1.0, w) > before) {
        char line[96];
        std::snprintf(line, sizeof line, "%3ld:%7.3f %6.0f %7.3f", static_cast<long>(record.peakCount - 1), x,
                      height, w);
        lines.push_back(line);
      }
    }
    i += nS;
  }
  return record.peakCount;
}

CPeakSearchDialog::CPeakSearchDialog(CIniFile& ini_, const CGraphData& curve_, CPeakSearch& record_,
                                     const std::string& programDir)
    : ini(ini_), curve(curve_), record(record_) {
  found.LoadSettings(ini, programDir);
  found.dataKind = record.dataKind;
  nSmooth = ini.GetInt(ini::kNSmooth);
  threshold = ini.GetReal(ini::kThreshold);
}

void CPeakSearchDialog::OnSearch() {
  list.clear();
  found.calcLow = record.calcLow;
  found.calcHigh = record.calcHigh;
  SearchPeaks(curve, found, nSmooth, threshold, list, base);
}

void CPeakSearchDialog::OnOK() {
  ini.WriteInt(ini::kNSmooth, nSmooth);
  ini.WriteReal(ini::kThreshold, threshold);
  for (int i = 0; i < found.peakCount; ++i)
    record.AddPeak(found.Value(CPeakSearch::kPosition, i), found.Value(CPeakSearch::kCTotal, i),
                   found.Value(CPeakSearch::kGaussFraction, i), found.Value(CPeakSearch::kFWHMGLRatio, i),
                   found.Value(CPeakSearch::kFWHMLorentz, i));
}
