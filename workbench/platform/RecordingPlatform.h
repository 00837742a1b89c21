// RecordingPlatform: the test double of the platform interface. It answers from a script set
// up by the test (queued answers, consumed in order, with a default once a queue is empty) and
// keeps everything that was shown, so a test can check captions, texts and lists.
#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "Platform.h"

class RecordingPlatform : public IPlatform {
 public:
  struct Message {
    std::string text;
    std::string caption;
  };
  struct Choice {
    std::string caption;
    std::vector<std::string> lines;
  };
  struct Run {
    std::vector<std::string> argv;
    std::string workingDir;
    std::string commandLine;
    std::string output;  // everything the program wrote to its console
    ProgramRun result;
  };
  struct FileDialog {
    bool save = false;
    std::string filter;
    std::string directory;
  };

  // Script: answers handed out in order; an empty queue gives the default below.
  std::deque<bool> yesNoAnswers;
  bool defaultYesNo = false;
  std::deque<int> lineAnswers;
  int defaultLine = -1;
  // An empty string in the queue means the dialog was cancelled.
  std::deque<std::string> fileAnswers;
  bool clipboardWorks = true;
  // Program runs are real (the fitters run end to end) unless runHandler stands in for them.
  std::function<ProgramRun(Run&)> runHandler;
  // A run is cancelled, as by the person's Cancel, once it has lasted this long (never when
  // negative) ...
  std::chrono::milliseconds cancelAfter{-1};
  // ... or once its output holds this text (never when empty).
  std::string cancelOnOutput;
  // Whether StartProgram reports a start; nothing is started either way.
  bool startWorks = true;

  // What was shown.
  std::vector<Message> messages;
  std::vector<std::string> statusNotes;
  std::vector<Message> questions;
  std::vector<Choice> choices;
  std::vector<FileDialog> fileDialogs;
  std::string clipboard;
  std::string currentDirectory = "/";
  std::vector<std::string> directoryChanges;
  std::vector<Run> runs;
  std::vector<std::vector<std::string>> starts;

  void ShowMessage(const std::string& text, const std::string& caption) override;
  void ShowStatus(const std::string& text) override { statusNotes.push_back(text); }
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

  // "caption: text" of every message, in order (handy for comparisons).
  std::vector<std::string> MessageLines() const;

 private:
  bool ChooseFile(bool save, const std::string& filter, const std::string& directory,
                  std::string& path);
};
