#include "model.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <limits>
#include <thread>
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
// path and block compute it, so the loops may run as vector code of any width: built for AVX-512
// and AVX2 beside the baseline, the processor choosing at load time (no fused multiply-add is formed in
// either).
struct Run {
  int lo, hi;
};
constexpr int kBlock = 256;
constexpr int kMaxBlocks = (kMaxPoints + kBlock - 1) / kBlock;
struct BlockWork {
  const double* b;
  int NB;
  Abscissa ab;
  const PeakShape* shapes;
  const Run* runs;
  int NP;
  const double* x;
  const double* y;
  double *B, *Y, *r2;
  int n;
};
// Returns whether the block holds a point with B < 0.
__attribute__((target_clones("avx512f", "avx2", "default")))
bool modelBlock(const BlockWork& w, int s) {
  const int m = std::min(kBlock, w.n - s);
  const double c = w.ab.c, h = w.ab.h;
  const double* xb = w.x + s;
  double t[kBlock], tj[kBlock], Yb[kBlock];
  if (h == 0.0)
    for (int i = 0; i < m; ++i) t[i] = 0.0;
  else
    for (int i = 0; i < m; ++i) t[i] = (xb[i] - c) / h;
  for (int i = 0; i < m; ++i) {
    Yb[i] = w.b[0];
    tj[i] = 1.0;
  }
  for (int j = 1; j <= w.NB; ++j) {
    const double bj = w.b[j];
    for (int i = 0; i < m; ++i) {
      tj[i] *= t[i];
      Yb[i] += bj * tj[i];
    }
  }
  int negative = 0;
  for (int i = 0; i < m; ++i) {
    w.B[s + i] = Yb[i];
    negative |= Yb[i] < 0.0;
  }
  for (int k = 0; k < w.NP; ++k) {
    const PeakShape p = w.shapes[k];
    const int lo = std::clamp(w.runs[k].lo - s, 0, m), hi = std::clamp(w.runs[k].hi - s, lo, m);
    for (int i = 0; i < lo; ++i) Yb[i] += p.tail(xb[i]);
    for (int i = lo; i < hi; ++i) Yb[i] += p.at(xb[i]);
    for (int i = hi; i < m; ++i) Yb[i] += p.tail(xb[i]);
  }
  for (int i = 0; i < m; ++i) {
    w.Y[s + i] = Yb[i];
    const double r = w.y[s + i] - Yb[i];
    w.r2[s + i] = r * r;
  }
  return negative != 0;
}

// The sum of squared residuals, one term at a time in point order, and whether any point has
// B < 0.
struct BlockSums {
  double S = 0.0;
  bool negative = false;
  // Adds the terms of the block that starts at point s.
  void add(const BlockWork& w, int s, bool blockNegative) {
    const int m = std::min(kBlock, w.n - s);
    const double* r2 = w.r2 + s;
    for (int i = 0; i < m; ++i) S += r2[i];
    negative = negative || blockNegative;
  }
};

// Two threads share the blocks of a large evaluation: each takes the next block not yet taken
// until none is left. A block's values do not depend on the thread that computes it. The caller
// also adds the squared residuals block after block in point order, each as soon as it is done,
// so the sum goes on while the blocks after it are computed and holds the bits of one thread's
// sum. The helper thread is started at the first large evaluation and waits between evaluations
// (a short spin, then asleep).
class BlockTeam {
 public:
  static BlockTeam* get() {
    static BlockTeam team;
    return team.helper.joinable() ? &team : nullptr;
  }
  BlockSums run(const BlockWork& w, int blocks) {
    work = &w;
    const std::uint64_t r = ++evaluations;
    gen = (gen + 1) & 0xffff;
    ticket.store(pack(gen, blocks, 0), std::memory_order_release);
    ticket.notify_one();
    BlockSums sums;
    int summed = 0;
    for (int spins = 0; summed < blocks;) {
      if (done[summed].load(std::memory_order_acquire) == r) {
        sums.add(w, summed * kBlock, negative[summed]);
        ++summed;
        continue;
      }
      int k;
      if (claim(gen, k)) {
        compute(w, k, r);
        continue;
      }
      if (++spins > 1000) std::this_thread::yield();
    }
    return sums;
  }
  ~BlockTeam() {
    if (!helper.joinable()) return;
    stop.store(true);
    ticket.fetch_add(1);
    ticket.notify_all();
    helper.join();
  }

 private:
  // No helper on a single processor, or when SIMPLEXFIT_THREADS is 1.
  BlockTeam() {
    const char* threads = std::getenv("SIMPLEXFIT_THREADS");
    const bool one = threads && std::string_view(threads) == "1";
    if (!one && std::thread::hardware_concurrency() >= 2) helper = std::thread([this] { help(); });
  }
  // ticket: generation (16 bits), blocks (24 bits), next block (24 bits).
  static std::uint64_t pack(std::uint64_t g, std::uint64_t n, std::uint64_t next) {
    return g << 48 | n << 24 | next;
  }
  // Takes the next block of generation g, if one is left.
  bool claim(std::uint64_t g, int& k) {
    std::uint64_t t = ticket.load(std::memory_order_acquire);
    for (;;) {
      const std::uint64_t n = (t >> 24) & 0xffffff, next = t & 0xffffff;
      if ((t >> 48) != g || next >= n) return false;
      if (ticket.compare_exchange_weak(t, t + 1, std::memory_order_acq_rel, std::memory_order_acquire)) {
        k = static_cast<int>(next);
        return true;
      }
    }
  }
  // Computes block k of evaluation r and marks it done.
  void compute(const BlockWork& w, int k, std::uint64_t r) {
    negative[k] = modelBlock(w, k * kBlock);
    done[k].store(r, std::memory_order_release);
  }
  void help() {
    std::uint64_t seen = ticket.load(std::memory_order_acquire);
    std::uint64_t lastGen = seen >> 48;
    for (;;) {
      std::uint64_t t = ticket.load(std::memory_order_acquire);
      for (int spins = 0; t == seen || (t >> 48) == lastGen; ++spins) {
        if (stop.load(std::memory_order_relaxed)) return;
        if (spins < 20000) {
          t = ticket.load(std::memory_order_acquire);
        } else {
          ticket.wait(t, std::memory_order_acquire);
          t = ticket.load(std::memory_order_acquire);
          spins = 0;
        }
      }
      if (stop.load()) return;
      seen = t;
      lastGen = t >> 48;
      int k;
      // The work of this generation, and its number, may be read only once a block of it is
      // taken.
      while (claim(lastGen, k)) compute(*work, k, evaluations);
    }
  }

  std::atomic<std::uint64_t> ticket{0};
  std::atomic<bool> stop{false};
  const BlockWork* work = nullptr;
  std::uint64_t gen = 0;
  std::uint64_t evaluations = 0;  // started so far; a block done in evaluation r holds r
  std::array<std::atomic<std::uint64_t>, kMaxBlocks> done{};
  std::array<bool, kMaxBlocks> negative{};
  std::thread helper;
};

// The objective's model and squared residuals at every point (see modelBlock), on two
// threads when the evaluation is large enough to gain from them, and their sums.
BlockSums modelBlocks(const BlockWork& w) {
  const int blocks = (w.n + kBlock - 1) / kBlock;
  if (blocks >= 4 && static_cast<long long>(w.n) * w.NP >= 20000)
    if (BlockTeam* team = BlockTeam::get()) return team->run(w, blocks);
  BlockSums sums;
  for (int k = 0; k < blocks; ++k) sums.add(w, k * kBlock, modelBlock(w, k * kBlock));
  return sums;
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
  const BlockSums sums =
      modelBlocks({b, job.NB, ab, shapes.data(), runs.data(), job.NP, x, pts.y.data(), B, Y,
                   pts.r2.data(), n});
  double S = peakPenalty(job, sums.S);
  if (sums.negative)
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
