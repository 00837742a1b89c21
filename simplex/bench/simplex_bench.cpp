// Benchmark of the simplex search on the largest job it takes: 10000 points, 10 peaks with
// all five parameters free (50), iteration limit 20000. Prints objective calls, calls per
// second, peak·point evaluations per second and the total time.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <sstream>

#include "model.h"
#include "smplx.h"

using namespace simplex;

int main() {
  auto fit = std::make_unique<Fit>();
  Job& job = fit->job;
  job.xLow = 100.0;
  job.xHigh = 2100.0;
  job.itmax = 20000;
  job.NB = 1;
  job.b[0] = {20.0, 0, 0.0};
  job.b[1] = {5.0, 0, 0.0};
  job.NP = 10;
  job.ND = 10000;
  for (int i = 0; i < job.ND; ++i) job.x[i] = 100.0 + 0.2 * i;
  // True bands, then start values a few percent off.
  for (int k = 0; k < job.NP; ++k) {
    const double v[kPeakParams] = {250.0 + 180.0 * k, 100.0 + 10 * k, 12.0, 50.0, 9.0};
    for (int p = 0; p < kPeakParams; ++p) job.peak[k][p] = {v[p], 1, 0.1 * v[p]};
    job.peak[k][Position].step = 2.0;
  }
  evaluateModel(job, fit->tables);
  for (int i = 0; i < job.ND; ++i) job.y[i] = fit->tables.Y[i];
  for (int k = 0; k < job.NP; ++k)
    for (int p = 0; p < kPeakParams; ++p)
      job.peak[k][p].value *= p == Position ? 1.002 : 1.06;

  selectFitPoints(job, fit->points);
  std::array<double, kMaxGathered> v{}, step{};
  const int N = gather(job, v, step);

  long long calls = 0;
  std::ostringstream sink;
  Channels out(sink, nullptr);
  double S = 0.0;
  int iPrt = 0;
  Fit& state = *fit;
  const auto t0 = std::chrono::steady_clock::now();
  const std::clock_t c0 = std::clock();
  SMPLX(
      [&](std::span<const double> p) {
        ++calls;
        return objective(state, p);
      },
      v, step, 0.0, 0.0, N, S, job.itmax, iPrt, 1, out);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  const double cpu = double(std::clock() - c0) / CLOCKS_PER_SEC;  // the core may be shared

  const double evaluations = double(calls) * job.NP * fit->points.n;
  std::printf("free parameters           %d\n", N);
  std::printf("points in range           %d\n", fit->points.n);
  std::printf("objective calls           %lld\n", calls);
  std::printf("calls per second          %.0f\n", calls / seconds);
  std::printf("peak*point evals/second   %.3g\n", evaluations / seconds);
  std::printf("total time                %.3f s (processor time %.3f s)\n", seconds, cpu);
  std::printf("per processor second     %.0f calls, %.3g peak*point evals\n", calls / cpu,
              evaluations / cpu);
  std::printf("final objective           %.6g\n", S);
  std::printf("%s", sink.str().c_str());
  return 0;
}
