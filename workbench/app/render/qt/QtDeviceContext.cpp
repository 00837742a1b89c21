#include "QtDeviceContext.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPen>
#include <QTextLayout>
#include <QTextOption>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

QString ToQString(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

QRectF Normalised(const CDeviceRect& r) {
  const int l = std::min(r.left, r.right), t = std::min(r.top, r.bottom);
  return QRectF(l, t, std::abs(r.right - r.left), std::abs(r.bottom - r.top));
}

Qt::PenStyle PenStyleOf(int style) {
  switch (style) {
    case kPenDash: return Qt::DashLine;
    case kPenDot: return Qt::DotLine;
    case kPenDashDot: return Qt::DashDotLine;
    case kPenDashDotDot: return Qt::DashDotDotLine;
    case kPenNull: return Qt::NoPen;
    default: return Qt::SolidLine;
  }
}

Qt::BrushStyle HatchOf(int hatch) {
  switch (hatch) {
    case kHatchHorizontal: return Qt::HorPattern;
    case kHatchVertical: return Qt::VerPattern;
    case kHatchFDiagonal: return Qt::FDiagPattern;
    case kHatchBDiagonal: return Qt::BDiagPattern;
    case kHatchCross: return Qt::CrossPattern;
    case kHatchDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
  }
}

// The widest pen drawn on pixel devices as thin lines side by side.
constexpr int kThinLinesUpTo = 8;

// Tab stops every eight average characters.
constexpr int kTabCharacters = 8;

}  // namespace

QColor CQtDeviceContext::Color(COLORREF c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

CQtDeviceContext::CQtDeviceContext(QPainter& p) : painter(p) {
  const QPaintDevice* d = p.device();
  if (d) caps = {static_cast<double>(d->widthMM()), static_cast<double>(d->heightMM()), d->width(), d->height()};
  Init();
}

CQtDeviceContext::CQtDeviceContext(QPainter& p, double widthMm, double heightMm) : painter(p) {
  const QPaintDevice* d = p.device();
  caps = {widthMm, heightMm, d ? d->width() : 0, d ? d->height() : 0};
  Init();
}

CQtDeviceContext::CQtDeviceContext(QPainter& p, const CDeviceCaps& c) : painter(p), caps(c) { Init(); }

void CQtDeviceContext::Init() {
  const QPaintDevice* d = painter.device();
  const int type = d ? d->devType() : 0;
  raster = type == QInternal::Image || type == QInternal::Pixmap || type == QInternal::Widget;
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  font = painter.font();
}

void CQtDeviceContext::SelectPen(const CPenSpec& pen) {
  QPen q(Color(pen.color));
  q.setStyle(PenStyleOf(pen.style));
  // Solid pens wider than a pixel, up to the width laid out of thin lines.
  wide = pen.width > 1 && pen.width <= kThinLinesUpTo && (pen.style == kPenSolid || pen.style == kPenInsideFrame);
  penWidth = pen.width;
  if (pen.width <= 1) {
    q.setWidth(0);  // one pixel, whatever the transform
    q.setCosmetic(true);
  } else {
    q.setWidth(pen.width);
    q.setCapStyle(Qt::RoundCap);
    q.setJoinStyle(Qt::RoundJoin);
  }
  painter.setPen(q);
}

void CQtDeviceContext::SelectBrush(const CBrushSpec& brush) {
  if (brush.style == kBrushHollow) {
    painter.setBrush(Qt::NoBrush);
  } else if (brush.style == kBrushHatched) {
    painter.setBrush(QBrush(Color(brush.color), HatchOf(brush.hatch)));
  } else {
    painter.setBrush(QBrush(Color(brush.color)));
  }
}

void CQtDeviceContext::SelectFont(const CFontSpec& f) {
  QFont q(ToQString(f.face));
  if (f.height != 0) q.setPixelSize(std::max(1, std::abs(f.height)));
  q.setItalic(f.italic);
  q.setUnderline(f.underline);
  q.setStrikeOut(f.strikeOut);
  font = q;
  painter.setFont(font);
}

void CQtDeviceContext::Polyline(const CDevicePoint* p, int n) {
  if (n < 2) return;
  QVarLengthArray<QPoint, 512> pts(n);
  for (int i = 0; i < n; ++i) pts[i] = QPoint(p[i].x, p[i].y);
  if (wide && raster) {
    // Qt strokes a wide pen as one outline, whose filling for the zigzag of a dense curve
    // costs far more than the curve itself. On a pixel device the same pixels come from
    // one-pixel lines laid side by side over the pen's round tip; a vector file keeps the
    // pen as it is.
    const QPen pen = painter.pen();
    QPen thin(pen.color());
    thin.setWidth(0);
    thin.setCosmetic(true);
    painter.setPen(thin);
    const int w = penWidth, r0 = (w - 1) / 2;
    const double c = (w - 1) / 2.0, reach = w / 2.0 + 0.25;  // centre and radius of the tip
    QVarLengthArray<QPoint, 512> shifted(n);
    for (int dy = -r0; dy <= w - 1 - r0; ++dy) {
      for (int dx = -r0; dx <= w - 1 - r0; ++dx) {
        if (w > 3 && (dx + r0 - c) * (dx + r0 - c) + (dy + r0 - c) * (dy + r0 - c) > reach * reach) continue;
        for (int i = 0; i < n; ++i) shifted[i] = pts[i] + QPoint(dx, dy);
        painter.drawPolyline(shifted.data(), n);
      }
    }
    painter.setPen(pen);
    return;
  }
  painter.drawPolyline(pts.data(), n);
}

void CQtDeviceContext::Rectangle(const CDeviceRect& r) { painter.drawRect(Normalised(r)); }

void CQtDeviceContext::Ellipse(const CDeviceRect& r) { painter.drawEllipse(Normalised(r)); }

void CQtDeviceContext::Text(CDevicePoint at, const std::string& text, int align, int angleDeg) {
  if (text.empty()) return;
  const QString s = ToQString(text);
  const QFontMetricsF fm(font, painter.device());
  const double w = fm.horizontalAdvance(s), h = fm.height();
  const double dx = (align & kAlignHCenter) ? -w / 2 : (align & kAlignRight) ? -w : 0;
  double dy = 0;  // top of the line
  if (align & kAlignVCenter) dy = -h / 2;
  else if (align & kAlignBottom) dy = -h;
  else if (align & kAlignBaseline) dy = -fm.ascent();
  const QPen pen = painter.pen();
  painter.save();
  painter.setPen(QColor(Qt::black));
  painter.translate(at.x, at.y);
  if (angleDeg != 0) painter.rotate(-angleDeg);
  painter.drawText(QPointF(dx, dy + fm.ascent()), s);
  painter.restore();
  painter.setPen(pen);
}

QSizeF CQtDeviceContext::LayoutBox(double width, const std::string& text, const QPointF* topLeft) {
  QString s = ToQString(text);
  s.replace(QLatin1Char('\n'), QChar::LineSeparator);
  QTextLayout layout(s, font, painter.device());
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  const QFontMetricsF fm(font, painter.device());
  option.setTabStopDistance(kTabCharacters * fm.averageCharWidth());
  layout.setTextOption(option);
  layout.beginLayout();
  double y = 0, widest = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    line.setPosition(QPointF(0, y));
    y += line.height();
    widest = std::max(widest, line.naturalTextWidth());
  }
  layout.endLayout();
  if (topLeft) {
    painter.save();
    painter.setPen(QColor(Qt::black));
    layout.draw(&painter, *topLeft);
    painter.restore();
  }
  return QSizeF(widest, y);
}

void CQtDeviceContext::TextBox(const CDeviceRect& r, const std::string& text) {
  if (text.empty()) return;
  const QRectF box = Normalised(r);
  const QPointF topLeft = box.topLeft();
  LayoutBox(box.width(), text, &topLeft);
}

CDeviceSize CQtDeviceContext::TextExtent(const std::string& text) {
  const QFontMetricsF fm(font, painter.device());
  return {static_cast<int>(std::ceil(fm.horizontalAdvance(ToQString(text)))),
          static_cast<int>(std::ceil(fm.height()))};
}

CDeviceSize CQtDeviceContext::TextBoxExtent(int width, const std::string& text) {
  if (text.empty()) return {};
  const QSizeF s = LayoutBox(width, text, nullptr);
  return {static_cast<int>(std::ceil(s.width())), static_cast<int>(std::ceil(s.height()))};
}

void CQtDeviceContext::SetClip(const CDeviceRect& r) {
  const int l = std::min(r.left, r.right), t = std::min(r.top, r.bottom);
  // The right and bottom edges belong to the frame too.
  painter.setClipRect(QRect(l, t, std::abs(r.right - r.left) + 1, std::abs(r.bottom - r.top) + 1));
}

void CQtDeviceContext::ClearClip() { painter.setClipping(false); }
