// CSetupScaleDialog: the "Setup Scale" dialog, the limits of frame 0 on X and Y and whether
// each axis runs reversed.
#pragma once

#include "FormDialog.h"

class CBalimorDoc;

namespace Ui {
class SetupScaleDialog;
}

class CSetupScaleDialog : public CFormDialog<Ui::SetupScaleDialog> {
  Q_OBJECT
 public:
  CSetupScaleDialog(CBalimorDoc& doc, QWidget* parent);
  void accept() override;  // OK: frame 0 takes the limits and the reverse flags

 private:
  CBalimorDoc& doc;
};
