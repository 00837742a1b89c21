// The one seam between the workbench core and a person or the operating system. The GUI
// implements it with Qt, balimor-cli with the console, the tests with a recording double. What
// the operating system alone answers (the running program, the environment, the settings
// folder, file access, running a program in place of this one) has the system's answer as its
// default (Platform.cpp), which every implementation keeps unless a test stands in for it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// How a program run through the platform ended.
struct ProgramRun {
  enum Status {
    kNotStarted,  // the program could not be started (error says why)
    kExited,      // it ended by itself; exitCode holds its status
    kSignalled,   // it was ended by a signal it did not ask for (a crash); signal holds it
    kCancelled,   // the person (or the caller) cancelled the run and the program was ended
  };
  Status status = kNotStarted;
  int exitCode = -1;
  int signal = 0;
  std::string error;

  bool Started() const { return status != kNotStarted; }
};

// Receives the child's console output (standard output and error together) as it arrives.
// Returning false cancels the run: the program is ended.
using ProgramOutputSink = std::function<bool(std::string_view chunk)>;

class IPlatform {
 public:
  virtual ~IPlatform() = default;

  // A modal message box with a caption.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
  // A one-line note for the person that asks for no answer (a load that read only part of a
  // file, a fit that stopped short): the status bar of the window, the error stream of the
  // console. Nothing by default.
  virtual void ShowStatus(const std::string& text);
  // A yes/no question; true for yes.
  virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
  // Choose one line of a list (the datum / section choice). Returns the chosen index, or -1
  // when nothing was chosen or the choice was cancelled.
  virtual int ChooseLine(const std::string& caption, const std::vector<std::string>& lines) = 0;
  // Choose a file to open or to save, starting in `directory` with a filter in the
  // "Name (*.a;*.b)|*.a;*.b|All Files (*.*)|*.*||" form. Returns false when cancelled.
  virtual bool ChooseOpenFile(const std::string& filter, const std::string& directory,
                              std::string& path) = 0;
  virtual bool ChooseSaveFile(const std::string& filter, const std::string& directory,
                              std::string& path) = 0;
  // Puts plain text on the clipboard; false when the clipboard cannot be reached.
  virtual bool SetClipboardText(const std::string& text) = 0;
  virtual std::string CurrentDirectory() = 0;
  // false when the directory cannot be made current.
  virtual bool SetCurrentDirectory(const std::string& dir) = 0;

  // Runs argv[0] with the arguments argv[1..] (an argument vector, never through a shell) in
  // workingDir and waits until it ends. The child's console output is shown to the person as
  // it arrives, who may cancel the run, and is handed to `sink` when one is given.
  // commandLine is the run's command line as the messages show it.
  virtual ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& workingDir,
                                const std::string& commandLine, const ProgramOutputSink& sink) = 0;
  // Starts argv[0] (the text editor) with its arguments and does not wait for it. false when
  // it could not be started.
  virtual bool StartProgram(const std::vector<std::string>& argv) = 0;

  // The running program's own path as the system reports it; empty when it is unknown.
  virtual std::string RunningProgramPath();
  // The value of an environment variable; empty when it is not set.
  virtual std::string EnvironmentValue(const std::string& name);
  // The user's folder of settings: $XDG_CONFIG_HOME, else $HOME/.config; empty when neither
  // is set.
  virtual std::string UserConfigFolder();
  // Whether the running program may write the file at path (for a folder: create files in it).
  virtual bool CanWrite(const std::string& path);
  // Runs program in place of the running one, with the argument vector argv (argv[0] is the
  // name the program sees). Returns only when it could not be started: the reason.
  virtual std::string ReplaceWithProgram(const std::string& program, char* const* argv);
};
