// Times whole fits of two generated jobs of the largest kind the fitter takes:
//   doublets: 20000 points, 33 doublet peaks, 197 free parameters;
//   peaks70:  20000 points, 70 peaks with position and intensity free (145 parameters).
// For each job: the built xZentrab run as a process (the time a user waits, best of several
// runs), and the stages of one run in this process (read, the cycles, results).
//
// Then both methods on a job from rough start values (20000 points, 30 doublets, 153 free,
// Poisson counts, positions off by a third of a width, heights and widths by 30 %): the final S
// against the least S that the adaptive method reaches from the true parameters, the accepted
// and rejected steps, the largest fitted width against its true value, and the process time.
// Targets of the adaptive method: S within 0.5 % of the least S, no width beyond three times
// its true value, the process under 0.1 s.
//
// Last, Raman spectra through the single-line build with the adaptive method (benchRaman).
// FITTER_BENCH_XZENTRAB and FITTER_BENCH_ZENTRAB name other builds of the two programs to time
// in their place (a previous build, for a before-and-after figure in one run);
// FITTER_BENCH_KEEP names a folder that keeps the rough and the Raman jobs.
#include <sys/resource.h>
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
#include "zentrab/run.h"

namespace {

using Clock = std::chrono::steady_clock;
double seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// The program to time: the build's own, or the one an environment variable names (a previous
// build, for a before-and-after figure in one run).
std::string program(const char* variable, const char* built) {
  const char* p = std::getenv(variable);
  return p && *p ? p : built;
}

void bench(const char* name, const synth::Job& job, const std::filesystem::path& dir) {
  const std::filesystem::path pfc = dir / (std::string(name) + ".pfc");
  std::ofstream(pfc, std::ios::binary) << synth::pfcText(job);

  // The process, as the workbench starts it.
  const std::string cmd = "cd '" + dir.string() + "' && '" +
                          program("FITTER_BENCH_XZENTRAB", XZENTRAB_PATH) + "' '" +
                          pfc.filename().string() + "' > /dev/null 2>&1";
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

// Processor time (user and system) of the children that have ended so far.
double childCpu() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + 1e-6 * (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// Wall time (best, median) and processor time (best) of `runs` processes of xZentrab on `pfc` in
// `dir` (the processor time includes the shell that starts it); negative when a run fails.
struct Times {
  double best = -1, median = -1, cpu = -1;
};
Times processTimes(const std::filesystem::path& dir, const std::filesystem::path& pfc, int runs) {
  const std::string cmd = "cd '" + dir.string() + "' && exec '" +
                          program("FITTER_BENCH_XZENTRAB", XZENTRAB_PATH) + "' '" +
                          pfc.filename().string() + "' > /dev/null 2>&1";
  std::vector<double> wall, cpu;
  for (int k = 0; k < runs; ++k) {
    const double c0 = childCpu();
    const auto t0 = Clock::now();
    const int rc = std::system(cmd.c_str());
    wall.push_back(seconds(t0, Clock::now()));
    cpu.push_back(childCpu() - c0);
    if (!WIFEXITED(rc) || WEXITSTATUS(rc) != 0) return {};
  }
  std::sort(wall.begin(), wall.end());
  return {wall.front(), wall[wall.size() / 2], *std::min_element(cpu.begin(), cpu.end())};
}

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

void benchMethods(const std::filesystem::path& dir) {
  using namespace zentrab;
  std::vector<synth::Peak> truth;
  const synth::Job rough = synth::benchRoughStartJob(truth);

  // The least S: the adaptive method from the true parameters, to convergence.
  synth::Job fromTruth = rough;
  fromTruth.peaks = truth;
  fromTruth.method = "MarqAdaptive";
  fromTruth.maxIteration = 200;
  std::ofstream(dir / "truth.pfc", std::ios::binary) << synth::pfcText(fromTruth);
  std::ostringstream c0, e0;
  auto least = std::make_unique<State>();
  if (runJob(*least, (dir / "truth.pfc").string(), dir, c0, e0) != 0) return;

  std::printf("rough     20000 points, 30 doublets, 153 free, start values off by a third of a width "
              "and 30 %%; least S %.6g (from the truth)\n", least->S);
  for (const char* method : {"Marq", "MarqAdaptive"}) {
    synth::Job job = rough;
    job.method = method;
    const std::filesystem::path pfc = dir / "rough.pfc";
    std::ofstream(pfc, std::ios::binary) << synth::pfcText(job);
    if (const char* keep = std::getenv("FITTER_BENCH_KEEP"))
      std::filesystem::copy_file(pfc, std::filesystem::path(keep) / ("rough_" + std::string(method) + ".pfc"),
                                 std::filesystem::copy_options::overwrite_existing);
    const Times t = processTimes(dir, pfc, 9);
    std::ostringstream console, err;
    auto st = std::make_unique<State>();
    const auto t0 = Clock::now();
    if (runJob(*st, pfc.string(), dir, console, err) != 0) {
      std::printf("%s: the run failed\n", method);
      continue;
    }
    const double inProcess = seconds(t0, Clock::now());
    const std::string log = console.str();
    // Largest fitted width over its true value: Gaussian fwhm, Lorentzian fwhm, and the
    // height-weighted fwhm of the peak-area table.
    double wg = 0, wl = 0, wt = 0;
    for (std::size_t j = 0; j < truth.size(); ++j) {
      const synth::Peak& t = truth[j];
      const double tg = t.gaussFwhm, tl = t.gaussFwhm / t.rfwhm;
      const double fg = st->prm[kGaussFwhm][j], fl = st->prm[kLorentzFwhm][j];
      const double C = st->CG[j] + st->CL[j];
      const double table = C > 0 ? (st->CG[j] * fg + st->CL[j] * fl) / C : fg;
      wg = std::max(wg, fg / tg);
      wl = std::max(wl, fl / tl);
      wt = std::max(wt, table / (t.gaussFraction * tg + (1 - t.gaussFraction) * tl));
    }
    const char* end = log.find(" ******  Converged  *****") != std::string::npos ? "converged"
                      : log.find("No step lowers S") != std::string::npos   ? "no step lowers S"
                                                                             : "cycle limit";
    std::printf("  %-12s S %.6g = least S %+.2f %%, %d accepted and %d rejected steps (%s)\n", method,
                st->S, 100 * (st->S / least->S - 1), count(log, " *** New Parameters ***"),
                count(log, " *** Rejected step"), end);
    std::printf("               largest width / true: Gaussian fwhm %.2f, Lorentzian fwhm %.2f, "
                "table fwhm %.2f\n", wg, wl, wt);
    std::printf("               process: best %.3f s, median %.3f s, processor time %.3f s; in process "
                "%.3f s\n", t.best, t.median, t.cpu, inProcess);
  }
}

// A run of a program on `pfc` in `dir` as a process: the wall time, and from the run log the
// last S printed, the accepted steps and how the fit ended.
struct ProcessRun {
  double seconds = -1, S = 0;
  int accepted = 0;
  std::string end;
};
ProcessRun runProcess(const std::string& exe, const std::filesystem::path& dir, const std::string& pfc) {
  const std::string cmd = "cd '" + dir.string() + "' && exec '" + exe + "' '" + pfc + "' > /dev/null 2>&1";
  ProcessRun r;
  const auto t0 = Clock::now();
  const int rc = std::system(cmd.c_str());
  r.seconds = seconds(t0, Clock::now());
  if (!WIFEXITED(rc) || WEXITSTATUS(rc) != 0) {
    r.seconds = -1;
    return r;
  }
  std::ifstream f(dir / "out.txt");
  std::stringstream text;
  text << f.rdbuf();
  const std::string log = text.str();
  for (auto p = log.find(" Start cycle "); p != std::string::npos; p = log.find(" Start cycle ", p + 1))
    r.S = std::stod(log.substr(p + 19, 14));
  r.accepted = count(log, " *** New Parameters ***");
  r.end = log.find(" ******  Converged  *****") != std::string::npos ? "converged"
          : log.find("No step lowers S") != std::string::npos   ? "no step lowers S"
                                                                 : "cycle limit";
  return r;
}

// Raman spectra through the single-line build with the adaptive method (synth::ramanJob, five
// seeds): the final S against the least S (the same program started from the true
// parameters), the accepted steps and the process time (median of five runs). Target: S
// within 1 % of the least S.
void benchRaman(const std::filesystem::path& dir) {
  const std::string exe = program("FITTER_BENCH_ZENTRAB", ZENTRAB_PATH);
  const char* keep = std::getenv("FITTER_BENCH_KEEP");  // a folder that keeps the jobs
  std::printf("raman     5000 points 100-3500 cm-1, 12 bands, cubic background, 65 free, qRange 40, "
              "Zentrab %s\n", exe.c_str());
  for (std::uint64_t seed = 1; seed <= 5; ++seed) {
    std::vector<synth::Peak> truth;
    synth::Job job = synth::ramanJob(truth, seed);
    const std::string name = "raman" + std::to_string(seed);
    std::ofstream(dir / (name + ".pfc"), std::ios::binary) << synth::pfcText(job);
    synth::Job fromTruth = job;
    fromTruth.peaks = truth;
    fromTruth.back = {300, 0.2, -1e-4, 1.5e-8, 0};
    fromTruth.maxIteration = 500;
    std::ofstream(dir / (name + "_truth.pfc"), std::ios::binary) << synth::pfcText(fromTruth);
    if (keep) {
      std::filesystem::copy_file(dir / (name + ".pfc"), std::filesystem::path(keep) / (name + ".pfc"),
                                 std::filesystem::copy_options::overwrite_existing);
      std::filesystem::copy_file(dir / (name + "_truth.pfc"), std::filesystem::path(keep) / (name + "_truth.pfc"),
                                 std::filesystem::copy_options::overwrite_existing);
    }
    const ProcessRun least = runProcess(exe, dir, name + "_truth.pfc");
    std::vector<double> times;
    ProcessRun r;
    for (int k = 0; k < 5; ++k) {
      r = runProcess(exe, dir, name + ".pfc");
      times.push_back(r.seconds);
    }
    std::sort(times.begin(), times.end());
    if (r.seconds < 0 || least.seconds < 0) {
      std::printf("  seed %d: the run failed\n", static_cast<int>(seed));
      continue;
    }
    std::printf("  seed %d   S %.6g = %.4f x least S %.6g, %d accepted steps (%s), process median %.3f s\n",
                static_cast<int>(seed), r.S, r.S / least.S, least.S, r.accepted, r.end.c_str(), times[2]);
  }
}

}  // namespace

int main() {
  const auto dir = std::filesystem::temp_directory_path() / "fitter_bench";
  std::filesystem::create_directories(dir);
  std::vector<synth::Peak> truth;
  bench("doublets", synth::benchDoubletJob(truth), dir);
  bench("peaks70", synth::benchManyPeaksJob(truth), dir);
  benchMethods(dir);
  benchRaman(dir);
  std::filesystem::remove_all(dir);
  return 0;
}
