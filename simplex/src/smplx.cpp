#include "smplx.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

#include "recordio/recordio.h"

namespace simplex {
namespace {

using recordio::Item;

// Progress line, operation messages and end messages of the search.
struct Messages {
  recordio::Notation nt = recordio::simplexNotation();
  recordio::Layout progress{"(1x,a,i5,a,1p,3e15.8)", nt};
  recordio::Layout pointAfterValue{"(7x,a,1p,e15.7,2x,a,/,(5x,5e15.7))", nt};
  recordio::Layout expansion{"(7x,a,1p,e15.7,a,/,(5x,5e15.7))", nt};
  recordio::Layout replaced{"(7x,a)", nt};
  recordio::Layout reduction{"(7x,a,/,(5x,1p,5e15.7))", nt};

  static const Messages& get() {
    static const Messages m;
    return m;
  }
};

std::string freeRecord(std::initializer_list<Item> items) {
  return recordio::writeFree(items, Messages::get().nt);
}

// A message followed by the coordinates of a point: the lead items, then N reals.
std::string withPoint(const recordio::Layout& layout, std::initializer_list<Item> lead,
                      const double* p, int N) {
  std::array<Item, MAXN + 4> items;
  std::size_t n = 0;
  for (const Item& it : lead) items[n++] = it;
  for (int j = 0; j < N; ++j) items[n++] = p[j];
  return layout.write(std::span<const Item>(items.data(), n));
}

}  // namespace

void SMPLX(const Objective& fn, std::span<double> x, std::span<double> step, double tolX,
           double tolF, int N, double& fmin, int ITMAX, int& iPrt, int iPrtIntvl,
           Channels& out) {
  const Messages& msg = Messages::get();
  if (N > MAXN) {
    out.put(freeRecord({"(SUBR.SMPLX) N IS LARGER THAN MAXN: ", static_cast<long long>(MAXN)}));
    return;
  }
  if (N <= 1) {
    out.put(freeRecord({"(SUBR.SMPLX) N SHOULD BE LARGER THAN 1.  N=", static_cast<long long>(N)}));
    return;
  }
  if (ITMAX <= 0) {
    out.put(freeRecord({"(SUBR.SMPLX) ITMAX SHOULD BE POSITIVE"}));
    return;
  }
  if (x.size() < static_cast<std::size_t>(N) || step.size() < static_cast<std::size_t>(N))
    throw std::invalid_argument("SMPLX: x and step must hold N values");

  iPrt = std::clamp(iPrt, 0, 2);
  // An interval of 0 asks for no particular spacing: the progress line then comes every
  // iteration. A negative interval works like its magnitude.
  const int interval = iPrtIntvl == 0 ? 1 : iPrtIntvl;
  const bool useTolX = tolX > kNegligible;
  const bool useTolF = tolF > kNegligible;

  for (int j = 0; j < N; ++j)
    if (std::fabs(step[j]) < kNegligible) step[j] = std::fabs(x[j]) + 1.0;

  // Simplex tables: vertex i is V[i][0…N-1] with value f[i], i = 0…N.
  double V[MAXN + 1][MAXN];
  double f[MAXN + 1];
  double xr[MAXN];
  const std::span<const double> work(x.data(), N);
  const std::span<const double> reflected(xr, N);
  auto evaluateAt = [&](const double* p) {
    std::copy(p, p + N, x.begin());
    return fn(work);
  };

  for (int i = 0; i <= N; ++i) {
    std::copy(x.begin(), x.begin() + N, V[i]);
    if (i > 0) V[i][i - 1] += step[i - 1];
  }
  for (int i = 0; i <= N; ++i) f[i] = evaluateAt(V[i]);

  int IL = 0;
  bool converged = false;
  // ITER is wider than ITMAX so that a limit of INT_MAX ends the loop instead of overflowing.
  for (long long ITER = 1; ITER <= ITMAX; ++ITER) {
    // Ranking: the first of equal values wins; FS is the largest value but that of IH.
    int IH = 0;
    IL = 0;
    for (int i = 1; i <= N; ++i) {
      if (f[i] > f[IH]) IH = i;
      if (f[i] < f[IL]) IL = i;
    }
    const double FH = f[IH];
    const double FL = f[IL];
    double FS = FL;
    for (int i = 0; i <= N; ++i)
      if (i != IH && f[i] > FS) FS = f[i];

    if (iPrt >= 1 && ITER % interval == 0)
      out.put(msg.progress.write(
          {"ITER=", ITER, "  FL, FS, FH=", FL, FS, FH}));

    // D, the largest coordinate difference between two vertices, is the largest range of
    // one coordinate over all vertices.
    double D = 0.0;
    if (useTolX) {
      for (int j = 0; j < N; ++j) {
        double lo = V[0][j], hi = V[0][j];
        for (int i = 1; i <= N; ++i) {
          lo = std::min(lo, V[i][j]);
          hi = std::max(hi, V[i][j]);
        }
        D = std::max(D, hi - lo);
      }
    }
    if (useTolX || useTolF) {
      const bool valuesClose = !useTolF || FH - FL < tolF;
      const bool verticesClose = !useTolX || D < tolX;
      if (valuesClose && verticesClose) {
        out.put(freeRecord({"(SUBR.SMPLX) CONVERGENCE AT ITER=", ITER}));
        converged = true;
        break;
      }
    }

    // Centroid XM of all vertices but IH, in the work vector.
    for (int j = 0; j < N; ++j) {
      double sum = 0.0;
      for (int i = 0; i <= N; ++i) sum += V[i][j];
      x[j] = (sum - V[IH][j]) / N;
    }

    for (int j = 0; j < N; ++j) xr[j] = 2.0 * x[j] - V[IH][j];
    const double FR = fn(reflected);
    if (iPrt == 2)
      out.put(withPoint(msg.pointAfterValue, {"REFLECTION APPLIED.  FR =", FR, "XR(*)="}, xr, N));

    auto replaceBy = [&](const double* p, double value, const char* text) {
      std::copy(p, p + N, V[IH]);
      f[IH] = value;
      if (iPrt == 2) out.put(msg.replaced.write({text}));
    };

    if (FR < FL) {
      for (int j = 0; j < N; ++j) x[j] = 2.0 * xr[j] - x[j];
      const double FE = fn(work);
      if (iPrt == 2)
        out.put(withPoint(msg.expansion, {"EXPANSION APPLIED.   FE =", FE, "  XE(*)="},
                          x.data(), N));
      if (FE < FR)
        replaceBy(x.data(), FE, "XH(*) IS REPLACED BY XE(*)");
      else
        replaceBy(xr, FR, "XH(*) IS REPLACED BY XR(*)");
      continue;
    }
    if (FR <= FS) {
      replaceBy(xr, FR, "XH(*) IS REPLACED BY XR(*)");
      continue;
    }
    if (FR < FH) replaceBy(xr, FR, "XH(*) IS REPLACED BY XR(*)");
    for (int j = 0; j < N; ++j) x[j] = 0.5 * V[IH][j] + 0.5 * x[j];
    const double FC = fn(work);
    if (iPrt == 2)
      out.put(withPoint(msg.pointAfterValue, {"CONTRACTION APPLIED. FC =", FC, "XC(*)="},
                        x.data(), N));
    if (FC < FH) {
      replaceBy(x.data(), FC, "XH(*) IS REPLACED BY XC(*)");
      continue;
    }
    if (ITER == ITMAX) break;
    for (int i = 0; i <= N; ++i) {
      for (int j = 0; j < N; ++j) V[i][j] = (V[i][j] + V[IL][j]) / 2.0;
      f[i] = evaluateAt(V[i]);
    }
    if (iPrt == 2)
      out.put(withPoint(msg.reduction, {"REDUCTION APPLIED AROUND THE POINT:  "}, V[IL], N));
  }

  if (!converged) out.put(freeRecord({"(SUBR.SMPLX) ITERATION TERMINATED DUE TO ITMAX"}));
  std::copy(V[IL], V[IL] + N, x.begin());
  fmin = f[IL];
}

}  // namespace simplex
