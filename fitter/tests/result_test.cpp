// The peak-area table with its guards, the layout of "new.pfc", and the guard against non-finite
// parameters.
#include <gtest/gtest.h>

#include <cmath>

#include "testutil.h"
#include "zentrab/input.h"
#include "zentrab/profile.h"
#include "zentrab/result.h"

namespace zentrab::test {
namespace {

// Final peaks (file form and internal heights) as the table reads them.
std::unique_ptr<State> finalPeaks(std::initializer_list<std::array<float, 5>> peaks) {
  auto st = newState();
  st->ramda1 = 1.540562f;
  st->ramda2 = 1.544390f;
  st->iRatio = 0.5f;
  for (const auto& pk : peaks) {  // position, CG, CL, Wg, Wl
    const int j = st->nPeak++;
    st->prm[kPosition][j] = st->p[j] = pk[0];
    st->CG[j] = pk[1];
    st->CL[j] = pk[2];
    st->prm[kGaussFwhm][j] = pk[3];
    st->prm[kLorentzFwhm][j] = pk[4];
    st->h[j] = 1 / pk[3];
    st->r[j] = pk[3] / pk[4];
  }
  return st;
}

const char* header() {
  return kFullProfile ? " *** Peak area: #   2Q       C          fwhm       I       I(rel)     I(%)***"
                      : " *** Peak area: #   2Q        C        fwhm      I      I(rel)     I(%)***";
}

TEST(Parea, OnePeakHasTheWholeAreaAndTheDoubletFactor) {
  auto st = finalPeaks({{30, 60, 40, 0.2f, 0.25f}});
  // 60 × 0.2 × 1.0644671 + 40 × 0.25 × 1.5707964 = 28.48157; the doublet carries 1.5 times that.
  EXPECT_NEAR(result::area(*st, 0), 28.48157, 1e-4);
  Captured io;
  result::parea(*st, io.out);
  const std::string I = kFullProfile ? "   42.7224    " : "   28.4816    ";
  EXPECT_EQ(lines(io.console.str()),
            (std::vector<std::string>{"", header(),
                                      "  1  30.000     100.000       0.220" + I +
                                          "    10000.  100.0000"}));
  EXPECT_EQ(io.log.str(), io.console.str());
}

TEST(Parea, RelativeAndPercentColumns) {
  auto st = finalPeaks({{30, 100, 0, 0.1f, 0.1f}, {40, 50, 0, 0.1f, 0.1f}, {50, 25, 0, 0.1f, 0.1f}});
  Captured io;
  result::parea(*st, io.out);
  const auto out = lines(io.console.str());
  ASSERT_EQ(out.size(), 5u);
  EXPECT_EQ(out[3].substr(out[3].size() - 20), "     5000.   28.5714");
  EXPECT_EQ(out[4].substr(out[4].size() - 20), "     2500.   14.2857");
}

TEST(Parea, ZeroHeightsAndAreasGiveNumbersNotNaN) {
  // Peak 2 has no height at all: its fwhm is the Gaussian one.
  auto st = finalPeaks({{30, 0, 0, 0.2f, 0.25f}, {40, 0, 0, 0.3f, 0.3f}});
  Captured io;
  result::parea(*st, io.out);
  const std::string text = io.console.str();
  EXPECT_EQ(text.find("NaN"), std::string::npos);
  EXPECT_EQ(text.find("nan"), std::string::npos);
  const auto out = lines(text);
  const std::vector<std::string> want = {
      "",
      "   Peak height is zero, fwhm taken as Gaussian fwhm. #:    1  0.200000    ",
      "",
      "   Peak height is zero, fwhm taken as Gaussian fwhm. #:    2  0.300000    ",
      "",
      "   Peak areas sum to zero, I(rel) and I(%) taken as 0.",
      "",
      header(),
      "  1  30.000     0.00000       0.200   0.00000            0.    0.0000",
      "  2  40.000     0.00000       0.300   0.00000            0.    0.0000"};
  EXPECT_EQ(out, want);
  EXPECT_EQ(io.log.str(), text);
}

TEST(Parea, AKa2LineBeyond180DegreesAddsNoArea) {
  auto st = finalPeaks({{170, 60, 40, 0.2f, 0.25f}});
  st->ramda2 = 1.6f;
  Captured io;
  result::parea(*st, io.out);
  EXPECT_NE(io.console.str().find("   28.4816    "), std::string::npos);
}

TEST(GuardFinite, RestoresStartValuesOfNonFiniteParameters) {
  auto st = newState();
  st->nPeak = 1;
  st->prmRead[kPosition][0] = 30;
  st->prmRead[kIntensity][0] = 100;
  st->prmRead[kGaussFraction][0] = 0.25f;
  st->prmRead[kGaussFwhm][0] = 0.2f;
  st->prmRead[kRfwhm][0] = 1.5f;
  st->backRead[2] = 0.5f;
  st->p[0] = 31;
  st->CG[0] = NAN;
  st->CL[0] = 75;
  st->h[0] = INFINITY;
  st->r[0] = 1e-40f;  // finite, but the Lorentzian fwhm 0.2 / r would not be
  st->back[2] = -INFINITY;
  Captured io;
  result::guardFinite(*st, io.out);
  EXPECT_FLOAT_EQ(st->CG[0], 25);
  EXPECT_FLOAT_EQ(st->h[0], 5);
  EXPECT_FLOAT_EQ(st->r[0], 1.5f);
  EXPECT_FLOAT_EQ(st->back[2], 0.5f);
  EXPECT_FLOAT_EQ(st->p[0], 31);  // finite values stay
  EXPECT_FLOAT_EQ(st->CL[0], 75);
  EXPECT_EQ(io.console.str(),
            "\n   Parameter not finite, start value kept. #:    0  3\n"
            "\n   Parameter not finite, start value kept. #:    1  6\n"
            "\n   Parameter not finite, start value kept. #:    1 10\n"
            "\n   Parameter not finite, start value kept. #:    1 11\n");

  // A width of 0 or below is left to the back conversion's repair.
  st->h[0] = 0;
  st->r[0] = -1;
  Captured io2;
  result::guardFinite(*st, io2.out);
  EXPECT_EQ(st->h[0], 0.0f);
  EXPECT_EQ(st->r[0], -1.0f);
  EXPECT_EQ(io2.console.str(), "");
}

TEST(Svfile, WritesTheJobRecordsInTheirLayouts) {
  TempDir dir;
  const std::string title(80, 'T');  // loses its last character
  dir.write("job.pfc", title + "\nscan.xrd\nxZentrab\nMarq\n"
                       "7 0.05 1e-5\n1.540562 1.544390 6 0.5\n20 40.123456\n21 39\n"
                       "10 1 0\n-0.5 0 0\n0 0 0\n0 0 0\n0 0 0\n1\n"
                       "30 1 0\n1000 1 0\n0.6 0 0\n0.1 1 0\n0.2 0 0\n1 0 0\n0 3 0\n"
                       "3\n20 101\n30.0001 1234.5678\n40 0\n");
  Captured io;
  auto st = newState();
  ASSERT_EQ(input::rdfile(*st, io.out, dir.file("job.pfc")), Status::ok);
  profile::cnvdat(*st, io.out);
  // The fit moved the position and the background.
  st->p[0] = 30.5f;
  st->back[0] = 12.5f;
  profile::invdat(*st, io.out);
  Captured io2;
  ASSERT_EQ(result::svfile(*st, io2.out, dir.path()), Status::ok);
  EXPECT_EQ(io2.console.str(), " ***Save new parameters to new.pfc" + std::string(33, ' ') + "\n");
  EXPECT_FALSE(dir.exists("new.pfc.part"));
  const std::vector<std::string> want = {
      std::string(79, 'T'),
      "scan.xrd" + std::string(71, ' '),
      "xZentrab" + std::string(71, ' '),
      "Marq" + std::string(21, ' '),
      "      7  0.050000  0.100000E-04",
      "    1.540562    1.544390    6.000000    0.500000",
      "   20.0000   40.1235",
      "   21.0000   39.0000",
      "   12.5000        1   2.50000    ",
      " -0.500000        0   0.00000    ",
      "   0.00000        0   0.00000    ",
      "   0.00000        0   0.00000    ",
      "   0.00000        0   0.00000    ",
      "      1",
      "   30.5000        1  0.500000    ",
      "   1000.00        1   0.00000    ",
      "  0.600000        0   0.00000    ",
      "  0.100000        1   0.00000    ",
      // The Lorentzian fwhm is rewritten as Gaussian fwhm / rfwhm.
      "  0.100000        0 -0.100000    ",
      "   1.00000        0   0.00000    ",
      "   0.00000        3   0.00000    ",
      "      3",
      "   20.0000       101.000    ",
      "   30.0001       1234.57    ",
      "   40.0000       0.00000    "};
  EXPECT_EQ(lines(dir.read("new.pfc")), want);
}

TEST(Svfile, AFileThatCannotBeWrittenIsReportedAndLeavesNothing) {
  TempDir dir;
  auto st = newState();
  Captured io;
  // "new.pfc" is a directory here, so the finished file cannot take its place.
  std::filesystem::create_directory(dir.path() / "new.pfc");
  std::filesystem::create_directory(dir.path() / "new.pfc" / "keep");
  EXPECT_EQ(result::svfile(*st, io.out, dir.path()), Status::ioError);
  EXPECT_EQ(io.err.str().rfind("new.pfc: cannot be written", 0), 0u);
  EXPECT_FALSE(dir.exists("new.pfc.part"));
  EXPECT_TRUE(dir.exists("new.pfc/keep"));
}

}  // namespace
}  // namespace zentrab::test
