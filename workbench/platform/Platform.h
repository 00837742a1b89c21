// The one seam between the workbench core and a person or the operating system. The GUI
// implements it with Qt, balimor-cli with the console, the tests with a recording double.
#pragma once

#include <string>
#include <vector>

class IPlatform {
 public:
  virtual ~IPlatform() = default;

  // A modal message box with a caption.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
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
};
