// The two output channels of simplexfit: every message goes to the console and, in the same
// layout, to the run log.
#pragma once

#include <ostream>
#include <string_view>

namespace simplex {

class Channels {
 public:
  Channels(std::ostream& console, std::ostream* log) : console_(console), log_(log) {}

  // Writes text that already holds its line breaks to both channels.
  void put(std::string_view text) {
    console_ << text;
    if (log_) *log_ << text;
  }
 private:
  std::ostream& console_;
  std::ostream* log_;
};

}  // namespace simplex
