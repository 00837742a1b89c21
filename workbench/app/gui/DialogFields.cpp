#include "DialogFields.h"

#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>

#include "QtText.h"

QString DialogNumber(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", v);
  return QString::fromLatin1(text);
}

bool ReadDialogNumber(const QString& text, double& v) {
  const QByteArray bytes = text.trimmed().toLatin1();
  if (bytes.isEmpty()) return false;
  char* end = nullptr;
  const double d = std::strtod(bytes.constData(), &end);
  if (end != bytes.constData() + bytes.size()) return false;
  v = d;
  return true;
}

bool ReadDialogInt(const QString& text, int& v) {
  bool ok = false;
  const int n = text.trimmed().toInt(&ok);
  if (ok) v = n;
  return ok;
}

void ShowNumbers(std::span<const NumberEdit> fields) {
  for (const NumberEdit& f : fields) f.edit->setText(DialogNumber(*f.value));
}

void ReadNumbers(std::span<const NumberEdit> fields) {
  for (const NumberEdit& f : fields) ReadDialogNumber(f.edit->text(), *f.value);
}

void ConnectPathButton(QPushButton* button, QLineEdit* field, std::function<bool(std::string&)> choose) {
  QObject::connect(button, &QPushButton::clicked, field, [field, choose = std::move(choose)] {
    std::string path = S(field->text());
    if (choose(path)) field->setText(Q(path));
  });
}
