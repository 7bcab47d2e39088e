// Painting of blocks: the layers of the body, pictures, the outline clip, text cells and
// the drag outline.

#include "elements/BlockPaintGuards.h"
#include "elements/Blocks.h"
#include "elements/CustomDiagram.h"
#include "geometry/BlockShapes.h"
#include "platform/Canvas.h"

#include <cmath>
#include <optional>

// --- Drawer set-up ----------------------------------------------------------------------

void TCustomDiagramBlock::SetupDrawer(TBlockDrawer* drawer) {
  const TSquare b = BoundsRect();
  const TDot topLeft = ToCanvas({b.Left, b.Top});
  const TDot bottomRight = ToCanvas({b.Right, b.Bottom});
  drawer->SetCurRect({topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y});
  drawer->SetAngle(Angle());
  drawer->SetRotationType(rtCurRectCenter);
}

// --- The paint pass ---------------------------------------------------------------------

void TCustomDiagramBlock::DrawControl(const TDiagramDrawInfo& info) {
  if (!info.Canvas) return;
  TBlockDrawer& drawer = *Drawer();
  TBlockDrawerStateGuard guard(drawer);
  drawer.SetCanvas(info.Canvas);
  SetupDrawer(&drawer);
  TDiagramDrawInfo local = info;
  local.Drawer = &drawer;
  // The path route needs an engine drawer from the paint pass and an engine in force.
  if (EffectiveGraphicLib() == dglGDI) local.DgrDrawer = nullptr;
  if (local.DgrDrawer) SetupDgrDrawer(local.DgrDrawer);
  const TDiagramDrawBlockInfo blockInfo{drawer.CurRect(), Angle()};
  TCustomDiagram* diagram = Diagram();
  const bool painted = diagram && diagram->DoDrawBlock(this, local, blockInfo);
  if (!painted) DrawBlock(local, blockInfo);
  if (diagram) {
    DrawCellsClipped(local);
    diagram->DoAfterDrawBlock(this, local, blockInfo);
  }
}

void TCustomDiagramBlock::DrawCellsClipped(const TDiagramDrawInfo& info) {
  if (!CellsShowAnything(info)) return;
  if (!FClipText) {
    DrawCells(info);
    return;
  }
  std::optional<TDgrOutlineClip> engineClip;
  std::unique_ptr<TDgrGraphicsPath> outline;
  if (info.DgrDrawer) {
    outline = SurroundPathOf(*info.DgrDrawer);
    engineClip.emplace(*info.DgrDrawer->Canvas(), *outline);
  }
  const TRegion region = OutlineRegion();
  std::optional<TRegionClip> rasterClip;
  if (!region.IsEmpty()) rasterClip.emplace(*info.Canvas, region);
  DrawCells(info);
}

void TCustomDiagramBlock::DrawBlockInCanvas(TCanvas* canvas, const TRect& rect) {
  if (!canvas) return;
  TBlockDrawer& drawer = *Drawer();
  TBlockDrawerStateGuard guard(drawer);
  drawer.SetCanvas(canvas);
  drawer.SetCurRect(RectToSquare(rect));
  drawer.SetAngle(Angle());
  drawer.SetRotationType(rtCurRectCenter);
  TDiagramDrawInfo info;
  info.Canvas = canvas;
  info.Drawer = &drawer;
  DrawBlock(info, {drawer.CurRect(), Angle()});
}

void TCustomDiagramBlock::DrawBlock(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo) {
  if (!info.Canvas) return;
  TPenBrushSaver saver(*info.Canvas);
  if (info.DgrDrawer) {
    DrawBlockPath(info, blockInfo);
    return;
  }
  const TLayerFacts layers = LayerFacts();
  if (layers.Shadow) DrawShadowLayer(info, blockInfo);
  DrawFillLayer(info, blockInfo);
  if (layers.Gradient) DrawGradientLayer(info, blockInfo);
  DrawPatternLayer(info, blockInfo);
  if (layers.Pictures) DrawPictureLayers(info);
  DrawOutlineLayer(info, blockInfo);
}

TCustomDiagramBlock::TLayerFacts TCustomDiagramBlock::LayerFacts() const {
  const auto workOut = [&] {
    return TLayerFacts{FShadow->Visible(), FGradient->Visible(),
                       !FBitmap->Empty() || !FMetafile->Empty() || !FPicture->Empty()};
  };
  const bool reading = IsBeingRead();
  if (!reading && FLayerFacts && FLayerFacts->first == WrittenRevision()) {
    CheckKeptResult(FLayerFacts->second, workOut, "layers");
    return FLayerFacts->second;
  }
  const TLayerFacts facts = workOut();
  if (reading) FLayerFacts.reset();
  else FLayerFacts.emplace(WrittenRevision(), facts);
  return facts;
}

void TCustomDiagramBlock::DrawShape(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo) {
  if (TCustomDiagram* diagram = Diagram(); diagram && diagram->DoDrawShape(this, info, blockInfo)) return;
  if (info.DgrDrawer) {
    const std::unique_ptr<TDgrGraphicsPath> path = info.DgrDrawer->CreatePath();
    GetDgrPath(*path, *info.DgrDrawer);
    info.DgrDrawer->Canvas()->Path(*path);
    return;
  }
  // With no pen and no brush (as the pattern layer mostly has) the shape would leave every
  // pixel as it is: its outline is not worth computing.
  TBlockDrawer& drawer = *Drawer();
  if (info.Canvas && drawer.Canvas() == info.Canvas && info.Canvas->ShapesShowNothing()) return;
  DrawBlockShape(drawer, FShape);
}

// --- Layers -----------------------------------------------------------------------------

void TCustomDiagramBlock::DrawShadowLayer(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo) {
  if (!FShadow->Visible()) return;
  FShadow->PrepareCanvas(*info.Canvas);
  // The offset follows the zoom: the client offset converted to canvas pixels.
  std::function<TDot(const TDot&)> toCanvas;
  if (Diagram()) toCanvas = [this](const TDot& p) { return ToCanvas(p); };
  TBlockDrawer& drawer = *Drawer();
  TBlockDrawerOffsetScope offset(drawer, FShadow->CanvasOffset(toCanvas));
  DrawShape(info, {drawer.CurRect(), blockInfo.Angle});
}

void TCustomDiagramBlock::DrawFillLayer(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo) {
  if (FTransparent) return;
  TCanvas& canvas = *info.Canvas;
  canvas.Brush()->SetStyle(bsSolid);
  canvas.Brush()->SetColor(Selected() ? FSelColor : FColor);
  canvas.Pen()->SetStyle(psClear);
  DrawShape(info, blockInfo);
}

void TCustomDiagramBlock::DrawGradientLayer(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo) {
  if (!FGradient->Visible()) return;
  const TRegion region = OutlineRegion();
  // Unturned bands are whole-pixel rectangles; against an outline of a few rectangles
  // (small or square shapes) they are cut to it directly.
  constexpr int MaxCutRects = 8;
  if (blockInfo.Angle == 0 && !region.IsEmpty() && region.ToQRegion().rectCount() <= MaxCutRects &&
      info.Canvas->WorldTransform().isIdentity()) {
    TRegionFillTarget target(*info.Canvas, region);
    FGradient->DrawGradient(info.Canvas, target, Drawer()->CurRect(), blockInfo.Angle);
    return;
  }
  std::optional<TRegionClip> clip;
  if (!region.IsEmpty()) clip.emplace(*info.Canvas, region);
  FGradient->DrawGradient(info.Canvas, Drawer()->CurRect(), blockInfo.Angle);
}

void TCustomDiagramBlock::DrawPatternLayer(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo) {
  TCanvas& canvas = *info.Canvas;
  canvas.Pen()->SetStyle(psClear);
  canvas.SetBrush(Selected() ? FSelBrush.get() : FBrush.get());
  DrawShape(info, blockInfo);
}

void TCustomDiagramBlock::DrawOutlineLayer(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo) {
  TCanvas& canvas = *info.Canvas;
  canvas.SetPen(FPen.get());
  canvas.Brush()->SetStyle(bsClear);
  DrawShape(info, blockInfo);
}

void TCustomDiagramBlock::DrawPictureLayers(const TDiagramDrawInfo& info) {
  const auto placementOf = [](int mode) {
    return mode == 1 ? TPlacement::Center : mode == 2 ? TPlacement::Tile : TPlacement::Stretch;
  };
  const TGraphic* pictureGraphic = FPicture->Empty() ? nullptr : FPicture->Graphic();
  struct TLayer {
    const TGraphic* Graphic;
    TPlacement Placement;
  };
  const TLayer layers[] = {
      {FBitmap->Empty() ? nullptr : FBitmap.get(), placementOf(static_cast<int>(FBitmapMode))},
      {FMetafile->Empty() ? nullptr : FMetafile.get(), TPlacement::Stretch},
      {pictureGraphic, placementOf(static_cast<int>(FPictureMode))},
  };
  for (const TLayer& layer : layers) {
    if (!layer.Graphic) continue;
    const TRegion region = OutlineRegion();
    std::optional<TRegionClip> clip;
    if (!region.IsEmpty()) clip.emplace(*info.Canvas, region);
    DrawGraphic(*info.Canvas, *layer.Graphic, layer.Placement);
  }
}

void TCustomDiagramBlock::DrawGraphic(TCanvas& canvas, const TGraphic& graphic, TPlacement placement) {
  const TSquare rect = Drawer()->CurRect();
  const TDot centre{(rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2};
  TCanvasStateSaver saver(canvas);
  if (Angle() != 0) canvas.RotateAbout(Angle(), centre);
  if (placement == TPlacement::Stretch) {
    canvas.StretchDraw(SquareToRect(rect), &graphic);
    return;
  }
  // The image's own size is in client units, so it scales with the zoom.
  const TDot origin = ToCanvas({0, 0});
  const TDot size = ToCanvas({double(std::max(graphic.Width(), 1)), double(std::max(graphic.Height(), 1))});
  double w = size.X - origin.X;
  double h = size.Y - origin.Y;
  if (placement == TPlacement::Center) {
    const double left = centre.X - w / 2;
    const double top = centre.Y - h / 2;
    canvas.StretchDraw({Round(left), Round(top), Round(left + w), Round(top + h)}, &graphic);
    return;
  }
  // Tiles: at least one canvas pixel each, and never more than MaxPictureTiles of them.
  w = std::max(w, 1.0);
  h = std::max(h, 1.0);
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
      canvas.StretchDraw({Round(left), Round(top), Round(left + w), Round(top + h)}, &graphic);
}

// --- Drag outline -----------------------------------------------------------------------

void TCustomDiagramBlock::DrawCursor(const TDiagramDrawInfo& info, const TDiagramDrawBlockInfo& blockInfo) {
  if (!info.Canvas) return;
  TCanvas& canvas = *info.Canvas;
  TPenBrushSaver saver(canvas);
  canvas.Brush()->SetStyle(bsClear);
  canvas.Pen()->SetMode(pmNot);
  canvas.Pen()->SetStyle(psDot);
  TBlockDrawer& drawer = *Drawer();
  TBlockDrawerStateGuard guard(drawer);
  drawer.SetCanvas(&canvas);
  drawer.SetCurRect(blockInfo.Rect);
  drawer.SetAngle(blockInfo.Angle);
  drawer.SetRotationType(rtCurRectCenter);
  if (FShapeCursor) {
    // The outline is drawn on the raster canvas whatever engine the block paints with.
    TDiagramDrawInfo raster = info;
    raster.Drawer = &drawer;
    raster.DgrDrawer = nullptr;
    DrawShape(raster, blockInfo);
    return;
  }
  const TSquare r = blockInfo.Rect;
  drawer.DrawRotRect(r.Left, r.Top, r.Right, r.Bottom);
}

void TCustomDiagramBlock::DrawCursorAt(TCanvas* canvas, const TSquare& clientRect, double angle) {
  if (!canvas) return;
  const TDot a = ToCanvas({clientRect.Left, clientRect.Top});
  const TDot b = ToCanvas({clientRect.Right, clientRect.Bottom});
  TDiagramDrawInfo info;
  info.Canvas = canvas;
  info.Drawer = Drawer();
  DrawCursor(info, {{a.X, a.Y, b.X, b.Y}, angle});
}
