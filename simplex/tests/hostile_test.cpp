// Hostile jobs for simplexfit: numbers that are not finite or out of range, widths of 0 or
// below, counts of 0, below 0 and past the limits, empty and binary files, data of 0 and below,
// values that overflow the model. Each ends with its exit status and message or a sound fit,
// and no written file holds a value that is not a number.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "driver.h"
#include "jobfiles.h"
#include "testutil.h"

namespace fs = std::filesystem;

namespace simplex {
namespace {

using test::lines;
using test::slurp;

// Two bands on a sloping background, 601 points from 100 to 700, record by record, so that a
// case can replace any record.
struct JobText {
  std::string control = "1000 1e-8 1e-8", range = "100 700", NB = "1", NP, ND;
  std::vector<std::string> back = {"40 1 5", "10 1 2"};
  std::vector<std::vector<std::string>> peaks = {{"380 1 2", "120 1 12", "14 1 1.4", "60 1 6", "10 1 1"},
                                                 {"520 1 2", "200 1 20", "8 1 0.8", "40 1 4", "6 1 0.6"}};
  std::vector<std::string> data;

  JobText() {
    for (int i = 0; i <= 600; ++i) {
      const double x = 100 + i;
      double y = 50 + 15 * (x - 400) / 300;
      for (auto [p, cg, wg, cl, wl] : {std::tuple{380.0, 120.0, 14.0, 60.0, 10.0}, {520.0, 200.0, 8.0, 40.0, 6.0}}) {
        const double d = x - p;
        y += cg * std::exp(-2.7725887 * (d / wg) * (d / wg)) + cl / (1 + 4 * (d / wl) * (d / wl));
      }
      data.push_back(std::to_string(x) + " " + std::to_string(y));
    }
  }
  std::string text() const {
    std::string s = "Hostile job\n0 100\n" + control + "\n" + range + "\n" + NB + "\n";
    for (const auto& b : back) s += b + "\n";
    s += (NP.empty() ? std::to_string(peaks.size()) : NP) + "\n";
    for (const auto& pk : peaks)
      for (const auto& r : pk) s += r + "\n";
    s += "0 0\n" + (ND.empty() ? std::to_string(data.size()) : ND) + "\n";
    for (const auto& d : data) s += d + "\n";
    return s;
  }
};

struct Case {
  std::string name, text;
  int status;
  std::string message;  // part of a line of the console
};

std::vector<Case> cases() {
  std::vector<Case> c;
  auto job = [](auto change) {
    JobText t;
    change(t);
    return t.text();
  };
  auto column = [](double y) {
    return [y](JobText& t) {
      for (auto& d : t.data) d = d.substr(0, d.find(' ')) + " " + std::to_string(y);
    };
  };
  std::string binary;
  std::mt19937 gen(3);
  for (int i = 0; i < 4000; ++i) binary += static_cast<char>(gen() & 0xff);
  const std::string overflow =
      "The search ended at a value that is not finite (the model or the data overflow); "
      "fit.spc and new.pfc are not written.";
  c.push_back({"empty file", "", 1, "fit.pfc: record 1: the file ends early"});
  c.push_back({"binary file", binary, 1, "fit.pfc: record "});
  c.push_back({"NaN in the data", job([](JobText& t) { t.data[9] = "109 nan"; }), 1,
               "fit.pfc: record 30: 'nan' is not a number"});
  c.push_back({"infinity in the data", job([](JobText& t) { t.data[0] = "-Inf 3"; }), 1,
               "fit.pfc: record 21: '-Inf' is not a number"});
  c.push_back({"NaN as a height", job([](JobText& t) { t.peaks[0][1] = "nan 1 12"; }), 1,
               "fit.pfc: record 10: 'nan' is not a number"});
  c.push_back({"an infinite tolerance", job([](JobText& t) { t.control = "1000 inf 1e-8"; }), 1,
               "fit.pfc: record 3: 'inf' is not a number"});
  c.push_back({"a count past double precision", job([](JobText& t) { t.data[2] = "102 1e400"; }), 1,
               "fit.pfc: record 23: '1e400' is out of range"});
  c.push_back({"a peak count past the integers", job([](JobText& t) { t.NP = "99999999999"; }), 1,
               "fit.pfc: record 8: '99999999999' is out of range"});
  c.push_back({"31 peaks", job([](JobText& t) { t.NP = "31"; }), 1,
               "fit.pfc: record 8: NP = 31 lies outside the job limits 0 to 30"});
  c.push_back({"a background order below 0", job([](JobText& t) { t.NB = "-1"; t.back.clear(); }), 1,
               "fit.pfc: record 5: NB = -1 lies outside the job limits 0 to 10"});
  c.push_back({"10001 points", job([](JobText& t) { t.ND = "10001"; }), 1,
               "fit.pfc: record 20: ND = 10001 lies outside the job limits 0 to 10000"});
  c.push_back({"a point count below 0", job([](JobText& t) { t.ND = "-4"; t.data.clear(); }), 1,
               "fit.pfc: record 20: ND = -4 lies outside the job limits 0 to 10000"});
  c.push_back({"no peak", job([](JobText& t) { t.NP = "0"; t.peaks.clear(); }), 0,
               "(SUBR.SMPLX) "});
  c.push_back({"no point", job([](JobText& t) { t.ND = "0"; t.data.clear(); }), 0,
               "R is written as 0: fewer than two points lie in the fitting range."});
  c.push_back({"a fixed Gaussian width of 0", job([](JobText& t) { t.peaks[0][2] = "0 0 1.4"; }), 0,
               "Peak 1: FWHMGauss is 0, its Gaussian part is left out."});
  c.push_back({"a free Lorentzian width of 0", job([](JobText& t) { t.peaks[1][4] = "0 1 0.6"; }), 0,
               "Peak 2: FWHMLorentz is 0, its Lorentzian part is left out."});
  c.push_back({"a negative width", job([](JobText& t) { t.peaks[0][2] = "-14 1 1.4"; }), 0,
               "(SUBR.SMPLX) "});
  c.push_back({"a width of 1e-300", job([](JobText& t) { t.peaks[1][2] = "1e-300 0 1"; }), 0,
               "(SUBR.SMPLX) "});
  c.push_back({"counts of 0", job(column(0)), 0,
               "R is written as 0: the mean intensity in the fitting range is 0."});
  c.push_back({"negative counts", job(column(-20)), 0, "(SUBR.SMPLX) "});
  c.push_back({"an empty fitting range", job([](JobText& t) { t.range = "700 100"; }), 0,
               "R is written as 0: fewer than two points lie in the fitting range."});
  c.push_back({"counts whose squares overflow", job(column(1e200)), 1, overflow});
  c.push_back({"a height whose square overflows", job([](JobText& t) { t.peaks[0][1] = "1e200 1 12"; }),
               1, overflow});
  return c;
}

TEST(Hostile, EveryJobEndsWithItsMessageOrASoundFitAndNoNaNInAnyFile) {
  const std::regex notANumber(R"(\b(nan|inf|infinity)\b)", std::regex::icase);
  int k = 0;
  for (const Case& c : cases()) {
    const fs::path dir = fs::temp_directory_path() /
                         ("simplexfit_hostile_" + std::to_string(::getpid()) + "_" + std::to_string(k++));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "fit.pfc", std::ios::binary) << c.text;
    std::ostringstream console;
    const int status = runJob(dir, console);
    EXPECT_EQ(status, c.status) << c.name << "\n" << console.str();
    EXPECT_NE(console.str().find(c.message), std::string::npos) << c.name << "\n" << console.str();
    EXPECT_EQ(fs::exists(dir / "new.pfc"), status == 0) << c.name;
    EXPECT_EQ(fs::exists(dir / "fit.spc"), status == 0) << c.name;
    // The log quotes a token that is not a number in its error line; no value in it is one.
    std::string values;
    for (const std::string& l : lines(slurp(dir / "out.txt")))
      if (l.find("' is not a number") == std::string::npos) values += l + "\n";
    EXPECT_FALSE(std::regex_search(values, notANumber)) << c.name;
    if (status == 0) {
      const std::string pfc = slurp(dir / "new.pfc");
      EXPECT_FALSE(std::regex_search(pfc, notANumber)) << c.name;
      EXPECT_FALSE(std::regex_search(slurp(dir / "fit.spc"), notANumber)) << c.name;
      EXPECT_EQ(pfc.find('*'), std::string::npos) << c.name;
      // A sound refined job: it reads back as a job.
      auto back = std::make_unique<Fit>();
      std::istringstream in(pfc);
      std::ostringstream echo;
      Channels out(echo, nullptr);
      std::string error;
      EXPECT_TRUE(readJob(in, "new.pfc", back->job, out, error)) << c.name << ": " << error;
    }
    fs::remove_all(dir);
  }
}

}  // namespace
}  // namespace simplex
