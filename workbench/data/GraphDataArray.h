// CGraphDataArray: up to 50 curves. Curves made by AddGraph are owned by the array; every
// other slot is borrowed and never deleted here.
#pragma once

#include "GraphData.h"

class CGraphDataArray {
 public:
  static constexpr int kMaxGraph = 50;

  CGraphDataArray();
  ~CGraphDataArray();
  CGraphDataArray(const CGraphDataArray&) = delete;
  CGraphDataArray& operator=(const CGraphDataArray&) = delete;

  // Makes a new owned curve of n points (no points when n <= 0) in the next slot. Null, with a
  // message, when the array is full or the curve cannot be made.
  CGraphData* AddGraph(int n);
  // Null when i is outside 0 .. nGraphData-1.
  CGraphData* GetGraph(int i) const;
  // Deletes the owned curves, nulls every slot, nGraphData = 0.
  void Clear();

  // Where its messages go; null keeps them silent.
  CDataMessages* messages = nullptr;
  int nGraphData = 0;
  int nMaxGraph = kMaxGraph;
  CGraphData* graph[kMaxGraph] = {};
  bool borrowed[kMaxGraph];
};
