#include "Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

extern char** environ;

namespace process {
namespace {

// How often a run looks at the cancel request while the child is silent.
constexpr int kPollMs = 50;
// How often a run whose output has closed looks whether the child has ended.
constexpr int kExitPollMs = 2;
std::vector<char*> ArgvOf(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  out.reserve(argv.size() + 1);
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

// File actions and attributes shared by both kinds of start: standard input from /dev/null,
// the child in a process group of its own (so that cancelling ends everything it started),
// default signal dispositions and an empty signal mask.
struct SpawnSetup {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

ProgramRun NotStarted(const std::string& why) {
  ProgramRun r;
  r.status = ProgramRun::kNotStarted;
  r.error = why;
  return r;
}

void FillExit(ProgramRun& r, int status) {
  if (WIFSIGNALED(status)) {
    r.status = ProgramRun::kSignalled;
    r.signal = WTERMSIG(status);
  } else {
    r.status = ProgramRun::kExited;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
}

// Ends the child's process group: SIGTERM, then SIGKILL after the grace time. Returns once the
// child itself has been reaped.
void EndGroup(pid_t pid) {
  AskGroupToEnd(pid);
  const auto deadline = std::chrono::steady_clock::now() + kEndGrace;
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    const pid_t w = ::waitpid(pid, &status, WNOHANG);
    if (w == pid || (w < 0 && errno != EINTR)) {
      KillGroup(pid);  // whatever the child left behind in its group
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  KillGroup(pid);
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

void AskGroupToEnd(long pid) { ::kill(-static_cast<pid_t>(pid), SIGTERM); }
void KillGroup(long pid) { ::kill(-static_cast<pid_t>(pid), SIGKILL); }
void LeadOwnGroup() { ::setpgid(0, 0); }

ProgramRun Run(const std::vector<std::string>& argv, const std::string& workingDir,
               const ProgramOutputSink& sink, const std::function<bool()>& cancelRequested) {
  if (argv.empty() || argv[0].empty()) return NotStarted("no program named");
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return NotStarted(std::strerror(errno));

  SpawnSetup setup;
  posix_spawn_file_actions_adddup2(&setup.actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&setup.actions, fds[1], 2);
  if (!workingDir.empty()) posix_spawn_file_actions_addchdir_np(&setup.actions, workingDir.c_str());

  std::vector<char*> args = ArgvOf(argv);
  pid_t pid = -1;
  const int rc = ::posix_spawnp(&pid, args[0], &setup.actions, &setup.attr, args.data(), environ);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    return NotStarted(std::strerror(rc));
  }

  ProgramRun result;
  bool cancelled = false;
  bool exited = false;
  bool pipeOpen = true;
  int status = 0;
  char buf[4096];
  while (!exited && !cancelled) {
    if (pipeOpen) {
      pollfd p = {fds[0], POLLIN, 0};
      const int n = ::poll(&p, 1, kPollMs);
      if (n > 0) {
        const ssize_t got = ::read(fds[0], buf, sizeof buf);
        if (got > 0) {
          if (sink && !sink(std::string_view(buf, static_cast<std::size_t>(got)))) cancelled = true;
        } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
          pipeOpen = false;
        }
      }
    }
    if (!cancelled && cancelRequested && cancelRequested()) cancelled = true;
    if (cancelled) break;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      exited = true;
    } else if (!pipeOpen) {
      // The output is closed but the child still runs: look again shortly.
      std::this_thread::sleep_for(std::chrono::milliseconds(kExitPollMs));
    }
  }

  if (cancelled) {
    EndGroup(pid);
    result.status = ProgramRun::kCancelled;
  } else {
    // What the child wrote just before it ended is still in the pipe; a descendant that keeps
    // the pipe open does not hold the run.
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    for (ssize_t got; pipeOpen && (got = ::read(fds[0], buf, sizeof buf)) > 0;)
      if (sink) sink(std::string_view(buf, static_cast<std::size_t>(got)));
    FillExit(result, status);
  }
  ::close(fds[0]);
  return result;
}

bool StartDetached(const std::vector<std::string>& argv, std::string* error) {
  if (argv.empty() || argv[0].empty()) {
    if (error) *error = "no program named";
    return false;
  }
  SpawnSetup setup;
  std::vector<char*> args = ArgvOf(argv);
  pid_t pid = -1;
  const int rc = ::posix_spawnp(&pid, args[0], &setup.actions, &setup.attr, args.data(), environ);
  if (rc != 0) {
    if (error) *error = std::strerror(rc);
    return false;
  }
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

std::string Describe(const ProgramRun& run) {
  switch (run.status) {
    case ProgramRun::kNotStarted:
      return run.error;
    case ProgramRun::kExited:
      return "exit status " + std::to_string(run.exitCode);
    case ProgramRun::kSignalled:
      return "ended by signal " + std::to_string(run.signal) + " (" + ::strsignal(run.signal) + ")";
    case ProgramRun::kCancelled:
      return "cancelled";
  }
  return std::string();
}

}  // namespace process
