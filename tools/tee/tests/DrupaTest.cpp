#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Drupa.h"

namespace fs = std::filesystem;
using drupa::RunDrupa;

namespace {

const char* const kUsage =
    "usage: Drupa [-f|-a] OutputFileName\n"
    "  OutputFileName will be changed if OutputFileName exists.\n"
    "  To suppress the OutputFileName update function, use -f.\n"
    "  To append the output, use -a.\n"
    "\n";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

struct Result {
    int status;
    std::string out;
    std::string err;
    int reads;  // how often the input was asked for
};

class DrupaRun : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "drupa-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // Runs the tool with `input` arriving in chunks of at most 5 bytes.
    static Result Run(const std::vector<std::string>& args, const std::string& input) {
        std::size_t pos = 0;
        Result r{0, "", "", 0};
        auto read = [&](char* buffer, std::size_t size) -> std::size_t {
            ++r.reads;
            const std::size_t n = std::min({size, input.size() - pos, std::size_t{5}});
            input.copy(buffer, n, pos);
            pos += n;
            return n;
        };
        std::ostringstream out, err;
        r.status = RunDrupa(args, read, out, err);
        r.out = out.str();
        r.err = err.str();
        return r;
    }

    fs::path dir_;
};

}  // namespace

TEST(DrupaArguments, OptionsAndNames) {
    using drupa::ParseArguments;
    auto force = ParseArguments({"-f", "log.txt", "ignored"});
    ASSERT_TRUE(force);
    EXPECT_TRUE(force->force);
    EXPECT_FALSE(force->append);
    EXPECT_EQ(force->name, "log.txt");
    auto append = ParseArguments({"-a", "-f"});
    ASSERT_TRUE(append);
    EXPECT_TRUE(append->append);
    EXPECT_FALSE(append->force);
    EXPECT_EQ(append->name, "-f");
    // Only "-f" and "-a" exactly are options; "-fz" and "-ab" are file names.
    for (const std::string name : {"-fz", "-ab", "log.txt"}) {
        auto plain = ParseArguments({name});
        ASSERT_TRUE(plain) << name;
        EXPECT_FALSE(plain->force || plain->append) << name;
        EXPECT_EQ(plain->name, name);
    }
}

TEST(DrupaNames, NumberedVariants) {
    struct Case {
        const char* name;
        int number;
        const char* expected;
    };
    for (const Case& c : std::vector<Case>{
             {"log.txt", 2, "log_002.txt"},
             {"runs/out", 1, "runs/out_001"},            // no extension, no point
             {"data.old/x", 1, "data.old/x_001"},        // point only in the directory
             {".profile", 1, "_001.profile"},            // leading point
             {"/log", 1, "/log_001"},                    // stays in the root directory
             {"a.b.c", 999, "a.b_999.c"},                // last point counts
             {"log.", 7, "log_007"},                     // empty extension, no point
         }) {
        EXPECT_EQ(drupa::NumberedName(drupa::SplitName(c.name), c.number), c.expected) << c.name;
    }
}

TEST_F(DrupaRun, NumbersPastExistingFiles) {
    WriteFile(Path("log.txt"), "first");
    WriteFile(Path("log_001.txt"), "second");
    const Result r = Run({Path("log.txt")}, "line 1\nline 2\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Drupa: Write to " + Path("log_002.txt") + "\nline 1\nline 2\n");
    EXPECT_EQ(ReadFile(Path("log_002.txt")), "line 1\nline 2\n");
    EXPECT_EQ(ReadFile(Path("log.txt")), "first");
    EXPECT_EQ(ReadFile(Path("log_001.txt")), "second");
}

TEST_F(DrupaRun, FreeNameAndUnreadableFile) {
    Result r = Run({Path("new.txt")}, "abc");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Drupa: Write to " + Path("new.txt") + "\nabc");
    EXPECT_EQ(ReadFile(Path("new.txt")), "abc");

    // A file that exists but cannot be read is still never overwritten.
    WriteFile(Path("locked.txt"), "keep");
    fs::permissions(Path("locked.txt"), fs::perms::owner_write);
    r = Run({Path("locked.txt")}, "y");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ReadFile(Path("locked_001.txt")), "y");
    fs::permissions(Path("locked.txt"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadFile(Path("locked.txt")), "keep");
}

TEST_F(DrupaRun, ForceAndAppend) {
    WriteFile(Path("log.txt"), "old\n");
    Result r = Run({"-f", Path("log.txt")}, "new\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "new\n");  // no "Write to" line
    EXPECT_EQ(ReadFile(Path("log.txt")), "new\n");
    EXPECT_FALSE(fs::exists(Path("log_001.txt")));

    r = Run({"-a", Path("log.txt")}, "more\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "more\n");
    EXPECT_EQ(ReadFile(Path("log.txt")), "new\nmore\n");

    r = Run({"-a", Path("fresh.txt")}, "made");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ReadFile(Path("fresh.txt")), "made");
}

TEST_F(DrupaRun, EmptyInput) {
    Result r = Run({Path("empty.txt")}, "");
    EXPECT_EQ(r.status, 0);
    ASSERT_TRUE(fs::exists(Path("empty.txt")));
    EXPECT_EQ(fs::file_size(Path("empty.txt")), 0u);

    WriteFile(Path("kept.txt"), "content");
    r = Run({"-a", Path("kept.txt")}, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFile(Path("kept.txt")), "content");
}

TEST_F(DrupaRun, UsageTouchesNothing) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {"-x"}, {"-"}, {"-f"}, {"-a"}, {"-Z", "log"}}) {
        const Result r = Run(args, "input");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, kUsage);
        EXPECT_EQ(r.reads, 0);
    }
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(DrupaRun, UnwritableTargets) {
    WriteFile(Path("plain"), "");
    std::vector<std::string> targets = {Path("missing/out.txt"), Path("plain/out.txt")};
    if (geteuid() != 0) {
        fs::create_directory(Path("ro"));
        fs::permissions(Path("ro"), fs::perms::owner_read | fs::perms::owner_exec);
        targets.push_back(Path("ro/out.txt"));
    } else {
        targets.push_back("/proc/drupa-test-out.txt");  // refused even to root
    }
    for (const std::string& target : targets) {
        Result r = Run({target}, "input");
        EXPECT_EQ(r.status, 1) << target;
        EXPECT_EQ(r.out, "Drupa: Write to " + target + "\nError: Can not write to " + target + ".\n\n");
        EXPECT_EQ(r.reads, 0) << "input must not be read when the open fails";
        r = Run({"-a", target}, "input");
        EXPECT_EQ(r.status, 1) << target;
        EXPECT_EQ(r.out, "Error: Can not write to " + target + ".\n\n");
    }
}

TEST_F(DrupaRun, WriteErrorIsReported) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "/dev/full is not available";
    const Result r = Run({"-f", "/dev/full"}, "some text that cannot be stored");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Error: Can not write to /dev/full.\n");
    EXPECT_EQ(r.out, "some text that cannot be stored");  // the console copy goes on
}

TEST_F(DrupaRun, InputAndConsoleFailuresAreReported) {
    // A read error ends the copy: what came before it is kept, and the run fails.
    int calls = 0;
    auto failing = [&](char* buffer, std::size_t) -> std::ptrdiff_t {
        if (++calls > 1) return -1;
        std::string("abc").copy(buffer, 3);
        return 3;
    };
    std::ostringstream out, err;
    EXPECT_EQ(RunDrupa({"-f", Path("cut.txt")}, failing, out, err), 1);
    EXPECT_EQ(err.str(), "Error: Can not read the standard input.\n");
    EXPECT_EQ(out.str(), "abc");
    EXPECT_EQ(ReadFile(Path("cut.txt")), "abc");

    // A console that refuses output: told once, the file still gets everything.
    std::ostream closed(nullptr);
    std::ostringstream closedErr;
    std::size_t pos = 0;
    const std::string input(200 * 1024, 'z');
    auto chunks = [&](char* buffer, std::size_t size) -> std::ptrdiff_t {
        const std::size_t n = input.copy(buffer, std::min<std::size_t>(size, 1000), pos);
        pos += n;
        return static_cast<std::ptrdiff_t>(n);
    };
    EXPECT_EQ(RunDrupa({Path("kept.txt")}, chunks, closed, closedErr), 1);
    EXPECT_EQ(closedErr.str(), "Error: Can not write to the standard output.\n");
    EXPECT_EQ(ReadFile(Path("kept.txt")), input);
}

TEST_F(DrupaRun, AllNumbersTakenIsRefused) {
    WriteFile(Path("log.txt"), "base");
    for (int i = 1; i <= 999; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "log_%03d.txt", i);
        WriteFile(Path(name), name);
    }
    const Result r = Run({Path("log.txt")}, "input");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Error: " + Path("log.txt") + " and all numbered names up to " +
                         Path("log_999.txt") + " exist; use -f to overwrite or -a to append.\n\n");
    EXPECT_EQ(r.reads, 0);
    EXPECT_EQ(ReadFile(Path("log_999.txt")), "log_999.txt");
    EXPECT_EQ(ReadFile(Path("log.txt")), "base");
}

TEST_F(DrupaRun, OverlongNamesAreRefused) {
    const std::string tooLong(256, 'n');
    for (const auto& args : std::vector<std::vector<std::string>>{
             {tooLong}, {"-f", tooLong}, {"-a", tooLong}}) {
        const Result r = Run(args, "input");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "Error: File name longer than 255 characters.\n\n");
        EXPECT_EQ(r.reads, 0);
    }
    // Within the limit itself, but numbering would push it past.
    const std::string name = Path(std::string(251 - dir_.string().size(), 'n'));
    ASSERT_EQ(name.size(), 252u);
    WriteFile(name, "keep");
    const Result r = Run({name}, "input");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("longer than 255 characters"), std::string::npos) << r.out;
    EXPECT_EQ(ReadFile(name), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

    // A final point goes with an empty extension, so the numbered name of this
    // 252-character name is 255 characters long, within the limit, and is used.
    const std::string dotted = name.substr(0, 251) + ".";
    WriteFile(dotted, "keep");
    const Result numbered = Run({dotted}, "input");
    EXPECT_EQ(numbered.status, 0) << numbered.out;
    const std::string expected = name.substr(0, 251) + "_001";
    ASSERT_EQ(expected.size(), 255u);
    EXPECT_EQ(ReadFile(expected), "input");
    EXPECT_EQ(ReadFile(dotted), "keep");
}

// The built program, run through the shell in a temporary working directory.
TEST_F(DrupaRun, ProgramExitStatusesAndRelativeNames) {
    auto shell = [&](const std::string& command) {
        const std::string line = "cd '" + dir_.string() + "' && " + command;
        const int raw = std::system(line.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    const std::string drupa = std::string("'") + DRUPA_PROGRAM + "'";
    EXPECT_EQ(shell("printf 'a\\nb\\n' | " + drupa + " -fz > console.txt"), 0);
    EXPECT_EQ(ReadFile(Path("-fz")), "a\nb\n");
    EXPECT_EQ(ReadFile(Path("console.txt")), "Drupa: Write to -fz\na\nb\n");

    WriteFile(Path(".profile"), "keep");
    EXPECT_EQ(shell("printf 'p' | " + drupa + " .profile > console.txt"), 0);
    EXPECT_EQ(ReadFile(Path("_001.profile")), "p");
    EXPECT_EQ(ReadFile(Path("console.txt")), "Drupa: Write to _001.profile\np");

    EXPECT_EQ(shell(drupa + " -x < /dev/null > console.txt"), 1);
    EXPECT_EQ(ReadFile(Path("console.txt")), kUsage);
    EXPECT_EQ(shell(drupa + " < /dev/null > console.txt"), 1);
    // Reading a directory as the input fails; a full console does too.
    EXPECT_EQ(shell(drupa + " -f fromdir.txt < . 2> err.txt"), 1);
    EXPECT_EQ(ReadFile(Path("err.txt")), "Error: Can not read the standard input.\n");
    if (fs::exists("/dev/full")) {
        EXPECT_EQ(shell("printf 'q' | " + drupa + " -f full.txt > /dev/full 2> err.txt"), 1);
        EXPECT_EQ(ReadFile(Path("full.txt")), "q");
        EXPECT_EQ(ReadFile(Path("err.txt")), "Error: Can not write to the standard output.\n");
    }
    EXPECT_EQ(shell(drupa + " nodir/out < /dev/null > console.txt"), 1);
    EXPECT_EQ(ReadFile(Path("console.txt")),
              "Drupa: Write to nodir/out\nError: Can not write to nodir/out.\n\n");
}
