// Graph rendering into images on the offscreen Qt platform: where frames and curves land in
// pixels, clipping, the display switches, the log display and the picture files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "CurveDrawing.h"
#include "DocTestSupport.h"
#include "GraphExport.h"
#include "GraphPainter.h"
#include "IniKeys.h"
#include "QtDeviceContext.h"
#include "ScanSupport.h"
#include "SetupForm.h"

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRedPx = qRgb(255, 0, 0);    // COLORREF 0x0000FF
const QRgb kGreenPx = qRgb(0, 255, 0);  // 0x00FF00
const QRgb kBluePx = qRgb(0, 0, 255);   // 0xFF0000

// A white image of 400 × 300 pixels on a page of 100 × 75 mm: 4 pixels per mm.
QImage Blank() {
  QImage image(400, 300, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

int Count(const QImage& image, QRgb colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) ++n;
  return n;
}

bool Is(const QImage& image, int x, int y, QRgb colour) {
  return (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
}

// Any pixel of the colour in row y between x0 and x1.
bool InRow(const QImage& image, int y, int x0, int x1, QRgb colour) {
  for (int x = x0; x <= x1; ++x)
    if (Is(image, x, y, colour)) return true;
  return false;
}

class ImageTest : public doctest::DocTest {
 protected:
  QImage PaintDoc(CBalimorDoc& doc) {
    QImage image = Blank();
    QPainter painter(&image);
    CQtDeviceContext dc(painter, 100, 75);
    CDrawingSurface surface(dc);
    EXPECT_EQ(CGraphPainter(CViewFont{"DejaVu Sans", 80}).PaintDocument(doc, surface),
              CGraphPainter::kPainted);
    return image;
  }
  // A curve in a frame of limits 0..10 × 0..100 at 20 70 80 10: X x at pixel 80 + 24x,
  // Y y at 280 − 2.4y.
  QImage PaintCurve(CGraphData& curve) {
    CGraphFrame frame(20, 70, 80, 10);
    frame.SetXMin(0);
    frame.SetXMax(10);
    frame.SetYMin(0);
    frame.SetYMax(100);
    QImage image = Blank();
    QPainter painter(&image);
    CQtDeviceContext dc(painter, 100, 75);
    CDrawingSurface surface(dc);
    EXPECT_EQ(DrawCurve(surface, &frame, &curve), 0);
    return image;
  }
  static void Set(CGraphData& c, const std::vector<std::pair<double, double>>& pts) {
    c.SetSize(static_cast<int>(pts.size()));
    for (std::size_t i = 0; i < pts.size(); ++i) {
      c.SetX(static_cast<int>(i), pts[i].first);
      c.SetY(static_cast<int>(i), pts[i].second);
    }
    c.UpdateRange();
  }
  // Measured data 0..100 with two peaks, the second current, on the single-line model.
  void Load(CBalimorDoc& doc) {
    LoadScan(doc, 201, 0.5, [](double) { return 20.0; }, {{30, 60, 4}, {70, 60, 4}}, 1);
  }
};

TEST_F(ImageTest, FrameLandsAtGraphPosition) {
  struct Case {
    const char* position;
    int left, top, right, bottom;  // pixels at 4 per mm
  };
  const Case cases[] = {{nullptr, 80, 40, 320, 280}, {"30 60 90 20", 120, 80, 360, 240},
                        {"12.5 50.25 60 5", 50, 20, 240, 201}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.position ? c.position : "default");
    if (c.position) CIniFile(ini).WriteString(ini::kGraphPosition, c.position);
    CBalimorDoc doc(platform, ini);
    const QImage image = PaintDoc(doc);
    for (int y = c.top; y <= c.bottom; y += 7) {
      EXPECT_TRUE(Is(image, c.left, y, kBlack)) << y;
      EXPECT_TRUE(Is(image, c.right, y, kBlack)) << y;
      EXPECT_TRUE(Is(image, c.left - 1, y, kWhite)) << y;
      EXPECT_TRUE(Is(image, c.right + 1, y, kWhite)) << y;
    }
    for (int x = c.left; x <= c.right; x += 7) {
      EXPECT_TRUE(Is(image, x, c.top, kBlack)) << x;
      EXPECT_TRUE(Is(image, x, c.bottom, kBlack)) << x;
      EXPECT_TRUE(Is(image, x, c.top - 1, kWhite)) << x;
    }
  }
}

TEST_F(ImageTest, CurvePixelsWhereTheTransformPutsThem) {
  CGraphData c;
  Set(c, {{2, 20}, {8, 80}});
  c.lineColor = 0x0000FF;
  c.drawSymbol = true;
  c.symbolShape = 1;
  c.symbolSize = 1.0;  // 4 pixels each way
  c.markerPenColor = c.markerBrushColor = 0xFF0000;
  const QImage image = PaintCurve(c);
  // Markers around (128, 232) and (272, 88), the line through (200, 160) between them.
  EXPECT_TRUE(Is(image, 128, 232, kBluePx));
  EXPECT_TRUE(Is(image, 272, 88, kBluePx));
  EXPECT_TRUE(Is(image, 125, 235, kBluePx));
  EXPECT_TRUE(Is(image, 200, 160, kRedPx));
  EXPECT_TRUE(Is(image, 201, 160, kWhite));
  EXPECT_TRUE(Is(image, 134, 232, kWhite));
}

TEST_F(ImageTest, ClippingOnAndOff) {
  for (const bool clip : {true, false}) {
    SCOPED_TRACE(clip);
    CGraphData c;
    Set(c, {{5, 50}, {5, 150}});
    c.lineColor = 0x0000FF;
    c.clipToFrame = clip;
    const QImage image = PaintCurve(c);
    EXPECT_TRUE(Is(image, 200, 100, kRedPx));
    EXPECT_TRUE(Is(image, 200, 40, kRedPx));  // the frame's top edge belongs to the frame
    EXPECT_EQ(Is(image, 200, 30, kRedPx), !clip);
  }
}

TEST_F(ImageTest, CurveLeavesTheFrameAndComesBack) {
  CGraphData c;
  Set(c, {{0, 50}, {1, 105}, {5, 300}, {9, 105}, {10, 50}});
  c.lineColor = 0x0000FF;
  const QImage image = PaintCurve(c);
  // Out at the top near X 0.45 and back near X 9.55 (row 100 is Y 75): both crossings are
  // drawn up to the frame edge, and nothing joins them across the frame.
  EXPECT_TRUE(InRow(image, 100, 86, 96, kRedPx));
  EXPECT_TRUE(InRow(image, 100, 304, 314, kRedPx));
  EXPECT_TRUE(InRow(image, 41, 100, 106, kRedPx));
  EXPECT_FALSE(InRow(image, 100, 100, 300, kRedPx));
  EXPECT_FALSE(InRow(image, 39, 0, 399, kRedPx));
}

TEST_F(ImageTest, CurrentPeakWithViewCurvesOff) {
  CBalimorDoc doc(platform, ini);
  Load(doc);
  doc.viewBackground = doc.viewCalc = false;
  struct Case {
    bool curves, current;
    bool green, blue;
  };
  for (const Case& c : {Case{true, true, true, true}, Case{false, true, false, true},
                        Case{false, false, false, false}, Case{true, false, true, true}}) {
    SCOPED_TRACE(testing::Message() << c.curves << c.current);
    doc.viewCurves = c.curves;
    doc.viewCurrentCurve = c.current;
    const QImage image = PaintDoc(doc);
    EXPECT_EQ(Count(image, kGreenPx) > 0, c.green);
    EXPECT_EQ(Count(image, kBluePx) > 0, c.blue);
  }
}

TEST_F(ImageTest, LogSwitch) {
  CBalimorDoc doc(platform, ini);
  Load(doc);
  CSetupForm form(doc);
  const CGraphFrame* f = doc.GetFrameArray()->GetFrame(0);
  // Linear: Y starts at 0, so no zero line; the data at 20 of 0..22.
  QImage image = PaintDoc(doc);
  EXPECT_EQ(f->YMin, 0);
  form.OnLog();
  EXPECT_EQ(f->YMin, -6.0);
  EXPECT_EQ(form.logCaption, "Lin");
  image = PaintDoc(doc);
  if (const std::string dump = platform.EnvironmentValue("BALIMOR_RENDER_DUMP"); !dump.empty())
    image.save(dump.c_str());
  // Y = 0 now lies inside −6 .. YMax: the frame's red zero line is drawn across the frame
  // (beyond X 100, where no peak curve lies on it). The line is 0.5 mm, two pixels, wide.
  auto row = [f](double y) { return static_cast<int>((70 + (y - f->YMin) / (f->YMax - f->YMin) * -60) * 4 + 1e-5); };
  const int zeroRow = row(0);
  EXPECT_TRUE(Is(image, 310, zeroRow, kRedPx) || Is(image, 310, zeroRow - 1, kRedPx)) << zeroRow;
  // The data at ln 20 ≈ 3.0 through the frame's limits.
  const int dataRow = row(std::log(20.0));
  EXPECT_TRUE(Is(image, 290, dataRow, kBlack)) << dataRow;  // X 96, beside the peaks
  form.OnLog();
  EXPECT_EQ(form.logCaption, "Log");
  EXPECT_EQ(f->YMin, 0.0);
}

TEST_F(ImageTest, PictureFiles) {
  CBalimorDoc doc(platform, ini);
  Load(doc);
  doc.peakAreaText = "*** Peak area: #   2Q\r\n  1\t30.000\r\nSigma: 1   2 %";
  CGraphExportOptions o;
  o.widthPx = 800;
  o.heightPx = 500;
  o.font = {"DejaVu Sans", 80};
  // The page holds everything with its margin and has the image's aspect.
  const CGraphPage page = LayoutGraphPage(doc, o);
  EXPECT_NEAR(page.widthMm / page.heightMm, 1.6, 1e-9);
  EXPECT_GT(page.widthMm, 80 + 5);
  EXPECT_GT(page.heightMm, 70 + 5);
  std::string error;
  for (const char* name : {"g.png", "g.SVG", "g.pdf"}) {
    SCOPED_TRACE(name);
    const std::string path = (dir / name).string();
    ASSERT_TRUE(ExportGraph(doc, path, o, error)) << error;
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    if (GraphFileKindOf(path) == GraphFileKind::kPng) {
      QImage image;
      ASSERT_TRUE(image.loadFromData(bytes, "PNG"));
      EXPECT_EQ(image.size(), QSize(800, 500));
      EXPECT_GT(Count(image, kBluePx), 0);
    } else if (GraphFileKindOf(path) == GraphFileKind::kSvg) {
      EXPECT_TRUE(bytes.contains("<text")) << "text stays text";
      EXPECT_TRUE(bytes.contains("Sigma:"));
    } else {
      EXPECT_TRUE(bytes.startsWith("%PDF"));
    }
  }
  // An unknown kind, or a folder that does not exist, writes nothing.
  EXPECT_FALSE(ExportGraph(doc, (dir / "g.bmp").string(), o, error));
  EXPECT_FALSE(std::filesystem::exists(dir / "g.bmp"));
  EXPECT_FALSE(ExportGraph(doc, (dir / "none" / "g.png").string(), o, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace

int main(int argc, char** argv) {
  // Images need fonts, and fonts a GUI application: without a display, the offscreen one.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
