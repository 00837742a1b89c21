// CFormDialog: the base of the workbench's dialogs, each a Designer form over values of the
// core. `Form` is the class made from the dialog's .ui file; its widgets are built on the dialog
// and owned by it. The form's class needs to be complete only where the dialog is made, so a
// dialog's header names it without including it.
#pragma once

#include <QDialog>
#include <memory>

template <class Form>
class CFormDialog : public QDialog {
 public:
  Form& Widgets() { return *ui; }

 protected:
  explicit CFormDialog(QWidget* parent) : QDialog(parent), ui(new Form, [](Form* f) { delete f; }) {
    ui->setupUi(this);
  }

  std::unique_ptr<Form, void (*)(Form*)> ui;
};
