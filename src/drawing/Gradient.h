#pragma once
// Gradient and shadow settings of blocks and of the diagram background. Owners hook
// OnChange to redraw; rendering lives with the drawing engines.

#include "platform/Component.h"
#include "platform/GraphicsTypes.h"

#include <functional>

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
  TGradientDirection Direction() const { return FDirection; }
  void SetDirection(TGradientDirection value) { SetField(FDirection, value); }
  TColor StartColor() const { return FStartColor; }
  void SetStartColor(TColor value) { SetField(FStartColor, value); }
  TColor EndColor() const { return FEndColor; }
  void SetEndColor(TColor value) { SetField(FEndColor, value); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { SetField(FVisible, value); }

  void Assign(const TPersistent* source) override {
    if (auto* other = qobject_cast<const TDiagramGradient*>(source)) {
      SetDirection(other->FDirection);
      SetStartColor(other->FStartColor);
      SetEndColor(other->FEndColor);
      SetVisible(other->FVisible);
      return;
    }
    TDiagramPersistent::Assign(source);
  }

private:
  TGradientDirection FDirection = grTopBottom;
  TColor FStartColor = clWhite;
  TColor FEndColor = clYellow;
  bool FVisible = false;
};

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
  void SetTransparency(int value) { SetField(FTransparency, value < 0 ? 0 : value > 100 ? 100 : value); }

  void Assign(const TPersistent* source) override {
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

private:
  bool FVisible = false;
  TColor FColor = clGray;
  int FHOffset = 2;
  int FVOffset = 2;
  int FTransparency = 0;
};
