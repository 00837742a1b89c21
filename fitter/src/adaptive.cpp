#include "zentrab/adaptive.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <string_view>

#include "recordio/recordio.h"
#include "zentrab/cycle.h"
#include "zentrab/profile.h"

namespace zentrab::adaptive {

namespace {

long long I(int v) { return v; }

// The parameters a step moves, kept so that a rejected trial can put them back.
struct Params {
  std::array<float, kMaxBack> back;
  std::array<float, kMaxPeaks> p, CG, CL, h, r, A;

  static Params of(const State& st) { return {st.back, st.p, st.CG, st.CL, st.h, st.r, st.A}; }
  void restore(State& st) const {
    st.back = back;
    st.p = p;
    st.CG = CG;
    st.CL = CL;
    st.h = h;
    st.r = r;
    st.A = A;
  }
  bool operator==(const Params&) const = default;
};

void startLine(const State& st, const Out& out) {
  static const recordio::Layout start("(a, i3, a, g14.6, a, g14.6)");
  out.put(start.write({" Start cycle ", I(st.iteration), " S=", st.S, " sigma=", st.sigma}));
}

// Decrease of S that the linear model predicts for the step δ (in st.v) solved with damping λ:
//   L(0) - L(δ) = 2 δᵀg - δᵀ JᵀJ δ = δᵀ (g + λ D δ),   g = Jᵀr = -v0,  D = the row scales
double predictedDecrease(const State& st, double lambda) {
  double sum = 0;
  for (int i = 0; i < st.nMtx; ++i) {
    double s = std::fabs(st.M0[i + static_cast<std::size_t>(i) * kMaxMtx]);
    if (s < cycle::kRowScaleFloor) s = 1;
    const double d = st.v[i];
    sum += d * (-st.v0[i] + lambda * s * d);
  }
  return sum;
}

// False when the step in st.v would make an inverse Gaussian width h or an rfwhm squared 0 or
// negative (in the single precision in which newprm stores them).
bool widthsStayPositive(const State& st) {
  for (int m = 0; m < st.nMtx; ++m) {
    const int j = st.idxPeak[m] - 1;
    if (st.idxKind[m] == kKindH && !(static_cast<float>(st.h[j] + st.v[m]) > 0.0f)) return false;
    if (st.idxKind[m] == kKindR2 && !(st.r[j] * st.r[j] + st.v[m] > 0.0)) return false;
  }
  return true;
}

}  // namespace

bool chosen(const std::string& method) {
  const std::string_view name(kMethodName);
  if (method.size() < name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(method[i])) !=
        std::tolower(static_cast<unsigned char>(name[i])))
      return false;
  return true;
}

void prepare(State& st) {
  profile::diff(st);
  const int N = st.nMtx;
  for (int c = 0; c < N; ++c) {
    const std::size_t col = static_cast<std::size_t>(c) * kMaxMtx;
    std::copy_n(&st.M[col], N, &st.M0[col]);
  }
  std::copy_n(st.v.data(), N, st.v0.data());
}

Trial trial(State& st, const Out& out, Progress& pr) {
  auto kept = [&] {
    const int N = st.nMtx;
    for (int c = 0; c < N; ++c) {
      const std::size_t col = static_cast<std::size_t>(c) * kMaxMtx;
      std::copy_n(&st.M0[col], N, &st.M[col]);
    }
    std::copy_n(st.v0.data(), N, st.v.data());
  };
  kept();
  // A damped matrix that the solver finds singular is a rejected trial: more damping makes it
  // regular. Nothing to optimise, or equations that are not finite, stop the fit as in marq.
  const int ier = cycle::solve(st, Out{}, pr.damping);
  if (ier == cycle::kNotFinite || ier == cycle::kGluInvalidSize) {
    kept();
    cycle::marq(st, out, pr.damping);
    return Trial::stop;
  }

  auto stall = [&] {
    out.put(" ******  No step lowers S any more  *****\n");
    pr.stalled = true;
    st.converged = false;
    return Trial::stalled;
  };
  // A step that makes a width 0 or negative leaves the model's domain: it cannot lower S and
  // is rejected without an evaluation (newprm would mend rfwhm to 0.0001, a Lorentzian 10^4
  // times as wide as the Gaussian, whose window would cover the whole scan).
  const bool solved = ier == 0;
  const bool inDomain = solved && widthsStayPositive(st);
  double trialS = 0;
  if (inDomain) {
    // The step is tried without its lines; an accepted step is applied again, printing them.
    const double predicted = predictedDecrease(st, pr.damping);
    const Params before = Params::of(st);
    const double S0 = st.S, sigma0 = st.sigma;
    cycle::applyStep(st, nullptr);
    if (Params::of(st) == before) return stall();
    profile::basprf(st, out);
    if (st.S < S0) {
      before.restore(st);
      cycle::newprm(st, out);
      // ρ near 1: the step did what the linear model promised; damp less. ρ small: damp more.
      const double rho = predicted > 0 ? (S0 - st.S) / predicted : 1.0;
      const double t = 2 * rho - 1;
      pr.damping = std::max(kMinDamping, pr.damping * std::max(kLeastDecrease, 1 - t * t * t));
      pr.nu = kFirstRaise;
      ++pr.accepted;
      ++st.iteration;
      startLine(st, out);
      return Trial::accepted;
    }
    trialS = st.S;
    before.restore(st);
    st.S = S0;
    st.sigma = sigma0;
  }

  st.converged = false;
  ++pr.rejected;
  const double raised = pr.damping * pr.nu;
  pr.nu *= 2;
  static const recordio::Layout evaluated("(a, i3, a, g14.6, a, g14.6)");
  static const recordio::Layout unevaluated("(a, i3, a, a, g14.6)");
  if (inDomain)
    out.put(evaluated.write({" *** Rejected step in cycle", I(st.iteration), ", trial S=", trialS,
                             ", damping raised to", raised}));
  else
    out.put(unevaluated.write({" *** Rejected step in cycle", I(st.iteration),
                               solved ? ", a width not positive" : ", the matrix is singular",
                               ", damping raised to", raised}));
  if (raised > kMaxDamping) return stall();
  pr.damping = raised;
  return Trial::rejected;
}

Status run(State& st, const Out& out, Progress& pr) {
  st.iteration = 1;
  st.converged = false;
  pr.damping = std::max(static_cast<double>(st.dampingFactor), kMinDamping);
  if (st.maxIteration <= 0) return Status::ok;
  // No trial can be compared with an S that is not finite.
  if (!cycle::finiteS(st, out)) return Status::stop;
  startLine(st, out);
  prepare(st);
  for (;;) {
    switch (trial(st, out, pr)) {
      case Trial::stop:
        return Status::stop;
      case Trial::stalled:
        return Status::ok;
      case Trial::rejected:
        break;
      case Trial::accepted:
        if (st.converged) {
          out.put(" ******  Converged  *****\n");
          return Status::ok;
        }
        if (pr.accepted >= st.maxIteration) return Status::ok;
        prepare(st);
        break;
    }
  }
}

Covariance covariance(State& st) {
  const int n = st.nData, p = st.nMtx;
  if (p == 0) return Covariance::nothingOptimised;
  if (n <= p) return Covariance::tooFewData;
  profile::diff(st);
  // Ms = D^-1/2 JᵀJ D^-1/2 has a unit diagonal, so one pivot tolerance suits every job.
  double* M = st.M.data();
  double* d = st.work.data();
  auto at = [](int i, int k) { return i + static_cast<std::size_t>(k) * kMaxMtx; };
  for (int i = 0; i < p; ++i) {
    d[i] = std::sqrt(M[at(i, i)]);
    if (!(d[i] > 0) || !std::isfinite(d[i])) return Covariance::singular;
  }
  for (int k = 0; k < p; ++k)
    for (int i = 0; i < p; ++i) M[at(i, k)] /= d[i] * d[k];
  // Columns of Ms⁻¹: the first by glu, which factors Ms, the others from the factors.
  std::fill(st.cov.begin(), st.cov.end(), 0.0);
  for (int c = 0; c < p; ++c) st.cov[at(c, c)] = 1;
  std::array<double, kMaxMtx> work;
  int ier = 0;
  cycle::glu(Out{}, M, p, kMaxMtx, &st.cov[0], kSingularPivot, work.data(), st.pivot.data(), ier);
  if (ier != 0) return Covariance::singular;
  for (int c = 1; c < p; ++c) cycle::glusub(M, p, kMaxMtx, &st.cov[at(0, c)], st.pivot.data());
  for (int k = 0; k < p; ++k)
    for (int i = 0; i < p; ++i) {
      double& c = st.cov[at(i, k)];
      c /= d[i] * d[k];
      if (!std::isfinite(c)) return Covariance::singular;
    }
  return Covariance::ok;
}

std::vector<ErrorRow> errorRows(const State& st) {
  std::vector<ErrorRow> rows;
  const int p = st.nMtx;
  const double s2 = st.nData > p ? st.S / (st.nData - p) : 0.0;
  auto C = [&](int a, int b) { return st.cov[a + static_cast<std::size_t>(b) * kMaxMtx]; };
  // σ of a file parameter f = Σ_m G_m θ_m (the linearised back conversion): sqrt(s² G C Gᵀ).
  auto sigma = [&](std::initializer_list<std::pair<int, double>> G) {
    double var = 0;
    for (auto [a, ga] : G)
      for (auto [b, gb] : G)
        if (a >= 0 && b >= 0) var += ga * gb * C(a, b);
    return std::sqrt(std::max(var, 0.0) * s2);
  };

  int entry[kMaxPeaks][6];
  for (auto& e : entry) std::fill(std::begin(e), std::end(e), -1);
  for (int m = 0; m < p; ++m) {
    const int kind = st.idxKind[m];
    if (kind <= kMaxBack)
      rows.push_back({0, kind - 1, st.back[kind - 1], sigma({{m, 1.0}})});
    else
      entry[st.idxPeak[m] - 1][kind - kKindCG] = m;
  }
  for (int j = 0; j < st.nPeak; ++j) {
    const int* e = entry[j];
    const int mCG = e[kKindCG - kKindCG], mCL = e[kKindCL - kKindCG], mP = e[kKindPosition - kKindCG],
              mA = e[kKindAnisotropy - kKindCG], mH = e[kKindH - kKindCG], mR = e[kKindR2 - kKindCG];
    auto row = [&](int k, double error) { rows.push_back({j + 1, k, st.prm[k][j], error}); };
    if (mP >= 0) row(kPosition, sigma({{mP, 1.0}}));
    if (mCG >= 0 || mCL >= 0) {
      // intensity I = CG + CL; Gauss fraction g = CG / I: ∂g/∂CG = CL / I², ∂g/∂CL = -CG / I²
      const double CG = st.CG[j], CL = st.CL[j], In = CG + CL;
      row(kIntensity, sigma({{mCG, 1.0}, {mCL, 1.0}}));
      row(kGaussFraction, In > 0 ? sigma({{mCG, CL / (In * In)}, {mCL, -CG / (In * In)}}) : NAN);
    }
    // Gaussian fwhm W = 1/h: ∂W/∂h = -1/h²;  rfwhm r = sqrt(r²): ∂r/∂r² = 1/(2r)
    if (mH >= 0) row(kGaussFwhm, sigma({{mH, -1.0 / (double(st.h[j]) * st.h[j])}}));
    if (mR >= 0) row(kRfwhm, sigma({{mR, 0.5 / st.r[j]}}));
    if (mA >= 0) row(kAnisotropy, sigma({{mA, 1.0}}));
  }
  return rows;
}

void printErrors(const State& st, const Out& out, Covariance c) {
  out.put("\n");
  out.put(" *** Standard errors of the optimized parameters ***\n");
  switch (c) {
    case Covariance::nothingOptimised:
      out.put("   None: no parameter is optimized.\n");
      return;
    case Covariance::tooFewData:
      out.put("   Not computed: no more data points than optimized parameters.\n");
      return;
    case Covariance::singular:
      out.put("   Not computed: the normal matrix is singular.\n");
      return;
    case Covariance::ok:
      break;
  }
  static const char* const kPeakNames[kPeakParams] = {
      "position", "intensity", "Gauss fraction", "Gaussian fwhm", "Lorentzian fwhm", "rfwhm",
      "anisotropy"};
  static const char* const kBackNames[kMaxBack] = {"background b1", "background b2", "background b3",
                                                   "background b4", "background b5"};
  static const recordio::Layout row("(i4, 2x, a, 2g14.6)");
  static const recordio::Layout undefinedRow("(i4, 2x, a, g14.6, a)");
  out.put("   #  parameter                 value  standard error\n");
  for (const ErrorRow& r : errorRows(st)) {
    std::string name = r.peak == 0 ? kBackNames[r.param] : kPeakNames[r.param];
    name.resize(16, ' ');
    if (std::isfinite(r.error))
      out.put(row.write({I(r.peak), name, r.value, r.error}));
    else
      out.put(undefinedRow.write({I(r.peak), name, r.value, "   not defined"}));
  }
}

}  // namespace zentrab::adaptive
