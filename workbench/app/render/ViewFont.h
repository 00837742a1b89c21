// The graph view's font record (a logical-font record whose height is in tenths of a point)
// and its conversions to and from device units, for the view's creation and its font dialog.
#pragma once

#include <string>

#include "DrawingSurface.h"

class CIniFile;

struct CViewFont {
  std::string faceName;
  int height = 0;  // tenths of a point
  int escapement = 0;
  bool italic = false, underline = false, strikeOut = false;
};

// Points per pixel of a device with this many pixels per inch (72 / ppi).
double PointsPerPixelOfDpi(double pixelsPerInch);

// A device height into tenths of a point: height × pointsPerPixel rounded to whole points,
// × 10 (−24 device units at 96 pixels per inch give −180).
int DeviceHeightToTenths(int deviceHeight, double pointsPerPixel);
// Tenths of a point into a device character height (negative), as the font dialog is given it.
int TenthsToDeviceHeight(int tenths, double pointsPerPixel);

// The record at view creation: a non-empty [GraphView] ViewFontFaceName gives that face at
// ViewFontHeight; otherwise the window's font (null when it has none: "Times New Roman" at −24
// device units), its height converted with the window's pointsPerPixel.
CViewFont LoadViewFont(const CIniFile& ini, const CFontSpec* windowFont, double pointsPerPixel);
// The font dialog: the record in device units for the dialog, and the dialog's choice back
// into a record.
CFontSpec ViewFontToDialog(const CViewFont& font, double pointsPerPixel);
CViewFont ViewFontFromDialog(const CFontSpec& chosen, double pointsPerPixel);
// Writes [GraphView] ViewFontFaceName and ViewFontHeight ("%d", tenths of a point).
void SaveViewFont(CIniFile& ini, const CViewFont& font);
