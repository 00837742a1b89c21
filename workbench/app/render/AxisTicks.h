// The tick marks of a graph axis: a step of 1, 2 or 5 times a power of ten chosen so that the
// range holds between half the tick target and the target of steps, and the first multiple of
// the step inside the range.
#pragma once

#include <string>
#include <vector>

struct CTickRange {
  double start = 0;  // a value one or two steps before the first tick inside the range
  double step = 1;   // signed: negative when the first limit lies above the second
};

// Step and start from the axis limits a (first) and b (second) and the tick target n:
//   n := min(|n|, 12); direction −1 when a > b; a = b counts as b = a + 1;
//   d := |b − a|, f := 1; f × 10 while d·f < 0.1 n; f × 0.1 while d·f >= n;
//   f × 5 while d·f < 0.2 n; f × 2 while d·f < 0.5 n (f kept within 1e-100 .. 1e100);
//   step := direction / f (1 when that is 0); start := trunc(a·f)/f, then moved by steps to
//   the first multiple beyond a and back by two steps (at most 20 moves).
CTickRange TickStepAndStart(double a, double b, int n);

struct CTick {
  double value = 0;
  double t = 0;  // (value − min)/(max − min): 0 at the first limit, 1 at the second
  std::string label;  // "%g" of the value
};

// The ticks of an axis from min to max (either order) with target n: start + k·step for
// k = 0, 1, ... with 0 <= t <= 1. A tick that binary rounding leaves a hair beyond a limit
// (as 1.0000000000000002 on 0 .. 1) still counts, and a value within a billionth of a step of
// zero is labelled "0".
std::vector<CTick> AxisTicks(double min, double max, int n);

// Which of the ticks get their label, so that no two labels overlap: at[i] is the middle of
// tick i's label along the axis and size[i] its extent along the axis (page units), gap the
// least space between two labels. The labels of every k-th tick are kept, k the least of 1, 2,
// 5, 10, 20, 50, ... that leaves them apart; the ticks kept are the multiples of k steps, so
// that 0 keeps its label. When not even two labels have room, the first alone is kept.
std::vector<bool> LabelsShown(const std::vector<CTick>& ticks, const std::vector<double>& at,
                              const std::vector<double>& size, double gap);
