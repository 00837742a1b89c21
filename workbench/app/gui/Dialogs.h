// The dialogs of the workbench, each a Designer form over the core's values: "Peak Search"
// (CPeakSearchDialog), "Setup LSQ" (the setup form's run settings), "Setup GraphFrame",
// "Setup Scale" and "Setup Option" (the document's settings).
#pragma once

#include <QDialog>
#include <memory>

class CBalimorDoc;
class CPeakSearchDialog;
class CSetupForm;

namespace Ui {
class PeakSearchDialog;
class SetupLsqDialog;
class SetupGraphFrameDialog;
class SetupScaleDialog;
class SetupOptionDialog;
}  // namespace Ui

// Number fields of the dialogs: "%.15g" shown, read with the C library. A field that does not
// hold a number keeps `v` and gives false.
QString DialogNumber(double v);
bool ReadDialogNumber(const QString& text, double& v);
bool ReadDialogInt(const QString& text, int& v);

class CPeakSearchDialogView : public QDialog {
  Q_OBJECT
 public:
  CPeakSearchDialogView(CPeakSearchDialog& search, QWidget* parent);
  ~CPeakSearchDialogView() override;
  Ui::PeakSearchDialog& Widgets() { return *ui; }
  void accept() override;  // OK: the settings saved, the peaks of the last search added

 private:
  void Take();
  void OnSearch();
  CPeakSearchDialog& search;
  std::unique_ptr<Ui::PeakSearchDialog> ui;
};

class CSetupLsqDialog : public QDialog {
  Q_OBJECT
 public:
  CSetupLsqDialog(CSetupForm& form, QWidget* parent);
  ~CSetupLsqDialog() override;
  Ui::SetupLsqDialog& Widgets() { return *ui; }
  void accept() override;  // OK: the record takes the values, [SetupLSQ] is written

 private:
  CSetupForm& form;
  std::unique_ptr<Ui::SetupLsqDialog> ui;
};

class CSetupGraphFrameDialog : public QDialog {
  Q_OBJECT
 public:
  CSetupGraphFrameDialog(CBalimorDoc& doc, QWidget* parent);
  ~CSetupGraphFrameDialog() override;
  Ui::SetupGraphFrameDialog& Widgets() { return *ui; }
  void accept() override;

 private:
  CBalimorDoc& doc;
  std::unique_ptr<Ui::SetupGraphFrameDialog> ui;
};

class CSetupScaleDialog : public QDialog {
  Q_OBJECT
 public:
  CSetupScaleDialog(CBalimorDoc& doc, QWidget* parent);
  ~CSetupScaleDialog() override;
  Ui::SetupScaleDialog& Widgets() { return *ui; }
  void accept() override;

 private:
  CBalimorDoc& doc;
  std::unique_ptr<Ui::SetupScaleDialog> ui;
};

class CSetupOptionDialog : public QDialog {
  Q_OBJECT
 public:
  CSetupOptionDialog(CBalimorDoc& doc, QWidget* parent);
  ~CSetupOptionDialog() override;
  Ui::SetupOptionDialog& Widgets() { return *ui; }
  void accept() override;

 private:
  CBalimorDoc& doc;
  std::unique_ptr<Ui::SetupOptionDialog> ui;
};
