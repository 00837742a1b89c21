// Line reads, number scanning, and every reader on hostile files: long lines, NUL bytes, no
// final line end, counts larger than the data or absurd.
#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "../ReaderText.h"
#include "ReaderTestSupport.h"

namespace reader_tests {
namespace {

using balimor::readers::FileText;
using balimor::readers::ParseDouble;
using balimor::readers::ParseInt;
using balimor::readers::ScanNumbers;

using LineReading = ReaderTest;

TEST_F(LineReading, LongLinesComeBackIn255BytePieces) {
  FileText f;
  ASSERT_TRUE(f.Open(Write("a.txt", std::string(600, 'a') + "\nend"), FileText::Mode::kBytes));
  EXPECT_EQ(std::string(f.ReadLine()), std::string(255, 'a'));
  EXPECT_EQ(std::string(f.ReadLine()), std::string(255, 'a'));
  EXPECT_EQ(std::string(f.ReadLine()), std::string(90, 'a') + "\n");
  EXPECT_EQ(std::string(f.ReadLine()), "end");  // no final line end
  EXPECT_EQ(f.ReadLine(), nullptr);
}

TEST_F(LineReading, TextModeReadsCrLfAsLfAndStopsAtCtrlZ) {
  const std::string bytes = std::string(254, 'b') + "\r\nx\ry\r\n\x1a" + "after";
  FileText text, raw;
  ASSERT_TRUE(text.Open(Write("a.txt", bytes), FileText::Mode::kText));
  ASSERT_TRUE(raw.Open(Path("a.txt"), FileText::Mode::kBytes));
  EXPECT_EQ(std::string(text.ReadLine()), std::string(254, 'b') + "\n");
  EXPECT_EQ(std::string(text.ReadLine()), "x\ry\n");
  EXPECT_EQ(text.ReadLine(), nullptr);
  // As bytes, the CR fills the buffer and the LF comes back as a line of its own.
  EXPECT_EQ(std::string(raw.ReadLine()), std::string(254, 'b') + "\r");
  EXPECT_EQ(std::string(raw.ReadLine()), "\n");
  EXPECT_FALSE(text.Open(Path("missing"), FileText::Mode::kText));
  EXPECT_FALSE(text.Open(dir_.string(), FileText::Mode::kText));  // a folder
}

TEST(NumberScanning, CStyleConversions) {
  struct Case {
    const char* text;
    int converted;
    double first;
  };
  const Case cases[] = {
      {"  1.5e3\t-2", 2, 1500},  {"-.5 +7", 2, -0.5},   {"+-3", 0, 0},   {"1.0D+03 4", 1, 1.0},
      {"12abc", 1, 12},          {"1e", 1, 1},          {"", -1, 0},     {" \r\n", -1, 0},
      {"x 1", 0, 0},             {"1,5", 1, 1},
      // Only decimal numbers: the C library's words for infinity and not-a-number are text.
      {"inf 1", 0, 0},           {"-nan 2", 0, 0},      {"Info 5", 0, 0}, {"1 Infinity", 1, 1},
  };
  for (const Case& c : cases) {
    double v[2] = {0, 0};
    EXPECT_EQ(ScanNumbers(c.text, v, 2), c.converted) << c.text;
    if (c.converted > 0) {
      EXPECT_DOUBLE_EQ(v[0], c.first) << c.text;
    }
  }
  // Beyond the range of a double a number is text; below it, 0.
  const char* p = "1e999 -1e999";
  double big = 7;
  EXPECT_FALSE(ParseDouble(p, big));
  EXPECT_EQ(big, 7);
  EXPECT_EQ(*p, '1');  // left where it stood
  p += 6;
  EXPECT_FALSE(ParseDouble(p, big));
  const char* t = "1e-999 0.000e999 1.7976931348623157e308";
  double tiny = 7, zero = 7, largest = 0;
  ASSERT_TRUE(ParseDouble(t, tiny) && ParseDouble(t, zero) && ParseDouble(t, largest));
  EXPECT_EQ(tiny, 0.0);
  EXPECT_EQ(zero, 0.0);
  EXPECT_TRUE(std::isfinite(largest));
  const char* q = " 99999999999 -99999999999 +12";
  int a, b, c;
  ASSERT_TRUE(ParseInt(q, a) && ParseInt(q, b) && ParseInt(q, c));
  EXPECT_EQ(a, INT_MAX);
  EXPECT_EQ(b, INT_MIN);
  EXPECT_EQ(c, 12);
}

// Every reader, by the name a test reports.
struct Reader {
  const char* name;
  std::function<int(CVariousData&, const std::string&)> read;
};

std::vector<Reader> AllReaders() {
  static MessageLog platform;
  return {
      {"csv", [](CVariousData& d, const std::string& p) { return ReadRigakuXrfCsv(d, p); }},
      {"ras", [](CVariousData& d, const std::string& p) { return ReadRas(d, p); }},
      {"mrd", [](CVariousData& d, const std::string& p) { return ReadMrd(d, p); }},
      {"scandata", [](CVariousData& d, const std::string& p) { return ReadScanDataCsv(d, p); }},
      {"general", [](CVariousData& d, const std::string& p) { return ReadGeneralText(d, p); }},
      {"countfirst", [](CVariousData& d, const std::string& p) { return ReadCountFirstText(d, p); }},
      {"count3", [](CVariousData& d, const std::string& p) { return ReadCountOnThirdLineText(d, p); }},
      {"sample", [](CVariousData& d, const std::string& p) { return ReadSampleHeaderScan(d, p); }},
      {"xdt", [](CVariousData& d, const std::string& p) { return ReadXdt(d, p); }},
      {"sectioned", [](CVariousData& d, const std::string& p) { return ReadSectionedScan(d, p, 0); }},
      {"binary", [](CVariousData& d, const std::string& p) { return ReadRigakuBinary(d, p, true); }},
      {"binary2", [](CVariousData& d, const std::string& p) { return ReadRigakuBinary(d, p, false); }},
      {"int", [](CVariousData& d, const std::string& p) { return ReadRietanInt(d, p); }},
      {"pat0", [](CVariousData& d, const std::string& p) { return ReadRietanPat(d, p, 0); }},
      {"pat2", [](CVariousData& d, const std::string& p) { return ReadRietanPat(d, p, 2); }},
      {"ir", [](CVariousData& d, const std::string& p) { return ReadTabularIr(d, p); }},
      {"peir", [](CVariousData& d, const std::string& p) { return ReadPeIr(d, p); }},
      {"comma", [](CVariousData& d, const std::string& p) { return ReadCommaPairs(d, p, platform); }},
      {"od", [](CVariousData& d, const std::string& p) { return ReadOpticalDensity(d, p); }},
      {"qe", [](CVariousData& d, const std::string& p) { return ReadQuantumEfficiency(d, p); }},
      {"raman", [](CVariousData& d, const std::string& p) { return ReadRamanPairs(d, p); }},
      {"rmn", [](CVariousData& d, const std::string& p) { return ReadSmoothedRaman(d, p); }},
      {"f4500", [](CVariousData& d, const std::string& p) { return ReadF4500(d, p); }},
      {"dat", [](CVariousData& d, const std::string& p) { return ReadRamanOrDegradation(d, p); }},
      {"log", [](CVariousData& d, const std::string& p) { return ReadDegradationLog(d, p); }},
      {"textdata", [](CVariousData& d, const std::string& p) { return ReadTextData(d, p); }},
  };
}

using HostileFiles = ReaderTest;

TEST_F(HostileFiles, NoReaderCrashesOrHoldsMorePointsThanTheFileHasBytes) {
  std::string longLine(100000, '7');
  std::string withNul("GENERAL\n2\n1 2\0 9\n\0\0\0\n3 4\n", 25);
  const std::vector<std::string> contents = {
      "",
      "\n\n\n\n\n\n\n\n\n\n",
      longLine,
      "Sample," + longLine + "\nStart 0\nStop 1e300\nStep 1e-300\n1,2\n",
      "Sample,x\nStart 0\nStop nan\nStep 1\n1,2\n",
      withNul,
      std::string("numbr\0\0\0", 8) + std::string(200, '\n') + "datan 2147483647",
      "*SAMPLE=\n*BEGIN\n*COUNT = 2147483647\n1 2 3",
      "F-4500\nnm\n" + longLine,
      "*RAS_INT_START\n1 2 3 4 5 6 7 8",
  };
  for (const Reader& r : AllReaders()) {
    for (std::size_t k = 0; k < contents.size(); ++k) {
      const std::string path = Write("hostile.dat", contents[k]);
      CVariousData d;
      const int result = r.read(d, path);
      EXPECT_GE(result, -2) << r.name << " on file " << k;
      EXPECT_GE(d.datan, 0) << r.name << " on file " << k;
      EXPECT_LE(d.datan, d.maxDatan) << r.name << " on file " << k;
      EXPECT_LE(d.maxDatan, static_cast<int>(contents[k].size()) + 1) << r.name << " on file " << k;
    }
  }
}

TEST_F(HostileFiles, AbsurdCountsKeepThePointsReadAndAllocateNoMore) {
  struct Case {
    const char* name;
    std::function<int(CVariousData&, const std::string&)> read;
    std::string before;  // text up to the count
    std::string after;   // the two points
  };
  const std::string pairs = "\n1 2\n3 4\n";
  const std::vector<Case> cases = {
      {"mrd", [](CVariousData& d, const std::string& p) { return ReadMrd(d, p); }, "Sample:x\n\n", pairs},
      {"general", [](CVariousData& d, const std::string& p) { return ReadGeneralText(d, p); }, "GENERAL\n", pairs},
      {"countfirst", [](CVariousData& d, const std::string& p) { return ReadCountFirstText(d, p); }, "", pairs},
      {"count3", [](CVariousData& d, const std::string& p) { return ReadCountOnThirdLineText(d, p); }, "a\nb\n", pairs},
      {"textdata", [](CVariousData& d, const std::string& p) { return ReadTextData(d, p); }, "label\n", pairs},
      {"scandata", [](CVariousData& d, const std::string& p) { return ReadScanDataCsv(d, p); }, "NrOfData,",
       "\nScanData\n2\n4\n"},
      {"sectioned", [](CVariousData& d, const std::string& p) { return ReadSectionedScan(d, p, 0); },
       "*SAMPLE=a\n*BEGIN\n*COUNT =", "\n2 4\n"},
      {"int", [](CVariousData& d, const std::string& p) { return ReadRietanInt(d, p); }, "", " 1 1\n2 4\n"},
      {"peir", [](CVariousData& d, const std::string& p) { return ReadPeIr(d, p); },
       "#GR\n1\n2\n3\n4\n5\n6\n", "\n#DATA\n1 2\n3 4\n"},
      {"pat", [](CVariousData& d, const std::string& p) { return ReadRietanPat(d, p, 0); },
       "title\n NPTSZ ", "\n THMINZ 1\n STEPZ 1\nskip\n2 0 4 0\n"},
      {"ir", [](CVariousData& d, const std::string& p) { return ReadTabularIr(d, p); },
       "t\n\n##FIRSTX= 1\n##LASTX=  1\n\n##NPOINTS=", "\n\n1 2 4\n"},
  };
  for (const Case& c : cases) {
    for (const char* count : {"2147483647", "99999999999", "1000000"}) {
      CVariousData d;
      ASSERT_EQ(c.read(d, Write("a.dat", c.before + count + c.after)), 1) << c.name << " " << count;
      EXPECT_EQ(d.datan, 2) << c.name << " " << count;
      EXPECT_LE(d.maxDatan, 2) << c.name;
      EXPECT_DOUBLE_EQ(d.GetY(1), 4) << c.name;
    }
    CVariousData d;
    ASSERT_EQ(c.read(d, Write("b.dat", c.before + "-5" + c.after)), c.name == std::string("countfirst") ? 0 : 1)
        << c.name;
    EXPECT_EQ(d.datan, 0) << c.name;
  }
}

}  // namespace
}  // namespace reader_tests
