// exp(x) for x <= 0, inline and without calls or tables: in the peak loops of simplexfit and
// of the workbench's model curves the library exp costs about four times as much. Compiled
// without trapping comparisons, a loop of calls becomes vector code. Range reduction x = k·ln2 + r with |r| <= ln2/2, a degree-13 Taylor
// polynomial for exp(r) (truncation below 1e-17 relative), and 2^k built in the exponent bits.
// Within one unit in the last place of the library's exp. Arguments below -708 give 0 (the
// true value is below 3.3e-308); NaN gives NaN.
#pragma once

#include <bit>
#include <cstdint>

namespace numeric {

// Below this argument expNonPositive gives exactly 0.
inline constexpr double kExpLowest = -708.0;

inline double expNonPositive(double x) {
  constexpr double kLog2e = 1.4426950408889634;
  constexpr double kLn2Hi = 6.93147180369123816490e-01;  // ln 2 split so that k·kLn2Hi is exact
  constexpr double kLn2Lo = 1.90821492927058770002e-10;
  constexpr double kShift = 0x1.8p52;                     // adding it rounds to an integer
  constexpr double kLowest = kExpLowest;

  const double xc = x < kLowest ? kLowest : x;
  const double kd = xc * kLog2e + kShift;  // low mantissa bits hold k = round(x / ln 2)
  const double k = kd - kShift;
  const double r = (xc - k * kLn2Hi) - k * kLn2Lo;

  // exp(r) = sum r^n / n!, n = 0…13, by Horner.
  double p = 1.0 / 6227020800.0;
  p = p * r + 1.0 / 479001600.0;
  p = p * r + 1.0 / 39916800.0;
  p = p * r + 1.0 / 3628800.0;
  p = p * r + 1.0 / 362880.0;
  p = p * r + 1.0 / 40320.0;
  p = p * r + 1.0 / 5040.0;
  p = p * r + 1.0 / 720.0;
  p = p * r + 1.0 / 120.0;
  p = p * r + 1.0 / 24.0;
  p = p * r + 1.0 / 6.0;
  p = p * r + 0.5;
  p = p * r + 1.0;
  p = p * r + 1.0;

  // 2^k: k + 1023 in the exponent field (k lies in -1022…0 here).
  const std::uint64_t bits = (std::bit_cast<std::uint64_t>(kd) + 1023u) << 52;
  const double result = p * std::bit_cast<double>(bits);
  return x < kLowest ? 0.0 : result;
}

}  // namespace numeric
