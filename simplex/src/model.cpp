#include "model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

#include "fastexp.h"

namespace simplex {
namespace {

// Normalised abscissa of the background. A fitting range of zero width holds at most the
// one abscissa c, which then counts as t = 0 instead of 0/0.
struct Abscissa {
  double c, h;
  explicit Abscissa(const Job& job)
      : c((job.xLow + job.xHigh) / 2.0), h((job.xHigh - job.xLow) / 2.0) {}
  double t(double x) const { return h == 0.0 ? 0.0 : (x - c) / h; }
};

double background(const Job& job, const Abscissa& ab, double x) {
  const double t = ab.t(x);
  double B = job.b[0].value;
  double tj = 1.0;
  for (int j = 1; j <= job.NB; ++j) {
    tj *= t;
    B += job.b[j].value * tj;
  }
  return B;
}

// One peak in the form its inner loop needs:
//   P = cg exp(-a d^2) + cl / (1 + bl d^2),  a = 4 ln2 / wG^2,  bl = 4 / wL^2.
// A part whose width is exactly 0 contributes nothing (its limit everywhere but at d = 0,
// where the formula has no value). A width so small that its square underflows leaves a
// spike of full height at d = 0 only, as (d/w)^2 would.
struct PeakShape {
  double pos = 0, cg = 0, a = 0, cl = 0, bl = 0;
  PeakShape() = default;
  explicit PeakShape(const std::array<Param, kPeakParams>& p) {
    constexpr double kMax = std::numeric_limits<double>::max();
    const double wG = p[FWHMGauss].value;
    const double wL = p[FWHMLorentz].value;
    pos = p[Position].value;
    cg = wG == 0.0 ? 0.0 : p[CGauss].value;
    a = wG == 0.0 ? 0.0 : std::fmin(kFourLn2 / (wG * wG), kMax);
    cl = wL == 0.0 ? 0.0 : p[CLorentz].value;
    bl = wL == 0.0 ? 0.0 : std::fmin(4.0 / (wL * wL), kMax);
  }
  double at(double x) const {
    const double d = x - pos;
    const double d2 = d * d;
    return cg * numeric::expNonPositive(-a * d2) + cl / (1.0 + bl * d2);
  }
  // at(x) where the exponential's argument lies below its lowest: the exponential is exactly
  // 0 there, so this is the same value, with the same rounding, for every x where
  // !gaussian(x), whatever cg holds.
  double tail(double x) const {
    const double d = x - pos;
    const double d2 = d * d;
    return cg * 0.0 + cl / (1.0 + bl * d2);
  }
  bool gaussian(double x) const {
    const double d = x - pos;
    return !(-a * (d * d) < numeric::kExpLowest);
  }
};

// The run [lo, hi) of points where the peak's exponential is not exactly 0, in points whose x
// are monotone (order +1 or -1): the test is monotone in |x - pos| in floating point too, so
// those points are one run about the point nearest the centre. Outside monotone points, or
// for a shape whose numbers are not all finite, every point.
std::pair<int, int> gaussianRun(const PeakShape& s, const double* x, int n, int order) {
  if (order == 0 || !std::isfinite(s.pos) || !std::isfinite(s.a) || !(s.a > 0.0)) return {0, n};
  // Index k of the points taken in rising x.
  auto X = [&](int k) { return x[order > 0 ? k : n - 1 - k]; };
  // First k in [lo, hi) where pred(k) holds, pred false then true along k.
  auto first = [](int lo, int hi, auto pred) {
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (pred(mid)) hi = mid; else lo = mid + 1;
    }
    return lo;
  };
  const int c = first(0, n, [&](int k) { return X(k) >= s.pos; });
  int centre = -1;
  if (c < n && s.gaussian(X(c))) centre = c;
  else if (c > 0 && s.gaussian(X(c - 1))) centre = c - 1;
  if (centre < 0) return {0, 0};
  const int lo = first(0, centre, [&](int k) { return s.gaussian(X(k)); });
  const int hi = first(centre + 1, n, [&](int k) { return !s.gaussian(X(k)); });
  return order > 0 ? std::pair{lo, hi} : std::pair{n - hi, n - lo};
}

// The objective's model and squared residuals at every point, a block of points at a time so
// that the block's values stay in the first-level cache while every peak is added:
//   B[i] = Y[i] = background(t_i),  Y[i] += shapes[k].at(x[i]) for k = 0…NP-1 in turn,
//   r2[i] = (y[i] - Y[i])²,
// the exponential of peak k worked out only inside its run runs[k] and taken as the 0 it is
// elsewhere. Each point's value is formed by the same operations in the same order whichever
// path and block compute it, so the loops may run as vector code of any width: built for AVX2
// beside the baseline, the processor choosing at load time (no fused multiply-add is formed in
// either).
struct Run {
  int lo, hi;
};
__attribute__((target_clones("avx2", "default")))
void modelBlocks(const double* b, int NB, const Abscissa& ab, const PeakShape* shapes,
                 const Run* runs, int NP, const double* x, const double* y, double* B, double* Y,
                 double* r2, int n) {
  constexpr int kBlock = 1024;
  const double c = ab.c, h = ab.h;
  double t[kBlock], tj[kBlock], Yb[kBlock];
  for (int s = 0; s < n; s += kBlock) {
    const int m = std::min(kBlock, n - s);
    const double* xb = x + s;
    if (h == 0.0)
      for (int i = 0; i < m; ++i) t[i] = 0.0;
    else
      for (int i = 0; i < m; ++i) t[i] = (xb[i] - c) / h;
    for (int i = 0; i < m; ++i) {
      Yb[i] = b[0];
      tj[i] = 1.0;
    }
    for (int j = 1; j <= NB; ++j) {
      const double bj = b[j];
      for (int i = 0; i < m; ++i) {
        tj[i] *= t[i];
        Yb[i] += bj * tj[i];
      }
    }
    for (int i = 0; i < m; ++i) B[s + i] = Yb[i];
    for (int k = 0; k < NP; ++k) {
      const PeakShape p = shapes[k];
      const int lo = std::clamp(runs[k].lo - s, 0, m), hi = std::clamp(runs[k].hi - s, lo, m);
      for (int i = 0; i < lo; ++i) Yb[i] += p.tail(xb[i]);
      for (int i = lo; i < hi; ++i) Yb[i] += p.at(xb[i]);
      for (int i = hi; i < m; ++i) Yb[i] += p.tail(xb[i]);
    }
    for (int i = 0; i < m; ++i) {
      Y[s + i] = Yb[i];
      const double r = y[s + i] - Yb[i];
      r2[s + i] = r * r;
    }
  }
}

__attribute__((target_clones("avx2", "default")))
bool anyNegative(const double* B, int n) {
  bool any = false;
  for (int i = 0; i < n; ++i) any |= B[i] < 0.0;
  return any;
}

}  // namespace

void evaluateModel(const Job& job, Tables& tables) {
  const Abscissa ab(job);
  for (int i = 0; i < job.ND; ++i) tables.Y[i] = tables.B[i] = background(job, ab, job.x[i]);
  for (int k = 0; k < job.NP; ++k) {
    const PeakShape shape(job.peak[k]);
    auto& P = tables.P[k];
    for (int i = 0; i < job.ND; ++i) {
      P[i] = shape.at(job.x[i]);
      tables.Y[i] += P[i];
    }
  }
}

void selectFitPoints(const Job& job, FitPoints& points) {
  points.n = 0;
  for (int i = 0; i < job.ND; ++i) {
    if (!job.inRange(job.x[i])) continue;
    points.x[points.n] = job.x[i];
    points.y[points.n] = job.y[i];
    ++points.n;
  }
  bool rising = true, falling = true;
  for (int i = 1; i < points.n; ++i) {
    rising = rising && points.x[i - 1] <= points.x[i];
    falling = falling && points.x[i - 1] >= points.x[i];
  }
  points.order = rising ? 1 : (falling ? -1 : 0);
}

int gather(const Job& job, std::span<double> v, std::span<double> step) {
  int N = 0;
  auto take = [&](const Param& p) {
    if (!p.isFree()) return;
    v[N] = p.value;
    step[N] = p.step;
    ++N;
  };
  for (int j = 0; j <= job.NB; ++j) take(job.b[j]);
  for (int k = 0; k < job.NP; ++k)
    for (const Param& p : job.peak[k]) take(p);
  return N;
}

void scatter(std::span<const double> v, Job& job) {
  std::size_t n = 0;
  auto put = [&](Param& p) {
    if (p.isFree()) p.value = v[n++];
  };
  for (int j = 0; j <= job.NB; ++j) put(job.b[j]);
  for (int k = 0; k < job.NP; ++k)
    for (Param& p : job.peak[k]) put(p);
}

double peakPenalty(const Job& job, double S) {
  auto below = [&](const Param& p, double limit) {
    if (!p.isFree() || !(p.value < limit)) return;
    const double d = p.value - limit;
    S += kPenalty * (d * d);
  };
  for (int k = 0; k < job.NP; ++k) {
    const auto& p = job.peak[k];
    below(p[CGauss], 0.0);
    below(p[FWHMGauss], 1.0);
    below(p[CLorentz], 0.0);
    below(p[FWHMLorentz], 1.0);
  }
  return S;
}

double objective(Fit& fit, std::span<const double> v) {
  Job& job = fit.job;
  FitPoints& pts = fit.points;
  scatter(v, job);

  const Abscissa ab(job);
  const int n = pts.n;
  double* B = pts.B.data();
  double* Y = pts.Y.data();
  const double* x = pts.x.data();
  double b[kMaxCoef];
  for (int j = 0; j <= job.NB; ++j) b[j] = job.b[j].value;
  std::array<PeakShape, kMaxPeaks> shapes;
  std::array<Run, kMaxPeaks> runs;
  for (int k = 0; k < job.NP; ++k) {
    shapes[k] = PeakShape(job.peak[k]);
    const auto [lo, hi] = gaussianRun(shapes[k], x, n, pts.order);
    runs[k] = {lo, hi};
  }

  // The terms are added to S in a fixed order: residuals, then the peak penalties, then
  // 1e8·B^2 for every point with B < 0, so that the value does not depend on how the
  // sums are grouped. The squares are formed as a vector; the sum runs point by point.
  double* r2 = pts.r2.data();
  modelBlocks(b, job.NB, ab, shapes.data(), runs.data(), job.NP, x, pts.y.data(), B, Y, r2, n);
  double S = 0.0;
  for (int i = 0; i < n; ++i) S += r2[i];
  S = peakPenalty(job, S);
  if (anyNegative(B, n))
    for (int i = 0; i < n; ++i)
      if (B[i] < 0.0) S += kPenalty * (B[i] * B[i]);
  return S;
}

Deviation relativeDeviation(const Job& job, double S) {
  Deviation d;
  double sum = 0.0;
  for (int i = 0; i < job.ND; ++i) {
    if (!job.inRange(job.x[i])) continue;
    ++d.n;
    sum += job.y[i];
  }
  if (d.n > 0) d.mean = sum / d.n;
  if (d.n < 2) {
    d.why = "fewer than two points lie in the fitting range";
  } else if (d.mean == 0.0) {
    d.why = "the mean intensity in the fitting range is 0";
  } else {
    d.R = 100.0 * std::sqrt(S / (d.n - 1)) / d.mean;
  }
  return d;
}

void peakAreas(const Job& job, Tables& tables) {
  for (int k = 0; k < job.NP; ++k) {
    const auto& p = job.peak[k];
    tables.A[k] = p[CGauss].value * p[FWHMGauss].value * kGaussArea +
                  p[CLorentz].value * p[FWHMLorentz].value * kLorentzArea;
  }
}

}  // namespace simplex
