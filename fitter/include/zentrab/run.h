// The whole run of the fitter: read the job, select the data, fit, write the results.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

#include "zentrab/state.h"

namespace zentrab {

// Runs the job `pfcName` with "out.txt" and "new.pfc" in `dir`, the console on `console` and the
// stop code and input/output failures on `err`. Returns the process exit status: 0 after a
// complete run, kStopStatus after a fatal stop ("STOP 9999" on `err`), kIoErrorStatus after an
// input/output failure. `st` must be freshly made.
int runJob(State& st, const std::string& pfcName, const std::filesystem::path& dir,
           std::ostream& console, std::ostream& err);

// The program: the usage message without an argument, otherwise runJob on the first argument in
// the current directory.
int runProgram(int argc, const char* const* argv, std::ostream& console, std::ostream& err);

}  // namespace zentrab
