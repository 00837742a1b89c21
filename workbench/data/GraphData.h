// CGraphData: one curve of the workbench. Two arrays of raw values (X and Y), a linear
// rescaling of both coordinates, a display transform per axis, the range of the processed
// values and the drawing attributes. Arrays are 0-based.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IPlatform;

// Windows COLORREF, 0x00BBGGRR.
using COLORREF = std::uint32_t;

// Where the messages of the curve layer go (invalid axis types, a full curve array), and which
// of the messages shown once per run were shown already. The document keeps one for its
// curves; a curve or an array without one stays silent.
struct CDataMessages {
  IPlatform* platform = nullptr;
  bool xTypeShown = false, yTypeShown = false;
  // Shows a message through the platform; does nothing without one.
  void Show(const std::string& text, const std::string& caption) const;
};

class CGraphData {
 public:
  CGraphData();
  virtual ~CGraphData();
  CGraphData(const CGraphData&) = delete;
  CGraphData& operator=(const CGraphData&) = delete;

  // Sets datan = n; grows the arrays when n is not below maxDatan. Returns n, or -1 (empty curve)
  // when the allocation fails.
  int SetSize(int n);
  // datan = min(n, maxDatan); returns the new datan.
  int SetCount(int n);
  // Store a raw value; return i, or -1 when i is outside 0 .. datan-1.
  int SetX(int i, double v);
  int SetY(int i, double v);
  double GetX(int i) const;  // raw value, 0 outside 0 .. datan-1
  double GetY(int i) const;

  // Scaled value X' = X*XScale + XOffset (Y' likewise), 0 raw outside the range.
  double ScaledX(int i) const;
  double ScaledY(int i) const;
  // Scaled value passed through the axis transform of XAxisType / YAxisType.
  double ProcessedX(int i) const;
  double ProcessedY(int i) const;

  // -1 when datan < 1; else the four limits of the processed values; 0.
  int UpdateRange();
  void Reset();
  // Linear interpolation on the scaled values.
  double ValueAt(double x) const;
  // "%d\n" datan, then "%g\t%g\n" raw X, raw Y. -1 when the file cannot be opened, else 0.
  int WriteText(const std::string& path, const char* mode) const;
  // Puts the scaled curve on the clipboard through the column text export, headed by the
  // label (or the file name when the label is empty); 0, or -1 when the clipboard refused it.
  int PutOnClipboard(IPlatform& platform) const;

  // Where the invalid axis type messages go (each shown once per run); null keeps them silent.
  CDataMessages* messages = nullptr;
  int XAxisType = 0;
  int YAxisType = 0;
  bool isShown = true;
  bool isValid = true;
  std::string fileName;
  std::string label;
  int datan = 0;
  int maxDatan = 0;
  std::vector<double> X;  // raw X, maxDatan long
  std::vector<double> Y;  // raw Y, maxDatan long
  double XMin = 0, XMax = 1, YMin = 0, YMax = 1;
  bool breakOnReturn = false;
  double XScale = 1.0;
  double YScale = 1.0;
  double YOffset = 0.0;
  double XOffset = 0.0;
  bool clipToFrame = true;
  bool drawLine = true;
  int lineStyle = 0;
  double lineWidth = 0.2;
  COLORREF lineColor = 0;
  bool drawSymbol = false;
  int symbolShape = 0;
  double symbolSize = 2.0;
  int markerPenStyle = 0;
  double markerPenWidth = 0.2;
  COLORREF markerPenColor = 0;
  int markerBrushStyle = 0;
  COLORREF markerBrushColor = 0;
  int markerBrushHatch = 4;
};

// Writes text to the file at path opened with mode ("w", "a", ...); 0, or -1 when it cannot be
// opened or written. A file opened with "w" is written under a scratch name beside its place and
// renamed over it only when complete, so a failed write never leaves half a file where good
// data were; a symbolic link is followed, so the file it names receives the text and the link
// stays. A file that cannot be opened for writing is not replaced, and a target that is not a
// regular file (a terminal, a pipe, a device) is written in place.
int WriteFileText(const std::string& path, const char* mode, const std::string& text);

// Column text export: heading "\r\n", then per point "%lg" X and "\t%lg" offset+Y for each of
// the m columns, "\r\n"; with breakOnReturn an empty line where X turns back against the
// direction of the first step. Returns the text (the caller puts it on the clipboard).
std::string ColumnText(const std::string& heading, int n, int m, const double* x,
                       const double* const* y, double offset, bool breakOnReturn);
