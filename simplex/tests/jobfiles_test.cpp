// Reading "fit.pfc" with its echo, and the layouts of "fit.spc", "new.pfc" and the
// peak-area table of the run log.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "jobfiles.h"
#include "model.h"
#include "testutil.h"

namespace simplex {
namespace {

using test::lines;

// A small job in the form the workbench writes.
const char* const kJob =
    "Silicon 520 line\n"
    "1 10\n"
    "500 1e-06 1e-06\n"
    "400 600\n"
    "1\n"
    "12.5 1 1\n"
    "-0.5 0 0.1\n"
    "1\n"
    "520 1 0.5\n"
    "100 1 10\n"
    "4 1 1\n"
    "50 0 0\n"
    "3.5 2 0\n"
    "0 0\n"
    "3\n"
    "450 20\n"
    "520.5 180.25\n"
    "610 19\n";

struct Reading {
  std::unique_ptr<Fit> fit = std::make_unique<Fit>();
  std::ostringstream console, log;
  Channels out{console, &log};
  std::string error;
  bool read(const std::string& text) {
    std::istringstream in(text);
    return readJob(in, "fit.pfc", fit->job, out, error);
  }
};

TEST(ReadJob, ReadsEveryRecordAndEchoesIt) {
  Reading r;
  ASSERT_TRUE(r.read(kJob)) << r.error;
  const Job& job = r.fit->job;
  EXPECT_EQ(job.title, "Silicon 520 line" + std::string(79 - 16, ' '));
  EXPECT_EQ(job.iPrt, 1);
  EXPECT_EQ(job.iPrtIntvl, 10);
  EXPECT_EQ(job.itmax, 500);
  EXPECT_EQ(job.tolX, 1e-6);
  EXPECT_EQ(job.tolF, 1e-6);
  EXPECT_EQ(job.xLow, 400.0);
  EXPECT_EQ(job.xHigh, 600.0);
  ASSERT_EQ(job.NB, 1);
  EXPECT_EQ(job.b[1].value, -0.5);
  EXPECT_EQ(job.b[1].step, 0.1);
  ASSERT_EQ(job.NP, 1);
  EXPECT_EQ(job.peak[0][FWHMLorentz].value, 3.5);
  EXPECT_EQ(job.peak[0][FWHMLorentz].flag, 2);
  ASSERT_EQ(job.ND, 3);
  EXPECT_EQ(job.x[1], 520.5);
  EXPECT_EQ(job.y[1], 180.25);

  EXPECT_EQ(r.console.str(), r.log.str());
  const auto echo = lines(r.log.str());
  ASSERT_EQ(echo.size(), 15u);
  EXPECT_EQ(echo[0], job.title);
  EXPECT_EQ(echo[1], "iPrt, iPrtIntvl:            1          10");
  EXPECT_EQ(echo[2], "         500  1.000000000000000E-006  1.000000000000000E-006");
  EXPECT_EQ(echo[3], "     400.000000000000000     600.000000000000000");
  EXPECT_EQ(echo[4], "           1");
  EXPECT_EQ(echo[5], "         12.500000000000000           1       1.000000000000000");
  EXPECT_EQ(echo[6], "         -0.500000000000000           0       0.100000000000000");
  EXPECT_EQ(echo[7], "           1");
  EXPECT_EQ(echo[12], "          3.500000000000000           2       0.000000000000000");
  EXPECT_EQ(echo[13], "       0.000000000000000       0.000000000000000");
  EXPECT_EQ(echo[14], "           3");
}

TEST(ReadJob, LongTitleIsCutAndShortRecordBorrowsTheNextLine) {
  Reading r;
  std::string job = kJob;
  job.replace(0, job.find('\n'), std::string(60, 'a') + std::string(40, 'b'));
  // A background record with two numbers takes its step from the next line, whose second
  // number is dropped: every later record falls out of step, and here the file ends early.
  job.replace(job.find("12.5 1 1\n"), 9, "12.5 1\n");
  EXPECT_FALSE(r.read(job));
  EXPECT_EQ(r.fit->job.title, std::string(60, 'a') + std::string(19, 'b'));
  EXPECT_EQ(r.fit->job.b[0].step, -0.5);
  EXPECT_EQ(r.fit->job.b[1].flag, 520);
  EXPECT_EQ(r.fit->job.NP, 100);
  EXPECT_EQ(r.error, "fit.pfc: record 8: NP = 100 lies outside the job limits 0 to 30");
}

TEST(ReadJob, CountsBeyondTheTablesAreRefusedBeforeReadingOn) {
  struct Case {
    std::string from, to, name;
    int record;
  };
  const Case cases[] = {
      {"400 600\n1\n", "400 600\n11\n", "NB = 11", 5},
      {"400 600\n1\n", "400 600\n-1\n", "NB = -1", 5},
      {"-0.5 0 0.1\n1\n", "-0.5 0 0.1\n31\n", "NP = 31", 8},
      {"0 0\n3\n", "0 0\n10001\n", "ND = 10001", 15},
  };
  for (const Case& c : cases) {
    Reading r;
    std::string job = kJob;
    job.replace(job.find(c.from), c.from.size(), c.to);
    EXPECT_FALSE(r.read(job)) << c.name;
    EXPECT_EQ(r.error, "fit.pfc: record " + std::to_string(c.record) + ": " + c.name +
                           " lies outside the job limits 0 to " +
                           (c.name[1] == 'B' ? "10" : c.name[1] == 'P' ? "30" : "10000"));
    // The echo stops at the count itself.
    EXPECT_EQ(static_cast<int>(lines(r.log.str()).size()), c.record) << c.name;
  }
  Reading r;
  std::string job = kJob;
  job.replace(job.find("0 0\n3\n"), 6, "0 0\n10000\n");
  EXPECT_FALSE(r.read(job));  // within the limit: fails only because the points run out
  EXPECT_EQ(r.error.find("lies outside"), std::string::npos);
}

TEST(ReadJob, BadNumbersAndEarlyEndNameFileAndRecord) {
  for (auto [from, to, record] : {std::tuple{"100 1 10\n", "100 x 10\n", 10},
                                  {"610 19\n", "", 18},
                                  {"1 10\n", "1.5 10\n", 2}}) {
    Reading r;
    std::string job = kJob;
    job.replace(job.find(from), std::string(from).size(), to);
    EXPECT_FALSE(r.read(job)) << from;
    EXPECT_EQ(r.error.rfind("fit.pfc: record " + std::to_string(record) + ":", 0), 0u)
        << r.error;
  }
  Reading r;
  EXPECT_FALSE(r.read(""));
  EXPECT_EQ(r.error.rfind("fit.pfc: record 1:", 0), 0u) << r.error;
}

// A job with n peaks at 100, 200, … and points 0…9 inside the range.
std::unique_ptr<Fit> jobWithPeaks(int n) {
  auto fit = std::make_unique<Fit>();
  Job& job = fit->job;
  job.title = "Title of more than thirty characters" + std::string(43, ' ');
  job.xLow = 0.0;
  job.xHigh = 9.0;
  job.b[0].value = 1.0;
  job.NP = n;
  for (int k = 0; k < n; ++k) {
    job.peak[k][Position].value = 100.0 * (k + 1);
    job.peak[k][CLorentz].value = 2.0;
    job.peak[k][FWHMLorentz].value = 1.0;
  }
  job.ND = 12;
  for (int i = 0; i < 12; ++i) {
    job.x[i] = i - 1;  // the first and last points lie outside
    job.y[i] = 2.0 * i;
  }
  evaluateModel(job, fit->tables);
  peakAreas(job, fit->tables);
  return fit;
}

TEST(SpectrumFile, PointLinesOnlyForOneToSixPeaks) {
  for (int n : {0, 1, 6, 7, 30}) {
    auto fit = jobWithPeaks(n);
    const auto l = lines(spectrumFile(fit->job, fit->tables));
    EXPECT_EQ(l[0], "Title of more than thirty char") << n;
    EXPECT_EQ(l[1], "          10") << n;
    EXPECT_EQ(l.size(), n >= 1 && n <= 6 ? 12u : 2u) << n;
    if (n >= 1 && n <= 6) {
      EXPECT_EQ(l[2].size(), 12u + 10u * (3 + n)) << n;
      EXPECT_EQ(l[2].substr(0, 32), "    0.000000    2.0000    1.0000");
    }
  }
}

TEST(SpectrumFile, ValuesTooWideForTheFieldBecomeAsterisks) {
  auto fit = jobWithPeaks(1);
  fit->job.y[3] = 123456.0;
  fit->job.y[4] = -10000.0;
  fit->job.y[5] = 99999.9999;
  const auto l = lines(spectrumFile(fit->job, fit->tables));
  EXPECT_EQ(l[4].substr(12, 10), "**********");
  EXPECT_EQ(l[5].substr(12, 10), "**********");
  EXPECT_EQ(l[6].substr(12, 10), "99999.9999");
}

TEST(RefinedJob, LayoutOfEveryRecord) {
  auto fit = jobWithPeaks(1);
  Job& job = fit->job;
  job.iPrt = 2;
  job.iPrtIntvl = 10;
  job.itmax = 20000;
  job.tolX = 0.0;
  job.tolF = 12346.0;
  job.NB = 1;
  job.b[0] = {1.0, 1, 0.25};
  job.b[1] = {-2.5e20, 0, 0.0};
  job.peak[0][CGauss] = {3.0, 1, 1e-7};
  job.S = 0.0;
  job.R = 2.5;
  const auto l = lines(refinedJobFile(job, fit->tables));
  ASSERT_EQ(l.size(), 1u + 1 + 1 + 1 + 1 + 2 + 1 + 5 + 1 + 1 + 12 + 1 + 1 + 1);
  EXPECT_EQ(l[0], job.title);
  EXPECT_EQ(l[1], "           2          10");
  EXPECT_EQ(l[2], "20000      0.0000E+00      0.1235E+05");
  EXPECT_EQ(l[3], "       0.0000000       9.0000000");
  EXPECT_EQ(l[4], "           1");
  EXPECT_EQ(l[5], "          1.000000000000000           1       0.250000000000000");
  EXPECT_EQ(l[6], "    -2.500000000000000E+020           0       0.000000000000000");
  EXPECT_EQ(l[7], "           1");
  EXPECT_EQ(l[8], "        100.0000000           0       0.000000000000000");
  EXPECT_EQ(l[9], "          3.0000000           1  1.000000000000000E-007");
  EXPECT_EQ(l[13], "    0.000000E+00     2.50000    ");
  EXPECT_EQ(l[14], "          12");
  EXPECT_EQ(l[15], "       -1.00000        0.000000E+00");
  EXPECT_EQ(l[27], "");
  EXPECT_EQ(l[28], "[Peak Area]");
  EXPECT_EQ(l[29], "           1     100.0000000       3.1415927");
  for (const auto& line : l) {
    EXPECT_LE(line.size(), 79u) << line;
    EXPECT_EQ(line.find('D'), std::string::npos) << line;
  }
}

TEST(RefinedJob, IterationLimitTooWideForItsFieldKeepsItsDigits) {
  auto fit = jobWithPeaks(1);
  fit->job.itmax = 250000;
  fit->job.tolX = fit->job.tolF = 1e-6;
  EXPECT_EQ(lines(refinedJobFile(fit->job, fit->tables))[2],
            "250000      0.1000E-05      0.1000E-05");
}

TEST(RefinedJob, ReadBackAsAJobReproducesIt) {
  auto fit = jobWithPeaks(3);
  Job& job = fit->job;
  job.iPrt = 1;
  job.iPrtIntvl = 7;
  job.itmax = 1234;
  job.tolX = 1e-5;
  job.tolF = 2e-7;
  job.NB = 2;
  job.b[0] = {101.123456789, 1, 3.0};
  job.b[1] = {-0.000123456789, 2, 0.0};
  job.b[2] = {7.25e9, 1, 1e-12};
  job.peak[1][FWHMGauss] = {3.14159265, 1, 0.5};
  job.S = 98765.4321;
  job.R = 1.23456789;
  const std::string text = refinedJobFile(job, fit->tables);

  Reading r;
  ASSERT_TRUE(r.read(text)) << r.error;
  const Job& back = r.fit->job;
  EXPECT_EQ(back.title, job.title);
  EXPECT_EQ(back.iPrt, 1);
  EXPECT_EQ(back.iPrtIntvl, 7);
  EXPECT_EQ(back.itmax, 1234);
  EXPECT_DOUBLE_EQ(back.tolX, 1e-5);
  EXPECT_DOUBLE_EQ(back.tolF, 2e-7);
  EXPECT_EQ(back.xLow, job.xLow);
  EXPECT_EQ(back.xHigh, job.xHigh);
  ASSERT_EQ(back.NB, 2);
  for (int j = 0; j <= 2; ++j) {
    EXPECT_NEAR(back.b[j].value, job.b[j].value, std::abs(job.b[j].value) * 1e-15) << j;
    EXPECT_EQ(back.b[j].flag, job.b[j].flag);
    EXPECT_NEAR(back.b[j].step, job.b[j].step, std::abs(job.b[j].step) * 1e-15) << j;
  }
  ASSERT_EQ(back.NP, 3);
  for (int k = 0; k < 3; ++k)
    for (int p = 0; p < kPeakParams; ++p) {
      EXPECT_NEAR(back.peak[k][p].value, job.peak[k][p].value,
                  std::abs(job.peak[k][p].value) * 1e-7);
      EXPECT_EQ(back.peak[k][p].flag, job.peak[k][p].flag);
      EXPECT_EQ(back.peak[k][p].step, job.peak[k][p].step);
    }
  EXPECT_NEAR(back.S, job.S, job.S * 1e-5);  // six significant digits
  EXPECT_NEAR(back.R, job.R, job.R * 1e-5);
  ASSERT_EQ(back.ND, job.ND);
  for (int i = 0; i < job.ND; ++i) {
    EXPECT_EQ(back.x[i], job.x[i]);
    EXPECT_EQ(back.y[i], job.y[i]);
  }
}

TEST(PeakAreaTable, HeaderRowsAndSharesAndItsZeroCases) {
  auto fit = jobWithPeaks(2);
  Job& job = fit->job;
  job.peak[0][CGauss] = {6.0, 1, 0.0};
  job.peak[0][FWHMGauss] = {4.0, 1, 0.0};  // C = 8, W = (24 + 2)/8 = 3.25
  peakAreas(job, fit->tables);
  const auto l = lines(peakAreaTable(job, fit->tables));
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[0], "");
  EXPECT_EQ(l[1], "[Peak Area]");
  EXPECT_EQ(l[2], " No. Pos.   C        FWHM       Area     Area(%)");
  const double A0 = 24 * 1.0644671 + 2 * 1.5707964, A1 = 2 * 1.5707964;
  EXPECT_EQ(l[3].substr(0, 5 + 14 * 3), "    1   100.000       8.00000       3.25000    ");
  EXPECT_NEAR(std::stod(l[3].substr(5 + 14 * 4, 14)), 100 * A0 / (A0 + A1), 1e-4);
  EXPECT_NEAR(std::stod(l[3].substr(5 + 14 * 3, 14)), A0, 1e-4);
  EXPECT_EQ(l[4].substr(0, 5), "    2");

  // Heights that add up to 0 and areas that add up to 0: width and share are written as 0.
  for (int k = 0; k < 2; ++k) {
    job.peak[k][CGauss].value = 0.0;
    job.peak[k][CLorentz].value = 0.0;
  }
  peakAreas(job, fit->tables);
  const auto z = lines(peakAreaTable(job, fit->tables));
  EXPECT_EQ(z[3], "    1   100.000      0.000000E+00  0.000000E+00  0.000000E+00  0.000000E+00");
}

}  // namespace
}  // namespace simplex
