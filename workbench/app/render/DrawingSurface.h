// The drawing surface of the graph view: a device context measured once in millimetres and
// pixels, and the page coordinates (millimetres of the output device) in which every drawing
// operation of the graph is given. The same surface serves the screen, the printer and image
// files, so a picture keeps its physical sizes everywhere. Only the device context behind it
// knows a toolkit.
#pragma once

#include <string>
#include <vector>

#include "GraphData.h"

struct CDevicePoint {
  int x = 0, y = 0;
  bool operator==(const CDevicePoint&) const = default;
};
struct CDeviceRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const CDeviceRect&) const = default;
};
struct CDeviceSize {
  int cx = 0, cy = 0;
};

// The device as measured: its size in millimetres and in pixels.
struct CDeviceCaps {
  double widthMm = 0, heightMm = 0;
  int widthPx = 0, heightPx = 0;
};

// Pen styles, brush styles and hatch codes with their Windows numbers, as curves store them.
enum PenStyle { kPenSolid = 0, kPenDash, kPenDot, kPenDashDot, kPenDashDotDot, kPenNull, kPenInsideFrame };
enum BrushStyle { kBrushSolid = 0, kBrushHollow = 1, kBrushHatched = 2 };
enum HatchStyle { kHatchHorizontal = 0, kHatchVertical, kHatchFDiagonal, kHatchBDiagonal, kHatchCross, kHatchDiagCross };

struct CPenSpec {
  int style = kPenSolid;
  int width = 1;  // device pixels
  COLORREF color = 0;
  bool operator==(const CPenSpec&) const = default;
};
struct CBrushSpec {
  int style = kBrushSolid;
  COLORREF color = 0;
  int hatch = kHatchCross;
  bool operator==(const CBrushSpec&) const = default;
};
// A font in device units: height < 0 is the character height (the point size), > 0 the cell
// height, 0 the device's default size.
struct CFontSpec {
  std::string face;
  int height = 0;
  bool italic = false, underline = false, strikeOut = false;
};

// Text alignment about the reference point, in the text's own direction (before rotation):
// one horizontal and one vertical choice or'ed together.
enum TextAlign {
  kAlignLeft = 0, kAlignHCenter = 1, kAlignRight = 2,
  kAlignTop = 0, kAlignVCenter = 4, kAlignBottom = 8, kAlignBaseline = 16
};

// What a device offers the surface: primitives in device pixels, with the pen, brush and font
// last selected. Rectangles and ellipses are outlined with the pen and filled with the brush.
class IDeviceContext {
 public:
  virtual ~IDeviceContext() = default;
  virtual CDeviceCaps Caps() const = 0;
  virtual void SelectPen(const CPenSpec& pen) = 0;
  virtual void SelectBrush(const CBrushSpec& brush) = 0;
  virtual void SelectFont(const CFontSpec& font) = 0;
  // Joined segments through n points (n >= 2).
  virtual void Polyline(const CDevicePoint* p, int n) = 0;
  virtual void Rectangle(const CDeviceRect& r) = 0;
  virtual void Ellipse(const CDeviceRect& r) = 0;
  // One line of text at `at`, aligned as `align` says and turned counter-clockwise by
  // angleDeg around `at`.
  virtual void Text(CDevicePoint at, const std::string& text, int align, int angleDeg) = 0;
  // Text in a box: "\n" ends a line, lines break at words to the box width, tabs are expanded,
  // nothing is clipped (text may run below the box).
  virtual void TextBox(const CDeviceRect& r, const std::string& text) = 0;
  virtual CDeviceSize TextExtent(const std::string& text) = 0;
  // What TextBox covers with the text at this width: its widest line and its height.
  virtual CDeviceSize TextBoxExtent(int width, const std::string& text) = 0;
  virtual void SetClip(const CDeviceRect& r) = 0;
  virtual void ClearClip() = 0;
};

// Where a page point goes: trunc(v·pixelsPerMm·scale + 1e-5) with v the page coordinate plus
// the offset; the 1e-5 keeps a value that lands on a whole pixel in binary rounding from
// falling to the pixel before. Results beyond ±2^24 pixels are held there.
inline int PageToDevice(double page, double offset, double pixelsPerMm, double scale) {
  constexpr double kLimit = 16777216.0;  // 2^24
  const double v = (page + offset) * pixelsPerMm * scale + 1e-5;
  // Held at ±2^24 without a branch (a NaN goes to the lower limit); then truncated toward zero.
  const double held = v > kLimit ? kLimit : (v > -kLimit ? v : -kLimit);
  return static_cast<int>(held);
}

class CDrawingSurface {
 public:
  // 72 points per inch of 25.4 mm.
  static constexpr double kPointsPerMm = 72.0 / 25.4;

  // Measures the device once.
  explicit CDrawingSurface(IDeviceContext& dc);

  IDeviceContext& Device() { return dc; }
  const CDeviceCaps& Caps() const { return caps; }
  double PixelsPerMmX() const { return ppmX; }
  double PixelsPerMmY() const { return ppmY; }
  // Millimetres per pixel × 72/25.4.
  double PointsPerPixelX() const { return pppX; }
  double PointsPerPixelY() const { return pppY; }
  // Pixel height over pixel width, as the device's millimetres give it.
  double Aspect() const { return aspect; }

  // Page to device and back (the inverse goes to the left edge of the pixel).
  int ToDeviceX(double x) const { return PageToDevice(x, offsetX, ppmX, scale); }
  int ToDeviceY(double y) const { return PageToDevice(y, offsetY, ppmY, scale); }
  CDevicePoint ToDevice(double x, double y) const { return {ToDeviceX(x), ToDeviceY(y)}; }
  CDeviceRect ToDevice(double l, double t, double r, double b) const;
  double ToPageX(int x) const { return x / (ppmX * scale) - offsetX; }
  double ToPageY(int y) const { return y / (ppmY * scale) - offsetY; }

  // A pen width in page units in device pixels: trunc(w·pixelsPerMm + 1e-5), at least 1.
  int PenWidth(double w) const;
  void SetPen(int style, double width, COLORREF color);
  void SetBrush(int style, COLORREF color, int hatch);
  void SetHollowBrush() { SetBrush(kBrushHollow, 0, 0); }
  // A point font: the height in tenths of a point made into device units of this device.
  void SetPointFont(const std::string& face, int heightTenths, bool italic = false,
                    bool underline = false, bool strikeOut = false);
  // The character height in device units of a point size in tenths of a point.
  int PointHeightToDevice(int heightTenths) const;

  void Line(double x0, double y0, double x1, double y1);
  void Rectangle(double l, double t, double r, double b);
  void Ellipse(double l, double t, double r, double b);
  void Text(double x, double y, const std::string& text, int align = kAlignLeft | kAlignTop,
            int angleDeg = 0);
  // Lines end at "\r\n", "\n" or a lone "\r".
  void TextBox(double l, double t, double r, double b, const std::string& text);
  // Extent of one line in page units.
  double TextWidth(const std::string& text);
  // Width of the widest line of a text box's text (tabs expanded), when nothing is broken.
  double TextBoxWidth(const std::string& text);
  double TextHeight(const std::string& text);
  void Clip(double l, double t, double r, double b);
  void Unclip() { dc.ClearClip(); }

  double scale = 1.0;
  double offsetX = 0.0, offsetY = 0.0;

 private:
  IDeviceContext& dc;
  CDeviceCaps caps;
  double ppmX = 1, ppmY = 1, pppX = 1, pppY = 1, aspect = 1;
};

// "\r\n" and a lone "\r" become "\n".
std::string UnixLineEnds(const std::string& text);
