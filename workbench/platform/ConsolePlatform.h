// ConsolePlatform: the platform interface for console programs. Messages go to the error
// stream as "caption: text"; questions and choices are answered from fixed settings (a console
// batch run never waits for a person); the clipboard is not reachable. A program run shows its
// console output on the error stream as it arrives and is cancelled by an interrupt (Ctrl+C).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "Platform.h"

class ConsolePlatform : public IPlatform {
 public:
  explicit ConsolePlatform(std::FILE* err = stderr) : err_(err) {}

  // Answer of every yes/no question.
  bool yesNoAnswer = false;
  // Answer of every list choice; -1 counts as cancelled. An answer outside the list is -1 too.
  int lineAnswer = -1;
  // Answer of the file dialogs; empty counts as cancelled.
  std::string fileAnswer;

  void ShowMessage(const std::string& text, const std::string& caption) override;
  // The note as one line on the error stream.
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
  std::FILE* err_;
};

// For a console run of many fits: from now on an interrupt (Ctrl+C) or a request to end
// (SIGTERM) only sets a flag that Interrupted() reports, so that the program can end its
// fitters, keep its files whole and exit by itself. A closed pipe on a standard stream is
// ignored (the write fails) instead of ending the program.
void CatchInterrupts();
bool Interrupted();
