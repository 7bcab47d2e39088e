#include "drawing/Gradient.h"

#include "platform/Canvas.h"
#include "platform/ColorMaps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int CombineTransparency(int a, int b) {
  return 100 - (100 - ClampTransparency(a)) * (100 - ClampTransparency(b)) / 100;
}

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const int64_t product = static_cast<int64_t>(number) * numerator;
  const int64_t magnitude = (std::llabs(product) + std::llabs(static_cast<int64_t>(denominator)) / 2) /
                            std::llabs(static_cast<int64_t>(denominator));
  const bool negative = (product < 0) != (denominator < 0);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

// -------------------------------------------------------------------------- TDiagramGradient

TDiagramGradient::TDiagramGradient() : FDrawer(std::make_unique<TBlockDrawer>()) {
  FDrawer->SetOriginalRect(TSquare{0, 0, 100, 100});
}

TDiagramGradient::~TDiagramGradient() = default;

void TDiagramGradient::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TDiagramGradient*>(source)) {
    SetDirection(other->FDirection);
    SetStartColor(other->FStartColor);
    SetEndColor(other->FEndColor);
    SetVisible(other->FVisible);
    return;
  }
  TDiagramPersistent::Assign(source);
}

void TDiagramGradient::DrawGradient(TDgrBlockDrawer* drawer) const {
  if (!drawer) return;
  TDgrCanvas* canvas = drawer->Canvas();
  canvas->Pen()->SetTransparency(100);
  TDgrBrush* brush = canvas->Brush();
  brush->SetBrushMode(bmGradient);
  brush->SetGradientMode(GradientModeOf(FDirection));
  brush->SetColor(FStartColor);
  brush->SetColor2(FEndColor);
  const std::unique_ptr<TDgrGraphicsPath> path = drawer->CreatePath();
  path->AddRectangle(drawer->DestRect());
  drawer->RotatePath(*path);
  canvas->Path(*path);
}

void TDiagramGradient::DrawGradient(TCanvas* canvas, const TSquare& rect, double angle) {
  if (canvas) DrawGradient(canvas, *canvas, rect, angle);
}

void TDiagramGradient::DrawGradient(TCanvas* canvas, IRasterTarget& target, const TSquare& rect, double angle) {
  if (!canvas) return;
  canvas->Pen()->SetStyle(psClear);
  canvas->Brush()->SetStyle(bsSolid);
  DrawBandedGradient(*FDrawer, target, [canvas](TColor color) { canvas->Brush()->SetColor(color); }, FDirection,
                     FStartColor, FEndColor, rect, angle);
}

// ----------------------------------------------------------------------- The banded renderer

namespace {

// Beyond this many bands a gradient shows no more colour steps; it keeps enormous
// rectangles from taking unbounded time.
constexpr int MaxBands = 16384;

bool FirstIsEnd(TGradientDirection direction) {
  switch (direction) {
    case grBottomTop:
    case grRightLeft:
    case grInOut:
    case grHorzInOut:
    case grVertInOut: return true;
    default: return false;
  }
}

bool IsDiagonal(TGradientDirection direction) {
  return direction == grLeftTop || direction == grRightTop || direction == grLeftBottom || direction == grRightBottom;
}

TColor BandColor(TColor first, TColor second, int band, int bands) {
  if (bands < 2) return first;
  const auto channel = [&](uint8_t a, uint8_t b) { return static_cast<uint8_t>(a + MulDiv(band, b - a, bands - 1)); };
  return RGBColor(channel(GetRValue(first), GetRValue(second)), channel(GetGValue(first), GetGValue(second)),
                  channel(GetBValue(first), GetBValue(second)));
}

// Draws band rectangles given relative to the top-left corner of the gradient rectangle.
class TBandPainter {
public:
  TBandPainter(const TBlockDrawer& drawer, IRasterTarget& target, const TSquare& rect, double angle)
      : FDrawer(drawer), FTarget(target), FLeft(rect.Left), FTop(rect.Top), FTurned(angle != 0) {}

  // The band from (x1, y1) up to (x2, y2), right and bottom edge excluded. The raster
  // canvas fills a pen-less rectangle up to its right and bottom edge, one pixel further
  // than a pen-less GDI rectangle: the far corner is taken one pixel in so that the bands
  // cover the pixels they cover there.
  void Rect(double x1, double y1, double x2, double y2) const {
    const int left = Round(FLeft + x1), top = Round(FTop + y1);
    const int right = Round(FLeft + x2 + 1), bottom = Round(FTop + y2 + 1);
    if (FTurned) FDrawer.DrawRotRect(left, top, right, bottom);
    else FTarget.Rectangle(left, top, right - 1, bottom - 1);
  }

private:
  const TBlockDrawer& FDrawer;
  IRasterTarget& FTarget;
  double FLeft;
  double FTop;
  bool FTurned;
};

struct TBandGrid {
  int U;
  int V;
  int N;
  double Dx;
  double Dy;
};

TBandGrid MakeGrid(TGradientDirection direction, const TSquare& rect) {
  TBandGrid g{};
  g.U = Round(rect.Right - rect.Left);
  g.V = Round(rect.Bottom - rect.Top);
  g.N = std::min(std::max(g.U / 2, g.V / 2), MaxBands);
  if (g.N <= 0) return g;
  const double n = g.N;
  g.Dx = g.U / (n + 1);
  g.Dy = g.V / (n + 1);
  switch (direction) {
    case grTopBottom:
    case grBottomTop: g.Dy = g.V / n; break;
    case grLeftRight:
    case grRightLeft: g.Dx = g.U / n; break;
    case grInOut:
    case grOutIn:
      g.Dx = g.U / (2 * n);
      g.Dy = g.V / (2 * n);
      break;
    case grHorzInOut:
    case grHorzOutIn: g.Dy = g.V / (2 * n); break;
    case grVertInOut:
    case grVertOutIn: g.Dx = g.U / (2 * n); break;
    default:
      if (IsDiagonal(direction)) {
        g.Dx = g.U / n;
        g.Dy = g.V / n;
      }
      break;
  }
  return g;
}

void DrawBand(const TBandPainter& paint, TGradientDirection direction, const TBandGrid& g, int i) {
  const double U = g.U, V = g.V;
  const double x0 = Trunc(i * g.Dx), x1 = Trunc((i + 1) * g.Dx);
  const double y0 = Trunc(i * g.Dy), y1 = Trunc((i + 1) * g.Dy);
  // The same edges counted from the right and bottom.
  const double rx1 = U - Trunc((i + 1) * g.Dx - 1) - 1, rx0 = U - x0;
  const double by1 = V - Trunc((i + 1) * g.Dy - 1) - 1, by0 = V - y0;
  switch (direction) {
    case grTopBottom:
    case grBottomTop: paint.Rect(0, y0, U, y1); break;
    case grLeftRight:
    case grRightLeft: paint.Rect(x0, 0, x1, V); break;
    case grLeftTop:
      paint.Rect(0, y0, U, y1);
      paint.Rect(x0, 0, x1, V);
      break;
    case grRightTop:
      paint.Rect(0, y0, U, y1);
      paint.Rect(rx1, 0, rx0, V);
      break;
    case grLeftBottom:
      paint.Rect(0, by1, U, by0);
      paint.Rect(x0, 0, x1, V);
      break;
    case grRightBottom:
      paint.Rect(0, by1, U, by0);
      paint.Rect(rx1, 0, rx0, V);
      break;
    case grInOut:
    case grOutIn:
      paint.Rect(x0, y0, rx1, y1);
      paint.Rect(x0, by1, rx1, by0);
      paint.Rect(x0, y0, x1, by0);
      paint.Rect(rx1, y0, rx0, by0);
      break;
    case grHorzInOut:
    case grHorzOutIn:
      paint.Rect(0, y0, U, y1);
      paint.Rect(0, by1, U, by0);
      break;
    case grVertInOut:
    case grVertOutIn:
      paint.Rect(x0, 0, x1, V);
      paint.Rect(rx1, 0, rx0, V);
      break;
  }
}

void DrawCap(const TBandPainter& paint, TGradientDirection direction, const TBandGrid& g) {
  const double U = g.U, V = g.V;
  const double midX = g.U / 2, midY = g.V / 2;
  switch (direction) {
    case grTopBottom:
    case grBottomTop: paint.Rect(0, V - 1, U, V); break;
    case grLeftRight:
    case grRightLeft: paint.Rect(U - 1, 0, U, V); break;
    case grLeftTop:
      paint.Rect(U - 1, 0, U, V);
      paint.Rect(0, V - 1, U, V);
      break;
    case grRightTop:
      paint.Rect(0, 0, 1, V);
      paint.Rect(0, V - 1, U, V);
      break;
    case grLeftBottom:
      paint.Rect(U - 1, 0, U, V);
      paint.Rect(0, 0, U, 1);
      break;
    case grRightBottom:
      paint.Rect(0, 0, U, 1);
      paint.Rect(0, 0, 1, V);
      break;
    case grInOut:
    case grOutIn: paint.Rect(midX - 1, midY - 1, midX + 1, midY + 1); break;
    case grHorzInOut:
    case grHorzOutIn: paint.Rect(0, midY - 1, U, midY + 1); break;
    case grVertInOut:
    case grVertOutIn: paint.Rect(midX - 1, 0, midX + 1, V); break;
  }
}

}  // namespace

void DrawBandedGradient(TBlockDrawer& drawer, IRasterTarget& target, const std::function<void(TColor)>& setBandColor,
                        TGradientDirection direction, TColor startColor, TColor endColor, const TSquare& rect,
                        double angle) {
  if (!IsFinite(rect) || !std::isfinite(angle)) return;
  const TBandGrid grid = MakeGrid(direction, rect);
  if (grid.N <= 0) return;
  // System colours and stray high bytes resolve to real colours.
  TColor first = ColorToRGB(startColor), second = ColorToRGB(endColor);
  if (FirstIsEnd(direction)) std::swap(first, second);

  TBlockDrawerStateGuard keep(drawer);
  drawer.SetCanvas(&target);
  drawer.SetCurRect(rect);
  drawer.SetOriginalRect(rect);
  drawer.SetRotationType(rtCurRectCenter);
  drawer.SetAngle(angle);
  const TBandPainter paint(drawer, target, rect, angle);
  for (int i = 0; i < grid.N; ++i) {
    setBandColor(BandColor(first, second, i, grid.N));
    DrawBand(paint, direction, grid, i);
  }
  setBandColor(second);
  DrawCap(paint, direction, grid);
}

// ------------------------------------------------------------------------------ TBlockShadow

void TBlockShadow::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TBlockShadow*>(source)) {
    SetVisible(other->FVisible);
    SetColor(other->FColor);
    SetHOffset(other->FHOffset);
    SetVOffset(other->FVOffset);
    SetTransparency(other->FTransparency);
    return;
  }
  TDiagramPersistent::Assign(source);
}

void TBlockShadow::PrepareCanvas(TDgrCanvas& canvas, int blockTransparency) const {
  canvas.Pen()->SetTransparency(100);
  TDgrBrush* brush = canvas.Brush();
  brush->SetColor(FColor);
  brush->SetTransparency(CombineTransparency(FTransparency, blockTransparency));
  brush->SetBrushMode(bmSolid);
}

void TBlockShadow::PrepareCanvas(TCanvas& canvas) const {
  canvas.Pen()->SetStyle(psClear);
  canvas.Brush()->SetStyle(bsSolid);
  canvas.Brush()->SetColor(FColor);
}

TDot TBlockShadow::CanvasOffset(const std::function<TDot(const TDot&)>& clientToCanvas) const {
  if (!clientToCanvas) return TDot{static_cast<double>(FHOffset), static_cast<double>(FVOffset)};
  const TDot offset = clientToCanvas(TDot{static_cast<double>(FHOffset), static_cast<double>(FVOffset)});
  const TDot origin = clientToCanvas(TDot{0, 0});
  return TDot{offset.X - origin.X, offset.Y - origin.Y};
}

TShadowDestRectScope::TShadowDestRectScope(TDgrBlockDrawer& drawer, const TBlockShadow& shadow)
    : FDrawer(drawer), FDestRect(drawer.DestRect()) {
  FDrawer.SetDestRect(OffsetSquare(FDestRect, shadow.HOffset(), shadow.VOffset()));
}

TShadowDestRectScope::~TShadowDestRectScope() { FDrawer.SetDestRect(FDestRect); }

TBlockDrawerOffsetScope::TBlockDrawerOffsetScope(TBlockDrawer& drawer, const TDot& offset) : FGuard(drawer) {
  drawer.SetCurRect(OffsetSquare(drawer.CurRect(), offset));
  const TDot center = drawer.RotationCenter();
  drawer.SetRotationCenter(TDot{center.X + offset.X, center.Y + offset.Y});
}

// --------------------------------------------------------------------------- Outline clipping

TDgrOutlineClip::TDgrOutlineClip(TDgrCanvas& canvas, const TDgrGraphicsPath& outline) : FCanvas(canvas) {
  const std::unique_ptr<TDgrRegion> region = outline.CreateRegion();
  if (const std::optional<QRegion> platformRegion = region->GetHRGN(canvas))
    FUsedRegion = canvas.SetClip(*platformRegion) == 0;
  if (!FUsedRegion) canvas.ClipRegion(*region);
}

TDgrCanvasStyleSaver::TDgrCanvasStyleSaver(TDgrCanvas& canvas)
    : FCanvas(canvas), FPen(canvas.CreatePen()), FBrush(canvas.CreateBrush()) {
  FPen->Assign(canvas.Pen());
  FBrush->Assign(canvas.Brush());
}

TDgrCanvasStyleSaver::~TDgrCanvasStyleSaver() {
  FCanvas.Pen()->Assign(FPen.get());
  FCanvas.Brush()->Assign(FBrush.get());
}
