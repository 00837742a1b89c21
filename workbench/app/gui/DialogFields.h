// The text fields of the dialogs and the setup form: numbers shown with "%.15g" and read with
// the C library, and the "Path" buttons that choose a program into their field.
#pragma once

#include <QString>
#include <functional>
#include <span>
#include <string>

class QLineEdit;
class QPushButton;

// A field that does not hold a number keeps `v` and gives false.
QString DialogNumber(double v);
bool ReadDialogNumber(const QString& text, double& v);
bool ReadDialogInt(const QString& text, int& v);

// A number field and the value it edits.
struct NumberEdit {
  QLineEdit* edit;
  double* value;
};
void ShowNumbers(std::span<const NumberEdit> fields);
void ReadNumbers(std::span<const NumberEdit> fields);

// A click on `button` hands the path in `field` to `choose`; when it returns true, the path it
// leaves goes into the field.
void ConnectPathButton(QPushButton* button, QLineEdit* field, std::function<bool(std::string&)> choose);
