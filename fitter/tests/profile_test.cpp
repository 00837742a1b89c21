// The profile against values computed by hand from its formula, the derivatives against finite
// differences of the evaluation, the windows, and the conversions with their repairs.
#include <gtest/gtest.h>

#include <cmath>

#include "testutil.h"
#include "zentrab/profile.h"

namespace zentrab::test {
namespace {

using profile::basprf;

constexpr double kPi = 3.14159265358979323846;

struct PeakIn {
  double p, CG, CL, Wg, r, A;
};

// The profile typed from its definition, in double precision, without a window.
double byHand(const PeakIn& pk, double iRatio, double l1, double l2, double x) {
  const double c = 4 * std::log(2.0), h = 1 / pk.Wg, q = 4 * pk.r * pk.r;
  auto line = [&](double X) { return pk.CG * std::exp(-c * X * X) + pk.CL / (1 + q * X * X); };
  if (!kFullProfile) return line(h * (x - pk.p));
  const double th = pk.p / 2 * kPi / 180;
  const double p2 = 2 * std::asin(l2 / l1 * std::sin(th)) * 180 / kPi;
  const double k1 = 1 / std::tan(pk.p * kPi / 180), k2 = 1 / std::tan(p2 * kPi / 180);
  const double w[7] = {1, 4, 2, 4, 2, 4, 1};
  double s = 0;
  for (int k = 0; k < 7; ++k) {
    const double t2 = k * k / 36.0;
    s += w[k] * (line(h * (x - pk.p + t2 * pk.A * k1)) +
                 iRatio * line(h * (x - p2 + t2 * pk.A * k2)));
  }
  return s / 18;
}

// A state with one peak in internal form and `n` points from x0 in steps dx, background 0.
std::unique_ptr<State> onePeak(const PeakIn& pk, double x0, double dx, int n, float iRatio,
                               float qRange = 20) {
  auto st = newState();
  st->ramda1 = 1.540562f;
  st->ramda2 = 1.544390f;
  st->iRatio = iRatio;
  st->qRange = qRange;
  st->nPeak = 1;
  st->p[0] = static_cast<float>(pk.p);
  st->CG[0] = static_cast<float>(pk.CG);
  st->CL[0] = static_cast<float>(pk.CL);
  st->h[0] = static_cast<float>(1 / pk.Wg);
  st->r[0] = static_cast<float>(pk.r);
  st->A[0] = static_cast<float>(pk.A);
  st->nData = n;
  for (int i = 0; i < n; ++i) {
    st->x[i] = static_cast<float>(x0 + dx * i);
    st->y[i] = 100;
  }
  return st;
}

void expectMatchesHand(const PeakIn& pk, float iRatio) {
  auto st = onePeak(pk, pk.p - 1, 0.01, 201, iRatio);
  Captured io;
  basprf(*st, io.out);
  for (int i = 0; i < st->nData; i += 5) {
    const double want = byHand(pk, iRatio, 1.540562, 1.544390, st->x[i]);
    EXPECT_NEAR(st->model[i], want, 5e-5 * (pk.CG + pk.CL)) << "x = " << st->x[i];
    EXPECT_FLOAT_EQ(st->contrib[i], st->model[i]);
    EXPECT_FLOAT_EQ(st->resid[i], 100 - st->model[i]);
  }
}

TEST(Profile, MatchesTheFormulaTypedByHand) {
  // iRatio 0 and A = 0: the plain profile CG exp(-c X²) + CL / (1 + q X²) at the Kα1 position.
  expectMatchesHand({30, 60, 40, 0.2, 0.8, 0}, 0);
  // The doublet with an asymmetric spread, below and above 90°.
  expectMatchesHand({30, 60, 40, 0.2, 1.2, 0.05}, 0.5f);
  expectMatchesHand({130, 10, 90, 0.3, 1.0, 0.1}, 0.5f);
}

// Profile values at p - d and p + d for a peak at position p with anisotropy A.
std::pair<float, float> sides(double p, double A, double d) {
  auto st = onePeak({p, 50, 50, 0.2, 1, A}, p - d, d, 3, 0);
  Captured io;
  basprf(*st, io.out);
  return {st->model[0], st->model[2]};
}

TEST(Profile, AnisotropyMovesIntensityTowardTheLowerAngleBelow90Degrees) {
  const auto [low, high] = sides(30, 0.1, 0.1);
  const auto [low2, high2] = sides(130, 0.1, 0.1);
  const auto [low90, high90] = sides(90, 0.3, 0.1);
  if (kFullProfile) {
    EXPECT_GT(low, high * 1.01f);   // below 90°: toward lower angle
    EXPECT_GT(high2, low2 * 1.01f); // above 90°: cot 2θ < 0, toward higher angle
  } else {
    EXPECT_FLOAT_EQ(low, high);  // the single line has no asymmetry
  }
  EXPECT_NEAR(low90, high90, 1e-4);  // cot 90° = 0: no shift
  const auto [low0, high0] = sides(30, 0, 0.1);
  EXPECT_NEAR(low0, high0, 1e-4);  // A = 0: symmetric
}

TEST(Profile, OnlyPointsInsideTheWindowGetAContribution) {
  // qRange 2, Wg = Wl = 0.1: window 30 - 0.2 ... p2 + 0.2.
  auto st = onePeak({30, 100, 0, 0.1, 1, 0}, 29, 0.05, 41, 0.5f, 2);
  Captured io;
  basprf(*st, io.out);
  const PeakGeometry& g = st->geo[0];
  EXPECT_FLOAT_EQ(g.lo, 29.8f);
  if (kFullProfile) {
    EXPECT_NEAR(g.p2, 30.0765, 1e-3);  // 2θ of Cu Kα2 for Kα1 at 30°
  } else {
    EXPECT_FLOAT_EQ(g.p2, 30.0f);
  }
  for (int i = 0; i < st->nData; ++i) {
    const bool inside = st->x[i] >= g.lo && st->x[i] <= g.hi;
    if (inside) {
      EXPECT_GT(st->contrib[i], 0.0f) << st->x[i];
    } else {
      EXPECT_EQ(st->contrib[i], 0.0f) << st->x[i];
    }
  }
  // The peak moves away: the points of its old window no longer hold its old values.
  st->p[0] = 30.8f;
  basprf(*st, io.out);
  EXPECT_EQ(st->contrib[20], 0.0f);  // x = 30
  EXPECT_FLOAT_EQ(st->model[20], 0.0f);
  EXPECT_GT(st->contrib[36], 0.0f);  // x = 30.8
}

TEST(Profile, SigmaIsTheRelativeDeviationInPercent) {
  auto st = onePeak({30, 0, 0, 0.1, 1, 0}, 10, 1, 4, 0);
  st->nPeak = 0;
  st->back[0] = 10;
  const float y[4] = {9, 11, 12, 8};
  for (int i = 0; i < 4; ++i) st->y[i] = y[i];
  Captured io;
  basprf(*st, io.out);
  EXPECT_DOUBLE_EQ(st->S, 1 + 1 + 4 + 4);
  EXPECT_NEAR(st->sigma, std::sqrt(10.0 / 3) / 10 * 100, 1e-9);
  // One point or no intensity: no deviation can be formed; sigma is 0, not NaN.
  st->nData = 1;
  basprf(*st, io.out);
  EXPECT_EQ(st->sigma, 0.0);
}

TEST(Profile, AKa2LineBeyond180DegreesIsLeftOutWithOneMessage) {
  PeakIn pk{170, 60, 40, 0.3, 1, 0.02};
  auto st = onePeak(pk, 169, 0.02, 101, 0.5f);
  st->ramda2 = 1.6f;  // sin θ2 = (1.6 / 1.540562) sin 85° > 1
  Captured io;
  basprf(*st, io.out);
  basprf(*st, io.out);
  auto ref = onePeak(pk, 169, 0.02, 101, 0.0f);  // the Kα1 line alone
  Captured io2;
  basprf(*ref, io2.out);
  for (int i = 0; i < st->nData; ++i) {
    ASSERT_TRUE(std::isfinite(st->model[i]));
    EXPECT_FLOAT_EQ(st->model[i], ref->model[i]);
  }
  if (kFullProfile) {
    EXPECT_EQ(io.console.str(), "\n   Ka2 line beyond 180 deg., left out. #:    1   170.000    \n");
    EXPECT_EQ(io.log.str(), io.console.str());
  } else {
    EXPECT_EQ(io.console.str(), "");
  }
}

// Derivative of entry (peak 1, kind) against central differences of the evaluation.
class Derivatives : public ::testing::Test {
 protected:
  // The derivatives of the index entries `kinds` (peak 1 or background) on 141 points around the
  // peak, compared with central differences within tol × the largest difference.
  void check(const PeakIn& pk, float iRatio, std::initializer_list<int> kinds, double tol) {
    auto st = onePeak(pk, pk.p - 0.6, 0.01, 141, iRatio);
    st->back = {5, 0.1f, 1e-3f, 1e-5f, 1e-7f};
    int m = 0;
    for (int kind : kinds) {
      st->idxKind[m] = kind;
      st->idxPeak[m] = kind <= kMaxBack ? 0 : 1;
      ++m;
    }
    st->nMtx = m;
    Captured io;
    basprf(*st, io.out);
    profile::diff(*st);
    const PeakGeometry g = st->geo[0];
    for (int e = 0; e < m; ++e) {
      const int kind = st->idxKind[e];
      std::vector<double> fd(st->nData);
      // Parameter moved by ± step, evaluated, restored.
      auto model = [&](double sign) {
        auto copy = std::make_unique<State>(*st);
        float* target = nullptr;
        double base = 0, step = 0;
        switch (kind) {
          case kKindCG: target = &copy->CG[0]; break;
          case kKindCL: target = &copy->CL[0]; break;
          case kKindPosition: target = &copy->p[0]; break;
          case kKindAnisotropy: target = &copy->A[0]; break;
          case kKindH: target = &copy->h[0]; break;
          case kKindR2: target = &copy->r[0]; break;
          default: target = &copy->back[kind - 1]; break;
        }
        if (kind == kKindR2) {
          base = double(*target) * *target;
          step = 1e-3 * base;
          *target = static_cast<float>(std::sqrt(base + sign * step));
        } else {
          base = *target;
          if (kind <= kMaxBack)  // linear: a step that moves the model by about 10
            step = 10 / std::pow(pk.p, kind - 1);
          else if (kind == kKindCG || kind == kKindCL)
            step = 0.05 * std::fabs(base);
          else if (kind == kKindPosition)
            step = 1e-3;  // a two-hundredth of the width
          else
            step = std::max(1e-3 * std::fabs(base), 1e-4);
          *target = static_cast<float>(base + sign * step);
          step = (double(*target) - base) * sign;  // the step the float could hold
        }
        basprf(*copy, io.out);
        return std::make_pair(std::vector<float>(copy->model.begin(), copy->model.begin() + copy->nData), step);
      };
      const auto [up, s1] = model(+1);
      const auto [down, s2] = model(-1);
      double scale = 0;
      for (int i = 0; i < st->nData; ++i) {
        fd[i] = (double(up[i]) - down[i]) / (s1 + s2);
        scale = std::max(scale, std::fabs(fd[i]));
      }
      const float* gm = &st->deriv[static_cast<std::size_t>(e) * kMaxData];
      const double half = 0.8 * (g.hi - g.lo) / 2, mid = (g.hi + g.lo) / 2;
      int compared = 0;
      for (int i = 0; i < st->nData; ++i) {
        if (kind > kMaxBack && std::fabs(st->x[i] - mid) > half) continue;  // away from edges
        const bool applies = i >= st->dI0[e] && i < st->dI1[e];
        const double an = applies ? gm[i] : 0.0;
        EXPECT_NEAR(an, fd[i], tol * scale + 1e-6) << "kind " << kind << " at x = " << st->x[i];
        ++compared;
      }
      EXPECT_GT(compared, 50) << "kind " << kind;
      if (kind != kKindAnisotropy || kFullProfile) {
        EXPECT_GT(scale, 0) << "kind " << kind;
      }
    }
  }
};

TEST_F(Derivatives, EveryKindAgainstFiniteDifferences) {
  // Doublet with asymmetry: every kind but the position, whose analytic derivative moves the
  // Kα2 line one-for-one and holds the cotangents.
  check({30, 60, 40, 0.2, 1.2, 0.05}, 0.5f, {1, 2, 3, 4, 5, 6, 7, 9, 10, 11}, 2e-3);
  check({120, 30, 70, 0.25, 0.7, 0.1}, 0.5f, {6, 7, 9, 10, 11}, 2e-3);
  // The position: exact for the single line, and for the doublet where those assumptions hold.
  check({30, 60, 40, 0.2, 1.2, 0}, 0, {8}, 2e-3);
  // With the Kα2 line and asymmetry the two differ by a few parts in a thousand.
  check({30, 60, 40, 0.2, 1.2, 0.05}, 0.5f, {8}, 1e-2);
}

TEST(Diff, NormalEquationsAreSumsOverTheCommonPoints) {
  // Two peaks far apart: their parameters share no point, so their cross terms are 0.
  auto st = onePeak({25, 60, 40, 0.1, 1, 0}, 20, 0.02, 1001, 0.5f, 5);
  st->nPeak = 2;
  st->p[1] = 35;
  st->CG[1] = 50;
  st->CL[1] = 50;
  st->h[1] = 10;
  st->r[1] = 1;
  st->nMtx = 3;
  st->idxKind[0] = 1;
  st->idxPeak[0] = 0;
  st->idxKind[1] = kKindCG;
  st->idxPeak[1] = 1;
  st->idxKind[2] = kKindCG;
  st->idxPeak[2] = 2;
  Captured io;
  basprf(*st, io.out);
  profile::diff(*st);
  auto M = [&](int a, int b) { return st->M[a + b * kMaxMtx]; };
  EXPECT_EQ(M(1, 2), 0.0);
  EXPECT_EQ(M(2, 1), 0.0);
  EXPECT_DOUBLE_EQ(M(0, 0), 1001.0);  // Σ 1 over every point
  // Σ g1 over the window of peak 1, in both triangles.
  double s = 0, v = 0;
  for (int i = st->dI0[1]; i < st->dI1[1]; ++i) {
    s += st->deriv[kMaxData + i];
    v -= st->deriv[kMaxData + i] * double(st->resid[i]);
  }
  EXPECT_NEAR(M(1, 0), s, 1e-9 * std::fabs(s));
  EXPECT_EQ(M(0, 1), M(1, 0));
  EXPECT_NEAR(st->v[1], v, 1e-9 * std::fabs(v) + 1e-9);
}

TEST(Conversion, ToInternalFormAndBackWithRepairs) {
  auto st = newState();
  st->nPeak = 3;
  const float file[3][7] = {{30, 200, 0.25f, 0.2f, 0.25f, 0.8f, 0.05f},
                            {40, 100, 0.5f, 0.0f, 1.0f, 1.0f, 0.0f},
                            {50, 100, 1.0f, 0.1f, 0.1f, 1.0f, 0.0f}};
  for (int j = 0; j < 3; ++j)
    for (int k = 0; k < 7; ++k) st->prm[k][j] = file[j][k];
  Captured io;
  profile::cnvdat(*st, io.out);
  EXPECT_FLOAT_EQ(st->CG[0], 50);
  EXPECT_FLOAT_EQ(st->CL[0], 150);
  EXPECT_FLOAT_EQ(st->h[0], 5);
  EXPECT_FLOAT_EQ(st->r[0], 0.8f);
  EXPECT_FLOAT_EQ(st->A[0], 0.05f);
  // A Gaussian fwhm of 0 has no inverse width: reported, taken as 0.001.
  EXPECT_FLOAT_EQ(st->h[1], 1000);
  EXPECT_EQ(io.console.str(), "\n   Gaussian fwhm must not be zero. #:    2   0.00000    \n");

  // Back: the Lorentzian fwhm is always Gaussian fwhm / rfwhm.
  st->h[0] = 4;  // fwhm 0.25
  // Peak 2: every repair.
  st->h[1] = 0;
  st->r[1] = -0.5f;
  st->CG[1] = -10;
  st->CL[1] = -5;
  st->A[1] = -0.01f;
  // Peak 3: exact zeros of CG, CL and A are accepted.
  st->CG[2] = 0;
  st->CL[2] = 0;
  st->A[2] = 0;
  Captured io2;
  profile::invdat(*st, io2.out);
  EXPECT_FLOAT_EQ(st->prm[kGaussFwhm][0], 0.25f);
  EXPECT_FLOAT_EQ(st->prm[kLorentzFwhm][0], 0.25f / 0.8f);
  EXPECT_FLOAT_EQ(st->prm[kIntensity][0], 200);
  EXPECT_FLOAT_EQ(st->prm[kGaussFraction][0], 0.25f);

  EXPECT_FLOAT_EQ(st->prm[kGaussFwhm][1], 0.001f);
  EXPECT_FLOAT_EQ(st->prm[kRfwhm][1], 0.0001f);
  EXPECT_FLOAT_EQ(st->prm[kLorentzFwhm][1], 0.001f / 0.0001f);
  EXPECT_EQ(st->prm[kIntensity][1], 0.0f);
  EXPECT_EQ(st->prm[kGaussFraction][1], 1.0f);  // no intensity: all Gaussian
  EXPECT_EQ(st->prm[kAnisotropy][1], 0.0f);
  EXPECT_EQ(st->prm[kIntensity][2], 0.0f);
  EXPECT_EQ(st->prm[kGaussFraction][2], 1.0f);
  EXPECT_EQ(io2.console.str(),
            "\n   Gaussian fwhm must be positive. #:    2   0.00000    \n"
            "\n   rfwhm must be positive. #:    2 -0.500000    \n"
            "\n   C(Gauss) must be positive. #:    2  -10.0000    \n"
            "\n   C(Lorentz) must be positive. #:    2  -5.00000    \n"
            "\n   Anisotropic parameter must be positive. #:    2 -0.100000E-01\n");
  EXPECT_EQ(io2.log.str(), io2.console.str());
}

}  // namespace
}  // namespace zentrab::test
