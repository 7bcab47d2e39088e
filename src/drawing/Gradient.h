#pragma once
// Gradient and shadow settings of blocks and of the diagram background, and their
// rendering. Owners hook OnChange to redraw.
//
// Two renderers draw a gradient:
// - path mode, DrawGradient(TDgrBlockDrawer*): the drawer's canvas brush in gradient mode
//   fills DestRect, turned like the shape (callers clip to the outline first);
// - plain mode, DrawGradient(TCanvas*, rect, angle): bands of solid colour on the raster
//   canvas, computed in integers, turned about the rectangle's centre.
//
// The block paint uses the helpers below: CombineTransparency for the shadow,
// TShadowDestRectScope / TBlockDrawerOffsetScope to move a shape for its shadow layer,
// TDgrOutlineClip to clip to an outline, TDgrCanvasStyleSaver to restore pen and brush.

#include "drawing/DgrClasses.h"
#include "geometry/BlockDrawer.h"
#include "platform/Component.h"
#include "platform/GraphicsTypes.h"

#include <functional>
#include <memory>

class TCanvas;

namespace GradientEnums {
Q_NAMESPACE
enum TGradientDirection {
  grTopBottom, grBottomTop, grLeftRight, grRightLeft, grLeftTop, grRightTop, grLeftBottom,
  grRightBottom, grInOut, grOutIn, grHorzInOut, grHorzOutIn, grVertInOut, grVertOutIn
};
Q_ENUM_NS(TGradientDirection)
}  // namespace GradientEnums
using GradientEnums::TGradientDirection;
using enum GradientEnums::TGradientDirection;

// The brush mode of a direction: the same ordinal.
inline TDgrGradientMode GradientModeOf(TGradientDirection direction) {
  return static_cast<TDgrGradientMode>(static_cast<int>(direction));
}

// 100 - (100 - a) * (100 - b) div 100, both taken within 0..100: 50 and 50 give 75.
int CombineTransparency(int a, int b);

// number * numerator / denominator rounded to the nearest integer (halves away from zero),
// computed without overflow; -1 when denominator is 0.
int MulDiv(int number, int numerator, int denominator);

// Base of settings objects owned by an element or the diagram: changes reach the owner.
class TDiagramPersistent : public TPersistent {
  Q_OBJECT
public:
  std::function<void()> OnChange;

protected:
  void Changed() {
    if (OnChange) OnChange();
  }
  template <class T, class U>
  void SetField(T& field, const U& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
};

class TDiagramGradient : public TDiagramPersistent {
  Q_OBJECT
  Q_PROPERTY(GradientEnums::TGradientDirection Direction READ Direction WRITE SetDirection)
  Q_PROPERTY(TColor StartColor READ StartColor WRITE SetStartColor)
  Q_PROPERTY(TColor EndColor READ EndColor WRITE SetEndColor)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
public:
  TDiagramGradient();
  ~TDiagramGradient() override;

  TGradientDirection Direction() const { return FDirection; }
  void SetDirection(TGradientDirection value) { SetField(FDirection, value); }
  TColor StartColor() const { return FStartColor; }
  void SetStartColor(TColor value) { SetField(FStartColor, value); }
  TColor EndColor() const { return FEndColor; }
  void SetEndColor(TColor value) { SetField(FEndColor, value); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { SetField(FVisible, value); }

  void Assign(const TPersistent* source) override;

  // Path mode: fills the drawer's DestRect, turned by its Angle, with the gradient. Sets the
  // canvas pen invisible and the brush to the gradient (keeping the brush Transparency the
  // caller chose); the caller restores them.
  void DrawGradient(TDgrBlockDrawer* drawer) const;
  // Plain mode: bands on the raster canvas over rect (canvas pixels), turned by angle
  // degrees about its centre. Leaves the pen clear and the brush in the last colour.
  void DrawGradient(TCanvas* canvas, const TSquare& rect, double angle);
  // The same bands drawn into target, with the canvas's pen and brush set as above.
  void DrawGradient(TCanvas* canvas, IRasterTarget& target, const TSquare& rect, double angle);

private:
  TGradientDirection FDirection = grTopBottom;
  TColor FStartColor = clWhite;
  TColor FEndColor = clYellow;
  std::unique_ptr<TBlockDrawer> FDrawer;
  bool FVisible = false;
};

// The banded renderer on any raster target: setBandColor is called before each band's
// rectangles are drawn (the target's pen must be clear and its brush solid). drawer is
// re-targeted at target, rect and angle for the call.
void DrawBandedGradient(TBlockDrawer& drawer, IRasterTarget& target, const std::function<void(TColor)>& setBandColor,
                        TGradientDirection direction, TColor startColor, TColor endColor, const TSquare& rect,
                        double angle);

class TBlockShadow : public TDiagramPersistent {
  Q_OBJECT
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(int HOffset READ HOffset WRITE SetHOffset)
  Q_PROPERTY(int VOffset READ VOffset WRITE SetVOffset)
  Q_PROPERTY(int Transparency READ Transparency WRITE SetTransparency)
public:
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { SetField(FVisible, value); }
  TColor Color() const { return FColor; }
  void SetColor(TColor value) { SetField(FColor, value); }
  int HOffset() const { return FHOffset; }
  void SetHOffset(int value) { SetField(FHOffset, value); }
  int VOffset() const { return FVOffset; }
  void SetVOffset(int value) { SetField(FVOffset, value); }
  int Transparency() const { return FTransparency; }
  // Kept within 0..100.
  void SetTransparency(int value) { SetField(FTransparency, ClampTransparency(value)); }

  void Assign(const TPersistent* source) override;

  // Path mode: no outline, a solid fill of Color with the shadow's transparency combined
  // with the block's.
  void PrepareCanvas(TDgrCanvas& canvas, int blockTransparency) const;
  // Plain mode: clear pen, solid brush of Color (the shadow's transparency does not apply).
  void PrepareCanvas(TCanvas& canvas) const;
  // Plain mode: the offset in canvas pixels. clientToCanvas converts diagram client
  // coordinates (pass nullptr for a block without diagram: the offsets as they are).
  TDot CanvasOffset(const std::function<TDot(const TDot&)>& clientToCanvas) const;

private:
  bool FVisible = false;
  TColor FColor = clGray;
  int FHOffset = 2;
  int FVOffset = 2;
  int FTransparency = 0;
};

// Path mode: moves the drawer's DestRect by the shadow offsets (world units) for a scope;
// RotationCenter stays, so on a turned block the offset turns with it.
class TShadowDestRectScope {
public:
  TShadowDestRectScope(TDgrBlockDrawer& drawer, const TBlockShadow& shadow);
  ~TShadowDestRectScope();
  TShadowDestRectScope(const TShadowDestRectScope&) = delete;
  TShadowDestRectScope& operator=(const TShadowDestRectScope&) = delete;

private:
  TDgrBlockDrawer& FDrawer;
  TSquare FDestRect;
};

// Plain mode: moves a raster drawer's rectangle (and an explicit rotation centre) by offset
// for a scope, so the shadow is offset by the same screen vector at every angle.
class TBlockDrawerOffsetScope {
public:
  TBlockDrawerOffsetScope(TBlockDrawer& drawer, const TDot& offset);
  TBlockDrawerOffsetScope(const TBlockDrawerOffsetScope&) = delete;
  TBlockDrawerOffsetScope& operator=(const TBlockDrawerOffsetScope&) = delete;

private:
  TBlockDrawerStateGuard FGuard;
};

// Clips a path-mode canvas to the interior of an outline (already in world units) for a
// scope: through a platform region when the canvas takes one, otherwise with a path clip.
// The clip is reset when the scope ends, also when an exception passes.
class TDgrOutlineClip {
public:
  TDgrOutlineClip(TDgrCanvas& canvas, const TDgrGraphicsPath& outline);
  ~TDgrOutlineClip() { FCanvas.ResetClip(); }
  TDgrOutlineClip(const TDgrOutlineClip&) = delete;
  TDgrOutlineClip& operator=(const TDgrOutlineClip&) = delete;
  // Whether the platform region was taken (false: the path clip was used).
  bool UsedRegion() const { return FUsedRegion; }

private:
  TDgrCanvas& FCanvas;
  bool FUsedRegion = false;
};

// Keeps copies of a canvas's pen and brush and puts them back when the scope ends.
class TDgrCanvasStyleSaver {
public:
  explicit TDgrCanvasStyleSaver(TDgrCanvas& canvas);
  ~TDgrCanvasStyleSaver();
  TDgrCanvasStyleSaver(const TDgrCanvasStyleSaver&) = delete;
  TDgrCanvasStyleSaver& operator=(const TDgrCanvasStyleSaver&) = delete;

private:
  TDgrCanvas& FCanvas;
  std::unique_ptr<TDgrPen> FPen;
  std::unique_ptr<TDgrBrush> FBrush;
};
