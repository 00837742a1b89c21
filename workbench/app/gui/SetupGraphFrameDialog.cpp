#include "SetupGraphFrameDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <array>

#include "BalimorDoc.h"
#include "DialogFields.h"
#include "ui_SetupGraphFrameDialog.h"

namespace {

std::array<NumberEdit, 4> PositionFields(Ui::SetupGraphFrameDialog& u, CBalimorDoc::GraphFrameSetup& v) {
  return {{{u.x0Edit, &v.x0}, {u.x1Edit, &v.x1}, {u.y0Edit, &v.y0}, {u.y1Edit, &v.y1}}};
}

}  // namespace

CSetupGraphFrameDialog::CSetupGraphFrameDialog(CBalimorDoc& doc_, QWidget* parent) : CFormDialog(parent), doc(doc_) {
  CBalimorDoc::GraphFrameSetup v = doc.GetGraphFrameSetup();
  ShowNumbers(PositionFields(*ui, v));
  ui->clipCheck->setChecked(v.clip);
}

void CSetupGraphFrameDialog::accept() {
  CBalimorDoc::GraphFrameSetup v = doc.GetGraphFrameSetup();
  ReadNumbers(PositionFields(*ui, v));
  v.clip = ui->clipCheck->isChecked();
  doc.StoreGraphFrameSetup(v);
  QDialog::accept();
}
