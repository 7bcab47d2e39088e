#pragma once
// Pen and brush of the drawing layer. Engines derive from them and cache a native object
// built from the fields; every setter that changes a value calls Changed, which fires
// OnChange and lets the engine drop its cache.

#include "drawing/DgrImages.h"
#include "drawing/DgrTypes.h"
#include "geometry/DiagramTypes.h"
#include "platform/Graphics.h"

#include <memory>

class TDgrGraphicsObject : public TPersistent {
  Q_OBJECT
public:
  TChangeEvent OnChange;

protected:
  virtual void Changed() {
    if (OnChange) OnChange(this);
  }
  template <class T, class U>
  void SetField(T& field, const U& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
};

class TDgrPen : public TDgrGraphicsObject {
  Q_OBJECT
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(int Transparency READ Transparency WRITE SetTransparency)
  Q_PROPERTY(double Width READ Width WRITE SetWidth)
  DGR_DEFAULT(Color, 0)
public:
  double Width() const { return FWidth; }
  void SetWidth(double value) { SetField(FWidth, value); }
  TColor Color() const { return FColor; }
  void SetColor(TColor value) { SetField(FColor, value); }
  int Transparency() const { return FTransparency; }
  // Kept within 0..100; 100 hides the outline.
  void SetTransparency(int value) { SetField(FTransparency, ClampTransparency(value)); }
  uint8_t PenAlpha() const { return TransparencyToAlpha(FTransparency); }

  // From another pen: colour, width, transparency. From a platform pen: colour and width
  // (engines add the dash pattern and hide psClear pens).
  void Assign(const TPersistent* source) override;

protected:
  // Engines take the platform pen's style here.
  virtual void AssignPlatformStyle(TPenStyle style) {}

private:
  double FWidth = 0.24;
  TColor FColor = clBlack;
  int FTransparency = 0;
};

class TDgrBrush : public TDgrGraphicsObject {
  Q_OBJECT
  Q_PROPERTY(TColor Color READ Color WRITE SetColor)
  Q_PROPERTY(TColor Color2 READ Color2 WRITE SetColor2)
  Q_PROPERTY(int Transparency READ Transparency WRITE SetTransparency)
  Q_PROPERTY(DrawingEnums::TDgrBrushMode BrushMode READ BrushMode WRITE SetBrushMode)
  Q_PROPERTY(DrawingEnums::TDgrGradientMode GradientMode READ GradientMode WRITE SetGradientMode)
  Q_PROPERTY(TDgrPicture* Texture READ Texture WRITE SetTexture)
  DGR_DEFAULT(Color, 0xFFFFFF)
  DGR_DEFAULT(Transparency, 0)
public:
  TDgrBrush();
  ~TDgrBrush() override;

  TColor Color() const { return FColor; }
  // Also makes Color follow Transparency again.
  void SetColor(TColor value);
  TColor Color2() const { return FColor2; }
  // Also makes Color2 follow Transparency again.
  void SetColor2(TColor value);
  int Transparency() const { return FTransparency; }
  // Kept within 0..100; both colours follow it from now on (even when unchanged).
  void SetTransparency(int value);
  TDgrBrushMode BrushMode() const { return FBrushMode; }
  void SetBrushMode(TDgrBrushMode value) { SetField(FBrushMode, value); }
  TDgrGradientMode GradientMode() const { return FGradientMode; }
  void SetGradientMode(TDgrGradientMode value) { SetField(FGradientMode, value); }
  // The owned texture, of the engine's picture class (made on first use).
  TDgrPicture* Texture() const;
  // Copies the picture.
  void SetTexture(const TDgrPicture* value);

  // Alpha of Color and Color2: of their override when set, else of Transparency.
  uint8_t ForeAlpha() const { return TransparencyToAlpha(FTransp1 != -1 ? FTransp1 : FTransparency); }
  uint8_t BackAlpha() const { return TransparencyToAlpha(FTransp2 != -1 ? FTransp2 : FTransparency); }

  // Where gradients and textures are laid out: the rectangle of the shape, turned by
  // angle degrees about center.
  void UpdateBrushPosition(const TSquare& rect, double angle, const TDot& center);
  const TSquare& PositionRect() const { return FPositionRect; }
  double PositionAngle() const { return FPositionAngle; }
  const TDot& PositionCenter() const { return FPositionCenter; }

  // From another brush: colours, transparency, modes and texture. From a platform brush:
  // its colour (keeping Color's override), an invisible second colour, and bmSolid,
  // bmClear or bmHatch by its style (engines add the hatch pattern).
  void Assign(const TPersistent* source) override;

protected:
  virtual std::unique_ptr<TDgrPicture> CreateTexture() const;
  virtual void DoUpdateBrushPosition(const TSquare& rect, double angle, const TDot& center) {}
  // Engines take the platform brush's hatch style here.
  virtual void AssignPlatformStyle(TBrushStyle style) {}
  void SetColorOverrides(int transp1, int transp2);

private:
  TColor FColor = clWhite;
  int FTransparency = 0;
  TDgrBrushMode FBrushMode = bmSolid;
  TColor FColor2 = clBlack;
  TDgrGradientMode FGradientMode = gmTopBottom;
  mutable std::unique_ptr<TDgrPicture> FTexture;
  int FTransp1 = 0;
  int FTransp2 = 0;
  TSquare FPositionRect;
  double FPositionAngle = 0;
  TDot FPositionCenter;
};
