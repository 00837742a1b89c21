// Paths as text, for the names the workbench stores in its INI file, offers in its file dialogs
// and recognises files by: the folder, the file name and its extension, and the comparisons
// without regard to letter case (INI sections and keys, extensions, file markers).
#pragma once

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace pathtext {

// The folder part: up to the last "/", "/" for a file in the root, empty when there is no "/".
inline std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The folder a program run or a dialog starts in: the folder part, "." for a bare file name.
inline std::string FolderOrCurrent(const std::string& path) {
  const std::string folder = FolderOf(path);
  return folder.empty() ? std::string(".") : folder;
}

// The file name: what follows the last "/" (the whole path when there is none).
inline std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The last extension of the file name (after the last "/"), with its dot; empty when none.
inline std::string ExtensionOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  return path.substr(dot);
}

// The path without the extension of its file name (a dot in a folder name never cuts it).
inline std::string WithoutExtension(const std::string& path) {
  return path.substr(0, path.size() - ExtensionOf(path).size());
}

// The same letters, without regard to case.
inline bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

// True when s begins with prefix, without regard to case.
inline bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameNoCase(s.substr(0, prefix.size()), prefix);
}

}  // namespace pathtext
