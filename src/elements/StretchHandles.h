#pragma once
// Stretch handles: the grips a selected element shows. A handle stores a position in its
// element's reference space and a few flags; the element maps and interprets it.

#include "elements/ElementTypes.h"
#include "platform/Collection.h"
#include "platform/GraphicsTypes.h"

class TStretchHandle : public TCollectionItem {
  Q_OBJECT
  Q_PROPERTY(double OrX READ OrX WRITE SetOrX)
  Q_PROPERTY(double OrY READ OrY WRITE SetOrY)
  Q_PROPERTY(ElementEnums::THandleStyle Style READ Style WRITE SetStyle)
public:
  explicit TStretchHandle(TCollection* collection);
  ~TStretchHandle() override;

  // The element of the collection, nullptr outside an element's handles.
  TDiagramControl* DControl() const;

  double OrX() const { return FOrX; }
  void SetOrX(double x);
  double OrY() const { return FOrY; }
  void SetOrY(double y);
  TDot OrPoint() const { return {FOrX, FOrY}; }
  void SetOrPoint(const TDot& point);
  THandleStyle Style() const { return FStyle; }
  void SetStyle(THandleStyle style);
  // Own flag, hidden while the element is not selected or is represented by a group or
  // by the selection block.
  bool Visible() const;
  void SetVisible(bool visible);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor cursor) { FCursor = cursor; }
  int Data() const { return FData; }
  void SetData(int data) { FData = data; }
  bool AlwaysMovable() const { return FAlwaysMovable; }
  void SetAlwaysMovable(bool value) { FAlwaysMovable = value; }
  bool IsMovable() const;
  // The handle in client units.
  TDot DiagramPoint() const;

  void Assign(const TPersistent* source) override;

private:
  double FOrX = 0;
  double FOrY = 0;
  TCursor FCursor = crSizeNWSE;
  int FData = 0;
  THandleStyle FStyle = hsSize;
  bool FVisible = true;
  bool FAlwaysMovable = false;
};

class TStretchHandles : public TCollection {
  Q_OBJECT
public:
  explicit TStretchHandles(TDiagramControl* control);

  TDiagramControl* DControl() const { return FDControl; }
  TStretchHandle* Handle(int index) const { return ItemAs<TStretchHandle>(index); }
  TStretchHandle* Add(double orX, double orY, TCursor cursor, int data, THandleStyle style);
  using TCollection::Add;
  TStretchHandle* FindByData(int data) const;
  TStretchHandle* RotateHandle() const;
  TStretchHandle* RotCenterHandle() const;

  // From another handle collection when both hold more than one handle: the first and the
  // last handle stay the same objects (a drag may hold them); inner handles are assigned,
  // added before the last handle or deleted from before it. Otherwise a plain copy.
  void Assign(const TPersistent* source) override;

protected:
  void Update(TCollectionItem* item) override;

private:
  TStretchHandle* FirstOfStyle(THandleStyle style) const;
  void AssignKeepingEnds(const TStretchHandles& source);
  void AssignInnerHandles(const TStretchHandles& source);
  TDiagramControl* FDControl;
};
