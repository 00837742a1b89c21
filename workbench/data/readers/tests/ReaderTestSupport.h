// Shared pieces of the reader tests: a scratch folder per test for crafted files, a platform
// that keeps the messages shown, and the folder of real instrument files.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Platform.h"
#include "VariousData.h"

namespace reader_tests {

namespace fs = std::filesystem;

// Each test gets an empty folder of its own; files are written byte for byte.
class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("balimor_readers_" + std::to_string(::getpid()) + "_" + info->test_suite_name() + "_" +
            info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  fs::path dir_;
};

// Checks one point of a curve (raw values).
inline void ExpectPoint(const CGraphData& c, int i, double x, double y) {
  ASSERT_LT(i, c.datan);
  EXPECT_DOUBLE_EQ(c.GetX(i), x) << "X of point " << i;
  EXPECT_DOUBLE_EQ(c.GetY(i), y) << "Y of point " << i;
}

// A platform that only records the messages shown.
class MessageLog : public IPlatform {
 public:
  struct Message {
    std::string text, caption;
  };
  std::vector<Message> messages;

  void ShowMessage(const std::string& text, const std::string& caption) override {
    messages.push_back({text, caption});
  }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
  int ChooseLine(const std::string&, const std::vector<std::string>&) override { return -1; }
  bool ChooseOpenFile(const std::string&, const std::string&, std::string&) override {
    return false;
  }
  bool ChooseSaveFile(const std::string&, const std::string&, std::string&) override {
    return false;
  }
  bool SetClipboardText(const std::string&) override { return false; }
  std::string CurrentDirectory() override { return "."; }
  bool SetCurrentDirectory(const std::string&) override { return false; }
  ProgramRun RunProgram(const std::vector<std::string>&, const std::string&, const std::string&,
                        const ProgramOutputSink&) override {
    return ProgramRun();
  }
  bool StartProgram(const std::vector<std::string>&) override { return false; }
};

// The folder of real instrument files; tests using it skip when it is absent.
inline std::string RealData(const std::string& name) {
  return (fs::path(BALIMOR_REALDATA_DIR) / name).string();
}
#define SKIP_WITHOUT_REALDATA()                                                   \
  if (!::reader_tests::fs::is_directory(BALIMOR_REALDATA_DIR))                    \
  GTEST_SKIP() << "real instrument files not found in " << BALIMOR_REALDATA_DIR

}  // namespace reader_tests
