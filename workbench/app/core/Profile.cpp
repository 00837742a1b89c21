#include "Profile.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "GraphData.h"
#include "PathText.h"
#include "Platform.h"

namespace profile {
namespace {

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// Section name of a "[name]" line, or false when the line is not a section head.
bool SectionOf(const std::string& line, std::string& name) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const std::size_t close = t.find(']');
  if (close == std::string::npos) return false;
  name = Trim(t.substr(1, close - 1));
  return true;
}

// Key and value of a "key=value" line; false for comments and lines without "=".
bool KeyOf(const std::string& line, std::string& key, std::string& value) {
  const std::string t = Trim(line);
  if (t.empty() || t[0] == ';') return false;
  const std::size_t eq = t.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(t.substr(0, eq));
  value = Trim(t.substr(eq + 1));
  return true;
}

// The file's lines without their ends; crlf tells whether the file used CR LF line ends.
std::vector<std::string> ReadLines(const std::string& path, bool& exists, bool* crlf = nullptr) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  exists = static_cast<bool>(in);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
      if (crlf && lines.empty()) *crlf = true;
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace

std::string GetString(const std::string& section, const std::string& key, const std::string& def,
                      const std::string& iniPath) {
  bool exists = false;
  const std::vector<std::string> lines = ReadLines(iniPath, exists);
  bool inSection = false;
  for (const std::string& line : lines) {
    std::string name, k, v;
    if (SectionOf(line, name)) {
      inSection = pathtext::SameNoCase(name, section);
    } else if (inSection && KeyOf(line, k, v) && pathtext::SameNoCase(k, key)) {
      // Values read through a 256-character buffer keep at most 255 characters.
      return v.size() > 255 ? v.substr(0, 255) : v;
    }
  }
  return def;
}

int GetInt(const std::string& section, const std::string& key, int def,
           const std::string& iniPath) {
  const std::string v = GetString(section, key, "", iniPath);
  if (v.empty()) return def;
  char* end = nullptr;
  const long n = std::strtol(v.c_str(), &end, 10);
  if (end == v.c_str()) return def;
  return static_cast<int>(n);
}

bool WriteString(const std::string& section, const std::string& key, const std::string& value,
                 const std::string& iniPath) {
  bool exists = false;
  bool crlf = false;
  std::vector<std::string> lines = ReadLines(iniPath, exists, &crlf);
  // A new file gets CR LF line ends; an existing one keeps its own.
  const char* eol = (!exists || lines.empty() || crlf) ? "\r\n" : "\n";
  const std::string entry = key + "=" + value;
  int sectionLine = -1;   // head of the matching section
  int lastInSection = -1; // last non-empty line of that section
  bool done = false;
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size() && !done; ++i) {
    std::string name, k, v;
    if (SectionOf(lines[i], name)) {
      if (inSection) break;
      inSection = pathtext::SameNoCase(name, section);
      if (inSection) sectionLine = lastInSection = static_cast<int>(i);
    } else if (inSection) {
      if (KeyOf(lines[i], k, v) && pathtext::SameNoCase(k, key)) {
        lines[i] = k + "=" + value;  // the key keeps the spelling it has in the file
        done = true;
      } else if (!Trim(lines[i]).empty()) {
        lastInSection = static_cast<int>(i);
      }
    }
  }
  if (!done) {
    if (sectionLine >= 0) {
      lines.insert(lines.begin() + lastInSection + 1, entry);
    } else {
      if (!lines.empty() && !Trim(lines.back()).empty()) lines.push_back("");
      lines.push_back("[" + section + "]");
      lines.push_back(entry);
    }
  }
  std::string text;
  for (const std::string& line : lines) text += line + eol;
  return WriteFileText(iniPath, "w", text) == 0;
}

}  // namespace profile

CIniFile::CIniFile(std::string p) : path(std::move(p)) {}

std::string CIniFile::MapKey(const std::string& section, const std::string& key) {
  std::string k = section + "\n" + key;
  for (char& c : k) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return k;
}

const std::string* CIniFile::Overridden(const std::string& section, const std::string& key) const {
  if (overrides.empty()) return nullptr;
  const auto it = overrides.find(MapKey(section, key));
  return it == overrides.end() ? nullptr : &it->second;
}

void CIniFile::Override(const std::string& section, const std::string& key,
                        const std::string& value) {
  overrides[MapKey(section, key)] = value;
}

std::string CIniFile::GetString(const std::string& section, const std::string& key,
                                const std::string& def) const {
  if (const std::string* v = Overridden(section, key)) return *v;
  return profile::GetString(section, key, def, path);
}

int CIniFile::GetInt(const std::string& section, const std::string& key, int def) const {
  if (const std::string* v = Overridden(section, key)) {
    char* end = nullptr;
    const long n = std::strtol(v->c_str(), &end, 10);
    return end == v->c_str() ? def : static_cast<int>(n);
  }
  return profile::GetInt(section, key, def, path);
}

int CIniFile::GetInt(const IniKey& k) const {
  return GetInt(k.section, k.key, static_cast<int>(std::strtol(k.def, nullptr, 10)));
}

double CIniFile::GetReal(const IniKey& k) const {
  const std::string v = GetString(k.section, k.key, "");
  return std::strtod(v.empty() ? k.def : v.c_str(), nullptr);
}

bool CIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  if (readOnly) {
    Override(section, key, value);
    return true;
  }
  // A key overridden for this run keeps its override; the file still gets the value.
  return profile::WriteString(section, key, value, path);
}

bool CIniFile::WriteInt(const IniKey& k, int value) {
  return WriteString(k, std::to_string(value));
}

bool CIniFile::WriteReal(const IniKey& k, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%lg", value);
  return WriteString(k, buf);
}

CIniLocation::CIniLocation(IPlatform& platform, const std::string& program) : programPath(program) {
  // Stem of the executable: cut at a "." that follows the last "/", then ".INI".
  programDir = pathtext::FolderOf(program);
  iniPath = pathtext::WithoutExtension(program) + ".INI";
  if (const std::string env = platform.EnvironmentValue("BALIMOR_INI"); !env.empty()) iniPath = env;
}

CIniLocation CIniLocation::ForProgram(IPlatform& platform, const std::string& programPath) {
  namespace fs = std::filesystem;
  CIniLocation l(platform, programPath);
  if (!platform.EnvironmentValue("BALIMOR_INI").empty()) return l;
  // Writable: the file can be opened for appending, or it is missing in a folder that can be
  // written.
  std::error_code ec;
  const fs::path ini(l.iniPath);
  const bool writable = fs::exists(ini, ec)
                            ? platform.CanWrite(ini.string())
                            : platform.CanWrite((ini.has_parent_path() ? ini.parent_path() : fs::path(".")).string());
  // Files below /usr belong to the package manager (or, below /usr/local, to the system's
  // administrator): a program installed there keeps its settings in the user's folder even
  // when it could write beside itself, as it can when run as root.
  const bool systemFolder = l.programDir == "/usr" || l.programDir.starts_with("/usr/");
  if (writable && !systemFolder) return l;
  const std::string base = platform.UserConfigFolder();
  if (base.empty()) return l;
  const fs::path folder = fs::path(base) / "Balimor";
  fs::create_directories(folder, ec);
  l.iniPath = (folder / ini.filename()).string();
  return l;
}
