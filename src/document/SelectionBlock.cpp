#include "document/SelectionBlock.h"

#include "document/vxDiagram.h"

TSelectionBlock::TSelectionBlock(TvxDiagram* diagram) : TBaseGroupBlock(nullptr), FOwnerDiagram(diagram) {}

void TSelectionBlock::AfterConstruction() {
  TBaseGroupBlock::AfterConstruction();
  SetVisible(false);
  // Linked to the diagram for coordinates and grips; the diagram does not list it.
  SetDiagram(FOwnerDiagram);
}

void TSelectionBlock::UpdateMembers() {
  Members()->BeginUpdate();
  Members()->Clear();
  for (int i = 0; i < FOwnerDiagram->SelectedCount(); ++i) {
    TDiagramControl* control = FOwnerDiagram->Selecteds(i);
    if (!control->AsMember()) Members()->Add(control);
  }
  Members()->EndUpdate();
}

void TSelectionBlock::ResetAngle() {
  SetAngleField(0);
  SetRotationCenterField({50, 50});
}
