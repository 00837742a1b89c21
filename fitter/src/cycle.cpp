#include "zentrab/cycle.h"

#include <cmath>
#include <utility>

#include "recordio/recordio.h"
#include "zentrab/profile.h"

namespace zentrab::cycle {

namespace {

long long I(int v) { return v; }

// Free-format message line of the solver: text followed by integers.
void gluMessage(const Out& out, std::initializer_list<recordio::Item> items) {
  out.put(recordio::writeFree(items, recordio::diffractionNotation()));
}

}  // namespace

Status mkidx(State& st, const Out& out) {
  out.put(recordio::write("(a, 2g14.6)",
                          {" ***Make index for optimization in range of ", st.optLow, st.optHigh}));
  int n = 0;
  auto append = [&](int peak, int kind) {
    if (n == kMaxMtx) return false;
    st.idxPeak[n] = peak;
    st.idxKind[n] = kind;
    ++n;
    return true;
  };
  bool ok = true;
  for (int k = 0; k < kMaxBack && ok; ++k)
    if (st.backFlag[k] == 1) ok = append(0, k + 1);
  // Flags of peak records 2, 3, 1, 7, 4, 6 move kinds 6, 7, 8, 9, 10, 11; record 5's is unused.
  static constexpr PeakParam kFlagOf[6] = {kIntensity, kGaussFraction, kPosition,
                                           kAnisotropy, kGaussFwhm,    kRfwhm};
  for (int j = 0; j < st.nPeak && ok; ++j) {
    if (!(st.optLow <= st.p[j] && st.p[j] <= st.optHigh)) continue;
    for (int k = 0; k < 6 && ok; ++k) {
      const int kind = kKindCG + k;
      if (!kFullProfile && kind == kKindAnisotropy) continue;  // no part of this profile
      if (st.flag[kFlagOf[k]][j] == 1) ok = append(j + 1, kind);
    }
  }
  if (!ok) {
    out.consoleOnly(" nMtx too large\n");
    return Status::stop;
  }
  st.nMtx = n;
  out.put(recordio::write("(a, i5)", {" *** Number of parameters to be optimized: ", I(n)}));
  std::vector<recordio::Item> items;
  items.reserve(3 * n);
  for (int m = 0; m < n; ++m) {
    const int j = st.idxPeak[m];
    items.emplace_back(static_cast<long long>(j));
    items.emplace_back(static_cast<long long>(st.idxKind[m]));
    items.emplace_back(j == 0 ? 0.0f : st.p[j - 1]);
  }
  out.put(recordio::Layout("(5(i4, i3, f8.3))").write(items));
  return Status::ok;
}

void glu(const Out& out, double* a, int n, int n1, double* b, double eps, double* work, int* ipvt,
         int& ier) {
  auto A = [&](int i, int k) -> double& { return a[i + static_cast<std::size_t>(k) * n1]; };
  if (eps < 0) eps = kGluEps;
  if (n1 < n || n <= 0) {
    ier = 3;
    gluMessage(out, {"  (SUBR. GLU)  INVALID ARGUMENT.  N1, N =", I(n1), I(n)});
    return;
  }
  // Largest element of every row; a row below the tolerance makes the matrix singular.
  for (int i = 0; i < n; ++i) work[i] = 0;
  for (int k = 0; k < n; ++k)
    for (int i = 0; i < n; ++i) work[i] = std::max(work[i], std::fabs(A(i, k)));
  bool singular = false;
  for (int i = 0; i < n; ++i)
    if (!(work[i] >= eps)) singular = true;
  if (singular) {
    ier = 2;
    out.put("  (SUBR. GLU)  ORIGINAL MATRIX IS SINGULAR.\n");
    return;
  }
  for (int k = 0; k < n; ++k) {
    int l = k;
    double big = std::fabs(A(k, k));
    for (int i = k + 1; i < n; ++i)
      if (std::fabs(A(i, k)) > big) {
        big = std::fabs(A(i, k));
        l = i;
      }
    ipvt[k] = l;
    if (!(big > eps)) {
      ier = 1;
      ipvt[k] = k;
      for (int i = k + 1; i < n; ++i) A(i, k) = 0;
      gluMessage(out, {"  (SUBR. GLU)  MATRIX IS SINGULAR AT K =", I(k + 1)});
      return;
    }
    if (l != k) std::swap(A(l, k), A(k, k));
    const double pivot = A(k, k);
    for (int i = k + 1; i < n; ++i) A(i, k) = -A(i, k) / pivot;
    for (int j = k + 1; j < n; ++j) {
      const double t = A(l, j);
      if (l != k) {
        A(l, j) = A(k, j);
        A(k, j) = t;
      }
      double* col = &A(0, j);
      const double* mult = &A(0, k);
      for (int i = k + 1; i < n; ++i) col[i] += mult[i] * t;
    }
  }
  ier = 0;
  glusub(a, n, n1, b, ipvt);
}

void glusub(const double* a, int n, int n1, double* b, const int* ipvt) {
  auto A = [&](int i, int k) { return a[i + static_cast<std::size_t>(k) * n1]; };
  // Forward: apply the row exchanges and multipliers of L.
  for (int k = 0; k < n; ++k) {
    const int l = ipvt[k];
    if (l != k) std::swap(b[k], b[l]);
    for (int i = k + 1; i < n; ++i) b[i] += A(i, k) * b[k];
  }
  // Backward: U x = b, column by column.
  b[n - 1] /= A(n - 1, n - 1);
  for (int k = n - 2; k >= 0; --k) {
    for (int i = 0; i <= k; ++i) b[i] -= A(i, k + 1) * b[k + 1];
    b[k] /= A(k, k);
  }
}

Status marq(State& st, const Out& out) { return marq(st, out, st.dampingFactor); }

int solve(State& st, const Out& out, double damping) {
  const int N = st.nMtx;
  double* M = st.M.data();
  for (int j = 0; j < N; ++j) {
    if (!std::isfinite(st.v[j])) return kNotFinite;
    for (int i = 0; i < N; ++i)
      if (!std::isfinite(M[i + static_cast<std::size_t>(j) * kMaxMtx])) return kNotFinite;
  }
  // Row scales s_i = |M(i,i)| (1 for an empty row), applied column by column.
  double* s = st.work.data();
  for (int i = 0; i < N; ++i) {
    s[i] = std::fabs(M[i + i * kMaxMtx]);
    if (s[i] < kRowScaleFloor) s[i] = 1;
    st.v[i] /= s[i];
  }
  for (int j = 0; j < N; ++j) {
    double* col = &M[static_cast<std::size_t>(j) * kMaxMtx];
    for (int i = 0; i < N; ++i) col[i] /= s[i];
  }
  for (int i = 0; i < N; ++i) {
    M[i + i * kMaxMtx] += damping;
    st.v[i] = -st.v[i];
  }
  int ier = 0;
  glu(out, M, N, kMaxMtx, st.v.data(), kGluEps, st.work.data(), st.pivot.data(), ier);
  return ier;
}

Status marq(State& st, const Out& out, double damping) {
  const int ier = solve(st, out, damping);
  if (ier == kNotFinite) {
    out.put(kNotFiniteEquations);
    return Status::stop;
  }
  if (ier != 0) {
    out.put(recordio::write("(a, i5)", {" ***** Error occured in GLU. IER=", I(ier)}));
    return Status::stop;
  }
  return Status::ok;
}

bool finiteS(const State& st, const Out& out) {
  if (std::isfinite(st.S)) return true;
  out.put(kNotFiniteS);
  return false;
}

bool stepFails(double v, double delta, double eps) {
  // Written so that a step or value that is not a number fails.
  if (v != 0.0) return !(std::fabs(delta) <= std::fabs(v * eps));
  return !(std::fabs(delta) <= eps);
}

void newprm(State& st, const Out& out) { applyStep(st, &out); }

void applyStep(State& st, const Out* out) {
  static const recordio::Layout line("(2x, i3, 3g14.6)");
  if (out) out->put(" *** New Parameters ***\n");
  st.converged = true;
  for (int m = 0; m < st.nMtx; ++m) {
    const double delta = st.v[m];
    const int kind = st.idxKind[m];
    const int j = st.idxPeak[m] - 1;
    double test = 0;  // value the convergence test compares the step with
    if (kind == kKindH) {
      // Printed as Gaussian fwhm: 1/h, 1/(h+δ) - 1/h, 1/(h+δ).
      const float oldW = 1.0f / st.h[j];
      st.h[j] = static_cast<float>(st.h[j] + delta);
      const float newW = 1.0f / st.h[j];
      if (out) out->put(line.write({I(m + 1), oldW, newW - oldW, newW}));
      test = st.h[j];
    } else if (kind == kKindR2) {
      // r² moves by δ; printed as rfwhm: r, √(r²+δ) - r, √(r²+δ).
      const float r = st.r[j];
      const float r2 = r * r;
      const double arg = r2 + delta;
      float newR;
      if (arg > 0.0) {
        newR = static_cast<float>(std::sqrt(arg));
      } else {
        // No real root: rfwhm takes the smallest value the final repairs allow.
        static const recordio::Layout msg("(a,i5,g14.6)");
        if (out)
          out->putAfterEmptyLine(msg.write({"   rfwhm squared must be positive. #:", I(j + 1), arg}));
        newR = profile::kMinRfwhm;
      }
      st.r[j] = newR;
      if (out) out->put(line.write({I(m + 1), r, newR - r, newR}));
      test = r2;
    } else {
      float* target = nullptr;
      switch (kind) {
        case kKindCG: target = &st.CG[j]; break;
        case kKindCL: target = &st.CL[j]; break;
        case kKindPosition: target = &st.p[j]; break;
        case kKindAnisotropy: target = &st.A[j]; break;
        default: target = st.centredBackground ? &st.backC[kind - 1] : &st.back[kind - 1]; break;
      }
      const float old = *target;
      *target = static_cast<float>(old + delta);
      if (out) out->put(line.write({I(m + 1), old, delta, *target}));
      test = *target;
    }
    if (stepFails(test, delta, st.eps)) st.converged = false;
  }
}

Status run(State& st, const Out& out) {
  static const recordio::Layout start("(a, i3, a, g14.6, a, g14.6)");
  st.iteration = 1;
  st.converged = false;
  for (int cycle = 0; cycle < st.maxIteration; ++cycle) {
    // Every step is taken, so a model that has overflowed cannot come back: stop at once.
    if (!finiteS(st, out)) return Status::stop;
    out.put(start.write({" Start cycle ", I(st.iteration), " S=", st.S, " sigma=", st.sigma}));
    profile::diff(st);
    if (marq(st, out) != Status::ok) return Status::stop;
    newprm(st, out);
    if (st.converged) {
      out.put(" ******  Converged  *****\n");
      break;
    }
    profile::basprf(st, out);
    ++st.iteration;
  }
  return Status::ok;
}

}  // namespace zentrab::cycle
