#pragma once
// Link points: the connection points of an element. A line end anchors to a link point of
// another element; (Anchor, AnchorIndex) is the stored form, the anchored list on the
// other side is derived from it.

#include "elements/DiagramControl.h"
#include "elements/ElementTypes.h"
#include "platform/Collection.h"

#include <QPointer>
#include <QtGlobal>
#include <vector>

class TLinkPoints;
class TStretchHandle;

// Counts the changes to which link points are anchored to which (the anchored lists): what
// is worked out from them stays valid while the count holds.
quint64 LinkPointAnchoringRevision();

class TLinkPoint : public TCollectionItem {
  Q_OBJECT
  Q_PROPERTY(TDiagramControl* Anchor READ Anchor WRITE SetAnchor)
  Q_PROPERTY(int AnchorIndex READ AnchorIndex WRITE SetAnchorIndex)
  Q_PROPERTY(double OrX READ OrX WRITE SetOrX)
  Q_PROPERTY(double OrY READ OrY WRITE SetOrY)
  Q_PROPERTY(ElementEnums::TAnchorOrientation Orientation READ Orientation WRITE SetOrientation)
  Q_PROPERTY(bool Collapsable READ Collapsable WRITE SetCollapsable)
  Q_PROPERTY(bool Collapsed READ Collapsed WRITE SetCollapsed)
  Q_PROPERTY(ElementEnums::TLinkConstraint LinkConstraint READ LinkConstraint WRITE SetLinkConstraint)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  DGR_DEFAULT(AnchorIndex, -1)
  DGR_DEFAULT(Orientation, aoNone)
public:
  explicit TLinkPoint(TCollection* collection);
  ~TLinkPoint() override;

  // The element that owns this point (nullptr outside a link point collection).
  TDiagramControl* DControl() const;

  TDiagramControl* Anchor() const { return FAnchor; }
  void SetAnchor(TDiagramControl* anchor);
  int AnchorIndex() const { return FAnchorIndex; }
  void SetAnchorIndex(int index);
  // The anchor element's link point at AnchorIndex, or nullptr.
  TLinkPoint* AnchorLink() const;
  void SetAnchorLink(TLinkPoint* link);

  double OrX() const { return FOrX; }
  void SetOrX(double x);
  double OrY() const { return FOrY; }
  void SetOrY(double y);
  TDot OrPoint() const { return {FOrX, FOrY}; }
  void SetOrPoint(const TDot& point);
  TAnchorOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TAnchorOrientation orientation);
  TAnchorOrientation RealOrientation() const;
  bool Collapsable() const { return FCollapsable; }
  void SetCollapsable(bool value);
  bool Collapsed() const { return FCollapsed; }
  // Collapsing hides every element reachable through this point (its branch); expanding
  // shows them again. Refused when the branch leads back to this point's own element.
  void SetCollapsed(bool value);
  void Collapse() { SetCollapsed(true); }
  void Expand() { SetCollapsed(false); }
  // A node shows a collapse marker and can collapse: something is anchored here, and the
  // point is collapsable or its diagram makes nodes automatically.
  bool IsNode() const;
  // Stores the flag without any walk or notification (stream hooks).
  void SetCollapsedFlag(bool value) { FCollapsed = value; }
  TLinkConstraint LinkConstraint() const { return FLinkConstraint; }
  void SetLinkConstraint(TLinkConstraint constraint);
  bool Visible() const { return FVisible; }
  void SetVisible(bool visible);
  TLinkPointStyle Style() const;

  bool CanAnchor() const { return FCanAnchor; }
  void SetCanAnchor(bool value) { FCanAnchor = value; }
  bool AcceptAnchoreds() const { return FAcceptAnchoreds; }
  void SetAcceptAnchoreds(bool value) { FAcceptAnchoreds = value; }
  bool CanAnchorInMove() const { return FCanAnchorInMove; }
  void SetCanAnchorInMove(bool value) { FCanAnchorInMove = value; }
  QObject* Obj() const { return FObj; }
  void SetObj(QObject* obj) { FObj = obj; }

  const std::vector<TLinkPoint*>& Anchoreds() const { return FAnchoreds; }
  int AnchoredCount() const { return static_cast<int>(FAnchoreds.size()); }
  TDot DiagramPoint() const;

  // The anchor link point moved or goes away.
  void AnchorChanged(TAnchorChange change);
  void Assign(const TPersistent* source) override;

private:
  friend class TLinkPoints;
  // The point moved to index in its collection: the points anchored here follow it.
  void RenumberAnchoreds(int index);
  // Every point anchored here lets go (the point is about to go away).
  void ReleaseAnchoreds();
  // The elements behind this point; false when the walk reaches the point's own element.
  bool CollectBranch(std::vector<TDiagramControl*>& branch) const;
  void LeaveAnchorLink();
  void JoinAnchorLink();
  void NotifyOwnerAnchorChanged(bool evenWhileDestroying);

  double FOrX = 0;
  double FOrY = 0;
  int FAnchorIndex = -1;
  QPointer<TDiagramControl> FAnchor;
  TAnchorOrientation FOrientation = aoNone;
  std::vector<TLinkPoint*> FAnchoreds;
  bool FCollapsable = false;
  bool FCollapsed = false;
  QPointer<QObject> FObj;
  TLinkConstraint FLinkConstraint = lcAll;
  bool FVisible = true;
  bool FCanAnchor = false;
  bool FAcceptAnchoreds = true;
  bool FCanAnchorInMove = false;
};

class TLinkPoints : public TCollection {
  Q_OBJECT
public:
  using TItemFactory = TCollection::TItemFactory;
  TLinkPoints(TDiagramControl* control, TItemFactory factory);

  TDiagramControl* DControl() const { return FDControl; }
  TLinkPoint* Point(int index) const { return ItemAs<TLinkPoint>(index); }
  TLinkPoint* Add(double orX, double orY, TAnchorOrientation orientation);
  using TCollection::Add;

protected:
  // Anchored points keep their indexes in step with the order of the points.
  void Update(TCollectionItem* item) override;
  void Notify(TCollectionItem* item, TCollectionNotification action) override;

private:
  void RenumberAll();
  TDiagramControl* FDControl;
};

// --- Linking rules and searches ------------------------------------------------------------

// Whether the line end lineEnd may anchor to target: lineEnd can anchor, target accepts
// anchored points, is visible and not implicit, belongs to another element, its constraint
// admits this end (lcSourceOnly: link point 0 of a line, lcTargetOnly: link point 1), both
// elements may link, and the diagram's OnAcceptAnchor agrees.
bool CanAnchorTo(const TLinkPoint* lineEnd, const TLinkPoint* target);

// How far (in client units, both axes, inclusive) a searched position may lie from a link point.
inline constexpr double LinkPointSearchTolerance = 5;

struct TLinkPointSearch {
  const TDiagramControl* Exclude = nullptr;  // an element never searched
  bool OnlyUnselected = false;                // skip selected elements
  bool OnlyNodes = false;                     // only points that are nodes (IsNode)
  bool OnlyAcceptAnchoreds = false;           // only points that accept anchored points
};

// The first link point of control, in collection order, that is visible, not implicit,
// within LinkPointSearchTolerance of pos in X and Y and passes the search's point filters.
// The element filters of the search are not applied here.
TLinkPoint* LinkPointNear(const TDiagramControl* control, const TDot& pos, const TLinkPointSearch& search = {});
// Searches the visible blocks of diagram from the topmost down, then every visible element
// from the topmost down.
TLinkPoint* LinkPointAtPos(const TCustomDiagram* diagram, const TDot& pos, const TLinkPointSearch& search = {});

// Collapsed flags of link points 0..31 as a bit mask (bit i: point i collapsed).
quint32 CollapsedNodesMask(const TLinkPoints* points);
// Sets the Collapsed flag (without any walk) of each point whose bit is set; bits of points
// the collection does not have, and bits above 31, are ignored.
void ApplyCollapsedNodesMask(TLinkPoints* points, qint64 mask);

// Anchors the link point tied to handle (the element's HandleLinkPoint) to anchor (nullptr
// unanchors it). Handles without a link point (the inner nodes of a line) are left alone;
// answers whether there was a link point.
bool AnchorHandleLinkPoint(TDiagramControl* control, TStretchHandle* handle, TLinkPoint* anchor);
