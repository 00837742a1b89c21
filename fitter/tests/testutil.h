// Helpers of the fitter tests: a fresh state, captured output channels, a temporary directory.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "zentrab/run.h"
#include "zentrab/state.h"

namespace zentrab::test {

inline std::unique_ptr<State> newState() { return std::make_unique<State>(); }

// Output channels writing into strings.
struct Captured {
  std::ostringstream console, log, err;
  Out out{&console, &log, &err};
};

// A directory of its own under the system's temporary folder, removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("zentrab-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  void write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
  }
  std::string read(const std::string& name) const {
    std::ifstream f(path_ / name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

 private:
  std::filesystem::path path_;
};

// A whole run of the job text `pfc` as "job.pfc" in a temporary directory of its own.
struct JobRun {
  TempDir dir;
  std::ostringstream console, err;
  std::unique_ptr<State> st = newState();
  int status = -1;
  explicit JobRun(const std::string& pfc) {
    dir.write("job.pfc", pfc);
    status = runJob(*st, dir.file("job.pfc"), dir.path(), console, err);
  }
};

// Lines of a text.
inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

}  // namespace zentrab::test
