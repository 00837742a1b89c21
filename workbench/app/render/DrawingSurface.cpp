#include "DrawingSurface.h"

#include <algorithm>
#include <cmath>

namespace {


// Pixels per millimetre of one direction; a device that reports no size counts 1.
double PerMm(int px, double mm) { return (px > 0 && mm > 0) ? px / mm : 1.0; }

}  // namespace

CDrawingSurface::CDrawingSurface(IDeviceContext& device) : dc(device), caps(device.Caps()) {
  ppmX = PerMm(caps.widthPx, caps.widthMm);
  ppmY = PerMm(caps.heightPx, caps.heightMm);
  pppX = kPointsPerMm / ppmX;
  pppY = kPointsPerMm / ppmY;
  aspect = ppmY / ppmX;
}

CDeviceRect CDrawingSurface::ToDevice(double l, double t, double r, double b) const {
  return {ToDeviceX(l), ToDeviceY(t), ToDeviceX(r), ToDeviceY(b)};
}

int CDrawingSurface::PenWidth(double w) const {
  const double v = w * ppmX + 1e-5;
  if (!(v >= 1.0)) return 1;
  return v > 4096.0 ? 4096 : static_cast<int>(v);
}

void CDrawingSurface::SetPen(int style, double width, COLORREF color) {
  dc.SelectPen({style, PenWidth(width), color});
}

void CDrawingSurface::SetBrush(int style, COLORREF color, int hatch) {
  dc.SelectBrush({style, color, hatch});
}

//   device height = −|tenths| / 10 points / pointsPerPixelY (a character height)
int CDrawingSurface::PointHeightToDevice(int heightTenths) const {
  return -static_cast<int>(std::lround(std::abs(heightTenths) / 10.0 / pppY));
}

void CDrawingSurface::SetPointFont(const std::string& face, int heightTenths, bool italic,
                                   bool underline, bool strikeOut) {
  dc.SelectFont({face, PointHeightToDevice(heightTenths), italic, underline, strikeOut});
}

void CDrawingSurface::Line(double x0, double y0, double x1, double y1) {
  const CDevicePoint p[2] = {ToDevice(x0, y0), ToDevice(x1, y1)};
  dc.Polyline(p, 2);
}

void CDrawingSurface::Rectangle(double l, double t, double r, double b) {
  dc.Rectangle(ToDevice(l, t, r, b));
}

void CDrawingSurface::Ellipse(double l, double t, double r, double b) {
  dc.Ellipse(ToDevice(l, t, r, b));
}

void CDrawingSurface::Text(double x, double y, const std::string& text, int align, int angleDeg) {
  dc.Text(ToDevice(x, y), text, align, angleDeg);
}

void CDrawingSurface::TextBox(double l, double t, double r, double b, const std::string& text) {
  dc.TextBox(ToDevice(l, t, r, b), UnixLineEnds(text));
}

double CDrawingSurface::TextWidth(const std::string& text) {
  return dc.TextExtent(text).cx / (ppmX * scale);
}

double CDrawingSurface::TextBoxWidth(const std::string& text) {
  return dc.TextBoxExtent(1 << 24, text).cx / (ppmX * scale);
}

double CDrawingSurface::TextHeight(const std::string& text) {
  return dc.TextExtent(text).cy / (ppmY * scale);
}

void CDrawingSurface::Clip(double l, double t, double r, double b) {
  CDeviceRect c = ToDevice(l, t, r, b);
  if (c.left > c.right) std::swap(c.left, c.right);
  if (c.top > c.bottom) std::swap(c.top, c.bottom);
  dc.SetClip(c);
}

std::string UnixLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}
