// Writes a synthetic in-situ series for the series tests and the benchmark: N diffraction scans
// "scan_1.txt" ... "scan_N.txt" (the ".txt" form: the point count, then "2θ intensity" lines)
// of six Cu Kα doublet peaks whose positions, widths and heights drift by a known law, with
// counting noise, and "start.pfc", a job whose peaks start near those of the middle scan.
//
//   series_makescans DIR N [POINTS]
//
// Scan k (from 0, t = k/(N-1)): position = p0 + 0.04·t - 0.02, Gaussian fwhm = w0·(1 + 0.3·t),
// height = c0·(1 - 0.2·t); Gauss fraction and background stay.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "synthjob.h"

std::vector<synth::Peak> ScanTruth(const std::vector<synth::Peak>& base, double t) {
  std::vector<synth::Peak> peaks = base;
  for (synth::Peak& p : peaks) {
    p.position += 0.04 * t - 0.02;
    p.gaussFwhm *= 1 + 0.3 * t;
    p.intensity *= 1 - 0.2 * t;
  }
  return peaks;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: series_makescans DIR N [POINTS]\n", stderr);
    return 1;
  }
  const std::string dir = argv[1];
  const int n = std::atoi(argv[2]);
  const int points = argc > 3 ? std::atoi(argv[3]) : 2000;
  if (n < 1 || points < 10) return 1;
  std::vector<synth::Peak> base;
  synth::Job job = synth::demoJob(base);
  synth::grid(job, 20, 60.0 / (points - 1), points);
  for (int k = 0; k < n; ++k) {
    const double t = n > 1 ? static_cast<double>(k) / (n - 1) : 0.0;
    synth::fillData(job, ScanTruth(base, t), true, 1.0, 1000 + static_cast<std::uint64_t>(k));
    std::string text = std::to_string(points) + "\n";
    char line[64];
    for (int i = 0; i < points; ++i) {
      std::snprintf(line, sizeof line, "%.4f %.1f\n", job.x[static_cast<std::size_t>(i)], job.y[static_cast<std::size_t>(i)]);
      text += line;
    }
    std::ofstream(dir + "/scan_" + std::to_string(k + 1) + ".txt", std::ios::binary) << text;
    if (k == n / 2) {
      synth::Job start = job;
      start.peaks = synth::perturbed(ScanTruth(base, t), 0.01, 0.05);
      std::ofstream(dir + "/start.pfc", std::ios::binary) << synth::pfcText(start);
    }
  }
  return 0;
}
