#include "PeakSearchDialog.h"

#include <cmath>
#include <cstdio>

#include "IniKeys.h"
#include "PathText.h"
#include "ScaledCurve.h"

using peaksearch::Scaled;

double PeakWidth(const CGraphData& curve, int p, double base) {
  return peaksearch::Width(Scaled(curve), p, base);
}

int SearchPeaks(const CGraphData& curve, CPeakSearch& record, int nS, double threshold,
                std::vector<std::string>& lines, double& base) {
  const Scaled s(curve);
  const long n = s.n;
  const peaksearch::Range range(record);
  base = peaksearch::Baseline(s, range);
  lines.push_back(peaksearch::kListHeader);
  if (nS < 1) nS = 4;
  if (threshold <= 0) threshold = 20.0;
  record.Clear();

  // state: 1 rising, 0 flat, -1 falling; flat counts the zero-slope steps of a plateau.
  int state = 0;
  double flat = 0;
  // The point of the last peak added. The next summit's window starts at least one point
  // past the last one's centre, so only the last peak can be met again.
  long lastAdded = -1;
  for (long i = nS; i < n - nS; ++i) {
    // s = Σ_{k=1..nS} k (y[i+k] − y[i−k])
    double slope = 0;
    for (int k = 1; k <= nS; ++k) slope += k * (s.Y(i + k) - s.Y(i - k));
    if (slope > 0) {
      state = 1;
      flat = 0;
      continue;
    }
    if (slope == 0) {
      state = 0;
      flat += 1;
      continue;
    }
    const int previous = state;
    state = -1;
    long c;
    if (previous == 1) {
      c = i;
    } else if (previous == 0) {
      c = i - static_cast<long>(flat * 0.5);
    } else {
      flat = 0;
      continue;
    }
    long best = c;
    for (long j = c - nS; j <= c + nS; ++j)
      if (j >= 0 && j < n && s.Y(j) > s.Y(best)) best = j;
    // A point at either end of the curve is no summit: the curve may rise beyond it.
    const bool summit = best > 0 && best < n - 1 && best != lastAdded;
    if (summit && s.Y(best) - base > threshold && range.Holds(s.X(best))) {
      if (!peaksearch::AddFound(s, best, base, record, lines)) break;
      lastAdded = best;
    }
    i += nS;
  }
  return record.peakCount;
}

PeakSearchMethod PeakSearchMethodOf(const std::string& name) {
  return pathtext::SameNoCase(name, "Prominence") ? PeakSearchMethod::Prominence : PeakSearchMethod::Slope;
}

const char* PeakSearchMethodName(PeakSearchMethod m) {
  return m == PeakSearchMethod::Prominence ? "Prominence" : "Slope";
}

CPeakSearchDialog::CPeakSearchDialog(CIniFile& ini_, const CGraphData& curve_, CPeakSearch& record_,
                                     const std::string& programDir)
    : ini(ini_), curve(curve_), record(record_) {
  found.LoadSettings(ini, programDir);
  found.dataKind = record.dataKind;
  nSmooth = ini.GetInt(ini::kNSmooth);
  threshold = ini.GetReal(ini::kThreshold);
  method = PeakSearchMethodOf(ini.GetString(ini::kSearchMethod));
  noiseFactor = ini.GetReal(ini::kNoiseFactor);
  replacePeaks = ini.GetInt(ini::kReplacePeaks) != 0;
}

void CPeakSearchDialog::OnSearch() {
  list.clear();
  found.calcLow = record.calcLow;
  found.calcHigh = record.calcHigh;
  found.dataKind = record.dataKind;
  found.ramda1 = record.ramda1;
  found.ramda2 = record.ramda2;
  if (method == PeakSearchMethod::Prominence)
    SearchPeaksByProminence(curve, found, threshold, noiseFactor, list, base);
  else
    SearchPeaks(curve, found, nSmooth, threshold, list, base);
}

void CPeakSearchDialog::OnOK() {
  ini.WriteInt(ini::kNSmooth, nSmooth);
  ini.WriteReal(ini::kThreshold, threshold);
  ini.WriteString(ini::kSearchMethod, PeakSearchMethodName(method));
  ini.WriteReal(ini::kNoiseFactor, noiseFactor);
  ini.WriteBool(ini::kReplacePeaks, replacePeaks);
  if (replacePeaks) {
    record.peakCount = 0;
    record.currentPeak = 0;
  }
  for (int i = 0; i < found.peakCount; ++i)
    record.AddPeak(found.Value(CPeakSearch::kPosition, i), found.Value(CPeakSearch::kCTotal, i),
                   found.Value(CPeakSearch::kGaussFraction, i), found.Value(CPeakSearch::kFWHMGLRatio, i),
                   found.Value(CPeakSearch::kFWHMLorentz, i));
}
