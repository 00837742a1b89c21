// The peak search on spectra with known peaks, the width estimate, and the dialog's record.
#include <cmath>

#include "DocTestSupport.h"
#include "IniKeys.h"
#include "PeakSearchDialog.h"

namespace doctest {
namespace {

using C = CPeakSearch;

// A curve at x = 0, 1, 2, ... with the given values.
void SetCurve(CGraphData& c, const std::vector<double>& y) {
  c.SetSize(static_cast<int>(y.size()));
  for (std::size_t i = 0; i < y.size(); ++i) {
    c.SetX(static_cast<int>(i), static_cast<double>(i));
    c.SetY(static_cast<int>(i), y[i]);
  }
  c.UpdateRange();
}

// Lorentzian peaks of height h and fwhm w on a flat base of 10.
std::vector<double> Peaks(int n, const std::vector<std::array<double, 3>>& peaks) {
  std::vector<double> y(static_cast<std::size_t>(n), 10.0);
  for (int i = 0; i < n; ++i)
    for (const auto& [x0, h, w] : peaks) y[static_cast<std::size_t>(i)] += h / (1 + 4 * (i - x0) * (i - x0) / (w * w));
  return y;
}

struct Found {
  int count;
  std::vector<std::string> lines;
  double base;
};

Found Search(const CGraphData& c, CPeakSearch& r, int nS, double threshold) {
  Found f;
  f.count = SearchPeaks(c, r, nS, threshold, f.lines, f.base);
  return f;
}

TEST(PeakSearch, FindsKnownPeaksWithTheirListLines) {
  CGraphData c;
  SetCurve(c, Peaks(400, {{100, 500, 8}, {250, 300, 12}, {330, 50, 6}}));
  CPeakSearch r;
  r.calcLow = 0;
  r.calcHigh = 399;
  const Found f = Search(c, r, 5, 100);
  ASSERT_EQ(f.count, 2);  // the third peak stands below the threshold
  EXPECT_DOUBLE_EQ(f.base, c.GetY(399));  // the lowest point of the output range
  ASSERT_EQ(f.lines.size(), 3u);
  EXPECT_EQ(f.lines[0], "No.  2Theta    I    fwhhm");
  char expect[64];
  std::snprintf(expect, sizeof expect, "%3ld:%7.3f %6.0f %7.3f", 0L, 100.0, r.Value(C::kCTotal, 0), 8.0);
  EXPECT_EQ(f.lines[1], expect);
  EXPECT_DOUBLE_EQ(r.Value(C::kPosition, 1), 250);
  EXPECT_NEAR(r.Value(C::kCTotal, 0), 500 + 10 - f.base, 1);
  // Added with Gauss fraction 0.5, rfwhm 1 and the width as Lorentzian fwhm.
  EXPECT_DOUBLE_EQ(r.Value(C::kGaussFraction, 0), 0.5);
  EXPECT_DOUBLE_EQ(r.Value(C::kFWHMGLRatio, 0), 1.0);
  EXPECT_DOUBLE_EQ(r.Value(C::kFWHMLorentz, 1), 12);
  // The search clears the record first.
  EXPECT_EQ(Search(c, r, 5, 100).count, 2);
}

TEST(PeakSearch, EdgeCasesOfTheSlopeWalk) {
  CPeakSearch r;
  r.calcLow = -1e9;
  r.calcHigh = 1e9;
  CGraphData c;

  // A flat top is placed in the middle of its plateau.
  std::vector<double> plateau(60, 0.0);
  for (int i = 20; i <= 40; ++i) plateau[static_cast<std::size_t>(i)] = i < 25 ? (i - 19) * 100.0 : 500.0;
  for (int i = 36; i <= 40; ++i) plateau[static_cast<std::size_t>(i)] = (41 - i) * 100.0;
  SetCurve(c, plateau);
  Found f = Search(c, r, 2, 50);
  ASSERT_EQ(f.count, 1);
  EXPECT_NEAR(r.Value(C::kPosition, 0), 30, 1.0);

  // Two peaks closer than nS points: the second is skipped.
  SetCurve(c, Peaks(200, {{100, 500, 3}, {104, 400, 3}}));
  EXPECT_EQ(Search(c, r, 5, 50).count, 1);
  EXPECT_EQ(Search(c, r, 1, 50).count, 2);

  // nSmooth 0 or below is used as 4, a threshold of 0 or below as 20.
  SetCurve(c, Peaks(200, {{100, 15, 6}, {150, 25, 6}}));
  EXPECT_EQ(Search(c, r, 0, 0).count, 1);
  EXPECT_EQ(Search(c, r, 4, 20).count, 1);
  EXPECT_EQ(Search(c, r, 4, 10).count, 2);

  // At most 2 nS points: the header alone.
  SetCurve(c, {1, 2, 900, 2, 1, 0, 0, 0, 0, 0});
  f = Search(c, r, 5, 1);
  EXPECT_EQ(f.count, 0);
  EXPECT_EQ(f.lines.size(), 1u);

  // A top outside the output range is not added, however high.
  SetCurve(c, Peaks(200, {{50, 500, 6}, {150, 500, 6}}));
  r.calcLow = 0;
  r.calcHigh = 100;
  f = Search(c, r, 5, 100);
  ASSERT_EQ(f.count, 1);
  EXPECT_DOUBLE_EQ(r.Value(C::kPosition, 0), 50);
}

TEST(PeakSearch, PeakWidthCases) {
  struct Case {
    const char* what;
    std::vector<double> y;
    int p;
    double base, width;
  };
  const Case cases[] = {
      {"never below half height: 0.1", {10, 10, 10}, 1, 0, 0.1},
      {"left side falls below half first", {0, 4, 6, 10, 8, 7}, 3, 0, 2 * 2},
      {"right side falls below half first", {6, 7, 10, 4, 0}, 2, 0, 2 * 1},
      {"a higher point on the left", {12, 8, 10, 9, 8}, 2, 0, 2},
      {"a higher point on the right", {8, 9, 10, 8, 11}, 2, 0, 2},
      {"half height measured over the base", {5, 7, 10, 7, 5}, 2, 4, 4},
  };
  CGraphData c;
  for (const Case& k : cases) {
    SetCurve(c, k.y);
    EXPECT_DOUBLE_EQ(PeakWidth(c, k.p, k.base), k.width) << k.what;
  }
}

class PeakSearchDialogTest : public DocTest {};

TEST_F(PeakSearchDialogTest, SearchTwiceThenOkAddsOnceAndSaves) {
  CIniFile file(ini);
  CGraphData c;
  SetCurve(c, Peaks(300, {{80, 400, 8}, {200, 300, 8}}));
  CPeakSearch record;
  record.AddPeak(5, 1, 0.5, 1, 1);  // already in the table
  record.calcLow = 0;
  record.calcHigh = 299;
  CPeakSearchDialog dialog(file, c, record, "");
  EXPECT_EQ(dialog.nSmooth, 5);
  EXPECT_DOUBLE_EQ(dialog.threshold, 100);
  dialog.OnSearch();
  dialog.nSmooth = 3;
  dialog.threshold = 250;
  dialog.OnSearch();
  EXPECT_EQ(dialog.list.size(), 3u);
  dialog.OnOK();
  EXPECT_EQ(record.peakCount, 3);
  EXPECT_DOUBLE_EQ(record.Value(C::kPosition, 1), 80);
  EXPECT_EQ(file.GetInt(ini::kNSmooth), 3);
  EXPECT_EQ(file.GetString(ini::kThreshold), "250");

  // Cancel adds and saves nothing.
  CPeakSearchDialog again(file, c, record, "");
  again.threshold = 1;
  again.OnSearch();
  again.OnCancel();
  EXPECT_EQ(record.peakCount, 3);
  EXPECT_EQ(file.GetString(ini::kThreshold), "250");
  // An empty Threshold setting gives the default.
  file.WriteString(ini::kThreshold, "");
  EXPECT_DOUBLE_EQ(CPeakSearchDialog(file, c, record, "").threshold, 100);
}

}  // namespace
}  // namespace doctest
