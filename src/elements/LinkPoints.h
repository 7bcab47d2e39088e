#pragma once
// Link points: the connection points of an element. A line end anchors to a link point of
// another element; (Anchor, AnchorIndex) is the stored form, the anchored list on the
// other side is derived from it.

#include "elements/DiagramControl.h"
#include "elements/ElementTypes.h"
#include "platform/Collection.h"

#include <QPointer>
#include <vector>

class TLinkPoints;

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
  void SetCollapsed(bool value);
  // Stores the flag without any walk or notification (stream hooks).
  void SetCollapsedFlag(bool value) { FCollapsed = value; }
  TLinkConstraint LinkConstraint() const { return FLinkConstraint; }
  void SetLinkConstraint(TLinkConstraint constraint) { FLinkConstraint = constraint; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool visible) { FVisible = visible; }
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
  void Update(TCollectionItem* item) override;

private:
  TDiagramControl* FDControl;
};
