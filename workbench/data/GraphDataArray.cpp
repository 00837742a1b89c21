#include "GraphDataArray.h"

#include <new>

CGraphDataArray::CGraphDataArray() {
  for (bool& b : borrowed) b = true;
}

CGraphDataArray::~CGraphDataArray() { Clear(); }

CGraphData* CGraphDataArray::AddGraph(int n) {
  static const char* const kCaption = "Error in CGraphDataArray::AddGraph";
  // nMaxGraph may be lowered, but the slots end at kMaxGraph whatever it says.
  if (nGraphData >= nMaxGraph || nGraphData >= kMaxGraph) {
    if (messages) messages->Show("nGraphData exceeds nMaxGraph", kCaption);
    return nullptr;
  }
  CGraphData* curve = new (std::nothrow) CGraphData;
  if (!curve) {
    if (messages) messages->Show("Can't create CGraphData", kCaption);
    return nullptr;
  }
  graph[nGraphData] = curve;
  borrowed[nGraphData] = false;
  if (n > 0) curve->SetSize(n);
  ++nGraphData;
  return curve;
}

CGraphData* CGraphDataArray::GetGraph(int i) const {
  return (i < 0 || i >= nGraphData) ? nullptr : graph[i];
}

void CGraphDataArray::Clear() {
  for (int i = 0; i < kMaxGraph; ++i) {
    if (graph[i] && !borrowed[i]) delete graph[i];
    graph[i] = nullptr;
    borrowed[i] = true;
  }
  nGraphData = 0;
}
