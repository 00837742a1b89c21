// CGraphFrameArray: the document's frames, at most 10, owned by the array.
#pragma once

#include "GraphFrame.h"

class CGraphFrameArray {
 public:
  static constexpr int kMaxFrame = 10;

  CGraphFrameArray() = default;
  ~CGraphFrameArray();
  CGraphFrameArray(const CGraphFrameArray&) = delete;
  CGraphFrameArray& operator=(const CGraphFrameArray&) = delete;

  // Adds a frame at the page position; the new count, or -1 when 10 frames exist already.
  int AddFrame(const double position[4]);
  // Null outside 0 .. count-1.
  CGraphFrame* GetFrame(int i) const;
  // Detaches the curves of every frame and deletes the frames.
  void Clear();
  void AutoScaleAll(double margin);

  int count = 0;
  CGraphFrame* frame[kMaxFrame] = {};
};
