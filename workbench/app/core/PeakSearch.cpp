#include "PeakSearch.h"

void CPeakSearch::ResetForNewData() {
  for (int k = 0; k < kBackgroundTerms; ++k) {
    b[k] = 0.0;
    optimizeB[k] = 1;
  }
  peakCount = 0;
}
