#include "elements/GroupBlocks.h"

#include "elements/CustomDiagram.h"
#include "elements/Lines.h"
#include "geometry/DiagramUtils.h"
#include "geometry/PolygonGeometry.h"
#include "platform/Canvas.h"

#include <cmath>

namespace {

TDot Centre(const TSquare& r) { return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}; }

TSquare CentredOn(const TDot& centre, double width, double height) {
  return {centre.X - width / 2, centre.Y - height / 2, centre.X + width / 2, centre.Y + height / 2};
}

// The largest rectangle of the given aspect ratio centred inside r.
TSquare FitAspect(const TSquare& r, double width, double height) {
  const double w = std::abs(r.Width());
  const double h = std::abs(r.Height());
  if (width <= 0 || height <= 0 || w == 0 || h == 0) return r;
  const double ratio = width / height;
  const double fittedW = (w / h > ratio) ? h * ratio : w;
  const double fittedH = (w / h > ratio) ? h : w / ratio;
  return CentredOn(Centre(r), fittedW, fittedH);
}

void AddBlockCorners(const TCustomDiagramBlock* block, std::vector<TDot>& points) {
  const TSquare r = block->ControlRect();
  const TDot c = Centre(r);
  for (const TDot& corner : {TDot{r.Left, r.Top}, TDot{r.Right, r.Top}, TDot{r.Right, r.Bottom}, TDot{r.Left, r.Bottom}})
    points.push_back(RotatePoint(corner, block->Angle(), c));
}

void MoveLineHandles(TCustomDiagramLine* line, const std::function<TDot(const TDot&)>& move) {
  TStretchHandles* handles = line->Handles();
  handles->BeginUpdate();
  for (int i = 0; i < handles->Count(); ++i) handles->Handle(i)->SetOrPoint(move(handles->Handle(i)->OrPoint()));
  handles->EndUpdate();
}

class TCounterScope {
public:
  explicit TCounterScope(int& counter) : FCounter(counter) { ++FCounter; }
  ~TCounterScope() { --FCounter; }
  TCounterScope(const TCounterScope&) = delete;
  TCounterScope& operator=(const TCounterScope&) = delete;

private:
  int& FCounter;
};

}  // namespace

// --- Member lists -----------------------------------------------------------------------------

TDControlListItem::TDControlListItem(TCollection* collection) : TCollectionItem(collection) {}

TDControlListItem::~TDControlListItem() {
  TDiagramControl* old = FDControl.data();
  FDControl = nullptr;
  if (old && List()) List()->ControlLeft(old);
}

TDControlList* TDControlListItem::List() const { return static_cast<TDControlList*>(Collection()); }

void TDControlListItem::SetDControl(TDiagramControl* control) {
  if (control == FDControl.data()) return;
  TDiagramControl* old = FDControl.data();
  FDControl = nullptr;
  if (old && List()) List()->ControlLeft(old);
  if (!control || (List() && !List()->AcceptControl(control))) return;
  FDControl = control;
  if (List()) List()->ControlArrived(control);
}

TDControlList::TDControlList(QObject* owner)
    : TCollection(owner, [](TCollection* collection) { return new TDControlListItem(collection); }) {}

TDControlList::~TDControlList() { Clear(); }

TDControlListItem* TDControlList::Add(TDiagramControl* control) {
  auto* item = static_cast<TDControlListItem*>(TCollection::Add());
  item->SetDControl(control);
  return item;
}

void TDControlList::Remove(TDiagramControl* control) {
  const int index = IndexOfControl(control);
  if (index >= 0) Delete(index);
}

int TDControlList::IndexOfControl(const TDiagramControl* control) const {
  for (int i = 0; i < Count(); ++i)
    if (Item(i)->DControl() == control) return i;
  return -1;
}

std::vector<TDiagramControl*> TDControlList::Controls() const {
  std::vector<TDiagramControl*> controls;
  controls.reserve(static_cast<size_t>(Count()));
  for (int i = 0; i < Count(); ++i)
    if (TDiagramControl* control = Item(i)->DControl()) controls.push_back(control);
  return controls;
}

TGroupMemberList::TGroupMemberList(TBaseGroupBlock* group) : TDControlList(group), FGroup(group) {}

TGroupMemberList::~TGroupMemberList() { Clear(); }

bool TGroupMemberList::AcceptControl(TDiagramControl* control) { return FGroup && FGroup->CanTakeMember(control); }

void TGroupMemberList::ControlArrived(TDiagramControl* control) {
  if (FGroup) FGroup->MemberAdded(control);
}

void TGroupMemberList::ControlLeft(TDiagramControl* control) {
  if (FGroup) FGroup->MemberRemoved(control);
}

// --- Base group -------------------------------------------------------------------------------

TBaseGroupBlock::TBaseGroupBlock(QObject* owner)
    : TCustomDiagramBlock(owner), FMembers(std::make_unique<TGroupMemberList>(this)) {}

TBaseGroupBlock::~TBaseGroupBlock() {
  FMembers->DetachGroup();
  FMembers->Clear();
}

bool TBaseGroupBlock::CanTakeMember(TDiagramControl* control) const {
  return control && control != this && !control->IsSelectionBlock() && FMembers->IndexOfControl(control) < 0;
}

std::optional<TSquare> TBaseGroupBlock::GroupRect(const std::vector<TDiagramControl*>& controls, double angle,
                                                  bool blocksOnly) {
  std::vector<TDot> points;
  for (TDiagramControl* control : controls) {
    if (auto* block = dynamic_cast<TCustomDiagramBlock*>(control)) AddBlockCorners(block, points);
    else if (auto* line = dynamic_cast<TCustomDiagramLine*>(control); line && !blocksOnly)
      points.insert(points.end(), line->Points().begin(), line->Points().end());
  }
  if (points.empty()) return std::nullopt;
  TDot centroid{0, 0};
  if (angle != 0) {
    for (const TDot& p : points) centroid = AddDots(centroid, p);
    centroid = ScaleDot(centroid, 1.0 / static_cast<double>(points.size()));
    RotatePolygon(points, -angle, centroid);
  }
  TSquare box = PolygonBounds(points);
  if (angle != 0) {
    const TDot middle = Centre(box);
    const TDot turned = RotatePoint(middle, angle, centroid);
    box = OffsetSquare(box, turned.X - middle.X, turned.Y - middle.Y);
  }
  return box;
}

void TBaseGroupBlock::RecalculateRect() {
  if (const std::optional<TSquare> box = GroupRect(FMembers->Controls(), Angle(), false);
      box && !(*box == BoundsRect()))
    WriteRect(*box);
  if (auto* outer = dynamic_cast<TBaseGroupBlock*>(GroupBlock())) outer->RecalculateRect();
}

void TBaseGroupBlock::WriteRect(const TSquare& rect) {
  SetBoundsFields(rect);
  NotifyBoundsChanged();
  Redraw();
}

void TBaseGroupBlock::CollectLeafMembers(std::vector<TDiagramControl*>& into) {
  for (TDiagramControl* member : FMembers->Controls()) {
    if (member == this) continue;
    member->CollectLeafMembers(into);
  }
}

void TBaseGroupBlock::RemoveMember(TDiagramControl* member) { FMembers->Remove(member); }

void TBaseGroupBlock::MemberGeometryChanged(TDiagramControl*) {
  if (MovingMembers() || IsDestroying() || IsBeingRead()) return;
  RecalculateRect();
}

void TBaseGroupBlock::BoundsChanged(const TSquare& oldBounds, const TSquare& newBounds) {
  TCustomDiagramBlock::BoundsChanged(oldBounds, newBounds);
  MapMembers(oldBounds, newBounds);
}

void TBaseGroupBlock::AngleChanged(double oldAngle) {
  TurnMembers(Angle() - oldAngle);
  TCustomDiagramBlock::AngleChanged(oldAngle);
}

void TBaseGroupBlock::MapMembers(const TSquare& oldBounds, const TSquare& newBounds) {
  const std::vector<TDiagramControl*> members = FMembers->Controls();
  if (members.empty()) return;
  TCounterScope moving(FMovingMembers);
  const double angle = Angle();
  const TDot oldCentre = Centre(oldBounds);
  const TDot newCentre = Centre(newBounds);
  // Members are laid out in the group's unturned frame, scaled there, and turned back.
  auto move = [&](const TDot& p) {
    return RotatePoint(MapBetweenRects(RotatePoint(p, -angle, oldCentre), oldBounds, newBounds), angle, newCentre);
  };
  for (TDiagramControl* member : members) {
    if (auto* block = dynamic_cast<TCustomDiagramBlock*>(member)) {
      const TSquare rect = block->BoundsRect();
      const TDot centre = Centre(rect);
      const TSquare unturned = CentredOn(RotatePoint(centre, -angle, oldCentre), rect.Width(), rect.Height());
      const TDot topLeft = MapBetweenRects({unturned.Left, unturned.Top}, oldBounds, newBounds);
      const TDot bottomRight = MapBetweenRects({unturned.Right, unturned.Bottom}, oldBounds, newBounds);
      TSquare mapped{topLeft.X, topLeft.Y, bottomRight.X, bottomRight.Y};
      const TControlRestrictions restrictions = block->Restrictions();
      if (restrictions.testFlag(crNoResize)) mapped = CentredOn(Centre(mapped), rect.Width(), rect.Height());
      else if (restrictions.testFlag(crKeepRatio)) mapped = FitAspect(mapped, rect.Width(), rect.Height());
      TDot placed = RotatePoint(Centre(mapped), angle, newCentre);
      if (restrictions.testFlag(crNoMove)) placed = centre;
      block->SetBoundsRect(CentredOn(placed, mapped.Width(), mapped.Height()));
    } else if (auto* line = dynamic_cast<TCustomDiagramLine*>(member)) {
      MoveLineHandles(line, move);
    }
  }
  NotifyMembersAnchoreds();
}

void TBaseGroupBlock::TurnMembers(double delta) {
  const std::vector<TDiagramControl*> members = FMembers->Controls();
  if (members.empty() || delta == 0) return;
  TCounterScope moving(FMovingMembers);
  const TDot centre = Centre(BoundsRect());
  const bool turnOwnAngles = !Restrictions().testFlag(crNoRotation);
  for (TDiagramControl* member : members) {
    if (auto* block = dynamic_cast<TCustomDiagramBlock*>(member)) {
      const TSquare rect = block->BoundsRect();
      block->SetBoundsRect(CentredOn(RotatePoint(Centre(rect), delta, centre), rect.Width(), rect.Height()));
      if (turnOwnAngles) block->SetAngle(block->Angle() + delta);
    } else if (auto* line = dynamic_cast<TCustomDiagramLine*>(member)) {
      MoveLineHandles(line, [&](const TDot& p) { return RotatePoint(p, delta, centre); });
    }
  }
  NotifyMembersAnchoreds();
}

void TBaseGroupBlock::NotifyMembersAnchoreds() {
  for (TDiagramControl* member : FMembers->Controls()) member->NotifyAnchoreds(acPosition);
}

// --- Persistent group -------------------------------------------------------------------------

TGroupBlock::TGroupBlock(QObject* owner) : TBaseGroupBlock(owner) {}

TGroupBlock::~TGroupBlock() { ReleaseMembers(); }

void TGroupBlock::BeforeDestruction() {
  // Members are let go before the group leaves its diagram, so they stay in it.
  ReleaseMembers();
  TBaseGroupBlock::BeforeDestruction();
}

void TGroupBlock::Loaded() {
  TBaseGroupBlock::Loaded();
  // Entries refused while reading (a member of another group, a cycle) are dropped; lines
  // have their points only now.
  for (int i = Members()->Count() - 1; i >= 0; --i)
    if (!Members()->Item(i)->DControl()) Members()->Delete(i);
  RecalculateRect();
}

void TGroupBlock::ReleaseMembers() {
  // The members stay; they only stop belonging to this group.
  Members()->DetachGroup();
  for (TDiagramControl* member : Members()->Controls())
    if (member->GroupBlock() == this) member->SetGroupBlock(nullptr);
  Members()->Clear();
}

void TGroupBlock::MemberAdded(TDiagramControl* control) {
  ForgetStreamRecord();
  control->SetGroupBlock(this);
  RecalculateRect();
}

bool TGroupBlock::CanTakeMember(TDiagramControl* control) const {
  if (!TBaseGroupBlock::CanTakeMember(control)) return false;
  // One group per element, and no group inside itself.
  if (control->GroupBlock() && control->GroupBlock() != this) return false;
  for (const TDiagramControl* group = this; group; group = group->GroupBlock())
    if (group == control) return false;
  return true;
}

void TGroupBlock::MemberRemoved(TDiagramControl* control) {
  ForgetStreamRecord();
  if (control->GroupBlock() == this) control->SetGroupBlock(nullptr);
  if (!IsDestroying()) RecalculateRect();
}

void TGroupBlock::DiagramChanged(TCustomDiagram* oldDiagram, TCustomDiagram* newDiagram) {
  TBaseGroupBlock::DiagramChanged(oldDiagram, newDiagram);
  for (TDiagramControl* member : Members()->Controls())
    if (!member->IsDestroying()) member->SetDiagram(newDiagram);
}

bool TGroupBlock::ContainsSelected() const {
  for (TDiagramControl* member : Members()->Controls()) {
    if (member->Selected()) return true;
    if (auto* group = dynamic_cast<TGroupBlock*>(member); group && group != this && group->ContainsSelected()) return true;
  }
  return false;
}

void TGroupBlock::DrawHandles(const TDiagramDrawInfo& info) {
  if (info.Canvas && !Selected() && ContainsSelected()) {
    TCanvas& canvas = *info.Canvas;
    TCanvasStateSaver saver(canvas);
    canvas.Pen()->SetColor(TColor(0x808080));
    canvas.Pen()->SetStyle(psDot);
    canvas.Pen()->SetWidth(1);
    canvas.Brush()->SetStyle(bsClear);
    const TSquare r = BoundsRect();
    const TDot c = Centre(r);
    TPointArray corners;
    for (const TDot& corner : {TDot{r.Left, r.Top}, TDot{r.Right, r.Top}, TDot{r.Right, r.Bottom}, TDot{r.Left, r.Bottom}})
      corners.push_back(DotToPoint(ToCanvas(RotatePoint(corner, Angle(), c))));
    canvas.Polygon(corners);
  }
  TBaseGroupBlock::DrawHandles(info);
}

void RegisterGroupBlockClasses() {
  if (!IsClassRegistered(QStringLiteral("TGroupBlock"))) RegisterClass<TGroupBlock>();
}
