// The adaptive method, chosen by a method record that begins with "MarqAdaptive": Levenberg-
// Marquardt with step acceptance. From the normal equations of the current parameters a trial
// step is solved with the current damping λ (added to the row-scaled diagonal, as in marq):
//
//   (D⁻¹ JᵀJ + λ I) δ = D⁻¹ Jᵀ r,   D = diag(JᵀJ)
//
// A trial that lowers S is accepted: the parameters move, λ falls and the normal equations are
// built anew. A trial that does not lower S is rejected: the parameters stay, λ rises and the next
// trial is solved from the same equations. A trial that would make a Gaussian width or rfwhm
// squared 0 or negative lies outside the model and is rejected without evaluating it, and so is
// a damping at which the solver finds the matrix singular. The fit
// ends when an accepted step passes the convergence test on eps, after maxIteration accepted
// steps, or when no step can lower S any more (λ beyond kMaxDamping, or a trial too small to
// change any parameter in single precision).
//
// Damping update (Nielsen's gain-ratio rule, with a tenfold least decrease): with the gain ratio
// ρ = (S - S_trial) / (the decrease the linear model predicts),
//   accepted: λ ← λ max(1/10, 1 - (2ρ - 1)³), ν ← 2        rejected: λ ← λ ν, ν ← 2 ν
// A step that did what the linear model promised lowers λ tenfold, a poor one (ρ < 1/2) raises
// it, and rejections in a row raise it ever faster. On the jobs of the benchmark this needs about
// as few accepted steps as the classical ×0.1 / ×10 rule with fewer rejected trials.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "zentrab/state.h"

namespace zentrab::adaptive {

// The method record's text that chooses this method (compared without regard to case).
inline constexpr const char* kMethodName = "MarqAdaptive";

// Damping: never below kMinDamping, so that an empty row of the normal equations still has a
// step of 0 and a start damping of 0 begins with an all but undamped Gauss-Newton step; the fit
// ends once a rejection would raise it beyond kMaxDamping, where a step changes the scaled
// parameters by about 1e-10 of their gradient, below single precision.
inline constexpr double kMinDamping = 1e-9;
inline constexpr double kMaxDamping = 1e10;
// The fit ends too when a step fails whose predicted decrease of S is at most this share of S
// (the model is single precision: such a change of S is rounding, not progress).
inline constexpr double kNegligibleDecrease = 1e-6;
// The gain-ratio rule: the least factor on acceptance, and the first factor on rejection.
inline constexpr double kLeastDecrease = 0.1;
inline constexpr double kFirstRaise = 2.0;

// The least rfwhm a step may reach (unless the start value lies below it): a Lorentzian part
// at most 20 times as wide as the Gaussian one. Much wider, its window (qRange times its width)
// takes in the whole scan and the part turns into a second background.
inline constexpr float kLeastRfwhm = 0.05f;

// True when `method` (the method record) begins with "MarqAdaptive", in any case.
bool chosen(const std::string& method);

// The damping of the method and what it has done so far.
struct Progress {
  double damping = 0;       // λ of the next trial
  double nu = kFirstRaise;  // factor of the next rejection
  int accepted = 0, rejected = 0;
  bool stalled = false;  // ended because no step could lower S
};

enum class Trial { accepted, rejected, stalled, stop };

// Builds the normal equations of the current parameters (diff) and keeps them for the trials.
void prepare(State& st);

// One trial step from the kept equations with pr.damping. Accepted: prints the new parameters
// (as newprm does) and the start-of-cycle line of the next cycle with the new S and sigma, and
// lowers the damping. Rejected: leaves the parameters, S and sigma as they were, prints
//   " *** Rejected step in cycle" i3 ", trial S=" g14.6 ", damping raised to" g14.6
// (", a width not positive" in place of the trial S for a step outside the model, ", the matrix
// is singular" when the solver finds the damped matrix singular) and raises the damping.
// Trial::stalled when the damping would pass kMaxDamping, a rejected step promised a decrease
// of at most kNegligibleDecrease S, or the step changed no parameter
// (" ******  No step lowers S any more  *****" is printed). Trial::stop when there is nothing to
// optimise or the normal equations are not finite (marq's messages printed).
Trial trial(State& st, const Out& out, Progress& pr);

// When the free background coefficients are a run b1..bK (K >= 2), fits them in the centred
// basis: sets st.centredBackground, st.xc and st.xs (the middle and half-width of the
// selected data) and the coefficients st.backC of the same polynomial in t = (x - xc) / xs.
// The powers of 2θ or of a wave number (x⁴ of 3500 is 1.5e14) make the normal equations all
// but singular in single precision; those of t lie within ±1.
void centreBackground(State& st);
// T[i][k], the coefficient of x^i in t^k for the free coefficients (0 elsewhere): b = T c.
std::array<std::array<double, kMaxBack>, kMaxBack> rawOfCentred(const State& st);
// After a fit in the centred basis: the free coefficients back in powers of x in st.back (the
// flag stays, since the covariance is in that basis; the model is the same either way).
void rawBackground(State& st);

// Sets the bounds st.lower, st.upper of the index entries from their current values (run()
// does so from the start values).
void setBounds(State& st);

// Prints the start-of-cycle line, then runs trials until convergence, maxIteration accepted
// steps, or a stall. Every trial is held within bounds set from the start values (heights
// and the anisotropy not below 0, so that the Gauss fraction stays within 0 ... 1, positions
// within the calculation range, widths positive): an entry on a bound that S would push
// beyond keeps its value for the trial, a step that would cross a bound is cut there. So the
// back conversion has nothing to mend and the S printed last is the S of the job saved. Returns Status::stop when trial() does, or when S of the start values is
// not finite.
Status run(State& st, const Out& out, Progress& pr);

// Standard errors of the optimised parameters in file form, after the fit:
//   σ_k = sqrt(C_kk S / (n - p)),  C = (JᵀJ)⁻¹ at the final parameters (n data, p parameters),
// carried from the internal parameters to position, intensity, Gauss fraction, Gaussian fwhm,
// rfwhm, anisotropy and the background by the Jacobian G of the back conversion: G C Gᵀ.
// covariance() builds JᵀJ at the current parameters and inverts it into st.cov; call it after the
// fit, before invdat. The scaled matrix D^-1/2 JᵀJ D^-1/2 counts as singular when a pivot of its
// factors is not above kSingularPivot (or a diagonal element is 0).
inline constexpr double kSingularPivot = 1e-10;
enum class Covariance { ok, nothingOptimised, tooFewData, singular };
Covariance covariance(State& st);

// One line of the standard-error block: a file parameter that depends on an optimised one.
struct ErrorRow {
  int peak;          // peak number (1-based), 0 for a background coefficient
  int param;         // PeakParam of the peak, or the background coefficient 0..4
  float value;       // final value in file form
  double error;      // standard error; NaN where it is not defined (a peak height of 0)
  bool atBound = false;  // held at a bound of the fit (its error column says so instead)
};
// The error column of a parameter held at a bound.
inline constexpr const char* kHeldAtBound = "   held at a bound";

// The lines of the block in file order: the background coefficients, then peak by peak
// position, intensity, Gauss fraction, Gaussian fwhm, rfwhm, anisotropy. Needs st.cov from
// covariance() and the final file-form values (after invdat).
std::vector<ErrorRow> errorRows(const State& st);

// The standard-error block (after invdat, before the save line): an empty line and a title,
// then either a column header and the rows (peak number, parameter, value, standard error) or a
// line saying why there are no numbers.
void printErrors(const State& st, const Out& out, Covariance c);

}  // namespace zentrab::adaptive
