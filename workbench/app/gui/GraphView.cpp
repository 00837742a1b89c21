#include "GraphView.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <cstdlib>

#include "BalimorDoc.h"
#include "GraphExport.h"
#include "GraphFrameArray.h"
#include "IniKeys.h"
#include "QtDeviceContext.h"
#include "QtText.h"
#include "RubberBand.h"

namespace {

const char* const kExportFilters[] = {QT_TRANSLATE_NOOP("CGraphView", "PNG Image (*.png)"),
                                      QT_TRANSLATE_NOOP("CGraphView", "SVG Drawing (*.svg)"),
                                      QT_TRANSLATE_NOOP("CGraphView", "PDF Document (*.pdf)")};
const char* const kExportSuffixes[] = {"png", "svg", "pdf"};

// A Qt font as a logical-font record: the character height in device pixels, negative.
CFontSpec SpecOf(const QFont& f, double pointsPerPixel) {
  const int pixels = f.pixelSize() > 0 ? f.pixelSize()
                                       : static_cast<int>(std::lround(f.pointSizeF() / pointsPerPixel));
  return {S(f.family()), -pixels, f.italic(), f.underline(), f.strikeOut()};
}

}  // namespace

CGraphView::CGraphView(CBalimorDoc& doc_, QWidget* parent) : QWidget(parent), doc(doc_) {
  setObjectName(QStringLiteral("GraphView"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(40, 40);
  const CFontSpec windowFont = SpecOf(QWidget::font(), PointsPerPixel());
  font = LoadViewFont(doc.Ini(), &windowFont, PointsPerPixel());
  fitFrame = doc.Ini().GetBool(ini::kFitFrameToWindow);
}

void CGraphView::SetFitFrameToWindow(bool on) {
  fitFrame = on;
  doc.Ini().WriteBool(ini::kFitFrameToWindow, on);
  update();
}

double CGraphView::PointsPerPixel() const { return PointsPerPixelOfDpi(logicalDpiY()); }

void CGraphView::PaintOn(QPainter& painter, bool fillPage) {
  CQtDeviceContext dc(painter);
  CDrawingSurface surface(dc);
  // The document is made ready before the paint, which only reads it; a paint asked for while
  // one is in progress is dropped by the painter, and leaves the document as it is.
  if (!CGraphPainter::Busy()) doc.PrepareDrawing();
  CGraphPainter graph(font);
  if (CGraphFrame* frame0 = doc.GetFrameArray()->GetFrame(0)) {
    if (fillPage) graph.frame0Position = graph.FillingPosition(doc, dc);
    shownFrame = graph.frame0Position.value_or(
        CFramePosition{frame0->position[0], frame0->position[1], frame0->position[2], frame0->position[3]});
  }
  graph.PaintDocument(doc, surface);
}

void CGraphView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  PaintOn(painter, fitFrame);
  if (dragging) {
    // The rubber band from the anchor to the pointer.
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(anchor, last).normalized());
  }
  if (++paints == 1) emit firstPainted();
}

void CGraphView::contextMenuEvent(QContextMenuEvent* event) {
  if (!contextMenu) return;
  // From the keyboard the menu opens 5 pixels inside the top-left corner.
  const QPoint at = event->reason() == QContextMenuEvent::Mouse ? event->globalPos() : mapToGlobal(QPoint(5, 5));
  contextMenu->popup(at);
}

void CGraphView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  if (dragging) {
    // A second press while dragging cancels the drag.
    dragging = false;
    update();
    return;
  }
  dragging = true;
  anchor = last = event->position().toPoint();
}

void CGraphView::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging) return;
  last = event->position().toPoint();
  update();
}

void CGraphView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging) return;
  dragging = false;
  last = event->position().toPoint();
  CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
  if (!frame) {
    update();
    return;
  }
  // The corners go through the surface as this widget measures it.
  QImage scratch(1, 1, QImage::Format_RGB32);
  QPainter painter(&scratch);
  CQtDeviceContext dc(painter, CDeviceCaps{static_cast<double>(widthMM()), static_cast<double>(heightMM()), width(),
                                           height()});
  const CDrawingSurface surface(dc);
  // The corners are read against the frame where the window showed it.
  CRubberBandZoom zoom;
  {
    const CFramePlacement shown(*frame, fitFrame ? std::optional(shownFrame) : std::nullopt);
    zoom = RubberBandZoom(surface, *frame, CDevicePoint{anchor.x(), anchor.y()}, CDevicePoint{last.x(), last.y()});
  }
  if (ApplyRubberBand(*frame, zoom))
    doc.UpdateAllViews();
  else
    update();
}

void CGraphView::OnSelectGraphFont() {
  const double ppp = PointsPerPixel();
  const CFontSpec current = ViewFontToDialog(font, ppp);
  QFont start(Q(current.face));
  if (current.height != 0) start.setPixelSize(std::abs(current.height));
  start.setItalic(current.italic);
  start.setUnderline(current.underline);
  start.setStrikeOut(current.strikeOut);
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, start, this, tr("Select Graph Font"));
  if (!ok) return;
  font = ViewFontFromDialog(SpecOf(chosen, ppp), ppp);
  SaveViewFont(doc.Ini(), font);
  update();
}

void CGraphView::OnExportGraph() {
  QStringList filters;
  for (const char* f : kExportFilters) filters << tr(f);
  QString selected = filters.first();
  QString path = QFileDialog::getSaveFileName(this, tr("Export Graph"), QString(),
                                              filters.join(QStringLiteral(";;")), &selected);
  if (path.isEmpty()) return;
  // A name without a picture extension takes the one of the chosen filter.
  if (GraphFileKindOf(S(path)) == GraphFileKind::kNone)
    path += QLatin1Char('.') + QString::fromLatin1(kExportSuffixes[std::max<qsizetype>(0, filters.indexOf(selected))]);
  QString error;
  if (!ExportTo(path, error)) QMessageBox::warning(this, tr("Export Graph"), error);
}

bool CGraphView::ExportTo(const QString& path, QString& error) {
  CGraphExportOptions options;
  options.font = font;
  std::string why;
  if (ExportGraph(doc, S(path), options, why)) return true;
  error = Q(why);
  return false;
}
