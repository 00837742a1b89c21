// Writes the bundled example job: six Cu Kα doublet peaks (Kα1 1.540562, Kα2 1.544390, Kα2/Kα1
// intensity 0.5) on a quadratic background, 2θ 20-80° in steps of 0.02° (3001 points), with
// counting noise from a fixed seed, and start values moved away from the truth (positions by
// ±0.02°, heights ±10 %, widths +10 %). The true values are printed on the error stream.
//
//   zentrab_makejob > examples/diffraction/demo.pfc
//   zentrab_makejob --scan > examples/diffraction/demo.txt
//
// With --scan it writes the job's measured points alone as a diffraction scan in the ".txt"
// form the workbench reads: the point count on the first line, then one "2θ intensity" pair
// per line.
#include <cstdio>
#include <cstring>
#include <iostream>

#include "synthjob.h"

int main(int argc, char** argv) {
  std::vector<synth::Peak> truth;
  const synth::Job job = synth::demoJob(truth);
  if (argc > 1 && std::strcmp(argv[1], "--scan") == 0) {
    std::printf("%zu\n", job.x.size());
    for (std::size_t i = 0; i < job.x.size(); ++i) std::printf("%.2f %.1f\n", job.x[i], job.y[i]);
  } else {
    std::cout << synth::pfcText(job);
  }
  std::fprintf(stderr, "true values: #  position  intensity  Gauss fraction  Gaussian fwhm\n");
  for (std::size_t j = 0; j < truth.size(); ++j)
    std::fprintf(stderr, "             %zu  %8.3f  %9.1f  %14.3f  %13.3f\n", j + 1, truth[j].position,
                 truth[j].intensity, truth[j].gaussFraction, truth[j].gaussFwhm);
  return 0;
}
