// FitOutcome: what can be told of a fit before its run and after it, without any toolkit.
//
// Before a run, CheckFitLimits compares the job a record would write with the fixed tables of
// its fitter, counted the way the fitter counts them, so that a job the fitter would refuse
// (or, for simplexfit, would leave unfitted) is never started:
//   xZentrab, Zentrab  peaks (nPeak)                                          at most 70
//                      points in the file (nOData)                            at most 20000
//                      points in the calculation range (nData)                at most 20000
//                      free parameters (nMtx): free background coefficients,
//                      and the free entries of every peak whose centre lies in
//                      the optimisation range (anisotropy only for xZentrab)  at most 200
//   simplexfit         peaks (NP)                                             at most 30
//                      points in the file (ND)                                at most 10000
//                      free parameters (N) of the background and the peaks    2 to 50
// The first limit broken, in the order in which the fitter reads its job, is reported.
//
// After a run, ReadFitOutcome reads the report of how the fit ended: converged, stalled (the
// adaptive method found no step that lowers S), stopped at its cycle or iteration limit, or
// not fitted at all; the cycles or iterations done, the job's limit, S and sigma, and a
// warning for every refined peak whose centre lies outside the optimisation range, whose
// width exceeds a third of that range, or whose parts came out negative (repaired by the
// diffraction fitter; left so by simplexfit).
//
// A series of fits calls both once per scan; the window and balimor-cli call them around
// "Curve Fit" and "fit".
#pragma once

#include <string>
#include <string_view>
#include <vector>

class CPeakSearch;

// The fitter a record's job goes to, as far as its limits go.
enum class FitterKind {
  kXZentrab,    // the full-profile diffraction fitter (also any diffraction program not named Zentrab)
  kZentrab,     // the single-line build: no anisotropy among its parameters
  kSimplexfit,  // the Raman/IR simplex fitter
};

// The fitter of a record: simplexfit when the record's job goes to it (UsesSimplex()); else
// Zentrab when the program's file name holds "ZENTRAB" without a leading "X" (in any case),
// otherwise xZentrab.
FitterKind FitterOf(const CPeakSearch& record);
// "xZentrab", "Zentrab", "simplexfit".
const char* FitterName(FitterKind fitter);

// ---------------------------------------------------------------------------------------------
// Before a run

// The counts of a record's job as its fitter makes them (see the table above).
struct CFitJobCounts {
  int peaks = 0;           // peaks in the job
  int points = 0;          // points in the job file: every point of the data set
  int pointsInRange = 0;   // of those, within the calculation range (the fitting range for simplexfit)
  int freeParameters = 0;  // the parameters the fitter optimises at once
};
CFitJobCounts CountFitJob(const CPeakSearch& record, FitterKind fitter);

// The check of one job. Both texts are empty when the job is within its fitter's limits.
struct CFitLimitCheck {
  // For the person, naming the limit and what to do:
  // "The fit has 75 peaks; xZentrab takes at most 70. Raise the search threshold or narrow the range."
  std::string message;
  // Short, for a column of a table: "limit: 75 peaks > 70", "limit: 1 free parameter < 2".
  std::string status;
  bool Within() const { return message.empty(); }
};
CFitLimitCheck CheckFitLimits(const CFitJobCounts& counts, FitterKind fitter);
// CheckFitLimits(CountFitJob(record, FitterOf(record)), FitterOf(record)).
CFitLimitCheck CheckFitLimits(const CPeakSearch& record);

// ---------------------------------------------------------------------------------------------
// After a run

// A warning on one refined peak, peak counted from 1 (0 for the background).
struct CPeakWarning {
  int peak = 0;
  // "Peak 1: centre 0.996 lies outside the data, 2 … 30",
  // "Peak 2: width 11.2 exceeds a third of the optimisation range, 2 … 30",
  // "Peak 3: Gauss part came out negative (-41.5) and was set to 0".
  std::string text;
};

struct CFitOutcome {
  enum class End {
    kUnknown,    // no report was read
    kConverged,  // the fitter's convergence test was met
    kStalled,    // the adaptive method found no step that lowers S any more (a minimum to rounding)
    kAtLimit,    // the cycle or iteration limit ended the fit before it converged
    kNotFitted,  // the fitter stopped before its end, or refused to search (reason says why)
  };
  End end = End::kUnknown;
  bool iterations = false;  // counted in simplex iterations; otherwise in cycles
  // Cycles done (for the adaptive method: accepted steps), or simplex iterations done.
  int done = 0;
  int limit = -1;  // the job's cycle or iteration limit (MaxIteration); -1 when unknown
  // S and sigma of the result: for the diffraction fitter those of its last " Start cycle "
  // line, for simplexfit the refined job's S and R; -1 when unknown.
  double s = -1, sigma = -1;
  std::string reason;  // for kNotFitted: what the report says, or that it ends early
  std::vector<CPeakWarning> warnings;  // in peak order

  bool StoppedAtLimit() const { return end == End::kAtLimit; }
  // "cycle" or "iteration".
  const char* Unit() const { return iterations ? "iteration" : "cycle"; }
  // Short, for a column of a table: "converged (12 cycles)", "not converged (30 cycles)",
  // "stalled (8 cycles)", "not fitted: <reason>", "unknown".
  std::string Status() const;
  // "stopped at the cycle limit (30) before converging" (or "iteration limit") when the fit
  // stopped at its limit; empty otherwise. balimor-cli prints it after "fit: ".
  std::string LimitNote() const;
  // The note and the warnings, one per line ("\n" between), for the end of a report or a
  // status bar; empty when there is nothing to say.
  std::string Notes() const;
};

// Reads how a fit ended from the report text alone (no peak warnings from the refined job,
// only the repairs that the report itself records). limit is the job's MaxIteration, used
// when the report does not echo it (simplexfit's does not).
CFitOutcome ReadFitOutcomeText(std::string_view report, FitterKind fitter, int limit);

// Adds the warnings that the refined record shows: a centre outside the loaded data ("outside
// the data", with the data's range) or else outside the optimisation range, a width over a
// third of the optimisation range, and for simplexfit a Gauss or Lorentz part below 0.
// Keeps the warnings in peak order.
void AddPeakWarnings(CFitOutcome& outcome, const CPeakSearch& refined, FitterKind fitter);

// The whole reading after a run: the report at reportPath (End::kUnknown when it cannot be
// read), the fitter and limit from the refined record, simplexfit's S and R from it, and
// AddPeakWarnings. Call it after the refined job was read back into the record; after a run
// whose refined job was not taken, the record holds the job as it was and only the report
// counts.
CFitOutcome ReadFitOutcome(const std::string& reportPath, const CPeakSearch& refined);
