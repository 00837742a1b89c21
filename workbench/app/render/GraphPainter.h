// The paint sequence of the graph view: the PFC path, every frame of the document with its
// axes, captions, zero lines and curves, the fitted model over frame 0 as the display switches
// ask, and the peak-area text beside frame 0. It draws on a CDrawingSurface only, so the same
// sequence serves the window, the printer and image files.
#pragma once

#include <array>
#include <optional>
#include <utility>

#include "DrawingSurface.h"
#include "ViewFont.h"

class CBalimorDoc;
class CGraphFrame;
struct CGraphAxis;

// A rectangle in page units (millimetres).
struct CPageRect {
  double left = 0, top = 0, right = 0, bottom = 0;
};

// Fixed sizes of the drawing, in page units.
inline constexpr double kTickLength = 3.0;
inline constexpr double kTickLabelGap = 2.0;
inline constexpr double kAxisPenWidth = 0.2;
inline constexpr int kYCaptionAngle = 90;
// A frame filling its page keeps this margin to the page's edges and no side of it is shorter
// than kLeastFilledSide.
inline constexpr double kFillMargin = 2.0;
inline constexpr double kLeastFilledSide = 10.0;

// A frame's `position`: page x at XMin, y at YMin, x at XMax, y at YMax.
using CFramePosition = std::array<double, 4>;

// A frame shown at another position for the life of the object; its own position comes back
// at the end. Nothing when there is no other position.
class CFramePlacement {
 public:
  CFramePlacement(CGraphFrame& frame, const std::optional<CFramePosition>& at);
  ~CFramePlacement();
  CFramePlacement(const CFramePlacement&) = delete;
  CFramePlacement& operator=(const CFramePlacement&) = delete;

 private:
  CGraphFrame& frame;
  CFramePosition own;
};

class CGraphPainter {
 public:
  enum Result { kPainted = 0, kBusy = 1, kNoFrame = -1 };

  explicit CGraphPainter(CViewFont font = CViewFont()) : font(std::move(font)) {}

  // The whole sequence, on a document made ready by CBalimorDoc::PrepareDrawing: it only reads
  // the document (a frame's reversal flags aside, which DrawFrame applies to its limits). A
  // paint asked for while one is in progress (anywhere in the process) does nothing and gives
  // kBusy; without frame 0 the message "Can't get GraphFrame(0)" (caption "Error") is shown
  // and kNoFrame returned.
  int PaintDocument(CBalimorDoc& doc, CDrawingSurface& surface) const;
  // True while a paint is in progress.
  static bool Busy();

  // One frame: its reversal flags applied, its outline, the zero lines and every attached curve.
  static void DrawFrame(CDrawingSurface& surface, CGraphFrame& frame);
  // The frame's rectangle and each axis in use with its ticks, labels and caption.
  static void DrawFrameOutline(CDrawingSurface& surface, const CGraphFrame& frame);
  // Tick marks 3.0 long into the frame and "%g" labels 2.0 outside the axis line; where labels
  // would overlap, only those of every k-th tick (LabelsShown). The largest label extent
  // across the axis (width for a Y axis, height for an X axis), in page units.
  static double DrawAxis(CDrawingSurface& surface, const CGraphFrame& frame, const CGraphAxis& axis);
  // Where the peak-area text goes: beside frame 0 (and clear of its X caption), 40 letters
  // "W" of the current font wide, from the frame's top to its bottom (the text may run on).
  static CPageRect PeakAreaBox(CDrawingSurface& surface, const CGraphFrame& frame,
                               const std::string& text = std::string());

  // The position at which frame 0 fills the page of the device: its labels and captions, the
  // PFC path above it and the peak-area text beside it within the page with kFillMargin. The
  // device is only measured with, not drawn on.
  CFramePosition FillingPosition(CBalimorDoc& doc, IDeviceContext& dc) const;

  CViewFont font;
  // Where frame 0 is drawn in place of its own position (the window's "Fit Frame to Window");
  // the frame keeps its own position.
  std::optional<CFramePosition> frame0Position;
};
