#include "GraphView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>

#include "BalimorDoc.h"

CGraphView::CGraphView(CBalimorDoc& doc_, QWidget* parent) : QWidget(parent), doc(doc_) {
  setObjectName(QStringLiteral("GraphView"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setMinimumSize(40, 40);
}

void CGraphView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (++paints == 1) emit firstPainted();
}

void CGraphView::contextMenuEvent(QContextMenuEvent* event) {
  if (!contextMenu) return;
  // From the keyboard the menu opens 5 pixels inside the top-left corner.
  const QPoint at = event->reason() == QContextMenuEvent::Mouse ? event->globalPos() : mapToGlobal(QPoint(5, 5));
  contextMenu->popup(at);
}

void CGraphView::PaintOn(QPainter&) {}

void CGraphView::OnSelectGraphFont() {}

void CGraphView::OnExportGraph() {}
