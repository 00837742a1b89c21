// The whole state of one fit: the job as read, the selected data, the internal peak parameters,
// the index of optimised parameters and the normal equations. Every array is sized by the job
// limits; the state is made once per run and handed to every operation by reference.
//
// Arrays are 0-based: peak j of the file is element j-1, data point i is element i-1, index
// entry m is element m-1. Only the printed numbers (peak numbers, index entries) count from 1.
#pragma once

#include <array>
#include <ostream>
#include <string>

namespace zentrab {

// The full profile (Kα1/Kα2 doublet, asymmetry average) or the single-line profile. Each library
// build of the fitter sets ZENTRAB_FULL_PROFILE to 1 or 0.
#ifndef ZENTRAB_FULL_PROFILE
#error "ZENTRAB_FULL_PROFILE must be defined by the build (1 full profile, 0 single line)"
#endif
inline constexpr bool kFullProfile = ZENTRAB_FULL_PROFILE != 0;
inline constexpr const char* kProgramName = kFullProfile ? "xZentrab" : "Zentrab";

// Job limits.
inline constexpr int kMaxOData = 20000;  // points in the file (nOData)
inline constexpr int kMaxData = 20000;   // points inside the calculation range (nData)
inline constexpr int kMaxBack = 5;       // background coefficients (nBack)
inline constexpr int kMaxPeaks = 70;     // peaks (nPeak)
inline constexpr int kMaxMtx = 200;      // parameters optimised at once (nMtx)

// How an operation ended: normally, by a fatal stop (stop code 9999: limits, solver failure) or
// by an input/output failure of the job or result files.
enum class Status { ok, stop, ioError };

// Exit status of a fatal stop (stop code 9999) and of an input/output failure.
inline constexpr int kStopStatus = 1;
inline constexpr int kIoErrorStatus = 2;

// The seven parameters of a peak in file order.
enum PeakParam { kPosition = 0, kIntensity, kGaussFraction, kGaussFwhm, kLorentzFwhm, kRfwhm,
                 kAnisotropy, kPeakParams };

// Parameter kinds of the index: 1-5 background b1..b5, then the internal peak parameters.
enum Kind { kKindCG = 6, kKindCL = 7, kKindPosition = 8, kKindAnisotropy = 9, kKindH = 10,
            kKindR2 = 11 };

// Output channels. Every message goes to the console and, in the same layout, to the run log;
// stop messages of the limits go to the console only; "STOP 9999" and input/output failures go
// to the error stream. `log` is null while no run log is open.
struct Out {
  std::ostream* console = nullptr;
  std::ostream* log = nullptr;
  std::ostream* err = nullptr;

  // A message to the console and the log (text holds complete lines).
  void put(const std::string& text) const {
    if (console) *console << text;
    if (log) *log << text;
  }
  // A repair or guard message: an empty line, then the text.
  void putAfterEmptyLine(const std::string& text) const {
    put("\n");
    put(text);
  }
  // A message to the console only.
  void consoleOnly(const std::string& text) const {
    if (console) *console << text;
  }
};

// A file name as the fitter holds it in its messages: 80 characters, padded with blanks.
inline std::string fixedName(const std::string& name) {
  std::string s = name.substr(0, 80);
  s.resize(80, ' ');
  return s;
}

// Geometry of one peak, recomputed from the current parameters on every evaluation.
struct PeakGeometry {
  float Wg = 0, Wl = 0;   // Gaussian and Lorentzian fwhm
  float p2 = 0;           // 2θ of the Kα2 line
  float k1 = 0, k2 = 0;   // cot(2θ) of the Kα1 and Kα2 lines
  float q = 0;            // 4 r²
  float lo = 0, hi = 0;   // window: lo <= x <= hi
  bool ka2 = true;        // false when the Kα2 line would lie beyond 180°
  int i0 = 0, i1 = 0;     // selected points [i0, i1) to look at for the window
};

struct State {
  // Job as read (single precision and 32-bit integers).
  std::string title, dataName, program, method;  // 80, 80, 80 and 25 characters
  int maxIteration = 0;
  float dampingFactor = 0, eps = 0;
  float ramda1 = 0, ramda2 = 0, qRange = 0, iRatio = 0;
  float calcLow = 0, calcHigh = 0, optLow = 0, optHigh = 0;
  std::array<float, kMaxBack> back{};    // b1..b5; the fit moves these in place
  std::array<int, kMaxBack> backFlag{};  // 1 = free
  int nPeak = 0;
  // prm[k][j]: parameter k (PeakParam) of peak j in file form; flag[k][j] its flag.
  std::array<std::array<float, kMaxPeaks>, kPeakParams> prm{};
  std::array<std::array<int, kMaxPeaks>, kPeakParams> flag{};
  // Background and peak parameters exactly as read, for the change column of "new.pfc".
  std::array<float, kMaxBack> backRead{};
  std::array<std::array<float, kMaxPeaks>, kPeakParams> prmRead{};
  int nOData = 0;
  std::array<float, kMaxOData> xo{}, yo{};  // every point of the file

  // Selected data (calculation range) and the per-point results of the last evaluation.
  int nData = 0;
  bool ascending = true;  // selected x ascend, so a peak window is a contiguous run of points
  std::array<float, kMaxData> x{}, y{}, bg{}, model{}, resid{};

  // Internal peak parameters (position, Gaussian and Lorentzian heights, inverse Gaussian
  // width, rfwhm, anisotropy) and the geometry of the last evaluation.
  std::array<float, kMaxPeaks> p{}, CG{}, CL{}, h{}, r{}, A{};
  std::array<PeakGeometry, kMaxPeaks> geo{};
  std::array<bool, kMaxPeaks> ka2Reported{};  // the "beyond 180°" message was printed

  // Contribution table: contrib[j * kMaxData + i] = profile of peak j at point i. Written only
  // inside the peak's window; the run of points written last (cI0, cI1) is cleared first, so a
  // point that left the window contributes nothing. Never read outside the runs written, so the
  // program leaves it uninitialised (a value-initialised state starts it at zero).
  std::array<float, kMaxPeaks * kMaxData> contrib;
  std::array<int, kMaxPeaks> cI0{}, cI1{};

  // Sum of squares and relative deviation (%) of the last evaluation.
  double S = 0, sigma = 0;

  // Index of optimised parameters: peak number (1-based, 0 for the background) and kind.
  int nMtx = 0;
  std::array<int, kMaxMtx> idxPeak{}, idxKind{};

  // Derivatives of the model by each index entry: deriv[m * kMaxData + i], single precision,
  // filled only over the points where the entry applies (entry's run [dI0, dI1)) and read only
  // there, so it too may start uninitialised.
  std::array<float, kMaxMtx * kMaxData> deriv;
  std::array<int, kMaxMtx> dI0{}, dI1{};

  // Normal equations, column-major with leading dimension kMaxMtx: M[m + n * kMaxMtx].
  // The step replaces the right-hand side v.
  std::array<double, kMaxMtx * kMaxMtx> M{};
  std::array<double, kMaxMtx> v{};
  std::array<double, kMaxMtx> work{};
  std::array<int, kMaxMtx> pivot{};

  int iteration = 0;
  bool converged = false;

  // The adaptive method: the undamped normal equations of the current parameters, kept while
  // trial steps are solved from them (same layout as M and v), and the covariance of the
  // optimised parameters at the solution (same layout, entries 0..nMtx-1).
  std::array<double, kMaxMtx * kMaxMtx> M0{};
  std::array<double, kMaxMtx> v0{};
  std::array<double, kMaxMtx * kMaxMtx> cov{};

  // The adaptive method's background basis: with centredBackground the free coefficients
  // b1..bK (a run from b1) are fitted as backC, the coefficients of the same polynomial in
  // t = (x - xc) / xs over the selected data, and the fixed ones stay in back; the fit ends
  // by writing the free ones back into back as well (adaptive::rawBackground). The other
  // methods never set it.
  bool centredBackground = false;
  // The adaptive method's model: its exponential inline (profile.cpp), so that a peak's window
  // runs as vector code. The other methods use the library's.
  bool inlineExp = false;
  float xc = 0, xs = 1;
  std::array<float, kMaxBack> backC{};
  // The adaptive method's bounds of the index entries' internal values (kind 11: r²), within
  // which every step is held, the entries found on a bound at the end, and those that a part
  // held at 0 leaves without effect (their standard error is not defined).
  std::array<double, kMaxMtx> lower{}, upper{};
  std::array<bool, kMaxMtx> held{}, undetermined{};
};

}  // namespace zentrab
