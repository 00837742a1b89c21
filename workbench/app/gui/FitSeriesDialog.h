// CFitSeriesDialog: "Fit Series...": a series of scans fitted one after another (chained) or
// each from the current job, the summary written to a CSV file. The files are chosen with a
// multiple selection, the current document's job is the starting job. While the series runs a
// progress dialog with Cancel is up and the window goes on responding (the fits run beside the
// user-interface thread); at the end the trend picture is shown (CSeriesTrendDialog).
#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

#include "SeriesFile.h"

class CBalimorDoc;
class CSetupForm;
class CSeriesTrendDialog;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class CFitSeriesDialog : public QDialog {
  Q_OBJECT
 public:
  CFitSeriesDialog(CBalimorDoc& doc, CSetupForm& form, QWidget* parent);
  ~CFitSeriesDialog() override;

  void SetFiles(const QStringList& files);
  // "Fit": checks the choices, runs the series and shows the trend; the dialog stays open.
  void accept() override;
  // Runs the series as chosen; false (after a message) when the choices cannot be carried out.
  bool Run();

  // The widgets, for the window tests.
  QListWidget* fileList = nullptr;
  QPushButton* chooseFiles = nullptr;
  QRadioButton* chain = nullptr;
  QRadioButton* fromJob = nullptr;
  QLineEdit* csvPath = nullptr;
  QPushButton* chooseCsv = nullptr;

  // What the last run gave: the writing's outcome, whether it was cancelled, the trend dialog.
  CSeriesWriteResult lastResult;
  bool lastCancelled = false;
  int lastScans = 0;
  CSeriesTrendDialog* trend = nullptr;

 private:
  CBalimorDoc& doc;
  CSetupForm& form;
};
