#include "AxisTicks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

CTickRange TickStepAndStart(double a, double b, int n) {
  const double target = std::min(std::abs(n), 12);
  const double direction = a > b ? -1.0 : 1.0;
  if (a == b) b = a + 1;
  const double d = std::fabs(b - a);
  double f = 1;
  while (d * f < 0.1 * target && f < 1e100) f *= 10;
  while (d * f >= target && f > 1e-100) f *= 0.1;
  while (d * f < 0.2 * target && f < 1e100) f *= 5;
  while (d * f < 0.5 * target && f < 1e100) f *= 2;
  CTickRange r;
  r.step = direction / f;
  if (r.step == 0) r.step = 1.0;
  r.start = std::trunc(a * f) / f;
  for (int k = 0; k < 20; ++k) {
    if (direction > 0) {
      r.start += r.step;
      if (r.start >= a) {
        r.start -= 2 * r.step;
        break;
      }
    } else {
      if (r.start <= a) {
        r.start -= 2 * r.step;
        break;
      }
      r.start += r.step;
    }
  }
  return r;
}

std::vector<CTick> AxisTicks(double min, double max, int n) {
  std::vector<CTick> ticks;
  const CTickRange r = TickStepAndStart(min, max, n);
  const double span = max - min;
  if (!(std::isfinite(r.start) && std::isfinite(span)) || span == 0) return ticks;
  // How far a tick may lie beyond a limit through rounding of start + k·step.
  constexpr double kSlack = 1e-9;
  // t grows with k, since the step has the sign of max − min; the count guards against
  // limits so far from the start that the ticks would never reach them.
  for (int k = 0; k < 1000; ++k) {
    double v = r.start + k * r.step;
    const double t = (v - min) / span;
    if (!(t <= 1 + kSlack)) break;
    if (t < -kSlack) continue;
    if (std::fabs(v) < std::fabs(r.step) * kSlack) v = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    ticks.push_back({v, t < 0 ? 0 : (t > 1 ? 1 : t), text});
  }
  return ticks;
}

std::vector<bool> LabelsShown(const std::vector<CTick>& ticks, const std::vector<double>& at,
                              const std::vector<double>& size, double gap) {
  const std::size_t n = std::min({ticks.size(), at.size(), size.size()});
  std::vector<bool> keep(n, true);
  if (n < 2) return keep;
  // The number of steps from 0 of each tick; where the quotient is beyond exact integers,
  // the count along the axis serves.
  const double step = ticks[1].value - ticks[0].value;
  std::vector<long long> steps(n);
  for (std::size_t i = 0; i < n; ++i) {
    const double q = ticks[i].value / step;
    steps[i] = std::isfinite(q) && std::fabs(q) < 1e15 ? std::llround(q) : static_cast<long long>(i);
  }
  auto apart = [&] {
    std::size_t last = n;
    bool any = false;
    for (std::size_t i = 0; i < n; ++i) {
      if (!keep[i]) continue;
      if (any && std::fabs(at[i] - at[last]) < (size[i] + size[last]) / 2 + gap) return false;
      any = true;
      last = i;
    }
    return any;
  };
  // k runs through 1, 2, 5, 10, 20, 50, ... while n steps in a row hold a multiple of k.
  const auto count = static_cast<long long>(n);
  for (long long decade = 1; decade < count; decade *= 10) {
    for (const long long k : {decade, 2 * decade, 5 * decade}) {
      if (k >= count) break;
      for (std::size_t i = 0; i < n; ++i) keep[i] = steps[i] % k == 0;
      if (apart()) return keep;
    }
  }
  keep.assign(n, false);
  keep[0] = true;
  return keep;
}
