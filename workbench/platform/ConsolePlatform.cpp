#include "ConsolePlatform.h"

#include <filesystem>
#include <system_error>

void ConsolePlatform::ShowMessage(const std::string& text, const std::string& caption) {
  std::fprintf(err_, "%s: %s\n", caption.c_str(), text.c_str());
}

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
