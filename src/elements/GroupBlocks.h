#pragma once
// Groups of elements.
//
// A group is a block without a shape whose rectangle is computed from its members and which
// carries its members along when it is moved, resized or rotated. Members are held by
// reference (a member list of element names in files); an element is a member of at most
// one group, and membership never forms a cycle.
//
// TBaseGroupBlock has the member list and the geometry rules; TGroupBlock is the persistent
// group users create; the diagram's selection frame is another kind of base group whose
// members do not take it as their group.

#include "elements/Blocks.h"
#include "platform/Collection.h"

#include <QPointer>
#include <optional>
#include <vector>

class TBaseGroupBlock;
class TDControlList;

// One entry of a member list: a reference to an element.
class TDControlListItem : public TCollectionItem {
  Q_OBJECT
  Q_PROPERTY(TDiagramControl* DControl READ DControl WRITE SetDControl)
public:
  explicit TDControlListItem(TCollection* collection);
  ~TDControlListItem() override;

  TDiagramControl* DControl() const { return FDControl.data(); }
  // Tells the list that the old element left and the new one arrived. The list may refuse
  // the new element; the entry is then empty.
  void SetDControl(TDiagramControl* control);

private:
  TDControlList* List() const;
  QPointer<TDiagramControl> FDControl;
};

// An owned list of element references.
class TDControlList : public TCollection {
  Q_OBJECT
public:
  explicit TDControlList(QObject* owner);
  ~TDControlList() override;

  TDControlListItem* Add(TDiagramControl* control);
  // Frees the first entry that refers to the element.
  void Remove(TDiagramControl* control);
  TDControlListItem* Item(int index) const { return ItemAs<TDControlListItem>(index); }
  int IndexOfControl(const TDiagramControl* control) const;
  // The referenced elements in list order (empty entries left out).
  std::vector<TDiagramControl*> Controls() const;

protected:
  friend class TDControlListItem;
  // Whether the element may join; refused elements leave the entry empty.
  virtual bool AcceptControl(TDiagramControl*) { return true; }
  virtual void ControlArrived(TDiagramControl*) {}
  virtual void ControlLeft(TDiagramControl*) {}
};

// The member list of a group: arrivals and departures go to the group.
class TGroupMemberList : public TDControlList {
  Q_OBJECT
public:
  TGroupMemberList(TBaseGroupBlock* group);
  ~TGroupMemberList() override;

  TBaseGroupBlock* Group() const { return FGroup; }
  // Departures during the group's own destruction are not forwarded.
  void DetachGroup() { FGroup = nullptr; }

protected:
  bool AcceptControl(TDiagramControl* control) override;
  void ControlArrived(TDiagramControl* control) override;
  void ControlLeft(TDiagramControl* control) override;

private:
  TBaseGroupBlock* FGroup;
};

class TBaseGroupBlock : public TCustomDiagramBlock {
  Q_OBJECT
public:
  explicit TBaseGroupBlock(QObject* owner = nullptr);
  ~TBaseGroupBlock() override;

  TGroupMemberList* Members() const { return FMembers.get(); }
  void SetMembers(const TGroupMemberList* members) { FMembers->Assign(members); }

  // Fits the rectangle around the members (at the group's angle) and writes it without
  // moving the members; then the enclosing group fits itself. A group without members
  // keeps its rectangle.
  void RecalculateRect();
  // The rectangle around the given elements at the given angle (degrees, clockwise on
  // screen); nullopt when they give no points. blocksOnly leaves lines out.
  static std::optional<TSquare> GroupRect(const std::vector<TDiagramControl*>& controls, double angle,
                                          bool blocksOnly);

  virtual void MemberAdded(TDiagramControl*) {}
  virtual void MemberRemoved(TDiagramControl*) {}
  virtual void UpdateMembers() {}
  // Whether control may join this group's member list.
  virtual bool CanTakeMember(TDiagramControl* control) const;

  // --- Overrides --------------------------------------------------------------------------
  void CollectLeafMembers(std::vector<TDiagramControl*>& into) override;
  void RemoveMember(TDiagramControl* member) override;
  void MemberGeometryChanged(TDiagramControl* member) override;
  void BoundsChanged(const TSquare& oldBounds, const TSquare& newBounds) override;
  void AngleChanged(double oldAngle) override;
  void DrawControl(const TDiagramDrawInfo&) override {}
  bool PointInControl(const TPoint&) override { return false; }

protected:
  // Writes the rectangle without the bounds-changed rules (the members stay where they are).
  void WriteRect(const TSquare& rect);
  // True while members are being moved by the group, so their changes do not refit it.
  bool MovingMembers() const { return FMovingMembers > 0; }

private:
  void MapMembers(const TSquare& oldBounds, const TSquare& newBounds);
  void TurnMembers(double delta);
  void NotifyMembersAnchoreds();

  std::unique_ptr<TGroupMemberList> FMembers;
  int FMovingMembers = 0;
};

// A persistent group of elements.
class TGroupBlock : public TBaseGroupBlock {
  Q_OBJECT
  Q_PROPERTY(double Angle READ Angle WRITE SetAngle)
  Q_PROPERTY(ElementEnums::TControlRestrictions Restrictions READ Restrictions WRITE SetRestrictions)
  Q_PROPERTY(int MinWidth READ MinWidth WRITE SetMinWidth)
  Q_PROPERTY(int MinHeight READ MinHeight WRITE SetMinHeight)
  Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
  Q_PROPERTY(TGroupMemberList* Members READ Members WRITE SetMembers)
public:
  explicit TGroupBlock(QObject* owner = nullptr);
  ~TGroupBlock() override;

  bool IsGroup() const override { return true; }
  bool CanTakeMember(TDiagramControl* control) const override;
  void BeforeDestruction() override;
  void Loaded() override;
  void MemberAdded(TDiagramControl* control) override;
  void MemberRemoved(TDiagramControl* control) override;
  void DiagramChanged(TCustomDiagram* oldDiagram, TCustomDiagram* newDiagram) override;
  void DrawHandles(const TDiagramDrawInfo& info) override;

  // Whether a member at any depth is selected.
  bool ContainsSelected() const;

private:
  void ReleaseMembers();
};

// Registers the group class for streams. Safe to call more than once.
void RegisterGroupBlockClasses();
