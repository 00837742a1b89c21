// The graph as a file: what the graph view shows, drawn by the same paint sequence into a PNG
// image, an SVG drawing or a PDF page (text stays text in the last two). The page in
// millimetres is chosen so that every frame, its labels and the peak-area text fit with a
// margin, and has the aspect of the PNG size, so that the three look alike.
#pragma once

#include <string>

#include "GraphPainter.h"

class CBalimorDoc;

struct CGraphExportOptions {
  int widthPx = 1600;   // size of a PNG image
  int heightPx = 1000;
  double marginMm = 5.0;
  CViewFont font;
};

// The page chosen for a document: its size in millimetres and the offset that moves the
// content onto it (added to page coordinates, as the surface's offset).
struct CGraphPage {
  double widthMm = 0, heightMm = 0;
  double offsetX = 0, offsetY = 0;
};

enum class GraphFileKind { kNone, kPng, kSvg, kPdf };
// By the extension of the path, in any case: ".png", ".svg", ".pdf".
GraphFileKind GraphFileKindOf(const std::string& path);

// Lays out the page: one paint into a bounds recorder (of a document made ready by
// CBalimorDoc::PrepareDrawing).
CGraphPage LayoutGraphPage(CBalimorDoc& doc, const CGraphExportOptions& options);

// Writes the graph to path, the kind by its extension, the document made ready for it first. The file is written beside its place
// and renamed over it only when complete. false, with error set, when the kind is unknown, the
// document has no frame 0 or the file cannot be written.
bool ExportGraph(CBalimorDoc& doc, const std::string& path, const CGraphExportOptions& options,
                 std::string& error);
