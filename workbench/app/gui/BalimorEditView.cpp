#include "BalimorEditView.h"

#include <QFontDialog>
#include <cmath>

#include "QtText.h"
#include "ViewSettings.h"

CBalimorEditView::CBalimorEditView(CIniFile& ini_, QWidget* parent) : QTextEdit(parent), ini(ini_) {
  setObjectName(QStringLiteral("ReportView"));
  setAcceptRichText(false);
  setLineWrapMode(QTextEdit::NoWrap);
  const CFontRecord record = LoadEditorFont(ini);
  fontRecord = font();
  if (!record.face.empty()) {
    fontRecord = QFont(Q(record.face));
    // A logical-font height: its magnitude is the character height in device pixels; 0 keeps
    // the face's default size.
    if (record.height != 0) fontRecord.setPixelSize(std::abs(record.height));
  }
  ApplyFontRecord();
}

void CBalimorEditView::SetReport(const std::string& text) {
  QString t = Q(text);
  t.remove(QLatin1Char('\r'));
  setPlainText(t);
}

void CBalimorEditView::OnSelectEditorFont() {
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, fontRecord, this, tr("Select Editor Font"));
  if (ok) {
    fontRecord = chosen;
    const int pixels = chosen.pixelSize() > 0
                           ? chosen.pixelSize()
                           : static_cast<int>(std::lround(chosen.pointSizeF() * logicalDpiY() / 72.0));
    SaveEditorFont(ini, {S(chosen.family()), -pixels});
  }
  ApplyFontRecord();
}

void CBalimorEditView::ApplyFontRecord() {
  setFont(fontRecord);
  document()->setDefaultFont(fontRecord);
  viewport()->update();
}
