// Start-up of the workbench to its first painted window: starts the built program (with the
// probe that ends it after the graph view's first paint) several times and reports the wall
// time from the start of the process to its end. Needs a display (a virtual one serves):
//   xvfb-run -s "-screen 0 1600x1000x24" build/bin/gui_startup_bench [runs] [file]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Process.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  std::vector<std::string> command = {BALIMOR_PROGRAM};
  if (argc > 2) command.push_back(argv[2]);
  ::setenv("BALIMOR_EXIT_AFTER_FIRST_PAINT", "1", 1);
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const ProgramRun run = process::Run(command, std::string(), nullptr);
    const auto end = std::chrono::steady_clock::now();
    if (run.status != ProgramRun::kExited || run.exitCode != 0) {
      std::fprintf(stderr, "gui_startup_bench: the program ended with %s\n", process::Describe(run).c_str());
      return 1;
    }
    ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(ms.begin(), ms.end());
  std::printf("start-up to first paint over %d runs: median %.1f ms, best %.1f ms, worst %.1f ms\n", runs,
              ms[ms.size() / 2], ms.front(), ms.back());
  return 0;
}
