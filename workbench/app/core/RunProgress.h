// RunProgress: what a fitter's console output says of how far its run has come, read as the
// output arrives. The diffraction fitter prints a kStartCycle line with S and sigma at every
// cycle (with the adaptive method: at every accepted step, and a kRejectedStep line for every
// rejected trial); simplexfit prints a progress line "ITER=" with the lowest, second highest
// and highest sum of squares of its simplex every iPrtIntvl iterations. The run dialog shows
// the line that Line() makes of them above the raw output.
#pragma once

#include <string>
#include <string_view>

// The head of the adaptive method's line for a trial step it rejects.
inline constexpr std::string_view kRejectedStep = " *** Rejected step in cycle";

class CRunProgress {
 public:
  // A chunk of output as it came; a line split between chunks is read once it is complete.
  void Feed(std::string_view chunk);

  // "Cycle 4   S = 567620   sigma = 6.82 %   accepted 3, rejected 1   elapsed 0:26", with the
  // counts only for the adaptive method; "Iteration 2000   lowest S = 156.053   elapsed 0:05"
  // for simplexfit; only the elapsed time before either has printed its first line.
  std::string Line(double elapsedSeconds) const;

  enum class Stage { kStarting, kCycles, kSimplex };
  Stage stage = Stage::kStarting;
  long cycle = 0;             // the number of the last cycle line, or the simplex's ITER
  double S = 0, sigma = 0;    // of the last cycle line
  double lowest = 0;          // FL of the simplex's last progress line
  bool adaptive = false;      // the run optimizes by "MarqAdaptive"
  int accepted = 0, rejected = 0;

 private:
  void Read(std::string_view line);

  std::string partial;  // the part of a line that has come so far
  int cycleLines = 0;
};

// "m:ss", or "h:mm:ss" from an hour on.
std::string ElapsedText(double seconds);
