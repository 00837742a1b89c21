// CImportColumnsDialog: the dialog of "Import Columns...", between the file dialog and the
// import. It shows the first lines of the file, the delimiter and decimal comma found in it and
// the X and Y columns (the first two numeric ones), each of which the person may change, the
// data kind (from the data, XRD or Raman/IR), and what the choice reads: the points, the rows
// skipped and the names of the columns.
#pragma once

#include <optional>
#include <string>

#include "DataKind.h"
#include "FormDialog.h"
#include "readers/ColumnReader.h"

namespace Ui {
class ImportColumnsDialog;
}

class CImportColumnsDialog : public CFormDialog<Ui::ImportColumnsDialog> {
  Q_OBJECT
 public:
  // Reads the file at path; a file that cannot be read shows no lines and reads no points.
  CImportColumnsDialog(const std::string& path, QWidget* parent);

  // The choice: the format and the columns shown, and the data kind (none: from the data).
  CColumnChoice Choice() const;
  std::optional<DataKind> Kind() const;
  // What the choice reads.
  const CColumnLayout& Layout() const { return layout; }

  // The first lines shown (more after a long header).
  static constexpr int kFirstLines = 20;

 private:
  // The format changed: the columns found anew for it. A column changed: the same format.
  void FormatChanged();
  void ColumnChanged();
  // Reads the layout of a column choice and shows it.
  void Show(const CColumnChoice& choice);

  std::string text;
  CColumnLayout layout;
};
