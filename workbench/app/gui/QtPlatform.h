// QtPlatform: the platform interface of the workbench with Qt Widgets. Messages and questions
// are modal message boxes with the caption as title (the core's texts in the captions'
// language, see CoreText), the datum choice is the "Select Data"
// dialog, files are chosen through Qt's file dialogs (the "desc|pattern|…||" filters turned
// into Qt's form), the clipboard is Qt's. A program run never freezes the window: the child
// runs under QProcess while a modal dialog shows its console output as it arrives and offers
// Cancel, which ends the child and everything it started.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "Platform.h"

// "Name (*.a;*.b)|*.a;*.b|All Files (*.*)|*.*||" as a Qt name filter list
// "Name (*.a *.A *.b *.B);;All Files (*)": one entry per description/pattern pair, the
// patterns of the pair in the parentheses (with upper-case twins, since the files come from
// systems that ignore case), "*.*" meaning every file.
QString QtFileFilter(const std::string& filter);

class QtPlatform : public IPlatform {
 public:
  // Dialogs are made over `parent` (the main window) once it is set.
  void SetParent(QWidget* parent) { parent_ = parent; }
  QWidget* Parent() const { return parent_; }
  // True while a program run is in progress.
  bool Running() const { return running_; }

  void ShowMessage(const std::string& text, const std::string& caption) override;
  // The note in the main window's status bar until the next one.
  void ShowStatus(const std::string& text) override;
  bool AskYesNo(const std::string& text, const std::string& caption) override;
  int ChooseLine(const std::string& caption, const std::vector<std::string>& lines) override;
  bool ChooseOpenFile(const std::string& filter, const std::string& directory,
                      std::string& path) override;
  bool ChooseSaveFile(const std::string& filter, const std::string& directory,
                      std::string& path) override;
  bool SetClipboardText(const std::string& text) override;
  std::string CurrentDirectory() override;
  bool SetCurrentDirectory(const std::string& dir) override;
  ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& workingDir,
                        const std::string& commandLine, const ProgramOutputSink& sink) override;
  bool StartProgram(const std::vector<std::string>& argv) override;

 private:
  QPointer<QWidget> parent_;
  bool running_ = false;
};

// The workbench's texts use "\r\n" line ends; a message box wants "\n".
QString MessageText(const std::string& text);
