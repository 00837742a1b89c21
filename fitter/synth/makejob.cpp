// Writes the bundled example job: six Cu Kα doublet peaks (Kα1 1.540562, Kα2 1.544390, Kα2/Kα1
// intensity 0.5) on a quadratic background, 2θ 20-80° in steps of 0.02° (3001 points), with
// counting noise from a fixed seed, and start values moved away from the truth (positions by
// ±0.02°, heights ±10 %, widths +10 %). The true values are printed on the error stream.
//
//   zentrab_makejob > examples/diffraction/demo.pfc
#include <cstdio>
#include <iostream>

#include "synthjob.h"

int main() {
  std::vector<synth::Peak> truth;
  const synth::Job job = synth::demoJob(truth);
  std::cout << synth::pfcText(job);
  std::fprintf(stderr, "true values: #  position  intensity  Gauss fraction  Gaussian fwhm\n");
  for (std::size_t j = 0; j < truth.size(); ++j)
    std::fprintf(stderr, "             %zu  %8.3f  %9.1f  %14.3f  %13.3f\n", j + 1, truth[j].position,
                 truth[j].intensity, truth[j].gaussFraction, truth[j].gaussFwhm);
  return 0;
}
