// Private-profile INI access with the semantics the workbench relies on: sections and keys
// compare without regard to letter case, a missing file, section or key gives the default,
// writing a key keeps every other line of the file and creates the file on first write.
#pragma once

#include <string>

namespace profile {

// Value of [section] key, with blanks around it removed; `def` when the file, the section or
// the key is missing. At most 255 characters are returned.
std::string GetString(const std::string& section, const std::string& key, const std::string& def,
                      const std::string& iniPath);
// Leading integer of the value; `def` when missing or not a number.
int GetInt(const std::string& section, const std::string& key, int def, const std::string& iniPath);
// Replaces or adds the key; the file is written beside and renamed into place (through a
// symbolic link to the file it names). false when the file cannot be written.
bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                 const std::string& iniPath);

}  // namespace profile

// Where the workbench INI file lies: beside the executable, with the executable's name and the
// extension ".INI"; the environment variable BALIMOR_INI names another file.
class CIniLocation {
 public:
  // programPath: full path of the running executable.
  explicit CIniLocation(const std::string& programPath);
  // The path of the running executable as the system reports it (empty when unknown).
  static std::string RunningProgramPath();

  std::string iniPath;
  std::string programPath;
  std::string programDir;
};
