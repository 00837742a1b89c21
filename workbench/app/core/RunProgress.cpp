#include "RunProgress.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "FitRun.h"

namespace {

// A line longer than any a fitter prints is not a line of progress: it is dropped as it comes.
constexpr std::size_t kLongestLine = 4096;

std::string Format(const char* format, double a, double b = 0) {
  char buf[128];
  std::snprintf(buf, sizeof buf, format, a, b);
  return buf;
}

}  // namespace

void CRunProgress::Feed(std::string_view chunk) {
  for (std::size_t from = 0; from < chunk.size();) {
    const std::size_t end = chunk.find('\n', from);
    const std::string_view piece = chunk.substr(from, end == std::string_view::npos ? end : end - from);
    if (partial.size() + piece.size() <= kLongestLine)
      partial.append(piece);
    else
      partial.assign(kLongestLine + 1, ' ');  // marked too long until its end
    if (end == std::string_view::npos) break;
    if (partial.size() <= kLongestLine) {
      if (!partial.empty() && partial.back() == '\r') partial.pop_back();
      Read(partial);
    }
    partial.clear();
    from = end + 1;
  }
}

void CRunProgress::Read(std::string_view line) {
  static constexpr std::string_view kMethod = " Optimize by ";
  static constexpr std::string_view kAdaptive = "marqadaptive";
  if (line.starts_with(kStartCycle)) {
    double s = 0, g = 0, n = 0;
    if (!NumberAfter(line, " S=", s) || !NumberAfter(line, "sigma=", g)) return;
    ++cycleLines;
    stage = Stage::kCycles;
    // The cycle number is an i3 field: past 999 it is written as stars, and the count serves.
    cycle = NumberAfter(line, kStartCycle, n) ? std::lround(n) : cycleLines;
    S = s;
    sigma = g;
    // The first line is that of the start values; each further one follows an accepted step.
    accepted = cycleLines - 1;
  } else if (line.starts_with(kRejectedStep)) {
    ++rejected;
  } else if (line.starts_with(kMethod)) {
    std::string_view method = line.substr(kMethod.size());
    while (!method.empty() && method.front() == ' ') method.remove_prefix(1);
    adaptive = method.size() >= kAdaptive.size();
    for (std::size_t i = 0; adaptive && i < kAdaptive.size(); ++i)
      adaptive = std::tolower(static_cast<unsigned char>(method[i])) == kAdaptive[i];
  } else if (line.starts_with(" ITER=")) {
    // " ITER=" i5, then "FL, FS, FH=" and the three values, FL first.
    double n = 0, fl = 0;
    if (!NumberAfter(line, "FH=", fl)) return;
    stage = Stage::kSimplex;
    // Past 99999 the field is written as stars: the last number that could be read stays.
    if (NumberAfter(line, " ITER=", n)) cycle = std::lround(n);
    lowest = fl;
  }
}

std::string CRunProgress::Line(double elapsedSeconds) const {
  std::string line;
  switch (stage) {
    case Stage::kStarting:
      break;
    case Stage::kCycles:
      line = "Cycle " + std::to_string(cycle) + Format("   S = %g   sigma = %g %%", S, sigma);
      if (adaptive) line += "   accepted " + std::to_string(accepted) + ", rejected " + std::to_string(rejected);
      break;
    case Stage::kSimplex:
      line = "Iteration " + std::to_string(cycle) + Format("   lowest S = %g", lowest);
      break;
  }
  return (line.empty() ? "" : line + "   ") + "elapsed " + ElapsedText(elapsedSeconds);
}

std::string ElapsedText(double seconds) {
  const long s = seconds > 0 && std::isfinite(seconds) ? static_cast<long>(seconds) : 0;
  char buf[48];
  if (s >= 3600)
    std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(buf, sizeof buf, "%ld:%02ld", s / 60, s % 60);
  return buf;
}
