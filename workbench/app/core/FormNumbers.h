// The numbers of the setup form and the fit record, named once. Those that are settings'
// defaults are taken from the default text of their INI key, so each stands in one place:
// the Cu Kα wavelengths, the Kα2/Kα1 ratio, the Q range, the ranges and the run settings.
#pragma once

#include "IniKeys.h"

namespace form {

// The value of a key's default text ("1.54056", "-2", "70.0") as the INI file's reader gives
// it: digits and one point, m / 10^k with both exact in a double, so the quotient is the same
// correctly rounded value that strtod gives.
constexpr double DefaultValue(const IniKey& key) {
  const char* s = key.def;
  const bool negative = *s == '-';
  if (negative) ++s;
  double m = 0, scale = 1;
  bool point = false;
  for (; *s; ++s) {
    if (*s == '.') {
      point = true;
      continue;
    }
    m = m * 10 + (*s - '0');
    if (point) scale *= 10;
  }
  return (negative ? -m : m) / scale;
}

// [LSQ]: the X-ray constants (Cu Kα1 and Kα2 in Å, the Kα2/Kα1 intensity ratio, the Q range)
// and the ranges, as a new record and "Default" have them.
inline constexpr double kCuKa1 = DefaultValue(ini::kLKa1);
inline constexpr double kCuKa2 = DefaultValue(ini::kLKa2);
inline constexpr double kIRatio = DefaultValue(ini::kIRatio);
inline constexpr double kQRange = DefaultValue(ini::kQRange);
inline constexpr double kOptLow = DefaultValue(ini::kOptRegionX0);
inline constexpr double kOptHigh = DefaultValue(ini::kOptRegionX1);
inline constexpr double kCalcLow = DefaultValue(ini::kOutputRegionX0);
inline constexpr double kCalcHigh = DefaultValue(ini::kOutputRegionX1);
inline constexpr double kDeltaMagnification = DefaultValue(ini::kDeltaMagnification);
// [SetupLSQ]: the run settings.
inline constexpr int kMaxIteration = static_cast<int>(DefaultValue(ini::kMaxIteration));
inline constexpr double kEps = DefaultValue(ini::kConvergenceCriteria);
inline constexpr double kDampingFactor = DefaultValue(ini::kDumpingFactor);
inline constexpr int kIPrt = static_cast<int>(DefaultValue(ini::kIPrt));
inline constexpr int kIPrtIntvl = static_cast<int>(DefaultValue(ini::kIPrtIntvl));

// "Delta Mag." stays within these, whatever was typed.
inline constexpr double kMinDeltaMagnification = 0.001;
inline constexpr double kMaxDeltaMagnification = 1000.0;

// The spin buttons: a click of direction d (−1 for the up arrow) with "Delta Mag." M moves
//   the position and the widths by d·M·step (0.005° for diffraction, 0.2 cm-1 otherwise),
//   heights, coefficients and X-ray constants by d·M·0.005 of their magnitude,
//   the anisotropy by d·M·0.05, the Gauss fraction by d·0.02 and rfwhm by d·0.05.
inline constexpr double kDiffractionStep = 0.005;
inline constexpr double kSpectroscopicStep = 0.2;
inline constexpr double kRelativeStep = 0.005;
inline constexpr double kAnisoStep = 0.05;
inline constexpr double kFractionStep = 0.02;
inline constexpr double kRatioStep = 0.05;

// "Add" with no peak selected: a peak at the middle of the optimisation range with these
// values.
struct CNewPeak {
  double intensity, gaussFraction, rfwhm, lorentzFwhm;
};
inline constexpr CNewPeak kNewDiffractionPeak{2000.0, 0.5, 1.0, 0.2};
inline constexpr CNewPeak kNewSpectroscopicPeak{50.0, 0.5, 1.0, 10.0};

// "Log": frame 0's Y axis, which shows the logarithm of the intensity, starts at this.
inline constexpr double kLogYMin = -6.0;

// "Curve Fit" asks before a run with more cycles than the diffraction fitter needs, or fewer
// steps than simplexfit needs.
inline constexpr int kMostCycles = 30;
inline constexpr int kFewestSimplexSteps = 100;

}  // namespace form
