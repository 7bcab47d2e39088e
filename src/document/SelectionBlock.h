#pragma once
// The selection wrapper: a group-like element the diagram keeps for the slmGroup selection
// mode. It has no owner, is invisible and is never in the element lists. Its geometry and
// grips come with selection and groups; here it only exists with its diagram link.

#include "elements/DiagramControl.h"

class TSelectionBlock : public TDiagramControl {
  Q_OBJECT
public:
  explicit TSelectionBlock(TCustomDiagram* diagram);

  bool IsSelectionBlock() const override { return true; }
  bool IsGroup() const override { return false; }

  void AnchorLinkChanged(TLinkPoint*) override {}
  void LinkedAnchorChanged(TLinkPoint*, TAnchorChange) override {}
  void DrawControl(const TDiagramDrawInfo&) override {}
  bool PointInControl(const TPoint&) override { return false; }
  void MoveBy(double, double) override {}
  TSquare ControlRect() const override { return {}; }
  TSquare SurroundRect() const override { return {}; }
  void StartMoving() override {}
  void ControlMoving(TControlMoveInfo&) override {}
  void ControlInserting(TControlInsertInfo&) override {}
  void ControlDrawing(TControlDrawInfo&) override {}
  void StartHandleMoving() override {}
  void HandleMoving(THandleMoveInfo&) override {}

  // Its diagram, without being registered there.
  TCustomDiagram* OwnerDiagram() const { return FOwnerDiagram; }

private:
  TCustomDiagram* FOwnerDiagram;
};
