// CPeakSearchDialogView: the "Peak Search" dialog over the core's CPeakSearchDialog: the
// smoothing and threshold settings, a Search button and the list of the peaks found.
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
  CPeakSearchDialog& search;
};
