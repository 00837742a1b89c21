// CPeakSearch: the workbench's fit record. This holds the part that loading data needs: the
// data kind, the model curves that the Rietan pattern reader also fills, the background
// coefficients with their free flags and the peak count. Arrays are 0-based.
#pragma once

#include "GraphData.h"
#include "GraphDataArray.h"

class CPeakSearch {
 public:
  static constexpr int kBackgroundTerms = 5;
  static constexpr int kPeakCapacity = 100;

  CPeakSearch() = default;
  CPeakSearch(const CPeakSearch&) = delete;
  CPeakSearch& operator=(const CPeakSearch&) = delete;

  // The reset made when new data are loaded directly (Rietan and text data commands): every
  // background coefficient 0 and free, no peaks.
  void ResetForNewData();

  int dataKind = 1;  // 0 none, 1 diffraction, 2 spectroscopic
  CGraphData backgroundCurve;
  CGraphData totalCurve;
  CGraphDataArray peakCurves;
  int capacity = kPeakCapacity;
  double b[kBackgroundTerms] = {0, 0, 0, 0, 0};      // background coefficients b0..b4
  int optimizeB[kBackgroundTerms] = {1, 1, 1, 1, 1};  // 1 free, 0 fixed
  double bChange[kBackgroundTerms] = {0, 0, 0, 0, 0};
  int peakCount = 0;
};
