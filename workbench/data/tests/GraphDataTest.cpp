#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "DatumSelectDialog.h"
#include "GraphData.h"
#include "GraphDataArray.h"
#include "GraphFrameArray.h"
#include "RecordingPlatform.h"

namespace fs = std::filesystem;

namespace {

void Fill(CGraphData& g, std::initializer_list<std::pair<double, double>> points) {
  ASSERT_EQ(g.SetSize(static_cast<int>(points.size())), static_cast<int>(points.size()));
  int i = 0;
  for (const auto& [x, y] : points) {
    g.SetX(i, x);
    g.SetY(i, y);
    ++i;
  }
  g.UpdateRange();
}

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class GraphDataFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("graphdata_" + std::to_string(::getpid()) + "_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

}  // namespace

TEST(GraphDataSize, GrowShrinkAndBounds) {
  CGraphData g;
  EXPECT_EQ(g.SetSize(4), 4);
  EXPECT_EQ(g.maxDatan, 4);
  EXPECT_EQ(g.SetSize(2), 2);  // a smaller size keeps the arrays
  EXPECT_EQ(g.maxDatan, 4);
  EXPECT_EQ(g.SetCount(10), 4);  // never beyond the allocation
  EXPECT_EQ(g.SetCount(3), 3);
  EXPECT_EQ(g.SetX(2, 5.0), 2);
  EXPECT_EQ(g.SetX(3, 5.0), -1);
  EXPECT_EQ(g.SetY(-1, 5.0), -1);
  EXPECT_EQ(g.GetX(2), 5.0);
  EXPECT_EQ(g.GetX(7), 0.0);
  // A negative count gives an empty curve rather than a negative datan.
  EXPECT_EQ(g.SetSize(-5), 0);
  EXPECT_EQ(g.datan, 0);
  EXPECT_EQ(g.SetCount(-2), 0);
}

TEST(GraphDataSize, UpdateRangeOnEmptyCurveKeepsLimits) {
  CGraphData g;
  g.XMin = 3;
  g.XMax = 4;
  EXPECT_EQ(g.UpdateRange(), -1);
  EXPECT_EQ(g.XMin, 3);
  EXPECT_EQ(g.XMax, 4);
}

struct TransformCase {
  int type;
  double scaled;
  double x;  // expected ProcessedX
  double y;  // expected ProcessedY
};

TEST(GraphDataTransform, AxisTypesTable) {
  const TransformCase cases[] = {
      {0, 2.5, 2.5, 2.5},
      {1, -std::exp(2.0), 2.0, 2.0},
      {1, 0.0, 0.0, 0.0},
      {2, -1000.0, 3.0, 3.0},
      {3, 4.0, 0.25, 0.25},
      {3, 1e-31, 0.0, 0.0},
      {4, 4.0, 250.0, std::log10(4.0)},
      {4, 0.0, 0.0, 0.0},
      {5, 26.86, 1000.0 / 300.0, 26.86},  // Y type 5 is invalid: value passes unchanged
      {5, 0.0, 0.0, 0.0},                 // the zero test is on X', not on X' + 273.14
      {6, 3.0, -3.0, -3.0},
      {7, 3.0, 3.0, -3.0},  // X type 7 keeps the value, Y type 7 negates
  };
  for (const TransformCase& c : cases) {
    CGraphData g;
    // Raw 1, scaled by the value: X' = 1*scale + 0.
    Fill(g, {{1, 1}});
    g.XScale = g.YScale = c.scaled;
    g.XAxisType = g.YAxisType = c.type;
    EXPECT_NEAR(g.ProcessedX(0), c.x, 1e-12) << "X type " << c.type << " at " << c.scaled;
    EXPECT_NEAR(g.ProcessedY(0), c.y, 1e-12) << "Y type " << c.type << " at " << c.scaled;
  }
}

TEST(GraphDataTransform, ScaleOffsetAndOutsideIndex) {
  CGraphData g;
  Fill(g, {{2, 10}});
  g.XScale = 3;
  g.XOffset = 1;
  g.YScale = 0.5;
  g.YOffset = -1;
  EXPECT_EQ(g.ProcessedX(0), 7);
  EXPECT_EQ(g.ProcessedY(0), 4);
  // An index outside the curve is the raw value 0, so only the offset remains.
  EXPECT_EQ(g.ProcessedX(5), 1);
  EXPECT_EQ(g.ProcessedY(-1), -1);
}

TEST(GraphDataTransform, InvalidTypeMessageOncePerRun) {
  RecordingPlatform platform;
  CDataMessages messages{&platform};
  CGraphData g;
  g.messages = &messages;
  Fill(g, {{2, 3}, {4, 5}});
  g.XAxisType = 9;
  g.YAxisType = 5;
  EXPECT_EQ(g.ProcessedX(0), 2);
  EXPECT_EQ(g.ProcessedX(1), 4);
  EXPECT_EQ(g.ProcessedY(1), 5);
  g.YAxisType = -1;
  EXPECT_EQ(g.ProcessedY(0), 3);
  ASSERT_EQ(platform.messages.size(), 2u);
  EXPECT_EQ(platform.MessageLines()[0], "CGraphData::ProcessedX: Invalid XAxisType (9)");
  EXPECT_EQ(platform.MessageLines()[1], "CGraphData::ProcessedY: Invalid YAxisType (5)");
}

TEST(GraphDataValueAt, InterpolatesOnScaledValues) {
  CGraphData g;
  EXPECT_EQ(g.ValueAt(1.0), 0.0);
  Fill(g, {{0, 0}, {1, 10}, {2, 30}});
  EXPECT_DOUBLE_EQ(g.ValueAt(0.5), 5.0);
  EXPECT_DOUBLE_EQ(g.ValueAt(1.5), 20.0);
  EXPECT_DOUBLE_EQ(g.ValueAt(-3), 0.0);   // left of the curve: first Y
  EXPECT_DOUBLE_EQ(g.ValueAt(9), 30.0);   // right of the curve: last Y
  g.YScale = 2;
  g.XOffset = 10;
  EXPECT_DOUBLE_EQ(g.ValueAt(10.5), 10.0);
}

TEST(GraphDataValueAt, DescendingAndRepeatedX) {
  CGraphData g;
  Fill(g, {{3, 30}, {3, 99}, {2, 20}, {1, 10}});
  // The zero-width step is passed over; the next interval starts at the repeated point.
  EXPECT_DOUBLE_EQ(g.ValueAt(2.5), 59.5);
  EXPECT_DOUBLE_EQ(g.ValueAt(0.0), 30.0);  // x <= X'[0]: first Y
  CGraphData one;
  Fill(one, {{5, 7}});
  EXPECT_DOUBLE_EQ(one.ValueAt(100), 7.0);
}

TEST_F(GraphDataFiles, WriteTextWritesRawValuesOfScaledCurve) {
  CGraphData g;
  Fill(g, {{10, 1.5}, {10.5, 2}});
  g.YScale = 2;
  g.XOffset = 3;
  const fs::path out = dir / "curve.txt";
  ASSERT_EQ(g.WriteText(out.string(), "w"), 0);
  EXPECT_EQ(Slurp(out), "2\n10\t1.5\n10.5\t2\n");
  EXPECT_FALSE(fs::exists(dir / "curve.txt.part"));
}

TEST_F(GraphDataFiles, WriteTextFailureLeavesNoScratchFile) {
  CGraphData g;
  Fill(g, {{1, 2}});
  EXPECT_EQ(g.WriteText((dir / "no" / "such" / "x.txt").string(), "w"), -1);
  // A target that cannot be replaced (a folder) is left alone and no scratch file remains.
  fs::create_directories(dir / "taken");
  fs::create_directories(dir / "taken" / "inner");
  EXPECT_EQ(g.WriteText((dir / "taken").string(), "w"), -1);
  EXPECT_TRUE(fs::is_directory(dir / "taken" / "inner"));
  EXPECT_FALSE(fs::exists(dir / "taken.part"));
}

TEST_F(GraphDataFiles, WriteTextThroughLinksAndIntoProtectedFiles) {
  CGraphData g;
  Fill(g, {{1, 2}});
  const std::string text = "1\n1\t2\n";
  // A link is followed: the file it names gets the text and the link stays a link.
  std::ofstream(dir / "real.txt") << "old";
  fs::create_symlink("real.txt", dir / "link.txt");
  ASSERT_EQ(g.WriteText((dir / "link.txt").string(), "w"), 0);
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
  EXPECT_EQ(Slurp(dir / "real.txt"), text);
  EXPECT_FALSE(fs::exists(dir / "link.txt.part"));
  EXPECT_FALSE(fs::exists(dir / "real.txt.part"));
  // A link to a file not yet there creates that file.
  fs::create_symlink("made.txt", dir / "dangling.txt");
  ASSERT_EQ(g.WriteText((dir / "dangling.txt").string(), "w"), 0);
  EXPECT_TRUE(fs::is_symlink(dir / "dangling.txt"));
  EXPECT_EQ(Slurp(dir / "made.txt"), text);
  // The replaced file keeps its permissions.
  fs::permissions(dir / "real.txt", fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(g.WriteText((dir / "real.txt").string(), "w"), 0);
  EXPECT_EQ(fs::status(dir / "real.txt").permissions(), fs::perms::owner_read | fs::perms::owner_write);
  // Appending writes in place.
  ASSERT_EQ(g.WriteText((dir / "real.txt").string(), "a"), 0);
  EXPECT_EQ(Slurp(dir / "real.txt"), text + text);
  // A file its owner protected from writing is not replaced (checked where permissions apply).
  if (::geteuid() != 0) {
    fs::permissions(dir / "real.txt", fs::perms::owner_read);
    EXPECT_EQ(g.WriteText((dir / "real.txt").string(), "w"), -1);
    EXPECT_EQ(Slurp(dir / "real.txt"), text + text);
    fs::permissions(dir / "real.txt", fs::perms::owner_all);
  }
}

TEST(ColumnTextExport, LayoutOffsetAndBreaks) {
  const double x[] = {1, 2, 3, 1, 2};
  const double y0[] = {10, 20, 30, 40, 50};
  const double y1[] = {0.5, 0.25, 1e-7, 0, -1};
  const double* ys[] = {y0, y1};
  EXPECT_EQ(ColumnText("head", 2, 2, x, ys, 1.0, false), "head\r\n1\t11\t1.5\r\n2\t21\t1.25\r\n");
  EXPECT_EQ(ColumnText("h", 5, 1, x, ys, 0.0, true),
            "h\r\n1\t10\r\n2\t20\r\n3\t30\r\n\r\n1\t40\r\n2\t50\r\n");
  // A descending first step makes every rise a break.
  const double xd[] = {5, 4, 6, 5};
  const double* yd[] = {y0};
  EXPECT_EQ(ColumnText("", 4, 1, xd, yd, 0.0, true),
            "\r\n5\t10\r\n4\t20\r\n\r\n6\t30\r\n5\t40\r\n");
}

TEST(ColumnTextExport, PutOnClipboardUsesScaledValuesAndLabel) {
  CGraphData g;
  Fill(g, {{1, 2}, {3, 4}});
  g.fileName = "/data/scan.ras";
  g.XScale = 10;
  g.YOffset = 1;
  RecordingPlatform platform;
  EXPECT_EQ(g.PutOnClipboard(platform), 0);
  EXPECT_EQ(platform.clipboard, "/data/scan.ras\r\n10\t3\r\n30\t5\r\n");
  g.label = "Si wafer";
  g.PutOnClipboard(platform);
  EXPECT_EQ(platform.clipboard.substr(0, 10), "Si wafer\r\n");
  platform.clipboardWorks = false;
  EXPECT_EQ(g.PutOnClipboard(platform), -1);
}

TEST(GraphDataArrayTest, OwnsWhatItMakesAndRefusesWhenFull) {
  RecordingPlatform platform;
  CDataMessages messages{&platform};
  CGraphDataArray a;
  a.messages = &messages;
  CGraphData* first = a.AddGraph(5);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->datan, 5);
  EXPECT_FALSE(a.borrowed[0]);
  EXPECT_EQ(a.GetGraph(0), first);
  EXPECT_EQ(a.GetGraph(1), nullptr);
  for (int i = 1; i < 50; ++i) ASSERT_NE(a.AddGraph(0), nullptr);
  EXPECT_EQ(a.AddGraph(1), nullptr);
  EXPECT_EQ(a.nGraphData, 50);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.MessageLines()[0], "Error in CGraphDataArray::AddGraph: nGraphData exceeds nMaxGraph");
  a.Clear();
  EXPECT_EQ(a.nGraphData, 0);
  EXPECT_EQ(a.graph[0], nullptr);

  // A limit raised above the 50 slots still refuses the fifty-first curve.
  CGraphDataArray raised;
  raised.nMaxGraph = 60;
  for (int i = 0; i < 50; ++i) ASSERT_NE(raised.AddGraph(1), nullptr);
  raised.messages = &messages;
  EXPECT_EQ(raised.AddGraph(1), nullptr);
  EXPECT_EQ(raised.nGraphData, 50);
  EXPECT_EQ(platform.messages.size(), 2u);
}

TEST(GraphFrameTest, PaletteCyclesAndClipFlagIsCopied) {
  CGraphFrame f(0, 0, 1, 1);
  f.clipToFrame = false;
  CGraphData curves[15];
  for (CGraphData& c : curves) {
    Fill(c, {{1, 1}});
    ASSERT_EQ(f.AttachGraph(&c), &c);
  }
  EXPECT_EQ(curves[1].lineColor, 0x0000FFu);
  EXPECT_EQ(curves[1].markerBrushColor, 0x0000FFu);
  EXPECT_EQ(curves[13].lineColor, 0xEFEFEFu);
  EXPECT_EQ(curves[14].lineColor, 0u);  // the fifteenth starts the palette again
  EXPECT_FALSE(curves[3].clipToFrame);
  EXPECT_EQ(f.AttachGraph(nullptr), nullptr);

  // A colour count above the palette's size still cycles through its 14 colours.
  CGraphFrame g(0, 0, 1, 1);
  g.nPalette = 20;
  for (CGraphData& c : curves) g.AttachGraph(&c);
  EXPECT_EQ(curves[14].lineColor, 0u);
  EXPECT_EQ(curves[14].markerPenColor, 0u);
}

TEST(GraphFrameTest, FullFrameRefuses) {
  CGraphFrame f(0, 0, 1, 1);
  CGraphData c;
  for (int i = 0; i < 50; ++i) ASSERT_NE(f.AttachGraph(&c), nullptr);
  EXPECT_EQ(f.AttachGraph(&c), nullptr);
  EXPECT_EQ(f.nGraph, 50);
}

struct ScaleCase {
  double y0, y1;       // Y of the one curve
  double margin;
  double yMin, yMax;   // expected limits
};

TEST(GraphFrameTest, AutoScaleCases) {
  const ScaleCase cases[] = {
      {50, 1000, 0.1, 0, 1100},     // anchored at zero, margin only on top
      {0, 0, 0.0, 0, 0.5},          // constant zero
      {10, 10, 0.0, 9, 11},         // constant ten
      {10, 10, 0.1, 8.8, 11.2},
      {-5, 5, 0.1, -6, 6},
      {-10, -8, 0.5, -11, -7},      // margins on a negative range
      {-1, 100, 0.1, -11.1, 110.1},
      {1, 100, 0.1, 0, 110},
      {0.5, 1, 0.5, 0.25, 1.25},    // widened low end stays above zero
      {0.1, 1, 5, 0, 6},            // a wide margin never crosses zero
  };
  for (const ScaleCase& c : cases) {
    CGraphFrame f(0, 0, 1, 1);
    CGraphData g;
    Fill(g, {{1, c.y0}, {2, c.y1}});
    f.AttachGraph(&g);
    f.AutoScale(c.margin);
    EXPECT_NEAR(f.YMin, c.yMin, 1e-9) << c.y0 << ".." << c.y1 << " margin " << c.margin;
    EXPECT_NEAR(f.YMax, c.yMax, 1e-9) << c.y0 << ".." << c.y1 << " margin " << c.margin;
    EXPECT_EQ(f.axis[1].min, f.YMin);
  }
}

TEST(GraphFrameTest, AutoScaleSkipsHiddenInvalidAndHonoursFixedLimits) {
  CGraphFrame f(0, 0, 1, 1);
  CGraphData a, hidden, invalid;
  Fill(a, {{10, 10}, {20, 20}});
  Fill(hidden, {{-100, -100}, {100, 1000}});
  Fill(invalid, {{-100, -100}, {100, 1000}});
  hidden.isShown = false;
  invalid.isValid = false;
  f.AttachGraph(&hidden);
  f.AttachGraph(&invalid);
  f.AttachGraph(&a);
  f.AutoScale(0.0);
  EXPECT_EQ(f.XMin, 10);
  EXPECT_EQ(f.XMax, 20);
  f.FixYMin(15);
  f.FixYMax(15);  // a fixed zero-width range is opened again
  f.AutoScale(0.0);
  EXPECT_NEAR(f.YMin, 13.5, 1e-12);
  EXPECT_NEAR(f.YMax, 16.5, 1e-12);
}

TEST(GraphFrameTest, ReversalSwapsAndSurvivesAutoScale) {
  CGraphFrame f(0, 0, 1, 1);
  CGraphData g;
  Fill(g, {{400, 1}, {4000, 2}});
  f.AttachGraph(&g);
  f.AutoScale(0.0);
  f.SetXReversed(true);
  EXPECT_EQ(f.XMin, 4000);
  EXPECT_EQ(f.XMax, 400);
  EXPECT_EQ(f.axis[0].min, 4000);
  f.SetXReversed(true);  // already reversed: no second swap
  EXPECT_EQ(f.XMin, 4000);
  f.AutoScale(0.0);
  EXPECT_EQ(f.XMin, 4000);
  f.SetXReversed(false);
  EXPECT_EQ(f.XMin, 400);
}

TEST(GraphFrameTest, SetYAxisTypeUpdatesCurvesAndAnchorsType7) {
  CGraphFrame f(0, 0, 1, 1);
  CGraphData g;
  Fill(g, {{1, 10}, {2, 1000}});
  f.AttachGraph(&g);
  f.SetYAxisType(2);
  EXPECT_EQ(g.YAxisType, 2);
  EXPECT_DOUBLE_EQ(g.YMin, 1.0);
  EXPECT_DOUBLE_EQ(g.YMax, 3.0);
  f.SetYAxisType(7);
  EXPECT_EQ(f.YMin, 0.0);
  EXPECT_EQ(f.axis[1].min, 0.0);
  // A frame whose X type is 7 has its X lower limit put at 0 by any change of the Y type.
  EXPECT_NEAR(f.XMin, 0.9, 1e-12);
  f.xAxisType = 7;
  f.SetYAxisType(0);
  EXPECT_EQ(f.XMin, 0.0);
  EXPECT_EQ(f.axis[0].min, 0.0);
  EXPECT_NEAR(f.YMin, 0.0, 1e-12);  // fixed by the anchoring at zero, not by the type
}

TEST(GraphFrameArrayTest, TenFramesAndClear) {
  const double pos[4] = {20, 70, 80, 10};
  CGraphFrameArray a;
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(a.AddFrame(pos), i);
  EXPECT_EQ(a.AddFrame(pos), -1);
  EXPECT_EQ(a.GetFrame(10), nullptr);
  CGraphData g;
  Fill(g, {{1, 2}, {3, 4}});
  a.GetFrame(0)->AttachGraph(&g);
  a.Clear();
  EXPECT_EQ(a.count, 0);
  EXPECT_EQ(a.GetFrame(0), nullptr);
  EXPECT_EQ(g.datan, 2);  // the borrowed curve is untouched
}

TEST(DatumSelect, LinesFromFrameArrayAndChoice) {
  const double pos[4] = {20, 60, 70, 10};
  CGraphFrameArray frames;
  frames.AddFrame(pos);
  frames.AddFrame(pos);
  CGraphData a, b;
  a.label = "sample A  \r\n";
  b.fileName = "/tmp/b.ras";
  frames.GetFrame(0)->AttachGraph(&a);
  frames.GetFrame(1)->AttachGraph(&a);
  frames.GetFrame(1)->AttachGraph(&b);

  CDatumSelectDialog byFrame(*frames.GetFrame(1));
  EXPECT_EQ(byFrame.caption, "Datum in Frame");
  EXPECT_EQ(byFrame.lines, (std::vector<std::string>{"Dat0: sample A", "Dat1: /tmp/b.ras"}));

  CDatumSelectDialog byArray(frames);
  EXPECT_EQ(byArray.caption, "Datum in FrameArray");
  ASSERT_EQ(byArray.lines.size(), 3u);
  EXPECT_EQ(byArray.lines[2], "Frm:1 Dat1: /tmp/b.ras");

  RecordingPlatform platform;
  platform.lineAnswers = {1, 7, -1};
  EXPECT_EQ(byFrame.DoModal(platform), 1);
  EXPECT_EQ(byFrame.DoModal(platform), -1);  // outside the list
  EXPECT_EQ(byFrame.DoModal(platform), -1);  // cancelled
  EXPECT_EQ(platform.choices.size(), 3u);
  EXPECT_EQ(platform.choices[0].caption, "Datum in Frame");

  CGraphDataArray curves;
  curves.AddGraph(0)->label = "peak 1";
  CDatumSelectDialog byCurves(curves);
  EXPECT_EQ(byCurves.caption, "Datum in DataArray");
  EXPECT_EQ(byCurves.lines, std::vector<std::string>{"Dat0: peak 1"});

  std::vector<std::string> many(60, "line");
  CDatumSelectDialog given("Mine", many);
  EXPECT_EQ(given.lines.size(), 50u);
}
