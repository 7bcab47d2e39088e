#pragma once
// Restores the raster canvas pen and brush that line drawing changes, also when a failure
// passes through (the canvas's own state saver keeps clip and transform, not the tools).

#include "platform/Canvas.h"
#include "platform/Graphics.h"

class TCanvasToolsGuard {
public:
  explicit TCanvasToolsGuard(TCanvas& canvas) : FCanvas(canvas) {
    FPen.Assign(canvas.Pen());
    FBrush.Assign(canvas.Brush());
  }
  ~TCanvasToolsGuard() {
    FCanvas.Pen()->Assign(&FPen);
    FCanvas.Brush()->Assign(&FBrush);
  }
  TCanvasToolsGuard(const TCanvasToolsGuard&) = delete;
  TCanvasToolsGuard& operator=(const TCanvasToolsGuard&) = delete;

private:
  TCanvas& FCanvas;
  TPen FPen;
  TBrush FBrush;
};
