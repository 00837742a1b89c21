// The noise-aware peak search: every local maximum of the curve whose prominence stands above
// both the threshold and k times the noise of the curve, without the Kα2 lines of stronger
// diffraction peaks.
#include <algorithm>
#include <cmath>
#include <set>

#include "PeakSearchDialog.h"
#include "ScaledCurve.h"

namespace {

using peaksearch::Scaled;

constexpr double kDeg = 0.01745329251944;

// Noise of one point of a smooth curve from the scatter of its second differences
//   d_i = y_{i−1} − 2 y_i + y_{i+1},  var(d) = 6 σ² for independent noise σ,
// taken robustly as σ = 1.4826 median|d| / √6 (1.4826 turns a median absolute deviation into a
// standard deviation), so that the peaks themselves weigh little. Points within the range only.
double SecondDifferenceNoise(const Scaled& s, const peaksearch::Range& range) {
  std::vector<double> d;
  d.reserve(static_cast<std::size_t>(s.n));
  for (long i = 1; i + 1 < s.n; ++i)
    if (range.Holds(s.X(i))) d.push_back(std::fabs(s.Y(i - 1) - 2.0 * s.Y(i) + s.Y(i + 1)));
  if (d.empty()) return 0.0;
  auto mid = d.begin() + static_cast<std::ptrdiff_t>(d.size() / 2);
  std::nth_element(d.begin(), mid, d.end());
  return 1.4826 * *mid / std::sqrt(6.0);
}

// Lowest point on one side of every point i before higher ground: the minimum of y over the
// points from i towards the side up to (not including) the nearest point higher than y_i, or
// up to the curve's end when none is higher. One pass with a stack of the points not yet
// overtopped, each with the minimum of the stretch it closes: O(n).
void SideMinima(const Scaled& s, bool leftwards, std::vector<double>& out) {
  struct Entry {
    double y, min;
  };
  std::vector<Entry> stack;
  stack.reserve(256);
  out.resize(static_cast<std::size_t>(s.n));
  for (long k = 0; k < s.n; ++k) {
    const long i = leftwards ? k : s.n - 1 - k;
    const double y = s.Y(i);
    double m = y;
    while (!stack.empty() && stack.back().y <= y) {
      m = std::min(m, stack.back().min);
      stack.pop_back();
    }
    stack.push_back({y, m});
    out[static_cast<std::size_t>(i)] = m;
  }
}

// The Kα2 angle of a Kα1 line at 2θ = p: sin θ2 = (λ2/λ1) sin θ1; false beyond 180°.
bool Ka2Angle(double p, double l1, double l2, double& p2) {
  if (!(l1 > 0)) return false;
  const double arg = l2 / l1 * std::sin(p * 0.5 * kDeg);
  if (!(std::fabs(arg) <= 1.0)) return false;
  p2 = 2.0 * std::asin(arg) / kDeg;
  return true;
}

}  // namespace

bool IsCountData(const CGraphData& curve, const CPeakSearch& record) {
  if (record.dataKind != DataKind::Diffraction) return false;
  const peaksearch::Range range(record);
  for (int i = 0; i < curve.datan; ++i)
    if (range.Holds(curve.ScaledX(i)) && !(curve.ScaledY(i) >= 0)) return false;
  return true;
}

int SearchPeaksByProminence(const CGraphData& curve, CPeakSearch& record, double threshold, double noiseFactor,
                            std::vector<std::string>& lines, double& base) {
  const Scaled s(curve);
  const long n = s.n;
  const peaksearch::Range range(record);
  base = peaksearch::Baseline(s, range);
  lines.push_back(peaksearch::kListHeader);
  if (threshold <= 0) threshold = 20.0;
  if (!(noiseFactor > 0)) noiseFactor = kDefaultNoiseFactor;
  record.Clear();
  if (n < 3) return 0;

  const bool counts = IsCountData(curve, record);
  const double sigma = counts ? 0.0 : SecondDifferenceNoise(s, range);
  std::vector<double> left, right;
  SideMinima(s, true, left);
  SideMinima(s, false, right);

  // Candidates: local maxima, a flat top [a, b] counted once at its middle; the ends of the
  // curve are never summits.
  struct Candidate {
    long i;
    double y;
  };
  std::vector<Candidate> found;
  for (long a = 1; a + 1 < n;) {
    if (!(s.Y(a) > s.Y(a - 1))) {
      ++a;
      continue;
    }
    long b = a;
    while (b + 1 < n && s.Y(b + 1) == s.Y(a)) ++b;
    if (b + 1 < n && s.Y(b + 1) < s.Y(a)) {
      const long p = a + (b - a) / 2;
      const double y = s.Y(p);
      // prominence = y − max(lowest point to the left, lowest point to the right) before
      // higher ground
      const double prominence = y - std::max(left[static_cast<std::size_t>(p)], right[static_cast<std::size_t>(p)]);
      const double noise = counts ? std::sqrt(y) : sigma;
      if (range.Holds(s.X(p)) && prominence > threshold && prominence > noiseFactor * noise) found.push_back({p, y});
    }
    a = b + 1;
  }

  // Diffraction: the strongest first, each candidate within two steps of the Kα2 angle of a
  // stronger accepted peak left out, since the doublet model of that peak holds it.
  if (record.dataKind == DataKind::Diffraction) {
    std::vector<Candidate> order = found;
    std::stable_sort(order.begin(), order.end(), [](const Candidate& u, const Candidate& v) { return u.y > v.y; });
    std::set<double> ka2;  // Kα2 angles of the accepted peaks
    std::vector<char> keep(static_cast<std::size_t>(n), 0);
    for (const Candidate& c : order) {
      const double x = s.X(c.i), step = std::fabs(s.X(c.i + 1) - s.X(c.i - 1)) * 0.5;
      const auto near = ka2.lower_bound(x - 2.0 * step);
      if (near != ka2.end() && *near <= x + 2.0 * step) continue;
      keep[static_cast<std::size_t>(c.i)] = 1;
      double p2;
      if (Ka2Angle(x, record.ramda1, record.ramda2, p2)) ka2.insert(p2);
    }
    std::erase_if(found, [&](const Candidate& c) { return !keep[static_cast<std::size_t>(c.i)]; });
  }

  for (const Candidate& c : found)
    if (!peaksearch::AddFound(s, c.i, base, record, lines)) break;
  return record.peakCount;
}
