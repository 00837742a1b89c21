// The bundled Raman example job fitted in process, once with the model as built and once with
// the library exponential in its place: the log and every written file come out the same.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "jobfiles.h"
#include "model.h"
#include "smplx.h"

namespace simplex {
namespace {

// Background and peaks at one point, with std::exp, in the model's order of terms.
struct LibraryModel {
  double B, Y;
  LibraryModel(const Job& job, double x) {
    const double c = (job.xLow + job.xHigh) / 2.0, h = (job.xHigh - job.xLow) / 2.0;
    const double t = (x - c) / h;
    B = job.b[0].value;
    double tj = 1.0;
    for (int j = 1; j <= job.NB; ++j) {
      tj *= t;
      B += job.b[j].value * tj;
    }
    Y = B;
  }
  static double peak(const std::array<Param, kPeakParams>& p, double x) {
    const double d = x - p[Position].value;
    const double wG = p[FWHMGauss].value, wL = p[FWHMLorentz].value;
    return p[CGauss].value * std::exp(-(kFourLn2 / (wG * wG)) * (d * d)) +
           p[CLorentz].value / (1.0 + (4.0 / (wL * wL)) * (d * d));
  }
};

double libraryObjective(Fit& fit, std::span<const double> v) {
  Job& job = fit.job;
  scatter(v, job);
  double S = 0.0;
  int n = 0;
  for (int i = 0; i < job.ND; ++i) {
    if (!job.inRange(job.x[i])) continue;
    LibraryModel m(job, job.x[i]);
    for (int k = 0; k < job.NP; ++k) m.Y += LibraryModel::peak(job.peak[k], job.x[i]);
    fit.points.B[n++] = m.B;
    const double r = job.y[i] - m.Y;
    S += r * r;
  }
  S = peakPenalty(job, S);
  for (int i = 0; i < n; ++i)
    if (fit.points.B[i] < 0.0) S += kPenalty * (fit.points.B[i] * fit.points.B[i]);
  return S;
}

// What a run writes: the search's messages, "new.pfc" and the log's peak-area table.
std::string fitAndWrite(Fit& fit, double (*fn)(Fit&, std::span<const double>)) {
  std::ostringstream messages;
  Channels out(messages, nullptr);
  Job& job = fit.job;
  selectFitPoints(job, fit.points);
  std::array<double, kMaxGathered> v{}, step{};
  const int N = gather(job, v, step);
  double S = 0.0;
  SMPLX([&](std::span<const double> p) { return fn(fit, p); }, v, step, job.tolX, job.tolF, N,
        S, job.itmax, job.iPrt, job.iPrtIntvl, out);
  scatter(v, job);
  job.S = S;
  job.R = relativeDeviation(job, S).R;
  evaluateModel(job, fit.tables);
  peakAreas(job, fit.tables);
  return messages.str() + refinedJobFile(job, fit.tables) + peakAreaTable(job, fit.tables);
}

TEST(ExampleJob, LibraryExponentialChangesNoWrittenDigit) {
  std::ifstream in(RAMAN_EXAMPLE_JOB);
  ASSERT_TRUE(in) << RAMAN_EXAMPLE_JOB;
  auto built = std::make_unique<Fit>();
  std::ostringstream echo;
  Channels out(echo, nullptr);
  std::string error;
  ASSERT_TRUE(readJob(in, "fit.pfc", built->job, out, error)) << error;
  auto library = std::make_unique<Fit>(*built);

  const std::string a = fitAndWrite(*built, objective);
  const std::string b = fitAndWrite(*library, libraryObjective);
  EXPECT_EQ(a, b);
  EXPECT_NE(a.find("(SUBR.SMPLX) ITERATION TERMINATED DUE TO ITMAX"), std::string::npos);

  // "fit.spc" from the model's tables and from the library's, for the same parameters.
  Tables& ref = library->tables;
  const Job& job = built->job;
  for (int i = 0; i < job.ND; ++i) {
    LibraryModel m(job, job.x[i]);
    ref.B[i] = m.B;
    for (int k = 0; k < job.NP; ++k) {
      ref.P[k][i] = LibraryModel::peak(job.peak[k], job.x[i]);
      m.Y += ref.P[k][i];
    }
    ref.Y[i] = m.Y;
  }
  EXPECT_EQ(spectrumFile(job, built->tables), spectrumFile(job, ref));

  // The example's bands are found where they were made: 380, 398 and 520 cm-1.
  const double want[] = {380.0, 398.0, 520.0};
  ASSERT_EQ(job.NP, 3);
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(job.peak[k][Position].value, want[k], 0.1) << k;
}

}  // namespace
}  // namespace simplex
