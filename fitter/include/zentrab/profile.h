// Peak profile model: conversion of the peaks to their internal form and back, evaluation of the
// model (background plus every peak's profile inside its window), and the derivatives that build
// the normal equations.
#pragma once

#include "zentrab/state.h"

namespace zentrab::profile {

// Constants of the profile, single precision.
inline constexpr float kDegToRad = 0.017453292f;   // π/180
inline constexpr float kRadToDeg = 57.29578f;      // 180/π
inline constexpr float kGaussC = 2.7725887f;       // 4 ln 2: exp(-c X²) is 1/2 at X = 1/2
inline constexpr int kSamples = 7;                 // asymmetry sample points
// t_k² for t_k = (k-1)/6, and Simpson's weights on six intervals; the weights sum to 18.
inline constexpr float kT2[kSamples] = {0.0f, 1.0f / 36, 4.0f / 36, 9.0f / 36, 16.0f / 36,
                                        25.0f / 36, 1.0f};
inline constexpr float kW[kSamples] = {1, 4, 2, 4, 2, 4, 1};
inline constexpr float kWeightFactor = 0.055555556f;  // 1/18
// The least rfwhm: a value that is not positive, or an update without a real root, becomes this.
inline constexpr float kMinRfwhm = 0.0001f;

// File form -> internal form of every peak: CG = I g, CL = I (1 - g), h = 1 / Gaussian fwhm.
// A Gaussian fwhm of 0 has no inverse: it is reported and h becomes 1000 (fwhm 0.001).
void cnvdat(State& st, const Out& out);

// Geometry of peak j (0-based) from its current internal parameters: widths, Kα2 position,
// cotangents, window and the run of selected points to look at.
PeakGeometry geometry(const State& st, int j);

// Evaluates the model at every selected point: background, the contribution of every peak inside
// its window, model, residual, S and sigma. Reports once per peak a Kα2 line beyond 180°, which
// is then left out of that peak's profile.
void basprf(State& st, const Out& out);

// Derivatives of the model by every index entry at the selected points, and from them the normal
// equations M (lower triangle mirrored) and v = -Σ g × residual.
void diff(State& st);

// Internal form -> file form after the last cycle, with the positivity repairs and their messages.
void invdat(State& st, const Out& out);

}  // namespace zentrab::profile
