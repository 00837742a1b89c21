// The adaptive method: its choice by the method record, rejected trials, the fall of S from one
// accepted step to the next, a fit where the fixed-damping cycle climbs, and the standard errors
// against a covariance computed here from finite differences of an independent model.
#include <gtest/gtest.h>

#include <cmath>

#include "recordio/recordio.h"
#include "synthjob.h"
#include "testutil.h"
#include "zentrab/adaptive.h"
#include "zentrab/cycle.h"
#include "zentrab/input.h"
#include "zentrab/profile.h"
#include "zentrab/run.h"

namespace zentrab::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Reads the job text into a state and evaluates its start values, as a run does before its cycles.
std::unique_ptr<State> loaded(const TempDir& dir, const std::string& pfc) {
  dir.write("load.pfc", pfc);
  auto st = newState();
  Captured io;
  EXPECT_EQ(input::rdfile(*st, io.out, dir.file("load.pfc")), Status::ok);
  EXPECT_EQ(input::selectData(*st, io.out), Status::ok);
  profile::cnvdat(*st, io.out);
  EXPECT_EQ(cycle::mkidx(*st, io.out), Status::ok);
  profile::basprf(*st, io.out);
  return st;
}

// Four doublets (single lines in the single-line build) on a quadratic background, 3001 points,
// 23 free parameters. The data are this build's own model at the truth, so that the least S is
// 0; the start values are off by a third of a width in position and 30 % in height and width.
synth::Job roughDoublets(std::vector<synth::Peak>& truth) {
  synth::Job job;
  job.qRange = 8;
  job.calcLow = job.optLow = 20;
  job.calcHigh = job.optHigh = 50;
  job.maxIteration = 40;
  job.eps = 1e-6;
  job.dampingFactor = 0.001;
  job.back = {120, -1.0, 0.01, 0, 0};
  job.backFlag = {1, 1, 1, 0, 0};
  synth::grid(job, 20, 0.01, 3001);
  const double pos[4] = {24.3, 31.8, 38.2, 45.6}, I[4] = {1800, 700, 2500, 1200},
               g[4] = {0.7, 0.4, 0.55, 0.3}, w[4] = {0.09, 0.11, 0.12, 0.14},
               r[4] = {1.1, 0.85, 1.0, 0.9};
  truth.clear();
  for (int k = 0; k < 4; ++k) {
    synth::Peak pk;
    pk.position = pos[k];
    pk.intensity = I[k];
    pk.gaussFraction = g[k];
    pk.gaussFwhm = w[k];
    pk.rfwhm = r[k];
    pk.anisotropy = 0.02;
    pk.flags = {1, 1, 1, 1, 0, 1, 0};
    truth.push_back(pk);
  }
  job.peaks = truth;
  job.y.assign(job.x.size(), 0.0);
  TempDir dir;
  const auto st = loaded(dir, synth::pfcText(job));
  for (int i = 0; i < st->nData; ++i) job.y[i] = st->model[i];
  job.peaks = synth::roughStart(truth, 1.0 / 3, 0.3, 1);
  return job;
}

// The job's text with the method record `method`.
std::string withMethod(synth::Job job, const std::string& method) {
  job.method = method;
  return synth::pfcText(job);
}

// S of every start-of-cycle line of a log.
std::vector<double> startCycleS(const std::string& log) {
  std::vector<double> S;
  for (const std::string& l : lines(log))
    if (l.rfind(" Start cycle ", 0) == 0) S.push_back(std::stod(l.substr(19, 14)));
  return S;
}

TEST(Adaptive, ChosenByAMethodRecordThatBeginsWithMarqAdaptive) {
  const std::pair<const char*, bool> cases[] = {
      {"MarqAdaptive             ", true}, {"marqadaptive", true}, {"MARQADAPTIVE Nielsen", true},
      {"Marq                     ", false}, {"MarqAdapt", false}, {" MarqAdaptive", false},
      {"", false}};
  for (const auto& [method, adaptive] : cases) EXPECT_EQ(adaptive::chosen(method), adaptive) << method;
}

TEST(Adaptive, ARejectedTrialKeepsTheParametersAndRaisesTheDamping) {
  std::vector<synth::Peak> truth;
  TempDir dir;
  auto st = loaded(dir, synth::pfcText(roughDoublets(truth)));
  adaptive::Progress pr;
  pr.damping = st->dampingFactor;
  st->iteration = 1;
  adaptive::setBounds(*st);
  adaptive::prepare(*st);
  int evaluated = 0;
  for (int k = 0; k < 100 && !st->converged; ++k) {
    const auto back = st->back;
    const auto p = st->p, CG = st->CG, CL = st->CL, h = st->h, r = st->r;
    const double S = st->S, sigma = st->sigma, damping = pr.damping, nu = pr.nu;
    const int rejected = pr.rejected, cycle = st->iteration;
    Captured io;
    const adaptive::Trial t = adaptive::trial(*st, io.out, pr);
    if (t == adaptive::Trial::stalled) break;
    if (t == adaptive::Trial::accepted) {
      EXPECT_LT(st->S, S);
      // Every step stays within the bounds: heights and widths positive, Gauss fraction
      // within 0 ... 1, positions within the calculation range.
      for (int j = 0; j < st->nPeak; ++j) {
        EXPECT_GE(st->CG[j], 0.0f);
        EXPECT_GE(st->CL[j], 0.0f);
        EXPECT_GT(st->h[j], 0.0f);
        EXPECT_GT(st->r[j], 0.0f);
        EXPECT_TRUE(st->calcLow <= st->p[j] && st->p[j] <= st->calcHigh) << st->p[j];
      }
      EXPECT_EQ(pr.nu, adaptive::kFirstRaise);
      EXPECT_EQ(lines(io.console.str()).front(), " *** New Parameters ***");
      EXPECT_EQ(lines(io.console.str()).back().rfind(" Start cycle " + recordio::formatI(cycle + 1, 3), 0), 0u);
      adaptive::prepare(*st);
      continue;
    }
    ASSERT_EQ(t, adaptive::Trial::rejected);
    EXPECT_TRUE(back == st->back && p == st->p && CG == st->CG && CL == st->CL && h == st->h &&
                r == st->r);
    EXPECT_EQ(st->S, S);
    EXPECT_EQ(st->sigma, sigma);
    EXPECT_EQ(pr.damping, damping * nu);  // ν = 2, 4, 8, ... for rejections in a row
    EXPECT_EQ(pr.nu, 2 * nu);
    EXPECT_EQ(pr.rejected, rejected + 1);
    const std::string line = io.console.str();
    const std::string lead = " *** Rejected step in cycle" + recordio::formatI(cycle, 3) + ", ";
    ASSERT_EQ(line.rfind(lead, 0), 0u) << line;
    EXPECT_NE(line.find(", damping raised to" +
                        recordio::formatG(damping * nu, 14, 6, recordio::diffractionNotation()) + "\n"),
              std::string::npos) << line;
    if (line.compare(lead.size(), 9, "trial S= ") == 0) ++evaluated;
    EXPECT_EQ(line.find("a width not positive"), std::string::npos) << line;
  }
  // This fit meets rejected steps; none for a width, which the bounds keep positive.
  EXPECT_GE(evaluated, 1);
  EXPECT_GE(pr.accepted, 5);
}

TEST(Adaptive, ReachesTheTruthWhereTheFixedCycleClimbsAndSNeverRises) {
  std::vector<synth::Peak> truth;
  const synth::Job job = roughDoublets(truth);

  JobRun fixed(withMethod(job, "Marq"));
  ASSERT_EQ(fixed.status, 0) << fixed.err.str();
  const auto fixedS = startCycleS(fixed.console.str());
  bool climbs = false;
  for (std::size_t c = 1; c < fixedS.size(); ++c) climbs = climbs || fixedS[c] > fixedS[c - 1];
  EXPECT_TRUE(climbs);
  EXPECT_EQ(fixed.console.str().find("Standard errors"), std::string::npos);
  EXPECT_EQ(fixed.console.str().find("Rejected step"), std::string::npos);

  JobRun run(withMethod(job, "MarqAdaptive"));
  ASSERT_EQ(run.status, 0) << run.err.str();
  const std::string log = run.console.str();
  EXPECT_EQ(run.dir.read("out.txt"), log);
  const auto S = startCycleS(log);
  ASSERT_GE(S.size(), 3u);
  for (std::size_t c = 1; c < S.size(); ++c) EXPECT_LE(S[c], S[c - 1]) << "cycle " << c + 1;
  EXPECT_NE(log.find("Rejected step"), std::string::npos);
  // One start-of-cycle line for the start values and one after every accepted step.
  int accepted = 0;
  for (const std::string& l : lines(log)) accepted += l == " *** New Parameters ***";
  EXPECT_EQ(static_cast<int>(S.size()), accepted + 1);

  const State& st = *run.st;
  for (int j = 0; j < 4; ++j) {
    const synth::Peak& t = truth[j];
    const double want[] = {t.position, t.intensity, t.gaussFraction, t.gaussFwhm, t.rfwhm};
    const int k[] = {kPosition, kIntensity, kGaussFraction, kGaussFwhm, kRfwhm};
    for (int m = 0; m < 5; ++m)
      EXPECT_NEAR(st.prm[k[m]][j], want[m], 1e-4 * want[m]) << "peak " << j + 1 << " parameter " << k[m];
  }
  // The background as a curve (its coefficients in powers of 2θ are nearly dependent).
  auto background = [](const auto& b, double x) { return b[0] + x * (b[1] + x * b[2]); };
  for (double x : {20.0, 35.0, 50.0})
    EXPECT_NEAR(background(st.back, x), background(job.back, x), 1e-4 * background(job.back, x)) << x;

  // The standard errors stand before the save line.
  const auto block = log.find("\n *** Standard errors of the optimized parameters ***\n");
  ASSERT_NE(block, std::string::npos);
  EXPECT_LT(block, log.find(" ***Save new parameters to "));
}

// Fits that a free parameter would leave its bounds for: a Gaussian line less a broad
// Lorentzian (a Gauss fraction of 1.3: C(Lorentz) would go negative), and a line whose true centre lies beyond the end
// of the calculation range. The parameter is held on its bound and reported as such, the back
// conversion mends nothing, and the S printed last is the S of the job saved.
TEST(Adaptive, AParameterPushedAgainstABoundIsHeldThereAndTheSavedJobIsTheOnePrinted) {
  struct Case {
    const char* what;
    synth::Peak truth, start;
    double calcHigh;
    int param;          // the file parameter reported held at a bound
    double heldValue;   // and its value there
  };
  const std::vector<Case> cases = {
      {"Gaussian less a broad Lorentzian", {30.0, 1000, 1.3, 0.1, 0.5, 0, {1, 1, 1, 1, 0, 1, 0}},
       {30.01, 900, 0.5, 0.12, 1.0, 0, {1, 1, 1, 1, 0, 1, 0}}, 32, kGaussFraction, 1.0},
      {"centre beyond the range", {32.05, 1000, 0.5, 0.2, 1.0, 0, {1, 1, 0, 0, 0, 0, 0}},
       {31.9, 1000, 0.5, 0.2, 1.0, 0, {1, 1, 0, 0, 0, 0, 0}}, 32, kPosition, 32.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    synth::Job job;
    job.qRange = 8;
    job.calcLow = job.optLow = 28;
    job.calcHigh = c.calcHigh;
    job.optHigh = 34;
    job.maxIteration = 50;
    job.eps = 1e-7;
    job.back = {100, 0, 0, 0, 0};
    job.backFlag = {1, 0, 0, 0, 0};
    synth::grid(job, 28, 0.005, 1201);
    synth::fillData(job, {c.truth}, kFullProfile, 1.0, 5);
    job.peaks = {c.start};
    JobRun run(withMethod(job, "MarqAdaptive"));
    ASSERT_EQ(run.status, 0) << run.err.str();
    const std::string log = run.console.str();
    EXPECT_EQ(log.find("must be positive"), std::string::npos) << log;
    EXPECT_FLOAT_EQ(run.st->prm[c.param][0], static_cast<float>(c.heldValue));
    bool reported = false;
    for (const adaptive::ErrorRow& r : adaptive::errorRows(*run.st))
      if (r.peak == 1 && r.param == c.param) reported = r.atBound;
    EXPECT_TRUE(reported);
    EXPECT_NE(log.find(adaptive::kHeldAtBound), std::string::npos);
    // The saved job read back: its S is the last S printed.
    const auto S = startCycleS(log);
    ASSERT_FALSE(S.empty());
    const auto saved = loaded(run.dir, run.dir.read("new.pfc"));
    EXPECT_NEAR(saved->S, S.back(), 1e-4 * S.back());
  }
}

// Raman spectra through the single-line build (a Zentrab program serving as the Raman/IR
// fitter): wave numbers to 3500 with every background coefficient free, from rough start
// values. The fit reaches the least S (the same method from the true parameters) within 1 %,
// and the job it saves, read back, has the S it printed last.
TEST(Adaptive, RamanSpectraReachTheLeastSAndTheSavedJobHasThePrintedS) {
  if (kFullProfile) GTEST_SKIP() << "Raman spectra are fitted by the single-line build";
  for (std::uint64_t seed : {1, 4}) {
    SCOPED_TRACE(seed);
    std::vector<synth::Peak> truth;
    const synth::Job job = synth::ramanJob(truth, seed);
    synth::Job fromTruth = job;
    fromTruth.peaks = truth;
    fromTruth.back = {300, 0.2, -1e-4, 1.5e-8, 0};
    JobRun least(synth::pfcText(fromTruth));
    JobRun run(synth::pfcText(job));
    ASSERT_EQ(run.status, 0) << run.err.str();
    ASSERT_EQ(least.status, 0) << least.err.str();
    const auto S = startCycleS(run.console.str());
    ASSERT_FALSE(S.empty());
    EXPECT_LT(S.back(), 1.01 * least.st->S);
    EXPECT_EQ(run.console.str().find("must be positive"), std::string::npos);
    const auto saved = loaded(run.dir, run.dir.read("new.pfc"));
    EXPECT_NEAR(saved->S, S.back(), 1e-4 * S.back());
  }
}

// Model of the test's job in file parameters, in double precision by the synthetic generator,
// each peak inside the window that the fitted values give it; finite differences of it by
// position, intensity, Gauss fraction, Gaussian fwhm, rfwhm and the free background
// coefficients make the Jacobian of an independent covariance.
struct FileModel {
  synth::Job job;  // window-free copy of the job (qRange huge): the window is applied here
  std::vector<synth::Peak> peaks;
  std::array<double, 5> back{};
  std::vector<std::pair<double, double>> window;

  double at(double x) const {
    double y = back[0] + x * (back[1] + x * (back[2] + x * (back[3] + x * back[4])));
    for (std::size_t j = 0; j < peaks.size(); ++j)
      if (window[j].first <= x && x <= window[j].second)
        y += synth::peakProfile(job, peaks[j], x, kFullProfile);
    return y;
  }
  // Parameter m: background coefficients 0..nb-1, then five per peak.
  double& param(int m, int nb) {
    if (m < nb) return back[m];
    synth::Peak& pk = peaks[(m - nb) / 5];
    double* v[5] = {&pk.position, &pk.intensity, &pk.gaussFraction, &pk.gaussFwhm, &pk.rfwhm};
    return *v[(m - nb) % 5];
  }
};

// Solves the symmetric positive system by Gauss-Jordan elimination and returns its inverse.
std::vector<std::vector<double>> inverse(std::vector<std::vector<double>> a) {
  const std::size_t n = a.size();
  std::vector<std::vector<double>> inv(n, std::vector<double>(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) inv[i][i] = 1;
  for (std::size_t k = 0; k < n; ++k) {
    const double piv = a[k][k];
    for (std::size_t j = 0; j < n; ++j) {
      a[k][j] /= piv;
      inv[k][j] /= piv;
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (i == k) continue;
      const double f = a[i][k];
      for (std::size_t j = 0; j < n; ++j) {
        a[i][j] -= f * a[k][j];
        inv[i][j] -= f * inv[k][j];
      }
    }
  }
  return inv;
}

TEST(Adaptive, StandardErrorsMatchAFiniteDifferenceCovariance) {
  // Two overlapping doublets on a sloping background with counting noise.
  synth::Job job;
  job.qRange = 10;
  job.calcLow = job.optLow = 28;
  job.calcHigh = job.optHigh = 34;
  job.maxIteration = 60;
  job.eps = 1e-6;
  job.back = {150, -2.0, 0, 0, 0};
  job.backFlag = {1, 1, 0, 0, 0};
  synth::grid(job, 28, 0.004, 1501);
  std::vector<synth::Peak> truth(2);
  truth[0] = {30.4, 900, 0.6, 0.12, 1.1, 0.0, {1, 1, 1, 1, 0, 1, 0}};
  truth[1] = {31.0, 400, 0.4, 0.15, 0.9, 0.0, {1, 1, 1, 1, 0, 1, 0}};
  synth::fillData(job, truth, kFullProfile, 1.0, 99);
  job.peaks = synth::perturbed(truth, 0.01, 0.05);
  JobRun run(withMethod(job, "MarqAdaptive"));
  ASSERT_EQ(run.status, 0) << run.err.str();
  const State& st = *run.st;
  const auto rows = adaptive::errorRows(st);
  const int nb = 2, p = nb + 10;
  ASSERT_EQ(static_cast<int>(rows.size()), p);

  // The model at the fitted values as "new.pfc" states them.
  FileModel fm;
  fm.job = job;
  fm.job.qRange = 1e9;
  for (int k = 0; k < 5; ++k) fm.back[k] = st.back[k];
  for (int j = 0; j < 2; ++j) {
    synth::Peak pk = truth[j];
    pk.position = st.prm[kPosition][j];
    pk.intensity = st.prm[kIntensity][j];
    pk.gaussFraction = st.prm[kGaussFraction][j];
    pk.gaussFwhm = st.prm[kGaussFwhm][j];
    pk.rfwhm = st.prm[kRfwhm][j];
    fm.peaks.push_back(pk);
    const double L = job.qRange * std::max(pk.gaussFwhm, pk.gaussFwhm / pk.rfwhm);
    const double p2 = 2 * std::asin(job.ramda2 / job.ramda1 * std::sin(pk.position / 2 * kPi / 180)) * 180 / kPi;
    fm.window.push_back({pk.position - L, (kFullProfile ? p2 : pk.position) + L});
  }
  const int n = st.nData;
  std::vector<std::vector<double>> J(n, std::vector<double>(p));
  double S = 0;
  for (int i = 0; i < n; ++i) {
    const double r = st.y[i] - fm.at(st.x[i]);
    S += r * r;
  }
  for (int m = 0; m < p; ++m) {
    double& v = fm.param(m, nb);
    const double v0 = v, d = 1e-6 * std::max(std::fabs(v0), m < nb ? 1.0 : 0.01);
    std::vector<double> up(n);
    v = v0 + d;
    for (int i = 0; i < n; ++i) up[i] = fm.at(st.x[i]);
    v = v0 - d;
    for (int i = 0; i < n; ++i) J[i][m] = (up[i] - fm.at(st.x[i])) / (2 * d);
    v = v0;
  }
  std::vector<std::vector<double>> JtJ(p, std::vector<double>(p, 0.0));
  for (int i = 0; i < n; ++i)
    for (int a = 0; a < p; ++a)
      for (int b = 0; b < p; ++b) JtJ[a][b] += J[i][a] * J[i][b];
  const auto C = inverse(JtJ);
  EXPECT_NEAR(S, st.S, 1e-3 * st.S);

  // Rows in the order of the parameters here: b1, b2, then per peak position, intensity, Gauss
  // fraction, Gaussian fwhm, rfwhm.
  for (int m = 0; m < p; ++m) {
    const double want = std::sqrt(C[m][m] * S / (n - p));
    EXPECT_NEAR(rows[m].error, want, 0.01 * want)
        << "row " << m << ": peak " << rows[m].peak << " parameter " << rows[m].param;
  }
  // Every row is printed in the block.
  const std::string log = run.console.str();
  const auto head = log.find("   #  parameter                 value  standard error\n");
  ASSERT_NE(head, std::string::npos);
  const auto printed = lines(log.substr(head));
  ASSERT_GT(printed.size(), static_cast<std::size_t>(p));
  EXPECT_EQ(printed[1].substr(0, 22), "   0  background b1   ");
  EXPECT_EQ(printed[3].substr(0, 22), "   1  position        ");
  EXPECT_EQ(printed[p].substr(0, 22), "   2  rfwhm           ");
  EXPECT_EQ(printed[p + 1].rfind(" ***Save new parameters to ", 0), 0u);
}

TEST(Adaptive, StandardErrorsGiveWayToAMessageWhenTheyAreNotDetermined) {
  std::vector<synth::Peak> truth;
  const synth::Job base = roughDoublets(truth);
  struct Case {
    const char* what;
    synth::Job job;
    const char* message;
  };
  std::vector<Case> cases;
  {
    synth::Job j = base;  // 11 points for 23 parameters
    j.calcHigh = 20.1;
    cases.push_back({"n <= p", j, "   Not computed: no more data points than optimized parameters."});
  }
  {
    synth::Job j = base;  // the fourth peak's window holds no point: its rows are empty
    j.calcHigh = 42;
    cases.push_back({"singular", j, "   Not computed: the normal matrix is singular."});
  }
  {
    synth::Job j = base;
    j.maxIteration = 0;
    j.backFlag = {};
    for (auto& pk : j.peaks) pk.flags = {};
    cases.push_back({"nothing free", j, "   None: no parameter is optimized."});
  }
  for (const Case& c : cases) {
    JobRun run(withMethod(c.job, "MarqAdaptive"));
    ASSERT_EQ(run.status, 0) << c.what << ": " << run.err.str();
    const std::string log = run.console.str();
    const std::string want = "\n *** Standard errors of the optimized parameters ***\n" +
                             std::string(c.message) + "\n ***Save new parameters to ";
    EXPECT_NE(log.find(want), std::string::npos) << c.what << "\n" << log.substr(log.size() > 3000 ? log.size() - 3000 : 0);
    EXPECT_TRUE(run.dir.exists("new.pfc")) << c.what;
  }
}

}  // namespace
}  // namespace zentrab::test
