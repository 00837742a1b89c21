// Running programs for the platform layer on a POSIX system: a run that waits, hands over the
// child's console output as it arrives and can be cancelled; and a start that does not wait
// (the text editor). Programs are started from an argument vector, never through a shell.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "Platform.h"

namespace process {

// Runs argv in workingDir (the current directory when empty) with standard input from
// /dev/null and standard output and error into one pipe, handing every piece of output to
// `sink`. The run is cancelled when the sink returns false or `cancelRequested` (asked about
// every 50 ms) returns true: the child's process group gets SIGTERM, then SIGKILL when it has
// not ended within a grace time. A program name without "/" is looked for on PATH.
ProgramRun Run(const std::vector<std::string>& argv, const std::string& workingDir,
               const ProgramOutputSink& sink, const std::function<bool()>& cancelRequested = {});

// Starts argv without waiting for it; the child is reaped in the background when it ends.
// false (with the reason in *error when given) when it could not be started.
bool StartDetached(const std::vector<std::string>& argv, std::string* error = nullptr);

// How long a program that was asked to end (SIGTERM to its process group) may take before the
// group is killed.
inline constexpr std::chrono::milliseconds kEndGrace{1500};
// The process group led by pid asked to end (SIGTERM), or killed (SIGKILL).
void AskGroupToEnd(long pid);
void KillGroup(long pid);
// Called in a child before its program starts: the child leads a process group of its own, so
// that ending the group ends everything the program starts.
void LeadOwnGroup();

// Text of a run's end for messages: "exit status 3", "ended by signal 11 (Segmentation fault)",
// "cancelled", or the reason it could not start.
std::string Describe(const ProgramRun& run);

}  // namespace process
