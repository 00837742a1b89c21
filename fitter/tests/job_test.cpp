// Reading the job file with its echo, the job limits, the data selection and the failures of the
// job file.
#include <gtest/gtest.h>

#include "testutil.h"
#include "zentrab/input.h"

namespace zentrab::test {
namespace {

// Records 1-14 of a job with `nPeak` peaks and a data part.
std::string header(int nPeak, const std::string& title = "Test job title",
                   const std::string& method = "Marq") {
  return title + "\ndata.xrd\nxZentrab\n" + method +
         "\n5, 0.01, 1e-4\n1.540562 1.544390 6 0.5\n20 40\n21 39\n"
         "10 1 0\n0.5 0 0\n0 0 0\n0 2 0\n0 -1 0\n" +
         std::to_string(nPeak) + "\n";
}

std::string peak(double position, const char* flags = "1110000") {
  const double v[7] = {position, 1000, 0.6, 0.1, 0.1, 1, 0};
  std::string s;
  for (int k = 0; k < 7; ++k) s += std::to_string(v[k]) + " " + flags[k] + " 0.0\n";
  return s;
}

std::string points(std::initializer_list<double> xs) {
  std::string s = std::to_string(xs.size()) + "\n";
  for (double x : xs) s += std::to_string(x) + " " + std::to_string(100 + x) + "\n";
  return s;
}

struct Read {
  TempDir dir;
  Captured io;
  std::unique_ptr<State> st = newState();
  Status status;
  std::string name;
  explicit Read(const std::string& text) : name(dir.file("job.pfc")) {
    dir.write("job.pfc", text);
    status = input::rdfile(*st, io.out, name);
  }
};

std::string pad(std::string s, std::size_t n) {
  s.resize(n, ' ');
  return s;
}

TEST(Rdfile, EchoesTheJobInItsLayouts) {
  Read r(header(2) + peak(25) + peak(30, "0000001") + points({15, 20, 25, 45, 30}));
  ASSERT_EQ(r.status, Status::ok);
  const std::vector<std::string> want = {
      " ***Read fitting parameters from" + pad(r.name, 80).substr(0, 40),
      " Title:" + pad("Test job title", 70),
      " Program:" + pad("xZentrab", 70),
      " Optimize by " + pad("Marq", 25),
      " Maximum number of iteration:    5",
      " Dumping factor:    0.0100",
      " EPS:   0.100000E-03",
      " ramda1   ramda2   QRange   IRatio",
      "    1.540562    1.544390    6.000000    0.500000",
      " Calculation :   20.0000   40.0000",
      " Optimization:   21.0000   39.0000",
      " Back ground parameters and ID   1002*",  // a flag of -1 overflows i1
      "    10.0000    0.500000     0.00000     0.00000     0.00000    ",
      " Number of Peaks to fit:    2",
      "  #  1  1110000   25.0000       1000.  0.6000  0.1000  0.1000  1.0000  0.0000",
      "  #  2  0000001   30.0000       1000.  0.6000  0.1000  0.1000  1.0000  0.0000"};
  EXPECT_EQ(lines(r.io.console.str()), want);
  EXPECT_EQ(r.io.log.str(), r.io.console.str());
  EXPECT_EQ(r.st->dataName, pad("data.xrd", 80));
  EXPECT_EQ(r.st->nOData, 5);
  EXPECT_FLOAT_EQ(r.st->xo[4], 30);
  EXPECT_FLOAT_EQ(r.st->yo[4], 130);
  // The parameters as read are kept for the change column.
  EXPECT_FLOAT_EQ(r.st->prmRead[kPosition][1], 30);
  EXPECT_FLOAT_EQ(r.st->backRead[0], 10);
  EXPECT_EQ(r.st->backFlag[4], -1);
}

TEST(Rdfile, LongTextsAreCutTo80And25) {
  const std::string title(90, 'T');
  Read r(header(0, title + "X", std::string(30, 'M')) + points({}));
  ASSERT_EQ(r.status, Status::ok);
  EXPECT_EQ(r.st->title, std::string(80, 'T'));
  EXPECT_EQ(r.st->method, std::string(25, 'M'));
  EXPECT_EQ(lines(r.io.console.str())[1], " Title:" + std::string(70, 'T'));
}

TEST(Rdfile, PeakLimitStopsRightAfterTheCountIsEchoed) {
  std::string peaks70;
  for (int j = 0; j < 70; ++j) peaks70 += peak(21 + 0.25 * j);
  Read ok(header(70) + peaks70 + points({25}));
  EXPECT_EQ(ok.status, Status::ok);
  EXPECT_EQ(ok.st->nPeak, 70);

  Read r(header(71) + peaks70 + peak(39) + points({25}));
  EXPECT_EQ(r.status, Status::stop);
  const auto out = lines(r.io.console.str());
  ASSERT_GE(out.size(), 2u);
  EXPECT_EQ(out[out.size() - 2], " Number of Peaks to fit:   71");
  EXPECT_EQ(out.back(), " nPeak too large");
  // Stop messages go to the console only.
  EXPECT_EQ(r.io.log.str().find("too large"), std::string::npos);
}

TEST(Rdfile, DataLimitStopsBeforeAnyPointIsRead) {
  std::string many = "20000\n";
  for (int i = 0; i < 20000; ++i) many += std::to_string(20 + i * 0.001) + " 1\n";
  Read ok(header(0) + many);
  EXPECT_EQ(ok.status, Status::ok);
  EXPECT_EQ(ok.st->nOData, 20000);

  Read r(header(0) + "20001\n1 2\n");  // no point follows that could be read
  EXPECT_EQ(r.status, Status::stop);
  EXPECT_EQ(lines(r.io.console.str()).back(), " nOData too large");
  EXPECT_EQ(r.io.err.str(), "");
}

TEST(SelectData, WalkStopsAtTheFirstPointAboveTheRange) {
  // Descending data: 45 ends the walk, so 30 and 25 after it are lost though inside the range.
  Read r(header(0) + points({15, 20, 22, 45, 30, 25}));
  ASSERT_EQ(r.status, Status::ok);
  Captured io;
  ASSERT_EQ(input::selectData(*r.st, io.out), Status::ok);
  ASSERT_EQ(r.st->nData, 2);
  EXPECT_FLOAT_EQ(r.st->x[0], 20);  // calcLow itself is inside
  EXPECT_FLOAT_EQ(r.st->x[1], 22);
  EXPECT_EQ(io.console.str(), " *** Number of data used in the calculation:     2\n");
  EXPECT_EQ(io.log.str(), io.console.str());
  EXPECT_EQ(r.st->nOData, 6);  // every point stays for "new.pfc"
}

// A failing job file: one line naming the file and the record on the error stream and in the log.
void expectIoError(const std::string& text, const std::string& what) {
  Read r(text);
  EXPECT_EQ(r.status, Status::ioError) << what;
  const auto err = lines(r.io.err.str());
  ASSERT_EQ(err.size(), 1u) << what;
  EXPECT_EQ(err[0].rfind(r.name + ": " + what, 0), 0u) << err[0];
  EXPECT_NE(r.io.log.str().find(err[0]), std::string::npos);
}

TEST(Rdfile, BrokenFilesNameTheFileAndTheRecord) {
  expectIoError("title\n", "record 2");                                  // ends in the texts
  expectIoError(header(1) + peak(25).substr(0, 20), "record 16");       // ends inside a peak
  expectIoError(header(0) + points({20, 21}).substr(0, 10), "record 16");  // ends in the data
  std::string bad = header(0) + points({});
  bad[bad.find("5, 0.01")] = 'x';
  expectIoError(bad, "record 5");  // a number that does not parse
  std::string nan = header(0);
  nan += "1\n20 nan\n";
  expectIoError(nan, "record 16");  // not a finite number

  TempDir dir;
  Captured io;
  auto st = newState();
  EXPECT_EQ(input::rdfile(*st, io.out, dir.file("missing.pfc")), Status::ioError);
  EXPECT_EQ(io.err.str(), dir.file("missing.pfc") + ": cannot be opened for reading\n");
  Captured io2;
  EXPECT_EQ(input::rdfile(*st, io2.out, dir.path().string()), Status::ioError);
  EXPECT_EQ(io2.err.str(), dir.path().string() + ": cannot be read: it is a directory\n");
}

}  // namespace
}  // namespace zentrab::test
