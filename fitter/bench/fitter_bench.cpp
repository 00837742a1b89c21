// Times whole fits of two generated jobs of the largest kind the fitter takes:
//   doublets: 20000 points, 33 doublet peaks, 197 free parameters;
//   peaks70:  20000 points, 70 peaks with position and intensity free (145 parameters).
// For each job: the built xZentrab run as a process (the time a user waits, best of several
// runs), and the stages of one run in this process (read, the cycles, results).
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "synthjob.h"
#include "zentrab/cycle.h"
#include "zentrab/input.h"
#include "zentrab/profile.h"
#include "zentrab/result.h"

namespace {

using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

void bench(const char* name, const synth::Job& job, const std::filesystem::path& dir) {
  const std::filesystem::path pfc = dir / (std::string(name) + ".pfc");
  std::ofstream(pfc, std::ios::binary) << synth::pfcText(job);

  // The process, as the workbench starts it.
  const std::string cmd = "cd '" + dir.string() + "' && '" XZENTRAB_PATH "' '" + pfc.filename().string() +
                          "' > /dev/null 2>&1";
  std::vector<double> runs;
  for (int k = 0; k < 5; ++k) {
    const auto t0 = Clock::now();
    const int rc = std::system(cmd.c_str());
    runs.push_back(seconds(t0, Clock::now()));
    if (!WIFEXITED(rc) || WEXITSTATUS(rc) != 0) {
      std::printf("%s: xZentrab failed\n", name);
      return;
    }
  }
  std::sort(runs.begin(), runs.end());

  // The stages in this process.
  std::ostringstream console, err;
  std::ofstream log(dir / "out.txt", std::ios::binary);
  zentrab::Out out{&console, &log, &err};
  auto st = std::make_unique<zentrab::State>();
  using namespace zentrab;
  const auto t0 = Clock::now();
  if (input::rdfile(*st, out, pfc.string()) != Status::ok ||
      input::selectData(*st, out) != Status::ok)
    return;
  profile::cnvdat(*st, out);
  if (cycle::mkidx(*st, out) != Status::ok) return;
  profile::basprf(*st, out);
  const auto t1 = Clock::now();
  if (cycle::run(*st, out) != Status::ok) return;
  const auto t2 = Clock::now();
  result::guardFinite(*st, out);
  profile::invdat(*st, out);
  result::svfile(*st, out, dir);
  result::parea(*st, out);
  const auto t3 = Clock::now();
  const int cycles = st->converged ? st->iteration : std::max(st->maxIteration, 0);

  // The cycle's parts, timed once more on the final state.
  const int reps = 10;
  const auto d0 = Clock::now();
  for (int k = 0; k < reps; ++k) profile::basprf(*st, out);
  const auto d1 = Clock::now();
  for (int k = 0; k < reps; ++k) profile::diff(*st);
  const auto d2 = Clock::now();

  std::printf("%-9s %5d points %3d peaks %4d free, %2d cycles (%s)\n", name, st->nData, st->nPeak,
              st->nMtx, cycles, st->converged ? "converged" : "cycle limit");
  std::printf("          process: best %.3f s, median %.3f s\n", runs.front(), runs[runs.size() / 2]);
  std::printf("          in process: read %.3f s, cycles %.3f s (%.2f ms a cycle), results %.3f s\n",
              seconds(t0, t1), seconds(t1, t2), 1e3 * seconds(t1, t2) / std::max(cycles, 1),
              seconds(t2, t3));
  std::printf("          evaluation %.2f ms, normal equations %.2f ms\n",
              1e3 * seconds(d0, d1) / reps, 1e3 * seconds(d1, d2) / reps);
}

}  // namespace

int main() {
  const auto dir = std::filesystem::temp_directory_path() / "fitter_bench";
  std::filesystem::create_directories(dir);
  std::vector<synth::Peak> truth;
  bench("doublets", synth::benchDoubletJob(truth), dir);
  bench("peaks70", synth::benchManyPeaksJob(truth), dir);
  std::filesystem::remove_all(dir);
  return 0;
}
