// A small INI ("private profile") file reader and writer: sections and keys
// match without regard to case, a missing file or key gives the default, and
// writing keeps every other line of the file as it was.
#pragma once

#include <string>

namespace mevlo {

// The value of `key` in `section` of the file `path`, with blanks around it
// removed and one pair of enclosing quotes dropped; `fallback` when the file,
// the section or the key is missing.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback);

// Sets `key` in `section` to `value`, adding the key (after the section's last
// entry) or the section (at the end) when missing and creating the file when
// there is none. The new file replaces the old one only when fully written.
// Returns false when the file cannot be read or written; it is then unchanged.
bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value);

}  // namespace mevlo
