// Helpers of the document tests: a scratch folder per test with its own INI file, and files
// written from inline text.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "BalimorDoc.h"
#include "RecordingPlatform.h"

namespace doctest {

namespace fs = std::filesystem;

class DocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
      if (c == '/') c = '_';
    // The process id keeps test runs of several build folders at once out of each other's way.
    dir = fs::temp_directory_path() / ("balimor_doc_" + std::to_string(::getpid()) + "_" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    ini = (dir / "test.INI").string();
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Write(const std::string& name, const std::string& text) {
    const fs::path p = dir / name;
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out << text;
    return p.string();
  }
  std::string Write(const std::string& name, const std::vector<unsigned char>& bytes) {
    const fs::path p = dir / name;
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return p.string();
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  // Loads `path` into `doc` and checks the result, the title suffix, frame 0's labels and the
  // data kind; returns frame 0 (null, with a failure recorded, when there is none).
  const CGraphFrame* ExpectLoad(CBalimorDoc& doc, const std::string& path, int result,
                                const std::string& suffix, const std::string& xLabel,
                                const std::string& yLabel, int kind) {
    EXPECT_EQ(doc.ReadDataFile(path), result);
    EXPECT_EQ(doc.GetPathName(), path + " " + suffix);
    const CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
    EXPECT_NE(frame, nullptr);
    if (!frame) return nullptr;
    EXPECT_EQ(frame->xLabel, xLabel);
    EXPECT_EQ(frame->yLabel, yLabel);
    EXPECT_EQ(DataKindNumber(doc.GetDataKind()), kind);
    return frame;
  }

  fs::path dir;
  std::string ini;
  RecordingPlatform platform;
};

// A text-header binary scan: the 31 header lines, zero padding up to the data offset 512, then
// (angle * 10000, count) pairs as 32-bit integers in the given byte order.
inline std::vector<unsigned char> RigakuBinary(const std::vector<std::pair<double, int>>& points,
                                               bool bigEndian, const std::string& sample) {
  std::string h = "numbr 1\noffst 512\nnexdt 0\nfiles 1\n\n\ncomment\n\n\ncomment\n"
                  "wavel 15406\nvoltg 40\ncurnt 30\n\nsampl " + sample + "\n\n\n\n\n\n"
                  "start 100000\nstopa 200000\nspeed 2\nstepw 200\n\n\n\n\n\n\n"
                  "datan " + std::to_string(points.size()) + "\n";
  std::vector<unsigned char> bytes(h.begin(), h.end());
  bytes.resize(512, 0);
  auto put = [&](std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int k = 0; k < 4; ++k) {
      const int shift = bigEndian ? 24 - 8 * k : 8 * k;
      bytes.push_back(static_cast<unsigned char>((u >> shift) & 0xFF));
    }
  };
  for (const auto& [angle, count] : points) {
    put(static_cast<std::int32_t>(angle * 10000 + (angle >= 0 ? 0.5 : -0.5)));
    put(count);
  }
  return bytes;
}

}  // namespace doctest
