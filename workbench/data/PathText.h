// The folder and extension of a path as text, for the names the workbench stores in its INI
// file and offers in its file dialogs.
#pragma once

#include <string>

namespace pathtext {

// The folder part: up to the last "/", "/" for a file in the root, empty when there is no "/".
inline std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// The last extension of the file name (after the last "/"), with its dot; empty when none.
inline std::string ExtensionOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
  return path.substr(dot);
}

}  // namespace pathtext
