// CPeakSearchDialogView: the "Peak Search" dialog over the core's CPeakSearchDialog: the
// smoothing and threshold settings (the threshold with what it is measured from), the method
// and its noise factor, "Replace current peaks", a Search button and the list of the peaks
// found (or a line that says none was).
#pragma once

#include "FormDialog.h"

class CPeakSearchDialog;

namespace Ui {
class PeakSearchDialog;
}

class CPeakSearchDialogView : public CFormDialog<Ui::PeakSearchDialog> {
  Q_OBJECT
 public:
  CPeakSearchDialogView(CPeakSearchDialog& search, QWidget* parent);
  void accept() override;  // OK: the settings saved, the peaks of the last search added

 private:
  void Take();
  void OnSearch();
  void ShowMethod();  // the threshold's hint and the noise factor's field for the chosen method
  CPeakSearchDialog& search;
};
