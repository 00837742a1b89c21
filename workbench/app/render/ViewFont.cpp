#include "ViewFont.h"

#include <cmath>
#include <cstdlib>

#include "IniKeys.h"

double PointsPerPixelOfDpi(double pixelsPerInch) {
  return pixelsPerInch > 0 ? 72.0 / pixelsPerInch : 1.0;
}

int DeviceHeightToTenths(int deviceHeight, double pointsPerPixel) {
  return static_cast<int>(std::lround(deviceHeight * pointsPerPixel)) * 10;
}

int TenthsToDeviceHeight(int tenths, double pointsPerPixel) {
  if (!(pointsPerPixel > 0)) return 0;
  return -static_cast<int>(std::lround(std::abs(tenths) / 10.0 / pointsPerPixel));
}

CViewFont LoadViewFont(const CIniFile& ini, const CFontSpec* windowFont, double pointsPerPixel) {
  CViewFont f;
  f.faceName = ini.GetString(ini::kViewFontFaceName);
  if (!f.faceName.empty()) {
    f.height = ini.GetInt(ini::kViewFontHeight);
    return f;
  }
  const CFontSpec fallback{"Times New Roman", -24};
  const CFontSpec& w = windowFont ? *windowFont : fallback;
  f = ViewFontFromDialog(w, pointsPerPixel);
  return f;
}

CFontSpec ViewFontToDialog(const CViewFont& font, double pointsPerPixel) {
  return {font.faceName, TenthsToDeviceHeight(font.height, pointsPerPixel), font.italic,
          font.underline, font.strikeOut};
}

CViewFont ViewFontFromDialog(const CFontSpec& chosen, double pointsPerPixel) {
  CViewFont f;
  f.faceName = chosen.face;
  f.height = DeviceHeightToTenths(chosen.height, pointsPerPixel);
  f.italic = chosen.italic;
  f.underline = chosen.underline;
  f.strikeOut = chosen.strikeOut;
  return f;
}

void SaveViewFont(CIniFile& ini, const CViewFont& font) {
  ini.WriteString(ini::kViewFontFaceName, font.faceName);
  ini.WriteInt(ini::kViewFontHeight, font.height);
}
