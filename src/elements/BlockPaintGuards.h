#pragma once
// Scope guards used by the block painting code: each puts back what it changed when the
// scope ends, also when an exception passes.

#include "platform/Canvas.h"
#include "platform/Graphics.h"

#include <optional>

// Pen and brush of a raster canvas.
class TPenBrushSaver {
public:
  explicit TPenBrushSaver(TCanvas& canvas) : FCanvas(canvas) {
    FPen.Assign(canvas.Pen());
    FBrush.Assign(canvas.Brush());
  }
  ~TPenBrushSaver() {
    FCanvas.SetPen(&FPen);
    FCanvas.SetBrush(&FBrush);
  }
  TPenBrushSaver(const TPenBrushSaver&) = delete;
  TPenBrushSaver& operator=(const TPenBrushSaver&) = delete;

private:
  TCanvas& FCanvas;
  TPen FPen;
  TBrush FBrush;
};

// A clip to region (within any clip the canvas already has) on a raster canvas.
class TRegionClip {
public:
  TRegionClip(TCanvas& canvas, const TRegion& region) : FSaver(canvas) {
    const std::optional<TRegion>& current = canvas.ClipRegion();
    const TRegion clip = current ? current->Intersected(region) : region;
    canvas.SelectClipRegion(&clip);
  }

private:
  TCanvasStateSaver FSaver;
};
