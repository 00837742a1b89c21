// Golden files: every diffraction job of the test suite (golden/jobs) and of examples/ run by
// both programs with the default method; out.txt, new.pfc and the exit status with the error
// stream must be the bytes that the reference build wrote (golden/expected, made by
// golden/remake.sh). The default method's numbers may not move in any digit.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testutil.h"

namespace zentrab::test {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// The jobs and the names of their expected results.
std::vector<std::pair<std::string, fs::path>> goldenJobs() {
  std::vector<std::pair<std::string, fs::path>> jobs;
  for (const auto& e : fs::directory_iterator(fs::path(GOLDEN_DIR) / "jobs"))
    jobs.emplace_back(e.path().stem().string(), e.path());
  for (const auto& e : fs::directory_iterator(FITTER_EXAMPLE_DIR))
    if (e.path().extension() == ".pfc") jobs.emplace_back("examples_" + e.path().stem().string(), e.path());
  std::sort(jobs.begin(), jobs.end());
  return jobs;
}

class Golden : public ::testing::TestWithParam<const char*> {};

TEST_P(Golden, EveryJobWritesTheReferenceBytes) {
  const std::string program = GetParam();
  const std::string exe = program == "xZentrab" ? XZENTRAB_PATH : ZENTRAB_PATH;
  const auto jobs = goldenJobs();
  ASSERT_GT(jobs.size(), 50u);
  for (const auto& [name, job] : jobs) {
    SCOPED_TRACE(name + " by " + program);
    const fs::path want = fs::path(GOLDEN_DIR) / "expected" / name / program;
    ASSERT_TRUE(fs::exists(want / "status")) << "no expected results: run golden/remake.sh";
    TempDir dir;
    fs::copy_file(job, dir.path() / "job.pfc");
    const std::string cmd = "cd '" + dir.path().string() + "' && '" + exe +
                            "' job.pfc > console 2> errors";
    const int rc = std::system(cmd.c_str());
    const int status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    EXPECT_EQ("exit " + std::to_string(status) + "\n" + dir.read("errors"), slurp(want / "status"));
    for (const char* f : {"out.txt", "new.pfc"}) {
      EXPECT_EQ(fs::exists(want / f), dir.exists(f)) << f;
      if (fs::exists(want / f) && dir.exists(f)) {
        EXPECT_TRUE(dir.read(f) == slurp(want / f)) << f << " differs from " << (want / f);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BothBuilds, Golden, ::testing::Values("xZentrab", "Zentrab"));

}  // namespace
}  // namespace zentrab::test
