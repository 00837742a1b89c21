// Real instrument files, loaded through ReadDataFile. Every expectation comes from the notes
// kept beside the files; where those notes leave the outcome open the decision is stated here.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "DocTestSupport.h"
#include "PeakSearchDialog.h"
#include "Profile.h"

using doctest::DocTest;
namespace fs = std::filesystem;

namespace {

const char* const kIrX = "Wave number / cm-1";
const char* const kIrY = "Transmittance / %";
const char* const kXrdX = "Diffraction angle 2Theta / deg.";
const char* const kTxtX = "CuKa 2Theta";
const char* const kTxtY = "Diffraction intensity";

struct RealCase {
  std::string file;
  std::string copyAs;  // non-empty: loaded from a scratch copy with this name
  int result;          // ReadDataFile result
  std::string suffix;
  std::string xLabel, yLabel;
  int kind;
  int points;
  double x0, y0, x1, y1;  // first and last point (when points > 0)
  std::string label;      // "<path>" stands for the path loaded
};

std::string WithoutLineEnd(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

void ExpectNear(double got, double want) { EXPECT_NEAR(got, want, 1e-9 * std::max(1.0, std::fabs(want))); }

// n points from (x0, y0) to (x1, y1).
void ExpectEnds(const CGraphData& d, int n, double x0, double y0, double x1, double y1) {
  ASSERT_EQ(d.datan, n);
  if (n < 1) return;
  ExpectNear(d.GetX(0), x0);
  ExpectNear(d.GetY(0), y0);
  ExpectNear(d.GetX(n - 1), x1);
  ExpectNear(d.GetY(n - 1), y1);
}

class RealDataTest : public DocTest {
 protected:
  void SetUp() override {
    DocTest::SetUp();
    realdata = BALIMOR_REALDATA_DIR;
    if (!fs::is_directory(realdata)) GTEST_SKIP() << "real data folder absent: " << realdata;
  }

  void Check(const RealCase& c) {
    SCOPED_TRACE(c.file + (c.copyAs.empty() ? "" : " as " + c.copyAs));
    std::string path = (realdata / c.file).string();
    if (!c.copyAs.empty()) {
      const fs::path copy = dir / c.copyAs;
      fs::copy_file(path, copy, fs::copy_options::overwrite_existing);
      path = copy.string();
    }
    CBalimorDoc doc(platform, ini);
    ASSERT_NE(ExpectLoad(doc, path, c.result, c.suffix, c.xLabel, c.yLabel, c.kind), nullptr);
    const CVariousData& d = *doc.GetOriginalData();
    ExpectEnds(d, c.points, c.x0, c.y0, c.x1, c.y1);
    if (HasFatalFailure()) return;
    EXPECT_EQ(WithoutLineEnd(d.label), c.label == "<path>" ? path : c.label);
    // No real file asks for a section or shows a message (the sectioned one has one section).
    EXPECT_TRUE(platform.choices.empty());
    EXPECT_TRUE(platform.messages.empty());
  }

  fs::path realdata;
};

}  // namespace

TEST_F(RealDataTest, DiffractionFiles) {
  const RealCase cases[] = {
      {"ras_smartlab_2theta.ras", "", 0, "(SmartLab RAS Data)", "Angle / deg", "Intensity", 2, 1401,
       2, 7994, 30, 1150, "\" \""},
      {"ras_smartlab_omega.ras", "", 0, "(SmartLab RAS Data)", "Angle / deg", "Intensity", 2, 601,
       15.1267, 227.8285, 16.3267, 222.832, "\" \""},
      // A diffraction scan under ".asc": the "*TYPE" line sends it to the sectioned reader, and
      // the extension titles it as IR data.
      {"asc_rigaku_sectioned.asc", "", 0, "(IR Data)", kIrX, kIrY, 2, 7601, 4, 767, 80, 570,
       "  JC170705CuPcAuCrSi5"},
      {"asc_rigaku_sectioned.asc", "sectioned.xrd", 0, "(XRD Data)", kXrdX, "Intensity", 1, 7601, 4, 767,
       80, 570, "  JC170705CuPcAuCrSi5"},
      {"xrf_rigaku_65sep.csv", "", 0, "(Rigaku XRF Data)", "Theta / degree", "Signale", 1, 6575, 5,
       0.00629, 50.56, 0.02749, ""},
      {"rietan_cu3fe4p6.int", "", 0, "(Rietan INT Data)", "2Theta", "Diffraction Intensity", 1, 10000,
       10, 9104, 109.99, 5860, "<path>"},
      // Open cases: the GENERAL form of an INT file is read as its X Y pairs; the Igor and GSAS
      // forms, whose header line after the comments is not "n start step", are refused, and the
      // labels and kind of the row stay, as they are set before the read.
      {"rietan_fapatite_general.int", "", 0, "(Rietan INT Data)", "2Theta", "Diffraction Intensity", 1,
       5751, 15, 609, 130, 84, "<path>"},
      {"rietan_baso4_igor.int", "", -1, "(Invalid Data)", "2Theta", "Diffraction Intensity", 1, 0, 0, 0,
       0, 0, "<path>"},
      {"rietan_tl2223_gsas.int", "", -1, "(Invalid Data)", "2Theta", "Diffraction Intensity", 1, 0, 0,
       0, 0, 0, "<path>"},
      // The GENERAL form copied to a ".txt" name is read by the first reader of the chain.
      {"rietan_fapatite_general.int", "fapatite.txt", 0, "(XRD Data)", kTxtX, kTxtY, 1, 5751, 15, 609,
       130, 84, "<path>"},
  };
  for (const RealCase& c : cases) Check(c);
}

TEST_F(RealDataTest, RefusedBinaryAndForeignFiles) {
  // Row 18 sets its labels and kind only on success; row 13 sets them before the read.
  const RealCase cases[] = {
      {"rint2000_binary.raw", "", -1, "(Invalid Data)", kIrX, kIrY, 0, 0, 0, 0, 0, 0, ""},
      {"omicron_xps.1", "", -1, "(Invalid Data)", kXrdX, "Intensity", 1, 0, 0, 0, 0, 0, ""},
      {"rasx_smartlab_zip.rasx", "", -1, "(Invalid Data)", kIrX, kIrY, 0, 0, 0, 0, 0, 0, ""},
      {"ill_d1a5_neutron.dat", "", -1, "(Invalid Data)", kIrX, kIrY, 0, 0, 0, 0, 0, 0, ""},
      {"jcamp_pe1800.dx", "", -1, "(Invalid Data)", kIrX, kIrY, 0, 0, 0, 0, 0, 0, ""},
      {"jcamp_labcalc.dx", "", -1, "(Invalid Data)", kIrX, kIrY, 0, 0, 0, 0, 0, 0, ""},
      {"jcamp_pe_ir_br1.dx", "", -1, "(Invalid Data)", kIrX, kIrY, 0, 0, 0, 0, 0, 0, ""},
      {"jcamp_nist_acetone.jdx", "", -1, "(Invalid Data)", kIrX, kIrY, 0, 0, 0, 0, 0, 0, ""},
      // A PE fluorescence file named ".asc" matches none of the three first-line forms.
      {"pe_fl_ls50b.txt", "pe_fl.asc", -1, "(Invalid Data)", kIrX, kIrY, 0, 0, 0, 0, 0, 0, ""},
  };
  for (const RealCase& c : cases) Check(c);
}

TEST_F(RealDataTest, TextFilesThroughTheTxtChain) {
  // None of these has a header the first three readers know: the count comes from line 3.
  const RealCase cases[] = {
      {"pe_fl_ls50b.txt", "", 0, "(XRD Data)", kTxtX, kTxtY, 1, 0, 0, 0, 0, 0, ""},
      {"raman_bd1469.txt", "", 0, "(XRD Data)", kTxtX, kTxtY, 1, 26, 27.147465, 927.7243, 44.53241,
       1106.125, ""},
      {"raman_labspec_r145.txt", "", 0, "(XRD Data)", kTxtX, kTxtY, 1, 1013, 1343.974609, 9742.998047,
       92.720703, 40866.199219, ""},
      {"raman_jasco_ls4.txt", "", 0, "(XRD Data)", kTxtX, kTxtY, 1, 0, 0, 0, 0, 0, ""},
      {"xy_mnpc_tab.txt", "", 0, "(XRD Data)", kTxtX, kTxtY, 1, 1, 1.06, 3053.3333, 1.06, 3053.3333, ""},
      {"xy_xylib_crlf.txt", "", 0, "(XRD Data)", kTxtX, kTxtY, 1, 20, 20.06, 42, 20.44, 41, ""},
  };
  for (const RealCase& c : cases) Check(c);
}

TEST_F(RealDataTest, TextFilesRenamedDat) {
  const char* const kRamanY = "Raman intensity";
  const RealCase cases[] = {
      {"raman_bd1469.txt", "bd1469.dat", 0, "(Raman Data)", kIrX, kRamanY, 2, 2122, 25.061272, 920.29248,
       1500, 305.86581, ""},
      {"xy_mnpc_tab.txt", "mnpc.dat", 0, "(Raman Data)", kIrX, kRamanY, 2, 2201, 1, 5711.6667, 45, 437.5,
       ""},
      {"xy_xylib_crlf.txt", "xylib.dat", 0, "(Raman Data)", kIrX, kRamanY, 2, 4001, 20, 49, 100, 29, ""},
      {"raman_labspec_r145.txt", "r145.dat", -1, "(Invalid Data)", kIrX, kIrY, 0, 0, 0, 0, 0, 0, ""},
      {"raman_jasco_ls4.txt", "ls4.dat", -1, "(Invalid Data)", kIrX, kIrY, 0, 0, 0, 0, 0, 0, ""},
  };
  for (const RealCase& c : cases) Check(c);
}

TEST_F(RealDataTest, FluorescenceFileAsPeIr) {
  // The PE FL file has the PE IR layout; with its first words changed it reads as PE IR text.
  std::string text = Slurp((realdata / "pe_fl_ls50b.txt").string());
  ASSERT_EQ(text.substr(0, 5), "PE FL");
  text.replace(0, 5, "PE IR");
  const std::string path = Write("pe_ir.asc", text);
  CBalimorDoc doc(platform, ini);
  EXPECT_EQ(doc.ReadDataFile(path), 0);
  EXPECT_EQ(doc.GetPathName(), path + " (IR Data)");
  const CVariousData& d = *doc.GetOriginalData();
  ExpectEnds(d, 181, 405, 27.15, 495, 45.256333);
}

TEST_F(RealDataTest, RietanCommandReadsTheRealIntFile) {
  // The direct command reads the INT files as the loader does; the GSAS form is refused.
  const std::string good = (realdata / "rietan_cu3fe4p6.int").string();
  const std::string general = (realdata / "rietan_fapatite_general.int").string();
  const std::string gsas = (realdata / "rietan_tl2223_gsas.int").string();
  platform.fileAnswers = {good, general, gsas};
  CBalimorDoc doc(platform, ini);
  doc.OnReadRietanFiles();
  EXPECT_EQ(doc.GetPathName(), good + " (Rietan INT Data)");
  EXPECT_EQ(doc.GetDataKind(), DataKind::Diffraction);
  const CVariousData& d = *doc.GetOriginalData();
  ExpectEnds(d, 10000, 10, 9104, 109.99, 5860);
  EXPECT_EQ(profile::GetString("Preferences", "RietanDataDir", "", ini), realdata.string());
  doc.OnReadRietanFiles();
  EXPECT_EQ(doc.GetPathName(), general + " (Rietan INT Data)");
  EXPECT_EQ(doc.GetOriginalData()->datan, 5751);
  doc.OnReadRietanFiles();
  EXPECT_EQ(doc.GetPathName(), gsas + " (Invalid Data)");
}

// The prominence search on the real diffraction scans, peak for peak against a plain
// reference: every local maximum (a flat top at its middle) whose prominence, found by walking
// out to higher ground on each side, exceeds 5√y at its summit, the strongest first, each one
// within two steps of the Kα2 angle of a stronger kept one dropped. The slope search on the
// same scans lists no point twice and no end of the curve.
TEST_F(RealDataTest, ProminenceSearchOnDiffractionScans) {
  const char* const files[] = {"ras_smartlab_2theta.ras", "ras_smartlab_omega.ras", "asc_rigaku_sectioned.asc",
                               "rietan_cu3fe4p6.int", "rietan_fapatite_general.int"};
  constexpr double kDeg = 0.01745329251944;
  for (const char* file : files) {
    SCOPED_TRACE(file);
    CBalimorDoc doc(platform, ini);
    ASSERT_GE(doc.ReadDataFile((realdata / file).string()), 0);
    const CGraphData& d = *doc.GetOriginalData();
    const int n = d.datan;
    std::vector<double> x(n), y(n);
    for (int i = 0; i < n; ++i) {
      x[i] = d.ScaledX(i);
      y[i] = d.ScaledY(i);
    }
    struct Peak {
      int i;
      double y;
    };
    std::vector<Peak> candidates;
    for (int a = 1; a + 1 < n; ++a) {
      if (!(y[a] > y[a - 1])) continue;
      int b = a;
      while (b + 1 < n && y[b + 1] == y[a]) ++b;
      if (b + 1 < n && y[b + 1] < y[a]) {
        const int p = a + (b - a) / 2;
        double left = y[p], right = y[p];
        for (int k = p - 1; k >= 0 && y[k] <= y[p]; --k) left = std::min(left, y[k]);
        for (int k = p + 1; k < n && y[k] <= y[p]; ++k) right = std::min(right, y[k]);
        const double prominence = y[p] - std::max(left, right);
        if (prominence > 1 && prominence > 5 * std::sqrt(y[p])) candidates.push_back({p, y[p]});
      }
      a = b;
    }
    CPeakSearch job;  // the wavelengths of a new job
    std::stable_sort(candidates.begin(), candidates.end(), [](const Peak& u, const Peak& v) { return u.y > v.y; });
    std::vector<int> kept;
    for (const Peak& c : candidates) {
      const double step = std::fabs(x[c.i + 1] - x[c.i - 1]) / 2;
      bool partner = false;
      for (int k : kept) {
        const double arg = job.ramda2 / job.ramda1 * std::sin(x[k] / 2 * kDeg);
        partner = partner || (std::fabs(arg) <= 1 && std::fabs(x[c.i] - 2 * std::asin(arg) / kDeg) <= 2 * step);
      }
      if (!partner) kept.push_back(c.i);
    }
    std::sort(kept.begin(), kept.end());

    CPeakSearch r;
    r.dataKind = DataKind::Diffraction;
    r.calcLow = d.XMin;
    r.calcHigh = d.XMax;
    std::vector<std::string> lines;
    double base;
    const int count = SearchPeaksByProminence(d, r, 1, 5, lines, base);
    ASSERT_EQ(count, static_cast<int>(std::min<std::size_t>(kept.size(), CPeakSearch::kPeakCapacity - 1)));
    for (int j = 0; j < count; ++j) EXPECT_DOUBLE_EQ(r.Value(CPeakSearch::kPosition, j), x[kept[j]]) << j;
    std::printf("[ prominence ] %s: %d peaks listed, %zu in the reference\n", file, count, kept.size());

    lines.clear();
    SearchPeaks(d, r, 5, 100, lines, base);
    std::set<double> seen;
    for (int j = 0; j < r.peakCount; ++j) {
      const double p = r.Value(CPeakSearch::kPosition, j);
      EXPECT_TRUE(seen.insert(p).second) << "twice: " << p;
      EXPECT_TRUE(p != x.front() && p != x.back()) << p;
    }
  }
}
