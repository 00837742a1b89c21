// What a fit tells before its run (the fitters' limits) and after it (how it ended, and the
// warnings on its peaks), on synthetic records and reports.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "FitOutcome.h"
#include "PeakSearch.h"

namespace {

using C = CPeakSearch;

// A record of `peaks` peaks spread over 2 … 30 on `points` points of the data set.
struct Job {
  CPeakSearch record;
  CGraphData data;
  Job(DataKind kind, const char* program, int peaks, int points) {
    record.dataKind = kind;
    record.xrdProgram = record.ramanProgram = program;
    record.dataSet = &data;
    record.Clear();  // the background's first two terms free
    data.SetSize(points);
    for (int i = 0; i < points; ++i) {
      data.SetX(i, 2 + 28.0 * i / std::max(points - 1, 1));
      data.SetY(i, 10);
    }
    data.UpdateRange();
    record.optLow = record.calcLow = 2;
    record.optHigh = record.calcHigh = 30;
    for (int j = 0; j < peaks; ++j) record.AddPeak(2.1 + 27.8 * j / std::max(peaks, 1), 100, 0.5, 1, 0.1);
  }
};

TEST(FitOutcomeTest, LimitsBeforeARun) {
  struct Case {
    DataKind kind;
    const char* program;
    int peaks, points;
    int freeAll;  // when not -1, every flag of every peak and the background set to this
    const char* status;
    const char* message;
  };
  const DataKind X = DataKind::Diffraction, R = DataKind::Spectroscopic;
  const Case cases[] = {
      {X, "/opt/xZentrab", 70, 2000, 0, "", ""},
      {X, "/opt/xZentrab", 75, 2000, -1, "limit: 75 peaks > 70",
       "The fit has 75 peaks; xZentrab takes at most 70. Raise the search threshold or narrow the range."},
      {X, "/opt/zentrab", 71, 2000, -1, "limit: 71 peaks > 70", nullptr},
      {X, "/opt/xZentrab", 10, 20001, -1, "limit: 20001 points > 20000", nullptr},
      // 59 peaks with four free entries each and two free background terms: 238 > 200.
      {X, "/opt/xZentrab", 59, 2000, -1, "limit: 238 free parameters > 200",
       "The fit has 238 free parameters; xZentrab takes at most 200. Fix some parameters, or fit fewer peaks "
       "(raise the search threshold or narrow the range)."},
      // Every flag free: six entries a peak for xZentrab, five for Zentrab (no anisotropy).
      {X, "/opt/xZentrab", 33, 2000, 1, "limit: 203 free parameters > 200", nullptr},
      {X, "/opt/Zentrab", 39, 2000, 1, "", ""},
      {R, "/opt/simplexfit", 31, 2000, -1, "limit: 31 peaks > 30", nullptr},
      {R, "/opt/simplexfit", 5, 10001, -1, "limit: 10001 points > 10000", nullptr},
      // Five free entries a peak, two background terms: 9 peaks make 47, 10 make 52.
      {R, "/opt/simplexfit", 9, 2000, -1, "", ""},
      {R, "/opt/simplexfit", 10, 2000, -1, "limit: 52 free parameters > 50", nullptr},
      {R, "/opt/simplexfit", 0, 2000, 0, "limit: 0 free parameters < 2",
       "The fit has 0 free parameters; simplexfit needs at least 2. Free more parameters of the peaks or the "
       "background."},
      // A Raman spectrum fitted by a Zentrab build has its limits.
      {R, "/opt/xZentrab", 31, 2000, -1, "", ""},
  };
  for (const Case& c : cases) {
    Job job(c.kind, c.program, c.peaks, c.points);
    if (c.freeAll >= 0) {
      for (int k = 0; k < C::kBackgroundTerms; ++k) job.record.optimizeB[k] = c.freeAll;
      for (int j = 0; j < c.peaks; ++j)
        for (int col = 0; col < C::kColumns; ++col) job.record.Flag(C::Column(col), j) = c.freeAll;
    }
    const CFitLimitCheck check = CheckFitLimits(job.record);
    SCOPED_TRACE(std::string(c.program) + " " + std::to_string(c.peaks) + " peaks");
    EXPECT_EQ(check.status, c.status);
    if (c.message) {
      EXPECT_EQ(check.message, c.message);
    }
    EXPECT_EQ(check.Within(), std::string(c.status).empty());
  }
}

TEST(FitOutcomeTest, FreeParametersCountOnlyPeaksInTheOptimisationRange) {
  Job job(DataKind::Diffraction, "xZentrab", 60, 500);  // 60 × 4 + 2 entries over 2 … 30
  job.record.optHigh = 10;  // peaks at 2.1 + 0.463 j: j = 0 … 17 left, 18 × 4 + 2 entries
  job.record.calcHigh = 10;
  const CFitJobCounts n = CountFitJob(job.record, FitterKind::kXZentrab);
  EXPECT_EQ((std::vector<int>{n.peaks, n.points, n.pointsInRange, n.freeParameters}),
            (std::vector<int>{60, 500, 143, 74}));
}

// The limits are the fitters' own: each built fitter, given a job just within and one just
// beyond each limit, refuses exactly the jobs that the check refuses.
TEST(FitOutcomeTest, TheBuiltFittersRefuseWhatTheCheckRefuses) {
  namespace fs = std::filesystem;
  struct Case {
    const char* program;
    int peaks, points;
    int allFree;  // 1: every flag free; 0: the background's only; -1: nothing free
  };
  const Case cases[] = {
      {XZENTRAB_PATH, 70, 500, 0},  {XZENTRAB_PATH, 71, 500, 0},   {XZENTRAB_PATH, 10, 20000, 0},
      {XZENTRAB_PATH, 10, 20001, 0}, {XZENTRAB_PATH, 32, 500, 1},  {XZENTRAB_PATH, 33, 500, 1},
      {ZENTRAB_PATH, 39, 500, 1},   {ZENTRAB_PATH, 40, 500, 1},    {SIMPLEXFIT_PATH, 30, 500, 0},
      {SIMPLEXFIT_PATH, 31, 500, 0}, {SIMPLEXFIT_PATH, 2, 10000, 1}, {SIMPLEXFIT_PATH, 2, 10001, 1},
      {SIMPLEXFIT_PATH, 9, 500, 1},  {SIMPLEXFIT_PATH, 10, 500, 1},  {SIMPLEXFIT_PATH, 0, 500, -1},
  };
  const fs::path dir = fs::temp_directory_path() / ("balimor_limits_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  int refused = 0;
  for (const Case& c : cases) {
    const bool simplex = std::string(c.program) == SIMPLEXFIT_PATH;
    Job job(simplex ? DataKind::Spectroscopic : DataKind::Diffraction, c.program, c.peaks, c.points);
    CPeakSearch& r = job.record;
    r.maxIteration = 1;
    for (int k = 0; k < C::kBackgroundTerms; ++k) r.optimizeB[k] = c.allFree >= 0;
    for (int j = 0; j < c.peaks; ++j)
      for (int col = 0; col < C::kColumns; ++col) r.Flag(C::Column(col), j) = c.allFree == 1;
    const std::string jobFile = (dir / (simplex ? "fit.pfc" : "job.pfc")).string();
    ASSERT_EQ(r.SavePFCFile(jobFile), 1);
    const std::string cmd = "cd '" + dir.string() + "' && '" + c.program + "'" + (simplex ? "" : " job.pfc") +
                            " > console.txt 2>&1";
    (void)std::system(cmd.c_str());
    std::ifstream in(dir / "console.txt");
    std::stringstream console;
    console << in.rdbuf();
    const std::string out = console.str();
    const bool fitterRefused = out.find("too large") != std::string::npos ||
                               out.find("outside the job limits") != std::string::npos ||
                               out.find("(SUBR.SMPLX) N ") != std::string::npos;
    const CFitLimitCheck check = CheckFitLimits(r);
    EXPECT_EQ(!check.Within(), fitterRefused) << c.program << " " << c.peaks << " peaks " << c.points
                                              << " points: " << check.status << "\n" << out.substr(0, 2000);
    refused += fitterRefused;
  }
  EXPECT_EQ(refused, 8);  // every second case of the first fourteen, and the job with nothing free
  fs::remove_all(dir);
}

// The report lines the fitters print, put together into reports of each ending.
std::string ZentrabReport(const char* method, int limit, int cycleLines, const char* ending, bool saved,
                          const char* extra = "") {
  std::string r = std::string(" Optimize by ") + method + "\n Maximum number of iteration:" +
                  std::to_string(limit) + "\n";
  for (int i = 1; i <= cycleLines; ++i)
    r += " Start cycle " + std::to_string(i) + " S=  " + std::to_string(1000 - i) + ".000     sigma=   2.50000\n";
  r += ending;
  r += extra;
  if (saved) r += " ***Save new parameters to new.pfc\n\n *** Peak area: #   2Q\n";
  return r;
}

TEST(FitOutcomeTest, HowARunEnded) {
  using E = CFitOutcome::End;
  const std::string repair = "\n   C(Gauss) must be positive. #:    2  -41.5000    \n"
                             "\n   C(Lorentz) must be positive. #:    1  -3.00000    \n";
  struct Case {
    std::string report;
    FitterKind fitter;
    E end;
    int done;
    const char* status;
    const char* note;
    int warnings;
  };
  const FitterKind X = FitterKind::kXZentrab, S = FitterKind::kSimplexfit;
  const Case cases[] = {
      {ZentrabReport("marq", 30, 12, " ******  Converged  *****\n", true), X, E::kConverged, 12,
       "converged (12 cycles)", "", 0},
      {ZentrabReport("marq", 30, 30, "", true), X, E::kAtLimit, 30, "not converged (30 cycles)",
       "stopped at the cycle limit (30) before converging", 0},
      {ZentrabReport("MarqAdaptive", 5, 6, "", true), X, E::kAtLimit, 5, "not converged (5 cycles)",
       "stopped at the cycle limit (5) before converging", 0},
      {ZentrabReport("MarqAdaptive", 30, 9, " ******  No step lowers S any more  *****\n", true), X, E::kStalled,
       8, "stalled (8 cycles)", "", 0},
      {ZentrabReport("marq", 30, 4, " ******  Converged  *****\n", true, repair.c_str()), X, E::kConverged, 4,
       "converged (4 cycles)", "", 2},
      {ZentrabReport("marq", 30, 3, " ***** Error occured in GLU. IER=    1\n", false), X, E::kNotFitted, 3,
       "not fitted: ***** Error occured in GLU. IER=    1", "", 0},
      // A limit stop prints on the console only: the report just ends.
      {" Number of Peaks to fit:   75\n", X, E::kNotFitted, 0,
       "not fitted: the report ends before the refined job was saved", "", 0},
      {" ITER=  100  FL, FS, FH= 5. 6. 7.\n (SUBR.SMPLX) CONVERGENCE AT ITER=  164\n[Save new pameters to new.pfc]\n",
       S, E::kConverged, 164, "converged (164 iterations)", "", 0},
      {" ITER= 2000  FL, FS, FH= 5. 6. 7.\n (SUBR.SMPLX) ITERATION TERMINATED DUE TO ITMAX\n"
       "[Save new pameters to new.pfc]\n",
       S, E::kAtLimit, 2000, "not converged (2000 iterations)",
       "stopped at the iteration limit (2000) before converging", 0},
      {" (SUBR.SMPLX) N IS LARGER THAN MAXN:  50\n[Save new pameters to new.pfc]\n", S, E::kNotFitted, 0,
       "not fitted: (SUBR.SMPLX) N IS LARGER THAN MAXN:  50", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report);
    const CFitOutcome o = ReadFitOutcomeText(c.report, c.fitter, 2000);
    EXPECT_EQ(o.end, c.end);
    EXPECT_EQ(o.done, c.done);
    EXPECT_EQ(o.Status(), c.status);
    EXPECT_EQ(o.LimitNote(), c.note);
    EXPECT_EQ(o.StoppedAtLimit(), c.end == E::kAtLimit);
    EXPECT_EQ(static_cast<int>(o.warnings.size()), c.warnings);
    if (c.fitter == X && c.end != E::kNotFitted) {
      // S and sigma of the last cycle line.
      int lines = 0;
      for (std::size_t at = 0; (at = c.report.find(" Start cycle ", at)) != std::string::npos; ++at) ++lines;
      EXPECT_EQ(o.s, 1000 - lines);
      EXPECT_EQ(o.sigma, 2.5);
    } else if (c.end == E::kNotFitted) {
      EXPECT_EQ(o.s, -1);  // no S of a run that did not finish
    }
  }
  const CFitOutcome repaired = ReadFitOutcomeText(cases[4].report, X, 30);
  ASSERT_EQ(repaired.warnings.size(), 2u);
  EXPECT_EQ(repaired.warnings[0].text, "Peak 1: Lorentz part came out negative (-3) and was set to 0");
  EXPECT_EQ(repaired.warnings[1].text, "Peak 2: Gauss part came out negative (-41.5) and was set to 0");
  EXPECT_EQ(repaired.Notes(), repaired.warnings[0].text + "\n" + repaired.warnings[1].text);
}

TEST(FitOutcomeTest, WarningsOnTheRefinedPeaks) {
  Job job(DataKind::Diffraction, "xZentrab", 0, 281);  // data 2 … 30
  CPeakSearch& r = job.record;
  r.AddPeak(0.996, 100, 1, 1, 0.1);   // outside the data
  r.AddPeak(15, 100, 1, 1, 0.1);      // fine
  r.AddPeak(16, 100, 0, 1, 12);       // Lorentzian, 12 wide: over a third of 28
  r.AddPeak(31, 100, 0.5, 1, 0.1);    // outside the data
  r.optHigh = 20;                     // peak 4 also outside the optimisation range; a new third
  r.AddPeak(25, 100, 0.5, 1, 0.1);    // in the data, outside the optimisation range
  CFitOutcome o = ReadFitOutcomeText(ZentrabReport("marq", 30, 2, " ******  Converged  *****\n", true), FitterKind::kXZentrab, 30);
  AddPeakWarnings(o, r, FitterKind::kXZentrab);
  std::vector<std::string> texts;
  for (const CPeakWarning& w : o.warnings) texts.push_back(w.text);
  const std::vector<std::string> want = {
      "Peak 1: centre 0.996 lies outside the data, 2 … 30",
      "Peak 3: width 12 exceeds a third of the optimisation range, 2 … 20",
      "Peak 4: centre 31 lies outside the data, 2 … 30",
      "Peak 5: centre 25 lies outside the optimisation range, 2 … 20",
  };
  EXPECT_EQ(texts, want);

  Job raman(DataKind::Spectroscopic, "simplexfit", 2, 281);
  raman.record.Value(C::kCLorentz, 1) = -7;
  raman.record.Value(C::kCGauss, 0) = 13642.5;
  raman.record.Value(C::kCLorentz, 0) = -6.4e-6;  // the search's rounding below 0: no warning
  CFitOutcome s = ReadFitOutcomeText(" (SUBR.SMPLX) CONVERGENCE AT ITER= 9\n[Save new pameters to new.pfc]\n",
                                     FitterKind::kSimplexfit, 100);
  AddPeakWarnings(s, raman.record, FitterKind::kSimplexfit);
  ASSERT_EQ(s.warnings.size(), 1u);
  EXPECT_EQ(s.warnings[0].text, "Peak 2: Lorentz part is negative (-7)");
}

}  // namespace
