// The peak search: a weighted slope of the measured curve, averaged over ±nS points, finds the
// summits (and the middles of flat tops) that stand higher than a threshold above the
// baseline; each is given a width from where the curve falls to half its height. The "Peak
// Search" dialog runs the search into a record of its own and, on OK, appends the peaks found
// to the document's fit record.
#pragma once

#include <string>
#include <vector>

#include "PeakSearch.h"

class CGraphData;
class CIniFile;

// Searches `curve` (its scaled values) within the record's output range (calcLow..calcHigh).
// The record is cleared and gets every peak found (Gauss fraction 0.5, rfwhm 1, the width as
// Lorentzian fwhm); `lines` gets the list header and one line per peak, `base` the baseline.
// nS below 1 is used as 4, a threshold of 0 or below as 20. Returns the record's peak count.
int SearchPeaks(const CGraphData& curve, CPeakSearch& record, int nS, double threshold,
                std::vector<std::string>& lines, double& base);

// Full width at half height of the peak at point p over `base`: twice the distance to the
// nearer point below half height, or the distance to a higher neighbour met first; 0.1 when
// neither is found.
double PeakWidth(const CGraphData& curve, int p, double base);

class CPeakSearchDialog {
 public:
  // curve: frame 0's first curve; record: the document's fit record. The two settings come
  // from [PeakSearch].
  CPeakSearchDialog(CIniFile& ini, const CGraphData& curve, CPeakSearch& record,
                    const std::string& programDir);

  // "Peak Search": a new search of the curve into the dialog's own record.
  void OnSearch();
  // OK: saves the two settings and appends the peaks of the last search to the document's
  // record.
  void OnOK();
  // Cancel: nothing is saved or added.
  void OnCancel() {}

  int nSmooth = 5;
  double threshold = 100.0;
  std::vector<std::string> list;  // the list box
  double base = 0;
  CPeakSearch found;  // peaks of the last search

 private:
  CIniFile& ini;
  const CGraphData& curve;
  CPeakSearch& record;
};
