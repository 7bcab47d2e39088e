#include "elements/LinkPoints.h"
#include "elements/CustomDiagram.h"
#include "elements/DiagramControl.h"

#include <algorithm>

TLinkPoint::TLinkPoint(TCollection* collection) : TCollectionItem(collection) {
  if (auto* points = qobject_cast<TLinkPoints*>(collection)) {
    const bool ownerIsLine = points->DControl() && points->DControl()->IsLine();
    FCanAnchor = ownerIsLine;
    FCanAnchorInMove = ownerIsLine;
  }
}

TLinkPoint::~TLinkPoint() {
  SetAnchor(nullptr);
  // Points anchored here must not keep an index that now points elsewhere or nowhere.
  const std::vector<TLinkPoint*> anchoreds = FAnchoreds;
  for (TLinkPoint* other : anchoreds) other->AnchorChanged(acRemoval);
}

TDiagramControl* TLinkPoint::DControl() const {
  auto* points = qobject_cast<TLinkPoints*>(Collection());
  return points ? points->DControl() : nullptr;
}

TLinkPoint* TLinkPoint::AnchorLink() const {
  if (!FAnchor || FAnchorIndex < 0) return nullptr;
  TLinkPoints* points = FAnchor->LinkPoints();
  if (!points || FAnchorIndex >= points->Count()) return nullptr;
  return points->Point(FAnchorIndex);
}

void TLinkPoint::SetAnchorLink(TLinkPoint* link) {
  if (!link) {
    SetAnchor(nullptr);
    SetAnchorIndex(-1);
    return;
  }
  SetAnchor(link->DControl());
  SetAnchorIndex(link->Index());
}

void TLinkPoint::LeaveAnchorLink() {
  TLinkPoint* link = AnchorLink();
  if (!link) return;
  auto& list = link->FAnchoreds;
  auto it = std::find(list.begin(), list.end(), this);
  if (it != list.end()) list.erase(it);
  TDiagramControl* owner = DControl();
  if (owner && owner->IsLine() && link->DControl()) link->DControl()->LinkRemoved(owner, this);
}

void TLinkPoint::JoinAnchorLink() {
  if (!FAnchor || FAnchorIndex < 0) return;
  TLinkPoint* link = AnchorLink();
  if (!link) {
    FAnchorIndex = -1;
    return;
  }
  auto& list = link->FAnchoreds;
  if (std::find(list.begin(), list.end(), this) == list.end()) list.push_back(this);
  TDiagramControl* owner = DControl();
  if (owner && owner->IsLine()) FAnchor->LinkAdded(owner, this);
}

void TLinkPoint::NotifyOwnerAnchorChanged(bool evenWhileDestroying) {
  TDiagramControl* owner = DControl();
  if (!owner) return;
  if (!evenWhileDestroying && owner->IsDestroying()) return;
  owner->AnchorLinkChanged(this);
}

void TLinkPoint::SetAnchor(TDiagramControl* anchor) {
  if (anchor == FAnchor) return;
  LeaveAnchorLink();
  FAnchor = anchor;
  JoinAnchorLink();
  NotifyOwnerAnchorChanged(false);
}

void TLinkPoint::SetAnchorIndex(int index) {
  if (index == FAnchorIndex) return;
  LeaveAnchorLink();
  FAnchorIndex = index;
  JoinAnchorLink();
  NotifyOwnerAnchorChanged(true);
}

void TLinkPoint::SetOrX(double x) {
  if (x == FOrX) return;
  FOrX = x;
  Changed(false);
}

void TLinkPoint::SetOrY(double y) {
  if (y == FOrY) return;
  FOrY = y;
  Changed(false);
}

void TLinkPoint::SetOrPoint(const TDot& point) {
  if (point.X == FOrX && point.Y == FOrY) return;
  FOrX = point.X;
  FOrY = point.Y;
  Changed(false);
}

void TLinkPoint::SetOrientation(TAnchorOrientation orientation) {
  if (orientation == FOrientation) return;
  FOrientation = orientation;
  Changed(false);
}

TAnchorOrientation TLinkPoint::RealOrientation() const {
  TDiagramControl* owner = DControl();
  if (!owner || owner->Angle() == 0) return FOrientation;
  const int quarterTurns = Trunc((owner->Angle() + 45) / 90);
  if (quarterTurns < 1 || quarterTurns > 3) return FOrientation;
  static const TAnchorOrientation kClockwise[] = {aoNone, aoVert, aoHorz, aoRight, aoLeft, aoUp, aoDown};
  TAnchorOrientation result = FOrientation;
  for (int i = 0; i < quarterTurns; ++i) result = kClockwise[result];
  return result;
}

void TLinkPoint::SetCollapsable(bool value) {
  if (value == FCollapsable) return;
  FCollapsable = value;
  Changed(false);
}

void TLinkPoint::SetCollapsed(bool value) {
  // The branch walk that hides the controls behind this point comes with node collapsing;
  // until then the flag is stored as given.
  if (value == FCollapsed) return;
  FCollapsed = value;
  Changed(false);
}

TLinkPointStyle TLinkPoint::Style() const {
  TDiagramControl* owner = DControl();
  return owner && owner->Diagram() ? owner->LinkPointStyle() : ptCross;
}

TDot TLinkPoint::DiagramPoint() const {
  TDiagramControl* owner = DControl();
  return owner ? owner->LinkPointClientPoint(this) : OrPoint();
}

void TLinkPoint::AnchorChanged(TAnchorChange change) {
  TDiagramControl* owner = DControl();
  if (change == acRemoval) {
    SetAnchor(nullptr);
    SetAnchorIndex(-1);
  }
  if (owner) owner->LinkedAnchorChanged(this, change);
}

void TLinkPoint::Assign(const TPersistent* source) {
  if (auto* other = qobject_cast<const TLinkPoint*>(source)) {
    FOrX = other->FOrX;
    FOrY = other->FOrY;
    Changed(false);
    return;
  }
  TCollectionItem::Assign(source);
}

TLinkPoints::TLinkPoints(TDiagramControl* control, TItemFactory factory)
    : TCollection(control, std::move(factory)), FDControl(control) {}

TLinkPoint* TLinkPoints::Add(double orX, double orY, TAnchorOrientation orientation) {
  auto* point = static_cast<TLinkPoint*>(TCollection::Add());
  BeginUpdate();
  point->SetOrPoint({orX, orY});
  point->SetOrientation(orientation);
  EndUpdate();
  return point;
}

void TLinkPoints::Update(TCollectionItem*) {
  if (FDControl) FDControl->Redraw();
}
