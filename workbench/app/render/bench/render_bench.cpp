// Paint time of a large scan: a 1,000,000-point diffraction spectrum with 70 peak curves, the
// background and the total, painted by the graph's paint sequence into a 1600 × 1000 image.
// Prints the median and the best wall-clock and processor times of the repeated paints (the
// processor time is the fairer figure on a shared machine). Run it under nice.
// Usage: render_bench [PAINTS [IMAGE.png]]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <filesystem>
#include <vector>

#include "BalimorDoc.h"
#include "GraphExport.h"
#include "QtDeviceContext.h"
#include "RecordingPlatform.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const int points = 1000000, peaks = 70, repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;

  const std::filesystem::path ini = std::filesystem::temp_directory_path() / "render_bench.INI";
  RecordingPlatform platform;
  double best = 1e300;
  std::vector<double> times, cpu;  // wall clock and processor time of each paint
  {
    CBalimorDoc doc(platform, ini.string());
    CVariousData& d = *doc.GetOriginalData();
    d.SetSize(points);
    CPeakSearch& r = doc.GetPeakSearch();
    r.dataKind = DataKind::Diffraction;
    r.b[0] = 200;
    r.b[1] = -1.5;
    for (int j = 0; j < peaks; ++j) r.AddPeak(10 + j * 1.1, 1000 + 37 * (j % 11), 0.5, 1, 0.08);
    // 10° to 90° in steps of 0.00008°, noise-free peaks on the background.
    for (int i = 0; i < points; ++i) d.SetX(i, 10 + 80.0 * i / (points - 1));
    for (int i = 0; i < points; ++i) d.SetY(i, 0);
    r.MakeModelCurves(points);
    for (int i = 0; i < points; ++i)
      d.SetY(i, r.totalCurve.GetY(i) + 20 * std::sin(i * 0.7) * std::sin(i * 0.0013));
    d.UpdateRange();
    doc.GetFrameArray()->GetFrame(0)->AutoScale(CGraphFrame::kScaleMargin);
    r.MakeModelCurves(points);

    CGraphExportOptions options;
    options.font = {"DejaVu Sans", 100};
    doc.PrepareDrawing();
    const CGraphPage page = LayoutGraphPage(doc, options);
    QImage image(1600, 1000, QImage::Format_RGB32);
    // BENCH_PART=data or peaks paints only that part, to see where the time goes.
    const std::string part = platform.EnvironmentValue("BENCH_PART");
    if (part == "data") doc.viewBackground = doc.viewCalc = doc.viewCurves = false;
    if (part == "peaks") {
      doc.viewBackground = doc.viewCalc = false;
      doc.GetFrameArray()->GetFrame(0)->GetGraph(0)->isValid = false;
    }
    for (int k = 0; k < repeats; ++k) {
      image.fill(Qt::white);
      const auto t0 = std::chrono::steady_clock::now();
      const std::clock_t c0 = std::clock();
      {
        QPainter painter(&image);
        CQtDeviceContext dc(painter, page.widthMm, page.heightMm);
        CDrawingSurface surface(dc);
        surface.offsetX = page.offsetX;
        surface.offsetY = page.offsetY;
        CGraphPainter(options.font).PaintDocument(doc, surface);
      }
      const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
      times.push_back(ms);
      cpu.push_back(1000.0 * static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC);
      best = std::min(best, ms);
    }
    if (argc > 2) image.save(argv[2]);
  }
  std::filesystem::remove(ini);
  std::sort(times.begin(), times.end());
  std::sort(cpu.begin(), cpu.end());
  std::printf("paint of %d points, %d peak curves, background and total into 1600 x 1000: "
              "median %.1f ms, best %.1f ms; processor time median %.1f ms, best %.1f ms (%d paints)\n",
              points, peaks, times[times.size() / 2], best, cpu[cpu.size() / 2], cpu.front(), repeats);
  return 0;
}
