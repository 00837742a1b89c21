#include "model.h"

#include <cmath>
#include <limits>

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
  double pos, cg, a, cl, bl;
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
};

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
  for (int i = 0; i < n; ++i) Y[i] = B[i] = background(job, ab, x[i]);
  for (int k = 0; k < job.NP; ++k) {
    const PeakShape shape(job.peak[k]);
    for (int i = 0; i < n; ++i) Y[i] += shape.at(x[i]);
  }

  // The terms are added to S in a fixed order: residuals, then the peak penalties, then
  // 1e8·B^2 for every point with B < 0, so that the value does not depend on how the
  // sums are grouped.
  double S = 0.0;
  for (int i = 0; i < n; ++i) {
    const double r = pts.y[i] - Y[i];
    S += r * r;
  }
  S = peakPenalty(job, S);
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
