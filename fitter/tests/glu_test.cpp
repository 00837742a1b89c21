// The pivoting solver on known systems and on its three failure cases.
#include <gtest/gtest.h>

#include <vector>

#include "testutil.h"
#include "zentrab/cycle.h"

namespace zentrab::test {
namespace {

using cycle::glu;

// Column-major matrix of order n stored with leading dimension n1 from row-major rows.
std::vector<double> colMajor(const std::vector<std::vector<double>>& rows, int n1) {
  const int n = static_cast<int>(rows.size());
  std::vector<double> a(static_cast<std::size_t>(n1) * n, -999.0);  // padding rows are garbage
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < n; ++k) a[i + k * n1] = rows[i][k];
  return a;
}

struct Solve {
  Captured io;
  std::vector<double> work = std::vector<double>(8), b;
  std::vector<int> ipvt = std::vector<int>(8);
  int ier = -1;
  std::vector<double> a;

  Solve(const std::vector<std::vector<double>>& rows, std::vector<double> rhs, int n1,
        double eps = cycle::kGluEps, int n = -1)
      : b(std::move(rhs)), a(colMajor(rows, n1)) {
    if (n < 0) n = static_cast<int>(rows.size());
    glu(io.out, a.data(), n, n1, b.data(), eps, work.data(), ipvt.data(), ier);
  }
};

TEST(Glu, SolvesSystemsThatNeedRowExchanges) {
  // Zero in the first pivot position forces an exchange; the solution is (1, -2, 3).
  Solve s({{0, 2, 1}, {1, 1, 1}, {4, -1, 2}}, {-1, 2, 12}, 5);
  ASSERT_EQ(s.ier, 0);
  EXPECT_NEAR(s.b[0], 1, 1e-12);
  EXPECT_NEAR(s.b[1], -2, 1e-12);
  EXPECT_NEAR(s.b[2], 3, 1e-12);
  EXPECT_EQ(s.io.console.str(), "");
  // The largest element of the first column (row 3) is the first pivot.
  EXPECT_EQ(s.ipvt[0], 2);
}

TEST(Glu, SolvesAFactoredMatrixAgainWithGlusub) {
  const std::vector<std::vector<double>> A = {{4, 1, 0, 2}, {1, 5, 1, 0}, {0, 1, 6, 1},
                                              {2, 0, 1, 7}};
  const std::vector<double> x = {1, -1, 0.5, 2};
  auto rhs = [&] {
    std::vector<double> b(4, 0);
    for (int i = 0; i < 4; ++i)
      for (int k = 0; k < 4; ++k) b[i] += A[i][k] * x[k];
    return b;
  };
  Solve s(A, rhs(), 4);
  ASSERT_EQ(s.ier, 0);
  std::vector<double> b2 = rhs();
  cycle::glusub(s.a.data(), 4, 4, b2.data(), s.ipvt.data());
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(s.b[i], x[i], 1e-12);
    EXPECT_NEAR(b2[i], x[i], 1e-12);
  }
}

TEST(Glu, OneByOneAndANegativeToleranceTakesTheDefault) {
  Solve s({{2e-14}}, {4e-14}, 1, -1.0);
  ASSERT_EQ(s.ier, 0);
  EXPECT_NEAR(s.b[0], 2, 1e-12);
}

TEST(Glu, InvalidArgumentsGiveCode3) {
  Solve small({{1, 0}, {0, 1}}, {1, 1}, 2, cycle::kGluEps, 3);  // N1 < N
  EXPECT_EQ(small.ier, 3);
  EXPECT_EQ(small.io.console.str(),
            "  (SUBR. GLU)  INVALID ARGUMENT.  N1, N =           2           3\n");
  EXPECT_EQ(small.io.log.str(), small.io.console.str());

  Solve empty({{1}}, {1}, 200, cycle::kGluEps, 0);  // nothing to solve
  EXPECT_EQ(empty.ier, 3);
  EXPECT_EQ(empty.io.console.str(),
            "  (SUBR. GLU)  INVALID ARGUMENT.  N1, N =         200           0\n");
}

TEST(Glu, ARowBelowTheToleranceGivesCode2) {
  Solve s({{1, 2, 0}, {0, 1e-16, 0}, {3, 1, 1}}, {1, 1, 1}, 3);
  EXPECT_EQ(s.ier, 2);
  EXPECT_EQ(s.io.console.str(), "  (SUBR. GLU)  ORIGINAL MATRIX IS SINGULAR.\n");
  EXPECT_EQ(s.io.log.str(), s.io.console.str());
}

TEST(Glu, AVanishingPivotGivesCode1WithItsColumn) {
  // Rows 1 and 2 are proportional: the second pivot vanishes after the first elimination.
  Solve s({{1, 2, 3}, {2, 4, 6}, {1, 0, 1}}, {1, 2, 3}, 3);
  EXPECT_EQ(s.ier, 1);
  EXPECT_EQ(s.io.console.str(), "  (SUBR. GLU)  MATRIX IS SINGULAR AT K =           3\n");

  Solve t({{1, 1}, {1, 1}}, {1, 1}, 2);
  EXPECT_EQ(t.ier, 1);
  EXPECT_EQ(t.io.console.str(), "  (SUBR. GLU)  MATRIX IS SINGULAR AT K =           2\n");
  EXPECT_EQ(t.ipvt[1], 1);  // the failing column is its own pivot
}

}  // namespace
}  // namespace zentrab::test
