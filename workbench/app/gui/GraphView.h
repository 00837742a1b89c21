// CGraphView: the graph pane (upper right). It draws the document's frames and the fitted
// model, offers the context menu of the view commands and the graph font.
#pragma once

#include <QWidget>

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
  // Paints frames and model as the screen shows them; the count of paints so far.
  int PaintCount() const { return paints; }

  // The paint sequence on any painter (the window, the printer).
  void PaintOn(QPainter& painter);
  // "Select Graph Font" and "Export Graph...".
  void OnSelectGraphFont();
  void OnExportGraph();

 signals:
  void firstPainted();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  CBalimorDoc& doc;
  QMenu* contextMenu = nullptr;
  int paints = 0;
};
