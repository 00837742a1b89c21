// Free-format output: widths 12 / 16 / 24, fixed or exponent form, the exponent letter.
#include <gtest/gtest.h>

#include <limits>

#include "recordio/recordio.h"

using namespace recordio;

namespace {

const Notation kDiff = diffractionNotation();
const Notation kSimplex = simplexNotation();

TEST(FreeOutput, WidthsOfEachKind) {
  EXPECT_EQ(writeFree({42LL}, kSimplex), "          42\n");
  EXPECT_EQ(writeFree({-7LL}, kSimplex), "          -7\n");
  EXPECT_EQ(writeFree({1.5f}, kSimplex), "       1.5000000\n");
  EXPECT_EQ(writeFree({1.5}, kSimplex), "       1.500000000000000\n");
  EXPECT_EQ(writeFree({std::string_view("abc")}, kSimplex), "abc\n");
  // Items follow one another with no separator; a text is written unchanged.
  EXPECT_EQ(writeFree({"   ", 0.25f, 1LL, 2.0}, kSimplex),
            "          0.2500000           1       2.000000000000000\n");
}

TEST(FreeOutput, ZeroAndTheFixedRange) {
  EXPECT_EQ(writeFree({0.0f}, kSimplex), "       0.0000000\n");
  EXPECT_EQ(writeFree({-0.0}, kSimplex), "       0.000000000000000\n");
  // 2^-11 is the smallest magnitude written fixed.
  EXPECT_EQ(writeFree({0x1p-11f}, kSimplex), "       0.0004883\n");
  EXPECT_EQ(writeFree({999999.9375f}, kSimplex), "  999999.9375000\n");
  EXPECT_EQ(writeFree({-123.25}, kSimplex), "    -123.250000000000000\n");
}

TEST(FreeOutput, ExponentFormHasThreeDigits) {
  EXPECT_EQ(writeFree({1e6f}, kSimplex), "  1.0000000E+006\n");
  EXPECT_EQ(writeFree({0x3p-14f}, kSimplex), "  1.8310547E-004\n");  // just below 2^-11
  EXPECT_EQ(writeFree({1.0e10}, kSimplex), "  1.000000000000000E+010\n");
  EXPECT_EQ(writeFree({-2.5e-7}, kSimplex), " -2.500000000000000E-007\n");
  EXPECT_EQ(writeFree({1e-300}, kSimplex), "  1.000000000000000E-300\n");
}

TEST(FreeOutput, ExponentLetterFollowsTheNotation) {
  // Doubles carry D in the diffraction fitter; simplexfit writes E for them, which C-style
  // scanning reads as an exponent.
  EXPECT_EQ(writeFree({1.0e10}, kDiff), "  1.000000000000000D+010\n");
  EXPECT_EQ(writeFree({1.0e10f}, kDiff), "  1.0000000E+010\n");
  EXPECT_EQ(std::stod(writeFree({1.0e10}, kSimplex)), 1.0e10);
}

TEST(FreeOutput, NonFiniteValuesFillTheirWidthWithAsterisks) {
  EXPECT_EQ(writeFree({std::numeric_limits<float>::quiet_NaN()}, kSimplex),
            std::string(16, '*') + "\n");
  EXPECT_EQ(writeFree({-std::numeric_limits<double>::infinity()}, kSimplex),
            std::string(24, '*') + "\n");
}

}  // namespace
