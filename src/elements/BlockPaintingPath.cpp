// The path route of block painting: the same layers as the raster route, drawn on the
// engine drawer's canvas in client units (the paint engine maps them to the device).

#include "elements/Blocks.h"
#include "elements/CustomDiagram.h"
#include "platform/Canvas.h"

#include <cmath>
#include <optional>

namespace {

// The engine canvas's drawing state (transform, clip) around a rotated picture.
class TDgrDrawingStateScope {
public:
  explicit TDgrDrawingStateScope(TDgrCanvas& canvas) : FCanvas(canvas) { FCanvas.SaveDrawingState(); }
  ~TDgrDrawingStateScope() { FCanvas.RestoreDrawingState(); }
  TDgrDrawingStateScope(const TDgrDrawingStateScope&) = delete;
  TDgrDrawingStateScope& operator=(const TDgrDrawingStateScope&) = delete;

private:
  TDgrCanvas& FCanvas;
};

}  // namespace

void TCustomDiagramBlock::DrawBlockPath(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo) {
  TDgrBlockDrawer& drawer = *info.DgrDrawer;
  TDgrCanvas& canvas = *drawer.Canvas();
  TDgrCanvasStyleSaver saver(canvas);
  const int transparency = Transparency();

  if (FShadow->Visible()) {
    FShadow->PrepareCanvas(canvas, transparency);
    TShadowDestRectScope shadowScope(drawer, *FShadow);
    DrawShape(info, blockInfo);
  }
  if (!FTransparent) {
    canvas.Brush()->SetBrushMode(bmSolid);
    canvas.Brush()->SetColor(Selected() ? FSelColor : FColor);
    canvas.Brush()->SetTransparency(transparency);
    canvas.Pen()->SetTransparency(100);
    DrawShape(info, blockInfo);
  }
  const std::unique_ptr<TDgrGraphicsPath> outline = SurroundPathOf(drawer);
  if (FGradient->Visible()) {
    TDgrOutlineClip clip(canvas, *outline);
    canvas.Brush()->SetTransparency(transparency);
    FGradient->DrawGradient(&drawer);
  }
  canvas.Pen()->SetTransparency(100);
  canvas.Brush()->SetTransparency(transparency);
  canvas.Brush()->Assign(Selected() ? FSelBrush.get() : FBrush.get());
  DrawShape(info, blockInfo);

  struct TLayer {
    const TGraphic* Graphic;
    TPlacement Placement;
    bool TransparentBitmap;
  };
  const auto placementOf = [](int mode) {
    return mode == 1 ? TPlacement::Center : mode == 2 ? TPlacement::Tile : TPlacement::Stretch;
  };
  const TLayer layers[] = {
      {FBitmap->Empty() ? nullptr : FBitmap.get(), placementOf(static_cast<int>(FBitmapMode)), FBitmap->Transparent()},
      {FMetafile->Empty() ? nullptr : FMetafile.get(), TPlacement::Stretch, false},
      {FPicture->Empty() ? nullptr : FPicture->Graphic(), placementOf(static_cast<int>(FPictureMode)),
       !FPicture->Empty() && FPicture->Graphic()->Transparent()},
  };
  for (const TLayer& layer : layers) {
    if (!layer.Graphic) continue;
    TDgrOutlineClip clip(canvas, *outline);
    DrawGraphicPath(drawer, *layer.Graphic, layer.Placement, layer.TransparentBitmap);
  }

  canvas.Pen()->SetTransparency(transparency);
  canvas.Pen()->Assign(FPen.get());
  canvas.Brush()->SetBrushMode(bmClear);
  DrawShape(info, blockInfo);
}

void TCustomDiagramBlock::DrawGraphicPath(TDgrBlockDrawer& drawer, const TGraphic& graphic, TPlacement placement,
                                          bool transparentBitmap) {
  TDgrCanvas& canvas = *drawer.Canvas();
  const TSquare rect = drawer.DestRect();
  const int transparency = Transparency();
  TDgrDrawingStateScope state(canvas);
  if (drawer.Angle() != 0) canvas.RotateTransform(drawer.Angle(), drawer.RotationCenter());
  if (placement == TPlacement::Stretch) {
    canvas.StretchDraw(rect, &graphic, transparency, transparentBitmap);
    return;
  }
  // Sizes in client units; the engine scales them with the zoom.
  double w = std::max(graphic.Width(), 1);
  double h = std::max(graphic.Height(), 1);
  if (placement == TPlacement::Center) {
    const double left = (rect.Left + rect.Right - w) / 2;
    const double top = (rect.Top + rect.Bottom - h) / 2;
    canvas.StretchDraw({left, top, left + w, top + h}, &graphic, transparency, transparentBitmap);
    return;
  }
  // Tiles: at least one canvas pixel each, and never more than MaxPictureTiles of them.
  const TDot origin = ToCanvas({0, 0});
  const TDot unit = ToCanvas({1, 1});
  const double pixelX = unit.X != origin.X ? 1 / std::abs(unit.X - origin.X) : 1;
  const double pixelY = unit.Y != origin.Y ? 1 / std::abs(unit.Y - origin.Y) : 1;
  w = std::max(w, pixelX);
  h = std::max(h, pixelY);
  const double columns = std::ceil(rect.Width() / w);
  const double rows = std::ceil(rect.Height() / h);
  if (!(columns > 0 && rows > 0)) return;
  if (columns * rows > MaxPictureTiles) {
    const double grow = std::ceil(std::sqrt(columns * rows / MaxPictureTiles));
    w *= grow;
    h *= grow;
  }
  for (double top = rect.Top; top < rect.Bottom; top += h)
    for (double left = rect.Left; left < rect.Right; left += w)
      canvas.StretchDraw({left, top, left + w, top + h}, &graphic, transparency, transparentBitmap);
}
