// Golden files: every job that the test suite hands to simplexfit (golden/jobs) and every job
// of examples/raman, run by the built program; out.txt, fit.spc, new.pfc and the exit status
// with the error stream must be the bytes that the reference build wrote (golden/expected,
// made by golden/remake.sh). However the model is computed, no digit of a result may move.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "testutil.h"

namespace {

namespace fs = std::filesystem;
using simplex::test::slurp;

TEST(Golden, EveryJobWritesTheReferenceBytes) {
  std::vector<std::pair<std::string, fs::path>> jobs;
  for (const auto& e : fs::directory_iterator(fs::path(GOLDEN_DIR) / "jobs"))
    jobs.emplace_back(e.path().stem().string(), e.path());
  for (const auto& e : fs::directory_iterator(fs::path(RAMAN_EXAMPLE_JOB).parent_path()))
    if (e.path().extension() == ".pfc") jobs.emplace_back("examples_" + e.path().stem().string(), e.path());
  std::sort(jobs.begin(), jobs.end());
  ASSERT_GT(jobs.size(), 30u);

  const fs::path dir = fs::temp_directory_path() / ("simplexfit_golden_" + std::to_string(std::random_device{}()));
  for (const auto& [name, job] : jobs) {
    SCOPED_TRACE(name);
    const fs::path want = fs::path(GOLDEN_DIR) / "expected" / name;
    ASSERT_TRUE(fs::exists(want / "status")) << "no expected results: run golden/remake.sh";
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(job, dir / "fit.pfc");
    const std::string cmd = "cd '" + dir.string() + "' && '" SIMPLEXFIT_PATH "' > console 2> errors";
    const int rc = std::system(cmd.c_str());
    const int status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    EXPECT_EQ("exit " + std::to_string(status) + "\n" + slurp(dir / "errors"), slurp(want / "status"));
    for (const char* f : {"out.txt", "fit.spc", "new.pfc"}) {
      EXPECT_EQ(fs::exists(want / f), fs::exists(dir / f)) << f;
      if (fs::exists(want / f) && fs::exists(dir / f)) {
        EXPECT_TRUE(slurp(dir / f) == slurp(want / f)) << f << " differs from " << (want / f);
      }
    }
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
}

}  // namespace
