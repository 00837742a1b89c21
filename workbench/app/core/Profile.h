// Private-profile INI access with the semantics the workbench relies on: sections and keys
// compare without regard to letter case, a missing file, section or key gives the default,
// writing a key keeps every other line of the file and creates the file on first write.
#pragma once

#include <map>
#include <string>

class IPlatform;

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

// One setting of the workbench INI file: its section, its key and the built-in default (as
// text; a number's default is its text form).
struct IniKey {
  const char* section;
  const char* key;
  const char* def;
};

// The workbench INI file. Reading follows the private-profile rules above. Booleans are read as
// integers, non-zero meaning true, and written "1"/"0"; integers are written with "%d" and reals
// with "%lg". A real read as text gives its default when the text is empty.
// A read-only file (batch runs) keeps what would be written in memory instead, so that later
// reads of the same run see it while the file stays as it was; overrides stand in for keys of
// the file for one run.
class CIniFile {
 public:
  explicit CIniFile(std::string path = std::string());

  const std::string& Path() const { return path; }
  void SetPath(const std::string& p) { path = p; }
  void SetReadOnly(bool on) { readOnly = on; }
  bool ReadOnly() const { return readOnly; }
  // The value of [section] key for the rest of this run, whatever the file says.
  void Override(const std::string& section, const std::string& key, const std::string& value);

  std::string GetString(const std::string& section, const std::string& key,
                        const std::string& def) const;
  int GetInt(const std::string& section, const std::string& key, int def) const;
  bool WriteString(const std::string& section, const std::string& key, const std::string& value);

  std::string GetString(const IniKey& k) const { return GetString(k.section, k.key, k.def); }
  int GetInt(const IniKey& k) const;
  bool GetBool(const IniKey& k) const { return GetInt(k) != 0; }
  double GetReal(const IniKey& k) const;
  bool WriteString(const IniKey& k, const std::string& value) {
    return WriteString(k.section, k.key, value);
  }
  bool WriteInt(const IniKey& k, int value);
  bool WriteReal(const IniKey& k, double value);
  bool WriteBool(const IniKey& k, bool value) { return WriteString(k, value ? "1" : "0"); }

 private:
  static std::string MapKey(const std::string& section, const std::string& key);
  const std::string* Overridden(const std::string& section, const std::string& key) const;

  std::string path;
  bool readOnly = false;
  std::map<std::string, std::string> overrides;  // "section\nkey" in lower case -> value
};

// Where the workbench INI file lies: beside the executable, with the executable's name and the
// extension ".INI"; the environment variable BALIMOR_INI names another file. The environment
// and the file system are asked through the platform.
class CIniLocation {
 public:
  // programPath: full path of the running executable (IPlatform::RunningProgramPath).
  CIniLocation(IPlatform& platform, const std::string& programPath);
  // The location for an installed program: as above, but when the INI file beside the program
  // cannot be written or the program lies below /usr (a system folder, where the package
  // manager owns the files) and BALIMOR_INI is not set, a file of the same name in
  // the user's settings folder ($XDG_CONFIG_HOME/Balimor, else ~/.config/Balimor), so that the
  // workbench keeps its settings wherever it is installed.
  static CIniLocation ForProgram(IPlatform& platform, const std::string& programPath);

  std::string iniPath;
  std::string programPath;
  std::string programDir;
  // The system's directory of shared settings; the workbench keeps it for programs that look
  // for their files there.
  std::string windowsDir = "/etc";
};
