// The built programs, run as processes in a temporary directory: usage, the fatal stop, a job
// file that cannot be read, and a whole fit of the bundled example.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

#include "testutil.h"

namespace zentrab::test {
namespace {

struct Process {
  int status = -1;
  std::string out, err;
};

// Runs `program` with `args` in `dir`, capturing its standard streams.
Process runIn(const TempDir& dir, const std::string& program, const std::string& args) {
  const std::string cmd = "cd '" + dir.path().string() + "' && '" + program + "' " + args +
                          " > stdout.txt 2> stderr.txt";
  Process p;
  const int rc = std::system(cmd.c_str());
  p.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  p.out = dir.read("stdout.txt");
  p.err = dir.read("stderr.txt");
  std::filesystem::remove(dir.path() / "stdout.txt");
  std::filesystem::remove(dir.path() / "stderr.txt");
  return p;
}

TEST(Program, WithoutAnArgumentPrintsItsUsageAndStops) {
  for (const auto& [program, name] : {std::pair{XZENTRAB_PATH, "xZentrab"}, {ZENTRAB_PATH, "Zentrab"}}) {
    TempDir dir;
    dir.write("out.txt", "log of an earlier run\n");
    const Process p = runIn(dir, program, "");
    EXPECT_NE(p.status, 0);
    EXPECT_EQ(p.out, " ******  Fatal Error ******\n  Usage: " + std::string(name) + " file_name\n");
    EXPECT_EQ(p.err, "STOP 9999\n");
    EXPECT_EQ(dir.read("out.txt"), "log of an earlier run\n");  // not replaced
    EXPECT_FALSE(dir.exists("new.pfc"));
  }
}

TEST(Program, ALimitStopsWithStop9999AndNoResult) {
  TempDir dir;
  std::string job =
      "t\nd\np\nMarq\n5 0.01 1e-4\n1.540562 1.544390 6 0.5\n20 40\n20 40\n"
      "0 0 0\n0 0 0\n0 0 0\n0 0 0\n0 0 0\n71\n";
  dir.write("big.pfc", job);
  const Process p = runIn(dir, XZENTRAB_PATH, "big.pfc");
  EXPECT_EQ(p.status, kStopStatus);
  EXPECT_EQ(p.err, "STOP 9999\n");
  EXPECT_EQ(lines(p.out).back(), " nPeak too large");
  const std::string log = dir.read("out.txt");
  EXPECT_NE(log.find(" Number of Peaks to fit:   71"), std::string::npos);
  EXPECT_EQ(log.find("too large"), std::string::npos);  // the reason is on the console only
  EXPECT_FALSE(dir.exists("new.pfc"));
}

TEST(Program, AJobFileThatCannotBeReadFailsWithOneLine) {
  TempDir dir;
  const Process missing = runIn(dir, ZENTRAB_PATH, "none.pfc");
  EXPECT_EQ(missing.status, kIoErrorStatus);
  EXPECT_EQ(missing.err, "none.pfc: cannot be opened for reading\n");
  EXPECT_FALSE(dir.exists("new.pfc"));

  dir.write("short.pfc", "t\nd\np\nMarq\n5 0.01 1e-4\n1.540562 1.544390\n");
  const Process early = runIn(dir, XZENTRAB_PATH, "short.pfc");
  EXPECT_EQ(early.status, kIoErrorStatus);
  EXPECT_EQ(lines(early.err).size(), 1u);
  EXPECT_EQ(early.err.rfind("short.pfc: record 6", 0), 0u) << early.err;
  EXPECT_FALSE(dir.exists("new.pfc"));
}

TEST(Program, FitsTheBundledExample) {
  const std::string example = std::string(FITTER_EXAMPLE_DIR) + "/demo.pfc";
  if (!std::filesystem::exists(example)) GTEST_SKIP() << "no example job at " << example;
  for (const char* program : {XZENTRAB_PATH, ZENTRAB_PATH}) {
    TempDir dir;
    std::filesystem::copy_file(example, dir.path() / "demo.pfc");
    const Process p = runIn(dir, program, "demo.pfc");
    ASSERT_EQ(p.status, 0) << p.err;
    EXPECT_EQ(p.err, "");
    EXPECT_EQ(dir.read("out.txt"), p.out);  // the log holds what the console showed
    const auto out = lines(p.out);
    ASSERT_GE(out.size(), 7u);
    EXPECT_EQ(out[out.size() - 7].rfind(" *** Peak area: #", 0), 0u);
    EXPECT_EQ(out.back().substr(0, 3), "  6");
    ASSERT_TRUE(dir.exists("new.pfc"));
    EXPECT_EQ(lines(dir.read("new.pfc")).size(), lines(dir.read("demo.pfc")).size());
  }
}

}  // namespace
}  // namespace zentrab::test
