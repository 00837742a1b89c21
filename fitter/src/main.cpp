// Diffraction peak fitter: fits the job named on the command line and writes "out.txt" and
// "new.pfc" into the current directory.
#include <iostream>

#include "BalimorVersion.h"
#include "zentrab/run.h"

int main(int argc, char** argv) {
  if (balimor::PrintVersionIfAsked(argc, argv, zentrab::kProgramName)) return 0;
  std::ios::sync_with_stdio(false);
  return zentrab::runProgram(argc, argv, std::cout, std::cerr);
}
