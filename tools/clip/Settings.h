// Where Mevlo keeps its one setting: the directory of the last file chosen in
// the file-open dialog, key "ReadDir" of section "Preferences" in an INI file
// beside the program.
#pragma once

#include <optional>
#include <string>

namespace mevlo {

inline constexpr const char* kPreferencesSection = "Preferences";
inline constexpr const char* kReadDirKey = "ReadDir";
inline constexpr const char* kReadDirDefault = "";

// Environment variable naming another INI file (tests, read-only installs).
inline constexpr const char* kIniVariable = "MEVLO_INI";

// The INI file of the program at `programPath`: the program's file name with its
// extension replaced by ".Ini" (".Ini" appended when it has none), in the
// program's directory. A point in a directory name is not an extension.
std::string IniPathForProgram(const std::string& programPath);

// The directory to remember for a file chosen in the dialog: everything before
// the last '/', "/" for a file in the root directory, nothing when the path
// holds no '/'.
std::optional<std::string> ReadDirOfChoice(const std::string& chosenPath);

}  // namespace mevlo
