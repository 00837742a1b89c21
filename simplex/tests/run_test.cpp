// The built program, run in a temporary directory on jobs written the way the workbench
// writes them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "testutil.h"

namespace fs = std::filesystem;

namespace {

using simplex::test::lines;
using simplex::test::slurp;

struct Peak {
  double pos, cg, wg, cl, wl;
};

double model(double x, double b0, double b1, double c, double h, const std::vector<Peak>& peaks) {
  double y = b0 + b1 * (x - c) / h;
  for (const Peak& p : peaks) {
    const double d = x - p.pos;
    y += p.cg * std::exp(-2.7725887 * (d / p.wg) * (d / p.wg)) + p.cl / (1 + 4 * (d / p.wl) * (d / p.wl));
  }
  return y;
}

// A job text in the workbench's "%lg" form.
struct JobText {
  std::string title = "Raman test job";
  int iPrt = 0, iPrtIntvl = 100, itmax = 20000;
  double tol = 1e-10, xLow = 100, xHigh = 700;
  std::vector<std::vector<double>> background = {{40, 1, 5}, {10, 1, 2}};
  std::vector<Peak> peaks;
  int peakFlag = 1;
  std::vector<std::pair<double, double>> points;

  std::string text() const {
    std::string s;
    char buf[200];
    auto add = [&](const char* fmt, auto... v) {
      std::snprintf(buf, sizeof buf, fmt, v...);
      s += buf;
    };
    s += title + "\n";
    add("%d %d\n", iPrt, iPrtIntvl);
    add("%d %lg %lg\n", itmax, tol, tol);
    add("%lg %lg\n", xLow, xHigh);
    add("%d\n", static_cast<int>(background.size()) - 1);
    for (const auto& b : background) add("%lg %d %lg\n", b[0], static_cast<int>(b[1]), b[2]);
    add("%d\n", static_cast<int>(peaks.size()));
    for (const Peak& p : peaks) {
      add("%lg %d %lg\n", p.pos, peakFlag, 2.0);
      add("%lg %d %lg\n", p.cg, peakFlag, 0.1 * p.cg);
      add("%lg %d %lg\n", p.wg, peakFlag, 0.1 * p.wg);
      add("%lg %d %lg\n", p.cl, peakFlag, 0.1 * p.cl);
      add("%lg %d %lg\n", p.wl, peakFlag, 0.1 * p.wl);
    }
    add("%lg %lg\n", 0.0, 0.0);
    add("%d\n", static_cast<int>(points.size()));
    for (auto [x, y] : points) add("%lg %lg\n", x, y);
    return s;
  }
};

struct ProgramRun {
  fs::path dir;
  int status = -1;
  std::string console, log;

  explicit ProgramRun(const std::string& name) {
    dir = fs::temp_directory_path() /
          ("simplexfit_" + name + "_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + std::to_string(std::random_device{}()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~ProgramRun() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
  }
  int run() {
    const std::string cmd = "cd '" + dir.string() + "' && '" SIMPLEXFIT_PATH "' > console.txt 2>&1";
    const int rc = std::system(cmd.c_str());
    status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    console = slurp(dir / "console.txt");
    log = slurp(dir / "out.txt");
    return status;
  }
  bool has(const std::string& name) const { return fs::exists(dir / name); }
  std::vector<std::string> file(const std::string& name) const { return lines(slurp(dir / name)); }
};

// Line of the S R record in "new.pfc" for a job with NB = 1 and three peaks.
constexpr std::size_t kSR = 5 + 2 + 1 + 15;

// Reads the values of the peak records of "new.pfc" (value, flag, step per line).
std::vector<double> peakValues(const std::vector<std::string>& pfc, int NB, int NP) {
  std::vector<double> v;
  for (int r = 0; r < 5 * NP; ++r) v.push_back(std::stod(pfc[7 + NB + r]));
  return v;
}

// Lines the workbench takes from the log: from the one holding "[Peak Area]" up to, not
// including, the next line that holds "[".
std::vector<std::string> peakAreaBlock(const std::string& log, std::string* next) {
  std::vector<std::string> block;
  bool in = false;
  for (const std::string& l : lines(log)) {
    if (!in && l.find("[Peak Area]") != std::string::npos) {
      in = true;
    } else if (in && l.find('[') != std::string::npos) {
      *next = l;
      return block;
    }
    if (in) block.push_back(l);
  }
  return block;
}

// Three overlapping Voigt-like bands and one apart, on a sloped background, with a little
// deterministic noise.
JobText ramanJob() {
  const std::vector<Peak> truth = {{380, 120, 14, 60, 10}, {398, 80, 12, 90, 16}, {520, 200, 8, 40, 6}};
  JobText job;
  std::mt19937 gen(7);
  std::normal_distribution<double> noise(0.0, 0.2);
  for (double x = 100; x <= 760; x += 0.5) job.points.push_back({x, model(x, 50, 15, 400, 300, truth) + noise(gen)});
  // Start values about 5 to 15 % off, as a peak search would give them.
  job.peaks = {{382, 110, 16, 50, 11}, {396, 90, 11, 80, 14}, {521, 180, 9, 50, 7}};
  return job;
}

TEST(Simplexfit, RealisticRamanFitRecoversTheBands) {
  ProgramRun r("raman");
  const JobText job = ramanJob();
  r.write("fit.pfc", job.text());
  ASSERT_EQ(r.run(), 0) << r.console;
  EXPECT_EQ(r.console, r.log);
  EXPECT_NE(r.log.find("[***Start SMPLX]"), std::string::npos);

  const auto pfc = r.file("new.pfc");
  EXPECT_NEAR(std::stod(pfc[5]), 50.0, 0.5);  // b0
  EXPECT_NEAR(std::stod(pfc[6]), 15.0, 0.5);  // b1
  const std::vector<Peak> truth = {{380, 120, 14, 60, 10}, {398, 80, 12, 90, 16}, {520, 200, 8, 40, 6}};
  const auto v = peakValues(pfc, 1, 3);
  for (int k = 0; k < 3; ++k) {
    const Peak& t = truth[k];
    const double want[5] = {t.pos, t.cg, t.wg, t.cl, t.wl};
    EXPECT_NEAR(v[5 * k], t.pos, 0.1) << "peak " << k + 1;
    for (int p = 1; p < 5; ++p) EXPECT_NEAR(v[5 * k + p], want[p], 0.05 * want[p]) << "peak " << k + 1 << " parameter " << p;
  }
  // S close to the noise: 1201 points in range, sigma 0.2.
  const double S = std::stod(pfc[kSR]);
  EXPECT_LT(S, 1201 * 0.04 * 1.3);
  EXPECT_GT(S, 1201 * 0.04 * 0.7);

  // fit.spc: title, count, one line per point inside the range with 3 + 3 fields after x.
  const auto spc = r.file("fit.spc");
  EXPECT_EQ(spc[0], "Raman test job                ");
  EXPECT_EQ(std::stoi(spc[1]), 1201);
  ASSERT_EQ(spc.size(), 2u + 1201);
  EXPECT_EQ(spc[2].size(), 12u + 6 * 10);

  std::string next;
  const auto block = peakAreaBlock(r.log, &next);
  ASSERT_EQ(block.size(), 2u + 3);
  EXPECT_EQ(block[1], " No. Pos.   C        FWHM       Area     Area(%)");
  EXPECT_EQ(next, "        [Save new pameters to ");
  EXPECT_EQ(lines(r.log).back(), "                             ]");
}

// A real glass spectrum (LabSpec export, wave numbers descending): the broad band near
// 960 cm-1 with a shoulder, on a sloped background, fitted over 700…1340 cm-1.
TEST(Simplexfit, RealGlassSpectrumFitsItsMainBand) {
  const fs::path file = fs::path(BALIMOR_REALDATA_DIR) / "raman_labspec_r145.txt";
  if (!fs::exists(file)) GTEST_SKIP() << "real data folder not found: " << file;
  std::vector<std::pair<double, double>> points;
  {
    std::ifstream in(file);
    std::string header;
    std::getline(in, header);
    for (double x, y; in >> x >> y;) points.push_back({x, y});
  }
  ASSERT_EQ(points.size(), 1015u);

  std::ostringstream job;
  job.precision(17);
  job << "r145 glass band\n0 1\n3000 1e-8 1e-8\n700 1340\n1\n22000 1 1000\n-6000 1 1000\n2\n"
      << "960 1 10\n15000 1 1000\n200 1 20\n0 0 0\n1 0 0\n"
      << "1100 1 10\n3000 1 500\n80 1 10\n0 0 0\n1 0 0\n"
      << "0 0\n" << points.size() << "\n";
  int inRange = 0;
  for (auto [x, y] : points) {
    job << x << " " << y << "\n";
    if (x >= 700 && x <= 1340) ++inRange;
  }
  ProgramRun r("glass");
  r.write("fit.pfc", job.str());
  ASSERT_EQ(r.run(), 0) << r.console;

  const auto pfc = r.file("new.pfc");
  const double position = std::stod(pfc[8]);
  EXPECT_GT(position, 940.0);
  EXPECT_LT(position, 1010.0);
  const double R = std::stod(pfc[5 + 2 + 1 + 10].substr(16));
  EXPECT_GT(R, 0.0);
  EXPECT_LT(R, 6.0);  // percent; the band is not quite Gaussian
  EXPECT_EQ(std::stoi(r.file("fit.spc")[1]), inRange);
  EXPECT_EQ(r.file("fit.spc").size(), 2u + inRange);
}

// A job with nothing free, so that every line of the log and of both files is known: the
// read lines, the echo, the refused search, the peak-area table directly followed by the
// save lines; "new.pfc" and "fit.spc" with every field in its width.
TEST(Simplexfit, EveryLineOfTheLogAndTheFilesOfAFixedJob) {
  ProgramRun r("golden");
  r.write("fit.pfc",
          "Tiny\n0 1\n10 0 0\n0 10\n0\n5 0 1\n1\n"
          "5 0 0.5\n3 0 0.5\n2 0 0.5\n1 0 0.5\n4 0 0.5\n"
          "1 2\n3\n2 6\n5 9\n8 7\n");
  ASSERT_EQ(r.run(), 0) << r.console;
  EXPECT_EQ(r.console, r.log);
  const std::string title = "Tiny" + std::string(75, ' ');
  const std::string peakEcho = "       0.500000000000000";
  const std::vector<std::string> log = {
      "              [Read file from ",
      "                       fit.pfc",
      "                             ]",
      title,
      "iPrt, iPrtIntvl:            0           1",
      "          10       0.000000000000000       0.000000000000000",
      "       0.000000000000000      10.000000000000000",
      "           0",
      "          5.000000000000000           0       1.000000000000000",
      "           1",
      "          5.000000000000000           0" + peakEcho,
      "          3.000000000000000           0" + peakEcho,
      "          2.000000000000000           0" + peakEcho,
      "          1.000000000000000           0" + peakEcho,
      "          4.000000000000000           0" + peakEcho,
      "       1.000000000000000       2.000000000000000",
      "           3",
      "",
      "[***Start SMPLX]",
      "(SUBR.SMPLX) N SHOULD BE LARGER THAN 1.  N=           0",
      "",
      "[Peak Area]",
      " No. Pos.   C        FWHM       Area     Area(%)",
      "    1   5.00000       4.00000       2.50000       12.6700       100.000    ",
      "        [Save new pameters to ",
      "                       new.pfc",
      "                             ]",
  };
  EXPECT_EQ(lines(r.log), log);

  const std::vector<std::string> pfc = {
      title,
      "           0           1",
      "   10      0.0000E+00      0.0000E+00",
      "       0.0000000      10.0000000",
      "           0",
      "          5.000000000000000           0       1.000000000000000",
      "           1",
      "          5.0000000           0" + peakEcho,
      "          3.0000000           0" + peakEcho,
      "          2.0000000           0" + peakEcho,
      "          1.0000000           0" + peakEcho,
      "          4.0000000           0" + peakEcho,
      "    0.000000E+00    0.000000E+00",
      "           3",
      "        2.00000         6.00000    ",
      "        5.00000         9.00000    ",
      "        8.00000         7.00000    ",
      "",
      "[Peak Area]",
      "           1       5.0000000      12.6699886",
  };
  EXPECT_EQ(r.file("new.pfc"), pfc);

  // Model values typed out: B = 5, P(2) = P(8) = 3 exp(-4 ln2 (3/2)^2) + 1/(1 + 4 (3/4)^2).
  const std::vector<std::string> spc = {
      "Tiny                          ",
      "           3",
      "    2.000000    6.0000    5.0000    5.3136    0.3136",
      "    5.000000    9.0000    5.0000    9.0000    4.0000",
      "    8.000000    7.0000    5.0000    5.3136    0.3136",
  };
  EXPECT_EQ(r.file("fit.spc"), spc);
}

// Free parameters with step 0 are searched with the step |value| + 1, yet "new.pfc" keeps
// the steps as read.
TEST(Simplexfit, ZeroStepsAreReplacedForTheSearchOnlyAndWrittenBackAsRead) {
  ProgramRun r("zerostep");
  r.write("fit.pfc",
          "Tiny\n0 1\n50 0 0\n0 10\n0\n5 1 0\n1\n"
          "5 1 0\n3 0 0.5\n2 0 0.5\n1 0 0.5\n4 0 0.5\n"
          "1 2\n3\n2 6\n5 9\n8 7\n");
  ASSERT_EQ(r.run(), 0) << r.console;
  const auto pfc = r.file("new.pfc");
  EXPECT_EQ(pfc[5].substr(24 + 3 + 12), "       0.000000000000000");
  EXPECT_EQ(pfc[7].substr(16 + 3 + 12), "       0.000000000000000");
  EXPECT_NE(std::stod(pfc[5]), 5.0);  // the search moved b0
  EXPECT_NE(std::stod(pfc[7]), 5.0);  // and the position
}

TEST(Simplexfit, PrintLevelComesBackClampedAndNothingFreeKeepsTheJob) {
  for (auto [in, out] : {std::pair{5, 2}, {-3, 0}}) {
    ProgramRun r("clamp");
    JobText job = ramanJob();
    job.itmax = 5;
    job.iPrt = in;
    r.write("fit.pfc", job.text());
    ASSERT_EQ(r.run(), 0) << r.console;
    EXPECT_EQ(std::stoi(r.file("new.pfc")[1]), out);
  }

  ProgramRun r("fixed");
  JobText job = ramanJob();
  job.iPrt = 5;
  job.background = {{40, 0, 5}, {10, 2, 2}};
  job.peakFlag = -1;
  r.write("fit.pfc", job.text());
  ASSERT_EQ(r.run(), 0) << r.console;
  EXPECT_NE(r.log.find("(SUBR.SMPLX) N SHOULD BE LARGER THAN 1.  N=           0\n"), std::string::npos);
  const auto pfc = r.file("new.pfc");
  EXPECT_EQ(std::stoi(pfc[1]), 5);  // the search stopped at its checks: iPrt as read
  EXPECT_EQ(pfc[5], "         40.000000000000000           0       5.000000000000000");
  EXPECT_EQ(std::stod(pfc[8]), 382.0);
  EXPECT_EQ(pfc[kSR], "    0.000000E+00    0.000000E+00");
}

TEST(Simplexfit, FixedZeroWidthLeavesItsPartOutAndSaysSo) {
  ProgramRun r("zerowidth");
  JobText job = ramanJob();
  job.itmax = 3000;
  std::string text = job.text();
  // Peak 3 becomes a pure Gaussian: its Lorentzian height and width fixed at 0.
  const std::string from = "50 1 5\n7 1 0.7\n";
  text.replace(text.find(from), from.size(), "0 0 0\n0 0 0\n");
  r.write("fit.pfc", text);
  ASSERT_EQ(r.run(), 0) << r.console;
  EXPECT_NE(r.log.find("Peak 3: FWHMLorentz is 0, its Lorentzian part is left out.\n\n[***Start"),
            std::string::npos);
  EXPECT_EQ(r.log.find("Peak 1:"), std::string::npos);
  for (const char* name : {"new.pfc", "fit.spc", "out.txt"}) {
    const std::string all = slurp(r.dir / name);
    EXPECT_EQ(all.find("nan"), std::string::npos) << name;
    EXPECT_EQ(all.find("NaN"), std::string::npos) << name;
  }
  const auto pfc = r.file("new.pfc");
  EXPECT_NEAR(std::stod(pfc[8 + 10]), 520.0, 0.5);  // the band is still found
}

TEST(Simplexfit, UndefinedDeviationIsWrittenAsZeroWithTheReason) {
  ProgramRun r("onepoint");
  JobText job = ramanJob();
  job.itmax = 10;
  job.xLow = 100;
  job.xHigh = 100.2;  // only x = 100 lies inside
  r.write("fit.pfc", job.text());
  ASSERT_EQ(r.run(), 0) << r.console;
  EXPECT_NE(r.log.find("R is written as 0: fewer than two points lie in the fitting range."), std::string::npos);
  const auto pfc = r.file("new.pfc");
  EXPECT_EQ(pfc[kSR].substr(16), "    0.000000E+00");
}

TEST(Simplexfit, BadJobsFailWithOneLineAndNoRefinedJob) {
  const std::string good = ramanJob().text();
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  struct Case {
    std::string name, text, message;
  };
  const Case cases[] = {
      {"badnumber", replaced("0 100\n", "0 1o0\n"), "fit.pfc: record 2: '1o0' is not a number"},
      {"early", good.substr(0, good.size() / 2), "fit.pfc: record "},
      {"toomanypeaks", replaced("\n3\n", "\n31\n"), "fit.pfc: record 8: NP = 31 lies outside the job limits 0 to 30"},
      {"tooorder", replaced("\n1\n40 1 5", "\n11\n40 1 5"), "fit.pfc: record 5: NB = 11 lies outside the job limits 0 to 10"},
      {"toomanypoints", replaced("\n1321\n", "\n10001\n"), "fit.pfc: record 25: ND = 10001 lies outside the job limits 0 to 10000"},
  };
  for (const Case& c : cases) {
    ProgramRun r(c.name);
    r.write("fit.pfc", c.text);
    EXPECT_NE(r.run(), 0) << c.name;
    EXPECT_FALSE(r.has("new.pfc")) << c.name;
    EXPECT_FALSE(r.has("fit.spc")) << c.name;
    const auto last = lines(r.console).back();
    EXPECT_EQ(last.rfind(c.message, 0), 0u) << c.name << ": " << last;
    EXPECT_EQ(lines(r.log).back(), last) << c.name;
  }

  ProgramRun missing("missing");
  EXPECT_NE(missing.run(), 0);
  EXPECT_EQ(lines(missing.console).back(), "fit.pfc: cannot be opened");
  EXPECT_FALSE(missing.has("new.pfc"));

  ProgramRun directory("directory");  // a fit.pfc that cannot be read as a file
  fs::create_directory(directory.dir / "fit.pfc");
  EXPECT_NE(directory.run(), 0);
  EXPECT_NE(lines(directory.console).back().find("fit.pfc"), std::string::npos);
  EXPECT_FALSE(directory.has("new.pfc"));
}

}  // namespace
