// The simplex search on problems with known minima, on scripted objectives whose path can
// be followed by hand, and its argument checks, print levels and messages.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "smplx.h"

namespace simplex {
namespace {

// Both channels of a run, so that every test can also check that they agree.
struct Capture {
  std::ostringstream console, log;
  Channels out{console, &log};
  std::string text() const {
    EXPECT_EQ(console.str(), log.str());
    return console.str();
  }
};

// An objective that returns scripted values in call order (then `after`) and records the
// point of every call.
struct Script {
  explicit Script(std::vector<double> v = {}) : values(std::move(v)) {}
  std::vector<double> values;
  double after = 1e30;
  std::vector<std::vector<double>> points;
  Objective fn() {
    return [this](std::span<const double> p) {
      points.emplace_back(p.begin(), p.end());
      const std::size_t n = points.size() - 1;
      return n < values.size() ? values[n] : after;
    };
  }
};

struct Search {
  std::vector<double> x, step;
  double tolX = 0.0, tolF = 0.0, fmin = -7.0;
  int ITMAX = 100, iPrt = 0, iPrtIntvl = 1;
  Capture cap;
  void run(const Objective& fn, int N = -1) {
    SMPLX(fn, x, step, tolX, tolF, N < 0 ? static_cast<int>(x.size()) : N, fmin, ITMAX, iPrt,
          iPrtIntvl, cap.out);
  }
};

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

int convergedAt(const std::string& text) {
  const std::string key = "CONVERGENCE AT ITER=";
  const std::size_t at = text.find(key);
  return at == std::string::npos ? -1 : std::stoi(text.substr(at + key.size()));
}

TEST(SmplxMinima, QuadraticBowl) {
  Search s;
  s.x = {3.0, -2.0, 7.0, 0.5};
  s.step = {1.0, 1.0, 1.0, 1.0};
  s.tolX = 1e-9;
  s.tolF = 1e-18;
  s.ITMAX = 20000;
  const double c[] = {1.0, 2.0, -3.0, 4.0};
  s.run([&](std::span<const double> p) {
    double f = 0.0;
    for (int j = 0; j < 4; ++j) f += (j + 1) * (p[j] - c[j]) * (p[j] - c[j]);
    return f;
  });
  EXPECT_GT(convergedAt(s.cap.text()), 0);
  for (int j = 0; j < 4; ++j) EXPECT_NEAR(s.x[j], c[j], 1e-7) << j;
  EXPECT_LT(s.fmin, 1e-14);
}

TEST(SmplxMinima, Rosenbrock) {
  Search s;
  s.x = {-1.2, 1.0};
  s.step = {0.5, 0.5};
  s.tolX = 1e-12;
  s.tolF = 1e-24;
  s.ITMAX = 10000;
  int calls = 0;
  s.run([&](std::span<const double> p) {
    ++calls;
    return 100.0 * std::pow(p[1] - p[0] * p[0], 2) + std::pow(1.0 - p[0], 2);
  });
  EXPECT_GT(convergedAt(s.cap.text()), 0);
  EXPECT_NEAR(s.x[0], 1.0, 1e-6);
  EXPECT_NEAR(s.x[1], 1.0, 1e-6);
  EXPECT_NEAR(s.fmin, 100.0 * std::pow(s.x[1] - s.x[0] * s.x[0], 2) + std::pow(1.0 - s.x[0], 2),
              0.0);
  EXPECT_GT(calls, 3);
}

TEST(SmplxArguments, EachCheckHasItsMessageAndTouchesNothing) {
  struct Case {
    int N, ITMAX;
    const char* message;
  };
  const Case cases[] = {
      {51, 100, "(SUBR.SMPLX) N IS LARGER THAN MAXN:           50\n"},
      {51, 0, "(SUBR.SMPLX) N IS LARGER THAN MAXN:           50\n"},  // N is checked first
      {1, 100, "(SUBR.SMPLX) N SHOULD BE LARGER THAN 1.  N=           1\n"},
      {0, 0, "(SUBR.SMPLX) N SHOULD BE LARGER THAN 1.  N=           0\n"},
      {2, 0, "(SUBR.SMPLX) ITMAX SHOULD BE POSITIVE\n"},
      {2, -5, "(SUBR.SMPLX) ITMAX SHOULD BE POSITIVE\n"},
  };
  for (const Case& c : cases) {
    Search s;
    s.x.assign(51, 2.5);
    s.step.assign(51, 0.0);
    s.ITMAX = c.ITMAX;
    s.iPrt = 7;
    int calls = 0;
    s.run([&](std::span<const double>) { return double(++calls); }, c.N);
    EXPECT_EQ(s.cap.text(), c.message) << "N " << c.N << " ITMAX " << c.ITMAX;
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(s.x, std::vector<double>(51, 2.5));
    EXPECT_EQ(s.step, std::vector<double>(51, 0.0));  // no zero-step rule before the checks
    EXPECT_EQ(s.fmin, -7.0);
    EXPECT_EQ(s.iPrt, 7);  // not clamped when the checks stop the call
  }
}

TEST(SmplxArguments, PrintLevelIsClampedOnceTheChecksPass) {
  for (auto [in, want] : {std::pair{5, 2}, {-3, 0}, {1, 1}, {2, 2}}) {
    Search s;
    s.x = {1.0, 1.0};
    s.step = {1.0, 1.0};
    s.ITMAX = 1;
    s.iPrt = in;
    s.run([](std::span<const double> p) { return p[0] * p[0] + p[1] * p[1]; });
    EXPECT_EQ(s.iPrt, want) << in;
  }
}

TEST(SmplxStart, ZeroStepsBecomeMagnitudePlusOneAndBuildTheSimplex) {
  Search s;
  s.x = {-3.0, 0.0, 5.0, 2.0};
  s.step = {0.0, 0.0, 1e-51, -2.0};  // a negative step is a step
  s.ITMAX = 1;
  Script script;
  s.run(script.fn());
  EXPECT_EQ(s.step, (std::vector<double>{4.0, 1.0, 6.0, -2.0}));
  ASSERT_GE(script.points.size(), 5u);
  EXPECT_EQ(script.points[0], (std::vector<double>{-3.0, 0.0, 5.0, 2.0}));
  EXPECT_EQ(script.points[1], (std::vector<double>{1.0, 0.0, 5.0, 2.0}));
  EXPECT_EQ(script.points[2], (std::vector<double>{-3.0, 1.0, 5.0, 2.0}));
  EXPECT_EQ(script.points[3], (std::vector<double>{-3.0, 0.0, 11.0, 2.0}));
  EXPECT_EQ(script.points[4], (std::vector<double>{-3.0, 0.0, 5.0, 0.0}));
}

// Start (0,0) with unit steps: vertices (0,0), (1,0), (0,1).
Search tiny(int ITMAX) {
  Search s;
  s.x = {0.0, 0.0};
  s.step = {1.0, 1.0};
  s.ITMAX = ITMAX;
  return s;
}

TEST(SmplxRanking, FirstOfEqualHighestIsReflected) {
  Search s = tiny(1);
  Script script({1.0, 5.0, 5.0});
  s.run(script.fn());
  // IH is vertex 2: XR = (V1 + V3) - V2 = (-1, 1). Vertex 3 would give (1, -1).
  ASSERT_GE(script.points.size(), 4u);
  EXPECT_EQ(script.points[3], (std::vector<double>{-1.0, 1.0}));
}

TEST(SmplxRanking, FirstOfEqualLowestIsReturnedAndFailedLastContractionSkipsReduction) {
  Search s = tiny(1);
  Script script({5.0, 1.0, 1.0, 10.0, 10.0});  // reflection and contraction both fail
  s.run(script.fn());
  EXPECT_EQ(script.points.size(), 5u);  // N+1, reflection, contraction: no reduction
  EXPECT_EQ(s.x, (std::vector<double>{1.0, 0.0}));
  EXPECT_EQ(s.fmin, 1.0);
  EXPECT_EQ(s.cap.text(), "(SUBR.SMPLX) ITERATION TERMINATED DUE TO ITMAX\n");
}

TEST(SmplxRanking, FlatObjectiveRanksVertexOneAsBothAndSecondEqualsLowest) {
  Search s = tiny(1);
  s.iPrt = 1;
  Script script({2.0, 2.0, 2.0, 2.0});
  s.run(script.fn());
  // IH = vertex 1: XR = V2 + V3 - V1 = (1, 1); FR = FS, so it replaces vertex 1.
  ASSERT_EQ(script.points.size(), 4u);
  EXPECT_EQ(script.points[3], (std::vector<double>{1.0, 1.0}));
  EXPECT_EQ(s.cap.text(),
            " ITER=    1  FL, FS, FH= 2.00000000E+00 2.00000000E+00 2.00000000E+00\n"
            "(SUBR.SMPLX) ITERATION TERMINATED DUE TO ITMAX\n");
}

// A path followed by hand through every operation, with iPrt 2 and the progress line every
// second iteration.
TEST(SmplxMessages, EveryOperationAtPrintLevelTwo) {
  Search s = tiny(4);
  s.iPrt = 2;
  s.iPrtIntvl = 2;
  Script script({1, 2, 3, 0.5, 0.25, 0.75, 0.9, 2, 0.8, 0.7, 0.25, 5, 6});
  s.run(script.fn());

  const std::vector<std::vector<double>> path = {
      {0, 0},  {1, 0},   {0, 1},                  // start
      {1, -1}, {1.5, -2},                         // 1: reflection, expansion (taken)
      {0.5, -2},                                  // 2: reflection taken
      {2, -4}, {1.5, -3},                         // 3: reflection, contraction fails
      {1.75, -3}, {1, -2}, {1.5, -2},             //    reduction around (1.5, -2)
      {0.75, -1}, {1.5, -2.5}};                   // 4: both fail in the last iteration
  EXPECT_EQ(script.points, path);
  EXPECT_EQ(s.x, (std::vector<double>{1.5, -2.0}));
  EXPECT_EQ(s.fmin, 0.25);

  EXPECT_EQ(s.cap.text(),
            "       REFLECTION APPLIED.  FR =  5.0000000E-01  XR(*)=\n"
            "       1.0000000E+00 -1.0000000E+00\n"
            "       EXPANSION APPLIED.   FE =  2.5000000E-01  XE(*)=\n"
            "       1.5000000E+00 -2.0000000E+00\n"
            "       XH(*) IS REPLACED BY XE(*)\n"
            " ITER=    2  FL, FS, FH= 2.50000000E-01 1.00000000E+00 2.00000000E+00\n"
            "       REFLECTION APPLIED.  FR =  7.5000000E-01  XR(*)=\n"
            "       5.0000000E-01 -2.0000000E+00\n"
            "       XH(*) IS REPLACED BY XR(*)\n"
            "       REFLECTION APPLIED.  FR =  9.0000000E-01  XR(*)=\n"
            "       2.0000000E+00 -4.0000000E+00\n"
            "       XH(*) IS REPLACED BY XR(*)\n"
            "       CONTRACTION APPLIED. FC =  2.0000000E+00  XC(*)=\n"
            "       1.5000000E+00 -3.0000000E+00\n"
            "       REDUCTION APPLIED AROUND THE POINT:  \n"
            "       1.5000000E+00 -2.0000000E+00\n"
            " ITER=    4  FL, FS, FH= 2.50000000E-01 7.00000000E-01 8.00000000E-01\n"
            "       REFLECTION APPLIED.  FR =  5.0000000E+00  XR(*)=\n"
            "       7.5000000E-01 -1.0000000E+00\n"
            "       CONTRACTION APPLIED. FC =  6.0000000E+00  XC(*)=\n"
            "       1.5000000E+00 -2.5000000E+00\n"
            "(SUBR.SMPLX) ITERATION TERMINATED DUE TO ITMAX\n");
}

TEST(SmplxMessages, ExpansionNotTakenAndContractionTaken) {
  Search s = tiny(2);
  // 1: FR 0.5 < FL, FE 0.6 >= FR: vertex 3 becomes XR (1,-1).
  // 2: values (1, 2, 0.5): IH vertex 2, XR = (1,-1)+(0,0)-(1,0) = (0,-1), FR 3 > FH:
  //    contraction XC = 0.5 (1,0) + 0.5 (0.5,-0.5) = (0.75,-0.25), FC 1.5 < FH = 2: taken.
  Script script({1, 2, 3, 0.5, 0.6, 3, 1.5});
  s.iPrt = 2;
  s.iPrtIntvl = 100;
  s.run(script.fn());
  ASSERT_EQ(script.points.size(), 7u);
  EXPECT_EQ(script.points[4], (std::vector<double>{1.5, -2.0}));
  EXPECT_EQ(script.points[5], (std::vector<double>{0.0, -1.0}));
  EXPECT_EQ(script.points[6], (std::vector<double>{0.75, -0.25}));
  const std::string text = s.cap.text();
  EXPECT_EQ(count(text, "XH(*) IS REPLACED BY XR(*)"), 1);
  EXPECT_EQ(count(text, "XH(*) IS REPLACED BY XC(*)"), 1);
  EXPECT_EQ(s.x, (std::vector<double>{1.0, -1.0}));  // IL of the last ranking, value 0.5
  EXPECT_EQ(s.fmin, 0.5);
}

// Each comparison of an iteration at equality, on the simplex (0,0), (1,0), (0,1) with
// values 1, 2, 3 (IL vertex 1, FS = 2, IH vertex 3, XM = (0.5, 0), XR = (1, -1)).
TEST(SmplxBoundaries, EqualValuesTakeTheBranchOfTheStrictTest) {
  struct Case {
    const char* what;
    std::vector<double> values;
    int ITMAX;
    std::size_t calls;
    std::vector<double> lastPoint;
    const char* replaced;  // the replacement message, or "" for none
    bool reduction;
  };
  const Case cases[] = {
      // FR = FL is no success: no expansion; FR <= FS keeps XR.
      {"FR = FL", {1, 2, 3, 1}, 1, 4, {1, -1}, "XH(*) IS REPLACED BY XR(*)", false},
      // FE = FR keeps XR, not XE.
      {"FE = FR", {1, 2, 3, 0.5, 0.5}, 1, 5, {1.5, -2}, "XH(*) IS REPLACED BY XR(*)", false},
      // FR = FS is still taken without a contraction.
      {"FR = FS", {1, 2, 3, 2}, 1, 4, {1, -1}, "XH(*) IS REPLACED BY XR(*)", false},
      // FR = FH does not replace the worst vertex: XC = 0.5 (0,1) + 0.5 XM.
      {"FR = FH", {1, 2, 3, 3, 0.5}, 1, 5, {0.25, 0.5}, "XH(*) IS REPLACED BY XC(*)", false},
      // FC = FH is a failed contraction: reduction (ITER 1 < ITMAX 2), then iteration 2
      // fails both ways and ends at the limit: 3 + 2 + 3 + 2 calls.
      {"FC = FH", {1, 2, 3, 4, 3, 5, 6, 7}, 2, 10, {}, "", true},
  };
  for (const Case& c : cases) {
    Search s = tiny(c.ITMAX);
    s.iPrt = 2;
    s.iPrtIntvl = 1000;
    Script script(c.values);
    s.run(script.fn());
    const std::string text = s.cap.text();
    ASSERT_EQ(script.points.size(), c.calls) << c.what << "\n" << text;
    if (!c.lastPoint.empty()) {
      EXPECT_EQ(script.points.back(), c.lastPoint) << c.what;
    }
    EXPECT_EQ(count(text, "IS REPLACED BY"), *c.replaced ? 1 : 0) << c.what << "\n" << text;
    if (*c.replaced) {
      EXPECT_NE(text.find(c.replaced), std::string::npos) << c.what;
    }
    EXPECT_EQ(count(text, "EXPANSION APPLIED"), c.values.size() > 4 && c.values[3] < 1 ? 1 : 0)
        << c.what;
    EXPECT_EQ(count(text, "REDUCTION APPLIED"), c.reduction ? 1 : 0) << c.what;
  }
}

TEST(SmplxMessages, VectorsLongerThanFiveContinueOnNewLines) {
  Search s;
  s.x.assign(7, 1.0);
  s.step.assign(7, 1.0);
  s.ITMAX = 1;
  s.iPrt = 2;
  s.run([](std::span<const double>) { return 1.0; });
  const std::string text = s.cap.text();
  // Reflection of vertex 1 of a flat simplex: coordinates 1 + 2/7 each, five then two.
  const std::string v = "  1.2857143E+00";
  EXPECT_NE(text.find("\n     " + v + v + v + v + v + "\n     " + v + v + "\n"),
            std::string::npos)
      << text;
}

TEST(SmplxProgress, IntervalsAndPrintLevels) {
  struct Case {
    int iPrt, interval, lines;
  };
  // ITMAX 35: interval 10 prints at 10, 20, 30; 0 is taken as every iteration; a negative
  // interval works like its magnitude; iPrt 0 prints nothing.
  const Case cases[] = {{1, 10, 3}, {0, 10, 0}, {0, 1, 0}, {1, 0, 35}, {1, -10, 3}, {1, 1, 35}};
  for (const Case& c : cases) {
    Search s;
    s.x = {1.0, 2.0};
    s.step = {1.0, 1.0};
    s.ITMAX = 35;
    s.iPrt = c.iPrt;
    s.iPrtIntvl = c.interval;
    s.run([](std::span<const double> p) { return p[0] * p[0] + 3 * p[1] * p[1]; });
    const std::string text = s.cap.text();
    EXPECT_EQ(count(text, " ITER="), c.lines) << c.iPrt << " " << c.interval;
    if (c.iPrt == 1 && c.interval == 10) {
      EXPECT_NE(text.find(" ITER=   30  FL"), std::string::npos);
    }
    EXPECT_EQ(count(text, "APPLIED"), 0);
  }
}

double bowl(std::span<const double> p) { return (p[0] - 1) * (p[0] - 1) + (p[1] + 2) * (p[1] + 2); }

TEST(SmplxConvergence, EachToleranceAloneBothTogetherOrNeither) {
  auto run = [](double tolX, double tolF, int& calls) {
    Search s;
    s.x = {4.0, 4.0};
    s.step = {1.0, 1.0};
    s.tolX = tolX;
    s.tolF = tolF;
    s.ITMAX = 500;
    calls = 0;
    s.run([&](std::span<const double> p) {
      ++calls;
      return bowl(p);
    });
    return s.cap.text();
  };
  int calls = 0;
  for (auto [tolX, tolF] : {std::pair{0.0, 0.0}, {-1.0, -1.0}, {1e-51, 1e-51}}) {
    const std::string text = run(tolX, tolF, calls);
    EXPECT_EQ(text, "(SUBR.SMPLX) ITERATION TERMINATED DUE TO ITMAX\n") << tolX;
    EXPECT_GE(calls, 500 + 3);
  }
  const int onlyF = convergedAt(run(0.0, 1e-4, calls));
  const int onlyX = convergedAt(run(1e-6, 0.0, calls));
  const int both = convergedAt(run(1e-6, 1e-4, calls));
  EXPECT_GT(onlyF, 0);
  EXPECT_GT(onlyX, 0);
  EXPECT_GE(both, std::max(onlyF, onlyX));  // both tests must hold at once
  EXPECT_LT(onlyF, onlyX);                  // the value spread closes long before 1e-6 in x
}

// Convergence needs each given spread strictly below its tolerance; a tolerance of 1e-50
// or less is not given. At ITER 1 of the simplex (0,0), (s1,0), (0,s2) with values 1, 1.5,
// 1.2 the value spread is 0.5 and D the larger step.
TEST(SmplxConvergence, StrictTestsOnEachSpreadAndTheThresholdOfATolerance) {
  struct Case {
    double step1, step2, tolX, tolF;
    bool converges;
  };
  const Case cases[] = {
      {1, 1, 0.0, 0.5, false},     {1, 1, 0.0, 0.5000001, true},
      {1, 1, 1.0, 0.0, false},     {1, 1, 1.0000001, 0.0, true},
      {1, 3, 2.0, 0.0, false},     {1, 3, 3.5, 0.0, true},  // D over every coordinate
      {3, 1, 2.0, 0.0, false},
      {1, 1, 2.0, 0.5, false},     {1, 1, 1.0, 1.0, false},  // both must hold
      {1, 1, 2.0, 1.0, true},
  };
  for (const Case& c : cases) {
    Search s = tiny(5);
    s.step = {c.step1, c.step2};
    s.tolX = c.tolX;
    s.tolF = c.tolF;
    Script script({1.5, 1.0, 1.2});
    s.run(script.fn());
    const std::string text = s.cap.text();
    if (c.converges) {
      EXPECT_EQ(text, "(SUBR.SMPLX) CONVERGENCE AT ITER=           1\n") << c.tolX << " " << c.tolF;
      EXPECT_EQ(script.points.size(), 3u);
      EXPECT_EQ(s.x, (std::vector<double>{c.step1, 0.0}));  // vertex IL = 2
      EXPECT_EQ(s.fmin, 1.0);
    } else {
      EXPECT_NE(convergedAt(text), 1) << c.tolX << " " << c.tolF << "\n" << text;
    }
  }

  // A flat objective has no value spread, so any given value tolerance is met at once.
  for (auto [tolF, converges] : {std::pair{1e-50, false}, {1.1e-50, true}}) {
    Search s = tiny(3);
    s.tolF = tolF;
    s.run([](std::span<const double>) { return 2.0; });
    EXPECT_EQ(convergedAt(s.cap.text()) == 1, converges) << tolF;
  }
  // Steps of 2e-50 are kept (they are not below 1e-50), so D = 2e-50.
  for (auto [tolX, converges] : {std::pair{1e-50, false}, {2e-50, false}, {3e-50, true}}) {
    Search s = tiny(3);
    s.step = {2e-50, 2e-50};
    s.tolX = tolX;
    s.run([](std::span<const double> p) { return p[0] + p[1]; });
    EXPECT_EQ(convergedAt(s.cap.text()) == 1, converges) << tolX;
  }
  // Steps of exactly 1e-50 halved by a reduction in iteration 1: D = 5e-51 in iteration 2
  // would meet a vertex tolerance of 1e-50, were that tolerance given.
  Search s = tiny(3);
  s.step = {1e-50, 1e-50};
  s.tolX = 1e-50;
  Script script({1, 2, 3, 9, 9, 1, 2, 3});
  s.run(script.fn());
  EXPECT_GE(script.points.size(), 8u);
  EXPECT_EQ(convergedAt(s.cap.text()), -1);
}

}  // namespace
}  // namespace simplex
