// FitRun: one run of a fitter on a job file that is written already, one routine for both
// fitters. A description of the run says what differs between them: the program and its
// arguments, whether the job goes to the fitter as "fit.pfc", the form in which the refined
// "new.pfc" is read back, and how the report's peak-area part is found. The setup form's
// "Curve Fit" runs it; a series of fits runs it once per scan, each in its own working folder.
//
// The run, in the working folder W:
//   1. W made current, the job P copied to W/prev.pfc (the run stops when it cannot be);
//   2. for simplexfit, the job handed over as W/fit.pfc and taken away from P;
//   3. the report O kept as W/prevout.txt and removed, and W/new.pfc and W/out.txt of an
//      earlier run removed, so that neither can pass for this run's;
//   4. the program run in W and waited for (a run that never starts gives back a job taken
//      away in step 2);
//   5. W/out.txt copied over O;
//   6. W/new.pfc copied over P when the run ended by itself and the file reads back whole in
//      the job's form; otherwise W/prev.pfc copied back over P, with a message saying why.
// Reading the refined job back and showing the report are left to the caller.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "Platform.h"

class CPeakSearch;

// The head of the diffraction fitter's report line of each cycle, which gives S and sigma as
// "S=" and "sigma=" fields.
inline constexpr std::string_view kStartCycle = " Start cycle ";

// How the peak-area part of a report is found: it begins at a line holding `start` and runs
// to the end of the report, or, with endsAtNextSection, up to the next line holding "[".
// With cycleStatistics, S and sigma are those of the last kStartCycle line.
struct CReportScan {
  const char* start;
  bool endsAtNextSection;
  bool cycleStatistics;
};
inline constexpr CReportScan kZentrabReport{"*** Peak area: #   2Q", false, true};
inline constexpr CReportScan kSimplexReport{"[Peak Area]", true, false};

// The description of one run.
struct CFitRunPlan {
  enum class JobForm { kZentrab, kRaman };
  std::vector<std::string> argv;  // the program and its arguments
  std::string commandLine;        // the run as the messages show it
  std::string jobPath;            // P, the job file
  std::string reportPath;         // O, the report file
  std::string workDir;            // W, where the fitter runs and leaves its files
  bool jobAsFitPfc = false;       // the job is handed over as W/fit.pfc (simplexfit)
  JobForm readBack = JobForm::kZentrab;  // the form of the refined job
  CReportScan scan = kZentrabReport;
};

// How a run went.
struct CFitRunResult {
  enum Status {
    kNotRun,      // the job could not be prepared (after its message); the program was not run
    kNotStarted,  // the program could not be started (after its message)
    kRan,         // the program ran; run says how it ended
  };
  Status status = kNotRun;
  ProgramRun run;
  bool refined = false;    // the refined job replaced the job file
  std::string reportPath;  // the report of the run
};

// The run a record's job goes to, in the job's folder: diffraction data, and spectroscopic
// data whose program is a Zentrab build, to that program with the job as its one argument
// ("\"%s\" \"%s\""); other spectroscopic data to simplexfit without arguments.
CFitRunPlan FitRunFor(const CPeakSearch& record, const std::string& jobPath, const std::string& reportPath);

// Steps 1 to 6 above.
CFitRunResult RunFit(IPlatform& platform, const CFitRunPlan& plan);

// The peak-area part of a report, read line by line through a 256-byte buffer; read is false
// when the report is missing or not a regular file (a device would never end). S and sigma
// stay -1 when no kStartCycle line gives them.
struct CReportPart {
  bool read = false;
  std::string text;
  double s = -1, sigma = -1;
};
CReportPart ScanReport(const std::string& path, const CReportScan& scan);

// The finite number that follows the first `label` of a report or console line; false when
// there is none.
bool NumberAfter(std::string_view line, std::string_view label, double& value);

// "\r\nSigma: %lg   %lg %%", the line the peak-area text ends with.
std::string SigmaLine(double s, double sigma);

// Copies src over dst the way the workbench copies its job files: the whole file is written
// beside dst and renamed into place, so a failed copy never leaves half a file at dst (and a
// symbolic link at dst is followed). true when dst holds the copy; a file copied onto itself
// counts as copied. Only a regular file is copied: a device or a pipe gives false.
bool CopyJobFile(const std::string& src, const std::string& dst);
