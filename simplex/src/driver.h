// One run of simplexfit: read "fit.pfc" in `dir`, fit, and write "out.txt", "fit.spc" and
// "new.pfc" there. Every message also goes to `console`.
#pragma once

#include <filesystem>
#include <ostream>

namespace simplex {

// Returns the exit status of the program: 0 when the fit ran and every file was written,
// 1 when the job could not be read, the search ended at a value that is not finite (S or a
// parameter, when the model or the data overflow), or a file could not be written (then no
// "new.pfc").
int runJob(const std::filesystem::path& dir, std::ostream& console);

}  // namespace simplex
