#include "SetupLsqDialog.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "DialogFields.h"
#include "QtText.h"
#include "SetupForm.h"
#include "ui_SetupLsqDialog.h"

CSetupLsqDialog::CSetupLsqDialog(CSetupForm& form_, QWidget* parent) : CFormDialog(parent), form(form_) {
  ui->dampingLabel->setBuddy(ui->dampingEdit);
  const CSetupLsqValues v = form.SetupLsqValues();
  ui->xrdEdit->setText(Q(v.xrdProgram));
  ui->ramanEdit->setText(Q(v.ramanProgram));
  ui->maxIterationEdit->setText(QString::number(v.maxIteration));
  ui->convergenceEdit->setText(DialogNumber(v.eps));
  ui->dampingEdit->setText(DialogNumber(v.dampingFactor));
  ui->iPrtSpin->setValue(v.iPrt);
  ui->iPrtIntervalSpin->setValue(v.iPrtIntvl);
  for (const char* m : kFitMethods) ui->methodCombo->addItem(QString::fromLatin1(m));
  // A method the list does not know is kept as it is.
  if (ui->methodCombo->findText(Q(v.method)) < 0) ui->methodCombo->addItem(Q(v.method));
  ui->methodCombo->setCurrentText(Q(v.method));
  auto choose = [this](std::string& path) { return form.ChooseProgram(path); };
  ConnectPathButton(ui->xrdPathButton, ui->xrdEdit, choose);
  ConnectPathButton(ui->ramanPathButton, ui->ramanEdit, choose);
}

void CSetupLsqDialog::accept() {
  CSetupLsqValues v = form.SetupLsqValues();
  v.xrdProgram = S(ui->xrdEdit->text().trimmed());
  v.ramanProgram = S(ui->ramanEdit->text().trimmed());
  ReadDialogInt(ui->maxIterationEdit->text(), v.maxIteration);
  ReadDialogNumber(ui->convergenceEdit->text(), v.eps);
  ReadDialogNumber(ui->dampingEdit->text(), v.dampingFactor);
  v.iPrt = ui->iPrtSpin->value();
  v.iPrtIntvl = ui->iPrtIntervalSpin->value();
  v.method = S(ui->methodCombo->currentText());
  form.StoreSetupLsq(v);
  QDialog::accept();
}
