#include "RecordingPlatform.h"

#include "Process.h"

void RecordingPlatform::ShowMessage(const std::string& text, const std::string& caption) {
  messages.push_back({text, caption});
}

bool RecordingPlatform::AskYesNo(const std::string& text, const std::string& caption) {
  questions.push_back({text, caption});
  if (yesNoAnswers.empty()) return defaultYesNo;
  const bool answer = yesNoAnswers.front();
  yesNoAnswers.pop_front();
  return answer;
}

int RecordingPlatform::ChooseLine(const std::string& caption,
                                  const std::vector<std::string>& lines) {
  choices.push_back({caption, lines});
  if (lineAnswers.empty()) return defaultLine;
  const int answer = lineAnswers.front();
  lineAnswers.pop_front();
  return answer;
}

bool RecordingPlatform::ChooseFile(bool save, const std::string& filter,
                                   const std::string& directory, std::string& path) {
  fileDialogs.push_back({save, filter, directory});
  if (fileAnswers.empty()) return false;
  const std::string answer = fileAnswers.front();
  fileAnswers.pop_front();
  if (answer.empty()) return false;
  path = answer;
  return true;
}

bool RecordingPlatform::ChooseOpenFile(const std::string& filter, const std::string& directory,
                                       std::string& path) {
  return ChooseFile(false, filter, directory, path);
}

bool RecordingPlatform::ChooseSaveFile(const std::string& filter, const std::string& directory,
                                       std::string& path) {
  return ChooseFile(true, filter, directory, path);
}

bool RecordingPlatform::SetClipboardText(const std::string& text) {
  if (!clipboardWorks) return false;
  clipboard = text;
  return true;
}

std::string RecordingPlatform::CurrentDirectory() { return currentDirectory; }

bool RecordingPlatform::SetCurrentDirectory(const std::string& dir) {
  directoryChanges.push_back(dir);
  currentDirectory = dir;
  return true;
}

std::vector<std::string> RecordingPlatform::MessageLines() const {
  std::vector<std::string> out;
  for (const Message& m : messages) out.push_back(m.caption + ": " + m.text);
  return out;
}

ProgramRun RecordingPlatform::RunProgram(const std::vector<std::string>& argv,
                                         const std::string& workingDir,
                                         const std::string& commandLine,
                                         const ProgramOutputSink& sink) {
  Run run{argv, workingDir, commandLine, std::string(), ProgramRun()};
  if (runHandler) {
    run.result = runHandler(run);
  } else {
    const auto start = std::chrono::steady_clock::now();
    bool cancel = false;
    run.result = process::Run(
        argv, workingDir,
        [&](std::string_view chunk) {
          run.output.append(chunk);
          if (!cancelOnOutput.empty() && run.output.find(cancelOnOutput) != std::string::npos)
            cancel = true;
          return (sink ? sink(chunk) : true) && !cancel;
        },
        [&] {
          return cancelAfter.count() >= 0 && std::chrono::steady_clock::now() - start >= cancelAfter;
        });
  }
  runs.push_back(run);
  return run.result;
}

bool RecordingPlatform::StartProgram(const std::vector<std::string>& argv) {
  starts.push_back(argv);
  return startWorks;
}
