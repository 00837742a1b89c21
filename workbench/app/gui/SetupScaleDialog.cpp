#include "SetupScaleDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <array>

#include "BalimorDoc.h"
#include "DialogFields.h"
#include "ui_SetupScaleDialog.h"

namespace {

std::array<NumberEdit, 4> LimitFields(Ui::SetupScaleDialog& u, CBalimorDoc::ScaleSetup& v) {
  return {{{u.xFromEdit, &v.xFrom}, {u.xToEdit, &v.xTo}, {u.yFromEdit, &v.yFrom}, {u.yToEdit, &v.yTo}}};
}

}  // namespace

CSetupScaleDialog::CSetupScaleDialog(CBalimorDoc& doc_, QWidget* parent) : CFormDialog(parent), doc(doc_) {
  CBalimorDoc::ScaleSetup v;
  doc.GetScaleSetup(v);
  ShowNumbers(LimitFields(*ui, v));
  ui->xReverseCheck->setChecked(v.xReverse);
  ui->yReverseCheck->setChecked(v.yReverse);
}

void CSetupScaleDialog::accept() {
  CBalimorDoc::ScaleSetup v;
  doc.GetScaleSetup(v);
  ReadNumbers(LimitFields(*ui, v));
  v.xReverse = ui->xReverseCheck->isChecked();
  v.yReverse = ui->yReverseCheck->isChecked();
  doc.StoreScaleSetup(v);
  QDialog::accept();
}
