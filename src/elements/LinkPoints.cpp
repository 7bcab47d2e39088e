#include "elements/LinkPoints.h"
#include "elements/CustomDiagram.h"
#include "elements/DiagramControl.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <unordered_set>

TLinkPoint::TLinkPoint(TCollection* collection) : TCollectionItem(collection) {
  if (auto* points = qobject_cast<TLinkPoints*>(collection)) {
    const bool ownerIsLine = points->DControl() && points->DControl()->IsLine();
    FCanAnchor = ownerIsLine;
    FCanAnchorInMove = ownerIsLine;
  }
}

TLinkPoint::~TLinkPoint() {
  SetAnchor(nullptr);
  ReleaseAnchoreds();
}

void TLinkPoint::ReleaseAnchoreds() {
  // Points anchored here must not keep an index that now points elsewhere or nowhere.
  const std::vector<TLinkPoint*> anchoreds = FAnchoreds;
  for (TLinkPoint* other : anchoreds) other->AnchorChanged(acRemoval);
}

void TLinkPoint::RenumberAnchoreds(int index) {
  for (TLinkPoint* other : FAnchoreds) {
    other->FAnchorIndex = index;
    if (TDiagramControl* owner = other->DControl()) owner->ForgetStreamRecord();  // it writes the index
  }
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
  // A point outside any element's collection cannot be anchored to.
  if (link && !link->DControl()) link = nullptr;
  if (!link) {
    SetAnchor(nullptr);
    SetAnchorIndex(-1);
    return;
  }
  SetAnchor(link->DControl());
  SetAnchorIndex(link->Index());
}

namespace {

quint64 AnchoringRevision = 0;

}  // namespace

quint64 LinkPointAnchoringRevision() { return AnchoringRevision; }

void TLinkPoint::LeaveAnchorLink() {
  TLinkPoint* link = AnchorLink();
  if (!link) return;
  auto& list = link->FAnchoreds;
  auto it = std::find(list.begin(), list.end(), this);
  if (it != list.end()) {
    list.erase(it);
    ++AnchoringRevision;
  }
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
  if (std::find(list.begin(), list.end(), this) == list.end()) {
    list.push_back(this);
    ++AnchoringRevision;
  }
  TDiagramControl* owner = DControl();
  if (owner && owner->IsLine()) FAnchor->LinkAdded(owner, this);
}

void TLinkPoint::SetLinkConstraint(TLinkConstraint constraint) {
  FLinkConstraint = constraint;
  if (TDiagramControl* owner = DControl()) owner->ForgetStreamRecord();
}

void TLinkPoint::SetVisible(bool visible) {
  FVisible = visible;
  if (TDiagramControl* owner = DControl()) owner->ForgetStreamRecord();
}

void TLinkPoint::NotifyOwnerAnchorChanged(bool evenWhileDestroying) {
  TDiagramControl* owner = DControl();
  if (!owner) return;
  owner->ForgetStreamRecord();
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

bool TLinkPoint::IsNode() const {
  if (FAnchoreds.empty()) return false;
  if (FCollapsable) return true;
  TDiagramControl* owner = DControl();
  return owner && owner->Diagram() && owner->Diagram()->AutomaticNodes();
}

void TLinkPoint::SetCollapsed(bool value) {
  TDiagramControl* owner = DControl();
  if (!owner || owner->IsLoading()) {
    FCollapsed = value;
    return;
  }
  const bool collapse = value && IsNode();
  if (collapse == FCollapsed) return;
  std::vector<TDiagramControl*> branch;
  if (!CollectBranch(branch)) return;
  for (TDiagramControl* control : branch) {
    control->SetCollapsed(collapse);
    if (collapse) control->SetSelected(false);
  }
  FCollapsed = collapse;
  Changed(false);
}

bool TLinkPoint::CollectBranch(std::vector<TDiagramControl*>& branch) const {
  const TDiagramControl* owner = DControl();
  std::unordered_set<const TDiagramControl*> seen;
  std::deque<TDiagramControl*> pending;
  // False when the walk comes back to the owner.
  auto reach = [&](TDiagramControl* control) {
    if (!control) return true;
    if (control == owner) return false;
    if (seen.insert(control).second) {
      branch.push_back(control);
      pending.push_back(control);
    }
    return true;
  };
  for (TLinkPoint* anchored : FAnchoreds)
    if (!reach(anchored->DControl())) return false;
  while (!pending.empty()) {
    TDiagramControl* control = pending.front();
    pending.pop_front();
    TLinkPoints* points = control->LinkPoints();
    for (int i = 0; points && i < points->Count(); ++i) {
      TLinkPoint* point = points->Point(i);
      if (point == this || point->Collapsed()) continue;
      for (TLinkPoint* anchored : point->FAnchoreds)
        if (!reach(anchored->DControl())) return false;
      TLinkPoint* anchorLink = point->AnchorLink();
      if (anchorLink && anchorLink != this && !reach(anchorLink->DControl())) return false;
    }
  }
  return true;
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

void TLinkPoints::Update(TCollectionItem* item) {
  if (!item) RenumberAll();
  if (FDControl) FDControl->Redraw();
}

void TLinkPoints::Notify(TCollectionItem* item, TCollectionNotification action) {
  if (FDControl) FDControl->ForgetStreamRecord();  // points added or taken away
  TCollection::Notify(item, action);
  if (action == TCollectionNotification::Added) {
    RenumberAll();
    return;
  }
  // Leaving while still at its index, so the points anchored here find it; the points
  // after it move one place down.
  auto* point = static_cast<TLinkPoint*>(item);
  point->ReleaseAnchoreds();
  const int index = IndexOf(point);
  for (int i = index + 1; index >= 0 && i < Count(); ++i) Point(i)->RenumberAnchoreds(i - 1);
}

void TLinkPoints::RenumberAll() {
  for (int i = 0; i < Count(); ++i) Point(i)->RenumberAnchoreds(i);
}

// --- Linking rules and searches ------------------------------------------------------------

namespace {

bool ConstraintAdmits(TLinkConstraint constraint, const TLinkPoint* lineEnd) {
  const TDiagramControl* owner = lineEnd->DControl();
  const bool ofLine = owner && owner->IsLine();
  switch (constraint) {
    case lcAll: return true;
    case lcSourceOnly: return ofLine && lineEnd->Index() == 0;
    case lcTargetOnly: return ofLine && lineEnd->Index() == 1;
    case lcNone: return false;
  }
  return false;
}

bool Near(const TDot& a, const TDot& b) {
  return std::abs(a.X - b.X) <= LinkPointSearchTolerance && std::abs(a.Y - b.Y) <= LinkPointSearchTolerance;
}

bool SearchesElement(const TDiagramControl* control, const TLinkPointSearch& search) {
  if (!control || control == search.Exclude || !control->IsVisible()) return false;
  return !(search.OnlyUnselected && control->Selected());
}

}  // namespace

bool CanAnchorTo(const TLinkPoint* lineEnd, const TLinkPoint* target) {
  if (!lineEnd || !target) return false;
  TDiagramControl* lineOwner = lineEnd->DControl();
  TDiagramControl* targetOwner = target->DControl();
  if (!lineEnd->CanAnchor() || !target->AcceptAnchoreds() || !target->Visible()) return false;
  if (target->Style() == ptImplicit || !targetOwner || targetOwner == lineOwner) return false;
  if (!ConstraintAdmits(target->LinkConstraint(), lineEnd)) return false;
  if (!targetOwner->CanLink() || (lineOwner && !lineOwner->CanLink())) return false;
  TCustomDiagram* diagram = lineOwner && lineOwner->Diagram() ? lineOwner->Diagram() : targetOwner->Diagram();
  return !diagram || diagram->AcceptAnchor(const_cast<TLinkPoint*>(lineEnd), const_cast<TLinkPoint*>(target));
}

TLinkPoint* LinkPointNear(const TDiagramControl* control, const TDot& pos, const TLinkPointSearch& search) {
  TLinkPoints* points = control ? control->LinkPoints() : nullptr;
  for (int i = 0; points && i < points->Count(); ++i) {
    TLinkPoint* point = points->Point(i);
    if (!point->Visible() || point->Style() == ptImplicit) continue;
    if (search.OnlyNodes && !point->IsNode()) continue;
    if (search.OnlyAcceptAnchoreds && !point->AcceptAnchoreds()) continue;
    if (Near(point->DiagramPoint(), pos)) return point;
  }
  return nullptr;
}

TLinkPoint* LinkPointAtPos(const TCustomDiagram* diagram, const TDot& pos, const TLinkPointSearch& search) {
  if (!diagram) return nullptr;
  for (bool blocksOnly : {true, false}) {
    for (int i = diagram->ControlCount() - 1; i >= 0; --i) {
      const TDiagramControl* control = diagram->ControlAt(i);
      if (blocksOnly && !control->IsBlock()) continue;
      if (!SearchesElement(control, search)) continue;
      if (TLinkPoint* point = LinkPointNear(control, pos, search)) return point;
    }
  }
  return nullptr;
}

quint32 CollapsedNodesMask(const TLinkPoints* points) {
  quint32 mask = 0;
  const int count = points ? std::min(points->Count(), 32) : 0;
  for (int i = 0; i < count; ++i)
    if (points->Point(i)->Collapsed()) mask |= quint32(1) << i;
  return mask;
}

void ApplyCollapsedNodesMask(TLinkPoints* points, qint64 mask) {
  const int count = points ? std::min(points->Count(), 32) : 0;
  for (int i = 0; i < count; ++i)
    if (mask & (qint64(1) << i)) points->Point(i)->SetCollapsedFlag(true);
}

bool AnchorHandleLinkPoint(TDiagramControl* control, TStretchHandle* handle, TLinkPoint* anchor) {
  TLinkPoint* tied = control && handle ? control->HandleLinkPoint(handle) : nullptr;
  if (!tied) return false;
  tied->SetAnchorLink(anchor);
  return true;
}
