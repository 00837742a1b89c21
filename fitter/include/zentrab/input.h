// Job input: reading the PFC file with its echo, and the selection of the data points of the
// calculation range.
#pragma once

#include <string>

#include "zentrab/state.h"

namespace zentrab::input {

// Reads the PFC file `fileName` into the job part of `st`, echoing it to the console and the
// log, and keeps a copy of the parameters as read. Returns Status::stop when a limit is exceeded
// (its message on the console only) and Status::ioError when the file cannot be opened, holds a
// number that does not parse or ends early (one line naming the file and the record on the error
// stream and in the log).
Status rdfile(State& st, const Out& out, const std::string& fileName);

// Walks the points of the file in order: points below calcLow are skipped, the first point above
// calcHigh ends the walk, every other point is selected. Prints the count of selected points.
// Returns Status::stop when more than kMaxData points are selected.
Status selectData(State& st, const Out& out);

}  // namespace zentrab::input
