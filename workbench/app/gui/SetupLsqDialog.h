// CSetupLsqDialog: the "Setup LSQ" dialog, the setup form's fitting-program settings: the two
// programs, the iteration limit, convergence and damping, the print switches and the method.
#pragma once

#include "FormDialog.h"

class CSetupForm;

namespace Ui {
class SetupLsqDialog;
}

class CSetupLsqDialog : public CFormDialog<Ui::SetupLsqDialog> {
  Q_OBJECT
 public:
  CSetupLsqDialog(CSetupForm& form, QWidget* parent);
  void accept() override;  // OK: the record takes the values, [SetupLSQ] is written

 private:
  CSetupForm& form;
};
