#include "zentrab/profile.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <array>
#include <cmath>
#include <vector>

#include <immintrin.h>

#include "recordio/recordio.h"

namespace zentrab::profile {

namespace {

// A repair or guard message: an empty line, then text, peak number and value, layout (a,i5,g14.6).
void repairMessage(const Out& out, const char* text, int peak, float value) {
  static const recordio::Layout layout("(a,i5,g14.6)");
  out.putAfterEmptyLine(layout.write({text, static_cast<long long>(peak), value}));
}

// exp(-a) for 0 <= a <= 104 in single precision without a call, for loops that run as vector
// code: range reduction -a = k ln2 + r, |r| <= ln2/2, Taylor's polynomial of degree 7 for
// exp(r) (truncation below 1e-8 relative), 2^k in the exponent bits; a beyond 87 gives 0 (the
// true value lies below the smallest normal float). Within a few units in the last place of
// the library's expf; the adaptive method's model uses it.
inline float expNegInline(float a) {
  constexpr float kLog2e = 1.44269504f;
  constexpr float kLn2Hi = 0.693359375f, kLn2Lo = -2.12194440e-4f;  // k·kLn2Hi is exact
  constexpr float kShift = 12582912.0f;                               // 1.5·2^23
  const float x = a > 87.0f ? -87.0f : -a;
  const float kd = x * kLog2e + kShift;  // low mantissa bits hold k = round(x / ln 2)
  const float k = kd - kShift;
  const float r = (x - k * kLn2Hi) - k * kLn2Lo;
  float p = 1.0f / 5040;
  p = p * r + 1.0f / 720;
  p = p * r + 1.0f / 120;
  p = p * r + 1.0f / 24;
  p = p * r + 1.0f / 6;
  p = p * r + 0.5f;
  p = p * r + 1.0f;
  p = p * r + 1.0f;
  // 2^k: k + 127 in the exponent field (k lies in -126 ... 0 here).
  const std::int32_t bits = (std::bit_cast<std::int32_t>(kd) - 0x4B400000 + 127) << 23;
  const float v = p * std::bit_cast<float>(bits);
  return a > 87.0f ? 0.0f : v;
}

// exp(-c X²) of the Gaussian part. Far from the centre the value is 0 in single precision; the
// call is skipped there (its underflow path is slow), with the same result. `fast`: the inline
// exponential (the adaptive method), else the library's (the fixed-damping cycle).
template <bool fast>
inline float gauss(float cX2) {
  if constexpr (fast)
    return cX2 > 104.0f ? 0.0f : expNegInline(cX2);
  else
    return cX2 > 104.0f ? 0.0f : std::exp(-cX2);
}

// Per-peak constants of the profile loops, computed once per peak and call.
struct Peak {
  float p, p2, CG, CL, h, q, R;
  float s1[kSamples], s2[kSamples];  // asymmetric shifts t_k² A cot(2θ) of the two lines
};

Peak peakOf(const State& st, int j, const PeakGeometry& g) {
  Peak pk{};
  pk.p = st.p[j];
  pk.p2 = g.p2;
  pk.CG = st.CG[j];
  pk.CL = st.CL[j];
  pk.h = st.h[j];
  pk.q = g.q;
  pk.R = st.iRatio;
  for (int k = 0; k < kSamples; ++k) {
    pk.s1[k] = kT2[k] * st.A[j] * g.k1;
    pk.s2[k] = kT2[k] * st.A[j] * g.k2;
  }
  return pk;
}

// Profile of one peak at x.
//   full:   (1/18) Σ_k w_k [CG (G1 + R G2) + CL (L1 + R L2)], X1 = h (x - p + t_k² A k1),
//           X2 = h (x - p2 + t_k² A k2), G = exp(-c X²), L = 1 / (1 + q X²)
//   single: CG exp(-c X²) + CL / (1 + q X²), X = h (x - p)
template <bool full, bool ka2, bool fast>
inline float value(const Peak& pk, float x) {
  if constexpr (!full) {
    const float X = pk.h * (x - pk.p);
    const float X2 = X * X;
    return pk.CG * gauss<fast>(kGaussC * X2) + pk.CL * (1.0f / (1.0f + pk.q * X2));
  } else {
    float sG = 0, sL = 0;
    // Unrolled, so that a loop of points over the samples runs as vector code.
#pragma GCC unroll 7
    for (int k = 0; k < kSamples; ++k) {
      const float X1 = pk.h * (x - pk.p + pk.s1[k]);
      const float X1s = X1 * X1;
      float G = gauss<fast>(kGaussC * X1s);
      float L = 1.0f / (1.0f + pk.q * X1s);
      if constexpr (ka2) {
        const float X2 = pk.h * (x - pk.p2 + pk.s2[k]);
        const float X2s = X2 * X2;
        G += pk.R * gauss<fast>(kGaussC * X2s);
        L += pk.R * (1.0f / (1.0f + pk.q * X2s));
      }
      sG += kW[k] * G;
      sL += kW[k] * L;
    }
    return pk.CG * (sG * kWeightFactor) + pk.CL * (sL * kWeightFactor);
  }
}

// Values of one line at distance u from its centre: X = h u, G = exp(-c X²), L = 1 / (1 + q X²)
// and D = dvalue/dX = -2 X (CG c G + CL q L²).
struct LineTerms {
  float Xs, G, L, D;
};
template <bool fast>
inline LineTerms lineTerms(const Peak& pk, float u) {
  const float X = pk.h * u;
  const float Xs = X * X;
  const float G = gauss<fast>(kGaussC * Xs);
  const float L = 1.0f / (1.0f + pk.q * Xs);
  return {Xs, G, L, -2.0f * X * (pk.CG * kGaussC * G + pk.CL * pk.q * L * L)};
}

// Derivatives of one peak's profile at x by its six internal parameters, in kind order
// CG, CL, p, A, h, r²:
//   CG: G     CL: L     p: -h D     A: D t² h cot     h: D (x - p + t² A cot)     r²: -4 CL X² L²
// each summed over the lines (Kα2 times R) and, in the full build, averaged over the samples.
// For p the Kα2 line moves one-for-one and the cotangents are held fixed.
template <bool full, bool ka2, bool fast>
inline void derivs(const Peak& pk, float k1, float k2, float x, float g[6]) {
  if constexpr (!full) {
    (void)k1;
    (void)k2;
    const float u = x - pk.p;
    const LineTerms a = lineTerms<fast>(pk, u);
    g[0] = a.G;
    g[1] = a.L;
    g[2] = a.D * (-pk.h);
    g[3] = 0.0f;
    g[4] = a.D * u;
    g[5] = -4.0f * pk.CL * a.Xs * a.L * a.L;
  } else {
    float sG = 0, sL = 0, sP = 0, sA = 0, sH = 0, sR = 0;
    // Unrolled, so that a loop of points over the samples runs as vector code.
#pragma GCC unroll 7
    for (int k = 0; k < kSamples; ++k) {
      const float u1 = x - pk.p + pk.s1[k];
      const LineTerms a = lineTerms<fast>(pk, u1);
      float G = a.G, L = a.L, P = a.D, Aa = a.D * kT2[k] * pk.h * k1, H = a.D * u1,
            Rr = -4.0f * pk.CL * a.Xs * a.L * a.L;
      if constexpr (ka2) {
        const float u2 = x - pk.p2 + pk.s2[k];
        const LineTerms b = lineTerms<fast>(pk, u2);
        G += pk.R * b.G;
        L += pk.R * b.L;
        P += pk.R * b.D;
        Aa += pk.R * b.D * kT2[k] * pk.h * k2;
        H += pk.R * b.D * u2;
        Rr += pk.R * (-4.0f * pk.CL * b.Xs * b.L * b.L);
      }
      sG += kW[k] * G;
      sL += kW[k] * L;
      sP += kW[k] * P;
      sA += kW[k] * Aa;
      sH += kW[k] * H;
      sR += kW[k] * Rr;
    }
    g[0] = sG * kWeightFactor;
    g[1] = sL * kWeightFactor;
    g[2] = sP * kWeightFactor * (-pk.h);
    g[3] = sA * kWeightFactor;
    g[4] = sH * kWeightFactor;
    g[5] = sR * kWeightFactor;
  }
}

// Calls f(i, x) for every selected point of the peak's window.
template <class F>
inline void forWindow(const State& st, const PeakGeometry& g, F&& f) {
  if (st.ascending) {
    for (int i = g.i0; i < g.i1; ++i) f(i, st.x[i]);
  } else {
    for (int i = g.i0; i < g.i1; ++i)
      if (st.x[i] >= g.lo && st.x[i] <= g.hi) f(i, st.x[i]);
  }
}

// Writes the contributions of peak j over its window into the table and adds them to the model.
template <bool ka2, bool fast>
inline __attribute__((always_inline)) void addPeak(State& st, int j, const PeakGeometry& g) {
  const Peak pk = peakOf(st, j, g);
  float* c = &st.contrib[static_cast<std::size_t>(j) * kMaxData];
  std::fill(c + st.cI0[j], c + st.cI1[j], 0.0f);
  st.cI0[j] = g.i0;
  st.cI1[j] = g.i1;
  if (fast && st.ascending) {
    // Without calls the window's points run as vector code.
    float* __restrict cv = c;
    float* __restrict model = st.model.data();
    const float* __restrict x = st.x.data();
    for (int i = g.i0; i < g.i1; ++i) {
      const float v = value<kFullProfile, ka2, true>(pk, x[i]);
      cv[i] = v;
      model[i] += v;
    }
    return;
  }
  forWindow(st, g, [&](int i, float x) {
    const float v = value<kFullProfile, ka2, fast>(pk, x);
    c[i] = v;
    st.model[i] += v;
  });
}

// addPeak with the inline exponential, built for AVX-512 and AVX2 beside the baseline and
// chosen at load time: every point goes through the same operations on each path.
__attribute__((target_clones("avx512f", "avx2", "default")))
void addPeakInlineExp(State& st, int j, const PeakGeometry& g, bool ka2) {
  if (ka2)
    addPeak<true, true>(st, j, g);
  else
    addPeak<false, true>(st, j, g);
}

// Σ a_i b_i over [0, n) in double precision, four partial sums: partial sum l takes the terms
// i ≡ l (mod 4) of the first n - n mod 4, the first also the rest.
double dotPlain(const float* a, const float* b, int n) {
  double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 += static_cast<double>(a[i]) * b[i];
    s1 += static_cast<double>(a[i + 1]) * b[i + 1];
    s2 += static_cast<double>(a[i + 2]) * b[i + 2];
    s3 += static_cast<double>(a[i + 3]) * b[i + 3];
  }
  for (; i < n; ++i) s0 += static_cast<double>(a[i]) * b[i];
  return (s0 + s1) + (s2 + s3);
}

// dotPlain with the four partial sums as the lanes of one AVX2 register: the same products
// and additions in the same order, so the same bits.
__attribute__((target("avx2")))
double dotAvx2(const float* a, const float* b, int n) {
  __m256d s = _mm256_setzero_pd();
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m256d x = _mm256_cvtps_pd(_mm_loadu_ps(a + i));
    const __m256d y = _mm256_cvtps_pd(_mm_loadu_ps(b + i));
    s = _mm256_add_pd(s, _mm256_mul_pd(x, y));
  }
  double l[4];
  _mm256_storeu_pd(l, s);
  for (; i < n; ++i) l[0] += static_cast<double>(a[i]) * b[i];
  return (l[0] + l[1]) + (l[2] + l[3]);
}

double dot(const float* a, const float* b, int n) {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  return avx2 ? dotAvx2(a, b, n) : dotPlain(a, b, n);
}

// The derivatives of one peak at points i0 … i1-1 with the inline exponential, one row per
// kind (rows that do not overlap, so that the loop runs as vector code).
template <bool ka2>
inline __attribute__((always_inline)) void derivRows(const Peak& pk, float k1, float k2,
                                                     const float* __restrict x, int i0, int i1,
                                                     float* __restrict r0, float* __restrict r1,
                                                     float* __restrict r2, float* __restrict r3,
                                                     float* __restrict r4, float* __restrict r5) {
  for (int i = i0; i < i1; ++i) {
    float d[6];
    derivs<kFullProfile, ka2, true>(pk, k1, k2, x[i], d);
    r0[i] = d[0];
    r1[i] = d[1];
    r2[i] = d[2];
    r3[i] = d[3];
    r4[i] = d[4];
    r5[i] = d[5];
  }
}

template <bool ka2, bool fast>
inline __attribute__((always_inline)) void peakDerivs(State& st, const PeakGeometry& g, int j,
                                                      const int (&entry)[6]) {
  const Peak pk = peakOf(st, j, g);
  float* row[6];
  for (int k = 0; k < 6; ++k)
    row[k] = entry[k] >= 0 ? &st.deriv[static_cast<std::size_t>(entry[k]) * kMaxData] : nullptr;
  if (!st.ascending)  // points of the run outside the window contribute nothing
    for (int k = 0; k < 6; ++k)
      if (row[k]) std::fill(row[k] + g.i0, row[k] + g.i1, 0.0f);
  if (fast && st.ascending) {
    // Without calls or branches the window's points run as vector code: the derivatives of
    // the kinds that are not optimised go to scratch rows, one per kind.
    thread_local std::vector<float> unused(6 * static_cast<std::size_t>(kMaxData));
    auto out = [&](int k) {
      return row[k] ? row[k] : &unused[static_cast<std::size_t>(k) * kMaxData];
    };
    derivRows<ka2>(pk, g.k1, g.k2, st.x.data(), g.i0, g.i1, out(0), out(1), out(2), out(3), out(4),
                   out(5));
    return;
  }
  forWindow(st, g, [&](int i, float x) {
    float d[6];
    derivs<kFullProfile, ka2, fast>(pk, g.k1, g.k2, x, d);
    for (int k = 0; k < 6; ++k)
      if (row[k]) row[k][i] = d[k];
  });
}

// peakDerivs with the inline exponential, built for AVX-512 and AVX2 beside the baseline and
// chosen at load time: every point goes through the same operations on each path.
__attribute__((target_clones("avx512f", "avx2", "default")))
void peakDerivsInlineExp(State& st, const PeakGeometry& g, int j, const int (&entry)[6], bool ka2) {
  if (ka2)
    peakDerivs<true, true>(st, g, j, entry);
  else
    peakDerivs<false, true>(st, g, j, entry);
}

// The background at n points into bg and model:
//   b1 + b2 x + b3 x² + b4 x³ + b5 x⁴ (powers by repeated multiplication), then, in the centred
//   basis, + c_k t^k for k = 0 … K-1 in turn, t = (x - xc) · invXs.
// Each point's value is formed by the same operations in the same order on each path: built
// for AVX-512 and AVX2 beside the baseline, chosen at load time; model holds the powers of t
// until the end.
__attribute__((target_clones("avx512f", "avx2", "default")))
void background(const float* __restrict x, int n, const std::array<float, kMaxBack>& b,
                const std::array<float, kMaxBack>& c, int K, bool centred, float xc, float invXs,
                float* __restrict bg, float* __restrict model) {
  const float b0 = b[0], b1 = b[1], b2 = b[2], b3 = b[3], b4 = b[4];
  for (int i = 0; i < n; ++i) {
    const float xi = x[i];
    float xp = xi;
    float v = b0 + b1 * xp;
    xp *= xi;
    v += b2 * xp;
    xp *= xi;
    v += b3 * xp;
    xp *= xi;
    v += b4 * xp;
    bg[i] = v;
  }
  if (centred) {
    for (int i = 0; i < n; ++i) model[i] = 1;
    for (int k = 0; k < K; ++k) {
      const float ck = c[k];
      for (int i = 0; i < n; ++i) {
        const float t = (x[i] - xc) * invXs;
        bg[i] += ck * model[i];
        model[i] *= t;
      }
    }
  }
  for (int i = 0; i < n; ++i) model[i] = bg[i];
}

}  // namespace

void cnvdat(State& st, const Out& out) {
  for (int j = 0; j < st.nPeak; ++j) {
    const float I = st.prm[kIntensity][j];
    const float gf = st.prm[kGaussFraction][j];
    float Wg = st.prm[kGaussFwhm][j];
    st.p[j] = st.prm[kPosition][j];
    st.CG[j] = I * gf;
    st.CL[j] = I * (1.0f - gf);
    if (Wg == 0.0f) {
      repairMessage(out, "   Gaussian fwhm must not be zero. #:", j + 1, Wg);
      Wg = 0.001f;
    }
    st.h[j] = 1.0f / Wg;
    st.r[j] = st.prm[kRfwhm][j];
    st.A[j] = st.prm[kAnisotropy][j];
    st.cI0[j] = st.cI1[j] = 0;
    st.ka2Reported[j] = false;
  }
}

PeakGeometry geometry(const State& st, int j) {
  PeakGeometry g;
  const float p = st.p[j];
  g.Wg = 1.0f / st.h[j];
  g.Wl = g.Wg / st.r[j];
  const float L = st.qRange * std::max(g.Wg, g.Wl);
  g.q = 4.0f * st.r[j] * st.r[j];
  g.k1 = 1.0f / std::tan(p * kDegToRad);
  g.p2 = p;
  g.ka2 = false;
  if constexpr (kFullProfile) {
    // Kα2 line: sin θ2 = (λ2 / λ1) sin θ1; none when that exceeds 1 (2θ2 beyond 180°).
    const float s = 2.0f * std::sin(p * 0.5f * kDegToRad) / st.ramda1;
    const float arg = st.ramda2 * 0.5f * s;
    if (std::fabs(arg) <= 1.0f) {
      g.p2 = std::asin(arg) * 2.0f * kRadToDeg;
      g.ka2 = true;
    }
  }
  g.k2 = 1.0f / std::tan(g.p2 * kDegToRad);
  g.lo = p - L;
  g.hi = g.p2 + L;
  g.i0 = g.i1 = 0;
  if (!(g.lo <= g.hi)) return g;  // empty, or undefined by a non-finite parameter
  const float* x0 = st.x.data();
  const float* xn = x0 + st.nData;
  if (st.ascending) {
    g.i0 = static_cast<int>(std::lower_bound(x0, xn, g.lo) - x0);
    g.i1 = static_cast<int>(std::upper_bound(x0, xn, g.hi) - x0);
  } else {
    g.i1 = st.nData;
  }
  return g;
}

void basprf(State& st, const Out& out) {
  const int n = st.nData;
  // In the centred basis the fixed coefficients stay in powers of x (the free ones count 0
  // there) and the free part is a polynomial in t = (x - xc) / xs.
  const bool centred = st.centredBackground;
  std::array<float, kMaxBack> b = st.back, c{};
  const float invXs = 1.0f / st.xs;
  int K = 0;
  if (centred)
    for (int k = 0; k < kMaxBack; ++k)
      if (st.backFlag[k] == 1) {
        b[k] = 0;
        c[k] = st.backC[k];
        K = k + 1;
      }
  background(st.x.data(), n, b, c, K, centred, st.xc, invXs, st.bg.data(), st.model.data());
  for (int j = 0; j < st.nPeak; ++j) {
    PeakGeometry g = geometry(st, j);
    if (kFullProfile && !g.ka2 && !st.ka2Reported[j]) {
      repairMessage(out, "   Ka2 line beyond 180 deg., left out. #:", j + 1, st.p[j]);
      st.ka2Reported[j] = true;
    }
    st.geo[j] = g;
    const bool ka2 = kFullProfile && g.ka2;
    if (st.inlineExp)
      addPeakInlineExp(st, j, g, ka2);
    else
      ka2 ? addPeak<true, false>(st, j, g) : addPeak<false, false>(st, j, g);
  }
  double S = 0, sumY = 0;
  for (int i = 0; i < n; ++i) {
    const float res = st.y[i] - st.model[i];
    st.resid[i] = res;
    S += static_cast<double>(res) * res;
    sumY += st.y[i];
  }
  st.S = S;
  // sigma = sqrt(|S / (n - 1)|) / (Σy / n) × 100; 0 where it is undefined (n < 2 or Σy = 0).
  st.sigma = (n >= 2 && sumY != 0.0) ? std::sqrt(std::fabs(S / (n - 1))) / (sumY / n) * 100.0 : 0.0;
}

void diff(State& st) {
  const int n = st.nData;
  const int N = st.nMtx;
  // entry[j][k]: index entry of kind 6 + k of peak j, or -1.
  int entry[kMaxPeaks][6];
  for (int j = 0; j < st.nPeak; ++j)
    for (int k = 0; k < 6; ++k) entry[j][k] = -1;
  bool anyOf[kMaxPeaks] = {};
  for (int m = 0; m < N; ++m) {
    float* row = &st.deriv[static_cast<std::size_t>(m) * kMaxData];
    const int kind = st.idxKind[m];
    if (kind <= kMaxBack) {
      // x^(kind-1) (t^(kind-1) in the centred basis, t as basprf forms it), by repeated
      // multiplication
      const float invXs = 1.0f / st.xs;
      for (int i = 0; i < n; ++i) {
        const float x = st.centredBackground ? (st.x[i] - st.xc) * invXs : st.x[i];
        float xp = 1.0f;
        for (int e = 1; e < kind; ++e) xp *= x;
        row[i] = xp;
      }
      st.dI0[m] = 0;
      st.dI1[m] = n;
    } else {
      const int j = st.idxPeak[m] - 1;
      entry[j][kind - kKindCG] = m;
      anyOf[j] = true;
    }
  }
  for (int j = 0; j < st.nPeak; ++j) {
    if (!anyOf[j]) continue;
    const PeakGeometry g = geometry(st, j);
    for (int k = 0; k < 6; ++k)
      if (entry[j][k] >= 0) {
        st.dI0[entry[j][k]] = g.i0;
        st.dI1[entry[j][k]] = g.i1;
      }
    const bool ka2 = kFullProfile && g.ka2;
    if (st.inlineExp)
      peakDerivsInlineExp(st, g, j, entry[j], ka2);
    else
      ka2 ? peakDerivs<true, false>(st, g, j, entry[j]) : peakDerivs<false, false>(st, g, j, entry[j]);
  }

  // v_m = -Σ g_m r;  M(m, n) = Σ g_m g_n over the points where both apply (n <= m).
  for (int m = 0; m < N; ++m) {
    const float* gm = &st.deriv[static_cast<std::size_t>(m) * kMaxData];
    const int a0 = st.dI0[m], a1 = st.dI1[m];
    st.v[m] = -dot(gm + a0, st.resid.data() + a0, a1 - a0);
    for (int c = 0; c <= m; ++c) {
      const int lo = std::max(a0, st.dI0[c]);
      const int hi = std::min(a1, st.dI1[c]);
      const float* gc = &st.deriv[static_cast<std::size_t>(c) * kMaxData];
      const double s = hi > lo ? dot(gm + lo, gc + lo, hi - lo) : 0.0;
      st.M[m + c * kMaxMtx] = s;
      st.M[c + m * kMaxMtx] = s;
    }
  }
}

void invdat(State& st, const Out& out) {
  for (int j = 0; j < st.nPeak; ++j) {
    const int no = j + 1;
    if (st.h[j] <= 0.0f) {
      repairMessage(out, "   Gaussian fwhm must be positive. #:", no, st.h[j]);
      st.h[j] = 1000.0f;
    }
    const float Wg = 1.0f / st.h[j];
    st.prm[kGaussFwhm][j] = Wg;
    if (st.r[j] <= 0.0f) {
      repairMessage(out, "   rfwhm must be positive. #:", no, st.r[j]);
      st.r[j] = kMinRfwhm;
    }
    st.prm[kRfwhm][j] = st.r[j];
    st.prm[kLorentzFwhm][j] = Wg / st.r[j];
    if (st.CG[j] < 0.0f) {
      repairMessage(out, "   C(Gauss) must be positive. #:", no, st.CG[j]);
      st.CG[j] = 0.0f;
    }
    if (st.CL[j] < 0.0f) {
      repairMessage(out, "   C(Lorentz) must be positive. #:", no, st.CL[j]);
      st.CL[j] = 0.0f;
    }
    const float I = st.CG[j] + st.CL[j];
    st.prm[kIntensity][j] = I;
    st.prm[kGaussFraction][j] = I > 0.0f ? st.CG[j] / I : 1.0f;
    if (st.A[j] < 0.0f) {
      repairMessage(out, "   Anisotropic parameter must be positive. #:", no, st.A[j]);
      st.A[j] = 0.0f;
    }
    st.prm[kAnisotropy][j] = st.A[j];
    st.prm[kPosition][j] = st.p[j];
  }
}

}  // namespace zentrab::profile
