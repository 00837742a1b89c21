// The drawing surface's device context on a QPainter: the graph view's widget, the printer,
// images, SVG and PDF files alike. Colours are Windows COLORREF values (0x00BBGGRR); lines
// are drawn without antialiasing so that a device point is exactly its pixel.
#pragma once

#include <QFont>
#include <QPainter>

#include "DrawingSurface.h"

class CQtDeviceContext : public IDeviceContext {
 public:
  // The painter's device measured as it reports itself (whole millimetres, pixels).
  explicit CQtDeviceContext(QPainter& painter);
  // A device whose size in millimetres is given (an image or file page of a chosen size).
  CQtDeviceContext(QPainter& painter, double widthMm, double heightMm);
  // A device measured as given, whatever the painter's device is (a layout pass that
  // measures text as on a large page while drawing on a small image).
  CQtDeviceContext(QPainter& painter, const CDeviceCaps& caps);

  CDeviceCaps Caps() const override { return caps; }
  void SelectPen(const CPenSpec& pen) override;
  void SelectBrush(const CBrushSpec& brush) override;
  void SelectFont(const CFontSpec& font) override;
  void Polyline(const CDevicePoint* p, int n) override;
  void Rectangle(const CDeviceRect& r) override;
  void Ellipse(const CDeviceRect& r) override;
  void Text(CDevicePoint at, const std::string& text, int align, int angleDeg) override;
  void TextBox(const CDeviceRect& r, const std::string& text) override;
  CDeviceSize TextExtent(const std::string& text) override;
  CDeviceSize TextBoxExtent(int width, const std::string& text) override;
  void SetClip(const CDeviceRect& r) override;
  void ClearClip() override;

  static QColor Color(COLORREF c);

 private:
  void Init();
  // Lays out a text box, draws it at topLeft unless that is null, and gives its widest line
  // and its height.
  QSizeF LayoutBox(double width, const std::string& text, const QPointF* topLeft);

  QPainter& painter;
  CDeviceCaps caps;
  QFont font;
  bool raster = false;  // the device is made of pixels (an image, a pixmap, a widget)
  bool wide = false;    // the pen is solid and wider than one pixel
  int penWidth = 1;
};
