// The peak searches. "Slope", the default: a weighted slope of the measured curve, averaged over
// ±nS points, finds the summits (and the middles of flat tops) that stand higher than a
// threshold above the baseline. "Prominence": every local maximum that stands out of its
// surroundings by more than the threshold and k times the noise of the curve. Each peak found
// is given a width from where the curve falls to half its height. The "Peak Search" dialog runs
// a search into a record of its own and, on OK, appends the peaks found to the document's fit
// record (or puts them in place of its peaks).
#pragma once

#include <string>
#include <vector>

#include "PeakSearch.h"

class CGraphData;
class CIniFile;

// Searches `curve` (its scaled values) within the record's output range (calcLow..calcHigh).
// The record is cleared and gets every peak found (Gauss fraction 0.5, rfwhm 1, the width as
// Lorentzian fwhm); `lines` gets the list header and one line per peak, `base` the baseline.
// nS below 1 is used as 4, a threshold of 0 or below as 20. A point at either end of the curve
// is never a summit and no point is found twice; when the table is full the last line says so
// ("Peak table full: N peaks; raise the threshold"). Returns the record's peak count.
int SearchPeaks(const CGraphData& curve, CPeakSearch& record, int nS, double threshold,
                std::vector<std::string>& lines, double& base);

// The noise-aware search, with the same record, list and baseline as SearchPeaks. A candidate
// is a local maximum (the middle of a flat top; never an end of the curve) within the output
// range whose prominence, its height above the higher of the two lowest points that separate
// it from higher ground (or from the end of the curve), exceeds both the threshold and
// noiseFactor times the noise: √y at the summit for count data (IsCountData), else the scatter
// of the curve's second differences within the range. For diffraction data a candidate within
// two steps of the Kα2 angle (from the record's λ1 and λ2) of a stronger accepted peak is left
// out. A threshold of 0 or below is used as 20, a noise factor of 0 or below as the default.
inline constexpr double kDefaultNoiseFactor = 5.0;
int SearchPeaksByProminence(const CGraphData& curve, CPeakSearch& record, double threshold, double noiseFactor,
                            std::vector<std::string>& lines, double& base);
// Count data: diffraction data (a detector's counts) with no negative value within the
// record's output range.
bool IsCountData(const CGraphData& curve, const CPeakSearch& record);

// The search methods of [PeakSearch] Method, by their INI names; any other text is "Slope".
enum class PeakSearchMethod { Slope, Prominence };
PeakSearchMethod PeakSearchMethodOf(const std::string& name);
const char* PeakSearchMethodName(PeakSearchMethod m);

// Full width at half height of the peak at point p over `base`: twice the distance to the
// nearer point below half height, or the distance to a higher neighbour met first; 0.1 when
// neither is found. The width is positive whichever way X runs.
double PeakWidth(const CGraphData& curve, int p, double base);

class CPeakSearchDialog {
 public:
  // curve: frame 0's first curve; record: the document's fit record. The settings come from
  // [PeakSearch]: nSmooth, Threshold, Method, NoiseFactor and ReplacePeaks.
  CPeakSearchDialog(CIniFile& ini, const CGraphData& curve, CPeakSearch& record,
                    const std::string& programDir);

  // "Peak Search": a new search of the curve by the chosen method into the dialog's own
  // record, with the job's wavelengths.
  void OnSearch();
  // OK: saves the settings and appends the peaks of the last search to the document's record;
  // with replacePeaks the record's peaks are removed first (its background stays).
  void OnOK();
  // Cancel: nothing is saved or added.
  void OnCancel() {}

  int nSmooth = 5;
  double threshold = 100.0;
  PeakSearchMethod method = PeakSearchMethod::Slope;
  double noiseFactor = kDefaultNoiseFactor;
  bool replacePeaks = false;  // "Replace current peaks"
  std::string yLabel;         // the Y axis caption of the searched data, the threshold's unit
  std::vector<std::string> list;  // the list box
  double base = 0;
  CPeakSearch found;  // peaks of the last search

 private:
  CIniFile& ini;
  const CGraphData& curve;
  CPeakSearch& record;
};
