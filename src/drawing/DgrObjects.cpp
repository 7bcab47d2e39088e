#include "drawing/DgrObjects.h"

// ------------------------------------------------------------------------------------ TDgrPen

void TDgrPen::Assign(const TPersistent* source) {
  if (const auto* pen = qobject_cast<const TDgrPen*>(source)) {
    SetColor(pen->FColor);
    SetWidth(pen->FWidth);
    SetTransparency(pen->FTransparency);
    return;
  }
  if (const auto* pen = qobject_cast<const TPen*>(source)) {
    SetColor(pen->Color());
    SetWidth(pen->Width());
    AssignPlatformStyle(pen->Style());
    return;
  }
  TDgrGraphicsObject::Assign(source);
}

// ---------------------------------------------------------------------------------- TDgrBrush

TDgrBrush::TDgrBrush() = default;
TDgrBrush::~TDgrBrush() = default;

void TDgrBrush::SetColor(TColor value) {
  if (value == FColor && FTransp1 == -1) return;
  FColor = value;
  FTransp1 = -1;
  Changed();
}

void TDgrBrush::SetColor2(TColor value) {
  if (value == FColor2 && FTransp2 == -1) return;
  FColor2 = value;
  FTransp2 = -1;
  Changed();
}

void TDgrBrush::SetTransparency(int value) {
  value = ClampTransparency(value);
  if (value == FTransparency && FTransp1 == -1 && FTransp2 == -1) return;
  FTransparency = value;
  FTransp1 = -1;
  FTransp2 = -1;
  Changed();
}

void TDgrBrush::SetColorOverrides(int transp1, int transp2) {
  transp1 = transp1 == -1 ? -1 : ClampTransparency(transp1);
  transp2 = transp2 == -1 ? -1 : ClampTransparency(transp2);
  if (transp1 == FTransp1 && transp2 == FTransp2) return;
  FTransp1 = transp1;
  FTransp2 = transp2;
  Changed();
}

std::unique_ptr<TDgrPicture> TDgrBrush::CreateTexture() const { return std::make_unique<TDgrPicture>(); }

TDgrPicture* TDgrBrush::Texture() const {
  if (!FTexture) {
    FTexture = CreateTexture();
    auto* self = const_cast<TDgrBrush*>(this);
    FTexture->OnPictureChange = [self](TPersistent*) { self->Changed(); };
  }
  return FTexture.get();
}

void TDgrBrush::SetTexture(const TDgrPicture* value) { Texture()->Assign(value); }

void TDgrBrush::UpdateBrushPosition(const TSquare& rect, double angle, const TDot& center) {
  FPositionRect = rect;
  FPositionAngle = angle;
  FPositionCenter = center;
  DoUpdateBrushPosition(rect, angle, center);
  Changed();
}

void TDgrBrush::Assign(const TPersistent* source) {
  if (const auto* brush = qobject_cast<const TDgrBrush*>(source)) {
    SetColor(brush->FColor);
    SetTransparency(brush->FTransparency);
    SetBrushMode(brush->FBrushMode);
    SetColor2(brush->FColor2);
    SetGradientMode(brush->FGradientMode);
    if (brush->FTexture) SetTexture(brush->FTexture.get());
    else if (FTexture) FTexture->Assign(nullptr);
    return;
  }
  if (const auto* brush = qobject_cast<const TBrush*>(source)) {
    FColor = brush->Color();
    FTransp2 = 100;
    switch (brush->Style()) {
      case bsSolid: FBrushMode = bmSolid; break;
      case bsClear: FBrushMode = bmClear; break;
      default: FBrushMode = bmHatch; break;
    }
    AssignPlatformStyle(brush->Style());
    Changed();
    return;
  }
  TDgrGraphicsObject::Assign(source);
}
