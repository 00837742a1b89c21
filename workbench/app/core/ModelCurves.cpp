// CPeakSearch's model curves: the background, the total and one curve per peak on the X′ grid
// of the loaded data, each recomputed only where its peak or the grid changed.
#include "PeakSearch.h"

#include <algorithm>
#include <cmath>

#include "Platform.h"
#include "fastexp.h"

namespace {

constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kCyan = 0xFFFF00;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kGreen = 0x00FF00;

// Gaussian exponent factor 4 ln 2 and degrees to radians, in double precision.
constexpr double kGaussC = 2.772588722;
constexpr double kDeg = 0.01745329251944;

// Asymmetry average: seven samples at t² = ((k − 1)/6)², Simpson weights, factor 1/18.
constexpr double kT2[7] = {0.0, 1.0 / 36, 4.0 / 36, 9.0 / 36, 16.0 / 36, 25.0 / 36, 1.0};
constexpr double kW[7] = {1, 4, 2, 4, 2, 4, 1};

// The window of a peak on the grid: the run [i0, i1) from the first point with lo ≤ x < hi to
// the last. Found by bisection on a grid whose X ascend or descend; any other grid is walked.
struct Window {
  int i0, i1;
};
Window WindowOf(const std::vector<double>& x, int n, double lo, double hi, bool ascending, bool descending) {
  const auto b = x.begin(), e = x.begin() + n;
  if (ascending) {
    const int i0 = static_cast<int>(std::lower_bound(b, e, lo) - b);
    return {i0, std::max(i0, static_cast<int>(std::lower_bound(b, e, hi) - b))};
  }
  if (descending) {
    const int i0 = static_cast<int>(std::partition_point(b, e, [&](double v) { return v >= hi; }) - b);
    return {i0, std::max(i0, static_cast<int>(std::partition_point(b, e, [&](double v) { return v >= lo; }) - b))};
  }
  int i0 = n, i1 = 0;
  for (int i = 0; i < n; ++i) {
    const double v = x[static_cast<std::size_t>(i)];
    if (lo <= v && v < hi) {
      i0 = std::min(i0, i);
      i1 = i + 1;
    }
  }
  return i0 < i1 ? Window{i0, i1} : Window{0, 0};
}

// One line of one asymmetry sample at m points: with X = xh + d,
//   gs += w exp(−c X²),  ls += w / (1 + q X²).
void AddLine(const double* xh, int m, double d, double w, double q, double* gs, double* ls) {
  for (int i = 0; i < m; ++i) {
    const double X = xh[i] + d;
    const double X2 = X * X;
    gs[i] += w * numeric::expNonPositive(-kGaussC * X2);
    ls[i] += w / (1.0 + q * X2);
  }
}

}  // namespace

void CPeakSearch::ClearModelCurves() {
  backgroundCurve.Reset();
  totalCurve.Reset();
  peakCurves.clear();
  grid.clear();
  ++gridStamp;
}

CGraphData* CPeakSearch::PeakCurve(int i) const {
  return i >= 0 && i < PeakCurveCount() ? peakCurves[static_cast<std::size_t>(i)].curve.get() : nullptr;
}

CPeakSearch::CCurveExtent CPeakSearch::PeakCurveExtent(int i) const {
  const CGraphData* curve = PeakCurve(i);
  if (!curve) return {};
  const CurveSlot& slot = peakCurves[static_cast<std::size_t>(i)];
  if (slot.stamp != gridStamp || curve->datan != static_cast<int>(grid.size()) || slot.w1 < slot.w0)
    return {0, curve->datan, false};
  return {slot.w0, slot.w1, gridAscending};
}

bool CPeakSearch::UpdateGrid(int n) {
  bool same = static_cast<int>(grid.size()) == n;
  for (int i = 0; same && i < n; ++i) same = grid[static_cast<std::size_t>(i)] == dataSet->ScaledX(i);
  if (same) return false;
  grid.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) grid[static_cast<std::size_t>(i)] = dataSet->ScaledX(i);
  gridAscending = gridDescending = true;
  for (std::size_t i = 1; i < grid.size(); ++i) {
    gridAscending = gridAscending && grid[i] >= grid[i - 1];
    gridDescending = gridDescending && grid[i] <= grid[i - 1];
  }
  ++gridStamp;
  return true;
}

bool CPeakSearch::PrepareCurve(CGraphData& curve, int n, long& stamp, int& w0, int& w1) {
  // A curve already on this grid keeps its X′ values and has only its last window to clear;
  // any other is made anew on the grid.
  if (stamp == gridStamp && curve.datan == n) {
    std::fill(curve.Y.begin() + w0, curve.Y.begin() + w1, 0.0);
  } else {
    if (curve.maxDatan > n) {
      curve.SetCount(n);
    } else if (curve.SetSize(n) < 0) {
      stamp = -1;
      return false;
    }
    std::copy(grid.begin(), grid.begin() + n, curve.X.begin());
    std::fill(curve.Y.begin(), curve.Y.begin() + n, 0.0);
    stamp = gridStamp;
  }
  w0 = w1 = 0;
  curve.fileName = dataSet->fileName;
  curve.messages = curveMessages;
  return true;
}

int CPeakSearch::MakeModelCurves(int n) {
  if (dataKind == DataKind::None) return -1;
  if (!dataSet) return -1;
  n = std::clamp(n, 0, dataSet->datan);
  UpdateGrid(n);
  const std::string& name = dataSet->fileName;
  int unused0 = 0, unused1 = n;
  // The background and the total are written at every point.
  if (!PrepareCurve(totalCurve, n, totalStamp, unused0, unused1)) return -1;
  unused0 = 0, unused1 = n;
  if (!PrepareCurve(backgroundCurve, n, backgroundStamp, unused0, unused1)) return -1;
  totalCurve.label = "(Total)" + name;
  totalCurve.lineColor = kRed;
  backgroundCurve.label = "(Background)" + name;
  backgroundCurve.lineColor = kCyan;
  if (qRange < 0.1) qRange = 0.1;

  // Background: the plain polynomial b0 + b1 x + ... + b4 x⁴ (diffraction, and spectroscopic
  // data fitted by a Zentrab build), or the polynomial in t = (x − c)/h over the optimisation
  // range that simplexfit fits.
  const bool normalised = dataKind == DataKind::Spectroscopic && !IsZentrabProgram(ramanProgram);
  const double c = (optLow + optHigh) * 0.5, h = (optHigh - optLow) * 0.5;
  const int order = normalised ? std::clamp(backgroundOrder, 0, kBackgroundTerms - 1) : kBackgroundTerms - 1;
  for (int i = 0; i < n; ++i) {
    const double x = grid[static_cast<std::size_t>(i)];
    const double t = normalised ? (h != 0 ? (x - c) / h : 0.0) : x;
    double v = 0, p = 1;
    for (int k = 0; k <= order; ++k, p *= t) v += b[k] * p;
    backgroundCurve.Y[static_cast<std::size_t>(i)] = v;
    totalCurve.Y[static_cast<std::size_t>(i)] = v;
  }
  backgroundCurve.UpdateRange();

  // One curve per peak, reused from the last computation where there is one.
  const std::size_t want = static_cast<std::size_t>(peakCount);
  if (peakCurves.size() > want) peakCurves.resize(want);
  int result = 1;
  for (int j = 0; j < peakCount; ++j) {
    if (static_cast<std::size_t>(j) >= peakCurves.size()) peakCurves.emplace_back();
    CurveSlot& slot = peakCurves[static_cast<std::size_t>(j)];
    CGraphData& curve = *slot.curve;
    if (!PrepareCurve(curve, n, slot.stamp, slot.w0, slot.w1)) {
      peakCurves.resize(static_cast<std::size_t>(j));
      char text[96];
      std::snprintf(text, sizeof text, "Can't create curve #%d with datan=%d", j, n);
      if (platform) platform->ShowMessage(text, "Error");
      result = -1;
      break;
    }
    char label[96];
    std::snprintf(label, sizeof label, "Curve#%2d - %lg", j, column[kPosition].value[j]);
    curve.label = label + name;
    curve.lineColor = j == currentPeak ? kBlue : kGreen;
    if (n >= 2) {
      if (dataKind == DataKind::Diffraction)
        MakeDiffractionPeak(j, slot, n);
      else
        MakeSingleLinePeak(j, slot, n);
    }
    UpdatePeakRange(slot, n);
  }

  totalCurve.UpdateRange();
  return result;
}

void CPeakSearch::UpdatePeakRange(CurveSlot& slot, int n) {
  CGraphData& curve = *slot.curve;
  const CGraphData& ref = backgroundCurve;
  const bool sameX = curve.XAxisType == ref.XAxisType && curve.XScale == ref.XScale && curve.XOffset == ref.XOffset;
  if (n < 1 || !sameX) {
    curve.UpdateRange();
    return;
  }
  // Every point outside the window holds 0, so one of them stands for all; the X′ values are
  // the background curve's, whose range was taken over the same grid.
  double lo = 0, hi = 0;
  bool any = false;
  auto take = [&](int i) {
    const double y = curve.ProcessedY(i);
    if (!any || y < lo) lo = y;
    if (!any || y > hi) hi = y;
    any = true;
  };
  if (slot.w0 > 0) take(0);
  else if (slot.w1 < n) take(slot.w1);
  for (int i = slot.w0; i < slot.w1; ++i) take(i);
  curve.XMin = ref.XMin;
  curve.XMax = ref.XMax;
  curve.YMin = lo;
  curve.YMax = hi;
}

// The Kα1/Kα2 doublet, averaged over the asymmetric spread:
//   X1 = h (x − p + t² A cot p), X2 = h (x − p2 + t² A cot p2), h = 1/Wg, q = 4 r²
//   value = (1/18) Σ w (CG (G1 + iRatio G2) + CL (L1 + iRatio L2)),
//   G = exp(−c X²), L = 1/(1 + q X²),
// with p2 the Kα2 angle from the wavelength ratio. The window runs from p − w to p2 + w.
void CPeakSearch::MakeDiffractionPeak(int j, CurveSlot& slot, int n) {
  const double p = column[kPosition].value[j];
  if (!(p >= 0 && p < 180)) return;
  const double wg = column[kFWHMGauss].value[j];
  const double wl = column[kFWHMLorentz].value[j];
  const double r = column[kFWHMGLRatio].value[j];
  const double A = column[kAniso].value[j];
  const double intensity = column[kCTotal].value[j];
  const double fraction = column[kGaussFraction].value[j];
  if (!(wg > 0) || !std::isfinite(wg) || !std::isfinite(r)) return;
  const double cg = intensity * fraction / 18.0, cl = intensity * (1.0 - fraction) / 18.0;
  const double hInv = 1.0 / wg, q = 4.0 * r * r;
  const double w = qRange * std::max(wg, wl);

  // Kα2 angle: s = 2 sin(p/2)/λ1, p2 = 2 asin(λ2 s/2). A line that would lie beyond 180° is
  // left out.
  const double s = 2.0 * std::sin(p * 0.5 * kDeg) / ramda1;
  const double arg = ramda2 * 0.5 * s;
  const bool ka2Angle = std::isfinite(arg) && std::fabs(arg) <= 1.0;
  const double p2 = ka2Angle ? std::asin(arg) * 2.0 / kDeg : p;
  const bool ka2 = ka2Angle && iRatio != 0;
  // The asymmetric shift t² A cot(2θ); none without anisotropy (and none at 2θ = 0).
  const bool asym = A != 0 && std::tan(p * kDeg) != 0;
  const double k1 = asym ? A / std::tan(p * kDeg) : 0.0;
  const double k2 = asym && ka2 && std::tan(p2 * kDeg) != 0 ? A / std::tan(p2 * kDeg) : 0.0;

  const auto [i0, i1] = WindowOf(grid, n, p - w, std::max(p, p2) + w, gridAscending, gridDescending);
  slot.w0 = i0;
  slot.w1 = i1;
  const int samples = asym ? 7 : 1;
  // The shifts of the samples in units of the inverse width, and their weights.
  double d1[7], d2[7], wk[7];
  for (int k = 0; k < samples; ++k) {
    d1[k] = hInv * (kT2[k] * k1 - p);
    d2[k] = hInv * (kT2[k] * k2 - p2);
    wk[k] = asym ? kW[k] : 18.0;
  }
  // Sample by sample over the window, so that each pass is one simple loop over the points.
  const int m = i1 - i0;
  if (m <= 0) return;
  if (static_cast<int>(scratch.size()) < 3 * m) scratch.resize(static_cast<std::size_t>(3 * m));
  double* xh = scratch.data();
  double* gs = xh + m;
  double* ls = gs + m;
  const double* X = grid.data() + i0;
  for (int i = 0; i < m; ++i) {
    xh[i] = hInv * X[i];
    gs[i] = ls[i] = 0.0;
  }
  for (int k = 0; k < samples; ++k) {
    AddLine(xh, m, d1[k], wk[k], q, gs, ls);
    if (ka2) AddLine(xh, m, d2[k], wk[k] * iRatio, q, gs, ls);
  }
  double* Y = slot.curve->Y.data() + i0;
  double* total = totalCurve.Y.data() + i0;
  for (int i = 0; i < m; ++i) {
    const double v = cg * gs[i] + cl * ls[i];
    Y[i] = v;
    total[i] += v;
  }
}

// One line: intensity (g exp(−c ((x − p)/Wg)²) + (1 − g)/(1 + 4 ((x − p)/Wl)²)), Wl = Wg/rfwhm,
// in the window p ± w. A part of width 0 is left out.
void CPeakSearch::MakeSingleLinePeak(int j, CurveSlot& slot, int n) {
  const double p = column[kPosition].value[j];
  const double wg = column[kFWHMGauss].value[j];
  const double r = column[kFWHMGLRatio].value[j];
  const double intensity = column[kCTotal].value[j];
  const double fraction = column[kGaussFraction].value[j];
  const double wl = wg > 0 && r > 0 ? wg / r : column[kFWHMLorentz].value[j];
  const double w = qRange * std::max(wg, column[kFWHMLorentz].value[j]);
  if (!std::isfinite(p) || !std::isfinite(w)) return;
  const bool gauss = wg > 0 && std::isfinite(wg), lorentz = wl > 0 && std::isfinite(wl);
  const auto [i0, i1] = WindowOf(grid, n, p - w, p + w, gridAscending, gridDescending);
  slot.w0 = i0;
  slot.w1 = i1;
  const double gInv = gauss ? 1.0 / wg : 0.0, lInv = lorentz ? 1.0 / wl : 0.0;
  const double cg = intensity * fraction, cl = intensity * (1.0 - fraction);
  double* Y = slot.curve->Y.data();
  double* total = totalCurve.Y.data();
  for (int i = i0; i < i1; ++i) {
    const double d = grid[static_cast<std::size_t>(i)] - p;
    double v = 0;
    if (gauss) v += cg * numeric::expNonPositive(-kGaussC * (d * gInv) * (d * gInv));
    if (lorentz) v += cl / (1.0 + 4.0 * (d * lInv) * (d * lInv));
    Y[i] = v;
    total[i] += v;
  }
}
