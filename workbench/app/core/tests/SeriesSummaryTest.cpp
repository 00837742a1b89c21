#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "SeriesSummary.h"

namespace {

TEST(SeriesSummaryTest, NaturalOrderComparesNumbersInNames) {
  struct Case {
    const char* a;
    const char* b;
    bool less;
  } cases[] = {
      {"scan_9.xy", "scan_10.xy", true},  {"scan_10.xy", "scan_9.xy", false}, {"a/scan_2", "a/scan_02", false},
      {"a/scan_02", "a/scan_2", true},    {"s1_t10", "s1_t9", false},         {"s1_t9", "s2_t1", true},
      {"scan", "scan_1", true},           {"x", "x", false},
  };
  for (const Case& c : cases) EXPECT_EQ(NaturalLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

// Rows read back by the CSV splitter give the same doubles, quoted names intact, and a scan
// without peaks one row with the peak columns empty.
TEST(SeriesSummaryTest, RowsReadBackExactly) {
  CSeriesScan scan;
  scan.file = "in situ, \"hot\"/scan_1.txt";
  scan.scan = 3;
  scan.status = "converged";
  scan.cycles = 7;
  scan.s = 656019.0;
  scan.sigma = 7.333333333333333;
  CSeriesPeak p;
  p.peak = 1;
  p.position = 28.439912345678901;
  p.fwhm = 0.1;
  p.area = 1e-7;
  p.intensity = 5225.65;
  p.areaPercent = 100.0 / 3;
  p.positionErr = 9.08565e-05;
  scan.peaks = {p};
  std::vector<std::string> f;
  const std::string rows = FormatScanRows(scan);
  ASSERT_TRUE(SplitCsvRecord(rows.substr(0, rows.size() - 1), f));
  ASSERT_EQ(f.size(), static_cast<std::size_t>(kSeriesColumns));
  EXPECT_EQ(f[0], scan.file);
  EXPECT_EQ(std::strtod(f[kColPosition].c_str(), nullptr), p.position);
  EXPECT_EQ(std::strtod(f[11].c_str(), nullptr), p.areaPercent);
  EXPECT_EQ(std::strtod(f[5].c_str(), nullptr), *scan.sigma);
  EXPECT_EQ(f[kColFwhm], "0.1");
  EXPECT_EQ(f[13], "");

  CSeriesScan failed;
  failed.file = "b.txt";
  failed.scan = 4;
  failed.status = "failed: Calculation error";
  EXPECT_EQ(FormatScanRows(failed), "b.txt,4,failed: Calculation error,,,,,,,,,,,,\n");
}

// The peak rows of both fitters' reports, with the adaptive method's standard errors.
TEST(SeriesSummaryTest, PeakRowsOfBothReports) {
  const std::string zentrab =
      " Start cycle   6 S=   656019.     sigma=   7.33333    \n"
      " *** Standard errors of the optimized parameters ***\n"
      "   #  parameter                 value  standard error\n"
      "   1  position           28.4399      0.908565E-04\n"
      "   1  intensity          5225.65       12.1538    \n"
      "   1  Gaussian fwhm     0.107035      0.379037E-03\n"
      "\n"
      " *** Peak area: #   2Q       C          fwhm       I       I(rel)     I(%)***\n"
      "  1  28.440     5225.65       0.107   1037.73        10000.   30.2094\n"
      "  2  33.150     1726.89       0.125   404.886         3902.   11.7867\n";
  const std::vector<CSeriesPeak> z = ReadPeakRows(zentrab);
  ASSERT_EQ(z.size(), 2u);
  EXPECT_EQ(z[1].position, 33.15);
  EXPECT_EQ(z[1].area, 404.886);
  EXPECT_EQ(z[0].areaPercent, 30.2094);
  EXPECT_EQ(*z[0].positionErr, 0.908565e-4);
  EXPECT_NEAR(*z[0].areaErr, 1037.73 * hypot(12.1538 / 5225.65, 0.379037e-3 / 0.107), 1e-9);
  EXPECT_FALSE(z[1].positionErr);
  EXPECT_EQ(LastStartCycle(zentrab), 6);

  const std::string simplex =
      "[Peak Area]\n No. Pos.   C        FWHM       Area     Area(%)\n"
      "    1   1001.20       50.0000       10.0000       700.000       70.0000\n"
      "    2   1200.00       20.0000       12.0000       300.000       30.0000\n[Next]\n";
  const std::vector<CSeriesPeak> s = ReadPeakRows(simplex);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].position, 1001.2);
  EXPECT_EQ(s[1].areaPercent, 30.0);
  EXPECT_FALSE(LastStartCycle(simplex));
}

}  // namespace
