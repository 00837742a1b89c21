#include "ImportColumnsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

#include "QtText.h"
#include "ui_ImportColumnsDialog.h"

namespace {

// A line of the file as the dialog shows it: at most this many characters.
constexpr qsizetype kShownLineLength = 200;
// The lines of data shown after the header, and the most lines shown.
constexpr int kDataLinesShown = 5;
constexpr int kMostLinesShown = 60;

// The text of the first lines, CR LF read as LF.
QString FirstLines(const std::string& text, int count) {
  QStringList lines;
  std::size_t p = 0;
  while (p < text.size() && lines.size() < count) {
    std::size_t e = text.find('\n', p);
    if (e == std::string::npos) e = text.size();
    std::size_t end = e;
    if (end > p && text[end - 1] == '\r') --end;
    lines << Q(text.substr(p, end - p)).left(kShownLineLength);
    p = e + 1;
  }
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

CImportColumnsDialog::CImportColumnsDialog(const std::string& path, QWidget* parent) : CFormDialog(parent) {
  QFile file(Q(path));
  if (file.open(QIODevice::ReadOnly)) text = file.readAll().toStdString();
  ui->fileLabel->setText(Q(path));
  ui->firstLinesEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  connect(ui->delimiterCombo, &QComboBox::currentIndexChanged, this, &CImportColumnsDialog::FormatChanged);
  connect(ui->decimalCommaCheck, &QCheckBox::toggled, this, &CImportColumnsDialog::FormatChanged);
  connect(ui->xColumnSpin, &QSpinBox::valueChanged, this, &CImportColumnsDialog::ColumnChanged);
  connect(ui->yColumnSpin, &QSpinBox::valueChanged, this, &CImportColumnsDialog::ColumnChanged);
  Show({});
  // The first lines, and after a long header the first lines of data too.
  ui->firstLinesEdit->setPlainText(
      FirstLines(text, std::clamp(layout.headerLines + kDataLinesShown, kFirstLines, kMostLinesShown)));
}

CColumnChoice CImportColumnsDialog::Choice() const {
  CColumnChoice choice;
  choice.format = CColumnFormat{static_cast<ColumnDelimiter>(ui->delimiterCombo->currentIndex()),
                              ui->decimalCommaCheck->isEnabled() && ui->decimalCommaCheck->isChecked()};
  choice.xColumn = ui->xColumnSpin->value();
  choice.yColumn = ui->yColumnSpin->value();
  return choice;
}

std::optional<DataKind> CImportColumnsDialog::Kind() const {
  switch (ui->kindCombo->currentIndex()) {
    case 1: return DataKind::Diffraction;
    case 2: return DataKind::Spectroscopic;
    default: return std::nullopt;
  }
}

void CImportColumnsDialog::FormatChanged() {
  CColumnChoice choice = Choice();
  choice.xColumn = choice.yColumn = 0;
  Show(choice);
}

void CImportColumnsDialog::ColumnChanged() { Show(Choice()); }

void CImportColumnsDialog::Show(const CColumnChoice& choice) {
  layout = DetectColumns(text, choice);
  {
    const QSignalBlocker blocks[] = {QSignalBlocker(ui->delimiterCombo), QSignalBlocker(ui->decimalCommaCheck),
                                     QSignalBlocker(ui->xColumnSpin), QSignalBlocker(ui->yColumnSpin)};
    ui->delimiterCombo->setCurrentIndex(static_cast<int>(layout.format.delimiter));
    // A comma that separates fields is no decimal comma.
    ui->decimalCommaCheck->setEnabled(layout.format.delimiter != ColumnDelimiter::kComma);
    ui->decimalCommaCheck->setChecked(layout.format.decimalComma);
    if (layout.xColumn > 0) {
      ui->xColumnSpin->setValue(layout.xColumn);
      ui->yColumnSpin->setValue(layout.yColumn);
    }
  }
  auto column = [](int n, const std::string& name) {
    return name.empty() ? QString::number(n) : tr("%1 (\"%2\")").arg(n).arg(Q(name));
  };
  if (layout.points > 0)
    ui->resultLabel->setText(tr("Reads %1 points: X from column %2, Y from column %3; skips %4 rows without "
                                "numbers in them.")
                                 .arg(layout.points)
                                 .arg(column(layout.xColumn, layout.xName), column(layout.yColumn, layout.yName))
                                 .arg(layout.skippedRows));
  else
    ui->resultLabel->setText(tr("These columns hold no numbers: nothing to read."));
  ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(layout.points > 0);
}
