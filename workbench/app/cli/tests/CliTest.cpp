#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("balimor_cli_" + std::to_string(::getpid()) + "_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
    return (dir / name).string();
  }
  static std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // Runs the program with the arguments (each quoted), its INI file in the scratch folder.
  CliRun Cli(const std::string& args) {
    const fs::path out = dir / "stdout", err = dir / "stderr";
    const std::string cmd = "BALIMOR_INI='" + (dir / "cli.INI").string() + "' '" BALIMOR_CLI "' " + args +
                            " >'" + out.string() + "' 2>'" + err.string() + "'";
    CliRun r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
  }
  static std::string Q(const std::string& s) { return "'" + s + "'"; }

  fs::path dir;
};

}  // namespace

TEST_F(CliTest, InfoPrintsTheLoadInOrder) {
  const std::string ras = Write("scan.ras", "*FILE_COMMENT Si wafer\n*RAS_INT_START\n10 5 2\n10.02 6 1\n*RAS_INT_END\n");
  const CliRun r = Cli("info " + Q(ras));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "result: 0\ntitle: " + ras + " (SmartLab RAS Data)\nkind: 2\nx-label: Angle / deg\n"
            "y-label: Intensity\nlabel: Si wafer\npoints: 2\nfirst: 10 10\nlast: 10.02 6\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(CliTest, FailedLoadExitsOneAndWritesNothing) {
  const std::string bad = Write("bad.ras", "no marker\n");
  const CliRun info = Cli("info " + Q(bad));
  EXPECT_EQ(info.status, 1);
  EXPECT_NE(info.out.find("result: -1\ntitle: " + bad + " (Invalid Data)\n"), std::string::npos);
  const fs::path out = dir / "out.txt";
  std::ofstream(out) << "keep";
  const CliRun ex = Cli("export " + Q(bad) + " " + Q(out.string()));
  EXPECT_EQ(ex.status, 1);
  EXPECT_EQ(Slurp(out), "keep");
  // A message box of the workbench goes to the error stream as "caption: text".
  const std::string gone = (dir / "gone.xrd").string();
  const CliRun msg = Cli("info " + Q(gone));
  EXPECT_EQ(msg.status, 1);
  EXPECT_EQ(msg.err, "Error: Can't read [" + gone + "]\n");
}

TEST_F(CliTest, SectionOptionAndExports) {
  const std::string xrd = Write("two.xrd",
                                "*SAMPLE = q\n*SEC_COUNT = 2\n"
                                "*BEGIN\n*START = 10\n*STOP = 11\n*STEP = 1\n*COUNT = 2\n1 2\n*END\n"
                                "*BEGIN\n*START = 20\n*STOP = 20.02\n*STEP = 0.02\n*COUNT = 2\n3 4\n*END\n");
  EXPECT_NE(Cli("info " + Q(xrd)).out.find("result: 0\n"), std::string::npos);
  const CliRun one = Cli("info " + Q(xrd) + " --section 1");
  EXPECT_NE(one.out.find("result: 1\n"), std::string::npos);
  EXPECT_NE(one.out.find("first: 20 3\n"), std::string::npos);

  const fs::path txt = dir / "out.txt", rit = dir / "out.int";
  EXPECT_EQ(Cli("export " + Q(xrd) + " " + Q(txt.string()) + " --section 1").status, 0);
  EXPECT_EQ(Slurp(txt), "2\n20\t3\n20.02\t4\n");
  EXPECT_EQ(Cli("rietan " + Q(xrd) + " " + Q(rit.string())).status, 0);
  EXPECT_EQ(Slurp(rit), "2  10  1\n      1      2\n");

  // A section the file does not hold counts as no choice: section 0.
  const CliRun beyond = Cli("info " + Q(xrd) + " --section 7");
  EXPECT_EQ(beyond.status, 0);
  EXPECT_NE(beyond.out.find("result: 0\n"), std::string::npos);
  EXPECT_NE(beyond.out.find("first: 10 1\n"), std::string::npos);

  // A good load that cannot be written is a failure too.
  const std::string nowhere = (dir / "no" / "such" / "out.txt").string();
  const CliRun unwritable = Cli("export " + Q(xrd) + " " + Q(nowhere));
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_EQ(unwritable.err, "balimor-cli: can't write [" + nowhere + "]\n");
  EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST_F(CliTest, UsageAndBadArguments) {
  const CliRun help = Cli("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"info FILE", "export FILE OUT", "rietan FILE OUT", "--section N"})
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  EXPECT_EQ(Cli("").status, 1);
  EXPECT_EQ(Cli("frobnicate x").status, 1);
  EXPECT_EQ(Cli("info a b").status, 1);
  EXPECT_EQ(Cli("info a --section x").status, 1);
}

namespace {

// A ".txt" diffraction scan: two Lorentzian lines on a flat background of 50.
std::string TwoLineScan() {
  std::string s = "1001\n";
  char line[64];
  for (int i = 0; i <= 1000; ++i) {
    const double x = 20 + i * 0.02;
    const double y = 50 + 2000 / (1 + 4 * (x - 26) * (x - 26) / 0.04) + 800 / (1 + 4 * (x - 33) * (x - 33) / 0.09);
    std::snprintf(line, sizeof line, "%.2f %.3f\n", x, y);
    s += line;
  }
  return s;
}

TEST_F(CliTest, SearchPfcAndCurvesWriteOnlyTheirOutput) {
  const std::string scan = Write("scan.txt", TwoLineScan());
  const CliRun search = Cli("search " + Q(scan));
  EXPECT_EQ(search.status, 0) << search.err;
  EXPECT_EQ(search.out,
            "No.  2Theta    I    fwhhm\n"
            "  0: 26.000   2000   0.200\n"
            "  1: 33.000    800   0.320\n");
  // The range and the search settings reach the search.
  EXPECT_EQ(Cli("search " + Q(scan) + " --range 30 40").out.find("26.000"), std::string::npos);
  EXPECT_EQ(Cli("search " + Q(scan) + " --threshold 1000").out.find("33.000"), std::string::npos);

  const std::string job = (dir / "job.pfc").string();
  const CliRun pfc = Cli("pfc " + Q(scan) + " " + Q(job) + " --search --range 22 38");
  EXPECT_EQ(pfc.status, 0) << pfc.err;
  const std::string text = Slurp(job);
  EXPECT_EQ(text.rfind("title\n" + scan + "\n", 0), 0u);
  EXPECT_NE(text.find("\n 22.000000  38.000000\n 22.000000  38.000000\n"), std::string::npos);
  EXPECT_NE(text.find("\n2\n   26.000000 1 0\n        2000 1 0\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.find('\n', text.find('\n', text.find('\n') + 1) + 1) + 1, 5), "Marq\n");
  const std::string job2 = (dir / "job2.pfc").string();
  const CliRun adaptive = Cli("pfc " + Q(scan) + " " + Q(job2) + " --method MarqAdaptive");
  EXPECT_EQ(adaptive.status, 0) << adaptive.err;
  EXPECT_NE(Slurp(job2).find("\nMarqAdaptive\n"), std::string::npos);
  EXPECT_EQ(Cli("pfc " + Q(scan) + " " + Q(job2) + " --method Simplex").status, 1);
  // --program is in effect for the peaks that --search adds: a Raman/IR job whose program is a
  // Zentrab build gives them the diffraction fitter's flags and changes, as after Setup LSQ.
  const CliRun zentrab =
      Cli("pfc " + Q(scan) + " " + Q(job2) + " --kind 2 --program /opt/fit/Zentrab --search --range 22 38");
  EXPECT_EQ(zentrab.status, 0) << zentrab.err;
  EXPECT_NE(Slurp(job2).find("\n2\n   26.000000 1 0\n        2000 1 0\n      0.5000 1 0\n"), std::string::npos)
      << Slurp(job2);

  // The job with its points read back replaces the data: its peaks give the curves.
  const std::string curves = (dir / "curves.txt").string();
  const CliRun c = Cli("curves " + Q(scan) + " " + Q(curves) + " --pfc " + Q(job));
  EXPECT_EQ(c.status, 0) << c.err;
  const std::string columns = Slurp(curves);
  EXPECT_EQ(columns.rfind("X\tData\tBackground\tTotal\tPeak0\tPeak1\n20\t50.", 0), 0u);
  EXPECT_NE(columns.find("\n26\t2050.", 0), std::string::npos);
  // Nothing but OUT: no job or report beside the scan, no INI file.
  for (const char* name : {"scan#0.pfc", "scan#0.out", "cli.INI", "prev.pfc"})
    EXPECT_FALSE(fs::exists(dir / name)) << name;

  // Options that do not fit the command or cannot be carried out.
  EXPECT_EQ(Cli("info " + Q(scan) + " --search").status, 1);
  EXPECT_EQ(Cli("search " + Q(scan) + " --kind 3").status, 1);
  EXPECT_EQ(Cli("search " + Q(scan) + " --frobnicate").status, 1);
  EXPECT_EQ(Cli("curves " + Q(scan) + " " + Q(curves) + " --pfc " + Q((dir / "none.pfc").string())).status, 1);
}

TEST_F(CliTest, FitSearchesAndFitsTheBundledScan) {
  fs::copy_file(BALIMOR_EXAMPLES_DIR "/diffraction/demo.txt", dir / "demo.txt");
  const CliRun fit = Cli("fit " + Q((dir / "demo.txt").string()) + " --search --threshold 300");
  EXPECT_EQ(fit.status, 0) << fit.err;
  EXPECT_EQ(fit.out.rfind(" *** Peak area: #   2Q", 0), 0u);
  // Six peak lines at the bundled scan's positions, then the Sigma line.
  for (const char* pos : {" 28.44", " 33.15", " 47.30", " 56.12", " 69.13", " 76.3"})
    EXPECT_NE(fit.out.find(pos), std::string::npos) << pos;
  EXPECT_NE(fit.out.find("\n\nSigma: "), std::string::npos);
  EXPECT_EQ(fit.out.find('\r'), std::string::npos);
  // The fitter's console output went to the error stream; its files lie beside the scan.
  EXPECT_NE(fit.err.find(" Start cycle "), std::string::npos);
  EXPECT_TRUE(fs::exists(dir / "demo#0.pfc"));
  EXPECT_TRUE(fs::exists(dir / "demo#0.out"));

  // The adaptive method: its report carries the standard errors, its last start line the Sigma.
  const CliRun adaptive = Cli("fit " + Q((dir / "demo.txt").string()) + " --method MarqAdaptive");
  EXPECT_EQ(adaptive.status, 0) << adaptive.err;
  const std::string report = Slurp(dir / "demo#0.out");
  EXPECT_NE(report.find(" *** Standard errors of the optimized parameters ***\n   #  parameter"), std::string::npos);
  EXPECT_EQ(adaptive.out.find("Sigma: -1"), std::string::npos);

  // A fitter that leaves no refined job: exit 1, the message, the job as it was.
  const std::string standIn = Write("broken zentrab.sh", "#!/bin/sh\nexit 0\n");
  fs::permissions(standIn, fs::perms::owner_all);
  const std::string before = Slurp(dir / "demo#0.pfc");
  const CliRun bad = Cli("fit " + Q((dir / "demo.txt").string()) + " --program " + Q(standIn));
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("Calculation error: File ["), std::string::npos) << bad.err;
  EXPECT_EQ(Slurp(dir / "demo#0.pfc"), Slurp(dir / "prev.pfc"));
  EXPECT_NE(before, "");
}

// Before a run, a job beyond the fitter's limits is refused and nothing is written; after it,
// a fit stopped at its cycle limit says so on the error stream and still exits 0.
TEST_F(CliTest, FitSaysWhenItStoppedShortAndRefusesJobsBeyondTheLimits) {
  fs::copy_file(BALIMOR_EXAMPLES_DIR "/diffraction/demo.txt", dir / "demo.txt");
  const std::string scan = Q((dir / "demo.txt").string());
  const CliRun refused = Cli("fit " + scan + " --search --threshold 1");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("Curve Fit: The fit has 99 peaks; xZentrab takes at most 70. Raise the search "
                             "threshold or narrow the range.\n"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(refused.err.find(" Start cycle "), std::string::npos);
  EXPECT_FALSE(fs::exists(dir / "demo#0.pfc"));
  EXPECT_EQ(refused.out, "");

  Write("cli.INI", "[SetupLSQ]\nMaxIteration=3\n");
  const CliRun shortFit = Cli("fit " + scan + " --search --threshold 300");
  EXPECT_EQ(shortFit.status, 0) << shortFit.err;
  EXPECT_NE(shortFit.err.find("\nfit: stopped at the cycle limit (3) before converging\n"), std::string::npos)
      << shortFit.err;
  EXPECT_NE(shortFit.out.find("\nSigma: "), std::string::npos);
  EXPECT_EQ(Slurp(dir / "demo#0.pfc"), Slurp(dir / "new.pfc"));  // the refined job taken
}

// --clear empties the job's peaks before --search, so a repeated fit --search gives the same
// job; --search-method picks the search; a FILE that cannot be read is named as such.
TEST_F(CliTest, ClearSearchMethodAndUnreadableFiles) {
  fs::copy_file(BALIMOR_EXAMPLES_DIR "/diffraction/demo.txt", dir / "demo.txt");
  const std::string scan = Q((dir / "demo.txt").string());
  std::string jobs[3];
  for (std::string& job : jobs) {
    const CliRun fit = Cli("fit " + scan + " --clear --search --threshold 300");
    EXPECT_EQ(fit.status, 0) << fit.err.substr(0, 2000);
    job = Slurp(dir / "demo#0.pfc");
  }
  EXPECT_EQ(jobs[1], jobs[0]);
  EXPECT_EQ(jobs[2], jobs[0]);
  // Without --clear the search appends to the refined job's peaks.
  EXPECT_EQ(Cli("fit " + scan + " --search --threshold 300").status, 0);
  EXPECT_NE(Slurp(dir / "demo#0.pfc"), jobs[0]);

  const CliRun slope = Cli("search " + scan + " --search-method slope");
  const CliRun prominence = Cli("search " + scan + " --search-method prominence");
  EXPECT_EQ(slope.status, 0);
  EXPECT_EQ(prominence.status, 0);
  EXPECT_EQ(slope.out, Cli("search " + scan).out);
  EXPECT_EQ(prominence.out.rfind("No.  2Theta    I    fwhhm\n", 0), 0u);
  EXPECT_EQ(Cli("search " + scan + " --search-method Slope").status, 1);

  const std::string gone = (dir / "gone.txt").string();
  for (const std::string& args : {"search " + Q(gone), "fit " + Q(gone), "export " + Q(gone) + " " + Q(gone + ".out")}) {
    const CliRun r = Cli(args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_EQ(r.err.rfind("balimor-cli: " + gone + ": No such file or directory\n", 0), 0u) << r.err;
  }
  EXPECT_NE(Cli("search " + Q(dir.string())).err.find(": Is a directory\n"), std::string::npos);
}

TEST_F(CliTest, FitsTheRealRasScanAsDiffraction) {
  const fs::path ras = fs::path(BALIMOR_REALDATA_DIR) / "ras_smartlab_2theta.ras";
  if (!fs::exists(ras)) GTEST_SKIP() << "no real data folder at " << BALIMOR_REALDATA_DIR;
  fs::copy_file(ras, dir / "scan.ras");
  // A low-angle scan on a steep background: the peaks standing 5000 counts above it.
  const CliRun fit = Cli("fit " + Q((dir / "scan.ras").string()) + " --kind 1 --search --threshold 5000");
  EXPECT_EQ(fit.status, 0) << fit.err.substr(0, 2000);
  EXPECT_EQ(fit.out.rfind(" *** Peak area: #   2Q", 0), 0u);
  // The main peak near 6.88° is the second: the first point of the scan is no summit.
  EXPECT_NE(fit.out.find("\n  2   6.8"), std::string::npos) << fit.out;
}

// The adaptive method on a narrow reflection (four points a width): a step cut at a bound that
// promises nothing does not end the fit while a more damped step still lowers S, so fitting again
// from the refined job finds (almost) nothing left to gain.
TEST_F(CliTest, AdaptiveFitOfTheRealBaso4ReflectionReachesItsMinimum) {
  const fs::path igor = fs::path(BALIMOR_REALDATA_DIR) / "rietan_baso4_igor.int";
  if (!fs::exists(igor)) GTEST_SKIP() << "no real data folder at " << BALIMOR_REALDATA_DIR;
  fs::copy_file(igor, dir / "baso4.int");
  Write("cli.INI", "[SetupLSQ]\nMaxIteration=2000\n");
  const std::string common = " " + Q((dir / "baso4.int").string()) + " --columns --kind 1 --method MarqAdaptive";
  auto sigmaS = [](const std::string& out) {
    const std::size_t at = out.rfind("Sigma: ");
    return at == std::string::npos ? -1.0 : std::strtod(out.c_str() + at + 7, nullptr);
  };
  const CliRun first =
      Cli("fit" + common + " --range 28.3 29.2 --clear --search --search-method prominence");
  ASSERT_EQ(first.status, 0) << first.err.substr(0, 2000);
  const CliRun again = Cli("fit" + common);
  ASSERT_EQ(again.status, 0) << again.err.substr(0, 2000);
  const double s1 = sigmaS(first.out), s2 = sigmaS(again.out);
  ASSERT_GT(s1, 0);
  ASSERT_GT(s2, 0);
  EXPECT_GT(s2, s1 * (1 - 1e-3)) << first.out << again.out;
}

// plot: the three picture kinds of the bundled scan fitted and of the real RAS scan, each file
// whole, sized as asked and holding the frame's texts and the curves.
TEST_F(CliTest, PlotWritesPngSvgAndPdf) {
  // The width and height of a PNG file, from its header.
  auto pngSize = [](const std::string& bytes) {
    auto be = [&](std::size_t at) {
      return (static_cast<unsigned char>(bytes[at]) << 24) | (static_cast<unsigned char>(bytes[at + 1]) << 16) |
             (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
    };
    return bytes.size() > 24 && bytes.compare(1, 3, "PNG") == 0 ? std::make_pair(be(16), be(20)) : std::make_pair(0, 0);
  };
  struct Case {
    const char* name;
    std::string extra;
    std::pair<int, int> size;
  };
  const Case cases[] = {{"g.png", "", {1600, 1000}}, {"g.png", " --width 640 --height 480", {640, 480}},
                        {"g.svg", "", {}}, {"g.pdf", "", {}}};
  const fs::path ras = fs::path(BALIMOR_REALDATA_DIR) / "ras_smartlab_2theta.ras";
  for (const bool real : {false, true}) {
    if (real && !fs::exists(ras)) {
      std::printf("no real data folder at %s: the RAS plot is skipped\n", BALIMOR_REALDATA_DIR);
      continue;
    }
    int k = 0;
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(real ? "ras " : "demo ") + c.name + c.extra);
      // A folder per run: a fit leaves its job beside the scan for the next one to read.
      const fs::path sub = dir / std::to_string(k++);
      fs::create_directories(sub);
      const fs::path scan = sub / (real ? "scan.ras" : "demo.txt");
      fs::copy_file(real ? ras : fs::path(BALIMOR_EXAMPLES_DIR "/diffraction/demo.txt"), scan);
      const std::string fit = real ? " --log" : " --search --threshold 300 --fit";
      const CliRun r = Cli("plot " + Q(scan.string()) + " " + Q((sub / c.name).string()) + fit + c.extra);
      ASSERT_EQ(r.status, 0) << r.err.substr(0, 2000);
      const std::string bytes = Slurp(sub / c.name);
      const std::string ext = fs::path(c.name).extension().string();
      if (ext == ".png") {
        EXPECT_EQ(pngSize(bytes), c.size);
      } else if (ext == ".svg") {
        // Text stays text: the PFC path, a tick label, the captions; the curves in their colours.
        for (const char* text : {real ? "scan#0.pfc" : "demo#0.pfc", "Intensity", ">20<", "<polyline"})
          EXPECT_NE(bytes.find(text), std::string::npos) << text;
        EXPECT_NE(bytes.find(real ? "Angle / deg" : "Diffraction angle 2Theta / deg."), std::string::npos);
        EXPECT_EQ(bytes.find("Sigma:") != std::string::npos, !real);
        if (!real) {
          for (const char* colour : {"#ff0000", "#00ff00", "#0000ff", "#00ffff", "#000000"})
            EXPECT_NE(bytes.find(colour), std::string::npos) << colour;
        }
      } else {
        EXPECT_EQ(bytes.rfind("%PDF", 0), 0u);
        EXPECT_NE(bytes.find("/BaseFont"), std::string::npos);
        EXPECT_NE(bytes.find("%%EOF"), std::string::npos);
      }
    }
  }
}

TEST_F(CliTest, PlotRefusesWhatItCannotDraw) {
  fs::copy_file(BALIMOR_EXAMPLES_DIR "/diffraction/demo.txt", dir / "demo.txt");
  const std::string scan = Q((dir / "demo.txt").string());
  struct Case {
    std::string args;
    const char* message;
  };
  const Case cases[] = {
      {"plot " + scan + " " + Q((dir / "g.bmp").string()), "unknown picture kind"},
      {"plot " + scan + " " + Q((dir / "no" / "g.png").string()), "can't write"},
      {"plot " + scan + " " + Q((dir / "g.png").string()) + " --width 0", "bad value for --width"},
      {"export " + scan + " " + Q((dir / "g.txt").string()) + " --log", "belong to plot"},
      {"plot " + Q((dir / "none.txt").string()) + " " + Q((dir / "g.png").string()), "could not be loaded"},
  };
  for (const Case& c : cases) {
    const CliRun r = Cli(c.args);
    EXPECT_EQ(r.status, 1) << c.args;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  for (const char* name : {"g.bmp", "g.png", "g.txt"}) EXPECT_FALSE(fs::exists(dir / name)) << name;
}

}  // namespace

// --columns reads FILE as column text whatever its extension, in the data commands and the
// batch commands alike; a ".txt" load that leaves most lines of numbers unread says so.
TEST_F(CliTest, ColumnsOptionAndThePartialLoadNote) {
  const std::string txt = Write("cols.txt", "angle;counts;esd\r\n10,5;100;1\r\n10,6;150;2\r\n10,7;120;3\r\n10,8;90;4\r\n");
  const CliRun info = Cli("info " + Q(txt) + " --columns");
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_EQ(info.out, "result: 0\ntitle: " + txt + " (Column Data)\nkind: 1\nx-label: angle\ny-label: counts\n"
                      "label: \npoints: 4\nfirst: 10.5 100\nlast: 10.8 90\n");
  EXPECT_EQ(info.err, "Read 4 points from columns 1 and 2 of " + txt +
                          " (semicolon-separated, decimal comma); skipped 0 rows without numbers in those columns.\n");
  const fs::path out = dir / "out.txt";
  EXPECT_EQ(Cli("export " + Q(txt) + " " + Q(out.string()) + " --columns 3,2").status, 0);
  EXPECT_EQ(Slurp(out), "4\n1\t100\n2\t150\n3\t120\n4\t90\n");
  const CliRun search = Cli("search " + Q(txt) + " --columns 1,2 --kind 2");
  EXPECT_EQ(search.status, 0) << search.err;
  EXPECT_EQ(search.out.rfind("No.", 0), 0u) << search.out;
  for (const char* bad : {"--columns 0,2", "--columns 1,x", "--columns 1,"})
    EXPECT_EQ(Cli("info " + Q(txt) + " " + bad).status, 1) << bad;

  // Through the ".txt" chain the count on the third line (1) reads one of the seven lines.
  const std::string few = Write("few.txt", "1 2\n3 4\n1 1\n5 6\n7 8\n9 10\n11 12\n");
  const CliRun note = Cli("info " + Q(few));
  EXPECT_EQ(note.status, 0);
  EXPECT_NE(note.out.find("points: 1\n"), std::string::npos) << note.out;
  EXPECT_EQ(note.err, "Read 1 of 7 numeric lines of " + few + ". File > Import Columns... reads every row.\n");
  EXPECT_NE(Cli("info " + Q(few) + " --columns").out.find("points: 7\n"), std::string::npos);
}
