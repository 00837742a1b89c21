// The peak model, the objective with its penalties, the free-parameter vector and the
// statistics, against formulas typed out by hand.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdlib>
#include <cmath>
#include <memory>
#include <random>

#include "fastexp.h"
#include "model.h"

namespace simplex {
namespace {

std::unique_ptr<Fit> makeFit() { return std::make_unique<Fit>(); }

void setPeak(Job& job, int k, double pos, double cg, double wg, double cl, double wl,
             int flag = 0) {
  const double v[kPeakParams] = {pos, cg, wg, cl, wl};
  for (int p = 0; p < kPeakParams; ++p) job.peak[k][p] = Param{v[p], flag, 0.0};
}

double gauss(double x, double pos, double c, double w) {
  const double u = (x - pos) / w;
  return c * std::exp(-2.7725887 * u * u);
}
double lorentz(double x, double pos, double c, double w) {
  const double u = (x - pos) / w;
  return c / (1.0 + 4.0 * u * u);
}

// Distance in units of the last place between two non-negative doubles.
long long ulps(double a, double b) {
  return std::llabs(std::bit_cast<long long>(a) - std::bit_cast<long long>(b));
}

// The peak loop's exponential against the library's over every argument the model can pass
// it: -4 ln2 (d/w)^2 from 0 (at the peak) down to -infinity (far from a narrow one).
TEST(FastExp, WithinOneUnitInTheLastPlaceOfTheLibraryOverTheWholeRange) {
  std::mt19937_64 gen(20261207);
  std::uniform_real_distribution<double> wide(-708.0, 0.0), unit(-1.0, 0.0), decade(-323.0, 0.0);
  long long worst = 0;
  double at = 0.0;
  auto check = [&](double x) {
    const long long u = ulps(numeric::expNonPositive(x), std::exp(x));
    if (u > worst) {
      worst = u;
      at = x;
    }
  };
  for (int n = 0; n < 200000; ++n) {
    check(wide(gen));
    check(unit(gen));
    check(-std::pow(10.0, decade(gen)));  // arguments near 0, down to the denormals
  }
  for (double x = -708.0; x <= 0.0; x += 1.0 / 64) check(x);  // steps across every k·ln2/2
  EXPECT_LE(worst, 1) << "at " << at;

  EXPECT_EQ(numeric::expNonPositive(0.0), 1.0);
  EXPECT_EQ(numeric::expNonPositive(-0.0), 1.0);
  EXPECT_EQ(numeric::expNonPositive(-4.9e-324), 1.0);
  EXPECT_EQ(numeric::expNonPositive(-1e-17), 1.0);
  // Below -708 the result is 0 where the true value lies below 3.3e-308: no visible digit.
  for (double x : {-708.25, -709.0, -745.2, -1e6, -1e300, -double(INFINITY)}) {
    EXPECT_EQ(numeric::expNonPositive(x), 0.0) << x;
    EXPECT_LT(std::exp(x), 3.3e-308) << x;
  }
  EXPECT_TRUE(std::isnan(numeric::expNonPositive(NAN)));
}

TEST(Model, BackgroundPeaksAndTotalFollowTheFormulas) {
  auto fit = makeFit();
  Job& job = fit->job;
  job.xLow = 100.0;
  job.xHigh = 300.0;  // c = 200, h = 100
  job.NB = 3;
  job.b[0].value = 5.0;
  job.b[1].value = -2.0;
  job.b[2].value = 0.5;
  job.b[3].value = 1.5;
  job.NP = 2;
  setPeak(job, 0, 150.0, 40.0, 12.0, 25.0, 8.0);
  setPeak(job, 1, 230.0, 0.0, 10.0, 60.0, 20.0);
  job.ND = 4;
  const double xs[] = {50.0, 140.0, 231.0, 400.0};  // two points outside the range on purpose
  for (int i = 0; i < 4; ++i) job.x[i] = xs[i];

  evaluateModel(job, fit->tables);
  for (int i = 0; i < 4; ++i) {
    const double t = (xs[i] - 200.0) / 100.0;
    const double B = 5.0 - 2.0 * t + 0.5 * t * t + 1.5 * t * t * t;
    const double P0 = gauss(xs[i], 150.0, 40.0, 12.0) + lorentz(xs[i], 150.0, 25.0, 8.0);
    const double P1 = lorentz(xs[i], 230.0, 60.0, 20.0);
    EXPECT_NEAR(fit->tables.B[i], B, 1e-12) << "point " << i;
    EXPECT_NEAR(fit->tables.P[0][i], P0, 1e-12) << "point " << i;
    EXPECT_NEAR(fit->tables.P[1][i], P1, 1e-12) << "point " << i;
    EXPECT_NEAR(fit->tables.Y[i], B + P0 + P1, 1e-12) << "point " << i;
  }
}

TEST(Model, ZeroWidthPartContributesNothingAndNeverNaN) {
  auto fit = makeFit();
  Job& job = fit->job;
  job.xLow = 0.0;
  job.xHigh = 10.0;
  job.NP = 1;
  setPeak(job, 0, 5.0, 100.0, 0.0, 30.0, 2.0);  // Gaussian width 0
  job.ND = 3;
  job.x[0] = 4.0;
  job.x[1] = 5.0;  // exactly at the position: 0/0 in the plain formula
  job.x[2] = 6.0;
  evaluateModel(job, fit->tables);
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(fit->tables.P[0][i], lorentz(job.x[i], 5.0, 30.0, 2.0), 1e-12);

  setPeak(job, 0, 5.0, 100.0, 2.0, 30.0, 0.0);  // Lorentzian width 0
  evaluateModel(job, fit->tables);
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(fit->tables.P[0][i], gauss(job.x[i], 5.0, 100.0, 2.0), 1e-12);
}

TEST(Model, ZeroWidthRangeGivesAConstantBackground) {
  auto fit = makeFit();
  Job& job = fit->job;
  job.xLow = job.xHigh = 7.0;
  job.NB = 2;
  job.b[0].value = 3.0;
  job.b[1].value = 4.0;
  job.b[2].value = 5.0;
  job.ND = 1;
  job.x[0] = 7.0;
  evaluateModel(job, fit->tables);
  EXPECT_EQ(fit->tables.B[0], 3.0);
}

TEST(FreeVector, GathersBackgroundThenPeaksAndScattersBackInTheSameOrder) {
  auto fit = makeFit();
  Job& job = fit->job;
  job.NB = 2;
  job.b[0] = {1.0, 1, 0.1};
  job.b[1] = {2.0, 0, 0.2};  // fixed
  job.b[2] = {3.0, 1, 0.3};
  job.NP = 2;
  // Flags 0, 2 and -1 all mean fixed.
  const int flags[2][kPeakParams] = {{1, 0, 1, 2, 1}, {-1, 1, 1, 0, 0}};
  for (int k = 0; k < 2; ++k)
    for (int p = 0; p < kPeakParams; ++p)
      job.peak[k][p] = {10.0 * (k + 1) + p, flags[k][p], 0.01 * (10 * (k + 1) + p)};

  std::array<double, kMaxGathered> v{}, step{};
  const int N = gather(job, v, step);
  const double wantV[] = {1.0, 3.0, 10.0, 12.0, 14.0, 21.0, 22.0};
  ASSERT_EQ(N, 7);
  for (int n = 0; n < N; ++n) {
    EXPECT_EQ(v[n], wantV[n]) << n;
    EXPECT_DOUBLE_EQ(step[n], wantV[n] == 1.0 ? 0.1 : wantV[n] == 3.0 ? 0.3 : 0.01 * wantV[n]);
  }

  for (int n = 0; n < N; ++n) v[n] = -(n + 1);
  scatter(v, job);
  EXPECT_EQ(job.b[0].value, -1.0);
  EXPECT_EQ(job.b[1].value, 2.0);
  EXPECT_EQ(job.b[2].value, -2.0);
  EXPECT_EQ(job.peak[0][Position].value, -3.0);
  EXPECT_EQ(job.peak[0][CGauss].value, 11.0);
  EXPECT_EQ(job.peak[0][FWHMGauss].value, -4.0);
  EXPECT_EQ(job.peak[0][CLorentz].value, 13.0);
  EXPECT_EQ(job.peak[0][FWHMLorentz].value, -5.0);
  EXPECT_EQ(job.peak[1][Position].value, 20.0);
  EXPECT_EQ(job.peak[1][CGauss].value, -6.0);
  EXPECT_EQ(job.peak[1][FWHMGauss].value, -7.0);
  EXPECT_EQ(job.peak[1][CLorentz].value, 23.0);
}

// A job whose data are its own model, so that the residual part of the objective is 0 and
// the value is the penalty alone.
struct PenaltyCase : ::testing::Test {
  std::unique_ptr<Fit> fit = makeFit();
  std::array<double, kMaxGathered> v{}, step{};
  int N = 0;

  void SetUp() override {
    Job& job = fit->job;
    job.xLow = 0.0;
    job.xHigh = 100.0;
    job.b[0] = {10.0, 0, 0.0};
    job.NP = 1;
    setPeak(job, 0, 50.0, 20.0, 5.0, 10.0, 4.0);
    job.ND = 101;
    for (int i = 0; i < job.ND; ++i) job.x[i] = i;
  }
  // Makes y the model of the job as it stands, then gathers.
  void matchData() {
    evaluateModel(fit->job, fit->tables);
    for (int i = 0; i < fit->job.ND; ++i) fit->job.y[i] = fit->tables.Y[i];
    selectFitPoints(fit->job, fit->points);
    N = gather(fit->job, v, step);
  }
  void free(int k, PeakParam p) { fit->job.peak[k][p].flag = 1; }
};

TEST_F(PenaltyCase, FreeNarrowGaussianWidthAdds1e8TimesSquaredShortfall) {
  fit->job.peak[0][FWHMGauss].value = 0.5;
  free(0, FWHMGauss);
  free(0, Position);
  matchData();
  EXPECT_NEAR(objective(*fit, std::span<const double>(v.data(), N)), 2.5e7, 1e-6);
}

TEST_F(PenaltyCase, FixedParametersAndBoundaryValuesCarryNoPenalty) {
  Job& job = fit->job;
  job.peak[0][FWHMGauss].value = 0.5;  // fixed
  job.peak[0][CLorentz].value = -3.0;  // fixed
  matchData();
  EXPECT_EQ(objective(*fit, std::span<const double>(v.data(), N)), 0.0);

  job.peak[0][CGauss] = {0.0, 1, 1.0};       // height exactly 0
  job.peak[0][FWHMLorentz] = {1.0, 1, 1.0};  // width exactly 1
  job.peak[0][CLorentz].value = 10.0;
  matchData();
  EXPECT_EQ(objective(*fit, std::span<const double>(v.data(), N)), 0.0);
}

TEST_F(PenaltyCase, EachFreeHeightAndWidthIsPenalisedAndTheyAdd) {
  Job& job = fit->job;
  job.peak[0][CGauss].value = -2.0;      // 1e8 · 4
  job.peak[0][FWHMGauss].value = 0.9;    // 1e8 · 0.01
  job.peak[0][CLorentz].value = -0.5;    // 1e8 · 0.25
  job.peak[0][FWHMLorentz].value = 0.0;  // 1e8 · 1
  for (PeakParam p : {CGauss, FWHMGauss, CLorentz, FWHMLorentz}) free(0, p);
  matchData();
  EXPECT_NEAR(objective(*fit, std::span<const double>(v.data(), N)), 1e8 * 5.26, 1e-3);
  EXPECT_NEAR(peakPenalty(job), 1e8 * 5.26, 1e-3);
}

// Residuals, peak penalties and background penalties are added to one sum in that order;
// grouping them otherwise changes the last digits and with them the path of the search.
TEST_F(PenaltyCase, TermsAreAddedResidualsFirstThenPeaksThenBackground) {
  Job& job = fit->job;
  job.NB = 1;
  job.b[0] = {0.5, 0, 0.0};
  job.b[1] = {1.0, 0, 0.0};             // B = 0.5 + t, negative below x = 25
  job.peak[0][CGauss].value = -0.3;      // 1e8 · 0.09
  job.peak[0][FWHMGauss].value = 0.51;   // 1e8 · 0.2401
  free(0, CGauss);
  free(0, FWHMGauss);
  matchData();
  job.y[60] += 0.3;
  job.y[70] -= 0.7;
  selectFitPoints(job, fit->points);

  evaluateModel(job, fit->tables);
  double want = 0.0;
  for (int i = 0; i < job.ND; ++i) {
    const double r = job.y[i] - fit->tables.Y[i];
    want += r * r;
  }
  want += 1e8 * (-0.3 * -0.3);
  want += 1e8 * ((0.51 - 1.0) * (0.51 - 1.0));
  for (int i = 0; i < job.ND; ++i) {
    const double B = fit->tables.B[i];
    if (B < 0.0) want += 1e8 * (B * B);
  }
  EXPECT_EQ(objective(*fit, std::span<const double>(v.data(), N)), want);
}

TEST_F(PenaltyCase, NegativeBackgroundInsideTheRangeIsPenalisedWhateverItsFlags) {
  Job& job = fit->job;
  job.NP = 0;
  job.NB = 1;
  job.b[0] = {0.0, 0, 0.0};
  job.b[1] = {2.0, 0, 0.0};  // B = 2t, negative for x < 50
  job.xLow = 0.0;
  job.xHigh = 100.0;
  matchData();
  // The data equal the model, so only sum over x < 50 of 1e8 (2t)^2 remains.
  double want = 0.0;
  for (int i = 0; i < 50; ++i) {
    const double B = 2.0 * (i - 50.0) / 50.0;
    want += 1e8 * B * B;
  }
  v[0] = 1.0;  // the objective needs a vector even when nothing is free
  EXPECT_NEAR(objective(*fit, std::span<const double>(v.data(), 0)), want, want * 1e-14);

  // Points outside the range do not count, however negative the background is there:
  // B = 2 + 2t with t = (x - 75)/25 is negative below x = 50 only.
  job.xLow = 50.0;
  job.b[0].value = 2.0;
  matchData();
  EXPECT_EQ(objective(*fit, std::span<const double>(v.data(), 0)), 0.0);
}

TEST(Objective, SumsResidualsOnlyInsideTheRangeWhereverThePointsStand) {
  auto fit = makeFit();
  Job& job = fit->job;
  job.xLow = 10.0;
  job.xHigh = 20.0;
  job.b[0] = {1.0, 1, 0.5};
  job.NP = 1;
  setPeak(job, 0, 15.0, 5.0, 3.0, 2.0, 4.0);
  job.ND = 6;
  const double xs[] = {25.0, 10.0, 5.0, 20.0, 14.0, 12.5};  // unsorted, with both ends
  for (int i = 0; i < 6; ++i) {
    job.x[i] = xs[i];
    job.y[i] = 7.0 + i;
  }
  selectFitPoints(job, fit->points);
  std::array<double, kMaxGathered> v{}, step{};
  const int N = gather(job, v, step);
  ASSERT_EQ(N, 1);
  v[0] = 2.0;
  const double S = objective(*fit, std::span<const double>(v.data(), 1));
  EXPECT_EQ(job.b[0].value, 2.0);  // the objective scatters its argument

  evaluateModel(job, fit->tables);
  double want = 0.0;
  for (int i : {1, 3, 4, 5}) {
    const double r = job.y[i] - fit->tables.Y[i];
    want += r * r;
  }
  EXPECT_DOUBLE_EQ(S, want);
}

TEST(Statistics, RelativeDeviationAndItsUndefinedCases) {
  auto fit = makeFit();
  Job& job = fit->job;
  job.xLow = 0.0;
  job.xHigh = 10.0;
  job.ND = 5;
  const double xs[] = {1.0, 2.0, 3.0, 4.0, 50.0};
  const double ys[] = {10.0, 20.0, 30.0, 40.0, 1000.0};
  for (int i = 0; i < 5; ++i) {
    job.x[i] = xs[i];
    job.y[i] = ys[i];
  }
  Deviation d = relativeDeviation(job, 12.0);
  EXPECT_EQ(d.n, 4);
  EXPECT_DOUBLE_EQ(d.mean, 25.0);
  EXPECT_DOUBLE_EQ(d.R, 100.0 * std::sqrt(12.0 / 3.0) / 25.0);
  EXPECT_TRUE(d.why.empty());

  job.xHigh = 1.5;  // one point left
  d = relativeDeviation(job, 12.0);
  EXPECT_EQ(d.R, 0.0);
  EXPECT_NE(d.why.find("fewer than two points"), std::string::npos);

  job.xHigh = 10.0;
  job.y[0] = -30.0;
  job.y[1] = -40.0;  // mean 0
  d = relativeDeviation(job, 12.0);
  EXPECT_EQ(d.R, 0.0);
  EXPECT_NE(d.why.find("mean"), std::string::npos);
}

}  // namespace
}  // namespace simplex
