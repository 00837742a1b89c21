#include "synthjob.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace synth {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180;

// Small deterministic generator (splitmix64) and Gaussian deviates by Box-Muller, so that the
// data do not depend on the standard library's distributions.
struct Random {
  std::uint64_t s;
  double uniform() {
    std::uint64_t z = (s += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    return (static_cast<double>(z >> 11) + 0.5) / 9007199254740992.0;
  }
  double gauss() { return std::sqrt(-2 * std::log(uniform())) * std::cos(2 * kPi * uniform()); }
  // Poisson deviate of mean mu: multiplication of uniforms below mu = 10, transformed rejection
  // with squeeze (Hörmann's PTRS) above.
  double poisson(double mu) {
    if (mu <= 0) return 0;
    if (mu < 10) {
      const double L = std::exp(-mu);
      double p = uniform();
      int k = 0;
      while (p > L) {
        p *= uniform();
        ++k;
      }
      return k;
    }
    const double slam = std::sqrt(mu), loglam = std::log(mu);
    const double b = 0.931 + 2.53 * slam, a = -0.059 + 0.02483 * b;
    const double invAlpha = 1.1239 + 1.1328 / (b - 3.4), vr = 0.9277 - 3.6224 / (b - 2);
    for (;;) {
      const double U = uniform() - 0.5, V = uniform();
      const double us = 0.5 - std::fabs(U);
      const double k = std::floor((2 * a / us + b) * U + mu + 0.43);
      if (us >= 0.07 && V <= vr) return k;
      if (k < 0 || (us < 0.013 && V > us)) continue;
      if (std::log(V) + std::log(invAlpha) - std::log(a / (us * us) + b) <=
          -mu + k * loglam - std::lgamma(k + 1))
        return k;
    }
  }
};

// A parameter record: value, flag, change (0).
std::string paramLine(double value, int flag) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%.9g %d 0\n", value, flag);
  return buf;
}

std::string line(const char* fmt, double a, double b = 0, double c = 0, double d = 0) {
  char buf[160];
  std::snprintf(buf, sizeof buf, fmt, a, b, c, d);
  return buf;
}

}  // namespace

double peakProfile(const Job& job, const Peak& pk, double x, bool full) {
  const double Wg = pk.gaussFwhm, Wl = Wg / pk.rfwhm;
  const double L = job.qRange * std::max(Wg, Wl);
  const double h = 1 / Wg, q = 4 * pk.rfwhm * pk.rfwhm, c = 4 * std::log(2.0);
  const double CG = pk.intensity * pk.gaussFraction, CL = pk.intensity * (1 - pk.gaussFraction);
  const double p = pk.position;
  auto line = [&](double X) { return CG * std::exp(-c * X * X) + CL / (1 + q * X * X); };
  if (!full) {
    if (x < p - L || x > p + L) return 0;
    return line(h * (x - p));
  }
  // Kα2 line from Bragg's law: sin θ2 = (λ2/λ1) sin θ1.
  const double arg = job.ramda2 / job.ramda1 * std::sin(p / 2 * kRad);
  const bool ka2 = arg <= 1;
  const double p2 = ka2 ? 2 * std::asin(arg) / kRad : p;
  if (x < p - L || x > p2 + L) return 0;
  const double k1 = 1 / std::tan(p * kRad), k2 = 1 / std::tan(p2 * kRad);
  // Simpson's rule on six intervals of t in [0, 1], sample shifted by t² A cot(2θ).
  const double w[7] = {1, 4, 2, 4, 2, 4, 1};
  double sum = 0;
  for (int k = 0; k < 7; ++k) {
    const double t2 = (k / 6.0) * (k / 6.0);
    double v = line(h * (x - p + t2 * pk.anisotropy * k1));
    if (ka2) v += job.iRatio * line(h * (x - p2 + t2 * pk.anisotropy * k2));
    sum += w[k] * v;
  }
  return sum / 18;
}

void grid(Job& job, double from, double step, int n) {
  job.x.resize(n);
  for (int i = 0; i < n; ++i) job.x[i] = from + step * i;
}

void fillData(Job& job, const std::vector<Peak>& truth, bool full, double noise,
              std::uint64_t seed) {
  Random rnd{seed};
  job.y.resize(job.x.size());
  for (std::size_t i = 0; i < job.x.size(); ++i) {
    const double x = job.x[i];
    double y = job.back[0] + x * (job.back[1] + x * (job.back[2] + x * (job.back[3] + x * job.back[4])));
    for (const Peak& pk : truth) y += peakProfile(job, pk, x, full);
    if (noise > 0) y += noise * std::sqrt(std::max(y, 0.0)) * rnd.gauss();
    job.y[i] = y;
  }
}

void poissonNoise(Job& job, std::uint64_t seed) {
  Random rnd{seed};
  for (double& y : job.y) y = rnd.poisson(y);
}

std::string pfcText(const Job& job) {
  std::string s;
  s += job.title + "\n" + job.dataName + "\n" + job.program + "\n" + job.method + "\n";
  s += line("%.0f %.9g %.9g\n", job.maxIteration, job.dampingFactor, job.eps);
  s += line("%.9g %.9g %.9g %.9g\n", job.ramda1, job.ramda2, job.qRange, job.iRatio);
  s += line("%.9g %.9g\n", job.calcLow, job.calcHigh);
  s += line("%.9g %.9g\n", job.optLow, job.optHigh);
  for (int k = 0; k < 5; ++k) s += paramLine(job.back[k], job.backFlag[k]);
  s += line("%.0f\n", static_cast<double>(job.peaks.size()));
  for (const Peak& pk : job.peaks) {
    const double v[7] = {pk.position, pk.intensity, pk.gaussFraction, pk.gaussFwhm,
                         pk.gaussFwhm / pk.rfwhm, pk.rfwhm, pk.anisotropy};
    for (int k = 0; k < 7; ++k) s += paramLine(v[k], pk.flags[k]);
  }
  s += line("%.0f\n", static_cast<double>(job.x.size()));
  for (std::size_t i = 0; i < job.x.size(); ++i) s += line("%.9g %.9g\n", job.x[i], job.y[i]);
  return s;
}

std::vector<Peak> perturbed(const std::vector<Peak>& truth, double dPosition, double relative) {
  std::vector<Peak> start = truth;
  for (std::size_t j = 0; j < start.size(); ++j) {
    const double sign = j % 2 ? -1 : 1;
    Peak& pk = start[j];
    const auto& free = pk.flags;
    if (free[0] == 1) pk.position += sign * dPosition;
    if (free[1] == 1) pk.intensity *= 1 - sign * relative;
    if (free[2] == 1) pk.gaussFraction = std::clamp(pk.gaussFraction - sign * relative, 0.05, 0.95);
    if (free[3] == 1) pk.gaussFwhm *= 1 + relative;
    if (free[5] == 1) pk.rfwhm *= 1 - relative;
    if (free[6] == 1) pk.anisotropy *= 1 - relative;
  }
  return start;
}

std::vector<Peak> roughStart(const std::vector<Peak>& truth, double widthShare, double relative,
                             std::uint64_t seed) {
  Random rnd{seed};
  auto sign = [&] { return rnd.uniform() < 0.5 ? -1.0 : 1.0; };
  std::vector<Peak> start = truth;
  for (Peak& pk : start) {
    const auto& free = pk.flags;
    if (free[0] == 1) pk.position += sign() * widthShare * pk.gaussFwhm;
    if (free[1] == 1) pk.intensity *= 1 + sign() * relative;
    if (free[2] == 1) pk.gaussFraction = 0.5;
    if (free[3] == 1) pk.gaussFwhm *= 1 + sign() * relative;
    if (free[5] == 1) pk.rfwhm = 1;
  }
  return start;
}

Job demoJob(std::vector<Peak>& truth) {
  Job job;
  job.title = "Demo: six Cu Ka doublet peaks on a sloping background (synthetic)";
  job.dataName = "demo.xrd";
  job.maxIteration = 30;
  job.dampingFactor = 0.001;
  job.eps = 1e-4;
  job.qRange = 8;
  job.calcLow = 20;
  job.calcHigh = 80;
  job.optLow = 20;
  job.optHigh = 80;
  job.back = {220, -2.5, 0.018, 0, 0};
  job.backFlag = {1, 1, 1, 0, 0};
  grid(job, 20, 0.02, 3001);
  const double pos[6] = {28.44, 33.15, 47.30, 56.12, 69.13, 76.38};
  const double inten[6] = {5200, 1800, 3100, 1400, 900, 1200};
  const double fwhm[6] = {0.11, 0.12, 0.14, 0.15, 0.18, 0.20};
  const double gfrac[6] = {0.7, 0.6, 0.65, 0.55, 0.6, 0.5};
  truth.clear();
  for (int j = 0; j < 6; ++j) {
    Peak pk;
    pk.position = pos[j];
    pk.intensity = inten[j];
    pk.gaussFraction = gfrac[j];
    pk.gaussFwhm = fwhm[j];
    pk.rfwhm = 1;
    pk.anisotropy = 0;
    pk.flags = {1, 1, 1, 1, 0, 0, 0};
    truth.push_back(pk);
  }
  fillData(job, truth, true, 1.0, 2024);
  job.peaks = perturbed(truth, 0.02, 0.1);
  return job;
}

namespace {

// 20000 points, 2θ 10-110° in steps of 0.005°, a sloping background with all five coefficients
// free.
Job benchScan(const char* title, double optHigh) {
  Job job;
  job.title = title;
  job.qRange = 5;
  job.eps = 1e-4;
  job.calcLow = 10;
  job.calcHigh = 110;
  job.optLow = 10;
  job.optHigh = optHigh;
  job.back = {300, -3, 0.02, 0, 0};
  job.backFlag = {1, 1, 1, 1, 1};
  grid(job, 10, 0.005, 20000);
  return job;
}

}  // namespace

Job benchDoubletJob(std::vector<Peak>& truth) {
  Job job = benchScan("Benchmark: 33 doublet peaks, 197 free parameters", 107);
  truth.clear();
  for (int j = 0; j < 33; ++j) {
    Peak pk;
    pk.position = 12 + 2.9 * j;
    pk.intensity = 800 + 300 * (j % 7);
    pk.gaussFraction = 0.5 + 0.05 * (j % 5);
    pk.gaussFwhm = 0.08 + 0.002 * j;
    pk.rfwhm = 0.9 + 0.02 * (j % 6);
    pk.anisotropy = 0.01 + 0.002 * (j % 4);
    pk.flags = {1, 1, 1, 1, 0, 1, 1};
    truth.push_back(pk);
  }
  truth.back().position = 108.5;  // outside the optimisation range: fixed, still in the model
  fillData(job, truth, true, 1.0, 33);
  job.peaks = perturbed(truth, 0.01, 0.05);
  job.peaks.back() = truth.back();
  return job;
}

Job benchManyPeaksJob(std::vector<Peak>& truth) {
  Job job = benchScan("Benchmark: 70 peaks, position and intensity free", 110);
  truth.clear();
  for (int j = 0; j < 70; ++j) {
    Peak pk;
    pk.position = 11 + 1.4 * j;
    pk.intensity = 600 + 250 * (j % 9);
    pk.gaussFraction = 0.6;
    pk.gaussFwhm = 0.07 + 0.001 * j;
    pk.rfwhm = 1;
    pk.anisotropy = 0.01;
    pk.flags = {1, 1, 0, 0, 0, 0, 0};
    truth.push_back(pk);
  }
  fillData(job, truth, true, 1.0, 70);
  job.peaks = perturbed(truth, 0.01, 0.05);
  return job;
}

Job benchRoughStartJob(std::vector<Peak>& truth) {
  Job job = benchScan("Benchmark: 30 doublet peaks from rough start values, 153 free parameters",
                      110);
  job.back = {150, -1.2, 0.008, 0, 0};
  job.backFlag = {1, 1, 1, 0, 0};
  truth.clear();
  for (int j = 0; j < 30; ++j) {
    Peak pk;
    // Mostly 3° apart, every fifth peak close to the one before it.
    pk.position = 13 + 3.1 * j - (j % 5 == 4 ? 1.9 : 0);
    pk.intensity = 300 + 2200 * ((j * 7) % 11) / 10.0;
    pk.gaussFraction = 0.3 + 0.1 * (j % 6);
    pk.gaussFwhm = 0.06 + 0.004 * j;
    pk.rfwhm = 0.8 + 0.09 * (j % 6);
    pk.anisotropy = 0.01 * (j % 3);
    pk.flags = {1, 1, 1, 1, 0, 1, 0};
    truth.push_back(pk);
  }
  fillData(job, truth, true);
  poissonNoise(job, 30);
  job.peaks = roughStart(truth, 1.0 / 3, 0.3, 153);
  return job;
}

Job ramanJob(std::vector<Peak>& truth, std::uint64_t seed) {
  Job job;
  job.title = "Synthetic Raman spectrum: 12 bands on a cubic background";
  job.dataName = "synthetic_raman.txt";
  job.program = "Zentrab";
  job.method = "MarqAdaptive";
  job.maxIteration = 200;
  job.eps = 1e-6;
  job.qRange = 40;
  job.calcLow = job.optLow = 100;
  job.calcHigh = job.optHigh = 3500;
  grid(job, 100, 3400.0 / 4999, 5000);
  Random rnd{seed * 0x2545f4914f6cdd1dULL + 7};
  // Bands spread over the range with widths of their own, each of its own Gauss share and
  // Lorentzian width, on a background that falls and rises again (300 ... 440 counts).
  truth.clear();
  for (int j = 0; j < 12; ++j) {
    Peak pk;
    pk.position = 220 + 270 * j + 60 * (rnd.uniform() - 0.5);
    pk.intensity = 300 + 2700 * rnd.uniform();
    pk.gaussFraction = 0.2 + 0.6 * rnd.uniform();
    pk.gaussFwhm = 8 + 32 * rnd.uniform();
    pk.rfwhm = 0.6 + 0.8 * rnd.uniform();
    pk.flags = {1, 1, 1, 1, 0, 1, 0};
    truth.push_back(pk);
  }
  job.back = {300, 0.2, -1e-4, 1.5e-8, 0};
  fillData(job, truth, false);
  poissonNoise(job, seed + 1);
  // Start values as a search gives them; the background a level line at the lowest count.
  job.peaks = roughStart(truth, 1.0 / 3, 0.3, seed + 2);
  job.back = {*std::min_element(job.y.begin(), job.y.end()), 0, 0, 0, 0};
  job.backFlag = {1, 1, 1, 1, 1};
  return job;
}

}  // namespace synth
