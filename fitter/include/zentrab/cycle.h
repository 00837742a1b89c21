// The damped least-squares cycle: the index of optimised parameters, damping and solving the
// normal equations, the pivoting solver, and the parameter update with its convergence test.
#pragma once

#include <span>

#include "zentrab/state.h"

namespace zentrab::cycle {

// Tolerance of the solver: 3.52e-15, a single-precision constant widened to double.
inline constexpr double kGluEps = static_cast<double>(3.52e-15f);

// Builds the index from the flags: background entries first, then, for each peak whose position
// lies in [optLow, optHigh], its kinds 6..11 whose flags are 1 (kind 9 only in the full build,
// where the anisotropy enters the profile). Prints the index. Returns Status::stop (" nMtx too
// large", console only) when more than kMaxMtx entries would be made.
Status mkidx(State& st, const Out& out);

// Solves A x = b for a general N x N matrix by Gaussian elimination with partial pivoting.
// `a` is column-major with leading dimension n1 (element (i, k), 0-based, at a[i + k * n1]) and
// is overwritten by its factors; b is overwritten by the solution. `work` holds n doubles,
// `ipvt` n pivot rows. Sets ier: 0 solved, 1 a pivot not above eps, 2 a row whose largest
// element is below eps, 3 invalid n1 or n; each failure prints its message.
inline constexpr int kGluInvalidSize = 3;
void glu(const Out& out, double* a, int n, int n1, double* b, double eps, double* work, int* ipvt,
         int& ier);

// A row of the normal equations whose diagonal is below this is scaled by 1 (an empty row).
inline constexpr double kRowScaleFloor = 1e-30;

// Solves with a matrix already factored by glu (the forward and backward passes only).
void glusub(const double* a, int n, int n1, double* b, const int* ipvt);

// Scales each row of the normal equations by its diagonal, adds the damping factor to the
// diagonal, negates v and solves; the step replaces v. A solver failure prints its code and
// returns Status::stop.
Status marq(State& st, const Out& out);
// The same with the given damping in place of the job's damping factor.
Status marq(State& st, const Out& out, double damping);

// The scaling, damping and solution of marq without its failure line: returns the solver's
// IER (its own messages printed on `out`), or kNotFinite, without solving, when an element of
// the normal equations is not finite (a model that has overflowed, or a width so small that
// its derivatives are 0 × ∞); marq then prints kNotFiniteEquations and stops.
inline constexpr int kNotFinite = -1;
inline constexpr const char* kNotFiniteEquations =
    " ***** The normal equations are not finite; check the start values and the data.\n";
int solve(State& st, const Out& out, double damping);

// False, with the line kNotFiniteS, when S of the last evaluation is not finite (the model or
// the residuals overflow single precision). The cycles stop there (Status::stop).
inline constexpr const char* kNotFiniteS =
    " ***** S is not finite; check the start values and the data.\n";
bool finiteS(const State& st, const Out& out);

// True when a step delta of a parameter whose (new) value is v fails the convergence test:
// |delta| > |v eps| for v != 0, |delta| > eps for v = 0; a step or value that is not a number
// always fails.
bool stepFails(double v, double delta, double eps);

// Applies the step to the parameters of the index, prints old value, change and new value of
// each, and sets st.converged when no entry fails the test.
void newprm(State& st, const Out& out);
// newprm printing to `out`, or without any line when `out` is null.
void applyStep(State& st, const Out* out);

// Runs up to maxIteration cycles (start-of-cycle line, diff, marq, newprm, basprf). Returns
// Status::stop when the solver fails or when S is not finite at the start of a cycle.
Status run(State& st, const Out& out);

}  // namespace zentrab::cycle
