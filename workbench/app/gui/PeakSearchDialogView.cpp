#include "PeakSearchDialogView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "DialogFields.h"
#include "PeakSearchDialog.h"
#include "QtText.h"
#include "ui_PeakSearchDialog.h"

CPeakSearchDialogView::CPeakSearchDialogView(CPeakSearchDialog& search_, QWidget* parent)
    : CFormDialog(parent), search(search_) {
  ui->nSmoothLabel->setBuddy(ui->nSmoothEdit);
  ui->thresholdLabel->setBuddy(ui->thresholdEdit);
  ui->nSmoothEdit->setText(QString::number(search.nSmooth));
  ui->thresholdEdit->setText(DialogNumber(search.threshold));
  ui->methodLabel->setBuddy(ui->methodBox);
  ui->noiseLabel->setBuddy(ui->noiseEdit);
  ui->methodBox->setCurrentIndex(search.method == PeakSearchMethod::Prominence ? 1 : 0);
  ui->noiseEdit->setText(DialogNumber(search.noiseFactor));
  ui->replaceBox->setChecked(search.replacePeaks);
  ui->resultList->setFont(QFont(QStringLiteral("Monospace")));
  ShowMethod();
  connect(ui->searchButton, &QPushButton::clicked, this, &CPeakSearchDialogView::OnSearch);
  connect(ui->methodBox, &QComboBox::currentIndexChanged, this, &CPeakSearchDialogView::ShowMethod);
}

void CPeakSearchDialogView::ShowMethod() {
  const bool prominence = ui->methodBox->currentIndex() == 1;
  const QString unit = search.yLabel.empty() ? tr("the data's Y unit") : Q(search.yLabel);
  ui->thresholdHint->setText(prominence ? tr("least prominence: height above the higher of the two lowest points "
                                             "beside the peak (%1), and above k times the noise")
                                              .arg(unit)
                                        : tr("height above the lowest point in the range (%1)").arg(unit));
  ui->noiseEdit->setEnabled(prominence);
}

void CPeakSearchDialogView::Take() {
  ReadDialogInt(ui->nSmoothEdit->text(), search.nSmooth);
  ReadDialogNumber(ui->thresholdEdit->text(), search.threshold);
  search.method = ui->methodBox->currentIndex() == 1 ? PeakSearchMethod::Prominence : PeakSearchMethod::Slope;
  ReadDialogNumber(ui->noiseEdit->text(), search.noiseFactor);
  search.replacePeaks = ui->replaceBox->isChecked();
}

void CPeakSearchDialogView::OnSearch() {
  Take();
  search.OnSearch();
  ui->resultList->clear();
  for (const std::string& line : search.list) ui->resultList->addItem(Q(line));
  if (search.found.peakCount == 0)
    ui->resultList->addItem(tr("No peak found: lower the threshold or widen the output range."));
}

void CPeakSearchDialogView::accept() {
  Take();
  search.OnOK();
  QDialog::accept();
}
