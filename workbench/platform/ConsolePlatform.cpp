#include "ConsolePlatform.h"

#include <signal.h>

#include <atomic>
#include <filesystem>
#include <system_error>

#include "Process.h"

namespace {

// Set by SIGINT while a program runs: the run is cancelled instead of the console program
// ending with the child still running.
std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) { g_interrupted = true; }

std::atomic<bool> g_batchInterrupted{false};

extern "C" void OnBatchInterrupt(int) { g_batchInterrupted = true; }

}  // namespace

void ConsolePlatform::ShowMessage(const std::string& text, const std::string& caption) {
  std::fprintf(err_, "%s: %s\n", caption.c_str(), text.c_str());
}

void ConsolePlatform::ShowStatus(const std::string& text) { std::fprintf(err_, "%s\n", text.c_str()); }

bool ConsolePlatform::AskYesNo(const std::string& text, const std::string& caption) {
  std::fprintf(err_, "%s: %s (%s)\n", caption.c_str(), text.c_str(), yesNoAnswer ? "yes" : "no");
  return yesNoAnswer;
}

int ConsolePlatform::ChooseLine(const std::string& caption,
                                const std::vector<std::string>& lines) {
  (void)caption;
  if (lineAnswer < 0 || lineAnswer >= static_cast<int>(lines.size())) return -1;
  return lineAnswer;
}

bool ConsolePlatform::ChooseOpenFile(const std::string&, const std::string&, std::string& path) {
  if (fileAnswer.empty()) return false;
  path = fileAnswer;
  return true;
}

bool ConsolePlatform::ChooseSaveFile(const std::string&, const std::string&, std::string& path) {
  if (fileAnswer.empty()) return false;
  path = fileAnswer;
  return true;
}

bool ConsolePlatform::SetClipboardText(const std::string&) { return false; }

std::string ConsolePlatform::CurrentDirectory() {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::current_path(ec);
  return ec ? std::string() : p.string();
}

bool ConsolePlatform::SetCurrentDirectory(const std::string& dir) {
  std::error_code ec;
  std::filesystem::current_path(dir, ec);
  return !ec;
}

ProgramRun ConsolePlatform::RunProgram(const std::vector<std::string>& argv,
                                       const std::string& workingDir, const std::string&,
                                       const ProgramOutputSink& sink) {
  g_interrupted = false;
  struct sigaction on = {}, old = {};
  on.sa_handler = OnInterrupt;
  sigemptyset(&on.sa_mask);
  ::sigaction(SIGINT, &on, &old);
  std::FILE* err = err_;
  const ProgramRun run = process::Run(
      argv, workingDir,
      [&](std::string_view chunk) {
        std::fwrite(chunk.data(), 1, chunk.size(), err);
        std::fflush(err);
        return sink ? sink(chunk) : true;
      },
      [] { return g_interrupted.load(); });
  ::sigaction(SIGINT, &old, nullptr);
  return run;
}

bool ConsolePlatform::StartProgram(const std::vector<std::string>& argv) {
  return process::StartDetached(argv);
}

void CatchInterrupts() {
  struct sigaction on = {};
  on.sa_handler = OnBatchInterrupt;
  sigemptyset(&on.sa_mask);
  ::sigaction(SIGINT, &on, nullptr);
  ::sigaction(SIGTERM, &on, nullptr);
  // A reader of the error stream that went away (a pipe into head) must not end the run in
  // the middle of a fit.
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, nullptr);
}

bool Interrupted() { return g_batchInterrupted.load(); }
