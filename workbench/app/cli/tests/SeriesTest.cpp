// balimor-cli series on a generated series whose peaks drift by a known law (series_makescans):
// the law recovered in both modes, the summary read back by Python's csv module, -j 2 equal to
// -j 1, kill -9 and Ctrl+C followed by --resume, the GNU parallel recipe joined by --merge, and
// the bad input cases.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kScans = 12;

struct CliResult {
  int status = -1;
  std::string err;
};

class SeriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("balimor_series_" + std::to_string(::getpid()) + "_" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    ASSERT_EQ(Shell(Q(BALIMOR_MAKESCANS) + " . " + std::to_string(kScans) + " 2000"), 0);
  }
  void TearDown() override { fs::remove_all(dir); }

  static std::string Q(const std::string& s) { return "'" + s + "'"; }
  static std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  int Shell(const std::string& command) {
    const std::string cmd = "cd " + Q(dir.string()) + " && BALIMOR_INI=" + Q((dir / "cli.INI").string()) + " " + command;
    const int raw = std::system(cmd.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  // balimor-cli with the arguments, in the scratch folder, its error stream kept.
  CliResult Cli(const std::string& args) {
    CliResult r;
    r.status = Shell(Q(BALIMOR_CLI) + " " + args + " 2>err.txt");
    r.err = Slurp(dir / "err.txt");
    return r;
  }
  // The summary as Python's csv module reads it: one "scan peak status position fwhm area" line per row.
  std::vector<std::map<std::string, std::string>> Parsed(const std::string& csv) {
    const std::string script =
        "import csv,sys\n"
        "for r in csv.DictReader(open(sys.argv[1], newline='')):\n"
        "  print('\\t'.join(k + '=' + r[k] for k in r))\n";
    std::ofstream(dir / "read.py") << script;
    Shell("python3 read.py " + Q(csv) + " > parsed.txt");
    std::vector<std::map<std::string, std::string>> rows;
    std::istringstream in(Slurp(dir / "parsed.txt"));
    std::string line;
    while (std::getline(in, line)) {
      std::map<std::string, std::string> row;
      std::istringstream fields(line);
      std::string kv;
      while (std::getline(fields, kv, '\t')) row[kv.substr(0, kv.find('='))] = kv.substr(kv.find('=') + 1);
      rows.push_back(row);
    }
    return rows;
  }
  bool HavePython() { return Shell("command -v python3 >/dev/null") == 0; }

  fs::path dir;
};

// The drift law of series_makescans for scan k (from 0) and the six peaks' base values.
const double kPosition[6] = {28.44, 33.15, 47.30, 56.12, 69.13, 76.38};
const double kFwhm[6] = {0.11, 0.12, 0.14, 0.15, 0.18, 0.20};

TEST_F(SeriesTest, DriftRecoveredInBothModesAndJobsAgree) {
  if (!HavePython()) GTEST_SKIP() << "no python3 to read the summary";
  struct Mode {
    const char* args;
    const char* csv;
  } modes[] = {{"--start start.pfc --plot trend.svg", "chain.csv"},
               {"--from start.pfc -j 2", "from2.csv"},
               {"--from start.pfc", "from1.csv"}};
  for (const Mode& m : modes) {
    // Shell order (scan_1, scan_10, scan_11, scan_12, scan_2, ...) is put in natural order.
    const CliResult r = Cli("series scan_*.txt --out " + std::string(m.csv) + " " + m.args);
    ASSERT_NE(r.status, -1);
    const auto rows = Parsed(m.csv);
    ASSERT_EQ(rows.size(), 6u * kScans) << m.csv << r.err;
    std::map<int, double> area0;
    int converged = 0;
    for (const auto& row : rows) {
      const int scan = std::stoi(row.at("scan")), peak = std::stoi(row.at("peak"));
      EXPECT_EQ(row.at("file"), "scan_" + std::to_string(scan) + ".txt");
      if (row.at("status") != "converged") continue;
      ++converged;
      const double t = (scan - 1.0) / (kScans - 1);
      // The report gives positions to 0.001° and widths to 0.001°: within noise and rounding.
      EXPECT_NEAR(std::stod(row.at("position")), kPosition[peak - 1] + 0.04 * t - 0.02, 0.004) << m.csv << " scan " << scan;
      EXPECT_NEAR(std::stod(row.at("fwhm")), kFwhm[peak - 1] * (1 + 0.3 * t), 0.012) << m.csv << " scan " << scan;
      // The area follows height × width: (1 - 0.2 t)(1 + 0.3 t) of the first scan's.
      const double area = std::stod(row.at("area"));
      if (scan == 1) area0[peak] = area;
      if (area0.count(peak)) {
        EXPECT_NEAR(area / area0[peak], (1 - 0.2 * t) * (1 + 0.3 * t), 0.06) << m.csv << " scan " << scan;
      }
    }
    EXPECT_GE(converged, 6 * (kScans - 2)) << m.csv;
    EXPECT_EQ(r.status, converged == 6 * kScans ? 0 : 1) << m.csv;
    if (std::string(m.csv) == "chain.csv") {
      // Cut in the middle of a scan's rows (a power loss), the chain resumes to the whole run.
      const std::string whole = Slurp(dir / "chain.csv");
      std::size_t cut = 0;
      for (int line = 0; line < 1 + 4 * 6 + 2; ++line) cut = whole.find('\n', cut) + 1;
      std::ofstream(dir / "cut.csv", std::ios::binary) << whole.substr(0, cut + 12);
      EXPECT_NE(Cli("series scan_*.txt --out cut.csv --start start.pfc --resume").status, -1);
      EXPECT_EQ(Slurp(dir / "cut.csv"), whole);
    }
  }
  EXPECT_EQ(Slurp(dir / "from1.csv"), Slurp(dir / "from2.csv"));
  // The trend picture of the chain: three panels, their labels as text.
  const std::string svg = Slurp(dir / "trend.svg");
  for (const char* label : {"Position / deg.", "FWHM / deg.", ">Area<"}) EXPECT_NE(svg.find(label), std::string::npos) << label;
  // No working folder is left behind.
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find(".fitters"), std::string::npos) << e.path();
}

// A run killed with -9, and one interrupted as by Ctrl+C, leave a valid summary of the scans
// finished; --resume completes it to what one uninterrupted run writes, and no job is lost.
TEST_F(SeriesTest, KilledAndInterruptedRunsResume) {
  ASSERT_NE(Cli("series scan_*.txt --out whole.csv --from start.pfc --jobs .").status, -1);
  // A fitter slowed down, so that the run can be caught in the middle.
  std::ofstream(dir / "slow.sh") << "#!/bin/sh\nsleep 0.3\nexec " << XZENTRAB << " \"$@\"\n";
  fs::permissions(dir / "slow.sh", fs::perms::owner_all);
  fs::create_directories(dir / "jobs");
  for (int sig : {SIGKILL, SIGINT}) {
    fs::remove(dir / "part.csv");
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::chdir(dir.c_str());
      ::setenv("BALIMOR_INI", (dir / "cli.INI").c_str(), 1);
      ::freopen("/dev/null", "w", stderr);
      std::vector<std::string> args = {BALIMOR_CLI, "series", "--out", "part.csv", "--from", "start.pfc",
                                       "--jobs", "jobs", "--program", (dir / "slow.sh").string()};
      for (int k = 1; k <= kScans; ++k) args.push_back("scan_" + std::to_string(k) + ".txt");
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(BALIMOR_CLI, argv.data());
      ::_exit(127);
    }
    // Wait until three scans are in the summary.
    for (int i = 0; i < 200; ++i) {
      const std::string text = Slurp(dir / "part.csv");
      if (text.find("scan_3.txt") != std::string::npos) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid, sig);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (sig == SIGINT) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 130);
    }
    // Whole lines of whole scans only, and every job readable where it belongs.
    const std::string part = Slurp(dir / "part.csv");
    ASSERT_FALSE(part.empty());
    EXPECT_EQ(part.back(), '\n');
    EXPECT_LT(part.size(), Slurp(dir / "whole.csv").size());
    if (HavePython()) {
      const auto rows = Parsed("part.csv");
      for (const auto& row : rows) {
        EXPECT_TRUE(row.at("status") == "converged" || row.at("status") == "cancelled") << row.at("status");
      }
    }
    for (const auto& e : fs::directory_iterator(dir / "jobs"))
      if (e.path().extension() == ".pfc") {
        EXPECT_GT(fs::file_size(e.path()), 100u) << e.path();
      }
    const CliResult resumed = Cli("series scan_*.txt --out part.csv --from start.pfc --jobs jobs --resume");
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(Slurp(dir / "part.csv"), Slurp(dir / "whole.csv")) << (sig == SIGKILL ? "kill -9" : "Ctrl+C");
  }
}

// The recipe for several machines, on one: GNU parallel runs two parts, --merge joins them into
// the summary of a single run.
TEST_F(SeriesTest, ParallelPartsMergeToTheSingleRun) {
  ASSERT_NE(Cli("series scan_*.txt --out single.csv --from start.pfc").status, -1);
  if (Shell("command -v parallel >/dev/null") != 0) GTEST_SKIP() << "GNU parallel is not installed";
  fs::create_directories(dir / "jobs");
  const std::string cli = Q(BALIMOR_CLI);
  const int run = Shell("ls scan_*.txt | parallel --will-cite -N 6 -j 2 " + cli +
                        " series {} --from start.pfc --jobs jobs --out part-{#}.csv 2>/dev/null");
  EXPECT_NE(run, -1);
  const CliResult merged = Cli("series --merge all.csv part-1.csv part-2.csv");
  EXPECT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(Slurp(dir / "all.csv"), Slurp(dir / "single.csv"));
}

// Each bad input gives its row or a clear message, never a corrupt summary or a lost job.
TEST_F(SeriesTest, BadInput) {
  std::ofstream(dir / "foreign.csv") << "a,b,c\n1,2,3\n";
  std::ofstream(dir / "crash.sh") << "#!/bin/sh\nkill -SEGV $$\n";
  fs::permissions(dir / "crash.sh", fs::perms::owner_all);
  struct Case {
    std::string args;
    int status;
    std::string message;    // in the error stream
    std::string rowStatus;  // in out.csv, when not empty
  } cases[] = {
      {"series missing.txt --out out.csv --from start.pfc", 1, "", "failed: "},
      {"series scan_1.txt --out out.csv --from start.pfc --program /bin/true", 1, "", "failed: Calculation error"},
      {"series scan_1.txt --out out.csv --from start.pfc --program ./crash.sh", 1, "", "failed: Calculation error"},
      {"series scan_1.txt --out out.csv --from start.pfc --program ./nothing", 1, "", "failed: can't start the fitter"},
      {"series scan_1.txt --out out.csv --from start.pfc --range 200 300", 1, "", "failed: no points in the range"},
      {"series scan_1.txt --out foreign.csv --from start.pfc --resume", 1, "header differs", ""},
      {"series scan_1.txt ./scan_1.txt --out out.csv --from start.pfc", 1, "is given twice", ""},
      {"series scan_1.txt scan_2.txt --out out.csv -j 2", 1, "needs --from JOB", ""},
      {"series scan_1.txt --out out.csv --from start.pfc --chain", 1, "give one", ""},
      {"series scan_1.txt --out out.csv --from nothing.pfc", 1, "can't read the job", ""},
      {"series scan_1.txt --from start.pfc", 1, "--out SUMMARY.csv is needed", ""},
      {"series --merge all.csv foreign.csv", 1, "header differs", ""},
      {"series --merge all.csv", 1, "at least one PART.csv", ""},
      {"fit scan_1.txt --out out.csv", 1, "belong to series", ""},
  };
  for (const Case& c : cases) {
    fs::remove(dir / "out.csv");
    const CliResult r = Cli(c.args);
    EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args << "\n" << r.err;
    if (!c.rowStatus.empty()) {
      const std::string out = Slurp(dir / "out.csv");
      EXPECT_NE(out.find("," + c.rowStatus), std::string::npos) << c.args << "\n" << out;
    }
  }
  EXPECT_EQ(Slurp(dir / "foreign.csv"), "a,b,c\n1,2,3\n");
  // A full disk while the rows are written (a file size limit stands in for it): a clear
  // message, exit 1, and the summary as it was before the scan, rows of other files kept.
  std::string other = "file,scan,status,cycles,S,sigma,peak,position,fwhm,area,intensity,area_percent,position_err,fwhm_err,area_err\n";
  const std::string row = "other.txt,1,converged,5,1,1,1,28.44,0.11,1000,5000,100,,,\n";
  while (other.size() + row.size() < 300 * 1024 - 100) other += row;
  std::ofstream(dir / "full.csv", std::ios::binary) << other;
  CliResult full;
  full.status = Shell("bash -c \"trap '' XFSZ; ulimit -f 300; exec '" BALIMOR_CLI
                      "' series scan_1.txt scan_2.txt --out full.csv --from start.pfc --resume\" 2>err.txt");
  full.err = Slurp(dir / "err.txt");
  EXPECT_EQ(full.status, 1) << full.err;
  EXPECT_NE(full.err.find("can't write [full.csv]"), std::string::npos) << full.err;
  EXPECT_TRUE(Slurp(dir / "full.csv") == other) << fs::file_size(dir / "full.csv") << " bytes, " << other.size() << " before";
  // The start job stays as it was, and a scan's job restored after the crash reads back whole.
  EXPECT_GT(fs::file_size(dir / "start.pfc"), 1000u);
  EXPECT_GT(fs::file_size(dir / "scan_1#0.pfc"), 1000u);
}

}  // namespace
