// Synthetic diffraction jobs: peaks of known parameters on a polynomial background, evaluated in
// double precision by a plain transcription of the profile (no shared code with the fitter), with
// optional counting noise, written as a PFC job. Used by the example generator, the tests and the
// benchmark.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace synth {

// One peak in file form, with the flags its job file carries (1 = free).
struct Peak {
  double position = 0, intensity = 0, gaussFraction = 1, gaussFwhm = 0.1, rfwhm = 1,
         anisotropy = 0;
  std::array<int, 7> flags{};  // position, intensity, Gauss fraction, Gaussian fwhm,
                               // Lorentzian fwhm, rfwhm, anisotropy
};

struct Job {
  std::string title = "Synthetic diffraction job";
  std::string dataName = "synthetic.xrd";
  std::string program = "xZentrab";
  std::string method = "Marq";
  int maxIteration = 30;
  double dampingFactor = 0.001, eps = 1e-5;
  double ramda1 = 1.540562, ramda2 = 1.544390, qRange = 6, iRatio = 0.5;  // Cu Kα1, Kα2
  double calcLow = 0, calcHigh = 180, optLow = 0, optHigh = 180;
  std::array<double, 5> back{};
  std::array<int, 5> backFlag{};
  std::vector<Peak> peaks;  // the values written as start values
  std::vector<double> x, y;
};

// Profile of one peak at x (full: Kα1/Kα2 doublet averaged over the asymmetric spread; single:
// one line), inside the peak's window, 0 outside it.
double peakProfile(const Job& job, const Peak& pk, double x, bool full);

// Fills y at every x with the background plus the profiles of `truth` (not of job.peaks).
// noise > 0 adds Gaussian counting noise of standard deviation noise × √model, from a fixed
// seed, so the same call gives the same data on every machine.
void fillData(Job& job, const std::vector<Peak>& truth, bool full, double noise = 0,
              std::uint64_t seed = 12345);

// Replaces every y by a Poisson count whose mean is y (0 where y is not positive), from a fixed
// seed: counting statistics of a detector.
void poissonNoise(Job& job, std::uint64_t seed);

// x = from, from + step, ... (n points).
void grid(Job& job, double from, double step, int n);

// The job as a PFC file: text records, run settings, background, peaks, data.
std::string pfcText(const Job& job);

// Moves the free start values away from the truth by the given relative amounts (position by an
// absolute shift in degrees), for a fit that has something to find.
std::vector<Peak> perturbed(const std::vector<Peak>& truth, double dPosition, double relative);

// Start values as a rough peak search gives them: each free position moved by `widthShare` of the
// peak's Gaussian fwhm, each free intensity and Gaussian fwhm changed by `relative` (up or down,
// the signs drawn from `seed`), a free Gauss fraction started at 0.5 and a free rfwhm at 1.
std::vector<Peak> roughStart(const std::vector<Peak>& truth, double widthShare, double relative,
                             std::uint64_t seed);

// Benchmark and example jobs, data filled from their truth. `truth` receives the true peaks.
// demo: 3001 points, 2θ 20-80°, six doublet peaks with noise.
Job demoJob(std::vector<Peak>& truth);
// 20000 points, 33 doublet peaks, 197 free parameters (background and six kinds of 32 peaks).
Job benchDoubletJob(std::vector<Peak>& truth);
// 20000 points, 70 peaks with position and intensity free (145 free parameters).
Job benchManyPeaksJob(std::vector<Peak>& truth);
// 20000 points, 30 Gaussian+Lorentzian doublets on a quadratic background, Poisson counts,
// start values from roughStart (a third of a width, 30 %); 153 free parameters (the background's
// three coefficients and position, intensity, Gauss fraction, Gaussian fwhm and rfwhm of every
// peak).
Job benchRoughStartJob(std::vector<Peak>& truth);

// A Raman spectrum for the single-line build (the Raman/IR fitter that a Zentrab program can
// be): 5000 points over 100 ... 3500 cm⁻¹, 12 Gaussian+Lorentzian bands of their own widths
// drawn from `seed`, a cubic background, Poisson counts; start values from roughStart (a third
// of a width, 30 %), the background a level line at the lowest count, every background
// coefficient and each band's position, intensity, Gauss fraction, Gaussian fwhm and rfwhm
// free (65 parameters), qRange 40, the adaptive method.
Job ramanJob(std::vector<Peak>& truth, std::uint64_t seed);

}  // namespace synth
