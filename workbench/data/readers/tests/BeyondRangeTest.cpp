// A number beyond the range of a double ("4e400", "-1e999") in a data file is read the way the
// readers read any text that is no number: every free-format reader must give exactly what it
// gives with a word in its place, and never an infinity.
#include <cmath>
#include <functional>
#include <string>

#include "ReaderTestSupport.h"

namespace reader_tests {
namespace {

using BeyondRange = ReaderTest;

struct Case {
  const char* file;
  // The file, with "@" where the number beyond range (or the word) stands.
  const char* text;
  std::function<int(CVariousData&, const std::string&)> read;
  int points;  // points read, either way
  // The word read in its place. A date-time line of a degradation log takes only number
  // characters, so there a text of those that is no number stands in for a word.
  const char* word = "x";
};

std::string Replace(std::string text, const std::string& by) {
  for (std::size_t at; (at = text.find('@')) != std::string::npos;) text.replace(at, 1, by);
  return text;
}

TEST_F(BeyondRange, ReadLikeAWordByEveryFreeFormatReader) {
  MessageLog platform;
  const Case cases[] = {
      {"a.ram", "100 1\n101 @\n102 3\n", ReadRamanPairs, 3},
      {"a.rmn", "h\n100 1 2 3\n101 1 @ 3\n102 1 2 3\n", ReadSmoothedRaman, 3},
      {"a.od", "300 0.1 301 @ 302 0.3", ReadOpticalDensity, 1},
      {"a.qe", "# h\n300 0.1\n310 @\n320 0.3\n", ReadQuantumEfficiency, 3},
      {"a.ir", "t\n##\n##FIRSTX= 4000\n##LASTX=  3996\n##\n##NPOINTS=3\n##XYDATA\n4000 12 @ 7\n",
       ReadTabularIr, 3},
      {"b.ir", "t\n##\n##FIRSTX= @\n##LASTX=  3996\n##\n##NPOINTS=3\n##XYDATA\n4000 12 5 7\n",
       ReadTabularIr, 3},
      {"r.dat", "100 1\n101 @\n102 3\n", ReadRamanOrDegradation, 3},
      {"d.dat", "2012/01/31 cell 7\n2012/01/31 23:59:30 1\n2012/01/31 23:59:31 @\n",
       ReadRamanOrDegradation, 2, "-."},
      {"a.ras", "*RAS_INT_START\n10 5 1\n11 @ 1\n12 7 1\n*RAS_INT_END\n",
       ReadRas, 1},
      {"a.mrd", "Sample:x\n\n3\n1 2\n3 @\n5 6\n", ReadMrd, 1},
      {"a.X01", "FirstAngle,@\nStepWidth,1\nNrOfData,2\nScanData\n5\n@\n",
       ReadScanDataCsv, 2},
      {"g.txt", "GENERAL\n3\n1 2\n3 @\n5 6\n", ReadGeneralText, 1},
      {"c.txt", "3\n1 2\n@ 4\n", ReadCountFirstText, 1},
      {"t.txt", "a\nb\n3\n1 2\n@ 4\n", ReadCountOnThirdLineText, 1},
      {"s.txt", "Sample x\nStart 1\nStop 3\nStep 1\n1,2\n2,@\n3,4\n",
       ReadSampleHeaderScan, 3},
      {"f.txt", "F-4500\nnm\tData\n300,1\n301,@\n302,3\n", ReadF4500, 3},
      {"a.xdt", "Sample \"a\"\nx\ny\n4\n5\n1 2\n3 @\n", ReadXdt, 1},
      {"a.xrd", "*SAMPLE = s\n*BEGIN\n*START = 1\n*STEP = 1\n*COUNT = 3\n5 @ 7\n",
       [](CVariousData& d, const std::string& p) { return ReadSectionedScan(d, p, 0); }, 3},
      {"a.int", "3 10 0.5\n1 @ 3\n", ReadRietanInt, 1},
      {"a.pat", "title\n1 0.25 0 0\n2 20.0\n5 6 7\n8 @ 10\n",
       [](CVariousData& d, const std::string& p) { return ReadRietanPat(d, p, 0); }, 1},
      {"a.asc", "PE IR\n#GR\n1\n2\n3\n4\n5\n6\n3\n#DATA\n1 2\n3 @\n5 6\n",
       ReadPeIr, 1},
      {"c.asc", "1,   2\n3,   @\n",
       [&](CVariousData& d, const std::string& p) { return ReadCommaPairs(d, p, platform); }, 2},
      {"a.csv", ",\"a\",\"b\",\"c\"\n,,5,6\n,,@,7\n", ReadRigakuXrfCsv, 2},
      {"l.txt", "label\n3\n1 2\n3 @\n5 6\n", ReadTextData, 1},
  };
  for (const Case& c : cases) {
    for (const char* beyond : {"4e400", "-1e999", "1e309"}) {
      SCOPED_TRACE(std::string(c.file) + " with " + beyond);
      CVariousData withNumber, withWord;
      const int r1 = c.read(withNumber, Write(c.file, Replace(c.text, beyond)));
      const int r2 = c.read(withWord, Write(c.file, Replace(c.text, c.word)));
      EXPECT_EQ(r1, r2);
      EXPECT_GT(r1, 0);
      ASSERT_EQ(withNumber.datan, c.points);
      ASSERT_EQ(withWord.datan, c.points);
      for (int i = 0; i < c.points; ++i) {
        EXPECT_TRUE(std::isfinite(withNumber.GetX(i)) && std::isfinite(withNumber.GetY(i))) << i;
        EXPECT_EQ(withNumber.GetX(i), withWord.GetX(i)) << i;
        EXPECT_EQ(withNumber.GetY(i), withWord.GetY(i)) << i;
      }
    }
  }
}

}  // namespace
}  // namespace reader_tests
