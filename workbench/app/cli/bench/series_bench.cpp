// Times balimor-cli series on a generated in-situ series: 1000 scans of 2000 points with six
// diffraction doublet peaks, fitted as a chain and from one job two at a time, and the largest
// memory of any process of each run for 100 and for 1000 scans (flat when the series keeps
// nothing per scan). The time per scan outside the fitter is the run's time per scan less the
// time of xZentrab alone on one scan's job.
//
//   series_bench [SCANS]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Timed {
  double seconds = 0;
  long maxKb = 0;
  int status = -1;
};

// Runs the command in a child shell; the time and the largest resident size of the child and
// everything it waited for.
Timed Run(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage = {};
  ::wait4(pid, &status, 0, &usage);
  Timed t;
  t.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  t.maxKb = usage.ru_maxrss;
  t.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const int scans = argc > 1 ? std::atoi(argv[1]) : 1000;
  if (argc > 2 || scans < 10) {
    std::fprintf(stderr, "usage: series_bench [SCANS]   (SCANS at least 10, default 1000)\n");
    return 2;
  }
  const std::string bin = BALIMOR_BIN_DIR;
  const fs::path dir = fs::temp_directory_path() / ("series_bench_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string d = dir.string();
  const std::string env = "cd '" + d + "' && BALIMOR_INI='" + d + "/bench.INI' ";
  std::printf("series of %d scans of 2000 points, six doublet peaks, in %s\n", scans, d.c_str());
  for (int n : {scans / 10, scans}) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    Run("'" + bin + "/series_makescans' '" + d + "' " + std::to_string(n) + " 2000");
    const Timed chain =
        Run(env + "'" + bin + "/balimor-cli' series scan_*.txt --out chain.csv --start start.pfc 2>/dev/null");
    const Timed from =
        Run(env + "'" + bin + "/balimor-cli' series scan_*.txt --out from.csv --from start.pfc -j 2 2>/dev/null");
    std::printf("%5d scans  --chain: %6.2f s (%.2f ms/scan, %ld KB)   --from JOB -j 2: %6.2f s (%.2f ms/scan, %ld KB)\n",
                n, chain.seconds, 1000 * chain.seconds / n, chain.maxKb, from.seconds, 1000 * from.seconds / n,
                from.maxKb);
    if (n == scans) {
      // xZentrab alone on the middle scan's job, as many times as there are scans in a tenth.
      const int runs = std::max(1, n / 10);
      fs::copy_file(dir / "start.pfc", dir / "alone.pfc", fs::copy_options::overwrite_existing);
      const Timed alone = Run("cd '" + d + "' && for i in $(seq " + std::to_string(runs) + "); do cp alone.pfc job.pfc; '" +
                              bin + "/xZentrab' job.pfc >/dev/null; done");
      const double fitterMs = 1000 * alone.seconds / runs;
      std::printf("xZentrab alone: %.2f ms per fit; outside the fitter: %.2f ms per scan (chain)\n", fitterMs,
                  1000 * chain.seconds / n - fitterMs);
    }
  }
  fs::remove_all(dir);
  return 0;
}
