// CRunDialog: the modal dialog of a program run, with the command line, the fitter's progress
// (its cycle or iteration, S and sigma, the elapsed time), the program's console output as it
// arrives in a read-only text view, and Cancel.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <memory>

#include "RunProgress.h"

namespace Ui {
class RunDialog;
}

class CRunDialog : public QDialog {
  Q_OBJECT

 public:
  CRunDialog(const QString& commandLine, QWidget* parent);
  ~CRunDialog() override;

  // Appends console output (a chunk as it came, in the local 8-bit encoding).
  void AppendOutput(const QByteArray& chunk);
  // The text shown so far.
  QString Output() const;
  // The progress line above the output.
  QString ProgressText() const;
  // After Cancel: the button is disabled and the title says the run is being ended.
  void ShowCancelling();

 signals:
  void cancelRequested();

 protected:
  void reject() override;  // Esc and the window's close button cancel the run

 private:
  void ShowProgress();

  std::unique_ptr<Ui::RunDialog> ui;
  CRunProgress progress;
  QElapsedTimer clock;
  QTimer tick;  // the elapsed time goes on while the program prints nothing
};
