#include "RunDialog.h"

#include <QFontDatabase>
#include <QPushButton>
#include <QScrollBar>

#include "ui_RunDialog.h"

CRunDialog::CRunDialog(const QString& commandLine, QWidget* parent)
    : QDialog(parent), ui(new Ui::RunDialog) {
  ui->setupUi(this);
  ui->commandLabel->setText(commandLine);
  ui->output->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Fitters print thousands of lines on long runs; the view keeps the recent ones.
  ui->output->setMaximumBlockCount(20000);
  QFont bold = ui->progressLabel->font();
  bold.setBold(true);
  ui->progressLabel->setFont(bold);
  connect(ui->cancelButton, &QPushButton::clicked, this, &CRunDialog::reject);
  clock.start();
  connect(&tick, &QTimer::timeout, this, &CRunDialog::ShowProgress);
  tick.start(1000);
  ShowProgress();
}

CRunDialog::~CRunDialog() = default;

void CRunDialog::AppendOutput(const QByteArray& chunk) {
  QString text = QString::fromLocal8Bit(chunk);
  text.remove(QLatin1Char('\r'));
  QScrollBar* bar = ui->output->verticalScrollBar();
  const bool atEnd = bar->value() == bar->maximum();
  ui->output->moveCursor(QTextCursor::End);
  ui->output->insertPlainText(text);
  if (atEnd) bar->setValue(bar->maximum());
  progress.Feed(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())));
  ShowProgress();
}

QString CRunDialog::Output() const { return ui->output->toPlainText(); }

QString CRunDialog::ProgressText() const { return ui->progressLabel->text(); }

void CRunDialog::ShowProgress() {
  ui->progressLabel->setText(QString::fromStdString(progress.Line(clock.elapsed() / 1000.0)));
}

void CRunDialog::ShowCancelling() {
  ui->cancelButton->setEnabled(false);
  setWindowTitle(tr("Cancelling..."));
}

void CRunDialog::reject() { emit cancelRequested(); }
