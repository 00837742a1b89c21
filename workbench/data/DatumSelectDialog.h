// CDatumSelectDialog: the choice of one curve (or one section of a file) from a list. It holds
// the caption, up to 50 lines and the chosen index; the platform shows it.
#pragma once

#include <string>
#include <vector>

class CGraphData;
class CGraphFrame;
class CGraphFrameArray;
class CGraphDataArray;
class IPlatform;

class CDatumSelectDialog {
 public:
  static constexpr int kMaxLines = 50;

  // One line per attached curve: "Dat%d: %s".
  explicit CDatumSelectDialog(const CGraphFrame& frame);
  // One line per curve of every frame: "Frm:%d Dat%d: %s".
  explicit CDatumSelectDialog(const CGraphFrameArray& frames);
  // One line per curve: "Dat%d: %s".
  explicit CDatumSelectDialog(const CGraphDataArray& curves);
  // Lines given by the caller (the first 50 are kept).
  CDatumSelectDialog(const std::string& caption, const std::vector<std::string>& lines);

  // Adds one line; false when 50 lines are held already.
  bool AddLine(const std::string& line);
  // Shows the choice; returns the chosen index, or -1 when nothing was chosen or the choice
  // was cancelled (an answer outside the list counts as nothing chosen).
  int DoModal(IPlatform& platform);

  // The name a curve goes by in a list: its label trimmed at the right, or its file name
  // when the label is empty.
  static std::string CurveName(const CGraphData& curve);

  std::string caption;
  std::vector<std::string> lines;
  int selected = -1;
};
