#include <gtest/gtest.h>

#include <filesystem>

#include "Profile.h"
#include "Settings.h"
#include "TempFolder.h"

namespace fs = std::filesystem;
using mevlo::ReadProfileString;
using mevlo::WriteProfileString;

namespace {

class MevloProfile : public mevlo_test::TempFolder {
protected:
    void Write(const std::string& text) const { mevlo_test::WriteFile(ini_, text); }
    std::string Contents() const { return mevlo_test::ReadFile(ini_); }

    const std::string ini_ = Path("Mevlo.Ini");
};

}  // namespace

TEST_F(MevloProfile, ReadFindsKeysWithoutRegardToCase) {
    EXPECT_EQ(ReadProfileString(ini_, "Preferences", "ReadDir", "none"), "none");  // no file
    Write("[Other]\nReadDir=/wrong\n\n[ preferences ]\r\n  readdir =  /data/run one  \r\nX=\"q\"\n");
    EXPECT_EQ(ReadProfileString(ini_, "Preferences", "ReadDir", ""), "/data/run one");
    EXPECT_EQ(ReadProfileString(ini_, "PREFERENCES", "x", ""), "q");
    EXPECT_EQ(ReadProfileString(ini_, "Preferences", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ReadProfileString(ini_, "Absent", "ReadDir", "dflt"), "dflt");
}

TEST_F(MevloProfile, WriteCreatesTheFile) {
    ASSERT_TRUE(WriteProfileString(ini_, "Preferences", "ReadDir", "/data/run"));
    EXPECT_EQ(Contents(), "[Preferences]\nReadDir=/data/run\n");
    EXPECT_EQ(ReadProfileString(ini_, "Preferences", "ReadDir", ""), "/data/run");
}

TEST_F(MevloProfile, WriteKeepsEveryOtherLine) {
    Write("; settings\n[Preferences]\nEditor=vi\nreaddir=/old\nZoom=2\n\n[Window]\nX=1\n");
    ASSERT_TRUE(WriteProfileString(ini_, "preferences", "ReadDir", "/new"));
    EXPECT_EQ(Contents(), "; settings\n[Preferences]\nEditor=vi\nReadDir=/new\nZoom=2\n\n[Window]\nX=1\n");

    // A key missing from its section goes after the section's last entry.
    Write("[Preferences]\nEditor=vi\n\n[Window]\nReadDir=/not/this/one\n");
    ASSERT_TRUE(WriteProfileString(ini_, "Preferences", "ReadDir", "/d"));
    EXPECT_EQ(Contents(), "[Preferences]\nEditor=vi\nReadDir=/d\n\n[Window]\nReadDir=/not/this/one\n");

    // A missing section is added at the end, in the file's own line ends.
    Write("[Window]\r\nX=1\r\n");
    ASSERT_TRUE(WriteProfileString(ini_, "Preferences", "ReadDir", "/d"));
    EXPECT_EQ(Contents(), "[Window]\r\nX=1\r\n[Preferences]\r\nReadDir=/d\r\n");
}

TEST_F(MevloProfile, FailedWriteLeavesNothingBehind) {
    const std::string nowhere = (dir_ / "missing" / "Mevlo.Ini").string();
    EXPECT_FALSE(WriteProfileString(nowhere, "Preferences", "ReadDir", "/d"));
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 0);
}

TEST(MevloSettings, IniFileBesideTheProgram) {
    using mevlo::IniPathForProgram;
    EXPECT_EQ(IniPathForProgram("/opt/balimor/bin/Mevlo"), "/opt/balimor/bin/Mevlo.Ini");
    EXPECT_EQ(IniPathForProgram("/opt/tools/Mevlo.exe"), "/opt/tools/Mevlo.Ini");
    // A point in a directory name is not the program's extension.
    EXPECT_EQ(IniPathForProgram("/opt/balimor-1.2/Mevlo"), "/opt/balimor-1.2/Mevlo.Ini");
    EXPECT_EQ(IniPathForProgram("./Mevlo"), "./Mevlo.Ini");
    EXPECT_EQ(IniPathForProgram("Mevlo"), "Mevlo.Ini");
}

TEST_F(MevloProfile, ChosenFileUpdatesReadDir) {
    using mevlo::ReadDirOfChoice;
    EXPECT_EQ(ReadDirOfChoice("/data/run/a.txt"), "/data/run");
    EXPECT_EQ(ReadDirOfChoice("/a.txt"), "/");
    EXPECT_FALSE(ReadDirOfChoice("a.txt"));

    // What Mevlo does after the dialog: the directory of the choice replaces the
    // stored one and the rest of the file stays.
    Write("[Preferences]\nReadDir=/data/old\nOther=1\n");
    const std::string start = ReadProfileString(ini_, mevlo::kPreferencesSection, mevlo::kReadDirKey,
                                                mevlo::kReadDirDefault);
    EXPECT_EQ(start, "/data/old");
    const auto dir = ReadDirOfChoice("/data/run/a.txt");
    ASSERT_TRUE(dir);
    ASSERT_TRUE(WriteProfileString(ini_, mevlo::kPreferencesSection, mevlo::kReadDirKey, *dir));
    EXPECT_EQ(Contents(), "[Preferences]\nReadDir=/data/run\nOther=1\n");
}
