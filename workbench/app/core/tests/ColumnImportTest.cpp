// Column data in the document: the column extensions of the dispatch, ImportColumns with its
// kind and its reload, the setup form's job names, and the note of a load that left most lines
// of numbers unread.
#include "DocTestSupport.h"
#include "SetupForm.h"

using doctest::DocTest;

namespace {

using ColumnImportTest = DocTest;

TEST_F(ColumnImportTest, ColumnExtensionsReadColumnData) {
  struct Case {
    const char* file;
    std::string text;
    int result;
    const char* suffix;
    const char* xLabel;
    const char* yLabel;
    int kind, points;
  } cases[] = {
      {"scan.xy", "2theta intensity\n10 5\n10.02 6\n", 0, "(Column Data)", "2theta", "intensity", 1, 2},
      {"scan.XYE", "10 5 0.1\n10.02 6 0.2\n", 0, "(Column Data)", "X axis", "Y axis", 1, 2},
      {"band.tsv", "Raman shift\tcounts\n300\t5\n200\t6\n", 0, "(Column Data)", "Raman shift", "counts", 2, 2},
      {"band.prn", "x;y\n1,5;2\n190;3\n", 0, "(Column Data)", "x", "y", 2, 2},
      {"words.xy", "no numbers\n", -1, "(Invalid Data)", "", "", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    CBalimorDoc doc(platform, ini);
    const std::string path = Write(c.file, c.text);
    const CGraphFrame* frame = doc.GetFrameArray()->GetFrame(0);
    const std::string x = c.result == 0 ? c.xLabel : frame->xLabel, y = c.result == 0 ? c.yLabel : frame->yLabel;
    ExpectLoad(doc, path, c.result, c.suffix, x, y, c.kind);
    EXPECT_EQ(doc.GetOriginalData()->datan, c.points);
  }
  EXPECT_TRUE(platform.statusNotes.empty());
}

TEST_F(ColumnImportTest, ImportWithColumnsKindAndReload) {
  const std::string path = Write("scan.txt", "3\nangle\tI\tesd\n10\t100\t1\n20\t200\t2\n30\t300\t3\n");
  CBalimorDoc doc(platform, ini);
  ASSERT_EQ(doc.ImportColumns(path, {std::nullopt, 3, 2}, std::nullopt), 0);
  EXPECT_EQ(doc.GetPathName(), path + " (Column Data)");
  EXPECT_EQ(doc.GetFrameArray()->GetFrame(0)->xLabel, "esd");
  EXPECT_EQ(doc.GetFrameArray()->GetFrame(0)->yLabel, "I");
  EXPECT_EQ(doc.GetOriginalData()->datan, 3);
  EXPECT_EQ(doc.GetOriginalData()->GetX(2), 3);
  EXPECT_EQ(doc.GetDataKind(), DataKind::Diffraction);
  ASSERT_EQ(platform.statusNotes.size(), 1u);
  EXPECT_EQ(platform.statusNotes[0],
            "Read 3 points from columns 3 and 2 of " + path + " (tab-separated); skipped 0 rows without numbers in "
            "those columns.");

  // The kind given wins over the kind of the X values; a reload reads the columns again.
  ASSERT_EQ(doc.ImportColumns(path, {}, DataKind::Spectroscopic), 0);
  EXPECT_EQ(doc.GetDataKind(), DataKind::Spectroscopic);
  Write("scan.txt", "angle\tI\n10\t1\n20\t2\n30\t3\n40\t4\n");
  EXPECT_EQ(doc.OnFileUpdate(), 0);
  EXPECT_EQ(doc.GetOriginalData()->datan, 4);
  EXPECT_EQ(doc.GetPathName(), path + " (Column Data)");
  EXPECT_EQ(doc.GetDataKind(), DataKind::Spectroscopic);
  // ... until the file is loaded through the dispatch again.
  ASSERT_EQ(doc.ReadDataFile(path), 0);
  EXPECT_EQ(doc.OnFileUpdate(), 0);
  EXPECT_EQ(doc.GetPathName(), path + " (XRD Data)");

  EXPECT_EQ(doc.ImportColumns(Write("empty.dat", ""), {}, std::nullopt), -1);
  EXPECT_EQ(doc.GetPathName(), (dir / "empty.dat").string() + " (Invalid Data)");
}

TEST_F(ColumnImportTest, FormTakesTheJobOfTheTextDataCommand) {
  const std::string path = Write("film.txt", "# nm absorbance\n300 0.5\n400 0.25\n");
  CBalimorDoc doc(platform, ini);
  CSetupForm form(doc);
  ASSERT_EQ(form.OpenColumnFile(path, {}, std::nullopt), 1);
  EXPECT_EQ(form.lastLoadResult, 0);
  EXPECT_EQ(form.pfcPath, (dir / "film#0.pfc").string());
  EXPECT_EQ(form.outputPath, (dir / "film#0.out").string());
  EXPECT_EQ(form.optLow, 300);
  EXPECT_EQ(form.calcHigh, 400);
  EXPECT_EQ(doc.GetDataKind(), DataKind::Spectroscopic);
  // A file that is no column data still gets the "#0" names.
  EXPECT_EQ(form.OpenColumnFile(Write("none.txt", "text\n"), {}, std::nullopt), 1);
  EXPECT_EQ(form.lastLoadResult, -1);
  EXPECT_EQ(form.pfcPath, (dir / "none#0.pfc").string());
}

TEST_F(ColumnImportTest, PartialLoadIsNotedAndAnnounced) {
  // Count on the third line: 2 of the 10 pairs are read.
  std::string lines = "x y\n1 1\n2 2\n";
  for (int i = 3; i <= 10; ++i) lines.append(std::to_string(i)).append(" 7\n");
  const std::string path = Write("short.txt", lines);
  CBalimorDoc doc(platform, ini);
  std::vector<std::string> announced;
  doc.partialLoad.Subscribe([&](const std::string& note) { announced.push_back(note); });
  ASSERT_EQ(doc.ReadDataFile(path), 0);
  EXPECT_EQ(doc.GetOriginalData()->datan, 2);
  const std::string note = "Read 2 of 10 numeric lines of " + path + ". File > Import Columns... reads every row.";
  EXPECT_EQ(platform.statusNotes, std::vector<std::string>{note});
  EXPECT_EQ(announced, std::vector<std::string>{note});
  // The load itself is as before; a file read whole, or half read, says nothing.
  EXPECT_EQ(doc.GetPathName(), path + " (XRD Data)");
  ASSERT_EQ(doc.ReadDataFile(Write("whole.txt", "3\n1 2\n3 4\n5 6\n")), 0);
  ASSERT_EQ(doc.ReadDataFile(Write("half.txt", "x\ny\n2\n1 2\n3 4\n5 6\n7 8\n")), 0);
  EXPECT_EQ(platform.statusNotes.size(), 1u);
}

}  // namespace
