// Result files: the refined job "new.pfc" and the peak-area table.
#pragma once

#include <filesystem>

#include "zentrab/state.h"

namespace zentrab::result {

// Name of the refined job in the working directory.
inline constexpr const char* kNewPfc = "new.pfc";

// Restores the start value of any internal parameter (or background coefficient) that the fit has
// made non-finite, with a message, so that no NaN or infinity reaches the result files.
void guardFinite(State& st, const Out& out);

// Writes `dir`/new.pfc from the final parameters (file form, after invdat): the job's records in
// the order they are read, the change of every parameter, and every point of the file. The file
// is written beside its final name and moved into place only when complete. Returns
// Status::ioError (a line on the error stream and in the log) when it cannot be written.
Status svfile(const State& st, const Out& out, const std::filesystem::path& dir);

// Area of peak j (0-based) from its final heights and widths:
//   CG Wg 1.0644671 + CL Wl 1.5707964   (√(π / (4 ln 2)) and π/2)
float area(const State& st, int j);

// Writes the peak-area table to the console and the log.
void parea(const State& st, const Out& out);

}  // namespace zentrab::result
