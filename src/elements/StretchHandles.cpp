#include "elements/StretchHandles.h"
#include "elements/CustomDiagram.h"
#include "elements/DiagramControl.h"

TStretchHandle::TStretchHandle(TCollection* collection) : TCollectionItem(collection) {}

TStretchHandle::~TStretchHandle() {
  if (TDiagramControl* control = DControl()) control->HandleDestroying(this);
}

TDiagramControl* TStretchHandle::DControl() const {
  auto* handles = qobject_cast<TStretchHandles*>(Collection());
  return handles ? handles->DControl() : nullptr;
}

void TStretchHandle::SetOrX(double x) {
  if (x == FOrX) return;
  FOrX = x;
  Changed(false);
}

void TStretchHandle::SetOrY(double y) {
  if (y == FOrY) return;
  FOrY = y;
  Changed(false);
}

void TStretchHandle::SetOrPoint(const TDot& point) {
  if (point.X == FOrX && point.Y == FOrY) return;
  FOrX = point.X;
  FOrY = point.Y;
  Changed(false);
}

void TStretchHandle::SetStyle(THandleStyle style) {
  if (style == FStyle) return;
  FStyle = style;
  Changed(false);
}

bool TStretchHandle::Visible() const {
  TDiagramControl* control = DControl();
  if (!control || control->IsSelectionBlock()) return FVisible;
  const bool coveredBySelectionBlock = control->Diagram() && control->Diagram()->UsesSelectionBlock();
  const bool hidden = coveredBySelectionBlock || control->AsMember() || !control->Selected();
  return FVisible && !hidden;
}

void TStretchHandle::SetVisible(bool visible) {
  if (visible == FVisible) return;
  FVisible = visible;
  Changed(false);
}

bool TStretchHandle::IsMovable() const {
  TDiagramControl* control = DControl();
  if (!control || FAlwaysMovable) return true;
  switch (FStyle) {
    case hsSize:
    case hsCustom: return control->CanResize();
    case hsRotate: return control->CanRotate();
    case hsRotCenter: return control->CanMoveRotCenter() && control->CanRotate();
  }
  return false;
}

TDot TStretchHandle::DiagramPoint() const {
  TDiagramControl* control = DControl();
  return control ? control->HandleClientPoint(this) : OrPoint();
}

void TStretchHandle::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TStretchHandle*>(source)) {
    SetOrX(other->FOrX);
    SetOrY(other->FOrY);
    FCursor = other->FCursor;
    FData = other->FData;
    return;
  }
  TCollectionItem::Assign(source);
}

TStretchHandles::TStretchHandles(TDiagramControl* control)
    : TCollection(control, [](TCollection* c) { return new TStretchHandle(c); }), FDControl(control) {}

TStretchHandle* TStretchHandles::Add(double orX, double orY, TCursor cursor, int data, THandleStyle style) {
  auto* handle = static_cast<TStretchHandle*>(TCollection::Add());
  handle->SetOrX(orX);
  handle->SetOrY(orY);
  handle->SetCursor(cursor);
  handle->SetData(data);
  handle->SetStyle(style);
  return handle;
}

TStretchHandle* TStretchHandles::FindByData(int data) const {
  for (int i = 0; i < Count(); ++i)
    if (Handle(i)->Data() == data) return Handle(i);
  return nullptr;
}

TStretchHandle* TStretchHandles::FirstOfStyle(THandleStyle style) const {
  for (int i = 0; i < Count(); ++i)
    if (Handle(i)->Style() == style) return Handle(i);
  return nullptr;
}

TStretchHandle* TStretchHandles::RotateHandle() const { return FirstOfStyle(hsRotate); }
TStretchHandle* TStretchHandles::RotCenterHandle() const { return FirstOfStyle(hsRotCenter); }

void TStretchHandles::Update(TCollectionItem*) {
  if (FDControl) FDControl->HandlesChanged();
}

void TStretchHandles::Assign(const TPersistent* source) {
  if (source == this) return;
  const auto* other = qobject_cast<const TStretchHandles*>(source);
  if (other && Count() > 1 && other->Count() > 1) {
    AssignKeepingEnds(*other);
    return;
  }
  TCollection::Assign(source);
}

void TStretchHandles::AssignKeepingEnds(const TStretchHandles& source) {
  BeginUpdate();
  try {
    AssignInnerHandles(source);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStretchHandles::AssignInnerHandles(const TStretchHandles& source) {
  Handle(0)->Assign(source.Handle(0));
  Handle(Count() - 1)->Assign(source.Handle(source.Count() - 1));
  if (source.Count() > Count()) {
    const int count = Count();
    for (int i = 1; i <= count - 2; ++i) Handle(i)->Assign(source.Handle(i));
    for (int j = count - 1; j <= source.Count() - 2; ++j) {
      auto* added = static_cast<TStretchHandle*>(TCollection::Add());
      added->Assign(source.Handle(j));
      added->SetIndex(j);
    }
    return;
  }
  for (int i = 1; i <= source.Count() - 2; ++i) Handle(i)->Assign(source.Handle(i));
  while (Count() > source.Count()) Delete(Count() - 2);
}
