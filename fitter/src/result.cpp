#include "zentrab/result.h"

#include <cmath>
#include <fstream>

#include "recordio/recordio.h"
#include "zentrab/profile.h"

namespace zentrab::result {

namespace {

long long I(int v) { return v; }

}  // namespace

void guardFinite(State& st, const Out& out) {
  static const recordio::Layout msg("(a,i5,i3)");
  auto report = [&](int peak, int kind) {
    out.putAfterEmptyLine(msg.write({"   Parameter not finite, start value kept. #:", I(peak), I(kind)}));
  };
  for (int k = 0; k < kMaxBack; ++k)
    if (!std::isfinite(st.back[k])) {
      report(0, k + 1);
      st.back[k] = st.backRead[k];
    }
  const auto& R = st.prmRead;
  for (int j = 0; j < st.nPeak; ++j) {
    const float I0 = R[kIntensity][j], g0 = R[kGaussFraction][j];
    if (!std::isfinite(st.CG[j])) { report(j + 1, kKindCG); st.CG[j] = I0 * g0; }
    if (!std::isfinite(st.CL[j])) { report(j + 1, kKindCL); st.CL[j] = I0 * (1.0f - g0); }
    if (!std::isfinite(st.p[j])) { report(j + 1, kKindPosition); st.p[j] = R[kPosition][j]; }
    if (!std::isfinite(st.A[j])) { report(j + 1, kKindAnisotropy); st.A[j] = R[kAnisotropy][j]; }
    // h <= 0 and r <= 0 are repaired by the back conversion; a positive value too small for the
    // widths 1/h and (1/h)/r to be finite is not.
    if (!std::isfinite(st.h[j]) || (st.h[j] > 0 && !std::isfinite(1.0f / st.h[j]))) {
      report(j + 1, kKindH);
      st.h[j] = R[kGaussFwhm][j] != 0.0f ? 1.0f / R[kGaussFwhm][j] : 1000.0f;
    }
    if (!std::isfinite(st.r[j]) ||
        (st.r[j] > 0 && st.h[j] > 0 && !std::isfinite(1.0f / st.h[j] / st.r[j]))) {
      report(j + 1, kKindR2);
      st.r[j] = R[kRfwhm][j];
    }
  }
}

Status svfile(const State& st, const Out& out, const std::filesystem::path& dir) {
  out.put(recordio::write("(a,a40)", {" ***Save new parameters to ", fixedName(kNewPfc)}));
  const std::filesystem::path target = dir / kNewPfc;
  const std::filesystem::path part = dir / (std::string(kNewPfc) + ".part");
  auto failure = [&](const std::string& why) {
    const std::string line = std::string(kNewPfc) + ": cannot be written: " + why;
    if (out.err) *out.err << line << '\n';
    if (out.log) *out.log << line << '\n';
    std::error_code ec;
    std::filesystem::remove(part, ec);
    return Status::ioError;
  };
  std::ofstream f(part, std::ios::binary | std::ios::trunc);
  if (!f) return failure("the file cannot be created");

  using recordio::write;
  f << write("(a79)", {st.title}) << write("(a79)", {st.dataName})
    << write("(a79)", {st.program}) << write("(a25)", {st.method});
  f << write("(i7, f10.6, g14.6)", {I(st.maxIteration), st.dampingFactor, st.eps});
  f << write("(4f12.6)", {st.ramda1, st.ramda2, st.qRange, st.iRatio});
  f << write("(2f10.4)", {st.calcLow, st.calcHigh});
  f << write("(2f10.4)", {st.optLow, st.optHigh});
  static const recordio::Layout param("(g14.6, i5, g14.6)");
  for (int k = 0; k < kMaxBack; ++k)
    f << param.write({st.back[k], I(st.backFlag[k]), st.back[k] - st.backRead[k]});
  f << write("(i7)", {I(st.nPeak)});
  for (int j = 0; j < st.nPeak; ++j)
    for (int k = 0; k < kPeakParams; ++k)
      f << param.write({st.prm[k][j], I(st.flag[k][j]), st.prm[k][j] - st.prmRead[k][j]});
  f << write("(i7)", {I(st.nOData)});
  static const recordio::Layout point("(2g14.6)");
  for (int i = 0; i < st.nOData; ++i) f << point.write({st.xo[i], st.yo[i]});
  f.close();
  if (!f) return failure("writing failed");
  std::error_code ec;
  std::filesystem::rename(part, target, ec);
  if (ec) return failure(ec.message());
  return Status::ok;
}

float area(const State& st, int j) {
  return st.CG[j] * st.prm[kGaussFwhm][j] * 1.0644671f +
         st.CL[j] * st.prm[kLorentzFwhm][j] * 1.5707964f;
}

void parea(const State& st, const Out& out) {
  static const recordio::Layout msg("(a,i5,g14.6)");
  float areas[kMaxPeaks];
  float largest = 0, sum = 0;
  for (int j = 0; j < st.nPeak; ++j) {
    areas[j] = area(st, j);
    if (!std::isfinite(areas[j])) {
      out.putAfterEmptyLine(msg.write({"   Peak area not finite, taken as 0. #:", I(j + 1), areas[j]}));
      areas[j] = 0;
    }
    largest = std::max(largest, areas[j]);
    sum += areas[j];
  }
  for (int j = 0; j < st.nPeak; ++j)
    if (st.CG[j] + st.CL[j] == 0.0f)
      out.putAfterEmptyLine(msg.write({"   Peak height is zero, fwhm taken as Gaussian fwhm. #:", I(j + 1),
                                st.prm[kGaussFwhm][j]}));
  if (st.nPeak > 0 && (largest <= 0.0f || sum <= 0.0f))
    out.put("\n   Peak areas sum to zero, I(rel) and I(%) taken as 0.\n");

  if constexpr (kFullProfile)
    out.put(recordio::write("(/a,a)", {" *** Peak area: #   2Q       C      ",
                                       "    fwhm       I       I(rel)     I(%)***"}));
  else
    out.put(recordio::write("(/a,a)", {" *** Peak area: #   2Q        C    ",
                                       "    fwhm      I      I(rel)     I(%)***"}));
  static const recordio::Layout row("(i3, f8.3, g16.6, f8.3, g14.6, f10.0, f10.4)");
  for (int j = 0; j < st.nPeak; ++j) {
    const float CG = st.CG[j], CL = st.CL[j];
    const float Wg = st.prm[kGaussFwhm][j], Wl = st.prm[kLorentzFwhm][j];
    const float C = CG + CL;
    const float fwhm = C != 0.0f ? (CG / C) * Wg + (CL / C) * Wl : Wg;
    float Ij = areas[j];
    // Both lines of the doublet; a Kα2 line beyond 180° is not part of the profile.
    if (kFullProfile && profile::geometry(st, j).ka2) Ij = (1.0f + st.iRatio) * areas[j];
    const float rel = largest > 0.0f ? areas[j] / largest * 10000.0f : 0.0f;
    const float pct = sum > 0.0f ? areas[j] / sum * 100.0f : 0.0f;
    out.put(row.write({I(j + 1), st.prm[kPosition][j], C, fwhm, Ij, rel, pct}));
  }
}

}  // namespace zentrab::result
