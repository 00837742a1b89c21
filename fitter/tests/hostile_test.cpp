// Hostile jobs, with both methods: numbers that are not finite or out of range, widths of 0 or
// below, counts of 0, below 0 and past the limits, empty and binary files, data of 0 and below,
// values that overflow the model. Each ends with its exit status and message or a sound fit,
// and no written file holds a value that is not a number.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "testutil.h"
#include "zentrab/input.h"
#include "zentrab/run.h"

namespace zentrab::test {
namespace {

// A job of two peaks on a sloping background, 2001 points from 2θ 20 to 40, record by record,
// so that a case can replace any record.
struct JobText {
  std::string run = "20 0.01 1e-4", ramda = "1.540562 1.544390 6 0.5", calc = "20 40";
  std::string nPeak = "2", nOData;
  std::vector<std::string> back = {"10 1 0", "0.5 1 0", "0 0 0", "0 0 0", "0 0 0"};
  std::vector<std::vector<std::string>> peaks = {
      {"25 1 0", "1000 1 0", "0.6 1 0", "0.1 1 0", "0.1 0 0", "1 1 0", "0 0 0"},
      {"31 1 0", "500 1 0", "0.5 1 0", "0.15 1 0", "0.15 0 0", "1 1 0", "0 0 0"}};
  std::vector<std::string> data;

  JobText() {
    for (int i = 0; i <= 2000; ++i) {
      const double x = 20 + 0.01 * i;
      double y = 10 + 0.5 * x;
      for (auto [p, I, w] : {std::tuple{25.0, 1000.0, 0.1}, {31.0, 500.0, 0.15}})
        y += I * std::exp(-2.7725887 * (x - p) * (x - p) / (w * w));
      char buf[64];
      std::snprintf(buf, sizeof buf, "%.2f %.4f", x, y);
      data.push_back(buf);
    }
  }
  std::string text(const std::string& method) const {
    std::string s = "Hostile job\ndata.xrd\nxZentrab\n" + method + "\n" + run + "\n" + ramda + "\n" +
                    calc + "\n" + calc + "\n";
    for (const auto& b : back) s += b + "\n";
    s += nPeak + "\n";
    for (const auto& pk : peaks)
      for (const auto& r : pk) s += r + "\n";
    s += (nOData.empty() ? std::to_string(data.size()) : nOData) + "\n";
    for (const auto& d : data) s += d + "\n";
    return s;
  }
};

// Bytes from a fixed seed, NULs and line breaks among them.
std::string binaryBytes() {
  std::string s;
  std::uint32_t v = 12345;
  for (int i = 0; i < 4000; ++i) {
    v = v * 1664525u + 1013904223u;
    s += static_cast<char>(v >> 24);
  }
  return s;
}

struct Case {
  std::string name;
  std::string text;     // the job as written, with the method record "@METHOD@"
  int status;           // exit status of both methods in this build
  std::string message;  // part of a line of the console, the log or the error stream
};

std::vector<Case> cases() {
  const std::string M = "@METHOD@";
  std::vector<Case> c;
  auto job = [&](auto change) {
    JobText t;
    change(t);
    return t.text(M);
  };
  const int io = kIoErrorStatus, stop = kStopStatus;
  c.push_back({"empty file", "", io, "job.pfc: record 1: the file ends early"});
  c.push_back({"binary file", binaryBytes(), io, "job.pfc: record "});
  c.push_back({"NaN in the data", job([](JobText& t) { t.data[50] = "20.50 nan"; }), io,
               "job.pfc: record 80: 'nan' is not a number"});
  c.push_back({"infinity in the data", job([](JobText& t) { t.data[7] = "-inf 3"; }), io,
               "job.pfc: record 37: '-inf' is not a number"});
  c.push_back({"NaN as an intensity", job([](JobText& t) { t.peaks[1][1] = "NaN 1 0"; }), io,
               "job.pfc: record 23: 'NaN' is not a number"});
  c.push_back({"infinite damping", job([](JobText& t) { t.run = "20 Infinity 1e-4"; }), io,
               "job.pfc: record 5: 'Infinity' is not a number"});
  c.push_back({"a count past single precision", job([](JobText& t) { t.data[3] = "20.03 1e39"; }),
               io, "job.pfc: record 33: '1e39' is out of range"});
  c.push_back({"a peak count past the integers", job([](JobText& t) { t.nPeak = "2147483648"; }),
               io, "job.pfc: record 14: '2147483648' is out of range"});
  c.push_back({"a peak count that is not whole", job([](JobText& t) { t.nPeak = "2.5"; }), io,
               "job.pfc: record 14: '2.5' is not an integer"});
  c.push_back({"71 peaks", job([](JobText& t) { t.nPeak = "71"; }), stop, " nPeak too large"});
  c.push_back({"20001 points", job([](JobText& t) { t.nOData = "20001"; }), stop, " nOData too large"});
  c.push_back({"no peak", job([](JobText& t) { t.nPeak = "0"; t.peaks.clear(); }), 0,
               " *** Number of parameters to be optimized:     2"});
  c.push_back({"a peak count below 0", job([](JobText& t) { t.nPeak = "-3"; t.peaks.clear(); }), 0,
               " Number of Peaks to fit:   -3"});
  c.push_back({"no point", job([](JobText& t) { t.nOData = "0"; t.data.clear(); }), 0,
               " *** Number of data used in the calculation:     0"});
  c.push_back({"a point count below 0", job([](JobText& t) { t.nOData = "-5"; t.data.clear(); }), 0,
               " *** Number of data used in the calculation:     0"});
  c.push_back({"a fixed Gaussian fwhm of 0", job([](JobText& t) { t.peaks[0][3] = "0 0 0"; }), 0,
               "   Gaussian fwhm must not be zero. #:    1"});
  c.push_back({"a negative Gaussian fwhm", job([](JobText& t) { t.peaks[1][3] = "-0.15 1 0"; }), 0,
               " ***Save new parameters to "});
  c.push_back({"an rfwhm of 0", job([](JobText& t) { t.peaks[0][5] = "0 1 0"; }), 0,
               " ***Save new parameters to "});
  c.push_back({"a fixed rfwhm of 0", job([](JobText& t) { t.peaks[0][5] = "0 0 0"; }), 0,
               "   rfwhm must be positive. #:    1"});
  c.push_back({"a negative rfwhm", job([](JobText& t) { t.peaks[1][5] = "-1 1 0"; }), 0,
               " ***Save new parameters to "});
  c.push_back({"counts of 0", job([](JobText& t) {
                 for (auto& d : t.data) d = d.substr(0, d.find(' ')) + " 0";
               }),
               0, " ***Save new parameters to "});
  c.push_back({"negative counts", job([](JobText& t) {
                 for (auto& d : t.data) d = d.substr(0, d.find(' ')) + " -50";
               }),
               0, " ***Save new parameters to "});
  // The single line has no Kα2 line to leave out.
  c.push_back({"no Kα1 wavelength", job([](JobText& t) { t.ramda = "0 1.544390 6 0.5"; }), 0,
               kFullProfile ? "   Ka2 line beyond 180 deg., left out. #:    1" : " ***Save new parameters to "});
  // The doublet's model overflows single precision at once; the single line's S stays finite in
  // double precision, but its derivatives overflow.
  const std::string S = " ***** S is not finite; check the start values and the data.";
  const std::string equations =
      " ***** The normal equations are not finite; check the start values and the data.";
  c.push_back({"an intensity that overflows", job([](JobText& t) { t.peaks[0][1] = "3e38 1 0"; }),
               stop, kFullProfile ? S : equations});
  // In the full build the Kα2 line of a peak 1e-30° wide lies 1e28 widths away: its
  // derivatives are 0 × ∞. The single line has no second line and fits.
  c.push_back({"a Gaussian fwhm of 1e-30", job([](JobText& t) { t.peaks[0][3] = "1e-30 1 0"; }),
               kFullProfile ? stop : 0,
               kFullProfile ? equations : " ***Save new parameters to "});
  return c;
}

TEST(Hostile, EveryJobEndsWithItsMessageOrASoundFitAndNoNaNInAnyFile) {
  const std::regex notANumber(R"(\b(nan|inf|infinity)\b)", std::regex::icase);
  for (const Case& c : cases()) {
    for (const std::string method : {"Marq", "MarqAdaptive"}) {
      const std::string what = c.name + " (" + method + ")";
      std::string text = c.text;
      if (const auto at = text.find("@METHOD@"); at != std::string::npos) text.replace(at, 8, method);
      JobRun run(text);
      const TempDir& dir = run.dir;
      const int status = run.status;
      const std::ostringstream& console = run.console;
      const std::ostringstream& err = run.err;
      EXPECT_EQ(status, c.status) << what << "\n" << console.str() << err.str();
      const std::string log = dir.read("out.txt");
      bool said = false;
      for (const std::string& l : lines(console.str() + log + err.str()))
        said = said || l.find(c.message) != std::string::npos;
      EXPECT_TRUE(said) << what << ": no line holds \"" << c.message << "\"\n" << log << err.str();
      if (status == kStopStatus) {
        EXPECT_EQ(err.str(), "STOP 9999\n") << what;
      }
      EXPECT_EQ(dir.exists("new.pfc"), status == 0) << what;
      EXPECT_FALSE(dir.exists("new.pfc.part")) << what;
      // The log quotes a token that is not a number in its error line; no value in it is one.
      std::string values;
      for (const std::string& l : lines(log))
        if (l.find("' is not a number") == std::string::npos) values += l + "\n";
      EXPECT_FALSE(std::regex_search(values, notANumber)) << what << "\n" << values;
      if (status != 0) continue;
      // A sound refined job: it reads back as a job, every value finite.
      const std::string pfc = dir.read("new.pfc");
      EXPECT_FALSE(std::regex_search(pfc, notANumber)) << what;
      EXPECT_EQ(pfc.find('*'), std::string::npos) << what;
      Captured io;
      auto back = newState();
      EXPECT_EQ(input::rdfile(*back, io.out, dir.file("new.pfc")), Status::ok) << what << io.err.str();
    }
  }
}

}  // namespace
}  // namespace zentrab::test
