#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "OpenDialog.h"
#include "OpenDialogSetup.h"

namespace mevlo {

namespace {

bool Named(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// True when the toolkit is told to draw nowhere a person can see ("offscreen",
// "minimal", as set for tests): the dialog would wait for ever.
bool DrawsNowhere() {
    const std::string_view platform = Named("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
    return platform.starts_with("offscreen") || platform.starts_with("minimal");
}

// Runs the dialog; the chosen path goes to `fd`.
[[noreturn]] void DialogProcess(const std::string& startDir, int fd) {
    int argc = 1;
    char name[] = "Mevlo";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QFileDialog dialog;
    SetUpDataFileDialog(dialog, QString::fromStdString(startDir));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) ::_exit(1);
    const QByteArray path = QFile::encodeName(dialog.selectedFiles().front());
    const char* p = path.constData();
    for (qsizetype left = path.size(); left > 0;) {
        const ssize_t n = ::write(fd, p, static_cast<std::size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) ::_exit(1);
        p += n;
        left -= n;
    }
    ::_exit(0);
}

}  // namespace

std::optional<std::string> ChooseDataFile(const std::string& startDir) {
    if ((!Named("DISPLAY") && !Named("WAYLAND_DISPLAY")) || DrawsNowhere()) return std::nullopt;
    // The dialog runs in a child process: a display that is named but cannot be
    // reached makes the toolkit abort, and that must end in the usage text, not
    // in a crash of Mevlo.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (pid == 0) {
        ::close(fds[0]);
        DialogProcess(startDir, fds[1]);
    }
    ::close(fds[1]);
    std::string path;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        path.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || path.empty()) return std::nullopt;
    return path;
}

}  // namespace mevlo
