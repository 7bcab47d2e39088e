#include "document/SelectionBlock.h"

TSelectionBlock::TSelectionBlock(TCustomDiagram* diagram) : TDiagramControl(nullptr), FOwnerDiagram(diagram) {}
