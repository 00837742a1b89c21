// The trend picture of a series summary, drawn by the graph renderer: three frames one above
// the other (position, FWHM, area against the scan), one line per peak in the frame palette's
// colours, broken where a scan gave no value for the peak, every scan's value marked.
#include "SeriesTrend.h"

#include <cstdlib>
#include <iterator>
#include <map>
#include <memory>
#include <optional>

#include "BalimorDoc.h"
#include "GraphExport.h"
#include "GraphFrameArray.h"
#include "SeriesSummary.h"

namespace {

std::optional<double> Number(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (*end) return std::nullopt;
  return v;
}

}  // namespace

bool ExportSeriesTrend(const std::string& summary, const std::string& picture, IPlatform& platform,
                       const std::string& iniPath, const CFontSpec& fallbackFont, std::string& error) {
  if (GraphFileKindOf(picture) == GraphFileKind::kNone) {
    error = "[" + picture + "]: the trend picture is a .png, .svg or .pdf file";
    return false;
  }
  CSeriesSummaryFile file;
  if (!ReadSummaryFile(summary, file, error)) return false;
  // Every peak's values by scan, for the three quantities.
  const int columns[3] = {kColPosition, kColFwhm, kColArea};
  std::map<int, std::map<int, double>> values[3];
  for (const auto& row : file.rows) {
    const std::optional<double> scan = Number(row[kColScan]), peak = Number(row[kColPeak]);
    if (!scan || !peak) continue;
    for (int q = 0; q < 3; ++q)
      if (const std::optional<double> v = Number(row[static_cast<std::size_t>(columns[q])]))
        values[q][static_cast<int>(*peak)][static_cast<int>(*scan)] = *v;
  }
  if (values[0].empty()) {
    error = "[" + summary + "] holds no fitted peak to draw";
    return false;
  }

  std::vector<std::unique_ptr<CGraphData>> curves;
  bool ok = false;
  {
    CBalimorDoc doc(platform, iniPath);
    doc.Ini().SetReadOnly(true);
    CGraphFrameArray& frames = *doc.GetFrameArray();
    frames.Clear();
    const char* const labels[3] = {"Position / deg.", "FWHM / deg.", "Area"};
    for (int q = 0; q < 3; ++q) {
      const double top = 10 + 75.0 * q;
      const double position[4] = {25, top + 55, 165, top};
      frames.AddFrame(position);
      CGraphFrame* frame = frames.GetFrame(q);
      frame->SetXLabel("Scan");
      frame->SetYLabel(labels[q]);
      frame->title.clear();
      int colour = 0;
      for (const auto& [peak, byScan] : values[q]) {
        const COLORREF c = frame->palette[1 + colour++ % (CGraphFrame::kPaletteSize - 1)];
        // One curve per run of consecutive scans: a scan without a value breaks the line.
        auto it = byScan.begin();
        while (it != byScan.end()) {
          auto end = it;
          int last = it->first;
          while (std::next(end) != byScan.end() && std::next(end)->first == last + 1) last = (++end)->first;
          ++end;
          auto curve = std::make_unique<CGraphData>();
          curve->SetSize(static_cast<int>(std::distance(it, end)));
          int i = 0;
          for (auto p = it; p != end; ++p, ++i) {
            curve->SetX(i, p->first);
            curve->SetY(i, p->second);
          }
          curve->UpdateRange();
          curve->label = "peak " + std::to_string(peak);
          frame->AttachGraph(curve.get());
          curve->lineColor = curve->markerPenColor = curve->markerBrushColor = c;
          curve->lineWidth = 0.3;
          curve->drawSymbol = true;
          curve->symbolSize = 1.2;
          curves.push_back(std::move(curve));
          it = end;
        }
      }
      frame->AutoScale(CGraphFrame::kScaleMargin);
    }
    CGraphExportOptions options;
    options.font = LoadViewFont(doc.Ini(), &fallbackFont, PointsPerPixelOfDpi(96));
    ok = ExportGraph(doc, picture, options, error);
    frames.Clear();  // the frames let go of the curves before these are deleted
  }
  return ok;
}
