// CSetupGraphFrameDialog: the "Setup GraphFrame" dialog, the position of frame 0 and whether
// curves are clipped to their frames.
#pragma once

#include "FormDialog.h"

class CBalimorDoc;

namespace Ui {
class SetupGraphFrameDialog;
}

class CSetupGraphFrameDialog : public CFormDialog<Ui::SetupGraphFrameDialog> {
  Q_OBJECT
 public:
  CSetupGraphFrameDialog(CBalimorDoc& doc, QWidget* parent);
  void accept() override;  // OK: frame 0 and [Setup] take the values

 private:
  CBalimorDoc& doc;
};
