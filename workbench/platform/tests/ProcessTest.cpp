// Program runs of the platform layer: output as it arrives, the working directory, arguments
// passed as they are, cancellation, a crash, a program that cannot start, and a start that
// does not wait.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "Process.h"

namespace fs = std::filesystem;

namespace {

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("balimor_process_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(ProcessTest, OutputArgumentsAndWorkingDirectory) {
  // Both streams reach the sink; an argument with blanks and non-ASCII text stays one argument.
  const fs::path sub = dir / "with blank ü";
  fs::create_directories(sub);
  std::string out;
  int chunks = 0;
  const ProgramRun run = process::Run(
      {"/bin/sh", "-c", "pwd; printf '%s|' \"$1\"; echo err >&2; exit 3", "sh", "a b ü"}, sub.string(),
      [&](std::string_view c) {
        out.append(c);
        ++chunks;
        return true;
      });
  EXPECT_EQ(run.status, ProgramRun::kExited);
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_GE(chunks, 1);
  EXPECT_EQ(out, sub.string() + "\na b ü|err\n");
  EXPECT_EQ(process::Describe(run), "exit status 3");
}

TEST_F(ProcessTest, EndsThatAreNotANormalExit) {
  const ProgramRun missing = process::Run({(dir / "no such program").string()}, "", nullptr);
  EXPECT_EQ(missing.status, ProgramRun::kNotStarted);
  EXPECT_FALSE(missing.Started());
  EXPECT_FALSE(missing.error.empty());

  const ProgramRun crash = process::Run({"/bin/sh", "-c", "kill -SEGV $$"}, "", nullptr);
  EXPECT_EQ(crash.status, ProgramRun::kSignalled);
  EXPECT_EQ(crash.signal, SIGSEGV);

  // Cancelled from the sink once the child has said something, and by the cancel request: a
  // child that ignores SIGTERM and one that started a grandchild are both ended.
  const auto t0 = std::chrono::steady_clock::now();
  const ProgramRun bySink = process::Run({"/bin/sh", "-c", "echo ready; sleep 30 & wait"}, "",
                                         [](std::string_view c) { return c.find("ready") == std::string_view::npos; });
  EXPECT_EQ(bySink.status, ProgramRun::kCancelled);
  int polls = 0;
  const ProgramRun stubborn = process::Run({"/bin/sh", "-c", "trap '' TERM; while :; do sleep 1; done"}, "", nullptr,
                                           [&] { return ++polls > 3; });
  EXPECT_EQ(stubborn.status, ProgramRun::kCancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));

  // A child that ends while a descendant keeps the output open does not hold the run.
  const auto t1 = std::chrono::steady_clock::now();
  const ProgramRun leftBehind = process::Run({"/bin/sh", "-c", "sleep 5 & echo done"}, "", nullptr);
  EXPECT_EQ(leftBehind.status, ProgramRun::kExited);
  EXPECT_LT(std::chrono::steady_clock::now() - t1, std::chrono::seconds(4));
}

TEST_F(ProcessTest, StartDetachedDoesNotWait) {
  const fs::path mark = dir / "started";
  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(process::StartDetached({"/bin/sh", "-c", "sleep 0.2; touch \"$0\"", mark.string()}));
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(150));
  for (int i = 0; i < 100 && !fs::exists(mark); ++i) usleep(20000);
  EXPECT_TRUE(fs::exists(mark));
  std::string why;
  EXPECT_FALSE(process::StartDetached({(dir / "absent").string()}, &why));
  EXPECT_FALSE(why.empty());
}

}  // namespace
