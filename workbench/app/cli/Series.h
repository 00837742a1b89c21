// balimor-cli series: many scans fitted in one command, summed up in a CSV table (one row per
// scan and peak), with progress on the error stream, resuming, several fitters at a time and
// the joining of summaries written in parts.
#pragma once

#include <string>
#include <vector>

#include "Batch.h"

struct SeriesOptions {
  std::string out;       // --out SUMMARY.csv
  bool chain = false;    // --chain
  std::string start;     // --start JOB
  std::string from;      // --from JOB
  int jobs = 1;          // -j N
  bool resume = false;   // --resume
  std::string plot;      // --plot TREND.png|svg|pdf
  std::string jobsDir;   // --jobs DIR
  bool orderGiven = false;  // --order given
  bool merge = false;    // --merge OUT PART...
  bool any = false;      // a series option was given
};

// The series command on FILE... (for --merge: OUT PART...). The exit status: 0 when every
// scan converged, 1 when any failed or stopped short or the command could not be carried
// out, 130 after an interrupt.
int RunSeriesCommand(const std::vector<std::string>& files, const BatchOptions& options,
                     const SeriesOptions& series);

// The trend picture of a summary: position, FWHM and area of every peak against the scan
// (drawn by the plot build). false with a message when it cannot be drawn.
bool DrawSeriesTrend(const std::string& summary, const std::string& picture, std::string& error);
