// How Mevlo's file-open dialog is set up, apart from showing it.
#pragma once

#include <QString>

class QFileDialog;

namespace mevlo {

inline constexpr const char* kDialogTitle = "Data File Read";

// Title "Data File Read", one filter shown as "Data File (*.*)" that lists every
// file (files without a point included, as "*.*" does on the desktop it was
// made for), start directory `startDir` (the dialog's own default when empty),
// one existing file to be chosen.
void SetUpDataFileDialog(QFileDialog& dialog, const QString& startDir);

}  // namespace mevlo
