#include "zentrab/adaptive.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <span>
#include <string_view>

#include "recordio/recordio.h"
#include "zentrab/cycle.h"
#include "zentrab/profile.h"

namespace zentrab::adaptive {

namespace {

long long I(int v) { return v; }

// The parameters a step moves, kept so that a rejected trial can put them back.
struct Params {
  std::array<float, kMaxBack> back, backC;
  std::array<float, kMaxPeaks> p, CG, CL, h, r, A;

  static Params of(const State& st) {
    return {st.back, st.backC, st.p, st.CG, st.CL, st.h, st.r, st.A};
  }
  void restore(State& st) const {
    st.back = back;
    st.backC = backC;
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

double binomial(int n, int k) {
  double c = 1;
  for (int i = 1; i <= k; ++i) c = c * (n - k + i) / i;
  return c;
}

}  // namespace

// T[i][k]: the coefficient of x^i in t^k = ((x - xc) / xs)^k (i, k over the free run from b1;
// 0 elsewhere), so that the raw coefficients are b = T c.
std::array<std::array<double, kMaxBack>, kMaxBack> rawOfCentred(const State& st) {
  std::array<std::array<double, kMaxBack>, kMaxBack> T{};
  for (int k = 0; k < kMaxBack; ++k) {
    if (st.backFlag[k] != 1) continue;
    for (int i = 0; i <= k; ++i)
      T[i][k] = binomial(k, i) * std::pow(-double(st.xc), k - i) / std::pow(double(st.xs), k);
  }
  return T;
}

namespace {

// Internal value of index entry m: a background coefficient (centred or not), CG, CL, p, A,
// h, or r² for kind 11.
double valueOf(const State& st, int m) {
  const int kind = st.idxKind[m];
  const int j = st.idxPeak[m] - 1;
  switch (kind) {
    case kKindCG: return st.CG[j];
    case kKindCL: return st.CL[j];
    case kKindPosition: return st.p[j];
    case kKindAnisotropy: return st.A[j];
    case kKindH: return st.h[j];
    case kKindR2: return static_cast<double>(st.r[j] * st.r[j]);
    default: return st.centredBackground ? st.backC[kind - 1] : st.back[kind - 1];
  }
}

// True when entry m lies on a bound that the descent direction Jᵀr = -v0 points beyond: such
// an entry is held there for the trial.
bool heldAt(const State& st, int m) {
  const double v = valueOf(st, m);
  return (v <= st.lower[m] && st.v0[m] > 0) || (v >= st.upper[m] && st.v0[m] < 0);
}

// Takes the held entries out of the equations in st.M and st.v: a unit row and column with a
// right-hand side of 0, so that their step is 0.
void holdEntries(State& st) {
  const int N = st.nMtx;
  for (int m = 0; m < N; ++m) {
    if (!heldAt(st, m)) continue;
    for (int k = 0; k < N; ++k) {
      st.M[m + static_cast<std::size_t>(k) * kMaxMtx] = 0;
      st.M[k + static_cast<std::size_t>(m) * kMaxMtx] = 0;
    }
    st.M[m + static_cast<std::size_t>(m) * kMaxMtx] = 1;
    st.v[m] = 0;
  }
}

// Cuts the step in st.v so that every entry stays within its bounds (in the single precision
// in which the step is stored; r² by its square root). True when any entry was cut.
bool projectStep(State& st) {
  bool cut = false;
  for (int m = 0; m < st.nMtx; ++m) {
    const double v = valueOf(st, m);
    const double target = std::clamp(v + st.v[m], st.lower[m], st.upper[m]);
    if (target != v + st.v[m]) {
      st.v[m] = target - v;
      cut = true;
    }
  }
  return cut;
}

// The damped step of marq, (D⁻¹ JᵀJ + λ I) δ = D⁻¹ Jᵀr with D the row scales |M(i,i)| (1 for
// an empty row), solved in its symmetric form (D^-1/2 JᵀJ D^-1/2 + λ I) D^1/2 δ = D^-1/2 Jᵀr by
// Cholesky's factors, in half the work of the general solver; the step replaces st.v. Returns
// 0, cycle::kNotFinite for equations that are not finite, kNothingToSolve without entries, or
// 1 when a pivot is not above the solver's tolerance (a matrix singular at this damping).
// Built for AVX-512 and AVX2 beside the baseline, chosen at load time: each element goes
// through the same operations on each path, so the factors are the same bytes.
constexpr int kNothingToSolve = 3;
__attribute__((target_clones("avx512f", "avx2", "default")))
int solveDamped(State& st, double damping) {
  const int N = st.nMtx;
  if (N <= 0) return kNothingToSolve;
  double* M = st.M.data();
  auto at = [](int i, int k) { return i + static_cast<std::size_t>(k) * kMaxMtx; };
  for (int k = 0; k < N; ++k) {
    if (!std::isfinite(st.v[k])) return cycle::kNotFinite;
    for (int i = 0; i < N; ++i)
      if (!std::isfinite(M[at(i, k)])) return cycle::kNotFinite;
  }
  double* d = st.work.data();
  for (int i = 0; i < N; ++i) {
    double s = std::fabs(M[at(i, i)]);
    if (s < cycle::kRowScaleFloor) s = 1;
    d[i] = std::sqrt(s);
  }
  // The lower triangle, column by column: L(i,k) for i >= k overwrites A(i,k).
  for (int k = 0; k < N; ++k) {
    double* colK = &M[at(0, k)];
    for (int i = k; i < N; ++i) colK[i] /= d[i] * d[k];
    colK[k] += damping;
    // A(i,k) -= L(i,j) L(k,j) for j = 0 … k-1 in turn; four columns j at a time, so that
    // A(i,k) stays in a register across them (the same subtractions in the same order).
    int j = 0;
    for (; j + 4 <= k; j += 4) {
      const double* c0 = &M[at(0, j)];
      const double* c1 = &M[at(0, j + 1)];
      const double* c2 = &M[at(0, j + 2)];
      const double* c3 = &M[at(0, j + 3)];
      const double f0 = c0[k], f1 = c1[k], f2 = c2[k], f3 = c3[k];
      for (int i = k; i < N; ++i) {
        double a = colK[i];
        a -= c0[i] * f0;
        a -= c1[i] * f1;
        a -= c2[i] * f2;
        a -= c3[i] * f3;
        colK[i] = a;
      }
    }
    for (; j < k; ++j) {
      const double* colJ = &M[at(0, j)];
      const double f = colJ[k];
      for (int i = k; i < N; ++i) colK[i] -= colJ[i] * f;
    }
    if (!(colK[k] > cycle::kGluEps)) return 1;
    const double piv = std::sqrt(colK[k]);
    for (int i = k; i < N; ++i) colK[i] /= piv;
  }
  double* b = st.v.data();
  for (int i = 0; i < N; ++i) b[i] = -b[i] / d[i];
  for (int k = 0; k < N; ++k) {  // L y = b
    const double* colK = &M[at(0, k)];
    b[k] /= colK[k];
    for (int i = k + 1; i < N; ++i) b[i] -= colK[i] * b[k];
  }
  for (int k = N - 1; k >= 0; --k) {  // Lᵀ z = y
    const double* colK = &M[at(0, k)];
    double sum = b[k];
    for (int i = k + 1; i < N; ++i) sum -= colK[i] * b[i];
    b[k] = sum / colK[k];
  }
  for (int i = 0; i < N; ++i) b[i] /= d[i];
  return 0;
}

// Decrease of S that the linear model gives for any step δ (in st.v):
//   L(0) - L(δ) = 2 δᵀg - δᵀ JᵀJ δ,   g = Jᵀr = -v0
double modelDecrease(const State& st) {
  const int N = st.nMtx;
  double sum = 0;
  for (int i = 0; i < N; ++i) {
    const double* col = &st.M0[static_cast<std::size_t>(i) * kMaxMtx];
    double Md = 0;
    for (int k = 0; k < N; ++k) Md += col[k] * st.v[k];
    sum += st.v[i] * (-2 * st.v0[i] - Md);
  }
  return sum;
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

// Bounds of every index entry from the start values: heights and the anisotropy not below 0
// (so that the Gauss fraction stays within 0 ... 1 and the back conversion has nothing to
// mend), a position within the calculation range, a Gaussian fwhm not beyond the larger of
// its start and the range's width, an rfwhm not below the smaller of its start and
// kLeastRfwhm. A start value outside its bounds widens them to take it in.
void setBounds(State& st) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  const double span = static_cast<double>(st.calcHigh) - st.calcLow;
  for (int m = 0; m < st.nMtx; ++m) {
    const int j = st.idxPeak[m] - 1;
    const double v = valueOf(st, m);
    double lo = -inf, hi = inf;
    switch (st.idxKind[m]) {
      case kKindCG: case kKindCL: case kKindAnisotropy: lo = 0; break;
      case kKindPosition: lo = st.calcLow; hi = st.calcHigh; break;
      case kKindH:
        // The float that 1 / (that width) rounds to, so that a width at the bound is finite.
        lo = span > 0 ? static_cast<float>(1.0 / std::max(span, 1.0 / st.h[j])) : 0.0;
        break;
      case kKindR2: {
        const float r = std::min(kLeastRfwhm, st.r[j]);
        lo = static_cast<double>(r * r);
        break;
      }
      default: break;
    }
    st.lower[m] = std::min(lo, v);
    st.upper[m] = std::max(hi, v);
  }
}

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
  holdEntries(st);
  // A damped matrix that the solver finds singular is a rejected trial: more damping makes it
  // regular. Nothing to optimise, or equations that are not finite, stop the fit as in marq.
  const int ier = solveDamped(st, pr.damping);
  if (ier == cycle::kNotFinite || ier == kNothingToSolve) {
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
  // A step cut at a bound is no longer the solution of the damped equations: its predicted
  // decrease comes from the linear model itself. What the damped equations promised before the
  // cut decides whether a smaller step could still lower S: a cut step may promise nothing at
  // this damping and yet a more damped one, cut less, may.
  double predicted = 0, promised = 0;
  if (solved) {
    predicted = promised = predictedDecrease(st, pr.damping);
    if (projectStep(st)) predicted = modelDecrease(st);
  }
  const bool inDomain = solved && widthsStayPositive(st);
  double trialS = 0;
  if (inDomain) {
    // The step is tried without its lines; an accepted step is applied again, printing them.
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
  // A step that failed although the linear model promised less than the precision of S
  // itself: a smaller one can promise even less.
  if (raised > kMaxDamping || (inDomain && promised <= kNegligibleDecrease * st.S)) return stall();
  pr.damping = raised;
  return Trial::rejected;
}

void centreBackground(State& st) {
  int K = 0;
  while (K < kMaxBack && st.backFlag[K] == 1) ++K;
  for (int k = K; k < kMaxBack; ++k)
    if (st.backFlag[k] == 1) return;  // not a run from b1: the powers of x stay
  if (K < 2 || st.nData < 1) return;
  float lo = st.x[0], hi = st.x[0];
  for (int i = 1; i < st.nData; ++i) {
    lo = std::min(lo, st.x[i]);
    hi = std::max(hi, st.x[i]);
  }
  if (!(hi > lo)) return;
  st.xc = 0.5f * (lo + hi);
  st.xs = 0.5f * (hi - lo);
  // Σ b_k x^k with x = xc + xs t:  c_i = xs^i Σ_{k>=i} C(k,i) xc^(k-i) b_k
  for (int i = 0; i < K; ++i) {
    double c = 0;
    for (int k = i; k < K; ++k) c += binomial(k, i) * std::pow(double(st.xc), k - i) * st.back[k];
    st.backC[i] = static_cast<float>(c * std::pow(double(st.xs), i));
  }
  st.centredBackground = true;
}

void rawBackground(State& st) {
  if (!st.centredBackground) return;
  const auto T = rawOfCentred(st);
  for (int i = 0; i < kMaxBack; ++i) {
    if (st.backFlag[i] != 1) continue;
    double b = 0;
    for (int k = 0; k < kMaxBack; ++k) b += T[i][k] * st.backC[k];
    st.back[i] = static_cast<float>(b);
  }
}

Status run(State& st, const Out& out, Progress& pr) {
  st.iteration = 1;
  st.converged = false;
  pr.damping = std::max(static_cast<double>(st.dampingFactor), kMinDamping);
  setBounds(st);
  if (st.maxIteration <= 0) return Status::ok;
  centreBackground(st);
  st.inlineExp = true;
  profile::basprf(st, out);
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
  double* M = st.M.data();
  auto at = [](int i, int k) { return i + static_cast<std::size_t>(k) * kMaxMtx; };
  // An entry held at a bound has no error of its own: its row and column are cut off (a unit
  // diagonal), so the others' errors are those with it fixed where it is.
  // So is an entry that a part of 0 leaves without any effect on the model (rfwhm² of a peak
  // without a Lorentzian part, the shape of a peak of height 0): its error is not defined.
  for (int m = 0; m < p; ++m) {
    const double v = valueOf(st, m);
    const int j = st.idxPeak[m] - 1, kind = st.idxKind[m];
    st.held[m] = v <= st.lower[m] || v >= st.upper[m];
    st.undetermined[m] =
        !st.held[m] && M[at(m, m)] == 0 &&
        ((kind == kKindR2 && st.CL[j] == 0) ||
         ((kind == kKindPosition || kind == kKindAnisotropy || kind == kKindH) && st.CG[j] == 0 &&
          st.CL[j] == 0));
    if (!st.held[m] && !st.undetermined[m]) continue;
    for (int k = 0; k < p; ++k) M[at(m, k)] = M[at(k, m)] = 0;
    M[at(m, m)] = 1;
  }
  // Ms = D^-1/2 JᵀJ D^-1/2 has a unit diagonal, so one pivot tolerance suits every job.
  double* d = st.work.data();
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
  // σ of a file parameter f = Σ_m G_m θ_m (the linearised back conversion): sqrt(s² G C Gᵀ),
  // the entries held at a bound counting as fixed.
  auto sigma = [&](std::span<const std::pair<int, double>> G) {
    double var = 0;
    for (auto [a, ga] : G)
      if (a >= 0 && st.undetermined[a] && ga != 0) return std::numeric_limits<double>::quiet_NaN();
    for (auto [a, ga] : G)
      for (auto [b, gb] : G)
        if (a >= 0 && b >= 0 && !st.held[a] && !st.held[b]) var += ga * gb * C(a, b);
    return std::sqrt(std::max(var, 0.0) * s2);
  };
  auto sigma1 = [&](std::initializer_list<std::pair<int, double>> G) {
    return sigma(std::span<const std::pair<int, double>>(G.begin(), G.size()));
  };
  auto held = [&](int m) { return m >= 0 && st.held[m]; };

  int entry[kMaxPeaks][6];
  for (auto& e : entry) std::fill(std::begin(e), std::end(e), -1);
  // A background fitted in the centred basis: b_i = Σ_k T_ik c_k.
  const auto T = rawOfCentred(st);
  std::vector<std::pair<int, double>> G;
  for (int m = 0; m < p; ++m) {
    const int kind = st.idxKind[m];
    if (kind <= kMaxBack) {
      G.clear();
      if (st.centredBackground) {
        for (int a = 0; a < p; ++a)
          if (st.idxKind[a] <= kMaxBack) G.push_back({a, T[kind - 1][st.idxKind[a] - 1]});
      } else {
        G.push_back({m, 1.0});
      }
      rows.push_back({0, kind - 1, st.back[kind - 1], sigma(G)});
    } else {
      entry[st.idxPeak[m] - 1][kind - kKindCG] = m;
    }
  }
  for (int j = 0; j < st.nPeak; ++j) {
    const int* e = entry[j];
    const int mCG = e[kKindCG - kKindCG], mCL = e[kKindCL - kKindCG], mP = e[kKindPosition - kKindCG],
              mA = e[kKindAnisotropy - kKindCG], mH = e[kKindH - kKindCG], mR = e[kKindR2 - kKindCG];
    auto row = [&](int k, double error, bool atBound) {
      rows.push_back({j + 1, k, st.prm[k][j], error, atBound});
    };
    if (mP >= 0) row(kPosition, sigma1({{mP, 1.0}}), held(mP));
    if (mCG >= 0 || mCL >= 0) {
      // intensity I = CG + CL; Gauss fraction g = CG / I: ∂g/∂CG = CL / I², ∂g/∂CL = -CG / I²
      const double CG = st.CG[j], CL = st.CL[j], In = CG + CL;
      // The intensity is held when every free part of it is; the fraction when either is.
      row(kIntensity, sigma1({{mCG, 1.0}, {mCL, 1.0}}),
          (mCG < 0 || held(mCG)) && (mCL < 0 || held(mCL)));
      row(kGaussFraction, In > 0 ? sigma1({{mCG, CL / (In * In)}, {mCL, -CG / (In * In)}}) : NAN,
          held(mCG) || held(mCL));
    }
    // Gaussian fwhm W = 1/h: ∂W/∂h = -1/h²;  rfwhm r = sqrt(r²): ∂r/∂r² = 1/(2r)
    if (mH >= 0) row(kGaussFwhm, sigma1({{mH, -1.0 / (double(st.h[j]) * st.h[j])}}), held(mH));
    if (mR >= 0) row(kRfwhm, sigma1({{mR, 0.5 / st.r[j]}}), held(mR));
    if (mA >= 0) row(kAnisotropy, sigma1({{mA, 1.0}}), held(mA));
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
    if (r.atBound)
      out.put(undefinedRow.write({I(r.peak), name, r.value, kHeldAtBound}));
    else if (std::isfinite(r.error))
      out.put(row.write({I(r.peak), name, r.value, r.error}));
    else
      out.put(undefinedRow.write({I(r.peak), name, r.value, "   not defined"}));
  }
}

}  // namespace zentrab::adaptive
