// The render tests' document content: a measured scan and spectroscopic peaks on it.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "BalimorDoc.h"

// Measured data of n points at X = i·step with Y = y(X), the peaks (position, height,
// Lorentzian fwhm; Gauss fraction 0.5, rfwhm 1) on the single-line model with peak `current`
// the current one, the model curves made and frame 0 autoscaled.
inline void LoadScan(CBalimorDoc& doc, int n, double step, const std::function<double(double)>& y,
                     const std::vector<std::array<double, 3>>& peaks, int current) {
  CVariousData& d = *doc.GetOriginalData();
  d.SetSize(n);
  for (int i = 0; i < n; ++i) {
    d.SetX(i, i * step);
    d.SetY(i, y(i * step));
  }
  d.UpdateRange();
  CPeakSearch& r = doc.GetPeakSearch();
  r.dataKind = DataKind::Spectroscopic;
  for (const auto& p : peaks) r.AddPeak(p[0], p[1], 0.5, 1, p[2]);
  r.currentPeak = current;
  r.MakeModelCurves(d.datan);
  doc.GetFrameArray()->GetFrame(0)->AutoScale(0.1);
}
