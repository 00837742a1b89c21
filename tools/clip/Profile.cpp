#include "Profile.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace mevlo {

namespace {

std::string Trim(const std::string& s) {
    const char* blanks = " \t\r\n";
    const std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

// The section name of a "[name]" line, if it is one.
std::optional<std::string> SectionOf(const std::string& line) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    const std::size_t close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

// The key of a "key=value" line, if it is one.
std::optional<std::string> KeyOf(const std::string& line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return std::nullopt;
    return Trim(line.substr(0, eq));
}

// The lines of the file without their line feeds; nothing when it cannot be
// read, an empty list when it does not exist.
std::optional<std::vector<std::string>> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec) || ec) return std::nullopt;
        return lines;
    }
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    if (in.bad()) return std::nullopt;
    return lines;
}

}  // namespace

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback) {
    const auto lines = ReadLines(path);
    if (!lines) return fallback;
    bool inSection = false;
    for (const std::string& line : *lines) {
        if (auto name = SectionOf(line)) {
            inSection = SameName(*name, section);
            continue;
        }
        if (!inSection) continue;
        auto k = KeyOf(line);
        if (!k || !SameName(*k, key)) continue;
        std::string value = Trim(line.substr(line.find('=') + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        return value;
    }
    return fallback;
}

bool WriteProfileString(const std::string& path, const std::string& section,
                        const std::string& key, const std::string& value) {
    auto read = ReadLines(path);
    if (!read) return false;
    std::vector<std::string>& lines = *read;
    // New lines end the way the file's first line does.
    const bool crlf = !lines.empty() && !lines[0].empty() && lines[0].back() == '\r';
    const std::string cr = crlf ? "\r" : "";
    const std::string entry = key + "=" + value + cr;

    std::optional<std::size_t> sectionLine, lastEntry, keyLine;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionOf(lines[i])) {
            if (sectionLine && !keyLine) break;  // past the end of our section
            if (SameName(*name, section) && !sectionLine) sectionLine = i;
            continue;
        }
        if (!sectionLine) continue;
        if (!Trim(lines[i]).empty()) lastEntry = i;
        auto k = KeyOf(lines[i]);
        if (k && SameName(*k, key)) {
            keyLine = i;
            break;
        }
    }
    if (keyLine) {
        lines[*keyLine] = entry;
    } else if (sectionLine) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastEntry.value_or(*sectionLine) + 1), entry);
    } else {
        lines.push_back("[" + section + "]" + cr);
        lines.push_back(entry);
    }

    // Written beside the old file and renamed over it, so that a failed write
    // never leaves a half-written INI file.
    const std::string temp = path + ".new" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        for (const std::string& line : lines) out << line << '\n';
        out.flush();
        if (!out) {
            out.close();
            std::remove(temp.c_str());
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace mevlo
