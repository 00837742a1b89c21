// Spectroscopy readers, the binary-file test, the ".dat" content test, the degradation log and
// the labelled text data file, on crafted files.
#include <string>

#include "ReaderTestSupport.h"

namespace reader_tests {
namespace {

using SpectroscopyReaders = ReaderTest;

// A tabular IR header: first X, last X and the count start at the 11th character.
std::string IrHeader(const std::string& first, const std::string& last, const std::string& n) {
  return "Polystyrene film\n##ORIGIN= lab\n##FIRSTX= " + first + "\n##LASTX=  " + last +
         "\n##XUNITS= 1/CM\n##NPOINTS=" + n + "\n##XYDATA=(X++(Y..Y))\n";
}

TEST_F(SpectroscopyReaders, TabularIrSplitsValuesAtBlanksAndMinusSigns) {
  // 4000 12-5 7 with delta -2: (4000, 12), (3998, -5), (3996, 7), stored ascending.
  const std::string path = Write("a.ir", IrHeader("4000", "3996", "3") + "4000 12-5 7\n##END=\n");
  CVariousData d;
  ASSERT_EQ(ReadTabularIr(d, path), 1);
  EXPECT_EQ(d.label, "Polystyrene film");
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 0, 3996, 7);
  ExpectPoint(d, 1, 3998, -5);
  ExpectPoint(d, 2, 4000, 12);
}

TEST_F(SpectroscopyReaders, TabularIrStopsAtCountAndEndMarkerAndSkipsTrailingBlanks) {
  CVariousData d;
  const std::string body = "400 1  2   \n404 3 4\n##END=\n999 9\n";
  ASSERT_EQ(ReadTabularIr(d, Write("a.ir", IrHeader("400", "410", "6") + body)), 1);
  ASSERT_EQ(d.datan, 4);  // the end marker comes before the count is reached
  ExpectPoint(d, 1, 402, 2);
  ExpectPoint(d, 3, 406, 4);
  ASSERT_EQ(ReadTabularIr(d, Write("c.ir", IrHeader("400", "410", "3") + "400 1 2 3 4\n401 5\n")), 1);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 2, 410, 3);
  // One point only: no step to divide by.
  ASSERT_EQ(ReadTabularIr(d, Write("b.ir", IrHeader("400", "400", "1") + "400 8\n")), 1);
  ASSERT_EQ(d.datan, 1);
  ExpectPoint(d, 0, 400, 8);
}

TEST_F(SpectroscopyReaders, TabularIrValuesAreSeparatedByBlanksNotTabs) {
  // A tab-separated line has no separator after its first character, so it carries no
  // values; inside a value's text a tab does not start the next value.
  const std::string body = "400\t1\t2\n400 1\t2 3\n404 5\n";
  CVariousData d;
  ASSERT_EQ(ReadTabularIr(d, Write("a.ir", IrHeader("400", "404", "3") + body)), 1);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 0, 400, 1);
  ExpectPoint(d, 1, 402, 3);
  ExpectPoint(d, 2, 404, 5);
}

TEST_F(SpectroscopyReaders, BinaryFileTestAllowsLineEndsTabsNulAndCtrlZ) {
  EXPECT_FALSE(IsBinaryFile(Write("a.txt", std::string("a\tb\r\n\0c\x1a", 8))));
  EXPECT_TRUE(IsBinaryFile(Write("b.txt", "PE IR\n\x0c page\n")));
  EXPECT_TRUE(IsBinaryFile(Write("c.txt", std::string("x\x01", 2))));
  EXPECT_TRUE(IsBinaryFile(Path("missing.txt")));
  CVariousData d;
  EXPECT_EQ(ReadPeIr(d, Path("b.txt")), -1);
  EXPECT_EQ(ReadTabularIr(d, Path("b.txt")), -1);
  EXPECT_EQ(ReadRamanOrDegradation(d, Path("b.txt")), -1);
}

std::string PeIr(const std::string& data) {
  return "PE IR       SPECTRUM    ASCII       PEDS        1.60\n  -1\nhdr\n#GR\nnm\nA\n1.0\n0.0\n"
         "4000\n-2\n3\n#DATA\n" + data;
}

TEST_F(SpectroscopyReaders, PeIrReadsCountAfterGrAndStoresAscending) {
  CVariousData d;
  ASSERT_EQ(ReadPeIr(d, Write("a.asc", PeIr("4000\t10 \n3998\t20\n3996 30\n3994 40\n"))), 1);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 0, 3996, 30);
  ExpectPoint(d, 2, 4000, 10);
}

TEST_F(SpectroscopyReaders, PeIrWithoutMarkers) {
  CVariousData d;
  d.SetSize(2);
  EXPECT_EQ(ReadPeIr(d, Write("a.asc", "PE IR\nno graph block\n")), -1);
  EXPECT_EQ(d.datan, 2);  // refused before anything was read
  // "#GR" without "#DATA" empties the curve.
  EXPECT_EQ(ReadPeIr(d, Write("b.asc", "PE IR\n#GR\n1\n2\n3\n4\n5\n6\n7\n1 2\n")), -1);
  EXPECT_EQ(d.datan, 0);
  EXPECT_EQ(d.maxDatan, 0);
}

TEST_F(SpectroscopyReaders, CommaPairsCountLinesToFirstEmptyLine) {
  MessageLog platform;
  CVariousData d;
  const std::string path = Write("c.asc", "1,   2\n3.5,   4\nno comma\n\n5,6\n7,8\n");
  // Three lines before the empty one: the points are the first three comma lines.
  ASSERT_EQ(ReadCommaPairs(d, path, platform), 3);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 1, 3.5, 4);
  ExpectPoint(d, 2, 5, 6);
  EXPECT_TRUE(platform.messages.empty());

  const std::string missing = Path("gone.asc");
  EXPECT_EQ(ReadCommaPairs(d, missing, platform), -1);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text, "Can't open [" + missing + "]");
  EXPECT_EQ(platform.messages[0].caption, "Read Error");
}

TEST_F(SpectroscopyReaders, OpticalDensityReadsEveryPair) {
  CVariousData d;
  ASSERT_EQ(ReadOpticalDensity(d, Write("a.od", "300 0.1 301\n0.2\n302 0.3 303")), 1);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 2, 302, 0.3);
}

TEST_F(SpectroscopyReaders, QuantumEfficiencyStoresNumericLinesBeforeTheFooter) {
  CVariousData d;
  const std::string text = "# QE run\r\n# nm  QE\r\n400 0.5\r\n410\t0.6\r\n# note\r\n420 0.7\r\n"
                           "Total 3 points\r\n430 0.8\r\n";
  ASSERT_EQ(ReadQuantumEfficiency(d, Write("a.qe", text)), 1);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 0, 400, 0.5);
  ExpectPoint(d, 2, 420, 0.7);
}

TEST_F(SpectroscopyReaders, RamanPairsAndSmoothedColumnsStopAtFirstLineWithoutNumber) {
  CVariousData d;
  ASSERT_EQ(ReadRamanPairs(d, Write("a.ram", "100 25.5\r\n101 26\r\n\r\n102 27\r\n")), 1);
  ASSERT_EQ(d.datan, 2);
  ExpectPoint(d, 1, 101, 26);
  // A word such as "NaN" or "Info" is no number: it ends the data like any text.
  ASSERT_EQ(ReadRamanPairs(d, Write("b.ram", "100 25.5\nNaN 3\nInfo 4\n")), 1);
  ASSERT_EQ(d.datan, 1);
  EXPECT_DOUBLE_EQ(d.YMax, 25.5);
  ASSERT_EQ(ReadSmoothedRaman(d, Write("a.rmn", "x raw smooth y\n100 1 2 3\n101 4 5 6\nend\n")), 1);
  ASSERT_EQ(d.datan, 2);
  ExpectPoint(d, 0, 100, 2);
  ExpectPoint(d, 1, 101, 5);
}

std::string F4500(const std::string& instrumentLine) {
  return "Sample Description\n" + instrumentLine +
         "\n\xBB\xDD\xCC\xDF\xD9\x3A\tRhodamine\nScan speed\t240\n\nData Points\nnm\tData\n"
         "500.0\t10.5\n501.0,11\n502 12\n503\n";
}

TEST_F(SpectroscopyReaders, F4500NeedsItsNameAndReadsAfterNmLine) {
  CVariousData d;
  ASSERT_EQ(ReadF4500(d, Write("a.txt", F4500("Instrument\tF-4500 FL Spectrophotometer"))), 1);
  EXPECT_EQ(d.label, "Rhodamine");
  // "503\n" is shorter than five characters: three data lines.
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 0, 500, 10.5);
  ExpectPoint(d, 1, 501, 11);
  ExpectPoint(d, 2, 502, 12);
  CVariousData other;
  EXPECT_EQ(ReadF4500(other, Write("b.txt", F4500("Instrument\tF-7000"))), 0);
  EXPECT_EQ(ReadF4500(other, Write("c.txt", std::string(20, '\n') + "F-4500\nnm\n1,2\n")), 0);
  EXPECT_EQ(other.datan, 0);
  // Its name without an "nm" line: a file of this kind that lacks its data header.
  EXPECT_EQ(ReadF4500(other, Write("d.txt", "F-4500\nData\n1,2\n")), -1);
}

TEST_F(SpectroscopyReaders, DatFileIsRamanWhenNumericAndDegradationWhenDated) {
  CVariousData d;
  ASSERT_EQ(ReadRamanOrDegradation(d, Write("r.dat", "100 25.5\n1.0D+02 26\n")), 1);
  EXPECT_EQ(d.datan, 2);
  const std::string log = "2011/05/12 10:00:00 2.5e-9\n2011/05/12 10:00:00 2.5e-9\n"
                          "2011/05/12 10:01:40 2.4e-9\n";
  ASSERT_EQ(ReadRamanOrDegradation(d, Write("d.dat", log)), 2);
  EXPECT_EQ(d.label, "2011/05/12 10:00:00 2.5e-9");
  ASSERT_EQ(d.datan, 2);
  ExpectPoint(d, 1, 100, 2.4e-9);
  EXPECT_EQ(ReadRamanOrDegradation(d, Write("n.dat", "D1A5 Title: 1.9114 A\n1 2\n")), -1);
  EXPECT_EQ(ReadRamanOrDegradation(d, Write("t.dat", "#Wave\t\t#Intensity\n1 2\n")), -1);
  // Dated, but a line of the log is not a date-time line.
  EXPECT_EQ(ReadRamanOrDegradation(d, Write("b.dat", "2011/05/12\n100 25\n")), -1);
}

using LogReaders = ReaderTest;

TEST_F(LogReaders, DegradationLogCountsSecondsAcrossMonthEnd) {
  CVariousData d;
  const std::string path = Write("a.dat", "Cell 7 under AM1.5\r\n2012/01/31 23:59:30 1.5e-9\r\n"
                                          "2012/02/01 00:00:30 1.4e-9\r\n");
  ASSERT_EQ(ReadDegradationLog(d, path), 1);
  EXPECT_EQ(d.label, "Cell 7 under AM1.5");
  ASSERT_EQ(d.datan, 2);
  ExpectPoint(d, 0, 0, 1.5e-9);
  ExpectPoint(d, 1, 60, 1.4e-9);
}

TEST_F(LogReaders, DegradationLogTwoDigitYearsCountFrom1900) {
  CVariousData d;
  ASSERT_EQ(ReadDegradationLog(d, Write("a.dat", "t\n99/12/31 23:59:59 1\n2000/01/01 00:00:00 2\n")), 1);
  ASSERT_EQ(d.datan, 2);
  ExpectPoint(d, 1, 1, 2);
}

TEST_F(LogReaders, DegradationLogTakesDateFieldsAsWrittenEvenWhenAbsurd) {
  // Month 13 of 2012 is January 2013, one day after the last of December. A month far beyond
  // the int range is still a date-time line: its value is read and nothing overflows.
  CVariousData d;
  ASSERT_EQ(ReadDegradationLog(d, Write("a.dat", "t\n2012/12/31 00:00:00 1\n2012/13/01 00:00:00 2\n"
                                                "2012/-99999999999/01 00:00:00 3\n")),
            1);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 1, 86400, 2);
  EXPECT_DOUBLE_EQ(d.GetY(2), 3);
}

TEST_F(LogReaders, DegradationLogFailsWholeOnAnyNonConformingLine) {
  const std::string good = "t\n2012/01/31 23:59:30 1.5e-9\n";
  const char* bad[] = {
      "\n",                                // a trailing empty line
      "2012/01/31 23:59:40 1.5e-9 A\n",    // a fourth word
      "2012/01/31 23:59:40\n",             // two words
      "2012/01/31 23-59-40 1\n",           // no ":"
      "2012/01/31 23:59:40 1.5e-9 \x01\n",  // a character outside the set
      "2012/01/31 23:59:4x 1\n",
  };
  for (const char* line : bad) {
    CVariousData d;
    EXPECT_EQ(ReadDegradationLog(d, Write("a.dat", good + line)), -1) << line;
    EXPECT_EQ(d.datan, 0) << line;
  }
  // The last line without its line end is still a date-time line.
  CVariousData d;
  ASSERT_EQ(ReadDegradationLog(d, Write("b.dat", good + "2012/01/31 23:59:40 2")), 1);
  EXPECT_EQ(d.datan, 2);
}

TEST_F(LogReaders, TextDataFileReadsLabelCountAndPairs) {
  CVariousData d;
  ASSERT_EQ(ReadTextData(d, Write("a.txt", "Sample A  \t\r\n3\r\n1 2\r\n3 4\r\n")), 1);
  EXPECT_EQ(d.label, "Sample A");
  ASSERT_EQ(d.datan, 2);
  ExpectPoint(d, 1, 3, 4);
  EXPECT_EQ(ReadTextData(d, Path("none.txt")), -1);
}

}  // namespace
}  // namespace reader_tests
