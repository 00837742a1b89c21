// CSetupOptionDialog: the "Setup Option" dialog, the external text editor and its "Path" button.
#pragma once

#include "FormDialog.h"

class CBalimorDoc;

namespace Ui {
class SetupOptionDialog;
}

class CSetupOptionDialog : public CFormDialog<Ui::SetupOptionDialog> {
  Q_OBJECT
 public:
  CSetupOptionDialog(CBalimorDoc& doc, QWidget* parent);
  void accept() override;  // OK: [Preferences] Editor takes the field

 private:
  CBalimorDoc& doc;
};
