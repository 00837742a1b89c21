// The suite's version (the project version of the top CMakeLists.txt) and the "--version"
// argument that every program of the suite answers with it.
#pragma once

#include <cstdio>
#include <cstring>

#ifndef BALIMOR_VERSION
#error "BALIMOR_VERSION comes with the CMake target balimor_version"
#endif

namespace balimor {

inline constexpr const char* kVersion = BALIMOR_VERSION;

// True when "--version" is the only argument; then "NAME VERSION" has been printed on the
// standard output and the program ends with status 0. Every other command line is the
// program's own, so no existing use changes (a file named "--version" is still reached as
// "./--version").
inline bool PrintVersionIfAsked(int argc, const char* const* argv, const char* name) {
  if (argc != 2 || std::strcmp(argv[1], "--version") != 0) return false;
  std::printf("%s %s\n", name, kVersion);
  std::fflush(stdout);
  return true;
}

}  // namespace balimor
