#include "Clipboard.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

extern char** environ;

namespace mevlo {

namespace {

// Longest wait for a helper to take the text and return; the helper's
// background part that serves the clipboard goes on after that.
constexpr auto kHelperTimeout = std::chrono::seconds(10);

struct Helper {
    const char* name;
    std::vector<const char*> argv;
    const char* package;
};

bool Named(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// The first line of what the helper wrote on its error stream.
std::string FirstLine(std::FILE* f) {
    std::string line;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF && c != '\n';) line += static_cast<char>(c);
    return line;
}

// Writes all of `text` to `fd`, waiting at most until `deadline`.
bool WriteAll(int fd, const std::string& text, std::chrono::steady_clock::time_point deadline) {
    std::size_t done = 0;
    while (done < text.size()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            if (errno == EINTR) continue;
            return false;
        }
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Waits for `pid` until `deadline`; kills it when it takes longer. Returns the
// exit status, or -1 when it was killed or ended by a signal.
int WaitFor(pid_t pid, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (r < 0 && errno != EINTR) return -1;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Runs one helper with `text` on its standard input. Returns "" on success.
std::string RunHelper(const Helper& helper, const std::string& text) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return std::string("can not make a pipe: ") + std::strerror(errno);
    // Our end does not block, so that a helper that stops reading cannot hold
    // us past the deadline.
    ::fcntl(pipeFds[1], F_SETFL, ::fcntl(pipeFds[1], F_GETFL) | O_NONBLOCK);
    // The helper's error stream goes to an unnamed file rather than a pipe: its
    // background part keeps the stream open long after we are gone.
    std::FILE* errors = std::tmpfile();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (errors) {
        posix_spawn_file_actions_adddup2(&actions, fileno(errors), STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, fileno(errors));
    } else {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    std::vector<char*> argv;
    for (const char* a : helper.argv) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawnError = ::posix_spawnp(&pid, helper.name, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[0]);

    std::string reason;
    if (spawnError != 0) {
        ::close(pipeFds[1]);
        reason = spawnError == ENOENT
                     ? std::string(helper.name) + " is not installed (package " + helper.package + ")"
                     : std::string("can not start ") + helper.name + ": " + std::strerror(spawnError);
    } else {
        const auto deadline = std::chrono::steady_clock::now() + kHelperTimeout;
        const bool written = WriteAll(pipeFds[1], text, deadline);
        ::close(pipeFds[1]);
        const int status = WaitFor(pid, deadline);
        if (status != 0 || !written) {
            const std::string said = errors ? FirstLine(errors) : "";
            reason = std::string(helper.name) + (said.empty() ? " failed" : ": " + said);
            if (status < 0) reason = std::string(helper.name) + " did not finish in time";
        }
    }
    if (errors) std::fclose(errors);
    return reason;
}

}  // namespace

std::string PutOnClipboard(const std::string& text) {
    std::vector<Helper> helpers;
    if (Named("WAYLAND_DISPLAY")) helpers.push_back({"wl-copy", {"wl-copy", "--type", "text/plain"}, "wl-clipboard"});
    if (Named("DISPLAY")) helpers.push_back({"xclip", {"xclip", "-selection", "clipboard", "-in"}, "xclip"});
    if (helpers.empty()) return "no desktop clipboard: neither WAYLAND_DISPLAY nor DISPLAY is set";

    // A helper that ends early must not end us with a broken pipe.
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);
    std::string reasons;
    for (const Helper& helper : helpers) {
        const std::string reason = RunHelper(helper, text);
        if (reason.empty()) {
            reasons.clear();
            break;
        }
        reasons += (reasons.empty() ? "" : "; ") + reason;
    }
    ::sigaction(SIGPIPE, &previous, nullptr);
    return reasons;
}

}  // namespace mevlo
