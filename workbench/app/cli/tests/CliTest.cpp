#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("balimor_cli_" + std::to_string(::getpid()) + "_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Write(const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
    return (dir / name).string();
  }
  static std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // Runs the program with the arguments (each quoted), its INI file in the scratch folder.
  CliRun Cli(const std::string& args) {
    const fs::path out = dir / "stdout", err = dir / "stderr";
    const std::string cmd = "BALIMOR_INI='" + (dir / "cli.INI").string() + "' '" BALIMOR_CLI "' " + args +
                            " >'" + out.string() + "' 2>'" + err.string() + "'";
    CliRun r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    return r;
  }
  static std::string Q(const std::string& s) { return "'" + s + "'"; }

  fs::path dir;
};

}  // namespace

TEST_F(CliTest, InfoPrintsTheLoadInOrder) {
  const std::string ras = Write("scan.ras", "*FILE_COMMENT Si wafer\n*RAS_INT_START\n10 5 2\n10.02 6 1\n*RAS_INT_END\n");
  const CliRun r = Cli("info " + Q(ras));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "result: 0\ntitle: " + ras + " (SmartLab RAS Data)\nkind: 2\nx-label: Angle / deg\n"
            "y-label: Intensity\nlabel: Si wafer\npoints: 2\nfirst: 10 10\nlast: 10.02 6\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(CliTest, FailedLoadExitsOneAndWritesNothing) {
  const std::string bad = Write("bad.ras", "no marker\n");
  const CliRun info = Cli("info " + Q(bad));
  EXPECT_EQ(info.status, 1);
  EXPECT_NE(info.out.find("result: -1\ntitle: " + bad + " (Invalid Data)\n"), std::string::npos);
  const fs::path out = dir / "out.txt";
  std::ofstream(out) << "keep";
  const CliRun ex = Cli("export " + Q(bad) + " " + Q(out.string()));
  EXPECT_EQ(ex.status, 1);
  EXPECT_EQ(Slurp(out), "keep");
  // A message box of the workbench goes to the error stream as "caption: text".
  const std::string gone = (dir / "gone.xrd").string();
  const CliRun msg = Cli("info " + Q(gone));
  EXPECT_EQ(msg.status, 1);
  EXPECT_EQ(msg.err, "Error: Can't read [" + gone + "]\n");
}

TEST_F(CliTest, SectionOptionAndExports) {
  const std::string xrd = Write("two.xrd",
                                "*SAMPLE = q\n*SEC_COUNT = 2\n"
                                "*BEGIN\n*START = 10\n*STOP = 11\n*STEP = 1\n*COUNT = 2\n1 2\n*END\n"
                                "*BEGIN\n*START = 20\n*STOP = 20.02\n*STEP = 0.02\n*COUNT = 2\n3 4\n*END\n");
  EXPECT_NE(Cli("info " + Q(xrd)).out.find("result: 0\n"), std::string::npos);
  const CliRun one = Cli("info " + Q(xrd) + " --section 1");
  EXPECT_NE(one.out.find("result: 1\n"), std::string::npos);
  EXPECT_NE(one.out.find("first: 20 3\n"), std::string::npos);

  const fs::path txt = dir / "out.txt", rit = dir / "out.int";
  EXPECT_EQ(Cli("export " + Q(xrd) + " " + Q(txt.string()) + " --section 1").status, 0);
  EXPECT_EQ(Slurp(txt), "2\n20\t3\n20.02\t4\n");
  EXPECT_EQ(Cli("rietan " + Q(xrd) + " " + Q(rit.string())).status, 0);
  EXPECT_EQ(Slurp(rit), "2  10  1\n      1      2\n");

  // A section the file does not hold counts as no choice: section 0.
  const CliRun beyond = Cli("info " + Q(xrd) + " --section 7");
  EXPECT_EQ(beyond.status, 0);
  EXPECT_NE(beyond.out.find("result: 0\n"), std::string::npos);
  EXPECT_NE(beyond.out.find("first: 10 1\n"), std::string::npos);

  // A good load that cannot be written is a failure too.
  const std::string nowhere = (dir / "no" / "such" / "out.txt").string();
  const CliRun unwritable = Cli("export " + Q(xrd) + " " + Q(nowhere));
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_EQ(unwritable.err, "balimor-cli: can't write [" + nowhere + "]\n");
  EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST_F(CliTest, UsageAndBadArguments) {
  const CliRun help = Cli("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"info FILE", "export FILE OUT", "rietan FILE OUT", "--section N"})
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  EXPECT_EQ(Cli("").status, 1);
  EXPECT_EQ(Cli("frobnicate x").status, 1);
  EXPECT_EQ(Cli("info a b").status, 1);
  EXPECT_EQ(Cli("info a --section x").status, 1);
}
