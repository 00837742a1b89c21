// CSetupBalimorView: the setup form, the left pane of the workbench. A Designer form bound to
// CSetupForm: the widgets show the form's values, hand typed values back to it and forward
// every click; the form does the work. Field edits take effect as they are typed.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "SetupForm.h"

class CBalimorDoc;
class QCheckBox;
class QLineEdit;

namespace Ui {
class SetupBalimorView;
}

class CSetupBalimorView : public QWidget, public ISetupFormView {
  Q_OBJECT

 public:
  CSetupBalimorView(CBalimorDoc& doc, QWidget* parent = nullptr);
  // Writes the form's settings back to [LSQ].
  ~CSetupBalimorView() override;

  CSetupForm& Form() { return form; }
  Ui::SetupBalimorView& Widgets() { return *ui; }

  // ISetupFormView.
  void TakeValues() override;
  void ShowValues() override;
  void SetWaitCursor(bool on) override;

  // The buttons that open dialogs.
  void OnPeakSearch();
  void OnSetupLsq();

 private:
  // One number field bound to a value of the form; `field` is its spin and typing coupling
  // (-1 for a field without).
  struct NumberField {
    QLineEdit* edit;
    double* value;
    int field;
    bool appliesAtOnce;  // a typed value is applied (and redrawn) as it is typed
  };
  struct Flag {
    QCheckBox* box;
    bool* value;
  };
  void Bind();
  void OnTyped(const NumberField& f);

  CBalimorDoc& doc;
  CSetupForm form;
  std::unique_ptr<Ui::SetupBalimorView> ui;
  std::vector<NumberField> numbers;
  std::vector<Flag> flags;
  QLineEdit* editing = nullptr;  // the field being typed into, left alone by ShowValues
  bool showing = false;
};
