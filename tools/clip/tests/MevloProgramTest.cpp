// The built Mevlo, run with a controlled environment in a temporary directory.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "TempFolder.h"

extern char** environ;

namespace fs = std::filesystem;
using mevlo_test::ReadFile;

namespace {

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

bool HaveProgram(const std::string& name) {
    return std::system(("command -v " + name + " > /dev/null 2>&1").c_str()) == 0;
}

// An Xvfb server of our own on a display number it picks itself; stopped (and
// only it) when the object goes.
class VirtualDisplay {
public:
    ~VirtualDisplay() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }

    // Starts the server and waits at most 10 s for it to be ready; returns a
    // reason when it could not be started, "" when it runs.
    std::string Start() {
        int fds[2];
        if (::pipe(fds) != 0) return "no pipe";
        ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const std::string fd = std::to_string(fds[1]);
        // -noreset: without it the server resets whenever its last client leaves
        // and refuses connections for a moment, as between the dialog and xclip.
        const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset",
                              "-screen", "0", "640x480x24", nullptr};
        const int error = ::posix_spawnp(&pid_, "Xvfb", &actions, nullptr,
                                         const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (error != 0) {
            pid_ = 0;
            ::close(fds[0]);
            return "Xvfb could not be started";
        }
        // The server writes its display number and a line feed when it is ready.
        std::string number;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (number.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now()).count();
            pollfd p{fds[0], POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) break;
            char buffer[32];
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n <= 0) break;
            number.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fds[0]);
        if (number.find('\n') == std::string::npos) return "Xvfb did not report a display within 10 s";
        display_ = ":";
        display_.append(number, 0, number.find('\n'));
        return "";
    }

    const std::string& Name() const { return display_; }

private:
    pid_t pid_ = 0;
    std::string display_;
};

class MevloProgram : public mevlo_test::TempFolder {
protected:
    void WriteFile(const std::string& name, const std::string& text) const {
        mevlo_test::WriteFile(Path(name), text);
    }

    // Runs Mevlo in the temporary directory with `env` (-u options, then
    // assignments, of env(1)) and the INI file pointed into it; stdout and stderr land
    // in out_ and err_. At most 30 s.
    int Mevlo(const std::string& env, const std::string& args) {
        const std::string line = "cd " + Quote(dir_.string()) + " && env " + env + " MEVLO_INI=" + Quote(ini_) +
                                 " timeout 30 " + Quote(MEVLO_PROGRAM) + " " + args +
                                 " < /dev/null > out.txt 2> err.txt";
        const int raw = std::system(line.c_str());
        out_ = ReadFile(Path("out.txt"));
        err_ = ReadFile(Path("err.txt"));
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    // Runs Mevlo without an argument on `display` in the background, types
    // `typed` (if any) into its dialog and presses `key`, as a person would, and
    // waits at most 30 s for it to end. Returns its exit status, -1 when it did
    // not end; stdout and stderr land in out_ and err_.
    int MevloWithDialog(const std::string& display, const std::string& typed, const std::string& key) {
        fs::remove(Path("status.txt"));
        const std::string env = "env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=" + display +
                                " MEVLO_INI=" + Quote(ini_);
        const std::string start =
            "cd " + Quote(dir_.string()) + " && (" + env + " timeout 30 " + Quote(MEVLO_PROGRAM) +
            " < /dev/null > out.txt 2> err.txt; echo $? > status.part; mv status.part status.txt)"
            // Detached from our output streams, so that it cannot keep the test
            // runner's pipes open.
            " < /dev/null > /dev/null 2>&1 &";
        if (std::system(start.c_str()) != 0) return -1;
        const std::string answer =
            "DISPLAY=" + display + " timeout 20 xdotool search --sync --name '^Data File Read$' windowfocus --sync" +
            (typed.empty() ? "" : " type --delay 10 " + Quote(typed)) + " && DISPLAY=" + display +
            " timeout 5 xdotool key " + key;
        EXPECT_EQ(std::system(answer.c_str()), 0);
        for (int i = 0; i < 300 && !fs::exists(Path("status.txt")); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        out_ = ReadFile(Path("out.txt"));
        err_ = ReadFile(Path("err.txt"));
        const std::string status = ReadFile(Path("status.txt"));
        return status.empty() ? -1 : std::atoi(status.c_str());
    }

    // The clipboard of `display` as another program reads it; asked again for up
    // to 2 s while it differs from `expected`, since the helper's background part
    // may need a moment to take the selection over.
    std::string Paste(const std::string& display, const std::string& expected) const {
        const std::string paste = "cd " + Quote(dir_.string()) + " && DISPLAY=" + display +
                                  " timeout 5 xclip -selection clipboard -o > pasted.txt 2>/dev/null";
        std::string pasted;
        for (int attempt = 0; attempt < 20 && pasted != expected; ++attempt) {
            if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (std::system(paste.c_str()) == 0) pasted = ReadFile(Path("pasted.txt"));
        }
        return pasted;
    }

    const std::string ini_ = Path("test.Ini");
    std::string out_, err_;
};

// The cases that need a desktop: an Xvfb server of their own with xclip to read
// its clipboard; skipped with a message where either is missing.
class MevloOnDisplay : public MevloProgram {
protected:
    void SetUp() override {
        MevloProgram::SetUp();
        if (HasFatalFailure()) return;
        if (!HaveProgram("Xvfb") || !HaveProgram("xclip")) GTEST_SKIP() << "Xvfb or xclip is not installed";
        if (const std::string reason = display_.Start(); !reason.empty()) {
            GTEST_SKIP() << "no virtual X display: " << reason;
        }
    }

    VirtualDisplay display_;
};

const char* const kNoDisplay = "-u DISPLAY -u WAYLAND_DISPLAY";

}  // namespace

TEST_F(MevloProgram, NoArgumentAndNoDisplayGivesUsage) {
    EXPECT_EQ(Mevlo(kNoDisplay, ""), 1);
    EXPECT_EQ(out_, "usage: Mevlo infile\n\n");
    EXPECT_FALSE(fs::exists(ini_));
}

TEST_F(MevloProgram, NoArgumentAndUnreachableDisplayGivesUsage) {
    // A display that is named but has no server: the dialog cannot come up.
    EXPECT_EQ(Mevlo("-u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:7391", ""), 1);
    EXPECT_EQ(out_, "usage: Mevlo infile\n\n");
    EXPECT_FALSE(fs::exists(ini_));
    // Drawing off screen (as the test runs of the suite do) nobody could answer
    // the dialog.
    for (const char* platform : {"offscreen", "minimal"}) {
        EXPECT_EQ(Mevlo("-u WAYLAND_DISPLAY DISPLAY=:7391 QT_QPA_PLATFORM=" + std::string(platform), ""), 1)
            << platform;
        EXPECT_EQ(out_, "usage: Mevlo infile\n\n");
    }
    EXPECT_FALSE(fs::exists(ini_));
}

TEST_F(MevloProgram, UnreadableInputIsReported) {
    EXPECT_EQ(Mevlo(kNoDisplay, "missing.dat"), 1);
    EXPECT_EQ(err_, "missing.dat: No such file or directory\n");
    EXPECT_EQ(out_, "");
    fs::create_directory(Path("folder"));
    EXPECT_EQ(Mevlo(kNoDisplay, "folder"), 1);
    EXPECT_EQ(err_, "folder: Is a directory\n");
}

TEST_F(MevloProgram, NoClipboardIsAFailure) {
    WriteFile("a.dat", "1 2\n");
    EXPECT_EQ(Mevlo(kNoDisplay, "a.dat"), 1);
    EXPECT_EQ(err_,
              "Mevlo: can not put the text on the clipboard: "
              "no desktop clipboard: neither WAYLAND_DISPLAY nor DISPLAY is set\n");

    // Named but without a server behind it.
    EXPECT_EQ(Mevlo("-u WAYLAND_DISPLAY DISPLAY=:7391", "a.dat"), 1);
    EXPECT_EQ(err_.rfind("Mevlo: can not put the text on the clipboard: xclip", 0), 0u) << err_;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;

    // A Wayland session is served by wl-copy; here it has no compositor.
    EXPECT_EQ(Mevlo("-u DISPLAY WAYLAND_DISPLAY=mevlo-absent-7391", "a.dat"), 1);
    EXPECT_EQ(err_.rfind("Mevlo: can not put the text on the clipboard: wl-copy", 0), 0u) << err_;
    EXPECT_EQ(std::count(err_.begin(), err_.end(), '\n'), 1) << err_;
}

TEST_F(MevloProgram, HelperThatStopsReadingIsGivenUp) {
    // A clipboard helper that never reads its input, given more text than a pipe
    // holds: Mevlo must give up at its own time limit rather than wait for it.
    fs::create_directory(Path("fakebin"));
    WriteFile("fakebin/xclip", "#!/bin/sh\nexec sleep 60\n");
    fs::permissions(Path("fakebin/xclip"), fs::perms::owner_all);
    std::string big;
    for (int i = 0; i < 50000; ++i) big += "1.0 2.0\n";
    WriteFile("big.dat", big);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Mevlo("-u WAYLAND_DISPLAY DISPLAY=:7391 PATH=" + Quote(Path("fakebin")) + ":\"$PATH\"", "big.dat"),
              1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(25));
    EXPECT_EQ(err_, "Mevlo: can not put the text on the clipboard: xclip did not finish in time\n");
}

TEST_F(MevloOnDisplay, ClipboardKeepsTheTextAfterMevloEnds) {
    WriteFile("scan.dat", "Wave number / cm-1\r\n  100.0   2.5d+03\n200.0\t1.0D-01 \nlast 1");
    ASSERT_EQ(Mevlo("-u WAYLAND_DISPLAY DISPLAY=" + display_.Name(), "scan.dat"), 0) << err_;
    EXPECT_EQ(out_, "");
    EXPECT_EQ(err_, "");

    // Mevlo has ended; another program reads the clipboard back.
    const std::string expected =
        "scan.dat\r\nWave number / cm-1\r\n100.0\t2.5E+03\r\n200.0\t1.0E-01\t\r\nlast 1";
    EXPECT_EQ(Paste(display_.Name(), expected), expected);
}

// The file is chosen in the dialog (typed by xdotool as a person would); the
// directory of the choice is remembered in the INI file.
TEST_F(MevloOnDisplay, DialogChoiceIsCopiedAndItsDirectoryRemembered) {
    if (!HaveProgram("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    fs::create_directories(Path("old"));
    fs::create_directories(Path("runs.2024"));
    WriteFile("runs.2024/scan", "1 2d3\n");
    mevlo_test::WriteFile(ini_, "[Preferences]\nReadDir=" + Path("old") + "\nKeep=1\n");
    EXPECT_EQ(MevloWithDialog(display_.Name(), Path("runs.2024/scan"), "Return"), 0) << err_;
    EXPECT_EQ(ReadFile(ini_), "[Preferences]\nReadDir=" + Path("runs.2024") + "\nKeep=1\n");
    const std::string expected = Path("runs.2024/scan") + "\r\n1\t2E3\r\n";
    EXPECT_EQ(Paste(display_.Name(), expected), expected);
}

// The dialog opens in the remembered directory, so that a bare file name is
// found there; cancelling it gives the usage text and touches neither the INI
// file nor the clipboard.
TEST_F(MevloOnDisplay, DialogStartsInReadDirAndCancelChangesNothing) {
    if (!HaveProgram("xdotool")) GTEST_SKIP() << "xdotool is not installed";
    fs::create_directories(Path("old"));
    WriteFile("old/scan", "5 6\n");
    WriteFile("scan", "wrong folder\n");
    const std::string settings = "[Preferences]\nReadDir=" + Path("old") + "\nKeep=1\n";
    mevlo_test::WriteFile(ini_, settings);

    EXPECT_EQ(MevloWithDialog(display_.Name(), "scan", "Return"), 0) << err_;
    const std::string expected = Path("old/scan") + "\r\n5\t6\r\n";
    EXPECT_EQ(Paste(display_.Name(), expected), expected);
    EXPECT_EQ(ReadFile(ini_), settings);

    EXPECT_EQ(MevloWithDialog(display_.Name(), "", "Escape"), 1) << err_;
    EXPECT_EQ(out_, "usage: Mevlo infile\n\n");
    EXPECT_EQ(ReadFile(ini_), settings);
    EXPECT_EQ(Paste(display_.Name(), expected), expected);
}
