// The files of simplexfit: the job "fit.pfc" (read with its echo to the run log), the
// spectrum "fit.spc", the refined job "new.pfc" and the peak-area table of the run log.
#pragma once

#include <istream>
#include <string>

#include "Channels.h"
#include "Job.h"

namespace simplex {

// Reads the job record by record, echoing each record to `out` as it is read. A job whose
// NB, NP or ND lies outside its table is refused before anything past that table is read.
// Returns false with one line naming the file and the record in `error`.
bool readJob(std::istream& in, const std::string& fileName, Job& job, Channels& out,
             std::string& error);

// "fit.spc": title (30 characters), the number of points in the fitting range, and for
// 1 to 6 peaks one line per such point: x, y, B, Y, P(1…NP).
std::string spectrumFile(const Job& job, const Tables& tables);

// "new.pfc": the records of the job with the refined values, then the peak-area section.
std::string refinedJobFile(const Job& job, const Tables& tables);

// The peak-area table of the run log, from its empty line to the last peak.
std::string peakAreaTable(const Job& job, const Tables& tables);

// The three lines that announce "new.pfc" in the run log; they follow the table directly.
std::string saveLines();

// The three lines that open the echo of "fit.pfc".
std::string readLines();

}  // namespace simplex
