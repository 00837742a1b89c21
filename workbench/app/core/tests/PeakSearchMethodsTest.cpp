// The slope search's mends (no end point, no point twice, a full table said so), the
// prominence search, both on X that runs downwards, the model curves and the diffraction job on
// such data, and the dialog's method, noise factor and "Replace current peaks".
#include <cmath>
#include <set>

#include "DocTestSupport.h"
#include "IniKeys.h"
#include "PeakSearchDialog.h"

namespace doctest {
namespace {

using C = CPeakSearch;

// A curve with the given X and Y.
void SetCurve(CGraphData& c, const std::vector<double>& x, const std::vector<double>& y) {
  c.SetSize(static_cast<int>(y.size()));
  for (std::size_t i = 0; i < y.size(); ++i) {
    c.SetX(static_cast<int>(i), x[i]);
    c.SetY(static_cast<int>(i), y[i]);
  }
  c.UpdateRange();
}

// x from x0 in steps of dx; y = base + Σ Lorentzian lines (centre, height, fwhm) + noise·u,
// u a deterministic sequence in −1 … 1.
struct Spectrum {
  std::vector<double> x, y;
};
Spectrum Make(int n, double x0, double dx, double base, const std::vector<std::array<double, 3>>& lines,
              double noise = 0) {
  Spectrum s;
  unsigned v = 12345;
  for (int i = 0; i < n; ++i) {
    const double x = x0 + i * dx;
    double y = base;
    for (const auto& [c, h, w] : lines) y += h / (1 + 4 * (x - c) * (x - c) / (w * w));
    v = v * 1103515245u + 12345u;
    y += noise * (static_cast<double>((v >> 8) % 2001) / 1000.0 - 1.0);
    s.x.push_back(x);
    s.y.push_back(y);
  }
  return s;
}

struct Result {
  int count;
  std::vector<std::string> lines;
  std::vector<double> positions, widths;
};

Result Search(const Spectrum& sp, PeakSearchMethod m, DataKind kind, double threshold, bool reversed = false) {
  Spectrum s = sp;
  if (reversed) {
    std::reverse(s.x.begin(), s.x.end());
    std::reverse(s.y.begin(), s.y.end());
  }
  CGraphData c;
  SetCurve(c, s.x, s.y);
  CPeakSearch r;
  r.dataKind = kind;
  // The range from high to low when X runs downwards.
  r.calcLow = s.x.front();
  r.calcHigh = s.x.back();
  Result out;
  double base;
  out.count = m == PeakSearchMethod::Slope ? SearchPeaks(c, r, 5, threshold, out.lines, base)
                                           : SearchPeaksByProminence(c, r, threshold, 5, out.lines, base);
  for (int i = 0; i < r.peakCount; ++i) {
    out.positions.push_back(r.Value(C::kPosition, i));
    out.widths.push_back(r.Value(C::kFWHMLorentz, i));
  }
  return out;
}

const PeakSearchMethod kBoth[] = {PeakSearchMethod::Slope, PeakSearchMethod::Prominence};

TEST(PeakSearchMends, NoEndPointNoPointTwicePositiveWidthsEitherWay) {
  // A scan that starts at its highest point, noise on a slope and a few real lines.
  Spectrum s = Make(3000, 2, 0.01, 100, {{8, 4000, 0.1}, {15, 900, 0.2}, {22, 300, 0.15}}, 40);
  for (std::size_t i = 0; i < s.y.size(); ++i) s.y[i] += 6000 * std::exp(-static_cast<double>(i) / 40.0);
  for (PeakSearchMethod m : kBoth) {
    for (bool reversed : {false, true}) {
      SCOPED_TRACE(std::string(PeakSearchMethodName(m)) + (reversed ? " descending" : " ascending"));
      const Result r = Search(s, m, DataKind::Spectroscopic, 50, reversed);
      ASSERT_GE(r.count, 3);
      EXPECT_EQ(std::set<double>(r.positions.begin(), r.positions.end()).size(), r.positions.size());
      for (double p : r.positions) EXPECT_TRUE(p != s.x.front() && p != s.x.back()) << p;
      for (double w : r.widths) EXPECT_GT(w, 0);
      // The prominence search, which looks at both sides alike, finds the same peaks whichever
      // way X runs.
      if (m == PeakSearchMethod::Slope) continue;
      const Result a = Search(s, m, DataKind::Spectroscopic, 50, !reversed);
      EXPECT_EQ(std::set<double>(a.positions.begin(), a.positions.end()),
                std::set<double>(r.positions.begin(), r.positions.end()));
    }
  }
}

TEST(PeakSearchMends, AFullTableEndsTheListWithItsLine) {
  std::vector<std::array<double, 3>> lines;
  for (int k = 0; k < 120; ++k) lines.push_back({10.0 + k, 500, 0.2});
  const Spectrum s = Make(13000, 5, 0.01, 10, lines);
  for (PeakSearchMethod m : kBoth) {
    const Result r = Search(s, m, DataKind::Spectroscopic, 100);
    EXPECT_EQ(r.count, C::kPeakCapacity - 1) << PeakSearchMethodName(m);
    EXPECT_EQ(r.lines.back(), "Peak table full: 99 peaks; raise the threshold");
    EXPECT_EQ(r.lines.size(), 1u + 99u + 1u);
  }
}

TEST(ProminenceSearch, NoiseKa2AndProminenceCases) {
  CPeakSearch cu;  // the Kα2 angle of a Kα1 line at 40°, from the record's wavelengths
  const double p2 = 2 / 0.01745329251944 * std::asin(cu.ramda2 / cu.ramda1 * std::sin(20 * 0.01745329251944));
  struct Case {
    const char* what;
    Spectrum s;
    DataKind kind;
    double threshold;
    std::vector<double> want;  // positions (to two steps, the noise moves a summit; −1 any)
  };
  const Case cases[] = {
      // σ of uniform noise of ±30 is 17: 5σ ≈ 87 keeps the 400 line and drops the 20 line and
      // every ripple, though all stand far above the threshold over the lowest point.
      {"noise of a spectrum from its second differences",
       Make(2000, 100, 1, 1000, {{600, 400, 8}, {1400, 20, 8}}, 30), DataKind::Spectroscopic, 20, {600}},
      // Counts: √1e4 = 100, so a line of 300 on a background of 10000 is noise, one of 3000 not.
      {"count data against the root of the counts",
       Make(2000, 10, 0.01, 10000, {{20, 3000, 0.1}, {25, 300, 0.1}}), DataKind::Diffraction, 20, {20}},
      // The Kα2 line of a doublet is held by the diffraction model; as Raman data it is a line.
      {"a Kα2 partner left out for diffraction data",
       Make(4000, 30, 0.005, 50, {{40, 8000, 0.03}, {p2, 4000, 0.03}}), DataKind::Diffraction, 20, {40}},
      {"the same two lines as spectroscopic data",
       Make(4000, 30, 0.005, 50, {{40, 8000, 0.03}, {p2, 4000, 0.03}}), DataKind::Spectroscopic, 20, {40, -1}},
      // A shoulder on a high line: its height over the lowest point is large, its prominence
      // (over the dip before the main line) small.
      {"the threshold counts the prominence, not the height",
       Make(1000, 0, 1, 0, {{500, 5000, 40}, {580, 60, 4}}), DataKind::Spectroscopic, 100, {500}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const Result r = Search(k.s, PeakSearchMethod::Prominence, k.kind, k.threshold);
    ASSERT_EQ(r.positions.size(), k.want.size()) << ::testing::PrintToString(r.lines);
    for (std::size_t i = 0; i < k.want.size(); ++i) {
      if (k.want[i] >= 0) {
        EXPECT_NEAR(r.positions[i], k.want[i], 2 * (k.s.x[1] - k.s.x[0]));
      }
    }
    EXPECT_EQ(r.lines.front(), "No.  2Theta    I    fwhhm");
  }
  // The slope search on the first spectrum lists ripples of the noise.
  EXPECT_GT(Search(cases[0].s, PeakSearchMethod::Slope, DataKind::Spectroscopic, 20).count, 5);
}

class DescendingX : public DocTest {};

// The model curves of data whose X run downwards are those of the same data ascending, point
// for point reversed; the diffraction job of either holds the same text, its points ascending.
TEST_F(DescendingX, ModelCurvesAndTheDiffractionJob) {
  const Spectrum up = Make(800, 20, 0.05, 5, {{31, 100, 0.3}});
  CGraphData a, d;
  SetCurve(a, up.x, up.y);
  SetCurve(d, {up.x.rbegin(), up.x.rend()}, {up.y.rbegin(), up.y.rend()});
  for (DataKind kind : {DataKind::Diffraction, DataKind::Spectroscopic}) {
    SCOPED_TRACE(DataKindNumber(kind));
    CPeakSearch ra, rd;
    std::string job[2];
    for (CPeakSearch* r : {&ra, &rd}) {
      r->dataKind = kind;
      r->dataSet = r == &ra ? &a : &d;
      r->ramanProgram = "simplexfit";
      r->AddPeak(31, 1000, 0.4, 1.2, 0.5);
      r->AddPeak(45.5, 300, 0.7, 0.8, 1.1);
      ASSERT_EQ(r->MakeModelCurves(800), 1);
      const std::string path = (dir / "job.pfc").string();
      if (kind != DataKind::Diffraction) continue;
      ASSERT_EQ(r->SavePFCFile(path), 1);
      std::ifstream in(path);
      job[r == &ra ? 0 : 1].assign(std::istreambuf_iterator<char>(in), {});
    }
    EXPECT_EQ(job[1], job[0]);
    for (int i = 0; i < 800; ++i) {
      EXPECT_DOUBLE_EQ(rd.totalCurve.GetY(799 - i), ra.totalCurve.GetY(i)) << i;
      EXPECT_DOUBLE_EQ(rd.PeakCurve(1)->GetY(799 - i), ra.PeakCurve(1)->GetY(i)) << i;
    }
    EXPECT_GT(ra.totalCurve.YMax, 900);
  }
}

class PeakSearchSettingsTest : public DocTest {};

TEST_F(PeakSearchSettingsTest, MethodNoiseFactorAndReplace) {
  CIniFile file(ini);
  CGraphData c;
  const Spectrum s = Make(300, 0, 1, 10, {{80, 400, 8}, {200, 300, 8}});
  SetCurve(c, s.x, s.y);
  CPeakSearch record;
  record.dataKind = DataKind::Spectroscopic;
  record.calcLow = 0;
  record.calcHigh = 299;
  record.b[0] = 7;
  record.AddPeak(5, 1, 0.5, 1, 1);
  {
    CPeakSearchDialog dialog(file, c, record, "");
    EXPECT_EQ(dialog.method, PeakSearchMethod::Slope);  // the defaults
    EXPECT_DOUBLE_EQ(dialog.noiseFactor, 5);
    EXPECT_FALSE(dialog.replacePeaks);
    dialog.method = PeakSearchMethod::Prominence;
    dialog.noiseFactor = 3;
    dialog.replacePeaks = true;
    dialog.OnSearch();
    EXPECT_EQ(dialog.found.peakCount, 2);
    dialog.OnOK();
  }
  // The peaks in place of the table's, the background kept; the settings remembered.
  ASSERT_EQ(record.peakCount, 2);
  EXPECT_DOUBLE_EQ(record.Value(C::kPosition, 0), 80);
  EXPECT_DOUBLE_EQ(record.b[0], 7);
  EXPECT_EQ(file.GetString(ini::kSearchMethod), "Prominence");
  EXPECT_EQ(file.GetString(ini::kNoiseFactor), "3");
  EXPECT_EQ(file.GetString(ini::kReplacePeaks), "1");
  CPeakSearchDialog again(file, c, record, "");
  EXPECT_EQ(again.method, PeakSearchMethod::Prominence);
  EXPECT_TRUE(again.replacePeaks);
  // Without the switch the peaks are appended.
  again.replacePeaks = false;
  again.OnSearch();
  again.OnOK();
  EXPECT_EQ(record.peakCount, 4);
  EXPECT_EQ(PeakSearchMethodOf("prominence"), PeakSearchMethod::Prominence);
  EXPECT_EQ(PeakSearchMethodOf("other"), PeakSearchMethod::Slope);
}

}  // namespace
}  // namespace doctest
