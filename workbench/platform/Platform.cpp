// The system's answers of the platform interface on a POSIX system.
#include "Platform.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

void IPlatform::ShowStatus(const std::string&) {}

std::string IPlatform::RunningProgramPath() {
  std::error_code ec;
  const std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

std::string IPlatform::EnvironmentValue(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? std::string(value) : std::string();
}

std::string IPlatform::UserConfigFolder() {
  if (const std::string xdg = EnvironmentValue("XDG_CONFIG_HOME"); !xdg.empty()) return xdg;
  if (const std::string home = EnvironmentValue("HOME"); !home.empty()) return home + "/.config";
  return std::string();
}

bool IPlatform::CanWrite(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

std::string IPlatform::ReplaceWithProgram(const std::string& program, char* const* argv) {
  ::execv(program.c_str(), argv);
  return std::strerror(errno);
}
