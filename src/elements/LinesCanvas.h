#pragma once
// Restores the raster canvas pen and brush that line drawing changes, also when a failure
// passes through (the canvas's own state saver keeps clip and transform, not the tools).

#include "platform/Canvas.h"
#include "platform/Graphics.h"

class TCanvasToolsGuard {
public:
  explicit TCanvasToolsGuard(TCanvas& canvas)
      : FCanvas(canvas), FPen(canvas.Pen()->Settings()), FBrush(canvas.Brush()->Settings()) {}
  ~TCanvasToolsGuard() {
    FCanvas.Pen()->SetSettings(FPen);
    FCanvas.Brush()->SetSettings(FBrush);
  }
  TCanvasToolsGuard(const TCanvasToolsGuard&) = delete;
  TCanvasToolsGuard& operator=(const TCanvasToolsGuard&) = delete;

private:
  TCanvas& FCanvas;
  TPen::TSettings FPen;
  TBrush::TSettings FBrush;
};
