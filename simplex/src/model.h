// The Raman/IR model of simplexfit, the objective that the simplex search minimises, and the
// free-parameter vector that links the two.
//
//   t       = (x - c) / h,  c = (xLow + xHigh)/2,  h = (xHigh - xLow)/2
//   B(x)    = b0 + sum_{j=1..NB} bj t^j
//   P(k, x) = CGauss exp(-4 ln2 (d/FWHMGauss)^2) + CLorentz / (1 + 4 (d/FWHMLorentz)^2),
//             d = x - Position
//   Y(x)    = B(x) + sum_k P(k, x)
#pragma once

#include <span>
#include <string>

#include "Job.h"

namespace simplex {

// 4 ln 2 in single precision, the Gaussian's width constant.
constexpr double kFourLn2 = 2.7725887;
// Penalty weight of a height below 0, a width below 1 or a negative background.
constexpr double kPenalty = 1e8;
// Area factors: sqrt(pi / (4 ln 2)) and pi/2 in single precision.
constexpr double kGaussArea = 1.0644671;
constexpr double kLorentzArea = 1.5707964;

// Fills B, every P(k, ·) and Y for all ND points of the job.
void evaluateModel(const Job& job, Tables& tables);

// Copies the points inside the fitting range (in file order) for the objective.
void selectFitPoints(const Job& job, FitPoints& points);

// Gathers the free parameters and their steps: background b0…bNB with flag 1 in rising j,
// then peak by peak the free ones among Position, CGauss, FWHMGauss, CLorentz, FWHMLorentz.
// v and step must hold kMaxGathered values; returns N, the number gathered.
int gather(const Job& job, std::span<double> v, std::span<double> step);

// Puts a vector back into the free parameters of the job, in the order of `gather`.
void scatter(std::span<const double> v, Job& job);

// Adds to S, one term at a time and peak by peak, the penalty of the free peak parameters:
// 1e8 times the squared amount by which a height lies below 0 or a width below 1.
// Position carries none. Returns the new sum.
double peakPenalty(const Job& job, double S = 0.0);

// Objective of the search: scatters v into fit.job, evaluates the model at the points of
// fit.points (selected beforehand), and returns the residual sum of squares inside the
// fitting range, then plus the peak penalties, then plus 1e8·B^2 for every point there
// with B < 0, added in that order.
double objective(Fit& fit, std::span<const double> v);

// R = 100 sqrt(S / (n - 1)) / mean(y) over the n points inside the fitting range.
// When n < 2 or the mean is 0, R is undefined: `R` is 0 and `why` says why.
struct Deviation {
  int n = 0;
  double mean = 0.0;
  double R = 0.0;
  std::string why;  // empty when R is defined
};
Deviation relativeDeviation(const Job& job, double S);

// A(k) = CGauss·FWHMGauss·1.0644671 + CLorentz·FWHMLorentz·1.5707964 for every peak.
void peakAreas(const Job& job, Tables& tables);

}  // namespace simplex
