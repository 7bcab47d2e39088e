#include "elements/LineJoin.h"
#include "geometry/BlockDrawer.h"
#include "geometry/DiagramUtils.h"

TDiagramLineJoin::TDiagramLineJoin(QObject* owner) : TCustomDiagramBlock(owner) {}

void TDiagramLineJoin::AfterConstruction() {
  TCustomDiagramBlock::AfterConstruction();
  SetRestrictions(TControlRestrictions(crNoResize) | crNoRotation | crNoEdit);
  SetWidth(JoinSize);
  SetHeight(JoinSize);
  // Handles, link point and text are laid out in 0..20.
  const TSquare layout{0, 0, JoinSize, JoinSize};
  Drawer()->SetOriginalRect(layout);
  if (DgrDrawer()) DgrDrawer()->SetSourceRect(layout);
  if (HasDefaultTextCell()) TextCells()->Cell(0)->SetBoundsRect(layout);
  UpdateBlockHandles();
  LinkPoints()->Add(JoinSize / 2, JoinSize / 2, aoNone);
}

TLinkPoint* TDiagramLineJoin::JoinPoint() const {
  return LinkPoints()->Count() > 0 ? LinkPoints()->Point(0) : nullptr;
}

TDiagramControl* TDiagramLineJoin::Anchor() const { return JoinPoint() ? JoinPoint()->Anchor() : nullptr; }

void TDiagramLineJoin::SetAnchor(TDiagramControl* anchor) {
  if (TLinkPoint* point = JoinPoint()) point->SetAnchor(anchor);
}

int TDiagramLineJoin::AnchorIndex() const { return JoinPoint() ? JoinPoint()->AnchorIndex() : -1; }

void TDiagramLineJoin::SetAnchorIndex(int index) {
  if (TLinkPoint* point = JoinPoint()) point->SetAnchorIndex(index);
}

TAnchorOrientation TDiagramLineJoin::Orientation() const {
  return JoinPoint() ? JoinPoint()->Orientation() : aoNone;
}

void TDiagramLineJoin::SetOrientation(TAnchorOrientation orientation) {
  if (TLinkPoint* point = JoinPoint()) point->SetOrientation(orientation);
}

void TDiagramLineJoin::AnchorLinkChanged(TLinkPoint* linkPoint) {
  if (TLinkPoint* link = linkPoint ? linkPoint->AnchorLink() : nullptr) FOldAnchorPos = link->DiagramPoint();
}

void TDiagramLineJoin::LinkedAnchorChanged(TLinkPoint* linkPoint, TAnchorChange change) {
  TLinkPoint* link = linkPoint ? linkPoint->AnchorLink() : nullptr;
  if (!link) return;
  const TDot now = link->DiagramPoint();
  const TDot moved = SubDots(now, FOldAnchorPos);
  // Remembered before moving: the move notifies lines that may come back here.
  FOldAnchorPos = now;
  if (IsFinite(moved) && (moved.X != 0 || moved.Y != 0)) MoveBy(moved.X, moved.Y);
}

void TDiagramLineJoin::CentreOnAnchor() {
  TLinkPoint* point = JoinPoint();
  TLinkPoint* link = point ? point->AnchorLink() : nullptr;
  if (!link) return;
  const TDot target = link->DiagramPoint();
  const TDot centre = point->DiagramPoint();
  if (IsFinite(target) && IsFinite(centre)) MoveBy(target.X - centre.X, target.Y - centre.Y);
  FOldAnchorPos = target;
}

void TDiagramLineJoin::Loaded() {
  TCustomDiagramBlock::Loaded();
  // The join's position is not stored: it sits on its anchor.
  CentreOnAnchor();
}
