#include "zentrab/run.h"

#include <fstream>
#include <memory>

#include "recordio/recordio.h"
#include "zentrab/adaptive.h"
#include "zentrab/cycle.h"
#include "zentrab/input.h"
#include "zentrab/profile.h"
#include "zentrab/result.h"

namespace zentrab {

namespace {

int finish(Status s, const Out& out) {
  if (s == Status::stop) {
    if (out.err) *out.err << "STOP 9999\n";
    return kStopStatus;
  }
  return s == Status::ioError ? kIoErrorStatus : 0;
}

}  // namespace

int runJob(State& st, const std::string& pfcName, const std::filesystem::path& dir,
           std::ostream& console, std::ostream& err) {
  std::ofstream log(dir / "out.txt", std::ios::binary | std::ios::trunc);
  Out out{&console, nullptr, &err};
  if (!log) {
    err << "out.txt: cannot be created\n";
    return kIoErrorStatus;
  }
  out.log = &log;

  Status s = input::rdfile(st, out, pfcName);
  if (s == Status::ok) s = input::selectData(st, out);
  if (s == Status::ok) {
    profile::cnvdat(st, out);
    s = cycle::mkidx(st, out);
  }
  // The method record chooses the adaptive method; any other text the fixed-damping cycle.
  const bool adaptiveMethod = s == Status::ok && adaptive::chosen(st.method);
  adaptive::Progress progress;
  if (s == Status::ok) {
    profile::basprf(st, out);
    s = adaptiveMethod ? adaptive::run(st, out, progress) : cycle::run(st, out);
  }
  if (s == Status::ok) {
    const adaptive::Covariance cov =
        adaptiveMethod ? adaptive::covariance(st) : adaptive::Covariance::ok;
    if (adaptiveMethod) adaptive::rawBackground(st);
    result::guardFinite(st, out);
    profile::invdat(st, out);
    if (adaptiveMethod) adaptive::printErrors(st, out, cov);
    s = result::svfile(st, out, dir);
  }
  if (s == Status::ok) result::parea(st, out);
  console.flush();
  log.flush();
  if (s == Status::ok && !log) {
    err << "out.txt: writing failed\n";
    return kIoErrorStatus;
  }
  return finish(s, out);
}

int runProgram(int argc, const char* const* argv, std::ostream& console, std::ostream& err) {
  if (argc < 2) {
    // Before the run log is made: the usage goes to the console only, so that a log of an
    // earlier run in this directory is kept.
    console << " ******  Fatal Error ******\n"
            << "  Usage: " << kProgramName << " file_name\n";
    console.flush();
    err << "STOP 9999\n";
    return kStopStatus;
  }
  // Made without clearing: the contribution and derivative tables (22 MB) are written before
  // they are read, and only the pages that the peak windows touch are ever mapped.
  auto st = std::make_unique_for_overwrite<State>();
  return runJob(*st, argv[1], ".", console, err);
}

}  // namespace zentrab
