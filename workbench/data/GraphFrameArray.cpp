#include "GraphFrameArray.h"

#include <new>

CGraphFrameArray::~CGraphFrameArray() { Clear(); }

int CGraphFrameArray::AddFrame(const double position[4]) {
  if (count >= kMaxFrame) return -1;
  CGraphFrame* f = new (std::nothrow) CGraphFrame(position);
  if (!f) return -1;
  frame[count++] = f;
  return count;
}

CGraphFrame* CGraphFrameArray::GetFrame(int i) const {
  return (i < 0 || i >= count) ? nullptr : frame[i];
}

void CGraphFrameArray::Clear() {
  for (CGraphFrame*& f : frame) {
    if (f) {
      f->DetachAll();
      delete f;
    }
    f = nullptr;
  }
  count = 0;
}

void CGraphFrameArray::AutoScaleAll(double margin) {
  for (int i = 0; i < count; ++i)
    if (frame[i]) frame[i]->AutoScale(margin);
}
