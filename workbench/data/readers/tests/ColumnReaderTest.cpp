// The column reader: the layouts it finds on inline text, the kind its X values tell, the count
// of lines of numbers behind the partial-load note, and the real column files read whole.
#include <cmath>
#include <string>
#include <vector>

#include "ReaderTestSupport.h"

namespace reader_tests {
namespace {

using D = ColumnDelimiter;

struct LayoutCase {
  const char* what;
  std::string text;
  CColumnChoice choice;
  D delimiter;
  bool decimalComma;
  int xColumn, yColumn;  // 1-based, as read
  std::string xName, yName;
  std::vector<double> x, y;
  int headerLines, skipped;
};

TEST(ColumnLayouts, FoundFromTheData) {
  const CColumnChoice any;
  const LayoutCase cases[] = {
      {"tab, no header", "1\t10\n2\t20\n", any, D::kTab, false, 1, 2, "", "", {1, 2}, {10, 20}, 0, 0},
      {"quoted csv header, CR LF", "\"2theta\",\"counts\"\r\n10.5,100\r\n11,\"200\"\r\n", any, D::kComma, false, 1, 2,
       "2theta", "counts", {10.5, 11}, {100, 200}, 1, 0},
      {"integers with a comma are two columns", "1,2\n3,4\n", any, D::kComma, false, 1, 2, "", "", {1, 3}, {2, 4}, 0, 0},
      {"semicolon, decimal comma", "x;y\n1,5;2,25\n3,5;4\n", any, D::kSemicolon, true, 1, 2, "x", "y", {1.5, 3.5},
       {2.25, 4}, 1, 0},
      {"blanks, decimal comma", "1,5  2,5\n3,5 4,5\n", any, D::kBlanks, true, 1, 2, "", "", {1.5, 3.5}, {2.5, 4.5}, 0,
       0},
      {"tab, decimal comma", "1,5\t2\n3,5\t4\n", any, D::kTab, true, 1, 2, "", "", {1.5, 3.5}, {2, 4}, 0, 0},
      {"comments, header, a bad row, blank lines", "# scan of a film\n# angle intensity\n10 1\nno data here\n% note\n\n11 2\n",
       any, D::kBlanks, false, 1, 2, "angle", "intensity", {10, 11}, {1, 2}, 2, 1},
      {"columns chosen", "a b c\n1 2 3\n4 5 6\n", {std::nullopt, 3, 1}, D::kBlanks, false, 3, 1, "c", "a", {3, 6},
       {1, 4}, 1, 0},
      {"a text column first", "S1,1.0,2.0\nS2,3.0,4.0\n", any, D::kComma, false, 2, 3, "", "", {1, 3}, {2, 4}, 0, 0},
      {"leading tab, a word before and after", "BEGIN\n\t1\t2\n\t3\t4\nEND\n", any, D::kTab, false, 2, 3, "", "",
       {1, 3}, {2, 4}, 1, 1},
      {"names over extra tabs", "#Wave\t\t#Intensity\r\n3\t30\r\n2\t20\r\n", any, D::kTab, false, 1, 2, "Wave",
       "Intensity", {3, 2}, {30, 20}, 1, 0},
      {"a count line names nothing", "3\n1 2\n3 4\n5 6\n", any, D::kBlanks, false, 1, 2, "", "", {1, 3, 5}, {2, 4, 6},
       1, 0},
      {"nan, inf, units and half numbers are no numbers", "1 2\n3 nan\n4 inf\n5 6mm\n7 1e\n8 9\n", any, D::kBlanks,
       false, 1, 2, "", "", {1, 8}, {2, 9}, 0, 4},
      {"byte-order mark, signs, exponents, Ctrl-Z", "\xEF\xBB\xBF+1e2 -3.5E-1\n.5 2.\n\x1a" "9 9\n", any, D::kBlanks,
       false, 1, 2, "", "", {100, 0.5}, {-0.35, 2}, 0, 0},
      {"format given", "1,5;2\n", {CColumnFormat{D::kSemicolon, false}, 0, 0}, D::kSemicolon, false, 0, 0, "", "", {},
       {}, 0, 0},
      {"no numbers", "hello world\n", any, D::kBlanks, false, 0, 0, "", "", {}, {}, 0, 0},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<double> x, y;
    const CColumnLayout l = ReadColumns(c.text, c.choice, x, y);
    EXPECT_EQ(l.format.delimiter, c.delimiter);
    EXPECT_EQ(l.format.decimalComma, c.decimalComma);
    EXPECT_EQ(l.xColumn, c.xColumn);
    EXPECT_EQ(l.yColumn, c.yColumn);
    EXPECT_EQ(l.xName, c.xName);
    EXPECT_EQ(l.yName, c.yName);
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(l.points, static_cast<int>(c.x.size()));
    EXPECT_EQ(l.headerLines, c.headerLines);
    EXPECT_EQ(l.skippedRows, c.skipped);
    // The layout alone is what a read finds.
    const CColumnLayout d = DetectColumns(c.text, c.choice);
    EXPECT_EQ(d.points, l.points);
    EXPECT_EQ(d.xColumn, l.xColumn);
  }
}

TEST(ColumnLayouts, KindFromXAndItsName) {
  struct Case {
    std::vector<double> x;
    const char* name;
    DataKind kind;
  } cases[] = {
      {{0, 90, 180}, "", DataKind::Diffraction},
      {{10, 80}, "2theta / deg", DataKind::Diffraction},
      {{10, 80}, "Intensity", DataKind::Diffraction},
      {{10, 180.5}, "", DataKind::Spectroscopic},
      {{-1, 20}, "", DataKind::Spectroscopic},
      {{100, 150}, "Wave number / cm-1", DataKind::Spectroscopic},
      {{100, 150}, "wavelength", DataKind::Spectroscopic},
      {{100, 150}, "Raman shift (cm^-1)", DataKind::Spectroscopic},
      {{100, 150}, "lambda (nm)", DataKind::Spectroscopic},
      {{100, 150}, "Wave_Length", DataKind::Spectroscopic},
  };
  for (const Case& c : cases) {
    CGraphData d;
    d.SetSize(static_cast<int>(c.x.size()));
    for (int i = 0; i < d.datan; ++i) d.SetX(i, c.x[i]);
    EXPECT_EQ(ColumnDataKind(d, c.name), c.kind) << c.name << " up to " << c.x.back();
  }
}

using ColumnFiles = ReaderTest;

TEST_F(ColumnFiles, ResultsAndTheLinesOfNumbersBehindAPartialLoad) {
  CVariousData d;
  EXPECT_EQ(ReadColumnData(d, Path("missing.xy")), -1);
  EXPECT_EQ(ReadColumnData(d, Write("words.xy", "no numbers\nat all\n")), 0);
  EXPECT_EQ(d.datan, 0);
  CColumnLayout l;
  ASSERT_EQ(ReadColumnData(d, Write("two.xy", "x y\n1 2\n3 4\n"), {}, &l), 1);
  EXPECT_EQ(d.datan, 2);
  EXPECT_EQ(d.fileName, Path("two.xy"));
  EXPECT_EQ(ColumnXLabel(l), "x");
  EXPECT_EQ(ColumnYLabel(CColumnLayout{}), "Y axis");

  // Ten lines of numbers: a load of four of them took fewer than half, one of five did not.
  std::string ten = "header line\n";
  for (int i = 0; i < 10; ++i)
    ten.append(1, static_cast<char>('0' + i)).append("\t").append(std::to_string(i * i)).append("\n");
  const std::string path = Write("ten.txt", ten);
  EXPECT_EQ(PartialLoadLines(path, 4), 10);
  EXPECT_EQ(PartialLoadLines(path, 5), -1);
  EXPECT_EQ(PartialLoadLines(Path("missing.txt"), 0), -1);
  EXPECT_EQ(CountNumericLines("1;2;3\n4\n5,5;6\n"), 2);
}

TEST_F(ColumnFiles, RealColumnFilesAreReadWhole) {
  SKIP_WITHOUT_REALDATA();
  struct Case {
    const char* name;
    int points, xColumn;
    double x0, y0, x1, y1;
    DataKind kind;
    int dispatchPoints;  // what the extension dispatch reads of the file
    bool note;           // fewer than half of its lines of numbers: the partial-load note
  } cases[] = {
      {"raman_bd1469.txt", 2122, 1, 25.061272, 920.29248, 1500, 305.86581, DataKind::Spectroscopic, 26, true},
      {"raman_jasco_ls4.txt", 3988, 1, 580.2513, 28873.7, 1377.6512, 1928.39, DataKind::Spectroscopic, 0, true},
      {"xy_mnpc_tab.txt", 2201, 1, 1, 5711.6667, 45, 437.5, DataKind::Diffraction, 1, true},
      {"xy_xylib_crlf.txt", 4001, 1, 20, 49, 100, 29, DataKind::Diffraction, 20, true},
      {"raman_labspec_r145.txt", 1015, 1, 1346.21875, 9544.256836, 92.720703, 40866.199219, DataKind::Spectroscopic,
       1013, false},
      {"rietan_baso4_igor.int", 6050, 2, 14.018, 18.029055360538, 134.998, 27.9259206591818, DataKind::Diffraction, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CVariousData d;
    CColumnLayout l;
    ASSERT_EQ(ReadColumnData(d, RealData(c.name), {}, &l), 1);
    ASSERT_EQ(d.datan, c.points);
    EXPECT_EQ(l.xColumn, c.xColumn);
    EXPECT_EQ(l.yColumn, c.xColumn + 1);
    ExpectPoint(d, 0, c.x0, c.y0);
    ExpectPoint(d, c.points - 1, c.x1, c.y1);
    EXPECT_EQ(ColumnDataKind(d, l.xName), c.kind);
    EXPECT_EQ(PartialLoadLines(RealData(c.name), c.dispatchPoints), c.note ? c.points : -1);
  }
}

}  // namespace
}  // namespace reader_tests
