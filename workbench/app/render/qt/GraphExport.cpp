#include "GraphExport.h"

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include <algorithm>
#include <cctype>

#include "BalimorDoc.h"
#include "BoundsRecorder.h"
#include "QtDeviceContext.h"

namespace {

// Resolution of the vector files: fine enough that whole device units do not show.
constexpr double kVectorPixelsPerMm = 1200.0 / 25.4;
// Resolution of the layout pass (its measures are in millimetres, whatever it is).
constexpr double kLayoutPixelsPerMm = 10.0;
constexpr double kLayoutPageMm = 2000.0;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Paints the document on a painter whose device shows the page.
bool PaintPage(CBalimorDoc& doc, QPainter& painter, const CGraphPage& page,
               const CGraphExportOptions& options) {
  CQtDeviceContext dc(painter, page.widthMm, page.heightMm);
  CDrawingSurface surface(dc);
  surface.offsetX = page.offsetX;
  surface.offsetY = page.offsetY;
  return CGraphPainter(options.font).PaintDocument(doc, surface) == CGraphPainter::kPainted;
}

}  // namespace

GraphFileKind GraphFileKindOf(const std::string& path) {
  const std::string p = Lower(path);
  auto ends = [&p](const char* ext) {
    const std::string e(ext);
    return p.size() > e.size() && p.compare(p.size() - e.size(), e.size(), e) == 0;
  };
  if (ends(".png")) return GraphFileKind::kPng;
  if (ends(".svg")) return GraphFileKind::kSvg;
  if (ends(".pdf")) return GraphFileKind::kPdf;
  return GraphFileKind::kNone;
}

namespace {

// One layout pass at a resolution: the page that holds what the paint draws.
CGraphPage LayoutAt(CBalimorDoc& doc, const CGraphExportOptions& options, double pixelsPerMm) {
  // The pass draws onto a small image but measures as on a large page.
  QImage scratch(16, 16, QImage::Format_RGB32);
  // Of the resolution measured, as the image it stands for (fonts are laid out for it).
  scratch.setDotsPerMeterX(static_cast<int>(pixelsPerMm * 1000 + 0.5));
  scratch.setDotsPerMeterY(static_cast<int>(pixelsPerMm * 1000 + 0.5));
  QPainter painter(&scratch);
  const int px = static_cast<int>(kLayoutPageMm * pixelsPerMm);
  CQtDeviceContext measure(painter, CDeviceCaps{kLayoutPageMm, kLayoutPageMm, px, px});
  CBoundsRecorder recorder(measure);
  CDrawingSurface surface(recorder);
  // Room for content left of or above the page origin.
  surface.offsetX = surface.offsetY = kLayoutPageMm / 2;
  CGraphPainter(options.font).PaintDocument(doc, surface);
  painter.end();

  double x0 = 0, y0 = 0, x1 = 1, y1 = 1;
  if (!recorder.Empty()) {
    const CDeviceRect& b = recorder.Bounds();
    x0 = surface.ToPageX(b.left);
    y0 = surface.ToPageY(b.top);
    x1 = surface.ToPageX(b.right);
    y1 = surface.ToPageY(b.bottom);
  }
  // The page starts at the origin unless something lies before it.
  const double m = options.marginMm;
  const double left = std::min(0.0, x0 - m), top = std::min(0.0, y0 - m);
  double w = std::max(x1 + m - left, 1.0), h = std::max(y1 + m - top, 1.0);
  const double aspect = options.heightPx > 0 && options.widthPx > 0
                            ? static_cast<double>(options.widthPx) / options.heightPx
                            : 1.6;
  // The aspect of the image: the shorter side grows, the content in its middle.
  double padX = 0, padY = 0;
  if (w / h < aspect) {
    padX = (h * aspect - w) / 2;
    w = h * aspect;
  } else {
    padY = (w / aspect - h) / 2;
    h = w / aspect;
  }
  return {w, h, padX - left, padY - top};
}

}  // namespace

CGraphPage LayoutGraphPage(CBalimorDoc& doc, const CGraphExportOptions& options) {
  // Text measures depend a little on the resolution (whole pixel font sizes, hinting): the
  // page is laid out again at the resolution the image gets on the first page.
  const CGraphPage first = LayoutAt(doc, options, kLayoutPixelsPerMm);
  const double ppm = options.widthPx > 0 ? options.widthPx / first.widthMm : kLayoutPixelsPerMm;
  return LayoutAt(doc, options, std::clamp(ppm, 1.0, 100.0));
}

bool ExportGraph(CBalimorDoc& doc, const std::string& path, const CGraphExportOptions& options,
                 std::string& error) {
  const GraphFileKind kind = GraphFileKindOf(path);
  if (kind == GraphFileKind::kNone) {
    error = "unknown picture kind of [" + path + "] (use .png, .svg or .pdf)";
    return false;
  }
  if (!doc.GetFrameArray()->GetFrame(0)) {
    error = "Can't get GraphFrame(0)";
    return false;
  }
  if (kind == GraphFileKind::kPng && (options.widthPx < 1 || options.heightPx < 1 ||
                                      options.widthPx > 30000 || options.heightPx > 30000)) {
    error = "image size out of range (1 to 30000 pixels each way)";
    return false;
  }
  // Drawn as the graph view draws: the document made ready, then only read.
  if (!CGraphPainter::Busy()) doc.PrepareDrawing();
  const CGraphPage page = LayoutGraphPage(doc, options);
  QSaveFile file(QString::fromUtf8(path.c_str()));
  if (!file.open(QIODevice::WriteOnly)) {
    error = "can't write [" + path + "]";
    return false;
  }
  bool painted = false;
  bool written = true;
  if (kind == GraphFileKind::kPng) {
    QImage image(options.widthPx, options.heightPx, QImage::Format_RGB32);
    image.fill(Qt::white);
    // Dots per metre, so that the file says its physical size.
    image.setDotsPerMeterX(static_cast<int>(options.widthPx / page.widthMm * 1000.0 + 0.5));
    image.setDotsPerMeterY(static_cast<int>(options.heightPx / page.heightMm * 1000.0 + 0.5));
    {
      QPainter painter(&image);
      painted = PaintPage(doc, painter, page, options);
    }
    written = image.save(&file, "PNG");
  } else if (kind == GraphFileKind::kSvg) {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    const int w = static_cast<int>(page.widthMm * kVectorPixelsPerMm + 0.5);
    const int h = static_cast<int>(page.heightMm * kVectorPixelsPerMm + 0.5);
    svg.setSize(QSize(w, h));
    svg.setViewBox(QRect(0, 0, w, h));
    svg.setResolution(1200);
    svg.setTitle(QStringLiteral("Balimor graph"));
    QPainter painter;
    written = painter.begin(&svg);
    if (written) {
      painter.fillRect(QRect(0, 0, w, h), Qt::white);
      painted = PaintPage(doc, painter, page, options);
      written = painter.end();
    }
  } else {
    QPdfWriter pdf(&file);
    pdf.setResolution(1200);
    pdf.setPageSize(QPageSize(QSizeF(page.widthMm, page.heightMm), QPageSize::Millimeter));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setTitle(QStringLiteral("Balimor graph"));
    QPainter painter;
    written = painter.begin(&pdf);
    if (written) {
      painted = PaintPage(doc, painter, page, options);
      written = painter.end();
    }
  }
  if (!painted || !written || !file.commit()) {
    file.cancelWriting();
    error = painted ? "can't write [" + path + "]" : "nothing drawn for [" + path + "]";
    return false;
  }
  return true;
}
