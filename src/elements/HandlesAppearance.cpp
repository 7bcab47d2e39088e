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
