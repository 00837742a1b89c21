// CRunDialog: the modal dialog of a program run, with the command line, the program's console
// output as it arrives in a read-only text view, and Cancel.
#pragma once

#include <QDialog>
#include <memory>

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
  // After Cancel: the button is disabled and the title says the run is being ended.
  void ShowCancelling();

 signals:
  void cancelRequested();

 protected:
  void reject() override;  // Esc and the window's close button cancel the run

 private:
  std::unique_ptr<Ui::RunDialog> ui;
};
