#include "Dialogs.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>

#include "BalimorDoc.h"
#include "PeakSearchDialog.h"
#include "QtText.h"
#include "SetupForm.h"
#include "ui_PeakSearchDialog.h"
#include "ui_SetupGraphFrameDialog.h"
#include "ui_SetupLsqDialog.h"
#include "ui_SetupOptionDialog.h"
#include "ui_SetupScaleDialog.h"

QString DialogNumber(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", v);
  return QString::fromLatin1(text);
}

bool ReadDialogNumber(const QString& text, double& v) {
  const QByteArray bytes = text.trimmed().toLatin1();
  if (bytes.isEmpty()) return false;
  char* end = nullptr;
  const double d = std::strtod(bytes.constData(), &end);
  if (end != bytes.constData() + bytes.size()) return false;
  v = d;
  return true;
}

bool ReadDialogInt(const QString& text, int& v) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok);
  if (ok) v = n;
  return ok;
}

CPeakSearchDialogView::CPeakSearchDialogView(CPeakSearchDialog& search_, QWidget* parent)
    : QDialog(parent), search(search_), ui(new Ui::PeakSearchDialog) {
  ui->setupUi(this);
  ui->nSmoothLabel->setBuddy(ui->nSmoothEdit);
  ui->thresholdLabel->setBuddy(ui->thresholdEdit);
  ui->nSmoothEdit->setText(QString::number(search.nSmooth));
  ui->thresholdEdit->setText(DialogNumber(search.threshold));
  ui->resultList->setFont(QFont(QStringLiteral("Monospace")));
  connect(ui->searchButton, &QPushButton::clicked, this, &CPeakSearchDialogView::OnSearch);
}

CPeakSearchDialogView::~CPeakSearchDialogView() = default;

void CPeakSearchDialogView::Take() {
  ReadDialogInt(ui->nSmoothEdit->text(), search.nSmooth);
  ReadDialogNumber(ui->thresholdEdit->text(), search.threshold);
}

void CPeakSearchDialogView::OnSearch() {
  Take();
  search.OnSearch();
  ui->resultList->clear();
  for (const std::string& line : search.list) ui->resultList->addItem(Q(line));
}

void CPeakSearchDialogView::accept() {
  Take();
  search.OnOK();
  QDialog::accept();
}

CSetupLsqDialog::CSetupLsqDialog(CSetupForm& form_, QWidget* parent)
    : QDialog(parent), form(form_), ui(new Ui::SetupLsqDialog) {
  ui->setupUi(this);
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
  auto choose = [this](QLineEdit* edit) {
    std::string path = S(edit->text());
    if (form.ChooseProgram(path)) edit->setText(Q(path));
  };
  connect(ui->xrdPathButton, &QPushButton::clicked, this, [this, choose] { choose(ui->xrdEdit); });
  connect(ui->ramanPathButton, &QPushButton::clicked, this, [this, choose] { choose(ui->ramanEdit); });
}

CSetupLsqDialog::~CSetupLsqDialog() = default;

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

CSetupGraphFrameDialog::CSetupGraphFrameDialog(CBalimorDoc& doc_, QWidget* parent)
    : QDialog(parent), doc(doc_), ui(new Ui::SetupGraphFrameDialog) {
  ui->setupUi(this);
  const CBalimorDoc::GraphFrameSetup v = doc.GetGraphFrameSetup();
  ui->x0Edit->setText(DialogNumber(v.x0));
  ui->x1Edit->setText(DialogNumber(v.x1));
  ui->y0Edit->setText(DialogNumber(v.y0));
  ui->y1Edit->setText(DialogNumber(v.y1));
  ui->clipCheck->setChecked(v.clip);
}

CSetupGraphFrameDialog::~CSetupGraphFrameDialog() = default;

void CSetupGraphFrameDialog::accept() {
  CBalimorDoc::GraphFrameSetup v = doc.GetGraphFrameSetup();
  ReadDialogNumber(ui->x0Edit->text(), v.x0);
  ReadDialogNumber(ui->x1Edit->text(), v.x1);
  ReadDialogNumber(ui->y0Edit->text(), v.y0);
  ReadDialogNumber(ui->y1Edit->text(), v.y1);
  v.clip = ui->clipCheck->isChecked();
  doc.StoreGraphFrameSetup(v);
  QDialog::accept();
}

CSetupScaleDialog::CSetupScaleDialog(CBalimorDoc& doc_, QWidget* parent)
    : QDialog(parent), doc(doc_), ui(new Ui::SetupScaleDialog) {
  ui->setupUi(this);
  CBalimorDoc::ScaleSetup v;
  doc.GetScaleSetup(v);
  ui->xFromEdit->setText(DialogNumber(v.xFrom));
  ui->xToEdit->setText(DialogNumber(v.xTo));
  ui->yFromEdit->setText(DialogNumber(v.yFrom));
  ui->yToEdit->setText(DialogNumber(v.yTo));
  ui->xReverseCheck->setChecked(v.xReverse);
  ui->yReverseCheck->setChecked(v.yReverse);
}

CSetupScaleDialog::~CSetupScaleDialog() = default;

void CSetupScaleDialog::accept() {
  CBalimorDoc::ScaleSetup v;
  doc.GetScaleSetup(v);
  ReadDialogNumber(ui->xFromEdit->text(), v.xFrom);
  ReadDialogNumber(ui->xToEdit->text(), v.xTo);
  ReadDialogNumber(ui->yFromEdit->text(), v.yFrom);
  ReadDialogNumber(ui->yToEdit->text(), v.yTo);
  v.xReverse = ui->xReverseCheck->isChecked();
  v.yReverse = ui->yReverseCheck->isChecked();
  doc.StoreScaleSetup(v);
  QDialog::accept();
}

CSetupOptionDialog::CSetupOptionDialog(CBalimorDoc& doc_, QWidget* parent)
    : QDialog(parent), doc(doc_), ui(new Ui::SetupOptionDialog) {
  ui->setupUi(this);
  ui->editorLabel->setBuddy(ui->editorEdit);
  ui->editorEdit->setText(Q(doc.EditorSetting()));
  connect(ui->pathButton, &QPushButton::clicked, this, [this] {
    std::string path = S(ui->editorEdit->text());
    if (doc.ChooseEditorProgram(path)) ui->editorEdit->setText(Q(path));
  });
}

CSetupOptionDialog::~CSetupOptionDialog() = default;

void CSetupOptionDialog::accept() {
  doc.StoreEditorSetting(S(ui->editorEdit->text().trimmed()));
  QDialog::accept();
}
