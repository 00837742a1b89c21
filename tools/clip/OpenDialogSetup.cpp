#include "OpenDialogSetup.h"

#include <QFileDialog>

namespace mevlo {

void SetUpDataFileDialog(QFileDialog& dialog, const QString& startDir) {
    dialog.setWindowTitle(QString::fromLatin1(kDialogTitle));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The pattern in the last parentheses is what the dialog filters by ("*",
    // every file); with the details hidden the list shows "Data File (*.*)".
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setNameFilter(QStringLiteral("Data File (*.*) (*)"));
    if (!startDir.isEmpty()) dialog.setDirectory(startDir);
}

}  // namespace mevlo
