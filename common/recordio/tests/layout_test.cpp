// Whole layouts: repeat groups, reversion, slash, x, the scale factor and value kinds.
#include <gtest/gtest.h>

#include <stdexcept>

#include "recordio/recordio.h"

using namespace recordio;

namespace {

TEST(Layout, PeakEchoLine) {
  const Layout echo("(a, i3, 2x, 7i1, f10.4, f12.0, 5f8.4)");
  EXPECT_EQ(echo.write({"  #", 1LL, 1LL, 1LL, 0LL, 1LL, 0LL, 0LL, 0LL, 28.4412f, 1234.0f, 0.5f, 0.1f,
                        0.2f, 0.5f, 0.0f}),
            "  #  1  1101000   28.4412       1234.  0.5000  0.1000  0.2000  0.5000  0.0000\n");
}

TEST(Layout, ParameterRecordOfTheRefinedJob) {
  const Layout rec("(g14.6, i5, g14.6)");
  EXPECT_EQ(rec.write({28.4412, 1LL, 0.0}), "   28.4412        1   0.00000    \n");
  EXPECT_EQ(rec.write({-1.5e-5, 0LL, 2.5e-8}), " -0.150000E-04    0  0.250000E-07\n");
  const Layout simplex("(i5, 2g16.4)", simplexNotation());
  EXPECT_EQ(simplex.write({500LL, 0.0, 1e4}), "  500      0.0000E+00      0.1000E+05\n");
}

TEST(Layout, ListOutlivingTheLayoutRestartsAtTheLastTopLevelGroup) {
  const Layout l("(a, 2(i3))");
  EXPECT_EQ(l.write({"ab", 1LL, 2LL, 3LL, 4LL, 5LL}), "ab  1  2\n  3  4\n  5\n");
  // Without a group the whole layout starts again.
  const Layout flat("(2i3)");
  EXPECT_EQ(flat.write({1LL, 2LL, 3LL}), "  1  2\n  3\n");
  // Reversion goes to the last group at the top level, not to a nested one.
  const Layout nested("(i1, 2(i2, 2(i1)), i4)");
  EXPECT_EQ(nested.write({1LL, 2LL, 3LL, 4LL, 5LL, 6LL, 7LL, 8LL}), "1 234 567   8\n");
  EXPECT_EQ(nested.write({1LL, 2LL, 3LL, 4LL, 5LL, 6LL, 7LL, 8LL, 9LL, 1LL, 2LL}),
            "1 234 567   8\n 912\n");
}

TEST(Layout, OutputStopsAtTheFirstDescriptorWithoutValue) {
  EXPECT_EQ(write("(a, i3, 'tail')", {"x"}), "x\n");
  EXPECT_EQ(write("(a)", {}), "\n");
  // Descriptors that take no value are still written up to the next one that does.
  EXPECT_EQ(write("(i2, ' end', i2)", {5LL}), " 5 end\n");
  EXPECT_EQ(write("(a, /)", {"x"}), "x\n\n");
  // A layout without any value descriptor is written once, whatever the list holds.
  EXPECT_EQ(write("('abc')", {1LL, 2LL}), "abc\n");
}

TEST(Layout, SlashEndsTheLine) {
  EXPECT_EQ(write("(/a, a)", {" *** Peak area: #", "   2Q"}), "\n *** Peak area: #   2Q\n");
  EXPECT_EQ(write("(i2, /, i2)", {1LL, 2LL}), " 1\n 2\n");
  EXPECT_EQ(write("(i2, 2/, i2)", {1LL, 2LL}), " 1\n\n 2\n");
}

TEST(Layout, BlanksAreWrittenOnlyBeforeSomething) {
  EXPECT_EQ(write("(a, 3x, 5i1)", {" Back ground parameters and ID", 1LL, 1LL, 0LL, 0LL, 0LL}),
            " Back ground parameters and ID   11000\n");
  EXPECT_EQ(write("(a, 3x)", {"ab"}), "ab\n");
  EXPECT_EQ(write("(x, a)", {"ab"}), " ab\n");
}

TEST(Layout, ScaleFactorAppliesToLaterEFieldsIncludingRepeatedGroups) {
  EXPECT_EQ(write("(e12.4, 1p, e12.4)", {1.0, 1.0}), "  0.1000E+01  1.0000E+00\n");
  EXPECT_EQ(write("(1p 3e15.8)", {1.0, -2.0, 12.5}), " 1.00000000E+00-2.00000000E+00 1.25000000E+01\n");
  // The reflection message of the simplex search: the coordinates follow five to a line, and
  // the 1p set at the start still holds when the group starts again.
  const Layout reflection("(7x, a, 1p e15.7, 2x, a, /, (5x, 5e15.7))", simplexNotation());
  const std::string one = "  1.0000000E+00";
  EXPECT_EQ(reflection.write({"REFLECTION APPLIED.  FR =", 12.5, "XR(*)=", 1.0, 1.0, 1.0, 1.0, 1.0,
                              1.0, 1.0}),
            "       REFLECTION APPLIED.  FR =  1.2500000E+01  XR(*)=\n     " + one + one + one + one +
                one + "\n     " + one + one + "\n");
}

TEST(Layout, MismatchedValuesFillTheFieldWithAsterisks) {
  EXPECT_EQ(write("(i3, a4, f6.2)", {1.5, 7LL, "x"}), "*************\n");
  EXPECT_EQ(write("(f6.2, g14.6)", {3LL, 2LL}), "  3.00   2.00000    \n");
  EXPECT_EQ(write("(a)", {1.0}), "*\n");
}

TEST(Layout, QuotedTextAndCaseOfDescriptors) {
  EXPECT_EQ(write("('N =', I3, \" it's\")", {5LL}), "N =  5 it's\n");
  EXPECT_EQ(write("('don''t', A2)", {"ok"}), "don'tok\n");
  EXPECT_EQ(write("(F6.2,1PE10.2)", {1.0, 1.0}), "  1.00  1.00E+00\n");
}

TEST(Layout, IllFormedLayoutsThrow) {
  for (const char* bad : {"(a", "(q5)", "(f10)", "(i3))", "(i)", "(0i3)", "(g10.0)", "(2'x')",
                          "('open)", "(-2i3)", "(p)", "((((((((((((((((((i1))))))))))))))))))"})
    EXPECT_THROW(Layout{bad}, std::invalid_argument) << bad;
  EXPECT_NO_THROW(Layout{"(((((((((((((((((i1)))))))))))))))))"});  // 16 nested groups
  EXPECT_NO_THROW(Layout{"i3, a"});  // the outer parentheses may be left out
}

TEST(Layout, MovedLayoutAppendsToAGivenBuffer) {
  Layout moved = Layout("(i4)");
  std::string out = "head\n";
  moved.writeTo(out, {3LL});
  EXPECT_EQ(out, "head\n   3\n");
}

}  // namespace
