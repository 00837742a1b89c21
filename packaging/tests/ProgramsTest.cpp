// The built programs as a person meets them outside their work: every one answers --version
// without a display, balimor-cli's help and its manual page name the same commands and options,
// the manual pages are clean troff with the sections a reader looks for, balimor-cli plot says
// nothing on a machine without a desktop session, and Balimor opens the file a launcher names.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "BalimorVersion.h"

namespace fs = std::filesystem;

namespace {

const std::string kBin = BALIMOR_BIN_DIR;
const std::string kManDir = BALIMOR_MAN_DIR;

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct Outcome {
  int status = -1;
  std::string out;
};

// Runs a shell command line and returns its standard output and exit status.
Outcome RunShell(const std::string& command) {
  Outcome r;
  std::FILE* p = ::popen(command.c_str(), "r");
  if (!p) return r;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) r.out.append(buffer, n);
  const int w = ::pclose(p);
  r.status = WIFEXITED(w) ? WEXITSTATUS(w) : 128 + (WIFSIGNALED(w) ? WTERMSIG(w) : 0);
  return r;
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::set<std::string> Matches(const std::string& text, const std::regex& re, int group = 0) {
  std::set<std::string> found;
  for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
    found.insert((*it)[group].str());
  return found;
}

std::string Listed(const std::set<std::string>& names) {
  std::string s;
  for (const std::string& n : names) s += " " + n;
  return s;
}

// Every program prints "NAME VERSION" for --version alone and ends with 0, without a display
// (so Balimor opens no window) and before it reads any file.
TEST(ProgramsTest, VersionOnEveryProgram) {
  for (const char* name : {"Balimor", "balimor-cli", "xZentrab", "Zentrab", "simplexfit", "Mevlo", "Drupa"}) {
    SCOPED_TRACE(name);
    const std::string program = kBin + "/" + name;
    if (!fs::exists(program)) GTEST_SKIP() << program << " is not built";
    const Outcome r = RunShell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + Quoted(program) +
                           " --version </dev/null 2>&1");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string(name) + " " + balimor::kVersion + "\n");
  }
}

// The section of a manual page from its ".SH NAME" line to the next one.
std::string PageSection(const std::string& page, const std::string& name) {
  const std::size_t from = page.find("\n.SH " + name + "\n");
  if (from == std::string::npos) return "";
  return page.substr(from, page.find("\n.SH ", from + 1) - from);
}

// The help and the manual page list the same commands and the same options: a command or an
// option added to one must be described in the other (the page's OPTIONS and COMMANDS).
TEST(ProgramsTest, CliHelpAndManualPageAgree) {
  const Outcome help = RunShell(Quoted(kBin + "/balimor-cli") + " --help");
  ASSERT_EQ(help.status, 0);
  std::string page = Slurp(kManDir + "/balimor-cli.1");
  ASSERT_FALSE(page.empty());
  page = std::regex_replace(page, std::regex(R"(\\-)"), "-");

  const std::regex option(R"(--[a-z][a-z0-9-]*)");
  const std::set<std::string> helpOptions = Matches(help.out, option);
  const std::set<std::string> pageOptions = Matches(PageSection(page, "OPTIONS"), option);
  EXPECT_EQ(helpOptions, pageOptions) << "help:" << Listed(helpOptions) << "\npage:" << Listed(pageOptions);
  EXPECT_TRUE(helpOptions.contains("--version") && helpOptions.contains("--section"));

  // Commands: the help's lines of two blanks and a lower-case word; the page's tagged
  // paragraphs in its COMMANDS section.
  const std::set<std::string> helpCommands = Matches(help.out, std::regex(R"((?:^|\n)  ([a-z]+)(?= |\n))"), 1);
  const std::set<std::string> pageCommands =
      Matches(PageSection(page, "COMMANDS"), std::regex(R"(\n\.TP\n\.BI? ([a-z]+))"), 1);
  EXPECT_EQ(helpCommands, pageCommands) << "help:" << Listed(helpCommands) << "\npage:" << Listed(pageCommands);
  EXPECT_TRUE(helpCommands.contains("plot"));
}

// Each page is troff that groff takes without a warning and holds the sections of a manual
// page; Zentrab's page is xZentrab's.
TEST(ProgramsTest, ManualPages) {
  const bool groff = RunShell("command -v groff >/dev/null").status == 0;
  for (const char* name : {"Balimor", "balimor-cli", "xZentrab", "simplexfit", "Mevlo", "Drupa"}) {
    SCOPED_TRACE(name);
    const std::string path = kManDir + "/" + name + ".1";
    const std::string page = Slurp(path);
    EXPECT_TRUE(page.starts_with(".TH ")) << path;
    EXPECT_EQ(page.find('@'), std::string::npos) << "a configure variable left unfilled";
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "FILES", "EXIT STATUS", "EXAMPLES"})
      EXPECT_NE(page.find(std::string("\n.SH ") + section + "\n"), std::string::npos) << section;
    EXPECT_NE(page.find("\\-\\-version"), std::string::npos);
    if (groff) {
      const Outcome r = RunShell("groff -man -ww -z -Tutf8 " + Quoted(path) + " 2>&1");
      EXPECT_EQ(r.status, 0);
      EXPECT_EQ(r.out, "");
    }
    EXPECT_TRUE(fs::exists(path + ".gz"));
  }
  EXPECT_EQ(fs::read_symlink(kManDir + "/Zentrab.1.gz"), "xZentrab.1.gz");
  if (!groff) GTEST_SKIP() << "groff is not installed; the pages' troff was not checked";
}

// Without XDG_RUNTIME_DIR (a console login, a service) plot writes its picture and nothing on
// the error stream.
TEST(ProgramsTest, PlotWithoutDesktopSessionIsQuiet) {
  const fs::path dir = fs::temp_directory_path() / ("balimor_plot_quiet_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy_file(fs::path(BALIMOR_EXAMPLES_DIR) / "diffraction" / "demo.txt", dir / "demo.txt");
  const Outcome r = RunShell("cd " + Quoted(dir.string()) + " && env -u XDG_RUNTIME_DIR -u QT_QPA_PLATFORM " +
                         "BALIMOR_INI=" + Quoted((dir / "none.INI").string()) + " " +
                         Quoted(kBin + "/balimor-cli") + " plot demo.txt demo.png 2>&1");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_GT(fs::exists(dir / "demo.png") ? fs::file_size(dir / "demo.png") : 0u, 1000u);
  fs::remove_all(dir);
}

// A file manager hands Balimor the chosen file through the desktop entry's %f as one argument,
// blanks and letters of any script included, whatever the locale: it becomes the form's input.
TEST(ProgramsTest, BalimorOpensTheFileNamedOnItsCommandLine) {
  const fs::path dir = fs::temp_directory_path() / ("balimor_open_" + std::to_string(::getpid()));
  const fs::path folder = dir / "Proben Ünïcode" / "スキャン 1";
  fs::remove_all(dir);
  fs::create_directories(folder);
  const fs::path data = folder / "Si pulver ø.txt";
  fs::copy_file(fs::path(BALIMOR_EXAMPLES_DIR) / "diffraction" / "demo.txt", data);
  const fs::path ini = dir / "test.INI";
  const Outcome r = RunShell("env -u LANG -u LC_ALL QT_QPA_PLATFORM=offscreen BALIMOR_EXIT_AFTER_FIRST_PAINT=1 "
                             "XDG_CONFIG_HOME=" + Quoted((dir / "config").string()) +
                             " BALIMOR_INI=" + Quoted(ini.string()) + " " + Quoted(kBin + "/Balimor") + " " +
                             Quoted(data.string()) + " >/dev/null 2>&1");
  EXPECT_EQ(r.status, 0);
  const std::string settings = Slurp(ini), key = "InputPath=" + data.string();
  const std::size_t at = settings.find(key);
  ASSERT_NE(at, std::string::npos) << settings;
  EXPECT_TRUE(settings.compare(at + key.size(), 1, "\r") == 0 || settings.compare(at + key.size(), 1, "\n") == 0);
  fs::remove_all(dir);
}

}  // namespace
