// The text diffraction readers on crafted files: what each accepts, refuses and stores.
#include <string>

#include "ReaderTestSupport.h"

namespace reader_tests {
namespace {

using DiffractionReaders = ReaderTest;

TEST_F(DiffractionReaders, RigakuXrfCsvTakesThirdFieldAndTextAfterThirdComma) {
  const std::string path = Write("scan.csv",
                                 ",\"Heavy\",\"2-theta\",\"Intensity\"\r\n"
                                 ",\"\",\"5.000\",\"0.00629\"\r\n"
                                 ",\"\",  5.020 , 0.5 \r\n"
                                 ",'a','6.5','7'\r\n"
                                 "only,two commas\r\n"
                                 ",\"\",\"\",\"\"\r\n"
                                 ",\"Ca-KA\",\"2-theta\",\"Intensity\"\r\n");
  CVariousData d;
  ASSERT_EQ(ReadRigakuXrfCsv(d, path), 1);
  EXPECT_EQ(d.fileName, path);
  ASSERT_EQ(d.datan, 5);
  ExpectPoint(d, 0, 5.0, 0.00629);
  ExpectPoint(d, 1, 5.02, 0.5);
  ExpectPoint(d, 2, 6.5, 7.0);  // single quotes stripped
  ExpectPoint(d, 3, 0.0, 0.0);  // separator line
  ExpectPoint(d, 4, 2.0, 0.0);  // block header: "2-theta" converts to 2
  EXPECT_DOUBLE_EQ(d.XMax, 6.5);
}

TEST_F(DiffractionReaders, RigakuXrfCsvRefusesFirstLineWithoutCommaAndQuote) {
  CVariousData d;
  EXPECT_EQ(ReadRigakuXrfCsv(d, Write("a.csv", "2-theta,Intensity\n,,5,6\n")), -1);
  EXPECT_EQ(ReadRigakuXrfCsv(d, Write("b.csv", "\"no comma\"\n,,5,6\n")), -1);
  EXPECT_EQ(ReadRigakuXrfCsv(d, Write("c.csv", "")), -1);
  EXPECT_EQ(ReadRigakuXrfCsv(d, Path("missing.csv")), -1);
  EXPECT_EQ(d.datan, 0);
}

TEST_F(DiffractionReaders, RasMultipliesCountByAttenuatorFactor) {
  const std::string path = Write("a.ras",
                                 "*RAS_DATA_START\r\n*FILE_COMMENT \"quartz run\"\r\n"
                                 "*RAS_INT_START\r\n10.00 5 10\r\n10.02 6.5 1.0000\r\n"
                                 "*RAS_INT_END\r\n*RAS_DATA_END\r\n");
  CVariousData d;
  ASSERT_EQ(ReadRas(d, path), 1);
  EXPECT_EQ(d.label, "\"quartz run\"");
  ASSERT_EQ(d.datan, 2);
  ExpectPoint(d, 0, 10.0, 50.0);
  ExpectPoint(d, 1, 10.02, 6.5);
}

TEST_F(DiffractionReaders, RasWithoutStartMarkerFailsAndWithoutEndMarkerReadsToEnd) {
  CVariousData d;
  EXPECT_EQ(ReadRas(d, Write("a.ras", "*RAS_DATA_START\n10 5 1\n")), -1);
  ASSERT_EQ(ReadRas(d, Write("b.ras", "*RAS_INT_START\n10 5 1\n11 6 2")), 1);
  ASSERT_EQ(d.datan, 2);
  ExpectPoint(d, 1, 11.0, 12.0);
}

TEST_F(DiffractionReaders, MrdReadsCountOnLineThreeAndPairsInAnyLayout) {
  CVariousData d;
  ASSERT_EQ(ReadMrd(d, Write("a.mrd", "Sample:Fe2O3   \nignored\n3 points\n1 10 2\n20\n3 30\n")), 1);
  EXPECT_EQ(d.label, "Fe2O3");
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 2, 3.0, 30.0);
  // A count beyond the data keeps the points read.
  ASSERT_EQ(ReadMrd(d, Write("b.mrd", "Sample:x\n\n100\n1 2\n3 4\n")), 1);
  EXPECT_EQ(d.datan, 2);
}

TEST_F(DiffractionReaders, ScanDataCsvTakesHeaderKeysAndOneValuePerLine) {
  const std::string path = Write("a.X01",
                                 "Sample,Silicon 111   \nFirstAngle,20.5\nStepWidth,0.25\n"
                                 "Other,7\nNrOfData,3\nScanData\n100\n200,9\n300\n400\n");
  CVariousData d;
  ASSERT_EQ(ReadScanDataCsv(d, path), 1);
  EXPECT_EQ(d.label, "Silicon 111");
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 0, 20.5, 100);
  ExpectPoint(d, 1, 20.75, 200);
  ExpectPoint(d, 2, 21.0, 300);
  // A missing key counts as 0; no "ScanData" line is a failure.
  ASSERT_EQ(ReadScanDataCsv(d, Write("b.X01", "NrOfData,2\nScanData\n5\n6\n")), 1);
  ExpectPoint(d, 1, 0.0, 6);
  EXPECT_EQ(ReadScanDataCsv(d, Write("c.X01", "NrOfData,2\n5\n6\n")), -1);
}

TEST_F(DiffractionReaders, GeneralTextAnswersZeroForOtherFiles) {
  CVariousData d;
  const std::string path = Write("g.txt", "GENERAL\r\n 3\r\n 15.00 609\r\n 15.02\t612\r\n15.04 673\r\n");
  ASSERT_EQ(ReadGeneralText(d, path), 1);
  EXPECT_EQ(d.label, path);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 1, 15.02, 612);
  CVariousData other;
  EXPECT_EQ(ReadGeneralText(other, Write("h.txt", "General\n1\n1 2\n")), 0);
  EXPECT_EQ(ReadGeneralText(other, Write("e.txt", "")), 0);
  EXPECT_EQ(other.datan, 0);
  EXPECT_EQ(ReadGeneralText(other, Path("none.txt")), -1);
}

TEST_F(DiffractionReaders, CountFirstTextNeedsDigitsOnlyFirstLine) {
  CVariousData d;
  ASSERT_EQ(ReadCountFirstText(d, Write("a.txt", " 2 \r\n1 10\r\n2 20\r\n3 30\r\n")), 1);
  ASSERT_EQ(d.datan, 2);
  ExpectPoint(d, 1, 2, 20);
  // An empty first line is a count of 0.
  ASSERT_EQ(ReadCountFirstText(d, Write("b.txt", "\n1 10\n")), 1);
  EXPECT_EQ(d.datan, 0);
  // A file longer than its first line is read whole once the first line qualifies.
  std::string many = "100\n";
  for (int i = 0; i < 100; ++i) many += std::to_string(i) + " " + std::to_string(i * 2) + "\n";
  ASSERT_EQ(ReadCountFirstText(d, Write("m.txt", many)), 1);
  ASSERT_EQ(d.datan, 100);
  ExpectPoint(d, 99, 99, 198);
  EXPECT_EQ(ReadCountFirstText(d, Write("c.txt", "-2\n1 10\n")), 0);
  EXPECT_EQ(ReadCountFirstText(d, Write("d.txt", "2 points\n1 10\n")), 0);
}

TEST_F(DiffractionReaders, CountOnThirdLineCountsPiecesOfLongLinesAsLines) {
  // A 300-byte first line is read as two lines, so the count is the file's second line.
  const std::string path = Write("a.txt", std::string(300, 'x') + "\n2\n1 10\n2 20\n3 30\n");
  CVariousData d;
  ASSERT_EQ(ReadCountOnThirdLineText(d, path), 1);
  ASSERT_EQ(d.datan, 2);
  ExpectPoint(d, 0, 1, 10);
  // A count line that does not begin with a number gives no points, and still success.
  ASSERT_EQ(ReadCountOnThirdLineText(d, Write("b.txt", "a\nb\nORIGIN\tJASCO\n1 2\n")), 1);
  EXPECT_EQ(d.datan, 0);
}

TEST_F(DiffractionReaders, SampleHeaderScanTakesXFromDataLines) {
  const std::string path = Write("s.txt",
                                 "Sample,Quartz\nStart,10\nStop,10.4\nComment,x\nStep,0.2\n"
                                 "50,5\n60\t6\n70 7\n80 8\n");
  CVariousData d;
  ASSERT_EQ(ReadSampleHeaderScan(d, path), 1);
  EXPECT_EQ(d.label, "Quartz");
  ASSERT_EQ(d.datan, 3);  // (10.4 - 10) / 0.2 + 1.01 = 3.01
  ExpectPoint(d, 0, 50, 5);
  ExpectPoint(d, 1, 60, 6);
  ExpectPoint(d, 2, 70, 7);
}

TEST_F(DiffractionReaders, SampleHeaderScanEndsAtLineWithoutSeparatorAndFailsOnZeroStep) {
  CVariousData d;
  ASSERT_EQ(ReadSampleHeaderScan(d, Write("a.txt", "Sample\tx\nStart 1\nStop 5\nStep 1\n1,1\n2\n3,3\n")), 1);
  EXPECT_EQ(d.datan, 1);
  EXPECT_EQ(ReadSampleHeaderScan(d, Write("b.txt", "Sample x\nStart 1\nStop 5\nStep 0\n1,1\n")), -1);
  EXPECT_EQ(ReadSampleHeaderScan(d, Write("c.txt", "Sample x\nStart 1\nStop 0\nStep 1\n1,1\n")), -1);
  // Header ending at end of file: step 0.
  EXPECT_EQ(ReadSampleHeaderScan(d, Write("d.txt", "Sample x\nStart 1\nStop 5\n")), -1);
}

TEST_F(DiffractionReaders, SampleHeaderScanFallsBackToCountOnThirdLine) {
  CVariousData d;
  ASSERT_EQ(ReadSampleHeaderScan(d, Write("a.txt", "Samples\nx\n1\n4 40\n5 50\n")), 1);
  ASSERT_EQ(d.datan, 1);
  ExpectPoint(d, 0, 4, 40);
}

TEST_F(DiffractionReaders, XdtJoinsQuotedTitlesAndCountsNumericLines) {
  const std::string path = Write("a.xdt",
                                 "Sample \"Zn powder\" 12\nline2\n\"second part\"\nline4\nline5\n"
                                 "10 1\n10.5 2\n11 3\n# end\n12 4\n");
  CVariousData d;
  ASSERT_EQ(ReadXdt(d, path), 1);
  EXPECT_EQ(d.label, "Zn powder  second part");
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 2, 11, 3);
  EXPECT_EQ(ReadXdt(d, Write("b.xdt", "Sample 'x'\n")), -1);
  // A third line without quotes is taken from its start.
  ASSERT_EQ(ReadXdt(d, Write("c.xdt", "Sample \"Zn\"\r\nx\r\nplain part\r\n4\r\n5\r\n1 2\r\n")), 1);
  EXPECT_EQ(d.label, "Zn  plain part");
  EXPECT_EQ(d.datan, 1);
}

std::string ThreeSections() {
  return "*TYPE\t\t=  Raw\r\n*SAMPLE\t\t=  JC17\r\n*SEC_COUNT\t=  3\r\n"
         "*BEGIN\r\n*START\t\t=  4\r\n*STOP\t=  4.02\r\n*STEP\t\t=  0.01\r\n*COUNT\t\t=  3\r\n"
         "767, 794, 798,\r\n*END\r\n"
         "*BEGIN\r\n*START\t\t=  10\r\n*STOP\t=  11\r\n*STEP\t\t=  0.5\r\n*COUNTER = 9\r\n*COUNT =  3\r\n"
         "1, 2,\r\n3,\r\n*END\r\n"
         "*BEGIN\r\n*START = 20\r\n*STEP = 1\r\n*COUNT\t= 1\r\n5\r\n*END\r\n";
}

TEST_F(DiffractionReaders, SectionedScanReadsTheChosenSection) {
  const std::string path = Write("a.xrd", ThreeSections());
  CVariousData d;
  ASSERT_EQ(ReadSectionedScan(d, path, 1), 1);
  EXPECT_EQ(d.label, "  JC17");
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 0, 10, 1);
  ExpectPoint(d, 2, 11, 3);
  ASSERT_EQ(ReadSectionedScan(d, path, 0), 1);
  ASSERT_EQ(d.datan, 3);
  ExpectPoint(d, 1, 4.01, 794);
  ASSERT_EQ(ReadSectionedScan(d, path, 2), 1);
  ExpectPoint(d, 0, 20, 5);
  // A section the file does not hold.
  EXPECT_EQ(ReadSectionedScan(d, path, 3), -1);
}

TEST_F(DiffractionReaders, SectionedScanNeedsSampleLineAndReadsNothingWithoutCount) {
  CVariousData d;
  EXPECT_EQ(ReadSectionedScan(d, Write("a.xrd", "*TYPE = Raw\n*BEGIN\n*START = 1\n*COUNT = 2\n5 6\n"), 0), -1);
  // The header ends at the end of the file: a count of 0.
  ASSERT_EQ(ReadSectionedScan(d, Write("b.xrd", "*SAMPLE = s\n*BEGIN\n*START = 1\n5 6\n"), 0), 1);
  EXPECT_EQ(d.label, " s");
  EXPECT_EQ(d.datan, 0);
}

TEST_F(DiffractionReaders, SectionedScanWithoutStarReadsCountOnThirdLine) {
  CVariousData d;
  ASSERT_EQ(ReadSectionedScan(d, Write("a.xrd", "title\nx\n2\n1 2\n3 4\n"), 0), 1);
  ASSERT_EQ(d.datan, 2);
  ExpectPoint(d, 1, 3, 4);
}

}  // namespace
}  // namespace reader_tests
