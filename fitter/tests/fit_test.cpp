// Whole runs in a temporary directory: a noiseless synthetic job is fitted back to its truth,
// "new.pfc" reads back as a job, the cycle limit, and the solver's stop.
#include <gtest/gtest.h>

#include <cmath>

#include "recordio/recordio.h"
#include "synthjob.h"
#include "testutil.h"
#include "zentrab/input.h"
#include "zentrab/run.h"

namespace zentrab::test {
namespace {

// Three peaks on a sloping background, data made by the profile of this build.
synth::Job threePeaks(std::vector<synth::Peak>& truth, bool anisotropyFree) {
  synth::Job job;
  job.qRange = 8;
  job.calcLow = 25;
  job.calcHigh = 70;
  job.optLow = 25;
  job.optHigh = 70;
  job.maxIteration = 60;
  job.eps = 1e-4;
  job.back = {200, -1.5, 0, 0, 0};
  job.backFlag = {1, 1, 0, 0, 0};
  synth::grid(job, 25, 0.01, 4501);
  const double pos[3] = {30.2, 44.7, 61.9}, inten[3] = {1500, 900, 2400},
               gf[3] = {0.7, 0.4, 0.55}, fwhm[3] = {0.12, 0.16, 0.2}, rf[3] = {1.0, 0.8, 1.3},
               an[3] = {0.04, 0.02, 0.03};
  truth.clear();
  for (int j = 0; j < 3; ++j) {
    synth::Peak pk;
    pk.position = pos[j];
    pk.intensity = inten[j];
    pk.gaussFraction = gf[j];
    pk.gaussFwhm = fwhm[j];
    pk.rfwhm = rf[j];
    pk.anisotropy = an[j];
    pk.flags = {1, 1, 1, 1, 0, 1, anisotropyFree ? 1 : 0};
    truth.push_back(pk);
  }
  synth::fillData(job, truth, kFullProfile);
  job.peaks = synth::perturbed(truth, 0.02, 0.08);
  if (!anisotropyFree)
    for (std::size_t j = 0; j < truth.size(); ++j) job.peaks[j].anisotropy = truth[j].anisotropy;
  return job;
}

TEST(Fit, RecoversANoiselessSyntheticJob) {
  std::vector<synth::Peak> truth;
  const synth::Job job = threePeaks(truth, false);
  JobRun run(synth::pfcText(job));
  ASSERT_EQ(run.status, 0) << run.err.str();
  EXPECT_NE(run.console.str().find(" ******  Converged  *****"), std::string::npos) << run.console.str();
  const State& st = *run.st;
  for (int j = 0; j < 3; ++j) {
    const synth::Peak& t = truth[j];
    EXPECT_NEAR(st.prm[kPosition][j], t.position, 1e-3 * 0.1) << j;  // 1e-3 of the width
    EXPECT_NEAR(st.prm[kIntensity][j], t.intensity, 1e-3 * t.intensity) << j;
    EXPECT_NEAR(st.prm[kGaussFraction][j], t.gaussFraction, 1e-3 * t.gaussFraction) << j;
    EXPECT_NEAR(st.prm[kGaussFwhm][j], t.gaussFwhm, 1e-3 * t.gaussFwhm) << j;
    EXPECT_NEAR(st.prm[kRfwhm][j], t.rfwhm, 1e-3 * t.rfwhm) << j;
    EXPECT_FLOAT_EQ(st.prm[kAnisotropy][j], static_cast<float>(t.anisotropy)) << j;
  }
  EXPECT_NEAR(st.back[0], 200, 0.2);
  EXPECT_NEAR(st.back[1], -1.5, 1.5e-3);

  // The console and the log carry the same lines.
  EXPECT_EQ(run.dir.read("out.txt"), run.console.str());
  // The converged step is not evaluated again: the S of the last start-of-cycle line is the S
  // the run ends with.
  const std::string& log = run.console.str();
  const auto last = log.rfind(" Start cycle ");
  ASSERT_NE(last, std::string::npos);
  EXPECT_EQ(log.substr(last + 19, 14), recordio::formatG(st.S, 14, 6, recordio::diffractionNotation()))
      << log.substr(last, 60);

  // "new.pfc" read back as a job gives the final parameters (to the 6 digits it holds), the
  // flags and the run settings as read, and every point of the file.
  Captured io;
  auto back = newState();
  ASSERT_EQ(input::rdfile(*back, io.out, run.dir.file("new.pfc")), Status::ok);
  EXPECT_EQ(back->title, st.title.substr(0, 79) + " ");
  EXPECT_EQ(back->maxIteration, st.maxIteration);
  EXPECT_FLOAT_EQ(back->eps, st.eps);
  EXPECT_EQ(back->nPeak, 3);
  for (int j = 0; j < 3; ++j)
    for (int k = 0; k < kPeakParams; ++k) {
      EXPECT_NEAR(back->prm[k][j], st.prm[k][j], 5e-6 * std::fabs(st.prm[k][j]) + 1e-12);
      EXPECT_EQ(back->flag[k][j], st.flag[k][j]);
    }
  for (int k = 0; k < kMaxBack; ++k)
    EXPECT_NEAR(back->back[k], st.back[k], 5e-6 * std::fabs(st.back[k]));
  ASSERT_EQ(back->nOData, st.nOData);
  EXPECT_NEAR(back->yo[1234], st.yo[1234], 5e-6 * st.yo[1234]);

  // Fitting "new.pfc" again starts at the minimum: converged in the first cycles, same values.
  JobRun again(run.dir.read("new.pfc"));
  ASSERT_EQ(again.status, 0);
  for (int j = 0; j < 3; ++j)
    EXPECT_NEAR(again.st->prm[kIntensity][j], st.prm[kIntensity][j], 1e-4 * st.prm[kIntensity][j]);
  EXPECT_LE(again.st->iteration, 5);
}

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST(Fit, CycleLimitAndNoCycle) {
  std::vector<synth::Peak> truth;
  synth::Job job = threePeaks(truth, false);
  job.maxIteration = 1;
  JobRun one(synth::pfcText(job));
  ASSERT_EQ(one.status, 0);
  EXPECT_EQ(count(one.console.str(), " Start cycle "), 1);
  EXPECT_EQ(count(one.console.str(), " *** New Parameters ***"), 1);
  EXPECT_TRUE(one.dir.exists("new.pfc"));

  job.maxIteration = 0;
  JobRun none(synth::pfcText(job));
  ASSERT_EQ(none.status, 0);
  EXPECT_EQ(count(none.console.str(), " Start cycle "), 0);
  // Nothing moved: every change is about 0 (the Lorentzian fwhm is rewritten from the others).
  for (int j = 0; j < 3; ++j)
    for (int k : {kPosition, kIntensity, kGaussFraction, kGaussFwhm, kRfwhm, kAnisotropy})
      EXPECT_NEAR(none.st->prm[k][j], none.st->prmRead[k][j],
                  1e-6 * std::fabs(none.st->prmRead[k][j]));
  // The table closes the log.
  const auto out = lines(none.dir.read("out.txt"));
  ASSERT_GE(out.size(), 4u);
  EXPECT_EQ(out[out.size() - 4].rfind(" *** Peak area: #", 0), 0u);
}

TEST(Fit, ANegativeGaussianHeightIsRepairedBeforeTheSave) {
  std::vector<synth::Peak> truth;
  synth::Job job = threePeaks(truth, false);
  job.maxIteration = 0;
  job.peaks[1].gaussFraction = -0.25;  // C(Gauss) = -0.25 I, C(Lorentz) = 1.25 I
  JobRun run(synth::pfcText(job));
  ASSERT_EQ(run.status, 0) << run.err.str();
  const std::string log = run.dir.read("out.txt");
  const auto repair = log.find("\n   C(Gauss) must be positive. #:    2");
  const auto save = log.find(" ***Save new parameters to ");
  ASSERT_NE(repair, std::string::npos) << log;
  ASSERT_NE(save, std::string::npos);
  EXPECT_LT(repair, save);
  // Written with Gauss fraction 0 and the Lorentzian height as its intensity.
  Captured io;
  auto back = newState();
  ASSERT_EQ(input::rdfile(*back, io.out, run.dir.file("new.pfc")), Status::ok);
  const float I = static_cast<float>(job.peaks[1].intensity);
  EXPECT_EQ(back->prm[kGaussFraction][1], 0.0f);
  EXPECT_NEAR(back->prm[kIntensity][1], 1.25f * I, 1e-5 * I);
  EXPECT_NEAR(back->prm[kIntensity][0], job.peaks[0].intensity, 1e-5 * job.peaks[0].intensity);
}

TEST(Fit, NothingToOptimiseStopsInTheSolver) {
  std::vector<synth::Peak> truth;
  synth::Job job = threePeaks(truth, false);
  job.backFlag = {0, 0, 0, 0, 0};
  for (auto& pk : job.peaks) pk.flags = {0, 0, 0, 0, 0, 0, 0};
  JobRun run(synth::pfcText(job));
  EXPECT_EQ(run.status, kStopStatus);
  EXPECT_EQ(run.err.str(), "STOP 9999\n");
  const auto out = lines(run.console.str());
  ASSERT_GE(out.size(), 2u);
  EXPECT_EQ(out[out.size() - 2], "  (SUBR. GLU)  INVALID ARGUMENT.  N1, N =         200           0");
  EXPECT_EQ(out.back(), " ***** Error occured in GLU. IER=    3");
  EXPECT_EQ(run.dir.read("out.txt"), run.console.str());
  EXPECT_FALSE(run.dir.exists("new.pfc"));
}

TEST(Fit, ZeroDampingWithAPeakOutsideTheDataIsSingular) {
  std::vector<synth::Peak> truth;
  synth::Job job = threePeaks(truth, false);
  job.dampingFactor = 0;
  job.calcHigh = 50;  // the third peak's window holds no point: its rows are empty
  JobRun run(synth::pfcText(job));
  EXPECT_EQ(run.status, kStopStatus);
  EXPECT_NE(run.console.str().find("  (SUBR. GLU)  ORIGINAL MATRIX IS SINGULAR.\n"
                                   " ***** Error occured in GLU. IER=    2\n"),
            std::string::npos);
  EXPECT_FALSE(run.dir.exists("new.pfc"));
}

}  // namespace
}  // namespace zentrab::test
