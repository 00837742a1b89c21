// SMPLX: downhill simplex (Nelder-Mead) minimiser with fixed coefficients.
//   reflection   XR = 2 XM - XH           (XM: centroid of all vertices but the worst, XH)
//   expansion    XE = 2 XR - XM
//   contraction  XC = 0.5 XH + 0.5 XM
//   reduction    every vertex halfway towards the best one
// Vectors are 0-based here; iteration and vertex numbers in messages count from 1.
#pragma once

#include <functional>
#include <span>

#include "Channels.h"

namespace simplex {

constexpr int MAXN = 50;            // largest number of free parameters
constexpr double kNegligible = 1e-50;  // a step below it is zero, a tolerance below it not given

// The objective: takes the N coordinates of a point, returns its value.
using Objective = std::function<double(std::span<const double>)>;

// Minimises fn from the start point x (which holds the best point on return) with initial
// steps `step` (entries below 1e-50 in magnitude become |x(j)| + 1; the caller sees them).
// tolX: vertex-spread tolerance; tolF: value-spread tolerance; either counts only when
// above 1e-50. fmin receives the value at the returned point. iPrt is clamped to 0…2 once
// the argument checks pass. Messages go to `out`.
// Argument errors (N > MAXN, N <= 1, ITMAX <= 0) write their message and return with x,
// step, fmin and iPrt untouched. x and step must hold at least N values when N <= MAXN.
void SMPLX(const Objective& fn, std::span<double> x, std::span<double> step, double tolX,
           double tolF, int N, double& fmin, int ITMAX, int& iPrt, int iPrtIntvl,
           Channels& out);

}  // namespace simplex
