// fit_bench: the costs a person waits for while working on a fit.
//   1. MakeModelCurves for a 20000-point scan with 70 Kα doublets, asymmetry on (it runs at
//      every paint while Auto redraw is on);
//   2. SearchPeaks on 1,000,000 points, by the slope and by the prominence;
//   3. balimor-cli fit's own cost on top of the fitter's run: the whole command against
//      xZentrab alone on the same job.
// Each figure is the best of several runs.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PeakSearch.h"
#include "PeakSearchDialog.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

template <class F>
double BestSeconds(int runs, F&& f) {
  double best = 1e30;
  for (int r = 0; r < runs; ++r) {
    const auto t0 = Clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

double CpuNow() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// The least processor time of one call, which other work on the machine does not inflate as
// much as it does the wall time.
template <class F>
double BestCpuSeconds(int runs, F&& f) {
  double best = 1e30;
  for (int r = 0; r < runs; ++r) {
    const double t0 = CpuNow();
    f();
    best = std::min(best, CpuNow() - t0);
  }
  return best;
}

void ModelCurves() {
  CGraphData data;
  const int n = 20000;
  data.SetSize(n);
  for (int i = 0; i < n; ++i) {
    data.SetX(i, 10 + i * 0.005);
    data.SetY(i, 100);
  }
  data.UpdateRange();
  CPeakSearch r;
  r.dataSet = &data;
  r.qRange = 5;
  for (int j = 0; j < 70; ++j) {
    r.AddPeak(12 + j * 1.37, 1000 + 37 * j, 0.6, 1.2, 0.1 + 0.003 * j);
    r.Value(CPeakSearch::kAniso, j) = 0.2;
  }
  r.MakeModelCurves(n);  // the arrays are made once
  const double t = BestSeconds(20, [&] { r.MakeModelCurves(n); });
  const double cpu = BestCpuSeconds(20, [&] { r.MakeModelCurves(n); });
  std::printf("MakeModelCurves, 20000 points, 70 doublets, asymmetry on: %.3f ms wall, %.3f ms processor (target 5 ms)\n",
              t * 1e3, cpu * 1e3);
}

void Search() {
  CGraphData data;
  const int n = 1000000;
  data.SetSize(n);
  for (int i = 0; i < n; ++i) {
    const double x = 5 + i * 0.0001;
    // Lines every 0.5° on a slope, with a little deterministic ripple.
    const double d = std::fmod(x, 0.5) - 0.25;
    data.SetX(i, x);
    data.SetY(i, 200 + 2 * x + 3000 / (1 + 4 * d * d / 0.0025) + ((i % 13) * 7 % 13));
  }
  data.UpdateRange();
  CPeakSearch r;
  r.calcLow = 5;
  r.calcHigh = 105;
  // The prominence search twice: on counts (diffraction, noise √y) and on a spectrum (the noise
  // from the scatter of the second differences).
  struct Variant {
    PeakSearchMethod m;
    DataKind kind;
    const char* name;
  };
  for (const auto& [m, kind, name] : {Variant{PeakSearchMethod::Slope, DataKind::Diffraction, "Slope"},
                                      Variant{PeakSearchMethod::Prominence, DataKind::Diffraction, "Prominence, counts"},
                                      Variant{PeakSearchMethod::Prominence, DataKind::Spectroscopic, "Prominence, spectrum"}}) {
    r.dataKind = kind;
    auto search = [&] {
      std::vector<std::string> lines;
      double base;
      return m == PeakSearchMethod::Slope ? SearchPeaks(data, r, 5, 100, lines, base)
                                          : SearchPeaksByProminence(data, r, 100, kDefaultNoiseFactor, lines, base);
    };
    int found = 0;
    const double t = BestSeconds(5, [&] { found = search(); });
    const double cpu = BestCpuSeconds(5, [&] { search(); });
    std::printf("SearchPeaks (%s), 1,000,000 points: %.2f ms wall, %.2f ms processor, %d peaks (target 50 ms)\n",
                name, t * 1e3, cpu * 1e3, found);
  }
}

int Run(const std::string& command) { return std::system(command.c_str()); }

// Processor time of the ended children (and theirs), user and system.
double ChildrenCpu() {
  rusage u;
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

template <class F>
double BestChildrenCpu(int runs, F&& f) {
  double best = 1e30;
  for (int r = 0; r < runs; ++r) {
    const double t0 = ChildrenCpu();
    f();
    best = std::min(best, ChildrenCpu() - t0);
  }
  return best;
}

void CliOverhead() {
  const fs::path dir = fs::temp_directory_path() / ("balimor_fit_bench_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy_file(BALIMOR_EXAMPLES_DIR "/diffraction/demo.txt", dir / "demo.txt");
  const std::string env = "BALIMOR_INI='" + (dir / "bench.INI").string() + "' ";
  const std::string fit = env + "'" BALIMOR_CLI "' fit '" + (dir / "demo.txt").string() +
                          "' --search --threshold 300 >/dev/null 2>&1";
  // Each run starts from the same job: the search's peaks, not the refined ones.
  auto clean = [&] {
    for (const char* f : {"demo#0.pfc", "demo#0.out", "prev.pfc", "prevout.txt", "new.pfc", "out.txt"})
      fs::remove(dir / f);
  };
  clean();
  if (Run(fit) != 0) {
    std::printf("balimor-cli fit failed\n");
    return;
  }
  fs::copy_file(dir / "prev.pfc", dir / "job.pfc");
  const double whole = BestSeconds(5, [&] {
    clean();
    Run(fit);
  });
  const double wholeCpu = BestChildrenCpu(5, [&] {
    clean();
    Run(fit);
  });
  const std::string alone = "cd '" + dir.string() + "' && '" XZENTRAB_PATH "' job.pfc >/dev/null 2>&1";
  const double fitter = BestSeconds(5, [&] { Run(alone); });
  const double fitterCpu = BestChildrenCpu(5, [&] { Run(alone); });
  std::printf("balimor-cli fit --search: %.1f ms wall, %.1f ms processor; xZentrab alone on its job: %.1f ms wall, "
              "%.1f ms processor; the command's own cost %.1f ms wall, %.1f ms processor (target 20 ms)\n",
              whole * 1e3, wholeCpu * 1e3, fitter * 1e3, fitterCpu * 1e3, (whole - fitter) * 1e3,
              (wholeCpu - fitterCpu) * 1e3);
  fs::remove_all(dir);
}

}  // namespace

int main() {
  ModelCurves();
  Search();
  CliOverhead();
  return 0;
}
