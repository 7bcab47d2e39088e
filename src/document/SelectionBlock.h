#pragma once
// The selection frame: a group-like element the diagram keeps for the slmGroup selection
// mode, showing one set of grips around everything selected. It has no owner, is invisible
// (only its grips are drawn) and is never in the element lists. Its members are refreshed
// from the selection whenever it is used, and they do not take it as their group.

#include "elements/GroupBlocks.h"

class TvxDiagram;

class TSelectionBlock : public TBaseGroupBlock {
  Q_OBJECT
public:
  explicit TSelectionBlock(TvxDiagram* diagram);
  void AfterConstruction() override;

  bool IsSelectionBlock() const override { return true; }
  bool IsGroup() const override { return false; }

  // Every selected element that is not selected as a member of a selected group.
  void UpdateMembers() override;
  // The selection lists each element once, so no search for duplicates (which made
  // refreshing the frame quadratic in the selection's size).
  bool CanTakeMember(TDiagramControl* control) const override {
    return control && control != this && !control->IsSelectionBlock();
  }

  // The angle of the one selected block, set without turning the members.
  void TakeAngle(double angle) { SetAngleField(angle); }
  // Nothing selected: no angle, the rotation centre in the middle.
  void ResetAngle();

  TvxDiagram* OwnerDiagram() const { return FOwnerDiagram; }

private:
  TvxDiagram* FOwnerDiagram;
};
