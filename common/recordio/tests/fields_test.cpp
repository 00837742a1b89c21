// Single fields against values worked out by hand from the Fortran edit rules.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "recordio/recordio.h"

using namespace recordio;

namespace {

const Notation kDiff = diffractionNotation();
const Notation kSimplex = simplexNotation();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FieldI, RightAlignsAndOverflowsToAsterisks) {
  EXPECT_EQ(formatI(42, 5), "   42");
  EXPECT_EQ(formatI(-42, 3), "-42");
  EXPECT_EQ(formatI(-420, 3), "***");
  EXPECT_EQ(formatI(12345, 4), "****");
  EXPECT_EQ(formatI(0, 1), "0");
  EXPECT_EQ(formatI(7, 0), "7");
  EXPECT_EQ(formatI(LLONG_MIN, 20), "-9223372036854775808");
}

TEST(FieldF, DecimalsRoundingAndTheLeadingZero) {
  EXPECT_EQ(formatF(3.14159, 10, 4), "    3.1416");
  EXPECT_EQ(formatF(-3.14159, 8, 4), " -3.1416");
  EXPECT_EQ(formatF(28.4412, 10, 4), "   28.4412");
  // The zero before the point goes only when the field is otherwise too narrow.
  EXPECT_EQ(formatF(0.5, 6, 4), "0.5000");
  EXPECT_EQ(formatF(0.5, 5, 4), ".5000");
  EXPECT_EQ(formatF(-0.5, 6, 4), "-.5000");
  EXPECT_EQ(formatF(-0.5, 5, 4), "*****");
  EXPECT_EQ(formatF(0.0, 8, 4), "  0.0000");
}

TEST(FieldF, ZeroDecimalsKeepThePoint) {
  EXPECT_EQ(formatF(12345.0, 12, 0), "      12345.");
  EXPECT_EQ(formatF(1234.4, 12, 0), "       1234.");
  EXPECT_EQ(formatF(0.3, 4, 0), "  0.");
  EXPECT_EQ(formatF(0.6, 4, 0), "  1.");
  EXPECT_EQ(formatF(-7.0, 3, 0), "-7.");
  EXPECT_EQ(formatF(0.3, 1, 0), "*");  // "0." needs two columns; the zero is not optional
}

TEST(FieldF, TooWideAndNonFiniteFillWithAsterisks) {
  EXPECT_EQ(formatF(123456.0, 10, 4), "**********");
  EXPECT_EQ(formatF(99999.99999, 10, 4), "**********");  // rounds up to 100000.0000
  EXPECT_EQ(formatF(99999.9999, 10, 4), "99999.9999");
  EXPECT_EQ(formatF(1e300, 12, 2), "************");
  EXPECT_EQ(formatF(kNaN, 6, 2), "******");
  EXPECT_EQ(formatF(-kInf, 6, 2), "******");
}

TEST(FieldE, PlainAndScaledMantissa) {
  EXPECT_EQ(formatE(12345.678, 12, 5, 0), " 0.12346E+05");
  EXPECT_EQ(formatE(12345.678, 15, 7, 1), "  1.2345678E+04");
  EXPECT_EQ(formatE(-0.000123456, 15, 7, 1), " -1.2345600E-04");
  EXPECT_EQ(formatE(0.0, 15, 7, 1), "  0.0000000E+00");
  EXPECT_EQ(formatE(0.0, 11, 4, 0), " 0.0000E+00");
  // 9.9999996 rounds up to ten: the exponent follows the rounded value.
  EXPECT_EQ(formatE(9.9999996, 12, 6, 0), "0.100000E+02");
  EXPECT_EQ(formatE(9.9999996, 14, 6, 1), "  1.000000E+01");
}

TEST(FieldE, ThreeDigitExponentReplacesTheLetter) {
  EXPECT_EQ(formatE(1.23456e99, 12, 6, 0), "0.123456+100");
  EXPECT_EQ(formatE(1.5e-150, 14, 6, 1), "  1.500000-150");
  EXPECT_EQ(formatE(1.23e-100, 13, 6, 0), " 0.123000E-99");  // -99 still has its letter
}

TEST(FieldE, NarrowFieldsDropTheZeroThenOverflow) {
  EXPECT_EQ(formatE(1.0, 10, 5, 0), ".10000E+01");
  EXPECT_EQ(formatE(-1.0, 11, 5, 0), "-.10000E+01");
  EXPECT_EQ(formatE(1.0, 8, 5, 0), "********");
  EXPECT_EQ(formatE(kNaN, 15, 7, 1), "***************");
}

// g14.6 (diffraction): fixed form F10.(6-k) plus 4 blanks for values that round into
// [0.1, 10^6), exponent form otherwise.
TEST(FieldG, BoundaryAtOneTenth) {
  EXPECT_EQ(formatG(0.1, 14, 6, kDiff), "  0.100000    ");
  EXPECT_EQ(formatG(0.09999996, 14, 6, kDiff), "  0.100000    ");  // rounds up into range
  EXPECT_EQ(formatG(0.09999994, 14, 6, kDiff), "  0.999999E-01");
  EXPECT_EQ(formatG(0.0999999, 14, 6, kDiff), "  0.999999E-01");
  EXPECT_EQ(formatG(0.1234567, 14, 6, kDiff), "  0.123457    ");
}

TEST(FieldG, BoundaryAtTenToTheD) {
  EXPECT_EQ(formatG(999999.4, 14, 6, kDiff), "   999999.    ");
  EXPECT_EQ(formatG(999999.6, 14, 6, kDiff), "  0.100000E+07");  // rounds up out of range
  EXPECT_EQ(formatG(1000000.0, 14, 6, kDiff), "  0.100000E+07");
  EXPECT_EQ(formatG(9999.4, 16, 4, kSimplex), "       9999.    ");
  EXPECT_EQ(formatG(9999.6, 16, 4, kSimplex), "      0.1000E+05");
  EXPECT_EQ(formatG(12346.0, 16, 4, kSimplex), "      0.1235E+05");
}

TEST(FieldG, FixedFormKeepsDSignificantDigits) {
  EXPECT_EQ(formatG(123.456, 14, 6, kDiff), "   123.456    ");
  EXPECT_EQ(formatG(1.5, 14, 6, kDiff), "   1.50000    ");
  EXPECT_EQ(formatG(9.9999996, 14, 6, kDiff), "   10.0000    ");
  EXPECT_EQ(formatG(static_cast<double>(0.1f), 14, 6, kDiff), "  0.100000    ");
}

TEST(FieldG, Negatives) {
  EXPECT_EQ(formatG(-123.456, 14, 6, kDiff), "  -123.456    ");
  EXPECT_EQ(formatG(-0.5, 14, 6, kDiff), " -0.500000    ");
  EXPECT_EQ(formatG(-0.5e-3, 14, 6, kDiff), " -0.500000E-03");
  EXPECT_EQ(formatG(-2.5e7, 16, 6, kSimplex), "   -0.250000E+08");
}

TEST(FieldG, ZeroDependsOnTheNotation) {
  EXPECT_EQ(formatG(0.0, 14, 6, kDiff), "   0.00000    ");
  EXPECT_EQ(formatG(0.0, 12, 6, kDiff), " 0.00000    ");
  EXPECT_EQ(formatG(-0.0, 12, 6, kDiff), " 0.00000    ");
  EXPECT_EQ(formatG(0.0, 16, 4, kSimplex), "      0.0000E+00");
  EXPECT_EQ(formatG(0.0, 16, 6, kSimplex), "    0.000000E+00");
}

TEST(FieldG, OverflowAndThreeDigitExponents) {
  EXPECT_EQ(formatG(123.456, 10, 6, kDiff), "**********");  // F6.3 cannot hold 123.456
  EXPECT_EQ(formatG(1.23e-100, 14, 6, kSimplex), "  0.123000E-99");
  EXPECT_EQ(formatG(1.23e-101, 14, 6, kSimplex), "  0.123000-100");
  EXPECT_EQ(formatG(kInf, 14, 6, kDiff), "**************");
  EXPECT_EQ(formatG(kNaN, 14, 6, kSimplex), "**************");
}

TEST(FieldA, CutsLongAndRightAlignsShortTexts) {
  EXPECT_EQ(formatA("abcdef", 3), "abc");
  EXPECT_EQ(formatA("ab", 5), "   ab");
  EXPECT_EQ(formatA("abc", 3), "abc");
  EXPECT_EQ(formatA("  text  ", -1), "  text  ");
  EXPECT_EQ(formatA("abc", 0), "");
}

}  // namespace
