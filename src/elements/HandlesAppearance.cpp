#include "elements/HandlesAppearance.h"

THandleAppearance::THandleAppearance()
    : FPen(std::make_unique<TPen>()), FDisabledBrush(std::make_unique<TBrush>()),
      FBrush(std::make_unique<TBrush>()), FDisabledPen(std::make_unique<TPen>()) {}

THandleAppearance::~THandleAppearance() = default;

void THandleAppearance::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const THandleAppearance*>(source)) {
    SetPen(other->Pen());
    SetBrush(other->Brush());
    SetDisabledPen(other->DisabledPen());
    SetDisabledBrush(other->DisabledBrush());
    SetSize(other->FSize);
    SetStyle(other->FStyle);
    SetVisible(other->FVisible);
    return;
  }
  TPersistent::Assign(source);
}

THandlesAppearance::THandlesAppearance()
    : FCustom(std::make_unique<THandleAppearance>()), FRotate(std::make_unique<THandleAppearance>()),
      FRotCenter(std::make_unique<THandleAppearance>()), FSize(std::make_unique<THandleAppearance>()) {}

THandlesAppearance::~THandlesAppearance() = default;

void THandlesAppearance::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const THandlesAppearance*>(source)) {
    SetSize(other->Size());
    SetRotate(other->Rotate());
    SetCustom(other->Custom());
    SetRotCenter(other->RotCenter());
    return;
  }
  TPersistent::Assign(source);
}

namespace {

void SetSolidPen(TPen* pen, TColor color) {
  pen->SetColor(color);
  pen->SetStyle(psSolid);
  pen->SetWidth(1);
}

void SetBrush(TBrush* brush, TColor color, TBrushStyle style = bsSolid) {
  brush->SetColor(color);
  brush->SetStyle(style);
}

void SetLook(THandleAppearance* look, TColor brush, TColor pen, int size, THandleAppearanceStyle style) {
  SetBrush(look->Brush(), brush);
  SetSolidPen(look->Pen(), pen);
  look->SetSize(size);
  look->SetStyle(style);
}

void SetDisabled(THandleAppearance* look, TColor brush, TColor pen) {
  SetBrush(look->DisabledBrush(), brush);
  SetSolidPen(look->DisabledPen(), pen);
}

void ResetClassic(THandlesAppearance& looks) {
  SetLook(looks.Size(), clBlack, clBlack, 2, hhRectangle);
  SetDisabled(looks.Size(), clGray, clGray);
  SetLook(looks.Rotate(), clBlack, clBlack, 2, hhEllipse);
  looks.Rotate()->Brush()->SetStyle(bsClear);
  looks.RotCenter()->SetVisible(false);
}

void ResetVisio(THandlesAppearance& looks, bool member) {
  SetLook(looks.Size(), clLime, clBlack, 3, hhRectangle);
  SetDisabled(looks.Size(), clSilver, clBlack);
  SetLook(looks.Rotate(), clLime, clBlack, 4, hhEllipse);
  SetLook(looks.RotCenter(), clLime, clBlack, 3, hhCrossedEllipse);
  SetDisabled(looks.RotCenter(), clSilver, clBlack);
  looks.RotCenter()->SetVisible(true);
  if (!member) return;
  looks.Size()->Pen()->SetColor(clGray);
  looks.Size()->SetStyle(hhRectangleX);
  looks.Rotate()->Pen()->SetColor(clGray);
  looks.Rotate()->SetStyle(hhEllipseX);
  looks.RotCenter()->Pen()->SetColor(clGray);
}

}  // namespace

void THandlesAppearance::ResetForStyle(TDiagramHandlesStyle style, bool member) {
  if (style == hsClassic) ResetClassic(*this);
  else ResetVisio(*this, member);
  SetLook(FCustom.get(), clYellow, clBlack, 3, hhDiamond);
}
