// CGraphView: the graph pane (upper right). It draws the document's frames and the fitted
// model through the renderer's paint sequence, zooms frame 0 to a rectangle dragged with the
// left button, offers the context menu of the view commands, the graph font, printing and
// export of the graph as a picture file. With "Fit Frame to Window" on, the window shows frame
// 0 at the size that fills the pane (at every paint, so every resize); the frame keeps its own
// position, with which it is printed and exported.
#pragma once

#include <QPoint>
#include <QWidget>
#include <optional>

#include "GraphPainter.h"
#include "ViewFont.h"

class CBalimorDoc;
class QMenu;
class QPainter;

class CGraphView : public QWidget {
  Q_OBJECT

 public:
  CGraphView(CBalimorDoc& doc, QWidget* parent = nullptr);

  // The popup of "&Redraw", "&Change View Scale" and "Re&store View Scale".
  void SetContextMenu(QMenu* menu) { contextMenu = menu; }
  QMenu* ContextMenu() const { return contextMenu; }
  int PaintCount() const { return paints; }
  const CViewFont& Font() const { return font; }

  // The document made ready for drawing, then the paint sequence on any painter (the window,
  // the printer, the print preview); with fillPage, frame 0 fills the painter's page.
  void PaintOn(QPainter& painter, bool fillPage = false);
  // "Fit Frame to Window", remembered in [GraphView] FitFrameToWindow.
  bool FitFrameToWindow() const { return fitFrame; }
  void SetFitFrameToWindow(bool on);
  // Where the window showed frame 0 at its last paint: the frame's own position, or the one
  // that filled the pane.
  CFramePosition ShownFramePosition() const { return shownFrame; }
  // "Select Graph Font": the font dialog; on OK the choice goes to [GraphView].
  void OnSelectGraphFont();
  // "Export Graph...": the graph as a PNG image, an SVG drawing or a PDF page, chosen by the
  // file's extension. ExportTo writes one without a dialog: false, with the reason, on failure.
  void OnExportGraph();
  bool ExportTo(const QString& path, QString& error);

 signals:
  void firstPainted();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  double PointsPerPixel() const;

  CBalimorDoc& doc;
  CViewFont font;
  bool fitFrame = false;
  CFramePosition shownFrame{};
  QMenu* contextMenu = nullptr;
  int paints = 0;
  // The rubber band: dragging, its anchor and its last point (widget pixels).
  bool dragging = false;
  QPoint anchor, last;
};
