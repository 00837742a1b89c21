// Helpers shared by the fuzz targets: a scratch folder of the process for the files a target
// hands to code that reads from a path, and a sink for console output.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <unistd.h>

namespace fuzzsupport {

// A folder made once per process under $TMPDIR (or /tmp) and removed when the process exits
// normally. scripts/fuzz.sh points TMPDIR at a folder of its own in memory and removes that.
inline const std::string& ScratchDir() {
  static const std::string dir = [] {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/balimor-fuzz-XXXXXX";
    if (!::mkdtemp(templ.data())) {
      std::perror("fuzz: cannot make a scratch folder");
      std::abort();
    }
    static const std::string keep = templ;
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(keep, ec);
    });
    return templ;
  }();
  return dir;
}

// Writes bytes to a file of the scratch folder and returns its path.
inline std::string WriteScratch(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = ScratchDir() + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::perror(path.c_str());
    std::abort();
  }
  if (size && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
  return path;
}

// An output stream that drops everything (the fitters' console and run log).
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c == EOF ? 0 : c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

inline std::ostream& NullStream() {
  static NullBuffer buffer;
  static std::ostream stream(&buffer);
  return stream;
}

// A property that the code under test must keep: a failure aborts, which libFuzzer reports
// as a crash with the input that broke it.
#define FUZZ_CHECK(cond)                                                              \
  do {                                                                                \
    if (!(cond)) {                                                                    \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

}  // namespace fuzzsupport
