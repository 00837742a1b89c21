#include "DocTestSupport.h"
#include "Profile.h"
#include "SetupForm.h"

using doctest::DocTest;

namespace {

class LoadCommandTest : public DocTest {
 protected:
  // Puts a fit on the record so that the reset of the commands can be seen.
  static void DirtyFit(CPeakSearch& fit) {
    for (int k = 0; k < CPeakSearch::kBackgroundTerms; ++k) {
      fit.b[k] = k + 1.5;
      fit.optimizeB[k] = 0;
    }
    fit.peakCount = 4;
    fit.dataKind = DataKind::Spectroscopic;
  }
  static void ExpectFitReset(const CPeakSearch& fit) {
    for (int k = 0; k < CPeakSearch::kBackgroundTerms; ++k) {
      EXPECT_EQ(fit.b[k], 0.0);
      EXPECT_EQ(fit.optimizeB[k], 1);
    }
    EXPECT_EQ(fit.peakCount, 0);
  }
};

}  // namespace

TEST_F(LoadCommandTest, RietanCommandReadsIntAndPatByExtension) {
  const std::string folder = (dir / "scans").string();
  profile::WriteString("Preferences", "RietanDataDir", folder, ini);
  const std::string pat = Write("scans/pattern.PAT", "title\n0 0.5 0 0\n2 10\n1 2 3\n4 5 6\n");
  platform.fileAnswers = {pat};
  CBalimorDoc doc(platform, ini);
  int redraws = 0;
  doc.onRedrawAll = [&] { ++redraws; };
  DirtyFit(doc.GetPeakSearch());
  doc.OnReadRietanFiles();

  ASSERT_EQ(platform.fileDialogs.size(), 1u);
  EXPECT_EQ(platform.fileDialogs[0].filter,
            "Rietan Data File (*.int;*.pat)|*.int;*.pat|All Files (*.*)|*.*||");
  EXPECT_EQ(platform.fileDialogs[0].directory, folder);
  ASSERT_FALSE(platform.directoryChanges.empty());
  EXPECT_EQ(platform.directoryChanges[0], folder);
  ExpectFitReset(doc.GetPeakSearch());
  EXPECT_EQ(doc.GetPathName(), pat + " (Rietan PAT Data)");
  EXPECT_EQ(doc.GetDataKind(), DataKind::Diffraction);
  EXPECT_EQ(doc.GetOriginalData()->datan, 2);
  EXPECT_EQ(doc.GetFrameArray()->GetFrame(0)->nGraph, 3);
  EXPECT_EQ(doc.GetFrameArray()->GetFrame(0)->xLabel, "2Theta");
  EXPECT_EQ(redraws, 1);
  EXPECT_EQ(profile::GetString("Preferences", "RietanDataDir", "", ini), folder);

  // An INT file, then a file of another kind: titled invalid.
  platform.fileAnswers = {Write("scans/a.int", "3 10 0.5\n1 2 3\n"), Write("scans/a.txt", "2\n1 2\n")};
  doc.OnReadRietanFiles();
  EXPECT_EQ(doc.GetPathName(), (dir / "scans/a.int").string() + " (Rietan INT Data)");
  EXPECT_EQ(doc.GetOriginalData()->datan, 3);
  doc.OnReadRietanFiles();
  EXPECT_EQ(doc.GetPathName(), (dir / "scans/a.txt").string() + " (Invalid Data)");
  EXPECT_EQ(redraws, 2);
}

TEST_F(LoadCommandTest, CancelledDialogChangesNothing) {
  CBalimorDoc doc(platform, ini);
  DirtyFit(doc.GetPeakSearch());
  doc.SetPathName("kept");
  platform.fileAnswers = {""};
  doc.OnReadRietanFiles();
  platform.fileAnswers = {""};
  doc.OnReadTextFiles();
  EXPECT_EQ(doc.GetPathName(), "kept");
  EXPECT_EQ(doc.GetPeakSearch().peakCount, 4);
  EXPECT_FALSE(std::filesystem::exists(ini));  // nothing written
}

TEST_F(LoadCommandTest, TextCommandNamesTheFitFiles) {
  const std::string path = Write("scans/run5.txt", "Quartz run 5   \n2\n1 2\n3 4\n");
  platform.fileAnswers = {path};
  CBalimorDoc doc(platform, ini);
  std::vector<std::string> names;
  doc.setupFileNames.Subscribe([&](const std::string& d, const std::string& p, const std::string& o) {
    names = {d, p, o};
  });
  CSetupForm form(doc);  // follows the announcement too
  DirtyFit(doc.GetPeakSearch());
  doc.OnReadTextFiles();

  EXPECT_EQ(platform.fileDialogs.at(0).filter,
            "Text Data File (*.txt;*.asc)|*.txt;*.asc|All Files (*.*)|*.*||");
  const std::string stem = (dir / "scans/run5").string();
  EXPECT_EQ(names, (std::vector<std::string>{path, stem + "#0.pfc", stem + "#0.out"}));
  EXPECT_EQ((std::vector<std::string>{form.inputPath, form.pfcPath, form.outputPath}), names);
  EXPECT_EQ(profile::GetString("Preferences", "TextDataDir", "", ini), (dir / "scans").string());
  EXPECT_EQ(doc.GetPathName(), path + " (Text Data)");
  EXPECT_EQ(doc.GetDataKind(), DataKind::None);
  ExpectFitReset(doc.GetPeakSearch());
  const CGraphFrame* f = doc.GetFrameArray()->GetFrame(0);
  EXPECT_EQ(f->xLabel, "X axis");
  EXPECT_EQ(f->yLabel, "Y axis");
  const CVariousData& d = *doc.GetOriginalData();
  EXPECT_EQ(d.label, "Quartz run 5");
  ASSERT_EQ(d.datan, 2);
  EXPECT_DOUBLE_EQ(f->XMax, 3.2);  // autoscaled: 1..3 with margin 0.1

  // An unreadable file still takes the text data title, with an empty curve.
  const std::string gone = (dir / "gone.asc").string();
  platform.fileAnswers = {gone};
  doc.OnReadTextFiles();
  EXPECT_EQ(doc.GetPathName(), gone + " (Text Data)");
}

TEST(FitJobFileNameTest, ExtensionOfTheFileNameOnly) {
  EXPECT_EQ(FitJobFileName("/scans/run5.txt", 0, "#%d.pfc"), "/scans/run5#0.pfc");
  EXPECT_EQ(FitJobFileName("/scans/run5.v2.txt", 3, "#%d.out"), "/scans/run5.v2#3.out");
  // A dot in a folder name is not an extension: the suffix is appended.
  EXPECT_EQ(FitJobFileName("/data.d/scan", 0, "#%d.pfc"), "/data.d/scan#0.pfc");
  EXPECT_EQ(FitJobFileName("scan", 0, "#%d.pfc"), "scan#0.pfc");
}

TEST_F(DocTest, ProfileReadsCaseInsensitivelyAndDefaults) {
  EXPECT_EQ(profile::GetString("Setup", "GraphPosition", "20 70 80 10", ini), "20 70 80 10");
  Write("test.INI",
        "; settings\r\n[SETUP]\r\nGRAPHPOSITION = 1 2 3 4 \r\nEmpty=\r\n\r\n[Other]\r\nn=12x\r\nbad=x\r\n");
  EXPECT_EQ(profile::GetString("setup", "graphposition", "", ini), "1 2 3 4");
  EXPECT_EQ(profile::GetString("Setup", "Empty", "d", ini), "");
  EXPECT_EQ(profile::GetString("Setup", "n", "d", ini), "d");  // key of another section
  EXPECT_EQ(profile::GetInt("Other", "N", 5, ini), 12);
  EXPECT_EQ(profile::GetInt("Other", "bad", 5, ini), 5);
  EXPECT_EQ(profile::GetInt("Other", "missing", 7, ini), 7);
}

TEST_F(DocTest, ProfileWriteKeepsEveryOtherLine) {
  Write("test.INI", "; settings\r\n[Setup]\r\nGraphPosition=1 2 3 4\r\n\r\n[Other]\r\nn=12\r\n");
  ASSERT_TRUE(profile::WriteString("setup", "graphposition", "5 6 7 8", ini));
  ASSERT_TRUE(profile::WriteString("Setup", "ClipGraphFrame", "1", ini));
  ASSERT_TRUE(profile::WriteString("Preferences", "TextDataDir", "/scans", ini));
  EXPECT_EQ(Slurp(ini),
            "; settings\r\n[Setup]\r\nGraphPosition=5 6 7 8\r\nClipGraphFrame=1\r\n\r\n[Other]\r\nn=12\r\n"
            "\r\n[Preferences]\r\nTextDataDir=/scans\r\n");
  // A file with LF line ends keeps them; a missing file is created.
  const std::string lf = Write("lf.INI", "[A]\nx=1\n");
  ASSERT_TRUE(profile::WriteString("A", "y", "2", lf));
  EXPECT_EQ(Slurp(lf), "[A]\nx=1\ny=2\n");
  const std::string fresh = (dir / "new.INI").string();
  ASSERT_TRUE(profile::WriteString("A", "k", "v", fresh));
  EXPECT_EQ(profile::GetString("a", "K", "", fresh), "v");
  EXPECT_FALSE(profile::WriteString("A", "k", "v", (dir / "no/such/dir.INI").string()));
  // An INI file reached through a link is updated where it lies; the link stays.
  std::filesystem::create_symlink("lf.INI", dir / "link.INI");
  ASSERT_TRUE(profile::WriteString("A", "z", "3", (dir / "link.INI").string()));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.INI"));
  EXPECT_EQ(Slurp(lf), "[A]\nx=1\ny=2\nz=3\n");
}

TEST(IniLocationTest, BesideTheProgramUnlessNamed) {
  namespace fs = std::filesystem;
  RecordingPlatform platform;
  const std::string keep = platform.EnvironmentValue("BALIMOR_INI");
  unsetenv("BALIMOR_INI");
  const CIniLocation a(platform, "/opt/bal.v2/bin/Balimor");
  EXPECT_EQ(a.iniPath, "/opt/bal.v2/bin/Balimor.INI");
  EXPECT_EQ(a.programDir, "/opt/bal.v2/bin");
  EXPECT_EQ(CIniLocation(platform, "/tools/balimor.exe").iniPath, "/tools/balimor.INI");
  // An installed program whose folder cannot take the INI file keeps it in the user's
  // settings folder; one that can keeps it beside itself.
  const fs::path config = fs::temp_directory_path() / ("balimor_config_" + std::to_string(::getpid()));
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  EXPECT_EQ(CIniLocation::ForProgram(platform, "/no/such/folder/Balimor").iniPath, (config / "Balimor" / "Balimor.INI").string());
  EXPECT_TRUE(fs::is_directory(config / "Balimor"));
  // Below /usr even where the folder could be written (as root).
  EXPECT_EQ(CIniLocation::ForProgram(platform, "/usr/bin/Balimor").iniPath, (config / "Balimor" / "Balimor.INI").string());
  const std::string here = (config / "Balimor" / "balimor-cli").string();
  EXPECT_EQ(CIniLocation::ForProgram(platform, here).iniPath, here + ".INI");
  fs::remove_all(config);
  unsetenv("XDG_CONFIG_HOME");
  setenv("BALIMOR_INI", "/tmp/other.ini", 1);
  EXPECT_EQ(CIniLocation(platform, "/tools/balimor").iniPath, "/tmp/other.ini");
  EXPECT_EQ(CIniLocation::ForProgram(platform, "/no/such/folder/Balimor").iniPath, "/tmp/other.ini");
  if (!keep.empty())
    setenv("BALIMOR_INI", keep.c_str(), 1);
  else
    unsetenv("BALIMOR_INI");
}
