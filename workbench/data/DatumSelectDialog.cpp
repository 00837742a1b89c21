#include "DatumSelectDialog.h"

#include <cstdio>

#include "GraphDataArray.h"
#include "GraphFrameArray.h"
#include "Platform.h"

namespace {

std::string DatLine(int i, const CGraphData* curve) {
  char head[32];
  std::snprintf(head, sizeof head, "Dat%d: ", i);
  return head + (curve ? CDatumSelectDialog::CurveName(*curve) : std::string());
}

}  // namespace

std::string CDatumSelectDialog::CurveName(const CGraphData& curve) {
  if (curve.label.empty()) return curve.fileName;
  std::string name = curve.label;
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t' || name.back() == '\r' ||
                           name.back() == '\n'))
    name.pop_back();
  return name;
}

CDatumSelectDialog::CDatumSelectDialog(const CGraphFrame& frame) : caption("Datum in Frame") {
  for (int i = 0; i < frame.nGraph; ++i) AddLine(DatLine(i, frame.graph[i]));
}

CDatumSelectDialog::CDatumSelectDialog(const CGraphFrameArray& frames)
    : caption("Datum in FrameArray") {
  for (int f = 0; f < frames.count; ++f) {
    const CGraphFrame* frame = frames.frame[f];
    if (!frame) continue;
    for (int i = 0; i < frame->nGraph; ++i) {
      char head[48];
      std::snprintf(head, sizeof head, "Frm:%d ", f);
      AddLine(head + DatLine(i, frame->graph[i]));
    }
  }
}

CDatumSelectDialog::CDatumSelectDialog(const CGraphDataArray& curves)
    : caption("Datum in DataArray") {
  for (int i = 0; i < curves.nGraphData; ++i) AddLine(DatLine(i, curves.graph[i]));
}

CDatumSelectDialog::CDatumSelectDialog(const std::string& caption_,
                                       const std::vector<std::string>& lines_)
    : caption(caption_) {
  for (const std::string& line : lines_) AddLine(line);
}

bool CDatumSelectDialog::AddLine(const std::string& line) {
  if (static_cast<int>(lines.size()) >= kMaxLines) return false;
  lines.push_back(line);
  return true;
}

int CDatumSelectDialog::DoModal(IPlatform& platform) {
  const int choice = platform.ChooseLine(caption, lines);
  selected = (choice >= 0 && choice < static_cast<int>(lines.size())) ? choice : -1;
  return selected;
}
