#pragma once
// Scope guards used by the block and line painting code: each puts back what it changed
// when the scope ends, also when an exception passes.

#include "platform/Canvas.h"
#include "platform/Graphics.h"

#include <QRect>
#include <QRegion>
#include <algorithm>
#include <optional>

// Pen and brush of a raster canvas (the canvas's own state saver keeps clip and transform,
// not the tools).
class TPenBrushSaver {
public:
  explicit TPenBrushSaver(TCanvas& canvas)
      : FCanvas(canvas), FPen(canvas.Pen()->Settings()), FBrush(canvas.Brush()->Settings()) {}
  ~TPenBrushSaver() {
    FCanvas.Pen()->SetSettings(FPen);
    FCanvas.Brush()->SetSettings(FBrush);
  }
  TPenBrushSaver(const TPenBrushSaver&) = delete;
  TPenBrushSaver& operator=(const TPenBrushSaver&) = delete;

private:
  TCanvas& FCanvas;
  TPen::TSettings FPen;
  TBrush::TSettings FBrush;
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

// Pen-less rectangles filled only where they meet a region (a few rectangles, in the
// canvas's coordinates with no world transform): the pixels a clip to the region would
// leave, without the cost of setting a complex clip on the painter, which for a small
// shape outweighs its whole drawing. Anything other than a rectangle is drawn through such
// a clip.
class TRegionFillTarget final : public IRasterTarget {
public:
  TRegionFillTarget(TCanvas& canvas, const TRegion& region) : FCanvas(canvas), FRegion(region) {}

  void Rectangle(int x1, int y1, int x2, int y2) override {
    const QRect rect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1));
    if (rect.isEmpty()) return;
    for (const QRect& piece : FRegion.ToQRegion()) {
      const QRect part = piece.intersected(rect);
      if (!part.isEmpty()) FCanvas.Rectangle(part.left(), part.top(), part.right() + 1, part.bottom() + 1);
    }
  }
  void Ellipse(int x1, int y1, int x2, int y2) override { Clipped().Ellipse(x1, y1, x2, y2); }
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) override {
    Clipped().RoundRect(x1, y1, x2, y2, x3, y3);
  }
  void Polygon(const TPointArray& points) override { Clipped().Polygon(points); }
  void Polyline(const TPointArray& points) override { Clipped().Polyline(points); }
  void MoveTo(int x, int y) override { FCanvas.MoveTo(x, y); }
  void LineTo(int x, int y) override { Clipped().LineTo(x, y); }

private:
  TCanvas& Clipped() {
    if (!FClip) FClip.emplace(FCanvas, FRegion);
    return FCanvas;
  }

  TCanvas& FCanvas;
  TRegion FRegion;
  std::optional<TRegionClip> FClip;
};
