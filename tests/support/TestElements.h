#pragma once
// Minimal concrete elements for tests of the element base and the document: a block-like
// and a line-like element with plain rectangle geometry.

#include "elements/CustomDiagram.h"
#include "elements/DiagramControl.h"
#include "elements/LinkPoints.h"

#include <QObject>
#include <initializer_list>

class TTestElement : public TDiagramControl {
  Q_OBJECT
public:
  explicit TTestElement(QObject* owner = nullptr) : TDiagramControl(owner) {}

  void AnchorLinkChanged(TLinkPoint*) override { ++AnchorLinkChanges; }
  void LinkedAnchorChanged(TLinkPoint*, TAnchorChange change) override { LastChange = change; ++LinkedChanges; }
  void DrawControl(const TDiagramDrawInfo&) override {}
  bool PointInControl(const TPoint& p) override {
    return p.X >= Rect.Left && p.X < Rect.Right && p.Y >= Rect.Top && p.Y < Rect.Bottom;
  }
  void MoveBy(double dx, double dy) override { Rect = {Rect.Left + dx, Rect.Top + dy, Rect.Right + dx, Rect.Bottom + dy}; }
  TSquare ControlRect() const override { return Rect; }
  TSquare SurroundRect() const override { return Rect; }
  void StartMoving() override {}
  void ControlMoving(TControlMoveInfo&) override {}
  void ControlInserting(TControlInsertInfo&) override {}
  void ControlDrawing(TControlDrawInfo&) override {}
  void StartHandleMoving() override {}
  void HandleMoving(THandleMoveInfo&) override {}

  TSquare Rect{0, 0, 50, 50};
  int AnchorLinkChanges = 0;
  int LinkedChanges = 0;
  TAnchorChange LastChange = acPosition;
};

class TTestBlock : public TTestElement {
  Q_OBJECT
public:
  explicit TTestBlock(QObject* owner = nullptr) : TTestElement(owner) {}
  bool IsBlock() const override { return true; }
  void DiagramChanged(TCustomDiagram* oldDiagram, TCustomDiagram* newDiagram) override {
    if (oldDiagram) {
      NotifyAnchoreds(acRemoval);
      oldDiagram->UnregisterBlock(this);
    }
    if (newDiagram) newDiagram->RegisterBlock(this);
    TTestElement::DiagramChanged(oldDiagram, newDiagram);
  }
};

class TTestLine : public TTestElement {
  Q_OBJECT
public:
  explicit TTestLine(QObject* owner = nullptr) : TTestElement(owner) {}
  bool IsLine() const override { return true; }
  void AfterConstruction() override {
    TTestElement::AfterConstruction();
    LinkPoints()->Add();
    LinkPoints()->Add();
  }
  void DiagramChanged(TCustomDiagram* oldDiagram, TCustomDiagram* newDiagram) override {
    if (oldDiagram) oldDiagram->UnregisterLine(this);
    if (newDiagram) newDiagram->RegisterLine(this);
    TTestElement::DiagramChanged(oldDiagram, newDiagram);
  }
};

// Link points of block at points, marked by red crosses: the third hidden, the second
// anchoring a new line (owned by owner), which makes it a node where the diagram makes nodes
// automatically.
inline void AddMarkersAroundANode(TTestBlock* block, QObject* owner, std::initializer_list<TDot> points) {
  block->LinkPointPen()->SetColor(clRed);
  for (const TDot& at : points) block->LinkPoints()->Add(at.X, at.Y, aoNone);
  block->LinkPoints()->Point(2)->SetVisible(false);
  auto* line = Create<TTestLine>(owner);
  line->SetDiagram(block->Diagram());
  line->LinkPoints()->Point(0)->SetAnchorLink(block->LinkPoints()->Point(1));
}
