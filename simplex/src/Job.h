// The job of simplexfit and the tables its model fills. Every table has the size of a job
// limit and is made once per run; nothing is allocated while the search runs.
// All indices are 0-based: background coefficient j = 0…NB, peak k = 0…NP-1, point i = 0…ND-1.
#pragma once

#include <array>
#include <string>

namespace simplex {

constexpr int kMaxOrder = 10;                // largest background order NB
constexpr int kMaxCoef = kMaxOrder + 1;      // coefficients b0…bNB
constexpr int kMaxPeaks = 30;                // largest NP
constexpr int kMaxPoints = 10000;            // largest ND
constexpr int kPeakParams = 5;               // parameters of one peak
constexpr int kMaxGathered = kMaxCoef + kPeakParams * kMaxPeaks;  // every parameter free
constexpr int kTitleLength = 79;             // characters of the title read and written

// The five parameters of a peak, in the order of the job file and of gathering.
enum PeakParam { Position = 0, CGauss = 1, FWHMGauss = 2, CLorentz = 3, FWHMLorentz = 4 };

// One parameter record: value, flag (1 = free, anything else = fixed) and the initial
// simplex step, which the fit never changes.
struct Param {
  double value = 0.0;
  int flag = 0;
  double step = 0.0;
  bool isFree() const { return flag == 1; }
};

struct Job {
  std::string title;           // kTitleLength characters, padded with blanks
  int iPrt = 0;                // progress print level of SMPLX
  int iPrtIntvl = 1;           // iteration interval of the progress line
  int itmax = 0;               // iteration limit
  double tolX = 0.0;           // vertex-spread tolerance
  double tolF = 0.0;           // value-spread tolerance
  double xLow = 0.0;           // fitting range; also normalises the background abscissa
  double xHigh = 0.0;
  int NB = 0;                                       // background order
  std::array<Param, kMaxCoef> b{};                  // b[0…NB]
  int NP = 0;                                       // number of peaks
  std::array<std::array<Param, kPeakParams>, kMaxPeaks> peak{};
  double S = 0.0;              // residual sum of squares (read, then replaced by the fit)
  double R = 0.0;              // relative deviation in percent
  int ND = 0;                                       // number of points
  std::array<double, kMaxPoints> x{};
  std::array<double, kMaxPoints> y{};

  bool inRange(double xi) const { return xLow <= xi && xi <= xHigh; }
};

// Model tables for every point of the job, and the peak areas.
struct Tables {
  std::array<double, kMaxPoints> B{};                               // background
  std::array<double, kMaxPoints> Y{};                               // total model
  std::array<std::array<double, kMaxPoints>, kMaxPeaks> P{};        // P[k][i], peak k at point i
  std::array<double, kMaxPeaks> A{};                                // area of peak k
};

// The points inside the fitting range, copied once before the search so that the objective
// touches only them (points outside the range enter neither the objective nor any output).
struct FitPoints {
  int n = 0;
  // The order of x: +1 never falling, -1 never rising, 0 neither (or a NaN among them). In a
  // monotone order the points where a peak's Gaussian part is not 0 form one run.
  int order = 0;
  std::array<double, kMaxPoints> x{};
  std::array<double, kMaxPoints> y{};
  std::array<double, kMaxPoints> B{};   // background and model at these points, left by the
  std::array<double, kMaxPoints> Y{};   // last objective call
  std::array<double, kMaxPoints> r2{};  // squared residuals of the last objective call
};

// The whole state of one run, made once (it is a few megabytes, so it lives on the heap).
struct Fit {
  Job job;
  Tables tables;
  FitPoints points;
};

}  // namespace simplex
