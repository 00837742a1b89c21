// CBalimorEditView: the report pane (lower right), a text view of the fitter's report (or of
// the file opened as the document). Its font comes from [EditorView] and is chosen with
// "Select Editor Font".
#pragma once

#include <QTextEdit>

class CIniFile;

class CBalimorEditView : public QTextEdit {
  Q_OBJECT

 public:
  CBalimorEditView(CIniFile& ini, QWidget* parent = nullptr);

  // The text as the core keeps it ("\r\n" line ends allowed).
  void SetReport(const std::string& text);
  // The font dialog; on OK the choice is kept in [EditorView]. The view's font is set anew
  // either way.
  void OnSelectEditorFont();

 private:
  void ApplyFontRecord();

  CIniFile& ini;
  QFont fontRecord;
};
