// SeriesRun: a series of fits, one scan after another or several at a time. Every scan is
// loaded into a document and setup form of its own, started from a job, fitted by "Curve Fit"
// (limits check, job file, fitter, results copied back, the job restored when the fit gives
// nothing) and summed up as a CSeriesScan for the summary.
//
// Chained, a scan starts from the refined job of the last earlier scan that converged (the
// first from the start job, or from its own job); independent, every scan starts from the
// start job. Each running fitter has a working folder of its own under workRoot, so that
// the "out.txt" and "new.pfc" of one fit never meet another's. The fitter's console output
// is not shown; what the fit would show in a box becomes the scan's status.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "SeriesSummary.h"

class CBalimorDoc;
class CSetupForm;

struct CSeriesSettings {
  std::vector<std::string> files;  // the series in order, as given
  bool chain = true;
  std::string startJob;  // the job every scan (independent) or the first (chained) starts from
  int jobs = 1;          // scans at a time; independent series only
  std::string iniPath, programDir;  // the settings of every document
  std::string workRoot;             // the fitters' working folders are made in it
  int section = -1;                 // the answer to a section choice (-1: cancelled)
  // Loads file into the fresh document and form and applies the run's options, the job at
  // startJob (when not empty) taken right after the load. Empty when the scan is ready to
  // fit, else why not.
  std::function<std::string(CBalimorDoc&, CSetupForm&, const std::string& file, const std::string& startJob)> prepare;
  // Asked while fitters run; true ends the running fitters (their jobs restored) and starts
  // no more scans. May be empty.
  std::function<bool()> cancelRequested;
};

// Called once per scan as it ends (from one thread at a time, in the order the scans end).
// false stops the series: the running fitters are ended, no more scans start.
using SeriesScanDone = std::function<bool(const CSeriesScan&)>;

// Runs the scans of `todo` (places in settings.files, from 0, ascending). For a chain that
// resumes after earlier scans, chainFrom is the place of the last converged one among them
// (its job file is where the chain goes on), else -1. The scans still running when the run is
// cancelled end with status "cancelled"; scans never started are not reported. Returns false
// when the series was cancelled or stopped.
bool RunSeries(const CSeriesSettings& settings, const std::vector<int>& todo, int chainFrom,
               const SeriesScanDone& done);

// Whether a scan counts as a fit that reached its minimum: "converged", or the adaptive
// method's "stalled" (no step lowers S any more).
bool SeriesScanConverged(const CSeriesScan& scan);
