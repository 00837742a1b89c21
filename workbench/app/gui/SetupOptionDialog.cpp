#include "SetupOptionDialog.h"

#include <QLineEdit>

#include "BalimorDoc.h"
#include "DialogFields.h"
#include "QtText.h"
#include "ui_SetupOptionDialog.h"

CSetupOptionDialog::CSetupOptionDialog(CBalimorDoc& doc_, QWidget* parent) : CFormDialog(parent), doc(doc_) {
  ui->editorLabel->setBuddy(ui->editorEdit);
  ui->editorEdit->setText(Q(doc.EditorSetting()));
  ConnectPathButton(ui->pathButton, ui->editorEdit,
                    [this](std::string& path) { return doc.ChooseEditorProgram(path); });
}

void CSetupOptionDialog::accept() {
  doc.StoreEditorSetting(S(ui->editorEdit->text().trimmed()));
  QDialog::accept();
}
