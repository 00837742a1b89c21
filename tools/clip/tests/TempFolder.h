// A fresh folder under the system's temporary directory for each test, removed
// afterwards, with whole-file read and write helpers.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace mevlo_test {

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The folder is made on construction, so that members of derived fixtures can
// name files in it.
class TempFolder : public ::testing::Test {
protected:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "mevlo-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
    }
    void SetUp() override { ASSERT_FALSE(dir_.empty()) << "no temporary folder"; }
    void TearDown() override {
        if (!dir_.empty()) std::filesystem::remove_all(dir_);
    }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
};

}  // namespace mevlo_test
