#include "PeakSearchDialogView.h"

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
  ui->resultList->setFont(QFont(QStringLiteral("Monospace")));
  connect(ui->searchButton, &QPushButton::clicked, this, &CPeakSearchDialogView::OnSearch);
}

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
