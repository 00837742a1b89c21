#include <cmath>

#include "DocTestSupport.h"
#include "IniKeys.h"

using doctest::DocTest;
using doctest::RigakuBinary;

namespace {

// One load and what it must leave in the document.
struct Load {
  std::string file;     // name in the scratch folder
  std::string text;     // file contents (empty with `missing`)
  int result;           // ReadDataFile result
  std::string suffix;   // document path = "<path> <suffix>"
  std::string xLabel;
  std::string yLabel;
  int kind;
  int points;
  double x0 = NAN, y0 = NAN;  // first point, when given
};

const char* const kIrX = "Wave number / cm-1";
const char* const kIrY = "Transmittance / %";
const char* const kXrdX = "Diffraction angle 2Theta / deg.";
const char* const kTxtX = "CuKa 2Theta";
const char* const kTxtY = "Diffraction intensity";

class ReadDataFileTest : public DocTest {
 protected:
  void Check(const Load& c, const std::string& path) {
    SCOPED_TRACE(c.file);
    CBalimorDoc doc(platform, ini);
    const CGraphFrame* frame = ExpectLoad(doc, path, c.result, c.suffix, c.xLabel, c.yLabel, c.kind);
    EXPECT_EQ(doc.GetDataFileName(), path);
    ASSERT_NE(frame, nullptr);
    const CVariousData& data = *doc.GetOriginalData();
    EXPECT_EQ(data.datan, c.points);
    if (!std::isnan(c.x0) && data.datan > 0) {
      EXPECT_DOUBLE_EQ(data.GetX(0), c.x0);
      EXPECT_DOUBLE_EQ(data.GetY(0), c.y0);
    }
    // The measured data is the curve shown in frame 0, and a success autoscales around it.
    EXPECT_EQ(frame->GetGraph(0), &data);
    EXPECT_TRUE(frame->fixYMin);
    EXPECT_EQ(frame->YMin, 0.0);
  }
  void Check(const Load& c) { Check(c, Write(c.file, c.text)); }
};

}  // namespace

TEST_F(ReadDataFileTest, EveryRowOfTheTable) {
  const Load rows[] = {
      {"xrf.csv", ",\"Heavy\",\"2-theta\",\"Intensity\"\n,\"\",\"5.000\",\"0.00629\"\n,\"\",\"5.010\",\"0.007\"\n",
       0, "(Rigaku XRF Data)", "Theta / degree", "Signale", 1, 2, 5.0, 0.00629},
      {"scan.ras", "*FILE_COMMENT \"Si\"\n*RAS_INT_START\n10 5 2\n10.02 6 1\n*RAS_INT_END\n",
       0, "(SmartLab RAS Data)", "Angle / deg", "Intensity", 2, 2, 10.0, 10.0},
      {"old.ir",
       "title\n##\n##FIRSTX= 4000\n##LASTX=  3996\n##\n##NPOINTS=3\n##XYDATA\n4000 12-5 7\n##END=\n",
       0, "(Old IR Data)", kIrX, kIrY, 2, 3, 3996.0, 7.0},
      {"pe.asc", "PE IR  SPECTRUM\n#GR\n1\n2\n3\n4\n5\n6\n2\n#DATA\n500 20\n400 10\n",
       0, "(IR Data)", kIrX, kIrY, 2, 2, 400.0, 10.0},
      {"scan.mrd", "Sample:Quartz  \nskip\n2\n1 2 3\n4\n", 0, "(IR Data)", "CuKa 2Q", "Intensity / cps",
       1, 2, 1.0, 2.0},
      {"scan.X12", "Sample,Quartz\nFirstAngle,10\nStepWidth,0.5\nNrOfData,3\nScanData\n7\n8\n9\n",
       0, "(IR Data)", "CuKa 2Q", "Intensity / cps", 1, 3, 10.0, 7.0},
      {"film.od", "400 0.1 500 0.2\n600 0.3\n", 0, "(OD Data)", "Wave length / nm", "Optical Density",
       0, 3, 400.0, 0.1},
      {"cell.qe2", "# header\n400 0.5\n500 0.6\nend of data\n", 0, "(QE Data)", "Wave length / nm",
       "Quantum efficiency", 0, 2, 400.0, 0.5},
      {"raman.dat", "100 25.5\n200 30\n", 0, "(Raman Data)", kIrX, "Raman intensity", 2, 2, 100.0, 25.5},
      {"log.dat", "2012/01/31 photocurrent\n2012/01/31 23:59:30 1.5e-9\n2012/02/01 00:00:30 1.4e-9\n",
       0, "(Degradation Measurement Data)", "Time / s", "Photo current / A", 0, 2, 0.0, 1.5e-9},
      {"raman.ram", "100 1\n200 2\n", 0, "(Raman Data)", kIrX, "Raman intensity", 2, 2, 100.0, 1.0},
      {"raman.rmn", "head\n1 2 3 4\n5 6 7 8\n", 0, "(Raman smoothed Data)", kIrX, "Raman intensity", 2,
       2, 1.0, 3.0},
      {"scan.xdt", "Sample \"Quartz\"\nskip\n\"run 1\"\nskip\nskip\n1 2\n3 4\n", 0, "(XRD Data)", kXrdX,
       "Intensity", 1, 2, 1.0, 2.0},
      {"scan.int", "* comment\n3 10 0.5\n1 2\n3\n", 0, "(Rietan INT Data)", "2Theta", "Diffraction Intensity",
       1, 3, 10.0, 1.0},
  };
  for (const Load& c : rows) Check(c);
}

// [Preferences] RasDataKind and AscDataKind: 1 or 2 is the kind RAS scans and ".asc" files
// open as; any other number, and every other file, keeps the reader's kind.
TEST_F(ReadDataFileTest, KindSettingsOfRasAndAsc) {
  const std::string ras = Write("k.ras", "*RAS_INT_START\n10 5 2\n10.02 6 1\n*RAS_INT_END\n");
  const std::string asc = Write("k.asc", "PE IR  SPECTRUM\n#GR\n1\n2\n3\n4\n5\n6\n2\n#DATA\n500 20\n400 10\n");
  const std::string txt = Write("k.txt", "2\n1 2\n3 4\n");
  struct Case {
    int ras, asc;
    DataKind rasKind, ascKind;
  };
  const Case cases[] = {{1, 2, DataKind::Diffraction, DataKind::Spectroscopic},
                        {2, 1, DataKind::Spectroscopic, DataKind::Diffraction},
                        {7, 0, DataKind::Spectroscopic, DataKind::Spectroscopic}};
  for (const Case& c : cases) {
    CIniFile settings(ini);
    settings.WriteInt(ini::kRasDataKind, c.ras);
    settings.WriteInt(ini::kAscDataKind, c.asc);
    CBalimorDoc doc(platform, ini);
    EXPECT_EQ(doc.ReadDataFile(ras), 0);
    EXPECT_EQ(doc.GetDataKind(), c.rasKind) << c.ras;
    EXPECT_EQ(doc.ReadDataFile(asc), 0);
    EXPECT_EQ(doc.GetDataKind(), c.ascKind) << c.asc;
    EXPECT_EQ(doc.ReadDataFile(txt), 0);
    EXPECT_EQ(doc.GetDataKind(), DataKind::Diffraction);
  }
}

TEST_F(ReadDataFileTest, TxtChainOrder) {
  const Load rows[] = {
      {"general.txt", "GENERAL\n2\n1 2\n3 4\n", 0, "(XRD Data)", kTxtX, kTxtY, 1, 2, 1.0, 2.0},
      {"count.txt", "2\n1 2\n3 4\n", 0, "(XRD Data)", kTxtX, kTxtY, 1, 2, 1.0, 2.0},
      {"pl.txt", "F-4500 export\nData Points\nnm\n400,10\n500,20\n", 0, "(PL Data)", "Wavelength / nm",
       "PL intensity", 2, 2, 400.0, 10.0},
      {"sample.txt", "Sample,Quartz\nStart,10\nStop,11\nStep,0.5\n10,1\n10.5,2\n11,3\n", 0, "(XRD Data)",
       kTxtX, kTxtY, 1, 3, 10.0, 1.0},
      // No recognisable header: the count comes from the third line.
      {"free.txt", "some words\nmore words\n2\n1 2\n3 4\n5 6\n", 0, "(XRD Data)", kTxtX, kTxtY, 1, 2, 1.0, 2.0},
      // An empty first line is a count of 0.
      {"empty-first.txt", "\n1 2\n3 4\n", 0, "(XRD Data)", kTxtX, kTxtY, 1, 0},
      {"UPPER.TXT", "2\n1 2\n3 4\n", 0, "(XRD Data)", kTxtX, kTxtY, 1, 2, 1.0, 2.0},
  };
  for (const Load& c : rows) Check(c);
}

TEST_F(ReadDataFileTest, TxtChainPrecedence) {
  // Each file would also suit a later reader of the chain; the earlier one takes it.
  const Load rows[] = {
      {"general-pl.txt", "GENERAL\n1\n5 6\nF-4500\nnm\n400,1\n", 0, "(XRD Data)", kTxtX, kTxtY, 1, 1, 5.0,
       6.0},
      {"count-pl.txt", "2\n1 2\n3 4\nF-4500\nnm\n400,1\n", 0, "(XRD Data)", kTxtX, kTxtY, 1, 2, 1.0, 2.0},
      // An F-4500 file whose first line begins "Sample," is not left to the sample-header scan.
      {"sample-pl.txt", "Sample,Quartz\nF-4500\nStart,1\nStop,2\nStep,1\nnm\n400,10\n500,20\n", 0,
       "(PL Data)", "Wavelength / nm", "PL intensity", 2, 2, 400.0, 10.0},
  };
  for (const Load& c : rows) Check(c);
}

TEST_F(ReadDataFileTest, ExtensionCases) {
  const auto big = RigakuBinary({{10.0, 100}, {10.02, 120}}, true, "quartz");
  // Digit extensions go to the binary scan, read big-endian first.
  Check({"scan.1", "", 0, "(XRD Data)", kXrdX, "Intensity", 1, 2, 10.0, 100.0}, Write("scan.1", big));
  Check({"scan.123", "", 0, "(XRD Data)", kXrdX, "Intensity", 1, 2, 10.0, 100.0}, Write("scan.123", big));
  // Lower-case x and upper-case X both name the ScanData form; five characters do not.
  const std::string scanData = "FirstAngle,1\nStepWidth,1\nNrOfData,2\nScanData\n5\n6\n";
  Check({"scan.x12", scanData, 0, "(IR Data)", "CuKa 2Q", "Intensity / cps", 1, 2, 1.0, 5.0});
  Check({"scan.xy12", scanData, -1, "(Invalid Data)", kIrX, kIrY, 0, 0});
  // ".od" and ".qe2" come before the digit test.
  Check({"scan.od", "1 2\n", 0, "(OD Data)", "Wave length / nm", "Optical Density", 0, 1});
  // A path ending in "." is sent to the binary scan (labels and kind set before the read).
  Check({"scan.", "plain text\n", -1, "(Invalid Data)", kXrdX, "Intensity", 1, 0});
  // A dot in a folder name makes ".d/scan" the extension: the second binary form.
  Check({"data.d/scan", "2\n1 2\n3 4\n", -1, "(Invalid Data)", kIrX, kIrY, 0, 0});
  const auto little = RigakuBinary({{20.0, 5}, {20.5, 6}}, false, "film");
  Check({"data.d/scan", "", 0, "(XRD Data)", kXrdX, "Intensity", 1, 2, 20.0, 5.0},
        Write("data.d/scan", little));
}

TEST_F(ReadDataFileTest, BinaryByteOrderInBothForms) {
  const auto big = RigakuBinary({{10.0, 100}, {12.5, 3000}}, true, "quartz");
  const auto little = RigakuBinary({{10.0, 100}, {12.5, 3000}}, false, "quartz");
  // Each form reads its own order directly and switches on the first implausible pair.
  for (const char* name : {"big.1", "little.1", "big.raw", "little.raw"}) {
    SCOPED_TRACE(name);
    const bool isBig = std::string(name).rfind("big", 0) == 0;
    CBalimorDoc doc(platform, ini);
    ASSERT_EQ(doc.ReadDataFile(Write(name, isBig ? big : little)), 0);
    const CVariousData& d = *doc.GetOriginalData();
    ASSERT_EQ(d.datan, 2);
    EXPECT_DOUBLE_EQ(d.GetX(1), 12.5);
    EXPECT_DOUBLE_EQ(d.GetY(1), 3000.0);
    EXPECT_EQ(d.label.substr(0, 6), "quartz");
  }
}

TEST_F(ReadDataFileTest, Failures) {
  const Load rows[] = {
      // No start marker.
      {"bad.ras", "*FILE_COMMENT x\n1 2 1\n", -1, "(Invalid Data)", kIrX, kIrY, 0, 0},
      // Rows whose labels are set before the read keep them when it fails.
      {"bad.int", "IGOR\nWAVES/D\twave0\twave1\n", -1, "(Invalid Data)", "2Theta", "Diffraction Intensity", 1, 0},
      {"neither.dat", "D1A5 Title: 1.9 A\n1 2\n", -1, "(Invalid Data)", kIrX, kIrY, 0, 0},
      // A trailing empty line fails the whole log.
      {"trail.dat", "2012/01/31 log\n2012/01/31 23:59:30 1.5e-9\n\n", -1, "(Invalid Data)", kIrX, kIrY, 0, 0},
      // A fourth word fails it too.
      {"unit.dat", "2012/01/31 log\n2012/01/31 23:59:30 1.5e-9 A\n", -1, "(Invalid Data)", kIrX, kIrY, 0, 0},
      {"form.asc", "PE FL  SPECTRUM\n1,2\n", -1, "(Invalid Data)", kIrX, kIrY, 0, 0},
      {"noheader", "1 2\n", -1, "(Invalid Data)", kIrX, kIrY, 0, 0},
  };
  for (const Load& c : rows) Check(c);
  Check({"missing.ram", "", -1, "(Invalid Data)", kIrX, "Raman intensity", 2, 0}, (dir / "missing.ram").string());
  EXPECT_TRUE(platform.messages.empty());
}

TEST_F(ReadDataFileTest, DegradationLogAcrossMonthEnd) {
  CBalimorDoc doc(platform, ini);
  ASSERT_EQ(doc.ReadDataFile(Write("log.dat",
                                   "2012/01/31 photocurrent\n"
                                   "2012/01/31 23:59:30 1.5e-9\n"
                                   "2012/02/01 00:00:30 1.4e-9\n")),
            0);
  const CVariousData& d = *doc.GetOriginalData();
  ASSERT_EQ(d.datan, 2);
  EXPECT_DOUBLE_EQ(d.GetX(1), 60.0);
  EXPECT_EQ(d.label.substr(0, 23), "2012/01/31 photocurrent");
  // Two-digit years count from 1900.
  ASSERT_EQ(doc.ReadDataFile(Write("short.dat",
                                   "12/01/31 log\n"
                                   "12/12/31 23:59:59 1\n"
                                   "13/01/01 00:00:01 2\n")),
            0);
  EXPECT_DOUBLE_EQ(doc.GetOriginalData()->GetX(1), 2.0);
}

TEST_F(ReadDataFileTest, CommaPairAscIsTitledAsIrData) {
  const Load c = {"pairs.asc", "4000,   10\n3000,   20\n\n2000,   30\n", 0, "(IR Data)", kIrX, kIrY, 2, 2,
                  4000.0, 10.0};
  Check(c);
}

TEST_F(ReadDataFileTest, SectionChoice) {
  const std::string threeSections =
      "*TYPE = Raw\n*SAMPLE =  quartz\n*SEC_COUNT = 3\n"
      "*BEGIN\n*START = 10\n*STOP = 11\n*STEP = 0.5\n*COUNT = 3\n1 2 3\n*END\n"
      "*BEGIN\n*START = 20\n*STOP = 20.5\n*STEP = 0.25\n*COUNT = 3\n4, 5, 6,\n*END\n"
      "*BEGIN\n*START = 30\n*STOP = 30\n*STEP = 1\n*COUNT = 1\n7\n*END\n";
  const std::string xrd = Write("three.xrd", threeSections);

  // Section 1 chosen: the result is the section read.
  platform.lineAnswers = {1};
  {
    CBalimorDoc doc(platform, ini);
    EXPECT_EQ(doc.ReadDataFile(xrd), 1);
    ASSERT_EQ(platform.choices.size(), 1u);
    EXPECT_EQ(platform.choices[0].caption, "Datum in the data file");
    EXPECT_EQ(platform.choices[0].lines,
              (std::vector<std::string>{"0: 10 - 11", "1: 20 - 20.5", "2: 30 - 30"}));
    const CVariousData& d = *doc.GetOriginalData();
    ASSERT_EQ(d.datan, 3);
    EXPECT_DOUBLE_EQ(d.GetX(2), 20.5);
    EXPECT_DOUBLE_EQ(d.GetY(2), 6.0);
    EXPECT_EQ(doc.GetPathName(), xrd + " (XRD Data)");
    EXPECT_EQ(doc.GetDataKind(), DataKind::Diffraction);
  }
  // Cancelled: section 0.
  platform.lineAnswers = {-1};
  {
    CBalimorDoc doc(platform, ini);
    EXPECT_EQ(doc.ReadDataFile(xrd), 0);
    EXPECT_DOUBLE_EQ(doc.GetOriginalData()->GetX(0), 10.0);
  }
  // The same content as ".asc" goes through the "*TYPE" test, titled as IR data.
  platform.lineAnswers = {2};
  {
    const std::string asc = Write("three.asc", threeSections);
    CBalimorDoc doc(platform, ini);
    EXPECT_EQ(doc.ReadDataFile(asc), 2);
    EXPECT_EQ(doc.GetOriginalData()->datan, 1);
    EXPECT_EQ(doc.GetPathName(), asc + " (IR Data)");
    EXPECT_EQ(doc.GetDataKind(), DataKind::Spectroscopic);
  }
  EXPECT_EQ(platform.choices.size(), 3u);
  // One section (or no count at all) is read without asking.
  {
    CBalimorDoc doc(platform, ini);
    EXPECT_EQ(doc.ReadDataFile(Write("one.xrd", "*SAMPLE = x\n*BEGIN\n*START = 1\n*STEP = 1\n*COUNT = 2\n5 6\n")), 0);
    EXPECT_EQ(doc.GetOriginalData()->datan, 2);
    EXPECT_EQ(platform.choices.size(), 3u);
  }
  // An absurd section count offers only the sections the file holds.
  platform.lineAnswers = {-1};
  {
    CBalimorDoc doc(platform, ini);
    std::string absurd = threeSections;
    absurd.replace(absurd.find("= 3"), 3, "= 2147483647");
    EXPECT_EQ(doc.ReadDataFile(Write("absurd.xrd", absurd)), 0);
    EXPECT_EQ(platform.choices.back().lines.size(), 3u);
  }
}

TEST_F(ReadDataFileTest, UnreadableSectionedFileKeepsThePath) {
  CBalimorDoc doc(platform, ini);
  doc.SetPathName("before");
  const std::string missing = (dir / "gone.xrd").string();
  EXPECT_EQ(doc.ReadDataFile(missing), -1);
  EXPECT_EQ(doc.GetPathName(), "before");
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.MessageLines()[0], "Error: Can't read [" + missing + "]");
}

TEST_F(ReadDataFileTest, PatternAttachesTotalAndBackground) {
  // Second form: three columns, so the background curve is attached too.
  const std::string three = Write("three.pat", "title line\n0 0.5 0 0\n2 10\n1 2 3\n4 5 6\n");
  CBalimorDoc doc(platform, ini);
  ASSERT_EQ(doc.ReadDataFile(three), 0);
  EXPECT_EQ(doc.GetPathName(), three + " (Rietan PAT Data)");
  const CGraphFrame* f = doc.GetFrameArray()->GetFrame(0);
  ASSERT_EQ(f->nGraph, 3);
  CPeakSearch& fit = doc.GetPeakSearch();
  EXPECT_EQ(f->GetGraph(1), &fit.totalCurve);
  EXPECT_EQ(f->GetGraph(2), &fit.backgroundCurve);
  EXPECT_EQ(fit.totalCurve.lineColor, 0x0000FFu);
  EXPECT_EQ(fit.backgroundCurve.lineColor, 0x00FF00u);
  EXPECT_DOUBLE_EQ(fit.backgroundCurve.GetY(1), 6.0);
  EXPECT_DOUBLE_EQ(doc.GetOriginalData()->GetX(1), 10.5);

  // " NPTSZ" form: no third column, so no background curve.
  const std::string nptsz = Write("nptsz.pat",
                                  "title\nother\n NPTSZ 2\n THMINZ 10\n STEPZ 0.5\nskip\n1 2\n3 4\n");
  ASSERT_EQ(doc.ReadDataFile(nptsz), 0);
  const CGraphFrame* g = doc.GetFrameArray()->GetFrame(0);
  ASSERT_EQ(g->nGraph, 2);
  EXPECT_DOUBLE_EQ(fit.totalCurve.GetY(1), 4.0);
  EXPECT_DOUBLE_EQ(doc.GetOriginalData()->GetY(1), 3.0);
}

TEST_F(ReadDataFileTest, GraphPositionFromIniFile) {
  Write("test.INI", "[setup]\ngraphposition = 10 60 90\n");
  CBalimorDoc doc(platform, ini);
  ASSERT_EQ(doc.ReadDataFile(Write("a.ram", "1 2\n3 4\n")), 0);
  const CGraphFrame* f = doc.GetFrameArray()->GetFrame(0);
  EXPECT_EQ(f->position[0], 10);
  EXPECT_EQ(f->position[1], 60);
  EXPECT_EQ(f->position[2], 90);
  EXPECT_EQ(f->position[3], 10);  // not given: default
  EXPECT_EQ(doc.GetFrameArray()->count, 1);
  // A number that is not finite keeps its default too.
  Write("test.INI", "[Setup]\nGraphPosition=inf 65 nan 15\n");
  ASSERT_EQ(doc.CreateGraphFrame(1), 1);
  f = doc.GetFrameArray()->GetFrame(0);
  EXPECT_EQ(f->position[0], 20);
  EXPECT_EQ(f->position[1], 65);
  EXPECT_EQ(f->position[2], 80);
}

TEST_F(ReadDataFileTest, RecentFilesKeepTenNewestFirst) {
  CBalimorDoc doc(platform, ini);
  const std::string a = Write("a.ram", "1 2\n");
  for (int i = 0; i < 12; ++i) doc.SetPathName(std::string("p").append(std::to_string(i)));
  doc.ReadDataFile(a);
  doc.ReadDataFile(a);
  ASSERT_EQ(doc.GetRecentFiles().size(), 10u);
  EXPECT_EQ(doc.GetRecentFiles()[0], a + " (Raman Data)");
  EXPECT_EQ(doc.GetRecentFiles()[1], "p11");
  EXPECT_EQ(doc.GetTitle(), "a.ram (Raman Data)");
}

TEST_F(ReadDataFileTest, HostileContentNeverBreaksALoad) {
  // Long lines, NUL bytes, absurd counts and missing line ends under every extension: each load
  // ends with a result, a title and at most the points the file can hold.
  std::string longLine(5000, '7');
  const std::string contents[] = {
      "",
      "2147483647\n1 2\n",
      "-5\n1 2\n",
      "GENERAL\n2147483647\n1 2",
      "x\ny\n99999999\n1 2\n3 4",
      std::string("Sample,a\0b\nStart,1\nStop,2\nStep,0\n", 33),
      "*TYPE\n*SEC_COUNT = -3\n*BEGIN\n*START = 1\n*STEP = 1\n*COUNT = 2147483647\n1 2\n",
      "*RAS_INT_START\n" + longLine + " " + longLine + "\n",
      longLine + "\n" + longLine + "\n" + longLine,
      std::string("numbr 1\noffst 99999999\n", 24),
      "PE IR\n#GR\n1\n2\n3\n4\n5\n6\n2147483647\n#DATA\n1 2\n",
      "100,   2\n" + longLine + ",   3\n",
  };
  const char* const names[] = {"h.csv", "h.ras", "h.ir",  "h.asc", "h.mrd", "h.X01", "h.od",
                               "h.qe",  "h.txt", "h.dat", "h.ram", "h.rmn", "h.7",   "h.xdt",
                               "h.xrd", "h.int", "h.pat", "h.bin", "h."};
  int n = 0;
  for (const std::string& text : contents) {
    for (const char* name : names) {
      const std::string path = Write(std::to_string(n++) + name, text);
      SCOPED_TRACE(path);
      CBalimorDoc doc(platform, ini);
      const int r = doc.ReadDataFile(path);
      EXPECT_GE(r, -1);
      EXPECT_FALSE(doc.GetPathName().empty());
      const CVariousData& d = *doc.GetOriginalData();
      EXPECT_GE(d.datan, 0);
      EXPECT_LE(static_cast<std::size_t>(d.datan), text.size());
    }
  }
}
