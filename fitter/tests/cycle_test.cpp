// The index of optimised parameters, the convergence rule, the parameter update and the damping.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>

#include "testutil.h"
#include "zentrab/cycle.h"

namespace zentrab::test {
namespace {

// A state with `n` peaks at 20, 22, ... degrees, every flag 0, optimisation range 0-180.
std::unique_ptr<State> peaks(int n) {
  auto st = newState();
  st->nPeak = n;
  st->optLow = 0;
  st->optHigh = 180;
  for (int j = 0; j < n; ++j) {
    st->p[j] = 20.0f + 2.0f * j;
    st->h[j] = 10;
    st->r[j] = 1;
  }
  return st;
}

TEST(Mkidx, BackgroundFirstThenPeaksInFileAndKindOrder) {
  auto st = peaks(3);
  st->backFlag = {1, 0, 1, 2, -1};  // only 1 means free
  auto& F = st->flag;
  // Peak 1: rfwhm, position, intensity; the Lorentzian fwhm flag is never used.
  F[kRfwhm][0] = F[kPosition][0] = F[kIntensity][0] = F[kLorentzFwhm][0] = 1;
  // Peak 2 lies outside the optimisation range: no entry whatever its flags.
  for (int k = 0; k < kPeakParams; ++k) F[k][1] = 1;
  st->p[1] = 100;
  st->optHigh = 90;
  // Peak 3: every kind.
  for (int k = 0; k < kPeakParams; ++k) F[k][2] = 1;

  Captured io;
  ASSERT_EQ(cycle::mkidx(*st, io.out), Status::ok);
  std::vector<std::pair<int, int>> got;
  for (int m = 0; m < st->nMtx; ++m) got.emplace_back(st->idxPeak[m], st->idxKind[m]);
  std::vector<std::pair<int, int>> want = {{0, 1}, {0, 3}, {1, 6}, {1, 8}, {1, 11},
                                           {3, 6}, {3, 7}, {3, 8}};
  if (kFullProfile) want.push_back({3, 9});  // the anisotropy enters only the full profile
  want.push_back({3, 10});
  want.push_back({3, 11});
  EXPECT_EQ(got, want);

  const auto out = lines(io.console.str());
  ASSERT_GE(out.size(), 4u);
  EXPECT_EQ(out[0], " ***Make index for optimization in range of    0.00000       90.0000    ");
  EXPECT_EQ(out[1], " *** Number of parameters to be optimized: " +
                        std::string(kFullProfile ? "   11" : "   10"));
  // Five entries a line: peak, kind, position (0 for the background).
  EXPECT_EQ(out[2], "   0  1   0.000   0  3   0.000   1  6  20.000   1  8  20.000   1 11  20.000");
  EXPECT_EQ(out[3].substr(0, 15), "   3  6  24.000");
  EXPECT_EQ(io.log.str(), io.console.str());
}

TEST(Mkidx, MoreThan200EntriesStopOnTheConsoleOnly) {
  auto st = peaks(kMaxPeaks);
  st->backFlag = {1, 1, 1, 1, 1};
  for (int j = 0; j < kMaxPeaks; ++j)
    for (int k : {kPosition, kIntensity, kGaussFraction}) st->flag[k][j] = 1;
  Captured io;
  EXPECT_EQ(cycle::mkidx(*st, io.out), Status::stop);  // 5 + 70 × 3 = 215 entries
  EXPECT_NE(io.console.str().find(" nMtx too large\n"), std::string::npos);
  EXPECT_EQ(io.log.str().find("nMtx too large"), std::string::npos);

  // 200 exactly is allowed: 5 + 65 × 3.
  auto ok = peaks(65);
  ok->backFlag = {1, 1, 1, 1, 1};
  for (int j = 0; j < 65; ++j)
    for (int k : {kPosition, kIntensity, kGaussFraction}) ok->flag[k][j] = 1;
  Captured io2;
  EXPECT_EQ(cycle::mkidx(*ok, io2.out), Status::ok);
  EXPECT_EQ(ok->nMtx, 200);
}

TEST(Convergence, RelativeStepOrAbsoluteAtZero) {
  const double eps = 1e-4;
  EXPECT_FALSE(cycle::stepFails(100.0, 0.01, eps));   // |δ| = |v eps|: passes
  EXPECT_TRUE(cycle::stepFails(100.0, 0.0101, eps));
  EXPECT_TRUE(cycle::stepFails(-100.0, -0.0101, eps));  // signs do not matter
  EXPECT_FALSE(cycle::stepFails(-100.0, 0.005, eps));
  EXPECT_FALSE(cycle::stepFails(0.0, 1e-4, eps));  // at 0 the step itself is compared with eps
  EXPECT_TRUE(cycle::stepFails(0.0, 1.1e-4, eps));
  EXPECT_TRUE(cycle::stepFails(0.0, -1.1e-4, eps));
  EXPECT_TRUE(cycle::stepFails(100.0, NAN, eps));  // a step that is not a number never converges
  EXPECT_TRUE(cycle::stepFails(NAN, 0.0, eps));
  EXPECT_TRUE(cycle::stepFails(0.0, NAN, eps));
}

TEST(Newprm, AppliesStepsByKindAndTestsConvergence) {
  auto st = peaks(1);
  st->eps = 1e-3f;
  st->back[0] = 10;
  st->CG[0] = 100;
  st->h[0] = 10;   // Gaussian fwhm 0.1
  st->r[0] = 2;    // r² = 4
  st->A[0] = 0;
  st->nMtx = 5;
  const int kinds[5] = {1, kKindCG, kKindH, kKindR2, kKindAnisotropy};
  for (int m = 0; m < 5; ++m) {
    st->idxKind[m] = kinds[m];
    st->idxPeak[m] = kinds[m] <= 5 ? 0 : 1;
  }
  st->v[0] = 0.001;   // 10 -> 10.001: within 1e-3 relative
  st->v[1] = -0.05;   // 100 -> 99.95
  st->v[2] = 2.5;     // h 10 -> 12.5: fwhm 0.1 -> 0.08, fails
  st->v[3] = 5;       // r² 4 -> 9: r 2 -> 3
  st->v[4] = 0.0005;  // A at 0: absolute test, passes
  Captured io;
  cycle::newprm(*st, io.out);
  EXPECT_FLOAT_EQ(st->back[0], 10.001f);
  EXPECT_FLOAT_EQ(st->CG[0], 99.95f);
  EXPECT_FLOAT_EQ(st->h[0], 12.5f);
  EXPECT_FLOAT_EQ(st->r[0], 3.0f);
  EXPECT_FLOAT_EQ(st->A[0], 0.0005f);
  EXPECT_FALSE(st->converged);
  const auto out = lines(io.console.str());
  ASSERT_EQ(out.size(), 6u);
  EXPECT_EQ(out[0], " *** New Parameters ***");
  // kind 10 is printed as the Gaussian fwhm, kind 11 as rfwhm
  EXPECT_EQ(out[3], "    3  0.100000     -0.200000E-01  0.800000E-01");
  EXPECT_EQ(out[4], "    4   2.00000       1.00000       3.00000    ");

  // The same entries with small steps converge; the rfwhm test uses the old r².
  st->v = {};
  st->v[2] = 0.001;  // |δ| <= 12.501 × 1e-3
  st->v[3] = 0.009;  // |δ| <= 9 × 1e-3
  Captured io2;
  cycle::newprm(*st, io2.out);
  EXPECT_TRUE(st->converged);
}

// With eps 0.5 a step of 0.6 from 1 passes when tested against the new value 1.6 (limit 0.8) and
// fails against the old value 1 (limit 0.5): kinds 1-10 test the new internal value, kind 11 the
// old r²; a parameter that lands on exactly 0 is tested against eps itself.
TEST(Newprm, ConvergenceTestsTheNewValueButTheOldRfwhmSquared) {
  struct Case {
    int kind;
    double delta;
    bool converges;
  };
  const Case cases[] = {
      {1, 0.6, true},         // background b1: 1 -> 1.6
      {kKindCG, 0.6, true},   // C(Gauss) 1 -> 1.6
      {kKindPosition, 0.6, true},
      {kKindH, 0.6, true},    // h 1 -> 1.6
      {kKindR2, 0.6, false},  // r² 1 -> 1.6, tested against the old r² = 1
      {kKindR2, 0.5, true},
      {kKindCL, -1.0, false},  // lands on 0: |δ| = 1 > eps
      {kKindCL, -1.0, true},   // the same with eps 2 (below)
  };
  for (std::size_t c = 0; c < std::size(cases); ++c) {
    auto st = peaks(1);
    st->eps = c + 1 == std::size(cases) ? 2.0f : 0.5f;
    st->back[0] = st->CG[0] = st->CL[0] = st->p[0] = st->h[0] = st->r[0] = 1;
    st->nMtx = 1;
    st->idxKind[0] = cases[c].kind;
    st->idxPeak[0] = cases[c].kind <= kMaxBack ? 0 : 1;
    st->v[0] = cases[c].delta;
    Captured io;
    cycle::newprm(*st, io.out);
    EXPECT_EQ(st->converged, cases[c].converges) << "case " << c << ", kind " << cases[c].kind;
  }
}

TEST(Newprm, AStepBelowZeroRfwhmSquaredIsGuarded) {
  auto st = peaks(1);
  st->eps = 1e-3f;
  st->r[0] = 0.5f;  // r² = 0.25
  st->nMtx = 1;
  st->idxKind[0] = kKindR2;
  st->idxPeak[0] = 1;
  st->v[0] = -0.3;  // r² + δ < 0: no real root
  Captured io;
  cycle::newprm(*st, io.out);
  EXPECT_FLOAT_EQ(st->r[0], 0.0001f);
  EXPECT_TRUE(std::isfinite(st->r[0]));
  const auto out = lines(io.console.str());
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[1], "");
  EXPECT_EQ(out[2], "   rfwhm squared must be positive. #:    1 -0.500000E-01");
  EXPECT_EQ(io.log.str(), io.console.str());
}

TEST(Marq, ScalesRowsDampsAndSolves) {
  // 2 x 2 system; with damping 0 the step solves M δ = -v exactly.
  auto st = newState();
  st->nMtx = 2;
  auto& M = st->M;
  M[0] = 4;
  M[1] = 2;
  M[kMaxMtx] = 2;
  M[1 + kMaxMtx] = 3;
  st->v[0] = -6;  // v = -Jᵀr, so the step is the solution of M δ = (6, 7)
  st->v[1] = -7;
  st->dampingFactor = 0;
  Captured io;
  ASSERT_EQ(cycle::marq(*st, io.out), Status::ok);
  EXPECT_NEAR(st->v[0], 0.5, 1e-12);
  EXPECT_NEAR(st->v[1], 2.0, 1e-12);

  // A zero row keeps its scale 1; the damping gives it a zero step.
  auto z = newState();
  z->nMtx = 2;
  z->M[0] = 5;
  z->v[0] = -5;
  z->dampingFactor = 0.5f;
  ASSERT_EQ(cycle::marq(*z, io.out), Status::ok);
  EXPECT_NEAR(z->v[0], 1 / 1.5, 1e-12);  // (1 + 0.5) δ = 1 after scaling
  EXPECT_EQ(z->v[1], 0.0);

  // Without damping the zero row is singular: the solver's line and the code, then a stop.
  z->M = {};
  z->M[0] = 5;
  z->v = {};
  z->dampingFactor = 0;
  Captured io2;
  EXPECT_EQ(cycle::marq(*z, io2.out), Status::stop);
  EXPECT_EQ(io2.console.str(),
            "  (SUBR. GLU)  ORIGINAL MATRIX IS SINGULAR.\n ***** Error occured in GLU. IER=    2\n");
  EXPECT_EQ(io2.log.str(), io2.console.str());
}

}  // namespace
}  // namespace zentrab::test
